#include <gtest/gtest.h>

#include "skin/controls/sSkinControls.h"
#include "skin/forms/kvDials.h"
#include "app/un_main.h"
#include "skin/data/kvSkinMessages.h"
#include "skin/images/kvShadows.h"
#include "skin/images/kvSkinPictures.h"
#include "tests/app/ProgramTest.h"

#include <commctrl.h>

#include <algorithm>

namespace {

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    ProgramTestSetUp();
    Form = new Tfrm_main(Application);
    Form->HandleNeeded();
  }
  void TearDown() override { delete Form; }

  // Shows the window and closes the start-up notice as soon as it appears.
  void ShowAndDismissNotice() {
    RunLater(50, [] {
      if (TMessageForm* M = FindMessageForm()) M->ModalResult = mrOk;
    });
    Form->Show();
  }

  static std::vector<HWND> ChildWindows(HWND Parent) {
    std::vector<HWND> List;
    for (HWND W = GetWindow(Parent, GW_CHILD); W; W = GetWindow(W, GW_HWNDNEXT))
      List.push_back(W);
    return List;
  }

  Tfrm_main* Form;
};

const std::vector<std::wstring> kHelpText = {
    L"Nápověda:",
    L"potřebujeme změnit text ve více řádcích a nechceme zadávat každou podmínku zvlášť.",
    L"",
    L"1. řádek kód xyzvh, je nesmysl na entou",
    L"2. řádek kód usdkop, je nesmysl na entou",
    L"",
    L"zaměnit na: ",
    L"1. řádek * je nesmysl na entou",
    L"2. řádek * je nesmysl na entou",
    L"",
    L"Do okna \"Vyhledat začátek textu\" napíšeme kód",
    L"Do okna \"Vyhledat konec textu\" , ",
    L"Do okna \"Zaměnit text za\" napíšeme *",
    L"",
    L"Pak už jenom klepneme na tlačítko \"Vyhledat\"",
    L"O přepsání jste informováni.",
};

std::wstring CueText(TEdit* Edit) {
  wchar_t Buffer[64] = {};
  SendMessageW(Edit->Handle(), EM_GETCUEBANNER, WPARAM(Buffer), 64);
  return Buffer;
}

} // namespace

