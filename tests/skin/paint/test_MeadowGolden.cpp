// The program's skin painted as the skin tool paints it, against reviewed pictures. After a
// deliberate change of the skin or the painters, rewrite the pictures with
//   kvskin render skins/MeadowStyle BUTTON --state N --size 80x26
//   tests/golden/itempaint/button_N.png kvskin render skins/MeadowStyle EDIT --size 120x22
//   tests/golden/itempaint/edit.png kvskin render skins/MeadowStyle PANEL --size 100x60
//   tests/golden/itempaint/panel.png
// and look at them before committing.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "skin/images/kvPNG.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"
#include "tools/kvskin/kvskinPaint.h"

namespace {

const std::string Root = TV_SOURCE_DIR;

TBitmap32 ReadGolden(const std::string& Name) {
  std::ifstream F(Root + "/tests/golden/itempaint/" + Name, std::ios::binary);
  std::vector<char> B((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  // Version 7 keeps the pixels as written (no premultiplication).
  return LoadSkinPNG(B.data(), B.size(), 7.0);
}

class MeadowGolden : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    std::ostringstream Err;
    Skin = LoadSkinForPainting(Root + "/skins/MeadowStyle", "test", Err).release();
    ASSERT_NE(Skin, nullptr) << Err.str();
  }
  static void TearDownTestSuite() {
    delete Skin;
    Skin = nullptr;
  }

  // The section over the skin's global colour, as kvskin render paints it.
  void ExpectSection(const std::string& Section, int State, int W, int H,
                     const std::string& Golden) {
    ASSERT_NE(Skin, nullptr);
    const TsSkinModel& M = Skin->Model;
    int Index = M.GetSkinIndex(Section);
    ASSERT_TRUE(M.IsValidSkinIndex(Index)) << Section;
    TBitmap32 Bmp(W, H);
    FillPixels32(Bmp, Bmp.BoundsRect(), M.GetGlobalColor(), 255);
    PaintSectionByIndex(Index, Section, NewCacheInfo(&Bmp, 0, 0), -1, -1, &M, &Bmp, {0, 0},
                        Bmp.BoundsRect(), State, true);
    TBitmap32 Expected = ReadGolden(Golden);
    ASSERT_TRUE(Expected.SameSize(Bmp)) << Golden;
    int Differences = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (Bmp.Pixel(x, y) != Expected.Pixel(x, y) && Differences++ < 5)
          ADD_FAILURE() << Golden << " differs at (" << x << ", " << y << "): " << std::hex
                        << Bmp.Pixel(x, y) << " instead of " << Expected.Pixel(x, y);
    EXPECT_EQ(Differences, 0) << Golden;
  }

  static TKvLoadedSkin* Skin;
};
TKvLoadedSkin* MeadowGolden::Skin = nullptr;

TEST_F(MeadowGolden, ButtonInThreeStates) {
  ExpectSection("BUTTON", 0, 80, 26, "button_0.png");
  ExpectSection("BUTTON", 1, 80, 26, "button_1.png");
  ExpectSection("BUTTON", 2, 80, 26, "button_2.png");
}

TEST_F(MeadowGolden, EditAndPanel) {
  ExpectSection("EDIT", 0, 120, 22, "edit.png");
  ExpectSection("PANEL", 0, 100, 60, "panel.png");
}

} // namespace
