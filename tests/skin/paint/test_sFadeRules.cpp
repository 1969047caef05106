#include "skin/paint/sFadeRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Weights(int Iterations, bool Half) {
  int Steps = FadeStepCount(Iterations, Half, false, fdNone);
  std::vector<int> W;
  for (int Level = FadeStartLevel(1, Steps); Level <= Steps; ++Level)
    W.push_back(FadeWeight(Level, Steps));
  return W;
}

} // namespace

TEST(FadeRules, FiveIterationsStepThroughFifthsAndAPressHalfOfThem) {
  EXPECT_EQ(Weights(5, false), (std::vector<int>{51, 102, 153, 204, 255}));
  EXPECT_EQ(Weights(5, true), (std::vector<int>{127, 255}));
  EXPECT_EQ(Weights(1, false), (std::vector<int>{255}));
  EXPECT_EQ(Weights(3, true), (std::vector<int>{255}));
}

TEST(FadeRules, AHalfFadeOfOneIterationStillShowsTheNewFace) {
  // 1 div 2 would be no step at all, and the new face would never be drawn.
  EXPECT_EQ(FadeStepCount(1, true, false, fdNone), 1);
  EXPECT_EQ(Weights(1, true), (std::vector<int>{255}));
  // A running fade going down has nothing left by the count, and still gets its one step.
  EXPECT_EQ(FadeStepCount(5, false, true, fdDown), 1);
  EXPECT_EQ(FadeStepCount(5, false, true, fdUp), 5);
}

TEST(FadeRules, NoIterationsMeanNoFade) {
  EXPECT_FALSE(FadeConfigured(true, 0));
  EXPECT_FALSE(FadeConfigured(true, -3));
  EXPECT_FALSE(FadeConfigured(false, 5));
  EXPECT_TRUE(FadeConfigured(true, 1));
  EXPECT_EQ(FadeStepCount(0, false, false, fdNone), 0);
  EXPECT_EQ(FadeStepCount(-1, true, false, fdNone), 0);
  EXPECT_EQ(FadeWeight(1, 0), 0) << "no division by zero";
}

TEST(FadeRules, StartLevelIsOneUnlessItLiesInside) {
  EXPECT_EQ(FadeStartLevel(5, 5), 1);
  EXPECT_EQ(FadeStartLevel(0, 5), 1);
  EXPECT_EQ(FadeStartLevel(-2, 5), 1);
  EXPECT_EQ(FadeStartLevel(3, 5), 3);
}

TEST(FadeRules, EventsFadeByTheControlsSetOrTheManagersDefault) {
  const unsigned All = 1 | 2 | 4 | 8;
  const unsigned Global = AnimatEventBit(aeGlobalDef);
  for (TkvAnimatEvent E : {aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp}) {
    EXPECT_TRUE(FadeEventAllowed(E, Global, All)) << E;
    EXPECT_FALSE(FadeEventAllowed(E, Global, 0)) << E;
    EXPECT_TRUE(FadeEventAllowed(E, AnimatEventBit(E), 0)) << E;
    EXPECT_FALSE(FadeEventAllowed(E, 0, All)) << E;
  }
  // Only the matching manager event counts.
  EXPECT_TRUE(FadeEventAllowed(aeMouseDown, Global, 4));
  EXPECT_FALSE(FadeEventAllowed(aeMouseDown, Global, 1 | 2 | 8));
  EXPECT_FALSE(FadeEventAllowed(aeMouseUp, AnimatEventBit(aeMouseDown), All));
}
