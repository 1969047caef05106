// The icon file reader. Header: reserved (0), type (1 icon, 2 cursor), count. Each entry of 16
// bytes: width, height, colour count, reserved, planes, bit count, byte size, offset. An image
// is a PNG stream or a BITMAPINFOHEADER (or a later version) with the colour table, the colour
// rows and the AND mask rows, both bottom-up and padded to 4 bytes.
#include "skin/images/kvICO.h"

#include <cstring>
#include <string>

#include "skin/images/kvBMP.h"
#include "skin/images/kvPNG.h"

namespace {

uint16_t U16(const uint8_t* P) {
  return uint16_t(P[0] | P[1] << 8);
}
uint32_t U32(const uint8_t* P) {
  return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24;
}
void PutU32(uint8_t* P, uint32_t V) {
  for (int i = 0; i < 4; ++i)
    P[i] = uint8_t(V >> (8 * i));
}

constexpr uint8_t PngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr uint32_t BI_RGB = 0, BI_BITFIELDS = 3;

TkvIconImage DecodePngImage(const uint8_t* P, size_t Size) {
  TPNGGraphic Png;
  try {
    Png.LoadFromMemory(P, Size);
  } catch (const std::exception& E) {
    throw EIconError(std::string("Icon image: ") + E.what());
  }
  if (Png.Width() > MaxIconSide || Png.Height() > MaxIconSide)
    throw EIconError("Icon image is too large");
  TkvIconImage R;
  Png.AssignTo(R.Bmp);
  R.BitCount = 32;
  R.HasAlpha = true;
  R.IsPng = true;
  return R;
}

bool AnyAlpha(const TBitmap32& Bmp) {
  const uint32_t* P = Bmp.Bits();
  for (size_t i = 0, n = size_t(Bmp.Width()) * size_t(Bmp.Height()); i < n; ++i)
    if (P[i] >> 24) return true;
  return false;
}

TkvIconImage DecodeDibImage(const uint8_t* P, size_t Size) {
  if (Size < 40) throw EIconError("Icon bitmap header is cut short");
  const uint32_t HeaderSize = U32(P);
  if (HeaderSize < 40 || HeaderSize > Size) throw EIconError("Icon bitmap header is invalid");
  const int32_t Width = int32_t(U32(P + 4));
  const int32_t StoredHeight = int32_t(U32(P + 8));
  const uint16_t BitCount = U16(P + 14);
  const uint32_t Compression = U32(P + 16);
  const uint32_t ColorsUsed = U32(P + 32);
  if (Width <= 0 || Width > MaxIconSide) throw EIconError("Icon width is invalid");
  // The stored height covers the colour rows and the mask rows; icons are never top-down.
  if (StoredHeight <= 0 || StoredHeight % 2 != 0 || StoredHeight / 2 > MaxIconSide)
    throw EIconError("Icon height is invalid");
  const int Height = StoredHeight / 2;
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 16 && BitCount != 24 &&
      BitCount != 32)
    throw EIconError("Icon bit count is invalid");
  if (Compression != BI_RGB && Compression != BI_BITFIELDS)
    throw EIconError("Icon bitmap compression is not supported");

  size_t TableBytes = 0;
  if (BitCount <= 8) {
    const uint32_t Max = 1u << BitCount;
    TableBytes = size_t(ColorsUsed && ColorsUsed < Max ? ColorsUsed : Max) * 4;
  } else if (Compression == BI_BITFIELDS && HeaderSize == 40) {
    TableBytes = 12;
  }
  const size_t BitsAt = size_t(HeaderSize) + TableBytes;
  const size_t ColorStride = ((size_t(Width) * BitCount + 31) / 32) * 4;
  const size_t MaskStride = ((size_t(Width) + 31) / 32) * 4;
  const size_t ColorBytes = ColorStride * size_t(Height);
  if (BitsAt > Size || ColorBytes > Size - BitsAt)
    throw EIconError("Icon colour bits are cut short");

