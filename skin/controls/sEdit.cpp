// The skinned edit and its bound label.
#include "skin/controls/sEdit.h"

#include <optional>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/paint/sEditRules.h"
#include "skin/pixels/sGraphUtils.h"

// ---------------------------------------------------------------------------------------------
// TsEditLabel

TsEditLabel::TsEditLabel(TComponent* AOwner, TBoundLabel* ABoundLabel)
    : TsLabel(AOwner), FBoundLabel(ABoundLabel) {}

TsEditLabel::~TsEditLabel() {
  // The bound label must not keep pointing at a label that is gone.
  if (FBoundLabel) FBoundLabel->LabelDestroyed(this);
}

// ---------------------------------------------------------------------------------------------
// TsEdit

TsEdit::TsEdit(TComponent* AOwner) : TEdit(AOwner) {
  FCommonData = std::make_unique<TsCtrlSkinData>(this, true);
  FCommonData->COC = 3;
  FDesignColor = Color();
  FDesignFontColor = Font().Color();
  ++FSkinWriting;
  BoundLabel().LabelFactory = [this](TWinControl* Edit) -> TLabel* {
    return new TsEditLabel(Edit, &BoundLabel());
  };
  FCommonData->Loaded();
  --FSkinWriting;
}

TsEdit::~TsEdit() {
  // The label goes first, while the skin state it may ask about still exists.
  BoundLabel().SetActive(false);
}

void TsEdit::CreateParams(TCreateParams& Params) {
  TEdit::CreateParams(Params);
  if (Alignment == taCenter) Params.Style |= ES_CENTER;
  if (Alignment == taRightJustify) Params.Style |= ES_RIGHT;
  if (FPasswordChar) Params.Style |= ES_PASSWORD;
  if (!BorderSingle)
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  else if (!Ctl3D) {
    Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    Params.Style |= WS_BORDER;
  }
}

void TsEdit::Loaded() {
  TEdit::Loaded();
  ++FSkinWriting;
  FCommonData->Loaded();
  --FSkinWriting;
}

bool TsEdit::Common(TMessage& Message) {
  ++FSkinWriting;
  bool Done = CommonWndProc(Message, FCommonData.get());
  --FSkinWriting;
  return Done;
}

void TsEdit::CommonCommand(TMessage& Message) {
  ++FSkinWriting;
  CommonSkinCommand(Message, FCommonData.get());
  --FSkinWriting;
}

bool TsEdit::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name.compare(0, 9, "SkinData.") == 0) {
    if (Name == "SkinData.SkinSection") SkinSection = Value.AsString();
    return FCommonData->ReadProperty(Name.substr(9), Value);
  }
  if (Name == "DisabledKind") {
    SetDisabledKind(Value.AsSetFlags({{"dkBlended", dkBlended}, {"dkGrayed", dkGrayed}}));
  } else if (Name == "PasswordChar") {
    std::wstring S = Value.AsString();
    SetPasswordChar(S.empty() ? 0 : S[0]);
  } else if (Name == "Alignment") {
    Alignment = TAlignment(Value.AsIdentIndex({"taLeftJustify", "taRightJustify", "taCenter"}));
  } else if (Name == "BorderStyle") {
    BorderSingle = Value.AsIdentIndex({"bsNone", "bsSingle"}) == 1;
  } else if (Name == "Ctl3D") {
    Ctl3D = Value.AsBool();
  } else {
    return TEdit::ReadProperty(Name, Value);
  }
  return true;
}

void TsEdit::SetDisabledKind(unsigned Value) {
  if (Value == FDisabledKind) return;
  FDisabledKind = Value;
  FCommonData->Invalidate();
}

void TsEdit::SetPasswordChar(wchar_t Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  if (HandleAllocated()) {
    SendMessageW(Handle(), EM_SETPASSWORDCHAR, WPARAM(Value), 0);
    FCommonData->Invalidate();
  }
}

