// The skinned single-line edit: frame, background, text and hint painted from a skin section
// while it is not focused; focused, the native edit paints its client area (caret and
// selection stay the system's). Its bound caption is a skinned label.
#pragma once

#include <memory>

#include "skin/controls/sCommonData.h"
#include "skin/controls/sLabel.h"
#include "skin/paint/sGlyphs.h"
#include "toolkit/StdCtrls.h"

// The label an edit carries with it (see TBoundLabel); it tells its bound label when it goes.
class TsEditLabel : public TsLabel {
public:
  TsEditLabel(TComponent* AOwner, TBoundLabel* ABoundLabel);
  ~TsEditLabel() override;
  const wchar_t* ClassName() const override { return L"TsEditLabel"; }
  TBoundLabel* BoundLabel() const { return FBoundLabel; }

private:
  TBoundLabel* FBoundLabel;
};

class TsEdit : public TEdit {
public:
  explicit TsEdit(TComponent* AOwner);
  ~TsEdit() override;
  const wchar_t* ClassName() const override { return L"TsEdit"; }

  TsCtrlSkinData& SkinData() { return *FCommonData; }
  unsigned DisabledKind() const { return FDisabledKind; }
  void SetDisabledKind(unsigned Value);
  // Each character is shown as this one (0: none; "*" appears as a black circle while the
  // skin paints the text).
  wchar_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(wchar_t Value);
  TAlignment Alignment = taLeftJustify;
  // BorderStyle bsSingle (true) or bsNone.
  bool BorderSingle = true;
  bool Ctl3D = true;
  // UseSkinColor of the bound label: true when there is no label.
  bool UseSkinColor() const;
  void SetUseSkinColor(bool Value);

  // Composes the face (section, border, text or hint, disabled look) into the cache; false
  // when the parent's background is not ready.
  bool PrepareCache();
  // Writes the text, or the hint of an empty edit, into the cache.
  void PaintText();

  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  bool Ready() const;
  // The native edit paints itself while it holds the focus.
  bool NativePaints() const;
  void HandleSkinCommand(TMessage& Message);
  bool HandleSkinned(TMessage& Message);
  void PaintWindowFace(HDC Given);
  void PaintFrame();
  void Repaint();
  void RestoreDesignColors();
  void FollowWithLabel(const TMessage& Message);
  // The shared handling; colours it gives the edit are the skin's, not the design's.
  bool Common(TMessage& Message);
  void CommonCommand(TMessage& Message);

  std::unique_ptr<TsCtrlSkinData> FCommonData;
  unsigned FDisabledKind = dkBlended;
  wchar_t FPasswordChar = 0;
  // The colours of the definition, given back when the skin is dropped (the skin writes its
  // own into Color and Font.Color).
  TColor FDesignColor;
  TColor FDesignFontColor;
  int FSkinWriting = 0; // inside the skin's handling, which writes its own colours
};
