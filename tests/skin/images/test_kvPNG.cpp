// The PNG reader on hand-made files: the pixel layouts it produces, the error texts, and every
// malformed case the reader must refuse (or survive) without reading outside the data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <zlib.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"

namespace {

using TBytes = std::vector<uint8_t>;

TBytes Deflate(const TBytes& Raw) {
  uLongf Length = compressBound(uLong(Raw.size()));
  TBytes Out(Length);
  compress2(Out.data(), &Length, Raw.data(), uLong(Raw.size()), 6);
  Out.resize(Length);
  return Out;
}

void Chunk(TBytes& Png, const char* Type, const TBytes& Data) {
  AppendPNGChunk(Png, Type, Data.data(), Data.size());
}

// A PNG from raw filtered rows (filter byte included) and optional chunks before IDAT.
struct TBuilder {
  TBytes Png;
  TBuilder(uint32_t W, uint32_t H, uint8_t Depth, uint8_t Type, uint8_t Interlace = 0)
      : Png(BeginPNG(W, H, Depth, Type, Interlace)) {}
  TBuilder& Add(const char* Type, const TBytes& Data) {
    Chunk(Png, Type, Data);
    return *this;
  }
  TBuilder& Rows(const TBytes& Raw) { return Add("IDAT", Deflate(Raw)); }
  TBytes End() {
    Add("IEND", {});
    return Png;
  }
};

std::string LoadError(const TBytes& Bytes) {
  TPNGGraphic Png;
  try {
    Png.LoadFromMemory(Bytes.data(), Bytes.size());
  } catch (const std::exception& E) {
    return E.what();
  }
  return "";
}

TPNGGraphic Load(const TBytes& Bytes) {
  TPNGGraphic Png;
  Png.LoadFromMemory(Bytes.data(), Bytes.size());
  return Png;
}

uint32_t PixelAt(const TPNGGraphic& Png, int X, int Y) {
  std::vector<uint32_t> Row(size_t(Png.Width()));
  Png.ExpandRow(Y, Row.data());
  return Row[size_t(X)];
}

const std::string SInvalid = "Cannot load image. Invalid or unexpected PNG image format.";
const std::string STruncated = "Cannot load image. Unexpected end of data in PNG file.";
const std::string SIncomplete = "Cannot load image. Image data in PNG file is incomplete.";
const std::string SPalette = "Cannot load image. Palette in PNG file is invalid.";
const std::string SExtra = "Cannot load image. Extra compressed data found in PNG file.";

// A 2 x 2 RGBA image with distinct pixels.
TBytes SmallRGBA() {
  return TBuilder(2, 2, 8, 6)
      .Rows({0, 10, 20, 30, 40, 50, 60, 70, 80, 0, 1, 2, 3, 4, 5, 6, 7, 8})
      .End();
}

} // namespace

TEST(PNGLayouts, RGBAIsStraightBGRA) {
  const TPNGGraphic Png = Load(SmallRGBA());
  EXPECT_EQ(Png.PixelFormat(), pf32bit);
  const uint8_t* Row = Png.ScanLine(0);
  EXPECT_EQ(TBytes(Row, Row + 8), (TBytes{30, 20, 10, 40, 70, 60, 50, 80}));
  EXPECT_EQ(PixelAt(Png, 1, 1), 0x08050607u);
  TBitmap32 Bmp;
  Png.AssignTo(Bmp);
  EXPECT_EQ(Bmp.Pixel(0, 0), 0x280A141Eu);
}

