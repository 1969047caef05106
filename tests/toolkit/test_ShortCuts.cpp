#include "toolkit/ShortCuts.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortCuts, TextsOfModifiedAndNamedKeys) {
  EXPECT_EQ(ShortCutToText(ShortCut(0x73, ssAlt)), L"Alt+F4");
  EXPECT_EQ(ShortCutToText(ShortCut('S', ssCtrl)), L"Ctrl+S");
  EXPECT_EQ(ShortCutToText(ShortCut(0x2E, ssShift)), L"Shift+Del");
  EXPECT_EQ(ShortCutToText(ShortCut('Z', ssCtrl | ssShift | ssAlt)), L"Ctrl+Shift+Alt+Z");
  EXPECT_EQ(ShortCutToText(ShortCut(0x87, 0)), L"F24");
  EXPECT_EQ(ShortCutToText(ShortCut(0x20, ssCtrl)), L"Ctrl+Space");
  // No short cut, or a key without a name, has no text.
  EXPECT_EQ(ShortCutToText(scNone), L"");
  EXPECT_EQ(ShortCutToText(ShortCut(0xBA, ssCtrl)), L"");
  EXPECT_EQ(ShortCut(0x100, ssAlt), scNone);
}

TEST(ShortCuts, TextsReadBackInAnyCaseAndOrder) {
  EXPECT_EQ(TextToShortCut(L"Alt+F4"), ShortCut(0x73, ssAlt));
  EXPECT_EQ(TextToShortCut(L"alt+f4"), ShortCut(0x73, ssAlt));
  EXPECT_EQ(TextToShortCut(L"Shift+Ctrl+x"), ShortCut('X', ssCtrl | ssShift));
  EXPECT_EQ(TextToShortCut(L"PGDN"), ShortCut(0x22, 0));
  EXPECT_EQ(TextToShortCut(L"F12"), ShortCut(0x7B, 0));
  for (TShortCut S : {ShortCut('A', ssCtrl), ShortCut(0x1B, ssShift | ssAlt), ShortCut('7', 0)})
    EXPECT_EQ(TextToShortCut(ShortCutToText(S)), S);
  // What is not a short cut.
  for (const wchar_t* Text : {L"", L"Ctrl+", L"+", L"Ctrl++", L"Hyper+A", L"F0", L"F25", L"F999",
                              L"AB", L"Ctrl+Alt", L"ř"})
    EXPECT_EQ(TextToShortCut(Text), scNone) << Text;
}

} // namespace
