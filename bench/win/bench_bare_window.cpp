// The start-up benchmark's baseline: the least a Win32 program does to show a painted window.
// It registers a class, creates and shows one window that fills its client area on WM_PAINT,
// and runs a message loop until the window is closed. Started with "/richedit" it also loads the
// system's rich edit and fills the window with one holding a few lines: the least a program
// with such an editor does, for telling the editor's share of a start-up apart.
#include <windows.h>

#include <cwchar>

namespace {

bool WithRichEdit = false;

LRESULT CALLBACK BareWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
  case WM_CREATE: {
    if (!WithRichEdit) return 0;
    const auto* Create = reinterpret_cast<const CREATESTRUCTW*>(LParam);
    if (!LoadLibraryW(L"riched20.dll")) return -1;
    RECT R;
    GetClientRect(Wnd, &R);
    HWND Edit = CreateWindowExW(0, L"RichEdit20W", L"",
                                WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL | WS_HSCROLL |
                                    ES_AUTOHSCROLL,
                                0, 0, R.right, R.bottom, Wnd, nullptr, Create->hInstance, nullptr);
    if (!Edit) return -1;
    SetWindowTextW(Edit,
                   L"A few lines of text\r\nin the system's rich edit,\r\nas an editor holds.");
    return 0;
  }
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

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE, PWSTR CommandLine, int) {
  WithRichEdit = CommandLine && std::wcsstr(CommandLine, L"/richedit");
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
