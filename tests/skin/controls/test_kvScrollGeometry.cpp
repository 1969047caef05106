#include "skin/controls/kvScrollGeometry.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

// The editor window of the main form: 769 x 482 with 2-pixel edges, both bars, 16-pixel system
// metrics. ScreenAt moves it from its own coordinates to a place on the screen.
constexpr TRect EditorWindow = Bounds(0, 0, 769, 482);
constexpr TRect EditorClient = Rect(2, 2, 767, 480);

TScrollNcCalc EditorNcCalc(TPoint ScreenAt = {}) {
  TScrollStyles Styles{true, true, false};
  return ScrollNcCalcSize(EditorWindow.Offsetted(ScreenAt.X, ScreenAt.Y),
                          EditorClient.Offsetted(ScreenAt.X, ScreenAt.Y), Styles, 16, 16);
}

TScrollInfo Info(int nMin, int nMax, unsigned nPage, int nPos) {
  return {nMin, nMax, nPage, nPos};
}

TEST(ScrollMetrics, NegativeValuesCountSystemMetrics) {
  TScrollSysMetrics Sys{15, 17, 19};
  EXPECT_EQ(ScrollBarThickness(sbkVertical, -1, Sys), 15);
  EXPECT_EQ(ScrollBarThickness(sbkHorizontal, -1, Sys), 17);
  EXPECT_EQ(ScrollBarThickness(sbkHorizontal, -2, Sys), 34);
  EXPECT_EQ(ScrollBarThickness(sbkVertical, 12, Sys), 12);
  EXPECT_EQ(ScrollArrowLength(-1, Sys), 19) << "arrows of both bars use SM_CXHSCROLL";
  EXPECT_EQ(ScrollArrowLength(-1, Sys, 21), 21) << "the skin's arrow replaces the metric";
  EXPECT_EQ(ScrollArrowLength(13, Sys, 21), 13) << "a set length beats the skin";
  EXPECT_EQ(ScrollArrowLength(INT_MIN, Sys), 0x7FFF);
  TScrollBarMetrics M = ScrollBarMetricsOf(sbkVertical, -1, -1, TScrollSysMetrics{});
  EXPECT_EQ(M.Thickness, 16);
  EXPECT_EQ(M.ArrowLength, 16);
}

TEST(ScrollLayout, EditorWindowBarsAndCorner) {
  TScrollNcCalc Calc = EditorNcCalc();
  const TScrollFrame& F = Calc.Frame;
  EXPECT_EQ(F.cxLeftEdge + F.cxRightEdge + F.cyTopEdge + F.cyBottomEdge, 8);
  EXPECT_TRUE(F.HVisible && F.VVisible);
  EXPECT_EQ(Calc.Client, Rect(2, 2, 751, 464));
  TScrollLayout L = ScrollLayout(EditorWindow, F);
  EXPECT_EQ(L.VBar, Rect(751, 2, 767, 464));
  EXPECT_EQ(L.HBar, Rect(2, 464, 751, 480));
  EXPECT_EQ(L.Corner, Rect(751, 464, 767, 480));
  // The same in screen coordinates, also left of the primary monitor.
  for (TPoint At : {TPoint{300, 200}, TPoint{-1200, -40}}) {
    TScrollLayout S = ScrollLayout(EditorWindow.Offsetted(At.X, At.Y), EditorNcCalc(At).Frame);
    EXPECT_EQ(S.VBar, L.VBar.Offsetted(At.X, At.Y));
    EXPECT_EQ(S.HBar, L.HBar.Offsetted(At.X, At.Y));
  }
}

TEST(ScrollLayout, LeftBarsOneBarAndNoRoom) {
  TScrollNcCalc Calc = ScrollNcCalcSize(EditorWindow, EditorClient, {true, true, true}, 16, 16);
  EXPECT_EQ(Calc.Client, Rect(18, 2, 767, 464));
  TScrollLayout L = ScrollLayout(EditorWindow, Calc.Frame);
  EXPECT_EQ(L.VBar, Rect(2, 2, 18, 464));
  EXPECT_EQ(L.HBar, Rect(18, 464, 767, 480));
  EXPECT_EQ(L.Corner, Rect(2, 464, 18, 480));

  Calc = ScrollNcCalcSize(EditorWindow, EditorClient, {false, true, false}, 16, 16);
  L = ScrollLayout(EditorWindow, Calc.Frame);
  EXPECT_EQ(L.VBar, Rect(751, 2, 767, 480)) << "the vertical bar runs down to the edge";
  EXPECT_TRUE(L.HBar.IsEmpty());
  EXPECT_TRUE(L.Corner.IsEmpty());

  // A client 15 pixels high has no room for the horizontal bar; 16 wide just takes the vertical.
  Calc = ScrollNcCalcSize(Bounds(0, 0, 20, 19), Rect(2, 2, 18, 17), {true, true, false}, 16, 16);
  EXPECT_FALSE(Calc.Frame.HVisible);
  EXPECT_TRUE(Calc.Frame.VVisible);
  EXPECT_EQ(Calc.Client, Rect(2, 2, 2, 17));
}

