#include "skin/controls/kvProgressBar.h"

#include <commctrl.h>

#include "skin/controls/sPanel.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class ProgressTest : public SkinnedFormTest {
protected:
  TsProgressBar* NewBar(TRect B) {
    auto* P = new TsPanel(Form);
    P->SetParent(Form);
    P->SetBounds(0, 0, 300, 100);
    P->ShowCaption = false;
    auto* Bar = new TsProgressBar(Form);
    Bar->SetParent(P);
    Bar->SetBounds(B.Left, B.Top, B.Width(), B.Height());
    Bar->SkinData().SetSkinSection("GAUGE");
    return Bar;
  }
  // Which columns of row Y show a block (a pixel that is not the gauge's own at that row).
  static std::string Row(HWND W, int Width, int Y, COLORREF Gauge) {
    std::string S;
    for (int x = 0; x < Width; ++x)
      S += ScreenPixel(W, x, Y) == Gauge ? '.' : '#';
    return S;
  }
};

constexpr COLORREF BlockInside = RGB(0x71, 0xB3, 0x47), GaugeInside = RGB(0xE6, 0xEF, 0xDC);

// Which of the three block places of the main window's bar show a block (row 8).
std::string Blocks(HWND W) {
  std::string S;
  for (int x : {4, 17, 30})
    S += GetPixel(TClientDC(W), x, 8) == BlockInside ? '#' : '.';
  return S;
}

TEST_F(ProgressTest, MainWindowsBarShowsBlocksOfEightWithGapsOfFive) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 39, 17));
  B->SetPosition(50);
  ShowForm();
  HWND W = B->Handle();
  EXPECT_EQ(WindowClassName(W), L"TsProgressBar");
  EXPECT_FALSE(GetWindowLongW(W, GWL_EXSTYLE) & WS_EX_STATICEDGE) << "no native edge";
  EXPECT_EQ(Blocks(W), "##.") << "50 of 100 is 1.5 blocks: two";
  // Blocks at x = 1 and 14, 8 wide: the gauge shows between them.
  EXPECT_NE(ScreenPixel(W, 1, 8), GaugeInside);
  EXPECT_NE(ScreenPixel(W, 8, 8), GaugeInside);
  for (int x = 9; x < 14; ++x)
    EXPECT_EQ(ScreenPixel(W, x, 8), GaugeInside) << x;
  EXPECT_NE(ScreenPixel(W, 14, 8), GaugeInside);
  EXPECT_EQ(ScreenPixel(W, 22, 8), GaugeInside);
  B->SetPosition(100);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "###");
  EXPECT_EQ(ScreenPixel(W, 35, 8), ScreenPixel(W, 36, 8)) << "nothing past the last block";
  B->SetPosition(0);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "...");
}

TEST_F(ProgressTest, PositionMessagesSentToTheWindowRepaintTheBlocks) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 39, 17));
  ShowForm();
  HWND W = B->Handle();
  SendMessageW(W, PBM_SETPOS, 100, 0);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "###");
  SendMessageW(W, PBM_SETPOS, 0, 0);
  SendMessageW(W, PBM_DELTAPOS, 40, 0);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "#..");
  SendMessageW(W, PBM_SETSTEP, 30, 0);
  SendMessageW(W, PBM_STEPIT, 0, 0);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "##.");
  SendMessageW(W, PBM_SETRANGE32, 0, 700);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "...") << "70 of 700 is 0.3 blocks";
  SendMessageW(W, PBM_SETRANGE, 0, MAKELPARAM(0, 70));
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "###");
}

TEST_F(ProgressTest, SameBlockCountKeepsTheFaceItHas) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 39, 17));
  B->SetPosition(40);
  ShowForm();
  HWND W = B->Handle();
  TBitmap32* Cache = B->SkinData().CacheBmp();
  ASSERT_NE(Cache, nullptr);
  Cache->Pixel(30, 8) = 0xFF123456; // a mark that a new rendering would paint over
  B->SetPosition(45);
  PumpFor(50);
  EXPECT_EQ(ScreenPixel(W, 30, 8), RGB(0x12, 0x34, 0x56)) << "still one block: not rendered";
  B->SetPosition(60);
  PumpFor(50);
  EXPECT_NE(ScreenPixel(W, 30, 8), RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(Blocks(W), "##.");
}

TEST_F(ProgressTest, APositionPastMaxFillsTheBarAndAnEmptyRangeShowsOnlyTheGauge) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 39, 17));
  ShowForm();
  HWND W = B->Handle();
  B->SetPosition(250); // the search's wait goes past Max
  PumpFor(50);
  EXPECT_EQ(B->Position(), 250);
  EXPECT_EQ(Blocks(W), "###");
  B->SetMax(0);
  B->SetPosition(0);
  PumpFor(50);
  EXPECT_EQ(Blocks(W), "...");
  EXPECT_EQ(ScreenPixel(W, 10, 8), GaugeInside);
}

TEST_F(ProgressTest, SmoothBarIsOneStripToThePosition) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 100, 17));
  B->SetSmooth(true);
  B->SetPosition(50);
  ShowForm();
  HWND W = B->Handle();
  EXPECT_TRUE(GetWindowLongW(W, GWL_STYLE) & PBS_SMOOTH);
  // The strip runs from 1 to 1 + nint(98 * 0.5) = 50.
  for (int x : {5, 20, 40})
    EXPECT_NE(ScreenPixel(W, x, 8), GaugeInside) << x;
  for (int x : {55, 70})
    EXPECT_EQ(ScreenPixel(W, x, 8), GaugeInside) << x;
}

TEST_F(ProgressTest, MarqueeBlocksMoveOnTheirTimerAndStopWithTheSkin) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 150, 17));
  B->SetStyle(pbstMarquee);
  ShowForm();
  HWND W = B->Handle();
  EXPECT_TRUE(B->MarqueeRunning());
  auto Lit = [&] {
    std::string S;
    for (int x = 0; x < 150; x += 5)
      S += ScreenPixel(W, x, 8) == GaugeInside ? '.' : '#';
    return S;
  };
  const double Start = B->MarqueePos();
  B->MarqueeTick();
  EXPECT_NEAR(B->MarqueePos() - Start, 18.0 / 37 * 8, 1e-9);
  std::string Before = Lit();
  for (int i = 0; i < 10; ++i)
    B->MarqueeTick();
  EXPECT_NE(Lit(), Before) << "the blocks moved";
  // Five blocks of 9 with gaps of 1: 49 pixels lit in the row.
  int Count = 0;
  for (int x = 1; x < 149; ++x)
    Count += ScreenPixel(W, x, 8) != GaugeInside;
  EXPECT_GE(Count, 45);
  EXPECT_LE(Count, 55);
  PumpFor(200);
  EXPECT_NE(B->MarqueePos(), Start) << "the 30 ms timer moves it too";
  Manager->SetActive(false);
  PumpFor(50);
  EXPECT_FALSE(B->MarqueeRunning());
}

TEST_F(ProgressTest, PositionChangesGiveBackTheirGdiObjects) {
  UseMeadowStyle();
  TsProgressBar* B = NewBar(Bounds(10, 10, 39, 17));
  ShowForm();
  B->SetPosition(10);
  PumpFor(20);
  const int64_t Before = LiveGdiObjects();
  for (int i = 0; i < 300; ++i) {
    B->SetPosition(i % 101);
    if (i % 10 == 0) PumpFor(2);
  }
  PumpFor(20);
  EXPECT_EQ(LiveGdiObjects(), Before);
}

} // namespace
