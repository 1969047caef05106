// The program's file dialogs (the toolkit's, with the skin's published extras) and the skin
// engine's own message box.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/Dialogs.h"

enum TsZipShowing { zsAsFolder, zsAsFile };

// The open dialog; whatever skinning it gets comes from the window hook.
class TsOpenDialog : public TOpenDialog {
public:
  using TOpenDialog::TOpenDialog;
  const wchar_t* ClassName() const override { return L"TsOpenDialog"; }
  // How archives show in the dialog; stored, with no effect on the system's dialog.
  TsZipShowing ZipShowing = zsAsFolder;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
};

class TsSaveDialog : public TSaveDialog {
public:
  using TSaveDialog::TSaveDialog;
  const wchar_t* ClassName() const override { return L"TsSaveDialog"; }
  TsZipShowing ZipShowing = zsAsFolder;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
};

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
  mbYes = 1,
  mbNo = 2,
  mbOK = 4,
  mbCancel = 8,
  mbAbort = 16,
  mbRetry = 32,
  mbIgnore = 64,
  mbHelp = 1024
};

// The system message box style of a type and a button set.
UINT MessageBoxStyle(TMsgDlgType Type, unsigned Buttons);
// The caption a box of a type has when none is given.
const wchar_t* DefaultBoxCaption(TMsgDlgType Type);
// Where the next system dialog the hook skins is moved to ((-1, -1): where the system puts it).
POINT& RequestedBoxPosition();

// Shows a system message box owned by the active form, with the other windows of the task
// disabled meanwhile, at X, Y when given; returns the identifier of the pressed button.
int kvMessageDlg(const std::wstring& Text, const std::wstring& Caption, TMsgDlgType Type,
                 unsigned Buttons, int HelpContext = 0, int X = -1, int Y = -1);
