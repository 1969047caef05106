#include "skin/forms/kvCtrlAdapter.h"

#include "skin/controls/kvBtnWnd.h"
#include "skin/controls/sVclUtils.h"
#include "skin/forms/kvDials.h"
#include "skin/forms/sSkinProvider.h"
#include "tests/skin/controls/SkinnedFormTest.h"
#include "toolkit/Dialogs.h"

namespace {

class CtrlAdapterTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  TButton* NewButton(const std::wstring& Caption, TRect B) {
    auto* Btn = new TButton(Form);
    Btn->SetParent(Form);
    Btn->SetBounds(B.Left, B.Top, B.Width(), B.Height());
    Btn->SetCaption(Caption);
    return Btn;
  }
  TsSkinProvider* Provider() {
    return reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Form->Handle(), KV_QUERYPROVIDER));
  }
  static COLORREF Pixel(HWND Wnd, int X, int Y) {
    TClientDC DC(nullptr);
    RECT R;
    GetWindowRect(Wnd, &R);
    return GetPixel(DC, R.left + X, R.top + Y);
  }
  static std::string Hex(COLORREF C) {
    char B[16];
    snprintf(B, sizeof B, "#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
    return B;
  }
};

TEST_F(CtrlAdapterTest, PlainButtonsGetTheButtonAdapterMemosAndTaggedControlsStayPlain) {
  UseMeadowStyle();
  TButton* Btn = NewButton(L"přepiš", Bounds(20, 20, 120, 30));
  TButton* Kept = NewButton(L"vlastní", Bounds(20, 60, 120, 30));
  Kept->Tag = -98;
  auto* Memo = new TMemo(Form);
  Memo->SetParent(Form);
  Memo->SetBounds(20, 100, 200, 80);
  auto* Label = new TLabel(Form);
  Label->SetParent(Form);
  Label->SetBounds(20, 190, 100, 16);
  Label->SetCaption(L"popisek");
  auto* Own = new TLabel(Form);
  Own->SetParent(Form);
  Own->SetBounds(20, 210, 100, 16);
  Own->Tag = 98;
  Own->Font().SetColor(RGB(200, 0, 0));
  MouseTo(1000, 700);
  ShowForm();
  PumpFor(100);
  ASSERT_NE(Provider(), nullptr);
  ASSERT_NE(Provider()->Adapter(), nullptr);
  EXPECT_NE(dynamic_cast<TkvButtonWnd*>(TkvMainWnd::Of(Btn->Handle())), nullptr);
  EXPECT_EQ(TkvMainWnd::Of(Kept->Handle()), nullptr) << "tag -98";
  EXPECT_EQ(TkvMainWnd::Of(Memo->Handle()), nullptr) << "the edit list names no class";
  EXPECT_EQ(Provider()->Adapter()->Count(), 1);
  // The skinned face: the BUTTON section's vertical gradient from #FBFCF7 to #DCEBCF.
  auto InGradient = [](COLORREF C) {
    int R = GetRValue(C), G = GetGValue(C), B = GetBValue(C);
    return R >= 0xDC && R <= 0xFB && G >= 0xEB && G <= 0xFC && B >= 0xCF && B <= 0xF7 && G >= R &&
           R >= B;
  };
  EXPECT_TRUE(InGradient(Pixel(Btn->Handle(), 60, 15))) << Hex(Pixel(Btn->Handle(), 60, 15));
  EXPECT_TRUE(InGradient(Pixel(Btn->Handle(), 10, 10))) << Hex(Pixel(Btn->Handle(), 10, 10));
  EXPECT_EQ(Hex(Pixel(Kept->Handle(), 10, 15)), Hex(GetSysColor(COLOR_BTNFACE)));
  // Plain labels take the skin's font colour, a label of tag 98 keeps its own.
  EXPECT_EQ(ColorToRGB(Label->Font().Color()), ColorToRGB(Manager->Model().GetGlobalFontColor()));
  EXPECT_EQ(ColorToRGB(Own->Font().Color()), RGB(200, 0, 0));
  // A second scan makes no second item.
  Provider()->ScanControls();
  EXPECT_EQ(Provider()->Adapter()->Count(), 1);
  // The button still works.
  int Clicks = 0;
  Btn->OnClick = [&](TComponent*) { ++Clicks; };
  RECT R;
  GetWindowRect(Btn->Handle(), &R);
  SetForegroundWindow(Form->Handle());
  MouseTo(R.left + 60, R.top + 15);
  PumpFor(100);
  COLORREF Hot = Pixel(Btn->Handle(), 10, 15);
  MouseButton(true);
  PumpFor(80);
  COLORREF Pressed = Pixel(Btn->Handle(), 10, 15);
  MouseButton(false);
  PumpFor(80);
  EXPECT_EQ(Clicks, 1);
  EXPECT_NE(Hex(Hot), Hex(Pressed));
  EXPECT_TRUE(InGradient(Pressed) || GetGValue(Pressed) > GetRValue(Pressed)) << Hex(Pressed);
  MouseTo(1000, 700);
  PumpFor(100);
}

