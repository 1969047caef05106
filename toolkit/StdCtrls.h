// The standard controls: push button, single-line edit with its bound label, multi-line edit,
// label and panel.
#pragma once

#include "base/TextUtils.h"
#include "toolkit/Controls.h"

// Text is split into lines by SplitLines (base/TextUtils.h), as a string list splits it.
// Lines joined, each followed by CR LF.
std::wstring JoinLines(const std::vector<std::wstring>& Lines);

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

class TButton : public TWinControl {
public:
  explicit TButton(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"TButton"; }
  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  int ModalResult = 0;
  void Click() override;
  // The button Enter presses in its dialog: the window has the BS_DEFPUSHBUTTON style.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  bool FDefault = false;
};

class TLabel : public TGraphicControl {
public:
  explicit TLabel(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"TLabel"; }
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool Transparent() const { return FTransparent; }
  TControl* FocusControl = nullptr;
  // Long captions break into lines at the label's width.
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  // The widest the label may grow (its size constraint); 0 sets no limit.
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void WndProc(TMessage& Message) override;
  void Loaded() override;
  // Fits the size to the caption when AutoSize is on: one line, or with WordWrap lines of
  // the current width (MaxWidth when set); never wider than MaxWidth.
  void AdjustBounds();
  // The width of the caption on one line, in the label's font.
  int TextWidth() const;

protected:
  void Paint(HDC DC) override;

private:
  bool FAutoSize = true;
  bool FWordWrap = false;
  int FMaxWidth = 0;
  bool FTransparent = true;
  TAlignment FAlignment = taLeftJustify;
};

enum TCaptionLayout {
  sclLeft,
  sclTopLeft,
  sclTopCenter,
  sclTopRight,
  sclLeftTop,
  sclBottomLeft,
  sclBottomCenter,
  sclBottomRight
};

class TEdit;

// Makes the label of a bound label, owned by the edit; a skinned edit makes a skinned one.
using TBoundLabelFactory = std::function<TLabel*(TWinControl* Edit)>;

// The caption an edit carries with it: a label placed beside the edit by one of eight layouts,
// following the edit's visibility, enabling and bounds.
class TBoundLabel {
public:
  explicit TBoundLabel(TWinControl* AEdit) : FEdit(AEdit) {
    FFont.OnChange = [this] { FFontSet = true; };
  }
  TBoundLabel(const TBoundLabel&) = delete;
  TBoundLabel& operator=(const TBoundLabel&) = delete;
  // Set by the edit before the label is made; a plain TLabel without one.
  TBoundLabelFactory LabelFactory;
  bool Active() const { return FLabel.Get() != nullptr; }
  void SetActive(bool Value);
  const std::wstring& Caption() const { return FCaption; }
  void SetCaption(const std::wstring& Value);
  TCaptionLayout Layout() const { return FLayout; }
  void SetLayout(TCaptionLayout Value);
  int Indent() const { return FIndent; }
  void SetIndent(int Value);
  // The widest the label may be; 0 sets no limit. A label that reaches it wraps its words.
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int Value);
  // The label's font, or the one that stands in for it while there is no label.
  TFont& Font();
  TLabel* Label() const { return FLabel.Get(); }
  // Called by a label that goes away by other means than SetActive(false).
  void LabelDestroyed(TLabel* Label);
  void AlignLabel();
  bool ReadProperty(const std::string& Name, const TDefValue& Value);

private:
  TWinControl* FEdit;
  // Owned by the edit, so freed with its components: held weakly.
  TWeakRef<TLabel> FLabel;
  std::wstring FCaption;
  TCaptionLayout FLayout = sclLeft;
  int FIndent = 0;
  int FMaxWidth = 0;
  TFont FFont;
  bool FFontSet = false; // FFont was given before there was a label
};

class TEdit : public TWinControl {
public:
  explicit TEdit(TComponent* AOwner);
  ~TEdit() override;
  const wchar_t* ClassName() const override { return L"TEdit"; }
  const std::wstring& TextHint() const { return FTextHint; }
  void SetTextHint(const std::wstring& Value);
  TBoundLabel& BoundLabel() { return FBoundLabel; }
  TNotifyEvent OnChange;
  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void SetParent(TWinControl* AParent) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle() override;

private:
  std::wstring FTextHint;
  TBoundLabel FBoundLabel{this};
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// What the multi-line edits share: the text as lines (see SplitLines), scroll bars and the
// change event.
class TCustomMemo : public TWinControl {
public:
  explicit TCustomMemo(TComponent* AOwner);
  int LineCount() const { return int(SplitLines(Text()).size()); }
  std::wstring Line(int Index) const;
  void SetLines(const std::vector<std::wstring>& Lines) { SetText(JoinLines(Lines)); }
  TScrollStyle ScrollBars = ssNone;
  TNotifyEvent OnChange;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  // Multi-line styles, the scroll bars and the sunken edge.
  void CreateParams(TCreateParams& Params) override;
};

class TMemo : public TCustomMemo {
public:
  using TCustomMemo::TCustomMemo;
  const wchar_t* ClassName() const override { return L"TMemo"; }
  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle() override;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TVerticalAlignment { taAlignTop, taAlignBottom, taVerticalCenter };

class TPanel : public TWinControl {
public:
  explicit TPanel(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"TPanel"; }
  TBevelCut BevelOuter = bvRaised;
  TBevelCut BevelInner = bvNone;
  int BevelWidth = 1;
  int BorderWidth = 0;
  bool ShowCaption = true;
  TAlignment Alignment = taCenter;
  TVerticalAlignment VerticalAlignment = taVerticalCenter;
  bool ParentBackground = true;
  // The width of the bevels and the border inside the panel's edge.
  int FrameInset() const {
    return (BevelOuter != bvNone ? BevelWidth : 0) + (BevelInner != bvNone ? BevelWidth : 0) +
           BorderWidth;
  }
  void AdjustClientRect(TRect& Rect) const override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  void PaintWindow(HDC DC) override;
};

// Shared by several controls' readers.
bool ReadScrollBars(const TDefValue& Value, TScrollStyle& Style);