TEST(ScrollThumb, TableOfLengthsOffsetsAndStarts) {
  const TRect Bar = Bounds(0, 0, 200, 16); // track 168 between 16-pixel arrows
  struct TCase {
    TScrollInfo I;
    int MinThumb, Length, Offset, Start;
  } Cases[] = {
      {Info(0, 99, 0, 0), 10, 16, 0, 16},          // page 0: the arrow's length
      {Info(0, 99, 0, 99), 10, 16, 152, 168},      // ... at the end
      {Info(0, 99, 0, 50), 10, 16, 77, 93},        // 7600 / 99 rounded
      {Info(0, 99, 10, 90), 10, 17, 151, 167},     // 16.8 rounded; the last position
      {Info(0, 99, 10, 45), 10, 17, 76, 92},       // 75.5 rounds up
      {Info(100, 199, 10, 190), 10, 17, 151, 167}, // nMin not 0
      {Info(0, 99, 10, 500), 10, 17, 151, 167},    // a position beyond the range is clamped
      {Info(0, 99, 10, -5), 10, 17, 0, 16},
      {Info(0, 999, 1, 0), 10, 10, 0, 16},  // the minimum thumb
      {Info(0, 99, 100, 50), 10, 0, 0, 16}, // page = range: no thumb
      {Info(0, 99, 400, 50), 10, 0, 0, 16}, // page beyond the range
      {Info(0, -1, 10, 0), 10, 0, 0, 16},   // range 0
      {Info(0, -1, 0, 0), 10, 16, 0, 16},   // range 0, page 0: the arrow-long thumb stays
      {Info(5, 5, 0, 5), 10, 16, 0, 16},    // page 0 on a range of 1: divisor 0
      {Info(0, 999, 1, 0), 169, 0, 0, 16},  // a minimum thumb longer than the track
      {Info(INT_MIN, INT_MAX, 1u << 31, INT_MAX), 10, 84, 84, 100}, // the widest range
  };
  for (const TCase& C : Cases) {
    TScrollThumb T = ScrollThumb(sbkHorizontal, Bar, 16, C.I, C.MinThumb);
    SCOPED_TRACE(testing::Message()
                 << C.I.nMin << ".." << C.I.nMax << " page " << C.I.nPage << " pos " << C.I.nPos);
    EXPECT_EQ(T.Length, C.Length);
    EXPECT_EQ(T.Offset, C.Offset);
    EXPECT_EQ(T.Start, C.Start);
  }
  // A vertical bar measures along Y, from its top.
  TScrollThumb V = ScrollThumb(sbkVertical, Bounds(40, 30, 16, 200), 16, Info(0, 99, 10, 90));
  EXPECT_EQ(V.Start, 30 + 167);
}

// The editor's vertical bar with 100 lines, 25 shown, at line 30: the thumb is 108 long at 147
// (offset 30 * 322 / 75).
TScrollBarGeometry EditorVBar(TScrollInfo I = Info(0, 99, 25, 30)) {
  return ScrollBarGeometry(sbkVertical, Rect(751, 2, 767, 464), 16, I);
}

