#include "skin/forms/sFormGeometry.h"

#include <gtest/gtest.h>

namespace {

// The program's main window under Wine's metrics with the program's skin: sizeable, only the
// close button (27 x 21), an icon, a CAPTION section.
TFormGeometryInput MainWindow() {
  TFormGeometryInput In;
  In.Width = 783;
  In.Height = 650;
  In.BILeftMargin = 3;
  In.BIRightMargin = 1;
  In.HasCaptionSection = true;
  In.ButtonSize[cbClose] = {27, 21};
  In.ButtonAligned[cbClose] = true;
  return In;
}

// The start-up notice: a dialog frame, the small close button, no icon.
TFormGeometryInput Notice() {
  TFormGeometryInput In;
  In.Width = 300;
  In.Height = 120;
  In.Border = fbDialog;
  In.ThickFrame = false;
  In.BILeftMargin = 3;
  In.BIRightMargin = 1;
  In.HasCaptionSection = true;
  In.ButtonSize[cbClose] = {16, 16};
  In.IconAllowed = false;
  return In;
}

TEST(FormLayout, MainWindowFrameTitleAndElements) {
  TFormLayout L = ComputeFormLayout(MainWindow());
  EXPECT_EQ(L.Frame, 4);
  EXPECT_EQ(L.CaptionHeight, 19);
  EXPECT_EQ(L.HeaderHeight, 23);
  EXPECT_EQ(L.Client, Rect(4, 23, 779, 646));
  EXPECT_EQ(L.Client.Width(), 775);
  EXPECT_EQ(L.Client.Height(), 623);
  EXPECT_EQ(L.VCenter, 11);
  EXPECT_EQ(L.IconRect, Rect(7, 3, 23, 19));
  EXPECT_EQ(L.Buttons[cbClose], Rect(751, 1, 778, 22));
  EXPECT_FALSE(L.Shown[cbMax] || L.Shown[cbMin] || L.Shown[cbHelp]);
  EXPECT_EQ(L.ButtonsWidth, 28);
  EXPECT_EQ(L.TextRect.Left, 29);
  EXPECT_EQ(L.TextRect.Right, 743);
}

TEST(FormLayout, TopAlignedButtonsAndSpacingOfBigButtons) {
  TFormGeometryInput In = MainWindow();
  In.BIVAlign = 1;
  In.BISpacing = 2;
  In.ShowMax = In.ShowMin = true;
  In.ButtonSize[cbMax] = In.ButtonSize[cbMin] = {21, 21};
  In.ButtonAligned[cbMax] = In.ButtonAligned[cbMin] = true;
  TFormLayout L = ComputeFormLayout(In);
  EXPECT_EQ(L.Buttons[cbClose], Rect(751, 0, 778, 21));
  EXPECT_EQ(L.Buttons[cbMax], Rect(728, 0, 749, 21));
  EXPECT_EQ(L.Buttons[cbMin], Rect(705, 0, 726, 21));
  EXPECT_EQ(L.ButtonsWidth, 1 + 27 + 23 + 23);
  In.ShowHelp = true;
  In.ButtonSize[cbHelp] = {0, 0}; // no image: 21 wide
  L = ComputeFormLayout(In);
  EXPECT_EQ(L.Buttons[cbHelp], Rect(703 - 6 - 21, 1, 703 - 6, 22)) << "help is never top-aligned";
}

TEST(FormLayout, NoticeHasTheDialogFrameAndTheSmallClose) {
  TFormLayout L = ComputeFormLayout(Notice());
  EXPECT_EQ(L.Frame, 3);
  EXPECT_EQ(L.HeaderHeight, 22);
  EXPECT_TRUE(L.IconRect.IsEmpty());
  EXPECT_EQ(L.Buttons[cbClose], Rect(280, 2, 296, 18));
  EXPECT_EQ(L.TextRect.Left, 3 + 3 + 2 + 4);
}

TEST(FormLayout, IconSizeFollowsTheCaptionHeight) {
  TFormGeometryInput In = MainWindow();
  In.CYCaption = 16;
  EXPECT_EQ(ComputeFormLayout(In).IconRect.Width(), 8);
  In.CYCaption = 8;
  EXPECT_EQ(ComputeFormLayout(In).IconRect.Width(), 1);
  In.CYCaption = 19;
  In.IconWidth = 12;
  In.IconHeight = 10;
  EXPECT_EQ(ComputeFormLayout(In).IconRect, Rect(7, 6, 19, 16));
}

TEST(FormLayout, StripsCoverTheFrameAndStayInsideTheImage) {
  TFormLayout L = ComputeFormLayout(MainWindow());
  EXPECT_EQ(L.Strips[0].Dst, Rect(0, 0, 783, 23));
  EXPECT_EQ(L.Strips[1].Dst, Rect(0, 23, 4, 650));
  EXPECT_EQ(L.Strips[2].Dst, Rect(4, 646, 783, 650));
  EXPECT_EQ(L.Strips[3].Dst, Rect(779, 23, 783, 650)) << "the right column is as wide as the frame";
  for (const auto& S : L.Strips) {
    EXPECT_GE(S.Src.X, 0);
    EXPECT_LE(S.Src.X + S.Dst.Width(), 783);
    EXPECT_LE(S.Src.Y + S.Dst.Height(), 650);
  }
  // A window smaller than its frame gives empty strips, never ones that leave the image.
  TFormGeometryInput Tiny = MainWindow();
  Tiny.Width = 6;
  Tiny.Height = 10;
  L = ComputeFormLayout(Tiny);
  for (const auto& S : L.Strips) {
    if (S.Dst.IsEmpty()) continue;
    EXPECT_LE(S.Src.Y + S.Dst.Height(), 10);
    EXPECT_LE(S.Src.X + S.Dst.Width(), 6);
  }
}

TEST(FormHitTest, MainWindowCodes) {
  TFormGeometryInput In = MainWindow();
  TFormLayout L = ComputeFormLayout(In);
  EXPECT_EQ(FormHitTest(L, In, {764, 11}), htCloseCode);
  EXPECT_EQ(FormHitTest(L, In, {750, 11}), htCaptionCode);
  EXPECT_EQ(FormHitTest(L, In, {14, 10}), htSysMenuCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 10}), htCaptionCode);
  EXPECT_EQ(FormHitTest(L, In, {1, 300}), htLeftCode);
  EXPECT_EQ(FormHitTest(L, In, {781, 2}), htTopRightCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 648}), htBottomCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 300}), htClientCode);
  EXPECT_EQ(FormHitTest(L, In, {1, 648}), htBottomLeftCode);
  EXPECT_EQ(FormHitTest(L, In, {780, 300}), htRightCode);
  // The border tests are strict: the frame's last inner row belongs to the system's answer.
  EXPECT_EQ(FormHitTest(L, In, {300, 646}), htClientCode);
  EXPECT_TRUE(OwnHitCode(htCloseCode) && OwnHitCode(htSysMenuCode));
  EXPECT_FALSE(OwnHitCode(htCaptionCode) || OwnHitCode(htLeftCode) || OwnHitCode(htClientCode));
  // A maximized window has no sizing border.
  In.Zoomed = true;
  L = ComputeFormLayout(In);
  EXPECT_EQ(FormHitTest(L, In, {1, 300}), htClientCode);
}

