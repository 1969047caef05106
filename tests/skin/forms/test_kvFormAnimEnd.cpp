// The hide animation while the application ends. The application cannot be started again, so
// this runs in a process of its own.
#include "skin/forms/kvDials.h"
#include "skin/forms/kvFormAnim.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/messages/sMessages.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class FormAnimEndTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  HWND W() { return Form->Handle(); }
  TsSkinProvider* Provider() {
    return reinterpret_cast<TsSkinProvider*>(SendSkinCommand(W(), KV_QUERYPROVIDER));
  }
};

HWND FindOutputWindow() {
  HWND Found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND W, LPARAM P) {
        if (WindowClassName(W) != L"TOutputWindow") return TRUE;
        *reinterpret_cast<HWND*>(P) = W;
        return FALSE;
      },
      LPARAM(&Found));
  return Found;
}

TEST_F(FormAnimEndTest, AHideWhileTheApplicationEndsRunsOutAtOnceAndFreesTheBorderWindow) {
  UseMeadowStyle();
  Manager->SetExtendedBorders(true);
  Form->SetClientSize(400, 300);
  Form->Show();
  PumpFor(100);
  TsSkinProvider* P = Provider();
  ASSERT_NE(P, nullptr);
  ASSERT_NE(P->BorderForm(), nullptr);
  std::vector<TkvAnimEvent> Heard;
  P->OnAfterAnimation = [&](TsSkinProvider&, TkvAnimEvent Event) { Heard.push_back(Event); };
  // Five thousand steps of 12 ms: only the run-out ends it within the wait below.
  Manager->AnimEffects.FormHide.Time = 60000;
  Form->Hide();
  ASSERT_EQ(RunningHideAnimations(), 1);
  HWND Cover = FindOutputWindow();
  ASSERT_NE(Cover, nullptr);
  EXPECT_TRUE(Heard.empty());
  Application->Terminate();
  // The next tick runs every remaining step at once and ends the animation.
  EXPECT_TRUE(PumpUntil([] { return RunningHideAnimations() == 0; }, 5000));
  EXPECT_FALSE(IsWindow(Cover));
  EXPECT_EQ(Heard, std::vector<TkvAnimEvent>{aeHiding});
  EXPECT_EQ(P->BorderForm()->Handle(), nullptr);
  // A hide that starts while the application ends has no steps to wait for.
  Form->Show();
  PumpFor(50);
  Heard.clear();
  Form->Hide();
  EXPECT_EQ(RunningHideAnimations(), 0);
  EXPECT_EQ(FindOutputWindow(), nullptr);
  EXPECT_EQ(Heard, std::vector<TkvAnimEvent>{aeHiding});
  EXPECT_EQ(P->BorderForm()->Handle(), nullptr);
}

} // namespace
