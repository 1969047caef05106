// The decisions of the skinned edit that need no window: the text it shows, the colour of its
// hint, and where its text and frame lie.
#pragma once

#include <string>

#include "base/kvTypes.h"

// The text an edit shows: with a password character each character (a surrogate pair is one)
// becomes that character, "*" shown as the black circle U+25CF.
std::wstring ShownEditText(const std::wstring& Text, wchar_t PasswordChar);

// The hint's colour over the edit's colour: 0.65 of the font colour and 0.35 of the edit's,
// per channel to the nearest integer.
TColor EditHintColor(TColor FontColor, TColor EditColor);

struct TEditFrame {
  bool BorderSingle = true; // BorderStyle bsSingle, else bsNone
  bool Ctl3D = true;
  int Bevels = 0; // BevelInner and BevelOuter that are not bvNone, counted when BevelKind is set
};
// The rectangle the inactive edit's text is written in.
TRect EditTextRect(const TEditFrame& F, int Width, int Height);
// The width of the frame strips the non-client area shows.
int EditFrameWidth(const TEditFrame& F);
