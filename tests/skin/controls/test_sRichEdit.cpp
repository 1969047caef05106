#include "skin/controls/sRichEdit.h"

#include <richedit.h>

#include "skin/controls/sVclUtils.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

// The main window's editor: at (3,79), 769 x 482 in the client, both bars.
class RichEditTest : public SkinnedFormTest {
protected:
  TsRichEdit* NewEditor() {
    auto* E = new TsRichEdit(Form);
    E->SetName(L"Memo1");
    E->SetParent(Form);
    E->SetBounds(3, 79, 769, 482);
    E->ScrollBars = ssBoth;
    E->Font().SetName(L"Tahoma");
    E->Font().SetHeight(-11);
    E->SetColor(clWhite);
    E->Font().SetColor(clBlack);
    E->SetTabStop(true);
    E->SkinData().SetSkinSection("EDIT");
    return E;
  }
  // A text taller and wider than the editor.
  static std::wstring LongText(int Lines) {
    std::wstring T;
    for (int i = 0; i < Lines; ++i)
      T += L"řádek " + std::to_wstring(i) + L" kód xyzvh, je nesmysl na entou " +
           std::wstring(size_t(i % 7 == 0 ? 160 : 10), L'x') + L"\r\n";
    return T;
  }
  void ShowEditor(int Lines = 400) {
    // The mouse away: the editor under it would look hot.
    MouseTo(1000, 700);
    UseMeadowStyle();
    Form->SetClientSize(775, 623);
    Ed = NewEditor();
    ShowForm();
    Ed->SetText(LongText(Lines));
    PumpFor(100);
  }
  HWND W() { return Ed->Handle(); }
  static COLORREF WindowPixel(HWND Wnd, int X, int Y) {
    TWindowDC DC(Wnd);
    return GetPixel(DC, X, Y);
  }
  // How many pixels of the picture (drawn by GDI, alpha ignored) have the colour.
  static int CountColour(TBitmap32& Picture, COLORREF C) {
    GdiFlush();
    int N = 0;
    for (int y = 0; y < Picture.Height(); ++y)
      for (int x = 0; x < Picture.Width(); ++x)
        N += (Picture.Pixel(x, y) & 0xFFFFFF) == ColorToPixel(TColor(C));
    return N;
  }
  static std::string Hex(COLORREF C) {
    char B[16];
    snprintf(B, sizeof B, "#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
    return B;
  }
  // Screen point of a window point.
  TPoint At(int X, int Y) {
    RECT R;
    GetWindowRect(W(), &R);
    return {R.left + X, R.top + Y};
  }
  SCROLLINFO Info(int Bar) {
    SCROLLINFO Si{};
    Si.cbSize = sizeof(Si);
    Si.fMask = SIF_ALL;
    GetScrollInfo(W(), Bar, &Si);
    return Si;
  }
  // Where the thumb of the vertical bar is drawn (window coordinates): the first and the last
  // row of the thumb colour on the bar's centre column.
  std::pair<int, int> ThumbRows(COLORREF Thumb) {
    int First = -1, Last = -1;
    for (int y = 2; y < 464; ++y)
      if (WindowPixel(W(), 754, y) == Thumb) {
        if (First < 0) First = y;
        Last = y;
      }
    return {First, Last};
  }
  TsRichEdit* Ed = nullptr;
};

constexpr COLORREF Outline = RGB(0x9D, 0xBF, 0x86), Focused = RGB(0x5E, 0x9E, 0x3A);
constexpr COLORREF Face = RGB(0xEE, 0xF3, 0xE6), FaceHot = RGB(0xDC, 0xEB, 0xCF);
constexpr COLORREF Thumb = RGB(0xB9, 0xD3, 0xA3), ThumbHot = RGB(0xA3, 0xC7, 0x8A);
constexpr COLORREF TrackAfter = RGB(0xE3, 0xEB, 0xD8);

TEST_F(RichEditTest, FrameBarsAndColoursComeFromTheSkin) {
  ShowEditor();
  ASSERT_NE(Ed->Adapter(), nullptr);
  EXPECT_EQ(TkvMainWnd::Of(W()), Ed->Adapter());
  EXPECT_EQ(SendMessageW(W(), EM_GETLIMITTEXT, 0, 0), RichEditTextLimit);
  // Bars where the system would put them (inside the 2-pixel edge, the system's widths),
  // answering the scroll codes.
  TScrollLayout L = Ed->Adapter()->ScrollLayout();
  RECT R;
  GetWindowRect(W(), &R);
  ASSERT_TRUE(L.VVisible && L.HVisible);
  const int Sx = GetSystemMetrics(SM_CXVSCROLL), Sy = GetSystemMetrics(SM_CYHSCROLL);
  EXPECT_EQ(L.VBar, (TRect{R.left + 767 - Sx, R.top + 2, R.left + 767, R.top + 480 - Sy}));
  EXPECT_EQ(L.HBar, (TRect{R.left + 2, R.top + 480 - Sy, R.left + 767 - Sx, R.top + 480}));
  TPoint V = At(759, 300), H = At(400, 472);
  EXPECT_EQ(SendMessageW(W(), WM_NCHITTEST, 0, MAKELPARAM(V.X, V.Y)), HTVSCROLL);
  EXPECT_EQ(SendMessageW(W(), WM_NCHITTEST, 0, MAKELPARAM(H.X, H.Y)), HTHSCROLL);
  // Neither focused nor under the mouse: the normal frame and ground.
  ASSERT_NE(GetFocus(), W());
  EXPECT_EQ(Hex(WindowPixel(W(), 300, 0)), Hex(Outline));
  EXPECT_EQ(ColorToRGB(Ed->Color()), RGB(0xFF, 0xFF, 0xFF));
  // Arrows, thumb and track in the skin's colours.
  EXPECT_EQ(Hex(WindowPixel(W(), 753, 4)), Hex(Face)) << "up arrow";
  auto [Top, Bottom] = ThumbRows(Thumb);
  EXPECT_GT(Top, 18) << "the thumb below the arrow";
  EXPECT_LT(Bottom, 200);
  EXPECT_EQ(Hex(WindowPixel(W(), 759, 400)), Hex(TrackAfter)) << "track below the thumb";
  // The corner between the bars is the editor's own face, not the system's grey.
  COLORREF Corner = WindowPixel(W(), 759, 472);
  EXPECT_NE(Hex(Corner), Hex(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(Ed->Font().Color()), RGB(0x1F, 0x2A, 0x18));
  // Under the mouse: green frame, active ground.
  SetForegroundWindow(Form->Handle());
  TPoint Inside = At(300, 200);
  MouseTo(Inside.X, Inside.Y);
  PumpFor(150);
  EXPECT_EQ(Hex(WindowPixel(W(), 300, 0)), Hex(Focused)) << "hover";
  EXPECT_EQ(ColorToRGB(Ed->Color()), RGB(0xFD, 0xFF, 0xF9));
  TPoint Above = At(300, -40);
  MouseTo(Above.X, Above.Y);
  PumpFor(150);
  EXPECT_EQ(Hex(WindowPixel(W(), 300, 0)), Hex(Outline)) << "left";
  // Focused again: the frame turns green and the bars stay.
  Ed->SetFocus();
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W(), 300, 0)), Hex(Focused));
  EXPECT_EQ(Hex(WindowPixel(W(), 753, 4)), Hex(Face)) << "the bars stay";
}

