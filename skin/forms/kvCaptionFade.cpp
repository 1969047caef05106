// The state fade of a caption element.
#include "skin/forms/kvCaptionFade.h"

#include <algorithm>

#include "base/GdiObjects.h"
#include "skin/forms/kvBorderForm.h"
#include "toolkit/Controls.h"

namespace {

constexpr wchar_t OverlayClass[] = L"TkvSBAnimation";
constexpr UINT StepMilliseconds = 12;
constexpr DWORD OverlayExStyle =
    WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE;

using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                           BLENDFUNCTION*, DWORD);
TUpdateLayeredWindow UpdateLayered() {
  static const auto Fn = reinterpret_cast<TUpdateLayeredWindow>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow")));
  return Fn;
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
