// The window hook's rules for new windows.
#include "skin/forms/kvDials.h"

#include <algorithm>
#include <cwchar>

#include "skin/forms/kvFormAnim.h"
#include "skin/forms/kvGlow.h"
#include "skin/forms/kvMenuLine.h"
#include "skin/forms/sDialogs.h"
#include "skin/menus/sSkinMenus.h"
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

bool HasDescendantOfClass(HWND Wnd, const wchar_t* Class) {
  struct TFind {
    const wchar_t* Class;
    bool Found = false;
  } Find{Class};
  EnumChildWindows(
      Wnd,
      [](HWND Child, LPARAM Param) -> BOOL {
        auto* F = reinterpret_cast<TFind*>(Param);
        wchar_t Name[64] = {};
        GetClassNameW(Child, Name, 63);
        if (_wcsicmp(Name, F->Class) == 0) {
          F->Found = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Find));
  return Find.Found;
}

// A system dialog without an owner, while few skinned ones are visible.
bool DialogRule(HWND Wnd, const wchar_t* Class) {
  TsSkinManager* M = DefaultManager;
  if (std::wcscmp(Class, L"#32770") != 0 || GetParent(Wnd) || GetWindow(Wnd, GW_OWNER))
    return false;
  if (!(M->SkinningRules() & srStdDialogs)) return false;
  int Visible = 0;
  for (TkvProvider* P : HookProviders())
    if (P && P->ListSW && !P->ListSW->Destroyed && IsWindowVisible(P->CtrlHandle)) ++Visible;
  if (Visible >= MaxSkinnedDialogs && !HasDescendantOfClass(Wnd, L"ToolbarWindow32")) return false;
  if (M->OnSysDlgInit) {
    bool Allow = true;
    M->OnSysDlgInit(Wnd, Allow);
    if (!Allow) return false;
  }
  auto* Record = new TkvProvider(nullptr);
  if (!Record->InitSkin(Wnd)) {
    delete Record;
    return false;
  }
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
  return DialogRule(Wnd, Class);
}

bool TkvProvider::InitSkin(HWND Wnd) {
  TsSkinManager* M = DefaultManager;
  if (!M || !M->Active()) return false;
  CtrlHandle = Wnd;
  BiDiLeft = GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR;
  if (ListSW && ListSW->Destroyed) ListSW.reset();
  if (!ListSW) {
    auto A = std::make_shared<TkvDialogWnd>();
    if (!A->Create(Wnd, false, "DIALOG", M, nullptr)) return false;
    ListSW = std::move(A);
  }
  if (POINT At = RequestedBoxPosition(); At.x != -1 && At.y != -1)
    SetWindowPos(Wnd, nullptr, At.x, At.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
  ListSW->InitHwndControls();
  SendSkinCommand(Wnd, KV_SKINAPPLIED, LPARAM(M));
  if (IsWindowVisible(Wnd))
    RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return true;
}

void FreeDialogRecords(bool OnlyDead) {
  std::vector<TkvProvider*> Gone;
  for (TkvProvider* P : HookProviders())
    if (P && !P->Owner() && (!OnlyDead || P->Dead())) Gone.push_back(P);
  for (TkvProvider* P : Gone) {
    if (P->ListSW && !P->ListSW->Destroyed) P->ListSW->Destroy();
    delete P; // leaves the list by itself
  }
}

void RegisterSkinForms() {
  RegisterClass<TsSkinProvider>("TsSkinProvider");
  RegisterSkinMenus();
  RegisterMenuLines();
  RegisterClass<TsOpenDialog>("TsOpenDialog");
  RegisterClass<TsSaveDialog>("TsSaveDialog");
  WindowHookHandler = [](int Code, WPARAM WParam, LPARAM LParam) {
    HWND Wnd = reinterpret_cast<HWND>(WParam);
    switch (Code) {
    case HookRemovedCode:
      FreeDialogRecords(false);
      HideAllGlows();
      // The engine goes (the program ends, or the skin is dropped): no hide keeps stepping.
      FinishHideAnimations();
      return;
    case HCBT_ACTIVATE: ActivateWindow(Wnd); return;
    case HCBT_DESTROYWND: FreeDialogRecords(true); return;
    case HCBT_CREATEWND: {
      // The class as the creator gave it: an atom for the system's own classes.
      auto* Create = reinterpret_cast<CBT_CREATEWNDW*>(LParam);
      const CREATESTRUCTW* Cs = Create ? Create->lpcs : nullptr;
      if (!Cs) return;
      const wchar_t* Class = Cs->lpszClass;
      if (IS_INTRESOURCE(Class)) {
        // Dialogs, and pop-up menu windows.
        if (uintptr_t(Class) == 0x8002 && !Cs->hwndParent) ActivateWindow(Wnd, L"#32770");
        if (uintptr_t(Class) == 0x8000) AdaptMenuWindow(Wnd);
        return;
      }
      if (!Class || std::wcscmp(Class, L"TPUtilWindow") == 0 || Cs->style == 0 ||
          Cs->dwExStyle == 0 || Cs->hwndParent)
        return;
      if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated() &&
          Application->MainForm()->Handle() == Wnd)
        return;
      // Never a window handle made here: the form is found only once it has its window.
      if (std::wcscmp(Class, L"#32770") == 0) ActivateWindow(Wnd, Class);
      if (std::wcscmp(Class, L"#32768") == 0) AdaptMenuWindow(Wnd);
      return;
    }
    default: return;
    }
  };
  ShowEngineError = [](const std::wstring& Text) {
    kvMessageDlg(Text, Application ? Application->Title() : std::wstring(), mtError, mbOK);
  };
  DropFormSystemMenu = [](HWND Form, int X, int Y) {
    auto* P = reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Form, KV_QUERYPROVIDER));
    if (!P || !P->SystemMenu()) return false;
    P->DropSysMenu(X, Y);
    return true;
  };
}