TEST(PNGLayouts, GrayDepthsAndPalettes) {
  // 16-bit gray 0x8000 becomes 0x8000 * 255 div 65535 = 127.
  TPNGGraphic Gray16 = Load(TBuilder(1, 1, 16, 0).Rows({0, 0x80, 0x00}).End());
  EXPECT_EQ(Gray16.PixelFormat(), pf8bit);
  EXPECT_EQ(Gray16.ScanLine(0)[0], 127);
  // 2-bit gray becomes 4-bit with 16 gray levels: sample 3 is index 15, level 255.
  TPNGGraphic Gray2 = Load(TBuilder(4, 1, 2, 0).Rows({0, 0b00011011}).End());
  EXPECT_EQ(Gray2.PixelFormat(), pf4bit);
  ASSERT_EQ(Gray2.Palette().size(), 16u);
  EXPECT_EQ(Gray2.ScanLine(0)[0], 0x05);
  EXPECT_EQ(Gray2.ScanLine(0)[1], 0xAF);
  EXPECT_EQ(PixelAt(Gray2, 3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(Gray2, 1, 0), 0xFF555555u);
  // 2-bit indexed keeps its indexes in a 4-bit bitmap.
  TPNGGraphic Indexed2 = Load(TBuilder(4, 1, 2, 3)
                                  .Add("PLTE", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})
                                  .Rows({0, 0x1B})
                                  .End());
  EXPECT_EQ(Indexed2.PixelFormat(), pf4bit);
  EXPECT_EQ(Indexed2.ScanLine(0)[0], 0x01);
  EXPECT_EQ(Indexed2.ScanLine(0)[1], 0x23);
  EXPECT_EQ(PixelAt(Indexed2, 3, 0), 0xFF0A0B0Cu);
  // Gray with alpha loses its alpha.
  TPNGGraphic GrayAlpha = Load(TBuilder(1, 1, 8, 4).Rows({0, 77, 0}).End());
  EXPECT_EQ(GrayAlpha.PixelFormat(), pf8bit);
  EXPECT_EQ(PixelAt(GrayAlpha, 0, 0), 0xFF4D4D4Du);
}

TEST(PNGLayouts, GammaNearOneLeavesColoursAlone) {
  TBytes Gamma = {0, 0, 0xB1, 0x8F}; // 45455
  const TPNGGraphic Png =
      Load(TBuilder(1, 1, 8, 2).Add("gAMA", Gamma).Rows({0, 10, 128, 250}).End());
  EXPECT_TRUE(Png.ImageProperties().Options & ioUseGamma);
  EXPECT_NEAR(Png.ImageProperties().FileGamma, 0.45455, 1e-6);
  const uint8_t* P = Png.ScanLine(0);
  EXPECT_NEAR(P[0], 250, 1);
  EXPECT_NEAR(P[1], 128, 1);
  EXPECT_NEAR(P[2], 10, 1);
}

TEST(PNGLayouts, TransparentColourKeysItsPixels) {
  // 1-bit gray with tRNS 1: the white pixels are transparent, the black ones opaque.
  const TPNGGraphic Png = Load(TBuilder(2, 1, 1, 0).Add("tRNS", {0, 1}).Rows({0, 0x80}).End());
  EXPECT_TRUE(Png.Transparent());
  EXPECT_EQ(Png.TransparentColor(), clWhite);
  EXPECT_EQ(PixelAt(Png, 0, 0), 0x00FFFFFFu);
  EXPECT_EQ(PixelAt(Png, 1, 0), 0xFF000000u);
  // tRNS of a palette image has no effect.
  const TPNGGraphic Indexed =
      Load(TBuilder(1, 1, 8, 3).Add("PLTE", {9, 8, 7}).Add("tRNS", {0}).Rows({0, 0}).End());
  EXPECT_FALSE(Indexed.Transparent());
  EXPECT_EQ(PixelAt(Indexed, 0, 0), 0xFF090807u);
}

TEST(PNGChunks, AncillaryChunksAreSkippedAndUnknownCriticalOnesRefused) {
  const TBytes Ok = TBuilder(1, 1, 8, 0)
                        .Add("tEXt", {'a', 0, 'b'})
                        .Add("cHRM", TBytes(32, 0))
                        .Rows({0, 5})
                        .Add("sBIT", {8})
                        .End();
  EXPECT_EQ(LoadError(Ok), "");
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).Add("ABCD", {1}).Rows({0, 5}).End()),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
  // A second IHDR, and image data after the image, are unexpected as well.
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).Add("IHDR", TBytes(13, 1)).Rows({0, 5}).End()),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).Rows({0, 5}).Add("tEXt", {'a', 0}).Rows({0, 5}).End()),
            "Cannot load PNG image. Unexpected but critical chunk detected.");
}

