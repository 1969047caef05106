// The skinned push button.
#include "skin/controls/sButton.h"

#include <optional>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"

bool TsButton::PressedFlash = false;

namespace {

// How long a pressed face stays on screen when a click ends before its press fade did.
constexpr DWORD PressedFlashTime = 30;

bool IsPushed(HWND Wnd) {
  return Wnd && (SendMessageW(Wnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

} // namespace

TsButton::TsButton(TComponent* AOwner) : TButton(AOwner) {
  FCommonData = std::make_unique<TsCtrlSkinData>(this, true);
  FCommonData->COC = 93;
  FCommonData->Loaded();
}

TsButton::~TsButton() = default;

void TsButton::BeforeDestruction() {
  StopFading();
  TButton::BeforeDestruction();
}

void TsButton::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  // The whole face is ours; the default-button look is a state of the skin, not a style.
  Params.Style = (Params.Style & ~DWORD(BS_TYPEMASK)) | BS_OWNERDRAW;
}

bool TsButton::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name.compare(0, 9, "SkinData.") == 0) {
    if (Name == "SkinData.SkinSection") SkinSection = Value.AsString();
    return FCommonData->ReadProperty(Name.substr(9), Value);
  }
  auto Kinds = [&Value] {
    return Value.AsSetFlags({{"dkBlended", dkBlended}, {"dkGrayed", dkGrayed}});
  };
  if (Name == "Down") {
    SetDown(Value.AsBool());
  } else if (Name == "ShowFocus") {
    SetShowFocus(Value.AsBool());
  } else if (Name == "FocusMargin") {
    FocusMargin = Value.AsInt();
  } else if (Name == "DisabledKind") {
    SetDisabledKind(Kinds());
  } else if (Name == "AnimatEvents") {
    AnimatEvents = Value.AsSetFlags({{"aeMouseEnter", AnimatEventBit(aeMouseEnter)},
                                     {"aeMouseLeave", AnimatEventBit(aeMouseLeave)},
                                     {"aeMouseDown", AnimatEventBit(aeMouseDown)},
                                     {"aeMouseUp", AnimatEventBit(aeMouseUp)},
                                     {"aeGlobalDef", AnimatEventBit(aeGlobalDef)}});
  } else if (Name == "Style") {
    SetStyle(TButtonStyle(Value.AsIdentIndex({"bsPushButton", "bsCommandLink", "bsSplitButton"})));
  } else if (Name == "ContentMargin") {
    SetContentMargin(Value.AsInt());
  } else if (Name == "WordWrap") {
    WordWrap = Value.AsBool();
  } else if (Name == "Reflected") {
    SetReflected(Value.AsBool());
  } else if (Name == "CommandLinkHint") {
    CommandLinkHint = Value.AsString();
  } else if (Name == "ImageAlignment") {
    ImageAlignment =
        TImageAlignment(Value.AsIdentIndex({"iaLeft", "iaRight", "iaTop", "iaBottom", "iaCenter"}));
  } else if (Name == "ImageIndex") {
    ImageIndexes.ImageIndex = Value.AsInt();
  } else if (Name == "HotImageIndex") {
    ImageIndexes.HotImageIndex = Value.AsInt();
  } else if (Name == "PressedImageIndex") {
    ImageIndexes.PressedImageIndex = Value.AsInt();
  } else if (Name == "SelectedImageIndex") {
    ImageIndexes.SelectedImageIndex = Value.AsInt();
  } else if (Name == "DisabledImageIndex") {
    ImageIndexes.DisabledImageIndex = Value.AsInt();
  } else if (Name == "OnMouseEnter") {
    OnMouseEnter = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "OnMouseLeave") {
    OnMouseLeave = Value.AsMethod<TNotifyEvent>();
  } else {
    return TButton::ReadProperty(Name, Value);
  }
  return true;
}

void TsButton::Loaded() {
  TButton::Loaded();
  FCommonData->Loaded();
}

// ---------------------------------------------------------------------------------------------
// Properties

void TsButton::SetDown(bool Value) {
  if (Value == FDown) return;
  FDown = Value;
  RegionChanged = true;
  if (!IsLoading()) FCommonData->Invalidate();
}

