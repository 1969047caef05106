// JPEG pictures: baseline and progressive files through the platform picture loader under
// Windows (compared with ImageMagick's decoding of the same files), a clear refusal elsewhere.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "skin/images/kvPNG.h"
#include "skin/images/kvTinyJPG.h"
#include "tests/skin/images/TestData.h"

namespace {
std::string Data(const std::string& Name) {
  return SourcePath("tests/skin/images/data/" + Name);
}
} // namespace

#ifdef _WIN32

TEST(TinyJPG, BaselineAndProgressiveMatchTheReference) {
  for (const char* Name : {"baseline", "progressive"}) {
    SCOPED_TRACE(Name);
    TkvTinyJPGImage Jpg;
    ASSERT_NO_THROW(Jpg.LoadFromFile(Data(std::string(Name) + ".jpg")));
    ASSERT_EQ(Jpg.Width(), 48);
    ASSERT_EQ(Jpg.Height(), 32);
    TBitmap32 Bmp;
    Jpg.AssignTo(Bmp);
    TPNGGraphic Ref;
    Ref.LoadFromFile(Data(std::string(Name) + "_ref.png"));
    TBitmap32 Expected;
    Ref.AssignTo(Expected);
    ASSERT_TRUE(Bmp.SameSize(Expected));
    // Decoders differ in their inverse DCT by a few levels, no more.
    int Worst = 0;
    for (int Y = 0; Y < 32; ++Y)
      for (int X = 0; X < 48; ++X) {
        const uint32_t A = Bmp.Pixel(X, Y), B = Expected.Pixel(X, Y);
        EXPECT_EQ(A >> 24, 255u);
        for (int Shift = 0; Shift < 24; Shift += 8)
          Worst = std::max(Worst, std::abs(int((A >> Shift) & 0xFF) - int((B >> Shift) & 0xFF)));
      }
    EXPECT_LE(Worst, 12);
  }
}

TEST(TinyJPG, MemoryAndBadData) {
  const std::vector<uint8_t> Bytes = ReadTestFile(Data("baseline.jpg"));
  TkvTinyJPGImage Jpg;
  Jpg.LoadFromMemory(Bytes.data(), Bytes.size());
  EXPECT_EQ(Jpg.Width(), 48);
  const std::vector<uint8_t> Garbage(200, 0x5A);
  EXPECT_THROW(Jpg.LoadFromMemory(Garbage.data(), Garbage.size()), EInvalidGraphic);
  EXPECT_TRUE(Jpg.IsEmpty()); // a failed load leaves no picture behind
  EXPECT_THROW(Jpg.LoadFromFile(Data("missing.jpg")), EInvalidGraphic);
}

#else

TEST(TinyJPG, RefusedWithAClearError) {
  TkvTinyJPGImage Jpg;
  try {
    Jpg.LoadFromFile(Data("baseline.jpg"));
    FAIL() << "a JPEG loaded without a picture loader";
  } catch (const EInvalidGraphic& E) {
    EXPECT_STREQ(E.what(), "Cannot load image. JPEG is not supported in this build.");
  }
  EXPECT_TRUE(Jpg.IsEmpty());
}

#endif
