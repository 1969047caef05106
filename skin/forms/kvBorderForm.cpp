// The auxiliary windows around a skinned window: the layered extended border window, the
// caption cover and the outline drag.
#include "skin/forms/kvBorderForm.h"

#include <algorithm>

#include "base/GdiObjects.h"
#include "skin/controls/sVclUtils.h"
#include "skin/forms/kvBorderGeometry.h"
#include "skin/forms/kvFormAnim.h"
#include "skin/images/kvShadows.h"
#include "skin/data/sMaskData.h"
#include "skin/paint/kvMaskBorders.h"
#include "toolkit/Forms.h"

const wchar_t* const AuxWindowTagProp = L"KVTAG";

namespace {

constexpr wchar_t BorderClassName[] = L"TkvBorderForm";
constexpr wchar_t CoverClassName[] = L"TkvCaptForm";
// No activation, layered, tool window: never in the task bar, never the active window.
constexpr DWORD BorderExStyle = WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW;
static_assert(BorderExStyle == 0x08080080);
constexpr DWORD CoverExStyle = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW;
// While one of these animations holds the owner, the region keeps the client part.
constexpr unsigned AnimationHoldsForm =
    fsBlending | fsMinimizing | fsRestoringAnim | fsHideCaptured;
// While one of these runs, the border window shows the owner's live client pixels.
constexpr unsigned LiveClientAnimations = fsBlending | fsMinimizing | fsRestoring;

void MarkAuxWindow(HWND Wnd) {
  SetPropW(Wnd, AuxWindowTagProp, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(AuxWindowTag)));
}

bool RegisterAuxClass(const wchar_t* Name, WNDPROC Proc, UINT Style) {
  WNDCLASSEXW Wc{};
  Wc.cbSize = sizeof(Wc);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), Name, &Wc)) return true;
  Wc.cbSize = sizeof(Wc);
  Wc.style = Style;
  Wc.lpfnWndProc = Proc;
  Wc.hInstance = GetModuleHandleW(nullptr);
  Wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Wc.lpszClassName = Name;
  return RegisterClassExW(&Wc) != 0;
}

TRect WindowRectOf(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  return {R.left, R.top, R.right, R.bottom};
}

TSize ClientSizeOf(HWND Wnd) {
  RECT R{};
  GetClientRect(Wnd, &R);
  return {R.right - R.left, R.bottom - R.top};
}

TRect WorkAreaOf(HWND Wnd) {
  MONITORINFO Mi{};
  Mi.cbSize = sizeof(Mi);
  if (!GetMonitorInfoW(MonitorFromWindow(Wnd, MONITOR_DEFAULTTONEAREST), &Mi)) return {};
  return {Mi.rcWork.left, Mi.rcWork.top, Mi.rcWork.right, Mi.rcWork.bottom};
}

