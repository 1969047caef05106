// The main window's painting as its user meets it: a hover over a button puts that button's
// face on the screen once per fade step and nothing else, and the rest of the window does not
// paint meanwhile.
#include <gtest/gtest.h>

#include <map>

#include "app/un_main.h"
#include "base/GdiObjects.h"
#include "skin/controls/sButton.h"
#include "skin/controls/sSkinControls.h"
#include "skin/forms/kvDials.h"
#include "skin/images/kvSkinPictures.h"
#include "skin/messages/sMessages.h"
#include "tests/app/ProgramTest.h"

namespace {

struct TCopy {
  HWND Wnd;
  RECT Area;
};

// Every copy of a finished face to the screen, with the window that received it.
struct TCopyRecorder {
  std::vector<TCopy> Copies;
  TCopyRecorder() {
    SetScreenCopyWatch(
        [](HDC DC, const RECT& Area, void* Self) {
          static_cast<TCopyRecorder*>(Self)->Copies.push_back({WindowFromDC(DC), Area});
        },
        this);
  }
  ~TCopyRecorder() { SetScreenCopyWatch(nullptr); }
};

class MainPaintTest : public ::testing::Test {
protected:
  void SetUp() override {
    ProgramTestSetUp();
    MoveAway();
    Form = new Tfrm_main(Application);
    Form->OnShow = nullptr; // the start-up notice is a box of its own
    Form->Show();
    SetForegroundWindow(Form->Handle());
    PumpFor(300);
  }
  void TearDown() override {
    for (auto& [Control, Token] : Hooks)
      Control->RemoveWindowHook(Token);
    delete Form;
  }
  static void MoveAway() {
    MouseTo(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
  }
  // Counts the painting messages of every windowed control of the form but Except.
  void WatchOthers(TWinControl* Parent, TControl* Except) {
    for (int i = 0; i < Parent->ControlCount(); ++i) {
      auto* C = dynamic_cast<TWinControl*>(Parent->Controls(i));
      if (!C || C == Except) continue;
      Hooks.emplace_back(C, C->AddWindowHook([this, C](TMessage& M, const TWndNext& Next) {
        if (M.Msg == WM_PAINT || M.Msg == WM_NCPAINT || M.Msg == WM_ERASEBKGND ||
            M.Msg == WM_PRINTCLIENT)
          ++OtherPaints[C->Name()];
        Next(M);
      }));
      WatchOthers(C, Except);
    }
  }
  Tfrm_main* Form = nullptr;
  std::vector<std::pair<TWinControl*, TWndHookToken>> Hooks;
  std::map<std::wstring, int> OtherPaints;
};

} // namespace

TEST_F(MainPaintTest, HoverFadeCopiesOnlyTheButtonOncePerStepAndNothingElsePaints) {
  auto* B = dynamic_cast<TsButton*>(Form->sButton2);
  ASSERT_NE(B, nullptr);
  ASSERT_TRUE(B->SkinData().Skinned());
  HWND Wnd = B->Handle();
  int Steps = 0;
  auto StepToken = B->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_FADESTEP) ++Steps;
    Next(M);
  });
  WatchOthers(Form, B);
  for (bool Enter : {true, false}) {
    SCOPED_TRACE(Enter ? "entering" : "leaving");
    Steps = 0;
    OtherPaints.clear();
    TCopyRecorder Recorder;
    if (Enter) {
      RECT R;
      GetWindowRect(Wnd, &R);
      MouseTo((R.left + R.right) / 2, (R.top + R.bottom) / 2);
    } else {
      MoveAway();
    }
    ASSERT_TRUE(PumpUntil([&] { return B->FadeTimer() != nullptr; }, 2000));
    ASSERT_TRUE(PumpUntil([&] { return B->FadeTimer() == nullptr; }, 3000));
    PumpFor(100);
    EXPECT_EQ(Steps, 5) << "a hover fades in five steps";
    ASSERT_EQ(Recorder.Copies.size(), size_t(Steps)) << "one copy to the screen per step";
    for (const TCopy& C : Recorder.Copies) {
      EXPECT_EQ(C.Wnd, Wnd);
      EXPECT_EQ(C.Area.left, 0);
      EXPECT_EQ(C.Area.top, 0);
      EXPECT_EQ(C.Area.right - C.Area.left, B->Width()) << "the button's area, no more";
      EXPECT_EQ(C.Area.bottom - C.Area.top, B->Height());
    }
    std::string Painted;
    for (const auto& [Name, Count] : OtherPaints)
      Painted += std::string(Name.begin(), Name.end()) + " " + std::to_string(Count) + "; ";
    EXPECT_EQ(Painted, "") << "no other control paints";
  }
  B->RemoveWindowHook(StepToken);
}
