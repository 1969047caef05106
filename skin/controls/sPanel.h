// The skinned panel: its face (background, border, caption) painted from a skin section, and
// the background its children ask for.
#pragma once

#include <functional>
#include <memory>

#include "skin/controls/sCommonData.h"
#include "toolkit/StdCtrls.h"

// Called after a panel's face and caption are drawn, with the DC that holds them.
using TPaintEvent = std::function<void(TComponent* Sender, HDC DC)>;

class TsPanel : public TPanel {
public:
  explicit TsPanel(TComponent* AOwner);
  ~TsPanel() override;
  const wchar_t* ClassName() const override { return L"TsPanel"; }

  TsCtrlSkinData& SkinData() { return *FCommonData; }
  TPaintEvent OnPaint;

  void WndProc(TMessage& Message) override;
  void Invalidate() override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

  // Draws the whole skinned face into DC (with DC 0 into a DC of the panel's window); with
  // SendUpdated the children are told afterwards that the background is ready.
  void OurPaint(HDC DC, bool SendUpdated);
  // Renders face, caption and OnPaint into the cache; true when the cache is complete. In the
  // fast way (no cache of its own needed) there is nothing to prepare: true.
  bool PrepareCache();
  // Draws the caption into R of DC (nothing without DC or with ShowCaption off).
  void WriteText(TRect R, HDC DC);

protected:
  void CreateParams(TCreateParams& Params) override;
  void PaintWindow(HDC DC) override;

private:
  // The window exists, the panel is not being read, loaded or destroyed, and it has a parent.
  bool Ready() const;
  // The cached way: the state needs a cache of its own and the panel has no custom colour, or
  // a form animation is capturing windows.
  bool CachedWay() const;
  void HandleSkinCommand(TMessage& Message);
  // Handles the messages of a ready, skinned panel; true when the message is finished.
  bool HandleSkinned(TMessage& Message);
  void PaintFast(HDC DC);
  void PaintCached(HDC DC);
  // The rectangle inside the bevels and the border.
  TRect CaptionRect() const;
  void RedrawNow();
  void FollowBevel();

  std::unique_ptr<TsCtrlSkinData> FCommonData;
  TBevelCut FOldBevel = bvRaised;
  // The last erase painted the face (fast way).
  bool FErasePainted = false;
};
