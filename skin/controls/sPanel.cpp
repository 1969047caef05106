// The skinned panel.
#include "skin/controls/sPanel.h"

#include <algorithm>
#include <optional>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/controls/sVclUtils.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// The bevel each default section stands for, and back.
const char* SectionOfBevel(TBevelCut Bevel) {
  switch (Bevel) {
  case bvNone: return "CHECKBOX";
  case bvLowered: return "PANEL_LOW";
  case bvRaised: return "PANEL";
  default: return nullptr;
  }
}

void CopyFrom(HDC Dst, const TRect& R, HDC Src, int SX, int SY) {
  if (!R.IsEmpty()) CopyToScreen(Dst, R.Left, R.Top, R.Width(), R.Height(), Src, SX, SY);
}

} // namespace

TsPanel::TsPanel(TComponent* AOwner) : TPanel(AOwner) {
  FCommonData = std::make_unique<TsCtrlSkinData>(this, true);
  FCommonData->COC = 51;
  FCommonData->Loaded();
}

TsPanel::~TsPanel() = default;

bool TsPanel::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name.compare(0, 9, "SkinData.") == 0) return FCommonData->ReadProperty(Name.substr(9), Value);
  return TPanel::ReadProperty(Name, Value);
}

void TsPanel::Loaded() {
  TPanel::Loaded();
  FCommonData->Loaded();
  FOldBevel = BevelOuter;
}

void TsPanel::CreateParams(TCreateParams& Params) {
  TPanel::CreateParams(Params);
  // The cache copy leaves out only window-less children; windowed ones clip themselves out.
  Params.Style |= WS_CLIPCHILDREN;
}

bool TsPanel::Ready() const {
  return HandleAllocated() && !IsLoading() && !IsDestroying() && Parent();
}

bool TsPanel::CachedWay() const {
  return (FCommonData->NeedsOwnCache() && !FCommonData->CustomColor()) || AnimationCapturing;
}

TRect TsPanel::CaptionRect() const {
  TRect R{0, 0, Width(), Height()};
  int Inset = FrameInset();
  R.Inflate(-Inset, -Inset);
  return R;
}

void TsPanel::RedrawNow() {
  if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
}

void TsPanel::Invalidate() {
  FollowBevel();
  TPanel::Invalidate();
}

void TsPanel::FollowBevel() {
  if (BevelOuter == FOldBevel) return;
  const char* Old = SectionOfBevel(FOldBevel);
  const char* New = SectionOfBevel(BevelOuter);
  // A section the user chose stays; bvSpace stands for no section.
  if (Old && New && FCommonData->SkinSection() == Old) FCommonData->SetSkinSection(New);
  FOldBevel = BevelOuter;
}

// ---------------------------------------------------------------------------------------------
// Painting

void TsPanel::PaintWindow(HDC DC) {
  if (!FCommonData->Skinned()) {
    TPanel::PaintWindow(DC);
    if (OnPaint) OnPaint(this, DC);
  }
  OurPaint(DC, true);
}

void TsPanel::OurPaint(HDC DC, bool SendUpdated) {
  TsCommonData& D = *FCommonData;
  if (!Showing() || !D.Skinned()) return;
  std::optional<TClientDC> Own;
  if (!DC) {
    if (!HandleAllocated()) return;
    Own.emplace(Handle());
    DC = *Own;
  }
  if (CachedWay())
    PaintCached(DC);
  else
    PaintFast(DC);
  if (SendUpdated && !(D.CtrlSkinState & cssPrintDC)) RepaintPendingChildren(this);
}

void TsPanel::PaintCached(HDC DC) {
  TsCommonData& D = *FCommonData;
  RECT Clip{};
  if (GetClipBox(DC, &Clip) == NULLREGION || IsRectEmpty(&Clip)) return;
  // A pending update marks the state, so that the resume notice repaints the panel.
  if (D.CheckUpdating()) return;
  bool Stale = D.HalfVisible || D.BGChanged;
  if (D.RepaintIfMoved())
    D.HalfVisible = Clip.right - Clip.left < Width() || Clip.bottom - Clip.top < Height();
  if (Stale && !D.UrgentPainting && !PrepareCache()) return;
  TRect All{0, 0, Width(), Height()};
  CopyCacheExceptChildren(this, D, All, 0, 0, false, DC, All);
  PaintGraphicChildren(DC, this, true);
}

