// Painting of one skin section in one state.
#include "skin/paint/kvSkinItems.h"

#include <algorithm>

#include "skin/data/sMaskData.h"
#include "skin/pixels/kvGradients.h"
#include "skin/pixels/kvKeyedCopies.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// Texture modes with a layout of their own.
constexpr int tmTile = 0, tmStretch = 1, tmTopRow = 2, tmLeftColumn = 3, tmTopStretch = 4,
              tmLeftStretch = 5, tmBottomRow = 6, tmRightColumn = 7, tmWholeTiles = 10;

bool RectInside(const TRect& R, const TBitmap32& Bmp) {
  return R.Left >= 0 && R.Top >= 0 && R.Right <= Bmp.Width() && R.Bottom <= Bmp.Height() &&
         !R.IsEmpty();
}

int ClampedState(int State, const TsGeneralData& G) {
  return std::max(0, std::min(State, G.States - 1));
}

TCacheInfo Shifted(TCacheInfo CI, TPoint P) {
  CI.X += P.X;
  CI.Y += P.Y;
  return CI;
}

// Tiles SrcR of Src over Area of Dst with the tile grid starting at (X0, Y0) (at or left of and
// above Area's corner); pieces are cut to Area.
void TileInto(TBitmap32& Dst, const TRect& Area, int X0, int Y0, const TBitmap32& Src,
              const TRect& SrcR) {
  int tw = SrcR.Width(), th = SrcR.Height();
  if (tw <= 0 || th <= 0 || Area.IsEmpty()) return;
  TRect A = Area.Intersected(Dst.BoundsRect());
  if (A.IsEmpty()) return;
  // Start with the grid cell that holds A's corner.
  int FirstX = X0 + std::max(0, (A.Left - X0) / tw) * tw;
  int FirstY = Y0 + std::max(0, (A.Top - Y0) / th) * th;
  for (int y = FirstY; y < A.Bottom; y += th)
    for (int x = FirstX; x < A.Right; x += tw) {
      TRect Piece = Bounds(x, y, tw, th).Intersected(A);
      if (Piece.IsEmpty()) continue;
      CopyPixels(Dst, Piece.Left, Piece.Top, Src,
                 Bounds(SrcR.Left + Piece.Left - x, SrcR.Top + Piece.Top - y, Piece.Width(),
                        Piece.Height()));
    }
}

// Stretches SrcR of Src over DstR of Bmp, drawing only the part inside Clip: a band of a tile's
// size may be larger than the rectangle it lies in.
void StretchClipped(TBitmap32& Bmp, const TRect& DstR, const TRect& Clip, const TBitmap32& Src,
                    const TRect& SrcR) {
  TRect Visible = DstR.Intersected(Clip);
  if (Visible.IsEmpty()) return;
  if (Visible == DstR) {
    StretchCopy(Bmp, DstR, Src, SrcR);
    return;
  }
  TBitmap32 Band(DstR.Width(), DstR.Height());
  StretchCopy(Band, Band.BoundsRect(), Src, SrcR);
  CopyPixels(
      Bmp, Visible.Left, Visible.Top, Band,
      Bounds(Visible.Left - DstR.Left, Visible.Top - DstR.Top, Visible.Width(), Visible.Height()));
}

// Copies the parent's pixels behind Area: destination (x, y) takes CI's pixel at
// (x + CI.X, y + CI.Y) when CI is ready, else Area is filled with CI's colour.
void ParentInto(TBitmap32& Bmp, const TRect& Area, const TCacheInfo& CI) {
  if (Area.IsEmpty()) return;
  if (CI.Ready && CI.Bmp) {
    if (CI.Bmp != &Bmp)
      CopyPixels(Bmp, Area.Left, Area.Top, *CI.Bmp,
                 Bounds(Area.Left + CI.X, Area.Top + CI.Y, Area.Width(), Area.Height()));
  } else {
    FillPixels32(Bmp, Area, CI.FillColor, 255);
  }
}

