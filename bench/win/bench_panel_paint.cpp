// Painting the main window's top panel from the skin, against a plain FillRect of the same
// area in the same run: the panel's face alone into a memory DC, and the panel with its
// children (the bound labels, the edits and the button) redrawn on screen. Prints the best
// and the middle ratio of rounds with equal work.
#include <windows.h>

#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"
#include "base/GdiObjects.h"
#include "skin/controls/sPanel.h"

int main() {
  TApplication App;
  Tfrm_main* Form = ShowMainWindow();
  auto* Panel = dynamic_cast<TsPanel*>(Form->sPanel1);
  if (!Panel || !Panel->SkinData().Skinned()) {
    std::printf("the top panel is not skinned\n");
    return 1;
  }
  HWND Wnd = Panel->Handle();
  RECT R{0, 0, Panel->Width(), Panel->Height()};
  TClientDC Screen(Wnd);
  TMemoryDC Memory(Screen);
  TBitmapHandle Bitmap(CreateCompatibleBitmap(Screen, R.right, R.bottom));
  TSelectObject Selected(Memory, Bitmap);
  TBrush Brush = SolidBrush(RGB(0xF4, 0xF7, 0xEC));

  const int Rounds = 15, Face = 200, Whole = 40;
  std::vector<double> FaceRatios, StaleRatios, WholeRatios;
  for (int Round = 0; Round < Rounds; ++Round) {
    double Plain = Seconds(Face, [&] { FillRect(Memory, &R, Brush); });
    double Skinned = Seconds(Face, [&] { Panel->OurPaint(Memory, false); });
    FaceRatios.push_back(Skinned / Plain);
    double Stale = Seconds(Face, [&] {
      Panel->SkinData().BGChanged = true;
      Panel->OurPaint(Memory, false);
    });
    StaleRatios.push_back(Stale / Plain);
    double PlainScreen = Seconds(Whole, [&] { FillRect(Screen, &R, Brush); });
    double SkinnedScreen = Seconds(Whole, [&] {
      RedrawWindow(Wnd, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    WholeRatios.push_back(SkinnedScreen / PlainScreen);
  }
  Report("top panel face", FaceRatios, "FillRect");
  Report("top panel face, rebuilt (after a size or skin change)", StaleRatios, "FillRect");
  Report("top panel with its children on screen", WholeRatios, "FillRect");
  delete Form;
  return 0;
}
