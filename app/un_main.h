// The main window: the editor, the marker fields, the load, search and save buttons, and the
// hidden stores of the search-and-rewrite run.
#pragma once

#include "toolkit/ComCtrls.h"
#include "toolkit/Dialogs.h"
#include "toolkit/ExtCtrls.h"
#include "toolkit/Forms.h"
#include "toolkit/StdCtrls.h"
#include "skin/controls/sRichEdit.h"
#include "skin/forms/sDialogs.h"
#include "skin/manager/sSkinManager.h"

#include <memory>
#include <vector>

namespace textovrt {
struct TTextEdit;
class TCodePage;
enum class TTextEncoding;
} // namespace textovrt

// The texts of the start-up notice and the application title.
extern const wchar_t* const ProgramTitle;
extern const wchar_t* const StartupNotice;
extern const wchar_t* const NothingFoundText;

// The name that the save dialog's file-name box shows after the user picked type TypeIndex
// (1 to 4): the extension after the last dot of the name replaced (or added), without folders.
// An index outside 1 to 4 gives an empty name.
std::wstring TypeChangedFileName(const std::wstring& Path, int TypeIndex);

// Makes every class of the framework and the skin engine known to the definition reader, and
// the engine's picture readers, as the program needs them before its main window is made.
void RegisterProgramClasses();

// The file that the command line names for loading at start-up: the first argument that is
// not a switch ("/..." or "-..."); empty when there is none.
std::wstring CommandLineFileName(const std::vector<std::wstring>& Arguments);

class Tfrm_main : public TForm {
public:
  explicit Tfrm_main(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"Tfrm_main"; }

  // Fields, in declared order.
  TsRichEdit* Memo1 = nullptr;
  TMemo* Memo2 = nullptr;
  TPanel* sPanel1 = nullptr;
  TButton* sButton1 = nullptr;
  TEdit* sEdit1 = nullptr;
  TEdit* sEdit2 = nullptr;
  TEdit* sEdit3 = nullptr;
  TPanel* sPanel2 = nullptr;
  TButton* sButton2 = nullptr;
  TButton* Button1 = nullptr;
  TLabel* sLabel1 = nullptr;
  TProgressBar* pb = nullptr;
  TTimer* Timer1 = nullptr;
  TLabel* sLabel2 = nullptr;
  TsSkinManager* sSkinManager1 = nullptr;
  TsOpenDialog* opd = nullptr;
  TButton* sButton3 = nullptr;
  TsSaveDialog* sd = nullptr;

  // Handlers.
  void Button1Click(TComponent* Sender);
  void FormShow(TComponent* Sender);
  void Memo1Change(TComponent* Sender);
  void sButton1Click(TComponent* Sender);
  void sButton2Click(TComponent* Sender);
  void sButton3Click(TComponent* Sender);
  void sdTypeChange(TComponent* Sender);
  void Timer1Timer(TComponent* Sender);

  bool Rewriting() const { return FRewriting; }

  // Loads a text file into the editor as "Načíst textový soubor" does; a file that cannot be
  // read or is no text file throws with the message the user sees and leaves the editor as it
  // was.
  void LoadFile(const std::wstring& FileName);

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  // The system's 8-bit code page, in which files without a mark are read and written.
  static std::unique_ptr<textovrt::TCodePage> CodePage();
  void PumpEvents();
  void SearchCleanUp();
  void SetProgressText(const std::wstring& Text);
  void ApplyEdits(const std::vector<textovrt::TTextEdit>& Edits);

  bool FRewriting = false;
  // The encoding of the file last loaded, in which the text is saved; the 8-bit code page
  // (the value 0) for a text never loaded from a file.
  textovrt::TTextEncoding FEncoding{};
  // Set when a file replaced the editor's text; a running rewrite then continues on it.
  bool FEditorReplaced = false;
  // While one entry's edits go into the editor, it repaints once at the end.
  bool FDeferRepaint = false;
};

extern Tfrm_main* frm_main;
