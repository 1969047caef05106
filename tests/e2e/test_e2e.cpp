// Starts the real program and drives it from this process: the start-up notice, a whole run
// on the help text, and closing.
#include <gtest/gtest.h>

#include "tests/e2e/Automation.h"

using namespace automation;

namespace {

struct TProgram {
  PROCESS_INFORMATION Info{};
  explicit TProgram(const std::wstring& Exe, const std::wstring& Arguments = {}) {
    STARTUPINFOW Startup{sizeof(Startup)};
    std::wstring Command = L"\"" + Exe + L"\"";
    if (!Arguments.empty()) Command += L" " + Arguments;
    CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Startup,
                   &Info);
  }
  ~TProgram() {
    if (Info.hProcess) {
      if (WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(Info.hProcess, 1);
      CloseHandle(Info.hProcess);
      CloseHandle(Info.hThread);
    }
  }
};

// The build writes a Unix path; Wine sees the root folder as drive Z.
std::wstring ProgramPath() {
  std::wstring Path = TEXTOVRT_EXE;
  if (!Path.empty() && Path[0] == L'/') Path = L"Z:" + Path;
  std::replace(Path.begin(), Path.end(), L'/', L'\\');
  return Path;
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
