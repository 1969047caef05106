// `kvskin decode`: PNG in; PNG, BMP and PAM out by extension; clear failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "tests/skin/images/TestData.h"
#include "tools/kvskin/kvskin_decode.h"

namespace {

struct TTempDir {
  std::filesystem::path Path;
  TTempDir() {
    Path =
        std::filesystem::temp_directory_path() / ("kvskin_decode_" + std::to_string(std::rand()));
    std::filesystem::create_directories(Path);
  }
  ~TTempDir() { std::filesystem::remove_all(Path); }
  std::string operator/(const std::string& Name) const { return (Path / Name).string(); }
};

int Decode(const std::string& In, const std::string& Out) {
  std::string A = In, B = Out;
  char* Args[] = {A.data(), B.data()};
  return KvSkinDecode(2, Args);
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
  SavePNGToFile(Sample(), Dir / "in.png");
  ASSERT_EQ(Decode(Dir / "in.png", Dir / "out.PNG"), 0);
  TPNGGraphic Png;
  Png.LoadFromFile(Dir / "out.PNG");
  TBitmap32 Back;
  Png.AssignTo(Back);
  EXPECT_EQ(std::memcmp(Back.Bits(), Sample().Bits(), Back.ByteSize()), 0);

  ASSERT_EQ(Decode(Dir / "in.png", Dir / "out.pam"), 0);
  const std::vector<uint8_t> Pam = ReadTestFile(Dir / "out.pam");
  const std::string Header =
      "P7\nWIDTH 5\nHEIGHT 3\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  ASSERT_EQ(Pam.size(), Header.size() + 60);
  EXPECT_EQ(std::string(Pam.begin(), Pam.begin() + long(Header.size())), Header);
  // Pixel (1, 2): R 40, G 180, B 7, A 128.
  const uint8_t* P = Pam.data() + Header.size() + (2 * 5 + 1) * 4;
  EXPECT_EQ(std::vector<uint8_t>(P, P + 4), (std::vector<uint8_t>{40, 180, 7, 128}));

  ASSERT_EQ(Decode(Dir / "in.png", Dir / "out.bmp"), 0);
  const std::vector<uint8_t> Bmp = ReadTestFile(Dir / "out.bmp");
  ASSERT_EQ(Bmp.size(), 14u + 108 + 60);
  EXPECT_EQ(Bmp[0], 'B');
  EXPECT_EQ(Bmp[28], 32); // bits per pixel
  // Rows bottom-up: the first stored row is row 2.
  const uint8_t* Q = Bmp.data() + 122 + 4;
  EXPECT_EQ(std::vector<uint8_t>(Q, Q + 4), (std::vector<uint8_t>{7, 180, 40, 128}));
}

TEST(KvSkinDecode, Failures) {
  TTempDir Dir;
  EXPECT_EQ(KvSkinDecode(0, nullptr), 2);
  SavePNGToFile(Sample(), Dir / "in.png");
  EXPECT_EQ(Decode(Dir / "in.png", Dir / "out.gif"), 1);
  EXPECT_FALSE(std::filesystem::exists(Dir / "out.gif"));
  EXPECT_EQ(Decode(Dir / "missing.png", Dir / "out.png"), 1);
  std::vector<uint8_t> Broken = ReadTestFile(Dir / "in.png");
  Broken.resize(Broken.size() / 2);
  {
    std::FILE* F = std::fopen((Dir / "broken.png").c_str(), "wb");
    std::fwrite(Broken.data(), 1, Broken.size(), F);
    std::fclose(F);
  }
  EXPECT_EQ(Decode(Dir / "broken.png", Dir / "out.png"), 1);
  EXPECT_FALSE(std::filesystem::exists(Dir / "out.png"));
#ifndef _WIN32
  EXPECT_EQ(Decode(SourcePath("tests/skin/images/data/baseline.jpg"), Dir / "out.png"), 1);
#else
  EXPECT_EQ(Decode(SourcePath("tests/skin/images/data/baseline.jpg"), Dir / "out.png"), 0);
#endif
}
