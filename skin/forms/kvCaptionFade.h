// The state fade of one caption element: a layered, click-through overlay window of tag -98
// over the element that shows its new face with a rising or falling constant alpha, stepped
// every 12 ms, while the window under it keeps the element's normal face.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

class TkvSBAnimation {
public:
  // Draw paints the element's face for a state into a bitmap of the element's size (the band
  // behind it included). Place answers the element's rectangle on the screen. MouseAbove says
  // whether the mouse is still over the element.
  struct TCallbacks {
    std::function<void(TBitmap32& Face, int State)> Draw;
    std::function<TRect()> Place;
    std::function<bool()> MouseAbove;
  };
  TkvSBAnimation(HWND Form, TCallbacks Callbacks);
  ~TkvSBAnimation();
  TkvSBAnimation(const TkvSBAnimation&) = delete;
  TkvSBAnimation& operator=(const TkvSBAnimation&) = delete;

  // Fades towards NewState (0 fades out) in MaxIterations steps; a running fade is redirected.
  void StartAnimation(int NewState, int MaxIterations);
  // One step (the timer's tick; tests call it directly).
  void Tick();
  // Ends at once: timer off, overlay gone.
  void Stop();

  bool Running() const { return FTimer != 0; }
  HWND Overlay() const { return FOverlay; }
  int CurrentLevel = 0;
  int CurrentState = -1; // -1: no fade shown
  int MaxIterations = 0;
  bool Up = true;
  // The alpha the overlay shows now.
  uint8_t Alpha() const;

private:
  static LRESULT CALLBACK OverlayProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  bool MakeOverlay();
  void FreeOverlay();
  void Show();
  HWND FForm;
  TCallbacks FCallbacks;
  HWND FOverlay = nullptr;
  UINT_PTR FTimer = 0;
  TBitmap32 FImage; // premultiplied... the face is opaque, so it is its own premultiplied copy
  int FImageState = -1;
};

// The hint of a user caption button: a topmost, non-activating popup in the system's info
// colours, 8 pixels right of and 16 below the cursor, kept inside the work area of the form's
// monitor (the whole monitor for a stay-on-top form). A hint shorter than 100 characters fades
// in over 200 ms when the system animates and fades its tooltips.
class TkvCaptionHint {
public:
  TkvCaptionHint(HWND Form, const std::wstring& Text);
  ~TkvCaptionHint();
  TkvCaptionHint(const TkvCaptionHint&) = delete;
  TkvCaptionHint& operator=(const TkvCaptionHint&) = delete;
  HWND Handle() const { return FWnd; }
  bool Fading() const { return FFadeTimer != 0; }

private:
  static LRESULT CALLBACK HintProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FWnd = nullptr;
  std::wstring FText;
  UINT_PTR FFadeTimer = 0;
  DWORD FFadeStart = 0;
};

// Where a hint of a size goes for a cursor point within a work area.
TRect CaptionHintPlace(TPoint Cursor, TSize Size, const TRect& WorkArea);
