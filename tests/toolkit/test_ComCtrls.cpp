// The progress bar and the rich edit.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"
#include <commctrl.h>

#include "toolkit/ComCtrls.h"

TEST_F(FormTest, ProgressBarKeepsValuesOutsideItsRange) {
  auto* Bar = new TProgressBar(Form);
  Bar->SetParent(Form);
  Form->HandleNeeded();
  Bar->SetMax(7);
  Bar->SetPosition(30);
  EXPECT_EQ(Bar->Position(), 30);
  Bar->SetPosition(Bar->Max() - 2);
  EXPECT_EQ(SendMessageW(Bar->Handle(), PBM_GETPOS, 0, 0), 5);
}

TEST_F(FormTest, RichEditUsesCrLfAndReplacesRanges) {
  auto* Edit = new TRichEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(0, 0, 300, 200);
  int Changes = 0;
  Edit->OnChange = [&](TComponent*) { ++Changes; };
  Form->HandleNeeded();
  Edit->SetText(L"ab\r\ncd\nef\r");
  EXPECT_EQ(Edit->Text(), L"ab\r\ncd\r\nef\r\n");
  EXPECT_GE(Changes, 1);
  Changes = 0;
  Edit->ReplaceRange(4, 5, L"X\r\nY"); // "cd\r\ne" -> "X\r\nY"
  EXPECT_EQ(Edit->Text(), L"ab\r\nX\r\nYf\r\n");
  EXPECT_EQ(Changes, 1);
  std::wstring Long(100000, L'x');
  Edit->SetText(Long);
  EXPECT_EQ(Edit->Text().size(), Long.size()); // no 32 K limit
}

TEST_F(FormTest, ProgressBarStylesStateAndBorderWidth) {
  auto* Bar = new TProgressBar(Form);
  Bar->SetParent(Form);
  Form->HandleNeeded();
  Bar->SetPosition(40);
  Bar->SetOrientation(pbVertical);
  Bar->SetSmooth(true);
  HWND W = Bar->Handle();
  EXPECT_TRUE(GetWindowLongW(W, GWL_STYLE) & PBS_VERTICAL);
  EXPECT_TRUE(GetWindowLongW(W, GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(SendMessageW(W, PBM_GETPOS, 0, 0), 40) << "the new window keeps the position";
  Bar->SetStyle(pbstMarquee);
  EXPECT_TRUE(GetWindowLongW(Bar->Handle(), GWL_STYLE) & PBS_MARQUEE);
  Bar->SetState(pbsError);
  EXPECT_EQ(Bar->State(), pbsError);
  Bar->SetBorderWidth(-3);
  EXPECT_EQ(Bar->BorderWidth(), 0);
  Bar->SetBorderWidth(2);
  EXPECT_EQ(Bar->BorderWidth(), 2);
}
