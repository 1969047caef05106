// The window hook's rules for new windows: toolkit forms get a skin provider when they are
// first activated; each is tracked by a record in the hook's list.
#pragma once

#include <windows.h>

#include <vector>

#include "skin/forms/sSkinProvider.h"

// The record of one window the hook skinned. It belongs to its form and leaves the hook's list
// when it is freed, so the list holds only live records.
class TkvProvider : public TComponent {
public:
  explicit TkvProvider(TComponent* AOwner);
  ~TkvProvider() override;
  const wchar_t* ClassName() const override { return L"TkvProvider"; }
  // Gives the form its provider.
  void InitForm(TForm* Form);
  TForm* FForm = nullptr;
  HWND CtrlHandle = nullptr;
  TsSkinProvider* sp = nullptr;
};

// The hook's records, oldest first.
std::vector<TkvProvider*>& HookProviders();
// The activation routine of the hook: skins Wnd when a rule says so; true when it did.
bool ActivateWindow(HWND Wnd, const wchar_t* ClassName = nullptr);
// Makes the form classes known to the definition reader and connects the rules to the skin
// manager's window hook.
void RegisterSkinForms();
