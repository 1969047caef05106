// Multi-piece gradients: parsing and painting.
#include "skin/pixels/kvGradients.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// The toolkit's integer conversion: optional leading blanks, a sign, then decimal digits or a
// hexadecimal number written $FF or 0xFF; the value must fit 32 bits.
template <typename Char>
int StrToInt(std::basic_string_view<Char> Field) {
  auto Fail = [&]() -> int {
    std::string Text;
    for (Char C : Field)
      Text += (C >= 0x20 && C < 0x7F) ? char(C) : '?';
    throw std::invalid_argument("'" + Text + "' is not a valid integer value");
  };
  size_t i = 0;
  while (i < Field.size() && (Field[i] == ' ' || Field[i] == '\t'))
    ++i;
  bool Negative = false;
  if (i < Field.size() && (Field[i] == '+' || Field[i] == '-')) Negative = Field[i++] == '-';
  int Base = 10;
  if (i < Field.size() && Field[i] == '$') {
    Base = 16;
    ++i;
  } else if (i + 1 < Field.size() && Field[i] == '0' &&
             (Field[i + 1] == 'x' || Field[i + 1] == 'X')) {
    Base = 16;
    i += 2;
  }
  if (i == Field.size()) return Fail();
  int64_t Value = 0;
  for (; i < Field.size(); ++i) {
    Char C = Field[i];
    int D = C >= '0' && C <= '9'                 ? C - '0'
            : Base == 16 && C >= 'a' && C <= 'f' ? C - 'a' + 10
            : Base == 16 && C >= 'A' && C <= 'F' ? C - 'A' + 10
                                                 : -1;
    if (D < 0) return Fail();
    Value = Value * Base + D;
    if (Value > int64_t(0xFFFFFFFF)) return Fail();
  }
  if (Negative) Value = -Value;
  // Hexadecimal numbers may use all 32 bits (a negative number in two's complement).
  if (Base == 16 && Value > std::numeric_limits<int32_t>::max() && !Negative)
    Value -= int64_t(1) << 32;
  if (Value < std::numeric_limits<int32_t>::min() || Value > std::numeric_limits<int32_t>::max())
    return Fail();
  return int(Value);
}

template <typename Char>
void ParseGradient(std::basic_string_view<Char> Text, TsGradArray& Grad) {
  Grad.assign(1, TsGradPie{});
  if (Text.empty()) return;
  std::vector<std::basic_string_view<Char>> Fields;
  size_t Start = 0;
  while (Start <= Text.size()) {
    size_t End = Text.find(Char(';'), Start);
    if (End == Text.npos) End = Text.size();
    if (End > Start) Fields.push_back(Text.substr(Start, End - Start));
    Start = End + 1;
  }
  size_t Count = Fields.size() / 5;
  Grad.assign(Count, TsGradPie{});
  for (size_t k = 0; k < Count; ++k) {
    TsGradPie& P = Grad[k];
    P.Color1 = TColor(std::max(0, StrToInt(Fields[5 * k])));
    P.Color2 = TColor(std::max(0, StrToInt(Fields[5 * k + 1])));
    P.Percent = TPercent(std::clamp(StrToInt(Fields[5 * k + 2]), 0, 100));
    P.Mode1 = StrToInt(Fields[5 * k + 3]);
  }
}

// One channel-wise linear run from C1 to C2 over the indexes From..To inclusive: the values
// start at C1 in single precision and grow by (c2 - c1) / (To - From) per step, written
// rounded, so that To gets C2. Put(Index, Pixel) writes one pixel.
template <typename F>
void Interpolate(int From, int To, TColor C1, TColor C2, F Put) {
  uint32_t P1 = ColorToPixel(C1) & 0x00FFFFFFu, P2 = ColorToPixel(C2) & 0x00FFFFFFu;
  if (P1 == P2) {
    uint32_t P = WithAlpha(P1, 255);
    for (int i = From; i <= To; ++i)
      Put(i, P);
    return;
  }
  float Steps = float(To - From);
  float B = float(PixB(P1)), G = float(PixG(P1)), R = float(PixR(P1));
  float DB = float(PixB(P2) - PixB(P1)) / Steps, DG = float(PixG(P2) - PixG(P1)) / Steps,
        DR = float(PixR(P2) - PixR(P1)) / Steps;
  for (int i = From; i <= To; ++i) {
    Put(i, MakePixel(RoundByte(B), RoundByte(G), RoundByte(R), 255));
    B += DB;
    G += DG;
    R += DR;
  }
}

