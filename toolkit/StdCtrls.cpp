// The standard controls: push button, single-line edit with its bound label, multi-line edit,
// label and panel.
#include "toolkit/StdCtrls.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/Forms.h"

std::wstring JoinLines(const std::vector<std::wstring>& Lines) {
  std::wstring Text;
  for (const auto& L : Lines) {
    Text += L;
    Text += L"\r\n";
  }
  return Text;
}

bool ReadScrollBars(const TDefValue& Value, TScrollStyle& Style) {
  Style = TScrollStyle(Value.AsIdentIndex({"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}));
  return true;
}

namespace {
// A lone CR ends a line for DrawText only on some systems; every line break becomes CR LF.
std::wstring DrawableText(const std::wstring& Text) {
  return ReplacedLineBreaks(Text, L"\r\n");
}

TForm* ParentForm(TControl* Control) {
  for (TControl* C = Control; C; C = C->Parent())
    if (auto* F = dynamic_cast<TForm*>(C)) return F;
  return nullptr;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SysClassName = L"BUTTON";
  Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  if (HandleAllocated())
    SendMessageW(Handle(), BM_SETSTYLE, FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void TButton::Click() {
  if (ModalResult != 0)
    if (TForm* Form = ParentForm(this)) Form->ModalResult = ModalResult;
  TWinControl::Click();
}

void TButton::WndProc(TMessage& Message) {
  if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) == BN_CLICKED) {
    Click();
    return;
  }
  TWinControl::WndProc(Message);
}

bool TButton::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "ModalResult") {
    ModalResult = Value.AsInt();
    return true;
  }
  if (Name == "Default") {
    SetDefault(Value.AsBool());
    return true;
  }
  return TWinControl::ReadProperty(Name, Value);
}

// ---------------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetMaxWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  AdjustBounds();
  if (FMaxWidth > 0 && Width() > FMaxWidth) SetBounds(Left(), Top(), FMaxWidth, Height());
}

int TLabel::TextWidth() const {
  std::wstring Text = DrawableText(Caption());
  if (Text.empty()) Text = L" ";
  RECT R{0, 0, 0, 0};
  TClientDC DC(nullptr);
  TSelectObject Font(DC, this->Font().Handle());
  DrawTextW(DC, Text.c_str(), int(Text.size()), &R, DT_CALCRECT | DT_NOPREFIX);
  return int(R.right);
}

void TLabel::AdjustBounds() {
  if (!FAutoSize || IsLoading() || Align() == alTop || Align() == alBottom || Align() == alClient)
    return;
  std::wstring Text = DrawableText(Caption());
  if (Text.empty()) Text = L" ";
  int Wrap = FWordWrap ? (FMaxWidth > 0 ? FMaxWidth : Width()) : 0;
  RECT R{0, 0, Wrap, 0};
  {
    TClientDC DC(nullptr);
    TSelectObject Font(DC, this->Font().Handle());
    DrawTextW(DC, Text.c_str(), int(Text.size()), &R,
              DT_CALCRECT | DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0));
  }
  int W = FMaxWidth > 0 ? std::min(int(R.right), FMaxWidth) : int(R.right);
  SetBounds(Left(), Top(), W, R.bottom);
}

void TLabel::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED) AdjustBounds();
}

void TLabel::Paint(HDC DC) {
  RECT R{0, 0, Width(), Height()};
  if (!FTransparent) FillRect(DC, &R, SolidBrush(ToColorRef(Color())));
  TSelectObject SelectedFont(DC, Font().Handle());
  SetBkMode(DC, TRANSPARENT);
  SetTextColor(DC, Enabled() ? ToColorRef(Font().Color()) : GetSysColor(COLOR_GRAYTEXT));
  UINT Flags = DT_NOPREFIX | (FWordWrap ? DT_WORDBREAK : 0) |
               (FAlignment == taCenter         ? DT_CENTER
                : FAlignment == taRightJustify ? DT_RIGHT
                                               : DT_LEFT);
  std::wstring Text = DrawableText(Caption());
  DrawTextW(DC, Text.c_str(), int(Text.size()), &R, Flags);
}

