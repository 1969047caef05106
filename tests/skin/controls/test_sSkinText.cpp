#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/toolkit/GuiTest.h"
#include "toolkit/StdCtrls.h"

namespace {

// GDI text on a 32-bit DIB leaves the alpha byte 0, so pixels are compared on their colour.
uint32_t Rgb(uint32_t Pixel) {
  return Pixel & 0xFFFFFF;
}
uint32_t PixelOf(TColor C) {
  return Rgb(ColorToPixel(ColorToRGB(C)));
}

constexpr TColor GroundColour = RGBColor(0xF4, 0xF7, 0xEC);
constexpr TColor Ink = RGBColor(0x1F, 0x2A, 0x18);
constexpr TColor HotInk = RGBColor(0x10, 0x60, 0x10);
constexpr TColor PanelInk = RGBColor(0x60, 0x10, 0x10);
constexpr TColor GlobalColour = clWhite;
constexpr UINT Centred = DT_SINGLELINE | DT_CENTER | DT_VCENTER;

// A bitmap of the ground colour with Tahoma at -11 selected into its DC (11-pixel Tahoma is a
// bitmap strike: its pixels are exactly the text colour).
class TCanvas {
public:
  TCanvas(int W, int H, int Weight = FW_NORMAL) : Bmp(std::make_unique<TBitmap32>(W, H)) {
    Init(*Bmp, Weight);
  }
  // Draws on Target, which stays the caller's.
  TCanvas(TBitmap32& On, int Weight = FW_NORMAL) { Init(On, Weight); }
  HDC DC() const { return static_cast<HDC>(Target->NativeDC()); }
  HFONT FontHandle() const { return Font.Get(); }
  uint32_t At(int X, int Y) const {
    GdiFlush();
    return Rgb(Target->Pixel(X, Y));
  }
  uint32_t Word(int X, int Y) const {
    GdiFlush();
    return Target->Pixel(X, Y);
  }
  int Width() const { return Target->Width(); }
  int Height() const { return Target->Height(); }
  int Count(uint32_t Colour) const {
    int N = 0;
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x)
        N += At(x, y) == Colour;
    return N;
  }
  // The colours of every pixel that is not the ground.
  std::set<uint32_t> InkColours() const {
    std::set<uint32_t> S;
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x)
        if (At(x, y) != PixelOf(GroundColour)) S.insert(At(x, y));
    return S;
  }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> P;
    for (int y = 0; y < Height(); ++y)
      for (int x = 0; x < Width(); ++x)
        P.push_back(Word(x, y));
    return P;
  }
  TRect Bounds() const { return {0, 0, Width(), Height()}; }
  TBitmap32& Bitmap() const { return *Target; }

private:
  void Init(TBitmap32& B, int Weight) {
    Target = &B;
    B.Fill(MakePixel(0xEC, 0xF7, 0xF4, 0));
    Font.Attach(CreateFontW(-11, 0, 0, 0, Weight, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    Select = std::make_unique<TSelectObject>(DC(), Font.Get());
  }
  std::unique_ptr<TBitmap32> Bmp;
  TBitmap32* Target = nullptr;
  TFontHandle Font;
  std::unique_ptr<TSelectObject> Select; // let go before the font is deleted
};

// A panel with a skin state, answering the skin state and section queries; it counts them.
class TSkinPanel : public TPanel {
public:
  explicit TSkinPanel(TComponent* AOwner) : TPanel(AOwner) {
    SkinData = std::make_unique<TsCommonData>(this, false);
    SkinData->COC = 51;
  }
  const wchar_t* ClassName() const override { return L"TSkinPanel"; }
  std::unique_ptr<TsCommonData> SkinData;
  int Queries = 0;
  void WndProc(TMessage& M) override {
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_QUERYSKINDATA) {
      ++Queries;
      M.Result = LRESULT(static_cast<TsHoverState*>(SkinData.get()));
      return;
    }
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_QUERYSECTIONINDEX) {
      ++Queries;
      reinterpret_cast<TkvSectionInfo*>(M.LParam)->SkinIndex = SkinData->SkinIndex;
      M.Result = 1;
      return;
    }
    TPanel::WndProc(M);
  }
};

