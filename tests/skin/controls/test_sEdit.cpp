#include "skin/controls/sEdit.h"

#include "skin/controls/sPanel.h"
#include "skin/controls/sVclUtils.h"
#include "skin/pixels/sGraphUtils.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class EditTest : public SkinnedFormTest {
protected:
  TsPanel* NewPanel() {
    auto* P = new TsPanel(Form);
    P->SetParent(Form);
    P->SetBounds(0, 0, 400, 70);
    P->ShowCaption = false;
    return P;
  }
  TsEdit* NewEdit(TWinControl* Parent, TRect B, const std::wstring& Hint) {
    auto* E = new TsEdit(Form);
    E->SetName(L"sEdit" + std::to_wstring(++Edits));
    E->SetParent(Parent);
    E->SetBounds(B.Left, B.Top, B.Width(), B.Height());
    E->SetTextHint(Hint);
    E->SkinData().SetSkinSection("EDIT");
    return E;
  }
  // The pixel of the whole window, frame included.
  static COLORREF WindowPixel(HWND Wnd, int X, int Y) {
    TWindowDC DC(Wnd);
    return GetPixel(DC, X, Y);
  }
  static std::string Hex(COLORREF C) {
    char B[16];
    snprintf(B, sizeof B, "#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
    return B;
  }
  static int Count(HWND W, int Width, int Height, COLORREF C) {
    int N = 0;
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x)
        N += WindowPixel(W, x, y) == C;
    return N;
  }
  int Edits = 0;
};

constexpr COLORREF Border = RGB(0x9D, 0xBF, 0x86), HotBorder = RGB(0x5E, 0x9E, 0x3A);
constexpr COLORREF HotInside = RGB(0xFD, 0xFF, 0xF9), HintInk = RGB(0x6D, 0x75, 0x69);
constexpr COLORREF Ink = RGB(0x1F, 0x2A, 0x18);

TEST_F(EditTest, MarkerFieldEmptyWithHintFocusedAndFilled) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(156, 25, 181, 21), L"kód");
  ShowForm();
  HWND W = E->Handle();
  EXPECT_EQ(WindowClassName(W), L"TsEdit");
  EXPECT_EQ(Hex(WindowPixel(W, 10, 0)), Hex(Border));
  EXPECT_EQ(Hex(WindowPixel(W, 100, 10)), "#FFFFFF");
  EXPECT_GT(Count(W, 181, 21, HintInk), 20) << "the hint in 0.65 of the font colour";
  EXPECT_EQ(Count(W, 181, 21, GetSysColor(COLOR_GRAYTEXT)), 0);
  E->SetFocus();
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W, 10, 0)), Hex(HotBorder));
  EXPECT_EQ(Hex(WindowPixel(W, 100, 10)), Hex(HotInside));
  EXPECT_EQ(Count(W, 181, 21, HintInk), 0) << "no hint while focused";
  E->SetText(L"kód");
  PumpFor(100);
  EXPECT_GT(Count(W, 181, 21, Ink), 15) << "typed text in the skin's ink";
  SetFocus(nullptr);
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W, 10, 0)), Hex(Border));
  EXPECT_EQ(Hex(WindowPixel(W, 100, 10)), "#FFFFFF");
  EXPECT_GT(Count(W, 181, 21, Ink), 15) << "the text painted by the skin";
  EXPECT_EQ(Count(W, 181, 21, HintInk), 0);
}

TEST_F(EditTest, HoverShowsTheHotFaceWithTheHintInTheSkinsColour) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(156, 25, 181, 21), L"kód");
  ShowForm();
  HWND W = E->Handle();
  E->Perform(CM_MOUSEENTER);
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W, 10, 0)), Hex(HotBorder));
  EXPECT_EQ(Hex(WindowPixel(W, 100, 10)), Hex(HotInside));
  EXPECT_GT(Count(W, 181, 21, BlendColors(0x182A1F, 0xF9FFFD, 0.65)), 20)
      << "the hint over the hot colour";
  EXPECT_EQ(Count(W, 181, 21, GetSysColor(COLOR_GRAYTEXT)), 0) << "not the system's gray";
  E->Perform(CM_MOUSELEAVE);
  PumpFor(100);
  EXPECT_EQ(Hex(WindowPixel(W, 10, 0)), Hex(Border));
  EXPECT_GT(Count(W, 181, 21, HintInk), 20);
}

TEST_F(EditTest, PasswordTextShowsBlackCirclesWhileInactive) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  TsEdit* Secret = NewEdit(P, Bounds(10, 25, 181, 21), L"");
  Secret->SetPasswordChar(L'*');
  Secret->SetText(L"abc");
  TsEdit* Shown = NewEdit(P, Bounds(200, 25, 181, 21), L"");
  Shown->SetText(L"\x25CF\x25CF\x25CF");
  ShowForm();
  int Dots = Count(Secret->Handle(), 181, 21, Ink);
  EXPECT_GT(Dots, 10);
  EXPECT_EQ(Dots, Count(Shown->Handle(), 181, 21, Ink));
  EXPECT_EQ(Secret->Text(), L"abc");
}