// The values of a section in one state that its background is painted from.
struct TFillValues {
  TColor Color = clWhite;
  int Transp = 0;
  int ImgPct = 0;
  int GradPct = 0;
  int Tex = -1;
  bool IsPattern = false;
  const std::string* GradText = nullptr;
  const TsGradArray* Grad = nullptr;
  // The flat painter: no one-pass path, and its own rule for a plain fill.
  bool Flat = false;

  bool HasGradientText() const { return GradText && !GradText->empty() && Grad; }
};

// The opaque fill of a section: texture, gradient, colour, as far as their shares go.
void PaintSectionFill(const TsSkinModel& Sm, const TFillValues& V, TBitmap32& T, const TRect& R,
                      const TCacheInfo& CI) {
  int W = R.Width(), H = R.Height();
  int Sum = V.ImgPct + V.GradPct;
  bool TexIsImage = !V.IsPattern && Sm.IsValidImgIndex(V.Tex);
  if (!V.Flat && Sum == 100 && V.GradPct >= 1 && V.GradPct <= 99 && TexIsImage &&
      Sm.ma[V.Tex].DrawMode == 0 && V.Grad && !V.Grad->empty() &&
      ((*V.Grad)[0].Mode1 == gkVertical || (*V.Grad)[0].Mode1 == gkHorizontal)) {
    const TsMaskData& Img = Sm.ma[V.Tex];
    if (const TBitmap32* Src = MaskSourceBitmap(Sm, Img)) {
      PaintGradientTextured(T, R, *V.Grad, 255, V.ImgPct * 255 / 100, Img.R, *Src);
      return;
    }
  }

  bool Painted = false;
  if (V.ImgPct > 0) {
    TRect Left = R;
    if (V.IsPattern && V.Tex >= 0 && V.Tex < int(Sm.pa.size())) {
      PaintPatternTexture(Sm, T, Left, V.Tex);
      Painted = true;
    } else if (TexIsImage) {
      const TsMaskData& Img = Sm.ma[V.Tex];
      if (Img.MaskType != 0)
        PaintMaskedTexture(Sm, T, Left, CI, Img.DrawMode, Img);
      else
        PaintTexture(Sm, T, Left, Img);
      Painted = true;
    }
    if (Left.Right != -1) FillPixels32(T, Left, V.Color, 255);
  }

  if (V.GradPct > 0) {
    if (Painted) {
      TBitmap32 Tmp(W, H);
      if (V.HasGradientText())
        PaintGradient(Tmp, Tmp.BoundsRect(), *V.Grad);
      else
        FillPixels32(Tmp, Tmp.BoundsRect(), V.Color, 255);
      BlendRect(T, Tmp, std::clamp(V.ImgPct * 255 / 100, 0, 255), {R.Left, R.Top}, {0, 0, W, H});
    } else if (V.HasGradientText()) {
      PaintGradient(T, R, *V.Grad);
    } else {
      FillPixels32(T, R, V.Color, 255);
    }
  }

  if (Sum == 0) {
    TColor C = V.Color;
    // A parent known only by its colour shows through a plain section; an unknown parent
    // (fuchsia) is never mixed in.
    bool KnownColour = !CI.Ready && CI.FillColor != clFuchsia;
    if (V.Flat) {
      if (KnownColour && V.Transp == 100) C = CI.FillColor;
    } else if (KnownColour && V.Transp != 0 && V.Transp != 100) {
      C = BlendColors(CI.FillColor, V.Color, V.Transp / 100.0);
    }
    FillPixels32(T, R, C, 255);
  } else if (Sum < 100) {
    TintRect(T, R, Sum, V.Color);
  }
}

