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

// All windows of this thread.
std::vector<HWND> ThreadWindows() {
  std::vector<HWND> List;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND Wnd, LPARAM L) {
        reinterpret_cast<std::vector<HWND>*>(L)->push_back(Wnd);
        return TRUE;
      },
      LPARAM(&List));
  return List;
}

TEST_F(ProviderTest, WithoutExtendedBordersNoLayeredAuxiliaryWindowIsMade) {
  MainWindowLike();
  Form->SetCaption(L"Nový název");
  SetActiveWindow(W());
  PumpFor(50);
  for (HWND Wnd : ThreadWindows()) {
    EXPECT_FALSE(GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LAYERED) << WindowClassName(Wnd);
    EXPECT_FALSE(IsEngineAuxWindow(Wnd)) << WindowClassName(Wnd);
  }
  EXPECT_EQ(Provider(W())->BorderForm(), nullptr);
}

TEST_F(ProviderTest, ExtendedBordersShowFrameAndShadowInALayeredWindowAroundTheClient) {
  MainWindowLike();
  SetActiveWindow(W());
  Manager->SetExtendedBorders(true);
  PumpFor(150);
  TsSkinProvider* P = Provider(W());
  ASSERT_NE(P, nullptr);
  ASSERT_NE(P->BorderForm(), nullptr);
  HWND B = P->BorderForm()->Handle();
  ASSERT_NE(B, nullptr);
  EXPECT_TRUE(IsWindowVisible(B));
  EXPECT_TRUE(IsEngineAuxWindow(B));
  EXPECT_EQ(GetWindow(B, GW_OWNER), W());
  EXPECT_EQ(DWORD(GetWindowLongW(B, GWL_EXSTYLE)) & 0x08080080u, 0x08080080u);

  // The border window lies so that the image's client part is over the window's client area.
  TFormLayout L = P->Layout();
  EXPECT_TRUE(L.Extended);
  RECT WR, BR;
  GetWindowRect(W(), &WR);
  GetWindowRect(B, &BR);
  EXPECT_EQ(BR.left, WR.left - L.WindowOrigin.X);
  EXPECT_EQ(BR.top, WR.top - L.WindowOrigin.Y);
  EXPECT_EQ(BR.right - BR.left, L.CaptionWidth);
  EXPECT_EQ(BR.bottom - BR.top, L.ImageHeight);
  EXPECT_EQ(SendSkinCommand(W(), KV_QUERYCLIENTOFFSET),
            LRESULT(L.ClientOffset.X | (L.ClientOffset.Y << 16)));
  RECT C;
  GetClientRect(W(), &C);
  EXPECT_EQ(C.right, 775);
  EXPECT_EQ(C.bottom, 623);
  // The window itself shows only its client part.
  TRegion Rgn = RectRegion(RECT{0, 0, 0, 0});
  ASSERT_NE(GetWindowRgn(W(), Rgn), ERROR);
  RECT Box;
  GetRgnBox(Rgn, &Box);
  EXPECT_EQ(Box.left, L.Client.Left);
  EXPECT_EQ(Box.top, L.Client.Top);
  EXPECT_EQ(Box.right, L.Client.Right);
  EXPECT_EQ(Box.bottom, L.Client.Bottom);

  // The layered image: an opaque frame and title, a translucent shadow, a clear outer corner.
  const TBitmap32& Img = P->BorderForm()->ShownImage();
  ASSERT_EQ(Img.Width(), L.CaptionWidth);
  int Mid = L.ImageHeight / 2;
  EXPECT_EQ(Img.Pixel(L.Body.Left + 1, Mid) >> 24, 255u);
  EXPECT_EQ(Img.Pixel(L.Body.Left + 300, L.Body.Top + 8) >> 24, 255u);
  uint32_t Shadow = Img.Pixel(L.Body.Left - 2, Mid) >> 24;
  EXPECT_GT(Shadow, 0u);
  EXPECT_LT(Shadow, 255u);
  EXPECT_LT(Img.Pixel(0, 0) >> 24, Shadow);
  // The caption's text is opaque too.
  int Opaque = 0;
  for (int x = L.TextRect.Left; x < L.TextRect.Left + 60; ++x)
    Opaque += (Img.Pixel(x, L.VCenter) >> 24) == 255;
  EXPECT_EQ(Opaque, 60);

  // The mouse: through the shadow, the frame and the close button answered by the form.
  auto HitB = [&](int X, int Y) {
    return SendMessageW(B, WM_NCHITTEST, 0, MAKELPARAM(BR.left + X, BR.top + Y));
  };
  auto FrameCode = [&](int X, int Y) {
    return P->BorderForm()->Ex_WMNCHitTest({BR.left + X, BR.top + Y});
  };
  EXPECT_EQ(HitB(1, Mid), HTTRANSPARENT);
  EXPECT_EQ(HitB(L.Body.Left + 1, Mid), HTOBJECT);
  EXPECT_EQ(FrameCode(L.Body.Left + 1, Mid), HTLEFT);
  EXPECT_EQ(FrameCode(300, L.Body.Top + 10), HTCAPTION);
  TRect Close = L.Buttons[cbClose];
  EXPECT_EQ(FrameCode((Close.Left + Close.Right) / 2, (Close.Top + Close.Bottom) / 2), HTCLOSE);

  // Switched off: the border window goes and the window's own frame comes back.
  Manager->SetExtendedBorders(false);
  PumpFor(150);
  P = Provider(W());
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->BorderForm(), nullptr);
  EXPECT_FALSE(IsWindow(B));
  EXPECT_EQ(SendSkinCommand(W(), KV_QUERYCLIENTOFFSET), LRESULT(4 | (23 << 16)));
  TRegion Back = RectRegion(RECT{0, 0, 0, 0});
  ASSERT_NE(GetWindowRgn(W(), Back), ERROR);
  EXPECT_FALSE(PtInRegion(Back, 0, 0));
  EXPECT_TRUE(PtInRegion(Back, 391, 0));
}

