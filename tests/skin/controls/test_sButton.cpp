#include "skin/controls/sButton.h"

#include "skin/controls/sPanel.h"
#include "skin/controls/sVclUtils.h"
#include "skin/pixels/kvPixelMath.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class ButtonTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    MoveMouse(-1, -1);
  }
  TsPanel* NewPanel() {
    auto* P = new TsPanel(Form);
    P->SetParent(Form);
    P->SetBounds(0, 0, 400, 120);
    P->ShowCaption = false;
    return P;
  }
  TsButton* NewButton(TWinControl* Parent, TRect B, const std::wstring& Caption) {
    auto* Btn = new TsButton(Form);
    Btn->SetParent(Parent);
    Btn->SetBounds(B.Left, B.Top, B.Width(), B.Height());
    Btn->SetCaption(Caption);
    Btn->SkinData().SetSkinSection("BUTTON");
    return Btn;
  }
  // Real input: the pointer moved to a point of the screen.
  static void MoveMouse(int X, int Y) {
    if (X < 0) {
      X = GetSystemMetrics(SM_CXSCREEN) - 2;
      Y = GetSystemMetrics(SM_CYSCREEN) - 2;
    }
    INPUT In{};
    In.type = INPUT_MOUSE;
    In.mi.dx = LONG((X * 65535.0) / (GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
    In.mi.dy = LONG((Y * 65535.0) / (GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
    In.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &In, sizeof(In));
  }
  static void MoveOnto(HWND W, int X, int Y) {
    POINT P{X, Y};
    ClientToScreen(W, &P);
    MoveMouse(P.x, P.y);
  }
  static void Button(bool Down) {
    INPUT In{};
    In.type = INPUT_MOUSE;
    In.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &In, sizeof(In));
  }
  static int InkPixels(HWND W, int Width, int Height, COLORREF Ink = RGB(0x1F, 0x2A, 0x18)) {
    int N = 0;
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        N += ScreenPixel(W, x, y) == Ink;
    return N;
  }
  static std::string Hex(COLORREF C) {
    char B[16];
    snprintf(B, sizeof B, "#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
    return B;
  }
};

// The pixel (X, Y) of a 32-bit bitmap as a COLORREF.
COLORREF BmpPixel(const TBitmap32& B, int X, int Y) {
  uint32_t P = B.Pixel(X, Y);
  return RGB(PixR(P), PixG(P), PixB(P));
}

// The expected frame pixel of a fade step with weight W from Old to New.
COLORREF Blended(COLORREF Old, COLORREF New, int W) {
  return RGB(BlendChannel(GetRValue(Old), GetRValue(New), 255 - W),
             BlendChannel(GetGValue(Old), GetGValue(New), 255 - W),
             BlendChannel(GetBValue(Old), GetBValue(New), 255 - W));
}

// Records pixel (8, 15) of every frame a fade shows.
struct TFrameRecorder {
  TWndHookToken Token;
  std::vector<COLORREF> Frames;
  TControl* Control;
  explicit TFrameRecorder(TControl* C) : Control(C) {
    Token = C->AddWindowHook([this](TMessage& M, const TWndNext& Next) {
      if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_FADESTEP && M.LParam)
        Frames.push_back(BmpPixel(*reinterpret_cast<TBitmap32*>(M.LParam), 8, 15));
      Next(M);
    });
  }
  ~TFrameRecorder() { Control->RemoveWindowHook(Token); }
};

// Steps the button's fade by hand to its end; the number of steps taken.
int TickToEnd(TsButton* B) {
  int Ticks = 0;
  while (B->FadeTimer() && Ticks < 100) {
    B->FadeTimer()->Timer();
    ++Ticks;
  }
  return Ticks;
}

constexpr COLORREF MeadowBorder = RGB(0x7D, 0xA8, 0x62), MeadowFace = RGB(0xEA, 0xF3, 0xE1);
constexpr COLORREF HotBorder = RGB(0x5E, 0x9E, 0x3A), HotFace = RGB(0xF2, 0xF8, 0xEC);
constexpr COLORREF PressedBorder = RGB(0x3F, 0x7D, 0x25), PressedFace = RGB(0xD6, 0xE5, 0xCC);
constexpr COLORREF Ground = RGB(0xF4, 0xF7, 0xEC), Ink = RGB(0x1F, 0x2A, 0x18);

TEST_F(ButtonTest, MeadowFacesNormalHotAndPressedWithRealInput) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  TsButton* B = NewButton(P, Bounds(5, 21, 145, 30), L"Načíst textový soubor");
  TsButton* Big = NewButton(P, Bounds(5, 60, 386, 49), L"Vyhledat");
  int Clicks = 0;
  B->OnClick = [&](TComponent*) { ++Clicks; };
  ShowForm();
  HWND W = B->Handle();
  EXPECT_EQ(WindowClassName(W), L"TsButton");
  EXPECT_EQ(GetWindowLongW(W, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  auto Look = [&](COLORREF Border, COLORREF Face, const char* What) {
    EXPECT_EQ(Hex(ScreenPixel(W, 8, 0)), Hex(Border)) << What;
    EXPECT_EQ(Hex(ScreenPixel(W, 8, 15)), Hex(Face)) << What;
    EXPECT_EQ(Hex(ScreenPixel(W, 0, 0)), Hex(Ground)) << What << ": the corner shows the parent";
    EXPECT_GT(InkPixels(W, 145, 30), 150) << What << ": the caption in the skin's ink";
  };
  Look(MeadowBorder, MeadowFace, "mouse away");
  EXPECT_EQ(Hex(ScreenPixel(Big->Handle(), 8, 24)), "#EBF3E2");
  MoveOnto(W, 70, 15);
  PumpFor(250);
  Look(HotBorder, HotFace, "hot");
  Button(true);
  PumpFor(250);
  Look(PressedBorder, PressedFace, "pressed");
  EXPECT_EQ(B->CurrentState(), bstPressed);
  Button(false);
  PumpFor(250);
  EXPECT_EQ(Clicks, 1);
  Look(HotBorder, HotFace, "released, focused");
  MoveOnto(Big->Handle(), 100, 24);
  PumpFor(250);
  EXPECT_EQ(Hex(ScreenPixel(Big->Handle(), 8, 24)), Hex(HotFace));
  Button(true);
  PumpFor(250);
  EXPECT_EQ(Hex(ScreenPixel(Big->Handle(), 8, 24)), Hex(PressedFace));
  Button(false);
  MoveMouse(-1, -1);
  PumpFor(250);
}

TEST_F(ButtonTest, HoverFadeStepsThroughFifthsAndFreesItselfAfterItsLastStep) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Uložit");
  ShowForm();
  ASSERT_EQ(ScreenPixel(B->Handle(), 8, 15), MeadowFace);
  const int Fades = RunningFades();
  TFrameRecorder Rec(B);
  B->Perform(CM_MOUSEENTER);
  ASSERT_NE(B->FadeTimer(), nullptr);
  EXPECT_EQ(B->FadeTimer()->Iterations, 5);
  EXPECT_EQ(RunningFades(), Fades + 1);
  // Five steps, then the sixth tick ends the fade: the control frees its timer on the halt
  // notice, which arrives inside the timer's own tick.
  EXPECT_EQ(TickToEnd(B), 6);
  ASSERT_EQ(Rec.Frames.size(), 5u);
  const int Weights[] = {51, 102, 153, 204, 255};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(Hex(Rec.Frames[size_t(i)]), Hex(Blended(MeadowFace, HotFace, Weights[i]))) << i;
  EXPECT_EQ(B->FadeTimer(), nullptr);
  EXPECT_EQ(RunningFades(), Fades);
  EXPECT_EQ(ScreenPixel(B->Handle(), 8, 15), HotFace) << "the last frame is the new face";
  // Leaving fades back.
  B->Perform(CM_MOUSELEAVE);
  TickToEnd(B);
  EXPECT_EQ(Rec.Frames.back(), MeadowFace);
}

TEST_F(ButtonTest, PressAndReleaseFadeInTwoStepsToThePressedAndBackToTheHotFace) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Uložit");
  int Clicks = 0;
  B->OnClick = [&](TComponent*) { ++Clicks; };
  ShowForm();
  HWND W = B->Handle();
  TFrameRecorder Rec(B);
  SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 15));
  ASSERT_NE(B->FadeTimer(), nullptr) << "the press fades";
  TickToEnd(B);
  ASSERT_EQ(Rec.Frames.size(), 2u);
  EXPECT_EQ(Hex(Rec.Frames[0]), Hex(Blended(MeadowFace, PressedFace, 127)));
  EXPECT_EQ(Hex(Rec.Frames[1]), Hex(PressedFace)) << "the pressed face is shown";
  EXPECT_EQ(ScreenPixel(W, 8, 0), PressedBorder);
  SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(70, 15));
  EXPECT_EQ(Clicks, 1);
  TickToEnd(B);
  ASSERT_EQ(Rec.Frames.size(), 4u);
  EXPECT_EQ(Hex(Rec.Frames[3]), Hex(HotFace)) << "focused after the click";
  // BM_CLICK (down and up with lParam 0) clicks and fades the same way.
  SendMessageW(W, BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks, 2);
  TickToEnd(B);
  PumpFor(50);
  EXPECT_EQ(ScreenPixel(W, 8, 15), HotFace);
}

