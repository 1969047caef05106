// The geometry of the skinned progress bar that needs no window: the rectangle the progress
// part may take, the size of one piece, and where the blocks, the smooth strip or the marquee
// go.
#pragma once

#include <vector>

#include "base/kvTypes.h"

struct TProgressFacts {
  int Width = 0, Height = 0; // the bar
  int BorderWidth = 0;
  bool Vertical = false;
  bool Smooth = false;
  bool Marquee = false;
  int Min = 0, Max = 100, Position = 0;
  double MarqPos = 0; // the marquee's offset from the start edge
  int MarqSize = 40;  // the marquee's length in the progress rectangle
};

// The client rectangle inset by 1 on every side.
TRect ProgressInnerRect(const TProgressFacts& F);
// The rectangle the progress part may occupy: the inner rectangle inset by the border width,
// cut to the position (a position outside Min .. Max counts as the nearer end), or the
// marquee's stretch.
TRect ProgressRectOf(const TProgressFacts& F);
// The width and height of one piece: a block, a marquee block or the smooth strip.
TSize ProgressItemSize(const TProgressFacts& F);
// The number of blocks a block bar shows: 0 without at least two block places, an empty range
// or a position at Min; never more than the places.
int ProgressBlockCount(const TProgressFacts& F);
// Every piece the progress section is painted into, in painting order; none when Min >= Max,
// the progress rectangle is empty or a piece would be 1 pixel or less in either direction.
std::vector<TRect> ProgressPieces(const TProgressFacts& F);
// The marquee's next offset: it moves by 18 / (Interval + 27) * Step in its direction Orient
// (1 or -1); a bouncing marquee (the error state) turns at the ends, any other starts again at 0
// when it reaches the far edge.
void AdvanceMarquee(double& Pos, int& Orient, int Width, int MarqSize, int BorderWidth, int Step,
                    int Interval, bool Bounce);
