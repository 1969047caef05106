// kvskin render and kvskin sheet: skin sections painted into pictures.
#include <algorithm>
#include <cstring>

#include "base/TextUtils.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"
#include "tools/kvskin/kvskinPaint.h"
#include "tools/kvskin/kvskinTool.h"

namespace {

// "WxH" with both sides 1..4096.
bool ParseSize(const std::string& Text, int& W, int& H) {
  size_t X = Text.find_first_of("xX");
  if (X == std::string::npos) return false;
  int A = 0, B = 0;
  std::string L = Text.substr(0, X), R = Text.substr(X + 1);
  if (L.empty() || R.empty() || !std::all_of(L.begin(), L.end(), ::isdigit) ||
      !std::all_of(R.begin(), R.end(), ::isdigit) || L.size() > 5 || R.size() > 5)
    return false;
  A = std::stoi(L);
  B = std::stoi(R);
  if (A < 1 || B < 1 || A > 4096 || B > 4096) return false;
  W = A;
  H = B;
  return true;
}

// Paints section Index in State over R of Bmp, whose pixels under R are the background.
void PaintCell(const TsSkinModel& M, int Index, int State, TBitmap32& Bmp, const TRect& R) {
  PaintSectionByIndex(Index, M.gd[Index].ClassName, NewCacheInfo(&Bmp, 0, 0), -1, -1, &M, &Bmp,
                      {0, 0}, R, State, true);
}

int Render(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  std::vector<std::string> Plain;
  int State = 0, W = 120, H = 40;
  bool HaveBg = false;
  TColor Bg = 0;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& A = Args[i];
    bool Option = A == "--state" || A == "--size" || A == "--bg";
    if (!Option) {
      Plain.push_back(A);
      continue;
    }
    if (i + 1 >= Args.size()) {
      Err << "kvskin render: " << A << " needs a value\n";
      return 2;
    }
    const std::string& V = Args[++i];
    if (A == "--state") {
      if (V.empty() || V.size() > 3 || !std::all_of(V.begin(), V.end(), ::isdigit)) {
        Err << "kvskin render: the state must be a number 0 or more, not '" << V << "'\n";
        return 2;
      }
      State = std::stoi(V);
    } else if (A == "--size") {
      if (!ParseSize(V, W, H)) {
        Err << "kvskin render: the size must be WxH with sides 1..4096, not '" << V << "'\n";
        return 2;
      }
    } else {
      if (!ParseSkinColor(V, Bg)) {
        Err << "kvskin render: '" << V
            << "' is not a colour (a number, decimal or after $ or 0x)\n";
        return 2;
      }
      HaveBg = true;
    }
  }
  if (Plain.size() != 3) {
    Err << "usage: kvskin render SKIN SECTION [--state N] [--size WxH] [--bg COLOR] OUT\n";
    return 2;
  }
  auto Skin = LoadSkinForPainting(Plain[0], "render", Err);
  if (!Skin) return 1;
  const TsSkinModel& M = Skin->Model;
  int Index = M.GetSkinIndex(Plain[1]);
  if (!M.IsValidSkinIndex(Index)) {
    Err << "kvskin render: " << Plain[0] << " has no section " << Plain[1] << "\n";
    return 1;
  }
  TBitmap32 Bmp(W, H);
  FillPixels32(Bmp, Bmp.BoundsRect(), HaveBg ? Bg : M.GetGlobalColor(), 255);
  PaintCell(M, Index, State, Bmp, Bmp.BoundsRect());
  SaveBitmapByExtension(Bmp, Plain[2]);
  Out << Plain[2] << ": " << Plain[1] << " in state "
      << std::max(0, std::min(State, M.gd[Index].States - 1)) << ", " << W << " x " << H << "\n";
  return 0;
}

// A 5 x 7 font of the characters section names are made of; each glyph is 7 rows of 5 bits,
// the highest bit leftmost. Lower-case letters are drawn as capitals, others as a box.
struct TGlyph {
  char C;
  uint8_t Rows[7];
};
constexpr TGlyph Font[] = {
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}},
    {'C', {14, 17, 16, 16, 16, 17, 14}}, {'D', {30, 17, 17, 17, 17, 17, 30}},
    {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}},
    {'I', {14, 4, 4, 4, 4, 4, 14}},      {'J', {7, 2, 2, 2, 2, 18, 12}},
    {'K', {17, 18, 20, 24, 20, 18, 17}}, {'L', {16, 16, 16, 16, 16, 16, 31}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}},
    {'O', {14, 17, 17, 17, 17, 17, 14}}, {'P', {30, 17, 17, 30, 16, 16, 16}},
    {'Q', {14, 17, 17, 17, 21, 18, 13}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'U', {17, 17, 17, 17, 17, 17, 14}}, {'V', {17, 17, 17, 17, 17, 10, 4}},
    {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'Z', {31, 1, 2, 4, 8, 16, 31}},
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},
    {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {31, 2, 4, 2, 1, 17, 14}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},
    {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'_', {0, 0, 0, 0, 0, 0, 31}},       {'-', {0, 0, 0, 31, 0, 0, 0}},
    {'.', {0, 0, 0, 0, 0, 12, 12}},      {' ', {0, 0, 0, 0, 0, 0, 0}},
};
constexpr uint8_t BoxGlyph[7] = {31, 17, 17, 17, 17, 17, 31};

