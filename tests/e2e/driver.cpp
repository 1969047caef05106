// Drives a running textovrt.exe for the screenshot script: "notice" closes the start-up
// notice, "run START END REPLACEMENT" types the markers, presses "Vyhledat" and returns once
// the progress window shows, "done" waits until the progress window has closed. With the
// mouse, as a person would: "hover CAPTION" points at a button, "press CAPTION" holds the left
// button down on it, "leave" moves the pointer away and lets the button go there (no click),
// "field N" clicks into marker field N (1 to 3), "type N TEXT" writes TEXT into it; "close-hover"
// and "close-press" point at and hold the title bar's close button, "sysmenu" opens the window
// menu with Alt+Space ("box-sysmenu" that of the message box), "down" moves its selection down and
// "escape" closes it; "long-text" puts a text taller and wider than the editor into it, "editor"
// clicks into the editor; "search-none" searches for markers the text does not hold and waits for
// the box that says so, "ok" closes that box, "open-dialog" presses "Načíst textový soubor" and
// waits for the open dialog, "save-dialog" presses "Uložit" and waits for the save dialog,
// "cancel-dialog" closes either; "counting" waits until the rewrite has counted for a moment
// and fails when it has ended by then; "hotovo" waits until the progress window reads "HOTOVO";
// "hold-foreground" shows another program's window in front, active, until it is ended, and
// "activate" brings the main window back to the front.
#include "tests/e2e/Automation.h"

#include <cstdio>

using namespace automation;