bool IsTopmost(HWND Wnd) {
  return (GetWindowLongPtrW(Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The window an auxiliary window is inserted after so that it lies directly above Owner.
HWND InsertAfterForAbove(HWND Owner, HWND Self) {
  HWND Prev = GetWindow(Owner, GW_HWNDPREV);
  if (Prev == Self) return nullptr; // already there
  if (Prev) return Prev;
  return IsTopmost(Owner) ? HWND_TOPMOST : HWND_TOP;
}

TPoint LParamPoint(LPARAM L) {
  return {static_cast<short>(LOWORD(L)), static_cast<short>(HIWORD(L))};
}

// Desktop composition, asked through dwmapi when the system has it.
bool CompositionEnabled() {
  using TDwmIsCompositionEnabled = HRESULT(WINAPI*)(BOOL*);
  static const auto Fn = [] {
    HMODULE Dwm = LoadLibraryW(L"dwmapi.dll");
    return Dwm ? reinterpret_cast<TDwmIsCompositionEnabled>(
                     reinterpret_cast<void*>(GetProcAddress(Dwm, "DwmIsCompositionEnabled")))
               : nullptr;
  }();
  BOOL On = FALSE;
  return Fn && SUCCEEDED(Fn(&On)) && On;
}

// Blur behind the border window, only with composition (dwmapi looked up at run time).
void SetBlurBehind(HWND Wnd, bool Enable) {
  if (!CompositionEnabled()) return;
  struct TBlurBehind {
    DWORD dwFlags;
    BOOL fEnable;
    HRGN hRgnBlur;
    BOOL fTransitionOnMaximized;
  };
  using TDwmEnableBlurBehindWindow = HRESULT(WINAPI*)(HWND, const TBlurBehind*);
  static const auto Fn = [] {
    HMODULE Dwm = LoadLibraryW(L"dwmapi.dll");
    return Dwm ? reinterpret_cast<TDwmEnableBlurBehindWindow>(
                     reinterpret_cast<void*>(GetProcAddress(Dwm, "DwmEnableBlurBehindWindow")))
               : nullptr;
  }();
  if (!Fn) return;
  TBlurBehind Bb{1 /* DWM_BB_ENABLE */, Enable ? TRUE : FALSE, nullptr, FALSE};
  Fn(Wnd, &Bb);
}

bool RunsUnderWow64() {
  BOOL Wow = FALSE;
  return IsWow64Process(GetCurrentProcess(), &Wow) && Wow;
}

LPCWSTR SizingCursor(int Code) {
  switch (Code) {
  case HTLEFT:
  case HTRIGHT: return IDC_SIZEWE;
  case HTTOP:
  case HTBOTTOM: return IDC_SIZENS;
  case HTTOPLEFT:
  case HTBOTTOMRIGHT: return IDC_SIZENWSE;
  case HTTOPRIGHT:
  case HTBOTTOMLEFT: return IDC_SIZENESW;
  default: return IDC_ARROW;
  }
}

} // namespace

bool LayeredWindowsAvailable() {
  return UpdateLayeredWindowFn() != nullptr;
}

bool IsEngineAuxWindow(HWND Wnd) {
  return Wnd && GetPropW(Wnd, AuxWindowTagProp) ==
                    reinterpret_cast<HANDLE>(static_cast<INT_PTR>(AuxWindowTag));
}

void ComposeFormShadow(TBitmap32& Image, const TsSkinModel& Sm, bool Active) {
  int Ex = Sm.ConstData.ExBorder;
  if (Sm.IsValidImgIndex(Ex)) {
    const TsMaskData& M = Sm.ma[size_t(Ex)];
    const TBitmap32* Src = MaskSourceBitmap(Sm, M);
    int Fw = FrameWidth(M), Fh = FrameHeight(M);
    if (!Src || Fw <= 0 || Fh <= 0) return;
    int Frame = Active ? std::min(1, std::max(0, M.ImageCount - 1)) : 0;
    TRect Margins = ShadowTemplateMargins(true, {M.WL, M.WT, M.WR, M.WB}, Sm.SkinData.ExContentOffs,
                                          Sm.SkinData.ExDrawMode, DefaultShadowMargin);
    ComposeShadowUnder(Image, *Src, Bounds(M.R.Left + Frame * Fw, M.R.Top, Fw, Fh), Margins);
  } else {
    const TBitmap32& T = Active ? BuiltinShadows().Active : BuiltinShadows().Inactive;
    if (T.IsEmpty()) return;
    TRect Margins = ShadowTemplateMargins(false, {}, 0, 0, DefaultShadowMargin);
    ComposeShadowUnder(Image, T, T.BoundsRect(), Margins);
  }
  if (Sm.SkinData.Version < 7.51 && RunsUnderWow64() && !CompositionEnabled())
    ReweightShadowPixels(Image);
}

// ---------------------------------------------------------------------------------------------
// The extended border window.

struct TkvBorderForm::TImpl {
  explicit TImpl(TkvBorderOwner& AOwner) : Owner(AOwner) {}
  TkvBorderOwner& Owner;
  HWND AForm = nullptr;
  bool ExBorderShowing = false;
  bool Stretching = false;
  TRect NormalBounds{};
  TBitmap32 Shown;   // the premultiplied image of the layered window
  TRect LastPlace{}; // where the layered window was put last
  TRect LastCut{};   // the region's cut and size when it was set last
  TSize LastRgnSize{};
  bool RgnSet = false;

  static LRESULT CALLBACK BorderProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
  LRESULT OnNCHitTest(TPoint P);
  LRESULT OnSetCursor();
  LRESULT OnDoubleClick(WPARAM WParam, LPARAM LParam);
  LRESULT Forward(UINT Msg, LPARAM LParam);
  void ToggleStretch(bool Horizontal);
  TRect Margins() const;
  void CaptureLiveClient(TBitmap32& Cache);
};

LRESULT CALLBACK TkvBorderForm::TImpl::BorderProc(HWND Wnd, UINT Msg, WPARAM WParam,
                                                  LPARAM LParam) {
  try {
    if (Msg == WM_NCCREATE) {
      auto* Cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Cs->lpCreateParams));
    }
    auto* Self = reinterpret_cast<TImpl*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (Msg == WM_NCDESTROY) {
      RemovePropW(Wnd, AuxWindowTagProp);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
      if (Self && Self->AForm == Wnd) Self->AForm = nullptr;
      return DefWindowProcW(Wnd, Msg, WParam, LParam);
    }
    if (Self && Self->AForm == Wnd) return Self->HandleMessage(Msg, WParam, LParam);
  } catch (...) {
    HandleFrameworkException();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

LRESULT TkvBorderForm::TImpl::HandleMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
  case WM_NCHITTEST: return OnNCHitTest(LParamPoint(LParam));
  case WM_SETCURSOR: return OnSetCursor();
  case WM_MOUSEACTIVATE: {
    HWND O = Owner.OwnerHandle();
    if (O && IsWindow(O)) SetForegroundWindow(O);
    return MA_NOACTIVATE;
  }
  case WM_NCLBUTTONDBLCLK: return OnDoubleClick(WParam, LParam);
  case WM_NCMOUSEMOVE:
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONUP:
  case WM_NCRBUTTONDOWN:
  case WM_NCRBUTTONUP:
  case WM_NCRBUTTONDBLCLK:
  case WM_NCMBUTTONDOWN:
  case WM_NCMBUTTONUP:
  case WM_NCMBUTTONDBLCLK:
  case WM_NCMOUSELEAVE: return Forward(Msg, LParam);
  case WM_ERASEBKGND: return 1;
  case WM_PAINT: {
    // A layered window shows its image; there is nothing to paint.
    TPaintDC Dc(AForm);
    return 0;
  }
  default: return DefWindowProcW(AForm, Msg, WParam, LParam);
  }
}