TEST_F(ProviderTest, DraggingTheBorderWindowsTitleMovesTheForm) {
  MainWindowLike();
  SetActiveWindow(W());
  Manager->SetExtendedBorders(true);
  PumpFor(150);
  TsSkinProvider* P = Provider(W());
  ASSERT_TRUE(P && P->BorderForm() && P->BorderForm()->Handle());
  RECT BR, Start;
  GetWindowRect(P->BorderForm()->Handle(), &BR);
  GetWindowRect(W(), &Start);
  TFormLayout L = P->Layout();
  // A press on the title of the border window, a drag of 40 x 30, a release.
  int X = BR.left + 300, Y = BR.top + L.Body.Top + 10;
  MouseTo(X, Y);
  PumpFor(50);
  ASSERT_EQ(WindowFromPoint(POINT{X, Y}), P->BorderForm()->Handle());
  RunLater(20, [] { MouseButton(true); });
  RunLater(80, [=] { MouseTo(X + 20, Y + 15); });
  RunLater(140, [=] { MouseTo(X + 40, Y + 30); });
  RunLater(220, [] { MouseButton(false); });
  PumpFor(500);
  RECT Now, NowB;
  GetWindowRect(W(), &Now);
  EXPECT_EQ(Now.left - Start.left, 40);
  EXPECT_EQ(Now.top - Start.top, 30);
  // The border window went along.
  GetWindowRect(P->BorderForm()->Handle(), &NowB);
  EXPECT_EQ(NowB.left - Now.left, BR.left - Start.left);
  EXPECT_EQ(NowB.top - Now.top, BR.top - Start.top);
  Manager->SetExtendedBorders(false);
  PumpFor(50);
}