// A control without a skin state that answers the section query with Answer.
template <class TBase>
class TAnswering : public TBase {
public:
  using TBase::TBase;
  int Answer = -1;
  int Queries = 0;
  void WndProc(TMessage& M) override {
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_QUERYSKINDATA) ++Queries;
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_QUERYSECTIONINDEX) {
      ++Queries;
      reinterpret_cast<TkvSectionInfo*>(M.LParam)->SkinIndex = Answer;
      M.Result = 1;
      return;
    }
    TBase::WndProc(M);
  }
};
class TAnsweringPanel : public TAnswering<TPanel> {
public:
  using TAnswering<TPanel>::TAnswering;
  const wchar_t* ClassName() const override { return L"TAnsweringPanel"; }
};
class TAnsweringForm : public TAnswering<TTestForm> {
public:
  using TAnswering<TTestForm>::TAnswering;
  const wchar_t* ClassName() const override { return L"TAnsweringForm"; }
};

// A window-less label with a skin state of the label kind.
class TSkinLabel : public TGraphicControl {
public:
  explicit TSkinLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SkinData = std::make_unique<TsCommonData>(this, true);
    SkinData->COC = 32;
  }
  const wchar_t* ClassName() const override { return L"TSkinLabel"; }
  std::unique_ptr<TsCommonData> SkinData;

protected:
  void Paint(HDC) override {}
};

class SkinText : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication();
    Manager = new TsSkinManager(nullptr);
    TsSkinModel& Sm = Manager->Model();
    Own = AddSection("LABEL", Ink);
    Panel = AddSection("PANEL", PanelInk);
    Web = AddSection("WEBBUTTON", Ink);
    Middle = AddSection("MIDDLE", RGBColor(1, 1, 1));
    Outer = AddSection("OUTER", RGBColor(2, 2, 2));
    Sm.ConstData.IndexWebBtn = Web;
    Sm.Palette[pcMainColor] = GlobalColour;
    Form = new TAnsweringForm(Application);
    Label = new TSkinLabel(Form);
    Bind(*Label->SkinData, "LABEL");
  }
  void TearDown() override {
    delete Form;
    delete Manager;
  }
  int AddSection(const std::string& Name, TColor FontColour) {
    TsGeneralData G;
    G.ClassName = Name;
    G.Color = GroundColour;
    G.FontColor.Color = FontColour;
    for (TsGenState& P : G.Props)
      P.FontColor.Color = FontColour;
    G.Props[1].FontColor.Color = Name == "LABEL" ? HotInk : FontColour;
    Manager->Model().gd.push_back(G);
    return int(Manager->Model().gd.size()) - 1;
  }
  TsGeneralData& Sec(int I) { return Manager->Model().gd[size_t(I)]; }
  void Bind(TsCommonData& D, const std::string& Section) {
    D.SetSkinManager(Manager);
    D.SetSkinSection(Section);
  }
  void DrawLabel(const TCanvas& C, const std::wstring& Text, bool Enabled = true,
                 bool Hot = false) {
    DrawSkinText(C.DC(), Text, Enabled, Hot, *Label->SkinData, Centred, C.Bounds());
  }

  TsSkinManager* Manager = nullptr;
  TAnsweringForm* Form = nullptr;
  TSkinLabel* Label = nullptr;
  int Own = -1, Panel = -1, Web = -1, Middle = -1, Outer = -1;
};

TEST_F(SkinText, CaptionsAreDrawnInExactlyTheFontColour) {
  ASSERT_TRUE(Label->SkinData->Skinned());
  TCanvas C(60, 20);
  DrawLabel(C, L"Hello");
  EXPECT_EQ(C.InkColours(), std::set<uint32_t>{PixelOf(Ink)});
  EXPECT_GT(C.Count(PixelOf(Ink)), 10);
  TCanvas H(60, 20);
  DrawLabel(H, L"Hello", true, true);
  EXPECT_EQ(H.InkColours(), std::set<uint32_t>{PixelOf(HotInk)});
  EXPECT_EQ(H.Count(PixelOf(HotInk)), C.Count(PixelOf(Ink)));
}

