// Forms, the application object and the screen: top-level windows, modal loops, the message
// loop and the error report.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/Controls.h"
#include "toolkit/Menus.h"

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum TPosition { poDesigned, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;

constexpr int mrNone = 0, mrOk = 1, mrCancel = 2;

class TForm : public TWinControl {
public:
  explicit TForm(TComponent* AOwner);
  ~TForm() override;
  const wchar_t* ClassName() const override { return L"TForm"; }

  // Reads the stored definition of this form (the resource named after its class). Errors
  // name the definition as DefinitionName (its source file), or by the resource name.
  void InitInheritedComponent(const std::wstring& ClassName,
                              const std::string& DefinitionName = {});

  void Show();
  void Hide();
  int ShowModal();
  void Close();
  // Destroys the form once the messages being handled now are done.
  void Release();

  int ModalResult = mrNone;
  // Frame settings take effect when the window is made.
  void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; }
  void SetBorderIcons(unsigned Value) { FBorderIcons = Value; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  void SetFormStyle(TFormStyle Value) { FFormStyle = Value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  unsigned BorderIcons() const { return FBorderIcons; }
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetClientSize(int AWidth, int AHeight);
  int ClientWidth() const;
  int ClientHeight() const;
  void SetIcon(HICON Icon);
  // The form's menu bar (null: none); its commands reach its items.
  TMainMenu* Menu() const { return FMenu.Get(); }
  void SetMenu(TMainMenu* Value);

  TNotifyEvent OnShow;
  TCloseEvent OnClose;

  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

protected:
  void BeforeDestruction() override;
  void ApplyVisible() override;
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle() override;
  virtual void DoShow();

private:
  void Unlist();

  TBorderStyle FBorderStyle = bsSizeable;
  unsigned FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TPosition FPosition = poDesigned;
  TFormStyle FFormStyle = fsNormal;
  int FClientWidth = 0;
  int FClientHeight = 0;
  bool FInModal = false;
  HICON FIcon = nullptr;
  TWeakRef<TMainMenu> FMenu;
  std::wstring FMenuName; // from a definition, found when it is loaded
};

class TScreen {
public:
  int FormCount() const { return int(FForms.size()); }
  TForm* Forms(int Index) const { return FForms[size_t(Index)]; }
  TForm* ActiveForm() const;

private:
  std::vector<TForm*> FForms;
  friend class TForm;
};

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;
  const wchar_t* ClassName() const override { return L"TApplication"; }

  void Initialize();
  const std::wstring& Title() const { return FTitle; }
  void SetTitle(const std::wstring& Value) { FTitle = Value; }
  bool MainFormOnTaskBar = true;

  template <class T>
  void CreateForm(T*& Reference) {
    Reference = new T(this);
    if (!FMainForm) FMainForm = Reference;
  }
  TForm* MainForm() const { return FMainForm; }
  void SetMainForm(TForm* Form) { FMainForm = Form; }

  void Run();
  // Handles every pending message and returns when the queue is empty.
  void ProcessMessages();
  // Waits for one message and handles it.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  // The error report: the exception's message with a full stop added when it ends in a
  // character above it, an error icon and OK, captioned with the application title.
  void HandleException();
  void ShowException(const std::wstring& Message);
  std::function<void(const std::wstring&)> OnException;
  int MessageBox(const std::wstring& Text, const std::wstring& Caption, UINT Flags);

  // The program's icon (resource "MAINICON"), loaded once.
  HICON Icon();

private:
  bool ProcessMessage(MSG& Msg);

  std::wstring FTitle;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  HICON FIcon = nullptr;
  HICON FSmallIcon = nullptr;
  friend class TForm;
};

extern TApplication* Application;
extern TScreen* Screen;

// The error report's text: a full stop is added when the last character's code lies above it.
std::wstring ErrorReportText(const std::wstring& Message);
