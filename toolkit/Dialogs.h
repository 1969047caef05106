// Message forms and the file dialogs.
#pragma once

#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"

// The toolkit's message form: the message, an OK button, the application title as caption.
class TMessageForm : public TForm {
public:
  TMessageForm(TComponent* AOwner, const std::wstring& Message);
  const wchar_t* ClassName() const override { return L"TMessageForm"; }
  TLabel* Message() const { return FMessage; }
  TButton* OkButton() const { return FOk; }

protected:
  void CreateWindowHandle() override;

private:
  TLabel* FMessage;
  TButton* FOk;
};

// Shows Message in a modal message form and returns when it is closed.
void ShowMessage(const std::wstring& Message);

// The system's open and save dialogs, remembering the last name and type between uses.
class TOpenDialog : public TComponent {
public:
  explicit TOpenDialog(TComponent* AOwner) : TComponent(AOwner) {}
  const wchar_t* ClassName() const override { return L"TOpenDialog"; }

  std::wstring Title;
  // Pairs of description and pattern separated by vertical bars: "Text|*.txt|All|*.*".
  std::wstring Filter;
  // 1-based index of the type; 0 means the first.
  int FilterIndex = 1;
  std::wstring DefaultExt;
  std::wstring FileName;
  std::wstring InitialDir;

  // Runs the dialog; true when the user confirmed a name (then FileName and FilterIndex hold
  // the choice).
  virtual bool Execute();
  // The dialog's window while it is open (the outer window of the system dialog), else null.
  HWND Handle() const { return FHandle; }
  // Runs when the user picks another type while the dialog is open.
  TNotifyEvent OnTypeChange;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  virtual bool IsSave() const { return false; }

private:
  static UINT_PTR CALLBACK HookProc(HWND Dlg, UINT Msg, WPARAM WParam, LPARAM LParam);
  HWND FHandle = nullptr;
};

class TSaveDialog : public TOpenDialog {
public:
  using TOpenDialog::TOpenDialog;
  const wchar_t* ClassName() const override { return L"TSaveDialog"; }

protected:
  bool IsSave() const override { return true; }
};

// The file-name box of the system's file dialogs, for CDM_SETCONTROLTEXT.
constexpr int FileNameBoxId = 1148;

// Makes every class of the framework known to the definition reader.
void RegisterToolkitClasses();
