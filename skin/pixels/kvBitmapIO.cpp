// Writers of 32-bit bitmaps for tests and tools: BMP (with alpha) and PAM, and of whole files.
#include "skin/pixels/kvBitmapIO.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {
void Put16(std::vector<uint8_t>& Out, uint32_t V) {
  Out.push_back(uint8_t(V));
  Out.push_back(uint8_t(V >> 8));
}
void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}
} // namespace

std::vector<uint8_t> EncodeBmp32(const TBitmap32& Bmp) {
  // Layout per the BMP format: BITMAPFILEHEADER (14 bytes), BITMAPV5HEADER (124 bytes), pixels.
  constexpr uint32_t FileHeaderSize = 14, InfoSize = 124;
  uint32_t ImageSize = uint32_t(Bmp.ByteSize());
  std::vector<uint8_t> Out;
  Out.reserve(FileHeaderSize + InfoSize + ImageSize);
  Out.push_back('B');
  Out.push_back('M');
  Put32(Out, FileHeaderSize + InfoSize + ImageSize);
  Put32(Out, 0); // reserved
  Put32(Out, FileHeaderSize + InfoSize);
  Put32(Out, InfoSize);
  Put32(Out, uint32_t(Bmp.Width()));
  Put32(Out, uint32_t(Bmp.Height())); // positive: bottom-up rows
  Put16(Out, 1);                      // planes
  Put16(Out, 32);                     // bits per pixel
  Put32(Out, 3);                      // BI_BITFIELDS
  Put32(Out, ImageSize);
  Put32(Out, 2835); // 72 dpi
  Put32(Out, 2835);
  Put32(Out, 0);          // colours used
  Put32(Out, 0);          // important colours
  Put32(Out, 0x00FF0000); // red mask
  Put32(Out, 0x0000FF00); // green mask
  Put32(Out, 0x000000FF); // blue mask
  Put32(Out, 0xFF000000); // alpha mask
  Put32(Out, 0x73524742); // LCS_sRGB ('sRGB')
  for (int i = 0; i < 9 + 3; ++i)
    Put32(Out, 0); // endpoints and gamma, unused with sRGB
  Put32(Out, 4);   // LCS_GM_IMAGES
  Put32(Out, 0);   // profile data
  Put32(Out, 0);   // profile size
  Put32(Out, 0);   // reserved
  for (int y = Bmp.Height() - 1; y >= 0; --y) {
    const uint8_t* Row = reinterpret_cast<const uint8_t*>(Bmp.ScanLine(y));
    Out.insert(Out.end(), Row, Row + size_t(Bmp.Width()) * 4);
  }
  return Out;
}

std::vector<uint8_t> EncodePam(const TBitmap32& Bmp) {
  std::string Header = "P7\nWIDTH " + std::to_string(Bmp.Width()) + "\nHEIGHT " +
                       std::to_string(Bmp.Height()) +
                       "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  std::vector<uint8_t> Out(Header.begin(), Header.end());
  Out.reserve(Out.size() + Bmp.ByteSize());
  for (int y = 0; y < Bmp.Height(); ++y) {
    const uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x) {
      uint32_t P = Row[x];
      Out.push_back(uint8_t(P >> 16));
      Out.push_back(uint8_t(P >> 8));
      Out.push_back(uint8_t(P));
      Out.push_back(uint8_t(P >> 24));
    }
  }
  return Out;
}

void SaveBmp32(const TBitmap32& Bmp, const std::string& FileName) {
  SaveFileBytes(EncodeBmp32(Bmp), FileName);
}

void SavePam(const TBitmap32& Bmp, const std::string& FileName) {
  SaveFileBytes(EncodePam(Bmp), FileName);
}

void SaveFileBytes(const std::vector<uint8_t>& Data, const std::string& FileName) {
  std::unique_ptr<FILE, int (*)(FILE*)> F(std::fopen(FileName.c_str(), "wb"), &std::fclose);
  bool Ok = F && std::fwrite(Data.data(), 1, Data.size(), F.get()) == Data.size();
  if (F && std::fclose(F.release()) != 0) Ok = false;
  if (!Ok) throw std::runtime_error("Cannot write the file \"" + FileName + "\"");
}

std::vector<uint8_t> EncodeBmp24(const TBitmap32& Bmp) {
  int W = Bmp.Width(), H = Bmp.Height();
  uint32_t Stride = (uint32_t(W) * 3 + 3) & ~3u;
  uint32_t ImageSize = Stride * uint32_t(H);
  std::vector<uint8_t> Out;
  auto U16 = [&](uint32_t V) {
    Out.push_back(uint8_t(V));
    Out.push_back(uint8_t(V >> 8));
  };
  auto U32 = [&](uint32_t V) {
    U16(V & 0xFFFF);
    U16(V >> 16);
  };
  Out.push_back('B');
  Out.push_back('M');
  U32(14 + 40 + ImageSize);
  U32(0);
  U32(14 + 40);
  U32(40);
  U32(uint32_t(W));
  U32(uint32_t(H));
  U16(1);
  U16(24);
  U32(0); // BI_RGB
  U32(ImageSize);
  U32(2835); // 72 dpi
  U32(2835);
  U32(0);
  U32(0);
  for (int y = H - 1; y >= 0; --y) {
    const uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < W; ++x) {
      Out.push_back(uint8_t(Row[x]));
      Out.push_back(uint8_t(Row[x] >> 8));
      Out.push_back(uint8_t(Row[x] >> 16));
    }
    for (uint32_t p = uint32_t(W) * 3; p < Stride; ++p)
      Out.push_back(0);
  }
  return Out;
}