TEST(PNGChunks, SignatureHeaderAndCRC) {
  TBytes Png = SmallRGBA();
  EXPECT_EQ(LoadError({}), SInvalid);
  EXPECT_EQ(LoadError(TBytes(Png.begin(), Png.begin() + 8)), SInvalid);
  TBytes BadSignature = Png;
  BadSignature[1] = 'Q';
  EXPECT_EQ(LoadError(BadSignature), SInvalid);
  EXPECT_FALSE(TPNGGraphic::CanLoad(BadSignature.data(), BadSignature.size()));
  EXPECT_TRUE(TPNGGraphic::CanLoad(Png.data(), Png.size()));
  EXPECT_FALSE(TPNGGraphic::CanLoad(Png.data(), 8));
  // IHDR must be exactly 13 bytes: a longer or shorter one is not read as a header.
  for (size_t Length : {0u, 12u, 14u}) {
    TBytes Bad = {137, 80, 78, 71, 13, 10, 26, 10};
    Chunk(Bad, "IHDR", TBytes(Length, 1));
    Chunk(Bad, "IEND", {});
    EXPECT_EQ(LoadError(Bad), SInvalid) << Length;
  }
  EXPECT_EQ(LoadError(TBuilder(0, 5, 8, 0).Rows({0}).End()), SInvalid);
  TBytes BadCRC = Png;
  BadCRC[8 + 8 + 13] ^= 1; // IHDR's CRC
  EXPECT_EQ(LoadError(BadCRC), "Cannot load image. CRC error found in PNG file.");
  TBytes BadDataCRC = Png;
  BadDataCRC[8 + 25 + 8] ^= 0x40; // first byte of IDAT
  EXPECT_EQ(LoadError(BadDataCRC), "Cannot load image. CRC error found in PNG file.");
  TBytes Compression = TBuilder(1, 1, 8, 0).Rows({0, 1}).End();
  Compression[8 + 8 + 10] = 1;
  // Fix the IHDR CRC so that the compression method is what fails.
  const uLong CRC = crc32(crc32(0, nullptr, 0), Compression.data() + 12, 17);
  for (int I = 0; I < 4; ++I)
    Compression[29 + I] = uint8_t(CRC >> (24 - 8 * I));
  EXPECT_EQ(LoadError(Compression),
            "Cannot load image. The compression scheme is not supported for PNG files.");
  EXPECT_EQ(LoadError(TBuilder(1, 1, 4, 2).Rows({0, 1}).End()),
            "Invalid color format in PNG file.");
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 5).Rows({0, 1}).End()),
            "Invalid color format in PNG file.");
}

TEST(PNGChunks, ShortAncillaryChunksAreIgnored) {
  // Too short to hold their values: the reader must not read past them.
  const TBytes Png = TBuilder(1, 1, 8, 2)
                         .Add("gAMA", {0, 1})
                         .Add("bKGD", {1})
                         .Add("tRNS", {0, 1, 0})
                         .Rows({0, 1, 2, 3})
                         .End();
  const TPNGGraphic G = Load(Png);
  EXPECT_FALSE(G.ImageProperties().Options & ioUseGamma);
  EXPECT_EQ(G.BackgroundColor(), clWhite);
  EXPECT_FALSE(G.Transparent());
  EXPECT_EQ(PixelAt(G, 0, 0), 0xFF010203u);
  // A gAMA of 0 counts as gamma 1.
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).Add("gAMA", {0, 0, 0, 0}).Rows({0, 1}).End()), "");
}

TEST(PNGChunks, PaletteLengthsAndIndexesPastThePalette) {
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 3).Add("PLTE", {}).Rows({0, 0}).End()), SPalette);
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 3).Add("PLTE", {1, 2, 3, 4}).Rows({0, 0}).End()), SPalette);
  // An indexed image without any palette.
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 3).Rows({0, 0}).End()), SPalette);
  // Two colours given, index 200 used: it is black, not a read past the palette.
  const TPNGGraphic Png =
      Load(TBuilder(2, 1, 8, 3).Add("PLTE", {255, 0, 0, 0, 255, 0}).Rows({0, 1, 200}).End());
  ASSERT_EQ(Png.Palette().size(), 256u);
  EXPECT_EQ(PixelAt(Png, 0, 0), 0xFF00FF00u);
  EXPECT_EQ(PixelAt(Png, 1, 0), 0xFF000000u);
}

