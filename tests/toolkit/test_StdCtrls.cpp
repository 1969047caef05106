// The standard controls.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"

TEST_F(FormTest, WindowlessLabelIsPaintedByItsParent) {
  auto* Label = new TLabel(Form);
  Label->SetParent(Form);
  Label->SetBounds(10, 10, 100, 20);
  Label->SetAutoSize(false);
  Label->Font().SetHeight(-16);
  Label->Font().SetColor(0x0000FF); // red
  Label->SetCaption(L"MMMM");
  Form->Show();
  PumpFor(50);
  HDC DC = GetDC(Form->Handle());
  int Red = 0, RedOutside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 140; ++x) {
      COLORREF C = GetPixel(DC, x, y);
      bool IsRed = GetRValue(C) > 200 && GetGValue(C) < 80 && GetBValue(C) < 80;
      if (IsRed && x >= 10 && x < 110 && y >= 10 && y < 30) ++Red;
      if (IsRed && !(x >= 10 && x < 110 && y >= 10 && y < 30)) ++RedOutside;
    }
  ReleaseDC(Form->Handle(), DC);
  EXPECT_GT(Red, 20);
  EXPECT_EQ(RedOutside, 0);
}