TEST_F(MainWindowTest, ControlsHaveTheirKindsTextsAndVisibility) {
  EXPECT_EQ(Form->Caption(), L"Textovrt");
  EXPECT_EQ(WindowClassName(Form->Handle()), L"Tfrm_main");
  EXPECT_EQ(Form->sButton1->Caption(), L"Načíst textový soubor");
  EXPECT_EQ(Form->sButton2->Caption(), L"Vyhledat");
  EXPECT_EQ(Form->sButton3->Caption(), L"Uložit");
  EXPECT_EQ(Form->Button1->Caption(), L"přepiš");
  EXPECT_EQ(Form->sLabel1->Caption(), L"Vyhledáno položek: ");
  EXPECT_EQ(Form->sLabel2->Caption(), L"0");
  EXPECT_EQ(Form->Memo1->Text(), JoinLines(kHelpText));
  EXPECT_EQ(Form->Memo2->Text(), L"");
  for (TEdit* E : {Form->sEdit1, Form->sEdit2, Form->sEdit3}) {
    EXPECT_EQ(E->Text(), L"");
    EXPECT_EQ(E->Color(), clWhite);
    EXPECT_EQ(E->Font().Name(), L"Tahoma");
    EXPECT_EQ(E->Font().Height(), -11);
    EXPECT_EQ(E->SkinSection, L"EDIT");
  }
  EXPECT_EQ(CueText(Form->sEdit1), L"kód");
  EXPECT_EQ(CueText(Form->sEdit2), L", ");
  EXPECT_EQ(CueText(Form->sEdit3), L"*");
  EXPECT_EQ(Form->sEdit1->BoundLabel().Label()->Caption(), L"Vyhledat začátek textu");
  EXPECT_EQ(Form->sEdit2->BoundLabel().Label()->Caption(), L"Vyhledat konec textu");
  EXPECT_EQ(Form->sEdit3->BoundLabel().Label()->Caption(), L"Zaměnit text za");
  EXPECT_EQ(Form->Memo1->Font().Charset(), EASTEUROPE_CHARSET);
  EXPECT_EQ(Form->pb->SkinSection, L"GAUGE");
  EXPECT_EQ(Form->pb->Max(), 100);
  EXPECT_EQ(Form->pb->Position(), 0);
  EXPECT_EQ(Form->pb->Step(), 10);
  EXPECT_FALSE(Form->Timer1->Enabled());
  EXPECT_EQ(Form->Timer1->Interval(), 100u);

  for (TWinControl* Hidden :
       std::initializer_list<TWinControl*>{Form->Memo2, Form->pb, Form->Button1})
    EXPECT_FALSE(GetWindowLongW(Hidden->Handle(), GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(Form->sLabel1->Visible());
  EXPECT_FALSE(Form->sLabel2->Visible());
  for (TWinControl* Shown : std::initializer_list<TWinControl*>{
           Form->Memo1, Form->sPanel1, Form->sPanel2, Form->sButton1, Form->sButton2,
           Form->sButton3, Form->sEdit1, Form->sEdit2, Form->sEdit3})
    EXPECT_TRUE(GetWindowLongW(Shown->Handle(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(MainWindowTest, FrameHasOnlyTheCloseButtonAndIsSizeable) {
  LONG Style = GetWindowLongW(Form->Handle(), GWL_STYLE);
  EXPECT_TRUE(Style & WS_THICKFRAME);
  EXPECT_TRUE(Style & WS_SYSMENU);
  EXPECT_FALSE(Style & WS_MINIMIZEBOX);
  EXPECT_FALSE(Style & WS_MAXIMIZEBOX);
  EXPECT_EQ(Form->ClientRect(), Rect(0, 0, 775, 623));
  RECT R;
  GetWindowRect(Form->Handle(), &R);
  EXPECT_LE(std::abs((R.left + R.right) / 2 - GetSystemMetrics(SM_CXSCREEN) / 2), 1);
  EXPECT_LE(std::abs((R.top + R.bottom) / 2 - GetSystemMetrics(SM_CYSCREEN) / 2), 1);
  EXPECT_NE(SendMessageW(Form->Handle(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(MainWindowTest, BoundsAfterAlignmentAt96Dpi) {
  EXPECT_EQ(Form->sPanel1->BoundsRect(), Bounds(3, 3, 769, 70));
  EXPECT_EQ(Form->Memo1->BoundsRect(), Bounds(3, 79, 769, 482));
  EXPECT_EQ(Form->sPanel2->BoundsRect(), Bounds(3, 563, 769, 57));
  EXPECT_EQ(Form->sButton1->BoundsRect(), Bounds(5, 21, 145, 30));
  EXPECT_EQ(Form->sEdit1->BoundsRect(), Bounds(156, 25, 181, 21));
  EXPECT_EQ(Form->sEdit2->BoundsRect(), Bounds(343, 25, 181, 21));
  EXPECT_EQ(Form->sEdit3->BoundsRect(), Bounds(530, 25, 181, 21));
  EXPECT_EQ(Form->sButton2->BoundsRect(), Bounds(4, 4, 586, 49));
  EXPECT_EQ(Form->sButton3->BoundsRect(), Bounds(596, 4, 169, 49));
  // Bound labels sit on the edit's top edge, centred on it.
  for (TEdit* E : {Form->sEdit1, Form->sEdit2, Form->sEdit3}) {
    TLabel* L = E->BoundLabel().Label();
    EXPECT_EQ(L->Top() + L->Height(), E->Top());
    EXPECT_EQ(L->Left(), E->Left() + (E->Width() - L->Width()) / 2);
    EXPECT_EQ(L->Parent(), Form->sPanel1);
  }
  // What the windows show matches.
  RECT R;
  GetWindowRect(Form->Memo1->Handle(), &R);
  MapWindowPoints(nullptr, Form->Handle(), reinterpret_cast<POINT*>(&R), 2);
  EXPECT_EQ(R.top, 79);
  EXPECT_EQ(R.bottom - R.top, 482);
}

TEST_F(MainWindowTest, TabOrderFollowsTheDefinition) {
  auto Names = [](HWND Parent) {
    std::vector<std::wstring> List;
    for (HWND W : ChildWindows(Parent))
      List.push_back(TWinControl::FromHandle(W)->Name());
    return List;
  };
  EXPECT_EQ(Names(Form->Handle()),
            (std::vector<std::wstring>{L"Memo1", L"Memo2", L"sPanel1", L"sPanel2", L"pb"}));
  EXPECT_EQ(Names(Form->sPanel1->Handle()),
            (std::vector<std::wstring>{L"sButton1", L"sEdit1", L"sEdit2", L"sEdit3"}));
  EXPECT_EQ(Names(Form->sPanel2->Handle()),
            (std::vector<std::wstring>{L"sButton2", L"Button1", L"sButton3"}));
}

TEST_F(MainWindowTest, StartupNoticeComesFirstWithTheTitleAsCaption) {
  bool Seen = false;
  RunLater(100, [&] {
    TMessageForm* M = FindMessageForm();
    ASSERT_NE(M, nullptr);
    Seen = true;
    EXPECT_EQ(M->Caption(), ProgramTitle);
    EXPECT_EQ(M->Message()->Caption(), StartupNotice);
    EXPECT_EQ(std::wstring(StartupNotice).substr(std::wstring(StartupNotice).rfind(L'\r') + 1),
              L"Program je možné rozšířit i o načtení více souborů a automatické uložení");
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
    EXPECT_FALSE(IsWindowEnabled(Form->Handle())); // no input until the notice is closed
    SendMessageW(M->OkButton()->Handle(), BM_CLICK, 0, 0);
  });
  Form->Show();
  EXPECT_TRUE(Seen);
  EXPECT_TRUE(IsWindowEnabled(Form->Handle()));
  // Three lines, separated by single carriage returns.
  std::wstring Notice = StartupNotice;
  EXPECT_EQ(std::count(Notice.begin(), Notice.end(), L'\r'), 2);
  EXPECT_EQ(Notice.find(L'\n'), std::wstring::npos);
}

TEST_F(MainWindowTest, ResizingKeepsTheEditorHeightAndThePanelAtTheBottom) {
  ShowAndDismissNotice();
  Form->SetClientSize(900, 800);
  PumpFor(20);
  EXPECT_EQ(Form->Memo1->BoundsRect(), Bounds(3, 79, 894, 482));
  EXPECT_EQ(Form->sPanel2->BoundsRect(), Bounds(3, 800 - 3 - 57, 894, 57));
  EXPECT_EQ(Form->sButton3->Left(), 894 - 1 - 3 - 169);
  Form->SetClientSize(700, 600);
  PumpFor(20);
  EXPECT_EQ(Form->Memo1->Height(), 482);
  EXPECT_EQ(Form->sPanel2->Top(), 600 - 3 - 57);
}

TEST_F(MainWindowTest, EditorChangesArePaintedBeforeTheHandlerReturns) {
  ShowAndDismissNotice();
  PumpFor(50);
  int Paints = 0;
  TWndHookToken PreviousHook =
      Form->Memo1->AddWindowHook([&](TMessage& M, const TWndNext& Previous) {
        Paints += M.Msg == WM_PAINT;
        Previous(M);
      });
  Form->Memo1->SetText(L"nový text");
  EXPECT_GE(Paints, 1); // no message was pumped in between
  Form->Memo1->RemoveWindowHook(PreviousHook);
}

TEST(BuiltinShadows, AreDecodedFromTheProgramsResources) {
  EXPECT_FALSE(BuiltinShadows().Active.IsEmpty());
  EXPECT_FALSE(BuiltinShadows().Inactive.IsEmpty());
  EXPECT_EQ(BuiltinShadows().Active.Width(), BuiltinShadows().Inactive.Width());
}

TEST_F(MainWindowTest, TheInternalSkinIsAppliedWhileTheWindowIsCreated) {
  TsSkinManager* M = Form->sSkinManager1;
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(DefaultManager, M);
  EXPECT_EQ(M->SkinName(), L"MeadowStyle");
  EXPECT_EQ(M->InternalSkins().Count(), 1);
  EXPECT_EQ(M->InternalSkins().Items(0).Name(), "MeadowStyle");
  EXPECT_TRUE(M->Model().SkinData.Active);
  EXPECT_GE(M->Model().GetSkinIndex("BUTTON"), 0);
  EXPECT_GE(M->Model().GetSkinIndex("EDIT"), 0);
  EXPECT_TRUE(M->GlobalHookInstalled());
  EXPECT_EQ(M->ThirdPartyClasses(1), std::vector<std::wstring>{L"TButton"});
  for (int i = 0; i < ThirdPartyCount; ++i) {
    if (i != 1) {
      EXPECT_EQ(M->ThirdParty(i), L" ") << ThirdPartyNames[i];
    }
  }
}

TEST_F(MainWindowTest, PanelsAndLabelsAreTheSkinnedKinds) {
  ShowAndDismissNotice();
  for (TPanel* P : {Form->sPanel1, Form->sPanel2}) {
    EXPECT_EQ(WindowClassName(P->Handle()), L"TsPanel");
    EXPECT_EQ(SendMessageW(P->Handle(), KV_SKINMSG, WPARAM(KV_ISSKINNED) << 16, 0), 1);
    EXPECT_EQ(SendMessageW(P->Handle(), KV_SKINMSG, WPARAM(KV_QUERYCOLOR) << 16, 0xFF00FF),
              15529972);
  }
  EXPECT_STREQ(Form->sLabel1->ClassName(), L"TsLabel");
  EXPECT_STREQ(Form->sLabel2->ClassName(), L"TsLabel");
}

TEST_F(MainWindowTest, ButtonsFieldsAndTheBarAreTheSkinnedKinds) {
  ShowAndDismissNotice();
  PumpFor(200);
  for (TButton* B : {Form->sButton1, Form->sButton2, Form->sButton3}) {
    EXPECT_EQ(WindowClassName(B->Handle()), L"TsButton");
    EXPECT_EQ(SendMessageW(B->Handle(), KV_SKINMSG, WPARAM(KV_ISSKINNED) << 16, 0), 1);
  }
  EXPECT_EQ(WindowClassName(Form->Button1->Handle()), L"TButton") << "the hidden one stays plain";
  EXPECT_EQ(WindowClassName(Form->pb->Handle()), L"TsProgressBar");
  auto WindowPixel = [](HWND W, int X, int Y) {
    HDC DC = GetWindowDC(W);
    COLORREF C = GetPixel(DC, X, Y);
    ReleaseDC(W, DC);
    return C;
  };
  EXPECT_EQ(WindowPixel(Form->sButton2->Handle(), 8, 24), RGB(0xEB, 0xF3, 0xE2));
  for (TEdit* E : {Form->sEdit1, Form->sEdit2, Form->sEdit3}) {
    EXPECT_EQ(WindowClassName(E->Handle()), L"TsEdit");
    EXPECT_EQ(WindowPixel(E->Handle(), 10, 0), RGB(0x9D, 0xBF, 0x86));
    TLabel* L = E->BoundLabel().Label();
    EXPECT_STREQ(L->ClassName(), L"TsEditLabel");
    EXPECT_EQ(L->Top() + L->Height(), 25);
    EXPECT_EQ(L->Left(), E->Left() + (E->Width() - L->Width()) / 2);
  }
}

TEST(Environment, TheEightBitCodePageIsTheCzechOne) {
  // The scripts run the program with a Czech locale; files without a mark are read in 1250.
  EXPECT_EQ(GetACP(), 1250u);
}
