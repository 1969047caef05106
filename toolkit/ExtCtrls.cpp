// The timer component: a window timer of the framework's utility window.
#include "toolkit/ExtCtrls.h"

#include <map>

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
  static std::map<UINT_PTR, TTimer*> Map;
  return Map;
}

LRESULT CALLBACK UtilWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_TIMER) {
    auto It = Timers().find(WParam);
    // A tick still queued after the timer was switched off or freed is dropped; the timer
    // may free itself in its handler, so it is not read after the call.
    if (It != Timers().end() && It->second->Enabled()) {
      TTimer* Timer = It->second;
      Protected([&] { Timer->Timer(); });
    }
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// A message-only window that receives the ticks of every timer.
HWND UtilWindow() {
  static HWND Wnd = [] {
    WNDCLASSEXW WC{};
    WC.cbSize = sizeof(WC);
    WC.lpfnWndProc = UtilWndProc;
    WC.hInstance = GetModuleHandleW(nullptr);
    WC.lpszClassName = L"TPUtilWindow";
    RegisterClassExW(&WC);
    return CreateWindowExW(0, L"TPUtilWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }();
  return Wnd;
}

UINT_PTR NextTimerId() {
  static UINT_PTR Id = 0;
  return ++Id;
}
} // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner), FId(NextTimerId()) {
  Timers()[FId] = this;
}

TTimer::~TTimer() {
  KillTimer(UtilWindow(), FId);
  Timers().erase(FId);
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(UtilWindow(), FId);
  if (FEnabled && FInterval > 0 && !IsLoading()) SetTimer(UtilWindow(), FId, FInterval, nullptr);
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::Timer() {
  if (OnTimer) OnTimer(this);
}

bool TTimer::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Enabled") {
    FEnabled = Value.AsBool();
  } else if (Name == "Interval") {
    int Interval = Value.AsInt();
    if (Interval < 0)
      throw EDefValueError(L"interval " + std::to_wstring(Interval) + L" below 0", Value.Line);
    FInterval = unsigned(Interval);
  } else if (Name == "OnTimer") {
    OnTimer = Value.AsMethod<TNotifyEvent>();
  } else {
    return TComponent::ReadProperty(Name, Value);
  }
  return true;
}
