// `kvskin decode IN OUT`: decodes a skin image with the engine's own readers and writes it as
// PNG, BMP or PAM (chosen by OUT's extension), for inspection and for tests.
#pragma once

#include <string>

#include "skin/paint/Bitmap32.h"

// Args are the command's arguments after "decode": IN and OUT. Returns 0 on success, 1 when
// the input cannot be decoded or the output not written (the reason goes to stderr), 2 for
// wrong arguments.
int KvSkinDecode(int argc, char** argv);

// Decodes an image file into 32 bits with the engine's readers; throws with the reason.
TBitmap32 DecodeImageFile(const std::string& FileName);
// Writes the bitmap as PNG, BMP (32 bits with an alpha mask) or PAM (RGB_ALPHA) by the file
// name's extension, compared without regard to case; throws with the reason.
void WriteImageFile(const TBitmap32& Bmp, const std::string& FileName);
