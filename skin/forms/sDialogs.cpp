// The program's file dialogs and the skin engine's message box.
#include "skin/forms/sDialogs.h"

#include "toolkit/FormReader.h"

namespace {

TsZipShowing ReadZipShowing(const TDefValue& Value) {
  return TsZipShowing(Value.AsIdentIndex({"zsAsFolder", "zsAsFile"}));
}

} // namespace

bool TsOpenDialog::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "ZipShowing") {
    ZipShowing = ReadZipShowing(Value);
    return true;
  }
  return TOpenDialog::ReadProperty(Name, Value);
}

bool TsSaveDialog::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "ZipShowing") {
    ZipShowing = ReadZipShowing(Value);
    return true;
  }
  return TSaveDialog::ReadProperty(Name, Value);
}

UINT MessageBoxStyle(TMsgDlgType Type, unsigned Buttons) {
  UINT Style = 0;
  switch (Type) {
  case mtWarning: Style = MB_ICONWARNING; break;
  case mtError: Style = MB_ICONERROR; break;
  case mtInformation: Style = MB_ICONINFORMATION; break;
  case mtConfirmation: Style = MB_ICONQUESTION; break;
  case mtCustom: break;
  }
  if (!(Buttons & mbOK)) {
    if (Buttons & (mbAbort | mbIgnore))
      Style |= MB_ABORTRETRYIGNORE;
    else if (Buttons & (mbYes | mbNo))
      Style |= (Buttons & mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    else if (Buttons & mbRetry)
      Style |= MB_RETRYCANCEL;
  } else {
    Style |= (Buttons & mbCancel) ? MB_OKCANCEL : MB_OK;
  }
  if (Buttons & mbHelp) Style |= MB_HELP;
  return Style;
}

const wchar_t* DefaultBoxCaption(TMsgDlgType Type) {
  switch (Type) {
  case mtWarning: return L"Warning";
  case mtError: return L"Error";
  case mtInformation: return L"Information";
  case mtConfirmation: return L"Confirm";
  default: return L"";
  }
}

POINT& RequestedBoxPosition() {
  static POINT Position{-1, -1};
  return Position;
}

int kvMessageDlg(const std::wstring& Text, const std::wstring& Caption, TMsgDlgType Type,
                 unsigned Buttons, int HelpContext, int X, int Y) {
  HWND Previous = GetActiveWindow();
  HWND Owner = nullptr;
  if (Screen)
    for (int i = 0; i < Screen->FormCount(); ++i)
      if (TForm* F = Screen->Forms(i); F->HandleAllocated() && F->Handle() == Previous)
        Owner = Previous;
  MSGBOXPARAMSW Params{};
  Params.cbSize = sizeof(Params);
  Params.hwndOwner = Owner;
  Params.lpszText = Text.c_str();
  std::wstring Title = Caption.empty() ? DefaultBoxCaption(Type) : Caption;
  Params.lpszCaption = Title.c_str();
  // The other windows of the task wait until the box is closed.
  Params.dwStyle = MessageBoxStyle(Type, Buttons) | MB_TASKMODAL;
  Params.dwContextHelpId = DWORD(HelpContext);
  RequestedBoxPosition() = {X, Y};
  int Result = MessageBoxIndirectW(&Params);
  RequestedBoxPosition() = {-1, -1};
  if (Previous && IsWindow(Previous)) SetActiveWindow(Previous);
  return Result;
}
