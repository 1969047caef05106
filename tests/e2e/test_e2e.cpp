// Starts the real program and drives it from this process: the start-up notice, a whole run
// on the help text, and closing.
#include <gtest/gtest.h>

#include "tests/e2e/Automation.h"

using namespace automation;

namespace {

std::wstring ProgramPath() {
  return WinePath(TEXTOVRT_EXE);
}

// The skin command that asks whether the engine draws a window (KV_ISSKINNED), sent across
// the processes.
bool AnswersSkinned(HWND Wnd) {
  DWORD_PTR Result = 0;
  SendMessageTimeoutW(Wnd, 0xA100, WPARAM(7) << 16, 0, SMTO_ABORTIFHUNG, 5000, &Result);
  return Result == 1;
}

std::string WideToUtf8ForTest(const wchar_t* Text) {
  int N = WideCharToMultiByte(CP_UTF8, 0, Text, -1, nullptr, 0, nullptr, nullptr);
  std::string Out(size_t(std::max(0, N - 1)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text, -1, Out.data(), N, nullptr, nullptr);
  return Out;
}

} // namespace

TEST(EndToEnd, NoticeThenAWholeRunThenClose) {
  TProgram Program(ProgramPath());
  ASSERT_NE(Program.Info.hProcess, nullptr);
  DWORD Id = Program.Info.dwProcessId;

  HWND Notice = WaitFor([&] { return FindTopWindow(Id, L"TMessageForm"); });
  ASSERT_NE(Notice, nullptr);
  EXPECT_EQ(TextOf(Notice), L"Textovrt - www.textovrt.cz");
  EXPECT_TRUE(AnswersSkinned(Notice)) << "the notice has a skinned frame";
  HWND Main = FindTopWindow(Id, L"Tfrm_main");
  ASSERT_NE(Main, nullptr);
  EXPECT_FALSE(IsWindowEnabled(Main));
  ASSERT_TRUE(CloseNotice(Id));
  EXPECT_TRUE(IsWindowEnabled(Main));
  EXPECT_EQ(TextOf(Main), L"Textovrt");

  ASSERT_TRUE(StartRun(Main, L"kód", L",", L"*"));
  HWND Progress = WaitFor([&] { return FindTopWindow(Id, L"Tfrm_animate"); });
  ASSERT_NE(Progress, nullptr);
  // It closes itself one to two seconds after "HOTOVO".
  EXPECT_NE(WaitFor([&] { return IsWindow(Progress) ? nullptr : HWND(1); }, 15000), nullptr);

  std::vector<HWND> Editors = FindChildren(Main, L"TsRichEdit");
  ASSERT_EQ(Editors.size(), 1u);
  std::wstring Text = TextOf(Editors[0]);
  EXPECT_NE(Text.find(L"1. řádek * je nesmysl na entou"), std::wstring::npos);
  EXPECT_EQ(Text.find(L"kód xyzvh,"), std::wstring::npos);
  EXPECT_NE(Text.find(L"napíšeme *"), std::wstring::npos);

  PostMessageW(Main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(Program.Info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD Code = 1;
  GetExitCodeProcess(Program.Info.hProcess, &Code);
  EXPECT_EQ(Code, 0u);
}

TEST(EndToEnd, TheOpenAndSaveDialogsKeepTheSystemsLook) {
  TProgram Program(ProgramPath());
  ASSERT_NE(Program.Info.hProcess, nullptr);
  DWORD Id = Program.Info.dwProcessId;
  ASSERT_TRUE(CloseNotice(Id));
  HWND Main = FindTopWindow(Id, L"Tfrm_main");
  ASSERT_NE(Main, nullptr);
  for (const wchar_t* Caption : {L"Načíst textový soubor", L"Uložit"}) {
    HWND Button = FindChildByText(Main, L"TsButton", Caption);
    ASSERT_NE(Button, nullptr) << WideToUtf8ForTest(Caption);
    Click(Button);
    // Owned by the main window, the system's dialog is not skinned.
    HWND Dialog = WaitFor([&] { return FindTopWindow(Id, L"#32770"); });
    ASSERT_NE(Dialog, nullptr);
    Sleep(300);
    EXPECT_FALSE(AnswersSkinned(Dialog));
    EXPECT_TRUE(GetWindowLongW(Dialog, GWL_STYLE) & WS_SYSMENU);
    PostMessageW(Dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_NE(WaitFor([&] { return FindTopWindow(Id, L"#32770") ? nullptr : HWND(1); }), nullptr);
  }
  PostMessageW(Main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(Program.Info.hProcess, 10000), WAIT_OBJECT_0);
}

TEST(EndToEnd, VersionSwitchShowsItsBoxWithTheProgramTitle) {
  TProgram Program(ProgramPath(), L"/kvver");
  ASSERT_NE(Program.Info.hProcess, nullptr);
  DWORD Id = Program.Info.dwProcessId;
  // The box comes before the main window exists.
  HWND Box = WaitFor([&] { return FindTopWindow(Id, L"#32770"); });
  ASSERT_NE(Box, nullptr);
  EXPECT_EQ(TextOf(Box), L"Textovrt - www.textovrt.cz");
  EXPECT_NE(FindChildByText(Box, L"Static", L"Orvane v8.41"), nullptr);
  HWND Ok = FindChildByText(Box, L"Button", L"OK");
  ASSERT_NE(Ok, nullptr);
  Click(Ok);
  ASSERT_TRUE(CloseNotice(Id));
  HWND Main = WaitFor([&] { return FindTopWindow(Id, L"Tfrm_main"); });
  ASSERT_NE(Main, nullptr);
  PostMessageW(Main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(Program.Info.hProcess, 10000), WAIT_OBJECT_0);
}

// A file named on the command line loads once the start-up notice is closed, as "Načíst textový
// soubor" would load it; one that cannot be read is reported and the help text stays.
TEST(EndToEnd, AFileOnTheCommandLineLoadsAfterTheNotice) {
  wchar_t Temp[MAX_PATH];
  GetTempPathW(MAX_PATH, Temp);
  std::wstring Path =
      std::wstring(Temp) + L"textovrt e2e " + std::to_wstring(GetCurrentProcessId()) + L".txt";
  {
    HANDLE F = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const char Bytes[] = "\xEF\xBB\xBFP\xC5\x99\x65ps\xC3\xA1no k\xC3\xB3\x64 x,\r\n";
    DWORD Written = 0;
    WriteFile(F, Bytes, DWORD(sizeof(Bytes) - 1), &Written, nullptr);
    CloseHandle(F);
  }
  {
    TProgram Program(ProgramPath(), L"\"" + Path + L"\"");
    ASSERT_NE(Program.Info.hProcess, nullptr);
    DWORD Id = Program.Info.dwProcessId;
    HWND Notice = WaitFor([&] { return FindTopWindow(Id, L"TMessageForm"); });
    ASSERT_NE(Notice, nullptr);
    HWND Main = FindTopWindow(Id, L"Tfrm_main");
    ASSERT_NE(Main, nullptr);
    HWND Editor = FindChildren(Main, L"TsRichEdit").at(0);
    const std::wstring Expected = L"Přepsáno kód x,\r";
    auto Loaded = [&] {
      std::wstring Text = TextOf(Editor);
      return Text.compare(0, Expected.size(), Expected) == 0;
    };
    EXPECT_FALSE(Loaded()) << "not before the notice is closed";
    ASSERT_TRUE(CloseNotice(Id));
    EXPECT_NE(WaitFor([&] { return Loaded() ? HWND(1) : nullptr; }, 5000), nullptr)
        << WideToUtf8ForTest(TextOf(Editor).c_str());
    PostMessageW(Main, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(Program.Info.hProcess, 10000), WAIT_OBJECT_0);
  }
  DeleteFileW(Path.c_str());
  {
    TProgram Program(ProgramPath(), L"\"" + Path + L"\"");
    ASSERT_NE(Program.Info.hProcess, nullptr);
    DWORD Id = Program.Info.dwProcessId;
    ASSERT_TRUE(CloseNotice(Id));
    // The error report: a message box captioned with the program's title.
    HWND Report = WaitFor([&] { return FindTopWindow(Id, L"#32770"); });
    ASSERT_NE(Report, nullptr);
    EXPECT_EQ(TextOf(Report), L"Textovrt - www.textovrt.cz");
    HWND Main = FindTopWindow(Id, L"Tfrm_main");
    HWND Editor = FindChildren(Main, L"TsRichEdit").at(0);
    EXPECT_NE(TextOf(Editor).find(L"kód"), std::wstring::npos) << "the help text stays";
    PostMessageW(Report, WM_COMMAND, IDOK, 0);
    EXPECT_NE(WaitFor([&] { return FindTopWindow(Id, L"#32770") ? nullptr : HWND(1); }), nullptr);
    PostMessageW(Main, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(Program.Info.hProcess, 10000), WAIT_OBJECT_0);
  }
}
