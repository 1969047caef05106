#include "skin/controls/sFade.h"

#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/pixels/kvPixelMath.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

// A control whose face is one colour per state: red, green when "hot". It stops its fade on
// the halt notice unless told not to, and records the frames it is shown.
class TFadingBox : public TWinControl {
public:
  explicit TFadingBox(TComponent* Owner) : TWinControl(Owner) {
    Data.COC = 93;
    Data.SetSkinSection("BOX");
  }
  const wchar_t* ClassName() const override { return L"TFadingBox"; }
  TsCtrlSkinData Data{this, true};
  TFadeRef Fade;
  bool Hot = false;
  bool StopsOnHalt = true;
  std::vector<uint32_t> Frames;
  void Paint() {
    Data.PrepareCacheBmp();
    Data.CacheBmp()->Fill(Hot ? 0xFF00FF00 : 0xFFFF0000);
    Data.BGChanged = false;
  }
  void WndProc(TMessage& M) override {
    if (M.Msg == KV_SKINMSG) {
      switch (SkinCommandCode(M.WParam)) {
      case KV_CLEARBGCHANGED: Paint(); return;
      case KV_HALTFADE:
        if (StopsOnHalt) StopFade(Fade, Data);
        return;
      case KV_FADESTEP:
        Frames.push_back(reinterpret_cast<TBitmap32*>(M.LParam)->Pixel(0, 0));
        M.Result = 1;
        return;
      default: break;
      }
    }
    if (!CommonWndProc(M, &Data)) TWinControl::WndProc(M);
  }
  void Change(bool NowHot, bool Half = false) {
    Hot = NowHot;
    Data.BGChanged = false;
    StartStateFade(Fade, Data, Half, fdUp, true);
  }
};

class FadeTest : public SkinnedFormTest {
protected:
  TFadingBox* NewBox(const std::string& Section) {
    UseSkin("[BOX]\r\nSTATES=2\r\nCOLOR=255\r\n" + Section);
    auto* B = new TFadingBox(Form);
    B->SetParent(Form);
    B->SetBounds(10, 10, 20, 20);
    B->Data.UpdateIndexes();
    ShowForm();
    B->Paint();
    return B;
  }
  static int Red(uint32_t P) { return PixR(P); }
};

TEST_F(FadeTest, NoFadeWithoutFadingOrWithoutAFaceAndTheChangeShowsAtOnce) {
  TFadingBox* B = NewBox("FADINGENABLED=0\r\n");
  B->Change(true);
  EXPECT_EQ(B->Fade.Get(), nullptr);
  EXPECT_TRUE(B->Data.BGChanged) << "marked for the repaint";
}

TEST_F(FadeTest, AnEmptyCacheASkinBeingLoadedOrAForbiddenFadeDoNotFade) {
  TFadingBox* B = NewBox("FADINGENABLED=1\r\nFADINGITERATIONS=4\r\n");
  B->Data.EmptyCache();
  B->Change(true);
  EXPECT_EQ(B->Fade.Get(), nullptr);
  B->Paint();
  SkinLoading = true;
  B->Change(false);
  SkinLoading = false;
  EXPECT_EQ(B->Fade.Get(), nullptr);
  B->Paint();
  FadesForbidden() = true;
  B->Change(true);
  FadesForbidden() = false;
  EXPECT_EQ(B->Fade.Get(), nullptr);
  B->Paint();
  B->Change(false);
  EXPECT_NE(B->Fade.Get(), nullptr) << "and otherwise it fades";
  StopFade(B->Fade, B->Data);
}

TEST_F(FadeTest, ForbiddenFadesSuspendTheirTicksAndEndingAllFreesThem) {
  TFadingBox* B = NewBox("FADINGENABLED=1\r\nFADINGITERATIONS=4\r\n");
  const int Before = RunningFades();
  B->Change(true);
  ASSERT_NE(B->Fade.Get(), nullptr);
  EXPECT_EQ(RunningFades(), Before + 1);
  FadesForbidden() = true;
  B->Fade->Timer();
  EXPECT_TRUE(B->Frames.empty()) << "no step while shutting down";
  EndAllFades();
  FadesForbidden() = false;
  EXPECT_EQ(B->Fade.Get(), nullptr);
  EXPECT_EQ(RunningFades(), Before);
}

TEST_F(FadeTest, AControlThatKeepsItsFadeGetsAQuietTimer) {
  TFadingBox* B = NewBox("FADINGENABLED=1\r\nFADINGITERATIONS=2\r\n");
  B->StopsOnHalt = false;
  B->Change(true);
  TsFadeTimer* T = B->Fade.Get();
  ASSERT_NE(T, nullptr);
  T->Timer();
  T->Timer();
  T->Timer(); // the halt notice, ignored
  EXPECT_EQ(B->Fade.Get(), T);
  EXPECT_EQ(T->Direction(), fdNone);
  EXPECT_FALSE(T->Enabled()) << "it does not tick on for ever";
  EXPECT_EQ(B->Frames.size(), 2u);
}

TEST_F(FadeTest, AnInterruptedFadeGoesOnFromThePictureItShows) {
  TFadingBox* B = NewBox("FADINGENABLED=1\r\nFADINGITERATIONS=5\r\n");
  B->Change(true);
  B->Fade->Timer();
  B->Fade->Timer(); // 102 of 255 toward green
  const uint32_t Shown = B->Frames.back();
  EXPECT_EQ(Red(Shown), BlendChannel(255, 0, 255 - 102));
  B->Change(false);
  ASSERT_NE(B->Fade.Get(), nullptr);
  EXPECT_EQ(B->Fade->BmpFrom.Pixel(0, 0) & 0xFFFFFF, Shown & 0xFFFFFF);
  EXPECT_EQ(B->Fade->FadeLevel, 1);
  EXPECT_EQ(B->Fade->Iterations, 5);
  while (B->Fade.Get())
    B->Fade->Timer();
  EXPECT_EQ(B->Frames.back() & 0xFFFFFF, 0xFF0000u) << "ends on the red face";
}

TEST_F(FadeTest, TheManagersButtonEventsDecideForTheGlobalDefault) {
  UseSkin("");
  const unsigned Global = AnimatEventBit(aeGlobalDef);
  EXPECT_TRUE(FadeEventAllowed(aeMouseEnter, Global, Manager));
  Manager->AnimEffects.Buttons = beMouseDown | beMouseUp;
  EXPECT_FALSE(FadeEventAllowed(aeMouseEnter, Global, Manager));
  EXPECT_TRUE(FadeEventAllowed(aeMouseUp, Global, Manager));
  EXPECT_TRUE(FadeEventAllowed(aeMouseEnter, AnimatEventBit(aeMouseEnter), Manager));
}

} // namespace
