// Text helpers shared by every layer: UTF-8 conversion, lines and line breaks, upper case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// UTF-8

// Appends the UTF-8 form of a code point; a surrogate or a value past U+10FFFF, which UTF-8
// cannot carry, is written as U+FFFD.
void AppendUtf8(std::string& Out, char32_t CodePoint);

// UTF-16 to UTF-8: surrogate pairs become one code point, a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view Text);
// UTF-8 to UTF-16. Each malformed piece (a stray continuation byte, a byte that never starts a
// sequence, a sequence cut short, an overlong form, a surrogate or a value past U+10FFFF)
// becomes one U+FFFD for its longest valid beginning, and decoding goes on after it, so no valid
// character next to a malformed one is lost.
std::u16string Utf8ToUtf16(std::string_view Text);

// The same for wide strings: UTF-16 where wchar_t has 16 bits (Windows), code points where it
// has 32 (surrogate units are paired there too).
std::string WideToUtf8(std::wstring_view Text);
std::wstring Utf8ToWide(std::string_view Text);

// ---------------------------------------------------------------------------------------------
// Lines

// Calls Line(std::basic_string_view<C>) for each line of Text: CR LF, CR and LF each end a line,
// and the part after the last line break is the last line, empty or not, so a text with N line
// breaks has N + 1 lines.
template <class C, class F>
void ForEachLine(std::basic_string_view<C> Text, F&& Line) {
  size_t Start = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    const C c = Text[i];
    if (c != C('\r') && c != C('\n')) continue;
    Line(Text.substr(Start, i - Start));
    if (c == C('\r') && i + 1 < Text.size() && Text[i + 1] == C('\n')) ++i;
    Start = i + 1;
  }
  Line(Text.substr(Start));
}

// The lines of a text as a string list holds them: split as ForEachLine splits, except that the
// empty piece after a final line break (or of an empty text) is no line.
std::vector<std::string> SplitLines(std::string_view Text);
std::vector<std::wstring> SplitLines(std::wstring_view Text);

// Every line break of Text (CR LF, CR or LF) replaced by Break.
std::string ReplacedLineBreaks(std::string_view Text, std::string_view Break);
std::u16string ReplacedLineBreaks(std::u16string_view Text, std::u16string_view Break);
std::wstring ReplacedLineBreaks(std::wstring_view Text, std::wstring_view Break);

// ---------------------------------------------------------------------------------------------
// Upper case

// Upper-cases the ASCII letters only, as the skin engine compares names and file names.
std::string UpperCaseAscii(std::string S);
// Upper-cases every character by the C library's wide character rules (towupper).
std::wstring UpperCase(std::wstring S);

// ---------------------------------------------------------------------------------------------
// Command lines

// What a Windows command line holds after the program's name and the blanks that follow it:
// the name runs to the next quote when it starts with one, else to the first space or tab
// (the system's own rule for the first word). Empty when the program was given no arguments.
std::wstring_view CommandLineArguments(std::wstring_view CommandLine);
