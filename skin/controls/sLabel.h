// Skinned labels: window-less, transparent, their text colour taken from the skin, with an
// optional skin section painted behind the text.
#pragma once

#include "toolkit/StdCtrls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TsCustomLabel : public TLabel {
public:
  explicit TsCustomLabel(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"TsCustomLabel"; }

  TTextLayout Layout = tlTop;
  bool ShowAccelChar = true;
  TNotifyEvent OnMouseEnter, OnMouseLeave;

  // The font the text is drawn in, and its colour while a skin is active.
  virtual const TFont& GetTextFont() const { return Font(); }
  virtual TColor GetTextColor() const;

  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  void Paint(HDC DC) override;
  // Draws (or with DT_CALCRECT measures into R) the caption.
  virtual void DoDrawText(HDC DC, TRect& R, UINT Flags);
  // The colour of a disabled label: 40 % of its font colour, 60 % of the parent's ground.
  TColor DisabledTextColor() const;

private:
  void PaintSectionBehind(HDC DC);
  // The section index while a paint is under way, -1 at all other times.
  int FSkinIndex = -1;
  // The font colour of the definition while a section's font colour stands in Font.Color; it
  // comes back when the label paints without that section.
  bool FSectionColorApplied = false;
  TColor FDesignFontColor = 0;
};

class TsLabel : public TsCustomLabel {
public:
  explicit TsLabel(TComponent* AOwner) : TsCustomLabel(AOwner) {}
  const wchar_t* ClassName() const override { return L"TsLabel"; }
  bool UseSkinColor = true;
  TColor GetTextColor() const override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
};

// Whether the default manager has a skin applied.
bool SkinActive();
