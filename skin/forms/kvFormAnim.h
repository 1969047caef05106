// The form animations: the layered-window functions looked up at run time, the hidden
// auxiliary output window the animations draw on, and the show, hide, minimize and restore
// animations of a skinned window.
#pragma once

#include <windows.h>

#include <functional>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"
#include "skin/manager/sSkinManager.h"

using TUpdateLayeredWindow = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                           BLENDFUNCTION*, DWORD);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
// Looked up in user32 once; null where the system has no layered windows.
TUpdateLayeredWindow UpdateLayeredWindowFn();
TSetLayeredWindowAttributes SetLayeredWindowAttributesFn();
// Puts a premultiplied picture on a layered window at a screen point with a constant alpha.
bool ApplyLayeredPicture(HWND Wnd, const TBitmap32& Picture, TPoint Pos, uint8_t Alpha);

// The hidden auxiliary window the animations draw on: a popup of tag -98 with the caption
// "kvOutputWindow", owned by Owner (topmost when Owner is), that never erases its background
// nor paints a frame. Extra extended styles (layered, no-activate, tool window) are added.
// An Unowned window only takes Owner's topmost state (it stays shown while Owner is
// minimized).
class TOutputWindow {
public:
  TOutputWindow(HWND Owner, DWORD ExStyle, bool Unowned = false);
  ~TOutputWindow();
  TOutputWindow(const TOutputWindow&) = delete;
  TOutputWindow& operator=(const TOutputWindow&) = delete;
  HWND Handle() const { return FWnd; }
  // Ticks every Interval ms until StopTimer or the window goes.
  void StartTimer(UINT Interval, std::function<void()> OnTimer);
  void StopTimer();

private:
  static LRESULT CALLBACK WndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FWnd = nullptr;
  std::function<void()> FOnTimer;
  bool FTicking = false;
};

// The whole window as it shows (frame and children), every pixel made opaque.
TBitmap32 WindowPicture(HWND Wnd);

// Turns the system's own minimize animation off for the life of the object.
class TSystemAnimationOff {
public:
  TSystemAnimationOff();
  ~TSystemAnimationOff();
  TSystemAnimationOff(const TSystemAnimationOff&) = delete;
  TSystemAnimationOff& operator=(const TSystemAnimationOff&) = delete;

private:
  ANIMATIONINFO FSaved{};
  bool FChanged = false;
};

// Show: BeginShowAnimation, before the window appears, makes it layered and see-through;
// RunShowAnimation, once it is shown, lays its picture on an animation window, fades (and with
// atAero zooms) it in over the animation's time in 12-ms steps, then gives the window back
// opaque. Without steps the picture covers the window for an instant. AnimationCapturing is
// set while the steps run. RunShowAnimation answers whether the picture was shown.
void BeginShowAnimation(HWND Wnd);
bool RunShowAnimation(HWND Wnd, const TkvFormAnimation& A, uint8_t FinalAlpha);
bool ShowAnimationPending(HWND Wnd);

// Hide: PrepareHideAnimation, while the window is still shown, takes its picture into a cover
// window over it (nothing below one step of 12 ms); RunHideAnimation, after it hid, fades and
// shrinks the cover out in steps of 12 ms and frees it (at once when the window is still
// shown: the hide did not happen). When a hide animation ends, the skin provider of the window
// it showed, if it still has one, gets its after-animation event. While the application
// terminates a hide runs its remaining steps at once and frees the window's border window.
void PrepareHideAnimation(HWND Wnd, const TkvFormAnimation& A);
void RunHideAnimation(HWND Wnd);
int RunningHideAnimations();
// Runs every hide animation's remaining steps at once and ends it.
void FinishHideAnimations();

// Minimize and restore toward the task bar. AnimateMinimize takes the picture, lays it on an
// animation window, makes the window see-through, lets Minimize (the default handling) run with
// the system's animation off and starts the steps; false when it does not animate (inactive,
// no layered windows, not shown, a minimize under way). AnimateRestore flies the picture back
// and restores the window when it arrives; false when there is nothing to restore from.
bool AnimateMinimize(HWND Wnd, TsSkinManager& M, const std::function<void()>& Minimize);
bool AnimateRestore(HWND Wnd, TsSkinManager& M);
bool MinimizeAnimationRunning(HWND Wnd);
// Forgets the animation of a window (when it is destroyed).
void FreeMinimizeAnimation(HWND Wnd);
// Blend on moving: while Move (the system's move loop, synchronous) runs, the window is made
// layered and its alpha falls every 12 ms by the setting's step toward its blend value; after
// the loop it is opaque again (or has its own alpha back). False, without running Move, when
// it does not apply: the setting inactive or at 255, not Allowed, full-window dragging off,
// the window iconic or without layered windows. Step, when not 0, is the alpha lost per tick
// instead of the setting's; OnAlpha, when given, hears each new alpha (for a border window).
bool BlendWhileMoving(HWND Wnd, const TkvBlendOnMoving& B, bool Allowed,
                      const std::function<void()>& Move, uint8_t Step = 0,
                      std::function<void(uint8_t Alpha)> OnAlpha = nullptr);
// The alpha a window being dragged shows now (255 when none is).
uint8_t MovingBlendValue(HWND Wnd);

// The skin-change animation: CoverSkinnedForms lays the picture of every shown skinned form of
// the manager on a cover window; FadeSkinCovers fades them out (SkinChanging's time, 12-ms
// steps) once the new skin shows, and frees them. Nothing below one step.
void CoverSkinnedForms(TsSkinManager& M);
void FadeSkinCovers();
int SkinCoverCount();
// Frees the covers at once.
void FreeSkinCovers();

// Installs the minimize and restore animations into the manager's hook of the main window.
void InstallFormAnimations();
