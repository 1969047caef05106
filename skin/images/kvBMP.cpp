// A reader of Windows bitmap files into 32-bit bitmaps.
//
// File header (14 bytes): "BM", file size, 2 reserved words, offset of the pixel bits.
// Info header: BITMAPCOREHEADER (12 bytes: 16-bit width/height) or BITMAPINFOHEADER (40) and
// its V2 (52), V3 (56), V4 (108) and V5 (124) extensions. Rows are padded to 4 bytes and stored
// bottom-up unless the height is negative. Colour tables hold 3-byte (core) or 4-byte
// entries of B, G, R.
#include "skin/images/kvBMP.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_JPEG = 4, BI_PNG = 5,
                   BI_ALPHABITFIELDS = 6;

// Reads little-endian values at checked offsets.
class TByteReader {
public:
  TByteReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  bool Has(size_t Offset, size_t Count) const { return Offset <= FSize && Count <= FSize - Offset; }
  uint16_t U16(size_t Offset) const {
    Need(Offset, 2);
    return uint16_t(FData[Offset] | FData[Offset + 1] << 8);
  }
  uint32_t U32(size_t Offset) const {
    Need(Offset, 4);
    return uint32_t(FData[Offset]) | uint32_t(FData[Offset + 1]) << 8 |
           uint32_t(FData[Offset + 2]) << 16 | uint32_t(FData[Offset + 3]) << 24;
  }
  void Need(size_t Offset, size_t Count) const {
    if (!Has(Offset, Count)) throw EBmpError("BMP data is cut short");
  }
  const uint8_t* At(size_t Offset) const { return FData + Offset; }
  size_t Size() const { return FSize; }

private:
  const uint8_t* FData;
  size_t FSize;
};

// One channel of a bit-field pixel, scaled to 8 bits.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;

  explicit TChannel(uint32_t M = 0) : Mask(M) {
    if (!M) return;
    while (!((M >> Shift) & 1))
      ++Shift;
    Max = M >> Shift;
  }
  uint8_t Get(uint32_t Pixel, uint8_t Missing) const {
    if (!Mask) return Missing;
    uint32_t V = (Pixel & Mask) >> Shift;
    return uint8_t((uint64_t(V) * 255 + Max / 2) / Max);
  }
};

uint32_t PixelBGRA(uint8_t B, uint8_t G, uint8_t R, uint8_t A) {
  return uint32_t(B) | uint32_t(G) << 8 | uint32_t(R) << 16 | uint32_t(A) << 24;
}

// Decodes RLE8 or RLE4 data into Bmp (rows stored bottom-up). Pixels the data does not reach
// take palette entry 0.
void DecodeRle(const uint8_t* Src, size_t Size, bool Rle4, const uint32_t* Palette,
               TBitmap32& Bmp) {
  const int Width = Bmp.Width(), Height = Bmp.Height();
  Bmp.Fill(Palette[0]);
  int X = 0, Y = 0;
  size_t i = 0;
  auto Put = [&](uint8_t V) {
    if (X < Width && Y < Height) Bmp.ScanLine(Height - 1 - Y)[X++] = Palette[V];
  };
  while (i + 1 < Size && Y < Height) {
    uint8_t Count = Src[i], Value = Src[i + 1];
    i += 2;
    if (Count > 0) {
      for (int k = 0; k < Count && X < Width; ++k)
        Put(Rle4 ? ((k & 1) ? Value & 0x0F : Value >> 4) : Value);
      continue;
    }
    if (Value == 0) { // end of line
      X = 0;
      ++Y;
    } else if (Value == 1) { // end of bitmap
      break;
    } else if (Value == 2) { // delta
      if (i + 1 >= Size) throw EBmpError("BMP run-length data is cut short");
      X = std::min(X + Src[i], Width);
      Y = std::min(Y + Src[i + 1], Height);
      i += 2;
    } else { // absolute run of Value pixels, padded to 16 bits
      size_t Bytes = Rle4 ? (size_t(Value) + 1) / 2 : Value;
      if (i + Bytes > Size) throw EBmpError("BMP run-length data is cut short");
      for (int k = 0; k < Value; ++k) {
        uint8_t V = Rle4 ? ((k & 1) ? Src[i + k / 2] & 0x0F : Src[i + k / 2] >> 4) : Src[i + k];
        Put(V);
      }
      i += (Bytes + 1) & ~size_t(1);
    }
  }
}

} // namespace