TEST(PNGChunks, LengthsPastTheEndAndTheEndOfData) {
  const TBytes Png = SmallRGBA();
  // Cut anywhere inside the chunks: a clear error, never a read past the end.
  const size_t IDATEnd = Png.size() - 12;
  for (size_t Cut = 9; Cut < IDATEnd; ++Cut) {
    const std::string Error = LoadError(TBytes(Png.begin(), Png.begin() + long(Cut)));
    EXPECT_FALSE(Error.empty()) << Cut;
  }
  // A length of 0xFFFFFFFF, and one just past the end.
  TBytes Huge = TBuilder(1, 1, 8, 0).End();
  Huge.insert(Huge.end() - 12, {0xFF, 0xFF, 0xFF, 0xFF, 'I', 'D', 'A', 'T', 0, 0, 0, 0});
  EXPECT_EQ(LoadError(Huge), STruncated);
  TBytes Past = TBuilder(1, 1, 8, 0).Rows({0, 1}).Png;
  Past.insert(Past.end(), {0, 0, 0, 5, 't', 'E', 'X', 't', 1, 2});
  EXPECT_EQ(LoadError(Past), STruncated);
  // The image is complete and the data ends without IEND, or with a few stray bytes.
  TBytes NoEnd = TBuilder(1, 1, 8, 0).Rows({0, 1}).Png;
  EXPECT_EQ(LoadError(NoEnd), "");
  NoEnd.insert(NoEnd.end(), {0, 0, 0});
  EXPECT_EQ(LoadError(NoEnd), "");
  // Without any image data.
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).End()), SIncomplete);
}

TEST(PNGImageData, TruncatedAndOverlongStreams) {
  // Rows 0 and 1 of three: the third row is missing, not left stale.
  const TBytes Rows = {0, 1, 2, 0, 3, 4};
  EXPECT_EQ(LoadError(TBuilder(2, 3, 8, 0).Rows(Rows).End()), SExtra);
  // The stream itself cut short (no end of stream, no further IDAT).
  TBytes Packed = Deflate({0, 1, 2, 0, 3, 4, 0, 5, 6});
  Packed.resize(Packed.size() / 2);
  EXPECT_EQ(LoadError(TBuilder(2, 3, 8, 0).Add("IDAT", Packed).End()), SIncomplete);
  // Data left over in the stream, or bytes after it.
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).Rows({0, 1, 0, 2}).End()), SExtra);
  TBytes Trailing = Deflate({0, 1});
  Trailing.push_back(0);
  EXPECT_EQ(LoadError(TBuilder(1, 1, 8, 0).Add("IDAT", Trailing).End()), SExtra);
  // Damaged compressed data.
  TBytes Damaged = Deflate({0, 1, 2, 3});
  Damaged[0] = 0x12;
  EXPECT_EQ(LoadError(TBuilder(3, 1, 8, 0).Add("IDAT", Damaged).End()),
            "Cannot load image. Compression error found in PNG file.");
  // The stream split over IDAT chunks, one of them empty, is one stream.
  const TBytes Whole = Deflate({0, 1, 2, 0, 3, 4, 0, 5, 6});
  TBuilder Split(2, 3, 8, 0);
  Split.Add("IDAT", TBytes(Whole.begin(), Whole.begin() + 3)).Add("IDAT", {});
  Split.Add("IDAT", TBytes(Whole.begin() + 3, Whole.end()));
  const TPNGGraphic Png = Load(Split.End());
  EXPECT_EQ(Png.ScanLine(2)[1], 6);
}

