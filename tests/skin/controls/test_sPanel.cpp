#include "skin/controls/sPanel.h"

#include "base/GdiObjects.h"
#include "skin/controls/sLabel.h"
#include "skin/controls/sVclUtils.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

// A panel that counts its paints.
class TCountingPanel : public TsPanel {
public:
  using TsPanel::TsPanel;
  int Paints = 0;
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_PAINT) ++Paints;
    TsPanel::WndProc(M);
  }
};

// A window-less child that fills itself with one colour.
class TSwatch : public TGraphicControl {
public:
  TSwatch(TComponent* Owner, COLORREF C) : TGraphicControl(Owner), Colour(C) {}
  const wchar_t* ClassName() const override { return L"TSwatch"; }
  COLORREF Colour;

protected:
  void Paint(HDC DC) override { FillSolid(DC, {0, 0, Width(), Height()}, Colour); }
};

class PanelTest : public SkinnedFormTest {
protected:
  TCountingPanel* NewPanel(TWinControl* Parent, TRect B) {
    auto* P = new TCountingPanel(Form);
    P->SetParent(Parent);
    P->SetBounds(B.Left, B.Top, B.Width(), B.Height());
    P->ShowCaption = false;
    return P;
  }
};

TEST_F(PanelTest, MeadowPanelShowsTheSkinsGroundAndFrame) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {10, 10, 210, 80});
  ShowForm();
  HWND W = P->Handle();
  for (int x = 0; x < 200; x += 7) {
    EXPECT_EQ(ScreenPixel(W, x, 0), Rgb(0xD2E1C3)) << x;
    EXPECT_EQ(ScreenPixel(W, x, 69), Rgb(0xD2E1C3)) << x;
  }
  for (int y = 0; y < 70; y += 5) {
    EXPECT_EQ(ScreenPixel(W, 0, y), Rgb(0xD2E1C3)) << y;
    EXPECT_EQ(ScreenPixel(W, 199, y), Rgb(0xD2E1C3)) << y;
  }
  EXPECT_EQ(ScreenPixel(W, 1, 1), Rgb(0xF3F6EB));
  EXPECT_EQ(ScreenPixel(W, 100, 35), Rgb(0xF4F7EC));
  EXPECT_EQ(ScreenPixel(W, 2, 2), Rgb(0xF4F7EC));
  EXPECT_EQ(SendMessageW(W, KV_SKINMSG, WPARAM(KV_ISSKINNED) << 16, 0), 1);
  EXPECT_EQ(SendMessageW(W, KV_SKINMSG, WPARAM(KV_QUERYCOLOR) << 16, 0xFF00FF), 15529972);
  wchar_t Class[32];
  GetClassNameW(W, Class, 32);
  EXPECT_STREQ(Class, L"TsPanel");
  EXPECT_TRUE(GetWindowLongW(W, GWL_STYLE) & WS_CLIPCHILDREN);
}

TEST_F(PanelTest, ResizingRebuildsTheFrameAtTheNewSize) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {10, 10, 110, 50});
  ShowForm();
  P->SetBounds(10, 10, 180, 90);
  PumpFor(100);
  HWND W = P->Handle();
  EXPECT_EQ(ScreenPixel(W, 179, 45), Rgb(0xD2E1C3));
  EXPECT_EQ(ScreenPixel(W, 90, 89), Rgb(0xD2E1C3));
  EXPECT_EQ(ScreenPixel(W, 99, 40), Rgb(0xF4F7EC)) << "the old right edge is gone";
  EXPECT_EQ(ScreenPixel(W, 178, 88), Rgb(0xF3F6EB));
}

TEST_F(PanelTest, LabelOnAPanelTakesThePanelsInkNotItsOwnColour) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {0, 0, 400, 70});
  auto* L = new TsLabel(Form);
  L->SetParent(P);
  L->SetAutoSize(false);
  L->SetBounds(1, 1, 398, 52);
  L->SetAlignment(taCenter);
  L->Font().SetHeight(-43);
  L->Font().SetColor(RGB(0, 255, 0));
  L->SetCaption(L"HOTOVO");
  ShowForm();
  HWND W = P->Handle();
  int Ink = 0, Lime = 0, MinX = 1000, MaxX = -1;
  for (int y = 1; y < 53; ++y)
    for (int x = 1; x < 399; ++x) {
      COLORREF C = ScreenPixel(W, x, y);
      if (C == RGB(0, 255, 0)) ++Lime;
      if (C == Rgb(0x1F2A18)) {
        ++Ink;
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
      }
    }
  EXPECT_GT(Ink, 200);
  EXPECT_EQ(Lime, 0);
  EXPECT_NEAR((MinX + MaxX) / 2.0, 200, 3);
  EXPECT_EQ(ScreenPixel(W, 5, 60), Rgb(0xF4F7EC));

  // Dropping the skin gives the panel's labels the system's text colour.
  Manager->SetActive(false);
  PumpFor(100);
  EXPECT_EQ(L->Font().Color(), TColor(clWindowText));
  int Black = 0;
  for (int x = 1; x < 399; ++x)
    for (int y = 10; y < 50; ++y)
      Black += ScreenPixel(W, x, y) == ToColorRef(clWindowText);
  EXPECT_GT(Black, 200);
}

