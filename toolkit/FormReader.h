// Stored form definitions: a declarative text per form, parsed into a tree and read into
// components in definition order.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Classes.h"

// An error in one value of a definition. The reader puts the definition's name, the line and,
// when Property is empty, the name of the property being read around the message.
class EDefValueError : public Exception {
public:
  EDefValueError(const std::wstring& Message, int ALine, std::string AProperty = {})
      : Exception(Message), Line(ALine), Property(std::move(AProperty)) {}
  int Line;
  std::string Property;
};

// One property value of a definition.
class TDefValue {
public:
  enum TKind { vkInt, vkString, vkIdent, vkSet, vkStrings, vkBinary, vkCollection, vkFloat };
  using TProperties = std::vector<std::pair<std::string, TDefValue>>;

  TKind Kind = vkInt;
  int64_t Int = 0;
  double Float = 0;                    // vkFloat
  std::wstring Str;                    // vkString
  std::string Ident;                   // vkIdent, and the name of a vkBinary file reference
  std::vector<std::string> Set;        // vkSet
  std::vector<std::wstring> Strings;   // vkStrings
  std::vector<uint8_t> Binary;         // vkBinary
  std::vector<TProperties> Collection; // vkCollection
  const std::any* Method = nullptr;    // an event value: the root's handler of that name
  int Line = 0;                        // the line of the definition the value begins on

  // Typed reads; each throws an EDefValueError naming the expected kind when the value has
  // another, and AsInt one naming the number when it does not fit an int.
  int AsInt() const;
  bool AsBool() const;
  const std::wstring& AsString() const;
  const std::string& AsIdent() const;
  const std::vector<std::string>& AsSet() const;
  // A floating-point or integer value.
  double AsFloat() const;
  // The index of the identifier in Names; any other identifier is an error naming it.
  int AsIdentIndex(std::initializer_list<const char*> Names) const;
  // The flags of a set's elements, each element's flag at its place in Elements; an element
  // that is not among them is an error naming it.
  unsigned AsSetFlags(std::initializer_list<std::pair<const char*, unsigned>> Elements) const;
  // Fails with "unknown identifier" and the text of the value.
  [[noreturn]] void FailUnknown() const;
  [[noreturn]] void FailUnknown(const std::string& Element) const;
  template <class F>
  F AsMethod() const {
    if (!Method) throw Exception(L"Invalid property value");
    if (auto* Handler = std::any_cast<F>(Method)) return *Handler;
    throw Exception(L"Invalid event handler type");
  }
};

struct TDefNode {
  int Line = 0; // of its "object" line
  std::string Name;
  std::string ClassName;
  TDefValue::TProperties Properties;
  std::vector<TDefNode> Children;
};

// Parses a definition text (UTF-8). Syntax, per line:
//   object Name: TClass ... end           a component and its owned children
//   Prop = 12 | -3 | $FF                  integers
//   Prop = 8.41 | -1.5E3                  floating-point numbers
//   Prop = 'text'#13'more'                strings (quotes doubled inside; #n is a character)
//   Prop = clWindow | True | alTop        identifiers
//   Prop = [biSystemMenu, biHelp]         sets
//   Prop.Strings = ('line 1' 'line 2')    string lists
//   Prop = {0A1B...} | {file:NAME}        binary data, inline or a file packed at build time
//   Prop = <item A = 1 end item ... end>  collections
// Throws Exception naming FileName (the definition's name as the caller knows it, for messages)
// and the line on a syntax error and on a number that does not fit 64 bits.
TDefNode ParseDefinition(const std::string& Text, const std::string& FileName = {});

// Supplies the bytes of a file that a definition refers to with {file:NAME}.
using TBinaryResolver = std::function<std::vector<uint8_t>(const std::string& Name)>;

// Reads a parsed definition into Root: creates the child components by class name (owned by
// Root), binds Root's fields, sets every property in definition order while the loading state
// is set, and calls Loaded on Root and then on each created component in creation order.
// Every error (an unknown class, property or method, or one that a component's ReadProperty
// throws) is thrown again as "Form definition FileName, line N: " + its message.
void ReadComponentTree(TComponent* Root, const TDefNode& Node, const TBinaryResolver& Resolver,
                       const std::string& FileName = {});

// The start of every message about a definition: "Form definition NAME, line N: ".
std::wstring DefinitionPlace(const std::string& FileName, int Line);

// Lets a component read from a definition take its parent from the enclosing object.
class IParentable {
public:
  virtual void SetParentComponent(TComponent* Parent) = 0;

protected:
  ~IParentable() = default;
};