TEST(PNGImageData, RowFilters) {
  EXPECT_EQ(LoadError(TBuilder(2, 1, 8, 0).Rows({5, 1, 2}).End()),
            "Cannot load image. Unknown row filter found in PNG file.");
  // Sub, Up, Average and Paeth on a 16-bit RGB image (6 bytes per pixel).
  const TPNGGraphic Png = Load(TBuilder(2, 4, 16, 2)
                                   .Rows({1, 0, 10, 0, 20, 0, 30, 0, 1, 0, 1, 0, 1,  // Sub
                                          2, 1, 0,  1, 0,  1, 0,  0, 0, 0, 0, 0, 0,  // Up
                                          3, 0, 0,  0, 0,  0, 0,  0, 0, 0, 0, 0, 0,  // Average
                                          4, 0, 0,  0, 0,  0, 0,  0, 0, 0, 0, 0, 0}) // Paeth
                                   .End());
  const uint8_t* Row = Png.ScanLine(0);
  // Samples 0x000A, 0x0014, 0x001E, then +0x0001 each: all reduce to 0.
  EXPECT_EQ(TBytes(Row, Row + 6), TBytes(6, 0));
  // Row 1: high bytes 1 + 0 = 0x010A -> 0x010A * 255 / 65535 = 1.
  EXPECT_EQ(Png.ScanLine(1)[2], 1);
}

TEST(PNGImageData, InterlacedPassStartsWithZeroRowAbove) {
  // 8 x 8 gray, every pass row filtered Up with zero residue: all pixels decode as 0, which
  // only holds when each pass starts from a zero row rather than the previous pass's last.
  TBytes Raw;
  const int PassRows[7] = {1, 1, 1, 2, 2, 4, 4}, PassWidth[7] = {1, 1, 2, 2, 4, 4, 8};
  for (int P = 0; P < 7; ++P)
    for (int R = 0; R < PassRows[P]; ++R) {
      Raw.push_back(R == 0 && P == 0 ? 0 : 2);
      for (int X = 0; X < PassWidth[P]; ++X)
        Raw.push_back(P == 0 ? 200 : 0);
    }
  const TPNGGraphic Png = Load(TBuilder(8, 8, 8, 0, 1).Rows(Raw).End());
  EXPECT_EQ(Png.ScanLine(0)[0], 200);
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X)
      if (X || Y) {
        EXPECT_EQ(Png.ScanLine(Y)[X], 0) << X << "," << Y;
      }
}

TEST(PNGLimits, SizesAreCappedBeforeAllocating) {
  const std::string Large = "Cannot load image. The picture of ";
  EXPECT_EQ(LoadError(TBuilder(16385, 1, 8, 0).Rows({0}).End()).rfind(Large, 0), 0u);
  EXPECT_EQ(LoadError(TBuilder(1, 16385, 8, 0).Rows({0}).End()).rfind(Large, 0), 0u);
  EXPECT_EQ(LoadError(TBuilder(16384, 16384, 8, 6).Rows({0}).End()).rfind(Large, 0), 0u);
  EXPECT_EQ(LoadError(TBuilder(0x7FFFFFFF, 0x7FFFFFFF, 8, 6).Rows({0}).End()).rfind(Large, 0), 0u);
  // The largest side is allowed.
  TBytes Row(16384 + 1, 0);
  EXPECT_EQ(LoadError(TBuilder(16384, 1, 8, 0).Rows(Row).End()), "");
}

TEST(PNGLoad, LoadingAgainReplacesEverything) {
  TPNGGraphic Png;
  const TBytes Keyed = TBuilder(2, 1, 1, 0).Add("tRNS", {0, 1}).Rows({0, 0x80}).End();
  Png.LoadFromMemory(Keyed.data(), Keyed.size());
  const TBytes Plain = SmallRGBA();
  Png.LoadFromMemory(Plain.data(), Plain.size());
  EXPECT_FALSE(Png.Transparent());
  EXPECT_EQ(Png.PixelFormat(), pf32bit);
  EXPECT_TRUE(Png.Palette().empty());
  // A failed load leaves an empty graphic, not the previous picture or a half-decoded one.
  const TBytes Cut(Plain.begin(), Plain.end() - 20);
  EXPECT_THROW(Png.LoadFromMemory(Cut.data(), Cut.size()), EInvalidGraphic);
  EXPECT_TRUE(Png.IsEmpty());
  EXPECT_EQ(Png.PixelFormat(), pfDevice);
  int Calls = 0;
  Png.OnProgress = [&](TProgressStage, int, const TRect&, const char*) { ++Calls; };
  Png.LoadFromMemory(Plain.data(), Plain.size());
  EXPECT_GT(Calls, 3);
}

