// The timer component.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"
#include "toolkit/ExtCtrls.h"

namespace {
class TCountingTimer : public TTimer {
public:
  using TTimer::TTimer;
  int Ticks = 0;
  void Timer() override { ++Ticks; }
};
} // namespace

TEST_F(FormTest, TimerTicksOnlyWhileEnabled) {
  auto* Timer = new TTimer(Form);
  int Ticks = 0;
  Timer->OnTimer = [&](TComponent*) { ++Ticks; };
  Timer->SetInterval(10);
  Timer->SetEnabled(false);
  Timer->SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Ticks >= 3; }, 2000));
  Timer->SetEnabled(false);
  int Seen = Ticks;
  PumpFor(100);
  EXPECT_EQ(Ticks, Seen);
}

TEST_F(FormTest, DerivedTimerTicksWithoutAHandler) {
  auto* Timer = new TCountingTimer(Form);
  Timer->SetInterval(10);
  Timer->SetEnabled(false);
  Timer->SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Timer->Ticks >= 2; }, 2000));
  Timer->SetEnabled(false);
  int Seen = Timer->Ticks;
  PumpFor(60);
  EXPECT_EQ(Timer->Ticks, Seen);
}