TEST_F(ButtonTest, AReleaseBeforeThePressFadeEndedShowsThePressedFaceFirst) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Uložit");
  ShowForm();
  HWND W = B->Handle();
  std::vector<int> PaintedStates;
  TWndHookToken T = B->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg == WM_PAINT) PaintedStates.push_back(B->CurrentState());
    Next(M);
  });
  SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 15));
  B->FadeTimer()->Timer(); // one of two steps
  PaintedStates.clear();
  DWORD Start = GetTickCount();
  SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(70, 15));
  EXPECT_GE(GetTickCount() - Start, 25u);
  ASSERT_FALSE(PaintedStates.empty());
  EXPECT_EQ(PaintedStates.front(), bstPressed);
  EXPECT_NE(B->FadeTimer(), nullptr) << "then the release fades";
  TickToEnd(B);
  B->RemoveWindowHook(T);
}

// A button section of plain colours: red, green when hot or pressed.
std::string PlainButtonSkin(int Iterations) {
  return "[BUTTON]\r\nSTATES=3\r\nFADINGENABLED=1\r\nFADINGITERATIONS=" +
         std::to_string(Iterations) + "\r\nCOLOR=255\r\nHOTCOLOR=65280\r\nFONTCOLOR=0\r\n";
}

TEST_F(ButtonTest, OneIterationPressStillShowsItsNewFace) {
  UseSkin(PlainButtonSkin(1));
  TsButton* B = NewButton(Form, Bounds(10, 10, 100, 30), L"");
  ShowForm();
  HWND W = B->Handle();
  EXPECT_EQ(ScreenPixel(W, 5, 5), RGB(255, 0, 0));
  TFrameRecorder Rec(B);
  SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_NE(B->FadeTimer(), nullptr);
  EXPECT_EQ(B->FadeTimer()->Iterations, 1) << "1 div 2 is no step";
  EXPECT_EQ(TickToEnd(B), 2);
  ASSERT_EQ(Rec.Frames.size(), 1u);
  EXPECT_EQ(Rec.Frames[0], RGB(0, 255, 0));
  EXPECT_EQ(ScreenPixel(W, 5, 5), RGB(0, 255, 0));
  SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  TickToEnd(B);
}