// Each shadow is the text moved by one pixel, under the text; the later sides (left, top,
// right, bottom) cover the earlier ones.
TEST_F(SkinText, EachShadowSideIsTheTextMovedByOnePixel) {
  TCanvas Plain(40, 20);
  DrawLabel(Plain, L"Ab");
  auto IsText = [&](int X, int Y) {
    return X >= 0 && Y >= 0 && X < 40 && Y < 20 && Plain.At(X, Y) == PixelOf(Ink);
  };
  const TColor L = RGBColor(200, 0, 0), T = RGBColor(0, 200, 0), R = RGBColor(0, 0, 200),
               B = RGBColor(200, 200, 0);
  struct TCase {
    int Left, Top, Right, Bottom;
  };
  for (TCase Case : {TCase{int(L), -1, -1, -1}, TCase{-1, int(T), -1, -1},
                     TCase{-1, -1, int(R), -1}, TCase{-1, -1, -1, int(B)},
                     TCase{int(L), int(T), int(R), int(B)}, TCase{-1, int(T), int(R), int(B)}}) {
    TsFontColor& F = Sec(Own).Props[0].FontColor;
    F.Left = Case.Left;
    F.Top = Case.Top;
    F.Right = Case.Right;
    F.Bottom = Case.Bottom;
    TCanvas C(40, 20);
    DrawLabel(C, L"Ab");
    // Later sides first: the first one that covers a pixel is the one on top.
    const struct {
      int Colour, DX, DY;
    } Sides[] = {{Case.Bottom, 0, 1}, {Case.Right, 1, 0}, {Case.Top, 0, -1}, {Case.Left, -1, 0}};
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) {
        uint32_t Expected = PixelOf(GroundColour);
        if (IsText(x, y)) {
          Expected = PixelOf(Ink);
        } else {
          for (const auto& S : Sides)
            if (S.Colour != -1 && IsText(x - S.DX, y - S.DY)) {
              Expected = PixelOf(TColor(S.Colour));
              break;
            }
        }
        ASSERT_EQ(C.At(x, y), Expected) << "at " << x << "," << y << " with left " << Case.Left;
      }
  }
}

TEST_F(SkinText, DisabledCaptionsBlendTheFontColourFortySixty) {
  Sec(Own).FontColor.Color = RGBColor(10, 20, 200);
  Sec(Own).Props[0].FontColor.Left = int(RGBColor(200, 0, 0)); // no shadows when disabled
  TCanvas C(60, 20);
  DrawLabel(C, L"Hello", false);
  // 0.4 * 10 + 0.6 * 255, 0.4 * 20 + 0.6 * 255, 0.4 * 200 + 0.6 * 255.
  EXPECT_EQ(C.InkColours(), std::set<uint32_t>{PixelOf(RGBColor(157, 161, 233))});
}

TEST_F(SkinText, ATransparentLabelTakesTheFontOfTheOpaquePanelItLiesOn) {
  auto* P = new TSkinPanel(Form);
  P->SetParent(Form);
  Bind(*P->SkinData, "PANEL");
  Label->SetParent(P);
  Form->HandleNeeded();
  P->HandleNeeded();
  Sec(Own).Props[0].Transparency = 100;
  Sec(Panel).Props[0].Transparency = 30;
  Sec(Panel).GiveOwnFont = true;
  TCanvas C(60, 20);
  DrawLabel(C, L"Hello");
  EXPECT_EQ(C.InkColours(), std::set<uint32_t>{PixelOf(PanelInk)});
  Sec(Panel).GiveOwnFont = false;
  TCanvas C2(60, 20);
  DrawLabel(C2, L"Hello");
  EXPECT_EQ(C2.InkColours(), std::set<uint32_t>{PixelOf(Ink)});
  // An opaque label keeps its own colours without asking anyone.
  Sec(Panel).GiveOwnFont = true;
  Sec(Own).Props[0].Transparency = 0;
  P->Queries = 0;
  TCanvas C3(60, 20);
  DrawLabel(C3, L"Hello");
  EXPECT_EQ(C3.InkColours(), std::set<uint32_t>{PixelOf(Ink)});
  EXPECT_EQ(P->Queries, 0);
}