// Draws Text with its top-left corner at (X, Y) in Color, 6 pixels a character.
void DrawText(TBitmap32& Bmp, int X, int Y, const std::string& Text, TColor Color) {
  for (char U : UpperCaseAscii(Text)) {
    const uint8_t* Rows = BoxGlyph;
    for (const TGlyph& G : Font)
      if (G.C == U) Rows = G.Rows;
    for (int r = 0; r < 7; ++r)
      for (int b = 0; b < 5; ++b)
        if (Rows[r] & (16 >> b)) FillPixels32(Bmp, Bounds(X + b, Y + r, 1, 1), Color, 255);
    X += 6;
  }
}

// A light checkerboard of 8-pixel squares, so that transparent parts show.
void Checker(TBitmap32& Bmp, const TRect& R) {
  for (int y = R.Top; y < R.Bottom; y += 8)
    for (int x = R.Left; x < R.Right; x += 8) {
      TColor C = ((x / 8 + y / 8) & 1) ? 0xE6E6E6 : 0xFFFFFF;
      FillPixels32(Bmp, TRect{x, y, x + 8, y + 8}.Intersected(R), C, 255);
    }
}

constexpr int SmallW = 64, SmallH = 24, LargeW = 160, LargeH = 64, Pad = 8, MaxSheetStates = 6;

int Sheet(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() != 2) {
    Err << "usage: kvskin sheet SKIN OUT.png\n";
    return 2;
  }
  auto Skin = LoadSkinForPainting(Args[0], "sheet", Err);
  if (!Skin) return 1;
  const TsSkinModel& M = Skin->Model;
  if (M.gd.empty()) {
    Err << "kvskin sheet: " << Args[0] << " has no sections\n";
    return 1;
  }
  size_t NameChars = 0;
  int States = 1;
  for (const TsGeneralData& G : M.gd) {
    NameChars = std::max(NameChars, G.ClassName.size());
    States = std::max(States, std::min(G.States, MaxSheetStates));
  }
  int NameW = int(std::min<size_t>(NameChars, 40)) * 6 + Pad;
  int RowH = LargeH + Pad;
  int LargeX = NameW + States * (SmallW + Pad);
  int W = LargeX + States * (LargeW + Pad), H = int(M.gd.size()) * RowH + Pad;
  TBitmap32 Bmp(W, H);
  FillPixels32(Bmp, Bmp.BoundsRect(), clWhite, 255);
  for (size_t i = 0; i < M.gd.size(); ++i) {
    int Y = Pad + int(i) * RowH;
    DrawText(Bmp, 4, Y + 2, M.gd[i].ClassName.substr(0, 40), 0x202020);
    int N = std::max(1, std::min(M.gd[i].States, MaxSheetStates));
    for (int s = 0; s < N; ++s) {
      TRect Small = Bounds(NameW + s * (SmallW + Pad), Y, SmallW, SmallH);
      TRect Large = Bounds(LargeX + s * (LargeW + Pad), Y, LargeW, LargeH);
      Checker(Bmp, Small);
      Checker(Bmp, Large);
      PaintCell(M, int(i), s, Bmp, Small);
      PaintCell(M, int(i), s, Bmp, Large);
    }
  }
  SaveBitmapByExtension(Bmp, Args[1]);
  Out << Args[1] << ": " << M.gd.size() << " sections, " << W << " x " << H << "\n";
  return 0;
}

TKvSkinCommandRegistrar RenderCommand{
    {"render", "render SKIN SECTION [--state N] [--size WxH] [--bg COLOR] OUT",
     "paints one section in one state (default 0) into a PNG, BMP or PAM picture of the "
     "size (default 120x40), over --bg, else the skin's global colour",
     Render}};
TKvSkinCommandRegistrar SheetCommand{
    {"sheet", "sheet SKIN OUT.png",
     "paints every section in each of its states, small and large, over a checkerboard", Sheet}};

} // namespace