TEST_F(RichEditTest, BarsAreHotUnderTheMouseAndTheArrowRepeatsWhileHeld) {
  ShowEditor();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  const int ArrowY = 480 - GetSystemMetrics(SM_CYHSCROLL) - 4;
  TPoint Down = At(753, ArrowY);
  MouseTo(Down.X, Down.Y);
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W(), 753, ArrowY)), Hex(FaceHot)) << "hot down arrow";
  auto [Top, Bottom] = ThumbRows(Thumb);
  ASSERT_GT(Top, 0);
  TPoint OnThumb = At(754, Top + 3);
  MouseTo(OnThumb.X, OnThumb.Y);
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W(), 754, Top + 3)), Hex(ThumbHot));
  EXPECT_EQ(Hex(WindowPixel(W(), 753, ArrowY)), Hex(Face)) << "the arrow is normal again";

  // One step at the press, none for 300 ms, then every 55 ms.
  MouseTo(Down.X, Down.Y);
  PumpFor(60);
  int Start = Info(SB_VERT).nPos;
  MouseButton(true);
  PumpFor(150);
  int AfterPress = Info(SB_VERT).nPos;
  EXPECT_GT(AfterPress, Start);
  PumpFor(600);
  int Held = Info(SB_VERT).nPos;
  EXPECT_GT(Held, AfterPress) << "repeating";
  MouseButton(false);
  PumpFor(100);
  int Released = Info(SB_VERT).nPos;
  PumpFor(300);
  EXPECT_EQ(Info(SB_VERT).nPos, Released) << "stops at the release";
  EXPECT_EQ(GetCapture(), nullptr);
  MouseTo(Down.X - 300, Down.Y - 200);
  PumpFor(100);
}