bool TsEdit::UseSkinColor() const {
  auto* L = dynamic_cast<TsLabel*>(const_cast<TsEdit*>(this)->BoundLabel().Label());
  return !L || L->UseSkinColor;
}

void TsEdit::SetUseSkinColor(bool Value) {
  if (auto* L = dynamic_cast<TsLabel*>(BoundLabel().Label())) {
    L->UseSkinColor = Value;
    L->Invalidate();
  }
}

// ---------------------------------------------------------------------------------------------
// Painting

bool TsEdit::Ready() const {
  return HandleAllocated() && !IsLoading() && !IsDestroying() && Parent();
}

bool TsEdit::NativePaints() const {
  // Merely hovered, the native edit would write its hint in the system's gray text colour:
  // the skin paints it then too, in the hot state.
  return Enabled() && Focused();
}

bool TsEdit::PrepareCache() {
  TsCommonData& D = *FCommonData;
  const TsSkinModel* Sm = D.Model();
  if (!Sm || !D.Section()) return false;
  TBackgroundInfo Info;
  if (Parent()) QueryParentBackground(Info, Parent(), false);
  if (Info.Kind == bkNotReady) return false;
  D.PrepareCacheBmp();
  TBitmap32& Cache = *D.CacheBmp();
  if (Cache.IsEmpty()) return false;
  TCacheInfo CI = BackgroundToCacheInfo(Info);
  if (Info.Kind != bkImage)
    CI.FillColor =
        Info.Kind == bkColor ? ColorToRGB(Info.Color) : ColorToRGB(::ParentColor(Parent()));
  const int State = D.IsActive() ? 1 : 0;
  const TPoint P{Left(), Top()};
  if (BorderSingle)
    PaintSection(D, CI, true, State, &Cache, P, Cache.BoundsRect());
  else
    PaintSectionBackground(D.SkinIndex, D.SkinSection(), CI, State, Cache.BoundsRect(), P, Cache,
                           Sm, D.Texture, D.HotTexture,
                           D.CustomColor() ? ColorToRGB(Color()) : TColor(clFuchsia));
  PaintText();
  GdiFlush();
  if (!Enabled()) ApplyDisabledLook(Cache, FDisabledKind, P, CI, ColorToRGB(D.ColorForState(0)));
  D.BGChanged = false;
  return true;
}

void TsEdit::PaintText() {
  TsCommonData& D = *FCommonData;
  TBitmap32* Cache = D.CacheBmp();
  HDC DC = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!DC) return;
  TSelectObject Selected(DC, Font().Handle());
  SetBkMode(DC, TRANSPARENT);
  TEditFrame F;
  F.BorderSingle = BorderSingle;
  F.Ctl3D = Ctl3D;
  TRect R = EditTextRect(F, Width(), Height());
  if (HandleAllocated()) {
    // Where the native edit writes its text (its margins included), so that the text does not
    // jump when the edit takes the focus: the place of its first character, else its format
    // rectangle.
    RECT Format{};
    TRect Client;
    SendMessageW(Handle(), EM_GETRECT, 0, LPARAM(&Format));
    ClientRectInWindow(Handle(), Client);
    if (Format.right > Format.left) {
      R = {Client.Left + Format.left, Client.Top + Format.top, Client.Left + Format.right,
           R.Bottom};
      LRESULT First = SendMessageW(Handle(), EM_POSFROMCHAR, 0, 0);
      if (First != -1 && Alignment == taLeftJustify && !this->Text().empty()) {
        R.Left = Client.Left + short(LOWORD(First));
        R.Top = Client.Top + short(HIWORD(First));
      }
    }
  }
  const UINT Flags =
      (TextAlignFlags(this, Alignment) & ~UINT(DT_VCENTER)) | DT_NOPREFIX | DT_SINGLELINE;
  const std::wstring Text = this->Text();
  if (!Text.empty()) {
    DrawSkinText(DC, ShownEditText(Text, FPasswordChar), true, D.IsActive(), D, Flags, R);
    return;
  }
  if (TextHint().empty()) return;
  COLORREF Ink = D.Skinned() ? ToColorRef(EditHintColor(Font().Color(), Color()))
                             : GetSysColor(COLOR_GRAYTEXT);
  SetTextColor(DC, Ink);
  RECT Rc{R.Left, R.Top, R.Right, R.Bottom};
  DrawTextW(DC, TextHint().c_str(), int(TextHint().size()), &Rc, Flags);
}

