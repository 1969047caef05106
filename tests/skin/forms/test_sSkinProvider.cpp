#include "skin/forms/sSkinProvider.h"

#include "skin/controls/sPanel.h"
#include "skin/controls/sVclUtils.h"
#include "skin/forms/kvDials.h"
#include "tests/skin/controls/SkinnedFormTest.h"
#include "toolkit/Dialogs.h"

namespace {

class ProviderTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  // The program's main window: sizeable, only the close button, 775 x 623 client.
  void MainWindowLike() {
    UseMeadowStyle();
    Form->SetBorderIcons(biSystemMenu);
    Form->SetClientSize(775, 623);
    Form->SetCaption(L"Textovrt");
    Form->Show();
    PumpFor(150);
  }
  HWND W() { return Form->Handle(); }
  TsSkinProvider* Provider(HWND Wnd) {
    return reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Wnd, KV_QUERYPROVIDER));
  }
  static COLORREF FramePixel(HWND Wnd, int X, int Y) {
    TWindowDC DC(Wnd);
    return GetPixel(DC, X, Y);
  }
  static LRESULT HitAt(HWND Wnd, int X, int Y) {
    RECT R;
    GetWindowRect(Wnd, &R);
    return SendMessageW(Wnd, WM_NCHITTEST, 0, MAKELPARAM(R.left + X, R.top + Y));
  }
  static bool Near(COLORREF C, int R, int G, int B, int Tolerance = 12) {
    return std::abs(GetRValue(C) - R) <= Tolerance && std::abs(GetGValue(C) - G) <= Tolerance &&
           std::abs(GetBValue(C) - B) <= Tolerance;
  }
  // Counts pixels of one colour in the caption rows.
  static int CaptionInk(HWND Wnd, COLORREF Ink) {
    int N = 0;
    TWindowDC DC(Wnd);
    for (int y = 4; y < 20; ++y)
      for (int x = 29; x < 200; ++x)
        N += GetPixel(DC, x, y) == Ink;
    return N;
  }
};

TEST_F(ProviderTest, MainWindowWearsTheSkinsFrameWithItsGeometry) {
  MainWindowLike();
  ASSERT_NE(Provider(W()), nullptr);
  EXPECT_EQ(SendSkinCommand(W(), KV_ISSKINNED), 1);
  RECT R;
  GetWindowRect(W(), &R);
  EXPECT_EQ(R.right - R.left, 783);
  EXPECT_EQ(R.bottom - R.top, 650);
  RECT C;
  GetClientRect(W(), &C);
  EXPECT_EQ(C.right, 775);
  EXPECT_EQ(C.bottom, 623);
  EXPECT_EQ(SendSkinCommand(W(), KV_QUERYCLIENTOFFSET), LRESULT(4 | (23 << 16)));
  EXPECT_FALSE(GetWindowLongW(W(), GWL_STYLE) & WS_SYSMENU);

  EXPECT_EQ(HitAt(W(), 764, 11), HTCLOSE);
  EXPECT_EQ(HitAt(W(), 750, 11), HTCAPTION);
  EXPECT_EQ(HitAt(W(), 14, 10), HTSYSMENU);
  EXPECT_EQ(HitAt(W(), 300, 10), HTCAPTION);
  EXPECT_EQ(HitAt(W(), 1, 300), HTLEFT);
  EXPECT_EQ(HitAt(W(), 781, 2), HTTOPRIGHT);
  EXPECT_EQ(HitAt(W(), 300, 648), HTBOTTOM);
  EXPECT_EQ(HitAt(W(), 300, 300), HTCLIENT);

  // The region cuts the rounded corners.
  TRegion Rgn = RectRegion(RECT{0, 0, 0, 0});
  ASSERT_NE(GetWindowRgn(W(), Rgn), ERROR);
  for (POINT P : {POINT{0, 0}, POINT{782, 0}, POINT{0, 649}, POINT{782, 649}})
    EXPECT_FALSE(PtInRegion(Rgn, P.x, P.y)) << P.x << "," << P.y;
  EXPECT_TRUE(PtInRegion(Rgn, 391, 0));
  EXPECT_TRUE(PtInRegion(Rgn, 5, 5));
}