TEST_F(RichEditTest, DraggingTheThumbReachesBothEnds) {
  ShowEditor(2000);
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto [Top, Bottom] = ThumbRows(Thumb);
  ASSERT_GT(Top, 0);
  TPoint Grab = At(754, Top + 3);
  MouseTo(Grab.X, Grab.Y);
  PumpFor(60);
  MouseButton(true);
  PumpFor(60);
  // Past the end of the bar, but not so far that the thumb snaps back.
  for (int y = Grab.Y; y <= At(0, 490).Y; y += 40) {
    MouseTo(Grab.X, y);
    PumpFor(30);
  }
  MouseTo(Grab.X, At(0, 490).Y);
  PumpFor(100);
  // The end: where the editor's own "bottom" request puts it.
  int Dragged = Info(SB_VERT).nPos;
  EXPECT_GT(Dragged, 20000);
  MouseTo(Grab.X, At(0, -20).Y);
  PumpFor(150);
  MouseButton(false);
  PumpFor(150);
  EXPECT_EQ(Info(SB_VERT).nPos, 0) << "back to the start";
  SendMessageW(W(), WM_VSCROLL, SB_BOTTOM, 0);
  PumpFor(50);
  EXPECT_EQ(Info(SB_VERT).nPos, Dragged);
  SendMessageW(W(), WM_VSCROLL, SB_TOP, 0);
  PumpFor(50);
  EXPECT_EQ(GetCapture(), nullptr);
  auto [Top3, Bottom3] = ThumbRows(Thumb);
  EXPECT_EQ(Top3, Top) << "the thumb is drawn where it was";
  (void)Bottom3;
  MouseTo(Grab.X - 300, Grab.Y);
  PumpFor(50);
}

TEST_F(RichEditTest, ALostCaptureEndsTheRepeat) {
  ShowEditor();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  TPoint Down = At(753, 480 - GetSystemMetrics(SM_CYHSCROLL) - 4);
  MouseTo(Down.X, Down.Y);
  PumpFor(60);
  MouseButton(true);
  PumpFor(100);
  // Another window takes the mouse while the arrow is held.
  ReleaseCapture();
  PumpFor(100);
  int Pos = Info(SB_VERT).nPos;
  PumpFor(500);
  EXPECT_EQ(Info(SB_VERT).nPos, Pos);
  MouseButton(false);
  PumpFor(50);
  MouseTo(Down.X - 300, Down.Y - 200);
  PumpFor(50);
}

