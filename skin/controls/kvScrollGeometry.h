// The geometry and decisions of the skinned non-client scroll bars, free of the platform: bar
// metrics, the non-client layout, the thumb, the hit tests, the part states for drawing, thumb
// dragging and the auto-repeat of a pressed arrow or track half. Drawing and hit-testing take
// the same TScrollBarGeometry, so that what is drawn is what the mouse hits.
#pragma once

#include <cstdint>
#include <optional>

#include "base/kvTypes.h"

// nBarType of a bar.
enum TScrollBarKind { sbkHorizontal = 0, sbkVertical = 1 };

// Portion codes of a bar; they equal the scroll request a press sends (SB_LINELEFT ...
// SB_PAGERIGHT, SB_THUMBTRACK for the thumb).
enum TScrollPortion {
  spNone = -1,
  spFirstArrow = 0,  // left or up
  spSecondArrow = 1, // right or down
  spTrackBefore = 2, // between the first arrow and the thumb
  spTrackAfter = 3,  // between the thumb and the second arrow
  spThumb = 5,
};

// fScrollFlags bits.
constexpr int sfFirstArrowDisabled = 1;
constexpr int sfSecondArrowDisabled = 2;
constexpr int sfHasStyle = 8; // the window has this bar's style (WS_HSCROLL, WS_VSCROLL)

// Answers of the non-client hit test over the scroll bars.
constexpr int htNowhereCode = 0;     // HTNOWHERE: a disabled bar
constexpr int htHScrollCode = 6;     // HTHSCROLL
constexpr int htVScrollCode = 7;     // HTVSCROLL
constexpr int htScrollGripCode = 17; // HTBOTTOMRIGHT: the grip corner

// A × B / C rounded half away from zero, with a 64-bit intermediate, as the platform's MulDiv;
// -1 when C is 0. Callers keep |A × B| within 63 bits (a pixel count times a scroll range).
int64_t ScrollMulDiv(int64_t A, int64_t B, int64_t C);

// The system metrics the bars are measured by.
struct TScrollSysMetrics {
  int CXVScroll = 16; // SM_CXVSCROLL: the width of a vertical bar
  int CYHScroll = 16; // SM_CYHSCROLL: the height of a horizontal bar
  int CXHScroll = 16; // SM_CXHSCROLL (read at start-up): the length of an arrow
};

struct TScrollBarMetrics {
  int Thickness = 0;   // across the bar
  int ArrowLength = 0; // along the bar, each arrow
};

// The bar's thickness: nArrowWidth when not negative, else -nArrowWidth × SM_CYHSCROLL
// (horizontal) or SM_CXVSCROLL (vertical). Capped at 0x7FFF pixels.
int ScrollBarThickness(TScrollBarKind Kind, int nArrowWidth, const TScrollSysMetrics& Sys);
// The arrow length: nArrowLength when not negative; else the skin's arrow length when one is
// given (a frame of the SCROLLBTNLEFT / SCROLLBTNTOP border mask, which only drawing asks
// for); else -nArrowLength × SM_CXHSCROLL. Capped at 0x7FFF pixels.
int ScrollArrowLength(int nArrowLength, const TScrollSysMetrics& Sys,
                      std::optional<int> SkinArrowLength = std::nullopt);
TScrollBarMetrics ScrollBarMetricsOf(TScrollBarKind Kind, int nArrowWidth, int nArrowLength,
                                     const TScrollSysMetrics& Sys,
                                     std::optional<int> SkinArrowLength = std::nullopt);

// The scroll bar styles of the window.
struct TScrollStyles {
  bool HScroll = false;       // WS_HSCROLL
  bool VScroll = false;       // WS_VSCROLL
  bool LeftScrollbar = false; // WS_EX_LEFTSCROLLBAR
};

// What the window's non-client layout leaves for the bars: its own edges between window and
// client rectangle (without the bars), which bars take room, and their thicknesses.
struct TScrollFrame {
  int cxLeftEdge = 0, cxRightEdge = 0, cyTopEdge = 0, cyBottomEdge = 0;
  bool LeftScrollbar = false;
  bool HVisible = false, VVisible = false; // fScrollVisible of each bar
  int HThickness = 0, VThickness = 0;
};

struct TScrollNcCalc {
  TScrollFrame Frame;
  TRect Client; // the client rectangle less the visible bars
};

