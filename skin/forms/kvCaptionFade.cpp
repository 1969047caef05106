// The state fade of a caption element.
#include "skin/forms/kvCaptionFade.h"

#include <algorithm>

#include "base/GdiObjects.h"
#include "skin/forms/kvBorderForm.h"
#include "skin/forms/kvFormAnim.h"
#include "toolkit/Controls.h"

namespace {

constexpr wchar_t OverlayClass[] = L"TkvSBAnimation";
constexpr UINT StepMilliseconds = 12;
constexpr DWORD OverlayExStyle =
    WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;

TUpdateLayeredWindow UpdateLayered() {
  return UpdateLayeredWindowFn();
}

} // namespace

TkvSBAnimation::TkvSBAnimation(HWND Form, TCallbacks Callbacks)
    : FForm(Form), FCallbacks(std::move(Callbacks)) {}

TkvSBAnimation::~TkvSBAnimation() {
  Stop();
}

uint8_t TkvSBAnimation::Alpha() const {
  if (MaxIterations <= 0) return 255;
  int Step = 255 / MaxIterations;
  return uint8_t(std::clamp(Step * CurrentLevel, 0, 255));
}

LRESULT CALLBACK TkvSBAnimation::OverlayProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    if (Msg == WM_NCCREATE) {
      auto* Cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Cs->lpCreateParams));
    }
    auto* Self = reinterpret_cast<TkvSBAnimation*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    switch (Msg) {
    case WM_TIMER:
      if (Self && Self->FOverlay == Wnd) Self->Tick();
      return 0;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCDESTROY:
      RemovePropW(Wnd, AuxWindowTagProp);
      if (Self && Self->FOverlay == Wnd) {
        Self->FOverlay = nullptr;
        Self->FTimer = 0;
      }
      break;
    }
  } catch (...) {
    HandleFrameworkException();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

bool TkvSBAnimation::MakeOverlay() {
  if (FOverlay) return true;
  if (!UpdateLayered() || !IsWindow(FForm)) return false;
  WNDCLASSEXW Wc{};
  Wc.cbSize = sizeof(Wc);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), OverlayClass, &Wc)) {
    Wc.cbSize = sizeof(Wc);
    Wc.lpfnWndProc = &OverlayProc;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.lpszClassName = OverlayClass;
    if (!RegisterClassExW(&Wc)) return false;
  }
  DWORD Ex = OverlayExStyle |
             ((GetWindowLongPtrW(FForm, GWL_EXSTYLE) & WS_EX_TOPMOST) ? WS_EX_TOPMOST : 0);
  // Owned by the form, so it stays just above it.
  FOverlay = CreateWindowExW(Ex, OverlayClass, L"", WS_POPUP, 0, 0, 0, 0, FForm, nullptr,
                             GetModuleHandleW(nullptr), this);
  if (!FOverlay) return false;
  SetPropW(FOverlay, AuxWindowTagProp, reinterpret_cast<HANDLE>(INT_PTR(AuxWindowTag)));
  return true;
}

void TkvSBAnimation::FreeOverlay() {
  HWND Wnd = FOverlay;
  FOverlay = nullptr;
  FTimer = 0;
  if (Wnd) {
    KillTimer(Wnd, 1);
    SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
    RemovePropW(Wnd, AuxWindowTagProp);
    DestroyWindow(Wnd);
  }
  FImage = TBitmap32();
  FImageState = -1;
}

void TkvSBAnimation::Stop() {
  FreeOverlay();
  CurrentLevel = 0;
  CurrentState = -1;
}