void TsPanel::PaintFast(HDC DC) {
  TsCommonData& D = *FCommonData;
  const TsGeneralData& S = *D.Section();
  D.FUpdating = false;
  TRect All{0, 0, Width(), Height()};
  int B = D.MaxBorderWidth();
  {
    TSavedDC Saved(DC);
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* C = Controls(i);
      if (C->Visible() && !dynamic_cast<TWinControl*>(C))
        ExcludeClipRect(DC, C->Left(), C->Top(), C->Left() + C->Width(), C->Top() + C->Height());
    }
    TBackgroundInfo Info;
    if (D.CustomColor()) {
      Info.Kind = bkColor;
      Info.Color = ColorToRGB(Color());
    } else {
      QueryParentBackground(Info, Parent(), false);
      if (Info.Kind == bkNotReady) {
        D.FUpdating = true;
        return;
      }
    }
    int T = S.Transparency;
    // The border bands from the cache, rendered over the parent's background at the panel's
    // current size.
    // The bands are rendered again only when the face is out of date or the size changed.
    auto RenderBorder = [&]() -> HDC {
      TBitmap32* Cache = D.CacheBmp();
      bool Fits = Cache && Cache->Width() == Width() && Cache->Height() == Height();
      if (!Fits || D.BGChanged) {
        D.PrepareCacheBmp();
        TRect ClientR;
        PaintBorderFrame(nullptr, All, 0, ClientR, 0, D);
        GdiFlush();
      }
      return static_cast<HDC>(D.CacheBmp()->NativeDC());
    };
    auto CopyBands = [&](HDC Cache) {
      TRect Strips[4];
      FrameStrips(All, B, B, B, B, Strips);
      for (const TRect& Strip : Strips)
        CopyFrom(DC, Strip, Cache, Strip.Left, Strip.Top);
    };
    if (T != 100 || Info.Kind != bkImage || !Info.Bmp) {
      TColor ParentC = Info.Kind == bkColor ? ColorToRGB(Info.Color) : ::ParentColor(Parent());
      TColor Fill = D.CustomColor() ? ColorToRGB(Color())
                    : T <= 0        ? ColorToRGB(S.Color)
                    : T >= 100      ? ParentC
                                    : BlendColors(ParentC, S.Color, T / 100.0);
      if (B == 0) {
        FillSolid(DC, All, Fill);
      } else if (HDC Cache = RenderBorder()) {
        const TsMaskData* Mask = D.BorderMask();
        if ((T >= 100 && !Mask) || (Mask && (Mask->DrawMode & dmDrawCentre))) {
          CopyFrom(DC, All, Cache, 0, 0);
        } else {
          TRect Inside = All;
          Inside.Inflate(-B, -B);
          if (!Inside.IsEmpty()) FillSolid(DC, Inside, Fill);
          CopyBands(Cache);
        }
      }
    } else if (!D.GetUpdating()) {
      HDC ParentDC = static_cast<HDC>(Info.Bmp->NativeDC());
      int X = Info.Offset.X + Left(), Y = Info.Offset.Y + Top();
      if (B == 0) {
        CopyFrom(DC, All, ParentDC, X, Y);
      } else if (HDC Cache = RenderBorder()) {
        TRect Inside = All;
        Inside.Inflate(-B, -B);
        CopyFrom(DC, Inside, ParentDC, X + B, Y + B);
        CopyBands(Cache);
      }
    }
    {
      TSelectObject SelectedFont(DC, Font().Handle());
      SetBkMode(DC, TRANSPARENT);
      WriteText(CaptionRect(), DC);
    }
    if (OnPaint) OnPaint(this, DC);
    D.BGChanged = false;
  }
  PaintGraphicChildren(DC, this, true);
}

