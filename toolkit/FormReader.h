// Stored form definitions: a declarative text per form, parsed into a tree and read into
// components in definition order.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Classes.h"

// One property value of a definition.
class TDefValue {
public:
  enum TKind { vkInt, vkString, vkIdent, vkSet, vkStrings, vkBinary, vkCollection };
  using TProperties = std::vector<std::pair<std::string, TDefValue>>;

  TKind Kind = vkInt;
  int64_t Int = 0;
  std::wstring Str;                    // vkString
  std::string Ident;                   // vkIdent, and the name of a vkBinary file reference
  std::vector<std::string> Set;        // vkSet
  std::vector<std::wstring> Strings;   // vkStrings
  std::vector<uint8_t> Binary;         // vkBinary
  std::vector<TProperties> Collection; // vkCollection
  const std::any* Method = nullptr;    // an event value: the root's handler of that name

  // Typed reads; each throws an Exception naming the expected kind when the value has another.
  int AsInt() const;
  bool AsBool() const;
  const std::wstring& AsString() const;
  const std::string& AsIdent() const;
  template <class F>
  F AsMethod() const {
    if (!Method) throw Exception(L"Invalid property value");
    if (auto* Handler = std::any_cast<F>(Method)) return *Handler;
    throw Exception(L"Invalid event handler type");
  }
};

struct TDefNode {
  std::string Name;
  std::string ClassName;
  TDefValue::TProperties Properties;
  std::vector<TDefNode> Children;
};

// Parses a definition text (UTF-8). Syntax, per line:
//   object Name: TClass ... end           a component and its owned children
//   Prop = 12 | -3 | $FF                  integers
//   Prop = 'text'#13'more'                strings (quotes doubled inside; #n is a character)
//   Prop = clWindow | True | alTop        identifiers
//   Prop = [biSystemMenu, biHelp]         sets
//   Prop.Strings = ('line 1' 'line 2')    string lists
//   Prop = {0A1B...} | {file:NAME}        binary data, inline or a file packed at build time
//   Prop = <item A = 1 end item ... end>  collections
// Throws Exception with the line number on a syntax error.
TDefNode ParseDefinition(const std::string& Text);

// Supplies the bytes of a file that a definition refers to with {file:NAME}.
using TBinaryResolver = std::function<std::vector<uint8_t>(const std::string& Name)>;

// Reads a parsed definition into Root: creates the child components by class name (owned by
// Root), binds Root's fields, sets every property in definition order while the loading state
// is set, and calls Loaded on Root and then on each created component in creation order.
void ReadComponentTree(TComponent* Root, const TDefNode& Node, const TBinaryResolver& Resolver);

// Lets a component read from a definition take its parent from the enclosing object.
class IParentable {
public:
  virtual void SetParentComponent(TComponent* Parent) = 0;

protected:
  ~IParentable() = default;
};
