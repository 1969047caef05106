// The start-up benchmark's baseline: the least a Win32 program does to show a painted window.
// It registers a class, creates and shows one window that fills its client area on WM_PAINT,
// and runs a message loop until the window is closed.
#include <windows.h>

namespace {

LRESULT CALLBACK BareWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
  case WM_PAINT: {
    PAINTSTRUCT Ps;
    HDC DC = BeginPaint(Wnd, &Ps);
    RECT R;
    GetClientRect(Wnd, &R);
    FillRect(DC, &R, GetSysColorBrush(COLOR_WINDOW));
    EndPaint(Wnd, &Ps);
    return 0;
  }
  case WM_DESTROY: PostQuitMessage(0); return 0;
  default: return DefWindowProcW(Wnd, Msg, WParam, LParam);
  }
}

} // namespace

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW Class{};
  Class.cbSize = sizeof(Class);
  Class.lpfnWndProc = BareWindowProc;
  Class.hInstance = Instance;
  Class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Class.lpszClassName = L"TBareWindow";
  if (!RegisterClassExW(&Class)) return 1;
  // About the main window's size, so that both programs paint a like area.
  HWND Wnd =
      CreateWindowExW(0, Class.lpszClassName, L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 791, 650, nullptr, nullptr, Instance, nullptr);
  if (!Wnd) return 1;
  ShowWindow(Wnd, SW_SHOWNORMAL);
  UpdateWindow(Wnd);
  MSG Msg;
  while (GetMessageW(&Msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return 0;
}
