// The geometry and decisions of the skinned non-client scroll bars.
#include "skin/controls/kvScrollGeometry.h"

#include <algorithm>

namespace {

// Bars and arrows longer than this are nonsense; the cap keeps n × metric from overflowing.
constexpr int64_t MaxBarMetric = 0x7FFF;

int FromStored(int Stored, int Metric) {
  int64_t V = Stored >= 0 ? Stored : -int64_t(Stored) * Metric;
  return int(std::clamp<int64_t>(V, 0, MaxBarMetric));
}

int BarStartOf(TScrollBarKind Kind, const TRect& Bar) {
  return Kind == sbkVertical ? Bar.Top : Bar.Left;
}

int BarLengthOf(TScrollBarKind Kind, const TRect& Bar) {
  return std::max(0, Kind == sbkVertical ? Bar.Height() : Bar.Width());
}

// The part of the bar from From to To along its axis, across its whole thickness.
TRect Span(const TScrollBarGeometry& G, int From, int To) {
  if (G.Kind == sbkVertical) return {G.Bar.Left, From, G.Bar.Right, To};
  return {From, G.Bar.Top, To, G.Bar.Bottom};
}

void SplitTrack(TScrollBarGeometry& G) {
  G.TrackSplit = G.Thumb.IsShown() ? G.Thumb.Start + G.Thumb.Length / 2 : G.Start + G.Length / 2;
}

// Whether a wrapping millisecond clock at Now has reached Due.
bool Reached(uint32_t Now, uint32_t Due) {
  return int32_t(Now - Due) >= 0;
}

} // namespace

int64_t ScrollMulDiv(int64_t A, int64_t B, int64_t C) {
  if (C == 0) return -1;
  if (C < 0) {
    A = -A;
    C = -C;
  }
  const int64_t P = A * B;
  return P >= 0 ? (P + C / 2) / C : (P - C / 2) / C;
}

int ScrollBarThickness(TScrollBarKind Kind, int nArrowWidth, const TScrollSysMetrics& Sys) {
  return FromStored(nArrowWidth, Kind == sbkVertical ? Sys.CXVScroll : Sys.CYHScroll);
}

int ScrollArrowLength(int nArrowLength, const TScrollSysMetrics& Sys,
                      std::optional<int> SkinArrowLength) {
  if (nArrowLength < 0 && SkinArrowLength)
    return int(std::clamp<int64_t>(*SkinArrowLength, 0, MaxBarMetric));
  return FromStored(nArrowLength, Sys.CXHScroll);
}

TScrollBarMetrics ScrollBarMetricsOf(TScrollBarKind Kind, int nArrowWidth, int nArrowLength,
                                     const TScrollSysMetrics& Sys,
                                     std::optional<int> SkinArrowLength) {
  return {ScrollBarThickness(Kind, nArrowWidth, Sys),
          ScrollArrowLength(nArrowLength, Sys, SkinArrowLength)};
}

TScrollNcCalc ScrollNcCalcSize(const TRect& Window, const TRect& Client,
                               const TScrollStyles& Styles, int HThickness, int VThickness) {
  TScrollNcCalc R;
  TScrollFrame& F = R.Frame;
  F.cxLeftEdge = Client.Left - Window.Left;
  F.cxRightEdge = Window.Right - Client.Right;
  F.cyTopEdge = Client.Top - Window.Top;
  F.cyBottomEdge = Window.Bottom - Client.Bottom;
  F.LeftScrollbar = Styles.LeftScrollbar;
  F.HThickness = HThickness;
  F.VThickness = VThickness;
  R.Client = Client;
  if (Styles.HScroll && R.Client.Height() >= HThickness) {
    R.Client.Bottom -= HThickness;
    F.HVisible = true;
  }
  if (Styles.VScroll && R.Client.Width() >= VThickness) {
    if (Styles.LeftScrollbar)
      R.Client.Left += VThickness;
    else
      R.Client.Right -= VThickness;
    F.VVisible = true;
  }
  return R;
}

TScrollLayout ScrollLayout(const TRect& Window, const TScrollFrame& F) {
  TScrollLayout L;
  L.HVisible = F.HVisible;
  L.VVisible = F.VVisible;
  const int HRoom = F.HVisible ? F.HThickness : 0;
  const int VRoom = F.VVisible ? F.VThickness : 0;

  L.HBar.Left = Window.Left + F.cxLeftEdge + (F.LeftScrollbar ? VRoom : 0);
  L.HBar.Right = Window.Right - F.cxRightEdge - (F.LeftScrollbar ? 0 : VRoom);
  L.HBar.Bottom = Window.Bottom - F.cyBottomEdge;
  L.HBar.Top = L.HBar.Bottom - HRoom;

  L.VBar.Top = Window.Top + F.cyTopEdge;
  L.VBar.Bottom = Window.Bottom - (HRoom + F.cyBottomEdge);
  if (F.LeftScrollbar) {
    L.VBar.Left = Window.Left + F.cxLeftEdge;
    L.VBar.Right = L.VBar.Left + VRoom;
  } else {
    L.VBar.Right = Window.Right - F.cxRightEdge;
    L.VBar.Left = L.VBar.Right - VRoom;
  }

  if (F.HVisible && F.VVisible) L.Corner = {L.VBar.Left, L.HBar.Top, L.VBar.Right, L.HBar.Bottom};
  return L;
}