void TkvSBAnimation::Show() {
  if (!FOverlay || !FCallbacks.Place) return;
  TRect R = FCallbacks.Place();
  if (R.IsEmpty()) return;
  if (FImage.Width() != R.Width() || FImage.Height() != R.Height()) {
    FImage.SetSize(R.Width(), R.Height());
    FImageState = -1;
  }
  int Face = CurrentState > 0 ? CurrentState : FImageState;
  if (Face != FImageState && Face > 0 && FCallbacks.Draw) {
    FCallbacks.Draw(FImage, Face);
    GdiFlush();
    // The face is opaque: its own premultiplied copy.
    for (int y = 0; y < FImage.Height(); ++y) {
      uint32_t* Row = FImage.ScanLine(y);
      for (int x = 0; x < FImage.Width(); ++x)
        Row[x] |= 0xFF000000u;
    }
    FImageState = Face;
  }
  HDC Src = static_cast<HDC>(FImage.NativeDC());
  if (!Src) return;
  POINT Pos{R.Left, R.Top}, Origin{0, 0};
  SIZE Size{R.Width(), R.Height()};
  BLENDFUNCTION Bf{AC_SRC_OVER, 0, Alpha(), AC_SRC_ALPHA};
  TClientDC Screen(nullptr);
  UpdateLayered()(FOverlay, Screen, &Pos, &Size, Src, &Origin, 0, &Bf, ULW_ALPHA);
  if (!IsWindowVisible(FOverlay))
    SetWindowPos(FOverlay, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TkvSBAnimation::StartAnimation(int NewState, int Iterations) {
  bool Fading = FOverlay != nullptr;
  int Target = NewState > 0 ? NewState : 0;
  if (Fading && Target == (Up ? CurrentState : 0) && Iterations == MaxIterations) return;
  if (!Fading && Target == 0) return; // nothing shown, nothing to fade out
  // A redirected fade goes on from the alpha it shows now.
  uint8_t Shown = Fading ? Alpha() : 0;
  MaxIterations = std::max(1, Iterations);
  int Step = std::max(1, 255 / MaxIterations);
  CurrentLevel = std::clamp((Shown + Step - 1) / Step, 0, MaxIterations);
  if (Target > 0) {
    // A new face starts faint (a pressed one at once, at full level).
    if (Target != CurrentState || !Fading) CurrentLevel = Target == 2 ? MaxIterations : 1;
    CurrentLevel = std::max(CurrentLevel, 1);
    CurrentState = Target;
    Up = true;
  } else {
    // Fading out keeps the face it shows; the level counts down.
    Up = false;
  }
  if (!MakeOverlay()) {
    Stop();
    return;
  }
  Show();
  if (!FTimer && FOverlay && MaxIterations > 1)
    FTimer = SetTimer(FOverlay, 1, StepMilliseconds, nullptr);
}

void TkvSBAnimation::Tick() {
  if (!FOverlay) return;
  if (Up) {
    if (CurrentLevel < MaxIterations) {
      ++CurrentLevel;
      Show();
      return;
    }
    // At full level: when the mouse went away without a leave message, the form hears of it.
    if (FCallbacks.MouseAbove && !FCallbacks.MouseAbove()) {
      KillTimer(FOverlay, 1);
      FTimer = 0;
      PostMessageW(FForm, WM_NCMOUSELEAVE, 0, 0);
    }
    return;
  }
  if (CurrentLevel > 0) --CurrentLevel;
  if (CurrentLevel <= 0) {
    // The fade's own state ends; the element keeps its normal face.
    Stop();
    return;
  }
  Show();
}

// ---------------------------------------------------------------------------------------------
// The hint of a user caption button

namespace {

constexpr wchar_t HintClass[] = L"TkvCaptionHint";
constexpr UINT HintFadeMilliseconds = 200;
constexpr UINT HintFadeStep = 20;

HFONT HintFont() {
  static TFontHandle Font = [] {
    NONCLIENTMETRICSW M{};
    M.cbSize = sizeof(M);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(M), &M, 0);
    return TFontHandle(CreateFontIndirectW(&M.lfStatusFont));
  }();
  return Font;
}

bool TooltipsFade() {
  BOOL Animate = FALSE, Fade = FALSE;
  SystemParametersInfoW(SPI_GETTOOLTIPANIMATION, 0, &Animate, 0);
  SystemParametersInfoW(SPI_GETTOOLTIPFADE, 0, &Fade, 0);
  return Animate && Fade;
}

} // namespace

TRect CaptionHintPlace(TPoint Cursor, TSize Size, const TRect& WorkArea) {
  int X = Cursor.X + 8, Y = Cursor.Y + 16;
  X = std::max(WorkArea.Left, std::min(X, WorkArea.Right - Size.cx));
  Y = std::max(WorkArea.Top, std::min(Y, WorkArea.Bottom - Size.cy));
  return Bounds(X, Y, Size.cx, Size.cy);
}

LRESULT CALLBACK TkvCaptionHint::HintProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    if (Msg == WM_NCCREATE) {
      auto* Cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Cs->lpCreateParams));
    }
    auto* Self = reinterpret_cast<TkvCaptionHint*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    switch (Msg) {
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
      TPaintDC DC(Wnd);
      RECT R;
      GetClientRect(Wnd, &R);
      FillRect(DC, &R, GetSysColorBrush(COLOR_INFOBK));
      FrameRect(DC, &R, GetSysColorBrush(COLOR_INFOTEXT));
      if (Self) {
        TSavedDC Saved(DC);
        SelectObject(DC, HintFont());
        SetBkMode(DC, TRANSPARENT);
        SetTextColor(DC, GetSysColor(COLOR_INFOTEXT));
        InflateRect(&R, -3, -2);
        DrawTextW(DC, Self->FText.c_str(), int(Self->FText.size()), &R,
                  DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
      }
      return 0;
    }
    case WM_TIMER:
      if (Self && WParam == Self->FFadeTimer) {
        DWORD Gone = GetTickCount() - Self->FFadeStart;
        BYTE Alpha = BYTE(std::min<DWORD>(255, Gone * 255 / HintFadeMilliseconds));
        SetLayeredWindowAttributes(Wnd, 0, Alpha, LWA_ALPHA);
        if (Gone >= HintFadeMilliseconds) {
          KillTimer(Wnd, Self->FFadeTimer);
          Self->FFadeTimer = 0;
        }
      }
      return 0;
    case WM_NCDESTROY:
      RemovePropW(Wnd, AuxWindowTagProp);
      if (Self && Self->FWnd == Wnd) {
        Self->FWnd = nullptr;
        Self->FFadeTimer = 0;
      }
      break;
    }
  } catch (...) {
    HandleFrameworkException();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

TkvCaptionHint::TkvCaptionHint(HWND Form, const std::wstring& Text) : FText(Text) {
  WNDCLASSEXW Wc{};
  Wc.cbSize = sizeof(Wc);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), HintClass, &Wc)) {
    Wc.cbSize = sizeof(Wc);
    Wc.lpfnWndProc = &HintProc;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.lpszClassName = HintClass;
    Wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    Wc.style = CS_SAVEBITS;
    if (!RegisterClassExW(&Wc)) return;
  }
  // Measured with at most 800 pixels a line, then made 4 pixels taller.
  RECT Text_{0, 0, 800, 0};
  {
    TClientDC DC(nullptr);
    TSavedDC Saved(DC);
    SelectObject(DC, HintFont());
    DrawTextW(DC, FText.c_str(), int(FText.size()), &Text_,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_LEFT);
  }
  TSize Size{Text_.right + 6, Text_.bottom + 4};
  bool Fade = FText.size() < 100 && TooltipsFade();
  HMONITOR Mon = MonitorFromWindow(Form, MONITOR_DEFAULTTONEAREST);
  MONITORINFO Mi{};
  Mi.cbSize = sizeof(Mi);
  GetMonitorInfoW(Mon, &Mi);
  bool StayOnTop = GetWindowLongW(Form, GWL_EXSTYLE) & WS_EX_TOPMOST;
  const RECT& A = StayOnTop ? Mi.rcMonitor : Mi.rcWork;
  POINT Cursor{};
  GetCursorPos(&Cursor);
  TRect R = CaptionHintPlace({Cursor.x, Cursor.y}, Size, {A.left, A.top, A.right, A.bottom});
  DWORD Ex = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE | (Fade ? WS_EX_LAYERED : 0);
  FWnd = CreateWindowExW(Ex, HintClass, L"", WS_POPUP, R.Left, R.Top, R.Width(), R.Height(), Form,
                         nullptr, GetModuleHandleW(nullptr), this);
  if (!FWnd) return;
  SetPropW(FWnd, AuxWindowTagProp, reinterpret_cast<HANDLE>(intptr_t(-98)));
  if (Fade) {
    SetLayeredWindowAttributes(FWnd, 0, 0, LWA_ALPHA);
    FFadeStart = GetTickCount();
    FFadeTimer = SetTimer(FWnd, 1, HintFadeStep, nullptr);
  }
  ShowWindow(FWnd, SW_SHOWNOACTIVATE);
}

TkvCaptionHint::~TkvCaptionHint() {
  if (FWnd) DestroyWindow(FWnd);
}
