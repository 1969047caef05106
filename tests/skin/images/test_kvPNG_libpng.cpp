// The PNG reader against libpng over a generated corpus: every colour type and bit depth,
// plain and interlaced, with and without gAMA, tRNS and bKGD, under every row filter. libpng's
// raw samples are turned into colours by the reader's own rules and must match exactly.
#include <gtest/gtest.h>

#include <png.h>

#include <cmath>
#include <random>
#include <string>

#include "skin/images/kvPNG.h"
#include "tests/skin/images/PNGReference.h"

namespace {

struct TCase {
  int ColorType, Depth;
};
constexpr TCase Formats[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                             {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

int Channels(int ColorType) {
  switch (ColorType) {
  case 2: return 3;
  case 4: return 2;
  case 6: return 4;
  default: return 1;
  }
}

unsigned SampleAt(const std::vector<uint8_t>& Row, uint32_t Index, int Depth) {
  if (Depth == 16) return unsigned(Row[Index * 2]) << 8 | Row[Index * 2 + 1];
  if (Depth == 8) return Row[Index];
  const unsigned Bit = Index * unsigned(Depth);
  return (Row[Bit / 8] >> (8 - Depth - Bit % 8)) & ((1u << Depth) - 1);
}

void PutSample(std::vector<uint8_t>& Row, uint32_t Index, int Depth, unsigned V) {
  if (Depth == 16) {
    Row[Index * 2] = uint8_t(V >> 8);
    Row[Index * 2 + 1] = uint8_t(V);
  } else if (Depth == 8) {
    Row[Index] = uint8_t(V);
  } else {
    const unsigned Bit = Index * unsigned(Depth);
    Row[Bit / 8] |= uint8_t(V << (8 - Depth - Bit % 8));
  }
}

// Pixels with smooth areas, edges and noise, so that every filter has work to do.
TReferencePNG MakeImage(int ColorType, int Depth, uint32_t W, uint32_t H, uint32_t Seed) {
  TReferencePNG Image;
  Image.Width = W;
  Image.Height = H;
  Image.ColorType = ColorType;
  Image.BitDepth = Depth;
  std::mt19937 Random(Seed);
  const int N = Channels(ColorType);
  const unsigned Max = Depth == 16 ? 65535 : (1u << Depth) - 1;
  unsigned PaletteSize = 0;
  if (ColorType == 3) {
    PaletteSize = std::min(256u, Max + 1) - (Depth > 1 ? 1 : 0); // leave one index unused
    for (unsigned I = 0; I < PaletteSize * 3; ++I)
      Image.Palette.push_back(uint8_t(Random()));
  }
  const size_t RowBytes = (size_t(W) * N * Depth + 7) / 8;
  for (uint32_t Y = 0; Y < H; ++Y) {
    std::vector<uint8_t> Row(RowBytes, 0);
    for (uint32_t X = 0; X < W; ++X)
      for (int C = 0; C < N; ++C) {
        unsigned V;
        if (ColorType == 3)
          V = ((X + Y * 3) / 2 + (Random() % 4 == 0 ? Random() : 0)) % PaletteSize;
        else if ((X / 7 + Y / 5) % 3 == 0)
          V = Random() & Max;
        else
          V = unsigned(uint64_t(X * 5 + Y * 3 + C * 40) * Max / (W * 5 + H * 3 + 120));
        PutSample(Row, X * N + C, Depth, V);
      }
    Image.Rows.push_back(std::move(Row));
  }
  return Image;
}

// The reader's rules, written out independently.
struct TRules {
  bool UseGamma = false;
  uint8_t Table[256];

  explicit TRules(const TReferencePNG& Ref) {
    UseGamma = Ref.HasGamma;
    const float FileGamma = float(Ref.Gamma / 100000.0);
    const double Exponent = 1.0 / (double(FileGamma > 0 ? FileGamma : 1.0f) * double(2.2f));
    for (int I = 0; I < 256; ++I)
      Table[I] = uint8_t(std::nearbyint(std::pow(I / 255.0, Exponent) * 255.0));
  }
  uint8_t G(unsigned Level) const { return UseGamma ? Table[Level] : uint8_t(Level); }
  static unsigned Reduce(unsigned V) { return V * 255 / 65535; }
  static unsigned GrayLevel(unsigned V, int Depth) {
    return Depth == 16 ? Reduce(V) : V * 255 / ((1u << Depth) - 1);
  }

  // The pixel word (B, G, R, A) the reader must give for pixel X of a libpng row.
  uint32_t Pixel(const TReferencePNG& Ref, const std::vector<uint8_t>& Row, uint32_t X) const {
    const int D = Ref.BitDepth;
    auto Word = [](unsigned R, unsigned Gr, unsigned B, unsigned A) {
      return uint32_t(B) | uint32_t(Gr) << 8 | uint32_t(R) << 16 | uint32_t(A) << 24;
    };
    switch (Ref.ColorType) {
    case 0:
    case 4: {
      const unsigned L = G(GrayLevel(SampleAt(Row, X * Channels(Ref.ColorType), D), D));
      return Word(L, L, L, 255);
    }
    case 2: {
      unsigned C[3];
      for (int I = 0; I < 3; ++I) {
        const unsigned V = SampleAt(Row, X * 3 + I, D);
        C[I] = G(D == 16 ? Reduce(V) : V);
      }
      return Word(C[0], C[1], C[2], 255);
    }
    case 3: {
      const unsigned Index = SampleAt(Row, X, D);
      if (Index * 3 + 2 >= Ref.Palette.size()) return Word(0, 0, 0, 255);
      return Word(G(Ref.Palette[Index * 3]), G(Ref.Palette[Index * 3 + 1]),
                  G(Ref.Palette[Index * 3 + 2]), 255);
    }
    default: {
      unsigned C[4];
      for (int I = 0; I < 4; ++I) {
        const unsigned V = SampleAt(Row, X * 4 + I, D);
        C[I] = D == 16 ? Reduce(V) : V;
      }
      return Word(G(C[0]), G(C[1]), G(C[2]), C[3]);
    }
    }
  }

  // The colour key of a tRNS gray or RGB image, in pixel order without alpha.
  bool Key(const TReferencePNG& Ref, uint32_t& Key) const {
    if (!Ref.HasTransparency) return false;
    const int D = Ref.BitDepth;
    if (Ref.ColorType == 0) {
      const unsigned L = G(GrayLevel(Ref.Transparency[0], D));
      Key = L | L << 8 | L << 16;
      return true;
    }
    if (Ref.ColorType == 2) {
      unsigned C[3];
      for (int I = 0; I < 3; ++I)
        C[I] = G(D == 16 ? Reduce(Ref.Transparency[I]) : Ref.Transparency[I]);
      Key = C[2] | C[1] << 8 | C[0] << 16;
      return true;
    }
    return false;
  }
};

TPixelFormat ExpectedFormat(int ColorType, int Depth) {
  switch (ColorType) {
  case 0: return Depth == 1 ? pf1bit : Depth <= 4 ? pf4bit : pf8bit;
  case 3: return Depth == 1 ? pf1bit : Depth <= 4 ? pf4bit : pf8bit;
  case 2: return pf24bit;
  case 4: return pf8bit;
  default: return pf32bit;
  }
}

TColor ExpectedBackground(const TReferencePNG& Ref) {
  const int D = Ref.BitDepth;
  auto Level = [D](unsigned V) { return D == 16 ? V * 255 / 65535 : D == 2 ? V * 5 : V; };
  if (!Ref.HasBackground) return clWhite;
  switch (Ref.ColorType) {
  case 2:
  case 6:
    return RGBColor(int(Level(Ref.Background[0])), int(Level(Ref.Background[1])),
                    int(Level(Ref.Background[2])));
  case 3: return Ref.Background[0];
  default: return Level(Ref.Background[0]);
  }
}

std::string Describe(const TReferencePNG& Ref, int Variant) {
  return "type " + std::to_string(Ref.ColorType) + " depth " + std::to_string(Ref.BitDepth) +
         (Ref.Interlaced ? " interlaced" : "") + " " + std::to_string(Ref.Width) + "x" +
         std::to_string(Ref.Height) + " variant " + std::to_string(Variant);
}

// Decodes Bytes with both decoders and compares every pixel, the format and the bKGD value.
void Compare(const std::vector<uint8_t>& Bytes, const std::string& What) {
  SCOPED_TRACE(What);
  const TReferencePNG Ref = DecodeWithLibpng(Bytes);
  TPNGGraphic Png;
  ASSERT_NO_THROW(Png.LoadFromMemory(Bytes.data(), Bytes.size()));
  ASSERT_EQ(uint32_t(Png.Width()), Ref.Width);
  ASSERT_EQ(uint32_t(Png.Height()), Ref.Height);
  EXPECT_EQ(Png.PixelFormat(), ExpectedFormat(Ref.ColorType, Ref.BitDepth));
  EXPECT_EQ(Png.BackgroundColor(), ExpectedBackground(Ref));
  EXPECT_EQ(bool(Png.ImageProperties().Options & ioUseGamma), Ref.HasGamma);
  const TRules Rules(Ref);
  uint32_t Key = 0;
  const bool Keyed = Rules.Key(Ref, Key);
  EXPECT_EQ(Png.Transparent(), Keyed);
  std::vector<uint32_t> Row(Ref.Width);
  int Mismatches = 0;
  for (uint32_t Y = 0; Y < Ref.Height && Mismatches < 5; ++Y) {
    Png.ExpandRow(int(Y), Row.data());
    for (uint32_t X = 0; X < Ref.Width && Mismatches < 5; ++X) {
      uint32_t Expected = Rules.Pixel(Ref, Ref.Rows[Y], X);
      if (Keyed && (Expected & 0xFFFFFF) == Key) Expected &= 0xFFFFFF;
      if (Row[X] != Expected) {
        ++Mismatches;
        ADD_FAILURE() << "pixel " << X << "," << Y << ": 0x" << std::hex << Row[X] << " expected 0x"
                      << Expected;
      }
    }
  }
}

} // namespace

// Every format, plain and interlaced, at sizes that leave Adam7 passes empty or partial, with
// each combination of the ancillary chunks.
TEST(PNGAgainstLibpng, EveryFormatInterlaceAndAncillaryChunk) {
  const uint32_t Sizes[][2] = {{1, 1}, {3, 9}, {37, 29}};
  int Count = 0;
  for (const TCase& F : Formats)
    for (bool Interlaced : {false, true})
      for (const auto& Size : Sizes)
        for (int Variant = 0; Variant < 8; ++Variant) {
          TReferencePNG Image = MakeImage(F.ColorType, F.Depth, Size[0], Size[1], Count + 1);
          Image.Interlaced = Interlaced;
          Image.HasGamma = Variant & 1;
          Image.Gamma = Variant == 1 ? 45455 : Variant == 3 ? 100000 : 220000;
          Image.HasTransparency = (Variant & 2) && F.ColorType != 4 && F.ColorType != 6;
          const unsigned Max = F.Depth == 16 ? 65535 : (1u << F.Depth) - 1;
          // The key is the first pixel's value, so that it does occur.
          for (int C = 0; C < 3; ++C)
            Image.Transparency[C] =
                uint16_t(F.ColorType == 2 ? SampleAt(Image.Rows[0], C, F.Depth)
                                          : SampleAt(Image.Rows[0], 0, F.Depth) & Max);
          if (F.ColorType == 3) Image.PaletteAlpha = {0, 128};
          Image.HasBackground = Variant & 4;
          for (int C = 0; C < 3; ++C)
            Image.Background[C] = uint16_t((Max * (C + 1)) / 4);
          if (F.ColorType == 3) Image.Background[0] = 1;
          Compare(EncodeWithLibpng(Image), Describe(Image, Variant));
          ++Count;
        }
  EXPECT_EQ(Count, 15 * 2 * 3 * 8);
}

// Each filter forced on every row, so that each is undone at every pixel distance, including
// the first row of each interlace pass (which sees a row of zeros above it).
TEST(PNGAgainstLibpng, EachFilterAlone) {
  const int Filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG,
                         PNG_FILTER_PAETH};
  int Seed = 1000;
  for (const TCase& F : Formats)
    for (bool Interlaced : {false, true})
      for (int Filter : Filters) {
        TReferencePNG Image = MakeImage(F.ColorType, F.Depth, 41, 17, Seed++);
        Image.Interlaced = Interlaced;
        Image.Filters = Filter;
        Compare(EncodeWithLibpng(Image), Describe(Image, Filter));
      }
}

// Stored (level 0) and highly packed streams, and images wide enough to span several IDAT
// chunks.
TEST(PNGAgainstLibpng, CompressionLevelsAndLargeImages) {
  int Seed = 5000;
  for (int Level : {0, 1, 9})
    for (const TCase& F : {TCase{2, 8}, TCase{6, 16}, TCase{3, 4}, TCase{0, 16}}) {
      TReferencePNG Image = MakeImage(F.ColorType, F.Depth, 301, 203, Seed++);
      Image.CompressionLevel = Level;
      Image.Interlaced = Level == 1;
      Compare(EncodeWithLibpng(Image), Describe(Image, Level));
    }
}