TEST_F(ProviderTest, RedrawLocksNeverCountBelowZero) {
  MainWindowLike();
  TsSkinProvider* P = Provider(W());
  SendMessageW(W(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(W(), WM_SETREDRAW, FALSE, 0);
  EXPECT_EQ(P->LockCount, 2);
  for (int i = 0; i < 3; ++i)
    SendMessageW(W(), WM_SETREDRAW, TRUE, 0);
  EXPECT_EQ(P->LockCount, 0);
}

TEST_F(ProviderTest, ScreenSnapLandsOnTheWorkAreaEdgeWithinTheBuffer) {
  MainWindowLike();
  TsSkinProvider* P = Provider(W());
  P->ScreenSnap = true;
  RECT Area;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &Area, 0);
  SetWindowPos(W(), nullptr, Area.left + 6, Area.top + 7, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT R;
  GetWindowRect(W(), &R);
  EXPECT_EQ(R.left, Area.left);
  EXPECT_EQ(R.top, Area.top);
  // The default buffer is 10: ten pixels away nothing snaps.
  SetWindowPos(W(), nullptr, Area.left + 10, Area.top + 10, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(W(), &R);
  EXPECT_EQ(R.left, Area.left + 10);
  EXPECT_EQ(R.top, Area.top + 10);
  // Off, the form goes where it is put.
  P->ScreenSnap = false;
  SetWindowPos(W(), nullptr, Area.left + 3, Area.top + 3, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(W(), &R);
  EXPECT_EQ(R.left, Area.left + 3);
}

TEST_F(ProviderTest, AnUnhandledWheelReachesTheWindowedControlUnderThePointer) {
  UseMeadowStyle();
  Form->SetBorderIcons(biSystemMenu);
  Form->SetClientSize(400, 300);
  auto* Outer = new TsPanel(Form);
  Outer->SetParent(Form);
  Outer->SetBounds(10, 10, 380, 280);
  auto* Memo = new TMemo(Form);
  Memo->SetParent(Outer);
  Memo->SetBounds(10, 10, 300, 120);
  std::wstring Text;
  for (int i = 0; i < 200; ++i)
    Text += L"řádek " + std::to_wstring(i) + L"\r\n";
  Memo->SetText(Text);
  Form->Show();
  PumpFor(100);
  ASSERT_EQ(SendMessageW(Memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  POINT Over{50, 50};
  ClientToScreen(Memo->Handle(), &Over);
  // Sent to the form, as a control that does not take the wheel passes it to its parents.
  SendMessageW(W(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), MAKELPARAM(Over.x, Over.y));
  PumpFor(30);
  EXPECT_GT(SendMessageW(Memo->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  // Over no windowed control nothing scrolls and nothing loops.
  POINT Empty{390, 290};
  ClientToScreen(W(), &Empty);
  EXPECT_EQ(SendMessageW(W(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)),
                         MAKELPARAM(Empty.x, Empty.y)),
            0);
}

// The visible items of a menu handle as "caption|state" texts (state: d disabled).
std::vector<std::wstring> ShownItems(TPopupMenu& Menu) {
  std::vector<std::wstring> List;
  HMENU H = Menu.BuildHandle(true);
  for (int i = 0; i < GetMenuItemCount(H); ++i) {
    UINT State = GetMenuState(H, UINT(i), MF_BYPOSITION);
    wchar_t Buf[128] = {};
    GetMenuStringW(H, UINT(i), Buf, 128, MF_BYPOSITION);
    List.push_back((State & MF_SEPARATOR)
                       ? std::wstring(L"-")
                       : std::wstring(Buf) + ((State & MF_GRAYED) ? L"|d" : L""));
  }
  DestroyMenu(H);
  return List;
}

TEST_F(ProviderTest, SystemMenuItemsFollowTheBorderStyleAndIcons) {
  // The window's own menu, read before the provider took WS_SYSMENU.
  UseMeadowStyle();
  Form->SetBorderIcons(biSystemMenu);
  Form->SetClientSize(775, 623);
  Form->HandleNeeded();
  HMENU Own = GetSystemMenu(W(), FALSE);
  auto Text = [&](UINT Command) {
    wchar_t Buf[128] = {};
    GetMenuStringW(Own, Command, Buf, 128, MF_BYCOMMAND);
    return std::wstring(Buf);
  };
  std::wstring Restore = Text(SC_RESTORE), Move = Text(SC_MOVE), Size = Text(SC_SIZE),
               Close = Text(SC_CLOSE);
  ASSERT_NE(Close.find(L'\t'), std::wstring::npos);
  Form->Show();
  PumpFor(150);
  TsSystemMenu* M = Provider(W())->SystemMenu();
  ASSERT_NE(M, nullptr);
  // Wine's menu has two dividers and an item of its own inside the system's range: none of
  // them is copied.
  EXPECT_EQ(M->ExtItemsCount, 0);
  EXPECT_EQ(M->Items().Count(), 7);
  M->UpdateItems();
  // The main window: restore disabled, move, size, divider, close with its short cut;
  // minimize and maximize hidden.
  std::vector<std::wstring> Main{Restore + L"|d", Move, Size, L"-", Close};
  EXPECT_EQ(ShownItems(*M), Main);
  EXPECT_EQ(ShortCutToText(M->ItemClose->ShortCut), L"Alt+F4");
  EXPECT_EQ(M->ItemClose->Name(), L"kvIC");
  EXPECT_EQ(M->ItemClose->Tag, intptr_t(SC_CLOSE));

  // A dialog frame: move, divider, close.
  TTestForm Dialog(Application);
  Dialog.SetBorderStyle(bsDialog);
  Dialog.SetBorderIcons(biSystemMenu);
  Dialog.SetBounds(100, 100, 300, 120);
  Dialog.Show();
  PumpFor(150);
  TsSystemMenu* D = Provider(Dialog.Handle())->SystemMenu();
  ASSERT_NE(D, nullptr);
  D->UpdateItems(true);
  std::vector<std::wstring> Box{Move, L"-", Close};
  EXPECT_EQ(ShownItems(*D), Box);
  // Choosing close closes the window.
  D->DispatchCommand(D->ItemClose->Command());
  PumpFor(50);
  EXPECT_FALSE(Dialog.Visible());
}

TEST_F(ProviderTest, SystemMenuCopiesOnlyTheWindowsOwnStringCommands) {
  UseMeadowStyle();
  Form->HandleNeeded();
  HMENU Own = CreatePopupMenu();
  AppendMenuW(Own, MF_STRING, SC_MOVE, L"Pře&sunout");
  AppendMenuW(Own, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(Own, MF_STRING, 0x120, L"Vlastní\tCtrl+E");
  AppendMenuW(Own, MF_POPUP, UINT_PTR(CreatePopupMenu()), L"Podnabídka");
  AppendMenuW(Own, MF_STRING, SC_CLOSE, L"&Zavřít\tAlt+F4");
  AppendMenuW(Own, MF_STRING, 0xF141, L"O programu");
  TsSystemMenu M(Form, Own);
  EXPECT_EQ(M.ExtItemsCount, 1);
  // Restore, move, size, minimize, maximize, divider, the own item, divider, close.
  ASSERT_EQ(M.Items().Count(), 9);
  TMenuItem* Extra = M.Items().Items(6);
  EXPECT_EQ(Extra->Caption, L"Vlastní");
  EXPECT_EQ(ShortCutToText(Extra->ShortCut), L"Ctrl+E");
  EXPECT_TRUE(M.Items().Items(7)->IsLine());
  // Commands the window's menu lacks take the fallback texts.
  EXPECT_EQ(M.ItemRestore->Caption, L"Obnovit");
  EXPECT_EQ(M.ItemMove->Caption, L"Pře&sunout");
  EXPECT_EQ(M.ItemSize->Caption, L"Velikost");
  EXPECT_EQ(M.ItemClose->Caption, L"&Zavřít");
  // The own item posts its command to the window.
  UINT Seen = 0;
  TWndHookToken Hook = Form->AddWindowHook([&](TMessage& Msg, const TWndNext& Next) {
    if (Msg.Msg == WM_SYSCOMMAND && Msg.WParam == 0x120)
      Seen = UINT(Msg.WParam);
    else
      Next(Msg);
  });
  M.DispatchCommand(Extra->Command());
  PumpFor(30);
  EXPECT_EQ(Seen, 0x120u);
  Form->RemoveWindowHook(Hook);
  // A menu without a close command falls back to the engine's own text.
  HMENU Bare = CreatePopupMenu();
  TsSystemMenu B(Form, Bare);
  EXPECT_EQ(B.ItemClose->Caption, L"Zavřítt");
  EXPECT_EQ(B.Items().Count(), 7);
  DestroyMenu(Own);
  DestroyMenu(Bare);
}

// Pixels of the close button (751,1)-(778,22) near a colour.
int CloseInk(HWND Wnd, int R, int G, int B) {
  int N = 0;
  RECT W;
  GetWindowRect(Wnd, &W);
  // From the screen: the state fade's overlay lies over the window.
  TClientDC DC(nullptr);
  for (int y = 1; y < 22; ++y)
    for (int x = 751; x < 778; ++x) {
      COLORREF C = GetPixel(DC, W.left + x, W.top + y);
      N += std::abs(GetRValue(C) - R) <= 12 && std::abs(GetGValue(C) - G) <= 12 &&
           std::abs(GetBValue(C) - B) <= 12;
    }
  return N;
}

// The popup menu window on the screen, if one is shown.
HWND ShownMenuWindow() {
  HWND M = FindWindowW(L"#32768", nullptr);
  return M && IsWindowVisible(M) ? M : nullptr;
}

TEST_F(ProviderTest, CloseButtonIsHotUnderTheMousePressedWhileHeldAndClosesOnRelease) {
  MainWindowLike();
  SetForegroundWindow(W());
  SetActiveWindow(W());
  PumpFor(50);
  RECT R;
  GetWindowRect(W(), &R);
  MouseTo(R.left + 300, R.top + 300);
  PumpFor(50);
  EXPECT_EQ(CloseInk(W(), 0xD2, 0x50, 0x3F), 0);
  MouseTo(R.left + 764, R.top + 11);
  PumpFor(150);
  EXPECT_GT(CloseInk(W(), 0xD2, 0x50, 0x3F), 100) << "hot";
  EXPECT_EQ(Provider(W())->CurrentHT, HTCLOSE);
  // The hot face fades in on a layered overlay of tag -98 that covers exactly the button.
  TkvSBAnimation* Fade = Provider(W())->FadeOf(Provider(W())->ButtonClose);
  ASSERT_NE(Fade, nullptr);
  HWND Overlay = Fade->Overlay();
  ASSERT_NE(Overlay, nullptr);
  EXPECT_TRUE(GetWindowLongW(Overlay, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(IsEngineAuxWindow(Overlay));
  RECT O;
  GetWindowRect(Overlay, &O);
  EXPECT_EQ(O.left, R.left + 751);
  EXPECT_EQ(O.top, R.top + 1);
  EXPECT_EQ(O.right - O.left, 27);
  EXPECT_EQ(O.bottom - O.top, 21);
  EXPECT_EQ(Fade->Alpha(), 250);
  MouseButton(true);
  PumpFor(80);
  EXPECT_GT(CloseInk(W(), 0xA9, 0x3A, 0x2C), 100) << "pressed";
  // Dragged off the button and released elsewhere: nothing happens.
  MouseTo(R.left + 300, R.top + 300);
  PumpFor(80);
  EXPECT_EQ(CloseInk(W(), 0xA9, 0x3A, 0x2C), 0);
  MouseButton(false);
  PumpFor(80);
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(GetCapture(), nullptr);
  // Pressed and released on it: the window closes.
  bool Closed = false;
  Form->OnClose = [&](TComponent*, TCloseAction& Action) {
    Closed = true;
    Action = caHide;
  };
  MouseTo(R.left + 764, R.top + 11);
  PumpFor(80);
  MouseButton(true);
  PumpFor(50);
  MouseButton(false);
  PumpFor(100);
  EXPECT_TRUE(Closed);
  EXPECT_FALSE(Form->Visible());
}

TEST_F(ProviderTest, HoverPassesGiveBackTheirGdiObjectsAndLeaveNoWindowBehind) {
  MainWindowLike();
  SetForegroundWindow(W());
  PumpFor(50);
  RECT R;
  GetWindowRect(W(), &R);
  auto Pass = [&] {
    MouseTo(R.left + 764, R.top + 11);
    PumpFor(15);
    MouseTo(R.left + 400, R.top + 11);
    PumpFor(15);
  };
  Pass();
  // Counted once the last fade-out has ended.
  PumpFor(250);
  int64_t Before = LiveGdiObjects();
  size_t Windows = ThreadWindows().size();
  for (int i = 0; i < 200; ++i)
    Pass();
  PumpFor(250);
  EXPECT_EQ(LiveGdiObjects(), Before);
  EXPECT_EQ(ThreadWindows().size(), Windows);
}

TEST_F(ProviderTest, SystemMenuDropsFromTheIconTheCaptionAndAltSpace) {
  MainWindowLike();
  SetForegroundWindow(W());
  SetActiveWindow(W());
  PumpFor(50);
  RECT R;
  GetWindowRect(W(), &R);
  TsSkinProvider* P = Provider(W());
  EXPECT_EQ(P->SysMenuPoint(), (TPoint{R.left + 4, R.top + 4 + 16 + 4}));
  // Alt+Space, with real keys.
  RECT Shown{};
  RunLater(300, [&] {
    if (HWND M = ShownMenuWindow()) GetWindowRect(M, &Shown);
    KeyPress(VK_ESCAPE);
  });
  INPUT Keys[4]{};
  for (auto& K : Keys)
    K.type = INPUT_KEYBOARD;
  Keys[0].ki.wVk = VK_MENU;
  Keys[1].ki.wVk = VK_SPACE;
  Keys[2].ki.wVk = VK_SPACE;
  Keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
  Keys[3].ki.wVk = VK_MENU;
  Keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, Keys, sizeof(INPUT));
  PumpFor(600);
  EXPECT_EQ(Shown.left, R.left + 4);
  EXPECT_EQ(Shown.top, R.top + 24);
  // A right click on the caption drops it at the mouse.
  Shown = {};
  RunLater(300, [&] {
    if (HWND M = ShownMenuWindow()) GetWindowRect(M, &Shown);
    KeyPress(VK_ESCAPE);
  });
  SendMessageW(W(), WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(R.left + 300, R.top + 10));
  PumpFor(300);
  EXPECT_EQ(Shown.left, R.left + 300);
  EXPECT_EQ(Shown.top, R.top + 10);
  // The task bar's request drops it at the cursor.
  MouseTo(R.left + 200, R.top + 200);
  PumpFor(50);
  Shown = {};
  RunLater(300, [&] {
    if (HWND M = ShownMenuWindow()) GetWindowRect(M, &Shown);
    KeyPress(VK_ESCAPE);
  });
  SendMessageW(W(), 0x0313 /* WM_POPUPSYSTEMMENU */, 0, 0);
  PumpFor(300);
  EXPECT_EQ(Shown.left, R.left + 200);
  EXPECT_EQ(Shown.top, R.top + 200);
  // A double click on the icon closes the window.
  SendMessageW(W(), WM_NCLBUTTONDBLCLK, HTSYSMENU, MAKELPARAM(R.left + 14, R.top + 10));
  PumpFor(50);
  EXPECT_FALSE(Form->Visible());
}

TEST_F(ProviderTest, CloseButtonFadeStepsInAndOutAndFreesItsOverlay) {
  MainWindowLike();
  SetForegroundWindow(W());
  SetActiveWindow(W());
  PumpFor(50);
  TsSkinProvider* P = Provider(W());
  // Stepped by hand: ten steps of 25 up, then down to nothing.
  P->SetHotHT(HTCLOSE, true);
  TkvSBAnimation* Fade = P->FadeOf(P->ButtonClose);
  ASSERT_NE(Fade, nullptr);
  EXPECT_EQ(Fade->Alpha(), 25);
  for (int i = 0; i < 9; ++i)
    Fade->Tick();
  EXPECT_EQ(Fade->Alpha(), 250);
  HWND Overlay = Fade->Overlay();
  P->SetHotHT(0, true);
  EXPECT_FALSE(Fade->Up);
  for (int i = 0; i < 9; ++i)
    Fade->Tick();
  EXPECT_EQ(Fade->Alpha(), 25);
  Fade->Tick();
  // The fade's own state ends; the button stays normal and the overlay is gone.
  EXPECT_EQ(Fade->CurrentState, -1);
  EXPECT_EQ(P->ButtonClose.State, 0);
  EXPECT_FALSE(IsWindow(Overlay));
  // A press shows at once, a release from it fades out from full.
  P->SetHotHT(HTCLOSE, true);
  P->SetPressedHT(HTCLOSE);
  EXPECT_EQ(Fade->Alpha(), 255);
  EXPECT_EQ(Fade->CurrentState, 2);
  P->PressedHT = 0;
  P->SetHotHT(0, true);
  EXPECT_GE(Fade->Alpha(), 250);
  // On its own timer the fade is over well within 150 ms.
  PumpFor(200);
  EXPECT_EQ(Fade->Overlay(), nullptr);
}

TEST_F(ProviderTest, MessageFormsCloseButtonEndsTheBoxLikeOk) {
  MainWindowLike();
  int Hit = 0;
  bool WasShown = false;
  RunLater(300, [&] {
    TMessageForm* M = FindMessageForm();
    if (!M || !M->HandleAllocated()) return;
    WasShown = true;
    RECT R;
    GetWindowRect(M->Handle(), &R);
    int Width = R.right - R.left;
    Hit = int(HitAt(M->Handle(), Width - 12, 10));
    MouseTo(R.left + Width - 12, R.top + 10);
    RunLater(80, [] { MouseButton(true); });
    RunLater(140, [] { MouseButton(false); });
  });
  // Should the click not end it, the test still ends.
  RunLater(3000, [] {
    if (TMessageForm* M = FindMessageForm()) M->ModalResult = mrCancel;
  });
  DWORD Start = GetTickCount();
  ShowMessage(L"Zpráva");
  EXPECT_TRUE(WasShown);
  EXPECT_EQ(Hit, HTCLOSE);
  EXPECT_LT(GetTickCount() - Start, 2500u) << "the close button ended the box";
}

TEST_F(ProviderTest, CaptionElementsFollowTheBorderStyleAndIcons) {
  UseMeadowStyle();
  struct TCase {
    TBorderStyle Style;
    unsigned Icons;
    bool Max, Min, Restore, Size; // visible
    bool MaxEnabled;
  };
  const unsigned S = biSystemMenu;
  const TCase Cases[] = {
      {bsSizeable, S, false, false, true, true, false},
      {bsSizeable, S | biMinimize | biMaximize, true, true, true, true, true},
      {bsSizeable, S | biMaximize, true, false, true, true, true},
      {bsSingle, S | biMinimize, false, true, true, true, false},
      {bsSingle, S | biMinimize | biMaximize, true, true, true, true, true},
      {bsDialog, S | biMinimize | biMaximize, false, false, false, false, false},
      {bsToolWindow, S | biMinimize | biMaximize, false, false, false, false, false},
      {bsSizeToolWin, S | biMinimize | biMaximize, false, false, false, true, false},
  };
  for (const TCase& C : Cases) {
    TTestForm F(Application);
    F.SetBorderStyle(C.Style);
    F.SetBorderIcons(C.Icons);
    F.SetBounds(50, 50, 400, 200);
    F.Show();
    PumpFor(80);
    TsSkinProvider* P = Provider(F.Handle());
    ASSERT_NE(P, nullptr);
    TsSystemMenu* M = P->SystemMenu();
    ASSERT_NE(M, nullptr);
    std::string Where =
        "style " + std::to_string(int(C.Style)) + " icons " + std::to_string(C.Icons);
    EXPECT_EQ(M->VisibleMax(), C.Max) << Where;
    EXPECT_EQ(M->VisibleMin(), C.Min) << Where;
    EXPECT_EQ(M->VisibleRestore(), C.Restore) << Where;
    EXPECT_EQ(M->VisibleSize(), C.Size) << Where;
    EXPECT_EQ(M->EnabledMax(), C.MaxEnabled) << Where;
    EXPECT_TRUE(M->VisibleClose()) << Where;
    // The title bar shows what the rules allow, and each shown element answers its code.
    TFormLayout L = P->Layout();
    EXPECT_EQ(L.Shown[cbMax], C.Max) << Where;
    EXPECT_EQ(L.Shown[cbMin], C.Min) << Where;
    auto Centre = [](const TRect& R) {
      return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    };
    TPoint Close = Centre(L.Buttons[cbClose]);
    EXPECT_EQ(HitAt(F.Handle(), Close.X, Close.Y), HTCLOSE) << Where;
    if (C.Max) {
      TPoint Max = Centre(L.Buttons[cbMax]);
      EXPECT_EQ(HitAt(F.Handle(), Max.X, Max.Y), HTMAXBUTTON) << Where;
    }
    if (C.Min) {
      TPoint Min = Centre(L.Buttons[cbMin]);
      EXPECT_EQ(HitAt(F.Handle(), Min.X, Min.Y), HTMINBUTTON) << Where;
    }
    // Dialogs and tool windows get the small close button.
    bool Small = C.Style == bsDialog || C.Style == bsToolWindow || C.Style == bsSizeToolWin;
    EXPECT_EQ(L.Buttons[cbClose].Height() < 21, Small) << Where;
  }
}

TEST_F(ProviderTest, MaximizeRestoreAndMinimizeButtonsWorkWithTheMouse) {
  UseMeadowStyle();
  Form->SetBorderIcons(biSystemMenu | biMinimize | biMaximize);
  Form->SetBounds(60, 60, 500, 300);
  Form->Show();
  PumpFor(150);
  SetForegroundWindow(W());
  PumpFor(50);
  auto ClickAt = [&](const TRect& Button) {
    RECT R;
    GetWindowRect(W(), &R);
    MouseTo(R.left + (Button.Left + Button.Right) / 2, R.top + (Button.Top + Button.Bottom) / 2);
    PumpFor(60);
    MouseButton(true);
    PumpFor(40);
    MouseButton(false);
    PumpFor(200);
  };
  TsSkinProvider* P = Provider(W());
  ClickAt(P->Layout().Buttons[cbMax]);
  EXPECT_TRUE(IsZoomed(W()));
  // Maximized, the same button restores.
  ClickAt(P->Layout().Buttons[cbMax]);
  EXPECT_FALSE(IsZoomed(W()));
  ClickAt(P->Layout().Buttons[cbMin]);
  EXPECT_TRUE(IsIconic(W()));
  ShowWindow(W(), SW_RESTORE);
  PumpFor(100);
  EXPECT_FALSE(IsIconic(W()));
}

TEST_F(ProviderTest, UserTitleButtonsShowTheirFaceGlyphHintAndRunTheirMouseEvents) {
  MainWindowLike();
  SetForegroundWindow(W());
  SetActiveWindow(W());
  PumpFor(50);
  TsSkinProvider* P = Provider(W());
  // A 10 x 10 glyph: a blue square on the fuchsia of its bottom-left pixel.
  TBitmap32 Glyph(10, 10);
  Glyph.Fill(0xFFFF00FF);
  for (int y = 2; y < 8; ++y)
    for (int x = 2; x < 8; ++x)
      Glyph.Pixel(x, y) = 0xFF0000FF;
  TsTitleButton& A = P->TitleButtons.Add();
  A.SetGlyph(Glyph, false);
  A.Hint = L"Uložit výsledek";
  std::vector<TPoint> Downs, Ups;
  A.OnMouseDown = [&](TsTitleButton&, TMouseButton Button, unsigned, int X, int Y) {
    EXPECT_EQ(Button, mbLeft);
    Downs.push_back({X, Y});
  };
  A.OnMouseUp = [&](TsTitleButton&, TMouseButton, unsigned, int X, int Y) {
    Ups.push_back({X, Y});
  };
  TsTitleButton& B = P->TitleButtons.Add();
  B.SetEnabled(false);
  PumpFor(50);

  // Left of the close button, 6 pixels apart, one face wide each.
  TFormLayout L = P->Layout();
  ASSERT_EQ(L.UserButtons.size(), 2u);
  EXPECT_EQ(L.UserButtons[0], (TRect{751 - 6 - 21, 1, 751 - 6, 22}));
  EXPECT_EQ(L.UserButtons[1], (TRect{751 - 6 - 42, 1, 751 - 6 - 21, 22}));
  EXPECT_EQ(L.ButtonsWidth, 28 + 6 + 42);
  // The glyph sits centred, its key colour left out.
  TPoint C{(L.UserButtons[0].Left + L.UserButtons[0].Right) / 2, 11};
  EXPECT_EQ(FramePixel(W(), C.X, C.Y), RGB(0, 0, 0xFF));
  EXPECT_NE(FramePixel(W(), L.UserButtons[0].Left + 5, 3), RGB(0xFF, 0, 0xFF));
  EXPECT_EQ(HitAt(W(), C.X, C.Y), htUserButtonBase);
  EXPECT_EQ(HitAt(W(), L.UserButtons[1].Left + 10, 11), HTCAPTION) << "disabled";

  RECT R;
  GetWindowRect(W(), &R);
  MouseTo(R.left + C.X, R.top + C.Y);
  PumpFor(150);
  EXPECT_EQ(P->CurrentHT, htUserButtonBase);
  EXPECT_EQ(A.Data.State, 1);
  ASSERT_TRUE(A.HintWnd && A.HintWnd->Handle());
  RECT H;
  GetWindowRect(A.HintWnd->Handle(), &H);
  EXPECT_EQ(H.left, R.left + C.X + 8);
  EXPECT_EQ(H.top, R.top + C.Y + 16);
  EXPECT_TRUE(GetWindowLongW(A.HintWnd->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_NE(GetActiveWindow(), A.HintWnd->Handle());

  MouseButton(true);
  PumpFor(60);
  EXPECT_EQ(A.Data.State, 2);
  ASSERT_EQ(Downs.size(), 1u);
  EXPECT_EQ(Downs[0], (TPoint{R.left + C.X, R.top + C.Y}));
  MouseButton(false);
  PumpFor(60);
  ASSERT_EQ(Ups.size(), 1u);
  EXPECT_EQ(Ups[0], (TPoint{R.left + C.X, R.top + C.Y}));
  EXPECT_TRUE(Form->Visible());
  // Leaving the title takes the hint away.
  MouseTo(R.left + 300, R.top + 300);
  PumpFor(200);
  EXPECT_FALSE(A.HintWnd);
  EXPECT_EQ(A.Data.State, 0);

  // Hidden, the button gives its room back; removed, the layout forgets it.
  A.SetVisible(false);
  EXPECT_TRUE(P->Layout().UserButtons[0].IsEmpty());
  P->TitleButtons.Clear();
  EXPECT_EQ(P->Layout().ButtonsWidth, 28);
  // An empty glyph is drawn as nothing.
  P->TitleButtons.Add().SetGlyph(TBitmap32(), true);
  PumpFor(50);
  EXPECT_EQ(P->Layout().UserButtons[0].Width(), 21);
}

TEST_F(ProviderTest, HelpButtonAsksForContextHelp) {
  UseMeadowStyle();
  Form->SetBorderStyle(bsDialog);
  Form->SetBorderIcons(biSystemMenu | biHelp);
  Form->SetBounds(80, 80, 400, 250);
  Form->Show();
  PumpFor(150);
  SetForegroundWindow(W());
  PumpFor(50);
  int Asked = 0;
  // The system's help mode would capture the mouse: the request is counted and dropped.
  TWndHookToken Spy = Form->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_CONTEXTHELP) {
      ++Asked;
      M.Result = 0;
      return;
    }
    Next(M);
  });
  TsSkinProvider* P = Provider(W());
  TFormLayout L = P->Layout();
  ASSERT_TRUE(L.Shown[cbHelp]);
  // Six pixels left of the close button.
  EXPECT_EQ(L.Buttons[cbHelp].Right, L.Buttons[cbClose].Left - 6);
  TPoint C{(L.Buttons[cbHelp].Left + L.Buttons[cbHelp].Right) / 2,
           (L.Buttons[cbHelp].Top + L.Buttons[cbHelp].Bottom) / 2};
  EXPECT_EQ(HitAt(W(), C.X, C.Y), HTHELP);
  RECT R;
  GetWindowRect(W(), &R);
  MouseTo(R.left + C.X, R.top + C.Y);
  PumpFor(60);
  MouseButton(true);
  PumpFor(40);
  MouseButton(false);
  PumpFor(100);
  EXPECT_EQ(Asked, 1);
  EXPECT_EQ(P->CurrentHT, 0);
  Form->RemoveWindowHook(Spy);
}

TEST_F(ProviderTest, TheTaskBarsMenuRequestOfTheMainFormGoesThroughTheManagersHook) {
  // A main form that owns the default manager, as the program's does.
  delete Manager;
  Manager = nullptr;
  auto* Main = new TTestForm(Application);
  auto* M = new TsSkinManager(Main);
  ASSERT_TRUE(M->IsDefault());
  M->SetSkinDirectory(Utf8ToWide(std::string("Z:") + TV_SOURCE_DIR + "/skins"));
  M->SetSkinName(L"MeadowStyle");
  M->Loaded();
  ASSERT_EQ(M->HookedForm(), Main);
  Main->SetBorderIcons(biSystemMenu);
  Main->SetBounds(50, 50, 500, 300);
  Main->Show();
  PumpFor(150);
  SetForegroundWindow(Main->Handle());
  PumpFor(50);
  ASSERT_NE(Provider(Main->Handle()), nullptr);
  auto Saved = DropFormSystemMenu;
  int Through = 0;
  DropFormSystemMenu = [&](HWND Wnd, int X, int Y) {
    ++Through;
    return Saved(Wnd, X, Y);
  };
  RECT R;
  GetWindowRect(Main->Handle(), &R);
  MouseTo(R.left + 120, R.top + 150);
  PumpFor(50);
  RECT Shown{};
  int Items = 0;
  RunLater(300, [&] {
    if (HWND Menu = ShownMenuWindow()) {
      GetWindowRect(Menu, &Shown);
      Items = GetMenuItemCount(HMENU(SendMessageW(Menu, 0x01E1 /* MN_GETHMENU */, 0, 0)));
    }
    KeyPress(VK_ESCAPE);
  });
  SendMessageW(Main->Handle(), 0x0313 /* WM_POPUPSYSTEMMENU */, 0, 0);
  PumpFor(300);
  DropFormSystemMenu = Saved;
  EXPECT_EQ(Through, 1);
  EXPECT_EQ(Shown.left, R.left + 120);
  EXPECT_EQ(Shown.top, R.top + 150);
  // The engine's items: restore, move, size, a divider, close.
  EXPECT_EQ(Items, 5);
  delete Main;
}

TEST_F(ProviderTest, SkinSelectionItemsListEverySkinInColumnsOfTwenty) {
  EXPECT_EQ(SkinNameOfItem(L"&Meadow&Style"), L"MeadowStyle");
  EXPECT_EQ(SkinNameOfItem(L"Zima (intern?) navíc"), L"Zima (intern?)");
  MainWindowLike();
  SetForegroundWindow(W());
  PumpFor(50);
  // 24 stored skins and the folder's one.
  for (int i = 0; i < 24; ++i)
    Manager->InternalSkins().Add().SetName("Skin" + std::string(i < 10 ? "0" : "") +
                                           std::to_string(i));
  TsSkinProvider* P = Provider(W());
  P->MakeSkinMenu = true;
  std::wstring Caption;
  int Count = 0, Checked = -1;
  std::vector<int> Breaks;
  RunLater(300, [&] {
    if (HWND Menu = ShownMenuWindow()) {
      HMENU H = HMENU(SendMessageW(Menu, 0x01E1 /* MN_GETHMENU */, 0, 0));
      wchar_t Buf[64] = {};
      GetMenuStringW(H, 0, Buf, 64, MF_BYPOSITION);
      Caption = Buf;
      HMENU Sub = GetSubMenu(H, 0);
      Count = GetMenuItemCount(Sub);
      for (int i = 0; i < Count; ++i) {
        MENUITEMINFOW Info{};
        Info.cbSize = sizeof(Info);
        Info.fMask = MIIM_FTYPE | MIIM_STATE;
        GetMenuItemInfoW(Sub, UINT(i), TRUE, &Info);
        if (Info.fType & MFT_MENUBARBREAK) Breaks.push_back(i);
        if (Info.fState & MFS_CHECKED) Checked = i;
      }
    }
    KeyPress(VK_ESCAPE);
  });
  TPoint At = P->SysMenuPoint();
  P->DropSysMenu(At.X, At.Y);
  PumpFor(100);
  EXPECT_EQ(Caption, L"Dostupné skiny");
  EXPECT_EQ(Count, 25);
  EXPECT_EQ(Breaks, (std::vector<int>{20}));
  EXPECT_EQ(Checked, 24) << "MeadowStyle, after the stored skins";
  // Dropped again, the sub-menu is made anew, not doubled.
  P->MakeSkinItems(*Manager);
  EXPECT_EQ(P->SystemMenu()->Items().Items(0)->Count(), 25);
  EXPECT_TRUE(P->SystemMenu()->Items().Items(1)->IsLine());
  EXPECT_FALSE(P->SystemMenu()->Items().Items(2)->Count());
}

} // namespace