bool TsPanel::PrepareCache() {
  TsCommonData& D = *FCommonData;
  if (!D.NeedsOwnCache() && !AnimationCapturing) return true;
  D.PrepareCacheBmp();
  TBitmap32& Cache = *D.CacheBmp();
  if (Cache.IsEmpty()) return false;
  int State = D.IsActive() ? 1 : 0;
  if (!PaintSectionOnParent(D, this, D.Texture, D.HotTexture, true, &Cache, {Left(), Top()},
                            Cache.BoundsRect(), State))
    return false;
  HDC CacheDC = static_cast<HDC>(Cache.NativeDC());
  if (!CacheDC) return false;
  {
    TSelectObject SelectedFont(CacheDC, Font().Handle());
    SetBkMode(CacheDC, TRANSPARENT);
    WriteText(CaptionRect(), CacheDC);
  }
  if (OnPaint) OnPaint(this, CacheDC);
  GdiFlush();
  D.BGChanged = false;
  return true;
}

void TsPanel::WriteText(TRect R, HDC DC) {
  if (!DC || !ShowCaption) return;
  std::wstring Text = Caption();
  if (Text.empty()) return;
  TSelectObject SelectedFont(DC, Font().Handle());
  UINT Horizontal = TextAlignFlags(this, Alignment) & (DT_LEFT | DT_CENTER | DT_RIGHT);
  if (VerticalAlignment == taVerticalCenter) {
    RECT M{R.Left, R.Top, R.Right, R.Bottom};
    DrawTextW(DC, Text.c_str(), int(Text.size()), &M, Horizontal | DT_CALCRECT | DT_WORDBREAK);
    int TextHeight = M.bottom - M.top;
    R.Top = (R.Height() - TextHeight) / 2 + BorderWidth;
    R.Bottom = R.Top + TextHeight;
    DrawSkinText(DC, Text, Enabled(), false, *FCommonData, Horizontal | DT_WORDBREAK, R);
  } else {
    UINT Flags = (TextAlignFlags(this, Alignment) & ~(DT_WORDBREAK | DT_VCENTER)) | DT_SINGLELINE;
    if (VerticalAlignment == taAlignBottom) Flags |= DT_BOTTOM;
    DrawSkinText(DC, Text, Enabled(), false, *FCommonData, Flags, R);
  }
}

// ---------------------------------------------------------------------------------------------
// Messages

void TsPanel::HandleSkinCommand(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  bool Ours = Message.LParam == LPARAM(D.SkinManager());
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    // The panel knows its new section before its children ask it about their background.
    if (Ours) CommonSkinCommand(Message, &D);
    BroadcastToChildren(this, Message);
    return;
  case KV_SKINDROPPED:
    if (Ours) {
      CommonSkinCommand(Message, &D);
      D.Invalidate();
    }
    BroadcastToChildren(this, Message);
    return;
  case KV_REPAINTSKIN:
    if (Ours) {
      CommonSkinCommand(Message, &D);
      if (OnPaint) D.CtrlSkinState &= uint16_t(~cssPlainFace);
    }
    // The children stop waiting first, so that the redraw below reaches all of them.
    BroadcastToChildren(this, Message);
    if (Ours && HandleAllocated() && !IsLoading() && Visible())
      RedrawWindow(Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return;
  case KV_ISSKINNED: Message.Result = 1; return;
  case KV_QUERYBACKGROUND: {
    auto* Info = reinterpret_cast<TBackgroundInfo*>(Message.LParam);
    if (!Info || !D.Skinned()) return;
    D.FillBackgroundInfo(*Info, D.FFocused || D.FMouseAbove);
    Message.Result = 1;
    if (Info->Kind == bkColor || Info->Kind == bkNotReady) return;
    TBitmap32* Cache = D.CacheBmp();
    bool CacheFits = Cache && Cache->Width() == Width() && Cache->Height() == Height();
    TWinControl* P = Parent();
    if (D.BGChanged && !CacheFits && !D.FUpdating &&
        (!P || !P->HandleAllocated() || WindowAnswers(P->Handle(), KV_ISSKINNED))) {
      Info->Kind = bkNotReady;
    } else if (ClientRect().Width() < Width() && Info->Kind == bkImage && !Info->PleaseDraw) {
      Info->Offset.X += FrameInset();
      Info->Offset.Y += FrameInset();
    }
    return;
  }
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return;
  default: break;
  }
  if (Ready() && D.Skinned()) {
    switch (SkinCommandCode(Message.WParam)) {
    case KV_RESUMEPAINT:
      if (D.FUpdating) {
        if (!D.CheckUpdating(true)) {
          RedrawNow();
          RepaintPendingChildren(this);
        }
      } else {
        RepaintPendingChildren(this);
      }
      return;
    case KV_ISSUSPENDED: {
      TBitmap32* Cache = D.CacheBmp();
      if (D.FUpdating)
        Message.Result = 1;
      else if (Cache && Cache->Width() == Width() && Cache->Height() == Height())
        Message.Result = 0;
      else
        Message.Result = D.NeedsOwnCache() && !D.CustomColor();
      return;
    }
    case KV_CLEARBGCHANGED:
      if (!PrepareCache()) D.FUpdating = true;
      return;
    default: break;
    }
  }
  CommonSkinCommand(Message, &D);
}