bool TLabel::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "AutoSize") {
    FAutoSize = Value.AsBool();
  } else if (Name == "Transparent") {
    FTransparent = Value.AsBool();
  } else if (Name == "Alignment") {
    FAlignment = TAlignment(Value.AsIdentIndex({"taLeftJustify", "taRightJustify", "taCenter"}));
  } else if (Name == "WordWrap") {
    FWordWrap = Value.AsBool();
  } else if (Name == "Constraints.MaxWidth") {
    FMaxWidth = std::max(0, Value.AsInt());
  } else {
    return TGraphicControl::ReadProperty(Name, Value);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// TBoundLabel

void TBoundLabel::SetActive(bool Value) {
  if (Value == Active()) return;
  if (!Value) {
    delete FLabel.Get();
    FLabel.Reset();
    return;
  }
  FLabel = LabelFactory ? LabelFactory(FEdit) : new TLabel(FEdit);
  FLabel->SetVisible(false);
  FLabel->SetName(FEdit->Name() + L"Label");
  FLabel->SetParent(FEdit->Parent());
  FLabel->FocusControl = FEdit;
  if (FFontSet) FLabel->Font().Assign(FFont);
  SetLayout(FLayout);
  if (FCaption.empty()) FCaption = FEdit->Name();
  FLabel->SetCaption(FCaption);
  FLabel->SetEnabled(FEdit->Enabled());
  FLabel->SetAutoSize(true);
  FLabel->SetVisible(FEdit->Visible());
  AlignLabel();
}

void TBoundLabel::SetCaption(const std::wstring& Value) {
  if (Value == FCaption && (!FLabel || FLabel->Caption() == Value)) return;
  FCaption = Value;
  if (FLabel) {
    FLabel->SetCaption(Value);
    AlignLabel();
  }
}

void TBoundLabel::SetLayout(TCaptionLayout Value) {
  FLayout = Value;
  if (!FLabel) return;
  switch (Value) {
  case sclTopCenter:
  case sclBottomCenter: FLabel->SetAlignment(taCenter); break;
  case sclLeft:
  case sclTopRight:
  case sclBottomRight: FLabel->SetAlignment(taRightJustify); break;
  default: FLabel->SetAlignment(taLeftJustify); break;
  }
  AlignLabel();
}

void TBoundLabel::SetIndent(int Value) {
  if (Value == FIndent) return;
  FIndent = Value;
  AlignLabel();
}

void TBoundLabel::SetMaxWidth(int Value) {
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  AlignLabel();
}

TFont& TBoundLabel::Font() {
  return FLabel ? FLabel->Font() : FFont;
}

void TBoundLabel::LabelDestroyed(TLabel* Label) {
  if (FLabel == Label) FLabel.Reset();
}

void TBoundLabel::AlignLabel() {
  if (!FLabel || !FLabel->Visible()) return;
  FLabel->SetMaxWidth(FMaxWidth);
  FLabel->SetAlign(alNone);
  const TControl& E = *FEdit;
  const TLabel& L = *FLabel;
  int X = L.Left(), Y = L.Top();
  switch (FLayout) {
  case sclLeft:
    if (E.Align() == alLeft) FLabel->SetAlign(alLeft);
    X = E.Left() - L.Width() - FIndent - 4;
    Y = E.Top() + (E.Height() - L.Height()) / 2 - 1;
    break;
  case sclTopLeft:
    X = E.Left();
    Y = E.Top() - L.Height() - FIndent;
    break;
  case sclTopCenter:
    X = E.Left() + (E.Width() - L.Width()) / 2;
    Y = E.Top() - L.Height() - FIndent;
    break;
  case sclTopRight:
    X = E.Left() + E.Width() - L.Width();
    Y = E.Top() - L.Height() - FIndent;
    break;
  case sclLeftTop:
    X = E.Left() - L.Width() - FIndent - 4;
    Y = E.Top() + 3;
    break;
  case sclBottomLeft:
    X = E.Left();
    Y = E.Top() + E.Height() + FIndent;
    break;
  case sclBottomCenter:
    X = E.Left() + (E.Width() - L.Width()) / 2;
    Y = E.Top() + E.Height() + FIndent;
    break;
  case sclBottomRight:
    X = E.Left() + E.Width() - L.Width();
    Y = E.Top() + E.Height() + FIndent;
    break;
  }
  FLabel->SetBounds(X, Y, L.Width(), L.Height());
  if (FLabel->Parent() != FEdit->Parent()) FLabel->SetParent(FEdit->Parent());
  if (FMaxWidth == 0) return;
  // Judged by the caption's width on one line, so that wrapping (which narrows the label)
  // does not undo itself on the next alignment.
  bool Wrap = FLabel->TextWidth() >= FMaxWidth - 4;
  if (Wrap == FLabel->WordWrap()) return;
  FLabel->SetWordWrap(Wrap);
  AlignLabel(); // placed again at its new size
}

bool TBoundLabel::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Active") {
    SetActive(Value.AsBool());
  } else if (Name == "Caption") {
    SetCaption(Value.AsString());
  } else if (Name == "Indent") {
    SetIndent(Value.AsInt());
  } else if (Name == "Layout") {
    SetLayout(TCaptionLayout(
        Value.AsIdentIndex({"sclLeft", "sclTopLeft", "sclTopCenter", "sclTopRight", "sclLeftTop",
                            "sclBottomLeft", "sclBottomCenter", "sclBottomRight"})));
  } else if (Name == "MaxWidth") {
    SetMaxWidth(Value.AsInt());
  } else if (Name == "UseSkinColor") {
    // A skinned label takes it; a plain one has no skin colour to use.
    if (!FLabel || !FLabel->ReadProperty(Name, Value)) Value.AsBool();
  } else if (Name.compare(0, 5, "Font.") == 0) {
    if (!FLabel) return ReadFontProperty(FFont, Name.substr(5), Value);
    if (!FLabel->ReadProperty(Name, Value)) return false;
    if (FLabel->Parent() != FEdit->Parent()) FLabel->SetParent(FEdit->Parent());
    AlignLabel();
  } else {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// TEdit

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 21);
}

