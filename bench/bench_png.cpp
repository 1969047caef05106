// Decoding time of the engine's PNG reader against libpng, over photographic 2 MPix RGB and
// RGBA images, an interlaced one and a set of palette UI images. Both decoders produce the
// same layouts (B, G, R(, A) bytes, palette indexes); the second figure adds the conversion
// into the 32-bit bitmap the engine paints with, against libpng expanding to BGRA.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "skin/images/kvPNG.h"
#include "tests/skin/images/PNGReference.h"

namespace {

using TClock = std::chrono::steady_clock;

// A photograph-like picture: soft shapes and gradients with sensor noise.
TReferencePNG Photo(uint32_t W, uint32_t H, bool Alpha, bool Interlaced, uint32_t Seed) {
  TReferencePNG Image;
  Image.Width = W;
  Image.Height = H;
  Image.ColorType = Alpha ? 6 : 2;
  Image.Interlaced = Interlaced;
  std::mt19937 Random(Seed);
  std::normal_distribution<double> Noise(0, 3);
  const int N = Alpha ? 4 : 3;
  for (uint32_t Y = 0; Y < H; ++Y) {
    std::vector<uint8_t> Row(size_t(W) * N);
    for (uint32_t X = 0; X < W; ++X) {
      const double U = X / double(W), V = Y / double(H);
      const double Base[3] = {120 + 80 * std::sin(U * 7 + V * 3) + 30 * std::cos(V * 17),
                              110 + 70 * std::sin(U * 5 - V * 9 + 1) + 20 * std::sin(U * 31),
                              100 + 90 * std::cos(U * 3 + V * 4) + 25 * std::sin((U + V) * 23)};
      for (int C = 0; C < 3; ++C)
        Row[X * N + C] = uint8_t(std::clamp(Base[C] + Noise(Random), 0.0, 255.0));
      if (Alpha)
        Row[X * N + 3] =
            uint8_t(std::clamp(200 + 55 * std::sin(U * 9) + Noise(Random), 0.0, 255.0));
    }
    Image.Rows.push_back(std::move(Row));
  }
  return Image;
}

// A UI picture with flat areas, borders and a gradient, in 16 or 256 palette colours.
TReferencePNG UIImage(uint32_t W, uint32_t H, int Depth, uint32_t Seed) {
  TReferencePNG Image;
  Image.Width = W;
  Image.Height = H;
  Image.ColorType = 3;
  Image.BitDepth = Depth;
  const unsigned Colors = 1u << Depth;
  for (unsigned I = 0; I < Colors; ++I)
    Image.Palette.insert(Image.Palette.end(),
                         {uint8_t(I * 7 + Seed), uint8_t(I * 3), uint8_t(255 - I)});
  for (uint32_t Y = 0; Y < H; ++Y) {
    std::vector<uint8_t> Row((size_t(W) * Depth + 7) / 8);
    for (uint32_t X = 0; X < W; ++X) {
      unsigned V = (Y * (Colors - 1)) / H;
      if (X < 2 || Y < 2 || X >= W - 2 || Y >= H - 2) V = Colors - 1;
      if ((X / 6 + Y / 6 + Seed) % 9 == 0) V = 1;
      const unsigned Bit = X * unsigned(Depth);
      Row[Bit / 8] |= uint8_t(V << (8 - Depth - Bit % 8));
    }
    Image.Rows.push_back(std::move(Row));
  }
  return Image;
}

template <typename F>
double BestOf(int Runs, F&& Work) {
  double Best = 1e30;
  for (int I = 0; I < Runs; ++I) {
    const auto Start = TClock::now();
    Work();
    Best = std::min(Best, std::chrono::duration<double, std::milli>(TClock::now() - Start).count());
  }
  return Best;
}

void Measure(const std::string& Name, const std::vector<std::vector<uint8_t>>& Files, int Runs) {
  std::vector<uint8_t> Pixels;
  TBitmap32 Bmp;
  auto Ours = [&] {
    for (const auto& F : Files) {
      TPNGGraphic Png;
      Png.LoadFromMemory(F.data(), F.size());
    }
  };
  auto Theirs = [&] {
    for (const auto& F : Files)
      DecodeWithLibpngToBGR(F, Pixels);
  };
  auto Ours32 = [&] {
    for (const auto& F : Files) {
      TPNGGraphic Png;
      Png.LoadFromMemory(F.data(), F.size());
      Png.AssignTo(Bmp);
    }
  };
  auto Theirs32 = [&] {
    for (const auto& F : Files)
      DecodeWithLibpngToBGRA(F, Pixels);
  };
  // Interleaved, best of several runs: the machine is shared.
  double A = 1e30, B = 1e30, C = 1e30, D = 1e30;
  for (int I = 0; I < Runs; ++I) {
    A = std::min(A, BestOf(1, Ours));
    B = std::min(B, BestOf(1, Theirs));
    C = std::min(C, BestOf(1, Ours32));
    D = std::min(D, BestOf(1, Theirs32));
  }
  std::printf("%-28s reader %8.2f ms  libpng %8.2f ms  ratio %.2f   | to 32 bits %8.2f / %8.2f ms"
              "  ratio %.2f\n",
              Name.c_str(), A, B, A / B, C, D, C / D);
}

} // namespace

int main(int argc, char** argv) {
  const int Runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  std::printf("PNG decoding, best of %d runs; ratio < 1 means the reader is faster\n", Runs);
  Measure("photo RGB 1920x1080", {EncodeWithLibpng(Photo(1920, 1080, false, false, 1))}, Runs);
  Measure("photo RGBA 1920x1080", {EncodeWithLibpng(Photo(1920, 1080, true, false, 2))}, Runs);
  Measure("photo RGB interlaced", {EncodeWithLibpng(Photo(1920, 1080, false, true, 3))}, Runs);
  std::vector<std::vector<uint8_t>> UI;
  for (uint32_t I = 0; I < 40; ++I)
    UI.push_back(EncodeWithLibpng(UIImage(64 + I * 5, 48 + I * 3, I % 2 ? 8 : 4, I)));
  Measure("40 palette UI images", UI, Runs);
}
