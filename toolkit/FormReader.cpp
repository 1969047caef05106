// Stored form definitions: the parser and the reader that builds components from them.
#include "toolkit/FormReader.h"

#include <cctype>
#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace {

class TDefParser {
public:
  TDefParser(const std::string& Text, const std::string& FileName)
      : FText(Text), FFileName(FileName) {}

  TDefNode ParseRoot() {
    SkipBlanks();
    TDefNode Node = ParseObject();
    SkipBlanks();
    if (FPos < FText.size()) Fail("text after the last end");
    return Node;
  }

private:
  [[noreturn]] void Fail(const std::string& What) {
    throw Exception(DefinitionPlace(FFileName, LineAt(FPos)) + Utf8ToWide(What));
  }

  // The line of a position. Positions are asked for in increasing order, so the count goes on
  // from the last one asked.
  int LineAt(size_t Pos) {
    Pos = std::min(Pos, FText.size());
    if (Pos < FCountedPos) {
      FCountedPos = 0;
      FCountedLine = 1;
    }
    for (; FCountedPos < Pos; ++FCountedPos)
      if (FText[FCountedPos] == '\n') ++FCountedLine;
    return FCountedLine;
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
    TDefNode Node;
    Node.Line = LineAt(FPos);
    FPos += 6;
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

  // A decimal or $hexadecimal integer with an optional minus; one that does not fit 64 bits
  // is an error naming it.
  int64_t Number() {
    SkipBlanks();
    size_t Begin = FPos;
    bool Negative = false;
    if (FPos < FText.size() && FText[FPos] == '-') {
      Negative = true;
      ++FPos;
    }
    // The magnitude is gathered unsigned, so that the most negative value fits too.
    const uint64_t Limit = Negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    bool Hex = FPos < FText.size() && FText[FPos] == '$';
    if (Hex) ++FPos;
    const unsigned Base = Hex ? 16 : 10;
    size_t Start = FPos;
    uint64_t Value = 0;
    bool Overflow = false;
    while (FPos < FText.size() &&
           (Hex ? std::isxdigit(uint8_t(FText[FPos])) : std::isdigit(uint8_t(FText[FPos])))) {
      char c = char(std::tolower(FText[FPos++]));
      unsigned Digit = unsigned(c <= '9' ? c - '0' : c - 'a' + 10);
      if (Value > (Limit - Digit) / Base)
        Overflow = true;
      else
        Value = Value * Base + Digit;
    }
    if (Start == FPos) Fail(Hex ? "hexadecimal digits were expected" : "a number was expected");
    if (Overflow) {
      std::string Text = FText.substr(Begin, FPos - Begin);
      FPos = Begin;
      Fail("number " + Text + " is out of range");
    }
    return Negative ? int64_t(0 - Value) : int64_t(Value);
  }

  // The end of the decimal digits from Pos.
  size_t DigitsEnd(size_t Pos) const {
    while (Pos < FText.size() && std::isdigit(uint8_t(FText[Pos])))
      ++Pos;
    return Pos;
  }

  // Whether a decimal number with a fraction or an exponent starts here (8.41, -1E3).
  bool IsFloatAhead() const {
    size_t Pos = FPos < FText.size() && FText[FPos] == '-' ? FPos + 1 : FPos;
    size_t End = DigitsEnd(Pos);
    if (End == Pos || End >= FText.size()) return false;
    return (FText[End] == '.' && End + 1 < FText.size() && std::isdigit(uint8_t(FText[End + 1]))) ||
           FText[End] == 'e' || FText[End] == 'E';
  }

  double FloatNumber() {
    size_t Begin = FPos;
    size_t End = DigitsEnd(FText[FPos] == '-' ? FPos + 1 : FPos);
    if (End < FText.size() && FText[End] == '.') End = DigitsEnd(End + 1);
    if (End < FText.size() && (FText[End] == 'e' || FText[End] == 'E')) {
      size_t Exp = End + 1;
      if (Exp < FText.size() && (FText[Exp] == '+' || FText[Exp] == '-')) ++Exp;
      size_t ExpEnd = DigitsEnd(Exp);
      if (ExpEnd == Exp) Fail("exponent digits were expected");
      End = ExpEnd;
    }
    double Value = 0;
    auto [Ptr, Ec] = std::from_chars(FText.data() + Begin, FText.data() + End, Value);
    if (Ec != std::errc() || Ptr != FText.data() + End || !std::isfinite(Value))
      Fail("number " + FText.substr(Begin, End - Begin) + " is out of range");
    FPos = End;
    return Value;
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
    V.Line = LineAt(FPos);
    char c = FText[FPos];
    if (c == '\'' || c == '#') {
      V.Kind = TDefValue::vkString;
      V.Str = String();
    } else if (IsFloatAhead()) {
      V.Kind = TDefValue::vkFloat;
      V.Float = FloatNumber();
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
  const std::string& FFileName;
  size_t FPos = 0;
  size_t FCountedPos = 0;
  int FCountedLine = 1;
};

class TDefReader {
public:
  TDefReader(TComponent* Root, const TBinaryResolver& Resolver, const std::string& FileName)
      : FRoot(Root), FResolver(Resolver), FFileName(FileName) {}

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
  [[noreturn]] void Fail(int Line, const std::wstring& Message) const {
    throw Exception(DefinitionPlace(FFileName, Line) + Message);
  }

  void ReadChild(const TDefNode& Node, TComponent* Parent) {
    TComponent* C;
    try {
      C = CreateComponentByClassName(Node.ClassName, FRoot);
    } catch (const std::exception& E) {
      Fail(Node.Line, ExceptionMessage(E));
    }
    C->SetName(Utf8ToWide(Node.Name));
    C->SetLoading(true);
    FLoaded.push_back(C);
    if (!FRoot->BindField(Node.Name, C))
      Fail(Node.Line, L"Field " + Utf8ToWide(Node.Name) + L" has another type than " +
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
        if (!Resolved.Method)
          Fail(Value.Line, L"Method " + Utf8ToWide(Value.Ident) + L" not found");
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
      } catch (const EDefValueError& E) {
        Fail(E.Line ? E.Line : Value.Line,
             E.Message() + L" for " + Utf8ToWide(E.Property.empty() ? Name : E.Property));
      } catch (const std::exception& E) {
        Fail(Value.Line, ExceptionMessage(E));
      }
      if (!Known)
        Fail(Value.Line, L"unknown property \"" + Utf8ToWide(Name) + L"\" of " +
                             Utf8ToWide(Node.Name) + L" (" + Utf8ToWide(Node.ClassName) + L")");
    }
  }

  TDefValue ResolveFiles(const TDefValue& Value) {
    if (!FResolver) Fail(Value.Line, L"No packed file named " + Utf8ToWide(Value.Ident));
    TDefValue Out = Value;
    try {
      Out.Binary = FResolver(Value.Ident);
    } catch (const std::exception& E) {
      Fail(Value.Line, ExceptionMessage(E));
    }
    Out.Ident.clear();
    return Out;
  }

  TComponent* FRoot;
  const TBinaryResolver& FResolver;
  const std::string& FFileName;
  std::vector<TComponent*> FLoaded;
};

// The text of a value as a message quotes it.
std::wstring Quoted(const std::string& Text) {
  return L"\"" + Utf8ToWide(Text) + L"\"";
}

} // namespace

std::wstring DefinitionPlace(const std::string& FileName, int Line) {
  return L"Form definition" + (FileName.empty() ? std::wstring() : L" " + Utf8ToWide(FileName)) +
         L", line " + std::to_wstring(Line) + L": ";
}

int TDefValue::AsInt() const {
  if (Kind != vkInt) throw EDefValueError(L"Integer value expected", Line);
  if (Int < INT_MIN || Int > INT_MAX)
    throw EDefValueError(L"integer " + std::to_wstring(Int) + L" out of range", Line);
  return int(Int);
}

bool TDefValue::AsBool() const {
  if (Kind == vkIdent && (Ident == "True" || Ident == "False")) return Ident == "True";
  if (Kind == vkIdent)
    throw EDefValueError(L"Boolean value (True or False) expected, not " + Quoted(Ident), Line);
  throw EDefValueError(L"Boolean value expected", Line);
}

const std::wstring& TDefValue::AsString() const {
  if (Kind != vkString) throw EDefValueError(L"String value expected", Line);
  return Str;
}

const std::string& TDefValue::AsIdent() const {
  if (Kind != vkIdent) throw EDefValueError(L"Identifier expected", Line);
  return Ident;
}

double TDefValue::AsFloat() const {
  if (Kind == vkFloat) return Float;
  if (Kind == vkInt) return double(Int);
  throw EDefValueError(L"Number expected", Line);
}

const std::vector<std::string>& TDefValue::AsSet() const {
  if (Kind != vkSet) throw EDefValueError(L"Set expected", Line);
  return Set;
}

int TDefValue::AsIdentIndex(std::initializer_list<const char*> Names) const {
  const std::string& Id = AsIdent();
  int Index = 0;
  for (const char* N : Names) {
    if (Id == N) return Index;
    ++Index;
  }
  FailUnknown();
}

unsigned
TDefValue::AsSetFlags(std::initializer_list<std::pair<const char*, unsigned>> Elements) const {
  unsigned Flags = 0;
  for (const std::string& S : AsSet()) {
    auto It =
        std::find_if(Elements.begin(), Elements.end(), [&](const auto& E) { return S == E.first; });
    if (It == Elements.end()) FailUnknown(S);
    Flags |= It->second;
  }
  return Flags;
}

void TDefValue::FailUnknown() const {
  FailUnknown(Kind == vkIdent ? Ident : std::string());
}

void TDefValue::FailUnknown(const std::string& Element) const {
  throw EDefValueError(L"unknown identifier " + Quoted(Element), Line);
}

TDefNode ParseDefinition(const std::string& Text, const std::string& FileName) {
  return TDefParser(Text, FileName).ParseRoot();
}

void ReadComponentTree(TComponent* Root, const TDefNode& Node, const TBinaryResolver& Resolver,
                       const std::string& FileName) {
  TDefReader(Root, Resolver, FileName).Read(Node);
}
