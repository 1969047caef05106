// Helpers for GUI tests under Wine: one application object, message pumping, and actions run
// from inside modal loops.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <vector>

#include "toolkit/Dialogs.h"
#include "toolkit/Forms.h"

inline TApplication* TestApplication(const wchar_t* Title = L"Test") {
  static TApplication* App = [] {
    auto* A = new TApplication;
    RegisterToolkitClasses();
    A->Initialize();
    return A;
  }();
  App->SetTitle(Title);
  return App;
}

// Handles messages for the given time.
inline void PumpFor(int Milliseconds) {
  auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (std::chrono::steady_clock::now() < End) {
    MSG Msg;
    while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    Sleep(2);
  }
}

// Handles messages until Done() is true or the time is up; returns Done().
inline bool PumpUntil(const std::function<bool()>& Done, int Milliseconds = 5000) {
  auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(Milliseconds);
  while (!Done() && std::chrono::steady_clock::now() < End)
    PumpFor(5);
  return Done();
}

// Runs Action once after Milliseconds, from whatever message loop is running then (a modal
// one included).
inline void RunLater(int Milliseconds, std::function<void()> Action) {
  static std::map<UINT_PTR, std::function<void()>> Pending;
  UINT_PTR Id = SetTimer(nullptr, 0, UINT(Milliseconds), [](HWND, UINT, UINT_PTR TimerId, DWORD) {
    KillTimer(nullptr, TimerId);
    auto It = Pending.find(TimerId);
    if (It == Pending.end()) return;
    auto Run = std::move(It->second);
    Pending.erase(It);
    Run();
  });
  Pending[Id] = std::move(Action);
}

// Moves the mouse to a screen point with real input.
inline void MouseTo(int X, int Y) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dx = LONG((int64_t(X) * 65535 + GetSystemMetrics(SM_CXSCREEN) / 2) /
                  (GetSystemMetrics(SM_CXSCREEN) - 1));
  In.mi.dy = LONG((int64_t(Y) * 65535 + GetSystemMetrics(SM_CYSCREEN) / 2) /
                  (GetSystemMetrics(SM_CYSCREEN) - 1));
  In.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &In, sizeof(In));
}

// Presses or releases the left mouse button with real input.
inline void MouseButton(bool Down) {
  INPUT In{};
  In.type = INPUT_MOUSE;
  In.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &In, sizeof(In));
}

// Presses and lets go a key with real input.
inline void KeyPress(WORD Vk) {
  INPUT In[2]{};
  In[0].type = In[1].type = INPUT_KEYBOARD;
  In[0].ki.wVk = In[1].ki.wVk = Vk;
  In[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, In, sizeof(INPUT));
}

inline std::wstring WindowClassName(HWND Wnd) {
  wchar_t Name[256] = {};
  GetClassNameW(Wnd, Name, 256);
  return Name;
}

inline TMessageForm* FindMessageForm() {
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (auto* F = dynamic_cast<TMessageForm*>(Screen->Forms(i))) return F;
  return nullptr;
}

// A plain form of 400 x 300 for the framework's tests.
class TTestForm : public TForm {
public:
  explicit TTestForm(TComponent* AOwner) : TForm(AOwner) {
    SetClientSize(400, 300);
    SetCaption(L"Test form");
  }
  const wchar_t* ClassName() const override { return L"TTestForm"; }
};

// Each test gets a fresh form, freed afterwards.
class FormTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication(L"Test - www.example.cz");
    Form = new TTestForm(Application);
  }
  void TearDown() override { delete Form; }
  TTestForm* Form;
};

// A button that records the messages of its own windows and WM_USER, in its own WndProc.
class TRecordingControl : public TButton {
public:
  using TButton::TButton;
  std::vector<UINT>* Seen = nullptr;
  void WndProc(TMessage& M) override {
    if (Seen && (M.Msg == WM_USER || M.Msg == WM_DESTROY || M.Msg == WM_NCDESTROY))
      Seen->push_back(M.Msg);
    TButton::WndProc(M);
  }
};
