// The arithmetic of the form animations: step counts, alpha sequences and the rectangles of
// the show, hide, minimize, restore and move-blending animations, free of any window.
#pragma once

#include <cstdint>
#include <vector>

#include "base/kvTypes.h"

// The pause between the steps of a show or hide animation, and the minimize timer's interval.
constexpr int AnimStepTime = 12;
constexpr int MinimizeStepTime = 15;

// Steps of a show or hide animation of Time milliseconds (0 below one step).
constexpr int AnimStepCount(int Time) {
  return Time > 0 ? Time / AnimStepTime : 0;
}
// Whether a hide of Time milliseconds animates at all: below one step no picture is taken.
constexpr bool HideAnimates(int Time) {
  return AnimStepCount(Time) > 0;
}

// The alphas of a show animation toward FinalAlpha in Steps steps, one per step (Steps + 1
// values, the last always FinalAlpha); without steps the one final value. Each step adds
// FinalAlpha / Steps, at least 1.
std::vector<uint8_t> ShowAlphas(uint8_t FinalAlpha, int Steps);
// Where the picture of Size is drawn at show step Step of Steps with the zoom mode: inset by
// an eighth of its size at the start, growing by Size / (8 Steps) on every side per step.
TRect ShowZoomRect(TSize Size, int Step, int Steps);

// A hide animation: the constant alpha of each of Steps steps from StartAlpha down to 0
// (StartAlpha / Steps less per step, rounded half to even); empty without steps.
std::vector<uint8_t> HideAlphas(uint8_t StartAlpha, int Steps);
// The shrinking rectangle of hide step Step of Steps (zoom mode): by an eighth of the size
// over the whole animation.
TRect HideZoomRect(TSize Size, int Step, int Steps);

// The task-bar side: 1 left, 2 top, 4 right, 8 bottom, decided from its rectangle.
enum TkvTaskBarSide : unsigned { tbLeft = 1, tbTop = 2, tbRight = 4, tbBottom = 8 };
TkvTaskBarSide TaskBarSide(const TRect& TaskBar);
// The point a window minimizes toward: the inner edge of the task bar at the window's centre.
TPoint TaskBarTarget(const TRect& TaskBar, const TRect& Window);

// The minimize and restore animation: the picture flies from RectFrom toward a small RectTo
// (the task bar point) while it fades out, and back.
class TkvMinimizeSteps {
public:
  // Time in milliseconds: max(Time div 15, 1) steps. AlphaFrom is the window's own alpha.
  TkvMinimizeSteps(const TRect& RectFrom, const TRect& RectTo, uint8_t AlphaFrom, int Time);
  int StepCount() const { return FStepCount; }
  double BlendStep() const { return FBlendStep; }
  uint8_t AlphaFrom() const { return FAlphaFrom; }
  uint8_t Alpha() const { return FAlpha; }
  // The current rectangle of the picture.
  TRect Current() const;
  // One minimize step; true when it ended (alpha 0).
  bool StepMinimize();
  // Turns toward restoring from wherever the animation is; a finished minimize starts at the
  // target point with alpha 0.
  void BeginRestore();
  // One restore step; true when alpha reached AlphaFrom (clamped there, the rectangle back at
  // RectFrom).
  bool StepRestore();
  bool Restoring() const { return FRestoring; }

private:
  TRect FFrom;
  double FL, FT, FR, FB;
  double FDeltaX, FDeltaY, FDeltaW, FDeltaH;
  int FStepCount;
  double FBlendStep;
  uint8_t FAlphaFrom;
  uint8_t FAlpha;
  bool FRestoring = false;
};

// The alphas a minimize (or a restore from alpha 0) shows, one per tick until it ends.
std::vector<uint8_t> MinimizeAlphas(uint8_t AlphaFrom, int Time);
std::vector<uint8_t> RestoreAlphas(uint8_t AlphaFrom, int Time);

// The alpha lost per 12-ms tick while a form is dragged: the whole way at once for a Time
// below 13 ms, else spread over Time, never less than 1.
uint8_t MoveBlendStep(uint8_t BlendValue, int Time);
// The same for a system dialog: a thirtieth of the way per tick, never less than 1.
uint8_t DialogMoveBlendStep(uint8_t BlendValue);
