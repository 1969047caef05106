#include "skin/forms/kvBorderForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/GdiObjects.h"
#include "skin/forms/kvBorderGeometry.h"
#include "skin/images/kvShadows.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

constexpr uint32_t Pix(int B, int G, int R, int A) {
  return uint32_t(B) | (uint32_t(G) << 8) | (uint32_t(R) << 16) | (uint32_t(A) << 24);
}
constexpr uint32_t FramePixel = Pix(0x25, 0x7D, 0x3F, 255);
constexpr uint32_t ClientPixel = Pix(0xEC, 0xF7, 0xF4, 255);
constexpr uint32_t ShadowPixel = Pix(0, 0, 0, 128);

// A form that serves the auxiliary windows as a skinned window would: its image is the window
// with an extended frame and a shadow, painted in known pixels (shadow, frame, client).
class TBorderOwnerForm : public TTestForm, public TkvBorderOwner {
public:
  explicit TBorderOwnerForm(TComponent* AOwner) : TTestForm(AOwner), Data(this, true) {}

  HWND OwnerHandle() const override {
    return HandleAllocated() ? const_cast<TBorderOwnerForm*>(this)->Handle() : nullptr;
  }
  TsCommonData& OwnerSkinData() override { return Data; }
  void PaintAll() override {
    ++Paints;
    if (DuringPaint) DuringPaint();
    RECT W{};
    GetWindowRect(OwnerHandle(), &W);
    int Width = W.right - W.left + Shadow.Left + Shadow.Right + 2 * (ExBorder - SysFrame());
    int Height = W.bottom - W.top + Shadow.Top + Shadow.Bottom + (Caption - SysFrame() - 19) +
                 (ExBorder - SysFrame());
    TBitmap32& Img = *Data.CacheBmp();
    Img.SetSize(Width, Height);
    Img.Fill(ShadowPixel);
    for (int Y = Shadow.Top; Y < Height - Shadow.Bottom; ++Y)
      for (int X = Shadow.Left; X < Width - Shadow.Right; ++X)
        Img.Pixel(X, Y) = FramePixel;
    TRect C = ClientInImage();
    for (int Y = C.Top; Y < C.Bottom; ++Y)
      for (int X = C.Left; X < C.Right; ++X)
        Img.Pixel(X, Y) = ClientPixel;
  }
  int OffsetX() const override { return ExBorder + Shadow.Left; }
  int OffsetY() const override { return Caption + Shadow.Top; }
  TRect ShadowSize() const override { return Shadow; }
  int CaptionHeight() const override { return Caption; }
  int MenuHeight() const override { return Menu; }
  int SysFrame() const override { return 4; }
  TRect IconRect() const override { return {}; }
  int HitTestImage(TPoint P) override {
    const TBitmap32& Img = *Data.CacheBmp();
    TRect C = ClientInImage();
    if (C.Contains(P.X, P.Y)) return HTCLIENT;
    bool L = P.X < C.Left, R = P.X >= C.Right, B = P.Y >= C.Bottom;
    bool T = P.Y < Shadow.Top + ExBorder;
    (void)Img;
    if (T) return L ? HTTOPLEFT : R ? HTTOPRIGHT : HTTOP;
    if (B) return L ? HTBOTTOMLEFT : R ? HTBOTTOMRIGHT : HTBOTTOM;
    if (L) return HTLEFT;
    if (R) return HTRIGHT;
    return HTCAPTION;
  }
  void SetHotHT(int Code, bool) override { HotHT = Code; }
  unsigned& FormState() override { return State; }
  bool DrawsFrame() const override { return Draws; }
  bool PaintingSuspended() const override { return false; }
  void KillAnimations() override {}
  TSize MinSize() const override { return Min; }
  int HeaderHeight() const override { return 23; }
  uint8_t AlphaBlendValue() const override { return 255; }

