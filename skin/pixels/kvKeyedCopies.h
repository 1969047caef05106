// Copies of skin image pieces: key-colour copies, masked copies and stretches, alpha
// compositing and the restoring of keyed corners.
//
// A key pixel is one whose word is exactly 0x00FF00FF unless a Key parameter says otherwise.
// A mask is a gray image of the same frames lying MaskRows rows below the image: mask byte 0
// shows the image pixel, 255 leaves the background. Where a background (TCacheInfo) is given,
// key pixels may take the parent's pixel at (x + CI.X, y + CI.Y), x and y being destination
// coordinates: a parent pixel below or left of the parent bitmap leaves that pixel as it is,
// one right of or above it leaves the rest of the row as it is.
#pragma once

#include <cstdint>

#include "base/Bitmap32.h"
#include "skin/pixels/kvCacheInfo.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/kvResample.h"
#include "base/kvTypes.h"

// Copies the source rectangle SrcR of Src (exclusive, made a copied size at the entry) to
// (X, Y) of Dst. Key pixels (word Key) are treated by the background rules: with UseParent and
// a ready CI they take the parent's pixel (or, when Dst is CI's own bitmap, are skipped and the
// others get alpha 255); with a ready CI and no UseParent they are skipped; without a ready CI
// they become CI.FillColor (alpha 0).
void CopyKeyed(TBitmap32& Dst, const TBitmap32& Src, int X, bool UseParent, const TCacheInfo& CI,
               uint32_t Key, TRect SrcR, int Y);
// Copies all of Src to (X, Y), skipping pixels of the colour Key; copied pixels get alpha 255.
void DrawBitmapKeyed(TBitmap32& Dst, const TBitmap32& Src, int X, TColor Key, int Y);
// Copies SrcR (exclusive, made a copied size at the entry) to (X, Y), skipping pixels whose word
// equals Key; alpha copied.
void CopyKeyedPlain(TBitmap32& Dst, const TBitmap32& Src, int X, uint32_t Key, TRect SrcR, int Y);

// Copies the piece SrcR of a masked image region to DstR (the smaller size of the two). MaskR is
// the whole region (image above, mask below): the mask of a row lies MaskR.Height() div 2 below.
void CopyMasked(TRect DstR, TRect SrcR, TBitmap32& Dst, const TRect& MaskR, bool UseParent,
                const TCacheInfo& CI, const TBitmap32& Src);
// Stretches the piece (SrcX, SrcY, SrcW x SrcH) of Src with its mask MaskRows rows below (0: no
// mask) onto (XDest, YDest, WDest x HDest) of Dst. IsCentre marks the centre piece of a nine-
// slice, which is always filtered. Filtered pieces use the Mitchell filter, their mask
// MaskFilter (the right edge of alpha forms takes Hermite there).
void StretchMasked(int XDest, int YDest, int WDest, bool IsCentre, int MaskRows,
                   const TBitmap32& Src, TBitmap32& Dst, int SrcH, int SrcW, int SrcY, int SrcX,
                   int HDest, TResampleFilter MaskFilter = rfMitchell);
// Copies one frame SrcR of a masked image to DstR. The mask lies MaskR.Height() div
// (MaskType + 1) rows below; MaskType 0 means no mask (a plain keyed copy). Mode 1 blends by
// the mask; any other mode draws the image fainter.
void CopyMaskedImage(TRect DstR, TRect SrcR, TBitmap32& Dst, const TRect& MaskR, int MaskType,
                     int Mode, const TBitmap32& Src);

// Alpha-composites SrcR of a 32-bit image over DstR (the smaller size of the two).
void CopyAlpha32(TRect DstR, TRect SrcR, TBitmap32& Dst, bool UseParent, const TCacheInfo& CI,
                 const TBitmap32& Src);
// The same with Blend (0..100, extra transparency), a key word (NoKey: none), and with Reflect a
// fading mirrored copy of the lower source half below DstR.
void CopyAlpha32Ex(TRect DstR, TRect SrcR, TBitmap32& Dst, bool Reflect, int Blend, uint32_t Key,
                   bool UseParent, const TCacheInfo& CI, const TBitmap32& Src);

// The corner of a border mask frame that serves as the reference of RestoreKeyedCorner.
struct TCornerMask {
  const TBitmap32* Bmp = nullptr; // the bitmap the mask image lies in
  TPoint Origin;                  // top-left of the frame in Bmp
  int FrameWidth = 0;
  int FrameHeight = 0;
  int WR = 0; // right border width
  int WB = 0; // bottom border width
};

// Window hit-test codes of the corners, used to pick the corner of the reference.
constexpr int HTTOPLEFT_CORNER = 13;
constexpr int HTTOPRIGHT_CORNER = 14;
constexpr int HTBOTTOMLEFT_CORNER = 16;
constexpr int HTBOTTOMRIGHT_CORNER = 17;

// For every pixel of R copies the Src pixel (from SrcP on) into Dst where the reference pixel's
// low 24 bits are fuchsia. The reference is the Dst pixel itself when Mask is null, else the
// pixel at the same offset in the Corner of Mask.
void RestoreKeyedCorner(TBitmap32& Dst, const TBitmap32& Src, TRect R, int Corner,
                        const TCornerMask* Mask, TPoint SrcP);