TEdit::~TEdit() {
  FBoundLabel.SetActive(false);
}

void TEdit::SetParent(TWinControl* AParent) {
  TWinControl::SetParent(AParent);
  if (TLabel* L = FBoundLabel.Label()) {
    L->SetParent(AParent);
    FBoundLabel.AlignLabel();
  }
}

void TEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SysClassName = L"EDIT";
  Params.Style |= ES_AUTOHSCROLL;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateWindowHandle() {
  if (!FTextHint.empty()) SendMessageW(Handle(), EM_SETCUEBANNER, FALSE, LPARAM(FTextHint.c_str()));
}

void TEdit::SetTextHint(const std::wstring& Value) {
  if (Value == FTextHint) return;
  FTextHint = Value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETCUEBANNER, FALSE, LPARAM(FTextHint.c_str()));
}

void TEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
  case CN_COMMAND:
    if (HIWORD(Message.WParam) == EN_CHANGE && OnChange) OnChange(this);
    return;
  case CM_VISIBLECHANGED:
    if (TLabel* L = FBoundLabel.Label()) {
      L->SetVisible(Visible());
      FBoundLabel.AlignLabel();
    }
    break;
  case CM_ENABLEDCHANGED:
    if (TLabel* L = FBoundLabel.Label()) L->SetEnabled(Enabled());
    break;
  default: break;
  }
  TWinControl::WndProc(Message);
  if (Message.Msg == WM_MOVE || Message.Msg == WM_SIZE) FBoundLabel.AlignLabel();
}

