// One step of a state fade of the main window's "Vyhledat" button (586 x 49): the blend of the
// old and the new face and its copy to the window, against copying the button's face to the
// window once, in the same run. Prints the best and the middle ratio of rounds with equal work.
#include <windows.h>

#include "base/GdiObjects.h"
#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"
#include "skin/controls/sButton.h"

int main() {
  TApplication App;
  Tfrm_main* Form = ShowMainWindow();
  auto* Button = dynamic_cast<TsButton*>(Form->sButton2);
  if (!Button || !Button->SkinData().Skinned() || !Button->SkinData().CacheBmp()) {
    std::printf("the search button is not skinned\n");
    return 1;
  }
  HWND Wnd = Button->Handle();
  const TBitmap32& Cache = *Button->SkinData().CacheBmp();
  std::printf("button %d x %d\n", Cache.Width(), Cache.Height());
  Button->Perform(CM_MOUSEENTER);
  TsFadeTimer* Fade = Button->FadeTimer();
  if (!Fade) {
    std::printf("the button does not fade\n");
    return 1;
  }
  const int Rounds = 15, Count = 300;
  std::vector<double> Ratios;
  for (int Round = 0; Round < Rounds; ++Round) {
    double Copy = Seconds(Count, [&] {
      TWindowDC DC(Wnd);
      BitBlt(DC, 0, 0, Cache.Width(), Cache.Height(), static_cast<HDC>(Cache.NativeDC()), 0, 0,
             SRCCOPY);
    });
    double Step = Seconds(Count, [&] {
      Fade->FadeLevel = 3; // a middle step, again and again
      Fade->Timer();
    });
    Ratios.push_back(Step / Copy);
  }
  Report("fade step of the button", Ratios, "one copy of its face");
  delete Form;
  return 0;
}
