// Painting every section of a skin (PaintSectionByIndex, the path every control's cache takes)
// at 200 x 30 and 800 x 600, each time printed as a ratio to a plain fill of the same bitmap
// measured in the same run.
//
// Two skins: the program's own (skins/MeadowStyle, every section), and one generated here to
// reach the ways of painting that skin does not use: a master bitmap with masked border frames and
// textures, and one section per way of painting (plain colour, gradient, textures in several modes,
// gradient and texture in one pass and in two layers, transparency over the parent, border masks
// stretched and tiled, corner images); the hot state repeats the normal one with the hot frames.
// Usage: bench_itempaint [repeats]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "skin/pixels/kvGradients.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"
#include "tools/kvskin/kvskinPaint.h"

namespace {
using Clock = std::chrono::steady_clock;

int Repeats = 20;

template <typename F>
double BestUs(F Fn) {
  double Best = 1e300;
  for (int i = 0; i < Repeats; ++i) {
    auto T0 = Clock::now();
    Fn();
    Best = std::min(Best, std::chrono::duration<double, std::micro>(Clock::now() - T0).count());
  }
  return Best;
}

uint32_t Pix(int R, int G, int B) {
  return 0xFF000000u | uint32_t(R) << 16 | uint32_t(G) << 8 | uint32_t(B);
}

int AddImage(TsSkinModel& M, TRect R, int Count, int MaskType, int W, int DrawMode) {
  TsMaskData D;
  D.R = R;
  D.ImageCount = Count;
  D.MaskType = MaskType;
  D.WL = D.WT = D.WR = D.WB = W;
  D.DrawMode = DrawMode;
  D.CornerType = 1;
  D.Manager = &M;
  M.ma.push_back(D);
  return int(M.ma.size()) - 1;
}

TsGeneralData& AddSection(TsSkinModel& M, const std::string& Name) {
  TsGeneralData G;
  G.ClassName = Name;
  G.States = 3;
  G.Props[0].Color = 0xECF7F4;
  G.Props[1].Color = 0xFFFFFF;
  M.gd.push_back(G);
  return M.gd.back();
}

void SetGradient(TsGenState& S, int Percent, int Kind) {
  S.GradientPercent = Percent;
  S.GradientData = "16252411;13560796;60;" + std::to_string(Kind) + ";0;13560796;12312000;40;" +
                   std::to_string(Kind) + ";0";
  ParseGradientData(S.GradientData, S.GradientArray);
}

// Master bitmap: three masked 24 x 24 border frames at (0, 0), a 32 x 32 texture at (0, 48),
// a masked 16 x 16 texture at (32, 48), corner images 8 x 8 (three frames) at (64, 48).
void MakeSkin(TsSkinModel& M) {
  M.Manager = &M;
  M.MasterBitmap = std::make_shared<TBitmap32>(128, 96);
  TBitmap32& B = *M.MasterBitmap;
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 128; ++x)
      B.Pixel(x, y) = Pix((x * 7) & 255, (y * 5) & 255, (x + y) & 255);
  for (int y = 24; y < 48; ++y)
    for (int x = 0; x < 72; ++x) {
      int lx = x % 24, ly = y - 24, Edge = std::min({lx, ly, 23 - lx, 23 - ly});
      int V = Edge < 3 ? 0 : Edge < 5 ? 128 : 255;
      B.Pixel(x, y) = Pix(V, V, V);
    }
  B.Pixel(0, 0) = B.Pixel(23, 0) = 0x00FF00FF;
  for (int y = 64; y < 80; ++y)
    for (int x = 32; x < 48; ++x)
      B.Pixel(x, y) = Pix(64, 64, 64);
  int Border = AddImage(M, {0, 0, 72, 48}, 3, 1, 6, 1);
  int BorderTiled = AddImage(M, {0, 0, 72, 48}, 3, 1, 6, 4);
  int Tex = AddImage(M, {0, 48, 32, 80}, 1, 0, 0, 0);
  int TexStretch = AddImage(M, {0, 48, 32, 80}, 1, 0, 0, 1);
  int TexTop = AddImage(M, {0, 48, 32, 80}, 1, 0, 0, 2);
  int Masked = AddImage(M, {32, 48, 48, 80}, 1, 1, 0, 10);
  int Corner = AddImage(M, {64, 48, 88, 56}, 3, 0, 0, 0);

