// Drives the real textovrt.exe from another process through window messages, as an
// automation client would: finds its windows by class and text, types and clicks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <string>
#include <thread>
#include <utility>
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

// The real program, started with Arguments and ended (if it still runs) when this goes.
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
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;
};

// A path the build wrote in Unix form, as Wine sees it: the root folder is drive Z.
inline std::wstring WinePath(std::wstring Path) {
  if (!Path.empty() && Path[0] == L'/') Path = L"Z:" + Path;
  std::replace(Path.begin(), Path.end(), L'/', L'\\');
  return Path;
}

// Real input, as a person gives it: the pointer to a client point of Wnd, the left button,
// key strokes (virtual key, released).
inline void MoveTo(HWND Wnd, int X, int Y) {
  POINT P{X, Y};
  ClientToScreen(Wnd, &P);
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dx = LONG(P.x * 65535.0 / (GetSystemMetrics(SM_CXSCREEN) - 1) + 0.5);
  In.mi.dy = LONG(P.y * 65535.0 / (GetSystemMetrics(SM_CYSCREEN) - 1) + 0.5);
  In.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &In, sizeof(In));
}

inline void LeftButton(bool Down) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &In, sizeof(In));
}

// A point of the whole window (its frame included).
inline void MoveToWindowPoint(HWND Wnd, int X, int Y) {
  RECT W, C{0, 0, 0, 0};
  GetWindowRect(Wnd, &W);
  MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&C), 1);
  MoveTo(Wnd, W.left + X - C.left, W.top + Y - C.top);
}

inline void MoveToMiddle(HWND Wnd) {
  RECT R;
  GetClientRect(Wnd, &R);
  MoveTo(Wnd, R.right / 2, R.bottom / 2);
}

// A click in the middle of Wnd.
inline void ClickMiddle(HWND Wnd) {
  MoveToMiddle(Wnd);
  Sleep(30);
  LeftButton(true);
  LeftButton(false);
}

inline void Keys(std::initializer_list<std::pair<WORD, bool>> Strokes) {
  for (auto [Vk, Up] : Strokes) {
    INPUT In{};
    In.type = INPUT_KEYBOARD;
    In.ki.wVk = Vk;
    In.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &In, sizeof(In));
  }
}

// One notch of the mouse wheel where the pointer is; Delta > 0 turns it away from the user.
inline void Wheel(int Delta) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dwFlags = MOUSEEVENTF_WHEEL;
  In.mi.mouseData = DWORD(Delta);
  SendInput(1, &In, sizeof(In));
}

} // namespace automation