// The section's own values in the state record S.
TFillValues SectionValues(const TsSkinModel& Sm, int SkinIndex, const std::string& SectionName,
                          const TsGenState& S, int& Texture, TColor CustomColor) {
  TFillValues V;
  if (CustomColor != clFuchsia) {
    V.Color = CustomColor;
    return V;
  }
  V.Color = S.Color;
  V.Transp = std::clamp(S.Transparency, 0, 100);
  if (V.Transp == 100) return V;
  V.ImgPct = std::clamp(S.ImagePercent, 0, 100);
  V.GradPct = std::clamp(S.GradientPercent, 0, 100);
  if (V.ImgPct > 0) {
    if (Texture < 0) Texture = S.TextureIndex;
    if (Texture >= 0)
      V.Tex = Sm.IsValidImgIndex(Texture) && Sm.ma[Texture].MaskType == 0 ? Texture : -1;
    else
      V.Tex = Sm.GetMaskIndex(SkinIndex, SectionName, s_Pattern);
    if (!Sm.IsValidImgIndex(V.Tex)) {
      V.Tex = Sm.GetPatternIndex(SkinIndex, SectionName, s_Pattern);
      V.IsPattern = V.Tex > -1;
    }
  }
  if (V.GradPct != 0) {
    V.GradText = &S.GradientData;
    V.Grad = &S.GradientArray;
  }
  return V;
}

// The transparency step shared by the section painters: fills R of Bmp from V over what CI
// says about the parent.
void PaintOverParent(const TsSkinModel& Sm, const TFillValues& V, TBitmap32& Bmp, const TRect& R,
                     TPoint P, const TCacheInfo& CI) {
  int W = R.Width(), H = R.Height();
  bool HaveParentImage = CI.Ready && CI.Bmp && !CI.Bmp->IsEmpty();
  if (!CI.Ready && CI.FillColor == clFuchsia) {
    PaintSectionFill(Sm, V, Bmp, R, CI);
    return;
  }
  if (V.Transp == 0) {
    PaintSectionFill(Sm, V, Bmp, R, CI);
  } else if (V.Transp == 100) {
    if (HaveParentImage) {
      if (CI.Bmp != &Bmp)
        CopyPixels(Bmp, R.Left, R.Top, *CI.Bmp, Bounds(CI.X + P.X, CI.Y + P.Y, W, H));
    } else if (CI.Ready) {
      // Ready without an image: nothing is known to show through.
    } else if (CI.Bmp && !CI.Bmp->IsEmpty()) {
      // The parent's image holds only its border bands; between them lies its colour.
      const TBitmap32& PB = *CI.Bmp;
      TRect Q = Bounds(P.X, P.Y, W, H);
      int a = 0, b = 0, c = 0, e = 0;
      if (CI.FillRect.Left - CI.X > 0 && CI.FillRect.Left > Q.Left) {
        a = std::min(W, CI.FillRect.Left - Q.Left);
        CopyPixels(Bmp, R.Left, R.Top, PB, Bounds(CI.X + P.X, CI.Y + P.Y, a, H));
      }
      if (CI.FillRect.Top - CI.Y > 0 && CI.FillRect.Top > Q.Top) {
        b = std::min(H, CI.FillRect.Top - Q.Top);
        CopyPixels(Bmp, R.Left, R.Top, PB, Bounds(CI.X + P.X, CI.Y + P.Y, W, b));
      }
      if (CI.FillRect.Right > 0 && PB.Width() - CI.FillRect.Right < Q.Right) {
        c = std::min(W, Q.Right + CI.FillRect.Right - PB.Width());
        CopyPixels(Bmp, R.Right - c, R.Top, PB, Bounds(CI.X + Q.Right - c, CI.Y + P.Y, c, H));
      }
      if (CI.FillRect.Bottom > 0 && PB.Height() - CI.FillRect.Bottom < Q.Bottom) {
        e = std::min(H, Q.Bottom + CI.FillRect.Bottom - PB.Height());
        CopyPixels(Bmp, R.Left, R.Bottom - e, PB, Bounds(CI.X + P.X, CI.Y + Q.Bottom - e, W, e));
      }
      FillPixels32(Bmp, {R.Left + a, R.Top + b, R.Right - c, R.Bottom - e}, CI.FillColor, 255);
    } else {
      FillPixels32(Bmp, R, CI.FillColor, 255);
    }
  } else if (CI.Ready || V.GradPct + V.ImgPct != 0) {
    TBitmap32 Tmp(W, H);
    PaintSectionFill(Sm, V, Tmp, Tmp.BoundsRect(), CI);
    if (HaveParentImage) {
      if (CI.Bmp != &Bmp)
        CopyPixels(Bmp, R.Left, R.Top, *CI.Bmp, Bounds(CI.X + P.X, CI.Y + P.Y, W, H));
    } else if (!CI.Ready) {
      FillPixels32(Bmp, R, CI.FillColor, 255);
    }
    int Weight = int(RoundHalfEven(V.Transp * 2.55));
    BlendRect(Bmp, Tmp, Weight, {R.Left, R.Top}, {0, 0, W, H});
  } else {
    FillPixels32(Bmp, R, BlendColors(CI.FillColor, V.Color, V.Transp / 100.0), 255);
  }
}

