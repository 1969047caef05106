// The two built-in window-shadow images (active and inactive form): PNG data among the
// program's resources, decoded at start-up into 32-bit templates.
#pragma once

#include <cstddef>

#include "base/Bitmap32.h"

// Width of the shadow band on every side of the built-in images, in pixels: the images are
// drawn as nine-slice templates with these margins.
constexpr int DefaultShadowMargin = 9;

// Decodes a shadow image's PNG data and clears its transparent white pixels; throws
// EInvalidGraphic when the data is not a readable PNG.
TBitmap32 DecodeShadowImage(const void* Data, size_t Size);

#ifdef _WIN32
// The RCDATA resource Name ("kvSHDA" or "kvSHDI") of Module (an HMODULE; the program's own
// when null), decoded. Start-up must not fail for a shadow: a missing or unreadable resource
// gives an empty bitmap, and the forms are drawn without the built-in shadow.
TBitmap32 LoadShadowResource(const wchar_t* Name, void* Module = nullptr);
#endif

#ifdef _WIN32
struct TBuiltinShadows {
  TBitmap32 Active;   // kvSHDA, for active forms
  TBitmap32 Inactive; // kvSHDI, for inactive forms
};
// The program's two built-in shadows, decoded from its resources on the first call (at
// start-up).
const TBuiltinShadows& BuiltinShadows();
#endif
