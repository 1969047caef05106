// Draws the program icon at every size Windows asks for and writes textovrt.ico: a green
// rounded tile with a page of text on it, one line of which is marked for rewriting.
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct TRGBA {
  double R = 0, G = 0, B = 0, A = 0;
};

// Coverage of a rounded rectangle at a point (inside 1, outside 0), from its signed distance.
double RoundRectCoverage(double X, double Y, double L, double T, double R, double B, double Radius,
                         double PixelSize) {
  double CX = std::clamp(X, L + Radius, R - Radius);
  double CY = std::clamp(Y, T + Radius, B - Radius);
  double D = std::hypot(X - CX, Y - CY) - Radius;
  return std::clamp(0.5 - D / PixelSize, 0.0, 1.0);
}

TRGBA Over(TRGBA Dst, TRGBA Src, double Coverage) {
  double A = Src.A * Coverage;
  TRGBA Out;
  Out.A = A + Dst.A * (1 - A);
  if (Out.A <= 0) return {};
  Out.R = (Src.R * A + Dst.R * Dst.A * (1 - A)) / Out.A;
  Out.G = (Src.G * A + Dst.G * Dst.A * (1 - A)) / Out.A;
  Out.B = (Src.B * A + Dst.B * Dst.A * (1 - A)) / Out.A;
  return Out;
}

TRGBA Hex(uint32_t RGB, double A = 1) {
  return {double((RGB >> 16) & 255), double((RGB >> 8) & 255), double(RGB & 255), A};
}

TRGBA Mix(TRGBA A, TRGBA B, double K) {
  return {A.R + (B.R - A.R) * K, A.G + (B.G - A.G) * K, A.B + (B.B - A.B) * K,
          A.A + (B.A - A.A) * K};
}

// The design in unit coordinates (0..1); S is the pixel size in those units.
TRGBA Shade(double X, double Y, double S) {
  TRGBA P;
  // Tile: a vertical meadow gradient with a darker rim.
  double Tile = RoundRectCoverage(X, Y, 0.03, 0.03, 0.97, 0.97, 0.2, S);
  P = Over(P, Hex(0x2F6A1C), Tile);
  double Inner = RoundRectCoverage(X, Y, 0.03 + S, 0.03 + S, 0.97 - S, 0.97 - S, 0.2 - S, S);
  P = Over(P, Mix(Hex(0x7CC24A), Hex(0x3F7D25), std::clamp((Y - 0.03) / 0.94, 0.0, 1.0)), Inner);
  // Page with a soft shadow.
  P = Over(P, Hex(0x1E4512, 0.35), RoundRectCoverage(X, Y, 0.25, 0.2, 0.79, 0.88, 0.05, S * 2.5));
  P = Over(P, Hex(0xFBFDF7), RoundRectCoverage(X, Y, 0.22, 0.16, 0.76, 0.84, 0.05, S));
  // Lines of text; the third is marked: a warm band with the rewritten text on it.
  const double Lines[] = {0.28, 0.40, 0.52, 0.64, 0.74};
  const double Ends[] = {0.68, 0.60, 0.66, 0.64, 0.52};
  double LineHalf = std::max(0.025, S * 0.6);
  for (int i = 0; i < 5; ++i) {
    if (i == 2) {
      P = Over(P, Hex(0xF2D64B),
               RoundRectCoverage(X, Y, 0.27, Lines[i] - 0.06, 0.71, Lines[i] + 0.06, 0.03, S));
      P = Over(P, Hex(0x4F8F2F),
               RoundRectCoverage(X, Y, 0.31, Lines[i] - LineHalf, Ends[i], Lines[i] + LineHalf,
                                 LineHalf, S));
    } else {
      P = Over(P, Hex(0x9DB98C),
               RoundRectCoverage(X, Y, 0.30, Lines[i] - LineHalf, Ends[i], Lines[i] + LineHalf,
                                 LineHalf, S));
    }
  }
  return P;
}

// One image, 4 × 4 samples a pixel; rows top-down, bytes B, G, R, A, straight alpha.
std::vector<uint8_t> Render(int Size) {
  std::vector<uint8_t> Pixels(size_t(Size) * Size * 4);
  const int N = 4;
  double S = 1.0 / Size;
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) {
      double R = 0, G = 0, B = 0, A = 0;
      for (int sy = 0; sy < N; ++sy)
        for (int sx = 0; sx < N; ++sx) {
          TRGBA P = Shade((x + (sx + 0.5) / N) * S, (y + (sy + 0.5) / N) * S, S);
          R += P.R * P.A;
          G += P.G * P.A;
          B += P.B * P.A;
          A += P.A;
        }
      uint8_t* Out = &Pixels[(size_t(y) * Size + x) * 4];
      if (A > 0) {
        Out[0] = uint8_t(std::lround(B / A));
        Out[1] = uint8_t(std::lround(G / A));
        Out[2] = uint8_t(std::lround(R / A));
      }
      Out[3] = uint8_t(std::lround(A / (N * N) * 255));
    }
  return Pixels;
}