TEST_F(PanelTest, SkinDropRestoresTheDesignLookAndAReloadBringsTheSkinBack) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {10, 10, 110, 60});
  P->SetColor(RGB(0x20, 0x40, 0x60));
  ShowForm();
  HWND W = P->Handle();
  EXPECT_EQ(ScreenPixel(W, 50, 25), Rgb(0xF4F7EC));
  Manager->SetActive(false);
  PumpFor(100);
  EXPECT_EQ(ScreenPixel(W, 50, 25), RGB(0x20, 0x40, 0x60));
  EXPECT_EQ(SendMessageW(W, KV_SKINMSG, WPARAM(KV_QUERYCOLOR) << 16, 0xFF00FF),
            LRESULT(RGB(0x20, 0x40, 0x60)));
  Manager->SetActive(true);
  PumpFor(100);
  EXPECT_EQ(ScreenPixel(W, 50, 25), Rgb(0xF4F7EC));
  EXPECT_EQ(ScreenPixel(W, 0, 0), Rgb(0xD2E1C3));
}

// A skin with a gradient panel (it needs a cache of its own) and a transparent child section.
const char* GradientSkin = "[PANEL]\r\nSTATES=1\r\nCOLOR=8421504\r\nGRADIENTPERCENT=100\r\n"
                           "GRADIENTDATA=16711680;255;100;0;0\r\n"
                           "[GLASS]\r\nSTATES=1\r\nCOLOR=65280\r\nTRANSPARENCY=100\r\n"
                           "[HALF]\r\nSTATES=1\r\nCOLOR=16777215\r\nTRANSPARENCY=50\r\n";

TEST_F(PanelTest, ChildWaitsForItsParentsFaceAndNothingRepaintsInALoop) {
  UseSkin(GradientSkin);
  TCountingPanel* Outer = NewPanel(Form, {0, 0, 300, 200});
  TCountingPanel* Inner = NewPanel(Outer, {40, 50, 100, 80});
  Inner->SkinData().SetSkinSection("GLASS");
  ShowForm();
  PumpFor(200);
  int OuterPaints = Outer->Paints, InnerPaints = Inner->Paints;
  EXPECT_GE(OuterPaints, 1);
  EXPECT_GE(InnerPaints, 1);
  PumpFor(300);
  EXPECT_EQ(Outer->Paints, OuterPaints) << "the panel repaints by itself";
  EXPECT_EQ(Inner->Paints, InnerPaints) << "the child repaints by itself";
  EXPECT_LE(InnerPaints, 3);

  // The transparent child shows its parent's gradient at its own place.
  HWND O = Outer->Handle(), I = Inner->Handle();
  for (int y : {0, 15, 29})
    for (int x : {0, 30, 59})
      EXPECT_EQ(ScreenPixel(I, x, y), ScreenPixel(O, 40 + x, 50 + y)) << x << "," << y;
  EXPECT_NE(ScreenPixel(O, 10, 10), ScreenPixel(O, 10, 190)) << "a vertical gradient";
  EXPECT_FALSE(Inner->SkinData().FUpdating);
}

TEST_F(PanelTest, HalfTransparentSectionMixesWithTheParentAndAnswersTheMix) {
  UseSkin(GradientSkin);
  TsPanel* Outer = NewPanel(Form, {0, 0, 300, 200});
  Outer->SkinData().SetSkinSection("GLASS");
  TsPanel* Inner = NewPanel(Outer, {20, 20, 100, 60});
  Inner->SkinData().SetSkinSection("HALF");
  ShowForm();
  // GLASS shows the form's colour; HALF mixes white with it per channel.
  LRESULT Answer = SendMessageW(Inner->Handle(), KV_SKINMSG, WPARAM(KV_QUERYCOLOR) << 16, 0);
  TColor Form = RGB(0x80, 0x10, 0x10);
  TColor Expected = MixQueryColor(0xFFFFFF, Form, 50);
  EXPECT_EQ(TColor(Answer), Expected);
  COLORREF Shown = ScreenPixel(Inner->Handle(), 40, 20);
  EXPECT_NEAR(GetRValue(Shown), (0xFF + 0x80) / 2, 1);
  EXPECT_NEAR(GetGValue(Shown), (0xFF + 0x10) / 2, 1);
}

TEST_F(PanelTest, BevelChangesFollowTheDefaultSectionsOnly) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {0, 0, 100, 50});
  ShowForm();
  EXPECT_EQ(P->SkinData().SkinSection(), "PANEL");
  P->BevelOuter = bvLowered;
  P->Invalidate();
  EXPECT_EQ(P->SkinData().SkinSection(), "PANEL_LOW");
  P->BevelOuter = bvNone;
  P->Invalidate();
  EXPECT_EQ(P->SkinData().SkinSection(), "CHECKBOX");
  P->BevelOuter = bvSpace;
  P->Invalidate();
  EXPECT_EQ(P->SkinData().SkinSection(), "CHECKBOX");
  P->SkinData().SetSkinSection("gauge");
  P->BevelOuter = bvRaised;
  P->Invalidate();
  EXPECT_EQ(P->SkinData().SkinSection(), "GAUGE") << "a section the user chose stays";
}

