// The program's diagnostic message, for soak tests and automation clients: the main window
// answers it only when the program was started with "/tvdiag"; otherwise it is not handled
// and answers 0.
#pragma once

#include <windows.h>

// WParam selects the query; LParam is unused.
constexpr UINT TV_DIAGNOSTIC = WM_APP + 0x2A0;

enum TDiagnosticQuery : WPARAM {
  // Answers DiagnosticAnswer, so that a client can tell a diagnosing program from one that
  // leaves the message to the default handling.
  dqPing = 0,
  // The GDI objects that the engine's owning wrappers hold now.
  dqGdiObjects = 1,
  // The process's private memory in kilobytes.
  dqPrivateKilobytes = 2,
  // Loads the current skin again and repaints every window; answers 1.
  dqReloadSkin = 3,
  // The top-level windows of the program's thread, shown or not.
  dqTopWindows = 4,
};

constexpr LRESULT DiagnosticAnswer = 0x74766467; // "tvdg"

// The switch that turns the answers on.
constexpr const wchar_t* DiagnosticSwitch = L"/tvdiag";