void Put16(std::vector<uint8_t>& V, uint32_t X) {
  V.push_back(uint8_t(X));
  V.push_back(uint8_t(X >> 8));
}
void Put32(std::vector<uint8_t>& V, uint32_t X) {
  Put16(V, X & 0xFFFF);
  Put16(V, X >> 16);
}
void Put32BE(std::vector<uint8_t>& V, uint32_t X) {
  for (int i = 3; i >= 0; --i)
    V.push_back(uint8_t(X >> (i * 8)));
}

// An icon directory entry's image as a 32-bit DIB with its (empty) AND mask.
std::vector<uint8_t> DibImage(int Size, const std::vector<uint8_t>& Pixels) {
  std::vector<uint8_t> V;
  Put32(V, 40);
  Put32(V, uint32_t(Size));
  Put32(V, uint32_t(Size * 2));
  Put16(V, 1);
  Put16(V, 32);
  for (int i = 0; i < 6; ++i)
    Put32(V, 0);
  for (int y = Size - 1; y >= 0; --y)
    V.insert(V.end(), Pixels.begin() + ptrdiff_t(y) * Size * 4,
             Pixels.begin() + ptrdiff_t(y + 1) * Size * 4);
  int MaskStride = ((Size + 31) / 32) * 4;
  for (int y = Size - 1; y >= 0; --y) {
    std::vector<uint8_t> Row(size_t(MaskStride), 0);
    for (int x = 0; x < Size; ++x)
      if (Pixels[(size_t(y) * Size + x) * 4 + 3] == 0)
        Row[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
    V.insert(V.end(), Row.begin(), Row.end());
  }
  return V;
}

void Chunk(std::vector<uint8_t>& V, const char* Type, const std::vector<uint8_t>& Data) {
  Put32BE(V, uint32_t(Data.size()));
  size_t Start = V.size();
  V.insert(V.end(), Type, Type + 4);
  V.insert(V.end(), Data.begin(), Data.end());
  Put32BE(V, uint32_t(crc32(0, V.data() + Start, uInt(V.size() - Start))));
}

std::vector<uint8_t> PngImage(int Size, const std::vector<uint8_t>& Pixels) {
  std::vector<uint8_t> Raw;
  for (int y = 0; y < Size; ++y) {
    Raw.push_back(0);
    for (int x = 0; x < Size; ++x) {
      const uint8_t* P = &Pixels[(size_t(y) * Size + x) * 4];
      Raw.insert(Raw.end(), {P[2], P[1], P[0], P[3]});
    }
  }
  uLongf PackedSize = compressBound(uLong(Raw.size()));
  std::vector<uint8_t> Packed(PackedSize);
  compress2(Packed.data(), &PackedSize, Raw.data(), uLong(Raw.size()), 9);
  Packed.resize(PackedSize);
  std::vector<uint8_t> V = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> Header;
  Put32BE(Header, uint32_t(Size));
  Put32BE(Header, uint32_t(Size));
  Header.insert(Header.end(), {8, 6, 0, 0, 0});
  Chunk(V, "IHDR", Header);
  Chunk(V, "IDAT", Packed);
  Chunk(V, "IEND", {});
  return V;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUT.ico\n");
    return 2;
  }
  const int Sizes[] = {16, 20, 24, 28, 30, 32, 36, 40, 44, 48, 60, 64, 72, 80, 96, 128, 256};
  std::vector<std::vector<uint8_t>> Images;
  for (int Size : Sizes) {
    std::vector<uint8_t> Pixels = Render(Size);
    // The largest image is stored as PNG, as Windows expects for 256 pixels.
    Images.push_back(Size >= 256 ? PngImage(Size, Pixels) : DibImage(Size, Pixels));
  }
  std::vector<uint8_t> Ico;
  Put16(Ico, 0);
  Put16(Ico, 1);
  Put16(Ico, uint32_t(Images.size()));
  uint32_t Offset = 6 + 16 * uint32_t(Images.size());
  for (size_t i = 0; i < Images.size(); ++i) {
    Ico.push_back(uint8_t(Sizes[i] >= 256 ? 0 : Sizes[i]));
    Ico.push_back(uint8_t(Sizes[i] >= 256 ? 0 : Sizes[i]));
    Ico.push_back(0);
    Ico.push_back(0);
    Put16(Ico, 1);
    Put16(Ico, 32);
    Put32(Ico, uint32_t(Images[i].size()));
    Put32(Ico, Offset);
    Offset += uint32_t(Images[i].size());
  }
  for (const auto& Image : Images)
    Ico.insert(Ico.end(), Image.begin(), Image.end());
  std::ofstream Out(argv[1], std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Ico.data()), std::streamsize(Ico.size()));
  return Out ? 0 : 1;
}
