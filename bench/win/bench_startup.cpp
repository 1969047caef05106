// Start-up of the program: from starting textovrt.exe to its main window shown and painted,
// against a bare Win32 program that shows and paints one window, both started the same way
// (CreateProcess, then watched from here) in the same run and in turns. A window counts as
// painted when it is visible and neither it nor any of its visible children has anything left
// to paint. The program's start-up notice, a modal box over the painted main window, is then
// closed, and the main window after it, so that each program ends as a user would end it.
// Prints the best and the middle ratio of rounds, the bare program's time with the system's
// rich edit in it (the editor's own share of any program's start), and where the program's own
// start-up goes (measured inside this process with the same steps).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/un_main.h"
#include "bench/win/BenchTiming.h"
#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"
#include "skin/images/kvShadows.h"

namespace {

using TClock = std::chrono::steady_clock;

std::wstring ProgramFolder() {
  std::wstring Path(MAX_PATH, L'\0');
  DWORD Length = GetModuleFileNameW(nullptr, Path.data(), DWORD(Path.size()));
  Path.resize(Length);
  return Path.substr(0, Path.find_last_of(L"\\/") + 1);
}

struct TFound {
  DWORD Pid;
  const wchar_t* Class;
  HWND Wnd = nullptr;
};

bool HasPendingPaint(HWND Wnd) {
  return GetUpdateRect(Wnd, nullptr, FALSE) != FALSE;
}

// The visible top-level window of class Class that process Pid shows, else null.
HWND FindWindowOf(DWORD Pid, const wchar_t* Class) {
  TFound Found{Pid, Class};
  EnumWindows(
      [](HWND Wnd, LPARAM Param) -> BOOL {
        auto* F = reinterpret_cast<TFound*>(Param);
        DWORD Owner = 0;
        GetWindowThreadProcessId(Wnd, &Owner);
        wchar_t Name[64] = {};
        if (Owner != F->Pid || !IsWindowVisible(Wnd) || !GetClassNameW(Wnd, Name, 64) ||
            lstrcmpW(Name, F->Class) != 0)
          return TRUE;
        F->Wnd = Wnd;
        return FALSE;
      },
      LPARAM(&Found));
  return Found.Wnd;
}

bool Painted(HWND Wnd) {
  if (!IsWindowVisible(Wnd) || HasPendingPaint(Wnd)) return false;
  bool Pending = false;
  EnumChildWindows(
      Wnd,
      [](HWND Child, LPARAM Param) -> BOOL {
        if (IsWindowVisible(Child) && HasPendingPaint(Child)) {
          *reinterpret_cast<bool*>(Param) = true;
          return FALSE;
        }
        return TRUE;
      },
      LPARAM(&Pending));
  return !Pending;
}

// Ends the program's windows as a user would: every other window of the process (the notice)
// first, then the main window; returns false when the program had to be stopped.
bool CloseProgram(const PROCESS_INFORMATION& Pi, HWND Main) {
  auto Deadline = TClock::now() + std::chrono::seconds(20);
  for (;;) {
    struct TOthers {
      DWORD Pid;
      HWND Main;
      std::vector<HWND> Wnds;
    } Others{Pi.dwProcessId, Main, {}};
    EnumWindows(
        [](HWND Wnd, LPARAM Param) -> BOOL {
          auto* O = reinterpret_cast<TOthers*>(Param);
          DWORD Owner = 0;
          GetWindowThreadProcessId(Wnd, &Owner);
          if (Owner == O->Pid && Wnd != O->Main && IsWindowVisible(Wnd)) O->Wnds.push_back(Wnd);
          return TRUE;
        },
        LPARAM(&Others));
    if (Others.Wnds.empty()) break;
    for (HWND Wnd : Others.Wnds)
      PostMessageW(Wnd, WM_CLOSE, 0, 0);
    if (TClock::now() > Deadline) break;
    Sleep(20);
  }
  PostMessageW(Main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(Pi.hProcess, 20000) == WAIT_OBJECT_0) return true;
  TerminateProcess(Pi.hProcess, 1);
  WaitForSingleObject(Pi.hProcess, 5000);
  return false;
}

// Starts Exe and waits until its window of class Class is shown and painted; the seconds that
// took, or a negative number when it did not happen within a minute. SawPending tells whether
// the window was seen waiting to be painted first (the check of this benchmark's own method).
double TimeStart(const std::wstring& Exe, const wchar_t* Class, bool& Clean, bool& SawPending,
                 const wchar_t* Arguments = nullptr) {
  STARTUPINFOW Si{};
  Si.cb = sizeof(Si);
  PROCESS_INFORMATION Pi{};
  std::wstring CommandLine = L"\"" + Exe + L"\"";
  if (Arguments) CommandLine += std::wstring(L" ") + Arguments;
  auto Start = TClock::now();
  if (!CreateProcessW(Exe.c_str(), CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &Si, &Pi)) {
    std::printf("cannot start %ls (error %lu)\n", Exe.c_str(), GetLastError());
    return -1;
  }
  HWND Wnd = nullptr;
  double Seconds = -1;
  // Two looks in a row, a millisecond apart: a window is made visible a moment before its
  // area is marked for painting.
  int Quiet = 0;
  while (TClock::now() - Start < std::chrono::seconds(60)) {
    if (!Wnd) Wnd = FindWindowOf(Pi.dwProcessId, Class);
    if (Wnd && !SawPending && IsWindowVisible(Wnd) && HasPendingPaint(Wnd)) SawPending = true;
    if (Wnd && Painted(Wnd)) {
      if (++Quiet == 2) {
        Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
        break;
      }
    } else {
      Quiet = 0;
    }
    if (WaitForSingleObject(Pi.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  Clean = Wnd && CloseProgram(Pi, Wnd);
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  return Seconds;
}

double Ms(TClock::time_point From, TClock::time_point To) {
  return std::chrono::duration<double>(To - From).count() * 1000;
}

// The program's own start-up, step by step as its entry runs it, inside this process: the
// framework and the engine, the main window made from its definition (which loads the skin
// and installs the hooks), and the window shown and painted. Then the skin's loading alone,
// from the packed block to the section model and image regions, the middle of a few runs.
void ProfileStartup() {
  auto T0 = TClock::now();
  TApplication App;
  RegisterProgramClasses();
  Application->Initialize();
  BuiltinShadows();
  Application->SetTitle(ProgramTitle);
  auto T1 = TClock::now();
  auto* Form = new Tfrm_main(Application);
  auto T2 = TClock::now();
  Form->OnShow = nullptr; // the notice is a box of its own, shown after the window
  Form->Show();
  while (!Painted(Form->Handle()))
    Application->ProcessMessages();
  auto T3 = TClock::now();
  std::vector<double> Load;
  for (int i = 0; i < 5; ++i) {
    auto L0 = TClock::now();
    auto Reader = std::make_unique<TkvSkinConvertor>();
    Reader->LendPackedData(&Form->sSkinManager1->InternalSkins().Items(0).PackedData());
    UnpackSkinPackage(Reader);
    TsSkinModel Model;
    if (Reader) Model.LoadPackedSkin(*Reader);
    Load.push_back(Ms(L0, TClock::now()));
  }
  std::sort(Load.begin(), Load.end());
  std::printf("  in this process: framework and engine %.1f ms, main window from its definition "
              "%.1f ms (of which loading the skin about %.1f ms), shown and painted %.1f ms\n",
              Ms(T0, T1), Ms(T1, T2), Load[Load.size() / 2], Ms(T2, T3));
  delete Form;
}

} // namespace

int main() {
  const std::wstring Folder = ProgramFolder();
  const std::wstring Program = Folder + L"..\\app\\textovrt.exe";
  const std::wstring Bare = Folder + L"helpers\\bench_bare_window.exe";
  const int Rounds = 7;
  std::vector<double> Ratios, ProgramTimes, BareTimes, RichTimes;
  int SeenPending = 0;
  for (int Round = 0; Round < Rounds; ++Round) {
    bool CleanBare = false, CleanProgram = false;
    bool PendingBare = false, PendingProgram = false;
    // In turns, so that neither always meets a warmer cache.
    double B = 0, P = 0;
    if (Round % 2 == 0) {
      B = TimeStart(Bare, L"TBareWindow", CleanBare, PendingBare);
      P = TimeStart(Program, L"Tfrm_main", CleanProgram, PendingProgram);
    } else {
      P = TimeStart(Program, L"Tfrm_main", CleanProgram, PendingProgram);
      B = TimeStart(Bare, L"TBareWindow", CleanBare, PendingBare);
    }
    if (B <= 0 || P <= 0) {
      std::printf("round %d: a window was not painted (bare %.3f s, program %.3f s)\n", Round, B,
                  P);
      return 1;
    }
    // The bare program with the system's rich edit in it, after both: how much of the
    // difference the editor control alone brings (its libraries, its window, its paint).
    bool CleanRich = false, PendingRich = false;
    double E = TimeStart(Bare, L"TBareWindow", CleanRich, PendingRich, L"/richedit");
    if (E > 0) RichTimes.push_back(E * 1000);
    if (!CleanBare || !CleanProgram || !CleanRich)
      std::printf("round %d: a program did not end when its windows were closed\n", Round);
    SeenPending += PendingBare + PendingProgram;
    Ratios.push_back(P / B);
    ProgramTimes.push_back(P * 1000);
    BareTimes.push_back(B * 1000);
  }
  std::sort(ProgramTimes.begin(), ProgramTimes.end());
  std::sort(BareTimes.begin(), BareTimes.end());
  std::printf(
      "start-up to the painted main window: program %.0f ms, bare window %.0f ms (middle)\n",
      ProgramTimes[ProgramTimes.size() / 2], BareTimes[BareTimes.size() / 2]);
  std::printf("  windows seen waiting for their first paint: %d of %d\n", SeenPending, 2 * Rounds);
  if (!RichTimes.empty()) {
    std::sort(RichTimes.begin(), RichTimes.end());
    double Rich = RichTimes[RichTimes.size() / 2], BareMiddle = BareTimes[BareTimes.size() / 2];
    std::printf("  the bare program with the system's rich edit in it: %.0f ms (middle), %.2f "
                "times the bare window\n",
                Rich, Rich / BareMiddle);
  }
  Report("start-up", Ratios, "bare Win32 window program; goal <= 1.3");
  ProfileStartup();
  return 0;
}
