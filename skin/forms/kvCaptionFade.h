// The state fade of one caption element: a layered, click-through overlay window of tag -98
// over the element that shows its new face with a rising or falling constant alpha, stepped
// every 12 ms, while the window under it keeps the element's normal face.
#pragma once

#include <windows.h>

#include <functional>

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
