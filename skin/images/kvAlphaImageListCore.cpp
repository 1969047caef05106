// The platform-free half of the alpha image list.
#include "skin/images/kvAlphaImageListCore.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "skin/images/kvBMP.h"
#include "skin/images/kvICO.h"
#include "skin/images/kvPNG.h"
#include "skin/pixels/kvResample.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

constexpr uint8_t PngSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool HasIcoExtension(const std::filesystem::path& FileName) {
  std::string Ext = FileName.extension().string();
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](char C) { return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C; });
  return Ext == ".ico";
}

TkvMonoMask NewMask(int Width, int Height) {
  TkvMonoMask M;
  M.Width = std::max(Width, 0);
  M.Height = std::max(Height, 0);
  M.Stride = ((size_t(M.Width) + 15) / 16) * 2;
  M.Bits.assign(M.Stride * size_t(M.Height), 0);
  return M;
}

void SetBit(TkvMonoMask& M, int X, int Y) {
  M.Bits[size_t(Y) * M.Stride + size_t(X >> 3)] |= uint8_t(0x80 >> (X & 7));
}

} // namespace

bool DetectImageFormat(const uint8_t* Data, size_t Size, const std::filesystem::path& FileName,
                       TsImageFormat& Format) {
  if (!Data) return false;
  if (Size > 8 && std::memcmp(Data, PngSignature, 8) == 0) {
    Format = ifPNG;
    return true;
  }
  if (Size > 2 && Data[0] == 0 && Data[1] == 0) {
    if (!HasIcoExtension(FileName)) return false;
    Format = ifICO;
    return true;
  }
  if (Size > 2 && Data[0] == 'B' && Data[1] == 'M') {
    Format = ifBMP32;
    return true;
  }
  return false;
}

bool DetectImageFormat(const std::filesystem::path& FileName, TsImageFormat& Format) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) return false;
  // Nine bytes tell whether the file is longer than the eight of the signature.
  uint8_t Head[9] = {};
  In.read(reinterpret_cast<char*>(Head), sizeof Head);
  return DetectImageFormat(Head, size_t(In.gcount()), FileName, Format);
}

TkvListImage DecodeListImage(TsImageFormat Format, const uint8_t* Data, size_t Size) {
  TkvListImage R;
  switch (Format) {
  case ifPNG: {
    TPNGGraphic Png;
    Png.LoadFromMemory(Data, Size);
    Png.AssignTo(R.Bmp);
    R.BitCount = Png.PixelFormat() == pf32bit ? 32 : 24;
    // A picture without alpha comes as if converted to 32 bits with the alpha bytes empty,
    // unless its own transparent colour already marks the clear pixels.
    if (R.BitCount != 32 && !Png.Transparent()) {
      for (int y = 0; y < R.Bmp.Height(); ++y) {
        uint32_t* Row = R.Bmp.ScanLine(y);
        for (int x = 0; x < R.Bmp.Width(); ++x)
          Row[x] &= 0x00FFFFFFu;
      }
      FixMissingAlpha(R.Bmp);
    }
    break;
  }
  case ifBMP32: {
    TkvBmpInfo Info;
    R.Bmp = DecodeBmp(Data, Size, &Info);
    R.BitCount = Info.BitCount;
    if (Info.BitCount != 32) {
      for (int y = 0; y < R.Bmp.Height(); ++y) {
        uint32_t* Row = R.Bmp.ScanLine(y);
        for (int x = 0; x < R.Bmp.Width(); ++x)
          Row[x] &= 0x00FFFFFFu;
      }
    }
    FixMissingAlpha(R.Bmp);
    break;
  }
  case ifICO: {
    TkvIconImage I = DecodeFirstIcon(Data, Size);
    R.Bmp = std::move(I.Bmp);
    R.BitCount = I.BitCount;
    R.HasAlpha = I.HasAlpha;
    break;
  }
  }
  return R;
}

TkvMonoMask MakeKeyedMask(const TBitmap32& Bmp) {
  TkvMonoMask M = NewMask(Bmp.Width(), Bmp.Height());
  if (Bmp.IsEmpty()) return M;
  const uint32_t Key = Bmp.Pixel(0, 0);
  for (int y = 0; y < Bmp.Height(); ++y) {
    const uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x)
      if (Row[x] == Key) SetBit(M, x, y);
  }
  return M;
}

TBitmap32 MakeAlphaColors(const TBitmap32& Bmp, bool Is32Bit) {
  TBitmap32 R = Bmp;
  if (!Is32Bit) {
    for (int y = 0; y < R.Height(); ++y) {
      uint32_t* Row = R.ScanLine(y);
      for (int x = 0; x < R.Width(); ++x)
        Row[x] =
            (Row[x] & 0x00FFFFFFu) == 0x00FF00FFu ? (Row[x] & 0x00FFFFFFu) : (Row[x] | 0xFF000000u);
    }
  }
  return R;
}

TkvMonoMask MakeAlphaMask(const TBitmap32& Bmp) {
  TkvMonoMask M = NewMask(Bmp.Width(), Bmp.Height());
  for (int y = 0; y < Bmp.Height(); ++y) {
    const uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x)
      if ((Row[x] >> 24) == 0) SetBit(M, x, y);
  }
  return M;
}

bool HasAnyAlpha(const TBitmap32& Bmp) {
  for (int y = 0; y < Bmp.Height(); ++y) {
    const uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x)
      if (Row[x] >> 24) return true;
  }
  return false;
}

void FixMissingAlpha(TBitmap32& Bmp) {
  if (Bmp.IsEmpty() || HasAnyAlpha(Bmp)) return;
  const uint32_t Clear = Bmp.Pixel(0, Bmp.Height() - 1) & 0x00FFFFFFu;
  for (int y = 0; y < Bmp.Height(); ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x)
      if ((Row[x] & 0x00FFFFFFu) != Clear) Row[x] |= 0xFF000000u;
  }
}

void SetOpaqueExceptColor(TBitmap32& Bmp, uint32_t KeyRGB) {
  for (int y = 0; y < Bmp.Height(); ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x) {
      const uint32_t C = Row[x] & 0x00FFFFFFu;
      Row[x] = C == KeyRGB ? C : (C | 0xFF000000u);
    }
  }
}

TBitmap32 StretchedNearest(const TBitmap32& Src, int Width, int Height) {
  if (Src.IsEmpty() || Width <= 0 || Height <= 0) return {};
  TBitmap32 R(Width, Height);
  StretchCopy(R, R.BoundsRect(), Src, Src.BoundsRect());
  return R;
}

bool ResizeBitmap32(const TBitmap32& Src, TBitmap32& Dst, int Width, int Height) {
  if (Src.IsEmpty() || Width <= 0 || Height <= 0) return false;
  if (Src.Width() == Width && Src.Height() == Height) {
    if (&Src != &Dst) Dst = Src;
    return true;
  }
  if (Src.Width() <= 1 || Src.Height() <= 1) {
    Dst = StretchedNearest(Src, Width, Height);
    return true;
  }
  ResampleBitmap(Src, Dst, Width, rfMitchell, Height);
  return true;
}
