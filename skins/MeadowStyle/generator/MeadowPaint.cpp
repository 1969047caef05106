// Drawing tools of the skin generator.
#include "skins/MeadowStyle/generator/MeadowPaint.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace {

int Div255(int V) {
  return (V + 127) / 255;
}

// Sample positions inside a pixel, in eighths: the centres of a 4 x 4 grid.
constexpr int kSamples[4] = {1, 3, 5, 7};

int64_t Sq(int64_t V) {
  return V * V;
}

} // namespace

TRgb MixRgb(TRgb A, TRgb B, int Weight) {
  auto Ch = [&](int a, int b) { return uint8_t((a * Weight + b * (256 - Weight) + 128) >> 8); };
  return {Ch(A.R, B.R), Ch(A.G, B.G), Ch(A.B, B.B)};
}

TCoverage::TCoverage(int Width, int Height)
    : FWidth(Width), FHeight(Height), FData(size_t(Width) * Height, 0) {}

void TCoverage::Union(const TCoverage& Other) {
  for (size_t i = 0; i < FData.size() && i < Other.FData.size(); ++i)
    FData[i] = std::max(FData[i], Other.FData[i]);
}

void TCoverage::Subtract(const TCoverage& Other) {
  for (size_t i = 0; i < FData.size() && i < Other.FData.size(); ++i)
    FData[i] = uint8_t(FData[i] * (255 - Other.FData[i]) / 255);
}

template <class Inside>
void TCoverage::AddShape(int L, int T, int R, int B, Inside In) {
  int X0 = std::max(0, L / 8 - 1), Y0 = std::max(0, T / 8 - 1);
  int X1 = std::min(FWidth, R / 8 + 2), Y1 = std::min(FHeight, B / 8 + 2);
  for (int y = Y0; y < Y1; ++y)
    for (int x = X0; x < X1; ++x) {
      int Count = 0;
      for (int sy : kSamples)
        for (int sx : kSamples)
          Count += In(x * 8 + sx, y * 8 + sy) ? 1 : 0;
      uint8_t V = uint8_t((Count * 255 + 8) / 16);
      uint8_t& D = FData[size_t(y) * FWidth + x];
      D = std::max(D, V);
    }
}

void TCoverage::AddRoundRect(int L, int T, int R, int B, int RadTL, int RadTR, int RadBR,
                             int RadBL) {
  AddShape(L, T, R, B, [&](int x, int y) {
    if (x < L || x >= R || y < T || y >= B) return false;
    auto Corner = [&](int Cx, int Cy, int Rad) { return Sq(x - Cx) + Sq(y - Cy) <= Sq(Rad); };
    if (RadTL > 0 && x < L + RadTL && y < T + RadTL) return Corner(L + RadTL, T + RadTL, RadTL);
    if (RadTR > 0 && x >= R - RadTR && y < T + RadTR) return Corner(R - RadTR, T + RadTR, RadTR);
    if (RadBR > 0 && x >= R - RadBR && y >= B - RadBR) return Corner(R - RadBR, B - RadBR, RadBR);
    if (RadBL > 0 && x < L + RadBL && y >= B - RadBL) return Corner(L + RadBL, B - RadBL, RadBL);
    return true;
  });
}

void TCoverage::AddSegment(int Ax, int Ay, int Bx, int By, int HalfWidth) {
  int64_t Dx = Bx - Ax, Dy = By - Ay, Len2 = Dx * Dx + Dy * Dy;
  AddShape(std::min(Ax, Bx) - HalfWidth, std::min(Ay, By) - HalfWidth, std::max(Ax, Bx) + HalfWidth,
           std::max(Ay, By) + HalfWidth, [&](int x, int y) {
             int64_t Px = x - Ax, Py = y - Ay;
             int64_t Dot = Px * Dx + Py * Dy;
             if (Len2 == 0 || Dot <= 0) return Px * Px + Py * Py <= Sq(HalfWidth);
             if (Dot >= Len2) return Sq(x - Bx) + Sq(y - By) <= Sq(HalfWidth);
             // Distance to the line, squared and scaled by Len2: |P|^2 Len2 - Dot^2.
             return (Px * Px + Py * Py) * Len2 - Dot * Dot <= Sq(HalfWidth) * Len2;
           });
}

