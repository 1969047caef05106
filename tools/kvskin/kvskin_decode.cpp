// The decode command of the skin tool: engine readers in, PNG, BMP or PAM out.
#include "tools/kvskin/kvskin_decode.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/images/kvTinyJPG.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) throw std::runtime_error("Cannot open file \"" + FileName + "\".");
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(In)),
                              std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& FileName, const std::vector<uint8_t>& Bytes) {
  std::ofstream Out(FileName, std::ios::binary);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
  Out.close();
  if (!Out) throw std::runtime_error("Cannot write file \"" + FileName + "\".");
}

std::string LowerExtension(const std::string& FileName) {
  const size_t Dot = FileName.find_last_of('.');
  const size_t Slash = FileName.find_last_of("/\\");
  if (Dot == std::string::npos || (Slash != std::string::npos && Dot < Slash)) return "";
  std::string Ext = FileName.substr(Dot + 1);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](unsigned char C) { return char(std::tolower(C)); });
  return Ext;
}

void Put16(std::vector<uint8_t>& Out, uint32_t V) {
  Out.push_back(uint8_t(V));
  Out.push_back(uint8_t(V >> 8));
}
void Put32(std::vector<uint8_t>& Out, uint32_t V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}

// A bottom-up 32-bit BMP with a BITMAPV4HEADER whose masks include alpha, so that viewers
// keep the alpha channel.
std::vector<uint8_t> EncodeBMP(const TBitmap32& Bmp) {
  constexpr uint32_t FileHeader = 14, InfoHeader = 108;
  const uint32_t ImageSize = uint32_t(Bmp.ByteSize());
  std::vector<uint8_t> Out;
  Out.reserve(FileHeader + InfoHeader + ImageSize);
  Out.push_back('B');
  Out.push_back('M');
  Put32(Out, FileHeader + InfoHeader + ImageSize);
  Put32(Out, 0);
  Put32(Out, FileHeader + InfoHeader);
  Put32(Out, InfoHeader);
  Put32(Out, uint32_t(Bmp.Width()));
  Put32(Out, uint32_t(Bmp.Height()));
  Put16(Out, 1);  // planes
  Put16(Out, 32); // bits per pixel
  Put32(Out, 3);  // BI_BITFIELDS
  Put32(Out, ImageSize);
  Put32(Out, 2835); // 72 dpi
  Put32(Out, 2835);
  Put32(Out, 0);
  Put32(Out, 0);
  Put32(Out, 0x00FF0000);            // red
  Put32(Out, 0x0000FF00);            // green
  Put32(Out, 0x000000FF);            // blue
  Put32(Out, 0xFF000000);            // alpha
  Put32(Out, 0x73524742);            // LCS_sRGB
  Out.insert(Out.end(), 36 + 12, 0); // endpoints and gamma
  for (int Y = Bmp.Height() - 1; Y >= 0; --Y) {
    const uint8_t* Row = reinterpret_cast<const uint8_t*>(Bmp.ScanLine(Y));
    Out.insert(Out.end(), Row, Row + size_t(Bmp.Width()) * 4);
  }
  return Out;
}

// Netpbm's PAM with RGB_ALPHA tuples.
std::vector<uint8_t> EncodePAM(const TBitmap32& Bmp) {
  const std::string Header = "P7\nWIDTH " + std::to_string(Bmp.Width()) + "\nHEIGHT " +
                             std::to_string(Bmp.Height()) +
                             "\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
  std::vector<uint8_t> Out(Header.begin(), Header.end());
  Out.reserve(Header.size() + Bmp.ByteSize());
  for (int Y = 0; Y < Bmp.Height(); ++Y)
    for (int X = 0; X < Bmp.Width(); ++X) {
      const uint32_t P = Bmp.Pixel(X, Y);
      Out.insert(Out.end(), {uint8_t(P >> 16), uint8_t(P >> 8), uint8_t(P), uint8_t(P >> 24)});
    }
  return Out;
}

} // namespace

TBitmap32 DecodeImageFile(const std::string& FileName) {
  const std::vector<uint8_t> Bytes = ReadFile(FileName);
  TBitmap32 Bmp;
  if (TPNGGraphic::CanLoad(Bytes.data(), Bytes.size())) {
    TPNGGraphic Png;
    Png.LoadFromMemory(Bytes.data(), Bytes.size());
    Png.AssignTo(Bmp);
    return Bmp;
  }
  if (Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] == 0xD8) {
    TkvTinyJPGImage Jpg;
    Jpg.LoadFromMemory(Bytes.data(), Bytes.size());
    Jpg.AssignTo(Bmp);
    return Bmp;
  }
  // TODO: BMP files go through the engine's BMP reader once it is part of this tool.
  if (Bytes.size() >= 2 && Bytes[0] == 'B' && Bytes[1] == 'M')
    throw std::runtime_error("BMP files cannot be decoded by this build yet.");
  throw std::runtime_error("\"" + FileName + "\" is not a PNG, BMP or JPEG image.");
}

void WriteImageFile(const TBitmap32& Bmp, const std::string& FileName) {
  const std::string Ext = LowerExtension(FileName);
  if (Ext == "png")
    WriteBytes(FileName, EncodePNG(Bmp, 9));
  else if (Ext == "bmp")
    WriteBytes(FileName, EncodeBMP(Bmp));
  else if (Ext == "pam")
    WriteBytes(FileName, EncodePAM(Bmp));
  else
    throw std::runtime_error("Unknown output format \"" + FileName +
                             "\": use the extension .png, .bmp or .pam.");
}

int KvSkinDecode(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kvskin decode IN OUT\n"
                         "  decodes a PNG (or JPEG on Windows) image and writes it as PNG, BMP "
                         "or PAM, chosen by OUT's extension\n");
    return 2;
  }
  try {
    WriteImageFile(DecodeImageFile(argv[0]), argv[1]);
  } catch (const std::exception& E) {
    std::fprintf(stderr, "kvskin decode: %s\n", E.what());
    return 1;
  }
  return 0;
}
