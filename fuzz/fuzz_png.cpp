// Fuzz target of the PNG reader: any bytes either decode or raise the reader's own errors.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "skin/images/kvPNG.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TPNGGraphic Png;
  try {
    Png.LoadFromMemory(Data, Size);
    TBitmap32 Bmp;
    Png.AssignTo(Bmp);
  } catch (const EInvalidGraphic&) {
  } catch (const EGraphicCompression&) {
  }
  return 0;
}