  AddSection(M, "PLAIN");
  SetGradient(AddSection(M, "GRADIENT").Props[0], 100, 0);
  SetGradient(AddSection(M, "HGRADIENT").Props[0], 100, 1);
  SetGradient(AddSection(M, "CORNERGRADIENT").Props[0], 100, 2);
  for (auto [Name, T] :
       {std::pair{"TEXTURE", Tex}, {"TEXSTRETCH", TexStretch}, {"TEXTOP", TexTop}}) {
    TsGenState& S = AddSection(M, Name).Props[0];
    S.ImagePercent = 100;
    S.TextureIndex = T;
  }
  TsGenState& Tint = AddSection(M, "TEXTINT").Props[0];
  Tint.ImagePercent = 20;
  Tint.TextureIndex = Tex;
  TsGenState& One = AddSection(M, "ONEPASS").Props[0];
  One.ImagePercent = 30;
  One.TextureIndex = Tex;
  SetGradient(One, 70, 0);
  TsGenState& Two = AddSection(M, "TWOLAYER").Props[0];
  Two.ImagePercent = 30;
  Two.TextureIndex = TexStretch;
  SetGradient(Two, 70, 0);
  TsGenState& Masks = AddSection(M, "MASKEDTEX").Props[0];
  Masks.ImagePercent = 100;
  Masks.TextureIndex = Masked;
  AddSection(M, "TRANSPARENT40").Props[0].Transparency = 40;
  SetGradient(AddSection(M, "TRANSPGRADIENT").Props[0], 100, 0);
  M.gd.back().Props[0].Transparency = 40;
  AddSection(M, "TRANSPARENT100").Props[0].Transparency = 100;
  TsGeneralData& Button = AddSection(M, "BUTTON");
  SetGradient(Button.Props[0], 100, 0);
  Button.BorderIndex = Border;
  AddSection(M, "PANELTILED").BorderIndex = BorderTiled;
  TsGeneralData& Corners = AddSection(M, "CORNERS");
  Corners.ImgTL = Corners.ImgTR = Corners.ImgBL = Corners.ImgBR = Corner;
  Corners.BorderIndex = Border;
}

// Paints every section of M in states 0 and 1 at both sizes, printed against a plain fill.
void BenchSkin(const TsSkinModel& M, const char* Title) {
  TBitmap32 Parent(1000, 800);
  for (int y = 0; y < Parent.Height(); ++y)
    for (int x = 0; x < Parent.Width(); ++x)
      Parent.Pixel(x, y) = Pix(x & 255, y & 255, 128);
  std::printf("\n== %s, best of %d, time per section / plain fill of the same bitmap\n", Title,
              Repeats);
  for (TSize Size : {TSize{200, 30}, TSize{800, 600}}) {
    TBitmap32 Bmp(Size.cx, Size.cy);
    double Fill = BestUs([&] { FillPixels32(Bmp, Bmp.BoundsRect(), 0xECF7F4, 255); });
    std::printf("\n%d x %d: plain fill %.1f us\n", Size.cx, Size.cy, Fill);
    double Sum = 0;
    for (int i = 0; i < int(M.gd.size()); ++i) {
      for (int State : {0, 1}) {
        double T = BestUs([&] {
          PaintSectionByIndex(i, M.gd[i].ClassName, NewCacheInfo(&Parent, 10, 10), -1, -1, &M, &Bmp,
                              {0, 0}, Bmp.BoundsRect(), State, true);
        });
        Sum += T;
        std::printf("  %-18s state %d %10.1f us %8.2f x fill\n", M.gd[i].ClassName.c_str(), State,
                    T, T / Fill);
      }
    }
    std::printf("  all sections, both states: %.2f x fill each on average\n",
                Sum / (2 * M.gd.size()) / Fill);
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc > 1) Repeats = std::max(1, std::atoi(argv[1]));
  std::ostringstream Err;
  auto Meadow =
      LoadSkinForPainting(std::string(TV_SOURCE_DIR) + "/skins/MeadowStyle", "bench", Err);
  if (Meadow)
    BenchSkin(Meadow->Model, "MeadowStyle");
  else
    std::printf("MeadowStyle not loaded: %s", Err.str().c_str());

  TsSkinModel M;
  MakeSkin(M);
  for (TsGeneralData& G : M.gd) {
    TColor Hot = G.Props[1].Color;
    G.Props[1] = G.Props[0];
    G.Props[1].Color = Hot;
  }
  BenchSkin(M, "generated skin");
  return 0;
}