TEST_F(EditTest, BoundLabelsSitCentredOnTheirEditsTopEdge) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  const wchar_t* Captions[] = {L"Vyhledat začátek textu", L"Vyhledat konec textu",
                               L"Zaměnit text za a ještě mnohem delší popisek"};
  std::vector<TsEdit*> List;
  for (int i = 0; i < 3; ++i) {
    TsEdit* E = NewEdit(P, Bounds(156 + 187 * i - 150, 25, 181, 21), L"");
    List.push_back(E);
    E->BoundLabel().SetActive(true);
    E->BoundLabel().SetCaption(Captions[i]);
    E->BoundLabel().SetIndent(0);
    E->BoundLabel().SetLayout(sclTopCenter);
  }
  ShowForm();
  for (int i = 0; i < 3; ++i) {
    TsEdit* E = List[size_t(i)];
    TLabel* L = E->BoundLabel().Label();
    ASSERT_NE(L, nullptr);
    EXPECT_STREQ(L->ClassName(), L"TsEditLabel");
    EXPECT_EQ(L->Top() + L->Height(), 25);
    // Odd differences truncate toward zero, also for a label wider than its edit.
    EXPECT_EQ(L->Left(), E->Left() + (E->Width() - L->Width()) / 2) << i;
    EXPECT_EQ(L->Alignment(), taCenter);
    EXPECT_EQ(L->Name(), E->Name() + L"Label");
    int LabelInk = 0;
    for (int y = L->Top(); y < L->Top() + L->Height(); ++y)
      for (int x = std::max(0, L->Left()); x < L->Left() + L->Width(); ++x)
        LabelInk += ScreenPixel(P->Handle(), x, y) == Ink;
    EXPECT_GT(LabelInk, 100) << "the label in the skin's ink";
  }
  EXPECT_GT(List[2]->BoundLabel().Label()->Width(), List[2]->Width());
}

TEST_F(EditTest, LeftLayoutAndTheWidthLimitThatWrapsTheLabel) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(250, 25, 100, 21), L"");
  TBoundLabel& B = E->BoundLabel();
  B.SetActive(true);
  EXPECT_EQ(B.Caption(), E->Name()) << "the edit's name until a caption is given";
  B.SetCaption(L"Popisek");
  B.SetIndent(3);
  B.SetLayout(sclLeft);
  ShowForm();
  TLabel* L = B.Label();
  EXPECT_EQ(L->Left(), 250 - L->Width() - 3 - 4);
  EXPECT_EQ(L->Top(), 25 + (21 - L->Height()) / 2 - 1);
  EXPECT_EQ(L->Alignment(), taRightJustify);
  const int OneLine = L->Height();
  B.SetLayout(sclBottomLeft);
  B.SetMaxWidth(100);
  B.SetCaption(L"Velmi dlouhý popisek, který se do sta bodů nevejde");
  EXPECT_TRUE(L->WordWrap()) << "it reached 100 - 4";
  EXPECT_LE(L->Width(), 100);
  EXPECT_GT(L->Height(), OneLine);
  EXPECT_EQ(L->Left(), 250);
  EXPECT_EQ(L->Top(), 25 + 21 + 3);
  B.SetCaption(L"Krátký");
  EXPECT_FALSE(L->WordWrap());
  EXPECT_EQ(L->Height(), OneLine);
}

TEST_F(EditTest, TheLabelFollowsTheEditAndAFreedLabelLeavesNothingBehind) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(156, 25, 181, 21), L"");
  TBoundLabel& B = E->BoundLabel();
  B.SetActive(true);
  B.SetLayout(sclTopCenter);
  ShowForm();
  TLabel* L = B.Label();
  E->SetVisible(false);
  EXPECT_FALSE(L->Visible());
  E->SetVisible(true);
  EXPECT_TRUE(L->Visible());
  E->SetEnabled(false);
  EXPECT_FALSE(L->Enabled());
  E->SetEnabled(true);
  E->SetDisabledKind(dkGrayed);
  E->SetEnabled(false);
  EXPECT_TRUE(L->Enabled()) << "without dkBlended the label stays enabled";
  E->SetEnabled(true);
  E->SetBounds(100, 40, 181, 21);
  EXPECT_EQ(L->Top() + L->Height(), 40);
  // A label freed by other means than the bound label marks it inactive.
  delete L;
  EXPECT_FALSE(B.Active());
  EXPECT_EQ(B.Label(), nullptr);
  B.SetCaption(L"Jiný");
  B.AlignLabel();
  E->SetBounds(120, 40, 181, 21);
  B.SetActive(true);
  EXPECT_EQ(B.Label()->Caption(), L"Jiný");
  B.SetActive(false);
  EXPECT_EQ(B.Label(), nullptr);
}

