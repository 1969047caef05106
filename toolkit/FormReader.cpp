// Stored form definitions: the parser and the reader that builds components from them.
#include "toolkit/FormReader.h"

#include <cctype>

namespace {

class TDefParser {
public:
  explicit TDefParser(const std::string& Text) : FText(Text) {}

  TDefNode ParseRoot() {
    SkipBlanks();
    TDefNode Node = ParseObject();
    SkipBlanks();
    if (FPos < FText.size()) Fail("text after the last end");
    return Node;
  }

private:
  [[noreturn]] void Fail(const std::string& What) const {
    int Line = 1;
    for (size_t i = 0; i < FPos && i < FText.size(); ++i)
      if (FText[i] == '\n') ++Line;
    throw Exception(L"Form definition, line " + std::to_wstring(Line) + L": " + Utf8ToWide(What));
  }

  void SkipBlanks() {
    while (FPos < FText.size()) {
      char c = FText[FPos];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++FPos;
      } else if (c == '/' && FPos + 1 < FText.size() && FText[FPos + 1] == '/') {
        while (FPos < FText.size() && FText[FPos] != '\n')
          ++FPos;
      } else {
        break;
      }
    }
  }

  static bool IsIdentChar(char c) { return std::isalnum(uint8_t(c)) || c == '_' || c == '.'; }

  std::string Ident() {
    SkipBlanks();
    size_t Start = FPos;
    while (FPos < FText.size() && IsIdentChar(FText[FPos]))
      ++FPos;
    if (Start == FPos) Fail("a name was expected");
    return FText.substr(Start, FPos - Start);
  }

  bool PeekWord(const char* Word) {
    SkipBlanks();
    size_t n = std::char_traits<char>::length(Word);
    return FText.compare(FPos, n, Word) == 0 &&
           (FPos + n >= FText.size() || !IsIdentChar(FText[FPos + n]));
  }

  void Expect(char c) {
    SkipBlanks();
    if (FPos >= FText.size() || FText[FPos] != c) Fail(std::string("'") + c + "' was expected");
    ++FPos;
  }

  TDefNode ParseObject() {
    if (!PeekWord("object")) Fail("'object' was expected");
    FPos += 6;
    TDefNode Node;
    Node.Name = Ident();
    Expect(':');
    Node.ClassName = Ident();
    for (;;) {
      if (PeekWord("end")) {
        FPos += 3;
        return Node;
      }
      if (PeekWord("object")) {
        Node.Children.push_back(ParseObject());
        continue;
      }
      if (FPos >= FText.size()) Fail("'end' was expected");
      std::string Name = Ident();
      Expect('=');
      Node.Properties.emplace_back(std::move(Name), ParseValue());
    }
  }

  int64_t Number() {
    SkipBlanks();
    bool Negative = false;
    if (FText[FPos] == '-') {
      Negative = true;
      ++FPos;
    }
    int64_t Value = 0;
    if (FPos < FText.size() && FText[FPos] == '$') {
      ++FPos;
      size_t Start = FPos;
      while (FPos < FText.size() && std::isxdigit(uint8_t(FText[FPos]))) {
        char c = char(std::tolower(FText[FPos++]));
        Value = Value * 16 + (c <= '9' ? c - '0' : c - 'a' + 10);
      }
      if (Start == FPos) Fail("hexadecimal digits were expected");
    } else {
      size_t Start = FPos;
      while (FPos < FText.size() && std::isdigit(uint8_t(FText[FPos])))
        Value = Value * 10 + (FText[FPos++] - '0');
      if (Start == FPos) Fail("a number was expected");
    }
    return Negative ? -Value : Value;
  }

