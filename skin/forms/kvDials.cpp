// The window hook's rules for new windows.
#include "skin/forms/kvDials.h"

#include <algorithm>
#include <cwchar>

#include "skin/manager/sSkinManager.h"
#include "skin/messages/sMessages.h"

namespace {

// Window classes of forms that are never skinned.
const wchar_t* const ExcludedClasses[] = {L"TApplication", L"TfcPopup"};

bool Excluded(const wchar_t* Class) {
  for (const wchar_t* E : ExcludedClasses)
    if (std::wcscmp(E, Class) == 0) return true;
  return false;
}

// Tag -98 marks the engine's own windows; a tag with all its bits set counts as one.
bool EngineTag(intptr_t Tag) {
  uint32_t T = uint32_t(Tag);
  return (T & 0xFFFFFF9Eu) == 0xFFFFFF9Eu;
}

bool InList(HWND Wnd) {
  for (TkvProvider* P : HookProviders())
    if (P && P->CtrlHandle == Wnd) return true;
  return false;
}

bool FormRule(TForm* Form, HWND Wnd, const wchar_t* Class) {
  TsSkinManager* M = DefaultManager;
  if (EngineTag(Form->Tag) || Form->IsLoading() || Excluded(Class)) return false;
  unsigned Rule = std::wcscmp(Class, L"TMessageForm") == 0 ? srStdDialogs : srStdForms;
  if (!(M->SkinningRules() & Rule)) return false;
  auto* Record = new TkvProvider(Form);
  Record->CtrlHandle = Wnd;
  Record->InitForm(Form);
  return true;
}

} // namespace

std::vector<TkvProvider*>& HookProviders() {
  static std::vector<TkvProvider*> List;
  return List;
}

TkvProvider::TkvProvider(TComponent* AOwner) : TComponent(AOwner) {
  HookProviders().push_back(this);
}

TkvProvider::~TkvProvider() {
  auto& List = HookProviders();
  List.erase(std::remove(List.begin(), List.end(), this), List.end());
}

void TkvProvider::InitForm(TForm* Form) {
  FForm = Form;
  sp = TsSkinProvider::CreateRT(Form);
  sp->UseGlobalColor = false;
  sp->MakeSkinMenu = false;
  if (Form->HandleAllocated()) {
    HWND W = Form->Handle();
    UpdateWindow(W);
    RedrawWindow(W, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

bool ActivateWindow(HWND Wnd, const wchar_t* ClassName) {
  TsSkinManager* M = DefaultManager;
  if (!M || !M->Active() || !Wnd || !Application || Application->IsDestroying()) return false;
  if (WindowAnswers(Wnd, KV_ISSKINNED)) return false;
  wchar_t Class[129] = {};
  if (ClassName)
    std::wcsncpy(Class, ClassName, 128);
  else
    GetClassNameW(Wnd, Class, 128);
  LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  if ((Style & WS_POPUP) && !(Style & WS_BORDER)) return false;
  if (InList(Wnd)) return false;
  if (auto* Form = dynamic_cast<TForm*>(TWinControl::FromHandle(Wnd)))
    return FormRule(Form, Wnd, Class);
  return false;
}

void RegisterSkinForms() {
  RegisterClass<TsSkinProvider>("TsSkinProvider");
  WindowHookHandler = [](int Code, WPARAM WParam, LPARAM) {
    if (Code == HCBT_ACTIVATE) ActivateWindow(reinterpret_cast<HWND>(WParam));
  };
  DropFormSystemMenu = [](HWND Form, int X, int Y) {
    auto* P = reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Form, KV_QUERYPROVIDER));
    if (!P || !P->SystemMenu()) return false;
    P->DropSysMenu(X, Y);
    return true;
  };
}
