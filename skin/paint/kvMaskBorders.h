// Border masks and single skin images: nine-slice borders cut from a state frame, images drawn
// in the frame of a state, transparent corner rectangles, and the border frame of a control.
#pragma once

#include <vector>

#include "skin/data/sSkinModel.h"
#include "base/Bitmap32.h"
#include "skin/pixels/kvCacheInfo.h"
#include "base/kvTypes.h"

// Border mask draw-mode flags.
constexpr int dmStretch = 1;    // edges and centre are stretched instead of tiled
constexpr int dmSkipNormal = 2; // nothing is drawn in the normal state
constexpr int dmDrawCentre = 4; // the centre piece is drawn

// The bitmap the pixels of an image record lie in: its own, else the skin's master bitmap;
// null when the record has no manager or there is no such bitmap.
const TBitmap32* MaskSourceBitmap(const TsSkinModel& Sm, const TsMaskData& Mask);

// The state frame of a border mask drawn over R of Bmp, cut into corners, edges and centre.
// CI is the background behind R; with UpdateCorners and a CornerType above 0 the key pixels of
// the corner pieces take the parent's pixels.
void PaintMaskBorders(const TsSkinModel& Sm, TBitmap32& Bmp, TRect R, bool UpdateCorners, int State,
                      const TsMaskData& Mask, const TCacheInfo& CI);

// PaintMaskBorders over the whole of Bmp (the control's size) that also collects, as one-row
// rectangles, every run of key-colour pixels of the four corner pieces: the pixels a control
// cuts out of its window region.
void PaintMaskBordersWithRegion(const TsSkinModel& Sm, TBitmap32& Bmp, std::vector<TRect>& Cut,
                                bool UpdateCorners, int State, const TsMaskData& Mask);

// The state frame of an image with its top-left corner at P; parts left of or above 0 are
// skipped. Mode 1 draws it normally, any other Mode fainter.
void DrawMaskImage(const TsSkinModel& Sm, TBitmap32& Bmp, TPoint P, int State, const TCacheInfo& CI,
                   const TsMaskData& Mask, int Mode);

// Appends the fully transparent pixels of the top (or with Bottom, the bottom) corners of the
// first frame of a border mask, placed for a window Width pixels wide with the band's first row
// at Y, one rectangle per run of a row: the left corner's runs first, then the right one's.
void AddTransparentCornerRects(const TsSkinModel& Sm, std::vector<TRect>& Rects, int Width,
                               const TsMaskData& Mask, bool Bottom, int Y);

// Side modes of PaintNineSlice.
constexpr int nsTile = 0;
constexpr int nsStretch = 1;

// An opaque nine-slice copy of SrcR of Src over R of Dst. Margins cut source and target into
// corners, edges and centre; Limits narrow the corners to L shapes. EdgeModes are for the left,
// top, right and bottom edges; a CentreMode other than tile or stretch draws no centre.
void PaintNineSlice(TBitmap32& Dst, const TBitmap32& Src, TRect R, bool DrawCentre, int CentreMode,
                    const int EdgeModes[4], TRect Limits, TRect Margins, TRect SrcR);

// The corner bits of RepaintBorderCorners.
constexpr int bcTopLeft = 1;
constexpr int bcBottomLeft = 2;
constexpr int bcTopRight = 4;
constexpr int bcBottomRight = 8;

// Redraws the selected corner pieces of a border mask's state frame into the corners of a
// control's cached face Cache over a new background: the parent's image (BG, a ready record
// whose offset is that of the control's top-left corner) or its colour (BG not ready). A mask
// without frames but with an image of its own is taken as three masked frames over its image.
void RepaintCornersOver(const TsSkinModel& Sm, TBitmap32& Cache, int State, int Corners,
                        const TsMaskData& Mask, const TCacheInfo& BG);

// The pixel work of a control's border frame, drawn into its cache Cache. Colour is the
// control's background colour for the state, BG the parent's background behind the control
// (its offset already that of the control's top-left corner in the parent's image; not ready:
// only the colour is known). With a border mask (Mask not null) the area under the mask bands
// is prepared from BG, the mask drawn, and ClientR set to R without the bands; ExtraWidth > 0
// then fills the frame between the bands and ExtraWidth with the colour and ClientR becomes R
// shrunk by ExtraWidth. Without a mask only the ExtraWidth frame is filled and ClientR is set
// to R shrunk by ExtraWidth. ClientR is always set.
void PaintBorderFrameInto(const TsSkinModel& Sm, TBitmap32& Cache, TRect R, int ExtraWidth,
                          TRect& ClientR, int State, const TsMaskData* Mask, TColor Colour,
                          const TCacheInfo& BG);

#ifdef _WIN32
// PaintMaskBordersWithRegion that removes the key pixels of the corners from Region (an HRGN
// of the control's window, in its coordinates).
void PaintMaskBordersWithRegion(const TsSkinModel& Sm, TBitmap32& Bmp, void* Region,
                                bool UpdateCorners, int State, const TsMaskData& Mask);
#endif
