#include "skin/forms/kvAnimSteps.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(MinimizeAlphas, ThirteenStepsOf200MsFadeTo0) {
  Bytes A = MinimizeAlphas(255, 200);
  EXPECT_EQ(A, (Bytes{255, 234, 213, 192, 171, 150, 129, 108, 87, 66, 45, 24, 3, 0}));
  // Below one interval there is still one step, straight to 0.
  EXPECT_EQ(MinimizeAlphas(255, 10), (Bytes{255, 0}));
  EXPECT_EQ(MinimizeAlphas(255, 0), (Bytes{255, 0}));
  // An alpha-blended window starts from its own alpha.
  Bytes B = MinimizeAlphas(170, 200);
  EXPECT_EQ(B.front(), 170);
  EXPECT_EQ(B.back(), 0);
}

TEST(RestoreAlphas, RiseToTheTargetAndStopThere) {
  EXPECT_EQ(RestoreAlphas(255, 200),
            (Bytes{0, 21, 42, 63, 84, 105, 126, 147, 168, 189, 210, 231, 252, 255}));
  // A target below 255 is stepped past, not hit: the restore still ends, at the target.
  Bytes A = RestoreAlphas(200, 200);
  EXPECT_EQ(A.back(), 200);
  for (uint8_t V : A)
    EXPECT_LE(V, 200);
  EXPECT_LE(A.size(), 15u);
  // A faint window's step rounds to 0: both ways still end, one alpha per tick.
  EXPECT_EQ(RestoreAlphas(1, 200), (Bytes{0, 1}));
  EXPECT_EQ(MinimizeAlphas(5, 200), (Bytes{5, 4, 3, 2, 1, 0}));
}

TEST(MinimizeSteps, FlyTowardTheTargetAndBackToTheStart) {
  TRect From{100, 100, 500, 400};
  TRect To{0, 250, 0, 250};
  TkvMinimizeSteps S(From, To, 255, 200);
  EXPECT_EQ(S.StepCount(), 13);
  EXPECT_DOUBLE_EQ(S.BlendStep(), 255.0 / 12);
  TRect Prev = S.Current();
  while (!S.StepMinimize()) {
    TRect C = S.Current();
    EXPECT_LT(C.Width(), Prev.Width());
    EXPECT_LT(C.Left + C.Right, Prev.Left + Prev.Right); // the centre moves left
    Prev = C;
  }
  TRect End = S.Current();
  EXPECT_LE(End.Width(), 400 / 13 + 1);
  EXPECT_NEAR((End.Top + End.Bottom) / 2, 250, 1);
  // Restoring while half way continues from the current alpha.
  TkvMinimizeSteps Half(From, To, 255, 200);
  for (int i = 0; i < 5; ++i)
    Half.StepMinimize();
  Half.BeginRestore();
  EXPECT_EQ(Half.Alpha(), 150);
  int Ticks = 0;
  while (!Half.StepRestore())
    ++Ticks;
  EXPECT_EQ(Ticks, 4);
  EXPECT_EQ(Half.Alpha(), 255);
  EXPECT_EQ(Half.Current(), From);
}

TEST(TaskBarSide, FollowsTheTaskBarsRectangle) {
  EXPECT_EQ(TaskBarSide({0, 1040, 1920, 1080}), tbBottom);
  EXPECT_EQ(TaskBarSide({-2, 1040, 1920, 1080}), tbBottom);
  EXPECT_EQ(TaskBarSide({0, 0, 1920, 40}), tbTop);
  EXPECT_EQ(TaskBarSide({0, 0, 60, 1080}), tbLeft);
  EXPECT_EQ(TaskBarSide({1860, 0, 1920, 1080}), tbRight);
  // A hidden task bar with an empty rectangle counts as the left one.
  EXPECT_EQ(TaskBarSide({0, 0, 0, 0}), tbLeft);
  TRect W{100, 100, 500, 300};
  EXPECT_EQ(TaskBarTarget({0, 0, 0, 0}, W), (TPoint{0, 200}));
  EXPECT_EQ(TaskBarTarget({0, 1040, 1920, 1080}, W), (TPoint{300, 1040}));
  EXPECT_EQ(TaskBarTarget({1860, 0, 1920, 1080}, W), (TPoint{1860, 200}));
  EXPECT_EQ(TaskBarTarget({0, 0, 1920, 40}, W), (TPoint{300, 40}));
}

TEST(ShowAndHide, StepsOf12Ms) {
  EXPECT_EQ(AnimStepCount(120), 10);
  EXPECT_EQ(AnimStepCount(11), 0);
  EXPECT_EQ(AnimStepCount(0), 0);
  EXPECT_FALSE(HideAnimates(0));
  EXPECT_FALSE(HideAnimates(11));
  EXPECT_TRUE(HideAnimates(12));
  EXPECT_EQ(ShowAlphas(255, 10), (Bytes{25, 50, 75, 100, 125, 150, 175, 200, 225, 250, 255}));
  EXPECT_EQ(ShowAlphas(255, 0), (Bytes{255}));
  // A final alpha smaller than the step count still rises, and ends on the final alpha.
  Bytes Faint = ShowAlphas(5, 10);
  EXPECT_EQ(Faint.size(), 11u);
  EXPECT_EQ(Faint.front(), 1);
  EXPECT_EQ(Faint.back(), 5);
  // 229.5 rounds to 230 (half to even), then 204 ... 0 at the tenth step.
  Bytes H = HideAlphas(255, 10);
  EXPECT_EQ(H, (Bytes{230, 204, 178, 153, 128, 102, 76, 51, 26, 0}));
  EXPECT_TRUE(HideAlphas(255, 0).empty());
}

TEST(ShowAndHide, ZoomRectangles) {
  EXPECT_EQ(ShowZoomRect({400, 160}, 0, 10), (TRect{50, 20, 350, 140}));
  EXPECT_EQ(ShowZoomRect({400, 160}, 5, 10), (TRect{25, 10, 375, 150}));
  EXPECT_EQ(ShowZoomRect({400, 160}, 10, 10), (TRect{0, 0, 400, 160}));
  EXPECT_EQ(ShowZoomRect({400, 160}, 11, 10), (TRect{0, 0, 400, 160}));
  EXPECT_EQ(HideZoomRect({400, 160}, 0, 10), (TRect{0, 0, 400, 160}));
  EXPECT_EQ(HideZoomRect({400, 160}, 10, 10), (TRect{50, 20, 350, 140}));
}

TEST(MoveBlendStep, NeverZero) {
  EXPECT_EQ(MoveBlendStep(170, 1000), 1); // 85 over 83 ticks
  EXPECT_EQ(MoveBlendStep(170, 12), 85);
  EXPECT_EQ(MoveBlendStep(170, 120), 8); // 8.5 rounds half to even
  // Far more ticks than alpha to lose: still one per tick.
  EXPECT_EQ(MoveBlendStep(250, 60000), 1);
}

TEST(DialogMoveBlendStep, AThirtiethOfTheWayAtLeastOne) {
  EXPECT_EQ(DialogMoveBlendStep(170), 3); // 85 / 30 = 2.83
  EXPECT_EQ(DialogMoveBlendStep(0), 8);   // 8.5 rounds half to even
  EXPECT_EQ(DialogMoveBlendStep(240), 1); // 0.5 would round to 0
  EXPECT_EQ(DialogMoveBlendStep(254), 1);
  EXPECT_EQ(DialogMoveBlendStep(255), 1);
}

} // namespace
