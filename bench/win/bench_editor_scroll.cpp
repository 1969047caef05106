// One page of scrolling in the main window's skinned editor (a long text, both skinned bars),
// against the same page in a plain rich edit of the same size and text on the same form, in
// the same run. Prints the best and the middle ratio of rounds with equal work.
#include <windows.h>

#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"
#include "skin/controls/sRichEdit.h"

int main() {
  TApplication App;
  Tfrm_main* Form = ShowMainWindow();
  TsRichEdit* Skinned = Form->Memo1;
  if (!Skinned || !Skinned->Adapter()) {
    std::printf("the editor is not skinned\n");
    return 1;
  }
  // The plain one lies over the skinned one: both are painted whole on every scroll.
  // Its style is set before it gets a parent, which makes its window.
  auto* Plain = new TRichEdit(Form);
  Plain->ScrollBars = ssBoth;
  Plain->Font().Assign(Skinned->Font());
  Plain->SetBounds(Skinned->Left(), Skinned->Top(), Skinned->Width(), Skinned->Height());
  Plain->SetParent(Form);
  std::wstring Text;
  for (int i = 0; i < 3000; ++i)
    Text += L"řádek " + std::to_wstring(i) + L" kód xyzvh, je nesmysl na entou; text, který se " +
            L"posouvá po stránkách\r\n";
  Skinned->SetText(Text);
  Plain->SetText(Text);
  Application->ProcessMessages();
  if (!(GetWindowLongW(Plain->Handle(), GWL_STYLE) & WS_VSCROLL)) {
    std::printf("the plain editor has no scroll bar\n");
    return 1;
  }
  auto Page = [](HWND Wnd, int I) {
    SendMessageW(Wnd, WM_VSCROLL, I % 2 ? SB_PAGEUP : SB_PAGEDOWN, 0);
    UpdateWindow(Wnd);
  };
  const int Rounds = 11, Count = 40;
  std::vector<double> Ratios;
  for (int Round = 0; Round < Rounds; ++Round) {
    int I = 0;
    ShowWindow(Plain->Handle(), SW_HIDE);
    double SkinnedTime = Seconds(Count, [&] { Page(Skinned->Handle(), I++); });
    ShowWindow(Plain->Handle(), SW_SHOW);
    I = 0;
    double PlainTime = Seconds(Count, [&] { Page(Plain->Handle(), I++); });
    Ratios.push_back(SkinnedTime / PlainTime);
  }
  Report("one page of scrolling in the editor", Ratios, "a plain rich edit");
  delete Form;
  return 0;
}