// Walks the pieces of a vertical (Horizontal = false) or horizontal gradient over the indexes
// First..Last and calls Interpolate for each piece that is not empty.
template <typename F>
void WalkPieces(const TsGradArray& Grad, int First, int Last, int Length, int Offset,
                bool Horizontal, F Put) {
  if (First == Last) {
    // One row (or column): nothing to interpolate; it takes the start colour.
    Put(First, WithAlpha(ColorToPixel(ColorToRGB(Grad[0].Color1)), 255));
    return;
  }
  int Pos = First + Offset;
  for (size_t k = 0; k < Grad.size(); ++k) {
    const TsGradPie& P = Grad[k];
    int End = Horizontal ? int(RoundHalfEven(P.Percent * double(Length) / 100 + Pos))
                         : Pos + ((Length + Offset) * P.Percent) / 100;
    End = std::min(End, Last);
    if (k + 1 == Grad.size()) End = Last;
    if (End <= Pos) continue;
    Interpolate(Pos, End, ColorToRGB(P.Color1), ColorToRGB(P.Color2), [&](int i, uint32_t Px) {
      if (i >= First && i <= Last) Put(i, Px);
    });
    Pos = End;
  }
}

void PaintVertical(TBitmap32& Bmp, const TRect& R, const TsGradArray& Grad, int Offset) {
  WalkPieces(Grad, R.Top, R.Bottom - 1, R.Height(), Offset, false, [&](int y, uint32_t P) {
    uint32_t* Row = Bmp.ScanLine(y);
    std::fill(Row + R.Left, Row + R.Right, P);
  });
}

// The horizontal gradient's one row of R.Width() pixels.
std::vector<uint32_t> HorizontalRow(const TRect& R, const TsGradArray& Grad) {
  std::vector<uint32_t> Row(size_t(R.Width()));
  WalkPieces(Grad, R.Left, R.Right - 1, R.Width(), 0, true,
             [&](int x, uint32_t P) { Row[size_t(x - R.Left)] = P; });
  return Row;
}

void PaintHorizontal(TBitmap32& Bmp, const TRect& R, const TsGradArray& Grad) {
  std::vector<uint32_t> Row = HorizontalRow(R, Grad);
  for (int y = R.Top; y < R.Bottom; ++y)
    std::copy(Row.begin(), Row.end(), Bmp.ScanLine(y) + R.Left);
}

void CornerColors(const TsGradArray& Grad, TColor Colors[5]) {
  for (size_t i = 0; i < 5; ++i)
    Colors[i] = ColorToRGB(i < Grad.size() ? Grad[i].Color1 : Colors[i - 1]);
}

} // namespace

void ParseGradientData(std::u16string_view Text, TsGradArray& Grad) {
  ParseGradient(Text, Grad);
}

void ParseGradientData(std::string_view Text, TsGradArray& Grad) {
  ParseGradient(Text, Grad);
}

void PaintGradient(TBitmap32& Bmp, TRect R, const TsGradArray& Grad, int Offset) {
  R = ClippedToBitmap(R, Bmp);
  if (R.IsEmpty() || Grad.empty()) return;
  switch (Grad[0].Mode1) {
  case gkVertical: PaintVertical(Bmp, R, Grad, Offset); break;
  case gkHorizontal: PaintHorizontal(Bmp, R, Grad); break;
  case gkCorners: {
    TColor Colors[5];
    CornerColors(Grad, Colors);
#ifdef _WIN32
    PaintCornersGradientGdi(Bmp, R, Colors);
#else
    PaintCornersGradientPixels(Bmp, R, Colors);
#endif
    break;
  }
  default: break;
  }
}

