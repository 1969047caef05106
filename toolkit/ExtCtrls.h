// The timer component: a window timer of the framework's utility window.
#pragma once

#include "toolkit/Controls.h"

class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;
  const wchar_t* ClassName() const override { return L"TTimer"; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned Value);
  TNotifyEvent OnTimer;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;
  // One tick: runs OnTimer. The window timer runs while Enabled, with or without a handler,
  // so that a derived timer can do its work here.
  virtual void Timer();

private:
  void UpdateTimer();
  bool FEnabled = true;
  unsigned FInterval = 1000;
  UINT_PTR FId = 0;
};