TBitmap32 DecodeBmp(const uint8_t* Data, size_t Size, TkvBmpInfo* Info) {
  TByteReader In(Data, Size);
  if (!In.Has(0, 14) || Data[0] != 'B' || Data[1] != 'M') throw EBmpError("Not a BMP file");
  uint32_t BitsOffset = In.U32(10);
  uint32_t HeaderSize = In.U32(14);
  int64_t Width, Height;
  int BitCount;
  uint32_t Compression = BI_RGB, ColorsUsed = 0;
  bool Core = HeaderSize == 12;
  if (Core) {
    Width = In.U16(18);
    Height = int16_t(In.U16(20));
    BitCount = In.U16(24);
  } else if (HeaderSize == 40 || HeaderSize == 52 || HeaderSize == 56 || HeaderSize == 64 ||
             HeaderSize == 108 || HeaderSize == 124) {
    In.Need(14, HeaderSize);
    Width = int32_t(In.U32(18));
    Height = int32_t(In.U32(22));
    BitCount = In.U16(28);
    Compression = In.U32(30);
    ColorsUsed = In.U32(46);
  } else {
    throw EBmpError("BMP header of unknown size " + std::to_string(HeaderSize));
  }
  if (In.U16(Core ? 22 : 26) != 1) throw EBmpError("BMP with more than one plane");
  bool TopDown = Height < 0;
  if (TopDown) Height = -Height;
  if (Width <= 0 || Height <= 0) throw EBmpError("BMP of empty size");
  if (Width > MaxBmpSide || Height > MaxBmpSide)
    throw EBmpError("BMP too large (" + std::to_string(Width) + " x " + std::to_string(Height) +
                    ")");
  if (Compression == BI_JPEG || Compression == BI_PNG)
    throw EBmpUnsupported("BMP with an embedded JPEG or PNG image");
  bool Rle = Compression == BI_RLE8 || Compression == BI_RLE4;
  if (Rle && (TopDown || BitCount != (Compression == BI_RLE8 ? 8 : 4)))
    throw EBmpError("BMP with run-length data that does not match its bit count");
  bool Fields = Compression == BI_BITFIELDS || Compression == BI_ALPHABITFIELDS;
  if (Fields && BitCount != 16 && BitCount != 32)
    throw EBmpError("BMP with bit fields for " + std::to_string(BitCount) + " bits");
  if (!Rle && !Fields && Compression != BI_RGB)
    throw EBmpUnsupported("BMP compression " + std::to_string(Compression) + " not supported");
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 16 && BitCount != 24 &&
      BitCount != 32)
    throw EBmpError("BMP with " + std::to_string(BitCount) + " bits per pixel");

  // Channel masks: from the header (V2 and later) or after a 40-byte header.
  TChannel R, G, B, A;
  if (BitCount == 16 && !Fields) {
    R = TChannel(0x7C00), G = TChannel(0x03E0), B = TChannel(0x001F);
  } else if (Fields) {
    size_t At = 14 + 40;
    R = TChannel(In.U32(At)), G = TChannel(In.U32(At + 4)), B = TChannel(In.U32(At + 8));
    if (Compression == BI_ALPHABITFIELDS || HeaderSize >= 56) A = TChannel(In.U32(At + 12));
  }

  // Palette.
  uint32_t Palette[256];
  for (uint32_t& P : Palette)
    P = PixelBGRA(0, 0, 0, 255);
  if (BitCount <= 8) {
    uint32_t Max = 1u << BitCount;
    uint32_t Count = ColorsUsed ? ColorsUsed : Max;
    if (Count > Max) Count = Max;
    size_t Entry = Core ? 3 : 4;
    size_t At = 14 + HeaderSize;
    // A table cut short by the start of the pixel bits holds only the entries before them;
    // the others stay black.
    if (BitsOffset >= At) Count = uint32_t(std::min<size_t>(Count, (BitsOffset - At) / Entry));
    if (!In.Has(At, Count * Entry)) throw EBmpError("BMP colour table is cut short");
    for (uint32_t k = 0; k < Count; ++k) {
      const uint8_t* E = In.At(At + k * Entry);
      Palette[k] = PixelBGRA(E[0], E[1], E[2], 255);
    }
  }

  if (BitsOffset >= Size) throw EBmpError("BMP pixel data is missing");
  const int W = int(Width), H = int(Height);
  size_t Stride = ((size_t(W) * size_t(BitCount) + 31) / 32) * 4;
  size_t RowBytes = (size_t(W) * size_t(BitCount) + 7) / 8;
  // Checked before the bitmap is allocated. The last row needs only its pixels, not its
  // padding.
  if (!Rle && !In.Has(BitsOffset, Stride * size_t(H - 1) + RowBytes))
    throw EBmpError("BMP pixel data is cut short");
  TBitmap32 Bmp{W, H};
  if (Rle) {
    DecodeRle(In.At(BitsOffset), Size - BitsOffset, Compression == BI_RLE4, Palette, Bmp);
  } else {
    for (int y = 0; y < H; ++y) {
      const uint8_t* Src = In.At(BitsOffset + Stride * size_t(y));
      uint32_t* Row = Bmp.ScanLine(TopDown ? y : H - 1 - y);
      switch (BitCount) {
      case 1:
        for (int x = 0; x < W; ++x)
          Row[x] = Palette[(Src[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int x = 0; x < W; ++x)
          Row[x] = Palette[(x & 1) ? Src[x >> 1] & 0x0F : Src[x >> 1] >> 4];
        break;
      case 8:
        for (int x = 0; x < W; ++x)
          Row[x] = Palette[Src[x]];
        break;
      case 16:
        for (int x = 0; x < W; ++x) {
          uint32_t P = uint32_t(Src[2 * x]) | uint32_t(Src[2 * x + 1]) << 8;
          Row[x] = PixelBGRA(B.Get(P, 0), G.Get(P, 0), R.Get(P, 0), A.Get(P, 255));
        }
        break;
      case 24:
        for (int x = 0; x < W; ++x)
          Row[x] = PixelBGRA(Src[3 * x], Src[3 * x + 1], Src[3 * x + 2], 255);
        break;
      case 32:
        if (Fields) {
          for (int x = 0; x < W; ++x) {
            uint32_t P;
            std::memcpy(&P, Src + 4 * x, 4);
            Row[x] = PixelBGRA(B.Get(P, 0), G.Get(P, 0), R.Get(P, 0), A.Get(P, 255));
          }
        } else {
          for (int x = 0; x < W; ++x)
            Row[x] = PixelBGRA(Src[4 * x], Src[4 * x + 1], Src[4 * x + 2], Src[4 * x + 3]);
        }
        break;
      }
    }
  }
  if (Info) *Info = {W, H, BitCount};
  return Bmp;
}
