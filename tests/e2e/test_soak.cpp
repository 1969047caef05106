// Soaks the real program as a user works it, with real mouse and keyboard input: hovers over the
// buttons and the close button, message boxes, whole runs, skin reloads, scrolling a long text and
// system menus. Afterwards it must hold as many windows and GDI objects as before, its memory
// must have grown by less than 10 MB, and it must answer at once. TEXTOVRT_SOAK=full runs the
// full counts (make soak); otherwise the counts are sized for CI.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/un_diagnostic.h"
#include "tests/e2e/Automation.h"

using namespace automation;

namespace {

struct TCounts {
  int Hovers, Boxes, Runs, Reloads, Scrolls, Menus;
};

TCounts SoakCounts() {
  const char* Mode = std::getenv("TEXTOVRT_SOAK");
  if (Mode && std::string(Mode) == "full") return {1000, 100, 20, 20, 200, 50};
  return {120, 12, 3, 5, 50, 8};
}

LRESULT Ask(HWND Main, WPARAM Query, UINT Timeout = 10000) {
  DWORD_PTR Result = 0;
  if (!SendMessageTimeoutW(Main, TV_DIAGNOSTIC, Query, 0, SMTO_ABORTIFHUNG, Timeout, &Result))
    return -1;
  return LRESULT(Result);
}

// Every top-level window of the process, shown or not.
int TopWindows(DWORD Process) {
  struct TCount {
    DWORD Process;
    int N;
  } Count{Process, 0};
  EnumWindows(
      [](HWND Wnd, LPARAM Param) -> BOOL {
        auto* C = reinterpret_cast<TCount*>(Param);
        DWORD Owner = 0;
        GetWindowThreadProcessId(Wnd, &Owner);
        if (Owner == C->Process) ++C->N;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Count));
  return Count.N;
}

HWND Gone(HWND Wnd) {
  return IsWindow(Wnd) ? nullptr : HWND(1);
}

class Soak : public ::testing::Test {
protected:
  void SetUp() override {
    Program = std::make_unique<TProgram>(WinePath(TEXTOVRT_EXE), DiagnosticSwitch);
    ASSERT_NE(Program->Info.hProcess, nullptr);
    Id = Program->Info.dwProcessId;
    ASSERT_TRUE(CloseNotice(Id));
    Main = FindTopWindow(Id, L"Tfrm_main");
    ASSERT_NE(Main, nullptr);
    ASSERT_EQ(Ask(Main, dqPing), DiagnosticAnswer);
    Editor = FindChildren(Main, L"TsRichEdit").at(0);
    Fields = FindChildren(Main, L"TsEdit");
    ASSERT_EQ(Fields.size(), 3u);
    for (const wchar_t* Caption : {L"Načíst textový soubor", L"Vyhledat", L"Uložit"})
      Buttons.push_back(FindChildByText(Main, L"TsButton", Caption));
    Search = Buttons[1];
    SetForegroundWindow(Main);
  }

  void TearDown() override {
    if (Main && IsWindow(Main)) PostMessageW(Main, WM_CLOSE, 0, 0);
    if (Program) WaitForSingleObject(Program->Info.hProcess, 10000);
  }

  // Over each button in turn, then over the close button, leaving each for the panel between.
  void HoverPass(int i) {
    int Target = i % 4;
    if (Target < 3) {
      MoveToMiddle(Buttons[size_t(Target)]);
    } else {
      RECT W;
      GetWindowRect(Main, &W);
      MoveToWindowPoint(Main, (W.right - W.left) - 19, 11);
    }
    Sleep(25);
    RECT R;
    GetClientRect(Main, &R);
    MoveTo(Main, R.right / 2, R.bottom - 4);
    Sleep(15);
  }

  // "Vyhledat" on markers the text does not hold; the box that says so is closed with its OK.
  bool NothingFoundBox() {
    SetText(Fields[0], L"§§§");
    SetText(Fields[1], L"¤¤¤");
    ClickMiddle(Search);
    HWND Box = WaitFor([&] { return FindTopWindow(Id, L"TMessageForm"); });
    if (!Box) return false;
    HWND Ok = WaitFor([&] { return FindChildByText(Box, L"TButton", L"OK"); });
    if (!Ok) return false;
    Sleep(30);
    ClickMiddle(Ok);
    return WaitFor([&] { return Gone(Box); }) != nullptr;
  }

  // A whole run on a small text: the wait, the progress window, "HOTOVO", the window closing.
  bool WholeRun() {
    SetText(Editor, L"první [a] řádek\r\ndruhý [b] a [c]\r\ntřetí [d]\r\n");
    SetText(Fields[0], L"[");
    SetText(Fields[1], L"]");
    SetText(Fields[2], L"*");
    ClickMiddle(Search);
    HWND Progress = WaitFor([&] { return FindTopWindow(Id, L"Tfrm_animate"); });
    if (!Progress) return false;
    if (!WaitFor([&] { return Gone(Progress); }, 20000)) return false;
    return TextOf(Editor) == L"první * řádek\r\ndruhý * a *\r\ntřetí *\r\n";
  }

