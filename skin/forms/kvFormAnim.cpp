// The form animations of skinned windows.
#include "skin/forms/kvFormAnim.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "base/GdiObjects.h"
#include "skin/controls/sVclUtils.h"
#include "skin/forms/kvAnimSteps.h"
#include "skin/forms/kvBorderForm.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/messages/sMessages.h"

TUpdateLayeredWindow UpdateLayeredWindowFn() {
  static const auto Fn = reinterpret_cast<TUpdateLayeredWindow>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow")));
  return Fn;
}

TSetLayeredWindowAttributes SetLayeredWindowAttributesFn() {
  static const auto Fn = reinterpret_cast<TSetLayeredWindowAttributes>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetLayeredWindowAttributes")));
  return Fn;
}

bool ApplyLayeredPicture(HWND Wnd, const TBitmap32& Picture, TPoint Pos, uint8_t Alpha) {
  auto Update = UpdateLayeredWindowFn();
  HDC Src = static_cast<HDC>(Picture.NativeDC());
  if (!Update || !Src || !Wnd || Picture.IsEmpty()) return false;
  POINT P{Pos.X, Pos.Y}, Origin{0, 0};
  SIZE Size{Picture.Width(), Picture.Height()};
  BLENDFUNCTION Bf{AC_SRC_OVER, 0, Alpha, AC_SRC_ALPHA};
  TClientDC Screen(nullptr);
  return Update(Wnd, Screen, &P, &Size, Src, &Origin, 0, &Bf, ULW_ALPHA) != FALSE;
}