void TCoverage::AddPolyline(const std::vector<int>& P, int HalfWidth) {
  for (size_t i = 0; i + 3 < P.size(); i += 2)
    AddSegment(P[i], P[i + 1], P[i + 2], P[i + 3], HalfWidth);
}

void TCoverage::AddDisc(int Cx, int Cy, int Radius) {
  AddShape(Cx - Radius, Cy - Radius, Cx + Radius, Cy + Radius,
           [&](int x, int y) { return Sq(x - Cx) + Sq(y - Cy) <= Sq(Radius); });
}

TLayers::TLayers(int Width, int Height)
    : FWidth(Width), FHeight(Height), FR(size_t(Width) * Height), FG(FR.size()), FB(FR.size()),
      FA(FR.size()) {}

void TLayers::PaintPixel(int X, int Y, TRgb C, int Opacity) {
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight || Opacity <= 0) return;
  size_t i = size_t(Y) * FWidth + X;
  int Keep = 255 - Opacity;
  FR[i] = C.R * Opacity + Div255(FR[i] * Keep);
  FG[i] = C.G * Opacity + Div255(FG[i] * Keep);
  FB[i] = C.B * Opacity + Div255(FB[i] * Keep);
  FA[i] = Opacity + Div255(FA[i] * Keep);
}

void TLayers::Paint(const TCoverage& Shape, TRgb Colour, int Opacity) {
  for (int y = 0; y < FHeight && y < Shape.Height(); ++y)
    for (int x = 0; x < FWidth && x < Shape.Width(); ++x)
      PaintPixel(x, y, Colour, Div255(Shape.At(x, y) * Opacity));
}

void TLayers::Get(int X, int Y, TRgb& C, int& Alpha) const {
  size_t i = size_t(Y) * FWidth + X;
  Alpha = FA[i];
  if (Alpha == 0) {
    C = {};
    return;
  }
  auto Un = [&](int V) { return uint8_t(std::min(255, (V + Alpha / 2) / Alpha)); };
  C = {Un(FR[i]), Un(FG[i]), Un(FB[i])};
}

void PutMaskedFrame(TBitmap32& Bmp, int X, int Y, int F, const TLayers& Frame) {
  int W = Frame.Width(), H = Frame.Height();
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      TRgb C;
      int A;
      Frame.Get(x, y, C, A);
      uint32_t& Img = Bmp.Pixel(X + F * W + x, Y + y);
      uint32_t& Mask = Bmp.Pixel(X + F * W + x, Y + H + y);
      if (A == 0) {
        Img = KeyPixelWord;
        Mask = 0xFFFFFFFF;
      } else {
        Img = 0xFF000000u | uint32_t(C.R) << 16 | uint32_t(C.G) << 8 | C.B;
        uint32_t M = uint32_t(255 - A);
        Mask = 0xFF000000u | M << 16 | M << 8 | M;
      }
    }
}

void TShelfLayout::Place(int W, int H, int& X, int& Y) {
  if (W > FWidth) throw std::runtime_error("image region wider than the master bitmap");
  if (FX + W > FWidth) {
    FY += FRowHeight + FGap;
    FX = 0;
    FRowHeight = 0;
  }
  X = FX;
  Y = FY;
  FX += W + FGap;
  FRowHeight = std::max(FRowHeight, H);
}

void WriteFileBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  std::ofstream F(FileName, std::ios::binary | std::ios::trunc);
  F.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
  if (!F) throw std::runtime_error("cannot write " + FileName);
}