LRESULT TkvBorderForm::TImpl::OnNCHitTest(TPoint P) {
  RECT R{};
  GetWindowRect(AForm, &R);
  HWND O = Owner.OwnerHandle();
  TRect Shadow = Owner.ShadowSize();
  const TsSkinModel* Sm = Owner.OwnerSkinData().Model();
  int Offs = Sm ? Sm->SkinData.ExShadowOffs : 0;
  if (PointAboveTheShadow({P.X - R.left, P.Y - R.top}, {R.right - R.left, R.bottom - R.top}, Shadow,
                          Offs, O && IsZoomed(O))) {
    Owner.SetHotHT(0, true); // no caption element stays hot over the shadow
    return HTTRANSPARENT;
  }
  return HTOBJECT;
}

LRESULT TkvBorderForm::TImpl::OnSetCursor() {
  POINT P{};
  GetCursorPos(&P);
  RECT R{};
  GetWindowRect(AForm, &R);
  int Code = Owner.HitTestImage({P.x - R.left, P.y - R.top});
  HWND O = Owner.OwnerHandle();
  bool Sizeable = O && (GetWindowLongPtrW(O, GWL_STYLE) & WS_THICKFRAME) && !IsZoomed(O);
  SetCursor(LoadCursorW(nullptr, Sizeable ? SizingCursor(Code) : IDC_ARROW));
  return TRUE;
}

LRESULT TkvBorderForm::TImpl::Forward(UINT Msg, LPARAM LParam) {
  HWND O = Owner.OwnerHandle();
  if (!O || !IsWindow(O)) return 0;
  return SendMessageW(O, Msg, WPARAM(-1), LParam);
}

LRESULT TkvBorderForm::TImpl::OnDoubleClick(WPARAM, LPARAM LParam) {
  HWND O = Owner.OwnerHandle();
  if (!O || !IsWindow(O)) return 0;
  bool Sizeable = (GetWindowLongPtrW(O, GWL_STYLE) & WS_THICKFRAME) && !IsZoomed(O);
  TPoint P = LParamPoint(LParam);
  RECT R{};
  GetWindowRect(AForm, &R);
  int Code = Owner.HitTestImage({P.X - R.left, P.Y - R.top});
  if (Sizeable && (Code == HTLEFT || Code == HTRIGHT)) {
    ToggleStretch(true);
    return 0;
  }
  if (Sizeable && (Code == HTTOP || Code == HTBOTTOM)) {
    ToggleStretch(false);
    return 0;
  }
  return Forward(WM_NCLBUTTONDBLCLK, LParam);
}

TRect TkvBorderForm::TImpl::Margins() const {
  TRect W = WindowRectOf(Owner.OwnerHandle()), B = WindowRectOf(AForm);
  return {W.Left - B.Left, W.Top - B.Top, B.Right - W.Right, B.Bottom - W.Bottom};
}

