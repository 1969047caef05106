// Painting of one skin section in one state into a rectangle of a 32-bit bitmap: background
// (colour, gradient, texture, transparency over the parent's background), corner images,
// border mask and the colour tone, in that order.
#pragma once

#include <string>

#include "skin/data/sSkinModel.h"
#include "base/Bitmap32.h"
#include "skin/pixels/kvCacheInfo.h"
#include "base/kvTypes.h"

// What a control's skin state supplies to PaintSection.
struct TsSectionLook {
  int SkinIndex = -1;
  std::string SkinSection;
  int Texture = -1;
  int HotTexture = -1;
  // With CustomColor the section is painted in OwnerColor (the owner control's or form's
  // colour; fuchsia without owner) instead of its own look.
  bool CustomColor = false;
  TColor OwnerColor = clFuchsia;
  int HUEOffset = 0;
  int Saturation = 0;
};

// The full face of a control: background, corner images, border mask, then the hue and
// saturation shift of the whole bitmap. Nothing happens without Sm or Bmp, with an invalid
// section, or when R does not lie inside Bmp. P is the item's place in the parent's background.
void PaintSection(const TsSkinModel* Sm, const TsSectionLook& Look, const TCacheInfo& CI,
                  bool UpdateCorners, int State, TBitmap32* Bmp, TPoint P, TRect R);

// The same for a section given by index, without custom colour or colour tone; SectionName
// finds its textures by name.
void PaintSectionByIndex(int SkinIndex, const std::string& SectionName, const TCacheInfo& CI,
                         int Texture, int HotTexture, const TsSkinModel* Sm, TBitmap32* Bmp,
                         TPoint P, TRect R, int State, bool UpdateCorners);

// The face over the parent's answer to the background query: background, then the border mask
// under the corner images, and no colour tone. When the parent is not ready nothing is
// painted, Updating is set (the control waits for the parent's resume notice) and the result
// is False; True after painting.
bool PaintSectionOnParentInfo(const TsSkinModel* Sm, const TsSectionLook& Look,
                              const TBackgroundInfo& Answer, bool& Updating, bool UpdateCorners,
                              TBitmap32* Bmp, TPoint P, TRect R, int State);

// The background layer only. CustomColor fuchsia: the section's own look.
void PaintSectionBackground(int SkinIndex, const std::string& SectionName, const TCacheInfo& CI,
                            int State, TRect R, TPoint P, TBitmap32& Bmp, const TsSkinModel* Sm,
                            int Texture, int HotTexture, TColor CustomColor);

// The rectangle a texture reports when it covered everything.
constexpr TRect NothingLeft{-1, -1, -1, -1};

// A texture image over R by its DrawMode. On return R holds the part still uncovered, or
// NothingLeft. An image of its own is tiled whole whatever the mode; modes without a layout
// (8, 9, 11 and up) and an image without bitmap draw nothing and leave R as it was.
void PaintTexture(const TsSkinModel& Sm, TBitmap32& Bmp, TRect& R, const TsMaskData& Img);
// A pattern picture tiled whole over R; R becomes NothingLeft when it was drawn.
void PaintPatternTexture(const TsSkinModel& Sm, TBitmap32& Bmp, TRect& R, int PatternIndex);
// Frame 0 of a masked image tiled over R through its mask: DrawMode 0 everywhere, 10 with whole
// tiles only and the parent's background in the uncovered right and bottom strips; other modes
// draw nothing. R becomes NothingLeft.
void PaintMaskedTexture(const TsSkinModel& Sm, TBitmap32& Bmp, TRect& R, const TCacheInfo& CI,
                        int DrawMode, const TsMaskData& Img);

// The painter of the flat section fields (Hot: the hot ones) with the caller's texture.
void PaintSectionFlat(int SkinIndex, TRect R, bool Hot, const TsSkinModel* Sm, TBitmap32& Bmp,
                      TPoint P, const TCacheInfo& CI, int Texture, int HotTexture);
// PaintSectionFlat, then the border mask MaskIndex; no corner images, no colour tone.
void PaintPartByIndex(int SkinIndex, int MaskIndex, int Texture, const TsSkinModel* Sm,
                      TBitmap32* Bmp, TPoint P, TRect R, int State, bool UpdateCorners,
                      const TCacheInfo& CI, int HotTexture);

// Finds the section SectionName (or AltName when that is no section) and paints it over the
// whole of Bmp. With Source, the pixels of Source at R are the background. Returns the section
// index used; -1 when there is none (nothing painted).
int PaintSectionByName(TBitmap32& Bmp, const std::string& SectionName, const std::string& AltName,
                       const TBitmap32* Source, TRect R, const TsSkinModel* Sm, int State);

#ifdef _WIN32
// PaintSectionByName with the background taken from SourceDC (an HDC) at R.
int PaintSectionByName(TBitmap32& Bmp, const std::string& SectionName, const std::string& AltName,
                       void* SourceDC, TRect R, const TsSkinModel* Sm, int State);
#endif
