// The geometry and pixel work of the auxiliary windows around a skinned window, free of the
// platform: where the extended border window lies and what its region cuts out, the shadow
// template laid under the frame, the re-weighting of old skins' shadows, the mouse over the
// shadow, the stretch of a double-clicked border, and the outline of the border resize mode.
#pragma once

#include <cstdint>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

// Where the border window lies on the screen: the owner's window rectangle moved left by
// ExBorderWidth + shadow left - frame and up by shadow top + caption height - frame - the
// system's caption height, so that the client area of the image lies over the owner's client
// area; the size is the image's. CaptionHeight is the owner's title height with the extended
// title (the skin's title height, or the taller one of a maximized window).
TRect ExBorderPlacement(const TRect& OwnerWindow, const TRect& Shadow, int ExBorderWidth,
                        int CaptionHeight, int SysFrame, int SysCaption, TSize Image);

// The rectangle of the border window (in its coordinates) that the owner's client area covers
// and its region leaves out: from the client offset, of the client size. While the owner is
// being resized to NewWidth x NewHeight (0: not that side), the client grows or shrinks by the
// same amount, never below what MinSize (0: none) leaves for the client.
TRect ExBorderClientCut(TPoint ClientOffset, TSize Client, TSize Window, int NewWidth,
                        int NewHeight, TSize MinSize);

// The part of the border window a maximized owner keeps: the image shrunk by frame +
// ExBorderWidth and the shadow margins on the left, right and bottom, and by shadow top + 4 at
// the top (the frame parts that lie beyond the monitor are cut).
TRect ExBorderMaximizedLimit(TSize Image, const TRect& Shadow, int SysFrame, int ExBorderWidth);

// The nine-slice margins of the shadow template: of the skin's extended-border image, its band
// widths less ExContentOffs (ExContentOffs on every side with a draw mode), else the built-in
// images' DefaultMargin on every side. A negative margin counts as 0.
TRect ShadowTemplateMargins(bool HasExBorderImage, const TRect& BandWidths, int ExContentOffs,
                            int ExDrawMode, int DefaultMargin);

// Lays the template SrcR of Template, as a nine-slice image with Margins (corners copied,
// edges and centre stretched), under the pixels of Image: each pixel of Image is kept where it
// is opaque and shows the shadow through where it is not (straight alpha, "over" with the image
// on top). A template or image of no pixels changes nothing.
void ComposeShadowUnder(TBitmap32& Image, const TBitmap32& Template, TRect SrcR, TRect Margins);

// The re-weighting of semi-transparent pixels that shadows of skins older than 7.51 need where
// the system blends them too faintly: with D the largest difference between two colour
// channels, a pixel with alpha below 255 and D > 0 has every channel lowered by channel div 16
// and alpha raised to min(255, round(A + (510 - 2A) / sqrt(255 / D))). Others stay.
uint32_t ReweightedShadowPixel(uint32_t Pixel);
void ReweightShadowPixels(TBitmap32& Image);

// Premultiplies the colour of every pixel by its alpha, rounding to nearest (c * a / 255):
// what a layered window takes. Dst gets Src's size.
void PremultipliedCopy(TBitmap32& Dst, const TBitmap32& Src);

// Whether point P of the border window (its coordinates; Size is its size) lies over the
// shadow: outside the window shrunk by the shadow margins minus ShadowOffs. Never for a
// zoomed owner.
bool PointAboveTheShadow(TPoint P, TSize Size, const TRect& Shadow, int ShadowOffs, bool Zoomed);

// The owner's rectangle after a double click on a border of the border window: stretched to
// the work area's width (Horizontal) or height, minus the margins the border window adds around
// the owner on those sides (Margins: left, top, right, bottom).
TRect StretchedToWorkArea(const TRect& Window, const TRect& WorkArea, const TRect& Margins,
                          bool Horizontal);

// The outline of the border resize mode for hit code HitCode (HTCAPTION moves the whole
// rectangle by Delta; a border code moves its edge or the two edges of its corner; any other
// code the bottom-right corner), never narrower or lower than MinSize (0: no limit, but never
// below 0): a clamped edge stops where the limit is reached.
TRect OutlineDragRect(int HitCode, const TRect& Start, TPoint Delta, TSize MinSize);