  // The colour part as a bitmap file of its own: a file header, the info header with the
  // height of the colour rows, the table and the rows.
  std::vector<uint8_t> File(14 + BitsAt + ColorBytes);
  File[0] = 'B';
  File[1] = 'M';
  PutU32(&File[2], uint32_t(File.size()));
  PutU32(&File[10], uint32_t(14 + BitsAt));
  std::memcpy(&File[14], P, BitsAt + ColorBytes);
  PutU32(&File[14 + 8], uint32_t(Height));
  PutU32(&File[14 + 20], 0); // image size: recomputed by the reader

  TkvIconImage R;
  try {
    R.Bmp = DecodeBmp(File.data(), File.size());
  } catch (const EBmpError& E) {
    throw EIconError(std::string("Icon bitmap: ") + E.what());
  }
  R.BitCount = BitCount;
  R.HasAlpha = BitCount == 32 && AnyAlpha(R.Bmp);
  if (R.HasAlpha) return R;

  // Without an alpha channel the AND mask decides: a set bit is transparent. A file that ends
  // before the mask has every pixel opaque.
  const size_t MaskAt = BitsAt + ColorBytes;
  const bool HasMask = MaskAt <= Size && MaskStride * size_t(Height) <= Size - MaskAt;
  for (int y = 0; y < Height; ++y) {
    uint32_t* Row = R.Bmp.ScanLine(Height - 1 - y);
    const uint8_t* M = HasMask ? P + MaskAt + MaskStride * size_t(y) : nullptr;
    for (int x = 0; x < Width; ++x) {
      const bool Clear = M && ((M[x >> 3] >> (7 - (x & 7))) & 1);
      Row[x] = Clear ? 0 : (Row[x] | 0xFF000000u);
    }
  }
  return R;
}

} // namespace

TkvIconDirectory ReadIconDirectory(const uint8_t* Data, size_t Size) {
  if (!Data || Size < 6) throw EIconError("Icon directory is cut short");
  if (U16(Data) != 0) throw EIconError("Icon directory is invalid");
  TkvIconDirectory D;
  D.Type = U16(Data + 2);
  if (D.Type != IconTypeIcon && D.Type != IconTypeCursor)
    throw EIconError("Icon directory type is invalid");
  const unsigned Count = U16(Data + 4);
  if (Count == 0) throw EIconError("Icon file holds no image");
  if (Count > unsigned(MaxIconImages)) throw EIconError("Icon file lists too many images");
  const size_t DirEnd = 6 + size_t(Count) * 16;
  if (DirEnd > Size) throw EIconError("Icon directory is cut short");
  D.Entries.reserve(Count);
  for (unsigned i = 0; i < Count; ++i) {
    const uint8_t* P = Data + 6 + size_t(i) * 16;
    TkvIconEntry E;
    E.Width = P[0] ? P[0] : 256;
    E.Height = P[1] ? P[1] : 256;
    E.ColorCount = P[2];
    E.Planes = U16(P + 4);
    E.BitCount = U16(P + 6);
    E.BytesInRes = U32(P + 8);
    E.ImageOffset = U32(P + 12);
    if (E.BytesInRes == 0) throw EIconError("Icon image is empty");
    if (E.ImageOffset < DirEnd || E.ImageOffset > Size || E.BytesInRes > Size - E.ImageOffset)
      throw EIconError("Icon image lies outside the file");
    D.Entries.push_back(E);
  }
  return D;
}

TkvIconImage DecodeIconImage(const uint8_t* Data, size_t Size, const TkvIconEntry& E) {
  if (!Data || E.ImageOffset > Size || E.BytesInRes > Size - E.ImageOffset || E.BytesInRes == 0)
    throw EIconError("Icon image lies outside the file");
  const uint8_t* P = Data + E.ImageOffset;
  if (E.BytesInRes >= 8 && std::memcmp(P, PngSignature, 8) == 0)
    return DecodePngImage(P, E.BytesInRes);
  return DecodeDibImage(P, E.BytesInRes);
}

TkvIconImage DecodeFirstIcon(const uint8_t* Data, size_t Size) {
  const TkvIconDirectory D = ReadIconDirectory(Data, Size);
  return DecodeIconImage(Data, Size, D.Entries.front());
}