TEST_F(PanelTest, CaptionAndOnPaintAreDrawnIntoTheFace) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {0, 0, 200, 60});
  P->ShowCaption = true;
  P->SetCaption(L"Nadpis");
  int PaintCalls = 0;
  P->OnPaint = [&](TComponent*, HDC DC) {
    ++PaintCalls;
    FillSolid(DC, {190, 50, 195, 55}, RGB(1, 2, 3));
  };
  ShowForm();
  EXPECT_GE(PaintCalls, 1);
  EXPECT_EQ(ScreenPixel(P->Handle(), 192, 52), RGB(1, 2, 3));
  int Ink = 0;
  for (int y = 20; y < 40; ++y)
    for (int x = 60; x < 140; ++x)
      Ink += ScreenPixel(P->Handle(), x, y) == Rgb(0x1F2A18);
  EXPECT_GT(Ink, 20) << "the caption in the section's font colour";
  P->ShowCaption = false;
  P->SkinData().Invalidate(true);
  PumpFor(50);
  Ink = 0;
  for (int y = 20; y < 40; ++y)
    for (int x = 60; x < 140; ++x)
      Ink += ScreenPixel(P->Handle(), x, y) == Rgb(0x1F2A18);
  EXPECT_EQ(Ink, 0);
  EXPECT_EQ(ScreenPixel(P->Handle(), 192, 52), RGB(1, 2, 3)) << "OnPaint still runs";
}

TEST_F(PanelTest, RepeatedPaintsHoversAndSkinChangesGiveBackTheirGdiObjects) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {0, 0, 300, 80});
  auto* L = new TsLabel(Form);
  L->SetParent(P);
  L->SetBounds(10, 10, 100, 20);
  L->SetCaption(L"Vyhledáno položek: ");
  ShowForm();
  auto Round = [&](int i) {
    P->SkinData().Invalidate(true);
    P->Perform(CM_MOUSEENTER);
    P->Perform(CM_MOUSELEAVE);
    L->SetCaption(std::to_wstring(i));
    PumpFor(5);
    if (i % 5 == 0) {
      Manager->SetActive(false);
      PumpFor(10);
      Manager->SetActive(true);
      PumpFor(10);
    }
  };
  // The first round makes what the controls keep (their fonts, the brush of the system's look).
  Round(0);
  int64_t Before = LiveGdiObjects();
  for (int i = 1; i <= 20; ++i)
    Round(i);
  EXPECT_EQ(LiveGdiObjects(), Before);
}

TEST_F(PanelTest, PaintingGraphicChildrenIntoAnEmptyClipOnlyMarksTheParentHalfVisible) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {0, 0, 100, 50});
  auto* L = new TsLabel(Form);
  L->SetParent(P);
  L->SetCaption(L"x");
  ShowForm();
  P->SkinData().HalfVisible = false;
  TBitmap32 Bmp(10, 10);
  HDC DC = static_cast<HDC>(Bmp.NativeDC());
  IntersectClipRect(DC, 0, 0, 0, 0);
  Bmp.Fill(0x123456);
  PaintGraphicChildren(DC, P, false);
  EXPECT_TRUE(P->SkinData().HalfVisible);
  EXPECT_EQ(Bmp.Pixel(2, 2), 0x123456u);
  SelectClipRgn(DC, nullptr);
}

TEST_F(PanelTest, GraphicChildrenLandAtTheirPlacePlusTheOffsetAndFuchsiaFacesAreLeftOut) {
  UseMeadowStyle();
  TsPanel* P = NewPanel(Form, {0, 0, 100, 50});
  auto* A = new TSwatch(Form, RGB(10, 20, 30));
  A->SetParent(P);
  A->SetBounds(10, 10, 8, 8);
  auto* B = new TSwatch(Form, RGB(255, 0, 255));
  B->SetParent(P);
  B->SetBounds(40, 10, 8, 8);
  ShowForm();
  TBitmap32 Bmp(120, 70);
  Bmp.Fill(0x123456);
  PaintGraphicChildren(static_cast<HDC>(Bmp.NativeDC()), P, true, {5, 7});
  GdiFlush();
  EXPECT_EQ(Bmp.Pixel(15, 17) & 0xFFFFFF, 0x0A141Eu);
  EXPECT_EQ(Bmp.Pixel(22, 24) & 0xFFFFFF, 0x0A141Eu);
  EXPECT_EQ(Bmp.Pixel(14, 17), 0x123456u);
  EXPECT_EQ(Bmp.Pixel(45, 17), 0x123456u) << "a fuchsia face is not copied";
}

} // namespace
