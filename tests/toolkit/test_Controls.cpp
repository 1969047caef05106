#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/toolkit/GuiTest.h"

#include <commctrl.h>
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"

namespace {

class TTestForm : public TForm {
public:
  explicit TTestForm(TComponent* AOwner) : TForm(AOwner) {
    SetClientSize(400, 300);
    SetCaption(L"Test form");
  }
  const wchar_t* ClassName() const override { return L"TTestForm"; }
};

class ControlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication(L"Test - www.example.cz");
    Form = new TTestForm(Application);
  }
  void TearDown() override { delete Form; }
  TTestForm* Form;
};

} // namespace

TEST_F(ControlsTest, WindowClassesAreNamedAfterTheirClasses) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  Form->HandleNeeded();
  EXPECT_EQ(WindowClassName(Form->Handle()), L"TTestForm");
  EXPECT_EQ(WindowClassName(Button->Handle()), L"TButton");
  EXPECT_EQ(WindowClassName(Panel->Handle()), L"TPanel");
  EXPECT_EQ(TWinControl::FromHandle(Button->Handle()), Button);
  EXPECT_EQ(GetParent(Button->Handle()), Form->Handle());
}

TEST_F(ControlsTest, ReplacedWindowProcSeesMessagesAndNotificationsAndCanChain) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Button->SetCaption(L"Go");
  Form->Show();
  int Enabled = 0, Entered = 0, Painted = 0;
  Button->AddWindowHook([&](TMessage& M, const TWndNext& Previous) {
    Enabled += M.Msg == CM_ENABLEDCHANGED;
    Entered += M.Msg == CM_MOUSEENTER;
    Painted += M.Msg == WM_PAINT;
    Previous(M);
  });
  Button->SetEnabled(false);
  EXPECT_EQ(Enabled, 1);
  EXPECT_FALSE(IsWindowEnabled(Button->Handle()));
  Button->SetEnabled(true);
  Button->Invalidate();
  Button->Update();
  EXPECT_GE(Painted, 1);
  SendMessageW(Button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(Entered, 1);
  // The chained default still handles the message: the text reached the window.
  EXPECT_EQ(Button->Text(), L"Go");
}

TEST_F(ControlsTest, AlignsWithMarginsInsidePanelBevel) {
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  Panel->SetAlign(alBottom);
  Panel->SetAlignWithMargins(true);
  Panel->SetBounds(0, 0, 100, 57);
  auto* Right = new TButton(Form);
  Right->SetParent(Panel);
  Right->SetAlign(alRight);
  Right->SetAlignWithMargins(true);
  Right->SetBounds(0, 0, 169, 49);
  auto* Fill = new TButton(Form);
  Fill->SetParent(Panel);
  Fill->SetAlign(alClient);
  Fill->SetAlignWithMargins(true);
  auto* Top = new TPanel(Form);
  Top->SetParent(Form);
  Top->SetAlign(alTop);
  Top->SetBounds(0, 0, 10, 40);
  Form->HandleNeeded();
  EXPECT_EQ(Top->BoundsRect(), Bounds(0, 0, 400, 40));
  EXPECT_EQ(Panel->BoundsRect(), Bounds(3, 300 - 3 - 57, 394, 57));
  // The raised bevel takes one pixel on each side before the margins.
  EXPECT_EQ(Right->BoundsRect(), Bounds(394 - 1 - 3 - 169, 4, 169, 49));
  EXPECT_EQ(Fill->BoundsRect(), Bounds(4, 4, 394 - 1 - 3 - 169 - 3 - 3 - 4, 49));
  RECT R;
  GetWindowRect(Fill->Handle(), &R);
  MapWindowPoints(nullptr, Panel->Handle(), reinterpret_cast<POINT*>(&R), 2);
  EXPECT_EQ(R.left, 4);
  EXPECT_EQ(R.right - R.left, Fill->Width());
  // Resizing the form keeps the bottom panel at the bottom.
  Form->SetClientSize(500, 400);
  EXPECT_EQ(Panel->BoundsRect(), Bounds(3, 400 - 3 - 57, 494, 57));
  EXPECT_EQ(Right->Left(), 494 - 1 - 3 - 169);
}