  bool SystemMenu() {
    SetForegroundWindow(Main);
    Keys({{VK_MENU, false}, {VK_SPACE, false}, {VK_SPACE, true}, {VK_MENU, true}});
    HWND Menu = WaitFor([&] { return FindTopWindow(Id, L"#32768"); }, 5000);
    if (!Menu) return false;
    Sleep(20);
    Keys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    return WaitFor([&] { return FindTopWindow(Id, L"#32768") ? nullptr : HWND(1); }, 5000) !=
           nullptr;
  }

  // The pointer on the panel below the buttons, and time for fades, timers and the progress
  // window's close check to end: the state in which the counts are read.
  void Rest() {
    RECT R;
    GetClientRect(Main, &R);
    MoveTo(Main, R.right / 2, R.bottom - 4);
    Sleep(1500);
  }

  void LongText() {
    std::wstring Text;
    for (int i = 1; i <= 1500; ++i)
      Text += L"řádek " + std::to_wstring(i) + L" kód xyzvh, je nesmysl na entou\r\n";
    SetText(Editor, Text);
  }

  void Scroll(int i) {
    RECT R;
    GetClientRect(Editor, &R);
    MoveTo(Editor, R.right / 2, R.bottom / 2);
    Wheel(i % 40 < 20 ? -WHEEL_DELTA : WHEEL_DELTA);
    Sleep(10);
  }

  std::unique_ptr<TProgram> Program;
  DWORD Id = 0;
  HWND Main = nullptr, Editor = nullptr, Search = nullptr;
  std::vector<HWND> Fields, Buttons;
};

} // namespace

TEST_F(Soak, TheProgramGivesBackWhatItTakes) {
  TCounts N = SoakCounts();
  // One of everything first: the system's own first-use allocations (fonts, menus, the box's
  // class) are not what the soak looks for.
  for (int i = 0; i < 8; ++i)
    HoverPass(i);
  ASSERT_TRUE(NothingFoundBox());
  ASSERT_TRUE(WholeRun());
  ASSERT_EQ(Ask(Main, dqReloadSkin), 1);
  ASSERT_TRUE(SystemMenu());
  LongText();
  for (int i = 0; i < 40; ++i)
    Scroll(i);
  Rest();

  const int Windows = TopWindows(Id);
  const LRESULT Gdi = Ask(Main, dqGdiObjects);
  const LRESULT Memory = Ask(Main, dqPrivateKilobytes);
  ASSERT_GT(Gdi, 0);
  ASSERT_GT(Memory, 0);

  for (int i = 0; i < N.Hovers; ++i)
    HoverPass(i);
  for (int i = 0; i < N.Boxes; ++i)
    ASSERT_TRUE(NothingFoundBox()) << "box " << i;
  for (int i = 0; i < N.Runs; ++i)
    ASSERT_TRUE(WholeRun()) << "run " << i;
  for (int i = 0; i < N.Reloads; ++i)
    ASSERT_EQ(Ask(Main, dqReloadSkin), 1) << "reload " << i;
  LongText();
  for (int i = 0; i < N.Scrolls; ++i)
    Scroll(i);
  for (int i = 0; i < N.Menus; ++i)
    ASSERT_TRUE(SystemMenu()) << "menu " << i;
  Rest();

  // It answers at once.
  DWORD_PTR Answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(Main, TV_DIAGNOSTIC, dqPing, 0, SMTO_ABORTIFHUNG, 1000, &Answer));
  EXPECT_EQ(LRESULT(Answer), DiagnosticAnswer);
  EXPECT_EQ(TopWindows(Id), Windows);
  EXPECT_EQ(Ask(Main, dqTopWindows), Windows);
  EXPECT_EQ(Ask(Main, dqGdiObjects), Gdi);
  LRESULT Grown = Ask(Main, dqPrivateKilobytes) - Memory;
  std::printf("soak: %d hovers, %d boxes, %d runs, %d reloads, %d scrolls, %d menus; %d windows, "
              "%lld GDI objects, memory %lld KB -> grown %lld KB\n",
              N.Hovers, N.Boxes, N.Runs, N.Reloads, N.Scrolls, N.Menus, Windows,
              static_cast<long long>(Gdi), static_cast<long long>(Memory),
              static_cast<long long>(Grown));
  EXPECT_LT(Grown, 10 * 1024);
}

// The diagnostic message is the program's own and answers only under its switch.
TEST(Diagnostics, AreOffWithoutTheSwitch) {
  TProgram Program(WinePath(TEXTOVRT_EXE));
  ASSERT_NE(Program.Info.hProcess, nullptr);
  ASSERT_TRUE(CloseNotice(Program.Info.dwProcessId));
  HWND Main = FindTopWindow(Program.Info.dwProcessId, L"Tfrm_main");
  ASSERT_NE(Main, nullptr);
  EXPECT_EQ(Ask(Main, dqPing), 0);
  EXPECT_EQ(Ask(Main, dqReloadSkin), 0);
  PostMessageW(Main, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(Program.Info.hProcess, 10000), WAIT_OBJECT_0);
}
