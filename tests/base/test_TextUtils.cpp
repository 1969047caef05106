#include "base/TextUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Utf8Of(char32_t Cp) {
  std::string Out;
  AppendUtf8(Out, Cp);
  return Out;
}

template <class C>
std::vector<std::basic_string<C>> LinesOf(std::basic_string_view<C> Text) {
  std::vector<std::basic_string<C>> Lines;
  ForEachLine(Text, [&](std::basic_string_view<C> Line) { Lines.emplace_back(Line); });
  return Lines;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(Utf8, EncodesEachLengthAtItsBoundaries) {
  EXPECT_EQ(Utf8Of(0x00), std::string(1, '\0'));
  EXPECT_EQ(Utf8Of(0x7F), "\x7F");
  EXPECT_EQ(Utf8Of(0x80), "\xC2\x80");
  EXPECT_EQ(Utf8Of(0x7FF), "\xDF\xBF");
  EXPECT_EQ(Utf8Of(0x800), "\xE0\xA0\x80");
  EXPECT_EQ(Utf8Of(0xFFFF), "\xEF\xBF\xBF");
  EXPECT_EQ(Utf8Of(0x10000), "\xF0\x90\x80\x80");
  EXPECT_EQ(Utf8Of(0x10FFFF), "\xF4\x8F\xBF\xBF");
}

TEST(Utf8, CodePointsUtf8CannotCarryBecomeReplacements) {
  EXPECT_EQ(Utf8Of(0xD800), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8Of(0xDFFF), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf8Of(0x110000), "\xEF\xBF\xBD");
}

TEST(Utf8, Utf16PairsJoinAndLoneSurrogatesAreReplaced) {
  EXPECT_EQ(Utf16ToUtf8(u"kód \U0001F600"), "k\xC3\xB3\x64 \xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD83D)}), "a\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDE00), u'b'}), "\xEF\xBF\xBD"
                                                                 "b");
  // A high surrogate followed by another high one: both are lone.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}),
            "\xEF\xBF\xBD\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
}

TEST(Utf8, DecodesValidTextToUtf16) {
  EXPECT_EQ(Utf8ToUtf16("k\xC3\xB3\x64 \xE2\x82\xAC \xF0\x9F\x98\x80"), u"kód € \U0001F600");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
  EXPECT_EQ(Utf8ToUtf16(""), u"");
}

TEST(Utf8, MalformedPiecesBecomeOneReplacementEachAndLoseNothingAfterThem) {
  const std::u16string R = u"\uFFFD";
  EXPECT_EQ(Utf8ToUtf16("a\x80"
                        "b"),
            u"a" + R + u"b");                                // stray continuation
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), R + R);                 // overlong lead
  EXPECT_EQ(Utf8ToUtf16("\xE0\x80\xAF"), R + R + R);         // overlong 3-byte form
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), R + R + R);         // a surrogate
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), R + R + R + R); // past U+10FFFF
  EXPECT_EQ(Utf8ToUtf16("\xF5\x80"), R + R);                 // never a lead byte
  EXPECT_EQ(Utf8ToUtf16("\xC3"
                        "A"),
            R + u"A"); // cut short by ASCII
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82"
                        "A"),
            R + u"A");                                  // its valid beginning
  EXPECT_EQ(Utf8ToUtf16("x\xF0\x9F\x98"), u"x" + R);    // cut short at the end
  EXPECT_EQ(Utf8ToUtf16("\xE2\x82\xC3\xB3"), R + u"ó"); // a new lead after it
}

TEST(Utf8, WideStringsRoundTripInBothWidths) {
  const std::wstring Text = L"Žádné \U0001F600 €";
  EXPECT_EQ(WideToUtf8(Text), "\xC5\xBD\xC3\xA1\x64n\xC3\xA9 \xF0\x9F\x98\x80 \xE2\x82\xAC");
  EXPECT_EQ(Utf8ToWide(WideToUtf8(Text)), Text);
  EXPECT_EQ(Utf8ToWide("\xC3"
                       "A"),
            L"\uFFFD"
            L"A");
  // A lone surrogate unit of a wide string is replaced too.
  EXPECT_EQ(WideToUtf8(std::wstring{L'a', wchar_t(0xDC00)}), "a\xEF\xBF\xBD");
}