void TsPanel::WndProc(TMessage& Message) {
  if (Message.Msg == KV_SKINMSG) {
    HandleSkinCommand(Message);
    return;
  }
  TsCommonData& D = *FCommonData;
  if (Ready() && D.Skinned() && HandleSkinned(Message)) return;
  if (CommonWndProc(Message, &D)) return;
  TPanel::WndProc(Message);
}

bool TsPanel::HandleSkinned(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  auto CommonThenDefault = [&] {
    if (!CommonWndProc(Message, &D)) TPanel::WndProc(Message);
  };
  switch (Message.Msg) {
  case WM_ERASEBKGND: {
    HDC DC = msg::TEraseBkgnd(Message).DC;
    if (LPARAM(DC) != Message.LParam) {
      D.FUpdating = D.GetUpdating();
      FErasePainted = !CachedWay() && !D.FUpdating;
      if (FErasePainted) OurPaint(DC, true);
    } else if (DC) {
      if (D.BGChanged) PrepareCache();
      TRect All{0, 0, Width(), Height()};
      TBitmap32* Cache = D.CacheBmp();
      if (CachedWay() && Cache && !Cache->IsEmpty())
        CopyFrom(DC, All, static_cast<HDC>(Cache->NativeDC()), 0, 0);
      else
        FillSolid(DC, All, TColor(SendSkinCommand(Handle(), KV_QUERYCOLOR, clFuchsia)));
    }
    msg::TEraseBkgnd::SetErased(Message);
    return true;
  }
  case WM_PAINT: {
    if (!Visible()) return false;
    HDC Given = msg::TPaint(Message).DC;
    std::optional<TPaintDC> Paint;
    HDC DC = Given;
    if (!DC) {
      Paint.emplace(Handle());
      DC = *Paint;
    }
    // The face is painted while erasing in the fast way; when the erase found the panel in
    // the cached way (its plain state was decided in between) the paint does it.
    if (CachedWay()) {
      if (!D.CheckUpdating()) OurPaint(DC, true);
    } else if (!ParentBackground || !FErasePainted) {
      OurPaint(DC, true);
    }
    FErasePainted = false;
    Message.Result = 0;
    return true;
  }
  case WM_PRINT: {
    D.FUpdating = false;
    if (!CachedWay() && !D.CacheBmp()) D.PrepareCacheBmp();
    PrepareCache();
    OurPaint(reinterpret_cast<HDC>(Message.WParam), false);
    return true;
  }
  case WM_SIZE:
    D.BGChanged = true;
    CommonThenDefault();
    if (D.BGChanged) D.Invalidate();
    return true;
  case WM_WINDOWPOSCHANGING:
    if (D.Section()->Transparency != 0) D.BGChanged = true;
    return false;
  case WM_WINDOWPOSCHANGED:
    CommonThenDefault();
    if (D.BGChanged) D.Invalidate();
    return true;
  case WM_SETFONT:
    CommonThenDefault();
    if (!Caption().empty()) {
      D.BGChanged = true;
      D.Invalidate();
    }
    return true;
  case WM_SETFOCUS:
  case WM_KILLFOCUS: TPanel::WndProc(Message); return true;
  case CM_VISIBLECHANGED:
    D.BGChanged = true;
    D.FUpdating = false;
    if (!Visible()) return false;
    PrepareCache();
    CommonThenDefault();
    RepaintPendingChildren(this);
    return true;
  case CM_COLORCHANGED:
    if (D.CustomColor()) D.BGChanged = true;
    return false;
  case CM_TEXTCHANGED: D.Invalidate(); return true;
  case CM_ENABLEDCHANGED:
    CommonThenDefault();
    D.Invalidate();
    return true;
  default: return false;
  }
}