TEST_F(SkinText, FontSectionsClimbTheControlTree) {
  auto* Mid = new TSkinPanel(Form);
  Mid->SetParent(Form);
  Bind(*Mid->SkinData, "MIDDLE");
  auto* P = new TSkinPanel(Form);
  P->SetParent(Mid);
  Bind(*P->SkinData, "PANEL");
  Label->SetParent(P);
  Form->HandleNeeded();
  Mid->HandleNeeded();
  P->HandleNeeded();
  Sec(Panel).Props[0].Transparency = 80;
  Sec(Panel).GiveOwnFont = true;
  Sec(Middle).GiveOwnFont = true;
  Sec(Outer).GiveOwnFont = true;
  Form->Answer = Outer;
  // The panel's state branch climbs two levels: the middle panel is passed over, the form
  // (the panel's parent's parent's parent... here the middle panel's parent) is asked.
  EXPECT_EQ(FontSectionOf(Label, Own, Manager, 0), Outer);
  EXPECT_EQ(Mid->Queries, 0);
  EXPECT_GT(Form->Queries, 0);
  // Lying straight on the form, the form is not examined and the label keeps its colours.
  P->SetParent(Form);
  P->HandleNeeded();
  Form->Queries = 0;
  EXPECT_EQ(FontSectionOf(Label, Own, Manager, 0), Own);
  EXPECT_EQ(Form->Queries, 0);
  // The default manager stands in for a missing one.
  Sec(Panel).Props[0].Transparency = 30;
  EXPECT_EQ(FontSectionOf(Label, Own, nullptr, 0), Panel);
  EXPECT_EQ(FontSectionOf(nullptr, Own, Manager, 0), Own);
}

TEST_F(SkinText, AControlWithoutSkinStateIsAskedForItsSection) {
  auto* Foreign = new TAnsweringPanel(Form);
  Foreign->SetParent(Form);
  Label->SetParent(Foreign);
  Form->HandleNeeded();
  Foreign->HandleNeeded();
  Sec(Panel).Props[0].Transparency = 80;
  Sec(Panel).GiveOwnFont = true;
  Sec(Outer).GiveOwnFont = true;
  Foreign->Answer = Panel;
  Form->Answer = Outer;
  // A transparent answer climbs one level: the form is asked next.
  EXPECT_EQ(FontSectionOf(Label, Own, Manager, 0), Outer);
  Sec(Panel).Props[0].Transparency = 20;
  EXPECT_EQ(FontSectionOf(Label, Own, Manager, 0), Panel);
  Foreign->Answer = -1;
  EXPECT_EQ(FontSectionOf(Label, Own, Manager, 0), Own);
}

