// The decisions of the skinned push button that need no window: its state, the state the
// section is painted in, where caption and glyph go, which image stands for a state, and the
// dotted focus mark.
#pragma once

#include <vector>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

enum TButtonStyle { bsPushButton, bsCommandLink, bsSplitButton };
enum TImageAlignment { iaLeft, iaRight, iaTop, iaBottom, iaCenter };

// Button states as CurrentState gives them.
constexpr int bstNormal = 0;
constexpr int bstHot = 1;
constexpr int bstPressed = 2;
constexpr int bstDefault = 3;

struct TButtonStateFacts {
  bool Pushed = false;       // the window reports BST_PUSHED
  bool PressedFlash = false; // the process-wide flag that shows a pressed face for a moment
  bool MouseAbove = false;
  bool MouseHeld = false; // a left press began on the button and the button is still down
  bool Down = false;      // the latched pressed look
  bool DroppedDown = false;
  bool Designing = false;
  bool Active = false; // focused, holding the input focus, or under the mouse
  bool Default = false;
};
// The first matching row: pressed, hot, default, normal.
int ButtonStateOf(const TButtonStateFacts& F);
// The section state a button state is painted in: the state limited to the section's states,
// except that the default state on a section of fewer than 4 states looks hot.
int ButtonSectionState(int State, int SectionStates);

struct TImageMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// What the caption and glyph rectangles are computed from.
struct TButtonLayout {
  int Width = 0, Height = 0;
  TButtonStyle Style = bsPushButton;
  int ContentMargin = 6;
  TImageMargins ImageMargins;
  TImageAlignment ImageAlignment = iaLeft;
  bool HasImage = false; // an image list with a usable image
  int ImageWidth = 0, ImageHeight = 0;
  int TextWidth = 0, TextHeight = 0; // the caption's measured size
  bool Pressed = false;              // the rectangles move by (1, 1)
};
// The width the caption is measured in (the whole width for a push button; for the other
// styles what the margins and the image column leave, never below 0).
int CaptionMeasureWidth(const TButtonLayout& L);
TRect ButtonCaptionRect(const TButtonLayout& L);
// Empty without a usable image.
TRect ButtonGlyphRect(const TButtonLayout& L);

struct TButtonImageIndexes {
  int ImageIndex = -1, HotImageIndex = -1, PressedImageIndex = -1, SelectedImageIndex = -1,
      DisabledImageIndex = -1;
};
// The image for the state: disabled, pressed, focused, hot, else normal; an index that is
// negative or not below Count falls back to ImageIndex.
int ButtonGlyphIndex(const TButtonImageIndexes& I, int Count, bool Enabled, int State,
                     bool Focused);

// The dotted focus frame on R: along each edge every third pixel from the corner (x = Left +
// 3i, y = Top + 3i) in Ink and the pixel before it in Face; the right and bottom edges lie on
// the last column and row. Pixels outside Bmp are skipped.
void DrawFocusDots(TBitmap32& Bmp, TRect R, TColor Ink, TColor Face);