  TRect ClientInImage() {
    RECT C{};
    GetClientRect(OwnerHandle(), &C);
    return Bounds(OffsetX(), OffsetY(), C.right, C.bottom);
  }
  void WndProc(TMessage& M) override {
    if (M.Msg >= WM_NCMOUSEMOVE && M.Msg <= WM_NCMBUTTONDBLCLK) Forwarded.push_back(M);
    if (M.Msg == WM_MOVE) ++Moves;
    TTestForm::WndProc(M);
  }

  TsCommonData Data;
  TRect Shadow{9, 9, 9, 9};
  int ExBorder = 4; // the skin's default border width
  int Caption = 30; // the skin's default title height
  int Menu = 0;
  unsigned State = 0;
  int HotHT = -1;
  bool Draws = true;
  TSize Min{};
  int Paints = 0;
  int Moves = 0;
  std::vector<TMessage> Forwarded;
  std::function<void()> DuringPaint;
};

std::vector<HWND> ThreadWindowsOfClass(const wchar_t* Class) {
  struct TFind {
    const wchar_t* Class;
    std::vector<HWND> Found;
  } Find{Class, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND Wnd, LPARAM L) -> BOOL {
        auto* F = reinterpret_cast<TFind*>(L);
        if (WindowClassName(Wnd) == F->Class) F->Found.push_back(Wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Find));
  return Find.Found;
}

TRect WindowRectOf(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  return {R.left, R.top, R.right, R.bottom};
}

LPARAM ScreenLParam(int X, int Y) {
  return MAKELPARAM(short(X), short(Y));
}

class BorderFormTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    UseSkin("");
    Owner = new TBorderOwnerForm(Application);
    Owner->SetBounds(120, 80, 400, 300);
    Owner->Show();
    PumpFor(50);
    Owner->PaintAll(); // the owner's own image is there before the auxiliary windows come
    GdiBefore = LiveGdiObjects();
  }
  void TearDown() override {
    delete Owner; // null when a test freed it
    SkinnedFormTest::TearDown();
  }
  TRect Expected() const {
    return ExBorderPlacement(WindowRectOf(Owner->Handle()), Owner->Shadow, 4, 30, 4,
                             GetSystemMetrics(SM_CYCAPTION),
                             {Owner->Data.CacheBmp()->Width(), Owner->Data.CacheBmp()->Height()});
  }

  TBorderOwnerForm* Owner = nullptr;
  int64_t GdiBefore = 0;
};

