// Pictures by file extension, with the PNG reader registered by its unit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "toolkit/Pictures.h"

namespace {

std::filesystem::path TempFile(const char* Name) {
  return std::filesystem::temp_directory_path() / Name;
}

} // namespace

TEST(Pictures, PngFilesLoadThroughTheRegisteredReader) {
  // The program that uses the PNG reader has it registered from start-up.
  EXPECT_FALSE(TPNGGraphic::CanLoad(nullptr, 0));
  const TPictureFormat* F = TPicture::FindFileFormat(".PNG");
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(F->Description, "Portable network graphics (Orvane)");
  EXPECT_NE(TPicture::GraphicFilter().find("Portable network graphics (Orvane) (*.png)|*.png"),
            std::string::npos);

  TBitmap32 Src(3, 2);
  Src.Fill(0x80102030u);
  const auto Path = TempFile("tv_picture_test.Png");
  SavePNGToFile(Src, Path.string());
  TPicture P;
  P.LoadFromFile(Path);
  ASSERT_EQ(P.Bitmap().Width(), 3);
  EXPECT_EQ(P.Bitmap().Pixel(2, 1), 0x80102030u);

  // Bad contents: the reader's error, and the picture keeps what it had.
  {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << "not a png";
  }
  EXPECT_THROW(P.LoadFromFile(Path), EInvalidGraphic);
  EXPECT_EQ(P.Bitmap().Width(), 3);
  std::filesystem::remove(Path);
  EXPECT_THROW(P.LoadFromFile(Path), EInvalidPicture);
  EXPECT_THROW(P.LoadFromFile(TempFile("x.unknownext")), EInvalidPicture);
}

TEST(Pictures, RegisteringReplacesAndUnregisteringRemoves) {
  TPicture::RegisterFileFormat("TVX", "First",
                               [](const uint8_t*, size_t) { return TBitmap32(1, 1); });
  TPicture::RegisterFileFormat("tvx", "Second",
                               [](const uint8_t*, size_t) { return TBitmap32(2, 1); });
  ASSERT_NE(TPicture::FindFileFormat("tvx"), nullptr);
  EXPECT_EQ(TPicture::FindFileFormat("tvx")->Description, "Second");
  const std::string Filter = TPicture::GraphicFilter();
  EXPECT_EQ(Filter.find("First"), std::string::npos);
  EXPECT_EQ(Filter.rfind("All (", 0), 0u);
  TPicture::UnregisterFileFormat(".TVX");
  EXPECT_EQ(TPicture::FindFileFormat("tvx"), nullptr);
  EXPECT_NE(TPicture::FindFileFormat("png"), nullptr);
}
