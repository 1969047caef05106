#include "skin/paint/sEditRules.h"

#include <gtest/gtest.h>

TEST(EditRules, PasswordTextShowsOneBulletPerCharacter) {
  EXPECT_EQ(ShownEditText(L"heslo", L'*'), L"\x25CF\x25CF\x25CF\x25CF\x25CF");
  EXPECT_EQ(ShownEditText(L"ab", L'#'), L"##");
  EXPECT_EQ(ShownEditText(L"a\xD83D\xDE00z", L'*'), L"\x25CF\x25CF\x25CF") << "a pair is one";
  EXPECT_EQ(ShownEditText(L"kód", 0), L"kód");
  EXPECT_EQ(ShownEditText(L"", L'*'), L"");
}

TEST(EditRules, HintIsSixtyFivePercentOfTheFontOverTheEdit) {
  EXPECT_EQ(EditHintColor(RGBColor(0x1F, 0x2A, 0x18), clWhite), RGBColor(0x6D, 0x75, 0x69));
  EXPECT_EQ(EditHintColor(clBlack, clWhite), RGBColor(89, 89, 89));
}

TEST(EditRules, TextRectAndFrameWidthFollowTheBorder) {
  TEditFrame F;
  EXPECT_EQ(EditTextRect(F, 181, 21), Rect(3, 3, 178, 19));
  EXPECT_EQ(EditFrameWidth(F), 2);
  F.Ctl3D = false;
  EXPECT_EQ(EditTextRect(F, 181, 21), Rect(2, 2, 179, 20));
  EXPECT_EQ(EditFrameWidth(F), 1);
  F.Bevels = 2;
  EXPECT_EQ(EditTextRect(F, 181, 21), Rect(4, 4, 177, 18));
  F = {};
  F.BorderSingle = false;
  EXPECT_EQ(EditTextRect(F, 181, 21), Rect(0, 0, 181, 21));
  EXPECT_EQ(EditFrameWidth(F), 0);
  F.Bevels = 1;
  EXPECT_EQ(EditFrameWidth(F), 1);
}
