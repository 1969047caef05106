// Writes the PNG fuzz target's seed corpus with libpng: every colour type and bit depth, plain
// and interlaced, with gAMA, bKGD and tRNS on some. Built by hand when the seeds change:
//   g++ -std=c++20 -I. fuzz/png_seeds.cpp tests/skin/images/PNGReference.cpp -lpng -o /tmp/seeds
//   /tmp/seeds fuzz/corpus/png
#include <cstdio>
#include <fstream>
#include <string>

#include "tests/skin/images/PNGReference.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const int Formats[][2] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                            {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};
  int N = 0;
  for (const auto& F : Formats)
    for (int Interlaced = 0; Interlaced < 2; ++Interlaced) {
      TReferencePNG Image;
      Image.Width = 9;
      Image.Height = 6;
      Image.ColorType = F[0];
      Image.BitDepth = F[1];
      Image.Interlaced = Interlaced;
      const int Channels = F[0] == 2 ? 3 : F[0] == 4 ? 2 : F[0] == 6 ? 4 : 1;
      const size_t RowBytes = (size_t(Image.Width) * Channels * F[1] + 7) / 8;
      for (uint32_t Y = 0; Y < Image.Height; ++Y) {
        std::vector<uint8_t> Row(RowBytes);
        for (size_t I = 0; I < RowBytes; ++I)
          Row[I] = uint8_t((I * 37 + Y * 11) ^ (I > 4 ? 0x5A : 0));
        Image.Rows.push_back(Row);
      }
      if (F[0] == 3)
        for (int I = 0; I < (1 << F[1]) * 3; ++I)
          Image.Palette.push_back(uint8_t(I * 29));
      Image.HasGamma = Interlaced;
      Image.HasBackground = !Interlaced;
      Image.HasTransparency = (F[0] == 0 || F[0] == 2) && Interlaced;
      if (F[0] == 3 && Interlaced) {
        Image.HasTransparency = true;
        Image.PaletteAlpha = {0, 255};
      }
      const std::vector<uint8_t> Bytes = EncodeWithLibpng(Image);
      const std::string Name = std::string(argv[1]) + "/t" + std::to_string(F[0]) + "d" +
                               std::to_string(F[1]) + (Interlaced ? "i" : "") + ".png";
      std::ofstream(Name, std::ios::binary)
          .write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
      ++N;
    }
  std::printf("%d seeds\n", N);
}
