// Forms, the application object and the screen.
#include "toolkit/Forms.h"

#include <commctrl.h>

#include <algorithm>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

extern std::function<void()> GFrameworkExceptionHandler;

namespace {
std::vector<uint8_t> ResourceBytes(const std::wstring& Name) {
  HMODULE Module = GetModuleHandleW(nullptr);
  HRSRC Res = FindResourceW(Module, Name.c_str(), MAKEINTRESOURCEW(10)); // RT_RCDATA
  if (!Res) throw Exception(L"Resource " + Name + L" not found");
  HGLOBAL Data = LoadResource(Module, Res);
  auto* Bytes = static_cast<const uint8_t*>(LockResource(Data));
  DWORD Size = SizeofResource(Module, Res);
  if (!Bytes) throw Exception(L"Resource " + Name + L" cannot be read");
  return {Bytes, Bytes + Size};
}
} // namespace

std::wstring ErrorReportText(const std::wstring& Message) {
  if (!Message.empty() && Message.back() > L'.') return Message + L'.';
  return Message;
}

// ---------------------------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
  TControl::SetVisible(false);
  if (Screen) Screen->FForms.push_back(this);
}

TForm::~TForm() {
  Unlist();
  DestroyHandle();
}

void TForm::BeforeDestruction() {
  // Out of the forms list first, so that no broadcast reaches a form on its way out.
  Unlist();
  TWinControl::BeforeDestruction();
}

void TForm::Unlist() {
  if (Screen) {
    auto& Forms = Screen->FForms;
    Forms.erase(std::remove(Forms.begin(), Forms.end(), this), Forms.end());
  }
  if (Application && Application->FMainForm == this) {
    Application->FMainForm = nullptr;
    Application->Terminate();
  }
}

void TForm::InitInheritedComponent(const std::wstring& ResourceName,
                                   const std::string& DefinitionName) {
  std::vector<uint8_t> Bytes = ResourceBytes(UpperCase(ResourceName));
  std::string FileName = DefinitionName.empty() ? WideToUtf8(ResourceName) : DefinitionName;
  TDefNode Root = ParseDefinition(std::string(Bytes.begin(), Bytes.end()), FileName);
  ReadComponentTree(
      this, Root,
      [](const std::string& Name) { return ResourceBytes(UpperCase(Utf8ToWide(Name))); }, FileName);
}

bool TForm::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "ClientWidth") {
    FClientWidth = Value.AsInt();
  } else if (Name == "ClientHeight") {
    FClientHeight = Value.AsInt();
  } else if (Name == "BorderStyle") {
    FBorderStyle = TBorderStyle(Value.AsIdentIndex(
        {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}));
  } else if (Name == "BorderIcons") {
    FBorderIcons = Value.AsSetFlags({{"biSystemMenu", biSystemMenu},
                                     {"biMinimize", biMinimize},
                                     {"biMaximize", biMaximize},
                                     {"biHelp", biHelp}});
  } else if (Name == "Position") {
    FPosition = TPosition(Value.AsIdentIndex(
        {"poDesigned", "poScreenCenter", "poDesktopCenter", "poMainFormCenter"}));
  } else if (Name == "FormStyle") {
    FFormStyle = TFormStyle(Value.AsIdentIndex({"fsNormal", "fsStayOnTop"}));
  } else if (Name == "Menu") {
    // The menu is defined after the form's own properties.
    FMenuName = Utf8ToWide(Value.AsIdent());
  } else if (Name == "OnShow") {
    OnShow = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnClose") {
    OnClose = Value.AsMethod<TCloseEvent>();
  } else if (Name == "PixelsPerInch" || Name == "TextHeight") {
    // Design-time values; the form is laid out at 96 pixels per inch.
    Value.AsInt();
  } else {
    return TWinControl::ReadProperty(Name, Value);
  }
  return true;
}

void TForm::Loaded() {
  TWinControl::Loaded();
  if (FMenuName.empty()) return;
  auto* M = dynamic_cast<TMainMenu*>(FindComponent(FMenuName));
  if (!M) throw Exception(L"Menu " + FMenuName + L" not found");
  FMenuName.clear();
  SetMenu(M);
}

void TForm::SetMenu(TMainMenu* Value) {
  TMainMenu* Old = FMenu.Get();
  if (Old == Value) return;
  if (Old) Old->AttachWindow(nullptr);
  FMenu = Value;
  if (Value && HandleAllocated()) Value->AttachWindow(Handle());
  if (HandleAllocated()) Perform(CM_MENUCHANGED);
}

