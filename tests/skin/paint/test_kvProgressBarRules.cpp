#include "skin/paint/kvProgressBarRules.h"

#include <gtest/gtest.h>

namespace {

TProgressFacts MainBar(int Position) {
  TProgressFacts F;
  F.Width = 39;
  F.Height = 17;
  F.Position = Position;
  return F;
}

} // namespace

TEST(ProgressBarRules, BlocksOfTheMainWindowsBar) {
  TProgressFacts F = MainBar(50);
  EXPECT_EQ(ProgressInnerRect(F), Rect(1, 1, 38, 16));
  EXPECT_EQ(ProgressItemSize(F), (TSize{8, 15}));
  EXPECT_EQ(ProgressBlockCount(F), 2) << "1.5 rounds half to even";
  EXPECT_EQ(ProgressPieces(F), (std::vector<TRect>{Bounds(1, 1, 8, 15), Bounds(14, 1, 8, 15)}));
  EXPECT_EQ(ProgressPieces(MainBar(100)),
            (std::vector<TRect>{Bounds(1, 1, 8, 15), Bounds(14, 1, 8, 15), Bounds(27, 1, 8, 15)}));
  EXPECT_TRUE(ProgressPieces(MainBar(0)).empty());
  EXPECT_EQ(ProgressBlockCount(MainBar(0)), 0);
}

TEST(ProgressBarRules, APositionPastMaxCountsAsFull) {
  // The search run's wait pushes the position past Max.
  EXPECT_EQ(ProgressBlockCount(MainBar(250)), 3);
  EXPECT_EQ(ProgressPieces(MainBar(250)), ProgressPieces(MainBar(100)));
  EXPECT_EQ(ProgressBlockCount(MainBar(-40)), 0);
  EXPECT_EQ(ProgressRectOf(MainBar(250)).Right, 38);
}

TEST(ProgressBarRules, AFullBarClosesWithAPartialBlockInsideTheInnerEdge) {
  // Width 71: inner 69, Li 67, places 6, gap (67 - 48) div 5 = 3; after the last block
  // 67 - 5 * 11 - 8 = 4 pixels remain, so a partial block closes the bar. It keeps the gap to
  // the last block and ends at the inner edge (70), not one gap further.
  TProgressFacts F = MainBar(100);
  F.Width = 71;
  auto P = ProgressPieces(F);
  ASSERT_EQ(P.size(), 7u);
  EXPECT_EQ(P[5], Bounds(1 + 5 * 11, 1, 8, 15));
  EXPECT_EQ(P[6], Bounds(67, 1, 3, 15));
  F.Position = 99; // not full: no closing block
  EXPECT_EQ(ProgressPieces(F).size(), 6u);
  // Width 60: inner 58, Li 56, places 5, gap 4, nothing left after the last block.
  F = MainBar(100);
  F.Width = 60;
  EXPECT_EQ(ProgressPieces(F).size(), 5u);
  // Vertical 17 x 71: the closing piece lies at the top, a gap above the last block.
  F.Vertical = true;
  F.Width = 17;
  F.Height = 71;
  P = ProgressPieces(F);
  ASSERT_EQ(P.size(), 7u);
  EXPECT_EQ(P[5], Bounds(1, 70 - 5 * 11 - 8, 15, 8));
  EXPECT_EQ(P[6], Bounds(1, 1, 15, 3));
}

TEST(ProgressBarRules, VerticalBlocksGrowFromTheBottom) {
  // 17 x 60: block length nint(15 * 0.66) - 2 = 8, inner 58, Li 56, places 5, gap 4.
  TProgressFacts F = MainBar(40);
  F.Vertical = true;
  F.Width = 17;
  F.Height = 60;
  auto P = ProgressPieces(F);
  ASSERT_EQ(P.size(), 2u);
  EXPECT_EQ(P[0], Bounds(1, 59 - 8, 15, 8));
  EXPECT_EQ(P[1], Bounds(1, 59 - 12 - 8, 15, 8));
}

