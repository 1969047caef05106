#include "skin/controls/sCommonData.h"

#include "skin/controls/sPanel.h"
#include "skin/controls/sVclUtils.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

// An edit that carries a skin state and hands its messages to the shared handling first, as
// the skinned edits do.
class TStateEdit : public TEdit {
public:
  explicit TStateEdit(TComponent* Owner) : TEdit(Owner) {
    Data.COC = 3;
    Data.Loaded();
  }
  const wchar_t* ClassName() const override { return L"TStateEdit"; }
  void WndProc(TMessage& M) override {
    if (!CommonWndProc(M, &Data)) TEdit::WndProc(M);
  }
  TsCtrlSkinData Data{this, true};
};

// A window-less control with a skin state of a kind without a default section.
class TStateGraphic : public TGraphicControl {
public:
  explicit TStateGraphic(TComponent* Owner) : TGraphicControl(Owner) {}
  const wchar_t* ClassName() const override { return L"TStateGraphic"; }
  void WndProc(TMessage& M) override {
    if (!CommonWndProc(M, &Data)) TGraphicControl::WndProc(M);
  }
  void Paint(HDC) override {}
  TsCtrlSkinData Data{this, false};
};

// A windowed control with a skin state and no cache of its own.
class TCachelessBox : public TWinControl {
public:
  explicit TCachelessBox(TComponent* Owner) : TWinControl(Owner) {}
  const wchar_t* ClassName() const override { return L"TCachelessBox"; }
  void WndProc(TMessage& M) override {
    if (!CommonWndProc(M, &Data)) TWinControl::WndProc(M);
  }
  TsCtrlSkinData Data{this, false};
};

using SkinStateTest = SkinnedFormTest;

const char* Skin = "[PANEL]\r\nSTATES=1\r\nCOLOR=8421504\r\n"
                   "[EDIT]\r\nSTATES=3\r\nCOLOR=16777215\r\nFONTCOLOR=255\r\n"
                   "HOTCOLOR=65535\r\nHOTFONTCOLOR=16711680\r\n"
                   "[GLASS]\r\nSTATES=1\r\nCOLOR=65280\r\nTRANSPARENCY=100\r\n"
                   "[GRAD]\r\nSTATES=1\r\nCOLOR=0\r\nGRADIENTPERCENT=100\r\n"
                   "GRADIENTDATA=16711680;255;100;0;0\r\n"
                   "[TSTATEGRAPHIC]\r\nSTATES=1\r\nCOLOR=255\r\n";

TEST_F(SkinStateTest, SectionNamesAreUpperCasedAndDefaultsComeFromTheKind) {
  UseSkin(Skin);
  TsCommonData D(nullptr, false);
  D.SetSkinSection("panel");
  EXPECT_EQ(D.SkinSection(), "PANEL");
  EXPECT_TRUE(D.Section());
  D.SetSkinSection("");
  EXPECT_EQ(D.SkinSection(), "UNKNOWN");
  EXPECT_FALSE(D.Section());

  auto* G = new TStateGraphic(Form);
  G->Data.Loaded();
  EXPECT_EQ(G->Data.SkinSection(), "TSTATEGRAPHIC") << "a kind without a section: the class name";
  TsPanel* P = new TsPanel(Form);
  EXPECT_EQ(P->SkinData().SkinSection(), "PANEL");
  EXPECT_EQ(P->SkinData().COC, 51);
}

TEST_F(SkinStateTest, UpdatesNestAndKeepTheStateFlags) {
  UseSkin(Skin);
  auto* P = new TsPanel(Form);
  P->SetParent(Form);
  ShowForm();
  TsCommonData& D = P->SkinData();
  D.CtrlSkinState |= cssPrintDC;
  D.BeginUpdate();
  D.BeginUpdate();
  EXPECT_TRUE(D.CtrlSkinState & cssUpdating);
  D.EndUpdate();
  EXPECT_TRUE(D.FUpdating) << "the outer update still suspends painting";
  EXPECT_TRUE(D.CtrlSkinState & cssUpdating);
  D.EndUpdate();
  EXPECT_FALSE(D.FUpdating);
  EXPECT_FALSE(D.CtrlSkinState & cssUpdating);
  D.EndUpdate();
  EXPECT_EQ(D.UpdateCount(), 0) << "an extra EndUpdate does not go below 0";
  D.UpdateIndexes();
  EXPECT_TRUE(D.CtrlSkinState & cssPrintDC) << "recomputing the plain state keeps other bits";
  EXPECT_EQ(D.CtrlSkinState & cssPlainMask, cssPlainFace);
}

TEST_F(SkinStateTest, EditTakesTheHotColourWithFocusAndHoverAndGivesItBack) {
  UseSkin(Skin);
  auto* E = new TStateEdit(Form);
  E->SetParent(Form);
  auto* Other = new TEdit(Form);
  Other->SetParent(Form);
  Other->SetBounds(0, 50, 100, 21);
  ShowForm();
  E->Data.Loaded();
  E->Data.SyncColors(false);
  EXPECT_EQ(E->Color(), TColor(0xFFFFFF));
  EXPECT_EQ(E->Font().Color(), TColor(255));
  E->SetFocus();
  PumpFor(20);
  EXPECT_TRUE(E->Data.FFocused);
  EXPECT_EQ(E->Color(), TColor(65535));
  Other->SetFocus();
  PumpFor(20);
  EXPECT_FALSE(E->Data.FFocused);
  EXPECT_EQ(E->Color(), TColor(0xFFFFFF));
  E->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(E->Data.FMouseAbove);
  EXPECT_EQ(E->Color(), TColor(65535));
  EXPECT_EQ(Manager->ActiveControl(), E->Handle());
  E->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(E->Color(), TColor(0xFFFFFF));
  E->Data.SetCustomColor(true);
  E->Perform(CM_MOUSEENTER);
  EXPECT_EQ(E->Color(), TColor(0xFFFFFF)) << "a custom colour stays";

  // Dropping the skin gives the edit the system's colours back.
  Manager->SetActive(false);
  E->Data.SetCustomColor(false);
  TMessage Drop = SkinCommand(KV_SKINDROPPED, LPARAM(Manager));
  E->WindowProc(Drop);
  EXPECT_EQ(E->Color(), TColor(clWindow));
  EXPECT_EQ(E->Font().Color(), TColor(clWindowText));
  EXPECT_EQ(E->Data.SkinIndex, -1);
}