void TForm::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style = WS_CLIPCHILDREN;
  Params.ExStyle = 0;
  switch (FBorderStyle) {
  case bsNone: Params.Style |= WS_POPUP; break;
  case bsSingle:
  case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
  case bsSizeable:
  case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
  case bsDialog:
    Params.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    Params.ExStyle |= WS_EX_DLGMODALFRAME;
    break;
  }
  if (FBorderStyle != bsNone) {
    if (FBorderIcons & biSystemMenu) Params.Style |= WS_SYSMENU;
    if (FBorderStyle != bsDialog) {
      if (FBorderIcons & biMinimize) Params.Style |= WS_MINIMIZEBOX;
      if (FBorderIcons & biMaximize) Params.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (Application && Application->MainForm() == this) {
    Params.ExStyle |= WS_EX_APPWINDOW;
    Params.WndParent = nullptr;
  } else if (Application && Application->MainForm() && Application->MainForm()->HandleAllocated()) {
    Params.WndParent = Application->MainForm()->Handle();
  } else {
    Params.WndParent = nullptr;
  }
  if (FClientWidth > 0 && FClientHeight > 0) {
    RECT R{0, 0, FClientWidth, FClientHeight};
    AdjustWindowRectEx(&R, Params.Style, FMenu.Get() != nullptr, Params.ExStyle);
    Params.Width = R.right - R.left;
    Params.Height = R.bottom - R.top;
  }
  if (FPosition != poDesigned) {
    RECT Area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (FPosition == poMainFormCenter && Application && Application->MainForm() &&
        Application->MainForm() != this && Application->MainForm()->HandleAllocated())
      GetWindowRect(Application->MainForm()->Handle(), &Area);
    Params.X = Area.left + (Area.right - Area.left - Params.Width) / 2;
    Params.Y = Area.top + (Area.bottom - Area.top - Params.Height) / 2;
  }
  // The window is shown by Show, after it is complete.
  Params.Style &= ~DWORD(WS_VISIBLE);
}

void TForm::CreateWindowHandle() {
  if (Application) SetIcon(Application->Icon());
  if (TMainMenu* M = FMenu.Get()) M->AttachWindow(Handle());
}

void TForm::SetIcon(HICON Icon) {
  FIcon = Icon;
  if (HandleAllocated() && Icon) {
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, LPARAM(Icon));
    if (Application && Application->FSmallIcon)
      SendMessageW(Handle(), WM_SETICON, ICON_SMALL, LPARAM(Application->FSmallIcon));
  }
}