namespace {

HWND Field(HWND Main, const wchar_t* Number) {
  std::vector<HWND> Edits = FindChildren(Main, L"TsEdit");
  size_t N = size_t(_wtoi(Number));
  return N >= 1 && N <= Edits.size() ? Edits[N - 1] : nullptr;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  DWORD Process = 0;
  HWND Main = WaitFor([&] {
    HWND W = FindWindowW(L"Tfrm_main", nullptr);
    return W;
  });
  if (!Main) return 1;
  GetWindowThreadProcessId(Main, &Process);
  std::wstring Command = argv[1];
  if (Command == L"notice") return CloseNotice(Process) ? 0 : 1;
  if (Command == L"run" && argc == 5) {
    if (!StartRun(Main, argv[2], argv[3], argv[4])) return 1;
    return WaitFor([&] { return FindTopWindow(Process, L"Tfrm_animate"); }) ? 0 : 1;
  }
  if ((Command == L"hover" || Command == L"press") && argc == 3) {
    HWND Button = FindChildByText(Main, L"TsButton", argv[2]);
    if (!Button) return 1;
    MoveToMiddle(Button);
    if (Command == L"press") {
      Sleep(100);
      LeftButton(true);
    }
    return 0;
  }
  if (Command == L"leave") {
    MoveTo(Main, -40, -40);
    Sleep(100);
    LeftButton(false);
    return 0;
  }
  if (Command == L"close-hover" || Command == L"close-press") {
    RECT W;
    GetWindowRect(Main, &W);
    // The close button lies 19 pixels in from the right edge of the title bar.
    MoveToWindowPoint(Main, (W.right - W.left) - 19, 11);
    if (Command == L"close-press") {
      Sleep(100);
      LeftButton(true);
    }
    return 0;
  }
  if (Command == L"sysmenu" || Command == L"box-sysmenu") {
    HWND Target = Command == L"sysmenu" ? Main : FindTopWindow(Process, L"TMessageForm");
    if (!Target) return 1;
    SetForegroundWindow(Target);
    Sleep(50);
    Keys({{VK_MENU, false}, {VK_SPACE, false}, {VK_SPACE, true}, {VK_MENU, true}});
    return 0;
  }
  if (Command == L"down") {
    Keys({{VK_DOWN, false}, {VK_DOWN, true}});
    return 0;
  }
  if (Command == L"escape") {
    Keys({{VK_ESCAPE, false}, {VK_ESCAPE, true}});
    return 0;
  }
  if (Command == L"field" && argc == 3) {
    HWND Edit = Field(Main, argv[2]);
    if (!Edit) return 1;
    MoveToMiddle(Edit);
    Sleep(50);
    LeftButton(true);
    LeftButton(false);
    Sleep(50);
    MoveTo(Main, -40, -40);
    return 0;
  }
  if (Command == L"type" && argc == 4) {
    HWND Edit = Field(Main, argv[2]);
    if (!Edit) return 1;
    SetText(Edit, argv[3]);
    return 0;
  }
  if (Command == L"long-text") {
    std::vector<HWND> Editors = FindChildren(Main, L"TsRichEdit");
    if (Editors.empty()) return 1;
    std::wstring Text;
    for (int i = 1; i <= 2000; ++i) {
      // Each line's item differs: the rewrite then changes one place per entry and counts.
      Text += L"řádek " + std::to_wstring(i) + L" kód x" + std::to_wstring(i) +
              L", je nesmysl na entou";
      if (i % 9 == 0)
        for (int k = 0; k < 6; ++k)
          Text += L" a tento řádek pokračuje dál, než je okno široké";
      Text += L"\r\n";
    }
    SendMessageW(Editors[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
    return 0;
  }
  if (Command == L"editor") {
    std::vector<HWND> Editors = FindChildren(Main, L"TsRichEdit");
    if (Editors.empty()) return 1;
    MoveToMiddle(Editors[0]);
    Sleep(50);
    LeftButton(true);
    LeftButton(false);
    Sleep(50);
    MoveTo(Main, -40, -40);
    return 0;
  }
  if (Command == L"search-none") {
    if (!StartRun(Main, L"§§§", L"¤¤¤", L"x")) return 1;
    return WaitFor([&] { return FindTopWindow(Process, L"TMessageForm"); }) ? 0 : 1;
  }
  if (Command == L"ok") return CloseNotice(Process) ? 0 : 1;
  if (Command == L"open-dialog") {
    HWND Button = FindChildByText(Main, L"TsButton", L"Načíst textový soubor");
    if (!Button) return 1;
    Click(Button);
    return WaitFor([&] { return FindTopWindow(Process, L"#32770"); }) ? 0 : 1;
  }
  if (Command == L"cancel-dialog") {
    HWND Dialog = FindTopWindow(Process, L"#32770");
    if (!Dialog) return 1;
    PostMessageW(Dialog, WM_COMMAND, IDCANCEL, 0);
    return WaitFor([&] { return FindTopWindow(Process, L"#32770") ? nullptr : HWND(1); }) ? 0 : 1;
  }
  if (Command == L"counting") {
    // The rewrite runs while the progress window shows and the editor is disabled.
    std::vector<HWND> Editors = FindChildren(Main, L"TsRichEdit");
    if (Editors.empty()) return 1;
    auto Running = [&] {
      HWND Progress = FindTopWindow(Process, L"Tfrm_animate");
      return Progress && !IsWindowEnabled(Editors[0]) ? Progress : nullptr;
    };
    if (!WaitFor(Running)) return 1;
    Sleep(400);
    return Running() ? 0 : 1;
  }
  if (Command == L"hotovo") {
    // The run has written "HOTOVO" when the editor is enabled again while the progress window
    // still shows.
    std::vector<HWND> Editors = FindChildren(Main, L"TsRichEdit");
    if (Editors.empty()) return 1;
    return WaitFor([&] {
      HWND Progress = FindTopWindow(Process, L"Tfrm_animate");
      return Progress && IsWindowEnabled(Editors[0]) ? Progress : nullptr;
    })
               ? 0
               : 1;
  }
  if (Command == L"save-dialog") {
    HWND Button = FindChildByText(Main, L"TsButton", L"Uložit");
    if (!Button) return 1;
    Click(Button);
    return WaitFor([&] { return FindTopWindow(Process, L"#32770"); }) ? 0 : 1;
  }
  if (Command == L"activate") {
    SetForegroundWindow(Main);
    return 0;
  }
  if (Command == L"hold-foreground") {
    // Another program's window in front, active, until this process is ended.
    WNDCLASSW Class{};
    Class.lpfnWndProc = DefWindowProcW;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    Class.lpszClassName = L"TvOtherProgram";
    RegisterClassW(&Class);
    HWND Other =
        CreateWindowExW(0, Class.lpszClassName, L"Jiný program", WS_POPUP | WS_BORDER,
                        GetSystemMetrics(SM_CXSCREEN) - 200, GetSystemMetrics(SM_CYSCREEN) - 120,
                        180, 100, nullptr, nullptr, Class.hInstance, nullptr);
    ShowWindow(Other, SW_SHOW);
    SetForegroundWindow(Other);
    MSG Msg;
    while (GetMessageW(&Msg, nullptr, 0, 0) > 0)
      DispatchMessageW(&Msg);
    return 0;
  }
  if (Command == L"done")
    return WaitFor([&] { return FindTopWindow(Process, L"Tfrm_animate") ? nullptr : HWND(1); }) ? 0
                                                                                                : 1;
  return 2;
}
