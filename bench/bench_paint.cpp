// ResampleBitmap (every filter, 2 MPix to a quarter and to double the size) and BlurGray8
// against ImageMagick doing the same resize and blur of the same image, printed as ratios.
//
// ImageMagick runs as a separate program: its time for a command that only reads the image and
// discards it is measured in the same way and subtracted, which leaves the operation itself
// without start-up and file time. It runs with one thread (as ours does) and, for reference,
// with its default threads. Usage: bench_paint [repeats]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "skin/pixels/Bitmap8.h"
#include "skin/pixels/kvBitmapIO.h"
#include "skin/pixels/kvBlur.h"
#include "skin/pixels/kvResample.h"

namespace {
using Clock = std::chrono::steady_clock;

int Repeats = 3;

template <typename F>
double BestMs(F Fn) {
  double Best = 1e300;
  for (int i = 0; i < Repeats; ++i) {
    auto T0 = Clock::now();
    Fn();
    Best = std::min(Best, std::chrono::duration<double, std::milli>(Clock::now() - T0).count());
  }
  return Best;
}

bool HaveMagick() {
  return std::system("command -v convert >/dev/null 2>&1") == 0;
}

// Best wall time of an ImageMagick command line, in milliseconds; negative when it fails.
double MagickMs(const std::string& Threads, const std::string& Args) {
  std::string Cmd = Threads + " convert " + Args + " null: >/dev/null 2>&1";
  double Best = 1e300;
  for (int i = 0; i < Repeats; ++i) {
    auto T0 = Clock::now();
    if (std::system(Cmd.c_str()) != 0) return -1;
    Best = std::min(Best, std::chrono::duration<double, std::milli>(Clock::now() - T0).count());
  }
  return Best;
}

// A photo-like test image: smooth gradients with texture and varying alpha.
TBitmap32 TestImage(int W, int H) {
  TBitmap32 B(W, H);
  unsigned Seed = 12345;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      Seed = Seed * 1103515245u + 12345u;
      int N = int(Seed >> 27);
      int R = (x * 255 / W + N) & 0xFF, G = (y * 255 / H + 2 * N) & 0xFF;
      int Bl = ((x ^ y) & 0x3F) * 4, A = 128 + ((x + y) & 0x7F);
      B.Pixel(x, y) = uint32_t(Bl) | uint32_t(G) << 8 | uint32_t(R) << 16 | uint32_t(A) << 24;
    }
  return B;
}

void SavePgm(const TBitmap8& B, const std::string& Name) {
  FILE* F = std::fopen(Name.c_str(), "wb");
  if (!F) return;
  std::fprintf(F, "P5\n%d %d\n255\n", B.Width(), B.Height());
  for (int y = 0; y < B.Height(); ++y)
    std::fwrite(B.ScanLine(y), 1, size_t(B.Width()), F);
  std::fclose(F);
}

void Report(const char* What, double Ours, double One, double All) {
  std::printf("%-30s ours %8.1f ms", What, Ours);
  if (One > 0) std::printf(" | IM 1 thread %8.1f ms  ratio %5.2f", One, One / Ours);
  if (All > 0) std::printf(" | IM all threads %8.1f ms  ratio %5.2f", All, All / Ours);
  std::printf("\n");
}
} // namespace

int main(int argc, char** argv) {
  if (argc > 1) Repeats = std::max(1, std::atoi(argv[1]));
  const int W = 1632, H = 1224; // 2.0 MPix
  TBitmap32 Src = TestImage(W, H);
  std::string Dir = "/tmp/bench_paint_" + std::to_string(::getpid());
  std::system(("mkdir -p " + Dir).c_str());
  std::string Pam = Dir + "/src.pam", Pgm = Dir + "/gray.pgm";
  SavePam(Src, Pam);
  bool Magick = HaveMagick();
  const std::string One = "MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1", All = "";
  double ReadOne = 0, ReadAll = 0;
  if (Magick) {
    ReadOne = MagickMs(One, Pam);
    ReadAll = MagickMs(All, Pam);
  } else {
    std::printf("ImageMagick (convert) not found: our times only\n");
  }
  std::printf("ratio = ImageMagick time / our time (above 1: we are faster); %d x %d source, "
              "best of %d\n",
              W, H, Repeats);

  struct {
    TResampleFilter Filter;
    const char* Ours;
    const char* Magick;
  } Filters[] = {{rfBox, "box", "Box"},
                 {rfTriangle, "triangle", "Triangle"},
                 {rfHermite, "hermite", "Hermite"},
                 {rfBell, "bell", "Quadratic"},
                 {rfSpline, "b-spline", "Spline"},
                 {rfLanczos3, "lanczos3", "Lanczos"},
                 {rfMitchell, "mitchell", "Mitchell"}};
  const struct {
    const char* Name;
    int W, H;
  } Sizes[] = {{"quarter", W / 4, H / 4}, {"double", W * 2, H * 2}};

  for (const auto& S : Sizes)
    for (const auto& F : Filters) {
      TBitmap32 Dst;
      double Ours = BestMs([&] { ResampleBitmap(Src, Dst, S.W, F.Filter, S.H); });
      double IMOne = -1, IMAll = -1;
      if (Magick) {
        std::string Args = Pam + " -filter " + F.Magick + " -resize " + std::to_string(S.W) + "x" +
                           std::to_string(S.H) + "!";
        IMOne = MagickMs(One, Args) - ReadOne;
        IMAll = MagickMs(All, Args) - ReadAll;
      }
      std::string What = std::string("resample ") + F.Ours + " to " + S.Name;
      Report(What.c_str(), Ours, IMOne, IMAll);
    }

  TBitmap8 Gray(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      Gray.Pixel(x, y) = uint8_t(Src.Pixel(x, y) >> 8);
  SavePgm(Gray, Pgm);
  double GrayOne = Magick ? MagickMs(One, Pgm) : 0, GrayAll = Magick ? MagickMs(All, Pgm) : 0;
  for (double Sigma : {2.0, 5.0}) {
    double Ours = BestMs([&] {
      TBitmap8 B = Gray;
      BlurGray8(B, Sigma);
    });
    double IMOne = -1, IMAll = -1;
    if (Magick) {
      std::string Args = Pgm + " -blur 0x" + std::to_string(Sigma);
      IMOne = MagickMs(One, Args) - GrayOne;
      IMAll = MagickMs(All, Args) - GrayAll;
    }
    std::string What = "blur gray8 sigma " + std::to_string(int(Sigma));
    Report(What.c_str(), Ours, IMOne, IMAll);
  }
  std::system(("rm -rf " + Dir).c_str());
  return 0;
}
