// `kvskin decode`: PNG and BMP in; PNG, BMP and PAM out by extension; clear failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "tests/skin/data/SkinFixture.h"
#include "tests/skin/images/TestData.h"
#include "tools/kvskin/kvskinTool.h"

namespace {

int Decode(const std::string& In, const std::string& Out, std::string* Err = nullptr) {
  std::ostringstream O, E;
  int Status = KvSkinMain({"decode", In, Out}, O, E);
  if (Err) *Err = E.str();
  return Status;
}

// The bytes of the pixels of a PAM file of the given size.
std::vector<uint8_t> PamPixels(const std::string& Name, int Width, int Height) {
  std::vector<uint8_t> Pam = ReadTestFile(Name);
  size_t Size = size_t(Width) * size_t(Height) * 4;
  EXPECT_GE(Pam.size(), Size);
  if (Pam.size() < Size) return {};
  return std::vector<uint8_t>(Pam.end() - long(Size), Pam.end());
}

TBitmap32 Sample() {
  TBitmap32 Bmp(5, 3);
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 5; ++X)
      Bmp.Pixel(X, Y) = 0x80000000u | uint32_t(X * 40) << 16 | uint32_t(Y * 90) << 8 | 7;
  return Bmp;
}

} // namespace

TEST(KvSkinDecode, WritesPNGBMPAndPAM) {
  TTempDir Dir;
  SavePNGToFile(Sample(), Dir.Str() + "in.png");
  ASSERT_EQ(Decode(Dir.Str() + "in.png", Dir.Str() + "out.PNG"), 0);
  TPNGGraphic Png;
  Png.LoadFromFile(Dir.Str() + "out.PNG");
  TBitmap32 Back;
  Png.AssignTo(Back);
  EXPECT_EQ(std::memcmp(Back.Bits(), Sample().Bits(), Back.ByteSize()), 0);

  ASSERT_EQ(Decode(Dir.Str() + "in.png", Dir.Str() + "out.pam"), 0);
  const std::vector<uint8_t> Pam = ReadTestFile(Dir.Str() + "out.pam");
  const std::string Header =
      "P7\nWIDTH 5\nHEIGHT 3\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  ASSERT_EQ(Pam.size(), Header.size() + 60);
  EXPECT_EQ(std::string(Pam.begin(), Pam.begin() + long(Header.size())), Header);
  // Pixel (1, 2): R 40, G 180, B 7, A 128.
  const uint8_t* P = Pam.data() + Header.size() + (2 * 5 + 1) * 4;
  EXPECT_EQ(std::vector<uint8_t>(P, P + 4), (std::vector<uint8_t>{40, 180, 7, 128}));

  ASSERT_EQ(Decode(Dir.Str() + "in.png", Dir.Str() + "out.bmp"), 0);
  const std::vector<uint8_t> Bmp = ReadTestFile(Dir.Str() + "out.bmp");
  ASSERT_EQ(Bmp.size(), 14u + 124 + 60);
  EXPECT_EQ(Bmp[0], 'B');
  EXPECT_EQ(Bmp[28], 32); // bits per pixel
  // Rows bottom-up: the first stored row is row 2.
  const uint8_t* Q = Bmp.data() + 138 + 4;
  EXPECT_EQ(std::vector<uint8_t>(Q, Q + 4), (std::vector<uint8_t>{7, 180, 40, 128}));

  // The BMP written reads back through the BMP reader with its alpha.
  ASSERT_EQ(Decode(Dir.Str() + "out.bmp", Dir.Str() + "back.pam"), 0);
  EXPECT_EQ(ReadTestFile(Dir.Str() + "back.pam"), Pam);
}

TEST(KvSkinDecode, ReadsBmp) {
  TTempDir Dir;
  // 24 bits without alpha: every pixel opaque.
  Dir.Write("in.bmp", Bmp24(3, 2, [](int x, int y) { return RGBColor(x * 100, y * 50, 9); }));
  ASSERT_EQ(Decode(Dir.Str() + "in.bmp", Dir.Str() + "out.pam"), 0);
  EXPECT_EQ(PamPixels(Dir.Str() + "out.pam", 3, 2),
            (std::vector<uint8_t>{0, 0,  9, 255, 100, 0,  9, 255, 200, 0,  9, 255, //
                                  0, 50, 9, 255, 100, 50, 9, 255, 200, 50, 9, 255}));
  // A BMP the reader refuses fails with its reason and writes nothing.
  std::vector<uint8_t> Cut = ReadTestFile(Dir.Str() + "in.bmp");
  Cut.resize(30);
  Dir.Write("cut.bmp", Cut);
  std::string Err;
  EXPECT_EQ(Decode(Dir.Str() + "cut.bmp", Dir.Str() + "cut.pam", &Err), 1);
  EXPECT_NE(Err.find("kvskin decode: "), std::string::npos) << Err;
  EXPECT_FALSE(std::filesystem::exists(Dir.Str() + "cut.pam"));
}

TEST(KvSkinDecode, Failures) {
  TTempDir Dir;
  std::ostringstream O, E;
  EXPECT_EQ(KvSkinMain({"decode", "only-one"}, O, E), 2);
  SavePNGToFile(Sample(), Dir.Str() + "in.png");
  std::string Err;
  EXPECT_EQ(Decode(Dir.Str() + "in.png", Dir.Str() + "out.gif", &Err), 1);
  EXPECT_NE(Err.find("Unknown output format"), std::string::npos) << Err;
  EXPECT_FALSE(std::filesystem::exists(Dir.Str() + "out.gif"));
  EXPECT_EQ(Decode(Dir.Str() + "missing.png", Dir.Str() + "out.png"), 1);
  Dir.Write("text.txt", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(Decode(Dir.Str() + "text.txt", Dir.Str() + "out.png", &Err), 1);
  EXPECT_NE(Err.find("is not a PNG, BMP or JPEG image"), std::string::npos) << Err;
  std::vector<uint8_t> Broken = ReadTestFile(Dir.Str() + "in.png");
  Broken.resize(Broken.size() / 2);
  Dir.Write("broken.png", Broken);
  EXPECT_EQ(Decode(Dir.Str() + "broken.png", Dir.Str() + "out.png"), 1);
  EXPECT_FALSE(std::filesystem::exists(Dir.Str() + "out.png"));
#ifndef _WIN32
  EXPECT_EQ(Decode(SourcePath("tests/skin/images/data/baseline.jpg"), Dir.Str() + "out.png"), 1);
#else
  EXPECT_EQ(Decode(SourcePath("tests/skin/images/data/baseline.jpg"), Dir.Str() + "out.png"), 0);
#endif
}