// The main window with the extended border window: a 6-pixel skin frame, a 30-pixel title
// and 9-pixel shadow margins around the window's 775 x 623 client area.
TFormGeometryInput ExtendedMainWindow() {
  TFormGeometryInput In = MainWindow();
  In.ExBorders = true;
  In.ExBorderWidth = 6;
  In.ExTitleHeight = In.ExMaxHeight = 30;
  In.Shadow = {9, 9, 9, 9};
  return In;
}

TEST(FormLayout, ExtendedBordersPutTheSkinFrameAndShadowAroundTheSameClient) {
  TFormLayout L = ComputeFormLayout(ExtendedMainWindow());
  EXPECT_EQ(L.SysFrame, 4);
  EXPECT_EQ(L.Frame, 6);
  EXPECT_EQ(L.BorderHeight, 0);
  EXPECT_EQ(L.CaptionHeight, 30);
  // The window keeps the system's frame and caption around its client area.
  EXPECT_EQ(L.Client, Rect(4, 23, 779, 646));
  EXPECT_EQ(L.ClientOffset, (TPoint{15, 39}));
  EXPECT_EQ(L.CaptionWidth, 805);
  EXPECT_EQ(L.ImageHeight, 677);
  // Where the border window lies against the window.
  EXPECT_EQ(L.WindowOrigin, (TPoint{11, 16}));
  EXPECT_EQ(L.Body, Rect(9, 9, 796, 668));
  EXPECT_EQ(L.VCenter, 24);
  EXPECT_EQ(L.IconRect, Rect(18, 16, 34, 32));
  EXPECT_EQ(L.Buttons[cbClose], Rect(762, 14, 789, 35));
  EXPECT_EQ(L.TextRect.Left, 40);
  EXPECT_EQ(L.TextRect.Right, 756);
  // The frame is not the window's: nothing is copied to it.
  for (const auto& S : L.Strips)
    EXPECT_TRUE(S.Dst.IsEmpty());
  // A form border ring is copied from around the client part of the image.
  TFormGeometryInput Ringed = ExtendedMainWindow();
  Ringed.FormBorderWidth = 2;
  TFormLayout R = ComputeFormLayout(Ringed);
  EXPECT_EQ(R.Strips[0].Dst, Rect(4, 23, 779, 25));
  EXPECT_EQ(R.Strips[0].Src, (TPoint{15, 39}));
  EXPECT_EQ(R.ClientOffset, (TPoint{17, 41}));
}

