// The options text of a skin held in memory, and number conversions.
#include "skin/data/kvSkinIni.h"

#include "base/TextUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// UTF-16 text (after its mark) to UTF-8; a lone surrogate becomes U+FFFD, an odd last byte is
// dropped.
std::string Utf16BytesToUtf8(std::string_view Bytes, bool BigEndian) {
  std::u16string Units;
  Units.reserve(Bytes.size() / 2);
  for (size_t i = 0; i + 1 < Bytes.size(); i += 2) {
    auto a = uint8_t(Bytes[i]), b = uint8_t(Bytes[i + 1]);
    Units += char16_t(BigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return Utf16ToUtf8(Units);
}

} // namespace

bool TryStrToInt(std::string_view S, int& Value) {
  size_t i = 0;
  bool Negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) Negative = S[i++] == '-';
  bool Hex = false;
  if (i < S.size() && S[i] == '$') {
    Hex = true;
    ++i;
  } else if (i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    Hex = true;
    i += 2;
  }
  if (i >= S.size()) return false;
  uint64_t V = 0;
  for (; i < S.size(); ++i) {
    int D = Hex ? HexDigit(S[i]) : (S[i] >= '0' && S[i] <= '9' ? S[i] - '0' : -1);
    if (D < 0) return false;
    V = V * (Hex ? 16 : 10) + uint64_t(D);
    if (V > 0xFFFFFFFFull) return false;
  }
  if (Hex) {
    auto U = uint32_t(V);
    Value = int(Negative ? uint32_t(0) - U : U);
    return true;
  }
  if (Negative ? V > 0x80000000ull : V > 0x7FFFFFFFull) return false;
  Value = Negative ? int(-int64_t(V)) : int(V);
  return true;
}

int StrToInt(std::string_view S) {
  int V;
  if (!TryStrToInt(S, V))
    throw EConvertError("'" + std::string(S) + "' is not a valid integer value");
  return V;
}

int StrToIntDef(std::string_view S, int Default) {
  int V;
  return TryStrToInt(S, V) ? V : Default;
}

bool TryStrToFloatDot(std::string_view S, double& Value) {
  size_t i = 0;
  bool Negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) Negative = S[i++] == '-';
  double V = 0;
  int Digits = 0;
  for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i, ++Digits)
    V = V * 10 + (S[i] - '0');
  if (i < S.size() && S[i] == '.') {
    double Scale = 0.1;
    for (++i; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i, ++Digits, Scale /= 10)
      V += (S[i] - '0') * Scale;
  }
  if (Digits == 0) return false;
  if (i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
    ++i;
    bool NegExp = false;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) NegExp = S[i++] == '-';
    int Exp = 0, ExpDigits = 0;
    for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i, ++ExpDigits)
      Exp = std::min(Exp * 10 + (S[i] - '0'), 400);
    if (ExpDigits == 0) return false;
    V *= std::pow(10.0, NegExp ? -Exp : Exp);
  }
  if (i != S.size() || !std::isfinite(V)) return false;
  Value = Negative ? -V : V;
  return true;
}

std::string FloatToStrDot(double Value) {
  // Shortest form of up to 15 significant digits, "." whatever the locale.
  char Buf[64];
  std::snprintf(Buf, sizeof(Buf), "%.15g", Value);
  std::string S = Buf;
  for (char& c : S)
    if (c == ',') c = '.';
  if (S.find_first_of(".eEn") == std::string::npos) S += ".0";
  return S;
}

std::string_view TrimBlanks(std::string_view S) {
  size_t B = 0, E = S.size();
  while (B < E && uint8_t(S[B]) <= ' ')
    ++B;
  while (E > B && uint8_t(S[E - 1]) <= ' ')
    --E;
  return S.substr(B, E - B);
}