void TsEdit::PaintWindowFace(HDC Given) {
  TsCommonData& D = *FCommonData;
  if (D.HalfVisible || (Parent() && SendSkinCommandTo(Parent(), KV_ISHALFVISIBLE) != 0))
    D.BGChanged = true;
  if (TWinControl* P = Parent())
    D.HalfVisible = BoundsRect().Intersected(P->ClientRect()) != BoundsRect();
  if (D.BGChanged && !D.UrgentPainting && !PrepareCache()) {
    D.FUpdating = true;
    return;
  }
  RepaintBorderCorners(D, D.IsActive() ? 1 : 0,
                       bcTopLeft | bcBottomLeft | bcTopRight | bcBottomRight);
  TBitmap32* Cache = D.CacheBmp();
  HDC Src = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!Src) return;
  std::optional<TWindowDC> Own;
  HDC DC = Given;
  if (!DC) {
    Own.emplace(Handle());
    DC = *Own;
  }
  TSavedDC Saved(DC);
  CopyToScreen(DC, 0, 0, Width(), Height(), Src, 0, 0);
}

void TsEdit::PaintFrame() {
  TsCommonData& D = *FCommonData;
  if (D.CheckUpdating()) return;
  if (D.BGChanged && !PrepareCache()) {
    D.FUpdating = true;
    return;
  }
  TEditFrame F;
  F.BorderSingle = BorderSingle;
  F.Ctl3D = Ctl3D;
  const int W = EditFrameWidth(F);
  TBitmap32* Cache = D.CacheBmp();
  HDC Src = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!Src || W <= 0) return;
  RepaintBorderCorners(D, D.IsActive() ? 1 : 0,
                       bcTopLeft | bcBottomLeft | bcTopRight | bcBottomRight);
  TWindowDC DC(Handle());
  TSavedDC Saved(DC);
  TRect Strips[4];
  FrameStrips({0, 0, Width(), Height()}, W, W, W, W, Strips);
  for (const TRect& S : Strips)
    if (!S.IsEmpty()) CopyToScreen(DC, S.Left, S.Top, S.Width(), S.Height(), Src, S.Left, S.Top);
}

void TsEdit::Repaint() {
  if (!HandleAllocated() || IsLoading() || AnimationCapturing) return;
  FCommonData->BGChanged = true;
  RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TsEdit::RestoreDesignColors() {
  TsCommonData& D = *FCommonData;
  // Read first: giving one back records both as the design's again.
  const TColor Back = FDesignColor, FontBack = FDesignFontColor;
  if (!D.CustomColor() && Color() != Back) SetColor(Back);
  if (!D.CustomFont() && Font().Color() != FontBack) Font().SetColor(FontBack);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TsEdit::HandleSkinCommand(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  const bool Ours = Message.LParam == LPARAM(D.SkinManager());
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINDROPPED: {
    // The shared handling gives the edit the system's colours, which would pass for design
    // colours once the skin is gone.
    const TColor Design = FDesignColor, DesignFont = FDesignFontColor;
    CommonCommand(Message);
    if (!Ours) return;
    FDesignColor = Design;
    FDesignFontColor = DesignFont;
    RestoreDesignColors();
    return;
  }
  case KV_REPAINTSKIN:
    CommonCommand(Message);
    if (Ours && !AnimationCapturing && HandleAllocated() && Visible())
      RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_ERASE | RDW_INVALIDATE);
    return;
  case KV_RESUMEPAINT: {
    bool Was = D.FUpdating;
    CommonCommand(Message);
    if (Was && HandleAllocated() && !D.CheckUpdating(true)) {
      Repaint();
      SendMessageW(Handle(), WM_NCPAINT, 1, 0);
    }
    return;
  }
  case KV_ISSKINNED: Message.Result = 1; return;
  case KV_ISPARENTDEPENDENT: Message.Result = 0; return;
  case KV_QUERYCOLOR:
    if (!D.Skinned()) {
      Message.Result = LRESULT(ColorToRGB(Color()));
      return;
    }
    break;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return;
  default: break;
  }
  CommonCommand(Message);
}

