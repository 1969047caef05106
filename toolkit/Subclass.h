// Subclassing windows the framework does not own (dialog children, system dialogs, menu
// windows, plain controls): one static procedure for all of them, which finds its object
// through the window property "KVSBSC".
#pragma once

#include <windows.h>

#include <memory>

#include "toolkit/Messages.h"

// An object that handles the messages of one foreign window. It is attached in one place
// (Attach) and detached in one place (Detach, or by itself at WM_NCDESTROY); while attached the
// window keeps it alive, and it stays alive through every message dispatched to it, also when
// it detaches or is dropped inside that message. Everything it does not handle goes to the
// procedure that was installed before it; exceptions go to the application's error report.
class TWindowSubclass : public std::enable_shared_from_this<TWindowSubclass> {
public:
  TWindowSubclass() = default;
  virtual ~TWindowSubclass() = default;
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;

  // Subclasses Wnd with Object. False when the window is gone or already has an object.
  static bool Attach(HWND Wnd, const std::shared_ptr<TWindowSubclass>& Object);
  // The object attached to Wnd, or null.
  static TWindowSubclass* FromHandle(HWND Wnd);
  // Whether Wnd is subclassed by an object of this kind.
  static bool IsAttached(HWND Wnd) { return FromHandle(Wnd) != nullptr; }

  // Gives the window back: the previous procedure is put back when this one is still the
  // installed one; when another procedure was installed over it since, this one stays in the
  // chain and only passes messages on until the window is destroyed.
  void Detach();
  HWND Handle() const { return FWnd; }
  bool Attached() const { return FWnd != nullptr; }

  // The property that holds the subclass record of a window.
  static constexpr const wchar_t* PropName = L"KVSBSC";

protected:
  // Handles one message; the default passes it on.
  virtual void WndProc(TMessage& Message) { CallDefault(Message); }
  // Passes the message to the procedure installed before this one.
  void CallDefault(TMessage& Message);
  LRESULT CallDefault(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Runs after the object was attached / before it is detached (the window still exists,
  // unless the detaching is WM_NCDESTROY's).
  virtual void Attached(HWND) {}
  virtual void Detaching() {}

private:
  struct TRecord;
  static LRESULT CALLBACK StaticProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FWnd = nullptr;
  TRecord* FRecord = nullptr;
  // Where CallDefault sends messages: kept after detaching, for the message being handled.
  HWND FDefWnd = nullptr;
  WNDPROC FPrevious = nullptr;
};
