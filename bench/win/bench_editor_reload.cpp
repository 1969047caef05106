// Loading a long text into the main window's skinned editor while it holds another long text
// (a file opened after a file), against loading it into the empty editor, in the same run.
// Replacing a text should cost little more than loading it: the old text goes at once. Also
// the editor's loading into the empty editor against the control given the text in one piece.
#include <windows.h>

#include <string>

#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"
#include "skin/controls/sRichEdit.h"

namespace {

// About 1.5 MB in 20,000 lines, numbered with Tag so that every load changes the text.
std::wstring LongText(const std::wstring& Tag) {
  std::wstring Text;
  for (int i = 0; i < 20000; ++i)
    Text += Tag + L" řádek " + std::to_wstring(i) +
            L" kód xyzvh, je nesmysl na entou; text, který se načítá znovu\r\n";
  return Text;
}

} // namespace

int main() {
  TApplication App;
  Tfrm_main* Form = ShowMainWindow();
  TsRichEdit* Editor = Form->Memo1;
  const std::wstring First = LongText(L"první"), Second = LongText(L"druhý");
  auto Load = [&](const std::wstring& Text) {
    Editor->SetText(Text);
    Application->ProcessMessages();
    UpdateWindow(Editor->Handle());
  };
  const int Rounds = 3;
  std::vector<double> Ratios, Pieces;
  for (int Round = 0; Round < Rounds; ++Round) {
    Load(L"");
    double OnePiece = Seconds(1, [&] {
      SetWindowTextW(Editor->Handle(), First.c_str());
      Application->ProcessMessages();
      UpdateWindow(Editor->Handle());
    });
    Load(L"");
    double IntoEmpty = Seconds(1, [&] { Load(First); });
    double OverLong = Seconds(1, [&] { Load(Second); });
    if (Editor->Text() != Second) {
      std::printf("the editor does not hold the loaded text\n");
      return 1;
    }
    std::printf("  round %d: into the empty editor %.0f ms (the control given it in one piece "
                "%.0f ms), over a long text %.0f ms\n",
                Round, IntoEmpty * 1000, OnePiece * 1000, OverLong * 1000);
    Ratios.push_back(OverLong / IntoEmpty);
    Pieces.push_back(IntoEmpty / OnePiece);
  }
  Report("a long text loaded over another", Ratios, "loaded into the empty editor; goal <= 1.3");
  Report("a long text loaded into the empty editor", Pieces,
         "the control given it in one piece; goal <= 0.5");
  delete Form;
  return 0;
}
