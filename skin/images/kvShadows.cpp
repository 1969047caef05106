// Decoding of the built-in shadow images.
#include "skin/images/kvShadows.h"

#include "skin/images/kvPNG.h"

TBitmap32 DecodeShadowImage(const void* Data, size_t Size) {
  TPNGGraphic Png;
  Png.LoadFromMemory(Data, Size);
  TBitmap32 Bmp;
  Png.AssignTo(Bmp);
  ClearTransparentWhite(Bmp);
  return Bmp;
}
