// The skinned progress bar: the gauge section as background and frame, the progress section
// on top as blocks, one smooth strip, or five marquee blocks moving on a 30 ms timer.
#pragma once

#include <memory>
#include <string>

#include "skin/controls/sCommonData.h"
#include "skin/paint/kvProgressBarRules.h"
#include "toolkit/ComCtrls.h"
#include "toolkit/ExtCtrls.h"

class TsProgressBar : public TProgressBar {
public:
  explicit TsProgressBar(TComponent* AOwner);
  ~TsProgressBar() override;
  const wchar_t* ClassName() const override { return L"TsProgressBar"; }

  TsCtrlSkinData& SkinData() { return *FCommonData; }
  // The section of the progress part; empty: "PROGRESSH", or "PROGRESSV" for a vertical bar.
  const std::string& ProgressSkin() const { return FProgressSkin; }
  void SetProgressSkin(const std::string& Value);

  // Paints the bar into DC (a DC of its window when null).
  void Paint(HDC DC);
  // Renders the face into the cache. A block bar whose block count did not change keeps the
  // face it has.
  void PrepareCache();
  // What the geometry is computed from: the window's range and position.
  TProgressFacts Facts() const;
  // The marquee's step (the timer calls it; tests call it by hand).
  void MarqueeTick();
  bool MarqueeRunning() const { return FTimer && FTimer->Enabled(); }
  double MarqueePos() const { return FMarqPos; }

  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

protected:
  void CreateWindowHandle() override;

private:
  bool Ready() const;
  void HandleSkinCommand(TMessage& Message);
  bool HandleSkinned(TMessage& Message);
  void StartMarquee();
  void StopMarquee();

  int FOldCount = -1;       // blocks drawn at the last rendering; -1 renders again
  TTimer* FTimer = nullptr; // owned by the bar
  std::unique_ptr<TsCtrlSkinData> FCommonData;
  std::string FProgressSkin;
  double FMarqPos = 0;
  int FMarqSize = 40;
  int FMarqStep = 8;
  int FOrient = 1;
};