TEST_F(SkinText, TheGlowGoesIntoTheCacheAroundTheText) {
  TBitmap32& Cache = *Label->SkinData->CacheBmp();
  Cache.SetSize(80, 30);
  TCanvas C(Cache);
  Sec(Own).Props[0].GlowSize = 2;
  Sec(Own).Props[0].GlowColor = RGBColor(255, 0, 0);
  const TRect R{20, 8, 60, 22};
  const std::vector<uint32_t> Before = C.Pixels();
  DrawSkinText(C.DC(), L"Ab", true, false, *Label->SkinData, Centred, R);
  const TRect E = GlowMaskRect(R, 2);
  int Glowing = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) {
      uint32_t P = C.Word(x, y);
      if (!E.Contains(x, y)) {
        ASSERT_EQ(P, Before[size_t(y * 80 + x)]) << "outside the glow at " << x << "," << y;
      } else if (Rgb(P) != PixelOf(Ink) && P != Before[size_t(y * 80 + x)]) {
        // Toward red: more red, less green and blue than the ground, and some alpha.
        EXPECT_GE(PixR(P), 0xF4);
        EXPECT_LT(PixG(P), 0xF7);
        EXPECT_GT(PixA(P), 0);
        ++Glowing;
      }
    }
  EXPECT_GT(Glowing, 20);
  // The mask stays white far from the text: the corners of the glowing rectangle are kept.
  EXPECT_EQ(C.Word(E.Left, E.Top), Before[size_t(E.Top * 80 + E.Left)]);
  EXPECT_EQ(C.Word(E.Right - 1, E.Bottom - 1), Before[size_t((E.Bottom - 1) * 80 + E.Right - 1)]);
  EXPECT_GT(C.Count(PixelOf(Ink)), 5);
}

TEST_F(SkinText, AGlowMaskIsReusedOnlyForTheSameTextFontAndSize) {
  const TRect R{10, 10, 50, 25};
  const uint32_t Untouched = MakePixel(0xEC, 0xF7, 0xF4, 0);
  const uint32_t FullGlow = MakePixel(0, 0, 255, 255);
  TGlowMask Mask;
  // The top-left pixel of the glowing rectangle: far from the text, the ground stays; from a
  // mask made all black, the full glow colour.
  auto Corner = [&](const std::wstring& Text, TRect At, int Weight = FW_NORMAL) {
    TCanvas C(70, 40, Weight);
    PaintTextGlow(C.Bitmap(), Text, At, Mask, RGBColor(255, 0, 0), 2, 15, Centred);
    TRect E = GlowMaskRect(At, 2);
    return C.Word(E.Left, E.Top);
  };
  auto Blacken = [&] {
    for (int y = 0; y < Mask.Mask.Height(); ++y)
      for (int x = 0; x < Mask.Mask.Width(); ++x)
        Mask.Mask.Pixel(x, y) = 0;
  };
  EXPECT_EQ(Corner(L"Ab", R), Untouched);
  EXPECT_EQ(Mask.Mask.Width(), GlowMaskRect(R, 2).Width());
  EXPECT_EQ(Mask.Mask.Height(), GlowMaskRect(R, 2).Height());
  Blacken();
  EXPECT_EQ(Corner(L"Ab", R), FullGlow);                 // the same: kept
  EXPECT_EQ(Corner(L"Ab", R.Offsetted(5, 3)), FullGlow); // moved, same size: kept
  EXPECT_EQ(Corner(L"Cd", R), Untouched);                // other text: made again
  Blacken();
  EXPECT_EQ(Corner(L"Cd", R, FW_BOLD), Untouched); // other font
  Blacken();
  EXPECT_EQ(Corner(L"Cd", {10, 10, 52, 25}, FW_BOLD), Untouched); // other size
}

TEST_F(SkinText, GlowStrengthFollowsTheMask) {
  TCanvas C(70, 40);
  TGlowMask Mask;
  const TRect R{10, 10, 50, 25};
  PaintTextGlow(C.Bitmap(), L"Ab", R, Mask, RGBColor(255, 0, 0), 2, 15, Centred);
  const TRect E = GlowMaskRect(R, 2);
  int Dark = 0;
  for (int y = 0; y < Mask.Mask.Height(); ++y)
    for (int x = 0; x < Mask.Mask.Width(); ++x) {
      int m = Mask.Mask.Pixel(x, y);
      Dark += m < 128;
      uint32_t P = C.Word(E.Left + x, E.Top + y);
      if (m == 255) {
        ASSERT_EQ(P, MakePixel(0xEC, 0xF7, 0xF4, 0));
      } else {
        ASSERT_EQ(PixR(P), 255 + m * (0xF4 - 255) / 255);
        ASSERT_EQ(PixG(P), m * 0xF7 / 255);
        ASSERT_EQ(PixA(P), (255 - m) * 255 / 255);
      }
    }
  EXPECT_GT(Dark, 0);
}

