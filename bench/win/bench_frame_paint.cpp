// One full non-client repaint of the skinned main window, against a plain FillRect of the same
// area (the window less its client area) on the same window DC in the same run: the frame
// copied from the window image as it is, and rendered again first (after an activation, a
// title or a size change). Prints the best and the middle ratio of rounds with equal work.
#include <windows.h>

#include "base/GdiObjects.h"
#include "bench/win/BenchProgram.h"
#include "bench/win/BenchTiming.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/messages/sMessages.h"

int main() {
  TApplication App;
  Tfrm_main* Form = ShowMainWindow();
  HWND Wnd = Form->Handle();
  auto* Provider = reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Wnd, KV_QUERYPROVIDER));
  if (!Provider || !Provider->Skinned()) {
    std::printf("the main window has no skinned frame\n");
    return 1;
  }
  // The plain fill covers the same pixels: the window rectangle without the client part.
  RECT W, C;
  GetWindowRect(Wnd, &W);
  GetClientRect(Wnd, &C);
  MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&C), 2);
  OffsetRect(&C, -W.left, -W.top);
  OffsetRect(&W, -W.left, -W.top);
  TWindowDC Dc(Wnd);
  TBrush Brush = SolidBrush(RGB(0x3F, 0x7D, 0x25));
  auto PlainFill = [&] {
    TSavedDC Saved(Dc);
    ExcludeClipRect(Dc, C.left, C.top, C.right, C.bottom);
    FillRect(Dc, &W, Brush);
  };

  const int Rounds = 15, Cached = 200, Rebuilt = 40;
  std::vector<double> CachedRatios, RebuiltRatios;
  for (int Round = 0; Round < Rounds; ++Round) {
    double Plain = Seconds(Cached, PlainFill);
    double Copy = Seconds(Cached, [&] { SendMessageW(Wnd, WM_NCPAINT, 1, 0); });
    CachedRatios.push_back(Copy / Plain);
    double PlainFew = Seconds(Rebuilt, PlainFill);
    double Render = Seconds(Rebuilt, [&] {
      Provider->SkinData().BGChanged = true;
      SendMessageW(Wnd, WM_NCPAINT, 1, 0);
    });
    RebuiltRatios.push_back(Render / PlainFew);
  }
  Report("main window frame from its image", CachedRatios, "FillRect");
  Report("main window frame rendered again (the whole window image)", RebuiltRatios, "FillRect");
  delete Form;
  return 0;
}
