// What the painting commands of the skin tool share: loading a skin for painting, colours as
// skins write them, and writing a bitmap by its file extension.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "skin/data/kvSkinIni.h"
#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"

// A skin loaded for painting, with the package its images may point into.
struct TKvLoadedSkin {
  std::unique_ptr<TkvSkinConvertor> Package;
  TkvMemIniFile Options;
  TsSkinModel Model;
};

// Loads SKIN (a folder or a packed file) with the PNG reader installed; on failure writes
// "kvskin CMD: SKIN: reason" to Err and returns null.
// With CollectProblems the load goes on past problems and lists them in the model.
std::unique_ptr<TKvLoadedSkin> LoadSkinForPainting(const std::string& Skin, const char* Command,
                                                   std::ostream& Err, bool CollectProblems = false);

// A colour as the skin writes colours: a decimal number, or hex after "$" or "0x"; red in the
// low byte. False when Text is not one.
bool ParseSkinColor(const std::string& Text, TColor& Color);

// The writer for FileName's extension (PNG, BMP with alpha, PAM; any letter case), or null.
using TImageWriter = void (*)(const TBitmap32& Bmp, const std::string& FileName);
TImageWriter ImageWriterFor(const std::string& FileName);

// Writes Bmp as PNG, BMP or PAM by the extension of FileName (any letter case); throws
// std::runtime_error for another extension or a file that cannot be written.
void SaveBitmapByExtension(const TBitmap32& Bmp, const std::string& FileName);