TScrollThumb ScrollThumb(TScrollBarKind Kind, const TRect& Bar, int ArrowLength,
                         const TScrollInfo& Info, int MinThumbSize) {
  const int64_t A = std::max(0, ArrowLength);
  const int64_t Track = BarLengthOf(Kind, Bar) - 2 * A;
  const int64_t Range = int64_t(Info.nMax) - Info.nMin + 1;
  const int64_t Page = Info.nPage;

  TScrollThumb Th;
  Th.Start = int(BarStartOf(Kind, Bar) + A);
  int64_t Len = 0;
  if (Page == 0)
    Len = A;
  else if (Range > 0)
    // A page of the whole range or more fills the track: no thumb, and no MulDiv of a page
    // beyond the range.
    Len = Page >= Range ? Track : std::max<int64_t>(ScrollMulDiv(Page, Track, Range), MinThumbSize);
  if (Len <= 0 || Len >= Track) return Th;

  Th.Length = int(Len);
  if (Range > 0) {
    // With the page the whole range (or nPage 0 on a range of 1) the thumb cannot move.
    const int64_t Divisor = Range - std::max<int64_t>(Page, 1);
    if (Divisor != 0) {
      int64_t Offset = ScrollMulDiv(int64_t(Info.nPos) - Info.nMin, Track - Len, Divisor);
      Th.Offset = int(std::clamp<int64_t>(Offset, 0, Track - Len));
    }
  }
  Th.Start += Th.Offset;
  return Th;
}

TScrollBarGeometry ScrollBarGeometry(TScrollBarKind Kind, const TRect& Bar, int ArrowLength,
                                     const TScrollInfo& Info, int MinThumbSize) {
  TScrollBarGeometry G;
  G.Kind = Kind;
  G.Bar = Bar;
  G.Start = BarStartOf(Kind, Bar);
  G.Length = BarLengthOf(Kind, Bar);
  G.ArrowLength = std::max(0, ArrowLength);
  G.IsShort = 2 * int64_t(G.ArrowLength) >= G.Length;
  G.ArrowSpan = G.IsShort ? G.Length / 2 : G.ArrowLength;
  G.Thumb = ScrollThumb(Kind, Bar, G.ArrowLength, Info, MinThumbSize);
  SplitTrack(G);
  return G;
}

void MoveThumb(TScrollBarGeometry& G, int Start) {
  if (!G.Thumb.IsShown()) return;
  const int Lo = G.Start + G.ArrowLength;
  const int Hi = G.Start + G.Length - G.ArrowLength - G.Thumb.Length;
  G.Thumb.Start = std::clamp(Start, Lo, Hi);
  G.Thumb.Offset = G.Thumb.Start - Lo;
  SplitTrack(G);
}

TRect ScrollPartRect(const TScrollBarGeometry& G, TScrollPart Part) {
  const int End = G.Start + G.Length;
  switch (Part) {
  case sptFirstArrow: return Span(G, G.Start, G.Start + G.ArrowSpan);
  case sptSecondArrow: return Span(G, End - G.ArrowSpan, End);
  case sptTrack1: return Span(G, G.Start, G.TrackSplit);
  case sptTrack2: return Span(G, G.TrackSplit, End);
  case sptThumb:
    if (!G.Thumb.IsShown()) return {};
    return Span(G, G.Thumb.Start, G.Thumb.Start + G.Thumb.Length);
  }
  return {};
}

int ScrollHitTest(const TScrollBarGeometry& G, TPoint P) {
  if (!G.Bar.Contains(P.X, P.Y)) return spNone;
  const int Pos = AlongBar(G.Kind, P) - G.Start;
  if (Pos < G.ArrowSpan) return spFirstArrow;
  if (Pos >= G.Length - G.ArrowSpan) return spSecondArrow;
  if (!G.Thumb.IsShown()) return spNone;
  const int Thumb = G.Thumb.Start - G.Start;
  if (Pos < Thumb) return spTrackBefore;
  if (Pos < Thumb + G.Thumb.Length) return spThumb;
  return spTrackAfter;
}

bool IsGripCorner(const TScrollLayout& L, const TScrollFrame& Frame, const TScrollParent& Parent) {
  if (!L.HVisible || !L.VVisible) return false;
  if (!Parent.HasParent) return true;
  if (!Parent.ParentIsTopLevel) return false;
  const TRect& PC = Parent.ParentClient;
  if (L.Corner.Bottom + Frame.cyBottomEdge != PC.Bottom) return false;
  if (Frame.LeftScrollbar) return L.Corner.Left - Frame.cxLeftEdge == PC.Left;
  return L.Corner.Right + Frame.cxRightEdge == PC.Right;
}

