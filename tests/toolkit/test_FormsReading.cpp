// Reading form definitions into the framework's controls: what each property takes, and the
// errors for values that a control does not know.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"

namespace {

class TReadForm : public TForm {
public:
  explicit TReadForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterField("Edit", Edit);
    RegisterField("Panel", Panel);
    RegisterField("Label", Label);
    RegisterField("Memo", Memo);
    RegisterField("Timer", Timer);
  }
  const wchar_t* ClassName() const override { return L"TReadForm"; }
  TEdit* Edit = nullptr;
  TPanel* Panel = nullptr;
  TLabel* Label = nullptr;
  TMemo* Memo = nullptr;
  TTimer* Timer = nullptr;
};

class FormsReadingTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication();
    Form = new TReadForm(Application);
  }
  void TearDown() override { delete Form; }

  // Reads Body as the form's own properties, then Children, from a definition "read.form".
  void Read(const std::string& Body, const std::string& Children = {}) {
    ReadComponentTree(
        Form,
        ParseDefinition("object Form: TReadForm\n" + Body + "\n" + Children + "end\n", "read.form"),
        {}, "read.form");
  }
  // The error text of reading, or "no error"; the form is made again afterwards.
  std::wstring ErrorOf(const std::string& Body, const std::string& Children = {}) {
    std::wstring Message = L"no error";
    try {
      Read(Body, Children);
    } catch (const Exception& E) {
      Message = E.Message();
    }
    delete Form;
    Form = new TReadForm(Application);
    return Message;
  }

  TReadForm* Form = nullptr;
};

} // namespace

TEST_F(FormsReadingTest, KnownIdentifiersReadWhatTheyName) {
  Read("  BorderIcons = [biSystemMenu, biMaximize]\n  BorderStyle = bsDialog\n"
       "  FormStyle = fsStayOnTop\n  Position = poDesktopCenter\n  Color = clWindow\n"
       "  Font.Style = [fsItalic, fsUnderline]\n  Font.Charset = EASTEUROPE_CHARSET\n"
       "  Font.Color = -16777208\n  PixelsPerInch = 96",
       " object Panel: TPanel\n  BevelOuter = bvNone\n  BevelInner = bvLowered\n"
       "  Align = alClient\n  object Label: TLabel\n   Alignment = taRightJustify\n  end\n end\n"
       " object Memo: TMemo\n  ScrollBars = ssVertical\n end\n"
       " object Edit: TEdit\n  BoundLabel.Active = True\n  BoundLabel.Layout = sclBottomRight\n"
       "  BoundLabel.MaxWidth = 0\n  BoundLabel.UseSkinColor = True\n end\n"
       " object Timer: TTimer\n  Interval = 250\n end\n");
  EXPECT_EQ(Form->BorderIcons(), unsigned(biSystemMenu | biMaximize));
  EXPECT_EQ(Form->BorderStyle(), bsDialog);
  EXPECT_EQ(Form->FormStyle(), fsStayOnTop);
  EXPECT_EQ(Form->Color(), clWindow);
  EXPECT_EQ(Form->Font().Style(), unsigned(fsItalic | fsUnderline));
  EXPECT_EQ(Form->Font().Charset(), EASTEUROPE_CHARSET);
  EXPECT_EQ(Form->Font().Color(), clWindowText); // a system colour stored as a negative number
  ASSERT_NE(Form->Panel, nullptr);
  EXPECT_EQ(Form->Panel->BevelOuter, bvNone);
  EXPECT_EQ(Form->Panel->BevelInner, bvLowered);
  EXPECT_EQ(Form->Panel->Align(), alClient);
  EXPECT_EQ(Form->Label->Alignment(), taRightJustify);
  EXPECT_EQ(Form->Memo->ScrollBars, ssVertical);
  EXPECT_EQ(Form->Edit->BoundLabel().Layout(), sclBottomRight);
  EXPECT_EQ(Form->Timer->Interval(), 250u);
}

