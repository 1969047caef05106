// JPEG pictures of skins (large backgrounds and textures), decoded by the platform's picture
// loader. Builds without one refuse JPEG data with a clear error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

class TkvTinyJPGImage {
public:
  TkvTinyJPGImage() = default;
  ~TkvTinyJPGImage();
  TkvTinyJPGImage(const TkvTinyJPGImage&) = delete;
  TkvTinyJPGImage& operator=(const TkvTinyJPGImage&) = delete;

  // Loads the whole picture from memory (the stream from its start); throws EInvalidGraphic
  // with the reason. Loading again replaces the picture.
  void LoadFromMemory(const void* Data, size_t Size);
  // Opens the file for reading without denying others any access, and loads it.
  void LoadFromFile(const std::string& FileName);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth <= 0 || FHeight <= 0; }
  // The picture drawn into a 32-bit bitmap of its size, every pixel opaque.
  void AssignTo(TBitmap32& Bmp) const;
#ifdef _WIN32
  // Draws the picture stretched into R of a device context (an HDC).
  void Draw(void* DC, const TRect& R) const;
#endif

private:
  void Release();

  int FWidth = 0;
  int FHeight = 0;
#ifdef _WIN32
  void* FPicture = nullptr; // IPicture
  long FHimetricWidth = 0;
  long FHimetricHeight = 0;
#endif
};
