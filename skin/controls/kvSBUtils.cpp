// Window adapters and skinned non-client scroll bars.
#include "skin/controls/kvSBUtils.h"

#include <algorithm>
#include <optional>

#include <uxtheme.h>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/data/sMaskData.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/paint/sGlyphs.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/StdCtrls.h"

bool AdaptersInDialogMode = false;

namespace {

constexpr UINT_PTR HoverTimer = 0xFFF2;  // every 20 ms while the mouse is over a bar
constexpr UINT_PTR DelayTimer = 0xFFFD;  // once, 300 ms after a press
constexpr UINT_PTR RepeatTimer = 0xFFFE; // every 55 ms while an arrow or the track is held

// Switches a window's visual theme off, when the system uses themes.
void SwitchThemeOff(HWND Wnd) {
  if (IsAppThemed()) SetWindowTheme(Wnd, L" ", L" ");
}

TRect WindowRectOf(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  return {R.left, R.top, R.right, R.bottom};
}

TScrollSysMetrics SysScrollMetrics() {
  TScrollSysMetrics M;
  M.CXVScroll = GetSystemMetrics(SM_CXVSCROLL);
  M.CYHScroll = GetSystemMetrics(SM_CYHSCROLL);
  M.CXHScroll = GetSystemMetrics(SM_CXHSCROLL);
  return M;
}

// The one scroll interaction of the process: the bar under the mouse and the bar being
// pressed, named by window and bar index, never by pointer.
struct TScrollInteractionState {
  HWND HotWnd = nullptr;
  int HotBar = -1;
  int HotPortion = spNone;
  int PrevPortion = spNone;
  TRect HotRect;
  HWND PressedWnd = nullptr;
  int PressedBar = -1;
  int PressedPortion = spNone;
  bool ShownPressed = false;
  UINT ScrollMsg = 0;
  TScrollRepeat Repeat;
  // Dragging the thumb.
  TScrollBarGeometry Drag;
  int GrabOffset = 0;
  int LastPos = 0;
  int StartPos = 0;
};
TScrollInteractionState GScroll;

void ResetHot() {
  GScroll.HotWnd = nullptr;
  GScroll.HotBar = -1;
  GScroll.HotPortion = GScroll.PrevPortion = spNone;
}

void ResetPressed() {
  GScroll.PressedWnd = nullptr;
  GScroll.PressedBar = -1;
  GScroll.PressedPortion = spNone;
  GScroll.ShownPressed = false;
  GScroll.Repeat.Cancel();
}

const TsSkinModel* ModelOf(const TsCommonData* Data) {
  return Data ? Data->Model() : nullptr;
}

// 40 % of the face over 60 % of the parent's image (the face stays where the parent is
// fuchsia), or with a colour only, the weighted blend of weight 153 of 256.
void ApplyBarDisabledLook(TBitmap32& Bar, const TCacheInfo& CI) {
  if (CI.Ready && CI.Bmp && !CI.Bmp->IsEmpty()) {
    BlendKeyed(Bar, 0, 0, KeyPixel, 0.4, Bar.BoundsRect().Offsetted(CI.X, CI.Y), *CI.Bmp);
    return;
  }
  if (CI.FillColor == clFuchsia) return;
  TColor C = ColorToRGB(CI.FillColor);
  // The colour as a pixel (BGR in a TColor, RGB in a pixel).
  uint32_t Src = (uint32_t(GetRValue(C)) << 16) | (uint32_t(GetGValue(C)) << 8) | GetBValue(C);
  for (int y = 0; y < Bar.Height(); ++y)
    for (int x = 0; x < Bar.Width(); ++x) {
      uint32_t Old = Bar.Pixel(x, y);
      auto Ch = [&](int S) {
        int o = int((Old >> S) & 0xFF), s = int((Src >> S) & 0xFF);
        return uint32_t(((o - s) * 153 + s * 256) >> 8) << S;
      };
      Bar.Pixel(x, y) = (Old & 0xFF000000u) | Ch(16) | Ch(8) | Ch(0);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TkvMainWnd

TkvMainWnd::TkvMainWnd() : DlgMode(AdaptersInDialogMode) {}

TkvMainWnd::~TkvMainWnd() = default;

TkvMainWnd* TkvMainWnd::Of(HWND Wnd) {
  return dynamic_cast<TkvMainWnd*>(TWindowSubclass::FromHandle(Wnd));
}

TsSkinManager* TkvMainWnd::SkinManager() const {
  if (TsSkinManager* M = FManager.Get()) return M;
  return FSkinData ? FSkinData->SkinManager() : DefaultManager;
}

TWinControl* TkvMainWnd::OwnerControl() const {
  return FOwner.Get();
}

bool TkvMainWnd::SkinActive() const {
  TsSkinManager* M = SkinManager();
  return FSkinData && M && M->Active() && M->Model().SkinData.Active && FSkinData->Skinned();
}

bool TkvMainWnd::Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
                        TsCommonData* Data) {
  if (!IsWindow(Wnd) || TWindowSubclass::FromHandle(Wnd)) return false;
  if (Section != "DIALOG" && !DlgMode) SwitchThemeOff(Wnd);
  CtrlHandle = Wnd;
  FManager = Manager;
  FOwner = TWinControl::FromHandle(Wnd);
  if (!Data) {
    FOwnData = std::make_unique<TsCommonData>(FOwner.Get(), true);
    if (Manager) FOwnData->SetSkinManager(Manager);
    Data = FOwnData.get();
    OwnSkinData = true;
  }
  FSkinData = Data;
  if (FSkinData->SkinSection().empty() || FSkinData->SkinSection() == "UNKNOWN")
    FSkinData->SetSkinSection(Section);
  if (FSkinData->SkinIndex < 0) FSkinData->UpdateIndexes();
  SaveStdParams();
  int Length = GetWindowTextLengthW(Wnd);
  Caption.assign(size_t(std::max(0, Length)), L'\0');
  if (Length > 0) GetWindowTextW(Wnd, Caption.data(), Length + 1);
  if (!Attach(Wnd, shared_from_this())) return false;
  if (Repaint) RedrawFrame();
  return true;
}

void TkvMainWnd::Attached(HWND) {
  // The toolkit's own notifications go from control to control, not through the window:
  // they reach the adapter through the owning control's hook.
  if (TWinControl* C = FOwner.Get()) {
    FOwnerHook = C->AddWindowHook([Self = std::weak_ptr<TWindowSubclass>(shared_from_this())](
                                      TMessage& M, const TWndNext& Next) {
      auto Adapter = std::static_pointer_cast<TkvMainWnd>(Self.lock());
      if (!Adapter || !Adapter->TWindowSubclass::Attached() || M.Msg < CM_BASE ||
          M.Msg >= CN_BASE) {
        Next(M);
        return;
      }
      const TWndNext* Saved = Adapter->FNext;
      Adapter->FNext = &Next;
      try {
        Adapter->kvWndProc(M);
      } catch (...) {
        Adapter->FNext = Saved;
        throw;
      }
      Adapter->FNext = Saved;
    });
  }
}

void TkvMainWnd::Detaching() {
  Detached();
}

void TkvMainWnd::Detached() {
  if (Destroyed) return;
  Destroyed = true;
  if (TWinControl* C = FOwner.Get()) C->RemoveWindowHook(FOwnerHook);
  Release();
  if (!FRestored) {
    FRestored = true;
    RestoreStdParams();
  }
  if (FSkinData) FSkinData->RemoveGlow();
}

void TkvMainWnd::Destroy() {
  HWND Wnd = Handle();
  std::shared_ptr<TWindowSubclass> Keep =
      TWindowSubclass::Attached() ? shared_from_this() : nullptr;
  Detach();
  Detached();
  if (Wnd && IsWindow(Wnd) && IsWindowVisible(Wnd))
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TkvMainWnd::RedrawFrame() {
  HWND Wnd = CtrlHandle;
  if (Wnd && IsWindowVisible(Wnd))
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TkvMainWnd::SaveStdParams() {
  if (TWinControl* C = FOwner.Get()) {
    StdColor = C->Color();
    StdFontColor = C->Font().Color();
  }
}

void TkvMainWnd::RestoreStdParams() {
  TWinControl* C = FOwner.Get();
  if (!C || C->IsDestroying()) return;
  if (StdColor != clNone && C->Color() != StdColor) C->SetColor(StdColor);
  if (StdFontColor != clNone && C->Font().Color() != StdFontColor) C->Font().SetColor(StdFontColor);
}

void TkvMainWnd::RefreshGeometry() {
  HWND Wnd = CtrlHandle;
  WndRect = WindowRectOf(Wnd);
  WndSize = {WndRect.Width(), WndRect.Height()};
  ParentWnd = GetParent(Wnd);
  if (ParentWnd) {
    ParentRect = WindowRectOf(ParentWnd);
    POINT P{WndRect.Left, WndRect.Top};
    ScreenToClient(ParentWnd, &P);
    WndPos = {P.x, P.y};
  } else {
    ParentRect = {};
    WndPos = {WndRect.Left, WndRect.Top};
  }
}

void TkvMainWnd::WndProc(TMessage& Message) {
  kvWndProc(Message);
}

void TkvMainWnd::CallPrevWndProc(TMessage& Message) {
  if (FNext) {
    // A toolkit notification: the rest of the owning control's chain.
    const TWndNext* Next = FNext;
    FNext = nullptr;
    (*Next)(Message);
    FNext = Next;
    return;
  }
  CallDefault(Message);
}

LRESULT TkvMainWnd::CallPrevWndProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage M{Msg, WParam, LParam, 0};
  CallPrevWndProc(M);
  return M.Result;
}

void TkvMainWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = FSkinData;
  switch (Message.Msg) {
  case WM_DESTROY:
  case WM_NCDESTROY: {
    if (D) D->RemoveGlow();
    CallPrevWndProc(Message);
    if (Message.Result == 0) {
      Detach();
      Detached();
    }
    return;
  }
  case WM_UPDATEUISTATE: Message.Result = 0; return;
  case WM_SIZE:
    if (D) D->BGChanged = true;
    break;
  case WM_SETTEXT: {
    CallPrevWndProc(Message);
    int Length = GetWindowTextLengthW(CtrlHandle);
    Caption.assign(size_t(std::max(0, Length)), L'\0');
    if (Length > 0) GetWindowTextW(CtrlHandle, Caption.data(), Length + 1);
    return;
  }
  case WM_MOUSEMOVE:
    if (TsSkinManager* M = SkinManager(); M && IsWindowEnabled(CtrlHandle))
      M->SetActiveControl(CtrlHandle);
    break;
  case WM_PRINT:
    Message.Result = SendMessageW(CtrlHandle, WM_PAINT, Message.WParam, Message.LParam);
    return;
  default: break;
  }
  if (!D || !SkinActive() || Message.Msg != KV_SKINMSG) {
    CallPrevWndProc(Message);
    return;
  }
  const bool Own = Message.LParam == LPARAM(SkinManager());
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    if (!Own) break;
    D->UpdateIndexes();
    D->BGChanged = true;
    CallPrevWndProc(Message);
    return;
  case KV_SKINDROPPED:
    if (!Own) break;
    RestoreStdParams();
    CallPrevWndProc(Message);
    return;
  case KV_REPAINTSKIN:
    if (!Own) break;
    D->UpdateIndexes();
    D->BGChanged = true;
    D->FUpdating = false;
    if (IsWindowVisible(CtrlHandle)) SendMessageW(CtrlHandle, WM_PAINT, 0, 0);
    CallPrevWndProc(Message);
    return;
  case KV_RESUMEPAINT:
    if (D->FUpdating) {
      D->CheckUpdating(true);
      if (!D->FUpdating) {
        SendMessageW(CtrlHandle, WM_NCPAINT, 1, 0);
        RedrawWindow(CtrlHandle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      }
    }
    CallPrevWndProc(Message);
    return;
  case KV_ISSKINNED: Message.Result = 1; return;
  case KV_ISSUSPENDED: Message.Result = D->FUpdating ? 1 : 0; return;
  case KV_ASSIGNSECTION:
    if (auto* Info = reinterpret_cast<TkvSectionInfo*>(Message.LParam)) {
      D->SetSkinSection(Info->Name);
      D->UpdateIndexes();
    }
    return;
  case KV_QUERYCOLOR:
    CallPrevWndProc(Message);
    if (Message.Result == 0) Message.Result = LRESULT(ColorToRGB(D->ColorForState(0, CtrlHandle)));
    return;
  case KV_CLEARBGCHANGED: RenderWindowFace(*D, CtrlHandle, false); return;
  case KV_QUERYBACKGROUND:
    if (auto* Info = reinterpret_cast<TBackgroundInfo*>(Message.LParam)) {
      if (D->BGChanged) RenderWindowFace(*D, CtrlHandle, false);
      D->FillBackgroundInfo(*Info, 0, CtrlHandle);
    }
    return;
  case KV_QUERYSKINDATA: Message.Result = LRESULT(D); return;
  case KV_SETPRINTDC:
    if (Message.LParam) {
      D->CtrlSkinState |= 0x200;
      D->PrintDC = reinterpret_cast<HDC>(Message.LParam);
    } else {
      D->CtrlSkinState &= ~uint16_t(0x200);
      D->PrintDC = nullptr;
    }
    return;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return;
  default: break;
  }
  CallPrevWndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// The face of an adapted window

void RenderWindowFace(TsCommonData& Data, HWND Wnd, bool DlgMode) {
  if (!Data.BGChanged || !Wnd) return;
  const TsSkinModel* Sm = Data.Model();
  HWND Parent = GetParent(Wnd);
  TBackgroundInfo Info;
  if (Parent) {
    QueryWindowBackground(Info, Parent, false);
    if (Info.Kind == bkNotReady) {
      Data.FUpdating = true;
      return;
    }
  }
  TCacheInfo CI = BackgroundToCacheInfo(Info);
  if (Info.Kind != bkImage && CI.FillColor == clFuchsia && Parent)
    CI.FillColor = ColorToRGB(WindowColor(Parent));
  TRect WR = WindowRectOf(Wnd);
  Data.PrepareCacheBmp();
  TBitmap32* Cache = Data.CacheBmp();
  if (!Cache) return;
  if (Cache->Width() != WR.Width() || Cache->Height() != WR.Height())
    Cache->SetSize(WR.Width(), WR.Height());
  if (Cache->IsEmpty()) return;
  TColor Border = Sm ? Sm->Palette[pcBorder] : TColor(clFuchsia);
  if (DlgMode && Sm && ColorToRGB(Border) != clFuchsia) {
    TColor Window = GetSysColor(COLOR_WINDOW);
    auto Px = [](TColor C) {
      return 0xFF000000u | (uint32_t(GetRValue(C)) << 16) | (uint32_t(GetGValue(C)) << 8) |
             GetBValue(C);
    };
    Cache->Fill(Px(Window));
    uint32_t B = Px(ColorToRGB(Border));
    for (int x = 0; x < Cache->Width(); ++x)
      Cache->Pixel(x, 0) = Cache->Pixel(x, Cache->Height() - 1) = B;
    for (int y = 0; y < Cache->Height(); ++y)
      Cache->Pixel(0, y) = Cache->Pixel(Cache->Width() - 1, y) = B;
  } else if (Parent && Data.Section()) {
    POINT P{WR.Left, WR.Top};
    ScreenToClient(Parent, &P);
    const TsGeneralData* S = Data.Section();
    bool HotLook = S->States > 1 || (Data.BorderMask() && Data.BorderMask()->ImageCount > 1);
    int State = Data.IsActive() && HotLook ? 1 : 0;
    PaintSection(Data, CI, true, State, Cache, {P.x, P.y}, Cache->BoundsRect());
  }
  TControl* Owner = Data.OwnerControl();
  if (Owner && !Owner->Enabled() && Parent) {
    GdiFlush();
    uint8_t Kind = dkBlended;
    SendSkinCommand(Wnd, KV_QUERYDISABLEDLOOK, LPARAM(&Kind));
    POINT P{WR.Left, WR.Top};
    ScreenToClient(Parent, &P);
    ApplyDisabledLook(*Cache, Kind, {P.x, P.y}, CI, ColorToRGB(Data.ColorForState(0, Wnd)));
  }
  Data.BGChanged = false;
}

// ---------------------------------------------------------------------------------------------
// TkvScrollBar

TkvScrollBar::TkvScrollBar(TkvScrollWnd* Owner, TScrollBarKind Kind) : nBarType(Kind), sw(Owner) {
  ScrollInfo.cbSize = sizeof(ScrollInfo);
}

bool TkvScrollBar::ReadInfo() {
  SCROLLINFO New{};
  New.cbSize = sizeof(New);
  New.fMask = SIF_ALL;
  if (!sw || !GetScrollInfo(sw->CtrlHandle, nBarType == sbkHorizontal ? SB_HORZ : SB_VERT, &New)) {
    New = SCROLLINFO{};
    New.cbSize = sizeof(New);
  }
  bool Changed = New.nMin != ScrollInfo.nMin || New.nMax != ScrollInfo.nMax ||
                 New.nPage != ScrollInfo.nPage || New.nPos != ScrollInfo.nPos;
  ScrollInfo = New;
  return Changed;
}

TScrollInfo TkvScrollBar::Info() const {
  TScrollInfo I;
  I.nMin = ScrollInfo.nMin;
  I.nMax = ScrollInfo.nMax;
  I.nPage = ScrollInfo.nPage;
  I.nPos = ScrollInfo.nPos;
  return I;
}

bool TkvScrollBar::Disabled() const {
  if (!sw) return true;
  HWND Wnd = sw->CtrlHandle;
  LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  if (!(Style & (nBarType == sbkHorizontal ? WS_HSCROLL : WS_VSCROLL))) return true;
  if ((fScrollFlags & (sfFirstArrowDisabled | sfSecondArrowDisabled)) ==
      (sfFirstArrowDisabled | sfSecondArrowDisabled))
    return true;
  SCROLLBARINFO Sbi{};
  Sbi.cbSize = sizeof(Sbi);
  if (GetScrollBarInfo(Wnd, nBarType == sbkHorizontal ? OBJID_HSCROLL : OBJID_VSCROLL, &Sbi))
    return (Sbi.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0;
  return false;
}

// ---------------------------------------------------------------------------------------------
// TkvScrollWnd

TkvScrollWnd::TkvScrollWnd() = default;

TkvScrollWnd::~TkvScrollWnd() = default;

bool TkvScrollWnd::Create(HWND Wnd, bool Repaint, const std::string& Section,
                          TsSkinManager* Manager, TsCommonData* Data) {
  DontRepaint = false;
  CtrlHandle = Wnd;
  InitScroll(false);
  if (!TkvMainWnd::Create(Wnd, false, Section, Manager, Data)) return false;
  if (Repaint) RedrawFrame();
  return true;
}

void TkvScrollWnd::InitScroll(bool Repaint) {
  sBarHorz = std::make_unique<TkvScrollBar>(this, sbkHorizontal);
  sBarVert = std::make_unique<TkvScrollBar>(this, sbkVertical);
  sBarHorz->ReadInfo();
  sBarVert->ReadInfo();
  LONG Style = GetWindowLongW(CtrlHandle, GWL_STYLE);
  fLeftScrollbar = GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR;
  sBarHorz->fScrollFlags = (Style & WS_HSCROLL) ? sfHasStyle : 0;
  sBarVert->fScrollFlags = (Style & WS_VSCROLL) ? sfHasStyle : 0;
  bPreventStyleChange = false;
  if (Repaint) RedrawFrame();
}

void TkvScrollWnd::Release() {
  HWND Wnd = CtrlHandle;
  if (GScroll.HotWnd == Wnd) ResetHot();
  if (GScroll.PressedWnd == Wnd) ResetPressed();
  if (Wnd && IsWindow(Wnd)) {
    KillTimer(Wnd, HoverTimer);
    KillTimer(Wnd, DelayTimer);
    KillTimer(Wnd, RepeatTimer);
  }
  fThumbTracking = false;
}

TScrollBarMetrics TkvScrollWnd::BarMetrics(int Index) const {
  TkvScrollBar* B = Bar(Index);
  TScrollSysMetrics Sys = SysScrollMetrics();
  // The skin's arrow buttons give the arrow length to drawing and hit-testing alike.
  std::optional<int> SkinArrow;
  if (const TsSkinModel* Sm = ModelOf(SkinData()); Sm && SkinActive()) {
    const int Btn = Index == 0 ? Sm->ConstData.IndexScrollLeft : Sm->ConstData.IndexScrollTop;
    const int Mask = Index == 0 ? Sm->ConstData.MaskScrollLeft : Sm->ConstData.MaskScrollTop;
    if (Btn >= 0 && Btn < int(Sm->gd.size()) && Sm->gd[size_t(Btn)].ReservedBoolean && Mask >= 0 &&
        Mask < int(Sm->ma.size())) {
      const TsMaskData& M = Sm->ma[size_t(Mask)];
      SkinArrow = Index == 0 ? FrameWidth(M) : FrameHeight(M);
    }
  }
  return ScrollBarMetricsOf(Index == 0 ? sbkHorizontal : sbkVertical, B ? B->nArrowWidth : -1,
                            B ? B->nArrowLength : -1, Sys, SkinArrow);
}

TScrollFrame TkvScrollWnd::Frame() const {
  TScrollFrame F;
  F.cxLeftEdge = cxLeftEdge;
  F.cxRightEdge = cxRightEdge;
  F.cyTopEdge = cyTopEdge;
  F.cyBottomEdge = cyBottomEdge;
  F.LeftScrollbar = fLeftScrollbar;
  F.HVisible = sBarHorz && sBarHorz->fScrollVisible;
  F.VVisible = sBarVert && sBarVert->fScrollVisible;
  F.HThickness = BarMetrics(0).Thickness;
  F.VThickness = BarMetrics(1).Thickness;
  return F;
}

TScrollLayout TkvScrollWnd::ScrollLayout() const {
  return ::ScrollLayout(WindowRectOf(CtrlHandle), Frame());
}

TScrollBarGeometry TkvScrollWnd::BarGeometry(int Index) const {
  TScrollLayout L = ScrollLayout();
  TkvScrollBar* B = Bar(Index);
  TScrollBarMetrics M = BarMetrics(Index);
  return ScrollBarGeometry(Index == 0 ? sbkHorizontal : sbkVertical, Index == 0 ? L.HBar : L.VBar,
                           M.ArrowLength, B ? B->Info() : TScrollInfo{}, B ? B->nMinThumbSize : 10);
}

bool TkvScrollWnd::IsGripCorner() const {
  TScrollFrame F = Frame();
  TScrollLayout L = ::ScrollLayout(WindowRectOf(CtrlHandle), F);
  TScrollParent P;
  HWND Parent = GetParent(CtrlHandle);
  if (Parent && (GetWindowLongW(CtrlHandle, GWL_STYLE) & WS_CHILD)) {
    P.HasParent = true;
    P.ParentIsTopLevel = !(GetWindowLongW(Parent, GWL_STYLE) & WS_CHILD);
    RECT C{};
    GetClientRect(Parent, &C);
    MapWindowPoints(Parent, nullptr, reinterpret_cast<POINT*>(&C), 2);
    P.ParentClient = {C.left, C.top, C.right, C.bottom};
  }
  return ::IsGripCorner(L, F, P);
}

int TkvScrollWnd::ReadBars() {
  int Changed = 0;
  if (sBarHorz && sBarHorz->ReadInfo()) Changed |= 1;
  if (sBarVert && sBarVert->ReadInfo()) Changed |= 2;
  return Changed;
}

void TkvScrollWnd::RefreshBars() {
  HWND Wnd = CtrlHandle;
  if (!Wnd || !IsWindowVisible(Wnd) || (SkinData() && SkinData()->FUpdating)) return;
  // Only a bar whose information changed is drawn again: the looks of hover and press are
  // drawn where they change.
  if (int Changed = ReadBars(); Changed && !AnimationCapturing) PaintBars(nullptr, Changed);
}

void TkvScrollWnd::PaintBars(HDC Given, int Which) {
  HWND Wnd = CtrlHandle;
  if (!Wnd || !SkinActive()) return;
  std::optional<TWindowDC> Own;
  HDC DC = Given;
  if (!DC) {
    Own.emplace(Wnd);
    DC = *Own;
  }
  TScrollLayout L = ScrollLayout();
  if (L.HVisible && (Which & 1)) DrawBar(0, DC);
  if (L.VVisible && (Which & 2)) DrawBar(1, DC);
  if (L.HVisible && L.VVisible && Which == 3) PaintCorner(DC, L);
}

void TkvScrollWnd::DrawBar(int Index, HDC DC) {
  TkvScrollBar* B = Bar(Index);
  TsCommonData* D = SkinData();
  const TsSkinModel* Sm = ModelOf(D);
  if (!B || !Sm || !B->fScrollVisible) return;
  if (fThumbTracking && !(GScroll.PressedWnd == CtrlHandle && GScroll.PressedBar == Index)) return;
  if (Index == 1 && DontRepaint && !fThumbTracking) return;
  const TConstantSkinData& C = Sm->ConstData;
  const bool Horz = Index == 0;
  const int Bar1 = Horz ? C.IndexScrollBar1H : C.IndexScrollBar1V;
  const int Bar2 = Horz ? C.IndexScrollBar2H : C.IndexScrollBar2V;
  if (Bar1 < 0 || Bar1 >= int(Sm->gd.size())) return;
  if (!fThumbTracking) B->ReadInfo();
  TScrollBarGeometry G = BarGeometry(Index);
  if (fThumbTracking) MoveThumb(G, GScroll.Drag.Thumb.Start);
  if (G.Length <= 1) return;
  TRect WR = WindowRectOf(CtrlHandle);
  // The bar's place in the window.
  TPoint At{G.Bar.Left - WR.Left, G.Bar.Top - WR.Top};
  TBitmap32& Img = FBarImage[Index];
  Img.SetSize(G.Bar.Width(), G.Bar.Height());
  // Behind the bar: the window's own face.
  TCacheInfo CI;
  if (D && D->CacheBmp() && !D->CacheBmp()->IsEmpty() && !D->BGChanged)
    CI = NewCacheInfo(D->CacheBmp(), At.X, At.Y);
  else
    CI.FillColor = ColorToRGB(D ? D->ColorForState(0, CtrlHandle) : TColor(clWindow));
  const bool Enabled = !B->Disabled();
  TScrollBarInteraction I;
  I.Enabled = Enabled;
  I.ScrollFlags = B->fScrollFlags;
  if (GScroll.HotWnd == CtrlHandle && GScroll.HotBar == Index) I.Hot = GScroll.HotPortion;
  if (GScroll.PressedWnd == CtrlHandle && GScroll.PressedBar == Index) {
    I.Pressed = GScroll.PressedPortion;
    I.OnPressed = GScroll.ShownPressed;
    I.Dragging = fThumbTracking;
  }
  TScrollPartStates St = ScrollPartStates(I);
  auto Clamp = [&](int SectionIndex, int State) {
    if (SectionIndex < 0 || SectionIndex >= int(Sm->gd.size())) return 0;
    return std::min(State, std::max(0, Sm->gd[size_t(SectionIndex)].States - 1));
  };
  // Section parts are painted in bar coordinates, over the window's face at the bar's place.
  auto Paint = [&](int SectionIndex, const char* Name, int Texture, int HotTexture, TRect R,
                   int State) {
    if (SectionIndex < 0 || R.IsEmpty()) return;
    R = R.Intersected(Img.BoundsRect());
    if (R.IsEmpty()) return;
    PaintSectionByIndex(SectionIndex, Name, CI, Texture, HotTexture, Sm, &Img, {At.X, At.Y}, R,
                        Clamp(SectionIndex, State), true);
  };
  auto Local = [&](TRect R) {
    R.Offset(-G.Bar.Left, -G.Bar.Top);
    return R;
  };
  const int SysWidth = Horz ? GetSystemMetrics(SM_CXHSCROLL) : GetSystemMetrics(SM_CYVSCROLL);
  auto Arrow = [&](int SectionIndex, const char* Name, int BG, int BGHot, int GlyphMask, TRect R,
                   int State, bool First) {
    Paint(SectionIndex, Name, BG, BGHot, R, State);
    if (GlyphMask < 0 || GlyphMask >= int(Sm->ma.size()) || R.IsEmpty()) return;
    const TsMaskData& M = Sm->ma[size_t(GlyphMask)];
    int Gw = FrameWidth(M), Gh = FrameHeight(M);
    // The glyph is centred in the square of the system's width at the outer end.
    TRect Sq = R;
    if (Horz) {
      if (First)
        Sq.Right = std::min(R.Right, R.Left + SysWidth);
      else
        Sq.Left = std::max(R.Left, R.Right - SysWidth);
    } else {
      if (First)
        Sq.Bottom = std::min(R.Bottom, R.Top + SysWidth);
      else
        Sq.Top = std::max(R.Top, R.Bottom - SysWidth);
    }
    DrawMaskImage(*Sm, Img, {Sq.Left + (Sq.Width() - Gw) / 2, Sq.Top + (Sq.Height() - Gh) / 2},
                  Clamp(SectionIndex, State), NewCacheInfo(&Img, 0, 0), M, 1);
  };
  const char* N1 = Horz ? "SCROLLBAR1H" : "SCROLLBAR1V";
  const char* N2 = Horz ? "SCROLLBAR2H" : "SCROLLBAR2V";
  const int BG1 = Horz ? C.BGScrollBar1H : C.BGScrollBar1V;
  const int BG1Hot = Horz ? C.BGHotScrollBar1H : C.BGHotScrollBar1V;
  const int BG2 = Horz ? C.BGScrollBar2H : C.BGScrollBar2V;
  const int BG2Hot = Horz ? C.BGHotScrollBar2H : C.BGHotScrollBar2V;
  TRect T1 = Local(ScrollPartRect(G, sptTrack1)), T2 = Local(ScrollPartRect(G, sptTrack2));
  TRect A1 = Local(ScrollPartRect(G, sptFirstArrow)), A2 = Local(ScrollPartRect(G, sptSecondArrow));
  if (!G.IsShort) {
    Paint(Bar1, N1, BG1, BG1Hot, T1, St.Track1);
    Paint(Bar2 >= 0 ? Bar2 : Bar1, N2, BG2, BG2Hot, T2, St.Track2);
  } else {
    Paint(Bar1, N1, BG1, BG1Hot, T1, 0);
    Paint(Bar2 >= 0 ? Bar2 : Bar1, N2, BG2, BG2Hot, T2, 0);
  }
  Arrow(Horz ? C.IndexScrollLeft : C.IndexScrollTop, Horz ? "SCROLLBTNLEFT" : "SCROLLBTNTOP",
        Horz ? C.IndexBGScrollLeft : C.IndexBGScrollTop,
        Horz ? C.IndexBGHotScrollLeft : C.IndexBGHotScrollTop,
        Horz ? C.MaskArrowLeft : C.MaskArrowTop, A1, G.IsShort ? 0 : St.FirstArrow, true);
  Arrow(Horz ? C.IndexScrollRight : C.IndexScrollBottom,
        Horz ? "SCROLLBTNRIGHT" : "SCROLLBTNBOTTOM",
        Horz ? C.IndexBGScrollRight : C.IndexBGScrollBottom,
        Horz ? C.IndexBGHotScrollRight : C.IndexBGHotScrollBottom,
        Horz ? C.MaskArrowRight : C.MaskArrowBottom, A2, G.IsShort ? 0 : St.SecondArrow, false);
  if (!G.IsShort && Enabled && G.Thumb.IsShown()) {
    const int Slider = Horz ? C.IndexSliderHorz : C.IndexSliderVert;
    TRect Th = Local(ScrollPartRect(G, sptThumb));
    Paint(Slider, Horz ? "SCROLLSLIDERH" : "SCROLLSLIDERV",
          Horz ? C.ScrollSliderBGHorz : C.ScrollSliderBGVert,
          Horz ? C.ScrollSliderBGHotHorz : C.ScrollSliderBGHotVert, Th, St.Thumb);
    const int GlyphMask = Horz ? C.MaskSliderGlyphHorz : C.MaskSliderGlyphVert;
    if (GlyphMask >= 0 && GlyphMask < int(Sm->ma.size())) {
      const TsMaskData& M = Sm->ma[size_t(GlyphMask)];
      int Gw = FrameWidth(M), Gh = FrameHeight(M);
      if (Gw < Th.Width() && Gh < Th.Height())
        DrawMaskImage(*Sm, Img, {Th.Left + (Th.Width() - Gw) / 2, Th.Top + (Th.Height() - Gh) / 2},
                      Clamp(Slider, St.Thumb), NewCacheInfo(&Img, 0, 0), M, 1);
    }
  }
  if (!Enabled) ApplyBarDisabledLook(Img, CI);
  HDC Src = static_cast<HDC>(Img.NativeDC());
  if (!Src) return;
  GdiFlush();
  CopyToScreen(DC, At.X, At.Y, Img.Width(), Img.Height(), Src, 0, 0);
}

void TkvScrollWnd::PaintCorner(HDC DC, const TScrollLayout& L) {
  TsCommonData* D = SkinData();
  const TsSkinModel* Sm = ModelOf(D);
  if (L.Corner.IsEmpty() || !Sm) return;
  TRect WR = WindowRectOf(CtrlHandle);
  TPoint At{L.Corner.Left - WR.Left, L.Corner.Top - WR.Top};
  TBitmap32 Img(L.Corner.Width(), L.Corner.Height());
  TBackgroundInfo Info;
  Info.R = {At.X, At.Y, At.X + Img.Width(), At.Y + Img.Height()};
  SendSkinCommand(CtrlHandle, KV_QUERYBACKGROUND, LPARAM(&Info));
  if (Info.Kind == bkImage && Info.Bmp) {
    CopyPixels(Img, 0, 0, *Info.Bmp,
               {At.X + Info.Offset.X, At.Y + Info.Offset.Y, At.X + Info.Offset.X + Img.Width(),
                At.Y + Info.Offset.Y + Img.Height()});
  } else {
    TColor Fill = Info.Color;
    const int Bar1 = Sm->ConstData.IndexScrollBar1H;
    if (Bar1 < 0 || Sm->gd[size_t(Bar1)].Transparency != 100) Fill = Sm->GetGlobalColor();
    Fill = ColorToRGB(Fill);
    Img.Fill(0xFF000000u | (uint32_t(GetRValue(Fill)) << 16) | (uint32_t(GetGValue(Fill)) << 8) |
             GetBValue(Fill));
  }
  if (IsGripCorner()) {
    int Grip = Sm->ConstData.GripRightBottom;
    if (Grip >= 0 && Grip < int(Sm->ma.size())) {
      const TsMaskData& M = Sm->ma[size_t(Grip)];
      int Gw = FrameWidth(M), Gh = FrameHeight(M);
      DrawMaskImage(*Sm, Img, {Img.Width() - Gw, Img.Height() - Gh}, 0, NewCacheInfo(&Img, 0, 0), M,
                    1);
    }
  }
  HDC Src = static_cast<HDC>(Img.NativeDC());
  if (!Src) return;
  GdiFlush();
  CopyToScreen(DC, At.X, At.Y, Img.Width(), Img.Height(), Src, 0, 0);
}

void TkvScrollWnd::SendScroll(UINT Msg, int Code, int Pos) {
  HWND Wnd = CtrlHandle;
  LPARAM Notice = MAKELPARAM(Code, Msg);
  LPARAM Param = 0;
  if (SendSkinCommand(Wnd, KV_BEFORESCROLL, Notice) == 1) {
    Param = LPARAM(Pos);
  } else if (Code == SB_THUMBTRACK) {
    // The rich edit reads the track position back from the scroll information.
    SCROLLINFO Si{};
    Si.cbSize = sizeof(Si);
    Si.fMask = SIF_POS;
    Si.nPos = Pos;
    SetScrollInfo(Wnd, Msg == WM_HSCROLL ? SB_HORZ : SB_VERT, &Si, FALSE);
  }
  SendMessageW(Wnd, Msg, MAKEWPARAM(Code, std::min(Pos, 65535)), Param);
  if (IsWindow(Wnd)) SendSkinCommand(Wnd, KV_AFTERSCROLL, Notice);
}

bool TkvScrollWnd::PressedHere() const {
  return GScroll.PressedWnd == CtrlHandle && GScroll.PressedBar >= 0;
}

void TkvScrollWnd::NCCalcSize(TMessage& Message) {
  HWND Wnd = CtrlHandle;
  LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  RECT* Proposed = Message.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0]
                                  : reinterpret_cast<RECT*>(Message.LParam);
  if (!Proposed) {
    CallPrevWndProc(Message);
    return;
  }
  const TRect Window{Proposed->left, Proposed->top, Proposed->right, Proposed->bottom};
  if (Style & (WS_HSCROLL | WS_VSCROLL)) {
    // The previous procedure measures the frame without the bars; the bars are ours.
    bPreventStyleChange = true;
    SetWindowLongW(Wnd, GWL_STYLE, Style & ~LONG(WS_HSCROLL | WS_VSCROLL));
    CallPrevWndProc(Message);
    SetWindowLongW(Wnd, GWL_STYLE, Style);
    bPreventStyleChange = false;
  } else {
    CallPrevWndProc(Message);
  }
  const TRect Client{Proposed->left, Proposed->top, Proposed->right, Proposed->bottom};
  TScrollStyles S;
  S.HScroll = Style & WS_HSCROLL;
  S.VScroll = Style & WS_VSCROLL;
  S.LeftScrollbar = fLeftScrollbar;
  TScrollNcCalc C =
      ScrollNcCalcSize(Window, Client, S, BarMetrics(0).Thickness, BarMetrics(1).Thickness);
  cxLeftEdge = C.Frame.cxLeftEdge;
  cxRightEdge = C.Frame.cxRightEdge;
  cyTopEdge = C.Frame.cyTopEdge;
  cyBottomEdge = C.Frame.cyBottomEdge;
  auto Keep = [](int Flags) { return Flags & (sfFirstArrowDisabled | sfSecondArrowDisabled); };
  sBarHorz->fScrollFlags = Keep(sBarHorz->fScrollFlags) | (S.HScroll ? sfHasStyle : 0);
  sBarVert->fScrollFlags = Keep(sBarVert->fScrollFlags) | (S.VScroll ? sfHasStyle : 0);
  sBarHorz->fScrollVisible = C.Frame.HVisible;
  sBarVert->fScrollVisible = C.Frame.VVisible;
  *Proposed = {C.Client.Left, C.Client.Top, C.Client.Right, C.Client.Bottom};
}

void TkvScrollWnd::NCHitTest(TMessage& Message) {
  TPoint P{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
  TScrollLayout L = ScrollLayout();
  bool HOn = sBarHorz && !sBarHorz->Disabled();
  bool VOn = sBarVert && !sBarVert->Disabled();
  bool Grip = L.HVisible && L.VVisible && L.Corner.Contains(P.X, P.Y) && IsGripCorner();
  std::optional<int> Code = ScrollNcHitTest(L, P, HOn, VOn, Grip);
  if (Code) {
    Message.Result = *Code;
    return;
  }
  CallPrevWndProc(Message);
}

void TkvScrollWnd::NCMouseMove(TMessage& Message) {
  CallPrevWndProc(Message);
  int Bar = Message.WParam == HTHSCROLL ? 0 : 1;
  if (GScroll.HotWnd != CtrlHandle || GScroll.HotBar != Bar) {
    HWND Old = GScroll.HotWnd;
    ResetHot();
    if (Old && Old != CtrlHandle) {
      if (auto* A = dynamic_cast<TkvScrollWnd*>(Of(Old))) A->PaintBars();
    }
    GScroll.HotWnd = CtrlHandle;
    GScroll.HotBar = Bar;
    TScrollLayout L = ScrollLayout();
    GScroll.HotRect = Bar == 0 ? L.HBar : L.VBar;
    SetTimer(CtrlHandle, HoverTimer, 20, nullptr);
  }
  TPoint P{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
  int Portion = ScrollHitTest(BarGeometry(Bar), P);
  if (Portion != GScroll.HotPortion) {
    GScroll.HotPortion = Portion;
    PaintBars();
  }
}

void TkvScrollWnd::HoverTick() {
  if (fThumbTracking) return;
  POINT C{};
  GetCursorPos(&C);
  if (GScroll.HotWnd == CtrlHandle && GScroll.HotRect.Contains(C.x, C.y)) {
    int Portion = ScrollHitTest(BarGeometry(GScroll.HotBar), {C.x, C.y});
    if (Portion != GScroll.PrevPortion || Portion != GScroll.HotPortion) {
      GScroll.PrevPortion = GScroll.HotPortion = Portion;
      PaintBars();
    }
    return;
  }
  KillTimer(CtrlHandle, HoverTimer);
  if (GScroll.HotWnd == CtrlHandle) ResetHot();
  PaintBars();
}

bool TkvScrollWnd::NCLButtonDown(TMessage& Message) {
  int Bar = Message.WParam == HTHSCROLL ? 0 : 1;
  TkvScrollBar* B = Bar == 0 ? sBarHorz.get() : sBarVert.get();
  TPoint P{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
  TScrollBarGeometry G = BarGeometry(Bar);
  int Portion = ScrollHitTest(G, P);
  TScrollPressKind Kind = ScrollPressKind(Portion, !B->Disabled(), B->fScrollFlags);
  if (Kind == sprPassOn) return false;
  Message.Result = 0;
  if (Kind == sprIgnore) return true;
  ResetPressed();
  GScroll.PressedWnd = CtrlHandle;
  GScroll.PressedBar = Bar;
  GScroll.PressedPortion = Portion;
  GScroll.ShownPressed = true;
  GScroll.ScrollMsg = Bar == 0 ? WM_HSCROLL : WM_VSCROLL;
  SetCapture(CtrlHandle);
  if (Kind == sprRepeat) {
    PaintBars();
    GScroll.Repeat.Press(Portion, GetTickCount());
    DontRepaint = true;
    SendScroll(GScroll.ScrollMsg, Portion, 0);
    DontRepaint = false;
    if (!IsWindow(CtrlHandle) || !Attached()) return true;
    SetTimer(CtrlHandle, DelayTimer, TScrollRepeat::FirstDelay, nullptr);
    RefreshBars();
    return true;
  }
  // The thumb: dragged from where it was grabbed.
  B->ReadInfo();
  G = BarGeometry(Bar);
  GScroll.Drag = G;
  GScroll.GrabOffset = AlongBar(G.Kind, P) - G.Thumb.Start;
  GScroll.LastPos = GScroll.StartPos = B->ScrollInfo.nPos;
  B->ScrollInfo.nTrackPos = B->ScrollInfo.nPos;
  fThumbTracking = true;
  TWindowDC DC(CtrlHandle);
  DrawBar(Bar, DC);
  return true;
}

void TkvScrollWnd::DragTo(int Mouse) {
  int Bar = GScroll.PressedBar;
  TkvScrollBar* B = Bar == 0 ? sBarHorz.get() : sBarVert.get();
  TScrollBarGeometry& G = GScroll.Drag;
  // A mouse far off the bar puts the thumb back where the drag began, as the system does.
  POINT C{};
  GetCursorPos(&C);
  TRect Near = G.Bar;
  int Across = 8 * (G.Kind == sbkHorizontal ? G.Bar.Height() : G.Bar.Width());
  int Along = 2 * (G.Kind == sbkHorizontal ? G.Bar.Height() : G.Bar.Width());
  if (G.Kind == sbkHorizontal)
    Near.Inflate(Along, Across);
  else
    Near.Inflate(Across, Along);
  int Pos;
  if (!Near.Contains(C.x, C.y)) {
    Pos = GScroll.StartPos;
    TScrollInfo I = B->Info();
    I.nPos = Pos;
    TScrollBarGeometry Back = ScrollBarGeometry(G.Kind, G.Bar, G.ArrowLength, I, B->nMinThumbSize);
    MoveThumb(G, Back.Thumb.Start);
  } else {
    int Start = ScrollDragThumbStart(G, Mouse, GScroll.GrabOffset);
    MoveThumb(G, Start);
    Pos = ScrollDragPos(G, Start, B->Info());
  }
  if (Pos != GScroll.LastPos) {
    GScroll.LastPos = Pos;
    B->ScrollInfo.nTrackPos = Pos;
    DontRepaint = true;
    SendScroll(GScroll.ScrollMsg, SB_THUMBTRACK, Pos);
    DontRepaint = false;
  }
  if (IsWindow(CtrlHandle) && fThumbTracking) {
    TWindowDC DC(CtrlHandle);
    DrawBar(Bar, DC);
  }
}

void TkvScrollWnd::EndPress(bool Send) {
  if (!PressedHere()) return;
  HWND Wnd = CtrlHandle;
  KillTimer(Wnd, DelayTimer);
  KillTimer(Wnd, RepeatTimer);
  UINT Msg = GScroll.ScrollMsg;
  bool Drag = fThumbTracking;
  int Last = GScroll.LastPos;
  fThumbTracking = false;
  ResetPressed();
  if (GetCapture() == Wnd) ReleaseCapture();
  if (Send) {
    if (Drag) SendScroll(Msg, SB_THUMBPOSITION, Last);
    if (IsWindow(Wnd)) SendScroll(Msg, SB_ENDSCROLL, Drag ? Last : 0);
  }
  if (IsWindow(Wnd) && Attached()) {
    ReadBars();
    PaintBars();
  }
}

void TkvScrollWnd::RepeatTick() {
  if (!PressedHere() || fThumbTracking) return;
  POINT C{};
  GetCursorPos(&C);
  int Under = ScrollHitTest(BarGeometry(GScroll.PressedBar), {C.x, C.y});
  bool On = Under == GScroll.PressedPortion;
  if (On != GScroll.ShownPressed) {
    GScroll.ShownPressed = On;
    PaintBars();
  }
  if (GScroll.Repeat.Tick(GetTickCount(), Under) > 0) {
    DontRepaint = true;
    SendScroll(GScroll.ScrollMsg, GScroll.PressedPortion, 0);
    DontRepaint = false;
  }
}

void TkvScrollWnd::PrepareFace() {
  if (TsCommonData* D = SkinData()) RenderWindowFace(*D, CtrlHandle, DlgMode);
}

bool TkvScrollWnd::ScrollMessage(TMessage& Message) {
  HWND Wnd = CtrlHandle;
  switch (Message.Msg) {
  case WM_NCCALCSIZE: NCCalcSize(Message); return true;
  case WM_NCHITTEST: NCHitTest(Message); return true;
  case WM_NCMOUSEMOVE:
    if (Message.WParam != HTHSCROLL && Message.WParam != HTVSCROLL) {
      if (GScroll.HotWnd == Wnd && !fThumbTracking) {
        ResetHot();
        KillTimer(Wnd, HoverTimer);
        PaintBars();
      }
      return false;
    }
    NCMouseMove(Message);
    return true;
  case WM_NCMOUSELEAVE:
    // Wine would repaint its own bars on leaving them.
    if (GScroll.HotWnd == Wnd) {
      Message.Result = 0;
      return true;
    }
    return false;
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONDBLCLK:
    if (Message.WParam != HTHSCROLL && Message.WParam != HTVSCROLL) return false;
    // Never the system's own tracking loop, on either bar.
    if (!NCLButtonDown(Message)) CallPrevWndProc(Message);
    Message.Result = 0;
    return true;
  case WM_NCRBUTTONDOWN:
  case WM_NCRBUTTONUP:
  case WM_NCRBUTTONDBLCLK:
  case WM_NCMBUTTONDOWN:
  case WM_NCMBUTTONUP:
  case WM_NCMBUTTONDBLCLK:
    if (Message.WParam != HTHSCROLL && Message.WParam != HTVSCROLL) return false;
    Message.Result = 0;
    return true;
  case WM_SYSCOMMAND:
    if ((Message.WParam & 0xFFF0) == SC_VSCROLL || (Message.WParam & 0xFFF0) == SC_HSCROLL) {
      Message.Result = 0;
      return true;
    }
    return false;
  case WM_STYLECHANGING:
  case WM_STYLECHANGED:
    if (bPreventStyleChange) {
      Message.Result = 0;
      return true;
    }
    if (Message.Msg == WM_STYLECHANGED && Message.WParam == WPARAM(GWL_EXSTYLE))
      fLeftScrollbar = GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR;
    return false;
  case WM_TIMER:
    switch (Message.WParam) {
    case HoverTimer: HoverTick(); return true;
    case DelayTimer:
      KillTimer(Wnd, DelayTimer);
      if (PressedHere()) SetTimer(Wnd, RepeatTimer, TScrollRepeat::RepeatInterval, nullptr);
      RepeatTick();
      if (!DontRepaint && !fThumbTracking && IsWindow(Wnd)) RefreshBars();
      return true;
    case RepeatTimer:
      RepeatTick();
      if (!DontRepaint && !fThumbTracking && IsWindow(Wnd)) RefreshBars();
      return true;
    default: return false;
    }
  case WM_MOUSEMOVE:
    if (!PressedHere()) return false;
    if (fThumbTracking) {
      POINT C{};
      GetCursorPos(&C);
      DragTo(AlongBar(GScroll.Drag.Kind, {C.x, C.y}));
    } else {
      POINT C{};
      GetCursorPos(&C);
      bool On =
          ScrollHitTest(BarGeometry(GScroll.PressedBar), {C.x, C.y}) == GScroll.PressedPortion;
      if (On != GScroll.ShownPressed) {
        GScroll.ShownPressed = On;
        PaintBars();
      }
    }
    Message.Result = 0;
    return true;
  case WM_LBUTTONUP:
    if (!PressedHere()) return false;
    EndPress(true);
    if (IsWindow(Wnd)) CallPrevWndProc(Message);
    return true;
  case WM_CAPTURECHANGED:
    // A lost capture ends the press: no repeat keeps scrolling.
    if (PressedHere() && HWND(Message.LParam) != Wnd) EndPress(true);
    return false;
  case WM_CANCELMODE:
    if (PressedHere()) EndPress(true);
    return false;
  default: return false;
  }
}

void TkvScrollWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = SkinData();
  if (!SkinActive()) {
    if (Message.Msg == KV_SKINMSG && SkinCommandCode(Message.WParam) == KV_SKINAPPLIED && D)
      D->UpdateIndexes();
    CallPrevWndProc(Message);
    return;
  }
  if (Message.Msg == KV_SKINMSG) {
    const bool Own = Message.LParam == LPARAM(SkinManager());
    switch (SkinCommandCode(Message.WParam)) {
    case KV_SETSUSPENDED: D->FUpdating = SkinCommandFlag(Message.WParam) != 0; return;
    case KV_CLEARBGCHANGED:
      CallPrevWndProc(Message);
      if (D->BGChanged) {
        RefreshGeometry();
        PrepareFace();
      }
      return;
    case KV_REPAINTSKIN:
      if (!Own) break;
      D->UpdateIndexes();
      D->BGChanged = true;
      TkvMainWnd::kvWndProc(Message);
      // The bars' room is measured again: the frame may have been laid out by the system
      // while the skin was not applied.
      if (Attached()) RedrawFrame();
      return;
    default: break;
    }
    TkvMainWnd::kvWndProc(Message);
    return;
  }
  switch (Message.Msg) {
  case WM_DESTROY:
  case WM_NCDESTROY:
  case WM_UPDATEUISTATE: TkvMainWnd::kvWndProc(Message); return;
  case WM_NCPAINT:
    if (!IsWindowVisible(CtrlHandle) || D->FUpdating || DontRepaint) {
      CallPrevWndProc(Message);
      return;
    }
    CallPrevWndProc(Message);
    ReadBars();
    PaintBars();
    return;
  default: break;
  }
  if (ScrollMessage(Message)) return;
  // The system draws its own bars whenever their information changes: the skinned ones are
  // drawn again over them.
  TkvMainWnd::kvWndProc(Message);
  if (!Attached() || Message.Msg == WM_NCPAINT || Message.Msg == WM_PAINT) return;
  if (int Changed = ReadBars();
      Changed && !DontRepaint && !fThumbTracking && IsWindowVisible(CtrlHandle))
    PaintBars(nullptr, Changed);
  switch (Message.Msg) {
  case WM_MOUSEWHEEL:
  case WM_MOUSEHWHEEL:
    if (!DontRepaint) RefreshBars();
    break;
  case WM_SETFOCUS:
  case WM_KILLFOCUS: RefreshBars(); break;
  default: break;
  }
}

// ---------------------------------------------------------------------------------------------
// TkvBaseWnd

void TkvBaseWnd::PrepareFace() {
  if (TsCommonData* D = SkinData()) RenderWindowFace(*D, CtrlHandle, DlgMode);
}

void TkvBaseWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = SkinData();
  if (!SkinActive()) {
    TkvScrollWnd::kvWndProc(Message);
    return;
  }
  switch (Message.Msg) {
  case KV_SKINMSG:
    if (SkinCommandCode(Message.WParam) == KV_CLEARBGCHANGED) {
      RefreshGeometry();
      PrepareFace();
      return;
    }
    if (SkinCommandCode(Message.WParam) == KV_REPAINTSKIN &&
        Message.LParam == LPARAM(SkinManager())) {
      TkvScrollWnd::kvWndProc(Message);
      if (IsWindowVisible(CtrlHandle)) SendMessageW(CtrlHandle, WM_NCPAINT, 1, 0);
      return;
    }
    break;
  case WM_SIZE:
  case WM_EXITSIZEMOVE: D->BGChanged = true; break;
  case WM_SETCURSOR: CallPrevWndProc(Message); return;
  case 0x2100: Message.Result = 0; return;
  default: break;
  }
  TkvScrollWnd::kvWndProc(Message);
  if (!Attached()) return;
  switch (Message.Msg) {
  case WM_SIZE:
  case WM_HSCROLL:
  case WM_VSCROLL:
    if (!DontRepaint) RefreshBars();
    break;
  case WM_ENABLE:
  case CM_ENABLEDCHANGED:
    if (IsWindowVisible(CtrlHandle)) SendMessageW(CtrlHandle, WM_NCPAINT, 1, 0);
    break;
  default: break;
  }
}

// ---------------------------------------------------------------------------------------------
// TkvEditWnd

bool TkvEditWnd::Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
                        TsCommonData* Data) {
  if (Data && Data->COC == 0) Data->COC = 231;
  if (!TkvBaseWnd::Create(Wnd, Repaint, Section.empty() ? "EDIT" : Section, Manager, Data))
    return false;
  if (SkinData()->COC == 0) SkinData()->COC = 231;
  SingleLineEdit =
      dynamic_cast<TEdit*>(OwnerControl()) && !(GetWindowLongW(Wnd, GWL_STYLE) & ES_MULTILINE);
  return true;
}

void TkvEditWnd::SaveStdParams() {
  TkvBaseWnd::SaveStdParams();
}

void TkvEditWnd::RestoreStdParams() {
  if (CtrlHandle && IsWindow(CtrlHandle) && IsWindowVisible(CtrlHandle))
    SetWindowPos(CtrlHandle, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
  TkvBaseWnd::RestoreStdParams();
}

void TkvEditWnd::SetSkinParams() {
  if (bPreventStyleChange) return;
  TsCommonData* D = SkinData();
  const TsGeneralData* S = D ? D->Section() : nullptr;
  if (!S) {
    FrameColor = 0;
    return;
  }
  D->FUpdating = true;
  bPreventStyleChange = true;
  if (TWinControl* C = OwnerControl()) {
    bool Hot = D->IsActive() && S->States > 1;
    if (!D->CustomColor()) {
      TColor New = D->ColorForState(Hot ? 1 : 0, CtrlHandle);
      if (C->Color() != New) C->SetColor(New);
      Color = New;
    }
    if (!D->CustomFont()) {
      TColor Ink = Hot ? S->HotFontColor.Color : S->FontColor.Color;
      if (C->Enabled() && C->Font().Color() != Ink) C->Font().SetColor(Ink);
    }
  } else {
    if (!D->CustomColor()) Color = DlgMode ? TColor(GetSysColor(COLOR_WINDOW)) : S->Color;
    if (const TsSkinModel* Sm = D->Model()) FrameColor = Sm->Palette[pcBorder];
  }
  bPreventStyleChange = false;
  D->BGChanged = true;
  D->FUpdating = false;
  ParamsChanged = true;
}

TRect TkvEditWnd::ClientRect() {
  if (FClientRect.Top < 0) {
    RECT C{};
    GetClientRect(CtrlHandle, &C);
    MapWindowPoints(CtrlHandle, nullptr, reinterpret_cast<POINT*>(&C), 2);
    TRect W = WindowRectOf(CtrlHandle);
    FClientRect = {C.left - W.Left, C.top - W.Top, C.right - W.Left, C.bottom - W.Top};
    if (FClientRect.Top < 0) FClientRect.Top = 0;
  }
  return FClientRect;
}

void TkvEditWnd::CopyFrame(HDC DC) {
  TsCommonData* D = SkinData();
  TBitmap32* Cache = D ? D->CacheBmp() : nullptr;
  HDC Src = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  int W = ClientRect().Top;
  if (!Src || W <= 0) return;
  GdiFlush();
  TRect Strips[4];
  FrameStrips(Cache->BoundsRect(), W, W, W, W, Strips);
  for (const TRect& S : Strips)
    if (!S.IsEmpty()) CopyToScreen(DC, S.Left, S.Top, S.Width(), S.Height(), Src, S.Left, S.Top);
}

void TkvEditWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = SkinData();
  if (!SkinActive()) {
    TkvBaseWnd::kvWndProc(Message);
    return;
  }
  HWND Wnd = CtrlHandle;
  switch (Message.Msg) {
  case KV_SKINMSG: {
    const bool Own = Message.LParam == LPARAM(SkinManager());
    switch (SkinCommandCode(Message.WParam)) {
    case KV_REPAINTSKIN:
      TkvBaseWnd::kvWndProc(Message);
      if (Own) SetSkinParams();
      return;
    case KV_RESUMEPAINT:
      if (D->FUpdating && !D->CheckUpdating(true))
        RedrawWindow(Wnd, nullptr, nullptr,
                     RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      return;
    case KV_ISSKINNED: Message.Result = 1; return;
    case KV_CLEARBGCHANGED:
      RefreshGeometry();
      RenderWindowFace(*D, Wnd, DlgMode);
      return;
    case KV_QUERYSECTIONINDEX:
      if (auto* Index = reinterpret_cast<int*>(Message.LParam)) *Index = D->SkinIndex;
      return;
    case KV_QUERYBACKGROUND: {
      CallPrevWndProc(Message);
      auto* Info = reinterpret_cast<TBackgroundInfo*>(Message.LParam);
      if (Message.Result || !Info) return;
      if (D->CustomColor() && OwnerControl()) {
        Info->Kind = bkColor;
        Info->Color = OwnerControl()->Color();
        return;
      }
      if (D->BGChanged) RenderWindowFace(*D, Wnd, DlgMode);
      D->FillBackgroundInfo(*Info, 0, Wnd);
      return;
    }
    case KV_BEFORESCROLL:
    case KV_AFTERSCROLL:
      if (fLeftScrollbar) {
        bool Start = SkinCommandCode(Message.WParam) == KV_BEFORESCROLL;
        SendMessageW(Wnd, WM_SETREDRAW, Start ? FALSE : TRUE, 0);
        if (!Start) RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        return;
      }
      break;
    case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return;
    default: break;
    }
    TkvBaseWnd::kvWndProc(Message);
    return;
  }
  case WM_SETFOCUS:
  case WM_KILLFOCUS: {
    TkvBaseWnd::kvWndProc(Message);
    const TsGeneralData* S = D->Section();
    TWinControl* C = OwnerControl();
    if (Attached() && S && S->States > 1 && (!C || (C->Enabled() && C->TabStop()))) {
      D->BGChanged = true;
      D->FFocused = Message.Msg == WM_SETFOCUS;
      SetSkinParams();
      SendMessageW(Wnd, WM_NCPAINT, 1, 0);
    }
    return;
  }
  case WM_SETREDRAW:
    TkvBaseWnd::kvWndProc(Message);
    if (Message.WParam && CtrlListChanged) {
      CtrlListChanged = false;
      if (TWinControl* C = OwnerControl()) NotifyFormOfChild(C);
    }
    if (int Changed = Message.WParam && Attached() ? ReadBars() : 0) PaintBars(nullptr, Changed);
    return;
  case WM_SETTEXT:
  case CM_ENABLEDCHANGED:
  case CM_FONTCHANGED:
    TkvBaseWnd::kvWndProc(Message);
    D->BGChanged = true;
    if (!D->FUpdating && IsWindowVisible(Wnd))
      RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
    return;
  case WM_PAINT: {
    if (!IsWindowVisible(Wnd) || bPreventStyleChange) break;
    if (D->FUpdating || (AnimationCapturing && !D->PrintDC)) {
      TPaintDC Validate(Wnd);
      return;
    }
    if (!ParamsChanged) SetSkinParams();
    CallPrevWndProc(Message);
    // The native paint draws the client only; the bars follow through the window DC when
    // their information changed meanwhile.
    if (int Changed = Attached() ? ReadBars() : 0) PaintBars(nullptr, Changed);
    return;
  }
  case WM_ERASEBKGND: {
    if (!IsWindowVisible(Wnd) || bPreventStyleChange) break;
    if (D->FUpdating) {
      Message.Result = 1;
      return;
    }
    if (!ParamsChanged) SetSkinParams();
    break;
  }
  case WM_NCPAINT: {
    if (!IsWindowVisible(Wnd) || bPreventStyleChange) break;
    if (AnimationCapturing) return;
    RefreshGeometry();
    if (D->FUpdating) return;
    TWindowDC DC(Wnd);
    if (D->BGChanged) {
      SetSkinParams();
      RenderWindowFace(*D, Wnd, DlgMode);
    }
    ReadBars();
    PaintBars(DC);
    CopyFrame(DC);
    Message.Result = 0;
    return;
  }
  case WM_PRINT: {
    CallPrevWndProc(Message);
    if (Message.Result == 2) return;
    HDC DC = reinterpret_cast<HDC>(Message.WParam);
    if (!DC) return;
    RefreshGeometry();
    D->FUpdating = false;
    D->BGChanged = true;
    SetSkinParams();
    RenderWindowFace(*D, Wnd, DlgMode);
    if (!(Message.LParam & PRF_CLIENT)) {
      CopyFrame(DC);
      PaintBars(DC);
    }
    return;
  }
  default: break;
  }
  TkvBaseWnd::kvWndProc(Message);
  if (!Attached()) return;
  switch (Message.Msg) {
  case WM_SIZE:
    FClientRect.Top = -1;
    if (IsWindowVisible(Wnd)) SendMessageW(Wnd, WM_NCPAINT, 1, 0);
    break;
  case WM_SETFONT:
  case WM_KEYDOWN:
  case WM_KEYUP:
  case WM_LBUTTONDOWN:
    if (!DontRepaint) RefreshBars();
    break;
  case EM_REPLACESEL: RefreshBars(); break;
  case WM_MOUSEMOVE:
    if (TsSkinManager* M = SkinManager()) M->SetActiveControl(Wnd);
    if (GetCapture() == Wnd && !D->FUpdating) RefreshBars();
    break;
  case WM_PARENTNOTIFY:
    if (LOWORD(Message.WParam) == WM_CREATE) CtrlListChanged = true;
    break;
  default: break;
  }
}