TEST_F(ButtonTest, NoIterationsMeanNoFadeAndAnImmediateRepaint) {
  UseSkin(PlainButtonSkin(0));
  TsButton* B = NewButton(Form, Bounds(10, 10, 100, 30), L"");
  ShowForm();
  B->Perform(CM_MOUSEENTER);
  EXPECT_EQ(B->FadeTimer(), nullptr);
  EXPECT_EQ(ScreenPixel(B->Handle(), 5, 5), RGB(0, 255, 0)) << "repainted at once";
  B->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(ScreenPixel(B->Handle(), 5, 5), RGB(255, 0, 0));
}

TEST_F(ButtonTest, ResizingOrDisablingDuringAFadeEndsItAndRepaints) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Uložit");
  ShowForm();
  B->Perform(CM_MOUSEENTER);
  B->FadeTimer()->Timer();
  B->SetBounds(5, 21, 180, 40);
  EXPECT_EQ(B->FadeTimer(), nullptr);
  PumpFor(100);
  EXPECT_EQ(ScreenPixel(B->Handle(), 179, 20), ScreenPixel(B->Handle(), 0, 20)) << "the new edge";
  EXPECT_EQ(ScreenPixel(B->Handle(), 144, 20), ScreenPixel(B->Handle(), 100, 20))
      << "old edge gone";
  B->Perform(CM_MOUSELEAVE);
  ASSERT_NE(B->FadeTimer(), nullptr);
  B->FadeTimer()->Timer();
  B->SetEnabled(false);
  EXPECT_EQ(B->FadeTimer(), nullptr);
  PumpFor(100);
  EXPECT_NE(ScreenPixel(B->Handle(), 8, 15), MeadowFace) << "the disabled look";
}