TEST(FormLayout, ExtendedTitleCentreFollowsTheMaximizedHeightAndOffsets) {
  TFormGeometryInput In = ExtendedMainWindow();
  In.ExCenterOffs = 2;
  EXPECT_EQ(ComputeFormLayout(In).VCenter, 26);
  // Maximized with a lower title: centred on that title, without the centre offset.
  In.Zoomed = true;
  In.ExMaxHeight = 24;
  In.BIVAlign = 1;
  TFormLayout L = ComputeFormLayout(In);
  EXPECT_EQ(L.VCenter, 9 + 12 + 30 - 24 + 2);
  // A top-aligned button of a maximized window sits below the shadow by 4 and the difference.
  EXPECT_EQ(L.Buttons[cbClose].Top, 9 + 4 + 6);
  // A taller maximized title than the system's caption.
  In.ExTitleHeight = 10;
  In.SysExHeight = true;
  EXPECT_EQ(ComputeFormLayout(In).CaptionHeight, 23);
}

TEST(FormHitTest, ExtendedBorderImageCodes) {
  TFormGeometryInput In = ExtendedMainWindow();
  TFormLayout L = ComputeFormLayout(In);
  EXPECT_EQ(FormHitTest(L, In, {5, 300}), 0); // the shadow
  EXPECT_EQ(FormHitTest(L, In, {10, 300}), htLeftCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 10}), htTopCode);
  EXPECT_EQ(FormHitTest(L, In, {10, 10}), htTopLeftCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 20}), htCaptionCode);
  EXPECT_EQ(FormHitTest(L, In, {20, 20}), htSysMenuCode);
  EXPECT_EQ(FormHitTest(L, In, {770, 20}), htCloseCode);
  EXPECT_EQ(FormHitTest(L, In, {400, 400}), htClientCode);
  EXPECT_EQ(FormHitTest(L, In, {400, 665}), htBottomCode);
  EXPECT_EQ(FormHitTest(L, In, {800, 665}), 0);
  // A frame that does not size is a plain border.
  In.ThickFrame = false;
  EXPECT_EQ(FormHitTest(ComputeFormLayout(In), In, {10, 300}), htBorderCode);
}

TEST(SnapToWorkArea, EdgesWithinTheBufferLandOnTheWorkArea) {
  TRect Work{0, 0, 1280, 1000};
  EXPECT_EQ(SnapToWorkArea({5, 9, 305, 209}, Work, 10), Rect(0, 0, 300, 200));
  EXPECT_EQ(SnapToWorkArea({10, 10, 310, 210}, Work, 10), Rect(10, 10, 310, 210))
      << "ten pixels away does not snap";
  EXPECT_EQ(SnapToWorkArea({975, 795, 1275, 995}, Work, 10), Rect(980, 800, 1280, 1000));
  // Left wins over right for a window as wide as the work area.
  EXPECT_EQ(SnapToWorkArea({3, 100, 1278, 200}, Work, 10), Rect(0, 100, 1275, 200));
}

} // namespace