TEST_F(ControlsTest, WindowlessLabelIsPaintedByItsParent) {
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

TEST_F(ControlsTest, TimerTicksOnlyWhileEnabled) {
  auto* Timer = new TTimer(Form);
  int Ticks = 0;
  Timer->OnTimer = [&](TComponent*) { ++Ticks; };
  Timer->SetInterval(10);
  Timer->SetEnabled(false);
  Timer->SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return Ticks >= 3; }, 2000));
  Timer->SetEnabled(false);
  int Seen = Ticks;
  PumpFor(100);
  EXPECT_EQ(Ticks, Seen);
}

TEST_F(ControlsTest, ProgressBarKeepsValuesOutsideItsRange) {
  auto* Bar = new TProgressBar(Form);
  Bar->SetParent(Form);
  Form->HandleNeeded();
  Bar->SetMax(7);
  Bar->SetPosition(30);
  EXPECT_EQ(Bar->Position(), 30);
  Bar->SetPosition(Bar->Max() - 2);
  EXPECT_EQ(SendMessageW(Bar->Handle(), PBM_GETPOS, 0, 0), 5);
}

TEST_F(ControlsTest, RichEditUsesCrLfAndReplacesRanges) {
  auto* Edit = new TRichEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(0, 0, 300, 200);
  int Changes = 0;
  Edit->OnChange = [&](TComponent*) { ++Changes; };
  Form->HandleNeeded();
  Edit->SetText(L"ab\r\ncd\nef\r");
  EXPECT_EQ(Edit->Text(), L"ab\r\ncd\r\nef\r\n");
  EXPECT_GE(Changes, 1);
  Changes = 0;
  Edit->ReplaceRange(4, 5, L"X\r\nY"); // "cd\r\ne" -> "X\r\nY"
  EXPECT_EQ(Edit->Text(), L"ab\r\nX\r\nYf\r\n");
  EXPECT_EQ(Changes, 1);
  std::wstring Long(100000, L'x');
  Edit->SetText(Long);
  EXPECT_EQ(Edit->Text().size(), Long.size()); // no 32 K limit
}

TEST_F(ControlsTest, ShowMessageIsModalWithTitleCaption) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Form->Show();
  bool Checked = false;
  RunLater(100, [&] {
    TMessageForm* Message = FindMessageForm();
    ASSERT_NE(Message, nullptr);
    EXPECT_EQ(Message->Text(), L"Test - www.example.cz");
    EXPECT_EQ(Message->Message()->Caption(), L"line 1\rline 2");
    EXPECT_FALSE(IsWindowEnabled(Form->Handle()));
    EXPECT_EQ(WindowClassName(Message->Handle()), L"TMessageForm");
    Checked = true;
    SendMessageW(Message->OkButton()->Handle(), BM_CLICK, 0, 0);
  });
  ShowMessage(L"line 1\rline 2");
  EXPECT_TRUE(Checked);
  EXPECT_TRUE(IsWindowEnabled(Form->Handle()));
  EXPECT_EQ(FindMessageForm(), nullptr);
}

TEST(ErrorReport, AddsFullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorReportText(L"Soubor nelze otevřít"), L"Soubor nelze otevřít.");
  EXPECT_EQ(ErrorReportText(L"Hotovo."), L"Hotovo.");
  EXPECT_EQ(ErrorReportText(L"Chyba!"), L"Chyba!");
  EXPECT_EQ(ErrorReportText(L"(x)"), L"(x)");
  EXPECT_EQ(ErrorReportText(L"kód 1"), L"kód 1.");
  EXPECT_EQ(ErrorReportText(L""), L"");
}

TEST_F(ControlsTest, ExceptionsInHandlersReachTheErrorReportNotUser32) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Button->OnClick = [](TComponent*) { throw std::runtime_error("Cannot open file \"x\""); };
  std::wstring Reported;
  Application->OnException = [&](const std::wstring& M) { Reported = M; };
  Form->Show();
  SendMessageW(Button->Handle(), BM_CLICK, 0, 0);
  Application->OnException = nullptr;
  EXPECT_EQ(Reported, L"Cannot open file \"x\"");
}

TEST_F(ControlsTest, ReleasedFormIsFreedAfterItsMessages) {
  auto* Second = new TTestForm(Application);
  Second->OnClose = [](TComponent*, TCloseAction& Action) { Action = caFree; };
  Second->Show();
  HWND Wnd = Second->Handle();
  int Before = Screen->FormCount();
  PostMessageW(Wnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(Wnd); }));
  EXPECT_EQ(Screen->FormCount(), Before - 1);
}
