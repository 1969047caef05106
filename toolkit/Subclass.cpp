// Subclassing windows the framework does not own.
#include "toolkit/Subclass.h"

#include "toolkit/Controls.h"
#include "toolkit/WindowProps.h"

// What a subclassed window keeps in its property: the previous procedure, the object (null
// once it is detached but could not take its procedure out), and the number of calls of the
// static procedure running for this window, so that the record outlives all of them.
struct TWindowSubclass::TRecord {
  WNDPROC Previous = nullptr;
  std::shared_ptr<TWindowSubclass> Object;
  int Calls = 0;
  bool Unhooked = false; // the previous procedure is installed again
};

bool TWindowSubclass::Attach(HWND Wnd, const std::shared_ptr<TWindowSubclass>& Object) {
  if (!Object || Object->FWnd || !IsWindow(Wnd)) return false;
  auto* Record = static_cast<TRecord*>(GetObjectProp(Wnd, PropName));
  if (Record && Record->Object) return false;
  if (!Record) {
    Record = new TRecord;
    if (!SetObjectProp(Wnd, PropName, Record)) {
      delete Record;
      return false;
    }
    Record->Previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticProc)));
  }
  // A record left in the chain by an earlier object that could not take its procedure out
  // is taken over as it is.
  Record->Object = Object;
  Object->FWnd = Wnd;
  Object->FRecord = Record;
  Object->FDefWnd = Wnd;
  Object->FPrevious = Record->Previous;
  Object->Attached(Wnd);
  return true;
}

TWindowSubclass* TWindowSubclass::FromHandle(HWND Wnd) {
  if (!Wnd) return nullptr;
  auto* Record = static_cast<TRecord*>(GetObjectProp(Wnd, PropName));
  return Record ? Record->Object.get() : nullptr;
}

void TWindowSubclass::Detach() {
  if (!FWnd) return;
  std::shared_ptr<TWindowSubclass> Keep = shared_from_this();
  Detaching();
  HWND Wnd = FWnd;
  TRecord* Record = FRecord;
  FWnd = nullptr;
  FRecord = nullptr;
  if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)) == &StaticProc) {
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Record->Previous));
    Record->Unhooked = true;
    RemoveObjectProp(Wnd, PropName);
  }
  Record->Object.reset();
  // A record still in another procedure's chain stays until WM_NCDESTROY; one that is out of
  // the chain goes once no call of it is running.
  if (Record->Unhooked && Record->Calls == 0) delete Record;
}

void TWindowSubclass::CallDefault(TMessage& Message) {
  Message.Result = CallDefault(Message.Msg, Message.WParam, Message.LParam);
}

LRESULT TWindowSubclass::CallDefault(UINT Msg, WPARAM WParam, LPARAM LParam) {
  // Also after Detach inside a message: the message still goes on to the saved procedure.
  if (!FDefWnd) return 0;
  if (!FPrevious) return DefWindowProcW(FDefWnd, Msg, WParam, LParam);
  return CallWindowProcW(FPrevious, FDefWnd, Msg, WParam, LParam);
}

LRESULT CALLBACK TWindowSubclass::StaticProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* Record = static_cast<TRecord*>(GetObjectProp(Wnd, PropName));
  if (!Record) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  ++Record->Calls;
  WNDPROC Previous = Record->Previous;
  // The object stays alive through the call, whatever the message does to it.
  std::shared_ptr<TWindowSubclass> Object = Record->Object;
  TMessage Message{Msg, WParam, LParam, 0};
  if (Object)
    Protected([&] { Object->WndProc(Message); });
  else
    Message.Result = CallWindowProcW(Previous, Wnd, Msg, WParam, LParam);
  if (Msg == WM_NCDESTROY) {
    // The window is gone: the object detaches itself and the record goes.
    if (Record->Object) Protected([&] { Record->Object->Detach(); });
    if (GetObjectProp(Wnd, PropName) == Record) {
      RemoveObjectProp(Wnd, PropName);
      if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC)) == &StaticProc)
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Previous));
    }
    Record->Unhooked = true;
  }
  if (--Record->Calls == 0 && Record->Unhooked && !Record->Object) delete Record;
  return Message.Result;
}