  // 'abc'#13#10'def': quoted UTF-8 pieces and character codes, concatenated.
  std::wstring String() {
    std::wstring Out;
    for (;;) {
      if (FPos < FText.size() && FText[FPos] == '\'') {
        ++FPos;
        std::string Piece;
        for (;;) {
          if (FPos >= FText.size() || FText[FPos] == '\n') Fail("unterminated string");
          if (FText[FPos] == '\'') {
            if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
              Piece += '\'';
              FPos += 2;
              continue;
            }
            ++FPos;
            break;
          }
          Piece += FText[FPos++];
        }
        Out += Utf8ToWide(Piece);
      } else if (FPos < FText.size() && FText[FPos] == '#') {
        ++FPos;
        int64_t Code = Number();
        if (Code < 0 || Code > 0xFFFF) Fail("character code out of range");
        Out += wchar_t(Code);
      } else {
        return Out;
      }
    }
  }

  TDefValue ParseValue() {
    SkipBlanks();
    if (FPos >= FText.size()) Fail("a value was expected");
    TDefValue V;
    char c = FText[FPos];
    if (c == '\'' || c == '#') {
      V.Kind = TDefValue::vkString;
      V.Str = String();
    } else if (c == '-' || c == '$' || std::isdigit(uint8_t(c))) {
      V.Kind = TDefValue::vkInt;
      V.Int = Number();
    } else if (c == '[') {
      ++FPos;
      V.Kind = TDefValue::vkSet;
      SkipBlanks();
      while (FPos < FText.size() && FText[FPos] != ']') {
        V.Set.push_back(Ident());
        SkipBlanks();
        if (FPos < FText.size() && FText[FPos] == ',') ++FPos;
        SkipBlanks();
      }
      Expect(']');
    } else if (c == '(') {
      ++FPos;
      V.Kind = TDefValue::vkStrings;
      SkipBlanks();
      while (FPos < FText.size() && FText[FPos] != ')') {
        if (FText[FPos] != '\'' && FText[FPos] != '#') Fail("a string was expected");
        V.Strings.push_back(String());
        SkipBlanks();
      }
      Expect(')');
    } else if (c == '{') {
      ++FPos;
      V.Kind = TDefValue::vkBinary;
      SkipBlanks();
      if (FText.compare(FPos, 5, "file:") == 0) {
        FPos += 5;
        size_t Start = FPos;
        while (FPos < FText.size() && FText[FPos] != '}' && !std::isspace(uint8_t(FText[FPos])))
          ++FPos;
        V.Ident = FText.substr(Start, FPos - Start);
        if (V.Ident.empty()) Fail("a file name was expected");
      } else {
        int Nibbles = 0;
        uint8_t Byte = 0;
        while (FPos < FText.size() && FText[FPos] != '}') {
          char h = char(std::tolower(FText[FPos++]));
          if (std::isspace(uint8_t(h))) continue;
          if (!std::isxdigit(uint8_t(h))) Fail("hexadecimal data was expected");
          Byte = uint8_t(Byte * 16 + (h <= '9' ? h - '0' : h - 'a' + 10));
          if (++Nibbles % 2 == 0) {
            V.Binary.push_back(Byte);
            Byte = 0;
          }
        }
        if (Nibbles % 2) Fail("odd number of hexadecimal digits");
      }
      Expect('}');
    } else if (c == '<') {
      ++FPos;
      V.Kind = TDefValue::vkCollection;
      while (!PeekWord(">") && FPos < FText.size() && FText[FPos] != '>') {
        if (!PeekWord("item")) Fail("'item' was expected");
        FPos += 4;
        TDefValue::TProperties Item;
        while (!PeekWord("end")) {
          if (FPos >= FText.size()) Fail("'end' was expected");
          std::string Name = Ident();
          Expect('=');
          Item.emplace_back(std::move(Name), ParseValue());
        }
        FPos += 3;
        V.Collection.push_back(std::move(Item));
        SkipBlanks();
      }
      Expect('>');
    } else {
      V.Kind = TDefValue::vkIdent;
      V.Ident = Ident();
    }
    return V;
  }

  const std::string& FText;
  size_t FPos = 0;
};

class TDefReader {
public:
  TDefReader(TComponent* Root, const TBinaryResolver& Resolver)
      : FRoot(Root), FResolver(Resolver) {}