TEST(ScrollHitTest, PortionsAtTheirBordersMatchTheDrawnParts) {
  TScrollBarGeometry G = EditorVBar();
  ASSERT_EQ(G.Thumb.Start, 147);
  ASSERT_EQ(G.Thumb.Length, 108);
  struct {
    int Y, Portion;
  } Cases[] = {{1, spNone}, {2, 0},   {17, 0},  {18, 2},  {146, 2}, {147, 5},
               {254, 5},    {255, 3}, {447, 3}, {448, 1}, {463, 1}, {464, spNone}};
  for (auto C : Cases)
    EXPECT_EQ(ScrollHitTest(G, {759, C.Y}), C.Portion) << C.Y;
  EXPECT_EQ(ScrollHitTest(G, {750, 100}), spNone);
  EXPECT_EQ(ScrollHitTest(G, {767, 100}), spNone);
  EXPECT_EQ(ScrollHitTest(G, {751, 2}), 0);

  EXPECT_EQ(ScrollPartRect(G, sptThumb), Rect(751, 147, 767, 255));
  EXPECT_EQ(ScrollPartRect(G, sptTrack1), Rect(751, 2, 767, 201)) << "to the thumb's middle";
  EXPECT_EQ(ScrollPartRect(G, sptTrack2), Rect(751, 201, 767, 464));
  // Every pixel is hit as the part drawn there.
  const TScrollPart Parts[] = {sptFirstArrow, sptSecondArrow, sptThumb};
  const int Portions[] = {0, 1, 5};
  for (int Y = 2; Y < 464; ++Y)
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(ScrollPartRect(G, Parts[i]).Contains(759, Y),
                ScrollHitTest(G, {759, Y}) == Portions[i])
          << Y;
}

TEST(ScrollHitTest, ShortBarHalvesTheArrowsAndTrackWithoutThumb) {
  TScrollBarGeometry G =
      ScrollBarGeometry(sbkHorizontal, Bounds(0, 0, 31, 16), 16, Info(0, 9, 1, 0));
  EXPECT_TRUE(G.IsShort);
  EXPECT_EQ(G.ArrowSpan, 15);
  EXPECT_FALSE(G.Thumb.IsShown());
  EXPECT_EQ(ScrollHitTest(G, {14, 5}), 0);
  EXPECT_EQ(ScrollHitTest(G, {15, 5}), spNone) << "the odd middle pixel";
  EXPECT_EQ(ScrollHitTest(G, {16, 5}), 1);
  EXPECT_EQ(ScrollPartRect(G, sptSecondArrow), Rect(16, 0, 31, 16));
  EXPECT_EQ(G.TrackSplit, 15);
  EXPECT_TRUE(ScrollPartRect(G, sptThumb).IsEmpty());

  G = EditorVBar(Info(0, 99, 100, 0)); // page = range: the track hits nothing
  EXPECT_EQ(ScrollHitTest(G, {759, 100}), spNone);
  EXPECT_EQ(ScrollHitTest(G, {759, 10}), 0);
  EXPECT_EQ(G.TrackSplit, 2 + 231);
}

TEST(ScrollNcHitTest, BarsDisabledBarsAndGripCorner) {
  const TPoint At{108, 150};
  TScrollNcCalc Calc = EditorNcCalc(At);
  TScrollLayout L = ScrollLayout(EditorWindow.Offsetted(At.X, At.Y), Calc.Frame);
  EXPECT_EQ(ScrollNcHitTest(L, {At.X + 759, At.Y + 100}, true, true, false), 7);
  EXPECT_EQ(ScrollNcHitTest(L, {At.X + 100, At.Y + 470}, true, true, false), 6);
  EXPECT_EQ(ScrollNcHitTest(L, {At.X + 759, At.Y + 100}, true, false, false), 0);
  EXPECT_EQ(ScrollNcHitTest(L, {At.X + 100, At.Y + 470}, false, true, false), 0);
  EXPECT_EQ(ScrollNcHitTest(L, {At.X + 750, At.Y + 100}, true, true, false), std::nullopt);
  EXPECT_EQ(ScrollNcHitTest(L, {At.X + 767, At.Y + 100}, true, true, false), std::nullopt);

  // The editor fills its top-level parent's client area down to the bottom-right corner.
  TScrollParent P{true, true, Rect(100, 120, At.X + 769, At.Y + 482)};
  EXPECT_TRUE(IsGripCorner(L, Calc.Frame, P));
  TPoint InCorner{At.X + 760, At.Y + 470};
  EXPECT_EQ(ScrollNcHitTest(L, InCorner, true, true, true), 17);
  EXPECT_EQ(ScrollNcHitTest(L, InCorner, true, true, false), std::nullopt);
  P.ParentClient.Right += 1;
  EXPECT_FALSE(IsGripCorner(L, Calc.Frame, P));
  P.ParentClient.Right -= 1;
  P.ParentClient.Bottom -= 1;
  EXPECT_FALSE(IsGripCorner(L, Calc.Frame, P));
  P.ParentClient.Bottom += 1;
  P.ParentIsTopLevel = false;
  EXPECT_FALSE(IsGripCorner(L, Calc.Frame, P));
  EXPECT_TRUE(IsGripCorner(L, Calc.Frame, TScrollParent{})) << "no parent";
  L.HVisible = false;
  EXPECT_FALSE(IsGripCorner(L, Calc.Frame, TScrollParent{})) << "no corner";

  // A left scroll bar's corner meets the parent's bottom-left corner.
  Calc = ScrollNcCalcSize(EditorWindow, EditorClient, {true, true, true}, 16, 16);
  L = ScrollLayout(EditorWindow, Calc.Frame);
  EXPECT_TRUE(IsGripCorner(L, Calc.Frame, {true, true, Rect(0, -50, 900, 482)}));
  EXPECT_FALSE(IsGripCorner(L, Calc.Frame, {true, true, Rect(-100, -50, 769, 482)}));
}

