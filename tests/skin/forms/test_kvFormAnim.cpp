#include "skin/forms/kvFormAnim.h"

#include "skin/controls/sVclUtils.h"
#include "skin/forms/kvDialogWnd.h"
#include "skin/forms/kvDials.h"
#include "skin/forms/kvGlow.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/messages/sMessages.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

// Counts the animation windows made and destroyed on this thread, also those that live only
// inside one call.
struct TOutputWatch {
  TOutputWatch() {
    Created = Destroyed = 0;
    Hook = SetWindowsHookExW(WH_CBT, Proc, nullptr, GetCurrentThreadId());
  }
  ~TOutputWatch() { UnhookWindowsHookEx(Hook); }
  static LRESULT CALLBACK Proc(int Code, WPARAM WParam, LPARAM LParam) {
    if (Code == HCBT_CREATEWND) {
      auto* Cs = reinterpret_cast<CBT_CREATEWNDW*>(LParam)->lpcs;
      if (!IS_INTRESOURCE(Cs->lpszClass) && std::wstring(Cs->lpszClass) == L"TOutputWindow")
        ++Created;
    } else if (Code == HCBT_DESTROYWND) {
      if (WindowClassName(reinterpret_cast<HWND>(WParam)) == L"TOutputWindow") ++Destroyed;
    }
    return CallNextHookEx(nullptr, Code, WParam, LParam);
  }
  static inline int Created = 0;
  static inline int Destroyed = 0;
  HHOOK Hook;
};

int ThreadWindows() {
  int N = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND, LPARAM P) {
        ++*reinterpret_cast<int*>(P);
        return TRUE;
      },
      LPARAM(&N));
  return N;
}

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

