// Drives the real textovrt.exe from another process through window messages, as an
// automation client would: finds its windows by class and text, types and clicks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace automation {

inline std::wstring ClassOf(HWND Wnd) {
  wchar_t Name[256] = {};
  GetClassNameW(Wnd, Name, 256);
  return Name;
}

inline std::wstring TextOf(HWND Wnd) {
  DWORD_PTR Length = 0;
  SendMessageTimeoutW(Wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &Length);
  std::wstring Text(Length + 1, L'\0');
  DWORD_PTR Copied = 0;
  SendMessageTimeoutW(Wnd, WM_GETTEXT, Length + 1, LPARAM(Text.data()), SMTO_ABORTIFHUNG, 5000,
                      &Copied);
  Text.resize(Copied);
  return Text;
}

// A visible top-level window of Process with that class, or null.
inline HWND FindTopWindow(DWORD Process, const std::wstring& Class) {
  struct TFind {
    DWORD Process;
    const std::wstring* Class;
    HWND Found;
  } Find{Process, &Class, nullptr};
  EnumWindows(
      [](HWND Wnd, LPARAM Param) -> BOOL {
        auto* F = reinterpret_cast<TFind*>(Param);
        DWORD Owner = 0;
        GetWindowThreadProcessId(Wnd, &Owner);
        if (Owner == F->Process && IsWindowVisible(Wnd) && ClassOf(Wnd) == *F->Class) {
          F->Found = Wnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Find));
  return Find.Found;
}

// Every descendant of Parent with that class, left to right, then top to bottom.
inline std::vector<HWND> FindChildren(HWND Parent, const std::wstring& Class) {
  struct TFind {
    const std::wstring* Class;
    std::vector<HWND> Found;
  } Find{&Class, {}};
  EnumChildWindows(
      Parent,
      [](HWND Wnd, LPARAM Param) -> BOOL {
        auto* F = reinterpret_cast<TFind*>(Param);
        if (ClassOf(Wnd) == *F->Class) F->Found.push_back(Wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Find));
  std::sort(Find.Found.begin(), Find.Found.end(), [](HWND A, HWND B) {
    RECT RA, RB;
    GetWindowRect(A, &RA);
    GetWindowRect(B, &RB);
    return RA.top != RB.top ? RA.top < RB.top : RA.left < RB.left;
  });
  return Find.Found;
}

inline HWND FindChildByText(HWND Parent, const std::wstring& Class, const std::wstring& Text) {
  for (HWND Wnd : FindChildren(Parent, Class))
    if (TextOf(Wnd) == Text) return Wnd;
  return nullptr;
}

// Waits until Done() gives a non-null window or the time is up.
template <class F>
HWND WaitFor(F Done, int Milliseconds = 15000) {
  auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (std::chrono::steady_clock::now() < End) {
    if (HWND Wnd = Done()) return Wnd;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

// Clicks a button without waiting for what the click starts.
inline void Click(HWND Button) {
  PostMessageW(Button, BM_CLICK, 0, 0);
}

inline void SetText(HWND Wnd, const std::wstring& Text) {
  SendMessageTimeoutW(Wnd, WM_SETTEXT, 0, LPARAM(Text.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
}

// Closes the start-up notice of Process; false when it did not appear.
inline bool CloseNotice(DWORD Process) {
  HWND Notice = WaitFor([&] { return FindTopWindow(Process, L"TMessageForm"); });
  if (!Notice) return false;
  HWND Ok = FindChildByText(Notice, L"TButton", L"OK");
  if (!Ok) return false;
  Click(Ok);
  return WaitFor([&] { return FindTopWindow(Process, L"TMessageForm") ? nullptr : HWND(1); }) !=
         nullptr;
}

// Types the three markers into the main window's fields (left to right) and presses
// "Vyhledat".
inline bool StartRun(HWND Main, const std::wstring& Start, const std::wstring& End,
                     const std::wstring& Replacement) {
  std::vector<HWND> Edits = FindChildren(Main, L"TsEdit");
  HWND Search = FindChildByText(Main, L"TsButton", L"Vyhledat");
  if (Edits.size() != 3 || !Search) return false;
  SetText(Edits[0], Start);
  SetText(Edits[1], End);
  SetText(Edits[2], Replacement);
  Click(Search);
  return true;
}

} // namespace automation
