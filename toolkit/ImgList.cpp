// Image lists.
#include "toolkit/ImgList.h"

#include <algorithm>

TImageList::TImageList(TComponent* AOwner, int Width, int Height)
    : TCustomImageList(AOwner), FWidth(std::max(Width, 0)), FHeight(std::max(Height, 0)) {}

bool TImageList::Add(const TBitmap32& Image) {
  if (Image.Width() != FWidth || Image.Height() != FHeight) return false;
  FImages.push_back(Image);
  return true;
}

void TImageList::Draw(TBitmap32& Dst, int X, int Y, int Index, bool Enabled) const {
  if (Index < 0 || Index >= Count()) return;
  const TBitmap32& Img = FImages[size_t(Index)];
  const int X0 = std::max(X, 0), Y0 = std::max(Y, 0);
  const int X1 = std::min(X + Img.Width(), Dst.Width()),
            Y1 = std::min(Y + Img.Height(), Dst.Height());
  for (int y = Y0; y < Y1; ++y) {
    const uint32_t* S = Img.ScanLine(y - Y) + (X0 - X);
    uint32_t* D = Dst.ScanLine(y) + X0;
    for (int x = X0; x < X1; ++x, ++S, ++D) {
      uint32_t P = *S;
      int A = int(P >> 24);
      int B = int(P & 0xFF), G = int((P >> 8) & 0xFF), R = int((P >> 16) & 0xFF);
      if (!Enabled) {
        B = G = R = (B + G + R) / 3;
        A /= 2;
      }
      if (A == 0) continue;
      auto Mix = [A](int Src, int Old) { return (Src * A + Old * (255 - A) + 127) / 255; };
      uint32_t Q = *D;
      *D = uint32_t(Mix(B, int(Q & 0xFF))) | uint32_t(Mix(G, int((Q >> 8) & 0xFF))) << 8 |
           uint32_t(Mix(R, int((Q >> 16) & 0xFF))) << 16 | 0xFF000000u;
    }
  }
}