TEST_F(SkinStateTest, ContainersNeverTakeTheMouseAndAnswerTheirState) {
  UseSkin(Skin);
  auto* P = new TsPanel(Form);
  P->SetParent(Form);
  ShowForm();
  P->Perform(CM_MOUSEENTER);
  EXPECT_FALSE(P->SkinData().FMouseAbove);
  HWND W = P->Handle();
  EXPECT_EQ(SendSkinCommand(W, KV_QUERYSKINDATA),
            LRESULT(static_cast<TsHoverState*>(&P->SkinData())));
  EXPECT_EQ(SkinDataOf(P), &P->SkinData());
  EXPECT_EQ(SendSkinCommand(W, KV_QUERYSKINSTATE) & cssPlainMask, cssPlainFace);
  SendSkinCommand(W, KV_SETPRINTDC, 1234);
  EXPECT_TRUE(P->SkinData().CtrlSkinState & cssPrintDC);
  SendSkinCommand(W, KV_SETPRINTDC, 0);
  EXPECT_FALSE(P->SkinData().CtrlSkinState & cssPrintDC);
  TkvSectionInfo Info;
  EXPECT_EQ(SendSkinCommand(W, KV_QUERYSECTIONINDEX, LPARAM(&Info)), 0);
  EXPECT_EQ(Info.SkinIndex, P->SkinData().SkinIndex);
  Info.Name = "grad";
  SendSkinCommand(W, KV_ASSIGNSECTION, LPARAM(&Info));
  EXPECT_EQ(P->SkinData().SkinSection(), "GRAD");
  // The application query fills the result but leaves the message to the control.
  TMessage App = SkinCommand(KV_QUERYAPPLICATION);
  EXPECT_FALSE(CommonSkinCommand(App, &P->SkinData()));
  EXPECT_EQ(App.Result, LRESULT(Application));
}

TEST_F(SkinStateTest, BackgroundAnswersFollowTheSection) {
  UseSkin(Skin);
  auto* Outer = new TsPanel(Form);
  Outer->SetParent(Form);
  Outer->SetBounds(0, 0, 300, 200);
  Outer->SkinData().SetSkinSection("GRAD");
  auto* Inner = new TsPanel(Form);
  Inner->SetParent(Outer);
  Inner->SetBounds(30, 40, 100, 50);
  Inner->SkinData().SetSkinSection("GLASS");
  auto* Box = new TCachelessBox(Form);
  Box->SetParent(Outer);
  Box->SetBounds(150, 20, 40, 30);
  Box->Data.SetSkinSection("GLASS");
  ShowForm();
  Box->Data.Loaded();

  // A transparent section with a cache of its own answers with it (it holds the parent's
  // pixels); without one it passes the question on, and the parent's image comes back with
  // the offset of the control in it.
  TBackgroundInfo Info;
  ASSERT_TRUE(QueryParentBackground(Info, Inner, false));
  EXPECT_EQ(Info.Kind, bkImage);
  EXPECT_EQ(Info.Bmp, Inner->SkinData().CacheBmp());
  EXPECT_EQ(Info.Offset, (TPoint{0, 0}));
  ASSERT_TRUE(QueryParentBackground(Info, Box, false));
  EXPECT_EQ(Info.Kind, bkImage);
  EXPECT_EQ(Info.Bmp, Outer->SkinData().CacheBmp());
  EXPECT_EQ(Info.Offset, (TPoint{150, 20}));

  // An opaque plain section answers with its colour and lends its border bands.
  Outer->SkinData().SetSkinSection("PANEL");
  ASSERT_TRUE(QueryParentBackground(Info, Outer, false));
  EXPECT_EQ(Info.Kind, bkColor);
  EXPECT_EQ(Info.Color, TColor(8421504));

  // Without a skin the owner's colour.
  Manager->SetActive(false);
  Outer->SetColor(RGB(5, 6, 7));
  ASSERT_TRUE(QueryParentBackground(Info, Outer, false));
  EXPECT_EQ(Info.Kind, bkColor);
  EXPECT_EQ(ColorToRGB(Info.Color), TColor(RGB(5, 6, 7)));
}

TEST_F(SkinStateTest, ParentsThatDoNotAnswerGiveTheirColour) {
  UseSkin(Skin);
  ShowForm();
  TBackgroundInfo Info;
  EXPECT_TRUE(QueryParentBackground(Info, Form, false));
  EXPECT_EQ(Info.Kind, bkColor);
  EXPECT_EQ(Info.Color, TColor(RGB(0x80, 0x10, 0x10)));
  EXPECT_FALSE(QueryWindowBackground(Info, Form->Handle(), false));
  EXPECT_EQ(Info.Color, TColor(15529972)) << "the skin's global colour";
  EXPECT_EQ(ParentColor(Form), TColor(RGB(0x80, 0x10, 0x10)));
  EXPECT_EQ(ParentColor(nullptr), TColor(clFuchsia));
}

} // namespace