// WM_NCCALCSIZE: Window is the proposed window rectangle, Client the client rectangle the
// previous procedure computed without the scroll styles. The edges are their differences; a
// bar with its style takes its thickness off the client's bottom (horizontal) or right (left
// with WS_EX_LEFTSCROLLBAR) when the client is at least that thick, and is then visible.
TScrollNcCalc ScrollNcCalcSize(const TRect& Window, const TRect& Client,
                               const TScrollStyles& Styles, int HThickness, int VThickness);

// Where the bars lie, in the coordinates of the window rectangle they are computed from
// (screen coordinates for hit-testing). An invisible bar has no thickness; the corner square
// between the bars is empty unless both are visible.
struct TScrollLayout {
  TRect HBar, VBar, Corner;
  bool HVisible = false, VVisible = false;
};
TScrollLayout ScrollLayout(const TRect& Window, const TScrollFrame& Frame);

// The scroll state of a bar, as the platform's SCROLLINFO holds it.
struct TScrollInfo {
  int nMin = 0;
  int nMax = 0;
  unsigned nPage = 0;
  int nPos = 0;
};

// The thumb: its length and offset behind the first arrow, and its start on the bar's axis in
// the bar's coordinates. Length 0: no thumb (no range, or no room for it on the track).
struct TScrollThumb {
  int Length = 0;
  int Offset = 0;
  int Start = 0;
  bool IsShown() const { return Length > 0; }
};

// The thumb of bar Bar with arrows of ArrowLength A; T = the bar's length, track = T - 2A,
// range = nMax - nMin + 1. Length: A when nPage is 0, else MulDiv(nPage, track, range) but at
// least MinThumbSize when the range is not empty, else 0; a thumb not shorter than the track
// is not shown. Offset: MulDiv(nPos - nMin, track - length, range - max(nPage, 1)) within
// 0 .. track - length (0 when that divisor is 0). Start: the bar's start + A + offset.
TScrollThumb ScrollThumb(TScrollBarKind Kind, const TRect& Bar, int ArrowLength,
                         const TScrollInfo& Info, int MinThumbSize = 10);

// One bar as drawing and hit-testing see it. Coordinates along the bar (Start, Thumb.Start,
// TrackSplit) are those of Bar's axis (X for a horizontal bar, Y for a vertical one).
struct TScrollBarGeometry {
  TScrollBarKind Kind = sbkHorizontal;
  TRect Bar;
  int Start = 0;        // the bar's first pixel along its axis
  int Length = 0;       // T
  int ArrowLength = 0;  // A
  int ArrowSpan = 0;    // each arrow's room: A, or T div 2 on a short bar
  bool IsShort = false; // 2A >= T: two halves of arrows, no thumb
  TScrollThumb Thumb;
  int TrackSplit = 0; // where the first track section ends and the second begins
};

// The geometry of a bar. The first track section runs from the bar's start to the middle of
// the thumb (thumb start + length div 2), or to the middle of the bar without a thumb.
TScrollBarGeometry ScrollBarGeometry(TScrollBarKind Kind, const TRect& Bar, int ArrowLength,
                                     const TScrollInfo& Info, int MinThumbSize = 10);
// Puts the thumb at Start (a dragged thumb), kept on the track; the track split follows.
void MoveThumb(TScrollBarGeometry& G, int Start);

// The coordinate of P along a bar of that kind.
constexpr int AlongBar(TScrollBarKind Kind, TPoint P) {
  return Kind == sbkVertical ? P.Y : P.X;
}

// The drawn parts of a bar.
enum TScrollPart { sptFirstArrow, sptSecondArrow, sptTrack1, sptTrack2, sptThumb };
// The rectangle of a part, in the coordinates of G.Bar: an arrow on its ArrowSpan at its end, the
// first track section from the bar's start to TrackSplit and the second from there to the end (the
// arrows and the thumb are drawn over them), the thumb (empty when not shown).
TRect ScrollPartRect(const TScrollBarGeometry& G, TScrollPart Part);

// The portion of the bar under P (the same coordinates as G.Bar): an arrow within ArrowSpan of
// either end; with a thumb shown, the thumb or the track before or after it; else spNone, and
// spNone for any point outside the bar.
int ScrollHitTest(const TScrollBarGeometry& G, TPoint P);