TEST_F(EditTest, UseSkinColorOfTheLabelAndItsFontBeforeThereIsALabel) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(156, 25, 181, 21), L"");
  TBoundLabel& B = E->BoundLabel();
  EXPECT_TRUE(E->UseSkinColor()) << "true without a label";
  B.Font().SetColor(RGB(200, 0, 0));
  B.SetActive(true);
  B.SetLayout(sclTopCenter);
  EXPECT_EQ(B.Font().Color(), TColor(RGB(200, 0, 0))) << "the stand-in font went to the label";
  E->SetUseSkinColor(false);
  ShowForm();
  TLabel* L = B.Label();
  int Red = 0;
  for (int y = L->Top(); y < L->Top() + L->Height(); ++y)
    for (int x = L->Left(); x < L->Left() + L->Width(); ++x)
      Red += ScreenPixel(E->Parent()->Handle(), x, y) == RGB(200, 0, 0);
  EXPECT_GT(Red, 20) << "with UseSkinColor off the label keeps its font colour";
}

TEST_F(EditTest, DroppingTheSkinGivesBackTheDesignColours) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(156, 25, 181, 21), L"");
  E->SetColor(RGB(250, 240, 200));
  E->Font().SetColor(RGB(0, 0, 128));
  ShowForm();
  EXPECT_EQ(E->Font().Color(), TColor(0x182A1F)) << "the section's font colour while skinned";
  EXPECT_EQ(E->Color(), TColor(0xFFFFFF));
  Manager->SetActive(false);
  PumpFor(50);
  EXPECT_EQ(E->Color(), TColor(RGB(250, 240, 200)));
  EXPECT_EQ(E->Font().Color(), TColor(RGB(0, 0, 128)));
  Manager->SetActive(true);
  PumpFor(50);
  EXPECT_EQ(E->Font().Color(), TColor(0x182A1F));
}

TEST_F(EditTest, ALabelWithASectionGetsItsDesignColourBackWithoutTheSkin) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  auto* L = new TsLabel(Form);
  L->SetParent(P);
  L->SetBounds(10, 10, 100, 20);
  L->SetCaption(L"Popisek");
  L->Font().SetColor(RGB(0, 128, 0));
  L->SkinSection = L"EDIT";
  ShowForm();
  EXPECT_EQ(L->Font().Color(), TColor(0x182A1F));
  Manager->SetActive(false);
  PumpFor(50);
  P->Repaint();
  PumpFor(50);
  EXPECT_EQ(L->Font().Color(), TColor(RGB(0, 128, 0)));
}

TEST_F(EditTest, HoversFocusAndTextChangesGiveBackTheirGdiObjects) {
  UseMeadowStyle();
  TsPanel* P = NewPanel();
  TsEdit* E = NewEdit(P, Bounds(156, 25, 181, 21), L"kód");
  TsEdit* Other = NewEdit(P, Bounds(10, 25, 100, 21), L"");
  E->BoundLabel().SetActive(true);
  ShowForm();
  auto Round = [&](int i) {
    E->Perform(CM_MOUSEENTER);
    E->Perform(CM_MOUSELEAVE);
    E->SetFocus();
    E->SetText(std::to_wstring(i));
    Other->SetFocus();
    E->SetText(L"");
    PumpFor(2);
  };
  Round(0);
  PumpFor(20);
  const int64_t Before = LiveGdiObjects();
  for (int i = 1; i <= 200; ++i)
    Round(i);
  PumpFor(20);
  EXPECT_EQ(LiveGdiObjects(), Before);
}

TEST_F(EditTest, TheTextStaysInPlaceWhenTheFieldTakesTheFocus) {
  UseMeadowStyle();
  TsEdit* E = NewEdit(NewPanel(), Bounds(156, 25, 181, 21), L"");
  E->SetText(L"kód");
  ShowForm();
  HWND W = E->Handle();
  auto FirstInk = [&](int& Top) {
    int Left = 999;
    Top = 999;
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 60; ++x)
        if (WindowPixel(W, x, y) == Ink) {
          Left = std::min(Left, x);
          Top = std::min(Top, y);
        }
    return Left;
  };
  int TopInactive = 0, TopFocused = 0;
  int Inactive = FirstInk(TopInactive);
  E->SetFocus();
  PumpFor(100);
  int Focused = FirstInk(TopFocused);
  EXPECT_LT(Inactive, 999);
  // Wine's edit writes its glyphs a pixel right of where DrawText puts them at the same point.
  EXPECT_NEAR(Inactive, Focused, 1);
  EXPECT_EQ(TopInactive, TopFocused);
  EXPECT_GE(Inactive, 4) << "clear of the frame";
}

} // namespace
