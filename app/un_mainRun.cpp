// The search-and-rewrite run of the main window: the search, the wait, the rewrite with its
// live count, and loading and saving text files.
#include <windows.h>
#include <commdlg.h>

#include <filesystem>
#include <memory>

#include "app/un_info.h"
#include "app/un_main.h"
#include "app/un_mainText.h"
#include "app/un_rewrite.h"
#include "app/un_textfile.h"

const wchar_t* const NothingFoundText = L"Žádné položky nenalezeny";

namespace {

std::u16string ToU16(const std::wstring& S) {
  return {S.begin(), S.end()};
}
std::wstring ToWide(const std::u16string& S) {
  return {S.begin(), S.end()};
}

// The editor keeps each line break as one CR; its text with CR LF is what the run works on.
// Entries never hold a line break, so running on the one-character form finds the same
// occurrences at positions that the control takes directly.
std::u16string ToControlBreaks(std::u16string_view Text) {
  return ReplacedLineBreaks(Text, u"\r");
}

int CounterValue(const TLabel* Label) {
  try {
    return std::stoi(Label->Caption());
  } catch (const std::exception&) {
    throw Exception(L"'" + Label->Caption() + L"' is not a valid integer value");
  }
}

} // namespace

std::wstring TypeChangedFileName(const std::wstring& Path, int TypeIndex) {
  static const wchar_t* const Extensions[] = {L".txt", L".php", L".html", L".txt"};
  if (TypeIndex < 1 || TypeIndex > 4) return L"";
  size_t Separator = Path.find_last_of(L"\\/:");
  size_t NameStart = Separator == std::wstring::npos ? 0 : Separator + 1;
  size_t Dot = Path.rfind(L'.');
  std::wstring Result = Path;
  if (Dot != std::wstring::npos && Dot >= NameStart)
    Result.replace(Dot, std::wstring::npos, Extensions[TypeIndex - 1]);
  else
    Result += Extensions[TypeIndex - 1];
  return Result.substr(NameStart);
}

void Tfrm_main::PumpEvents() {
  Application->ProcessMessages();
}

void Tfrm_main::sButton2Click(TComponent*) {
  // A search while a rewrite runs would replace the list and the count under it.
  if (FRewriting) return;
  std::vector<std::u16string> Working;
  try {
    std::wstring EndMarker = sEdit2->Text();
    std::wstring StartMarker = sEdit1->Text();
    std::wstring Text = Memo1->Text();
    Working = textovrt::FindMarkedItems(ToU16(Text), ToU16(StartMarker), ToU16(EndMarker));
    std::wstring Joined;
    for (const auto& Item : Working) {
      Joined += ToWide(Item);
      Joined += L"\r\n";
    }
    Memo2->SetText(Joined);
    sLabel2->SetCaption(std::to_wstring(Memo2->LineCount()));
  } catch (...) {
    Working.clear();
    SearchCleanUp();
    throw;
  }
  Working.clear();
  SearchCleanUp();
}

void Tfrm_main::SearchCleanUp() {
  if (sLabel2->Caption() == L"0") {
    ShowMessage(NothingFoundText);
  } else {
    Timer1->SetEnabled(true);
    Memo1->Update();
  }
}

void Tfrm_main::Timer1Timer(TComponent*) {
  pb->SetPosition(pb->Position() + 10);
  if (pb->Position() < pb->Max()) return;
  Timer1->SetEnabled(false);
  pb->SetMax(CounterValue(sLabel2));
  pb->SetPosition(pb->Max());
  frm_animate = new Tfrm_animate(Application);
  frm_animate->Show();
  Button1->Click();
}

void Tfrm_main::SetProgressText(const std::wstring& Text) {
  if (frm_animate) {
    frm_animate->lblinfo->SetCaption(Text);
    frm_animate->lblinfo->Repaint();
  }
}

