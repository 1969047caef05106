// The shared skin message handling of controls and the window helpers around it.
#include "skin/controls/sVclUtils.h"

#include <uxtheme.h>

#include <algorithm>

#include "base/GdiObjects.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

bool AnimationCapturing = false;
bool HideCacheOnHide = false;
bool GraphicChildrenPainting = false;
std::function<void()> EndAllFades;

bool& FadesForbidden() {
  static bool Forbidden = false;
  return Forbidden;
}

int& RunningFades() {
  static int Count = 0;
  return Count;
}

namespace {

bool Ours(const TMessage& Message, const TsCommonData& Data) {
  return Message.LParam == LPARAM(Data.SkinManager());
}

bool CanTakeFocus(TWinControl* W) {
  return W && W->HandleAllocated() && W->Enabled() && W->Showing();
}

void RedrawWhole(TWinControl* W) {
  if (W && W->HandleAllocated())
    RedrawWindow(W->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

// Sets the owner's colour to the colour of state record St when it differs.
void TakeStateColor(TsCommonData& Data, int St, bool InvalidateWindow) {
  const TsGeneralData* S = Data.Section();
  TControl* C = Data.OwnerControl();
  if (!S || !C || Data.CustomColor()) return;
  TColor Wanted = S->Props[size_t(std::clamp(St, 0, 1))].Color;
  if (C->Color() == Wanted) return;
  C->SetColor(Wanted);
  if (InvalidateWindow) RedrawWhole(dynamic_cast<TWinControl*>(C));
}

void SendToChildren(TWinControl* W, uint16_t Code, LPARAM LParam = 0, uint16_t Flag = 0) {
  if (!W) return;
  for (int i = 0; i < W->ControlCount(); ++i) {
    TControl* C = W->Controls(i);
    if (!C->IsDestroying()) SendSkinCommandTo(C, Code, LParam, Flag);
  }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Skin commands

bool CommonSkinCommand(TMessage& Message, TsCommonData* SkinData) {
  if (!SkinData || Message.Msg != KV_SKINMSG) return false;
  TsCommonData& D = *SkinData;
  TControl* Owner = D.OwnerControl();
  auto* WOwner = dynamic_cast<TWinControl*>(Owner);
  uint16_t Flag = SkinCommandFlag(Message.WParam);
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    if (Ours(Message, D)) {
      D.UpdateIndexes();
      D.UpdatePlainState(false);
    }
    return false;
  case KV_SKINDROPPED:
    if (!Ours(Message, D)) return false;
    if (TsSkinManager* M = D.SkinManager(); M && M->IsDestroying() && D.ManagerStored())
      D.SetSkinManager(nullptr);
    D.BorderIndex = D.SkinIndex = D.Texture = D.HotTexture = -1;
    D.FUpdating = true;
    D.EmptyCache();
    if (Owner && IsEditKind(D.COC)) {
      if (!D.CustomColor()) Owner->SetColor(clWindow);
      if (!D.CustomFont()) Owner->Font().SetColor(clWindowText);
      if (WOwner && WOwner->HandleAllocated())
        SetWindowPos(WOwner->Handle(), nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (WOwner) {
      for (int i = 0; i < WOwner->ControlCount(); ++i)
        if (auto* L = dynamic_cast<TLabel*>(WOwner->Controls(i))) L->Font().SetColor(clWindowText);
    }
    return false;
  case KV_REPAINTSKIN:
    if (Ours(Message, D)) {
      D.BGChanged = true;
      D.FUpdating = false;
      D.SyncColors(true);
      D.UpdatePlainState(false);
    }
    return false;
  case KV_RESUMEPAINT:
    if (D.FUpdating && WOwner) {
      if (!D.CheckUpdating(true) && WOwner->HandleAllocated())
        RedrawWindow(WOwner->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
      RepaintPendingChildren(WOwner);
    }
    return false;
  case KV_ISSKINNED: Message.Result = 1; return true;
  case KV_SETSUSPENDED: D.FUpdating = Flag == 1; return false;
  case KV_SETURGENT: D.UrgentPainting = Flag == 1; return false;
  case KV_ISSUSPENDED: Message.Result = D.BGChanged || D.FUpdating; return true;
  case KV_ISHALFVISIBLE: Message.Result = D.HalfVisible; return true;
  case KV_SECTIONCHANGED:
    if (TsSkinManager* M = D.SkinManager(); M && D.SkinSection() == M->ChangedSection())
      D.Invalidate();
    return false;
  case KV_ASSIGNSECTION:
    if (Message.LParam)
      D.SetSkinSection(reinterpret_cast<const TkvSectionInfo*>(Message.LParam)->Name);
    return false;
  case KV_MARKBGCHANGED: D.BGChanged = true; return false;
  case KV_ISPARENTDEPENDENT: {
    const TsGeneralData* S = D.Section();
    if (!S) return false;
    if (S->Transparency > 0 && Owner && Owner->Parent())
      Message.Result = D.ParentHalfVisible() & 0x7F;
    else if (S->GradientPercent + S->ImagePercent > 0 || D.RepaintIfMoved())
      Message.Result = 1;
    else
      Message.Result = D.BorderMask() && (D.BorderMask()->DrawMode & 4) ? 1 : 0;
    return true;
  }
  case KV_INVALIDATEMOVED: {
    bool B = D.RepaintIfMoved();
    D.BGChanged = D.BGChanged || B;
    if (WOwner) {
      if (Flag == 1 && WOwner->HandleAllocated())
        RedrawWindow(WOwner->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_NOERASE | RDW_NOINTERNALPAINT | RDW_ALLCHILDREN);
      if (B) SendToChildren(WOwner, KV_INVALIDATEMOVED);
    }
    return false;
  }
  case KV_QUERYCOLOR: {
    TColor Own = Owner ? Owner->Color() : D.OwnerColor();
    TWinControl* Parent = Owner ? Owner->Parent() : nullptr;
    auto ParentColour = [Parent, Own] { return Parent ? ParentColor(Parent) : ColorToRGB(Own); };
    Message.Result = LRESULT(QueryColorOf(D.Skinned() ? D.Section() : nullptr, Own, ParentColour));
    return true;
  }
  case KV_MARKHALFVISIBLE: D.HalfVisible = true; return false;
  case KV_CLEARBGCHANGED: D.BGChanged = false; return false;
  case KV_QUERYSECTIONINDEX:
    if (Message.LParam) reinterpret_cast<TkvSectionInfo*>(Message.LParam)->SkinIndex = D.SkinIndex;
    return true;
  case KV_DROPCACHE:
    if (D.CacheBmp()) {
      if (WOwner)
        for (int i = 0; i < WOwner->ControlCount(); ++i)
          if (auto* W = dynamic_cast<TWinControl*>(WOwner->Controls(i)); W && W->HandleAllocated())
            SendSkinCommand(W->Handle(), KV_DROPCACHE);
      D.EmptyCache();
      D.BGChanged = true;
      D.FUpdating = true;
    }
    return false;
  case KV_QUERYBACKGROUND:
    if (Message.LParam)
      D.FillBackgroundInfo(*reinterpret_cast<TBackgroundInfo*>(Message.LParam),
                           D.FFocused || D.FMouseAbove);
    return true;
  case KV_QUERYSKINSTATE:
    if (Message.LParam == 1)
      D.UpdatePlainState(true);
    else if ((D.CtrlSkinState & cssPlainMask) == cssUndecided)
      D.UpdatePlainState(false);
    Message.Result = D.CtrlSkinState;
    return true;
  case KV_QUERYSKINDATA: Message.Result = LRESULT(static_cast<TsHoverState*>(&D)); return true;
  case KV_SETPRINTDC:
    D.PrintDC = reinterpret_cast<HDC>(Message.LParam);
    if (D.PrintDC)
      D.CtrlSkinState |= cssPrintDC;
    else
      D.CtrlSkinState &= uint16_t(~cssPrintDC);
    return true;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return false;
  default: return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Window messages

bool CommonWndProc(TMessage& Message, TsCommonData* SkinData) {
  if (!SkinData) return false;
  if (Message.Msg == KV_SKINMSG) return CommonSkinCommand(Message, SkinData);
  TsCommonData& D = *SkinData;
  TControl* Owner = D.OwnerControl();
  if (!Owner) return false;
  auto* W = dynamic_cast<TWinControl*>(Owner);
  switch (Message.Msg) {
  case WM_MOVE:
    if (D.RepaintIfMoved()) {
      D.BGChanged = true;
      SendSkinCommandTo(Owner, KV_INVALIDATEMOVED, 0, 1);
    }
    D.RemoveGlow();
    break;
  case WM_SIZE:
    if (D.Skinned()) {
      D.BGChanged = true;
      if (W && D.Section()->GradientPercent > 0) SendToChildren(W, KV_INVALIDATEMOVED, 0, 1);
    }
    D.RemoveGlow();
    break;
  case WM_SETFOCUS:
    if (CanTakeFocus(W)) {
      D.BGChanged = true;
      D.FFocused = true;
      if (D.Skinned() && IsEditKind(D.COC) && D.Section()->States >= 2) TakeStateColor(D, 1, false);
      RedrawWhole(W);
    }
    break;
  case WM_KILLFOCUS:
    if (CanTakeFocus(W)) {
      D.BGChanged = true;
      D.FFocused = false;
      if (D.Skinned() && IsEditKind(D.COC) && !D.FMouseAbove) TakeStateColor(D, 0, false);
      RedrawWhole(W);
    }
    break;
  case WM_FONTCHANGE:
  case CM_ENABLEDCHANGED:
    D.FMouseAbove = false;
    D.FFocused = false;
    if (!Owner->Enabled()) D.RemoveGlow();
    break;
  case WM_UPDATEUISTATE:
    if (D.Skinned()) return true;
    if (W && W->HandleAllocated() && IsAppThemed()) SetWindowTheme(W->Handle(), L"", L"");
    break;
  case WM_PARENTNOTIFY:
    if (W && LOWORD(Message.WParam) == WM_CREATE) NotifyFormOfChild(Owner);
    break;
  case CM_VISIBLECHANGED:
    if (HideCacheOnHide && !Owner->IsDestroying() && D.CacheBmp()) {
      if (Owner->Visible()) {
        D.FUpdating = false;
      } else {
        D.EmptyCache();
        if (W) SendToChildren(W, KV_DROPCACHE);
      }
      D.BGChanged = true;
    }
    break;
  case CM_MOUSEENTER:
    if (Owner->IsDesigning() || !D.Skinned()) break;
    if (W) {
      if (!IsContainerKind(D.COC)) D.FMouseAbove = true;
      TsSkinManager* M = D.SkinManager();
      if (M && M == DefaultManager && W->HandleAllocated()) M->SetActiveControl(W->Handle());
      if (!IsNoGlowKind(D.COC)) D.UpdateGlow(false);
      if (IsEditKind(D.COC) && D.Section() && D.Section()->States >= 2) {
        D.BGChanged = true;
        TakeStateColor(D, 1, true);
        if (W->HandleAllocated()) SendMessageW(W->Handle(), WM_NCPAINT, 1, 0);
      }
    } else if (!IsContainerKind(D.COC)) {
      D.FMouseAbove = true;
    }
    break;
  case CM_MOUSELEAVE:
    if (Owner->IsDesigning() || !D.Skinned()) break;
    if (!IsContainerKind(D.COC)) D.FMouseAbove = false;
    if (!IsNoGlowKind(D.COC)) D.RemoveGlow();
    if (IsEditKind(D.COC)) {
      if (!D.FFocused) TakeStateColor(D, 0, true);
      if (Owner->Visible()) {
        D.BGChanged = true;
        if (W && W->HandleAllocated()) SendMessageW(W->Handle(), WM_NCPAINT, 1, 0);
      }
    }
    break;
  case CM_SHOWINGCHANGED:
    if (Owner->Visible()) D.Loaded();
    break;
  default: break;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Copying caches

namespace {

// Copies the cache to DstR of DC with the clip narrowed by LeaveOut (which excludes what the
// copy must not cover); the DC is restored afterwards.
template <class F>
void CopyCacheClipped(TsCommonData& SkinData, TRect SrcR, bool RepairCorners, HDC DC, TRect DstR,
                      F&& LeaveOut) {
  TBitmap32* Cache = SkinData.CacheBmp();
  if (!Cache || Cache->IsEmpty() || !DC) return;
  if (RepairCorners)
    RepaintBorderCorners(SkinData, 0, bcTopLeft | bcBottomLeft | bcTopRight | bcBottomRight);
  HDC Src = static_cast<HDC>(Cache->NativeDC());
  if (!Src) return;
  TSavedDC Saved(DC);
  IntersectClipRect(DC, DstR.Left, DstR.Top, DstR.Right, DstR.Bottom);
  LeaveOut();
  CopyToScreen(DC, DstR.Left, DstR.Top, DstR.Width(), DstR.Height(), Src, SrcR.Left, SrcR.Top);
}

} // namespace

void CopyCacheExceptChildren(TWinControl* Control, TsCommonData& SkinData, TRect SrcR, int OffY,
                             int OffX, bool RepairCorners, HDC DC, TRect DstR) {
  CopyCacheClipped(SkinData, SrcR, RepairCorners, DC, DstR, [&] {
    if (Control)
      for (int i = 0; i < Control->ControlCount(); ++i) {
        TControl* C = Control->Controls(i);
        if (!C->Visible()) continue;
        TRect B = C->BoundsRect().Offsetted(OffX, OffY);
        if (B.Intersected(DstR).IsEmpty()) continue;
        // Windowed children are clipped by the window system (the panel has WS_CLIPCHILDREN);
        // window-less ones are painted over this copy afterwards.
        ExcludeClipRect(DC, B.Left, B.Top, B.Right, B.Bottom);
      }
  });
}

void CopyCacheExceptChildWindows(HWND Wnd, TsCommonData& SkinData, TRect SrcR, int OffY, int OffX,
                                 bool RepairCorners, HDC DC, TRect DstR) {
  CopyCacheClipped(SkinData, SrcR, RepairCorners, DC, DstR, [&] {
    for (HWND Child = Wnd ? GetWindow(Wnd, GW_CHILD) : nullptr; Child;
         Child = GetWindow(Child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(Child)) continue;
      RECT WR;
      GetWindowRect(Child, &WR);
      MapWindowPoints(nullptr, Wnd, reinterpret_cast<POINT*>(&WR), 2);
      TRect B = TRect{WR.left, WR.top, WR.right, WR.bottom}.Offsetted(OffX, OffY);
      LONG Style = GetWindowLongW(Child, GWL_STYLE);
      LONG ExStyle = GetWindowLongW(Child, GWL_EXSTYLE);
      wchar_t Class[16] = {};
      GetClassNameW(Child, Class, 16);
      bool GroupBox = _wcsicmp(Class, L"BUTTON") == 0 && (Style & 7) == BS_GROUPBOX &&
                      !(ExStyle & WS_EX_CLIENTEDGE);
      if (!GroupBox) {
        ExcludeClipRect(DC, B.Left, B.Top, B.Right, B.Bottom);
        continue;
      }
      int Top = int(SendSkinCommand(Child, KV_QUERYCAPTIONHEIGHT));
      int L = 0, T = 0, R = 0, Bt = 0;
      if (DefaultManager) {
        const TsSkinModel& Sm = DefaultManager->Model();
        int Mask = Sm.GetMaskIndex("GROUPBOX", "BORDERSMASK");
        if (ValidMask(&Sm, Mask)) {
          const TsMaskData& M = Sm.ma[size_t(Mask)];
          L = M.WL;
          T = M.WT;
          R = M.WR;
          Bt = M.WB;
        }
      }
      Top = std::max(Top, T);
      ExcludeClipRect(DC, B.Left, B.Top, B.Right, B.Top + Top);
      ExcludeClipRect(DC, B.Left, B.Top, B.Left + L, B.Bottom);
      ExcludeClipRect(DC, B.Right - R, B.Top, B.Right, B.Bottom);
      ExcludeClipRect(DC, B.Left, B.Bottom - Bt, B.Right, B.Bottom);
    }
  });
}

// ---------------------------------------------------------------------------------------------
// Window-less children

void PaintGraphicChildren(HDC DC, TWinControl* Parent, bool OnlyIfVisible, TPoint Offset) {
  if (GraphicChildrenPainting || !Parent || !DC) return;
  if (OnlyIfVisible && !Parent->Visible() && !Parent->IsDesigning()) return;
  if (Parent->ControlCount() == 0) return;
  struct TBusy {
    TBusy() { GraphicChildrenPainting = true; }
    ~TBusy() { GraphicChildrenPainting = false; }
  } Busy;
  RECT Clip{};
  if (GetClipBox(DC, &Clip) <= NULLREGION || IsRectEmpty(&Clip)) {
    SendSkinCommandTo(Parent, KV_MARKHALFVISIBLE);
    return;
  }
  TRect ClipR{Clip.left, Clip.top, Clip.right, Clip.bottom};
  TBackgroundInfo BG;
  QueryParentBackground(BG, Parent, false);
  // One off-screen bitmap serves every call; it only grows.
  static std::unique_ptr<TBitmap32> Scratch;
  TBitmap32* Off = nullptr;
  std::vector<TControl*> Painted;
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* C = Parent->Controls(i);
    if (dynamic_cast<TWinControl*>(C) || C->IsDestroying()) continue;
    if (!C->Visible() && !C->IsDesigning()) continue;
    if (C->Width() <= 0 || C->Height() <= 0) continue;
    TRect B = C->BoundsRect().Offsetted(Offset.X, Offset.Y);
    if (B.Intersected(ClipR).IsEmpty() && !RectVisible(DC, reinterpret_cast<const RECT*>(&B)))
      continue;
    if (!Off) {
      int W = std::max(Parent->Width(), 1), H = std::max(Parent->Height(), 1);
      try {
        if (!Scratch || Scratch->Width() < W || Scratch->Height() < H)
          Scratch = NewBitmap32(std::max(W, Scratch ? Scratch->Width() : 0),
                                std::max(H, Scratch ? Scratch->Height() : 0));
      } catch (...) {
        return;
      }
      Off = Scratch.get();
    }
    // The background under the child.
    TRect Under = C->BoundsRect().Intersected({0, 0, Parent->Width(), Parent->Height()});
    if (BG.Kind == bkImage && BG.Bmp) {
      TRect From = Under.Offsetted(BG.Offset.X, BG.Offset.Y).Intersected(BG.Bmp->BoundsRect());
      CopyPixels(*Off, From.Left - BG.Offset.X, From.Top - BG.Offset.Y, *BG.Bmp, From);
    } else {
      FillPixels32(*Off, Under, ColorToRGB(BG.Color));
      if (BG.Bmp && !BG.Bmp->IsEmpty()) {
        TRect Strips[4];
        FrameStrips(BG.Bmp->BoundsRect(), BG.FillRect.Left, BG.FillRect.Top, BG.FillRect.Right,
                    BG.FillRect.Bottom, Strips);
        for (const TRect& S : Strips) {
          TRect Part = S.Intersected(Under);
          if (!Part.IsEmpty()) CopyPixels(*Off, Part.Left, Part.Top, *BG.Bmp, Part);
        }
      }
    }
    HDC OffDC = static_cast<HDC>(Off->NativeDC());
    if (!OffDC) return;
    if (!RectVisible(DC, reinterpret_cast<const RECT*>(&B)))
      SendSkinCommandTo(C, KV_MARKHALFVISIBLE);
    try {
      TSavedDC Saved(OffDC);
      SetViewportOrgEx(OffDC, C->Left(), C->Top(), nullptr);
      IntersectClipRect(OffDC, 0, 0, C->Width(), C->Height());
      C->Perform(WM_PAINT, WPARAM(OffDC), 0);
    } catch (...) {
      // A child that fails to paint leaves its background.
    }
    GdiFlush();
    Painted.push_back(C);
  }
  if (!Off) return;
  HDC OffDC = static_cast<HDC>(Off->NativeDC());
  for (TControl* C : Painted) {
    int PX = std::clamp(C->Left(), 0, Off->Width() - 1);
    int PY = std::clamp(C->Top(), 0, Off->Height() - 1);
    if ((Off->Pixel(PX, PY) & 0xFFFFFF) == (clFuchsia & 0xFFFFFF)) continue;
    CopyToScreen(DC, C->Left() + Offset.X, C->Top() + Offset.Y, C->Width(), C->Height(), OffDC,
                 C->Left(), C->Top());
  }
}

// ---------------------------------------------------------------------------------------------
// Helpers

void RepaintPendingChildren(TWinControl* Control) {
  if (!Control || Control->IsDesigning() || AnimationCapturing) return;
  for (int i = 0; i < Control->ControlCount(); ++i) {
    TControl* C = Control->Controls(i);
    if (C->IsDestroying()) continue;
    if (auto* W = dynamic_cast<TWinControl*>(C)) {
      if (W->HandleAllocated() && W->Showing()) SendSkinCommand(W->Handle(), KV_RESUMEPAINT);
    } else {
      SendSkinCommandTo(C, KV_RESUMEPAINT);
    }
  }
}

void RepaintPendingChildWindows(HWND Wnd) {
  for (HWND Child = Wnd ? GetWindow(Wnd, GW_CHILD) : nullptr; Child;
       Child = GetWindow(Child, GW_HWNDNEXT))
    if (GetWindowLongW(Child, GWL_STYLE) & WS_CHILD) SendSkinCommand(Child, KV_RESUMEPAINT);
}

TForm* ParentFormOf(TControl* Control) {
  for (TControl* C = Control; C; C = C->Parent())
    if (auto* F = dynamic_cast<TForm*>(C)) return F;
  return nullptr;
}

void NotifyFormOfChild(TControl* Control) {
  if (!Control || Control->IsDesigning() || Control->IsLoading()) return;
  if (TForm* F = ParentFormOf(Control->Parent()))
    SendSkinCommandTo(F, KV_CONTROLADDED, LPARAM(Control));
}

bool CanRedraw(const TControl* Control) {
  if (!Control || Control->IsLoading() || Control->IsDestroying() || !Control->Parent())
    return false;
  if (auto* W = dynamic_cast<const TWinControl*>(Control); W && !W->HandleAllocated()) return false;
  return true;
}

UINT TextAlignFlags(const TControl* Control, int Alignment) {
  UINT Flags = DT_VCENTER | DT_EXPANDTABS;
  switch (Alignment) {
  case taRightJustify: Flags |= DT_RIGHT; break;
  case taCenter: Flags |= DT_CENTER; break;
  default: Flags |= DT_LEFT; break;
  }
  (void)Control; // the program's controls read left to right
  return Flags;
}

void ClientRectInWindow(HWND Wnd, TRect& R) {
  RECT W{}, C{};
  GetWindowRect(Wnd, &W);
  GetClientRect(Wnd, &C);
  POINT P{0, 0};
  ClientToScreen(Wnd, &P);
  R = {P.x - W.left, P.y - W.top, P.x - W.left + C.right, P.y - W.top + C.bottom};
}

int AlignedExtent(const TWinControl* Parent, TAlign Align, bool IncludeGraphic) {
  int Sum = 0;
  if (!Parent) return 0;
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    TControl* C = Parent->Controls(i);
    if (!C->Visible() || C->Align() != Align) continue;
    if (!IncludeGraphic && !dynamic_cast<TWinControl*>(C)) continue;
    Sum += Align == alTop || Align == alBottom   ? C->Height()
           : Align == alLeft || Align == alRight ? C->Width()
                                                 : 0;
  }
  return Sum;
}

HWND TopLevelWindow(HWND Wnd) {
  HWND Result = Wnd;
  while (Result && GetParent(Result))
    Result = GetParent(Result);
  return Result;
}

TForm* FormOfMenu(TComponent* Component) {
  for (TComponent* C = Component; C; C = C->Owner())
    if (auto* F = dynamic_cast<TForm*>(C)) return F;
  return nullptr;
}
