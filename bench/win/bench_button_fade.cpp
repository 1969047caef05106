// One step of a state fade of the main window's "Vyhledat" button (586 x 49): the blend of the
// old and the new face and its copy to the window, against copying the button's face to the
// window once, in the same run. Prints the best and the middle ratio of rounds with equal work.
// Then one whole hover fade as its timer runs it, counted: the copies to the screen per step,
// the area they covered against the button's, and the copies to any other window.
#include <windows.h>

#include <chrono>

#include "base/GdiObjects.h"
#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"
#include "skin/controls/sButton.h"
#include "skin/messages/sMessages.h"

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

  struct TCounts {
    HWND Button;
    int64_t Own = 0, Others = 0, Pixels = 0;
  } Counts{Wnd};
  int Steps = 0;
  auto Token = Button->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_FADESTEP) ++Steps;
    Next(M);
  });
  auto PumpWhileFading = [&] {
    auto End = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (Button->FadeTimer() && std::chrono::steady_clock::now() < End) {
      Application->ProcessMessages();
      Sleep(1);
    }
    Application->ProcessMessages();
  };
  Button->Perform(CM_MOUSELEAVE);
  PumpWhileFading();
  Steps = 0;
  SetScreenCopyWatch(
      [](HDC DC, const RECT& Area, void* P) {
        auto* C = static_cast<TCounts*>(P);
        if (WindowFromDC(DC) == C->Button) {
          ++C->Own;
          C->Pixels += int64_t(Area.right - Area.left) * (Area.bottom - Area.top);
        } else {
          ++C->Others;
        }
      },
      &Counts);
  Button->Perform(CM_MOUSEENTER);
  PumpWhileFading();
  SetScreenCopyWatch(nullptr);
  Button->RemoveWindowHook(Token);
  const double Area = double(Cache.Width()) * Cache.Height();
  std::printf("one hover fade: %d steps, %.2f copies to the screen per step, area copied %.2f x "
              "the button's per step, %lld copies to other windows\n",
              Steps, Steps ? double(Counts.Own) / Steps : 0.0,
              Steps ? double(Counts.Pixels) / Steps / Area : 0.0, (long long)Counts.Others);
  delete Form;
  return 0;
}
