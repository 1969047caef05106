#include <gtest/gtest.h>

#include <clocale>

#include "skin/data/kvSkinIni.h"

TEST(kvSkinIni, ReadsAsAStringListWould) {
  TkvMemIniFile Ini("ignored=before any section\r\n"
                    "; a comment\r\n"
                    "  [ FORM ]  \r\n"
                    "\r\n"
                    "  COLOR  =  16766918  \r"
                    "color=1\n"
                    "  ; COLOR=5\n"
                    "no equals sign\n"
                    "EMPTY=\n"
                    "COLOR=2\n"
                    "[form]\n"
                    "COLOR=3\n"
                    "[FORM]\n"
                    "COLOR=4\n"
                    "HEX=$FF\n"
                    "HEX2=0x00FF00\n"
                    "BIG=$FFFFFFFF\n");
  EXPECT_EQ(Ini.ReadSections(), (std::vector<std::string>{"FORM", "form", "FORM"}));
  EXPECT_EQ(Ini.ReadInteger("FORM", "COLOR", 0), 16766918); // the first of repeated names
  EXPECT_EQ(Ini.ReadInteger("FORM", "color", 0), 1);
  EXPECT_EQ(Ini.ReadInteger("form", "COLOR", 0), 3);
  EXPECT_EQ(Ini.ReadString("FORM", "EMPTY", "?"), "");
  EXPECT_EQ(Ini.ReadInteger("FORM", "EMPTY", 7), 7);
  EXPECT_FALSE(Ini.ValueExists("FORM", "no equals sign"));
  EXPECT_FALSE(Ini.SectionExists("ignored"));
  EXPECT_EQ(Ini.ReadSection("FORM"),
            (std::vector<std::string>{"COLOR", "color", "EMPTY", "COLOR"}));
  EXPECT_EQ(Ini.ReadInteger("FORM", "HEX", 0), 0); // only in the second FORM section
  EXPECT_EQ(Ini.ReadInteger("Form", "COLOR", -1), -1);
}

TEST(kvSkinIni, Numbers) {
  int V = 0;
  EXPECT_TRUE(TryStrToInt("$FF", V));
  EXPECT_EQ(V, 255);
  EXPECT_TRUE(TryStrToInt("0x00FF00", V));
  EXPECT_EQ(V, 0xFF00);
  EXPECT_TRUE(TryStrToInt("$FFFFFFFF", V));
  EXPECT_EQ(V, -1);
  EXPECT_TRUE(TryStrToInt("-16777201", V));
  EXPECT_EQ(V, -16777201);
  EXPECT_TRUE(TryStrToInt("-2147483648", V));
  EXPECT_FALSE(TryStrToInt("2147483648", V));
  EXPECT_FALSE(TryStrToInt("$1FFFFFFFF", V));
  EXPECT_FALSE(TryStrToInt("", V));
  EXPECT_FALSE(TryStrToInt("$", V));
  EXPECT_FALSE(TryStrToInt("12a", V));
  EXPECT_FALSE(TryStrToInt("1 2", V));
  EXPECT_THROW(StrToInt("x"), EConvertError);
  EXPECT_EQ(StrToIntDef("N/A", -1), -1);

  EXPECT_TRUE(IsTrueText("1"));
  EXPECT_TRUE(IsTrueText("True"));
  EXPECT_TRUE(IsTrueText("TRUE"));
  EXPECT_FALSE(IsTrueText("yes"));
  EXPECT_FALSE(IsTrueText("2"));
}

TEST(kvSkinIni, VersionUsesADotWhateverTheLocale) {
  const char* Old = std::setlocale(LC_ALL, nullptr);
  std::string Saved = Old ? Old : "C";
  std::setlocale(LC_ALL, "cs_CZ.UTF-8"); // decimal comma, when the locale exists
  double V = 0;
  EXPECT_TRUE(TryStrToFloatDot("8.00", V));
  EXPECT_DOUBLE_EQ(V, 8.0);
  EXPECT_TRUE(TryStrToFloatDot("7.35", V));
  EXPECT_DOUBLE_EQ(V, 7.35);
  EXPECT_FALSE(TryStrToFloatDot("8,00", V));
  EXPECT_FALSE(TryStrToFloatDot(".", V));
  EXPECT_EQ(FloatToStrDot(8.0), "8.0");
  EXPECT_EQ(FloatToStrDot(8.41), "8.41");
  std::setlocale(LC_ALL, Saved.c_str());
}

TEST(kvSkinIni, ByteOrderMarks) {
  TkvMemIniFile Utf8("\xEF\xBB\xBF[A]\nK=\xC4\x8C");
  EXPECT_EQ(Utf8.ReadString("A", "K", ""), "\xC4\x8C");
  std::string Utf16("\xFF\xFE[\0A\0]\0\n\0K\0=\0\x0C\x01", 16);
  TkvMemIniFile Wide(Utf16);
  EXPECT_EQ(Wide.ReadString("A", "K", ""), "\xC4\x8C");
}