void TsButton::SetShowFocus(bool Value) {
  if (Value == FShowFocus) return;
  FShowFocus = Value;
  FCommonData->Invalidate();
}

void TsButton::SetDisabledKind(unsigned Value) {
  if (Value == FDisabledKind) return;
  FDisabledKind = Value;
  if (!IsLoading()) FCommonData->Invalidate();
}

void TsButton::SetReflected(bool Value) {
  if (Value == FReflected) return;
  FReflected = Value;
  FCommonData->Invalidate();
}

void TsButton::SetStyle(TButtonStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  FCommonData->Invalidate();
}

void TsButton::SetContentMargin(int Value) {
  if (Value == FContentMargin) return;
  FContentMargin = Value;
  FCommonData->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// State and layout

bool TsButton::MouseIsAbove() const {
  if (FCommonData->FMouseAbove) return true;
  if (!HandleAllocated()) return false;
  POINT P;
  RECT R;
  HWND W = const_cast<TsButton*>(this)->Handle();
  return GetCursorPos(&P) && GetWindowRect(W, &R) && PtInRect(&R, P);
}

int TsButton::CurrentState() const {
  TButtonStateFacts F;
  F.Pushed = HandleAllocated() && IsPushed(const_cast<TsButton*>(this)->Handle());
  F.PressedFlash = PressedFlash;
  F.MouseHeld = FMouseClicked;
  // While it holds the mouse the native button keeps the pushed state only with the pointer
  // on it.
  F.MouseAbove =
      F.MouseHeld && (MouseIsAbove() ||
                      (HandleAllocated() && GetCapture() == const_cast<TsButton*>(this)->Handle()));
  F.Down = FDown;
  F.DroppedDown = DroppedDown;
  F.Designing = IsDesigning();
  F.Active = FCommonData->IsActive();
  F.Default = Default() || IsFocused;
  return ButtonStateOf(F);
}

bool TsButton::HasUsableImage() const {
  TCustomImageList* L = Images.Get();
  return L && L->Count() > 0 && GlyphIndex() >= 0 && GlyphIndex() < L->Count();
}

int TsButton::GlyphIndex() const {
  TCustomImageList* L = Images.Get();
  if (!L) return -1;
  return ButtonGlyphIndex(ImageIndexes, L->Count(), Enabled(), CurrentState(), Focused());
}

TSize TsButton::TextSize() const {
  std::wstring Text = Caption();
  if (Text.empty()) return {};
  TButtonLayout L = Layout();
  L.TextWidth = L.TextHeight = 0;
  TClientDC DC(nullptr);
  TFontHandle Bigger;
  HFONT Font = this->Font().Handle();
  if (FStyle == bsCommandLink) {
    LOGFONTW LF{};
    GetObjectW(Font, sizeof(LF), &LF);
    LF.lfWeight = FW_BOLD;
    LF.lfHeight -= MulDiv(2, GetDeviceCaps(DC, LOGPIXELSY), 72) * (LF.lfHeight < 0 ? 1 : -1);
    Bigger = TFontHandle(CreateFontIndirectW(&LF));
    Font = Bigger;
  }
  TSelectObject Selected(DC, Font);
  RECT R{0, 0, CaptionMeasureWidth(L), 0};
  DrawTextW(DC, Text.c_str(), int(Text.size()), &R,
            DT_CALCRECT | DT_EXPANDTABS | DT_CENTER | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  return {int(R.right - R.left), int(R.bottom - R.top)};
}

TButtonLayout TsButton::Layout() const {
  TButtonLayout L;
  L.Width = Width();
  L.Height = Height();
  L.Style = FStyle;
  L.ContentMargin = FContentMargin;
  L.ImageMargins = ImageMargins;
  L.ImageAlignment = ImageAlignment;
  if (TCustomImageList* I = Images.Get(); I && HasUsableImage()) {
    L.HasImage = true;
    L.ImageWidth = I->Width();
    L.ImageHeight = I->Height();
  }
  L.Pressed = CurrentState() == bstPressed;
  return L;
}

TRect TsButton::CaptionRect() const {
  TButtonLayout L = Layout();
  TSize T = TextSize();
  L.TextWidth = T.cx;
  L.TextHeight = T.cy;
  return ButtonCaptionRect(L);
}

TRect TsButton::GlyphRect() const {
  return ButtonGlyphRect(Layout());
}

// ---------------------------------------------------------------------------------------------
// The face

bool TsButton::PrepareCache() {
  TsCommonData& D = *FCommonData;
  const TsSkinModel* Sm = D.Model();
  const TsGeneralData* S = D.Section();
  if (!Sm || !S) return false;
  TBackgroundInfo Info;
  if (Parent()) QueryParentBackground(Info, Parent(), false);
  if (Info.Kind == bkNotReady) {
    D.FUpdating = true;
    return false;
  }
  D.PrepareCacheBmp();
  TBitmap32& Cache = *D.CacheBmp();
  if (Cache.IsEmpty()) return false;
  TCacheInfo CI = BackgroundToCacheInfo(Info);
  if (Info.Kind != bkImage)
    CI.FillColor =
        Info.Kind == bkColor ? ColorToRGB(Info.Color) : ColorToRGB(::ParentColor(Parent()));
  const int St = ButtonSectionState(CurrentState(), S->States);
  const TPoint P{Left(), Top()};
  const TsMaskData* Mask = D.BorderMask();
  if (RegionChanged && Mask && Mask->CornerType == 2 && !AnimationCapturing &&
      !FadeRunning(FFadeTimer)) {
    // The transparent corners are cut out of the window region.
    PaintSectionBackground(D.SkinIndex, D.SkinSection(), CI, St, Cache.BoundsRect(), P, Cache, Sm,
                           D.Texture, D.HotTexture,
                           D.CustomColor() ? ColorToRGB(Color()) : TColor(clFuchsia));
    FNewRegion = TRegion(CreateRectRgn(0, 0, Width(), Height()));
    if (!(St == 0 && (Mask->DrawMode & dmSkipNormal)))
      PaintMaskBordersWithRegion(*Sm, Cache, FNewRegion.Get(), true, St, *Mask);
    if (D.HUEOffset()) ShiftBitmapHue(Cache, D.HUEOffset());
    if (D.Saturation()) ShiftBitmapSaturation(Cache, D.Saturation());
  } else {
    PaintSection(D, CI, true, St, &Cache, P, Cache.BoundsRect());
  }
  DrawGlyph();
  DrawCaption();
  GdiFlush();
  if (FStyle == bsSplitButton) {
    const TsGenState& G = S->Props[size_t(St != 0 ? 1 : 0)];
    TColor Ink = ColorToRGB(G.FontColor.Color);
    TRect Line{Width() - 15, 4, Width() - 14, Height() - 4};
    FillPixels32(Cache, Line, Ink);
    DrawArrowPixels(Cache, Ink, {Width() - 16, 0, Width(), Height()}, 8);
  }
  if (!Enabled()) ApplyDisabledLook(Cache, FDisabledKind, P, CI, ColorToRGB(D.ColorForState(0)));
  D.BGChanged = false;
  return true;
}

void TsButton::DrawGlyph() {
  TCustomImageList* L = Images.Get();
  TBitmap32* Cache = FCommonData->CacheBmp();
  if (!L || !Cache || !HasUsableImage()) return;
  TRect R = GlyphRect();
  GdiFlush();
  L->Draw(*Cache, R.Left, R.Top, GlyphIndex(), Enabled());
}

void TsButton::DrawCaption(HDC DC) {
  TsCommonData& D = *FCommonData;
  TBitmap32* Cache = D.CacheBmp();
  const bool IntoCache = !DC;
  if (IntoCache) DC = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!DC) return;
  const std::wstring Text = Caption();
  const TRect R = CaptionRect();
  const bool Skinned = D.Skinned();
  const bool Hot = CurrentState() != bstNormal;
  {
    TFontHandle Bigger;
    HFONT Font = this->Font().Handle();
    if (FStyle == bsCommandLink) {
      LOGFONTW LF{};
      GetObjectW(Font, sizeof(LF), &LF);
      LF.lfWeight = FW_BOLD;
      LF.lfHeight -= MulDiv(2, GetDeviceCaps(DC, LOGPIXELSY), 72) * (LF.lfHeight < 0 ? 1 : -1);
      Bigger = TFontHandle(CreateFontIndirectW(&LF));
      Font = Bigger;
    }
    TSelectObject Selected(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    if (!Skinned) SetTextColor(DC, GetSysColor(COLOR_BTNTEXT));
    UINT Flags = FStyle == bsCommandLink
                     ? DT_EXPANDTABS | DT_WORDBREAK
                     : DT_EXPANDTABS | DT_CENTER | DT_VCENTER | (WordWrap ? DT_WORDBREAK : 0);
    // A skinned disabled button gets its disabled look from the whole face.
    DrawSkinText(DC, Text, Enabled() || Skinned, Hot, D, Flags, R);
  }
  if (FStyle == bsCommandLink && !CommandLinkHint.empty()) {
    TSelectObject Selected(DC, Font().Handle());
    SetBkMode(DC, TRANSPARENT);
    DrawSkinText(DC, CommandLinkHint, Enabled() || Skinned, Hot, D, DT_EXPANDTABS | DT_WORDBREAK,
                 {R.Left, R.Bottom + 6, R.Right, Height() - FContentMargin});
  }
  const TsGeneralData* S = D.Section();
  if (IntoCache && Focused() && Enabled() && !Text.empty() && FShowFocus && Skinned && S &&
      S->ShowFocus) {
    TRect F = R;
    F.Inflate(FocusMargin, FocusMargin);
    GdiFlush();
    DrawFocusDots(*Cache, F, clBlack, ColorToRGB(clBtnFace));
  }
}

// ---------------------------------------------------------------------------------------------
// Painting

void TsButton::Paint(HDC Given, bool Printing) {
  TsCommonData& D = *FCommonData;
  std::optional<TPaintDC> PaintDC;
  HDC DC = Given;
  if (AnimationCapturing && D.PrintDC) {
    DC = D.PrintDC;
    Printing = true;
  } else if (!DC) {
    // Ended however the paint ends: an invalid window would be painted again for ever.
    PaintDC.emplace(Handle());
    DC = *PaintDC;
  }
  // A running fade draws its own frames.
  if (D.CheckUpdating() || FadeRunning(FFadeTimer)) return;
  if (D.HalfVisible || (Parent() && SendSkinCommandTo(Parent(), KV_ISHALFVISIBLE) != 0))
    D.BGChanged = true;
  if (TWinControl* P = Parent()) {
    TRect Inside = P->ClientRect();
    D.HalfVisible = BoundsRect().Intersected(Inside) != BoundsRect();
  }
  const bool RedrawRegion = !FRegionApplied || SkinLoading;
  const TsMaskData* Mask = D.BorderMask();
  if (RegionChanged && Mask && Mask->CornerType == 2 && !IsDesigning()) {
    if (!PrepareCache()) return;
    if (FNewRegion && !Printing) {
      SetWindowRgn(Handle(), FNewRegion.Detach(), RedrawRegion);
      FRegionApplied = true;
      TRect Now = BoundsRect();
      if (TWinControl* P = Parent();
          P && P->HandleAllocated() && !LastRect.IsEmpty() &&
          (Now.Width() < LastRect.Width() || Now.Height() < LastRect.Height())) {
        RECT Old{LastRect.Left, LastRect.Top, LastRect.Right, LastRect.Bottom};
        InvalidateRect(P->Handle(), &Old, TRUE);
      }
      LastRect = Now;
    }
    // A region that was not given to the window is not kept for later.
    FNewRegion.Reset();
    RegionChanged = false;
  } else if (D.BGChanged) {
    if (!PrepareCache()) return;
    FNewRegion.Reset();
  }
  TBitmap32* Cache = D.CacheBmp();
  HDC Src = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!Src) return;
  TSavedDC Saved(DC);
  CopyToScreen(DC, 0, 0, Width(), Height(), Src, 0, 0);
}

void TsButton::PaintClassic(HDC DC) {
  RECT R{0, 0, Width(), Height()};
  FillRect(DC, &R, GetSysColorBrush(COLOR_BTNFACE));
  UINT State = DFCS_BUTTONPUSH;
  if (CurrentState() == bstPressed) State |= DFCS_PUSHED;
  if (!Enabled()) State |= DFCS_INACTIVE;
  DrawFrameControl(DC, &R, DFC_BUTTON, State);
  DrawCaption(DC);
  if (Focused() && FShowFocus) {
    InflateRect(&R, -4, -4);
    DrawFocusRect(DC, &R);
  }
}

void TsButton::RepaintNow() {
  if (HandleAllocated())
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// ---------------------------------------------------------------------------------------------
// Fades and regions

void TsButton::StopFading() {
  StopFade(FFadeTimer, *FCommonData);
}

void TsButton::DropRegion() {
  FNewRegion.Reset();
  if (HandleAllocated() && FRegionApplied) SetWindowRgn(Handle(), nullptr, TRUE);
  FRegionApplied = false;
}

// ---------------------------------------------------------------------------------------------
// Messages

bool TsButton::Ready() const {
  return HandleAllocated() && !IsLoading() && !IsDestroying() && Parent();
}

void TsButton::CallDefault(TMessage& Message) {
  if (!CommonWndProc(Message, FCommonData.get())) TButton::WndProc(Message);
}

void TsButton::DefaultWithoutRedraw(TMessage& Message) {
  // The native button paints on focus changes straight into the window; with redrawing off
  // it leaves that to our paint.
  HWND W = Handle();
  bool Shown = IsWindowVisible(W);
  if (Shown) SendMessageW(W, WM_SETREDRAW, FALSE, 0);
  TWeakRef<TsButton> Self(this);
  CallDefault(Message);
  if (Shown && Self && IsWindow(W)) SendMessageW(W, WM_SETREDRAW, TRUE, 0);
}

void TsButton::HandleSkinCommand(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  const bool Ours = Message.LParam == LPARAM(D.SkinManager());
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    if (Ours) {
      RegionChanged = true;
      StopFading();
    }
    CommonSkinCommand(Message, &D);
    return;
  case KV_SKINDROPPED:
    if (Ours && !IsDestroying()) {
      StopFading();
      CommonSkinCommand(Message, &D);
      DropRegion();
      Invalidate();
      return;
    }
    CommonSkinCommand(Message, &D);
    return;
  case KV_REPAINTSKIN:
    if (Ours) {
      StopFading();
      DropRegion();
      CommonSkinCommand(Message, &D);
      RegionChanged = true;
      if (!(D.CtrlSkinState & cssPrintDC)) D.Invalidate();
      return;
    }
    CommonSkinCommand(Message, &D);
    return;
  case KV_ISSKINNED: Message.Result = 1; return;
  case KV_HALTFADE: StopFading(); return;
  case KV_CLEARBGCHANGED: PrepareCache(); return;
  case KV_FADESTEP:
    FNewRegion.Reset();
    CommonSkinCommand(Message, &D);
    return;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return;
  default: break;
  }
  if (Ready() && D.Skinned()) {
    switch (SkinCommandCode(Message.WParam)) {
    case KV_RESUMEPAINT:
      if (D.FUpdating && !D.CheckUpdating(true)) {
        D.BGChanged = true;
        RepaintNow();
      }
      return;
    case KV_SETURGENT:
      if (D.UrgentPainting) PrepareCache();
      break;
    default: break;
    }
  }
  CommonSkinCommand(Message, &D);
}

void TsButton::MouseEnter() {
  TsCommonData& D = *FCommonData;
  if (!Enabled() || IsDesigning() || D.FMouseAbove) return;
  if (OnMouseEnter) OnMouseEnter(this);
  D.FMouseAbove = true;
  D.BGChanged = false;
  StartStateFade(FFadeTimer, D, false, fdUp,
                 FadeEventAllowed(aeMouseEnter, AnimatEvents, D.SkinManager()));
}

void TsButton::MouseLeave() {
  TsCommonData& D = *FCommonData;
  if (!Enabled() || IsDesigning()) return;
  if (OnMouseLeave) OnMouseLeave(this);
  D.FMouseAbove = false;
  D.BGChanged = false;
  StartStateFade(FFadeTimer, D, false, fdUp,
                 FadeEventAllowed(aeMouseLeave, AnimatEvents, D.SkinManager()));
}

void TsButton::LeftDown(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  if (Enabled() && !IsDesigning()) {
    D.FUpdating = false;
    FMouseClicked = true;
  }
  // The native handling takes the focus, the mouse and the pushed state; the press fade starts
  // when the pushed state is set (BM_SETSTATE), so that its new face is the pressed one.
  Message.Msg = WM_LBUTTONDOWN;
  CallDefault(Message);
}

void TsButton::LeftUp(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  if (Enabled() && FMouseClicked) {
    TsFadeTimer* T = FFadeTimer.Get();
    if (T && T->Direction() != fdNone && T->FadeLevel <= T->Iterations) {
      // The press is over before its fade: the pressed face is seen for a moment first.
      StopFading();
      D.BGChanged = true;
      PressedFlash = true;
      RepaintNow();
      PressedFlash = false;
      Sleep(PressedFlashTime);
    }
    D.FUpdating = false;
    RegionChanged = true;
  }
  TWeakRef<TsButton> Self(this);
  // The native handling clears the pushed state (which starts the release fade) and then
  // reports the click.
  CallDefault(Message);
  if (Self) FMouseClicked = false;
}

void TsButton::SetState(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  const bool Was = IsPushed(Handle());
  CallDefault(Message);
  const bool Now = IsPushed(Handle());
  // The native button only invalidates: the face must be composed again.
  D.BGChanged = true;
  if (Was == Now || !FMouseClicked || !Enabled() || !Visible() || FDown) return;
  RegionChanged = true;
  D.BGChanged = false;
  StartStateFade(FFadeTimer, D, true, fdUp,
                 FadeEventAllowed(Now ? aeMouseDown : aeMouseUp, AnimatEvents, D.SkinManager()));
}

void TsButton::SetButtonStyle(TMessage& Message) {
  // A dialog marks its default button by style; the window stays owner-drawn.
  IsFocused = (Message.WParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  Message.WParam = (Message.WParam & ~WPARAM(BS_TYPEMASK)) | BS_OWNERDRAW;
  CallDefault(Message);
  FCommonData->Invalidate();
}

void TsButton::FocusChanged(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  if (!Visible() || !Enabled() || IsDestroying() || FInFocusHandling) {
    CallDefault(Message);
    return;
  }
  TWeakRef<TsButton> Self(this);
  if (Message.Msg == WM_SETFOCUS) {
    FInFocusHandling = true;
    DefaultWithoutRedraw(Message);
    if (!Self) return;
    FInFocusHandling = false;
    if (FadeRunning(FFadeTimer)) {
      StartFade(FFadeTimer, D, false, fdUp);
    } else {
      D.BGChanged = true;
      Invalidate();
    }
    return;
  }
  StopFading();
  DefaultWithoutRedraw(Message);
  if (!Self) return;
  D.FFocused = false;
  RegionChanged = true;
  D.BGChanged = true;
  Invalidate();
  D.RemoveGlow();
}

void TsButton::HandleUnskinned(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  switch (Message.Msg) {
  case CM_MOUSEENTER:
  case CM_MOUSELEAVE: {
    bool Enter = Message.Msg == CM_MOUSEENTER;
    if (D.FMouseAbove != Enter) {
      D.FMouseAbove = Enter;
      if (Enter && OnMouseEnter) OnMouseEnter(this);
      if (!Enter && OnMouseLeave) OnMouseLeave(this);
      Invalidate();
    }
    break;
  }
  case WM_PAINT:
    if (HandleAllocated()) {
      if (HDC DC = msg::TPaint(Message).DC) {
        PaintClassic(DC);
      } else {
        TPaintDC Paint(Handle());
        PaintClassic(Paint);
      }
    }
    Message.Result = 0;
    return;
  case WM_PRINTCLIENT:
  case WM_PRINT:
    if (HDC DC = msg::TPrint(Message).DC) PaintClassic(DC);
    return;
  case WM_ERASEBKGND: msg::TEraseBkgnd::SetErased(Message); return;
  case WM_LBUTTONDBLCLK: Message.Msg = WM_LBUTTONDOWN; break;
  case CM_TEXTCHANGED:
  case CM_ENABLEDCHANGED:
  case BM_SETSTATE:
    TButton::WndProc(Message);
    Invalidate();
    return;
  default: break;
  }
  if (!CommonWndProc(Message, &D)) TButton::WndProc(Message);
}

void TsButton::WndProc(TMessage& Message) {
  if (Message.Msg == KV_SKINMSG) {
    HandleSkinCommand(Message);
    return;
  }
  if (Ready() && FCommonData->Skinned() && HandleSkinned(Message)) return;
  if (Message.Msg == BM_SETSTYLE) {
    SetButtonStyle(Message);
    return;
  }
  HandleUnskinned(Message);
}

bool TsButton::HandleSkinned(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  switch (Message.Msg) {
  case CM_MOUSEENTER:
    // Before the shared handling, which sets the hover flag this test looks at.
    MouseEnter();
    CallDefault(Message);
    return true;
  case CM_MOUSELEAVE:
    MouseLeave();
    CallDefault(Message);
    return true;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONDBLCLK: LeftDown(Message); return true;
  case WM_LBUTTONUP: LeftUp(Message); return true;
  case BM_SETSTATE: SetState(Message); return true;
  case BM_SETSTYLE: SetButtonStyle(Message); return true;
  case WM_KEYUP:
    if (Message.WParam == VK_SPACE && Enabled() && Focused()) {
      StopFading();
      RegionChanged = true;
      D.BGChanged = true;
      D.RemoveGlow();
      CallDefault(Message);
      Invalidate();
      return true;
    }
    return false;
  case WM_MOVE:
    if (const TsGeneralData* S = D.Section();
        S && (S->Transparency > 0 || (D.IsActive() && S->Props[1].Transparency > 0))) {
      D.BGChanged = true;
      Invalidate();
    }
    return false;
  case WM_SIZE:
    // The old face no longer fits: a fade ends here.
    StopFading();
    RegionChanged = true;
    D.RemoveGlow();
    CallDefault(Message);
    D.BGChanged = true;
    Invalidate();
    return true;
  case WM_SETFOCUS:
  case WM_KILLFOCUS: FocusChanged(Message); return true;
  case WM_ENABLE: return true;
  case WM_PAINT:
    Paint(msg::TPaint(Message).DC, false);
    Message.Result = 0;
    return true;
  case WM_PRINTCLIENT:
  case WM_PRINT:
    RegionChanged = true;
    D.FUpdating = false;
    D.BGChanged = true;
    Paint(msg::TPrint(Message).DC, true);
    return true;
  case WM_ERASEBKGND: {
    // Never passed on: the native owner-drawn button would fill itself with the brush colour.
    HDC DC = msg::TEraseBkgnd(Message).DC;
    TBitmap32* Cache = D.CacheBmp();
    if (Visible() && DC && Cache && !Cache->IsEmpty() && !D.BGChanged && !FadeRunning(FFadeTimer))
      CopyCacheExceptChildren(this, D, {0, 0, Width(), Height()}, 0, 0, false, DC,
                              {0, 0, Width(), Height()});
    msg::TEraseBkgnd::SetErased(Message);
    return true;
  }
  case WM_WINDOWPOSCHANGING: RegionChanged = true; return false;
  case WM_WINDOWPOSCHANGED:
    RegionChanged = true;
    D.BGChanged = true;
    return false;
  case WM_UPDATEUISTATE: Message.Result = 1; return true;
  case WM_SETFONT:
    CallDefault(Message);
    D.FUpdating = false;
    D.BGChanged = true;
    Invalidate();
    return true;
  case CM_VISIBLECHANGED:
    CallDefault(Message);
    D.BGChanged = true;
    D.FUpdating = false;
    if (Visible()) Invalidate();
    return true;
  case CM_ENABLEDCHANGED:
    CallDefault(Message);
    if (Visible()) {
      if (!Enabled()) StopFading();
      D.FUpdating = false;
      D.BGChanged = true;
      Invalidate();
    }
    return true;
  case CM_TEXTCHANGED:
    // The native owner-drawn button has just filled its text area with the brush colour.
    D.BGChanged = true;
    Invalidate();
    return true;
  case WM_CANCELMODE:
    CallDefault(Message);
    D.RemoveGlow();
    return true;
  default: return false;
  }
}