// The corner images of a section at the corners of R.
void PaintCornerImages(const TsSkinModel& Sm, const TsGeneralData& G, TBitmap32& Bmp,
                       const TRect& R, int State) {
  const int Images[4] = {G.ImgTL, G.ImgTR, G.ImgBL, G.ImgBR};
  for (int i = 0; i < 4; ++i) {
    if (!Sm.IsValidImgIndex(Images[i])) continue;
    const TsMaskData& Img = Sm.ma[Images[i]];
    int fw = FrameWidth(Img), fh = FrameHeight(Img);
    TPoint At{i % 2 ? R.Right - fw : R.Left, i < 2 ? R.Top : R.Bottom - fh};
    DrawMaskImage(Sm, Bmp, At, State, NewCacheInfo(&Bmp, 0, 0), Img, 1);
  }
}

void ShiftTone(TBitmap32& Bmp, const TsSectionLook& Look) {
  if (Look.HUEOffset != 0) ShiftBitmapHue(Bmp, Look.HUEOffset);
  if (Look.Saturation != 0) ShiftBitmapSaturation(Bmp, Look.Saturation);
}

// What one painting of a whole section takes, in the one order the section painters share.
struct TSectionPaint {
  const TsSkinModel* Sm = nullptr;
  int SkinIndex = -1;
  const std::string* SectionName = nullptr; // finds textures by name
  int Texture = -1;
  int HotTexture = -1;
  TColor CustomColor = clFuchsia; // fuchsia: the section's own look
  const TCacheInfo* CI = nullptr; // the background behind the item, before P is added
  TBitmap32* Bmp = nullptr;
  TPoint P;
  TRect R;
  int State = 0;
  bool UpdateCorners = false;
  // The border mask goes under the corner images instead of over them.
  bool BorderFirst = false;
  // The hue and saturation shift of the whole bitmap; none when null.
  const TsSectionLook* Tone = nullptr;
};

bool CanPaintSection(const TsSkinModel* Sm, int SkinIndex, const TBitmap32* Bmp, const TRect& R) {
  return Bmp && Sm && Sm->IsValidSkinIndex(SkinIndex) && RectInside(R, *Bmp);
}

// The painting of a control's skin state: its section, textures and custom colour.
TSectionPaint LookPaint(const TsSkinModel* Sm, const TsSectionLook& Look, const TCacheInfo& CI,
                        TBitmap32* Bmp, TPoint P, TRect R, int State, bool UpdateCorners) {
  return {Sm,
          Look.SkinIndex,
          &Look.SkinSection,
          Look.Texture,
          Look.HotTexture,
          Look.CustomColor ? ColorToRGB(Look.OwnerColor) : clFuchsia,
          &CI,
          Bmp,
          P,
          R,
          State,
          UpdateCorners};
}

// Background, corner images and border mask in the order A asks for, then A's colour tone.
void PaintSectionItem(const TSectionPaint& A) {
  if (!CanPaintSection(A.Sm, A.SkinIndex, A.Bmp, A.R)) return;
  const TsSkinModel& Sm = *A.Sm;
  TBitmap32& Bmp = *A.Bmp;
  const TsGeneralData& G = Sm.gd[A.SkinIndex];
  const int State = ClampedState(A.State, G);
  PaintSectionBackground(A.SkinIndex, *A.SectionName, *A.CI, State, A.R, A.P, Bmp, A.Sm, A.Texture,
                         A.HotTexture, A.CustomColor);
  // A border mask flagged so is not drawn in the normal state.
  const bool Border = Sm.IsValidImgIndex(G.BorderIndex) &&
                      !(State == 0 && (Sm.ma[G.BorderIndex].DrawMode & dmSkipNormal));
  if (!A.BorderFirst) PaintCornerImages(Sm, G, Bmp, A.R, State);
  if (Border)
    PaintMaskBorders(Sm, Bmp, A.R, A.UpdateCorners, State, Sm.ma[G.BorderIndex],
                     Shifted(*A.CI, A.P));
  if (A.BorderFirst) PaintCornerImages(Sm, G, Bmp, A.R, State);
  // Without a drawn border a transparent section already shows the parent's shifted pixels.
  if (A.Tone && (Border || G.Props[std::min(State, 1)].Transparency == 0)) ShiftTone(Bmp, *A.Tone);
}

} // namespace