TEST_F(CtrlAdapterTest, TheLowerListWinsAndNoListMeansNoAdapter) {
  UseMeadowStyle();
  Manager->SetThirdParty(0, L"TButton");
  TButton* Btn = NewButton(L"a", Bounds(10, 10, 80, 24));
  ShowForm();
  EXPECT_NE(dynamic_cast<TkvEditWnd*>(TkvMainWnd::Of(Btn->Handle())), nullptr);
  delete Form;
  Form = new TTestForm(Application);
  Manager->SetThirdParty(0, L" ");
  Manager->SetSkinningRules(srStdForms | srStdDialogs);
  TButton* Plain = NewButton(L"b", Bounds(10, 10, 80, 24));
  ShowForm();
  EXPECT_EQ(TkvMainWnd::Of(Plain->Handle()), nullptr) << "no foreign controls without the rule";
}

TEST_F(CtrlAdapterTest, TheMessageFormsOkButtonIsSkinned) {
  UseMeadowStyle();
  ShowForm();
  bool Adapted = false, Shown = false;
  TColor LabelInk = clNone;
  RunLater(300, [&] {
    TMessageForm* M = FindMessageForm();
    if (!M) return;
    Shown = true;
    for (int i = 0; i < M->ControlCount(); ++i) {
      if (auto* B = dynamic_cast<TButton*>(M->Controls(i)); B && B->HandleAllocated())
        Adapted = dynamic_cast<TkvButtonWnd*>(TkvMainWnd::Of(B->Handle())) != nullptr;
      if (auto* L = dynamic_cast<TLabel*>(M->Controls(i))) LabelInk = L->Font().Color();
    }
    M->ModalResult = mrOk;
  });
  ShowMessage(L"Hotovo");
  EXPECT_TRUE(Shown);
  EXPECT_TRUE(Adapted);
  EXPECT_EQ(ColorToRGB(LabelInk), ColorToRGB(Manager->Model().GetGlobalFontColor()));
}

TEST_F(CtrlAdapterTest, HoversGiveBackTheirGdiObjectsAndFreeingTheFormFreesTheAdapters) {
  UseMeadowStyle();
  TButton* Btn = NewButton(L"přepiš", Bounds(20, 20, 120, 30));
  ShowForm();
  SetForegroundWindow(Form->Handle());
  RECT R;
  GetWindowRect(Btn->Handle(), &R);
  auto Pass = [&] {
    MouseTo(R.left + 60, R.top + 15);
    PumpFor(15);
    MouseTo(R.left + 60, R.top + 80);
    PumpFor(15);
  };
  Pass();
  int64_t Before = LiveGdiObjects();
  for (int i = 0; i < 100; ++i)
    Pass();
  PumpFor(100);
  EXPECT_EQ(LiveGdiObjects(), Before);
  std::weak_ptr<TWindowSubclass> Adapter = TkvMainWnd::Of(Btn->Handle())->shared_from_this();
  delete Form;
  Form = nullptr;
  EXPECT_TRUE(Adapter.expired());
  Form = new TTestForm(Application);
}

TEST_F(CtrlAdapterTest, AStaticTextIsDrawnOverTheSkinnedBackground) {
  UseMeadowStyle();
  ShowForm();
  HWND Text = CreateWindowExW(0, L"STATIC", L"Soubor nenalezen", WS_CHILD | WS_VISIBLE | SS_LEFT,
                              20, 20, 200, 20, Form->Handle(), nullptr, nullptr, nullptr);
  ASSERT_NE(Text, nullptr);
  auto A = std::make_shared<TkvStaticWnd>();
  ASSERT_TRUE(A->Create(Text, true, "CHECKBOX", Manager, nullptr));
  EXPECT_EQ(TkvMainWnd::Of(Text), A.get());
  RedrawWindow(Text, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  PumpFor(50);
  // The ground is the skin's (its CHECKBOX face over the form's background), not the
  // system's grey; the text is in the skin's ink.
  RECT R;
  GetWindowRect(Text, &R);
  TClientDC Screen(nullptr);
  COLORREF Ground = GetPixel(Screen, R.right - 5, R.bottom - 2);
  EXPECT_NE(Hex(Ground), Hex(GetSysColor(COLOR_BTNFACE)));
  EXPECT_GT(GetGValue(Ground), GetBValue(Ground)) << "the meadow's green tint";
  int Ink = 0;
  COLORREF Skin = ColorToRGB(Manager->Model().GetGlobalFontColor());
  for (int y = R.top; y < R.bottom; ++y)
    for (int x = R.left; x < R.left + 100; ++x)
      Ink += GetPixel(Screen, x, y) == Skin;
  EXPECT_GT(Ink, 10);
  A->Destroy();
  DestroyWindow(Text);
}

} // namespace