TEST_F(FormsReadingTest, UnknownIdentifiersNameTheDefinitionTheLineAndTheText) {
  EXPECT_EQ(ErrorOf("  Left = 0\n  Position = poCentre"),
            L"Form definition read.form, line 3: unknown identifier \"poCentre\" for Position");
  EXPECT_EQ(ErrorOf("  BorderIcons = [biSystemMenu, biClose]"),
            L"Form definition read.form, line 2: unknown identifier \"biClose\" for BorderIcons");
  EXPECT_EQ(ErrorOf("  FormStyle = fsMDIForm"),
            L"Form definition read.form, line 2: unknown identifier \"fsMDIForm\" for FormStyle");
  EXPECT_EQ(ErrorOf("  BorderStyle = bsThin"),
            L"Form definition read.form, line 2: unknown identifier \"bsThin\" for BorderStyle");
  EXPECT_EQ(ErrorOf("  Font.Style = [fsBold, fsShadow]"),
            L"Form definition read.form, line 2: unknown identifier \"fsShadow\" for Font.Style");
  EXPECT_EQ(ErrorOf("  Font.Charset = KLINGON_CHARSET"),
            L"Form definition read.form, line 2: unknown identifier \"KLINGON_CHARSET\" for "
            L"Font.Charset");
  EXPECT_EQ(ErrorOf("  Color = clMauve"),
            L"Form definition read.form, line 2: unknown identifier \"clMauve\" for Color");
  EXPECT_EQ(ErrorOf("", " object Panel: TPanel\n  Align = alMiddle\n end\n"),
            L"Form definition read.form, line 4: unknown identifier \"alMiddle\" for Align");
  EXPECT_EQ(ErrorOf("", " object Panel: TPanel\n  BevelOuter = bvEmbossed\n end\n"),
            L"Form definition read.form, line 4: unknown identifier \"bvEmbossed\" for BevelOuter");
  EXPECT_EQ(ErrorOf("", " object Label: TLabel\n  Alignment = taJustify\n end\n"),
            L"Form definition read.form, line 4: unknown identifier \"taJustify\" for Alignment");
  EXPECT_EQ(ErrorOf("", " object Memo: TMemo\n  ScrollBars = ssAuto\n end\n"),
            L"Form definition read.form, line 4: unknown identifier \"ssAuto\" for ScrollBars");
  EXPECT_EQ(ErrorOf("", " object Edit: TEdit\n  BoundLabel.Layout = sclMiddle\n end\n"),
            L"Form definition read.form, line 4: unknown identifier \"sclMiddle\" for "
            L"BoundLabel.Layout");
}

TEST_F(FormsReadingTest, UnknownPropertiesAndValuesOutOfRangeAreErrors) {
  EXPECT_EQ(ErrorOf("  Font.Pitch = fpFixed"),
            L"Form definition read.form, line 2: unknown property \"Font.Pitch\" of Form "
            L"(TReadForm)");
  EXPECT_EQ(ErrorOf("", " object Edit: TEdit\n  BoundLabel.Shadow = 1\n end\n"),
            L"Form definition read.form, line 4: unknown property \"BoundLabel.Shadow\" of Edit "
            L"(TEdit)");
  EXPECT_EQ(ErrorOf("  ClientWidth = 4294967296"),
            L"Form definition read.form, line 2: integer 4294967296 out of range for ClientWidth");
  EXPECT_EQ(ErrorOf("  Color = 4294967296"),
            L"Form definition read.form, line 2: colour 4294967296 out of range for Color");
  EXPECT_EQ(ErrorOf("  Visible = 1"),
            L"Form definition read.form, line 2: Boolean value expected for Visible");
  EXPECT_EQ(ErrorOf("  Enabled = Maybe"),
            L"Form definition read.form, line 2: Boolean value (True or False) expected, not "
            L"\"Maybe\" for Enabled");
  EXPECT_EQ(ErrorOf("  BorderIcons = biHelp"),
            L"Form definition read.form, line 2: Set expected for BorderIcons");
  EXPECT_EQ(ErrorOf("", " object Timer: TTimer\n  Interval = -1\n end\n"),
            L"Form definition read.form, line 4: interval -1 below 0 for Interval");
  EXPECT_EQ(ErrorOf("", " object Edit: TEdit\n  BoundLabel.MaxWidth = 'wide'\n end\n"),
            L"Form definition read.form, line 4: Integer value expected for BoundLabel.MaxWidth");
}