bool TEdit::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "TextHint") {
    SetTextHint(Value.AsString());
  } else if (Name.compare(0, 11, "BoundLabel.") == 0) {
    return FBoundLabel.ReadProperty(Name.substr(11), Value);
  } else if (Name == "OnChange") {
    OnChange = Value.AsMethod<TNotifyEvent>();
  } else {
    bool Known = TWinControl::ReadProperty(Name, Value);
    if (Known && (Name == "Left" || Name == "Top" || Name == "Width" || Name == "Height"))
      FBoundLabel.AlignLabel();
    return Known;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// TCustomMemo, TMemo

TCustomMemo::TCustomMemo(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 185, 89);
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
  if (ScrollBars == ssHorizontal || ScrollBars == ssBoth)
    Params.Style |= WS_HSCROLL | ES_AUTOHSCROLL;
  if (ScrollBars == ssVertical || ScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

std::wstring TCustomMemo::Line(int Index) const {
  auto Lines = SplitLines(Text());
  return Index >= 0 && size_t(Index) < Lines.size() ? Lines[size_t(Index)] : std::wstring();
}

bool TCustomMemo::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Lines.Strings") {
    if (Value.Kind != TDefValue::vkStrings) throw Exception(L"String list expected");
    SetText(JoinLines(Value.Strings));
  } else if (Name == "ScrollBars") {
    ReadScrollBars(Value, ScrollBars);
  } else if (Name == "OnChange") {
    OnChange = Value.AsMethod<TNotifyEvent>();
  } else {
    return TWinControl::ReadProperty(Name, Value);
  }
  return true;
}

void TMemo::CreateParams(TCreateParams& Params) {
  TCustomMemo::CreateParams(Params);
  Params.SysClassName = L"EDIT";
}

void TMemo::CreateWindowHandle() {
  // Lists of many items go far past the default limit of 32 K characters.
  SendMessageW(Handle(), EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
}

void TMemo::WndProc(TMessage& Message) {
  if (Message.Msg == CN_COMMAND) {
    if (HIWORD(Message.WParam) == EN_CHANGE && OnChange) OnChange(this);
    return;
  }
  TCustomMemo::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
}

void TPanel::AdjustClientRect(TRect& Rect) const {
  int Inset = FrameInset();
  Rect.Inflate(-Inset, -Inset);
}

void TPanel::PaintWindow(HDC DC) {
  RECT R;
  GetClientRect(Handle(), &R);
  FillRect(DC, &R, ColorBrush());
  if (BevelOuter != bvNone)
    DrawEdge(DC, &R, BevelOuter == bvRaised ? BDR_RAISEDOUTER : BDR_SUNKENOUTER, BF_RECT);
  if (ShowCaption && !Caption().empty()) {
    TSelectObject SelectedFont(DC, Font().Handle());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ToColorRef(Font().Color()));
    std::wstring Text = Caption();
    DrawTextW(DC, Text.c_str(), int(Text.size()), &R,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  PaintControls(DC);
}

bool TPanel::ReadProperty(const std::string& Name, const TDefValue& Value) {
  auto Bevel = [](const TDefValue& V) {
    return TBevelCut(V.AsIdentIndex({"bvNone", "bvLowered", "bvRaised", "bvSpace"}));
  };
  if (Name == "BevelOuter") {
    BevelOuter = Bevel(Value);
  } else if (Name == "BevelInner") {
    BevelInner = Bevel(Value);
  } else if (Name == "BevelWidth") {
    BevelWidth = Value.AsInt();
  } else if (Name == "ShowCaption") {
    ShowCaption = Value.AsBool();
  } else if (Name == "BorderWidth") {
    BorderWidth = Value.AsInt();
  } else if (Name == "Alignment") {
    Alignment = TAlignment(Value.AsIdentIndex({"taLeftJustify", "taRightJustify", "taCenter"}));
  } else if (Name == "VerticalAlignment") {
    VerticalAlignment =
        TVerticalAlignment(Value.AsIdentIndex({"taAlignTop", "taAlignBottom", "taVerticalCenter"}));
  } else if (Name == "ParentBackground") {
    ParentBackground = Value.AsBool();
  } else {
    return TWinControl::ReadProperty(Name, Value);
  }
  return true;
}