TEST(FormLayout, UserButtonsSitLeftOfTheSystemOnesAndNarrowTheCaption) {
  TFormGeometryInput In = MainWindow();
  In.BISpacing = 2;
  In.UserButtons = {{23, true, true}, {21, false, true}, {21, true, false}};
  TFormLayout L = ComputeFormLayout(In);
  // Close ends at 751 - spacing; 6 pixels more, then the visible buttons from the right.
  ASSERT_EQ(L.UserButtons.size(), 3u);
  EXPECT_EQ(L.UserButtons[0], Rect(749 - 6 - 23, 1, 749 - 6, 22));
  EXPECT_TRUE(L.UserButtons[1].IsEmpty());
  EXPECT_EQ(L.UserButtons[2], Rect(720 - 2 - 21, 1, 720 - 2, 22));
  EXPECT_EQ(L.ButtonsWidth, 28 + 6 + 23 + 2 + 21 + 2);
  EXPECT_EQ(L.TextRect.Right, 783 - L.ButtonsWidth - 12);

  // Hit codes: the enabled one answers 1000 + index, the disabled one is the caption.
  EXPECT_EQ(FormHitTest(L, In, {730, 10}), htUserButtonBase + 0);
  EXPECT_EQ(FormHitTest(L, In, {705, 10}), htCaptionCode);
  EXPECT_EQ(FormHitTest(L, In, {760, 10}), htCloseCode);
}

TEST(FormLayout, NoUserButtonsLeaveTheTitleAsItWas) {
  TFormGeometryInput In = MainWindow();
  In.UserButtons.assign(size_t(MaxUserButtons) + 10, {21, true, true});
  TFormLayout L = ComputeFormLayout(In);
  EXPECT_EQ(L.UserButtons.size(), size_t(MaxUserButtons)); // at most 256 take part
  In.UserButtons.clear();
  L = ComputeFormLayout(In);
  EXPECT_TRUE(L.UserButtons.empty());
  EXPECT_EQ(L.ButtonsWidth, 28);
}

namespace {

TEST(FormLayout, MenuBarRowsLieUnderTheCaptionAndAboveTheClient) {
  TFormGeometryInput In = MainWindow();
  In.MenuHeight = 19;
  TFormLayout L = ComputeFormLayout(In);
  EXPECT_EQ(L.HeaderHeight, 23 + 19);
  EXPECT_EQ(L.Client, Rect(4, 42, 779, 646));
  EXPECT_EQ(L.MenuLine, Rect(4, 23, 779, 42));
  EXPECT_EQ(L.MenuLineWindow, L.MenuLine);
  // The top strip carries the bar's rows; the side columns start under them in both places.
  EXPECT_EQ(L.Strips[0].Dst, Rect(0, 0, 783, 42));
  EXPECT_EQ(L.Strips[1].Dst, Rect(0, 42, 4, 650));
  EXPECT_EQ(L.Strips[1].Src, (TPoint{0, 42}));
  EXPECT_TRUE(L.Strips[4].Dst.IsEmpty());
  // The caption above the bar is still the caption; the bar is the system's to answer.
  EXPECT_EQ(FormHitTest(L, In, {300, 10}), htCaptionCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 30}), htClientCode);
  EXPECT_FALSE(OwnHitCode(FormHitTest(L, In, {300, 30})));
  // The form's own border lies between the bar and the client area.
  In.FormBorderWidth = 2;
  L = ComputeFormLayout(In);
  EXPECT_EQ(L.MenuLine, Rect(4, 23, 779, 42));
  EXPECT_EQ(L.Client.Top, 44);
  // No menu bar, no rows.
  EXPECT_TRUE(ComputeFormLayout(MainWindow()).MenuLine.IsEmpty());
}

TEST(FormLayout, ExtendedBordersCopyTheMenuBarFromUnderTheSkinTitle) {
  TFormGeometryInput In = ExtendedMainWindow();
  In.MenuHeight = 19;
  TFormLayout L = ComputeFormLayout(In);
  // The window keeps the system's caption, with the bar under it.
  EXPECT_EQ(L.Client, Rect(4, 42, 779, 646));
  EXPECT_EQ(L.MenuLineWindow, Rect(4, 23, 779, 42));
  // In the image the bar follows the skin's taller title.
  EXPECT_EQ(L.ClientOffset, (TPoint{15, 58}));
  EXPECT_EQ(L.MenuLine, Rect(15, 39, 790, 58));
  EXPECT_EQ(L.Strips[4].Dst, L.MenuLineWindow);
  EXPECT_EQ(L.Strips[4].Src, (TPoint{15, 39}));
  // The bar is no caption of the image.
  EXPECT_EQ(FormHitTest(L, In, {300, 45}), htBorderCode);
  EXPECT_EQ(FormHitTest(L, In, {300, 20}), htCaptionCode);
}

} // namespace
