// The arithmetic of state fades.
#include "skin/paint/sFadeRules.h"

#include <algorithm>

namespace {
// The manager's button event that stands for each control event (beMouseEnter ... beMouseUp).
constexpr unsigned ButtonEventOf[4] = {1, 2, 4, 8};
} // namespace

bool FadeEventAllowed(TkvAnimatEvent Event, unsigned Events, unsigned ManagerButtonEvents) {
  if (Events & AnimatEventBit(Event)) return true;
  if (!(Events & AnimatEventBit(aeGlobalDef))) return false;
  if (Event < aeMouseEnter || Event > aeMouseUp) return false;
  return (ManagerButtonEvents & ButtonEventOf[Event]) != 0;
}

bool FadeConfigured(bool FadingEnabled, int FadingIterations) {
  return FadingEnabled && FadingIterations > 0;
}

int FadeStepCount(int FadingIterations, bool Half, bool Running, TFadeDirection Direction) {
  if (FadingIterations <= 0) return 0;
  int Steps = FadingIterations;
  // A running fade has its level set to the section's iterations before the count is taken.
  if (Running && Direction == fdDown) Steps = 0;
  if (Half) Steps /= 2;
  return std::max(Steps, 1);
}

int FadeStartLevel(int Level, int Steps) {
  return Level >= Steps || Level <= 0 ? 1 : Level;
}

uint8_t FadeWeight(int Level, int Steps) {
  if (Steps <= 0) return 0;
  Level = std::clamp(Level, 0, Steps);
  return uint8_t(Level * 255 / Steps);
}
