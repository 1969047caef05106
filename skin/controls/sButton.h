// The skinned push button: an owner-drawn button whose whole face (the section in the current
// state, border, glyph, caption, focus mark, disabled look) is composed in its skin state's
// cache and copied to the window, with state changes faded.
#pragma once

#include <memory>
#include <string>

#include "base/GdiObjects.h"
#include "skin/controls/sCommonData.h"
#include "skin/controls/sFade.h"
#include "skin/paint/sButtonRules.h"
#include "skin/paint/sGlyphs.h"
#include "toolkit/ImgList.h"
#include "toolkit/StdCtrls.h"

class TsButton : public TButton {
public:
  explicit TsButton(TComponent* AOwner);
  ~TsButton() override;
  const wchar_t* ClassName() const override { return L"TsButton"; }

  TsCtrlSkinData& SkinData() { return *FCommonData; }

  // The latched pressed look.
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool ShowFocus() const { return FShowFocus; }
  void SetShowFocus(bool Value);
  // How far the focus mark stands outside the caption rectangle.
  int FocusMargin = 1;
  unsigned DisabledKind() const { return FDisabledKind; }
  void SetDisabledKind(unsigned Value);
  // The state changes that fade (bits of TkvAnimatEvent); aeGlobalDef leaves it to the manager.
  unsigned AnimatEvents = AnimatEventBit(aeGlobalDef);
  bool Reflected() const { return FReflected; }
  void SetReflected(bool Value);
  TButtonStyle Style() const { return FStyle; }
  void SetStyle(TButtonStyle Value);
  int ContentMargin() const { return FContentMargin; }
  void SetContentMargin(int Value);
  bool WordWrap = true;
  std::wstring CommandLinkHint;
  TNotifyEvent OnMouseEnter, OnMouseLeave;

  // The glyphs: an image list and the image of each state.
  TWeakRef<TCustomImageList> Images;
  TButtonImageIndexes ImageIndexes;
  TImageAlignment ImageAlignment = iaLeft;
  TImageMargins ImageMargins;

  // The state table: pressed, hot, default or normal.
  int CurrentState() const;
  // Composes the face into the cache; false when the parent's background is not ready.
  bool PrepareCache();
  TRect CaptionRect() const;
  TRect GlyphRect() const;
  int GlyphIndex() const;
  // Draws the caption (and the focus mark) into DC, the cache's own DC when null.
  void DrawCaption(HDC DC = nullptr);
  void DrawGlyph();

  // The running state fade, if any (tests step it by hand).
  TsFadeTimer* FadeTimer() const { return FFadeTimer.Get(); }
  // Set while a pressed face is shown for a moment before a release fades.
  static bool PressedFlash;

  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void BeforeDestruction() override;

private:
  bool Ready() const;
  void HandleSkinCommand(TMessage& Message);
  // The messages of a ready, skinned button; true when the message is finished.
  bool HandleSkinned(TMessage& Message);
  void HandleUnskinned(TMessage& Message);
  void Paint(HDC Given, bool Printing);
  void PaintClassic(HDC DC);
  void MouseEnter();
  void MouseLeave();
  void LeftDown(TMessage& Message);
  void LeftUp(TMessage& Message);
  void SetState(TMessage& Message);
  void SetButtonStyle(TMessage& Message);
  void FocusChanged(TMessage& Message);
  // Runs the default handling with window redrawing off around it.
  void DefaultWithoutRedraw(TMessage& Message);
  void CallDefault(TMessage& Message);
  void StopFading();
  void DropRegion();
  void RepaintNow();
  TButtonLayout Layout() const;
  TSize TextSize() const;
  bool HasUsableImage() const;
  bool MouseIsAbove() const;

  std::unique_ptr<TsCtrlSkinData> FCommonData;
  TFadeRef FFadeTimer;
  bool FMouseClicked = false;
  bool FDown = false;
  bool RegionChanged = true;
  bool FShowFocus = true;
  bool FReflected = false;
  bool IsFocused = false;
  bool DroppedDown = false;
  bool FInFocusHandling = false;
  unsigned FDisabledKind = dkBlended;
  TButtonStyle FStyle = bsPushButton;
  int FContentMargin = 6;
  // The region made by the last PrepareCache and not yet given to the window.
  TRegion FNewRegion;
  bool FRegionApplied = false; // a region was given to the window at least once
  TRect LastRect{};
};