bool IsTrueText(std::string_view Value) {
  if (Value == "1") return true;
  if (Value.size() != 4) return false;
  const char* T = "TRUE";
  for (size_t i = 0; i < 4; ++i) {
    char c = Value[i];
    if (c >= 'a' && c <= 'z') c = char(c - 32);
    if (c != T[i]) return false;
  }
  return true;
}

void TkvMemIniFile::SetText(std::string_view Text) {
  std::string Decoded;
  if (Text.size() >= 3 && Text.substr(0, 3) == "\xEF\xBB\xBF") {
    Text.remove_prefix(3);
  } else if (Text.size() >= 2 &&
             (Text.substr(0, 2) == "\xFF\xFE" || Text.substr(0, 2) == "\xFE\xFF")) {
    Decoded = Utf16BytesToUtf8(Text.substr(2), Text[0] == '\xFE');
    Text = Decoded;
  }
  FSections.clear();
  FIndex.clear();
  FCurrent = nullptr;
  int LineNo = 0;
  // The empty piece after a final line break adds nothing: AddLine skips empty lines.
  ForEachLine(Text, [&](std::string_view Line) { AddLine(Line, ++LineNo); });
  FCurrent = nullptr;
}

void TkvMemIniFile::SetLines(const std::vector<std::string>& Lines) {
  FSections.clear();
  FIndex.clear();
  FCurrent = nullptr;
  int LineNo = 0;
  for (const std::string& L : Lines)
    AddLine(L, ++LineNo);
  FCurrent = nullptr;
}

void TkvMemIniFile::AddLine(std::string_view Line, int LineNo) {
  Line = TrimBlanks(Line);
  if (Line.empty() || Line[0] == ';') return;
  if (Line.front() == '[' && Line.back() == ']' && Line.size() >= 2) {
    TSection S;
    S.Name = std::string(TrimBlanks(Line.substr(1, Line.size() - 2)));
    S.Line = LineNo;
    FIndex.emplace(S.Name, FSections.size()); // keeps the first of a repeated name
    FSections.push_back(std::move(S));
    FCurrent = &FSections.back();
    return;
  }
  if (!FCurrent) return;
  size_t Eq = Line.find('=');
  if (Eq == std::string_view::npos) return; // a line without "=" never names a value
  FCurrent->Keys.push_back(
      {std::string(TrimBlanks(Line.substr(0, Eq))), std::string(TrimBlanks(Line.substr(Eq + 1)))});
}

const TkvMemIniFile::TSection* TkvMemIniFile::FindSection(std::string_view Section) const {
  auto It = FIndex.find(std::string(Section));
  return It == FIndex.end() ? nullptr : &FSections[It->second];
}

const std::string* TkvMemIniFile::FindValue(std::string_view Section, std::string_view Key) const {
  const TSection* S = FindSection(Section);
  if (!S) return nullptr;
  for (const TKey& K : S->Keys)
    if (K.Name == Key) return &K.Value;
  return nullptr;
}

std::string TkvMemIniFile::ReadString(std::string_view Section, std::string_view Key,
                                      std::string_view Default) const {
  const std::string* V = FindValue(Section, Key);
  return V ? *V : std::string(Default);
}

int TkvMemIniFile::ReadInteger(std::string_view Section, std::string_view Key, int Default) const {
  const std::string* V = FindValue(Section, Key);
  return V ? StrToIntDef(*V, Default) : Default;
}

bool TkvMemIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const {
  const std::string* V = FindValue(Section, Key);
  return V ? IsTrueText(*V) : Default;
}

std::vector<std::string> TkvMemIniFile::ReadSections() const {
  std::vector<std::string> Names;
  Names.reserve(FSections.size());
  for (const TSection& S : FSections)
    Names.push_back(S.Name);
  return Names;
}

std::vector<std::string> TkvMemIniFile::ReadSection(std::string_view Section) const {
  std::vector<std::string> Names;
  if (const TSection* S = FindSection(Section))
    for (const TKey& K : S->Keys)
      Names.push_back(K.Name);
  return Names;
}
