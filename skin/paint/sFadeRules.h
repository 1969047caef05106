// The arithmetic of state fades that needs no window: whether an event fades, how many steps
// a fade takes and the weight of each step.
#pragma once

#include <cstdint>

enum TFadeDirection { fdNone, fdUp, fdDown };

// The events a control may fade on, as bits of a set (1 << event).
enum TkvAnimatEvent { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
constexpr unsigned AnimatEventBit(TkvAnimatEvent Event) {
  return 1u << unsigned(Event);
}

// Whether Event fades for a control whose set is Events: when it is in the set, or when the
// set holds aeGlobalDef and the manager's button events (beMouseEnter 1, beMouseLeave 2,
// beMouseDown 4, beMouseUp 8) hold the matching one.
bool FadeEventAllowed(TkvAnimatEvent Event, unsigned Events, unsigned ManagerButtonEvents);

// Whether a section's fade settings make a fade at all: fading switched on and at least one
// iteration (an iteration count of 0 or less means no fade).
bool FadeConfigured(bool FadingEnabled, int FadingIterations);

// The steps of a fade that starts now. A fade that is already running starts again from its
// current picture (its level is set to the section's iterations first); its direction decides
// how many of them are left. Presses and releases (Half) take half of them, but never fewer
// than one step, so that the new face is always shown. 0 only when the section does not fade.
int FadeStepCount(int FadingIterations, bool Half, bool Running, TFadeDirection Direction);
// The first step of a fade of Steps steps whose level was Level: 1 unless it lies inside.
int FadeStartLevel(int Level, int Steps);

// The share of the new face in step Level of Steps (1 .. Steps): Level * 255 div Steps, so that
// the last step shows the new face whole. 0 for a fade without steps.
uint8_t FadeWeight(int Level, int Steps);