TEST_F(ProviderTest, ActivationRepaintsTitleFrameAndCaption) {
  MainWindowLike();
  SetForegroundWindow(W());
  SetActiveWindow(W());
  PumpFor(100);
  EXPECT_TRUE(Near(FramePixel(W(), 300, 11), 56, 116, 35, 20));
  EXPECT_EQ(FramePixel(W(), 0, 300), RGB(0x3F, 0x7D, 0x25));
  EXPECT_GT(CaptionInk(W(), RGB(255, 255, 255)), 20);
  // Another window takes the activation.
  TTestForm Other(Application);
  Other.SetBounds(900, 0, 200, 100);
  Other.Show();
  SetActiveWindow(Other.Handle());
  PumpFor(100);
  EXPECT_TRUE(Near(FramePixel(W(), 300, 11), 168, 198, 150, 20));
  EXPECT_EQ(FramePixel(W(), 0, 300), RGB(0x9D, 0xBE, 0x8B));
  EXPECT_GT(CaptionInk(W(), RGB(0x1F, 0x2A, 0x18)), 20);
  EXPECT_EQ(CaptionInk(W(), RGB(255, 255, 255)), 0);
}

TEST_F(ProviderTest, TitleChangesAndResizingRenderTheFrameAgain) {
  MainWindowLike();
  SetActiveWindow(W());
  PumpFor(50);
  int Before = CaptionInk(W(), RGB(255, 255, 255));
  Form->SetCaption(L"Textovrt – dlouhý nový název okna");
  EXPECT_EQ(FindWindowW(L"TkvCaptForm", nullptr), nullptr) << "the caption cover is gone";
  PumpFor(50);
  EXPECT_GT(CaptionInk(W(), RGB(255, 255, 255)), Before + 20);
  Form->SetBounds(Form->Left(), Form->Top(), 600, 400);
  PumpFor(100);
  EXPECT_EQ(FramePixel(W(), 0, 200), RGB(0x3F, 0x7D, 0x25));
  EXPECT_TRUE(Near(FramePixel(W(), 599, 200), 0x3F, 0x7D, 0x25, 30));
  EXPECT_EQ(HitAt(W(), 582, 11), HTCLOSE) << "the close button moved with the right edge";
  TRegion Rgn = RectRegion(RECT{0, 0, 0, 0});
  ASSERT_NE(GetWindowRgn(W(), Rgn), ERROR);
  EXPECT_FALSE(PtInRegion(Rgn, 599, 0));
  EXPECT_FALSE(PtInRegion(Rgn, 599, 399));
  EXPECT_TRUE(PtInRegion(Rgn, 598, 200));
}

TEST_F(ProviderTest, DroppingTheSkinGivesTheSystemFrameBackAndApplyingItSkinsAgain) {
  MainWindowLike();
  Manager->SetActive(false);
  PumpFor(100);
  EXPECT_TRUE(GetWindowLongW(W(), GWL_STYLE) & WS_SYSMENU);
  TRegion Rgn = RectRegion(RECT{0, 0, 0, 0});
  EXPECT_EQ(GetWindowRgn(W(), Rgn), ERROR) << "no region";
  EXPECT_NE(FramePixel(W(), 0, 300), RGB(0x3F, 0x7D, 0x25));
  EXPECT_NE(FramePixel(W(), 0, 300), RGB(0x9D, 0xBE, 0x8B));
  Manager->SetActive(true);
  PumpFor(100);
  EXPECT_FALSE(GetWindowLongW(W(), GWL_STYLE) & WS_SYSMENU);
  EXPECT_NE(GetWindowRgn(W(), Rgn), ERROR);
  COLORREF Frame = FramePixel(W(), 0, 300);
  EXPECT_TRUE(Frame == RGB(0x3F, 0x7D, 0x25) || Frame == RGB(0x9D, 0xBE, 0x8B));
}

TEST_F(ProviderTest, DialogFrameHasTheSmallCloseAndNoIcon) {
  UseMeadowStyle();
  Form->SetBorderStyle(bsDialog);
  Form->SetBorderIcons(biSystemMenu);
  Form->SetClientSize(300, 100);
  Form->Show();
  PumpFor(150);
  ASSERT_NE(Provider(W()), nullptr);
  RECT R;
  GetWindowRect(W(), &R);
  int Width = R.right - R.left;
  EXPECT_EQ(HitAt(W(), Width - 12, 10), HTCLOSE);
  EXPECT_EQ(HitAt(W(), Width - 21, 10), HTCAPTION);
  EXPECT_EQ(HitAt(W(), 10, 10), HTCAPTION) << "no icon";
  TsSkinProvider* P = Provider(W());
  EXPECT_EQ(P->ButtonClose.Rect, Rect(Width - 20, 2, Width - 4, 18));
  EXPECT_EQ(P->HeaderHeight(), 22);
}

