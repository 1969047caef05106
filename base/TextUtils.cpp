// Text helpers shared by every layer: UTF-8 conversion, lines and line breaks, upper case.
#include "base/TextUtils.h"

#include <cstdint>
#include <cwctype>

namespace {

bool IsHigh(uint32_t U) {
  return U >= 0xD800 && U < 0xDC00;
}
bool IsLow(uint32_t U) {
  return U >= 0xDC00 && U < 0xE000;
}

// Units of 16 or 32 bits to UTF-8; a high and a low surrogate unit in a row form one code point.
template <class C>
std::string UnitsToUtf8(std::basic_string_view<C> Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    uint32_t U = uint32_t(Text[i]);
    if (IsHigh(U) && i + 1 < Text.size() && IsLow(uint32_t(Text[i + 1])))
      U = 0x10000 + ((U - 0xD800) << 10) + (uint32_t(Text[++i]) - 0xDC00);
    AppendUtf8(Out, char32_t(U));
  }
  return Out;
}

// UTF-8 to units of 16 bits (as UTF-16) or 32 bits (as code points).
template <class C>
std::basic_string<C> Utf8ToUnits(std::string_view Text) {
  std::basic_string<C> Out;
  Out.reserve(Text.size());
  const size_t n = Text.size();
  auto Byte = [&](size_t k) { return unsigned(uint8_t(Text[k])); };
  size_t i = 0;
  while (i < n) {
    const unsigned c = Byte(i);
    if (c < 0x80) {
      Out += C(c);
      ++i;
      continue;
    }
    // The length, and the range of the second byte that rules out overlong forms, surrogates
    // and code points past U+10FFFF (RFC 3629, section 4).
    size_t Len = 0;
    unsigned Lo = 0x80, Hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
      Len = 2;
    else if (c == 0xE0)
      Len = 3, Lo = 0xA0;
    else if (c >= 0xE1 && c <= 0xEC)
      Len = 3;
    else if (c == 0xED)
      Len = 3, Hi = 0x9F;
    else if (c >= 0xEE && c <= 0xEF)
      Len = 3;
    else if (c == 0xF0)
      Len = 4, Lo = 0x90;
    else if (c >= 0xF1 && c <= 0xF3)
      Len = 4;
    else if (c == 0xF4)
      Len = 4, Hi = 0x8F;
    if (Len == 0) {
      Out += C(0xFFFD);
      ++i;
      continue;
    }
    uint32_t Cp = c & (0xFF >> (Len + 1));
    size_t k = 1;
    for (; k < Len && i + k < n; ++k) {
      const unsigned t = Byte(i + k);
      if (k == 1 ? (t < Lo || t > Hi) : (t < 0x80 || t > 0xBF)) break;
      Cp = Cp << 6 | (t & 0x3F);
    }
    if (k < Len) { // malformed: one replacement for its valid beginning
      Out += C(0xFFFD);
      i += k;
      continue;
    }
    if (sizeof(C) == 2 && Cp >= 0x10000) {
      Cp -= 0x10000;
      Out += C(0xD800 + (Cp >> 10));
      Out += C(0xDC00 + (Cp & 0x3FF));
    } else {
      Out += C(Cp);
    }
    i += Len;
  }
  return Out;
}

template <class C>
std::vector<std::basic_string<C>> SplitLinesOf(std::basic_string_view<C> Text) {
  std::vector<std::basic_string<C>> Lines;
  ForEachLine(Text, [&](std::basic_string_view<C> Line) { Lines.emplace_back(Line); });
  // The piece after the last line break always comes last; an empty one is no line.
  if (Lines.back().empty()) Lines.pop_back();
  return Lines;
}

template <class C>
std::basic_string<C> ReplacedLineBreaksOf(std::basic_string_view<C> Text,
                                          std::basic_string_view<C> Break) {
  std::basic_string<C> Out;
  Out.reserve(Text.size() + Text.size() / 32);
  size_t i = 0;
  while (i < Text.size()) {
    size_t j = i;
    while (j < Text.size() && Text[j] != C('\r') && Text[j] != C('\n'))
      ++j;
    Out.append(Text.substr(i, j - i));
    if (j == Text.size()) break;
    Out.append(Break);
    i = j + (Text[j] == C('\r') && j + 1 < Text.size() && Text[j + 1] == C('\n') ? 2 : 1);
  }
  return Out;
}

} // namespace

void AppendUtf8(std::string& Out, char32_t CodePoint) {
  uint32_t Cp = uint32_t(CodePoint);
  if (Cp > 0x10FFFF || (Cp >= 0xD800 && Cp < 0xE000)) Cp = 0xFFFD;
  if (Cp < 0x80) {
    Out += char(Cp);
  } else if (Cp < 0x800) {
    Out += char(0xC0 | (Cp >> 6));
    Out += char(0x80 | (Cp & 0x3F));
  } else if (Cp < 0x10000) {
    Out += char(0xE0 | (Cp >> 12));
    Out += char(0x80 | ((Cp >> 6) & 0x3F));
    Out += char(0x80 | (Cp & 0x3F));
  } else {
    Out += char(0xF0 | (Cp >> 18));
    Out += char(0x80 | ((Cp >> 12) & 0x3F));
    Out += char(0x80 | ((Cp >> 6) & 0x3F));
    Out += char(0x80 | (Cp & 0x3F));
  }
}

std::string Utf16ToUtf8(std::u16string_view Text) {
  return UnitsToUtf8(Text);
}
std::u16string Utf8ToUtf16(std::string_view Text) {
  return Utf8ToUnits<char16_t>(Text);
}
std::string WideToUtf8(std::wstring_view Text) {
  return UnitsToUtf8(Text);
}
std::wstring Utf8ToWide(std::string_view Text) {
  return Utf8ToUnits<wchar_t>(Text);
}

std::vector<std::string> SplitLines(std::string_view Text) {
  return SplitLinesOf(Text);
}
std::vector<std::wstring> SplitLines(std::wstring_view Text) {
  return SplitLinesOf(Text);
}

std::string ReplacedLineBreaks(std::string_view Text, std::string_view Break) {
  return ReplacedLineBreaksOf(Text, Break);
}
std::u16string ReplacedLineBreaks(std::u16string_view Text, std::u16string_view Break) {
  return ReplacedLineBreaksOf(Text, Break);
}
std::wstring ReplacedLineBreaks(std::wstring_view Text, std::wstring_view Break) {
  return ReplacedLineBreaksOf(Text, Break);
}

std::string UpperCaseAscii(std::string S) {
  for (char& c : S)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return S;
}

std::wstring UpperCase(std::wstring S) {
  for (wchar_t& c : S)
    c = wchar_t(std::towupper(c));
  return S;
}

std::wstring_view CommandLineArguments(std::wstring_view CommandLine) {
  size_t i = 0;
  if (!CommandLine.empty() && CommandLine[0] == L'"') {
    size_t Close = CommandLine.find(L'"', 1);
    i = Close == std::wstring_view::npos ? CommandLine.size() : Close + 1;
  } else {
    while (i < CommandLine.size() && CommandLine[i] != L' ' && CommandLine[i] != L'\t')
      ++i;
  }
  while (i < CommandLine.size() && (CommandLine[i] == L' ' || CommandLine[i] == L'\t'))
    ++i;
  return CommandLine.substr(i);
}