TEST_F(RichEditTest, DisabledTextIsHalfwayBetweenInkAndGround) {
  ShowEditor();
  constexpr COLORREF Ink = RGB(0x1F, 0x2A, 0x18), Halfway = RGB(143, 149, 140);
  // How many pixels of the editor's client area on the screen have the colour.
  auto OnScreen = [this](COLORREF C) {
    RECT R;
    GetClientRect(W(), &R);
    TBitmap32 Shot(R.right, R.bottom);
    TClientDC DC(W());
    BitBlt(static_cast<HDC>(Shot.NativeDC()), 0, 0, R.right, R.bottom, DC, 0, 0, SRCCOPY);
    return CountColour(Shot, C);
  };
  // How many pixels of a picture of the whole editor (as a form's animation takes) have it.
  auto Printed = [this](COLORREF C) {
    RECT R;
    GetWindowRect(W(), &R);
    TBitmap32 Picture(R.right - R.left, R.bottom - R.top);
    SendMessageW(W(), WM_PRINT, WPARAM(Picture.NativeDC()), PRF_NONCLIENT | PRF_CLIENT);
    return CountColour(Picture, C);
  };
  auto ControlInk = [this] {
    CHARFORMAT2W F{};
    F.cbSize = sizeof(F);
    SendMessageW(W(), EM_GETCHARFORMAT, SCF_DEFAULT, LPARAM(&F));
    return F.crTextColor;
  };
  EXPECT_EQ(SendMessageW(W(), EM_GETTEXTMODE, 0, 0) & (TM_PLAINTEXT | TM_RICHTEXT), TM_PLAINTEXT);
  ASSERT_GT(OnScreen(Ink), 100);
  EXPECT_EQ(OnScreen(Halfway), 0);
  EXPECT_EQ(Printed(Ink), OnScreen(Ink));
  EXPECT_GT(Printed(RGB(0xFF, 0xFF, 0xFF)), 100000) << "the printed ground";
  Ed->SetEnabled(false);
  PumpFor(100);
  EXPECT_EQ(ColorToRGB(Ed->Font().Color()), Halfway);
  EXPECT_EQ(ColorToRGB(Ed->Color()), RGB(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(Hex(WindowPixel(W(), 753, 4)), Hex(Face)) << "the bars stay skinned";
  // The text on the screen is drawn halfway, while the control keeps its ink: a new text
  // colour would make it format the whole text again.
  EXPECT_GT(OnScreen(Halfway), 100);
  EXPECT_EQ(OnScreen(Ink), 0);
  EXPECT_EQ(Hex(ControlInk()), Hex(Ink));
  // Scrolled while disabled, the newly shown lines are halfway too.
  SendMessageW(W(), WM_VSCROLL, SB_PAGEDOWN, 0);
  PumpFor(100);
  EXPECT_GT(OnScreen(Halfway), 100);
  EXPECT_EQ(OnScreen(Ink), 0);
  EXPECT_EQ(Printed(Halfway), OnScreen(Halfway));
  EXPECT_EQ(Printed(Ink), 0);
  Ed->SetEnabled(true);
  PumpFor(100);
  EXPECT_EQ(ColorToRGB(Ed->Font().Color()), Ink);
  EXPECT_GT(OnScreen(Ink), 100);
  EXPECT_EQ(OnScreen(Halfway), 0);
}

TEST_F(RichEditTest, DroppingTheSkinKeepsTextModifiedFlagSelectionAndScrollPosition) {
  ShowEditor();
  std::wstring Text = Ed->Text();
  SendMessageW(W(), EM_SETMODIFY, TRUE, 0);
  CHARRANGE Sel{120, 180};
  SendMessageW(W(), EM_EXSETSEL, 0, LPARAM(&Sel));
  POINT Scroll{0, 600};
  SendMessageW(W(), EM_SETSCROLLPOS, 0, LPARAM(&Scroll));
  PumpFor(50);
  POINT Before{};
  SendMessageW(W(), EM_GETSCROLLPOS, 0, LPARAM(&Before));
  Manager->SetActive(false);
  PumpFor(100);
  EXPECT_EQ(Ed->Adapter(), nullptr);
  EXPECT_EQ(TkvMainWnd::Of(W()), nullptr);
  EXPECT_EQ(Ed->Text(), Text);
  EXPECT_TRUE(SendMessageW(W(), EM_GETMODIFY, 0, 0));
  CHARRANGE Now{};
  SendMessageW(W(), EM_EXGETSEL, 0, LPARAM(&Now));
  EXPECT_EQ(Now.cpMin, 120);
  EXPECT_EQ(Now.cpMax, 180);
  POINT After{};
  SendMessageW(W(), EM_GETSCROLLPOS, 0, LPARAM(&After));
  EXPECT_EQ(After.y, Before.y);
  EXPECT_EQ(ColorToRGB(Ed->Color()), RGB(0xFF, 0xFF, 0xFF)) << "the design's colours";
  EXPECT_EQ(ColorToRGB(Ed->Font().Color()), RGB(0, 0, 0));
  EXPECT_EQ(SendMessageW(W(), EM_GETLIMITTEXT, 0, 0), RichEditTextLimit);
  // And back.
  Manager->SetActive(true);
  PumpFor(150);
  ASSERT_NE(Ed->Adapter(), nullptr);
  EXPECT_EQ(Hex(WindowPixel(W(), 753, 4)), Hex(Face));
}

TEST_F(RichEditTest, TheAdapterGivesTheWindowBackOnlyWhenItsProcedureIsTheInstalledOne) {
  ShowEditor(20);
  HWND Wnd = W();
  WNDPROC Adapter = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
  // Someone subclasses over the adapter.
  static WNDPROC Below = nullptr;
  static int Seen = 0;
  Below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND H, UINT M, WPARAM Wp, LPARAM Lp) {
        if (M == WM_USER + 77) ++Seen;
        return CallWindowProcW(Below, H, M, Wp, Lp);
      })));
  ASSERT_EQ(Below, Adapter);
  Ed->Adapter()->Destroy();
  EXPECT_NE(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)), Adapter);
  SendMessageW(Wnd, WM_USER + 77, 0, 0);
  EXPECT_EQ(Seen, 1);
  // The window still works as an editor.
  Ed->SetText(L"nový text");
  EXPECT_EQ(Ed->Text(), L"nový text");
  SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Below));
}

