// The window hook's rules for new windows: toolkit forms get a skin provider when they are
// first activated; each is tracked by a record in the hook's list.
#pragma once

#include <windows.h>

#include <vector>

#include "skin/forms/kvDialogWnd.h"
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
  // Gives a system dialog its adapter and its children theirs; false when it cannot.
  bool InitSkin(HWND Wnd);
  // Whether the record's dialog is gone.
  bool Dead() const { return !FForm && (!ListSW || ListSW->Destroyed); }
  TForm* FForm = nullptr;
  bool BiDiLeft = false;
  HWND CtrlHandle = nullptr;
  TsSkinProvider* sp = nullptr;
  std::shared_ptr<TkvDialogWnd> ListSW;
};

// How many skinned system dialogs may be visible at once before another one is left alone
// (file dialogs, which hold a tool bar, are always skinned).
constexpr int MaxSkinnedDialogs = 2;
// Frees every record of the hook's list that has no owner (the dialogs' records), e.g. when
// the hook is removed.
void FreeDialogRecords(bool OnlyDead);

// The hook's records, oldest first.
std::vector<TkvProvider*>& HookProviders();
// The activation routine of the hook: skins Wnd when a rule says so; true when it did.
bool ActivateWindow(HWND Wnd, const wchar_t* ClassName = nullptr);
// Makes the form classes known to the definition reader and connects the rules to the skin
// manager's window hook.
void RegisterSkinForms();