namespace {

const wchar_t* const OutputClass = L"TOutputWindow";
constexpr UINT_PTR AnimTimerId = 1;

bool IsTopmostWindow(HWND Wnd) {
  return Wnd && (GetWindowLongPtrW(Wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool HasLayeredStyle(HWND Wnd) {
  return (GetWindowLongPtrW(Wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

void SetLayeredStyle(HWND Wnd, bool On) {
  LONG_PTR Ex = GetWindowLongPtrW(Wnd, GWL_EXSTYLE);
  LONG_PTR New = On ? Ex | WS_EX_LAYERED : Ex & ~LONG_PTR(WS_EX_LAYERED);
  if (New != Ex) SetWindowLongPtrW(Wnd, GWL_EXSTYLE, New);
}

// Makes a window see-through (alpha only).
void SetWindowAlpha(HWND Wnd, uint8_t Alpha) {
  SetLayeredStyle(Wnd, true);
  if (auto Fn = SetLayeredWindowAttributesFn()) Fn(Wnd, 0, Alpha, LWA_ALPHA);
}

TsSkinProvider* ProviderOf(HWND Wnd) {
  return IsWindow(Wnd) ? reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Wnd, KV_QUERYPROVIDER))
                       : nullptr;
}

TRect WindowRectOf(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  return {R.left, R.top, R.right, R.bottom};
}

// Picture stretched into Dst of a new frame of FrameSize (the rest transparent).
TBitmap32 StretchedFrame(const TBitmap32& Src, TSize FrameSize, const TRect& Dst) {
  TBitmap32 Frame;
  Frame.SetSize(FrameSize.cx, FrameSize.cy);
  HDC D = static_cast<HDC>(Frame.NativeDC()), S = static_cast<HDC>(Src.NativeDC());
  if (D && S && !Dst.IsEmpty()) {
    SetStretchBltMode(D, COLORONCOLOR);
    StretchBlt(D, Dst.Left, Dst.Top, Dst.Width(), Dst.Height(), S, 0, 0, Src.Width(), Src.Height(),
               SRCCOPY);
    GdiFlush();
  }
  return Frame;
}

// A layered, no-activate tool window for an animation over (or for) Owner.
// Owned by Owner unless Free: an owned window is hidden with its minimized owner.
std::unique_ptr<TOutputWindow> NewAnimationWindow(HWND Owner, bool Free = false) {
  auto W = std::make_unique<TOutputWindow>(
      Owner, WS_EX_LAYERED | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT, Free);
  if (!W->Handle()) return nullptr;
  return W;
}

void ShowNoActivate(HWND Wnd, HWND Above) {
  SetWindowPos(Wnd, IsTopmostWindow(Above) ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The output window

TOutputWindow::TOutputWindow(HWND Owner, DWORD ExStyle, bool Unowned) {
  WNDCLASSEXW Wc{};
  Wc.cbSize = sizeof(Wc);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), OutputClass, &Wc)) {
    Wc.lpfnWndProc = WndProc;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.lpszClassName = OutputClass;
    Wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassExW(&Wc);
  }
  DWORD Ex = ExStyle | (IsTopmostWindow(Owner) ? WS_EX_TOPMOST : 0);
  FWnd = CreateWindowExW(Ex, OutputClass, L"kvOutputWindow", WS_POPUP, 0, 0, 0, 0,
                         Unowned ? nullptr : Owner, nullptr, GetModuleHandleW(nullptr), this);
  if (FWnd) SetPropW(FWnd, AuxWindowTagProp, HANDLE(INT_PTR(AuxWindowTag)));
}

TOutputWindow::~TOutputWindow() {
  if (!FWnd) return;
  StopTimer();
  SetWindowLongPtrW(FWnd, GWLP_USERDATA, 0);
  RemovePropW(FWnd, AuxWindowTagProp);
  DestroyWindow(FWnd);
}

void TOutputWindow::StartTimer(UINT Interval, std::function<void()> OnTimer) {
  FOnTimer = std::move(OnTimer);
  FTicking = true;
  SetTimer(FWnd, AnimTimerId, Interval, nullptr);
}

void TOutputWindow::StopTimer() {
  if (FTicking && FWnd) KillTimer(FWnd, AnimTimerId);
  FTicking = false;
}

LRESULT CALLBACK TOutputWindow::WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    if (Msg == WM_NCCREATE) {
      auto* Cs = reinterpret_cast<CREATESTRUCTW*>(LParam);
      SetWindowLongPtrW(Wnd, GWLP_USERDATA, LONG_PTR(Cs->lpCreateParams));
    }
    auto* Self = reinterpret_cast<TOutputWindow*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    switch (Msg) {
    case WM_ERASEBKGND: return 1;
    case WM_NCPAINT: return 0;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_TIMER:
      if (Self && WParam == AnimTimerId && Self->FTicking && Self->FOnTimer) {
        // The handler may free this window: it works on a copy.
        auto Handler = Self->FOnTimer;
        Handler();
      }
      return 0;
    default: break;
    }
  } catch (...) {
    if (Application) Application->HandleException();
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------------------------
// Pictures and the system's animation

TBitmap32 WindowPicture(HWND Wnd) {
  TBitmap32 Picture;
  TRect R = WindowRectOf(Wnd);
  if (R.IsEmpty()) return Picture;
  Picture.SetSize(R.Width(), R.Height());
  HDC DC = static_cast<HDC>(Picture.NativeDC());
  if (!DC) return TBitmap32();
  SendMessageW(Wnd, WM_PRINT, WPARAM(DC),
               PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_ERASEBKGND | PRF_OWNED);
  GdiFlush();
  for (int y = 0; y < Picture.Height(); ++y) {
    uint32_t* Row = Picture.ScanLine(y);
    for (int x = 0; x < Picture.Width(); ++x)
      Row[x] |= 0xFF000000u;
  }
  return Picture;
}

TSystemAnimationOff::TSystemAnimationOff() {
  FSaved.cbSize = sizeof(FSaved);
  if (!SystemParametersInfoW(SPI_GETANIMATION, sizeof(FSaved), &FSaved, 0) || !FSaved.iMinAnimate)
    return;
  ANIMATIONINFO Off = FSaved;
  Off.iMinAnimate = 0;
  // fWinIni 0: the change stays in this session and is not broadcast.
  FChanged = SystemParametersInfoW(SPI_SETANIMATION, sizeof(Off), &Off, 0) != FALSE;
}

TSystemAnimationOff::~TSystemAnimationOff() {
  if (FChanged) SystemParametersInfoW(SPI_SETANIMATION, sizeof(FSaved), &FSaved, 0);
}

// ---------------------------------------------------------------------------------------------
// Show

namespace {

struct TShowState {
  bool WasLayered = false;
  BYTE OldAlpha = 255;
};
std::map<HWND, TShowState>& PendingShows() {
  static std::map<HWND, TShowState> Map;
  return Map;
}

} // namespace

void BeginShowAnimation(HWND Wnd) {
  if (!UpdateLayeredWindowFn() || !Wnd || PendingShows().count(Wnd)) return;
  TShowState S;
  S.WasLayered = HasLayeredStyle(Wnd);
  if (S.WasLayered) {
    BYTE A = 255;
    DWORD Flags = 0;
    if (GetLayeredWindowAttributes(Wnd, nullptr, &A, &Flags) && (Flags & LWA_ALPHA)) S.OldAlpha = A;
  }
  PendingShows()[Wnd] = S;
  // Shown see-through, so that nothing of it appears before its picture.
  SetWindowAlpha(Wnd, S.WasLayered ? 0 : 1);
}

bool ShowAnimationPending(HWND Wnd) {
  return PendingShows().count(Wnd) != 0;
}

bool RunShowAnimation(HWND Wnd, const TkvFormAnimation& A, uint8_t FinalAlpha) {
  auto It = PendingShows().find(Wnd);
  if (It == PendingShows().end()) return false;
  TShowState S = It->second;
  PendingShows().erase(It);
  auto GiveBack = [&] {
    if (S.WasLayered)
      SetWindowAlpha(Wnd, S.OldAlpha);
    else
      SetLayeredStyle(Wnd, false);
  };
  if (!IsWindowVisible(Wnd)) {
    GiveBack();
    return false;
  }
  TBitmap32 Picture = WindowPicture(Wnd);
  std::unique_ptr<TOutputWindow> Anim = Picture.IsEmpty() ? nullptr : NewAnimationWindow(Wnd);
  if (!Anim) {
    GiveBack();
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return false;
  }
  if (S.WasLayered) FinalAlpha = S.OldAlpha;
  // The picture is taken: the window and its children need not paint until it is shown.
  AnimationCapturing = true;
  TRect R = WindowRectOf(Wnd);
  TSize Size{Picture.Width(), Picture.Height()};
  int N = AnimStepCount(A.Time);
  std::vector<uint8_t> Alphas = ShowAlphas(FinalAlpha, N);
  if (N < 1) ApplyLayeredPicture(Anim->Handle(), Picture, {R.Left, R.Top}, FinalAlpha);
  ShowNoActivate(Anim->Handle(), Wnd);
  for (int i = 0; i < N + 1 && N > 0; ++i) {
    if (A.Mode == atAero)
      ApplyLayeredPicture(Anim->Handle(), StretchedFrame(Picture, Size, ShowZoomRect(Size, i, N)),
                          {R.Left, R.Top}, Alphas[size_t(i)]);
    else
      ApplyLayeredPicture(Anim->Handle(), Picture, {R.Left, R.Top}, Alphas[size_t(i)]);
    Sleep(AnimStepTime);
  }
  // Without steps the final picture is up already (each apply uploads the whole picture).
  if (N > 0) ApplyLayeredPicture(Anim->Handle(), Picture, {R.Left, R.Top}, FinalAlpha);
  // The window comes back just behind its picture, then the picture goes.
  SetWindowPos(Wnd, Anim->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  AnimationCapturing = false;
  GiveBack();
  RedrawWindow(Wnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Anim.reset();
  return true;
}

// ---------------------------------------------------------------------------------------------
// Hide

namespace {

struct THideAnim {
  // The provider of the hidden window, told when the animation ends.
  TWeakRef<TsSkinProvider> Provider;
  std::unique_ptr<TOutputWindow> Cover;
  TBitmap32 Picture;
  TPoint Pos;
  TkvAnimType Mode = atAero;
  int Steps = 0;
  int Step = 0;
  std::vector<uint8_t> Alphas;
  bool Running = false;
};
std::map<HWND, std::unique_ptr<THideAnim>>& Hides() {
  static std::map<HWND, std::unique_ptr<THideAnim>> Map;
  return Map;
}
bool Terminating() {
  return Application && Application->Terminated();
}

// Frees the cover (also from inside its own timer tick: nothing of it is used after) and, for a
// hide that ran, tells the window's provider.
void EndHide(HWND Key) {
  auto It = Hides().find(Key);
  if (It == Hides().end()) return;
  std::unique_ptr<THideAnim> H = std::move(It->second);
  Hides().erase(It);
  bool Ran = H->Running;
  TWeakRef<TsSkinProvider> Provider = H->Provider;
  H.reset();
  TsSkinProvider* Sp = Provider.Get();
  if (!Ran || !Sp) return;
  // The application ends: nothing shows the hidden window's frame any more.
  if (Terminating() && Sp->BorderForm()) Sp->BorderForm()->FreeForm();
  Sp->AfterAnimation(aeHiding);
}

void ShowHideStep(THideAnim& H) {
  TSize Size{H.Picture.Width(), H.Picture.Height()};
  uint8_t Alpha = H.Alphas[size_t(H.Step)];
  if (H.Mode == atAero)
    ApplyLayeredPicture(H.Cover->Handle(),
                        StretchedFrame(H.Picture, Size, HideZoomRect(Size, H.Step + 1, H.Steps)),
                        H.Pos, Alpha);
  else
    ApplyLayeredPicture(H.Cover->Handle(), H.Picture, H.Pos, Alpha);
  ++H.Step;
}

// The remaining steps at once, then the end. Stepped at once the frames between would never
// be seen: only the last one is shown.
void RunOutHide(HWND Key) {
  auto It = Hides().find(Key);
  if (It == Hides().end()) return;
  THideAnim& H = *It->second;
  H.Cover->StopTimer();
  if (H.Step < H.Steps) {
    H.Step = H.Steps - 1;
    ShowHideStep(H);
  }
  EndHide(Key);
}

void HideStep(HWND Key) {
  auto It = Hides().find(Key);
  if (It == Hides().end()) return;
  THideAnim& H = *It->second;
  if (Terminating()) {
    RunOutHide(Key);
    return;
  }
  if (H.Step >= H.Steps) {
    EndHide(Key);
    return;
  }
  ShowHideStep(H);
}

} // namespace

void PrepareHideAnimation(HWND Wnd, const TkvFormAnimation& A) {
  // Below one step there is nothing to show: no picture is taken and no cover made.
  if (!A.Active || !HideAnimates(A.Time) || !UpdateLayeredWindowFn() || !IsWindowVisible(Wnd) ||
      IsIconic(Wnd) || Hides().count(Wnd))
    return;
  auto H = std::make_unique<THideAnim>();
  H->Provider = ProviderOf(Wnd);
  H->Picture = WindowPicture(Wnd);
  if (H->Picture.IsEmpty()) return;
  H->Cover = NewAnimationWindow(Wnd);
  if (!H->Cover) return;
  TRect R = WindowRectOf(Wnd);
  H->Pos = {R.Left, R.Top};
  H->Mode = A.Mode;
  H->Steps = AnimStepCount(A.Time);
  H->Alphas = HideAlphas(255, H->Steps);
  ApplyLayeredPicture(H->Cover->Handle(), H->Picture, H->Pos, 255);
  ShowNoActivate(H->Cover->Handle(), Wnd);
  Hides()[Wnd] = std::move(H);
}

void RunHideAnimation(HWND Wnd) {
  auto It = Hides().find(Wnd);
  if (It == Hides().end() || It->second->Running) return;
  // The hide was refused or undone: the cover goes at once.
  if (IsWindowVisible(Wnd)) {
    EndHide(Wnd);
    return;
  }
  It->second->Running = true;
  // The cover outlives the window it shows: it is keyed by a handle that may be reused, so it
  // is re-keyed by its own.
  HWND Key = It->second->Cover->Handle();
  std::unique_ptr<THideAnim> H = std::move(It->second);
  Hides().erase(It);
  THideAnim* P = H.get();
  Hides()[Key] = std::move(H);
  // A hide while the application ends has no time for steps.
  if (Terminating()) {
    RunOutHide(Key);
    return;
  }
  P->Cover->StartTimer(AnimStepTime, [Key] { HideStep(Key); });
}

int RunningHideAnimations() {
  return int(Hides().size());
}

void FinishHideAnimations() {
  while (!Hides().empty())
    RunOutHide(Hides().begin()->first);
}

// ---------------------------------------------------------------------------------------------
// Minimize and restore

namespace {

struct TMinAnim {
  HWND Form = nullptr;
  std::unique_ptr<TOutputWindow> Anim;
  TBitmap32 SavedImage;
  std::unique_ptr<TkvMinimizeSteps> Steps;
  TRect RectFrom;
  bool WasLayered = false;
  BYTE OldAlpha = 255;
  bool WasZoomed = false;
  bool Minimized = false; // the minimize ran to its end
};
std::map<HWND, std::unique_ptr<TMinAnim>>& MinAnims() {
  static std::map<HWND, std::unique_ptr<TMinAnim>> Map;
  return Map;
}
bool GRestoreFinishing = false;

TRect TaskBarPoint(const TRect& Window) {
  HWND Tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  TPoint P{0, 0};
  if (Tray) {
    TRect T = WindowRectOf(Tray);
    // A hidden task bar reports an empty rectangle: it counts as a left one.
    if (!IsWindowVisible(Tray)) T = {};
    P = TaskBarTarget(T, Window);
  }
  return {P.X, P.Y, P.X, P.Y};
}

unsigned* StateOf(HWND Wnd) {
  TsSkinProvider* Sp = ProviderOf(Wnd);
  return Sp ? &Sp->FFormState : nullptr;
}

void GiveLayeredBack(TMinAnim& A) {
  if (!IsWindow(A.Form)) return;
  if (A.WasLayered)
    SetWindowAlpha(A.Form, A.OldAlpha);
  else
    SetLayeredStyle(A.Form, false);
}

void ShowFrame(TMinAnim& A) {
  TRect C = A.Steps->Current();
  TSize Size{C.Width(), C.Height()};
  if (Size.cx < 1 || Size.cy < 1) return;
  TBitmap32 Frame = StretchedFrame(A.SavedImage, Size, {0, 0, Size.cx, Size.cy});
  ApplyLayeredPicture(A.Anim->Handle(), Frame, {C.Left, C.Top}, A.Steps->Alpha());
}

void EndMinimize(HWND Wnd) {
  auto It = MinAnims().find(Wnd);
  if (It == MinAnims().end()) return;
  TMinAnim& A = *It->second;
  A.Anim->StopTimer();
  A.Minimized = true;
  ShowWindow(A.Anim->Handle(), SW_HIDE);
  if (unsigned* S = StateOf(Wnd)) *S &= ~unsigned(fsMinimizing);
  GiveLayeredBack(A);
  if (IsWindow(Wnd))
    SetWindowPos(Wnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void EndRestore(HWND Wnd) {
  auto It = MinAnims().find(Wnd);
  if (It == MinAnims().end()) return;
  std::unique_ptr<TMinAnim> A = std::move(It->second);
  MinAnims().erase(It);
  A->Anim->StopTimer();
  if (!IsWindow(Wnd)) return;
  ApplyLayeredPicture(A->Anim->Handle(), A->SavedImage, {A->RectFrom.Left, A->RectFrom.Top},
                      A->Steps->AlphaFrom());
  {
    TSystemAnimationOff Off;
    GRestoreFinishing = true;
    SendMessageW(Wnd, WM_SYSCOMMAND, A->WasZoomed ? SC_MAXIMIZE : SC_RESTORE, 0);
    GRestoreFinishing = false;
  }
  if (unsigned* S = StateOf(Wnd)) *S &= ~unsigned(fsRestoring);
  GiveLayeredBack(*A);
  SetWindowPos(Wnd, A->Anim->Handle(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(Wnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  A.reset();
  SetForegroundWindow(Wnd);
}

void MinStep(HWND Wnd) {
  auto It = MinAnims().find(Wnd);
  if (It == MinAnims().end()) return;
  TMinAnim& A = *It->second;
  if (!IsWindow(Wnd)) {
    MinAnims().erase(It);
    return;
  }
  if (A.Steps->Restoring()) {
    if (A.Steps->StepRestore())
      EndRestore(Wnd);
    else
      ShowFrame(A);
    return;
  }
  if (A.Steps->StepMinimize())
    EndMinimize(Wnd);
  else
    ShowFrame(A);
}

} // namespace

bool AnimateMinimize(HWND Wnd, TsSkinManager& M, const std::function<void()>& Minimize) {
  const TkvFormAnimation& Cfg = M.AnimEffects.Minimizing;
  unsigned* State = StateOf(Wnd);
  if (!Cfg.Active || !UpdateLayeredWindowFn() || !IsWindowVisible(Wnd) || IsIconic(Wnd) ||
      (State && (*State & fsMinimizing)))
    return false;
  if (TsSkinProvider* Sp = ProviderOf(Wnd)) Sp->KillAnimations();
  auto A = std::make_unique<TMinAnim>();
  A->Form = Wnd;
  A->SavedImage = WindowPicture(Wnd);
  A->Anim = NewAnimationWindow(Wnd, true);
  if (A->SavedImage.IsEmpty() || !A->Anim) return false;
  if (State) *State |= fsMinimizing;
  A->RectFrom = WindowRectOf(Wnd);
  A->WasZoomed = IsZoomed(Wnd) != FALSE;
  A->WasLayered = HasLayeredStyle(Wnd);
  uint8_t AlphaFrom = 255;
  if (A->WasLayered) {
    DWORD Flags = 0;
    if (GetLayeredWindowAttributes(Wnd, nullptr, &A->OldAlpha, &Flags) && (Flags & LWA_ALPHA))
      AlphaFrom = A->OldAlpha;
  }
  A->Steps = std::make_unique<TkvMinimizeSteps>(A->RectFrom, TaskBarPoint(A->RectFrom), AlphaFrom,
                                                Cfg.Time);
  ApplyLayeredPicture(A->Anim->Handle(), A->SavedImage, {A->RectFrom.Left, A->RectFrom.Top},
                      AlphaFrom);
  ShowNoActivate(A->Anim->Handle(), Wnd);
  SetWindowAlpha(Wnd, 0);
  TMinAnim* P = A.get();
  MinAnims()[Wnd] = std::move(A);
  {
    TSystemAnimationOff Off;
    Minimize();
  }
  if (MinAnims().count(Wnd) && MinAnims()[Wnd].get() == P)
    P->Anim->StartTimer(MinimizeStepTime, [Wnd] { MinStep(Wnd); });
  return true;
}

bool AnimateRestore(HWND Wnd, TsSkinManager& M) {
  if (GRestoreFinishing || !M.AnimEffects.Minimizing.Active) return false;
  auto It = MinAnims().find(Wnd);
  if (It == MinAnims().end() || It->second->Steps->Restoring()) return false;
  TMinAnim& A = *It->second;
  if (!A.Minimized && !IsIconic(Wnd)) return false;
  if (unsigned* S = StateOf(Wnd)) *S = (*S & ~unsigned(fsMinimizing)) | fsRestoring;
  A.Steps->BeginRestore();
  ShowFrame(A);
  ShowNoActivate(A.Anim->Handle(), Wnd);
  A.Anim->StartTimer(MinimizeStepTime, [Wnd] { MinStep(Wnd); });
  return true;
}

bool MinimizeAnimationRunning(HWND Wnd) {
  auto It = MinAnims().find(Wnd);
  return It != MinAnims().end() && (It->second->Steps->Restoring() || !It->second->Minimized);
}

void FreeMinimizeAnimation(HWND Wnd) {
  MinAnims().erase(Wnd);
}

// ---------------------------------------------------------------------------------------------
// Blend on moving

namespace {

constexpr UINT_PTR MoveTimerId = 0x4B56; // apart from the form's own timers

struct TMoveBlend {
  uint8_t BlendValue = 255;
  uint8_t Current = 255;
  uint8_t Step = 1;
  std::function<void(uint8_t)> OnAlpha;
};
std::map<HWND, TMoveBlend>& MoveBlends() {
  static std::map<HWND, TMoveBlend> Map;
  return Map;
}

void CALLBACK MoveTick(HWND Wnd, UINT, UINT_PTR, DWORD) {
  auto It = MoveBlends().find(Wnd);
  if (It == MoveBlends().end()) return;
  TMoveBlend& B = It->second;
  if (B.Current <= B.BlendValue) return;
  B.Current = uint8_t(std::max<int>(B.BlendValue, B.Current - B.Step));
  if (auto Fn = SetLayeredWindowAttributesFn()) Fn(Wnd, 0, B.Current, LWA_ALPHA);
  if (B.OnAlpha) {
    // The handler may end the move: it runs from a copy.
    auto OnAlpha = B.OnAlpha;
    OnAlpha(B.Current);
  }
}

} // namespace

bool BlendWhileMoving(HWND Wnd, const TkvBlendOnMoving& Cfg, bool Allowed,
                      const std::function<void()>& Move, uint8_t Step,
                      std::function<void(uint8_t Alpha)> OnAlpha) {
  BOOL FullDrag = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &FullDrag, 0);
  if (!Cfg.Active || Cfg.BlendValue == 255 || !Allowed || !FullDrag || IsIconic(Wnd) ||
      !SetLayeredWindowAttributesFn() || MoveBlends().count(Wnd))
    return false;
  bool WasLayered = HasLayeredStyle(Wnd);
  BYTE OldAlpha = 255;
  DWORD Flags = 0;
  if (WasLayered &&
      !(GetLayeredWindowAttributes(Wnd, nullptr, &OldAlpha, &Flags) && (Flags & LWA_ALPHA)))
    OldAlpha = 255;
  TMoveBlend B;
  B.Current = OldAlpha;
  B.BlendValue = Cfg.BlendValue;
  B.Step = Step ? Step : MoveBlendStep(Cfg.BlendValue, Cfg.Time);
  B.OnAlpha = std::move(OnAlpha);
  MoveBlends()[Wnd] = B;
  if (unsigned* S = StateOf(Wnd)) *S |= fsBlending;
  SetWindowAlpha(Wnd, OldAlpha);
  SetTimer(Wnd, MoveTimerId, AnimStepTime, MoveTick);
  Move();
  if (!IsWindow(Wnd)) {
    MoveBlends().erase(Wnd);
    return true;
  }
  KillTimer(Wnd, MoveTimerId);
  MoveBlends().erase(Wnd);
  if (unsigned* S = StateOf(Wnd)) *S &= ~unsigned(fsBlending);
  if (WasLayered)
    SetWindowAlpha(Wnd, OldAlpha);
  else
    SetLayeredStyle(Wnd, false);
  RedrawWindow(Wnd, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return true;
}

uint8_t MovingBlendValue(HWND Wnd) {
  auto It = MoveBlends().find(Wnd);
  return It == MoveBlends().end() ? 255 : It->second.Current;
}

// ---------------------------------------------------------------------------------------------
// Skin change

namespace {

struct TSkinCover {
  std::unique_ptr<TOutputWindow> Wnd;
  TBitmap32 Picture;
  TPoint Pos;
};
struct TSkinCovers {
  std::vector<TSkinCover> Covers;
  std::vector<uint8_t> Alphas;
  size_t Step = 0;
};
TSkinCovers& SkinCovers() {
  static TSkinCovers C;
  return C;
}

void SkinCoverStep() {
  TSkinCovers& C = SkinCovers();
  if (C.Step >= C.Alphas.size()) {
    FreeSkinCovers(); // from inside the first cover's tick: nothing of it is used after
    return;
  }
  for (TSkinCover& Cover : C.Covers)
    ApplyLayeredPicture(Cover.Wnd->Handle(), Cover.Picture, Cover.Pos, C.Alphas[C.Step]);
  ++C.Step;
}

} // namespace

void CoverSkinnedForms(TsSkinManager& M) {
  FreeSkinCovers();
  const TkvFormAnimation& A = M.AnimEffects.SkinChanging;
  int N = AnimStepCount(A.Time);
  if (!A.Active || N < 1 || !UpdateLayeredWindowFn() || !Screen) return;
  TSkinCovers& C = SkinCovers();
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* F = Screen->Forms(i);
    if (!F->HandleAllocated() || F->Parent()) continue;
    HWND W = F->Handle();
    TsSkinProvider* Sp = ProviderOf(W);
    if (!Sp || Sp->SkinData().SkinManager() != &M || !IsWindowVisible(W) || IsIconic(W)) continue;
    TSkinCover Cover;
    Cover.Picture = WindowPicture(W);
    Cover.Wnd = Cover.Picture.IsEmpty() ? nullptr : NewAnimationWindow(W);
    if (!Cover.Wnd) continue;
    TRect R = WindowRectOf(W);
    Cover.Pos = {R.Left, R.Top};
    ApplyLayeredPicture(Cover.Wnd->Handle(), Cover.Picture, Cover.Pos, 255);
    ShowNoActivate(Cover.Wnd->Handle(), W);
    C.Covers.push_back(std::move(Cover));
  }
  C.Alphas = HideAlphas(255, N);
}

void FadeSkinCovers() {
  TSkinCovers& C = SkinCovers();
  if (C.Covers.empty()) return;
  C.Step = 0;
  C.Covers.front().Wnd->StartTimer(AnimStepTime, SkinCoverStep);
}

int SkinCoverCount() {
  return int(SkinCovers().Covers.size());
}

void FreeSkinCovers() {
  TSkinCovers Old = std::move(SkinCovers());
  SkinCovers() = TSkinCovers();
}

void InstallFormAnimations() {
  SkinChangeAnimation = [](TsSkinManager& M) -> std::function<void()> {
    CoverSkinnedForms(M);
    if (!SkinCoverCount()) return {};
    return [] { FadeSkinCovers(); };
  };
  MainWindowAnimation = [](TForm* Form, TMessage& Message, const TWndNext& Next) {
    if (!Form || !Form->HandleAllocated()) return false;
    HWND W = Form->Handle();
    TsSkinProvider* Sp = ProviderOf(W);
    TsSkinManager* M = Sp ? Sp->SkinData().SkinManager() : DefaultManager;
    if (!M) return false;
    switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE: return AnimateMinimize(W, *M, [&] { Next(Message); });
    case SC_RESTORE:
    case SC_MAXIMIZE:
      if (!AnimateRestore(W, *M)) return false;
      Message.Result = 0;
      return true;
    default: return false;
    }
  };
}