TEST(ScrollPress, WhatAPressDoes) {
  EXPECT_EQ(ScrollPressKind(0, true, 0), sprRepeat);
  EXPECT_EQ(ScrollPressKind(0, true, sfFirstArrowDisabled), sprIgnore);
  EXPECT_EQ(ScrollPressKind(1, true, sfFirstArrowDisabled), sprRepeat);
  EXPECT_EQ(ScrollPressKind(1, true, sfSecondArrowDisabled), sprIgnore);
  EXPECT_EQ(ScrollPressKind(3, true, sfFirstArrowDisabled | sfSecondArrowDisabled), sprRepeat);
  EXPECT_EQ(ScrollPressKind(2, false, 0), sprIgnore);
  EXPECT_EQ(ScrollPressKind(5, true, 0), sprDrag);
  EXPECT_EQ(ScrollPressKind(5, false, 0), sprIgnore);
  EXPECT_EQ(ScrollPressKind(spNone, true, 0), sprPassOn);
}

TEST(ScrollPartStates, HotPressedAndDragged) {
  TScrollBarInteraction I;
  I.Hot = 0;
  EXPECT_EQ(ScrollPartStates(I).FirstArrow, 1);
  I.ScrollFlags = sfFirstArrowDisabled;
  EXPECT_EQ(ScrollPartStates(I).FirstArrow, 0) << "a disabled arrow is never hot";
  I = {};
  I.Hot = 1;
  I.Enabled = false;
  EXPECT_EQ(ScrollPartStates(I).SecondArrow, 0);
  I = {};
  I.Pressed = I.Hot = 1;
  EXPECT_EQ(ScrollPartStates(I).SecondArrow, 2);
  I.OnPressed = false;
  EXPECT_EQ(ScrollPartStates(I).SecondArrow, 1) << "the cursor left: hot, no longer pressed";
  I = {};
  I.Pressed = 3;
  TScrollPartStates S = ScrollPartStates(I);
  EXPECT_EQ(S.Track1, 0);
  EXPECT_EQ(S.Track2, 2);
  I.OnPressed = false;
  EXPECT_EQ(ScrollPartStates(I).Track2, 0);
  I = {};
  I.Hot = 5;
  EXPECT_EQ(ScrollPartStates(I).Thumb, 1);
  I.Dragging = true;
  I.Hot = 0;
  S = ScrollPartStates(I);
  EXPECT_EQ(S.Thumb, 2);
  EXPECT_EQ(S.FirstArrow + S.SecondArrow + S.Track1 + S.Track2, 0);
}

TEST(ScrollDrag, BothEndsAreReachable) {
  TScrollBarGeometry G = EditorVBar(); // thumb room 430 - 108 = 322, from 18 to 340
  EXPECT_EQ(ScrollDragThumbStart(G, 200, 10), 190);
  EXPECT_EQ(ScrollDragThumbStart(G, -1000, 10), 18);
  EXPECT_EQ(ScrollDragThumbStart(G, 5000, 10), 340);
  const TScrollInfo I = Info(0, 99, 25, 30);
  EXPECT_EQ(ScrollDragPos(G, 18, I), 0);
  EXPECT_EQ(ScrollDragPos(G, 340, I), 75) << "nMax - nPage + 1";
  EXPECT_EQ(ScrollDragPos(G, 9999, I), 75);
  EXPECT_EQ(ScrollDragPos(G, 179, I), 38);
  const TScrollInfo Shifted = Info(100, 199, 25, 130);
  EXPECT_EQ(ScrollDragPos(G, 18, Shifted), 100);
  EXPECT_EQ(ScrollDragPos(G, 340, Shifted), 175);
  TScrollBarGeometry G0 = EditorVBar(Info(0, 99, 0, 0)); // a 16-pixel thumb
  EXPECT_EQ(ScrollDragPos(G0, 432, Info(0, 99, 0, 0)), 99) << "page 0 ends at nMax";

  MoveThumb(G, 9999);
  EXPECT_EQ(G.Thumb.Start, 340);
  EXPECT_EQ(G.TrackSplit, 340 + 54);

  // A bar on a monitor left of the primary one: signed screen coordinates all through.
  TScrollBarGeometry H =
      ScrollBarGeometry(sbkHorizontal, Bounds(-800, 300, 400, 16), 16, Info(0, 99, 10, 0));
  int Start = ScrollDragThumbStart(H, -600, 5);
  EXPECT_EQ(Start, -605);
  EXPECT_EQ(ScrollDragPos(H, Start, Info(0, 99, 10, 0)), 49); // 179 * 90 / 331
}

