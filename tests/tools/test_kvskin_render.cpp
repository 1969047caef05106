#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "skin/images/kvPNG.h"
#include "skin/pixels/kvPixelMath.h"
#include "tests/skin/data/SkinFixture.h"
#include "tools/kvskin/kvskinTool.h"

namespace {

struct TRun {
  int Status;
  std::string Out, Err;
};

TRun Tool(std::vector<std::string> Args) {
  std::ostringstream Out, Err;
  int Status = KvSkinMain(Args, Out, Err);
  return {Status, Out.str(), Err.str()};
}

TBitmap32 ReadPng(const std::string& File) {
  std::ifstream F(File, std::ios::binary);
  std::vector<char> B((std::istreambuf_iterator<char>(F)), std::istreambuf_iterator<char>());
  return LoadSkinPNG(B.data(), B.size(), 7.0); // not premultiplied
}

uint32_t Rgb(TColor C) {
  return 0xFF000000u | ColorToPixel(C);
}

// A skin with a plain panel, a half transparent label and a button with a border mask whose
// three 6 x 6 frames are red, green and blue over a black mask.
void WriteSkin(const TTempDir& Dir) {
  Dir.Write("Options.dat",
            Bytes("[GLOBALINFO]\nVERSION=8.00\nMASTERBITMAP=MASTER.BMP\nCOLOR=$00F0E0\n"
                  "[PANEL]\nCOLOR=$102030\n"
                  "[LABEL]\nCOLOR=0x0000FF\nTRANSPARENCY=50\n"
                  "[BUTTON]\nCOLOR=16777215\nSTATES=3\n"
                  "BORDERSMASK=^0000^0000^0018^0012^0002^0002^0002^0002^3^1^0^0\n"));
  Dir.Write(
      "Master.bmp", Bmp24(18, 12, [](int x, int y) {
        if (y >= 6) return clBlack;
        return x < 6 ? RGBColor(255, 0, 0) : x < 12 ? RGBColor(0, 255, 0) : RGBColor(0, 0, 255);
      }));
}

TEST(KvSkinRender, PaintsASectionInAStateOverTheGivenBackground) {
  TTempDir Dir;
  WriteSkin(Dir);
  std::string Out = Dir.Str() + "out.png";
  TRun R = Tool({"render", Dir.Str(), "BUTTON", "--state", "7", "--size", "20x10", Out});
  ASSERT_EQ(R.Status, 0) << R.Err;
  TBitmap32 B = ReadPng(Out);
  ASSERT_EQ(B.Width(), 20);
  ASSERT_EQ(B.Height(), 10);
  EXPECT_EQ(B.Pixel(0, 0), Rgb(RGBColor(0, 0, 255))); // frame 2 for any higher state
  EXPECT_EQ(B.Pixel(10, 5), Rgb(clWhite));

  // Half transparent (the parent weighted Round(50 * 2.55) = 127): over the skin's global colour,
  // or over --bg.
  R = Tool({"render", Dir.Str(), "LABEL", Out});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(ReadPng(Out).Pixel(3, 3), BlendPixel(Rgb(0x00F0E0), Rgb(0x0000FF), 127));
  R = Tool({"render", Dir.Str(), "LABEL", "--bg", "0", Out});
  EXPECT_EQ(ReadPng(Out).Pixel(3, 3), BlendPixel(Rgb(0), Rgb(0x0000FF), 127));
  R = Tool({"render", Dir.Str(), "LABEL", "--bg", "$FF00", Out});
  EXPECT_EQ(ReadPng(Out).Pixel(3, 3), BlendPixel(Rgb(0xFF00), Rgb(0x0000FF), 127));
}

TEST(KvSkinRender, WritesBmpAndPamAndRefusesWhatItCannotDo) {
  TTempDir Dir;
  WriteSkin(Dir);
  EXPECT_EQ(Tool({"render", Dir.Str(), "PANEL", Dir.Str() + "p.bmp"}).Status, 0);
  EXPECT_EQ(Tool({"render", Dir.Str(), "PANEL", Dir.Str() + "p.PAM"}).Status, 0);
  EXPECT_TRUE(std::filesystem::file_size(Dir.Path() / "p.PAM") > 120 * 40 * 4);
  TRun R = Tool({"render", Dir.Str(), "NOSUCH", Dir.Str() + "x.png"});
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("has no section NOSUCH"), std::string::npos);
  EXPECT_EQ(Tool({"render", Dir.Str(), "PANEL", "--size", "0x5", Dir.Str() + "x.png"}).Status, 2);
  EXPECT_EQ(Tool({"render", Dir.Str(), "PANEL", "--bg", "red", Dir.Str() + "x.png"}).Status, 2);
  EXPECT_EQ(Tool({"render", Dir.Str(), "PANEL", "--state"}).Status, 2);
  EXPECT_NE(Tool({"render", Dir.Str(), "PANEL", Dir.Str() + "x.gif"}).Status, 0);
  EXPECT_FALSE(std::filesystem::exists(Dir.Path() / "x.gif"));
  EXPECT_EQ(Tool({"render", Dir.Str() + "missing", "PANEL", Dir.Str() + "x.png"}).Status, 1);
}

TEST(KvSkinSheet, EverySectionInEachStateSmallAndLarge) {
  TTempDir Dir;
  WriteSkin(Dir);
  std::string Out = Dir.Str() + "sheet.png";
  TRun R = Tool({"sheet", Dir.Str(), Out});
  ASSERT_EQ(R.Status, 0) << R.Err;
  TBitmap32 B = ReadPng(Out);
  // The panel defines one state: one small and one large cell of its colour. The button's
  // third state shows its blue frame.
  int Panels = 0, Blues = 0;
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) {
      Panels += B.Pixel(x, y) == Rgb(0x102030);
      Blues += B.Pixel(x, y) == Rgb(RGBColor(0, 0, 255));
    }
  EXPECT_EQ(Panels, 64 * 24 + 160 * 64);
  EXPECT_GT(Blues, 0);
  EXPECT_EQ(Tool({"sheet", Dir.Str()}).Status, 2);
}

} // namespace
