// Forms and the application: the error report, releasing and freeing forms.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "tests/toolkit/GuiTest.h"

TEST(ErrorReport, AddsFullStopOnlyAfterCharactersAboveIt) {
  EXPECT_EQ(ErrorReportText(L"Soubor nelze otevřít"), L"Soubor nelze otevřít.");
  EXPECT_EQ(ErrorReportText(L"Hotovo."), L"Hotovo.");
  EXPECT_EQ(ErrorReportText(L"Chyba!"), L"Chyba!");
  EXPECT_EQ(ErrorReportText(L"(x)"), L"(x)");
  EXPECT_EQ(ErrorReportText(L"kód 1"), L"kód 1.");
  EXPECT_EQ(ErrorReportText(L""), L"");
}

TEST_F(FormTest, ExceptionsInHandlersReachTheErrorReportNotUser32) {
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

TEST_F(FormTest, ReleasedFormIsFreedAfterItsMessages) {
  auto* Second = new TTestForm(Application);
  Second->OnClose = [](TComponent*, TCloseAction& Action) { Action = caFree; };
  Second->Show();
  HWND Wnd = Second->Handle();
  int Before = Screen->FormCount();
  PostMessageW(Wnd, WM_CLOSE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(Wnd); }));
  EXPECT_EQ(Screen->FormCount(), Before - 1);
}

TEST_F(FormTest, FormFreedFromItsOwnButtonHandler) {
  auto* Other = new TTestForm(Application);
  auto* Button = new TButton(Other);
  Button->SetParent(Other);
  Button->OnClick = [Other](TComponent*) { delete Other; };
  Other->Show();
  TWeakRef<TForm> Alive(Other);
  HWND Wnd = Other->Handle(), ButtonWnd = Button->Handle();
  SendMessageW(ButtonWnd, BM_CLICK, 0, 0);
  EXPECT_FALSE(Alive);
  EXPECT_FALSE(IsWindow(Wnd));
  PumpFor(30);
}

TEST_F(FormTest, ChildWindowsOfAFreedFormGoWithTheirObjectsStillAlive) {
  auto* Other = new TTestForm(Application);
  auto* C = new TRecordingControl(Other);
  std::vector<UINT> Seen;
  C->Seen = &Seen;
  C->SetParent(Other);
  Other->HandleNeeded();
  delete Other;
  EXPECT_EQ(Seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}