TEST_F(ButtonTest, PaintsDuringAFadeEndThemselvesAndEndingAllFadesFreesThem) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  TsButton* A = NewButton(P, Bounds(5, 5, 145, 30), L"A");
  TsButton* B = NewButton(P, Bounds(5, 50, 145, 30), L"B");
  ShowForm();
  int Paints = 0;
  TWndHookToken T = A->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    Paints += M.Msg == WM_PAINT;
    Next(M);
  });
  A->Perform(CM_MOUSEENTER);
  B->Perform(CM_MOUSEENTER);
  ASSERT_NE(A->FadeTimer(), nullptr);
  InvalidateRect(A->Handle(), nullptr, FALSE);
  // A paint that draws nothing while the fade runs still ends itself; otherwise the window
  // would be painted again and again.
  for (int i = 0; i < 20; ++i) {
    MSG Msg;
    while (PeekMessageW(&Msg, A->Handle(), WM_PAINT, WM_PAINT, PM_REMOVE))
      DispatchMessageW(&Msg);
  }
  EXPECT_LE(Paints, 2);
  const int Before = RunningFades();
  ASSERT_TRUE(EndAllFades);
  EndAllFades();
  EXPECT_EQ(A->FadeTimer(), nullptr);
  EXPECT_EQ(B->FadeTimer(), nullptr);
  EXPECT_EQ(RunningFades(), Before - 2);
  A->RemoveWindowHook(T);
}

TEST_F(ButtonTest, CaptionChangeRepaintsTheFaceOverWhatTheNativeButtonFilled) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Jedna");
  ShowForm();
  SetWindowTextW(B->Handle(), L"Načíst textový soubor");
  PumpFor(50);
  const COLORREF Grey = GetSysColor(COLOR_BTNFACE);
  int Foreign = 0;
  for (int y = 2; y < 28; ++y)
    for (int x = 2; x < 143; ++x)
      Foreign += ScreenPixel(B->Handle(), x, y) == Grey;
  EXPECT_EQ(Foreign, 0) << "no pixel of the system's button colour";
  EXPECT_GT(InkPixels(B->Handle(), 145, 30), 150);
  EXPECT_EQ(B->Caption(), L"Načíst textový soubor");
}

TEST_F(ButtonTest, FocusMarkIsADottedFrameAroundTheCaption) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Vyhledat");
  ShowForm();
  B->SetFocus();
  PumpFor(100);
  TRect R = B->CaptionRect();
  R.Inflate(B->FocusMargin, B->FocusMargin);
  HWND W = B->Handle();
  const COLORREF Face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(ScreenPixel(W, R.Left, R.Top), RGB(0, 0, 0));
  EXPECT_EQ(ScreenPixel(W, R.Left + 3, R.Top), RGB(0, 0, 0));
  EXPECT_EQ(ScreenPixel(W, R.Left + 2, R.Top), Face);
  EXPECT_NE(ScreenPixel(W, R.Left + 1, R.Top), RGB(0, 0, 0));
  EXPECT_NE(ScreenPixel(W, R.Left + 1, R.Top), Face);
  EXPECT_EQ(ScreenPixel(W, R.Left, R.Bottom - 1), RGB(0, 0, 0));
  EXPECT_EQ(ScreenPixel(W, R.Right - 1, R.Top + 3), RGB(0, 0, 0));
  // Without a caption there is no mark.
  B->SetCaption(L"");
  PumpFor(50);
  int Black = 0;
  for (int x = 0; x < 145; ++x)
    for (int y = 0; y < 30; ++y)
      Black += ScreenPixel(W, x, y) == RGB(0, 0, 0);
  EXPECT_EQ(Black, 0);
}

TEST_F(ButtonTest, DefaultButtonLooksHotOnTheThreeStateSectionAndStaysOwnerDrawn) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  TsButton* Other = NewButton(P, Bounds(200, 21, 145, 30), L"Jiné");
  TsButton* B = NewButton(P, Bounds(5, 21, 145, 30), L"Vyhledat");
  ShowForm();
  Other->SetFocus();
  B->SetDefault(true);
  PumpFor(50);
  EXPECT_EQ(GetWindowLongW(B->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(B->CurrentState(), bstDefault);
  EXPECT_EQ(ScreenPixel(B->Handle(), 8, 0), HotBorder);
  EXPECT_EQ(ScreenPixel(B->Handle(), 8, 15), HotFace);
}

TEST_F(ButtonTest, DisabledFaceMixesHalfWithTheColourItsPlainParentOffers) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Uložit");
  ShowForm();
  B->SetEnabled(false);
  PumpFor(50);
  // The program's panel has a plain face: it answers the background query with its colour.
  auto Half = [](COLORREF Face, COLORREF Parent) {
    auto C = [](int F, int P) { return int(RoundHalfEven(0.5 * F + 0.5 * P)); };
    return RGB(C(GetRValue(Face), GetRValue(Parent)), C(GetGValue(Face), GetGValue(Parent)),
               C(GetBValue(Face), GetBValue(Parent)));
  };
  EXPECT_EQ(Hex(ScreenPixel(B->Handle(), 8, 15)), Hex(Half(MeadowFace, Ground)));
  EXPECT_EQ(Hex(ScreenPixel(B->Handle(), 8, 0)), Hex(Half(MeadowBorder, Ground)));
  EXPECT_EQ(InkPixels(B->Handle(), 145, 30), 0) << "the caption is mixed too";
  EXPECT_GT(InkPixels(B->Handle(), 145, 30, Half(Ink, Ground)), 40);
  B->SetDisabledKind(dkBlended | dkGrayed);
  PumpFor(50);
  COLORREF G = ScreenPixel(B->Handle(), 8, 15);
  EXPECT_NEAR(GetRValue(G), GetGValue(G), 8) << "grayed, then mixed";
}

