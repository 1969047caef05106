#include <gtest/gtest.h>

#include <windows.h>

#include "base/Bitmap32.h"
#include "base/GdiObjects.h"

TEST(GdiObjects, OwningWrappersCountAndFreeWhatTheyHoldBorrowedOnesNeither) {
  int64_t Start = LiveGdiObjects();
  {
    TBrush Brush = SolidBrush(RGB(1, 2, 3));
    TRegion Region = RectRegion(RECT{0, 0, 4, 4});
    EXPECT_EQ(LiveGdiObjects(), Start + 2);
    TBrush Moved = std::move(Brush);
    EXPECT_FALSE(Brush);
    EXPECT_EQ(LiveGdiObjects(), Start + 2);
    HRGN Raw = Region.Detach(); // given up: no longer counted, not deleted
    EXPECT_EQ(LiveGdiObjects(), Start + 1);
    EXPECT_NE(GetObjectType(Raw), 0u);
    DeleteObject(Raw);
    TBrushRef Borrowed(GetSysColorBrush(COLOR_WINDOW));
    EXPECT_EQ(LiveGdiObjects(), Start + 1);
  }
  EXPECT_EQ(LiveGdiObjects(), Start);
  EXPECT_NE(GetObjectType(GetSysColorBrush(COLOR_WINDOW)), 0u); // a borrowed handle lives on
}

TEST(GdiObjects, DeviceContextsAndSelectionsAreGivenBack) {
  int64_t Start = LiveGdiObjects();
  TBrush Brush = SolidBrush(RGB(9, 9, 9));
  {
    TMemoryDC DC;
    TClientDC Screen(nullptr);
    EXPECT_EQ(LiveGdiObjects(), Start + 3);
    HGDIOBJ Before = GetCurrentObject(DC, OBJ_BRUSH);
    {
      TSelectObject Selected(DC, Brush);
      EXPECT_EQ(GetCurrentObject(DC, OBJ_BRUSH), Brush.Get());
    }
    EXPECT_EQ(GetCurrentObject(DC, OBJ_BRUSH), Before);
  }
  EXPECT_EQ(LiveGdiObjects(), Start + 1);
}

TEST(GdiObjects, BitmapsCountTheirSectionAndDeviceContext) {
  int64_t Start = LiveGdiObjects();
  {
    TBitmap32 Bmp(8, 8);
    EXPECT_EQ(LiveGdiObjects(), Start + 1);
    ASSERT_NE(Bmp.NativeDC(), nullptr);
    EXPECT_EQ(LiveGdiObjects(), Start + 2);
  }
  EXPECT_EQ(LiveGdiObjects(), Start);
}

// Copies to the screen are counted with their pixels and shown to a watcher; an empty copy is
// no copy. The pixels arrive as BitBlt would put them.
TEST(GdiObjects, CopiesToTheScreenAreCountedAndWatched) {
  TBitmap32 Src(6, 4), Dst(10, 10);
  Src.Fill(0xFF336699);
  Dst.Fill(0xFF000000);
  HDC SrcDC = static_cast<HDC>(Src.NativeDC()), DstDC = static_cast<HDC>(Dst.NativeDC());
  struct TSeen {
    HDC DC = nullptr;
    RECT Area{};
    int Calls = 0;
  } Seen;
  SetScreenCopyWatch(
      [](HDC DC, const RECT& Area, void* P) {
        auto* S = static_cast<TSeen*>(P);
        S->DC = DC;
        S->Area = Area;
        ++S->Calls;
      },
      &Seen);
  const TScreenCopies Before = ScreenCopies();
  EXPECT_TRUE(CopyToScreen(DstDC, 2, 3, 6, 4, SrcDC, 0, 0));
  EXPECT_TRUE(CopyToScreen(DstDC, 0, 0, 0, 4, SrcDC, 0, 0));
  SetScreenCopyWatch(nullptr);
  CopyToScreen(DstDC, 0, 0, 1, 1, SrcDC, 0, 0);
  GdiFlush();
  EXPECT_EQ(ScreenCopies().Copies - Before.Copies, 2);
  EXPECT_EQ(ScreenCopies().Pixels - Before.Pixels, 6 * 4 + 1);
  EXPECT_EQ(Seen.Calls, 1);
  EXPECT_EQ(Seen.DC, DstDC);
  EXPECT_EQ(Seen.Area.left, 2);
  EXPECT_EQ(Seen.Area.top, 3);
  EXPECT_EQ(Seen.Area.right, 8);
  EXPECT_EQ(Seen.Area.bottom, 7);
  EXPECT_EQ(Dst.Pixel(2, 3) & 0xFFFFFF, 0x336699u);
  EXPECT_EQ(Dst.Pixel(7, 6) & 0xFFFFFF, 0x336699u);
  EXPECT_EQ(Dst.Pixel(8, 7) & 0xFFFFFF, 0u);
}