TEST(ScrollDrag, NoRoomOrNoRangeGivesNMin) {
  TScrollBarGeometry Short =
      ScrollBarGeometry(sbkHorizontal, Bounds(0, 0, 30, 16), 16, Info(3, 99, 10, 0));
  EXPECT_EQ(ScrollDragPos(Short, 20, Info(3, 99, 10, 0)), 3);
  TScrollBarGeometry G = EditorVBar(Info(0, 99, 0, 0));
  EXPECT_EQ(ScrollDragPos(G, 200, Info(7, 6, 0, 7)), 7) << "a range below 1, not pixels";
  EXPECT_EQ(ScrollDragPos(G, 200, Info(7, 50, 100, 7)), 7) << "a page beyond the range";
}

TEST(ScrollMulDiv, RoundsHalfAwayFromZero) {
  EXPECT_EQ(ScrollMulDiv(7, 3, 2), 11);
  EXPECT_EQ(ScrollMulDiv(-7, 3, 2), -11);
  EXPECT_EQ(ScrollMulDiv(7, 3, -2), -11);
  EXPECT_EQ(ScrollMulDiv(-7, -3, 2), 11);
  EXPECT_EQ(ScrollMulDiv(5, 1, 4), 1);
  EXPECT_EQ(ScrollMulDiv(1, 1, 0), -1);
  EXPECT_EQ(ScrollMulDiv(int64_t(1) << 31, int64_t(1) << 30, int64_t(1) << 30), int64_t(1) << 31);
}

TEST(ScrollRepeat, OneStepThenDelayThenEveryInterval) {
  TScrollRepeat R;
  EXPECT_EQ(R.Press(2, 1000), 1);
  EXPECT_EQ(R.Wait(1000), 300u);
  EXPECT_EQ(R.Tick(1299, 2), 0);
  EXPECT_EQ(R.Tick(1300, 2), 0) << "the delay only ends";
  EXPECT_TRUE(R.IsRepeating());
  EXPECT_EQ(R.Wait(1300), 55u);
  EXPECT_EQ(R.Tick(1354, 2), 0);
  EXPECT_EQ(R.Tick(1355, 2), 1);
  EXPECT_EQ(R.Tick(1410, 3), 0) << "the cursor left the pressed portion";
  EXPECT_EQ(R.Tick(1465, 2), 1);
  EXPECT_EQ(R.Tick(1700, 2), 1) << "a late tick takes one step";
  EXPECT_EQ(R.Wait(1700), 40u);
  EXPECT_EQ(R.Tick(1739, 2), 0);
  EXPECT_EQ(R.Tick(1740, 2), 1);
  EXPECT_TRUE(R.Release());
  EXPECT_FALSE(R.IsPressed());
  EXPECT_EQ(R.Tick(1795, 2), 0);
  EXPECT_FALSE(R.Release());
}

TEST(ScrollRepeat, LostCaptureEndsThePressAndTheClockMayWrap) {
  TScrollRepeat R;
  R.Press(0, 5000);
  EXPECT_TRUE(R.Cancel());
  EXPECT_EQ(R.Tick(5400, 0), 0);
  EXPECT_EQ(R.Wait(5400), 0u);

  // A timer re-armed with Wait after every call, firing 7 ms late across the clock's wrap: the
  // press step and then steps at 355 + 55k ms, 13 in the first second.
  const uint32_t T0 = 0xFFFFFF00u;
  int Steps = R.Press(1, T0);
  uint32_t Now = T0;
  while (true) {
    Now += R.Wait(Now) + 7;
    if (Now - T0 > 1000) break;
    Steps += R.Tick(Now, 1);
  }
  EXPECT_EQ(Steps, 13);
}

} // namespace
