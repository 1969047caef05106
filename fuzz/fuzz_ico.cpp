// Fuzz target: the icon file reader (directory and every image it lists).
#include <cstdint>

#include "skin/images/kvICO.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  try {
    const TkvIconDirectory D = ReadIconDirectory(Data, Size);
    for (const TkvIconEntry& E : D.Entries) {
      try {
        TkvIconImage I = DecodeIconImage(Data, Size, E);
        volatile uint32_t Sink =
            I.Bmp.IsEmpty() ? 0 : I.Bmp.Pixel(I.Bmp.Width() - 1, I.Bmp.Height() - 1);
        (void)Sink;
      } catch (const EIconError&) {
      }
    }
  } catch (const EIconError&) {
  }
  return 0;
}
