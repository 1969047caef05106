// kvskin decode: reads an image with the engine's own readers (PNG, BMP, and JPEG where the
// platform decodes it) and writes it as PNG, BMP or PAM, for inspection and for tests.
#include <stdexcept>

#include "skin/data/kvSkinPack.h"
#include "skin/data/kvStreams.h"
#include "skin/images/kvBMP.h"
#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/images/kvTinyJPG.h"
#include "skin/pixels/kvBitmapIO.h"
#include "tools/kvskin/kvskinPaint.h"
#include "tools/kvskin/kvskinTool.h"

namespace {

// The kind is taken from the bytes, not from the name.
TBitmap32 DecodeImageFile(const std::string& FileName) {
  const std::vector<uint8_t> Bytes = ReadWholeFile(FileName);
  TBitmap32 Bmp;
  if (TPNGGraphic::CanLoad(Bytes.data(), Bytes.size())) {
    TPNGGraphic Png;
    Png.LoadFromMemory(Bytes.data(), Bytes.size());
    Png.AssignTo(Bmp);
  } else if (Bytes.size() >= 2 && Bytes[0] == 0xFF && Bytes[1] == 0xD8) {
    TkvTinyJPGImage Jpg;
    Jpg.LoadFromMemory(Bytes.data(), Bytes.size());
    Jpg.AssignTo(Bmp);
  } else if (Bytes.size() >= 2 && Bytes[0] == 'B' && Bytes[1] == 'M') {
    Bmp = DecodeBmp(Bytes.data(), Bytes.size());
  } else {
    throw std::runtime_error("\"" + FileName + "\" is not a PNG, BMP or JPEG image.");
  }
  return Bmp;
}

int Decode(const std::vector<std::string>& Args, std::ostream&, std::ostream& Err) {
  if (Args.size() != 2) {
    Err << "usage: kvskin decode IN OUT\n";
    return 2;
  }
  // The output's kind is checked first, so that a wrong name costs no decoding.
  TImageWriter Write = ImageWriterFor(Args[1]);
  if (!Write)
    throw std::runtime_error("Unknown output format \"" + Args[1] +
                             "\": use the extension .png, .bmp or .pam.");
  Write(DecodeImageFile(Args[0]), Args[1]);
  return 0;
}

TKvSkinCommandRegistrar RegDecode{{"decode", "decode IN OUT",
                                   "decodes a PNG, BMP or (in the Windows build) JPEG image and "
                                   "writes it as PNG, BMP or PAM, chosen by OUT's extension",
                                   Decode}};

} // namespace