std::optional<int> ScrollNcHitTest(const TScrollLayout& L, TPoint P, bool HEnabled, bool VEnabled,
                                   bool GripCorner) {
  if (L.HVisible && L.HBar.Contains(P.X, P.Y)) return HEnabled ? htHScrollCode : htNowhereCode;
  if (L.VVisible && L.VBar.Contains(P.X, P.Y)) return VEnabled ? htVScrollCode : htNowhereCode;
  if (GripCorner && L.Corner.Contains(P.X, P.Y)) return htScrollGripCode;
  return std::nullopt;
}

TScrollPressKind ScrollPressKind(int Portion, bool Enabled, int ScrollFlags) {
  switch (Portion) {
  case spFirstArrow:
    return Enabled && !(ScrollFlags & sfFirstArrowDisabled) ? sprRepeat : sprIgnore;
  case spSecondArrow:
    return Enabled && !(ScrollFlags & sfSecondArrowDisabled) ? sprRepeat : sprIgnore;
  case spTrackBefore:
  case spTrackAfter: return Enabled ? sprRepeat : sprIgnore;
  case spThumb: return Enabled ? sprDrag : sprIgnore;
  default: return sprPassOn;
  }
}

TScrollPartStates ScrollPartStates(const TScrollBarInteraction& I) {
  TScrollPartStates S;
  if (I.Dragging) {
    S.Thumb = 2;
    return S;
  }
  auto IsPressed = [&](int Portion) { return I.Pressed == Portion && I.OnPressed; };
  auto IsHot = [&](int Portion) { return I.Enabled && I.Hot == Portion; };
  auto ArrowState = [&](int Portion, int DisabledFlag) {
    if (IsPressed(Portion)) return 2;
    return IsHot(Portion) && !(I.ScrollFlags & DisabledFlag) ? 1 : 0;
  };
  S.FirstArrow = ArrowState(spFirstArrow, sfFirstArrowDisabled);
  S.SecondArrow = ArrowState(spSecondArrow, sfSecondArrowDisabled);
  S.Track1 = IsPressed(spTrackBefore) ? 2 : 0;
  S.Track2 = IsPressed(spTrackAfter) ? 2 : 0;
  S.Thumb = IsHot(spThumb) ? 1 : 0;
  return S;
}

int ScrollDragThumbStart(const TScrollBarGeometry& G, int Mouse, int GrabOffset) {
  const int64_t Lo = int64_t(G.Start) + G.ArrowLength;
  const int64_t Hi = int64_t(G.Start) + G.Length - G.ArrowLength - G.Thumb.Length;
  if (Hi < Lo) return int(Lo);
  return int(std::clamp(int64_t(Mouse) - GrabOffset, Lo, Hi));
}

int ScrollDragPos(const TScrollBarGeometry& G, int ThumbStart, const TScrollInfo& Info) {
  const int64_t Range = int64_t(Info.nMax) - Info.nMin + 1;
  const int64_t Page = Info.nPage;
  const int64_t Room = int64_t(G.Length) - 2 * int64_t(G.ArrowLength) - G.Thumb.Length;
  const int64_t Lo = Info.nMin;
  const int64_t Hi = Info.nMax - std::max<int64_t>(Page - 1, 0);
  if (Room <= 0 || Hi < Lo) return Info.nMin;
  // The thumb's offset is kept within its room so that the product stays in range.
  const int64_t Offset =
      std::clamp(int64_t(ThumbStart) - (int64_t(G.Start) + G.ArrowLength), int64_t(0), Room);
  return int(std::clamp(Lo + ScrollMulDiv(Offset, Range - Page, Room), Lo, Hi));
}

int TScrollRepeat::Press(int Portion, uint32_t Now) {
  FPhase = rpDelay;
  FPortion = Portion;
  FDue = Now + FirstDelay;
  return 1;
}

int TScrollRepeat::Tick(uint32_t Now, int PortionUnderCursor) {
  if (FPhase == rpIdle || !Reached(Now, FDue)) return 0;
  if (FPhase == rpDelay) {
    // The delay only ends: the first repeated step comes one interval later.
    FPhase = rpRepeat;
    FDue += RepeatInterval;
    if (!Reached(Now, FDue)) return 0;
  }
  // A step is due; after a late tick the schedule moves past Now instead of catching up.
  const uint32_t Late = Now - FDue;
  FDue += (Late / RepeatInterval + 1) * RepeatInterval;
  return PortionUnderCursor == FPortion ? 1 : 0;
}

uint32_t TScrollRepeat::Wait(uint32_t Now) const {
  if (FPhase == rpIdle || Reached(Now, FDue)) return 0;
  return FDue - Now;
}

bool TScrollRepeat::Release() {
  const bool Ended = IsPressed();
  FPhase = rpIdle;
  FPortion = spNone;
  return Ended;
}

bool TScrollRepeat::Cancel() {
  return Release();
}
