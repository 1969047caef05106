// Fuzz target: the BMP reader.
#include <cstdint>

#include "skin/images/kvBMP.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    TBitmap32 Bmp = DecodeBmp(Data, Size);
    volatile uint32_t Sink = Bmp.IsEmpty() ? 0 : Bmp.Pixel(Bmp.Width() - 1, Bmp.Height() - 1);
    (void)Sink;
  } catch (const EBmpError&) {
  }
  return 0;
}