void PaintGradientTextured(TBitmap32& Bmp, TRect R, const TsGradArray& Grad, uint8_t Alpha,
                           int TextureWeight, TRect TexR, const TBitmap32& TexBmp) {
  TRect Area = ClippedToBitmap(R, Bmp);
  if (Area.IsEmpty() || Grad.empty()) return;
  int Kind = Grad[0].Mode1;
  if (Kind != gkVertical && Kind != gkHorizontal) return;
  TexR = TexR.IsEmpty() ? TexBmp.BoundsRect() : ClippedToBitmap(TexR, TexBmp);
  if (TexR.IsEmpty()) {
    PaintGradient(Bmp, Area, Grad);
    SetAlphaRect(Bmp, Area, Alpha);
    return;
  }
  int TW = TexR.Width(), TH = TexR.Height();
  auto TexturedRow = [&](int y, const uint32_t* Gradient) {
    uint32_t* D = Bmp.ScanLine(y) + Area.Left;
    const uint32_t* T = TexBmp.ScanLine(TexR.Top + (y - R.Top) % TH) + TexR.Left;
    int tx = (Area.Left - R.Left) % TW;
    for (int i = 0; i < Area.Width(); ++i) {
      D[i] = WithAlpha(BlendPixel(Gradient[i], T[tx], TextureWeight), Alpha);
      if (++tx == TW) tx = 0;
    }
  };
  if (Kind == gkVertical) {
    std::vector<uint32_t> Line(size_t(Area.Width()));
    WalkPieces(Grad, Area.Top, Area.Bottom - 1, Area.Height(), 0, false, [&](int y, uint32_t P) {
      std::fill(Line.begin(), Line.end(), P);
      TexturedRow(y, Line.data());
    });
    return;
  }
  // Horizontal: the rows repeat with the texture, so one texture height is computed and then
  // copied downward block by block.
  std::vector<uint32_t> Line = HorizontalRow(Area, Grad);
  int Block = std::min(TH, Area.Height());
  for (int y = Area.Top; y < Area.Top + Block; ++y)
    TexturedRow(y, Line.data());
  for (int y = Area.Top + Block; y < Area.Bottom; ++y)
    std::memcpy(Bmp.ScanLine(y) + Area.Left, Bmp.ScanLine(y - Block) + Area.Left,
                size_t(Area.Width()) * 4);
}

void PaintCornersGradientPixels(TBitmap32& Bmp, const TRect& R0, const TColor Colors[5]) {
  TRect R = ClippedToBitmap(R0, Bmp);
  if (R.IsEmpty()) return;
  struct TVertex {
    double X, Y;
    uint32_t P;
  };
  TVertex V[5] = {{double(R.Left), double(R.Top), 0},
                  {double((R.Left + R.Right) / 2), double((R.Top + R.Bottom) / 2), 0},
                  {double(R.Right), double(R.Top), 0},
                  {double(R.Right), double(R.Bottom), 0},
                  {double(R.Left), double(R.Bottom), 0}};
  for (int i = 0; i < 5; ++i)
    V[i].P = ColorToPixel(ColorToRGB(Colors[i]));
  static constexpr int Triangles[4][3] = {{0, 1, 2}, {1, 2, 3}, {0, 1, 4}, {4, 1, 3}};
  // Each pixel is sampled at its top-left corner, as the system's triangle fill does; a pixel
  // on the line between two triangles takes the first of them.
  for (int y = R.Top; y < R.Bottom; ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    double PY = y;
    for (int x = R.Left; x < R.Right; ++x) {
      double PX = x;
      for (const auto& T : Triangles) {
        const TVertex &A = V[T[0]], &B = V[T[1]], &C = V[T[2]];
        double Den = (B.Y - C.Y) * (A.X - C.X) + (C.X - B.X) * (A.Y - C.Y);
        if (Den == 0) continue;
        double L1 = ((B.Y - C.Y) * (PX - C.X) + (C.X - B.X) * (PY - C.Y)) / Den;
        double L2 = ((C.Y - A.Y) * (PX - C.X) + (A.X - C.X) * (PY - C.Y)) / Den;
        double L3 = 1 - L1 - L2;
        constexpr double Eps = -1e-9;
        if (L1 < Eps || L2 < Eps || L3 < Eps) continue;
        // 16-bit channels as the system's fill takes them, cut back to bytes.
        auto Ch = [&](int (*Get)(uint32_t)) {
          double V16 = L1 * Get(A.P) * 256 + L2 * Get(B.P) * 256 + L3 * Get(C.P) * 256;
          return std::clamp(int(std::lround(V16)) >> 8, 0, 255);
        };
        Row[x] = MakePixel(Ch(PixB), Ch(PixG), Ch(PixR), 255);
        break;
      }
    }
  }
}