void TsEdit::FollowWithLabel(const TMessage& Message) {
  TLabel* L = BoundLabel().Label();
  if (!L) return;
  switch (Message.Msg) {
  case WM_WINDOWPOSCHANGED: BoundLabel().AlignLabel(); break;
  case CM_ENABLEDCHANGED:
    L->SetEnabled(Enabled() || !(FDisabledKind & dkBlended));
    BoundLabel().AlignLabel();
    break;
  default: break;
  }
}

bool TsEdit::HandleSkinned(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  switch (Message.Msg) {
  case WM_PAINT: {
    D.FUpdating = D.GetUpdating();
    if (D.FUpdating || AnimationCapturing) {
      TPaintDC Validate(Handle());
      return true;
    }
    if (NativePaints()) return false;
    {
      TPaintDC Paint(Handle());
      HDC Given = msg::TPaint(Message).DC;
      PaintWindowFace(Given);
    }
    Message.Result = 0;
    return true;
  }
  case WM_NCPAINT:
    // A frame that nobody sees (the window or its form is hidden) is painted when shown.
    if (IsWindowVisible(Handle())) PaintFrame();
    Message.Result = 0;
    return true;
  case WM_PRINT: {
    D.FUpdating = false;
    HDC DC = msg::TPrint(Message).DC;
    if (!DC || !PrepareCache()) return true;
    PaintWindowFace(DC);
    return true;
  }
  case WM_ERASEBKGND:
    if (AnimationCapturing || D.FUpdating || !Enabled() || !NativePaints()) {
      msg::TEraseBkgnd::SetErased(Message);
      return true;
    }
    return false;
  case CM_COLORCHANGED:
    if (D.CustomColor()) D.BGChanged = true;
    break;
  default: break;
  }
  if (!Common(Message)) TEdit::WndProc(Message);
  switch (Message.Msg) {
  case WM_SIZE: SendMessageW(Handle(), WM_NCPAINT, 1, 0); break;
  case WM_SETFONT:
  case CM_VISIBLECHANGED:
  case CM_ENABLEDCHANGED:
  case CM_TEXTCHANGED:
    if (!IsLoading() && !AnimationCapturing) {
      Repaint();
      SendMessageW(Handle(), WM_NCPAINT, 1, 0);
    }
    break;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    // The face changes between the native paint and the skin's.
    Repaint();
    break;
  default: break;
  }
  return true;
}

void TsEdit::WndProc(TMessage& Message) {
  if (Message.Msg == KV_SKINMSG) {
    HandleSkinCommand(Message);
    return;
  }
  // Colours given while the skin's handling is not running are the design's.
  if ((Message.Msg == CM_COLORCHANGED || Message.Msg == CM_FONTCHANGED) && FSkinWriting == 0) {
    FDesignColor = Color();
    FDesignFontColor = Font().Color();
  }
  if (Ready() && FCommonData->Skinned()) {
    if (!HandleSkinned(Message)) {
      if (!Common(Message)) TEdit::WndProc(Message);
    }
  } else if (!Common(Message)) {
    TEdit::WndProc(Message);
  }
  FollowWithLabel(Message);
}
