// Sending and broadcasting the skin command message through the control tree and the forms.
#pragma once

#include <functional>
#include <vector>

#include "skin/data/kvSkinMessages.h"
#include "toolkit/Forms.h"

// Sends a skin command to a window, synchronously; the reply, 0 without a window.
LRESULT SendSkinCommand(HWND Wnd, uint16_t Code, LPARAM LParam = 0, uint16_t Flag = 0);
// Sends to a windowed control only when its window exists and it is not being destroyed;
// a window-less control gets the message by a direct call of its message method.
LRESULT SendSkinCommandTo(TControl* Control, uint16_t Code, LPARAM LParam = 0, uint16_t Flag = 0);
inline LRESULT AskSkinCommand(TControl* Control, uint16_t Code) {
  return SendSkinCommandTo(Control, Code, 0);
}
// True when the window answers Code with exactly 1 (used with KV_ISSKINNED).
bool WindowAnswers(HWND Wnd, uint16_t Code);

// Passes Message down the control tree of Parent: window-less children and children without
// a window get it by direct call; a child whose window answers KV_ISSKINNED (low byte not 0)
// gets it by send and passes it on itself; any other child is walked into (unless the filter
// excludes it). A child that is being destroyed ends the walk.
void BroadcastToChildren(TWinControl* Parent, TMessage& Message);
// Sends Message to each direct child window of Wnd.
void BroadcastToChildWindows(HWND Wnd, TMessage& Message);
// The manager's announcement path: every form without a provider (last created first), then
// every skinned form, then every visible foreign window that the hook gave a provider; each
// form's window first, then its controls.
void BroadcastToAllForms(TMessage& Message);

// An application-wide filter: a child for which it returns false is not walked into.
extern std::function<bool(TWinControl*)> BroadcastFilter;

// The forms that have a skin provider, in the order they got one; a form freed without
// leaving the list reads as null.
std::vector<TWeakRef<TForm>>& SkinnedForms();
// Foreign windows that the hook gave a provider.
std::vector<HWND>& ForeignProviderWindows();

// A skin command as a message record, for the broadcasts.
inline TMessage SkinCommand(uint16_t Code, LPARAM LParam = 0, uint16_t Flag = 0) {
  return TMessage{KV_SKINMSG, WPARAM(SkinCommandWParam(Code, Flag)), LParam, 0};
}
