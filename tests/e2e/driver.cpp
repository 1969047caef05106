// Drives a running textovrt.exe for the screenshot script: "notice" closes the start-up
// notice, "run START END REPLACEMENT" types the markers, presses "Vyhledat" and returns once
// the progress window shows, "done" waits until the progress window has closed.
#include "tests/e2e/Automation.h"

#include <cstdio>

using namespace automation;

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
  if (Command == L"done")
    return WaitFor([&] { return FindTopWindow(Process, L"Tfrm_animate") ? nullptr : HWND(1); }) ? 0
                                                                                                : 1;
  return 2;
}