TEST_F(ProviderTest, BorderlessPopupsAndEngineWindowsGetNoProvider) {
  UseMeadowStyle();
  Form->SetBorderStyle(bsNone);
  Form->SetBounds(0, 0, 200, 60);
  Form->Show();
  PumpFor(100);
  EXPECT_EQ(Provider(W()), nullptr);
  for (intptr_t Tag : {intptr_t(-98), intptr_t(-1)}) {
    TTestForm Aux(Application);
    Aux.Tag = Tag;
    Aux.Show();
    PumpFor(50);
    EXPECT_EQ(Provider(Aux.Handle()), nullptr) << Tag;
  }
}

TEST_F(ProviderTest, MessageFormsGetProvidersAndTheHookListStaysBounded) {
  UseMeadowStyle();
  ShowForm();
  size_t Start = HookProviders().size();
  for (int i = 0; i < 50; ++i) {
    bool Skinned = false;
    RunLater(10, [&] {
      if (TMessageForm* M = FindMessageForm()) {
        Skinned = SendSkinCommand(M->Handle(), KV_QUERYPROVIDER) != 0;
        M->ModalResult = mrOk;
      }
    });
    ShowMessage(L"Zpráva " + std::to_wstring(i));
    EXPECT_TRUE(Skinned) << i;
    EXPECT_LE(HookProviders().size(), Start + 1) << i;
  }
  EXPECT_EQ(HookProviders().size(), Start);
}

TEST_F(ProviderTest, LogOffDuringAFadeAnswersAtOnce) {
  MainWindowLike();
  RunningFades() = 1;
  bool Ended = false;
  EndAllFades = [&] {
    Ended = true;
    RunningFades() = 0;
  };
  SendMessageW(W(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_TRUE(Ended);
  EXPECT_TRUE(FadesForbidden());
  EXPECT_EQ(RunningFades(), 0);
  // A fade that does not end does not hold the answer back for ever.
  RunningFades() = 1;
  EndAllFades = nullptr;
  SendMessageW(W(), WM_QUERYENDSESSION, 0, 0);
  RunningFades() = 0;
  FadesForbidden() = false;
}

TEST_F(ProviderTest, PrintingTheWindowDrawsFrameClientAndChildWindows) {
  MainWindowLike();
  auto* P = new TsPanel(Form);
  P->SetParent(Form);
  P->SetBounds(10, 10, 100, 50);
  PumpFor(50);
  TBitmap32 Shot(783, 650);
  SendMessageW(W(), WM_PRINT, WPARAM(Shot.NativeDC()),
               PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  GdiFlush();
  EXPECT_EQ(Shot.Pixel(0, 300) & 0xFFFFFF, 0x3F7D25u);
  EXPECT_EQ(Shot.Pixel(4 + 10 + 50, 23 + 10 + 25) & 0xFFFFFF, 0xF4F7ECu) << "the child panel";
}

TEST_F(ProviderTest, FreeingTheProviderLeavesAWorkingPlainForm) {
  MainWindowLike();
  TsSkinProvider* P = Provider(W());
  ASSERT_NE(P, nullptr);
  delete P;
  EXPECT_EQ(SendSkinCommand(W(), KV_QUERYPROVIDER), 0);
  EXPECT_TRUE(GetWindowLongW(W(), GWL_STYLE) & WS_SYSMENU);
  Form->SetCaption(L"Bez kůže");
  PumpFor(50);
  EXPECT_EQ(Form->Caption(), L"Bez kůže");
}

TEST_F(ProviderTest, RepeatedActivationsPaintsAndSkinChangesGiveBackTheirGdiObjects) {
  MainWindowLike();
  TTestForm Other(Application);
  Other.SetBounds(900, 0, 200, 100);
  Other.Show();
  auto Round = [&](int i) {
    SetActiveWindow(i % 2 ? Other.Handle() : W());
    Form->SetCaption(L"Textovrt " + std::to_wstring(i));
    RedrawWindow(W(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
    if (i % 5 == 0) {
      Manager->SetActive(false);
      PumpFor(10);
      Manager->SetActive(true);
    }
    PumpFor(10);
  };
  Round(0);
  Round(1);
  int64_t Before = LiveGdiObjects();
  for (int i = 2; i < 22; ++i)
    Round(i);
  EXPECT_EQ(LiveGdiObjects(), Before);
}

} // namespace
