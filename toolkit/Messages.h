// Typed message crackers: each message the framework and the skin engine handle is unpacked
// here, in one place, into the values its documentation gives (points as signed coordinates,
// device contexts, sizes, hit codes), and its result is set as documented.
#pragma once

#include <windows.h>

#include "base/kvTypes.h"

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

namespace msg {

// A point packed into an LPARAM: two signed 16-bit coordinates (GET_X_LPARAM / GET_Y_LPARAM);
// screen coordinates left of or above the primary monitor are negative.
inline TPoint PointFromLParam(LPARAM LParam) {
  return {int(short(LOWORD(LParam))), int(short(HIWORD(LParam)))};
}
inline LPARAM PointToLParam(TPoint P) {
  return MAKELPARAM(WORD(short(P.X)), WORD(short(P.Y)));
}

// WM_MOUSEMOVE, WM_xBUTTONDOWN/UP/DBLCLK: key state and the point in client coordinates.
struct TMouse {
  explicit TMouse(const TMessage& M) : Keys(UINT(M.WParam)), Pos(PointFromLParam(M.LParam)) {}
  UINT Keys;
  TPoint Pos;
};

// WM_NCMOUSEMOVE, WM_NCxBUTTONDOWN/UP/DBLCLK: the hit code and the point in screen
// coordinates.
struct TNCMouse {
  explicit TNCMouse(const TMessage& M)
      : HitTest(int(M.WParam)), ScreenPos(PointFromLParam(M.LParam)) {}
  int HitTest;
  TPoint ScreenPos;
};

// WM_NCHITTEST: the point in screen coordinates; the result is the hit code (HTCLIENT, ...).
struct TNCHitTest {
  explicit TNCHitTest(const TMessage& M) : ScreenPos(PointFromLParam(M.LParam)) {}
  TPoint ScreenPos;
  static void SetResult(TMessage& M, int HitCode) { M.Result = LRESULT(HitCode); }
};

// WM_NCCALCSIZE: with CalcValidRects the first rectangle of the parameters, otherwise the one
// rectangle, is the window's rectangle on entry and its client rectangle on return. The
// result is 0 (or WVR_ flags when valid rectangles are calculated).
struct TNCCalcSize {
  explicit TNCCalcSize(const TMessage& M)
      : CalcValidRects(M.WParam != 0),
        Params(CalcValidRects ? reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam) : nullptr),
        Rect(CalcValidRects ? &Params->rgrc[0] : reinterpret_cast<RECT*>(M.LParam)) {}
  bool CalcValidRects;
  NCCALCSIZE_PARAMS* Params;
  RECT* Rect;
};

// WM_NCACTIVATE: whether the frame is to look active; TRUE as result lets the change happen.
struct TNCActivate {
  explicit TNCActivate(const TMessage& M)
      : Active(M.WParam != 0), UpdateRegion(reinterpret_cast<HRGN>(M.LParam)) {}
  bool Active;
  HRGN UpdateRegion; // −1 (as a handle) when the frame is not to be repainted
};

// WM_NCPAINT: the region to paint, 1 (as a handle) for the whole frame. Result 0.
struct TNCPaint {
  explicit TNCPaint(const TMessage& M) : Region(reinterpret_cast<HRGN>(M.WParam)) {}
  HRGN Region;
  bool Whole() const { return Region == reinterpret_cast<HRGN>(1) || !Region; }
};

// WM_PAINT (a DC in WParam means "paint into this DC", as the framework sends it to
// window-less controls and as WM_PRINTCLIENT gives it); result 0.
struct TPaint {
  explicit TPaint(const TMessage& M) : DC(reinterpret_cast<HDC>(M.WParam)) {}
  HDC DC;
};

// WM_ERASEBKGND: result 1 when the background was erased (or the paint covers it all).
struct TEraseBkgnd {
  explicit TEraseBkgnd(const TMessage& M) : DC(reinterpret_cast<HDC>(M.WParam)) {}
  HDC DC;
  static void SetErased(TMessage& M) { M.Result = 1; }
};

// WM_PRINT and WM_PRINTCLIENT: the DC and the PRF_ flags.
struct TPrint {
  explicit TPrint(const TMessage& M) : DC(reinterpret_cast<HDC>(M.WParam)), Flags(UINT(M.LParam)) {}
  HDC DC;
  UINT Flags;
};

// WM_SIZE: the kind of change (SIZE_RESTORED, SIZE_MINIMIZED, ...) and the client size.
struct TSize {
  explicit TSize(const TMessage& M)
      : Type(UINT(M.WParam)), Width(int(LOWORD(M.LParam))), Height(int(HIWORD(M.LParam))) {}
  UINT Type;
  int Width, Height;
};

// WM_MOVE: the client area's new top-left corner (signed: screen coordinates for top-level
// windows may be negative).
struct TMove {
  explicit TMove(const TMessage& M) : Pos(PointFromLParam(M.LParam)) {}
  TPoint Pos;
};

// WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED.
struct TWindowPos {
  explicit TWindowPos(const TMessage& M) : Pos(reinterpret_cast<WINDOWPOS*>(M.LParam)) {}
  WINDOWPOS* Pos;
};

// WM_GETMINMAXINFO.
struct TGetMinMaxInfo {
  explicit TGetMinMaxInfo(const TMessage& M) : Info(reinterpret_cast<MINMAXINFO*>(M.LParam)) {}
  MINMAXINFO* Info;
};