TEST(Lines, EveryLineBreakEndsALineAndTheRestIsTheLastLine) {
  using V = std::string_view;
  EXPECT_EQ(LinesOf(V("")), Strings({""}));
  EXPECT_EQ(LinesOf(V("abc")), Strings({"abc"}));
  EXPECT_EQ(LinesOf(V("a\r\nb\rc\nd")), Strings({"a", "b", "c", "d"}));
  EXPECT_EQ(LinesOf(V("a\n")), Strings({"a", ""}));
  // LF CR is two line breaks; CR CR LF is a CR and a CR LF.
  EXPECT_EQ(LinesOf(V("a\n\rb")), Strings({"a", "", "b"}));
  EXPECT_EQ(LinesOf(V("a\r\r\n")), Strings({"a", "", ""}));
  EXPECT_EQ(LinesOf(std::u16string_view(u"x\r\ny")), std::vector<std::u16string>({u"x", u"y"}));
}

TEST(Lines, SplitLinesDropsOnlyTheEmptyPieceAtTheEnd) {
  EXPECT_EQ(SplitLines(std::string_view("")), Strings());
  EXPECT_EQ(SplitLines(std::string_view("a\r\n")), Strings({"a"}));
  EXPECT_EQ(SplitLines(std::string_view("\n")), Strings({""}));
  EXPECT_EQ(SplitLines(std::string_view("a\n\nb\r")), Strings({"a", "", "b"}));
  EXPECT_EQ(SplitLines(std::string_view("a\r\n\r\n")), Strings({"a", ""}));
  EXPECT_EQ(SplitLines(std::wstring(L"TEdit\r\nTMemo\nTRichEdit")),
            std::vector<std::wstring>({L"TEdit", L"TMemo", L"TRichEdit"}));
  EXPECT_EQ(SplitLines(std::wstring(L"")), std::vector<std::wstring>());
}

TEST(Lines, ReplacedLineBreaksMapsEachKindOnce) {
  EXPECT_EQ(ReplacedLineBreaks(std::u16string_view(u"a\rb\nc\r\nd\n\re\r\r"), u"\r\n"),
            u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n");
  EXPECT_EQ(ReplacedLineBreaks(std::u16string_view(u"a\r\nb\nc\r"), u"\r"), u"a\rb\rc\r");
  EXPECT_EQ(ReplacedLineBreaks(std::string_view("x\ny\r\n"), "\r\n"), "x\r\ny\r\n");
  EXPECT_EQ(ReplacedLineBreaks(std::wstring_view(L"p\rq"), L"\r\n"), L"p\r\nq");
  EXPECT_EQ(ReplacedLineBreaks(std::string_view(""), "\r\n"), "");
  EXPECT_EQ(ReplacedLineBreaks(std::string_view("no breaks"), "\r\n"), "no breaks");
}

TEST(UpperCase, AsciiOnlyLeavesOtherBytesAlone) {
  EXPECT_EQ(UpperCaseAscii("master.bmp"), "MASTER.BMP");
  EXPECT_EQ(UpperCaseAscii("a-z_0@[`{"), "A-Z_0@[`{");
  // The UTF-8 bytes of "č" are not letters to it.
  EXPECT_EQ(UpperCaseAscii("\xC4\x8D"
                           "x"),
            "\xC4\x8D"
            "X");
  EXPECT_EQ(UpperCaseAscii(""), "");
}

TEST(UpperCase, WideUpperCasesLetters) {
  EXPECT_EQ(UpperCase(L"skin.kvz"), L"SKIN.KVZ");
  EXPECT_EQ(UpperCase(L"Un_Main 1"), L"UN_MAIN 1");
}

TEST(CommandLineArguments, SkipsTheProgramNameAsTheSystemDoes) {
  EXPECT_EQ(CommandLineArguments(L"textovrt.exe"), L"");
  EXPECT_EQ(CommandLineArguments(L""), L"");
  EXPECT_EQ(CommandLineArguments(L"textovrt.exe  \t "), L"");
  EXPECT_EQ(CommandLineArguments(L"\"C:\\Program Files\\t.exe\""), L"");
  EXPECT_EQ(CommandLineArguments(L"\"C:\\Program Files\\t.exe\" /tvdiag a.txt"), L"/tvdiag a.txt");
  // The quoted name ends at its closing quote even without a blank after it.
  EXPECT_EQ(CommandLineArguments(L"\"t.exe\"x.txt"), L"x.txt");
  // An unquoted name ends at the first blank; quotes inside it do not count.
  EXPECT_EQ(CommandLineArguments(L"t\"a b\".exe c"), L"b\".exe c");
  EXPECT_EQ(CommandLineArguments(L"t.exe\t\"a b.txt\""), L"\"a b.txt\"");
  // A name whose quote is never closed takes the whole line.
  EXPECT_EQ(CommandLineArguments(L"\"t.exe a.txt"), L"");
}