// A text of many lines replaced (a file loaded over a long text) goes with its window: the new
// one is skinned as the old one was, and replacing again and again gives back every GDI object.
TEST_F(RichEditTest, ReplacingALongTextKeepsTheSkinAndGivesBackItsGdiObjects) {
  ShowEditor(1500);
  ASSERT_NE(Ed->Adapter(), nullptr);
  const COLORREF Frame = WindowPixel(W(), 0, 200);
  const COLORREF BarFace = WindowPixel(W(), 753, 4);
  ASSERT_EQ(Hex(BarFace), Hex(Face));
  int64_t Before = LiveGdiObjects();
  for (int i = 0; i < 4; ++i) {
    HWND Old = W();
    Ed->SetText(LongText(1200 + i));
    PumpFor(50);
    ASSERT_NE(W(), Old);
    ASSERT_NE(Ed->Adapter(), nullptr);
    EXPECT_EQ(Ed->Adapter()->CtrlHandle, W());
  }
  EXPECT_EQ(Ed->Text(), LongText(1203));
  EXPECT_EQ(Hex(WindowPixel(W(), 0, 200)), Hex(Frame));
  EXPECT_EQ(Hex(WindowPixel(W(), 753, 4)), Hex(BarFace));
  EXPECT_EQ(LiveGdiObjects(), Before);
}

TEST_F(RichEditTest, AFiveMegabyteTextLoadsAndScrollsAndScrollingGivesBackItsGdiObjects) {
  // Loaded into the empty editor, as the program loads a file.
  ShowEditor(0);
  std::wstring Big;
  Big.reserve(5'300'000);
  while (Big.size() < 5'000'000)
    Big += L"Řádek dlouhého textu, který se musí posouvat bez chyby. 0123456789\r\n";
  Ed->SetText(Big);
  PumpFor(100);
  EXPECT_EQ(Ed->Text().size(), Big.size());
  SCROLLINFO Si = Info(SB_VERT);
  EXPECT_GT(Si.nMax, 10000);
  // Scrolled to the end through the skinned bar, as the thumb does.
  Ed->Adapter()->SendScroll(WM_VSCROLL, SB_THUMBTRACK, Si.nMax - int(Si.nPage) + 1);
  Ed->Adapter()->SendScroll(WM_VSCROLL, SB_THUMBPOSITION, Si.nMax - int(Si.nPage) + 1);
  PumpFor(50);
  EXPECT_GT(Info(SB_VERT).nPos, Si.nMax / 2);

  auto Scroll = [&](int Times) {
    for (int i = 0; i < Times; ++i) {
      SendMessageW(W(), WM_VSCROLL, i % 2 ? SB_LINEDOWN : SB_LINEUP, 0);
      if (i % 50 == 0) PumpFor(1);
    }
    PumpFor(50);
  };
  Scroll(10);
  int64_t Before = LiveGdiObjects();
  Scroll(1000);
  EXPECT_EQ(LiveGdiObjects(), Before);
}

} // namespace