TEST(ProgressBarRules, SmoothBarIsOneStripToThePosition) {
  TProgressFacts F = MainBar(50);
  F.Smooth = true;
  EXPECT_EQ(ProgressPieces(F), (std::vector<TRect>{Rect(1, 1, 1 + 18, 16)}));
  F.Position = 100;
  EXPECT_EQ(ProgressPieces(F), (std::vector<TRect>{Rect(1, 1, 38, 16)}));
  F.Position = 0;
  EXPECT_TRUE(ProgressPieces(F).empty());
  F.Vertical = true;
  F.Width = 17;
  F.Height = 101;
  F.Position = 50; // Top := 100 - nint(99 * 0.5) = 100 - 50 (49.5 to even)
  EXPECT_EQ(ProgressPieces(F), (std::vector<TRect>{Rect(1, 50, 16, 100)}));
}

TEST(ProgressBarRules, MarqueeFiveBlocksWrapAroundTheFarEdge) {
  TProgressFacts F = MainBar(0);
  F.Width = 100;
  F.Marquee = true;
  F.MarqPos = 70;
  auto P = ProgressPieces(F);
  ASSERT_EQ(P.size(), 5u);
  EXPECT_EQ(P[0], Bounds(71, 1, 9, 15));
  EXPECT_EQ(P[3], Bounds(101 - 100, 1, 9, 15)) << "71 + 30 is beyond the bar";
  EXPECT_EQ(P[4], Bounds(111 - 100, 1, 9, 15));
  F.Vertical = true;
  F.Width = 17;
  F.Height = 100;
  F.MarqPos = 80;
  P = ProgressPieces(F);
  EXPECT_EQ(P[0], Bounds(1, 20 - 9, 15, 9));
  EXPECT_EQ(P[2], Bounds(1, 20 - 20 - 9 + 100, 15, 9));
}

TEST(ProgressBarRules, GuardedCasesDrawNothing) {
  TProgressFacts F = MainBar(50);
  F.Min = 100;
  F.Max = 100;
  EXPECT_TRUE(ProgressPieces(F).empty()) << "Min >= Max shows only the gauge";
  F.Min = 200;
  EXPECT_TRUE(ProgressPieces(F).empty());
  // A bar of no inner height has blocks of -2: no places and no division by zero.
  F = MainBar(50);
  F.Height = 2;
  EXPECT_EQ(ProgressBlockCount(F), 0);
  EXPECT_TRUE(ProgressPieces(F).empty());
  F.Height = 4; // blocks of nint(2 * 0.66) - 2 = -1
  EXPECT_EQ(ProgressBlockCount(F), 0);
  F = MainBar(50);
  F.Width = 12; // Li 8: no two places
  EXPECT_EQ(ProgressBlockCount(F), 0);
  EXPECT_TRUE(ProgressPieces(F).empty());
  F = MainBar(50);
  F.BorderWidth = 8; // nothing left inside the border
  EXPECT_TRUE(ProgressPieces(F).empty());
}

TEST(ProgressBarRules, MarqueeAdvancesWrapsAndBounces) {
  double Pos = 0;
  int Orient = 1;
  AdvanceMarquee(Pos, Orient, 150, 40, 0, 8, 10, false);
  EXPECT_NEAR(Pos, 18.0 / 37 * 8, 1e-9);
  Pos = 141;
  AdvanceMarquee(Pos, Orient, 150, 40, 0, 8, 10, false);
  EXPECT_EQ(Pos, 0);
  Pos = 100;
  AdvanceMarquee(Pos, Orient, 150, 40, 0, 8, 10, true);
  EXPECT_EQ(Orient, -1) << "102 reached 150 - 40 - 8";
  Pos = 3;
  AdvanceMarquee(Pos, Orient, 150, 40, 0, 8, 10, true);
  EXPECT_EQ(Orient, 1);
}