  void Read(const TDefNode& Node) {
    FRoot->SetLoading(true);
    FLoaded.push_back(FRoot);
    ReadProperties(FRoot, Node);
    for (const TDefNode& Child : Node.Children)
      ReadChild(Child, FRoot);
    for (TComponent* C : FLoaded)
      C->Loaded();
  }

private:
  void ReadChild(const TDefNode& Node, TComponent* Parent) {
    TComponent* C = CreateComponentByClassName(Node.ClassName, FRoot);
    C->SetName(Utf8ToWide(Node.Name));
    C->SetLoading(true);
    FLoaded.push_back(C);
    if (!FRoot->BindField(Node.Name, C))
      throw Exception(L"Field " + Utf8ToWide(Node.Name) + L" has another type than " +
                      Utf8ToWide(Node.ClassName));
    if (auto* P = dynamic_cast<IParentable*>(C)) P->SetParentComponent(Parent);
    ReadProperties(C, Node);
    for (const TDefNode& Child : Node.Children)
      ReadChild(Child, C);
  }

  void ReadProperties(TComponent* C, const TDefNode& Node) {
    for (const auto& [Name, Value] : Node.Properties) {
      TDefValue Resolved;
      const TDefValue* V = &Value;
      if (Name.size() > 2 && Name.compare(0, 2, "On") == 0 && Value.Kind == TDefValue::vkIdent) {
        Resolved = Value;
        Resolved.Method = FRoot->FindMethod(Value.Ident);
        if (!Resolved.Method) throw Exception(L"Method " + Utf8ToWide(Value.Ident) + L" not found");
        V = &Resolved;
      } else if (Value.Kind == TDefValue::vkBinary && !Value.Ident.empty()) {
        Resolved = ResolveFiles(Value);
        V = &Resolved;
      } else if (Value.Kind == TDefValue::vkCollection) {
        Resolved = Value;
        for (auto& Item : Resolved.Collection)
          for (auto& [ItemName, ItemValue] : Item)
            if (ItemValue.Kind == TDefValue::vkBinary && !ItemValue.Ident.empty())
              ItemValue = ResolveFiles(ItemValue);
        V = &Resolved;
      }
      bool Known;
      try {
        Known = C->ReadProperty(Name, *V);
      } catch (const Exception& E) {
        throw Exception(L"Error reading " + Utf8ToWide(Node.Name) + L"." + Utf8ToWide(Name) +
                        L": " + E.Message());
      }
      if (!Known)
        throw Exception(L"Error reading " + Utf8ToWide(Node.Name) + L"." + Utf8ToWide(Name) +
                        L": Property " + Utf8ToWide(Name) + L" does not exist");
    }
  }

  TDefValue ResolveFiles(const TDefValue& Value) {
    if (!FResolver) throw Exception(L"No packed file named " + Utf8ToWide(Value.Ident));
    TDefValue Out = Value;
    Out.Binary = FResolver(Value.Ident);
    Out.Ident.clear();
    return Out;
  }

  TComponent* FRoot;
  const TBinaryResolver& FResolver;
  std::vector<TComponent*> FLoaded;
};

} // namespace

int TDefValue::AsInt() const {
  if (Kind != vkInt) throw Exception(L"Integer value expected");
  return int(Int);
}

bool TDefValue::AsBool() const {
  if (Kind == vkIdent && (Ident == "True" || Ident == "False")) return Ident == "True";
  throw Exception(L"Boolean value expected");
}

const std::wstring& TDefValue::AsString() const {
  if (Kind != vkString) throw Exception(L"String value expected");
  return Str;
}

const std::string& TDefValue::AsIdent() const {
  if (Kind != vkIdent) throw Exception(L"Identifier expected");
  return Ident;
}

TDefNode ParseDefinition(const std::string& Text) {
  return TDefParser(Text).ParseRoot();
}

void ReadComponentTree(TComponent* Root, const TDefNode& Node, const TBinaryResolver& Resolver) {
  TDefReader(Root, Resolver).Read(Node);
}
