// Image regions of a skin: the notations of image values in the options, loading the master
// bitmap and the images of their own into the model, frame sizes, and the seams through which
// the picture readers of PNG and JPEG files plug in.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/sConst.h"

class TsSkinModel;
class TkvMemIniFile;
class TkvImageSource;

enum TkvImageNotation {
  inNone,       // not an image definition
  inGlyph,      // "@LLLL@TTTT@RRRR@BBBB@N@M"
  inBorder,     // "^LLLL^TTTT^RRRR^BBBB^wwww^tttt^rrrr^bbbb^N^M^D^W"
  inTexture,    // "~LLLL~TTTT~RRRR~BBBB~DD~M"
  inFile,       // "!file!N!M!T!wl!wt!wr!wb!D"
  inNumberSign, // "name (L,T,R,B) (N,M,W,D)"
  inPlainFile,  // a name holding ".BMP"
  inJpeg        // a name holding ".JPG" or ".JPEG"
};

// Which notation a value is written in.
TkvImageNotation ImageNotationOf(const std::string& Value);

// One image value, parsed but not yet loaded.
struct TkvImageDefinition {
  TkvImageNotation Notation = inNone;
  TsMaskData Mask;      // every field the value gives
  std::string FileName; // for "!", plain and JPEG names
  int FieldCount = 0;   // fields of the "!" notation
};

// Parses Value of Key in Section. A fixed-column value shorter than its columns, or with a
// column that is not a number, throws ESkinDataError naming the section and the key.
TkvImageDefinition ParseImageDefinition(const std::string& Section, const std::string& Key,
                                        const std::string& Value);

// Frame size of an image: ImageCount frames side by side, MaskType + 1 bands on top of each
// other. Never divides by zero: no frames (or a negative count) give 0.
int FrameWidth(const TsMaskData& Mask);
int FrameHeight(const TsMaskData& Mask);

// Border widths of an image when none are given: with a BorderWidth all four take it,
// otherwise a third of a frame's width and height.
void FillDefaultWidths(TsMaskData& Mask);

// Gives every pixel alpha 255 except those of the key colour 0xFF00FF, which get 0: how an
// image without an alpha channel becomes a 32-bit skin image.
void ApplyKeyColorAlpha(TBitmap32& Bmp);

// Decodes a skin image file (BMP, or PNG through the PNG reader) into a 32-bit bitmap. Null,
// with the reason in Error, when it cannot be decoded or is empty.
std::shared_ptr<TBitmap32> DecodeSkinImage(const uint8_t* Data, size_t Size,
                                           const std::string& Name, double Version,
                                           std::string& Error);

// The picture readers of PNG and JPEG files, installed by the image units
// (InstallSkinPictureReaders in skin/images/kvSkinPictures.h). Without the PNG
// reader a PNG image adds no record; without the JPEG reader a JPEG key adds no record.
struct TkvPictureReaders {
  // Decodes a PNG into a 32-bit bitmap with its alpha, normalised by the skin's version;
  // false, or an exception carrying the reason, when it cannot.
  std::function<bool(const uint8_t* Data, size_t Size, double Version, TBitmap32& Bmp)> Png;
  // Loads a JPEG picture; null when the bytes are not one.
  std::function<std::shared_ptr<TkvTinyJPGImage>(const uint8_t* Data, size_t Size)> LoadJpeg;
  std::function<TSize(const TkvTinyJPGImage& Img)> JpegSize;
  // Draws the picture at (0, 0) of a bitmap of its size.
  std::function<void(const TkvTinyJPGImage& Img, TBitmap32& Bmp)> DrawJpeg;
};
TkvPictureReaders& SkinPictureReaders();

// A JPEG of more pixels than this becomes a pattern; a smaller one a texture.
constexpr int64_t MaxJpegTexturePixels = 899999;

// The first step of a skin load: empties the images, loads the master bitmap and every image
// region, the corner types and the JPEG pictures.
void LoadSkinImages(TsSkinModel& Model, const TkvMemIniFile& Options, const TkvImageSource& Images);
