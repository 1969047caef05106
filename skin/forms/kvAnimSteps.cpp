// The arithmetic of the form animations.
#include "skin/forms/kvAnimSteps.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounds half to even, as the animations' alpha arithmetic does.
int RoundEven(double V) {
  return int(std::nearbyint(V));
}

uint8_t ClampByte(int V) {
  return uint8_t(std::clamp(V, 0, 255));
}

} // namespace

std::vector<uint8_t> ShowAlphas(uint8_t FinalAlpha, int Steps) {
  if (Steps < 1) return {FinalAlpha};
  int Step = std::max(1, FinalAlpha / Steps);
  std::vector<uint8_t> Result;
  int Alpha = 0;
  for (int i = 0; i <= Steps; ++i) {
    Alpha = std::min<int>(FinalAlpha, Alpha + Step);
    Result.push_back(uint8_t(Alpha));
  }
  Result.back() = FinalAlpha;
  return Result;
}

TRect ShowZoomRect(TSize Size, int Step, int Steps) {
  if (Steps < 1) return {0, 0, Size.cx, Size.cy};
  double DX = double(Size.cx) / (8.0 * Steps), DY = double(Size.cy) / (8.0 * Steps);
  double InsetX = std::max(0.0, Size.cx / 8.0 - DX * Step);
  double InsetY = std::max(0.0, Size.cy / 8.0 - DY * Step);
  return {RoundEven(InsetX), RoundEven(InsetY), Size.cx - RoundEven(InsetX),
          Size.cy - RoundEven(InsetY)};
}

std::vector<uint8_t> HideAlphas(uint8_t StartAlpha, int Steps) {
  std::vector<uint8_t> Result;
  if (Steps < 1) return Result;
  double Trans = StartAlpha, P = double(StartAlpha) / Steps;
  for (int i = 0; i < Steps; ++i) {
    Trans = std::max(0.0, Trans - P);
    Result.push_back(ClampByte(RoundEven(Trans)));
  }
  return Result;
}

TRect HideZoomRect(TSize Size, int Step, int Steps) {
  if (Steps < 1) return {0, 0, Size.cx, Size.cy};
  double DX = double(Size.cx) / (8.0 * Steps), DY = double(Size.cy) / (8.0 * Steps);
  int InsetX = RoundEven(DX * Step), InsetY = RoundEven(DY * Step);
  return {InsetX, InsetY, Size.cx - InsetX, Size.cy - InsetY};
}

TkvTaskBarSide TaskBarSide(const TRect& T) {
  if (T.Top != 0) return T.Left >= -4 && T.Left <= 0 ? tbBottom : tbRight;
  if (T.Left != 0) return tbRight;
  return T.Width() > T.Height() ? tbTop : tbLeft;
}

TPoint TaskBarTarget(const TRect& T, const TRect& W) {
  int CX = W.Left + W.Width() / 2, CY = W.Top + W.Height() / 2;
  switch (TaskBarSide(T)) {
  case tbLeft: return {T.Right, CY};
  case tbTop: return {CX, T.Bottom};
  case tbRight: return {T.Left, CY};
  default: return {CX, T.Top};
  }
}

TkvMinimizeSteps::TkvMinimizeSteps(const TRect& RectFrom, const TRect& RectTo, uint8_t AlphaFrom,
                                   int Time)
    : FFrom(RectFrom), FL(RectFrom.Left), FT(RectFrom.Top), FR(RectFrom.Right), FB(RectFrom.Bottom),
      FStepCount(std::max(Time / MinimizeStepTime, 1)), FAlphaFrom(AlphaFrom), FAlpha(AlphaFrom) {
  double XFrom = (RectFrom.Left + RectFrom.Right) / 2.0,
         YFrom = (RectFrom.Top + RectFrom.Bottom) / 2.0;
  double XTo = (RectTo.Left + RectTo.Right) / 2.0, YTo = (RectTo.Top + RectTo.Bottom) / 2.0;
  FDeltaX = (XTo - XFrom) / FStepCount;
  FDeltaY = (YTo - YFrom) / FStepCount;
  FDeltaW = double(RectFrom.Width() - RectTo.Width()) / (2.0 * FStepCount);
  FDeltaH = double(RectFrom.Height() - RectTo.Height()) / (2.0 * FStepCount);
  FBlendStep = double(AlphaFrom) / std::max(1, FStepCount - 1);
}

TRect TkvMinimizeSteps::Current() const {
  return {RoundEven(FL), RoundEven(FT), RoundEven(FR), RoundEven(FB)};
}

bool TkvMinimizeSteps::StepMinimize() {
  // The rectangle never turns inside out, however many ticks arrive.
  if (FR - FL > 2 * FDeltaW && FB - FT > 2 * FDeltaH) {
    FL += FDeltaX + FDeltaW;
    FR += FDeltaX - FDeltaW;
    FT += FDeltaY + FDeltaH;
    FB += FDeltaY - FDeltaH;
  }
  // At least one per tick: the step of a faint window rounds to 0 and would never end.
  FAlpha = ClampByte(std::min(FAlpha - 1, RoundEven(FAlpha - FBlendStep)));
  return FAlpha == 0;
}

void TkvMinimizeSteps::BeginRestore() {
  FRestoring = true;
}

bool TkvMinimizeSteps::StepRestore() {
  FL -= FDeltaX + FDeltaW;
  FR -= FDeltaX - FDeltaW;
  FT -= FDeltaY + FDeltaH;
  FB -= FDeltaY - FDeltaH;
  // Stops at or past the target: a target below 255 is reached by stepping past it.
  int Next = std::max(FAlpha + 1, RoundEven(FAlpha + FBlendStep));
  if (Next >= FAlphaFrom) {
    FAlpha = FAlphaFrom;
    FL = FFrom.Left;
    FT = FFrom.Top;
    FR = FFrom.Right;
    FB = FFrom.Bottom;
    return true;
  }
  FAlpha = ClampByte(Next);
  return false;
}

std::vector<uint8_t> MinimizeAlphas(uint8_t AlphaFrom, int Time) {
  TkvMinimizeSteps S({0, 0, 800, 600}, {0, 300, 0, 300}, AlphaFrom, Time);
  std::vector<uint8_t> Result{S.Alpha()};
  while (!S.StepMinimize())
    Result.push_back(S.Alpha());
  Result.push_back(S.Alpha());
  return Result;
}

std::vector<uint8_t> RestoreAlphas(uint8_t AlphaFrom, int Time) {
  TkvMinimizeSteps S({0, 0, 800, 600}, {0, 300, 0, 300}, AlphaFrom, Time);
  while (!S.StepMinimize()) {
  }
  S.BeginRestore();
  std::vector<uint8_t> Result{S.Alpha()};
  while (!S.StepRestore())
    Result.push_back(S.Alpha());
  Result.push_back(S.Alpha());
  return Result;
}

uint8_t MoveBlendStep(uint8_t BlendValue, int Time) {
  int Way = 255 - BlendValue;
  if (Time < 13) return uint8_t(Way);
  return uint8_t(std::max(1, RoundEven(Way / (Time / 12.0))));
}

uint8_t DialogMoveBlendStep(uint8_t BlendValue) {
  return uint8_t(std::max(1, RoundEven((255 - BlendValue) / 30.0)));
}