void TForm::SetClientSize(int AWidth, int AHeight) {
  FClientWidth = AWidth;
  FClientHeight = AHeight;
  if (!HandleAllocated()) return;
  RECT R{0, 0, AWidth, AHeight};
  AdjustWindowRectEx(&R, DWORD(GetWindowLongW(Handle(), GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongW(Handle(), GWL_EXSTYLE)));
  SetWindowPos(Handle(), nullptr, 0, 0, R.right - R.left, R.bottom - R.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ClientWidth() const {
  return HandleAllocated() ? ClientRect().Width() : FClientWidth;
}
int TForm::ClientHeight() const {
  return HandleAllocated() ? ClientRect().Height() : FClientHeight;
}

void TForm::Show() {
  HandleNeeded();
  if (Visible())
    ShowWindow(Handle(), SW_SHOW);
  else
    SetVisible(true); // shows the window, then tells the form
  UpdateWindow(Handle());
  DoShow();
}

void TForm::Hide() {
  SetVisible(false);
}

void TForm::ApplyVisible() {
  if (HandleAllocated()) ShowWindow(Handle(), Visible() ? SW_SHOW : SW_HIDE);
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

int TForm::ShowModal() {
  if (FInModal) throw Exception(L"Cannot make a visible window modal");
  FInModal = true;
  ModalResult = mrNone;
  HWND Previous = GetActiveWindow();
  HandleNeeded();
  // Every other window of the thread waits until the form closes.
  std::vector<HWND> Disabled;
  std::pair<HWND, std::vector<HWND>*> Walk{Handle(), &Disabled};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND Wnd, LPARAM Param) -> BOOL {
        auto* List = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(Param);
        if (Wnd != List->first && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
          EnableWindow(Wnd, FALSE);
          List->second->push_back(Wnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&Walk));
  try {
    Show();
    while (ModalResult == mrNone && Application && !Application->Terminated())
      Application->HandleMessage();
  } catch (...) {
    for (HWND Wnd : Disabled)
      EnableWindow(Wnd, TRUE);
    FInModal = false;
    throw;
  }
  for (HWND Wnd : Disabled)
    if (IsWindow(Wnd)) EnableWindow(Wnd, TRUE);
  if (Previous && IsWindow(Previous)) SetActiveWindow(Previous);
  Hide();
  FInModal = false;
  return ModalResult;
}

void TForm::Close() {
  if (FInModal) {
    ModalResult = mrCancel;
    return;
  }
  TCloseAction Action = caHide;
  if (OnClose) OnClose(this, Action);
  if (Action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  if (Action == caFree)
    Release();
  else
    Hide();
}

void TForm::Release() {
  if (HandleAllocated())
    PostMessageW(Handle(), CM_RELEASE, 0, 0);
  else
    delete this;
}

void TForm::WndProc(TMessage& Message) {
  switch (Message.Msg) {
  case WM_CLOSE: Close(); return;
  case WM_COMMAND:
    // IDCANCEL from the dialog manager (Esc) closes a modal form.
    if (Message.LParam == 0 && LOWORD(Message.WParam) == IDCANCEL && FInModal) {
      ModalResult = mrCancel;
      return;
    }
    // A command of the menu bar.
    if (Message.LParam == 0 && HIWORD(Message.WParam) == 0 && FMenu &&
        FMenu->DispatchCommand(LOWORD(Message.WParam)))
      return;
    break;
  case WM_DESTROY:
    if (TMainMenu* M = FMenu.Get()) M->WindowDestroyed(Handle());
    break;
  default: break;
  }
  TWinControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TScreen

TForm* TScreen::ActiveForm() const {
  HWND Active = GetActiveWindow();
  for (TForm* F : FForms)
    if (F->HandleAllocated() && F->Handle() == Active) return F;
  return nullptr;
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication() : TComponent(nullptr) {
  Application = this;
  Screen = new TScreen;
  GFrameworkExceptionHandler = [this] { HandleException(); };
}

TApplication::~TApplication() {
  GFrameworkExceptionHandler = nullptr;
  // Forms go before the screen that lists them.
  while (ComponentCount() > 0)
    delete Components(ComponentCount() - 1);
  delete Screen;
  Screen = nullptr;
  if (Application == this) Application = nullptr;
  if (FIcon) DestroyIcon(FIcon);
  if (FSmallIcon) DestroyIcon(FSmallIcon);
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX Init{sizeof(Init), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&Init);
}

HICON TApplication::Icon() {
  if (!FIcon) {
    HINSTANCE Instance = GetModuleHandleW(nullptr);
    FIcon =
        static_cast<HICON>(LoadImageW(Instance, L"MAINICON", IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    FSmallIcon = static_cast<HICON>(LoadImageW(Instance, L"MAINICON", IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
  }
  return FIcon;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (Msg.message == WM_QUIT) {
    FTerminated = true;
    return true;
  }
  HWND Root = Msg.hwnd ? GetAncestor(Msg.hwnd, GA_ROOT) : nullptr;
  // Tab, the arrow keys and Esc move between the controls of a form as in a dialog.
  if (Root && Msg.message >= WM_KEYFIRST && Msg.message <= WM_KEYLAST &&
      dynamic_cast<TForm*>(TWinControl::FromHandle(Root)) && IsDialogMessageW(Root, &Msg))
    return true;
  TranslateMessage(&Msg);
  DispatchMessageW(&Msg);
  return true;
}

void TApplication::ProcessMessages() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    ProcessMessage(Msg);
    if (FTerminated) {
      // Leave the quit message for the loop that owns the program's end.
      PostQuitMessage(0);
      break;
    }
  }
}

void TApplication::HandleMessage() {
  MSG Msg;
  BOOL Got = GetMessageW(&Msg, nullptr, 0, 0);
  if (Got == 0 || Got == -1) {
    FTerminated = true;
    return;
  }
  ProcessMessage(Msg);
}

void TApplication::Run() {
  if (FMainForm) FMainForm->Show();
  while (!FTerminated)
    HandleMessage();
}

void TApplication::Terminate() {
  if (FTerminated) return;
  FTerminated = true;
  PostQuitMessage(0);
}

void TApplication::HandleException() {
  std::wstring Message;
  try {
    throw;
  } catch (const std::exception& E) {
    Message = ExceptionMessage(E);
  } catch (...) {
    Message = L"Unknown error";
  }
  ShowException(Message);
}

void TApplication::ShowException(const std::wstring& Message) {
  if (OnException) {
    OnException(Message);
    return;
  }
  MessageBox(ErrorReportText(Message), FTitle, MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const std::wstring& Text, const std::wstring& Caption, UINT Flags) {
  HWND Owner = GetActiveWindow();
  return ::MessageBoxW(Owner, Text.c_str(), Caption.c_str(), Flags);
}