TEST(PNGLoad, ProgressReachesTheEndForInterlacedImages) {
  TBitmap32 Bmp(9, 11);
  const TBytes Png = EncodePNG(Bmp, 0);
  TPNGGraphic Graphic;
  std::vector<std::string> Messages;
  int LastPercent = -1, Rows = 0;
  Graphic.OnProgress = [&](TProgressStage Stage, int Percent, const TRect& R, const char* Msg) {
    if (*Msg) Messages.push_back(Msg);
    if (Stage == psRunning) {
      EXPECT_GE(Percent, LastPercent);
      EXPECT_EQ(R.Height(), 1);
      LastPercent = Percent;
      ++Rows;
    }
  };
  Graphic.LoadFromMemory(Png.data(), Png.size());
  EXPECT_EQ(Messages, (std::vector<std::string>{"Preparing...", "Transfering..."}));
  EXPECT_EQ(LastPercent, 100);
  EXPECT_EQ(Rows, 11);
  // Interlaced: every row of every pass is counted.
  TBytes Raw8;
  const int PassRows[7] = {1, 1, 1, 2, 2, 4, 4}, PassWidth[7] = {1, 1, 2, 2, 4, 4, 8};
  for (int P = 0; P < 7; ++P)
    for (int R = 0; R < PassRows[P]; ++R) {
      Raw8.push_back(0);
      Raw8.insert(Raw8.end(), size_t(PassWidth[P]), 9);
    }
  LastPercent = -1;
  Rows = 0;
  const TBytes Interlaced = TBuilder(8, 8, 8, 0, 1).Rows(Raw8).End();
  Graphic.LoadFromMemory(Interlaced.data(), Interlaced.size());
  EXPECT_EQ(LastPercent, 100);
  EXPECT_EQ(Rows, 15);
}