// Whether the corner square between the bars is a grip corner that sizes the parent: both bars
// are visible and the window has no parent, or a top-level parent whose client rectangle
// (ParentClient, in the layout's coordinates) ends exactly where the square does, extended by
// the window's right (with a left scroll bar: left) and bottom edges.
struct TScrollParent {
  bool HasParent = false;
  bool ParentIsTopLevel = false;
  TRect ParentClient;
};
bool IsGripCorner(const TScrollLayout& L, const TScrollFrame& Frame, const TScrollParent& Parent);

// WM_NCHITTEST over the bars at P (the layout's coordinates): HTHSCROLL or HTVSCROLL on a
// visible bar, HTNOWHERE when that bar is disabled, HTBOTTOMRIGHT in a grip corner; nothing
// (pass the message on) elsewhere.
std::optional<int> ScrollNcHitTest(const TScrollLayout& L, TPoint P, bool HEnabled, bool VEnabled,
                                   bool GripCorner);

// What a left button press on a portion does: nothing of the bars' (pass it on), nothing at
// all (a disabled arrow, or a disabled bar), an arrow or track step with auto-repeat, or a
// thumb drag. Only a repeat or a drag captures the mouse.
enum TScrollPressKind { sprPassOn, sprIgnore, sprRepeat, sprDrag };
TScrollPressKind ScrollPressKind(int Portion, bool Enabled, int ScrollFlags);

// This bar's share of the interaction state.
struct TScrollBarInteraction {
  int Hot = spNone;      // the hot portion, when this is the hot bar of the hot window
  int Pressed = spNone;  // the portion pressed on this bar
  bool OnPressed = true; // the cursor is on the pressed portion
  bool Dragging = false; // this bar's thumb is dragged
  bool Enabled = true;
  int ScrollFlags = 0; // fScrollFlags: the disabled arrows
};

// States of the drawn parts: 0 normal, 1 hot, 2 pressed.
struct TScrollPartStates {
  int FirstArrow = 0, SecondArrow = 0, Track1 = 0, Track2 = 0, Thumb = 0;
};
// An arrow is pressed while it is the pressed portion and the cursor is on it, hot when it is
// the hot portion of an enabled bar and not disabled itself; a track half is pressed while it
// is the pressed portion and the cursor is on it; the thumb is hot like an arrow, and pressed
// while dragged, when every other part is normal.
TScrollPartStates ScrollPartStates(const TScrollBarInteraction& I);

// The thumb start for the mouse at Mouse along the bar, grabbed GrabOffset pixels behind the
// thumb start at the press: kept within the track between the arrows.
int ScrollDragThumbStart(const TScrollBarGeometry& G, int Mouse, int GrabOffset);
// The scroll position for a thumb at ThumbStart: nMin + MulDiv(ThumbStart - (start + A),
// range - nPage, (T - 2A) - length), within nMin .. nMax - max(nPage - 1, 0); a thumb at the
// track's end gives nMax - nPage + 1. nMin when the thumb has no room to move.
int ScrollDragPos(const TScrollBarGeometry& G, int ThumbStart, const TScrollInfo& Info);

// The auto-repeat of a pressed arrow or track half, on a wrapping millisecond clock: the press
// sends one step at once; nothing for FirstDelay; then a step every RepeatInterval while the
// cursor is on the pressed portion. A release or a lost capture ends it.
class TScrollRepeat {
public:
  static constexpr uint32_t FirstDelay = 300;
  static constexpr uint32_t RepeatInterval = 55;

  // The button went down on Portion at Now: returns the steps to send at once (1).
  int Press(int Portion, uint32_t Now);
  // A timer tick at Now with PortionUnderCursor under the cursor: returns the steps to send (0
  // or 1; a late tick sends one, it never catches up).
  int Tick(uint32_t Now, int PortionUnderCursor);
  // The time from Now to the next tick that is due (the timer's interval); 0 when idle or due.
  uint32_t Wait(uint32_t Now) const;
  // The button went up: true when a press ended.
  bool Release();
  // The capture was lost (WM_CAPTURECHANGED, WM_CANCELMODE): true when a press ended.
  bool Cancel();

  bool IsPressed() const { return FPhase != rpIdle; }
  bool IsRepeating() const { return FPhase == rpRepeat; }
  int Portion() const { return FPortion; }

private:
  enum TPhase { rpIdle, rpDelay, rpRepeat };
  TPhase FPhase = rpIdle;
  int FPortion = spNone;
  uint32_t FDue = 0; // the end of the delay, or the next step
};
