// The menu bar of a skinned form: its rows in the frame, the skin's menu line under them, and
// the bar's items drawn onto the form's window image.
#pragma once

#include <windows.h>

// The rows the system gives the window's menu bar for the window rectangle Window (0: no bar).
// The system lays the bar's items out on the way, at the places its own frame gives them.
int SystemMenuBarHeight(HWND Wnd, const RECT& Window);

// Lets the painter of menu-bar items find the skinned form of a window.
void RegisterMenuLines();