void PaintSectionBackground(int SkinIndex, const std::string& SectionName, const TCacheInfo& CI,
                            int State, TRect R, TPoint P, TBitmap32& Bmp, const TsSkinModel* Sm,
                            int Texture, int HotTexture, TColor CustomColor) {
  if (!Sm || !Sm->IsValidSkinIndex(SkinIndex) || !RectInside(R, Bmp)) return;
  const TsGeneralData& G = Sm->gd[SkinIndex];
  State = std::min(ClampedState(State, G), 1);
  TFillValues V = SectionValues(*Sm, SkinIndex, SectionName, G.Props[State], Texture, CustomColor);
  PaintOverParent(*Sm, V, Bmp, R, P, CI);

  // A masked texture in whole tiles lies over the normal state's background.
  if (State != 0) return;
  int T = Texture != -1 ? Texture : HotTexture;
  if (!Sm->IsValidImgIndex(T)) return;
  const TsMaskData& Img = Sm->ma[T];
  if (Img.MaskType > 0 && Img.DrawMode == tmWholeTiles) {
    TRect Left = R;
    PaintMaskedTexture(*Sm, Bmp, Left, Shifted(CI, P), tmWholeTiles, Img);
  }
}

void PaintSection(const TsSkinModel* Sm, const TsSectionLook& Look, const TCacheInfo& CI,
                  bool UpdateCorners, int State, TBitmap32* Bmp, TPoint P, TRect R) {
  TSectionPaint A = LookPaint(Sm, Look, CI, Bmp, P, R, State, UpdateCorners);
  A.Tone = &Look;
  PaintSectionItem(A);
}

void PaintSectionByIndex(int SkinIndex, const std::string& SectionName, const TCacheInfo& CI,
                         int Texture, int HotTexture, const TsSkinModel* Sm, TBitmap32* Bmp,
                         TPoint P, TRect R, int State, bool UpdateCorners) {
  PaintSectionItem({Sm, SkinIndex, &SectionName, Texture, HotTexture, clFuchsia, &CI, Bmp, P, R,
                    State, UpdateCorners});
}

bool PaintSectionOnParentInfo(const TsSkinModel* Sm, const TsSectionLook& Look,
                              const TBackgroundInfo& Answer, bool& Updating, bool UpdateCorners,
                              TBitmap32* Bmp, TPoint P, TRect R, int State) {
  if (!CanPaintSection(Sm, Look.SkinIndex, Bmp, R)) return false;
  if (Answer.Kind == bkNotReady) {
    // Waits for the parent's resume notice, which repaints the controls marked so.
    Updating = true;
    return false;
  }
  const TCacheInfo CI = BackgroundToCacheInfo(Answer);
  TSectionPaint A = LookPaint(Sm, Look, CI, Bmp, P, R, State, UpdateCorners);
  A.BorderFirst = true;
  PaintSectionItem(A);
  return true;
}