// WM_ACTIVATE: WA_ACTIVE, WA_CLICKACTIVE or WA_INACTIVE, whether minimised, the other window.
struct TActivate {
  explicit TActivate(const TMessage& M)
      : State(LOWORD(M.WParam)), Minimized(HIWORD(M.WParam) != 0),
        Other(reinterpret_cast<HWND>(M.LParam)) {}
  UINT State;
  bool Minimized;
  HWND Other;
};

// WM_ACTIVATEAPP: whether this application becomes active, and the other one's thread.
struct TActivateApp {
  explicit TActivateApp(const TMessage& M) : Active(M.WParam != 0), ThreadId(DWORD(M.LParam)) {}
  bool Active;
  DWORD ThreadId;
};

// WM_SETFOCUS / WM_KILLFOCUS: the window that lost or gets the focus.
struct TFocus {
  explicit TFocus(const TMessage& M) : Other(reinterpret_cast<HWND>(M.WParam)) {}
  HWND Other;
};

// WM_SETTEXT: the new text; TRUE as result when it was set.
struct TSetText {
  explicit TSetText(const TMessage& M) : Text(reinterpret_cast<const wchar_t*>(M.LParam)) {}
  const wchar_t* Text;
};

// WM_SETFONT: the font and whether to redraw.
struct TSetFont {
  explicit TSetFont(const TMessage& M)
      : Font(reinterpret_cast<HFONT>(M.WParam)), Redraw(LOWORD(M.LParam) != 0) {}
  HFONT Font;
  bool Redraw;
};

// WM_TIMER: the timer's identifier.
struct TTimerMsg {
  explicit TTimerMsg(const TMessage& M) : Id(UINT_PTR(M.WParam)) {}
  UINT_PTR Id;
};

// WM_HSCROLL / WM_VSCROLL: the request (SB_LINEUP, ...), the 16-bit position of thumb
// requests, and the scroll-bar control (null for a window's own bar).
struct TScroll {
  explicit TScroll(const TMessage& M)
      : Code(int(LOWORD(M.WParam))), Pos(int(short(HIWORD(M.WParam)))),
        Bar(reinterpret_cast<HWND>(M.LParam)) {}
  int Code;
  int Pos;
  HWND Bar;
};

// WM_SYSCOMMAND: the command (the low four bits are the system's own and masked off) and,
// for commands chosen with the mouse, the point in screen coordinates.
struct TSysCommand {
  explicit TSysCommand(const TMessage& M)
      : Command(UINT(M.WParam) & 0xFFF0), Pos(PointFromLParam(M.LParam)) {}
  UINT Command;
  TPoint Pos;
};

// WM_COMMAND: the item or control identifier, the notification code and the control.
struct TCommand {
  explicit TCommand(const TMessage& M)
      : Id(LOWORD(M.WParam)), Code(HIWORD(M.WParam)), Control(reinterpret_cast<HWND>(M.LParam)) {}
  UINT Id;
  UINT Code;
  HWND Control;
};

// WM_NOTIFY.
struct TNotify {
  explicit TNotify(const TMessage& M) : Header(reinterpret_cast<NMHDR*>(M.LParam)) {}
  NMHDR* Header;
};

// WM_CTLCOLOREDIT / STATIC / BTN / ...: the control's DC and window; the result is the brush.
struct TCtlColor {
  explicit TCtlColor(const TMessage& M)
      : DC(reinterpret_cast<HDC>(M.WParam)), Control(reinterpret_cast<HWND>(M.LParam)) {}
  HDC DC;
  HWND Control;
  static void SetBrush(TMessage& M, HBRUSH Brush) { M.Result = LRESULT(Brush); }
};

// WM_SETCURSOR: the window under the cursor, the hit code and the mouse message.
struct TSetCursor {
  explicit TSetCursor(const TMessage& M)
      : Wnd(reinterpret_cast<HWND>(M.WParam)), HitTest(int(short(LOWORD(M.LParam)))),
        MouseMsg(HIWORD(M.LParam)) {}
  HWND Wnd;
  int HitTest; // signed: HTERROR is −2
  UINT MouseMsg;
};

// WM_CONTEXTMENU: the window and the point in screen coordinates; (−1, −1) when the menu was
// asked for from the keyboard.
struct TContextMenu {
  explicit TContextMenu(const TMessage& M)
      : Wnd(reinterpret_cast<HWND>(M.WParam)), Pos(PointFromLParam(M.LParam)) {}
  HWND Wnd;
  TPoint Pos;
  bool FromKeyboard() const { return Pos.X == -1 && Pos.Y == -1; }
};

// WM_KEYDOWN / WM_KEYUP / WM_SYSKEYDOWN / WM_SYSKEYUP / WM_CHAR.
struct TKey {
  explicit TKey(const TMessage& M)
      : Key(UINT(M.WParam)), RepeatCount(int(LOWORD(M.LParam))),
        AltDown((M.LParam & (1 << 29)) != 0) {}
  UINT Key;
  int RepeatCount;
  bool AltDown;
};

// WM_DRAWITEM / WM_MEASUREITEM.
struct TDrawItem {
  explicit TDrawItem(const TMessage& M) : Item(reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)) {}
  DRAWITEMSTRUCT* Item;
};
struct TMeasureItem {
  explicit TMeasureItem(const TMessage& M) : Item(reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam)) {}
  MEASUREITEMSTRUCT* Item;
};

// WM_SHOWWINDOW: shown or hidden, and why (0 when by ShowWindow).
struct TShowWindow {
  explicit TShowWindow(const TMessage& M) : Show(M.WParam != 0), Status(int(M.LParam)) {}
  bool Show;
  int Status;
};

// WM_ENABLE.
struct TEnable {
  explicit TEnable(const TMessage& M) : Enabled(M.WParam != 0) {}
  bool Enabled;
};

} // namespace msg