TEST_F(SkinText, AHotWebButtonCaptionIsUnderlined) {
  auto* Data = new TsCommonData(Label, false);
  std::unique_ptr<TsCommonData> Hold(Data);
  Bind(*Data, "WEBBUTTON");
  TCanvas Normal(40, 20), Hot(40, 20);
  DrawSkinText(Normal.DC(), L"ab", true, false, *Data, Centred, Normal.Bounds());
  DrawSkinText(Hot.DC(), L"ab", true, true, *Data, Centred, Hot.Bounds());
  EXPECT_GT(Hot.Count(PixelOf(Ink)), Normal.Count(PixelOf(Ink)) + 5);
  EXPECT_EQ(GetCurrentObject(Hot.DC(), OBJ_FONT), Hot.FontHandle());
  // Another section's hot caption is not.
  TCanvas LabelHot(40, 20);
  Sec(Own).Props[1].FontColor.Color = Ink;
  DrawSkinText(LabelHot.DC(), L"ab", true, true, *Label->SkinData, Centred, LabelHot.Bounds());
  EXPECT_EQ(LabelHot.Count(PixelOf(Ink)), Normal.Count(PixelOf(Ink)));
}

TEST_F(SkinText, WithoutASectionTheDCsOwnColoursAreUsed) {
  TCanvas C(60, 20);
  SetTextColor(C.DC(), RGB(1, 2, 3));
  DrawSectionText(C.DC(), L"Hello", true, Manager, 0, 99, Centred, C.Bounds());
  DrawSectionText(C.DC(), L"Hello", true, Manager, 0, -1, Centred, C.Bounds());
  EXPECT_EQ(C.InkColours(), std::set<uint32_t>{PixelOf(RGBColor(1, 2, 3))});

  auto* Data = new TsCommonData(Label, false);
  std::unique_ptr<TsCommonData> Hold(Data);
  Bind(*Data, "NOSUCH");
  ASSERT_FALSE(Data->Skinned());
  TCanvas E(60, 20);
  SetTextColor(E.DC(), RGB(1, 2, 3));
  DrawSkinText(E.DC(), L"Hello", true, false, *Data, Centred, E.Bounds());
  EXPECT_EQ(E.InkColours(), std::set<uint32_t>{PixelOf(RGBColor(1, 2, 3))});
  // Disabled without a skin: the engraved look in the system's highlight and shadow colours.
  TCanvas D(60, 20);
  DrawSkinText(D.DC(), L"Hello", false, false, *Data, Centred, D.Bounds());
  EXPECT_EQ(D.InkColours(), (std::set<uint32_t>{PixelOf(clBtnHighlight), PixelOf(clBtnShadow)}));
  // A custom font keeps the DC's colours too.
  Label->SkinData->SetCustomFont(true);
  TCanvas F(60, 20);
  SetTextColor(F.DC(), RGB(1, 2, 3));
  DrawLabel(F, L"Hello");
  EXPECT_EQ(F.InkColours(), std::set<uint32_t>{PixelOf(RGBColor(1, 2, 3))});
}

TEST_F(SkinText, SectionTextUsesTheHotRecordForAnyHotState) {
  Sec(Own).Props[1].FontColor.Right = int(RGBColor(0, 0, 200));
  for (int Hot : {1, 2, 5}) {
    TCanvas C(60, 20);
    DrawSectionText(C.DC(), L"Hello", true, Manager, Hot, Own, Centred, C.Bounds());
    EXPECT_EQ(C.InkColours(), (std::set<uint32_t>{PixelOf(HotInk), PixelOf(RGBColor(0, 0, 200))}))
        << Hot;
  }
  // Disabled: 40 % of the normal text colour, 60 % of the section's colour.
  Sec(Own).Props[0].FontColor.Color = RGBColor(0, 100, 255);
  Sec(Own).Color = RGBColor(250, 0, 50);
  TCanvas D(60, 20);
  DrawSectionText(D.DC(), L"Hello", false, nullptr, 0, Own, Centred, D.Bounds());
  EXPECT_EQ(D.InkColours(), std::set<uint32_t>{PixelOf(RGBColor(150, 40, 132))});
}