void Tfrm_main::Button1Click(TComponent*) {
  PumpEvents();
  FRewriting = true;
  auto Finish = [this] {
    pb->SetPosition(pb->Max() - CounterValue(sLabel2));
    pb->SetPosition(0);
    SetProgressText(DoneText);
    PumpEvents();
    Memo1->SetEnabled(true);
    FRewriting = false;
  };
  try {
    Memo1->SetEnabled(false);
    // The list is read once: a search cannot replace it while the rewrite runs.
    std::vector<std::wstring> Lines = SplitLines(Memo2->Text());
    int N = int(Lines.size());
    std::vector<std::u16string> Entries;
    Entries.reserve(Lines.size());
    for (const auto& Line : Lines)
      Entries.push_back(ToU16(Line));
    std::unique_ptr<textovrt::TRewriteRun> Run;
    FEditorReplaced = false;
    for (int i = 0; i < N; ++i) {
      PumpEvents();
      try {
        PumpEvents();
        if (!Run || FEditorReplaced) {
          // The run starts on the editor's text; after a file was loaded meanwhile, the
          // remaining entries apply to the new text. The markers only tell the run where
          // entries can occur, which saves it a search through the whole text.
          Run = std::make_unique<textovrt::TRewriteRun>(
              ToControlBreaks(ToU16(Memo1->Text())),
              std::vector<std::u16string>(Entries.begin() + i, Entries.end()),
              ToControlBreaks(ToU16(sEdit1->Text())), ToControlBreaks(ToU16(sEdit2->Text())));
          FEditorReplaced = false;
        }
        std::u16string Replacement = ToControlBreaks(ToU16(sEdit3->Text()));
        std::vector<textovrt::TTextEdit> Edits;
        Run->Step(Replacement, &Edits);
        ApplyEdits(Edits);
        SetProgressText(L"Přepsáno: " + std::to_wstring(i + 1) + L" položek z " +
                        std::to_wstring(pb->Max()));
        sLabel2->SetCaption(std::to_wstring(i + 1));
        PumpEvents();
        pb->SetPosition(pb->Max() - CounterValue(sLabel2));
      } catch (...) {
        sLabel2->SetCaption(std::to_wstring(i + 1));
        PumpEvents();
        throw;
      }
      sLabel2->SetCaption(std::to_wstring(i + 1));
      PumpEvents();
    }
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
}

void Tfrm_main::ApplyEdits(const std::vector<textovrt::TTextEdit>& Edits) {
  if (Edits.empty()) return;
  // One repaint for the whole entry, however many places it changed, and of the changed lines
  // only: the editor marks them when the update ends.
  FDeferRepaint = true;
  Memo1->BeginUpdate();
  try {
    for (const auto& Edit : Edits)
      Memo1->ReplaceControlRange(Edit.Position, Edit.RemovedLength, ToWide(Edit.Inserted),
                                 Edit.RemovedLineBreak);
  } catch (...) {
    Memo1->EndUpdate();
    FDeferRepaint = false;
    throw;
  }
  Memo1->EndUpdate();
  FDeferRepaint = false;
  Memo1->Update();
}

std::unique_ptr<textovrt::TCodePage> Tfrm_main::CodePage() {
  std::string Error;
  auto Page = textovrt::OpenCodePage(textovrt::SystemCodePage(), &Error);
  if (!Page) throw Exception(Utf8ToWide(Error));
  return Page;
}

void Tfrm_main::sButton1Click(TComponent*) {
  if (!opd->Execute()) return;
  LoadFile(opd->FileName);
}

void Tfrm_main::sButton3Click(TComponent*) {
  if (!sd->Execute()) return;
  sdTypeChange(sd);
  std::filesystem::path Path(sd->FileName);
  std::u16string Text;
  try {
    Text = ToU16(Memo1->Text());
  } catch (const std::bad_alloc&) {
    throw Exception(L"Failed to Save Stream");
  }
  // Saved in the encoding it was loaded in; a text that the code page cannot hold as UTF-8.
  if (textovrt::TTextFileError Error = textovrt::SaveTextFile(Path, Text, *CodePage(), FEncoding))
    throw Exception(Utf8ToWide(textovrt::TextFileErrorMessage(Error, Path)));
}

void Tfrm_main::sdTypeChange(TComponent* Sender) {
  auto* Dialog = dynamic_cast<TOpenDialog*>(Sender);
  // Only a dialog that is still open has a name box to change.
  if (!Dialog || !Dialog->Handle()) return;
  std::wstring Path(32768, L'\0');
  LRESULT Length =
      SendMessageW(Dialog->Handle(), CDM_GETFILEPATH, WPARAM(Path.size()), LPARAM(Path.data()));
  Path.resize(Length > 0 ? size_t(Length) - 1 : 0);
  std::wstring Name = TypeChangedFileName(Path, Dialog->FilterIndex);
  SendMessageW(Dialog->Handle(), CDM_SETCONTROLTEXT, FileNameBoxId, LPARAM(Name.c_str()));
}
