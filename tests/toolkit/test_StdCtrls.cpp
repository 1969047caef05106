// The standard controls.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"

TEST_F(FormTest, WindowlessLabelIsPaintedByItsParent) {
  auto* Label = new TLabel(Form);
  Label->SetParent(Form);
  Label->SetBounds(10, 10, 100, 20);
  Label->SetAutoSize(false);
  Label->Font().SetHeight(-16);
  Label->Font().SetColor(0x0000FF); // red
  Label->SetCaption(L"MMMM");
  Form->Show();
  PumpFor(50);
  HDC DC = GetDC(Form->Handle());
  int Red = 0, RedOutside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 140; ++x) {
      COLORREF C = GetPixel(DC, x, y);
      bool IsRed = GetRValue(C) > 200 && GetGValue(C) < 80 && GetBValue(C) < 80;
      if (IsRed && x >= 10 && x < 110 && y >= 10 && y < 30) ++Red;
      if (IsRed && !(x >= 10 && x < 110 && y >= 10 && y < 30)) ++RedOutside;
    }
  ReleaseDC(Form->Handle(), DC);
  EXPECT_GT(Red, 20);
  EXPECT_EQ(RedOutside, 0);
}

TEST_F(FormTest, DefaultButtonHasTheDefaultPushStyle) {
  auto* B = new TButton(Form);
  B->SetParent(Form);
  B->SetDefault(true);
  EXPECT_EQ(GetWindowLongW(B->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  B->SetDefault(false);
  EXPECT_EQ(GetWindowLongW(B->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
}

TEST_F(FormTest, LabelWidthLimitAndWordWrap) {
  auto* L = new TLabel(Form);
  L->SetParent(Form);
  L->SetCaption(L"Velmi dlouhý popisek, který se do sta bodů nevejde");
  const int Wide = L->Width(), OneLine = L->Height();
  EXPECT_GT(Wide, 100);
  EXPECT_EQ(L->TextWidth(), Wide);
  L->SetMaxWidth(100);
  EXPECT_EQ(L->Width(), 100) << "never wider than the limit";
  EXPECT_EQ(L->Height(), OneLine);
  L->SetWordWrap(true);
  EXPECT_LE(L->Width(), 100);
  EXPECT_GT(L->Height(), 2 * OneLine) << "the words go onto more lines";
  L->SetMaxWidth(0);
  L->SetWordWrap(false);
  EXPECT_EQ(L->Width(), Wide);
}

// A label made by a bound label's factory.
class TMadeLabel : public TLabel {
public:
  using TLabel::TLabel;
  const wchar_t* ClassName() const override { return L"TMadeLabel"; }
  ~TMadeLabel() override {
    if (Bound) Bound->LabelDestroyed(this);
  }
  TBoundLabel* Bound = nullptr;
};

TEST_F(FormTest, BoundLabelMadeByItsFactoryWithAStandInFontAndAWidthLimit) {
  auto* E = new TEdit(Form);
  E->SetName(L"Pole");
  E->SetParent(Form);
  E->SetBounds(150, 40, 100, 21);
  TBoundLabel& B = E->BoundLabel();
  B.LabelFactory = [&B](TWinControl* Edit) {
    auto* L = new TMadeLabel(Edit);
    L->Bound = &B;
    return L;
  };
  B.Font().SetHeight(-20);
  B.SetActive(true);
  ASSERT_NE(B.Label(), nullptr);
  EXPECT_STREQ(B.Label()->ClassName(), L"TMadeLabel");
  EXPECT_EQ(B.Label()->Owner(), E);
  EXPECT_EQ(B.Label()->Font().Height(), -20) << "the font given before the label existed";
  EXPECT_EQ(B.Caption(), L"Pole");
  B.SetLayout(sclTopLeft);
  B.SetMaxWidth(60);
  B.SetCaption(L"Dlouhý popisek nad polem");
  EXPECT_TRUE(B.Label()->WordWrap());
  EXPECT_LE(B.Label()->Width(), 60);
  EXPECT_EQ(B.Label()->Top() + B.Label()->Height(), 40);
  delete B.Label();
  EXPECT_FALSE(B.Active());
}

TEST_F(FormTest, PlainBoundLabelTakesTheSkinnedOnlyPropertiesQuietly) {
  auto* E = new TEdit(Form);
  E->SetParent(Form);
  TDefValue True;
  True.Kind = TDefValue::vkIdent;
  True.Ident = "True";
  TDefValue Zero;
  Zero.Kind = TDefValue::vkInt;
  Zero.Int = 80;
  EXPECT_TRUE(E->ReadProperty("BoundLabel.Active", True));
  EXPECT_TRUE(E->ReadProperty("BoundLabel.UseSkinColor", True));
  EXPECT_TRUE(E->ReadProperty("BoundLabel.MaxWidth", Zero));
  EXPECT_EQ(E->BoundLabel().MaxWidth(), 80);
}