// A parent whose face is an image (a gradient): the disabled face keeps 40 % of itself.
const char* GradientPanelSkin = "[PANEL]\r\nSTATES=1\r\nCOLOR=8421504\r\nGRADIENTPERCENT=100\r\n"
                                "GRADIENTDATA=16711680;255;100;0;0\r\n"
                                "[BUTTON]\r\nSTATES=3\r\nCOLOR=65280\r\nHOTCOLOR=65280\r\n";

TEST_F(ButtonTest, DisabledFaceKeepsFortyPercentOverAParentImage) {
  UseSkin(GradientPanelSkin);
  TsPanel* P = NewPanel();
  TsButton* B = NewButton(P, Bounds(20, 30, 100, 30), L"");
  ShowForm();
  std::vector<COLORREF> Under;
  B->SetVisible(false);
  PumpFor(50);
  for (int y : {2, 15, 27})
    Under.push_back(ScreenPixel(P->Handle(), 20 + 50, 30 + y));
  B->SetVisible(true);
  B->SetEnabled(false);
  PumpFor(50);
  auto C = [](int F, int Pp) { return int(RoundHalfEven(Pp - (Pp - F) * 0.4)); };
  int i = 0;
  for (int y : {2, 15, 27}) {
    COLORREF U = Under[size_t(i++)];
    COLORREF Want = RGB(C(0, GetRValue(U)), C(255, GetGValue(U)), C(0, GetBValue(U)));
    EXPECT_EQ(Hex(ScreenPixel(B->Handle(), 50, y)), Hex(Want)) << y;
  }
}

TEST_F(ButtonTest, CornerTypeTwoCutsTheWindowRegionUntilTheSkinIsDropped) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 5, 200, 80), L"Velké");
  B->SkinData().SetSkinSection("BUTTON_HUGE");
  ShowForm();
  ASSERT_EQ(B->SkinData().BorderMask()->CornerType, 2);
  TRegion Rgn(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(B->Handle(), Rgn), ERROR);
  EXPECT_FALSE(PtInRegion(Rgn, 0, 0)) << "the corner is cut";
  EXPECT_TRUE(PtInRegion(Rgn, 100, 40));
  Manager->SetActive(false);
  PumpFor(50);
  EXPECT_EQ(GetWindowRgn(B->Handle(), Rgn), ERROR) << "no region without the skin";
}

TEST_F(ButtonTest, AThousandHoverAndPressCyclesGiveBackEveryGdiObject) {
  UseMeadowStyle();
  TsButton* B = NewButton(NewPanel(), Bounds(5, 21, 145, 30), L"Načíst textový soubor");
  ShowForm();
  HWND W = B->Handle();
  auto Cycle = [&] {
    B->Perform(CM_MOUSEENTER);
    TickToEnd(B);
    SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(70, 15));
    TickToEnd(B);
    SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(70, 15));
    TickToEnd(B);
    B->Perform(CM_MOUSELEAVE);
    TickToEnd(B);
  };
  Cycle();
  PumpFor(20);
  const int64_t Before = LiveGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    Cycle();
    if (i % 100 == 0) PumpFor(5);
  }
  PumpFor(20);
  EXPECT_EQ(LiveGdiObjects(), Before);
}

TEST_F(ButtonTest, WithoutASkinTheButtonPaintsTheClassicWay) {
  TsButton* B = NewButton(Form, Bounds(10, 10, 100, 30), L"Plain");
  ShowForm();
  EXPECT_EQ(ScreenPixel(B->Handle(), 50, 3), GetSysColor(COLOR_BTNFACE));
  int Clicks = 0;
  B->OnClick = [&](TComponent*) { ++Clicks; };
  SendMessageW(B->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks, 1);
}

} // namespace