void PaintTexture(const TsSkinModel& Sm, TBitmap32& Bmp, TRect& R, const TsMaskData& Img) {
  const TBitmap32* Src = MaskSourceBitmap(Sm, Img);
  if (!Src || R.IsEmpty()) return;
  if (Img.Bmp) {
    TileBitmap(Bmp, R, *Src);
    R = NothingLeft;
    return;
  }
  int tw = Img.R.Width(), th = Img.R.Height();
  if (tw <= 0 || th <= 0) return;
  const TRect& S = Img.R;
  switch (Img.DrawMode) {
  case tmTile: TileInto(Bmp, R, R.Left, R.Top, *Src, S); break;
  case tmStretch: StretchCopy(Bmp, R, *Src, S); break;
  case tmTopRow:
    TileInto(Bmp, {R.Left, R.Top, R.Right, std::min(R.Bottom, R.Top + th)}, R.Left, R.Top, *Src, S);
    R.Top += th;
    return;
  case tmLeftColumn:
    TileInto(Bmp, {R.Left, R.Top, std::min(R.Right, R.Left + tw), R.Bottom}, R.Left, R.Top, *Src,
             S);
    R.Left += tw;
    return;
  case tmTopStretch:
    StretchClipped(Bmp, {R.Left, R.Top, R.Right, R.Top + th}, R, *Src, S);
    R.Top += th;
    return;
  case tmLeftStretch:
    StretchClipped(Bmp, {R.Left, R.Top, R.Left + tw, R.Bottom}, R, *Src, S);
    R.Left += tw;
    return;
  case tmBottomRow:
    TileInto(Bmp, {R.Left, std::max(R.Top, R.Bottom - th), R.Right, R.Bottom}, R.Left,
             R.Bottom - th, *Src, S);
    R.Bottom -= th;
    return;
  case tmRightColumn:
    TileInto(Bmp, {std::max(R.Left, R.Right - tw), R.Top, R.Right, R.Bottom}, R.Right - tw, R.Top,
             *Src, S);
    R.Right -= tw;
    return;
  case tmWholeTiles:
    for (int y = R.Top; y + th <= R.Bottom; y += th)
      TileInto(Bmp, {R.Left, y, R.Right, y + th}, R.Left, y, *Src, S);
    break;
  default: return; // no layout: nothing drawn, nothing covered
  }
  R = NothingLeft;
}

void PaintPatternTexture(const TsSkinModel& Sm, TBitmap32& Bmp, TRect& R, int PatternIndex) {
  if (PatternIndex < 0 || PatternIndex >= int(Sm.pa.size()) || R.IsEmpty()) return;
  const TsPatternData& Pat = Sm.pa[PatternIndex];
  const TkvPictureReaders& Readers = SkinPictureReaders();
  if (!Pat.Img || !Readers.DrawJpeg || !Readers.JpegSize) return;
  TSize Size = Readers.JpegSize(*Pat.Img);
  if (Size.cx <= 0 || Size.cy <= 0) return;
  TBitmap32 Picture(Size.cx, Size.cy);
  Readers.DrawJpeg(*Pat.Img, Picture);
  TileBitmap(Bmp, R, Picture);
  R = NothingLeft;
}

void PaintMaskedTexture(const TsSkinModel& Sm, TBitmap32& Bmp, TRect& R, const TCacheInfo& CI,
                        int DrawMode, const TsMaskData& Img) {
  TRect Area = R.Intersected(Bmp.BoundsRect());
  R = NothingLeft;
  const TBitmap32* Src = MaskSourceBitmap(Sm, Img);
  if (!Src || Img.ImageCount <= 0 || Area.IsEmpty()) return;
  int fw = Img.R.Width() / Img.ImageCount, fh = Img.R.Height() / 2;
  // A tile of no size would never cover anything.
  if (fw <= 0 || fh <= 0) return;
  auto Tile = [&](int X, int Y, int W, int H) {
    CopyMasked(Bounds(X, Y, W, H), Bounds(Img.R.Left, Img.R.Top, W, H), Bmp, Img.R, true, CI, *Src);
  };
  if (DrawMode == tmTile) {
    for (int y = Area.Top; y < Area.Bottom; y += fh)
      for (int x = Area.Left; x < Area.Right; x += fw)
        Tile(x, y, std::min(fw, Area.Right - x), std::min(fh, Area.Bottom - y));
  } else if (DrawMode == tmWholeTiles) {
    int Cols = Area.Width() / fw, Rows = Area.Height() / fh;
    for (int j = 0; j < Rows; ++j)
      for (int i = 0; i < Cols; ++i)
        Tile(Area.Left + i * fw, Area.Top + j * fh, fw, fh);
    int XEnd = Area.Left + Cols * fw, YEnd = Area.Top + Rows * fh;
    ParentInto(Bmp, {XEnd, Area.Top, Area.Right, YEnd}, CI);
    ParentInto(Bmp, {Area.Left, YEnd, Area.Right, Area.Bottom}, CI);
  }
}