bool Layered(HWND W) {
  return (GetWindowLongW(W, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

class FormAnimTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  void TearDown() override {
    FinishHideAnimations();
    FreeSkinCovers();
    SkinnedFormTest::TearDown();
  }
  HWND W() { return Form->Handle(); }
  TsSkinProvider* Provider() {
    return reinterpret_cast<TsSkinProvider*>(SendSkinCommand(W(), KV_QUERYPROVIDER));
  }
  void Prepare() {
    UseMeadowStyle();
    Form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
    Form->SetClientSize(400, 300);
    Form->SetCaption(L"Animated");
  }
  // MeadowStyle with glow images for the close and minimize buttons; the maximize button has a
  // glow image but a glow size of 0.
  void UseGlowSkin() {
    Folder = std::filesystem::temp_directory_path() /
             ("textovrt_glow_" + std::to_string(GetCurrentProcessId()));
    std::filesystem::path Skin = Folder / "Glow";
    std::filesystem::create_directories(Skin);
    std::filesystem::path Src = std::filesystem::path(TV_SOURCE_DIR) / "skins" / "MeadowStyle";
    for (const char* F : {"Master.bmp", "ButtonHuge.bmp"})
      std::filesystem::copy_file(Src / F, Skin / F,
                                 std::filesystem::copy_options::overwrite_existing);
    std::ifstream In(Src / "Options.dat", std::ios::binary);
    std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    const std::string Glow = "^0000^0000^0063^0042^0010^0010^0010^0010^1^0^1^0";
    std::string Lines = "BICONCLOSEGLOW=10\r\nBICONCLOSEGLOWMARGIN=4\r\nBICONCLOSEGLOW0=" + Glow +
                        "\r\nBICONMINGLOW=6\r\nBICONMINGLOW0=" + Glow +
                        "\r\nBICONMAXGLOW=0\r\nBICONMAXGLOW0=" + Glow + "\r\n";
    size_t At = Text.find("[GLOBALINFO]");
    ASSERT_NE(At, std::string::npos);
    At = Text.find('\n', At) + 1;
    Text.insert(At, Lines);
    std::ofstream(Skin / "Options.dat", std::ios::binary) << Text;
    Manager = new TsSkinManager(nullptr);
    Manager->SetSkinDirectory(Folder.wstring());
    Manager->SetSkinName(L"Glow");
    ASSERT_TRUE(Manager->Model().SkinData.Active);
    Form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
    Form->SetClientSize(400, 300);
  }
};

TEST_F(FormAnimTest, ShowAnimationOf120MsStepsOnAWindowOfItsOwnAndLeavesTheFormOpaque) {
  Prepare();
  Manager->AnimEffects.FormShow.Time = 120;
  (void)Form->Handle();
  int Windows = ThreadWindows();
  {
    TOutputWatch Watch;
    Form->Show();
    EXPECT_EQ(Watch.Created, 1);
    EXPECT_EQ(Watch.Destroyed, 1);
  }
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(W()));
  EXPECT_FALSE(Layered(W()));
  EXPECT_FALSE(ShowAnimationPending(W()));
  EXPECT_FALSE(AnimationCapturing);
  EXPECT_EQ(FindOutputWindow(), nullptr);
  EXPECT_EQ(ThreadWindows(), Windows);
  // A second round gives back every GDI object and window it took.
  Form->Hide();
  PumpFor(20);
  int64_t Gdi = LiveGdiObjects();
  Form->Show();
  PumpFor(20);
  EXPECT_FALSE(Layered(W()));
  Form->Hide();
  PumpFor(20);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  EXPECT_EQ(ThreadWindows(), Windows);
  // An alpha-blended form gets its own alpha back.
  SetWindowLongW(W(), GWL_EXSTYLE, GetWindowLongW(W(), GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(W(), 0, 200, LWA_ALPHA);
  Form->Show();
  BYTE Alpha = 0;
  DWORD Flags = 0;
  ASSERT_TRUE(Layered(W()));
  GetLayeredWindowAttributes(W(), nullptr, &Alpha, &Flags);
  EXPECT_EQ(Alpha, 200);
}

TEST_F(FormAnimTest, DefaultSettingsCoverTheFirstShowForAnInstantAndHideWithoutAnimation) {
  Prepare();
  TOutputWatch Watch;
  Form->Show();
  EXPECT_EQ(Watch.Created, 1);
  EXPECT_EQ(Watch.Destroyed, 1);
  EXPECT_FALSE(Layered(W()));
  Form->Hide();
  // A hide time of 0: no picture, no cover.
  EXPECT_EQ(RunningHideAnimations(), 0);
  EXPECT_EQ(Watch.Created, 1);
  // Without the provider's permission nothing plays.
  Provider()->AllowAnimation = false;
  Form->Show();
  EXPECT_EQ(Watch.Created, 1);
  EXPECT_TRUE(IsWindowVisible(W()));
}

TEST_F(FormAnimTest, HideAnimationOf120MsFadesACoverOutAndFreesIt) {
  Prepare();
  Form->Show();
  PumpFor(50);
  // What a plain hide leaves is what an animated one leaves when it is over.
  Form->Hide();
  PumpFor(30);
  int64_t Gdi = LiveGdiObjects();
  int Windows = ThreadWindows();
  Form->Show();
  PumpFor(50);
  Manager->AnimEffects.FormHide.Time = 120;
  Form->Hide();
  EXPECT_FALSE(IsWindowVisible(W()));
  ASSERT_EQ(RunningHideAnimations(), 1);
  HWND Cover = FindOutputWindow();
  ASSERT_NE(Cover, nullptr);
  EXPECT_TRUE(IsWindowVisible(Cover));
  EXPECT_TRUE(Layered(Cover));
  EXPECT_TRUE(GetPropW(Cover, L"KVTAG"));
  RECT CR, WR;
  GetWindowRect(Cover, &CR);
  GetWindowRect(W(), &WR);
  EXPECT_EQ(CR.right - CR.left, WR.right - WR.left);
  EXPECT_EQ(CR.bottom - CR.top, WR.bottom - WR.top);
  // Ten steps of 12 ms, then the cover goes.
  EXPECT_TRUE(PumpUntil([] { return RunningHideAnimations() == 0; }, 2000));
  PumpFor(30);
  EXPECT_EQ(FindOutputWindow(), nullptr);
  EXPECT_EQ(ThreadWindows(), Windows);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  // A hide that does not happen leaves no cover behind.
  Form->Show();
  PumpFor(30);
  PrepareHideAnimation(W(), Manager->AnimEffects.FormHide);
  EXPECT_EQ(RunningHideAnimations(), 1);
  SetWindowPos(W(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(RunningHideAnimations(), 0);
  EXPECT_EQ(FindOutputWindow(), nullptr);
  // A hide below one step (12 ms) takes no picture.
  Manager->AnimEffects.FormHide.Time = 11;
  Form->Show();
  PumpFor(30);
  Form->Hide();
  EXPECT_EQ(RunningHideAnimations(), 0);
}

TEST_F(FormAnimTest, AfterAnimationHearsTheShowAndTheEndOfTheHide) {
  Prepare();
  Form->Show();
  PumpFor(50);
  Form->Hide();
  PumpFor(30);
  ASSERT_NE(Provider(), nullptr);
  std::vector<TkvAnimEvent> Heard;
  Provider()->OnAfterAnimation = [&](TsSkinProvider& Sender, TkvAnimEvent Event) {
    EXPECT_EQ(&Sender, Provider());
    Heard.push_back(Event);
  };
  Manager->AnimEffects.FormShow.Time = 120;
  Manager->AnimEffects.FormHide.Time = 120;
  Form->Show();
  EXPECT_EQ(Heard, std::vector<TkvAnimEvent>{aeShowing});
  PumpFor(50);
  // The hide is heard when its steps are over, not when the window hides.
  Form->Hide();
  EXPECT_EQ(Heard.size(), 1u);
  ASSERT_EQ(RunningHideAnimations(), 1);
  EXPECT_TRUE(PumpUntil([] { return RunningHideAnimations() == 0; }, 2000));
  EXPECT_EQ(Heard, (std::vector<TkvAnimEvent>{aeShowing, aeHiding}));
  // A hide that does not happen, and one below a step, are no animations.
  Form->Show();
  PumpFor(30);
  Heard.clear();
  PrepareHideAnimation(W(), Manager->AnimEffects.FormHide);
  SetWindowPos(W(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Manager->AnimEffects.FormHide.Time = 11;
  Form->Hide();
  PumpFor(50);
  EXPECT_TRUE(Heard.empty());
  // The engine going away ends a running hide at once, and it is heard.
  Form->Show();
  PumpFor(30);
  Heard.clear();
  Manager->AnimEffects.FormHide.Time = 60000;
  Form->Hide();
  ASSERT_EQ(RunningHideAnimations(), 1);
  Manager->SetActive(false);
  EXPECT_EQ(RunningHideAnimations(), 0);
  EXPECT_EQ(Heard, std::vector<TkvAnimEvent>{aeHiding});
  EXPECT_EQ(FindOutputWindow(), nullptr);
}

TEST_F(FormAnimTest, GlowShowsAroundTheHotCloseButtonAndGoesWhenItIsLeft) {
  UseGlowSkin();
  Form->Show();
  PumpFor(100);
  TsSkinProvider* P = Provider();
  ASSERT_NE(P, nullptr);
  int64_t Gdi = LiveGdiObjects();
  int Windows = ThreadWindows();
  P->SetHotHT(HTCLOSE, true);
  ASSERT_GE(P->ButtonClose.GlowID, 0);
  HWND G = GlowWindow(P->ButtonClose.GlowID);
  ASSERT_NE(G, nullptr);
  EXPECT_TRUE(IsWindowVisible(G));
  EXPECT_EQ(GetWindowLongW(G, GWL_EXSTYLE) & 0x080800A0, 0x080800A0);
  EXPECT_TRUE(GetPropW(G, L"KVTAG"));
  // The glow reaches the image's border widths (10) less the margin (4) around the button.
  RECT WR, GR;
  GetWindowRect(W(), &WR);
  GetWindowRect(G, &GR);
  TPoint Origin = P->Layout().WindowOrigin;
  TRect B = P->ButtonClose.Rect;
  EXPECT_EQ(GR.left, WR.left + B.Left - Origin.X - 6);
  EXPECT_EQ(GR.top, WR.top + B.Top - Origin.Y - 6);
  EXPECT_EQ(GR.right - GR.left, B.Width() + 12);
  // Clicks pass through it.
  EXPECT_EQ(SendMessageW(G, WM_NCHITTEST, 0, MAKELPARAM(GR.left + 1, GR.top + 1)), HTTRANSPARENT);
  P->SetHotHT(0, true);
  EXPECT_EQ(P->ButtonClose.GlowID, -1);
  EXPECT_FALSE(IsWindow(G));
  EXPECT_EQ(GlowCount(), 0);

  // A glow size of 0 shows none, though the image is there; the minimize button has its own.
  P->SetHotHT(HTMAXBUTTON, true);
  EXPECT_EQ(P->ButtonMax.GlowID, -1);
  P->SetHotHT(HTMINBUTTON, true);
  EXPECT_GE(P->ButtonMin.GlowID, 0);
  // An identifier kept after every glow went finds nothing, not a later glow.
  int Stale = P->ButtonMin.GlowID;
  HideAllGlows();
  EXPECT_EQ(GlowCount(), 0);
  P->SetHotHT(0, true);
  P->SetHotHT(HTCLOSE, true);
  int Fresh = P->ButtonClose.GlowID;
  ASSERT_GE(Fresh, 0);
  EXPECT_NE(Fresh, Stale);
  HideGlow(Stale);
  EXPECT_EQ(Stale, -1);
  EXPECT_NE(GlowWindow(Fresh), nullptr);
  P->SetHotHT(0, true);
  EXPECT_EQ(GlowCount(), 0);
  PumpFor(300); // the buttons' state fades end
  EXPECT_EQ(ThreadWindows(), Windows);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
}

// A sizeable system dialog without items, with the maximize and minimize buttons.
HWND MakeBareDialog() {
  const DWORD Style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX |
                      WS_MINIMIZEBOX | WS_VISIBLE;
  std::vector<WORD> T = {LOWORD(Style), HIWORD(Style), 0, 0, 0, 10, 10, 200, 80, 0, 0};
  for (const wchar_t* C = L"Dialog"; *C; ++C)
    T.push_back(WORD(*C));
  T.push_back(0);
  return CreateDialogIndirectParamW(
      nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(T.data()), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
}

TEST_F(FormAnimTest, ADialogsCaptionButtonsGlowWhileHot) {
  UseGlowSkin();
  Form->Show();
  PumpFor(50);
  HWND Dlg = MakeBareDialog();
  ASSERT_NE(Dlg, nullptr);
  PumpFor(150);
  auto* A = dynamic_cast<TkvDialogWnd*>(TkvMainWnd::Of(Dlg));
  ASSERT_NE(A, nullptr);
  int64_t Gdi = LiveGdiObjects();
  int Windows = ThreadWindows();
  A->SetHotHT(HTCLOSE, true);
  ASSERT_GE(A->ButtonClose.GlowID, 0);
  HWND G = GlowWindow(A->ButtonClose.GlowID);
  ASSERT_NE(G, nullptr);
  EXPECT_TRUE(IsWindowVisible(G));
  // Around the button by the image's border widths (10) less the margin (4).
  RECT WR, GR;
  GetWindowRect(Dlg, &WR);
  GetWindowRect(G, &GR);
  const TRect& B = A->ButtonClose.Rect;
  EXPECT_EQ(GR.left, WR.left + B.Left - 6);
  EXPECT_EQ(GR.top, WR.top + B.Top - 6);
  EXPECT_EQ(GR.right - GR.left, B.Width() + 12);
  // The next hot button takes over; a glow size of 0 shows none.
  A->SetHotHT(HTMAXBUTTON, true);
  EXPECT_EQ(A->ButtonClose.GlowID, -1);
  EXPECT_FALSE(IsWindow(G));
  EXPECT_EQ(A->ButtonMax.GlowID, -1);
  EXPECT_EQ(A->ButtonMax.State, 1);
  A->SetHotHT(HTMINBUTTON, true);
  EXPECT_GE(A->ButtonMin.GlowID, 0);
  EXPECT_EQ(A->ButtonMax.State, 0);
  A->SetHotHT(0, true);
  EXPECT_EQ(GlowCount(), 0);
  PumpFor(300); // the buttons' state fades end
  EXPECT_EQ(ThreadWindows(), Windows);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  DestroyWindow(Dlg);
}

TEST_F(FormAnimTest, GlowRequestsWithoutRoomOrImageShowNothing) {
  UseGlowSkin();
  TkvGlowRequest Q;
  Q.R = {100, 100, 120, 110};
  Q.Section = "GLOBALINFO";
  Q.Name = "BICONCLOSEGLOW";
  // The margin eats the element and the image's borders: no window of size 0 or less.
  Q.Margin = 30;
  EXPECT_EQ(ShowGlow(*Manager, Q), -1);
  Q.Margin = 0;
  Q.Name = "NOSUCHGLOW";
  EXPECT_EQ(ShowGlow(*Manager, Q), -1);
  Manager->Effects.AllowGlowing = false;
  Q.Name = "BICONCLOSEGLOW";
  EXPECT_EQ(ShowGlow(*Manager, Q), -1);
  EXPECT_EQ(GlowCount(), 0);
}

TEST_F(FormAnimTest, MinimizePostedToTheMainWindowAnimatesAndEndsIconicWithoutLayering) {
  // The manager belongs to the form as on the program's main window, and hooks it.
  auto* M = new TsSkinManager(Form);
  M->SetIsDefault(true);
  M->SetSkinDirectory(Utf8ToWide(std::string("Z:") + TV_SOURCE_DIR + "/skins"));
  M->SetSkinName(L"MeadowStyle");
  M->Loaded();
  ASSERT_EQ(M->HookedForm(), Form);
  Form->SetClientSize(400, 300);
  Form->Show();
  PumpFor(100);
  ASSERT_NE(Provider(), nullptr);
  int64_t Gdi = LiveGdiObjects();
  int Windows = ThreadWindows();
  ANIMATIONINFO Before{sizeof(ANIMATIONINFO), 0};
  SystemParametersInfoW(SPI_GETANIMATION, sizeof(Before), &Before, 0);

  PostMessageW(W(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  PumpFor(20);
  EXPECT_TRUE(IsIconic(W()));
  EXPECT_TRUE(MinimizeAnimationRunning(W()));
  HWND Anim = FindOutputWindow();
  ASSERT_NE(Anim, nullptr);
  EXPECT_TRUE(IsWindowVisible(Anim));
  // Meanwhile the window is see-through, its picture flies toward the task bar's edge.
  EXPECT_TRUE(Layered(W()));
  EXPECT_NE(Provider()->FFormState & fsMinimizing, 0u);
  EXPECT_TRUE(PumpUntil([&] { return !MinimizeAnimationRunning(W()); }, 2000));
  EXPECT_TRUE(IsIconic(W()));
  EXPECT_FALSE(Layered(W()));
  EXPECT_EQ(Provider()->FFormState & fsMinimizing, 0u);
  EXPECT_FALSE(IsWindowVisible(Anim));

  // Restoring flies it back and shows the window again.
  PostMessageW(W(), WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpFor(20);
  EXPECT_TRUE(MinimizeAnimationRunning(W()));
  EXPECT_TRUE(PumpUntil([&] { return !MinimizeAnimationRunning(W()); }, 2000));
  PumpFor(30);
  EXPECT_FALSE(IsIconic(W()));
  EXPECT_TRUE(IsWindowVisible(W()));
  EXPECT_FALSE(Layered(W()));
  EXPECT_EQ(Provider()->FFormState & (fsMinimizing | fsRestoring), 0u);
  EXPECT_FALSE(IsWindow(Anim));
  EXPECT_EQ(ThreadWindows(), Windows);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  // The system's own animation setting is as it was.
  ANIMATIONINFO After{sizeof(ANIMATIONINFO), 0};
  SystemParametersInfoW(SPI_GETANIMATION, sizeof(After), &After, 0);
  EXPECT_EQ(After.iMinAnimate, Before.iMinAnimate);
}

TEST_F(FormAnimTest, MinimizeOfAnotherFormAndItsInactiveSetting) {
  Prepare();
  Form->Show();
  PumpFor(100);
  Manager->AnimEffects.Minimizing.Active = false;
  SendMessageW(W(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(W()));
  EXPECT_FALSE(MinimizeAnimationRunning(W()));
  SendMessageW(W(), WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpFor(30);
  EXPECT_FALSE(IsIconic(W()));
  Manager->AnimEffects.Minimizing.Active = true;
  SendMessageW(W(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(MinimizeAnimationRunning(W()));
  EXPECT_TRUE(PumpUntil([&] { return !MinimizeAnimationRunning(W()); }, 2000));
  EXPECT_TRUE(IsIconic(W()));
  EXPECT_FALSE(Layered(W()));
}

TEST_F(FormAnimTest, BlendOnMovingLowersTheAlphaWhileTheMoveLoopRuns) {
  Prepare();
  Form->Show();
  PumpFor(50);
  // Wine drags outlines only; blending applies to full-window dragging, set for this test.
  BOOL FullDrag = FALSE;
  SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &FullDrag, 0);
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, TRUE, nullptr, 0);
  TkvBlendOnMoving B{true, 170, 120}; // 85 over 10 ticks: 8 a tick (8.5, half to even)
  bool Moved = false;
  uint8_t Early = 0, Late = 0;
  bool Blending = false;
  EXPECT_TRUE(BlendWhileMoving(W(), B, true, [&] {
    Moved = true;
    EXPECT_TRUE(Layered(W()));
    PumpFor(30);
    Early = MovingBlendValue(W());
    Blending = (Provider()->FFormState & fsBlending) != 0;
    PumpFor(400);
    Late = MovingBlendValue(W());
  }));
  EXPECT_TRUE(Moved);
  EXPECT_LT(Early, 255);
  EXPECT_GT(Early, 170);
  EXPECT_EQ(Late, 170);
  EXPECT_TRUE(Blending);
  EXPECT_FALSE(Layered(W()));
  EXPECT_EQ(Provider()->FFormState & fsBlending, 0u);
  EXPECT_EQ(MovingBlendValue(W()), 255);
  // A blend value of 255, an inactive setting or a form that does not allow it: no loop here.
  Moved = false;
  B.BlendValue = 255;
  EXPECT_FALSE(BlendWhileMoving(W(), B, true, [&] { Moved = true; }));
  B = {false, 170, 120};
  EXPECT_FALSE(BlendWhileMoving(W(), B, true, [&] { Moved = true; }));
  B = {true, 170, 120};
  EXPECT_FALSE(BlendWhileMoving(W(), B, false, [&] { Moved = true; }));
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FALSE, nullptr, 0);
  EXPECT_FALSE(BlendWhileMoving(W(), B, true, [&] { Moved = true; }));
  EXPECT_FALSE(Moved);
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FullDrag, nullptr, 0);
}

TEST_F(FormAnimTest, SkinChangeFadesTheOldPicturesOut) {
  Prepare();
  Form->Show();
  PumpFor(100);
  int Windows = ThreadWindows();
  int64_t Gdi = LiveGdiObjects();
  Manager->AnimEffects.SkinChanging.Time = 120;
  Manager->SetSkinName(L"MeadowStyle");
  ASSERT_EQ(SkinCoverCount(), 1);
  HWND Cover = FindOutputWindow();
  ASSERT_NE(Cover, nullptr);
  EXPECT_TRUE(IsWindowVisible(Cover));
  EXPECT_TRUE(PumpUntil([] { return SkinCoverCount() == 0; }, 2000));
  EXPECT_FALSE(IsWindow(Cover));
  EXPECT_EQ(ThreadWindows(), Windows);
  PumpFor(50);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  // Below one step: no covers.
  Manager->AnimEffects.SkinChanging.Time = 11;
  Manager->SetSkinName(L"MeadowStyle");
  EXPECT_EQ(SkinCoverCount(), 0);
}

} // namespace
