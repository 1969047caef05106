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