void PaintSectionFlat(int SkinIndex, TRect R, bool Hot, const TsSkinModel* Sm, TBitmap32& Bmp,
                      TPoint P, const TCacheInfo& CI, int Texture, int HotTexture) {
  if (!Sm || !Sm->IsValidSkinIndex(SkinIndex) || !RectInside(R, Bmp)) return;
  const TsGeneralData& G = Sm->gd[SkinIndex];
  TFillValues V;
  V.Flat = true;
  V.Color = Hot ? G.HotColor : G.Color;
  V.Transp = std::clamp(Hot ? G.HotTransparency : G.Transparency, 0, 100);
  V.GradPct = std::clamp(Hot ? G.HotGradientPercent : G.GradientPercent, 0, 100);
  V.ImgPct = std::clamp(Hot ? G.HotImagePercent : G.ImagePercent, 0, 100);
  V.GradText = Hot ? &G.HotGradientData : &G.GradientData;
  V.Grad = Hot ? &G.HotGradientArray : &G.GradientArray;
  V.Tex = Hot ? HotTexture : Texture;
  int W = R.Width(), H = R.Height();
  bool ParentImage = CI.Ready && CI.Bmp && !CI.Bmp->IsEmpty();
  if (V.Transp == 100 && ParentImage) {
    if (CI.Bmp != &Bmp)
      CopyPixels(Bmp, R.Left, R.Top, *CI.Bmp, Bounds(CI.X + P.X, CI.Y + P.Y, W, H));
  } else if (V.Transp > 0 && ParentImage) {
    TBitmap32 Tmp(W, H);
    PaintSectionFill(*Sm, V, Tmp, Tmp.BoundsRect(), CI);
    if (CI.Bmp != &Bmp)
      CopyPixels(Bmp, R.Left, R.Top, *CI.Bmp, Bounds(CI.X + P.X, CI.Y + P.Y, W, H));
    BlendRect(Bmp, Tmp, V.Transp * 255 / 100, {R.Left, R.Top}, {0, 0, W, H});
  } else {
    PaintSectionFill(*Sm, V, Bmp, R, CI);
  }
}

void PaintPartByIndex(int SkinIndex, int MaskIndex, int Texture, const TsSkinModel* Sm,
                      TBitmap32* Bmp, TPoint P, TRect R, int State, bool UpdateCorners,
                      const TCacheInfo& CI, int HotTexture) {
  if (!Bmp || !Sm || !Sm->IsValidSkinIndex(SkinIndex) || !RectInside(R, *Bmp)) return;
  State = ClampedState(State, Sm->gd[SkinIndex]);
  PaintSectionFlat(SkinIndex, R, State != 0, Sm, *Bmp, P, CI, Texture, HotTexture);
  if (Sm->IsValidImgIndex(MaskIndex))
    PaintMaskBorders(*Sm, *Bmp, R, UpdateCorners, State, Sm->ma[MaskIndex], Shifted(CI, P));
}

int PaintSectionByName(TBitmap32& Bmp, const std::string& SectionName, const std::string& AltName,
                       const TBitmap32* Source, TRect R, const TsSkinModel* Sm, int State) {
  if (!Sm || Bmp.IsEmpty()) return -1;
  int Index = Sm->GetSkinIndex(SectionName);
  if (!Sm->IsValidSkinIndex(Index)) Index = Sm->GetSkinIndex(AltName);
  if (!Sm->IsValidSkinIndex(Index)) return -1;
  TCacheInfo CI;
  if (Source) {
    CopyPixels(Bmp, 0, 0, *Source, R);
    CI = NewCacheInfo(&Bmp, 0, 0);
  }
  PaintSectionByIndex(Index, Sm->gd[Index].ClassName, CI, -1, -1, Sm, &Bmp, {0, 0},
                      Bmp.BoundsRect(), State, true);
  return Index;
}
