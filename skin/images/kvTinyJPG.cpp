// JPEG pictures without a platform picture loader: every load is refused.
#include "skin/images/kvTinyJPG.h"

#include <fstream>

#include "skin/images/kvPNG.h"

namespace {
const char* const SNotSupported = "Cannot load image. JPEG is not supported in this build.";
}

TkvTinyJPGImage::~TkvTinyJPGImage() {
  Release();
}

void TkvTinyJPGImage::Release() {
  FWidth = FHeight = 0;
}

void TkvTinyJPGImage::LoadFromMemory(const void*, size_t) {
  Release();
  throw EInvalidGraphic(SNotSupported);
}

void TkvTinyJPGImage::LoadFromFile(const std::string& FileName) {
  Release();
  if (!std::ifstream(FileName, std::ios::binary))
    throw EInvalidGraphic("Cannot open file \"" + FileName + "\".");
  throw EInvalidGraphic(SNotSupported);
}

void TkvTinyJPGImage::AssignTo(TBitmap32& Bmp) const {
  Bmp.SetSize(0, 0);
}
