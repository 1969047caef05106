// What the painting commands of the skin tool share: loading a skin for painting, colours as
// skins write them, and writing a bitmap by its file extension.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"

// A skin loaded for painting, with the package its images may point into.
struct TKvLoadedSkin {
  std::unique_ptr<TkvSkinConvertor> Package;
  TsSkinModel Model;
};

// Loads SKIN (a folder or a packed file) with the PNG reader installed; on failure writes
// "kvskin CMD: SKIN: reason" to Err and returns null.
std::unique_ptr<TKvLoadedSkin> LoadSkinForPainting(const std::string& Skin, const char* Command,
                                                   std::ostream& Err);

// A colour as the skin writes colours: a decimal number, or hex after "$" or "0x"; red in the
// low byte. False when Text is not one.
bool ParseSkinColor(const std::string& Text, TColor& Color);

// Writes Bmp as PNG, BMP or PAM by the extension of FileName (any letter case); throws
// std::runtime_error for another extension or a file that cannot be written.
void SaveBitmapByExtension(const TBitmap32& Bmp, const std::string& FileName);
