#include <gtest/gtest.h>

#include "toolkit/Messages.h"

TEST(MessageCrackers, PointsAreSignedAndPacksRoundTrip) {
  // A point left of and above the primary monitor, as a second screen gives it.
  TMessage M{WM_NCHITTEST, 0, MAKELPARAM(WORD(-5), WORD(-1200)), 0};
  msg::TNCHitTest Hit(M);
  EXPECT_EQ(Hit.ScreenPos.X, -5);
  EXPECT_EQ(Hit.ScreenPos.Y, -1200);
  EXPECT_EQ(msg::PointToLParam({-5, -1200}), M.LParam);
  msg::TNCHitTest::SetResult(M, HTCAPTION);
  EXPECT_EQ(M.Result, HTCAPTION);
  TMessage Move{WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(32767, WORD(-32768)), 0};
  msg::TMouse Mouse(Move);
  EXPECT_EQ(Mouse.Keys, UINT(MK_LBUTTON));
  EXPECT_EQ(Mouse.Pos.X, 32767);
  EXPECT_EQ(Mouse.Pos.Y, -32768);
}

TEST(MessageCrackers, SizesCommandsScrollsAndCursorHitCodes) {
  msg::TSize Size(TMessage{WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480), 0});
  EXPECT_EQ(Size.Type, UINT(SIZE_MAXIMIZED));
  EXPECT_EQ(Size.Width, 640);
  EXPECT_EQ(Size.Height, 480);
  msg::TSysCommand Sys(TMessage{WM_SYSCOMMAND, SC_MOVE | 2, 0, 0});
  EXPECT_EQ(Sys.Command, UINT(SC_MOVE)); // the system's low bits are masked off
  msg::TScroll Scroll(TMessage{WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0, 0});
  EXPECT_EQ(Scroll.Code, SB_THUMBTRACK);
  EXPECT_EQ(Scroll.Pos, 300);
  msg::TSetCursor Cursor(TMessage{WM_SETCURSOR, 0, MAKELPARAM(WORD(HTERROR), WM_LBUTTONDOWN), 0});
  EXPECT_EQ(Cursor.HitTest, HTERROR); // −2, not 65534
  EXPECT_EQ(Cursor.MouseMsg, UINT(WM_LBUTTONDOWN));
  msg::TContextMenu Menu(TMessage{WM_CONTEXTMENU, 0, LPARAM(-1), 0});
  EXPECT_TRUE(Menu.FromKeyboard());
  RECT R{1, 2, 3, 4};
  msg::TNCCalcSize Plain(TMessage{WM_NCCALCSIZE, FALSE, LPARAM(&R), 0});
  EXPECT_EQ(Plain.Rect, &R);
  NCCALCSIZE_PARAMS P{};
  msg::TNCCalcSize Valid(TMessage{WM_NCCALCSIZE, TRUE, LPARAM(&P), 0});
  EXPECT_EQ(Valid.Rect, &P.rgrc[0]);
}