void TkvBorderForm::TImpl::ToggleStretch(bool Horizontal) {
  HWND O = Owner.OwnerHandle();
  unsigned Bit = Horizontal ? fsStretchedH : fsStretchedV;
  unsigned& State = Owner.FormState();
  TRect W = WindowRectOf(O), R = W;
  if (State & Bit) {
    if (Horizontal) {
      R.Left = NormalBounds.Left;
      R.Right = NormalBounds.Right;
    } else {
      R.Top = NormalBounds.Top;
      R.Bottom = NormalBounds.Bottom;
    }
    State &= ~Bit;
  } else {
    if (!(State & (fsStretchedH | fsStretchedV))) NormalBounds = W;
    if (Horizontal) {
      NormalBounds.Left = W.Left;
      NormalBounds.Right = W.Right;
    } else {
      NormalBounds.Top = W.Top;
      NormalBounds.Bottom = W.Bottom;
    }
    R = StretchedToWorkArea(W, WorkAreaOf(O), Margins(), Horizontal);
    State |= Bit;
  }
  Stretching = true;
  SetWindowPos(O, nullptr, R.Left, R.Top, R.Width(), R.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  Stretching = false;
}

void TkvBorderForm::TImpl::CaptureLiveClient(TBitmap32& Cache) {
  HWND O = Owner.OwnerHandle();
  TSize C = ClientSizeOf(O);
  TRect Dst = Bounds(Owner.OffsetX(), Owner.OffsetY(), C.cx, C.cy).Intersected(Cache.BoundsRect());
  if (Dst.IsEmpty()) return;
  HDC CacheDC = static_cast<HDC>(Cache.NativeDC());
  if (!CacheDC) return;
  POINT Origin{0, 0};
  ClientToScreen(O, &Origin);
  TRect OnScreen = Bounds(Origin.x, Origin.y, C.cx, C.cy);
  if (OnScreen.Intersected(WorkAreaOf(O)) == OnScreen) {
    TClientDC OwnerDC(O);
    BitBlt(CacheDC, Dst.Left, Dst.Top, Dst.Width(), Dst.Height(), OwnerDC, 0, 0, SRCCOPY);
  } else {
    // Parts beyond the work area are not on the screen: the window draws itself instead.
    TSavedDC Saved(CacheDC);
    RECT W{};
    GetWindowRect(O, &W);
    SetViewportOrgEx(CacheDC, Dst.Left - (Origin.x - W.left), Dst.Top - (Origin.y - W.top),
                     nullptr);
    IntersectClipRect(CacheDC, Origin.x - W.left, Origin.y - W.top, Origin.x - W.left + C.cx,
                      Origin.y - W.top + C.cy);
    SendMessageW(O, WM_PRINT, reinterpret_cast<WPARAM>(CacheDC),
                 PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
  }
  GdiFlush();
  // GDI leaves the alpha byte undefined: the captured client is opaque.
  for (int Y = Dst.Top; Y < Dst.Bottom; ++Y) {
    uint32_t* Row = Cache.ScanLine(Y);
    for (int X = Dst.Left; X < Dst.Right; ++X)
      Row[X] |= 0xFF000000u;
  }
}

TkvBorderForm::TkvBorderForm(TkvBorderOwner& Owner) : FImpl(std::make_unique<TImpl>(Owner)) {}

TkvBorderForm::~TkvBorderForm() {
  FreeForm();
}

HWND TkvBorderForm::Handle() const {
  return FImpl->AForm;
}

void TkvBorderForm::CreateNewForm() {
  if (FImpl->AForm) return;
  HWND O = FImpl->Owner.OwnerHandle();
  if (!O || !IsWindow(O)) return;
  if (!RegisterAuxClass(BorderClassName, &TImpl::BorderProc, CS_DBLCLKS)) return;
  DWORD Ex = BorderExStyle | (IsTopmost(O) ? WS_EX_TOPMOST : 0);
  HWND Wnd = CreateWindowExW(Ex, BorderClassName, L"", WS_POPUP, 0, 0, 0, 0, O, nullptr,
                             GetModuleHandleW(nullptr), FImpl.get());
  if (!Wnd) return;
  FImpl->AForm = Wnd;
  FImpl->RgnSet = false;
  MarkAuxWindow(Wnd);
  if (!IsWindowEnabled(O)) EnableWindow(Wnd, FALSE);
}

void TkvBorderForm::UpdateExBordersPos(bool Redraw, uint8_t Blend) {
  TImpl& I = *FImpl;
  TkvBorderOwner& Owner = I.Owner;
  if (I.ExBorderShowing) return;
  if (Application && Application->Terminated()) return;
  HWND O = Owner.OwnerHandle();
  if (!O || !IsWindow(O)) return;
  TsCommonData& Sd = Owner.OwnerSkinData();
  if (Sd.PrintDC || AnimationCapturing) return;
  auto UpdateLayered = UpdateLayeredWindowFn();
  if (!UpdateLayered) return;
  TRect Taken = WindowRectOf(O);
  I.ExBorderShowing = true;
  struct TGuard {
    bool& Flag;
    ~TGuard() { Flag = false; }
  } Guard{I.ExBorderShowing};

  if (!IsWindowVisible(O)) {
    if (Owner.FormState() != fsRestoring) {
      FreeForm();
      Sd.BGChanged = true;
    }
    return;
  }
  if (!Owner.DrawsFrame() || Owner.PaintingSuspended()) return;
  if (!I.AForm) CreateNewForm();
  if (!I.AForm) return;

  Owner.PaintAll();
  // The owner moved while its image was rendered: the next positioning call places it.
  if (WindowRectOf(O) != Taken) return;
  TBitmap32* Cache = Sd.CacheBmp();
  if (!Cache || Cache->IsEmpty()) return;
  if (Owner.FormState() & LiveClientAnimations) I.CaptureLiveClient(*Cache);

  const TsSkinModel* Sm = Sd.Model();
  int ExBorderWidth = Sm ? Sm->SkinData.ExBorderWidth : 0;
  bool Tool = GetWindowLongPtrW(O, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
  TRect Place = ExBorderPlacement(
      Taken, Owner.ShadowSize(), ExBorderWidth, Owner.CaptionHeight(), Owner.SysFrame(),
      GetSystemMetrics(Tool ? SM_CYSMCAPTION : SM_CYCAPTION), {Cache->Width(), Cache->Height()});
  if (Redraw || !I.Shown.SameSize(*Cache) || Place != I.LastPlace) {
    PremultipliedCopy(I.Shown, *Cache);
    uint8_t Alpha = Blend != 255 ? Blend : Owner.AlphaBlendValue();
    POINT Pos{Place.Left, Place.Top}, Src{0, 0};
    SIZE Size{Place.Width(), Place.Height()};
    BLENDFUNCTION Bf{AC_SRC_OVER, 0, Alpha, AC_SRC_ALPHA};
    TClientDC Screen(nullptr);
    UpdateLayered(I.AForm, Screen, &Pos, &Size, static_cast<HDC>(I.Shown.NativeDC()), &Src, 0, &Bf,
                  ULW_ALPHA);
    I.LastPlace = Place;
  }
  if (Place.Width() != I.LastRgnSize.cx || Place.Height() != I.LastRgnSize.cy || ResetRgn ||
      !I.RgnSet)
    MakeRgn();

  UINT Flags = SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOOWNERZORDER;
  if (!IsWindowVisible(I.AForm)) Flags |= SWP_SHOWWINDOW;
  HWND After = InsertAfterForAbove(O, I.AForm);
  if (!After) Flags |= SWP_NOZORDER;
  SetWindowPos(I.AForm, After, 0, 0, 0, 0, Flags);
  EnableWindow(I.AForm, IsWindowEnabled(O));
  TsSkinManager* Manager = Sd.SkinManager();
  SetBlurBehind(I.AForm,
                Manager && Manager->Effects.AllowAeroBluring && Sm && Sm->SkinData.UseAeroBluring);
}

void TkvBorderForm::MakeRgn(int NewWidth, int NewHeight) {
  TImpl& I = *FImpl;
  TkvBorderOwner& Owner = I.Owner;
  HWND O = Owner.OwnerHandle();
  if (!I.AForm || !O || !IsWindow(O)) return;
  TRect Own = WindowRectOf(O), Mine = WindowRectOf(I.AForm);
  TSize Size{Mine.Width(), Mine.Height()};
  TSize MinSize = Owner.MinSize();
  if (NewWidth > 0) Size.cx += std::max(NewWidth, MinSize.cx) - Own.Width();
  if (NewHeight > 0) Size.cy += std::max(NewHeight, MinSize.cy) - Own.Height();
  if (Size.cx <= 0 || Size.cy <= 0) return;
  TRect Outer = Bounds(0, 0, Size.cx, Size.cy);
  const TsSkinModel* Sm = Owner.OwnerSkinData().Model();
  if (IsZoomed(O))
    Outer = ExBorderMaximizedLimit(Size, Owner.ShadowSize(), Owner.SysFrame(),
                                   Sm ? Sm->SkinData.ExBorderWidth : 0);
  TRect Cut{};
  if (!(Owner.FormState() & AnimationHoldsForm))
    Cut = ExBorderClientCut({Owner.OffsetX(), Owner.OffsetY()}, ClientSizeOf(O),
                            {Own.Width(), Own.Height()}, NewWidth, NewHeight, MinSize);
  // The window shows its menu bar itself (the system draws the items there while it tracks).
  if (int Menu = Owner.MenuHeight(); Menu > 0 && !Cut.IsEmpty()) Cut.Top -= Menu;
  if (I.RgnSet && !ResetRgn && Cut == I.LastCut && Size == I.LastRgnSize) return;
  TRegion Rgn = RectRegion({Outer.Left, Outer.Top, Outer.Right, Outer.Bottom});
  if (!Cut.IsEmpty()) {
    TRegion CutRgn = RectRegion({Cut.Left, Cut.Top, Cut.Right, Cut.Bottom});
    // The difference: a cut that reaches beyond a maximized window's limit adds nothing.
    CombineRgn(Rgn, Rgn, CutRgn, RGN_DIFF);
  }
  HRGN Handle = Rgn.Get();
  if (SetWindowRgn(I.AForm, Handle, IsWindowVisible(I.AForm))) {
    Rgn.Detach(); // the system owns the region now
    I.RgnSet = true;
    I.LastCut = Cut;
    I.LastRgnSize = Size;
    ResetRgn = false;
  }
}

void TkvBorderForm::UpdateRgn() {
  ResetRgn = true;
  MakeRgn();
}

void TkvBorderForm::FreeForm() {
  TImpl& I = *FImpl;
  if (I.AForm) {
    HWND Wnd = I.AForm;
    I.AForm = nullptr;
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
    DestroyWindow(Wnd);
  }
  I.Shown = TBitmap32();
  I.LastPlace = {};
  I.RgnSet = false;
  I.LastRgnSize = {};
}

int TkvBorderForm::Ex_WMNCHitTest(TPoint ScreenPoint) {
  TImpl& I = *FImpl;
  if (!I.AForm || MouseAboveTheShadow(ScreenPoint)) return HTNOWHERE;
  TRect R = WindowRectOf(I.AForm);
  return I.Owner.HitTestImage({ScreenPoint.X - R.Left, ScreenPoint.Y - R.Top});
}

bool TkvBorderForm::MouseAboveTheShadow(TPoint ScreenPoint) const {
  const TImpl& I = *FImpl;
  if (!I.AForm) return false;
  TRect R = WindowRectOf(I.AForm);
  HWND O = I.Owner.OwnerHandle();
  const TsSkinModel* Sm = I.Owner.OwnerSkinData().Model();
  return PointAboveTheShadow({ScreenPoint.X - R.Left, ScreenPoint.Y - R.Top},
                             {R.Width(), R.Height()}, I.Owner.ShadowSize(),
                             Sm ? Sm->SkinData.ExShadowOffs : 0, O && IsZoomed(O));
}

TRect TkvBorderForm::NormalBounds() const {
  return FImpl->NormalBounds;
}

void TkvBorderForm::OwnerMoving(WINDOWPOS& Pos) {
  TImpl& I = *FImpl;
  unsigned& State = I.Owner.FormState();
  if (I.Stretching || !(State & (fsStretchedH | fsStretchedV)) || (Pos.flags & SWP_NOMOVE)) return;
  TRect W = WindowRectOf(I.Owner.OwnerHandle());
  if (Pos.x == W.Left && Pos.y == W.Top) return;
  if (Pos.flags & SWP_NOSIZE) {
    Pos.cx = W.Width();
    Pos.cy = W.Height();
    Pos.flags &= ~UINT(SWP_NOSIZE);
  }
  if (State & fsStretchedH) Pos.cx = I.NormalBounds.Width();
  if (State & fsStretchedV) Pos.cy = I.NormalBounds.Height();
  State &= ~(fsStretchedH | fsStretchedV);
}

const TBitmap32& TkvBorderForm::ShownImage() const {
  return FImpl->Shown;
}

// ---------------------------------------------------------------------------------------------
// The caption cover.

struct TkvCaptionCover::TImpl {
  explicit TImpl(TkvBorderOwner& AOwner) : Owner(AOwner) {}
  TkvBorderOwner& Owner;
  HWND CaptForm = nullptr;
  TBitmap32 Image; // the copy of the owner's image the cover shows

  static LRESULT CALLBACK NewCaptFormProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void CaptFormPaint();
};

LRESULT CALLBACK TkvCaptionCover::TImpl::NewCaptFormProc(HWND Wnd, UINT Msg, WPARAM WParam,
                                                         LPARAM LParam) {
  try {
    if (Msg == WM_NCCREATE) {
      auto* Cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Cs->lpCreateParams));
    }
    auto* Self = reinterpret_cast<TImpl*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    switch (Msg) {
    case WM_ERASEBKGND: return 1; // the paint covers everything
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_PAINT:
      if (Self && Self->CaptForm == Wnd) {
        Self->CaptFormPaint();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemovePropW(Wnd, AuxWindowTagProp);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
      if (Self && Self->CaptForm == Wnd) Self->CaptForm = nullptr;
      break;
    }
  } catch (...) {
    HandleFrameworkException();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void TkvCaptionCover::TImpl::CaptFormPaint() {
  TPaintDC Dc(CaptForm);
  HDC Src = static_cast<HDC>(Image.NativeDC());
  if (Src) CopyToScreen(Dc, 0, 0, Image.Width(), Image.Height(), Src, 0, 0);
}

TkvCaptionCover::TkvCaptionCover(TkvBorderOwner& Owner) : FImpl(std::make_unique<TImpl>(Owner)) {}

TkvCaptionCover::~TkvCaptionCover() {
  UncoverCaption();
}

bool TkvCaptionCover::CoverCaption(bool WholeHeight) {
  TImpl& I = *FImpl;
  TkvBorderOwner& Owner = I.Owner;
  UncoverCaption();
  HWND O = Owner.OwnerHandle();
  if (!O || !IsWindow(O) || !IsWindowVisible(O) || IsIconic(O)) return false;
  if (!Owner.DrawsFrame() || Owner.PaintingSuspended() || AnimationCapturing) return false;
  if (Owner.FormState() & fsBlending) return false;
  const TBitmap32* Cache = Owner.OwnerSkinData().CacheBmp();
  if (!Cache || Cache->IsEmpty()) return false;

  TRect W = WindowRectOf(O);
  TRect Cover;   // on the screen
  TPoint Source; // in the image
  TRect Shadow = Owner.ShadowSize();
  if (Shadow != TRect{}) {
    // With a border window the frame is in the border window: only the menu rows remain.
    int Menu = Owner.MenuHeight();
    if (Menu <= 0) return false;
    POINT C{0, 0};
    ClientToScreen(O, &C);
    Cover = Bounds(W.Left, C.y - Menu, W.Width(), Menu);
    Source = {Owner.OffsetX() - (C.x - W.Left), Owner.OffsetY() - Menu};
  } else {
    Cover = Bounds(W.Left, W.Top, W.Width(), WholeHeight ? W.Height() : Owner.HeaderHeight());
  }
  TRect Part =
      Bounds(Source.X, Source.Y, Cover.Width(), Cover.Height()).Intersected(Cache->BoundsRect());
  if (Part.IsEmpty()) return false;
  Cover = Bounds(Cover.Left + Part.Left - Source.X, Cover.Top + Part.Top - Source.Y, Part.Width(),
                 Part.Height());
  I.Image.SetSize(Part.Width(), Part.Height());
  for (int Y = 0; Y < Part.Height(); ++Y)
    std::copy_n(Cache->ScanLine(Part.Top + Y) + Part.Left, Part.Width(), I.Image.ScanLine(Y));

  if (!RegisterAuxClass(CoverClassName, &TImpl::NewCaptFormProc, 0)) return false;
  DWORD Ex = CoverExStyle | (IsTopmost(O) ? WS_EX_TOPMOST : 0);
  HWND Wnd =
      CreateWindowExW(Ex, CoverClassName, L"", WS_POPUP, Cover.Left, Cover.Top, Cover.Width(),
                      Cover.Height(), O, nullptr, GetModuleHandleW(nullptr), FImpl.get());
  if (!Wnd) return false;
  I.CaptForm = Wnd;
  MarkAuxWindow(Wnd);
  HWND After = InsertAfterForAbove(O, Wnd);
  SetWindowPos(Wnd, After ? After : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER |
                   (After ? 0 : SWP_NOZORDER));
  RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  return true;
}

void TkvCaptionCover::UncoverCaption() {
  TImpl& I = *FImpl;
  if (I.CaptForm) {
    HWND Wnd = I.CaptForm;
    I.CaptForm = nullptr;
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
    DestroyWindow(Wnd);
  }
  I.Image = TBitmap32();
}

HWND TkvCaptionCover::Handle() const {
  return FImpl->CaptForm;
}

// ---------------------------------------------------------------------------------------------
// The outline drag.

struct TkvOutlineDrag::TImpl {
  explicit TImpl(TkvBorderOwner& AOwner) : Owner(AOwner) {}
  TkvBorderOwner& Owner;
  bool Dragging = false;
  int Code = 0;
  TRect StartRect{};
  TRect Outline{};
  TPoint StartPoint{};
  HWND Wnd = nullptr;

  // Inverts the outline on the desktop: drawn twice it is gone.
  void DrawOutline() const {
    TClientDC Dc(nullptr);
    if (!Dc) return;
    TSavedDC Saved(Dc);
    TPen Pen(CreatePen(PS_INSIDEFRAME, 3, RGB(0, 0, 0)));
    TSelectObject SelPen(Dc, Pen);
    TSelectObject SelBrush(Dc, GetStockObject(NULL_BRUSH));
    SetROP2(Dc, R2_NOT);
    Rectangle(Dc, Outline.Left, Outline.Top, Outline.Right, Outline.Bottom);
  }
  void End() {
    DrawOutline();
    Dragging = false;
    if (GetCapture() == Wnd) ReleaseCapture();
  }
};

TkvOutlineDrag::TkvOutlineDrag(TkvBorderOwner& Owner) : FImpl(std::make_unique<TImpl>(Owner)) {}

TkvOutlineDrag::~TkvOutlineDrag() {
  Cancel();
}

bool TkvOutlineDrag::Start(int HitCode, TPoint P) {
  TImpl& I = *FImpl;
  if (I.Dragging) return false;
  HWND O = I.Owner.OwnerHandle();
  if (!O || !IsWindow(O) || IsZoomed(O) || !IsWindowEnabled(O)) return false;
  I.Wnd = O;
  I.Code = HitCode;
  I.StartPoint = P;
  I.StartRect = I.Outline = WindowRectOf(O);
  I.Dragging = true;
  SetCapture(O);
  I.DrawOutline();
  return true;
}

void TkvOutlineDrag::Move(TPoint P) {
  TImpl& I = *FImpl;
  if (!I.Dragging) return;
  TRect New = OutlineRect(I.Code, I.StartRect, {P.X - I.StartPoint.X, P.Y - I.StartPoint.Y},
                          I.Owner.MinSize());
  if (New == I.Outline) return;
  I.DrawOutline();
  I.Outline = New;
  I.DrawOutline();
}

bool TkvOutlineDrag::Finish() {
  TImpl& I = *FImpl;
  if (!I.Dragging) return false;
  I.End();
  if (IsWindow(I.Wnd) && I.Outline != I.StartRect)
    MoveWindow(I.Wnd, I.Outline.Left, I.Outline.Top, I.Outline.Width(), I.Outline.Height(), TRUE);
  return true;
}

void TkvOutlineDrag::Cancel() {
  if (FImpl->Dragging) FImpl->End();
}

bool TkvOutlineDrag::Dragging() const {
  return FImpl->Dragging;
}

TRect TkvOutlineDrag::Outline() const {
  return FImpl->Outline;
}

bool TkvOutlineDrag::Run(int HitCode, TPoint P) {
  if (!Start(HitCode, P)) return false;
  HWND Wnd = FImpl->Wnd;
  MSG Msg;
  while (FImpl->Dragging) {
    if (GetCapture() != Wnd || !IsWindow(Wnd)) {
      Cancel();
      return false;
    }
    BOOL Got = GetMessageW(&Msg, nullptr, 0, 0);
    if (Got <= 0) {
      Cancel();
      if (Got == 0) PostQuitMessage(int(Msg.wParam)); // the outer loop ends as well
      return false;
    }
    switch (Msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: Move({Msg.pt.x, Msg.pt.y}); continue;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDBLCLK: Move({Msg.pt.x, Msg.pt.y}); return Finish();
    case WM_KEYDOWN:
      if (Msg.wParam == VK_ESCAPE) {
        Cancel();
        return false;
      }
      continue;
    case WM_CANCELMODE: Cancel(); return false;
    default: break;
    }
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return false;
}

TRect TkvOutlineDrag::OutlineRect(int HitCode, const TRect& Start, TPoint Delta, TSize MinSize) {
  return OutlineDragRect(HitCode, Start, Delta, MinSize);
}