TEST_F(SkinText, EmptyTextDrawsNothing) {
  Sec(Own).Props[0].GlowSize = 3;
  TBitmap32& Cache = *Label->SkinData->CacheBmp();
  Cache.SetSize(40, 20);
  TCanvas C(Cache);
  const std::vector<uint32_t> Before = C.Pixels();
  DrawSkinText(C.DC(), L"", true, false, *Label->SkinData, Centred, C.Bounds());
  DrawSkinText(C.DC(), L"", false, true, *Label->SkinData, Centred, C.Bounds());
  DrawSectionText(C.DC(), L"", true, Manager, 0, Own, Centred, C.Bounds());
  TGlowMask Mask;
  PaintTextGlow(Cache, L"", C.Bounds(), Mask, clBlack, 3, 15, Centred);
  EXPECT_TRUE(Mask.Mask.IsEmpty());
  EXPECT_EQ(C.Pixels(), Before);
}

TEST_F(SkinText, PaintingLeavesTheDCAsFoundAndGivesBackEveryObject) {
  Sec(Web).Props[1].GlowSize = 2;
  Sec(Web).Props[1].FontColor.Left = int(RGBColor(200, 0, 0));
  auto* Data = new TsCommonData(Label, true);
  std::unique_ptr<TsCommonData> Hold(Data);
  Bind(*Data, "WEBBUTTON");
  Data->CacheBmp()->SetSize(50, 20);
  TCanvas C(*Data->CacheBmp());
  HDC DC = C.DC();
  SetTextColor(DC, RGB(9, 8, 7));
  SetBkMode(DC, OPAQUE);
  RECT Clip{};
  ASSERT_NE(GetClipBox(DC, &Clip), ERROR);
  // A first round makes what is made once (the glow kernel, stock objects).
  DrawSkinText(DC, L"Link", true, true, *Data, Centred, {5, 2, 45, 18});
  const int64_t Live = LiveGdiObjects();
  for (int i = 0; i < 20; ++i) {
    DrawSkinText(DC, L"Link", true, true, *Data, Centred, {5, 2, 45, 18});
    DrawSkinText(DC, L"Link", false, false, *Data, Centred, {5, 2, 45, 18});
    DrawSectionText(DC, L"Link", true, Manager, 1, Web, Centred, {5, 2, 45, 18});
    TGlowMask Mask;
    PaintTextGlow(*Data->CacheBmp(), L"Link", {5, 2, 45, 18}, Mask, clBlack, 2, 15, Centred);
    EXPECT_EQ(CutTextToWidth(DC, L"Link", 1000), L"Link");
  }
  EXPECT_EQ(LiveGdiObjects(), Live);
  EXPECT_EQ(GetTextColor(DC), RGB(9, 8, 7));
  EXPECT_EQ(GetBkMode(DC), OPAQUE);
  EXPECT_EQ(GetCurrentObject(DC, OBJ_FONT), C.FontHandle());
  RECT After{};
  GetClipBox(DC, &After);
  EXPECT_TRUE(EqualRect(&After, &Clip));
}

TEST_F(SkinText, CaptionsAreCutToTheWidthOfTheDCsFont) {
  TCanvas C(10, 10);
  SIZE Hel{}, Dots{};
  GetTextExtentPoint32W(C.DC(), L"Hel...", 6, &Hel);
  GetTextExtentPoint32W(C.DC(), L"...", 3, &Dots);
  EXPECT_EQ(CutTextToWidth(C.DC(), L"Hello world", Hel.cx), L"Hel...");
  EXPECT_EQ(CutTextToWidth(C.DC(), L"Hello world", 0), L"");
  EXPECT_EQ(CutTextToWidth(C.DC(), L"Hello world", int(Dots.cx)), L"");
}

} // namespace