TEST_F(BorderFormTest, LayeredToolWindowOwnedByTheFormAroundIt) {
  {
    TkvBorderForm Border(*Owner);
    EXPECT_EQ(Border.Handle(), nullptr);
    Border.UpdateExBordersPos();
    HWND B = Border.Handle();
    ASSERT_NE(B, nullptr);
    EXPECT_EQ(WindowClassName(B), L"TkvBorderForm");
    EXPECT_EQ(DWORD(GetWindowLongPtrW(B, GWL_EXSTYLE)), 0x08080080u);
    EXPECT_EQ(GetWindowLongPtrW(B, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME),
              LONG_PTR(WS_POPUP));
    EXPECT_EQ(GetWindow(B, GW_OWNER), Owner->Handle());
    EXPECT_TRUE(IsEngineAuxWindow(B));
    EXPECT_FALSE(IsEngineAuxWindow(Owner->Handle()));
    EXPECT_TRUE(IsWindowVisible(B));
    EXPECT_NE(GetForegroundWindow(), B);
    // The image's client lies on the owner's client.
    TRect R = WindowRectOf(B);
    EXPECT_EQ(R, Expected());
    POINT C{0, 0};
    ClientToScreen(Owner->Handle(), &C);
    EXPECT_EQ(R.Left + Owner->OffsetX(), C.x);
    EXPECT_EQ(R.Top + Owner->OffsetY(), C.y);
    // Directly next to the form in z-order.
    EXPECT_EQ(GetWindow(B, GW_HWNDNEXT), Owner->Handle());
    // The layered window got the owner's image, premultiplied.
    const TBitmap32& Shown = Border.ShownImage();
    ASSERT_TRUE(Shown.SameSize(*Owner->Data.CacheBmp()));
    EXPECT_EQ(Shown.Pixel(0, 0), Pix(0, 0, 0, 128));
    EXPECT_EQ(Shown.Pixel(10, 40), FramePixel);
    EXPECT_EQ(Shown.Pixel(Owner->OffsetX() + 5, Owner->OffsetY() + 5), ClientPixel);

    // The owner moves: so does the border window.
    Owner->SetBounds(150, 100, 400, 300);
    Border.UpdateExBordersPos();
    EXPECT_EQ(WindowRectOf(B), Expected());
  }
  // Freed with the object, and every GDI object given back.
  EXPECT_TRUE(ThreadWindowsOfClass(L"TkvBorderForm").empty());
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

TEST_F(BorderFormTest, RegionLeavesTheOwnersClientOut) {
  TkvBorderForm Border(*Owner);
  Border.UpdateExBordersPos();
  HWND B = Border.Handle();
  ASSERT_NE(B, nullptr);
  TRegion Rgn(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(B, Rgn), ERROR);
  TRect C = Owner->ClientInImage();
  TRect R = WindowRectOf(B);
  EXPECT_FALSE(PtInRegion(Rgn, C.Left, C.Top));
  EXPECT_FALSE(PtInRegion(Rgn, C.Right - 1, C.Bottom - 1));
  EXPECT_TRUE(PtInRegion(Rgn, C.Left - 1, C.Top + 10)); // left frame
  EXPECT_TRUE(PtInRegion(Rgn, C.Left + 10, C.Top - 1)); // title
  EXPECT_TRUE(PtInRegion(Rgn, C.Right, C.Bottom));      // bottom-right frame
  EXPECT_TRUE(PtInRegion(Rgn, 0, 0));                   // shadow
  EXPECT_TRUE(PtInRegion(Rgn, R.Width() - 1, R.Height() - 1));
  EXPECT_FALSE(PtInRegion(Rgn, R.Width(), 5));

  // While an animation holds the form the cut is left out.
  Owner->State = fsBlending;
  Border.UpdateRgn();
  ASSERT_NE(GetWindowRgn(B, Rgn), ERROR);
  EXPECT_TRUE(PtInRegion(Rgn, C.Left + 5, C.Top + 5));
  Owner->State = 0;

  // Resizing: the cut follows the new size, never below the minimum size.
  TRect Own = WindowRectOf(Owner->Handle());
  Owner->Min = {300, 250};
  Border.MakeRgn(Own.Width() + 20, 100);
  ASSERT_NE(GetWindowRgn(B, Rgn), ERROR);
  int CutBottom = C.Bottom + 250 - Own.Height();
  EXPECT_FALSE(PtInRegion(Rgn, C.Right + 19, C.Top + 5));
  EXPECT_TRUE(PtInRegion(Rgn, C.Right + 20, C.Top + 5));
  EXPECT_FALSE(PtInRegion(Rgn, C.Left + 5, CutBottom - 1));
  EXPECT_TRUE(PtInRegion(Rgn, C.Left + 5, CutBottom));
  Rgn.Reset();
  Border.FreeForm();
  EXPECT_EQ(Border.Handle(), nullptr);
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

TEST_F(BorderFormTest, ShadowLetsTheMouseThroughFrameForwardsIt) {
  TkvBorderForm Border(*Owner);
  Border.UpdateExBordersPos();
  HWND B = Border.Handle();
  ASSERT_NE(B, nullptr);
  TRect R = WindowRectOf(B);
  Owner->HotHT = 8;
  EXPECT_EQ(SendMessageW(B, WM_NCHITTEST, 0, ScreenLParam(R.Left + 3, R.Top + 100)), HTTRANSPARENT);
  EXPECT_EQ(Owner->HotHT, 0); // nothing stays hot over the shadow
  EXPECT_TRUE(Border.MouseAboveTheShadow({R.Left + 3, R.Top + 100}));
  EXPECT_EQ(Border.Ex_WMNCHitTest({R.Left + 3, R.Top + 100}), HTNOWHERE);
  // The frame: an object of the border window; the owner resolves the code.
  TPoint Left{R.Left + 10, R.Top + 100};
  EXPECT_EQ(SendMessageW(B, WM_NCHITTEST, 0, ScreenLParam(Left.X, Left.Y)), HTOBJECT);
  EXPECT_EQ(Border.Ex_WMNCHitTest(Left), HTLEFT);
  EXPECT_EQ(Border.Ex_WMNCHitTest({R.Left + 100, R.Top + 20}), HTCAPTION);
  EXPECT_EQ(Border.Ex_WMNCHitTest({R.Right - 10, R.Bottom - 10}), HTBOTTOMRIGHT);

  Owner->Forwarded.clear();
  SendMessageW(B, WM_NCLBUTTONDOWN, HTOBJECT, ScreenLParam(Left.X, Left.Y));
  SendMessageW(B, WM_NCMOUSEMOVE, HTOBJECT, ScreenLParam(Left.X, Left.Y + 1));
  ASSERT_EQ(Owner->Forwarded.size(), 2u);
  EXPECT_EQ(Owner->Forwarded[0].Msg, UINT(WM_NCLBUTTONDOWN));
  EXPECT_EQ(Owner->Forwarded[0].WParam, WPARAM(-1));
  EXPECT_EQ(Owner->Forwarded[0].LParam, ScreenLParam(Left.X, Left.Y));
  EXPECT_EQ(Owner->Forwarded[1].Msg, UINT(WM_NCMOUSEMOVE));

  EXPECT_EQ(SendMessageW(B, WM_MOUSEACTIVATE, WPARAM(Owner->Handle()), 0), MA_NOACTIVATE);
  SetCursorPos(Left.X, Left.Y);
  EXPECT_EQ(SendMessageW(B, WM_SETCURSOR, WPARAM(B), MAKELPARAM(HTOBJECT, WM_MOUSEMOVE)), TRUE);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
}

TEST_F(BorderFormTest, DoubleClickOnABorderStretchesAndRestores) {
  TkvBorderForm Border(*Owner);
  Border.UpdateExBordersPos();
  HWND B = Border.Handle();
  ASSERT_NE(B, nullptr);
  TRect Start = WindowRectOf(Owner->Handle());
  TRect R = WindowRectOf(B);
  MONITORINFO Mi{};
  Mi.cbSize = sizeof(Mi);
  GetMonitorInfoW(MonitorFromWindow(Owner->Handle(), MONITOR_DEFAULTTONEAREST), &Mi);
  int MarginL = Start.Left - R.Left, MarginR = R.Right - Start.Right;

  SendMessageW(B, WM_NCLBUTTONDBLCLK, HTOBJECT, ScreenLParam(R.Left + 10, R.Top + 100));
  TRect Wide = WindowRectOf(Owner->Handle());
  EXPECT_EQ(Wide.Left, Mi.rcWork.left + MarginL);
  EXPECT_EQ(Wide.Right, Mi.rcWork.right - MarginR);
  EXPECT_EQ(Wide.Top, Start.Top);
  EXPECT_EQ(Wide.Height(), Start.Height());
  EXPECT_EQ(Owner->State, fsStretchedH);
  EXPECT_EQ(Border.NormalBounds(), Start);
  Border.UpdateExBordersPos();
  R = WindowRectOf(B);
  SendMessageW(B, WM_NCLBUTTONDBLCLK, HTOBJECT, ScreenLParam(R.Right - 10, R.Top + 100));
  EXPECT_EQ(WindowRectOf(Owner->Handle()), Start);
  EXPECT_EQ(Owner->State, 0u);

  // Vertically; a move afterwards gives the previous height back.
  Border.UpdateExBordersPos();
  R = WindowRectOf(B);
  SendMessageW(B, WM_NCLBUTTONDBLCLK, HTOBJECT, ScreenLParam(R.Left + 100, R.Bottom - 10));
  EXPECT_EQ(Owner->State, fsStretchedV);
  EXPECT_NE(WindowRectOf(Owner->Handle()).Height(), Start.Height());
  WINDOWPOS Pos{Owner->Handle(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER};
  Border.OwnerMoving(Pos);
  EXPECT_EQ(Pos.cy, Start.Height());
  EXPECT_FALSE(Pos.flags & SWP_NOSIZE);
  EXPECT_EQ(Owner->State, 0u);

  // The title is not a border: the double click goes to the owner.
  Owner->Forwarded.clear();
  SendMessageW(B, WM_NCLBUTTONDBLCLK, HTOBJECT, ScreenLParam(R.Left + 100, R.Top + 20));
  ASSERT_EQ(Owner->Forwarded.size(), 1u);
  EXPECT_EQ(Owner->Forwarded[0].WParam, WPARAM(-1));
}

TEST_F(BorderFormTest, HiddenOwnerFreesTheWindowAndNothingWithoutFrame) {
  TkvBorderForm Border(*Owner);
  Border.UpdateExBordersPos();
  ASSERT_NE(Border.Handle(), nullptr);
  Owner->Data.BGChanged = false;
  Owner->Hide();
  Border.UpdateExBordersPos();
  EXPECT_EQ(Border.Handle(), nullptr);
  EXPECT_TRUE(Owner->Data.BGChanged);
  EXPECT_TRUE(ThreadWindowsOfClass(L"TkvBorderForm").empty());
  Owner->Show();
  Owner->Draws = false;
  Border.UpdateExBordersPos();
  EXPECT_TRUE(Border.ShownImage().IsEmpty());
  Border.FreeForm();
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

TEST_F(BorderFormTest, MaximizedOwnerKeepsOnlyTheVisibleFrame) {
  TkvBorderForm Border(*Owner);
  ShowWindow(Owner->Handle(), SW_MAXIMIZE);
  PumpFor(50);
  Border.UpdateExBordersPos();
  HWND B = Border.Handle();
  ASSERT_NE(B, nullptr);
  TRegion Rgn(CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(GetWindowRgn(B, Rgn), ERROR);
  RECT Box{};
  GetRgnBox(Rgn, &Box);
  TRect R = WindowRectOf(B);
  TRect Limit = ExBorderMaximizedLimit({R.Width(), R.Height()}, Owner->Shadow, 4, 4);
  // The client fills the screen: of the limited window only the title rows above it remain.
  EXPECT_EQ((TRect{Box.left, Box.top, Box.right, Box.bottom}),
            Rect(Limit.Left, Limit.Top, Limit.Right, Owner->OffsetY()));
  EXPECT_FALSE(PtInRegion(Rgn, Limit.Left - 1, Limit.Top + 2));
  EXPECT_TRUE(PtInRegion(Rgn, Limit.Left, Limit.Top + 2));
  EXPECT_FALSE(PtInRegion(Rgn, Limit.Left + 5, Limit.Top - 1));
  // A zoomed owner has no shadow to click through.
  EXPECT_EQ(SendMessageW(B, WM_NCHITTEST, 0, ScreenLParam(R.Left + Limit.Left, R.Top + 50)),
            HTOBJECT);
  ShowWindow(Owner->Handle(), SW_RESTORE);
}

TEST_F(BorderFormTest, PositioningIsNotReenteredAndWaitsForAStillOwner) {
  TkvBorderForm Border(*Owner);
  int Inner = 0;
  Owner->DuringPaint = [&] {
    ++Inner;
    Border.UpdateExBordersPos(); // the owner's painting asks again: ignored
  };
  Border.UpdateExBordersPos();
  EXPECT_EQ(Inner, 1);
  EXPECT_FALSE(Border.ShownImage().IsEmpty());

  // The owner moves while its image is rendered: nothing is placed this time.
  TkvBorderForm Other(*Owner);
  bool Moved = false;
  Owner->DuringPaint = [&] {
    if (!Moved) Owner->SetBounds(200, 120, 400, 300);
    Moved = true;
  };
  Other.UpdateExBordersPos();
  EXPECT_TRUE(Other.ShownImage().IsEmpty());
  Other.UpdateExBordersPos();
  EXPECT_FALSE(Other.ShownImage().IsEmpty());
  EXPECT_EQ(WindowRectOf(Other.Handle()), Expected());
  Owner->DuringPaint = nullptr;
}

TEST_F(BorderFormTest, AnimationShowsTheLiveClientPixels) {
  TkvBorderForm Border(*Owner);
  Owner->State = fsMinimizing;
  Border.UpdateExBordersPos();
  ASSERT_FALSE(Border.ShownImage().IsEmpty());
  COLORREF OnScreen;
  {
    TClientDC Dc(Owner->Handle());
    OnScreen = GetPixel(Dc, 5, 5);
  }
  ASSERT_NE(OnScreen, CLR_INVALID);
  uint32_t P = Owner->Data.CacheBmp()->Pixel(Owner->OffsetX() + 5, Owner->OffsetY() + 5);
  EXPECT_EQ(P, 0xFF000000u | ColorToPixel(OnScreen));
  EXPECT_NE(P, ClientPixel);
  // The frame is still the owner's image.
  EXPECT_EQ(Owner->Data.CacheBmp()->Pixel(10, 40), FramePixel);
  Owner->State = 0;
}

TEST_F(BorderFormTest, OwnerDestroyedFirstTakesTheBorderWindowAlong) {
  auto* Border = new TkvBorderForm(*Owner);
  Border->UpdateExBordersPos();
  HWND B = Border->Handle();
  ASSERT_NE(B, nullptr);
  delete Owner;
  Owner = nullptr;
  EXPECT_FALSE(IsWindow(B));
  EXPECT_EQ(Border->Handle(), nullptr);
  delete Border;
  EXPECT_TRUE(ThreadWindowsOfClass(L"TkvBorderForm").empty());
}

TEST(ComposeFormShadow, ExtendedBorderImageOfTheWindowsState) {
  // Two frames of 12 x 12 side by side: the first blue, the second red, half transparent.
  auto Bmp = std::make_shared<TBitmap32>(24, 12);
  for (int Y = 0; Y < 12; ++Y)
    for (int X = 0; X < 24; ++X)
      Bmp->Pixel(X, Y) = X < 12 ? Pix(255, 0, 0, 100) : Pix(0, 0, 255, 100);
  TsSkinModel Sm;
  Sm.SkinData.Version = 8;
  Sm.SkinData.ExContentOffs = 2;
  TsMaskData M;
  M.Bmp = Bmp;
  M.Manager = &Sm;
  M.R = Rect(0, 0, 24, 12);
  M.ImageCount = 2;
  M.WL = M.WT = M.WR = M.WB = 5;
  Sm.ma.push_back(M);
  Sm.ConstData.ExBorder = 0;
  TBitmap32 Active(40, 30), Inactive(40, 30);
  ComposeFormShadow(Active, Sm, true);
  ComposeFormShadow(Inactive, Sm, false);
  EXPECT_EQ(Active.Pixel(1, 1), Pix(0, 0, 255, 100));
  EXPECT_EQ(Active.Pixel(39, 29), Pix(0, 0, 255, 100));
  EXPECT_EQ(Inactive.Pixel(20, 1), Pix(255, 0, 0, 100));
}

TEST(ComposeFormShadow, BuiltinShadowUnderTheFrame) {
  TestApplication();
  TsSkinModel Sm; // no extended-border image: the built-in shadow
  const TBitmap32& T = BuiltinShadows().Active;
  ASSERT_FALSE(T.IsEmpty());
  TBitmap32 Img(100, 80);
  for (int Y = 9; Y < 71; ++Y)
    for (int X = 9; X < 91; ++X)
      Img.Pixel(X, Y) = FramePixel;
  ComposeFormShadow(Img, Sm, true);
  EXPECT_EQ(Img.Pixel(0, 0), T.Pixel(0, 0));
  EXPECT_EQ(Img.Pixel(99, 79), T.Pixel(T.Width() - 1, T.Height() - 1));
  EXPECT_EQ(Img.Pixel(4, 40), T.Pixel(4, T.Height() / 2));
  EXPECT_EQ(Img.Pixel(50, 40), FramePixel);
}

class CaptionCoverTest : public BorderFormTest {};

TEST_F(CaptionCoverTest, CoversTheTitleAboveTheFormUntilUncovered) {
  Owner->Shadow = {};
  Owner->PaintAll();
  {
    TkvCaptionCover Cover(*Owner);
    ASSERT_TRUE(Cover.CoverCaption());
    HWND C = Cover.Handle();
    ASSERT_NE(C, nullptr);
    EXPECT_EQ(WindowClassName(C), L"TkvCaptForm");
    EXPECT_TRUE(IsEngineAuxWindow(C));
    EXPECT_TRUE(IsWindowVisible(C));
    EXPECT_TRUE(GetWindowLongPtrW(C, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_FALSE(GetWindowLongPtrW(C, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(GetForegroundWindow(), C);
    TRect W = WindowRectOf(Owner->Handle());
    EXPECT_EQ(WindowRectOf(C), Bounds(W.Left, W.Top, W.Width(), 23));
    EXPECT_EQ(GetWindow(C, GW_HWNDNEXT), Owner->Handle());
    // The cover shows the owner's image, painted at once.
    {
      TClientDC Dc(C);
      EXPECT_EQ(GetPixel(Dc, 5, 5), RGB(0x3F, 0x7D, 0x25));
    }
    EXPECT_EQ(SendMessageW(C, WM_ERASEBKGND, 0, 0), 1);
    Cover.UncoverCaption();
    EXPECT_EQ(Cover.Handle(), nullptr);
    EXPECT_FALSE(IsWindow(C));

    ASSERT_TRUE(Cover.CoverCaption(true));
    EXPECT_EQ(WindowRectOf(Cover.Handle()), W);
  }
  EXPECT_TRUE(ThreadWindowsOfClass(L"TkvCaptForm").empty());
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

TEST_F(CaptionCoverTest, TopmostForATopmostOwnerAndNotUsedWithoutFrame) {
  Owner->Shadow = {};
  Owner->PaintAll();
  TkvCaptionCover Cover(*Owner);
  SetWindowPos(Owner->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ASSERT_TRUE(Cover.CoverCaption());
  EXPECT_TRUE(GetWindowLongPtrW(Cover.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  Cover.UncoverCaption();
  SetWindowPos(Owner->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  Owner->Draws = false;
  EXPECT_FALSE(Cover.CoverCaption());
  EXPECT_EQ(Cover.Handle(), nullptr);
  // With a border window only a menu strip is covered; without a menu nothing.
  Owner->Draws = true;
  Owner->Shadow = {9, 9, 9, 9};
  Owner->PaintAll();
  EXPECT_FALSE(Cover.CoverCaption());
  Owner->Menu = 18;
  ASSERT_TRUE(Cover.CoverCaption());
  POINT Cl{0, 0};
  ClientToScreen(Owner->Handle(), &Cl);
  TRect W = WindowRectOf(Owner->Handle());
  EXPECT_EQ(WindowRectOf(Cover.Handle()), Bounds(W.Left, Cl.y - 18, W.Width(), 18));
}

class OutlineDragTest : public BorderFormTest {
protected:
  // Presses at P, drags by Delta in two steps and releases, all from inside the drag's own loop
  // (the capture is taken first, so the press reaches no move loop of the system). Delta
  // becomes the distance the mouse really went.
  bool Drag(TkvOutlineDrag& Drag, int Code, TPoint P, TPoint& Delta) {
    MouseTo(P.X, P.Y);
    PumpFor(30);
    POINT At{};
    GetCursorPos(&At);
    TPoint D = Delta;
    TPoint* End = &Delta;
    Owner->Moves = 0;
    RunLater(20, [] { MouseButton(true); });
    RunLater(60, [=] { MouseTo(P.X + D.X / 2, P.Y + D.Y / 2); });
    RunLater(100, [=] { MouseTo(P.X + D.X, P.Y + D.Y); });
    RunLater(160, [=] {
      POINT Now{};
      GetCursorPos(&Now);
      *End = {Now.x - At.x, Now.y - At.y};
      MouseButton(false);
    });
    return Drag.Run(Code, {At.x, At.y});
  }
};

TEST_F(OutlineDragTest, MovesTheWindowByTheMouseDeltaOnceAtTheEnd) {
  TkvOutlineDrag D(*Owner);
  TRect Start = WindowRectOf(Owner->Handle());
  TPoint P{Start.Left + 100, Start.Top + 10};
  TPoint Delta{60, 40};
  ASSERT_TRUE(Drag(D, HTCAPTION, P, Delta));
  EXPECT_NEAR(Delta.X, 60, 1);
  EXPECT_NEAR(Delta.Y, 40, 1);
  EXPECT_FALSE(D.Dragging());
  EXPECT_EQ(WindowRectOf(Owner->Handle()), Start.Offsetted(Delta.X, Delta.Y));
  EXPECT_EQ(Owner->Moves, 1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

TEST_F(OutlineDragTest, EscapeEndsTheDragWithoutMoving) {
  TkvOutlineDrag D(*Owner);
  TRect Start = WindowRectOf(Owner->Handle());
  HWND O = Owner->Handle();
  RunLater(30, [O] { PostMessageW(O, WM_KEYDOWN, VK_ESCAPE, 0); });
  EXPECT_FALSE(D.Run(HTCAPTION, {Start.Left + 50, Start.Top + 10}));
  EXPECT_FALSE(D.Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(WindowRectOf(O), Start);
  // Losing the capture ends it as well.
  RunLater(30, [] { ReleaseCapture(); });
  RunLater(60, [O] { PostMessageW(O, WM_NULL, 0, 0); });
  EXPECT_FALSE(D.Run(HTLEFT, {Start.Left, Start.Top + 50}));
  EXPECT_EQ(WindowRectOf(O), Start);
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

TEST_F(OutlineDragTest, SizesTheGrabbedCornerNeverBelowTheMinimum) {
  TkvOutlineDrag D(*Owner);
  Owner->Min = {250, 200};
  TRect Start = WindowRectOf(Owner->Handle());
  TPoint P{Start.Right - 2, Start.Bottom - 2};
  TPoint Delta{-300, -250};
  ASSERT_TRUE(Drag(D, HTBOTTOMRIGHT, P, Delta));
  EXPECT_EQ(WindowRectOf(Owner->Handle()), Bounds(Start.Left, Start.Top, 250, 200));
  // A zoomed window is not dragged.
  ShowWindow(Owner->Handle(), SW_MAXIMIZE);
  EXPECT_FALSE(D.Start(HTCAPTION, P));
  ShowWindow(Owner->Handle(), SW_RESTORE);
  // Cancelling leaves the window where it is.
  TRect Now = WindowRectOf(Owner->Handle());
  ASSERT_TRUE(D.Start(HTLEFT, {Now.Left, Now.Top + 50}));
  EXPECT_EQ(GetCapture(), Owner->Handle());
  D.Move({Now.Left - 30, Now.Top + 50});
  EXPECT_EQ(D.Outline(), Rect(Now.Left - 30, Now.Top, Now.Right, Now.Bottom));
  D.Cancel();
  EXPECT_EQ(WindowRectOf(Owner->Handle()), Now);
  EXPECT_FALSE(D.Finish());
  EXPECT_EQ(LiveGdiObjects(), GdiBefore);
}

} // namespace