TEST(PNGNormalise, ClearTransparentWhiteAndPremultiply) {
  TBitmap32 Bmp(3, 1);
  Bmp.Pixel(0, 0) = 0x00FFFFFF;
  Bmp.Pixel(1, 0) = 0xFFFFFFFF;
  Bmp.Pixel(2, 0) = 0x00FFFFFE;
  ClearTransparentWhite(Bmp);
  EXPECT_EQ(Bmp.Pixel(0, 0), 0u);
  EXPECT_EQ(Bmp.Pixel(1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(Bmp.Pixel(2, 0), 0x00FFFFFEu);
  // A skin of version 8.00 premultiplies; one of 7.40 only clears transparent white.
  const TBytes Png = TBuilder(2, 1, 8, 6).Rows({0, 200, 100, 50, 128, 255, 255, 255, 0}).End();
  const TBitmap32 New = LoadSkinPNG(Png.data(), Png.size(), 8.00);
  EXPECT_EQ(New.Pixel(0, 0), 0x80643219u); // 200*128>>8, 100*128>>8, 50*128>>8
  EXPECT_EQ(New.Pixel(1, 0), 0u);
  const TBitmap32 Old = LoadSkinPNG(Png.data(), Png.size(), 7.40);
  EXPECT_EQ(Old.Pixel(0, 0), 0x80C86432u);
  EXPECT_EQ(Old.Pixel(1, 0), 0u);
  EXPECT_EQ(LoadSkinPNG(Png.data(), Png.size(), 7.45).Pixel(0, 0), 0x80C86432u);
}

TEST(PNGColorManager, SettersValidate) {
  TColorManager M;
  EXPECT_THROW(M.SetSourceBitsPerSample(0), EColorConversionError);
  EXPECT_THROW(M.SetTargetBitsPerSample(17), EColorConversionError);
  EXPECT_THROW(M.SetSourceSamplesPerPixel(5), EColorConversionError);
  M.SetSourceColorScheme(csG);
  M.SetSourceSamplesPerPixel(1);
  uint8_t Out[4] = {};
  const uint8_t In[3] = {1, 2, 3};
  try {
    M.ConvertRow(In, Out, 1, 0xFF);
    FAIL() << "gray to BGR converted";
  } catch (const EColorConversionError& E) {
    EXPECT_STREQ(E.what(),
                 "Conversion between indexed and non-indexed pixel formats is not supported.");
  }
  EXPECT_EQ(M.GetPixelFormat(0), pf8bit);
  EXPECT_EQ(M.GetPixelFormat(1), pf24bit);
}

TEST(PNGWriter, RoundTrip) {
  TBitmap32 Bmp(13, 7);
  for (int Y = 0; Y < 7; ++Y)
    for (int X = 0; X < 13; ++X)
      Bmp.Pixel(X, Y) = uint32_t(X * 19 + Y * 7) * 0x01030507u;
  for (int Level : {0, 6}) {
    const TBytes Bytes = EncodePNG(Bmp, Level);
    TBitmap32 Back;
    Load(Bytes).AssignTo(Back);
    ASSERT_TRUE(Back.SameSize(Bmp));
    EXPECT_EQ(std::memcmp(Back.Bits(), Bmp.Bits(), Bmp.ByteSize()), 0) << Level;
  }
}

TEST(PNGColorManager, ColorPalettesFromInterleavedAndPlanarSamples) {
  TColorManager M;
  const uint8_t Rgb[] = {1, 2, 3, 4, 5, 6};
  const uint8_t* S[] = {Rgb};
  EXPECT_EQ(M.CreateColorPalette(S, csRGB, 2, 8, false),
            (std::vector<TColor>{RGBColor(1, 2, 3), RGBColor(4, 5, 6)}));
  EXPECT_EQ(M.CreateColorPalette(S, csBGR, 1, 8, false), std::vector<TColor>{RGBColor(3, 2, 1)});
  const uint8_t R[] = {10, 11}, G[] = {20, 21}, B[] = {30, 31};
  const uint8_t* Planes[] = {R, G, B};
  EXPECT_EQ(M.CreateColorPalette(Planes, csRGB, 2, 8, true)[1], RGBColor(11, 21, 31));
  // 16-bit samples, big-endian when the source is byte-swapped.
  const uint8_t Wide[] = {0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01};
  const uint8_t* W[] = {Wide};
  M.SetSourceOptions(coNeedByteSwap);
  EXPECT_EQ(M.CreateColorPalette(W, csRGB, 1, 16, false)[0], RGBColor(255, 127, 0));
  M.SetSourceOptions(0);
  EXPECT_EQ(M.CreateColorPalette(W, csRGB, 1, 16, false)[0], RGBColor(255, 0, 0));
  EXPECT_THROW(M.CreateColorPalette(S, csCMYK, 1, 8, false), EColorConversionError);
  EXPECT_THROW(M.CreateColorPalette(S, csRGB, 1, 4, false), EColorConversionError);
  // Through the gamma table when it is applied.
  M.SetGamma(0.5f, 1.0f);
  M.SetTargetOptions(coApplyGamma);
  EXPECT_EQ(M.CreateColorPalette(S, csRGB, 1, 8, false)[0],
            RGBColor(M.GammaTable()[1], M.GammaTable()[2], M.GammaTable()[3]));
}

namespace {

TBitmap32 Canvas(int W, int H, uint32_t Fill) {
  TBitmap32 C(W, H);
  C.Fill(Fill);
  return C;
}

} // namespace

TEST(PNGDraw, ThirtyTwoBitPicturesBlendOverTheCanvas) {
  TBitmap32 Src(2, 2);
  Src.Fill(0x80FF0000u); // red at half alpha
  Src.Pixel(1, 1) = 0x000000FFu;
  TPNGGraphic Png;
  const TBytes Bytes = EncodePNG(Src);
  Png.LoadFromMemory(Bytes.data(), Bytes.size());
  TBitmap32 C = Canvas(4, 4, 0xFF000000u);
  Png.Draw(C, {1, 1, 3, 3});
  EXPECT_EQ(C.Pixel(1, 1), 0xFF7F0000u);
  EXPECT_EQ(C.Pixel(2, 2), 0xFF000000u); // clear pixel leaves the canvas
  EXPECT_EQ(C.Pixel(0, 0), 0xFF000000u);
  EXPECT_EQ(C.Pixel(3, 3), 0xFF000000u);
  // Partly outside the canvas: clipped, nothing written outside.
  TBitmap32 Small = Canvas(2, 2, 0xFF000000u);
  Png.Draw(Small, {-1, -1, 1, 1});
  EXPECT_EQ(Small.Pixel(0, 0), 0xFF000000u); // the source's clear pixel (1, 1)
  Png.Draw(Small, {1, 1, 3, 3});
  EXPECT_EQ(Small.Pixel(1, 1), 0xFF7F0000u);
}

TEST(PNGDraw, ReflectionBelowAtTheOwnSizeOnly) {
  TBitmap32 Src(2, 4);
  Src.Fill(0xFFFF0000u);
  for (int y = 2; y < 4; ++y)
    for (int x = 0; x < 2; ++x)
      Src.Pixel(x, y) = 0xFF0000FFu; // blue lower half
  const TBytes Bytes = EncodePNG(Src);
  TPNGGraphic Png;
  Png.LoadFromMemory(Bytes.data(), Bytes.size());
  TBitmap32 C = Canvas(2, 8, 0xFF000000u);
  Png.Draw(C, {0, 0, 2, 4});
  EXPECT_EQ(C.Pixel(0, 4), 0xFF000000u); // no reflection unless asked for
  Png.Reflected = true;
  Png.Draw(C, {0, 0, 2, 4});
  // Opaque pixels follow the engine's blend rule with weight 255 (255 over 0 gives 254).
  EXPECT_EQ(C.Pixel(0, 3), 0xFF0000FEu);
  // Two reflected rows, the bottom source row first, fading: alpha 255 * 2 * 255 / 2048 = 63,
  // then 31.
  EXPECT_EQ(C.Pixel(1, 4), 0xFF00003Eu);
  EXPECT_EQ(C.Pixel(1, 5), 0xFF00001Eu);
  EXPECT_EQ(C.Pixel(1, 6), 0xFF000000u);

  // Stretched to another size: nearest pixels, and no reflection.
  TBitmap32 Big = Canvas(4, 12, 0xFF000000u);
  Png.Draw(Big, {0, 0, 4, 8});
  EXPECT_EQ(Big.Pixel(3, 3), 0xFFFE0000u);
  EXPECT_EQ(Big.Pixel(3, 4), 0xFF0000FEu);
  EXPECT_EQ(Big.Pixel(0, 8), 0xFF000000u);
}

TEST(PNGDraw, PlainPicturesAreCopiedWithoutTheirTransparentColour) {
  // 1-bit gray, tRNS white: the white pixel is left out, the black one copied.
  const TPNGGraphic Png = Load(TBuilder(2, 1, 1, 0).Add("tRNS", {0, 1}).Rows({0, 0x80}).End());
  TBitmap32 C = Canvas(4, 2, 0xFF00FF00u);
  Png.Draw(C, {0, 0, 4, 2}); // stretched twice
  EXPECT_EQ(C.Pixel(0, 0), 0xFF00FF00u);
  EXPECT_EQ(C.Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(C.Pixel(2, 0), 0xFF000000u);
  EXPECT_EQ(C.Pixel(3, 1), 0xFF000000u);
  Png.Draw(C, {0, 0, 0, 2}); // empty target
  EXPECT_EQ(C.Pixel(2, 0), 0xFF000000u);
}

#ifdef _WIN32
TEST(PNGDraw, OntoADeviceContextWithTheReflection) {
  TBitmap32 Src(2, 2);
  Src.Fill(0x80FF0000u);
  const TBytes Bytes = EncodePNG(Src);
  TPNGGraphic Png;
  Png.LoadFromMemory(Bytes.data(), Bytes.size());
  Png.Reflected = true;
  TBitmap32 C = Canvas(4, 5, 0xFF000000u);
  Png.Draw(C.NativeDC(), TRect{1, 1, 3, 3});
  GdiFlush();
  EXPECT_EQ(C.Pixel(1, 1) & 0xFFFFFF, 0x7F0000u);
  EXPECT_EQ(C.Pixel(0, 0) & 0xFFFFFF, 0u);
  // One reflected row: alpha 128 * 255 / 1024 = 31, red (255 * 31) >> 8 = 30.
  EXPECT_EQ(C.Pixel(2, 3) & 0xFFFFFF, 0x1E0000u);
  EXPECT_EQ(C.Pixel(2, 4) & 0xFFFFFF, 0u);
}
#endif
