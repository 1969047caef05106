// A full repaint of the main window with all its children (frame, background, every control,
// painted at once), skinned against the same window with the skin manager switched off (the
// skin dropped, every window back to the system's own look), in the same run and in turns.
// Prints the best and the middle ratio of rounds with equal work.
#include <windows.h>

#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"

int main() {
  TApplication App;
  Tfrm_main* Form = ShowMainWindow();
  HWND Wnd = Form->Handle();
  TsSkinManager* Manager = Form->sSkinManager1;
  auto Repaint = [&] {
    RedrawWindow(Wnd, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  };
  const int Rounds = 9, Count = 20;
  std::vector<double> Ratios;
  for (int Round = 0; Round < Rounds; ++Round) {
    Manager->SetActive(true);
    Application->ProcessMessages();
    Repaint(); // once untimed: the caches that a skin change left stale are made again
    double Skinned = Seconds(Count, Repaint);
    Manager->SetActive(false);
    Application->ProcessMessages();
    Repaint();
    double Plain = Seconds(Count, Repaint);
    Ratios.push_back(Skinned / Plain);
  }
  Manager->SetActive(true);
  Application->ProcessMessages();
  Report("full repaint of the main window with its children", Ratios,
         "the same window without the skin; goal <= 3");
  delete Form;
  return 0;
}
