// The skin state of a control: binding to the current skin, the cached face, the plain-face
// decision, and the background and colour answers.
#include "skin/controls/sCommonData.h"

#include <algorithm>

#include "base/GdiObjects.h"
#include "base/TextUtils.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/Forms.h"

TGlowMaker ShowControlGlow;
TGlowRemover HideControlGlow;

namespace {

TColor GlobalColorOf(const TsSkinManager* M) {
  return M && M->Model().SkinData.Active ? M->Model().GetGlobalColor() : TColor(clBtnFace);
}

// The owner's place in its parent window's client area, for a window-less owner its bounds.
TPoint PlaceInParent(TControl* Owner) {
  return Owner ? TPoint{Owner->Left(), Owner->Top()} : TPoint{};
}

TPoint WindowPlaceInParent(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  POINT P{R.left, R.top};
  if (HWND Parent = GetParent(Wnd)) ScreenToClient(Parent, &P);
  return {P.x, P.y};
}

void SendToTarget(TControl* Target, uint16_t Code, LPARAM LParam = 0) {
  if (Target) SendSkinCommandTo(Target, Code, LParam);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Life

TsCommonData::TsCommonData(TComponent* AOwner, bool CreateCacheBmp)
    : FOwnerControl(dynamic_cast<TControl*>(AOwner)), FOwnerObject(AOwner) {
  if (CreateCacheBmp) FCacheBmp = std::make_unique<TBitmap32>();
}

TsCommonData::~TsCommonData() {
  RemoveGlow();
}

TWinControl* TsCommonData::OwnerWinControl() const {
  return dynamic_cast<TWinControl*>(OwnerControl());
}

TControl* TsCommonData::NoticeTarget() const {
  if (TControl* C = OwnerControl()) return C;
  return ProviderForm();
}

TsSkinManager* TsCommonData::SkinManager() const {
  if (TsSkinManager* M = FSkinManager.Get()) return M;
  return DefaultManager;
}

void TsCommonData::SetSkinManager(TsSkinManager* Value) {
  FSkinManager = Value == DefaultManager ? nullptr : Value;
  TControl* Owner = OwnerControl();
  if (Owner && Owner->IsLoading()) return;
  TsSkinManager* M = SkinManager();
  if (M && !M->Model().gd.empty())
    UpdateIndexes();
  else
    SkinIndex = -1;
  if (Owner && Owner->Parent() && !Owner->IsDestroying())
    SendSkinCommandTo(Owner, ValidSection(Model(), SkinIndex) ? KV_REPAINTSKIN : KV_SKINDROPPED,
                      LPARAM(M));
}

const TsSkinModel* TsCommonData::Model() const {
  TsSkinManager* M = SkinManager();
  return M ? &M->Model() : nullptr;
}

const TsGeneralData* TsCommonData::Section() const {
  const TsSkinModel* Sm = Model();
  return ValidSection(Sm, SkinIndex) ? &Sm->gd[size_t(SkinIndex)] : nullptr;
}

const TsMaskData* TsCommonData::BorderMask() const {
  const TsSkinModel* Sm = Model();
  return ValidMask(Sm, BorderIndex) ? &Sm->ma[size_t(BorderIndex)] : nullptr;
}

TColor TsCommonData::OwnerColor() const {
  if (TControl* C = OwnerControl()) return C->Color();
  if (TForm* F = ProviderForm()) return F->Color();
  return clBtnFace;
}

// ---------------------------------------------------------------------------------------------
// Binding to the skin

void TsCommonData::Loaded() {
  if (FSkinSection.empty()) {
    const char* Default = DefaultSectionOf(COC);
    if (Default)
      FSkinSection = Default;
    else if (FOwnerObject)
      FSkinSection = UpperCaseAscii(WideToUtf8(FOwnerObject->ClassName()));
    if (FSkinSection.empty()) FSkinSection = "UNKNOWN";
  }
  UpdateIndexes();
  TControl* Owner = OwnerControl();
  if (!Owner || !Owner->Parent() || Owner->IsLoading() || !Skinned()) return;
  if (dynamic_cast<TWinControl*>(Owner))
    if (TForm* Form = ParentFormOf(Owner)) SendSkinCommandTo(Form, KV_CONTROLADDED, LPARAM(Owner));
  SyncColors(false);
}

void TsCommonData::UpdateIndexes() {
  TControl* Owner = OwnerControl();
  if (Owner && Owner->IsDesigning() && Owner->Owner() && Owner->Owner()->IsDesigning()) {
    SkinIndex = -1;
    return;
  }
  BGChanged = true;
  TsSkinManager* M = SkinManager();
  const TsSkinModel* Sm = M && M->Active() ? &M->Model() : nullptr;
  SkinIndex = Sm ? Sm->GetSkinIndex(FSkinSection) : -1;
  const TsGeneralData* S = Section();
  BGType = S ? ComputeBGType(*S) : 0;
  CtrlSkinState = uint16_t((CtrlSkinState & ~cssPlainMask) | cssUndecided);
  if (S) {
    BorderIndex = S->BorderIndex;
    Texture = Sm->GetTextureIndex(SkinIndex, FSkinSection, "PATTERN");
    HotTexture = Sm->GetTextureIndex(SkinIndex, FSkinSection, "HOTPATTERN");
    UpdatePlainState(false);
  } else {
    BorderIndex = -1;
    Texture = -1;
    HotTexture = -1;
  }
}

bool TsCommonData::Skinned(bool CheckSkinActive) const {
  try {
    if (FSkinSection.empty()) return false;
    TsSkinManager* M = SkinManager();
    if (!M || M->IsDestroying()) return false;
    if (!ValidSection(&M->Model(), SkinIndex)) return false;
    if (FOwnerObject && FOwnerObject->IsDestroying()) return false;
    if (TControl* C = OwnerControl(); C && C->IsDestroying()) return false;
    return !CheckSkinActive || M->Model().SkinData.Active;
  } catch (...) {
    return false;
  }
}

void TsCommonData::SetSkinSection(const std::string& Value) {
  std::string Name = Value.empty() ? std::string("UNKNOWN") : UpperCaseAscii(Value);
  if (Name == FSkinSection) return;
  FSkinSection = Name;
  TsSkinManager* M = SkinManager();
  if (!M || M->Model().gd.empty())
    SkinIndex = -1;
  else
    UpdateIndexes();
  if (TControl* Owner = OwnerControl()) {
    if (!Owner->IsLoading() && !Owner->IsDestroying() && Owner->Parent() && !FUpdating)
      SendSkinCommandTo(Owner, Section() ? KV_REPAINTSKIN : KV_SKINDROPPED, LPARAM(M));
    RemoveGlow();
  } else if (ProviderForm()) {
    BGChanged = true;
  }
}

void TsCommonData::SetCustomColor(bool Value) {
  if (Value == FCustomColor) return;
  FCustomColor = Value;
  if (TControl* C = OwnerControl(); !C || !C->IsLoading()) SyncColors(true);
}

void TsCommonData::SetCustomFont(bool Value) {
  if (Value == FCustomFont) return;
  FCustomFont = Value;
  if (TControl* C = OwnerControl(); !C || !C->IsLoading()) SyncColors(true);
}

void TsCommonData::SetHUEOffset(int Value) {
  if (Value == FHUEOffset) return;
  FHUEOffset = Value;
  Loaded();
  Invalidate();
}

void TsCommonData::SetSaturation(int Value) {
  if (Value == FSaturation) return;
  FSaturation = Value;
  Loaded();
  Invalidate();
}

void TsCommonData::SyncColors(bool DoInvalidate) {
  TControl* Owner = OwnerControl();
  const TsGeneralData* S = Section();
  if (!Owner || !S || !Skinned() || !IsEditKind(COC)) return;
  if (TWinControl* W = OwnerWinControl(); W && !W->HandleAllocated()) return;
  auto Shift = [this](TColor C) {
    if (FHUEOffset) C = ShiftHue(FHUEOffset, C);
    if (FSaturation) C = ShiftSaturation(FSaturation, C);
    return C;
  };
  if (!FCustomColor) {
    TColor C = Shift(S->Color);
    if (Owner->Color() != C) Owner->SetColor(C);
  }
  if (!FCustomFont) {
    TColor C = Shift(S->Props[0].FontColor.Color);
    if (Owner->Font().Color() != C) Owner->Font().SetColor(C);
  }
  if (DoInvalidate) Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Updates and repainting

void TsCommonData::BeginUpdate() {
  ++FUpdateCount;
  FUpdating = true;
  CtrlSkinState |= cssUpdating;
  SendToTarget(NoticeTarget(), KV_UPDATEBEGUN);
}

void TsCommonData::EndUpdate(bool Repaint) {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount > 0) return;
  FUpdating = false;
  CtrlSkinState &= uint16_t(~cssUpdating);
  SendToTarget(NoticeTarget(), KV_UPDATEENDED);
  if (Repaint) Invalidate();
}

void TsCommonData::Invalidate(bool UpdateNow) {
  if (TControl* C = OwnerControl()) {
    if (C->IsDestroying() || C->IsLoading()) return;
    BGChanged = true;
    if (!CanRedraw(C)) return;
    if (auto* W = dynamic_cast<TWinControl*>(C)) {
      if (!W->HandleAllocated()) return;
      RedrawWindow(W->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME |
                       (UpdateNow ? RDW_UPDATENOW : 0));
    } else {
      C->Repaint();
    }
  } else if (TForm* F = ProviderForm()) {
    BGChanged = true;
    if (F->HandleAllocated())
      RedrawWindow(F->Handle(), nullptr, nullptr,
                   RDW_FRAME | RDW_ALLCHILDREN | RDW_ERASE | RDW_INVALIDATE);
  }
}

bool TsCommonData::RepaintIfMoved() const {
  TControl* Owner = OwnerControl();
  if (UrgentPainting || !Skinned() || !Owner || !Owner->Enabled()) return true;
  if (Section()->Transparency <= 0) return false;
  TWinControl* P = Owner->Parent();
  if (P && P->HandleAllocated()) return SendSkinCommandTo(P, KV_ISPARENTDEPENDENT) != 0;
  return false;
}

bool TsCommonData::GetUpdating() const {
  TsSkinManager* M = SkinManager();
  TControl* Owner = OwnerControl();
  if (!M || (Owner && Owner->IsDesigning())) return false;
  if (!NeedsOwnCache()) return FUpdating;
  if (FOwnerObject && FOwnerObject->IsDestroying()) return FUpdating;
  if (FUpdating) return true;
  TControl* Parent = Owner ? Owner->Parent() : ProviderForm() ? ProviderForm()->Parent() : nullptr;
  return Parent && SendSkinCommandTo(Parent, KV_ISSUSPENDED) != 0;
}

bool TsCommonData::CheckUpdating(bool Reset) {
  if (Reset) FUpdating = false;
  if (GetUpdating()) {
    FUpdating = true;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Plain faces

int TsCommonData::PlainState() const {
  TsSkinManager* M = SkinManager();
  bool ExtendedBorder = ProviderForm() && M && M->ExtendedBorders();
  auto Parent = [this] {
    TPlainParent P;
    TControl* Owner = OwnerControl();
    TWinControl* Par = Owner            ? Owner->Parent()
                       : ProviderForm() ? ProviderForm()->Parent()
                                        : nullptr;
    P.HasOwner = Owner || ProviderForm();
    P.HasParent = Par != nullptr;
    if (!Par) return P;
    P.ParentHasHandle = Par->HandleAllocated();
    if (!P.ParentHasHandle) return P;
    P.ParentSkinned = WindowAnswers(Par->Handle(), KV_ISSKINNED);
    if (P.ParentSkinned) P.ParentSkinState = uint16_t(SendSkinCommandTo(Par, KV_QUERYSKINSTATE));
    return P;
  };
  return PlainStateOf(M ? &M->Model() : nullptr, SkinIndex, ExtendedBorder, Parent);
}

void TsCommonData::UpdatePlainState(bool WithChildren) {
  int R = PlainState();
  if (ProviderForm() && !OwnerControl()) {
    if (R == 2) return;
    if (R & cssPlainFace)
      CtrlSkinState = uint16_t((CtrlSkinState & ~cssUndecided) | cssPlainFace);
    else
      CtrlSkinState &= uint16_t(~cssPlainMask);
    return;
  }
  CtrlSkinState &= uint16_t(~cssPlainFace);
  // A container that cannot tell yet asks again when its parent has a window.
  if (!(R == 2 && IsContainerKind(COC)))
    CtrlSkinState = uint16_t((CtrlSkinState & ~cssPlainMask) | (R & cssPlainFace));
  if (WithChildren)
    if (TWinControl* W = OwnerWinControl())
      for (int i = 0; i < W->ControlCount(); ++i)
        SendSkinCommandTo(W->Controls(i), KV_QUERYSKINSTATE, 1);
}

bool TsCommonData::IsActive() const {
  TControl* C = OwnerControl();
  if (!C || C->IsDestroying() || !C->Enabled() || C->IsDesigning()) return false;
  if (FFocused) return true;
  if (auto* W = dynamic_cast<TWinControl*>(C);
      W && W->HandleAllocated() && GetFocus() == W->Handle())
    return !IsContainerKind(COC);
  return FMouseAbove && !IsContainerKind(COC);
}

bool TsCommonData::NeedsOwnCache() const {
  return !(CtrlSkinState & cssPlainFace) || IsActive();
}

void TsCommonData::PrepareCacheBmp() {
  if (!FCacheBmp) FCacheBmp = std::make_unique<TBitmap32>();
  int W = 0, H = 0;
  if (TControl* C = OwnerControl()) {
    W = C->Width();
    H = C->Height();
  } else if (TForm* F = ProviderForm()) {
    W = F->Width();
    H = F->Height();
  }
  FCacheBmp->SetSize(std::max(W, 0), std::max(H, 0));
}

void TsCommonData::EmptyCache() {
  if (FCacheBmp) FCacheBmp->SetSize(0, 0);
}

int TsCommonData::MaxBorderWidth() const {
  const TsMaskData* Mask = BorderMask();
  if (!Mask || (Mask->DrawMode & dmSkipNormal)) return 0;
  return std::max({Mask->WL, Mask->WT, Mask->WR, Mask->WB});
}

// ---------------------------------------------------------------------------------------------
// Colours and the background answer

TColor TsCommonData::ColorForState(int State, HWND Wnd) const {
  auto Parent = [this, Wnd]() -> TColor {
    if (TControl* C = OwnerControl()) {
      if (C->Parent()) return ParentColor(C->Parent());
    } else if (Wnd && GetParent(Wnd)) {
      return WindowColor(GetParent(Wnd));
    }
    return clBtnFace;
  };
  return ColorForStateOf(Skinned() ? Section() : nullptr, State, FCustomColor, OwnerColor(),
                         Parent);
}

void TsCommonData::FillBackgroundInfo(TBackgroundInfo& Info, int State, HWND Wnd) {
  Info.Bmp = nullptr;
  TControl* Owner = OwnerControl();
  TBackgroundFacts Facts;
  Facts.Skinned = Skinned();
  Facts.CustomColor = FCustomColor;
  Facts.HasCache = FCacheBmp != nullptr;
  Facts.CacheEmpty = !FCacheBmp || FCacheBmp->IsEmpty();
  if (FCacheBmp) {
    int W = Owner ? Owner->Width() : ProviderForm() ? ProviderForm()->Width() : 0;
    int H = Owner ? Owner->Height() : ProviderForm() ? ProviderForm()->Height() : 0;
    Facts.CacheFitsOwner = FCacheBmp->Width() == W && FCacheBmp->Height() == H;
  }
  Facts.PlainFace = CtrlSkinState & cssPlainFace;
  const TsGeneralData* S = Facts.Skinned ? Section() : nullptr;

  auto AnswerCache = [&] {
    Info.Kind = bkImage;
    if (Info.PleaseDraw) {
      HDC Dst = static_cast<HDC>(Info.DrawDC);
      HDC Src = static_cast<HDC>(FCacheBmp->NativeDC());
      if (Dst && Src)
        BitBlt(Dst, Info.R.Left, Info.R.Top, Info.R.Width(), Info.R.Height(), Src, Info.Offset.X,
               Info.Offset.Y, SRCCOPY);
    } else {
      Info.Bmp = FCacheBmp.get();
      Info.Offset = {0, 0};
    }
  };

  switch (BackgroundStepOf(S, State, Facts)) {
  case bsOwnColour:
    if (!Owner && !ProviderForm()) return;
    Info.Kind = bkColor;
    Info.Color = OwnerColor();
    return;
  case bsPlainColour: {
    Info.Kind = bkColor;
    Info.Color = ColorForState(State, Wnd);
    const TsMaskData* Mask = BorderMask();
    if (Mask && !(Mask->DrawMode & dmSkipNormal) && FCacheBmp) {
      Info.FillRect = {Mask->WL, Mask->WT, Mask->WR, Mask->WB};
      Info.Bmp = FCacheBmp.get();
      Info.Offset = {0, 0};
    }
    if (Info.PleaseDraw && Info.DrawDC) FillSolid(Info.DrawDC, Info.R, Info.Color);
    return;
  }
  case bsNotReady:
    Info.Color = GlobalColorOf(SkinManager());
    Info.Kind = bkNotReady;
    return;
  case bsNotReadyHold:
    FUpdating = true;
    Info.Kind = bkNotReady;
    return;
  case bsUnknownColour:
    Info.Color = clFuchsia;
    Info.Kind = bkColor;
    return;
  case bsPassOn: {
    TControl* Parent = Owner            ? Owner->Parent()
                       : ProviderForm() ? ProviderForm()->Parent()
                                        : nullptr;
    TPoint Place;
    if (Parent) {
      QueryParentBackground(Info, Parent, Info.PleaseDraw != 0);
      Place = PlaceInParent(Owner ? Owner : ProviderForm());
    } else if (Wnd && GetParent(Wnd)) {
      QueryWindowBackground(Info, GetParent(Wnd), Info.PleaseDraw != 0);
      Place = WindowPlaceInParent(Wnd);
    } else {
      Info.Kind = bkColor;
      Info.Color = GlobalColorOf(DefaultManager);
      return;
    }
    if (Info.Kind == bkImage) {
      Info.Offset.X += Place.X;
      Info.Offset.Y += Place.Y;
    }
    return;
  }
  case bsOwnCache:
    if (S && S->Props[size_t(StateRecordOf(*S, State))].Transparency <= 0)
      Info.Color = GlobalColorOf(SkinManager());
    else if (BGChanged && Owner)
      SendSkinCommandTo(Owner, KV_CLEARBGCHANGED);
    AnswerCache();
    return;
  }
}

void TsCommonData::GetParentCacheInfo(TCacheInfo& CI) const {
  CI = TCacheInfo{};
  TControl* Owner = OwnerControl();
  if (!Skinned() || !Owner) {
    CI.FillColor = ColorToRGB(ColorForState(0));
    return;
  }
  TBackgroundInfo Info;
  if (TWinControl* P = Owner->Parent()) {
    QueryParentBackground(Info, P, false);
  } else if (auto* W = dynamic_cast<TWinControl*>(Owner);
             W && W->HandleAllocated() && GetParent(W->Handle())) {
    QueryWindowBackground(Info, GetParent(W->Handle()), false);
  } else {
    CI.FillColor = ColorToRGB(ColorForState(0));
    return;
  }
  if (Info.Kind == bkNotReady) {
    CI.FillColor = clFuchsia;
    return;
  }
  CI = BackgroundToCacheInfo(Info);
}

int TsCommonData::ParentHalfVisible() const {
  TControl* Owner = OwnerControl();
  TWinControl* P = Owner ? Owner->Parent() : nullptr;
  if (!P || !P->HandleAllocated()) return 0;
  return int(SendSkinCommandTo(P, KV_ISPARENTDEPENDENT));
}

// ---------------------------------------------------------------------------------------------
// Glow

void TsCommonData::RemoveGlow() {
  if (GlowID < 0) return;
  if (HideControlGlow) HideControlGlow(GlowID);
  GlowID = -1;
}

void TsCommonData::UpdateGlow(bool Hide, HWND Wnd) {
  TsSkinManager* M = SkinManager();
  const TsGeneralData* S = Section();
  if (!M || !M->Effects.AllowGlowing || !S || S->GlowCount < 1) return;
  HWND Target = nullptr;
  RECT R{}, Clip{};
  if (TControl* C = OwnerControl()) {
    if (!FMouseAbove || (Hide && GlowID >= 0)) {
      RemoveGlow();
      return;
    }
    if (GlowID >= 0) return;
    TForm* Form = ParentFormOf(C);
    if (!Form || !Form->HandleAllocated()) return;
    Target = Form->Parent() && Form->Parent()->HandleAllocated() ? Form->Parent()->Handle()
                                                                 : Form->Handle();
    if (auto* W = dynamic_cast<TWinControl*>(C)) {
      if (!W->HandleAllocated()) return;
      GetWindowRect(W->Handle(), &R);
      TWindowDC DC(W->Handle());
      GetClipBox(DC, &Clip);
    } else {
      TWinControl* P = C->Parent();
      if (!P || !P->HandleAllocated()) return;
      POINT TL{C->Left(), C->Top()};
      ClientToScreen(P->Handle(), &TL);
      R = {TL.x, TL.y, TL.x + C->Width(), TL.y + C->Height()};
      TClientDC DC(P->Handle());
      RECT PClip{};
      GetClipBox(DC, &PClip);
      RECT Local{C->Left(), C->Top(), C->Left() + C->Width(), C->Top() + C->Height()};
      IntersectRect(&Clip, &Local, &PClip);
      OffsetRect(&Clip, -C->Left(), -C->Top());
    }
  } else if (Wnd) {
    if (GlowID >= 0) return;
    GetWindowRect(Wnd, &R);
    TWindowDC DC(Wnd);
    GetClipBox(DC, &Clip);
    Target = TopLevelWindow(Wnd);
  } else {
    return;
  }
  if (ShowControlGlow)
    GlowID = ShowControlGlow(*this, Target, TRect{R.left, R.top, R.right, R.bottom},
                             TRect{Clip.left, Clip.top, Clip.right, Clip.bottom});
}

// ---------------------------------------------------------------------------------------------
// The published state

bool TsCtrlSkinData::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "SkinSection") {
    SetSkinSection(WideToUtf8(Value.AsString()));
  } else if (Name == "CustomColor") {
    SetCustomColor(Value.AsBool());
  } else if (Name == "CustomFont") {
    SetCustomFont(Value.AsBool());
  } else if (Name == "HUEOffset") {
    SetHUEOffset(Value.AsInt());
  } else if (Name == "Saturation") {
    SetSaturation(Value.AsInt());
  } else if (Name == "SkinManager") {
    TComponent* Root = OwnerObject() ? OwnerObject()->Owner() : nullptr;
    std::string Ident = Value.AsIdent();
    auto* M = Root ? dynamic_cast<TsSkinManager*>(
                         Root->FindComponent(std::wstring(Ident.begin(), Ident.end())))
                   : nullptr;
    if (!M) throw Exception(L"Unknown skin manager " + std::wstring(Ident.begin(), Ident.end()));
    SetSkinManager(M);
  } else {
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Questions between controls

TsCommonData* SkinDataOf(TControl* Control) {
  if (!Control) return nullptr;
  auto* State = reinterpret_cast<TsHoverState*>(SendSkinCommandTo(Control, KV_QUERYSKINDATA));
  return static_cast<TsCommonData*>(State);
}

namespace {

LRESULT SendToParent(TControl* Parent, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* W = dynamic_cast<TWinControl*>(Parent);
  if (W && W->HandleAllocated()) return SendMessageW(W->Handle(), Msg, WParam, LParam);
  return Parent->Perform(Msg, WParam, LParam);
}

void AskToDraw(TBackgroundInfo& Info, const std::function<void(UINT, WPARAM)>& Send) {
  HDC DC = static_cast<HDC>(Info.DrawDC);
  if (!DC) return;
  TSavedDC Saved(DC);
  POINT Org;
  GetViewportOrgEx(DC, &Org);
  SetViewportOrgEx(DC, Org.x - Info.Offset.X, Org.y - Info.Offset.Y, nullptr);
  Info.R.Offset(Info.Offset.X, Info.Offset.Y);
  IntersectClipRect(DC, Info.R.Left, Info.R.Top, Info.R.Right, Info.R.Bottom);
  Send(WM_ERASEBKGND, WPARAM(DC));
  Send(WM_PAINT, WPARAM(DC));
}

void StartQuestion(TBackgroundInfo& Info, bool PleaseDraw) {
  Info.Bmp = nullptr;
  Info.Kind = bkNone;
  Info.PleaseDraw = PleaseDraw;
  Info.FillRect = {};
}

} // namespace

bool QueryParentBackground(TBackgroundInfo& Info, TControl* Parent, bool PleaseDraw) {
  StartQuestion(Info, PleaseDraw);
  if (!Parent) return false;
  SendToParent(Parent, KV_SKINMSG, SkinCommandWParam(KV_QUERYBACKGROUND), LPARAM(&Info));
  if (Info.Kind != bkNone) return true;
  if (PleaseDraw) {
    AskToDraw(Info, [Parent](UINT Msg, WPARAM DC) { SendToParent(Parent, Msg, DC, 0); });
    return true;
  }
  Info.Kind = bkColor;
  TColor C = TColor(SendToParent(Parent, KV_SKINMSG, SkinCommandWParam(KV_QUERYCOLOR), clFuchsia));
  Info.Color = C != 0 ? C : ColorToRGB(Parent->Color());
  return true;
}

bool QueryWindowBackground(TBackgroundInfo& Info, HWND ParentWnd, bool PleaseDraw) {
  StartQuestion(Info, PleaseDraw);
  if (!ParentWnd) return false;
  SendMessageW(ParentWnd, KV_SKINMSG, SkinCommandWParam(KV_QUERYBACKGROUND), LPARAM(&Info));
  if (Info.Kind != bkNone) return true;
  if (PleaseDraw) {
    AskToDraw(Info, [ParentWnd](UINT Msg, WPARAM DC) { SendMessageW(ParentWnd, Msg, DC, 0); });
    return true;
  }
  Info.Kind = bkColor;
  Info.Color = DefaultManager ? GlobalColorOf(DefaultManager) : TColor(clBtnFace);
  return false;
}

TColor ParentColor(TControl* Control) {
  if (!Control) return clFuchsia;
  if (SendSkinCommandTo(Control, KV_ISSKINNED) == 1)
    return ColorToRGB(TColor(SendSkinCommandTo(Control, KV_QUERYCOLOR, clFuchsia)));
  return ColorToRGB(Control->Color());
}

TColor WindowColor(HWND Wnd) {
  if (!Wnd) return clFuchsia;
  return ColorToRGB(TColor(SendSkinCommand(Wnd, KV_QUERYCOLOR, clFuchsia)));
}

// ---------------------------------------------------------------------------------------------
// Painting with a skin state

namespace {

TsSectionLook LookOf(const TsCommonData& Data) {
  TsSectionLook Look;
  Look.SkinIndex = Data.SkinIndex;
  Look.SkinSection = Data.SkinSection();
  Look.Texture = Data.Texture;
  Look.HotTexture = Data.HotTexture;
  Look.CustomColor = Data.CustomColor();
  Look.OwnerColor = Data.OwnerControl() || Data.ProviderForm() ? ColorToRGB(Data.OwnerColor())
                                                               : TColor(clFuchsia);
  Look.HUEOffset = Data.HUEOffset();
  Look.Saturation = Data.Saturation();
  return Look;
}

// The parent's answer for the owner of Data.
TBackgroundInfo AskOwnersParent(const TsCommonData& Data, TControl* Control) {
  TBackgroundInfo Info;
  if (!Control) return Info;
  if (TWinControl* P = Control->Parent())
    QueryParentBackground(Info, P, false);
  else if (auto* W = dynamic_cast<TWinControl*>(Control);
           W && W->HandleAllocated() && GetParent(W->Handle()))
    QueryWindowBackground(Info, GetParent(W->Handle()), false);
  (void)Data;
  return Info;
}

} // namespace

void PaintSection(TsCommonData& Data, const TCacheInfo& CI, bool UpdateCorners, int State,
                  TBitmap32* Bmp, TPoint P, TRect R) {
  if (!Data.SkinManager()) return;
  PaintSection(Data.Model(), LookOf(Data), CI, UpdateCorners, State, Bmp, P, R);
}

bool PaintSectionOnParent(TsCommonData& Data, TControl* Control, int Texture, int HotTexture,
                          bool UpdateCorners, TBitmap32* Bmp, TPoint P, TRect R, int State) {
  if (!Data.SkinManager()) return false;
  TsSectionLook Look = LookOf(Data);
  Look.Texture = Texture;
  Look.HotTexture = HotTexture;
  TBackgroundInfo Answer = AskOwnersParent(Data, Control);
  return PaintSectionOnParentInfo(Data.Model(), Look, Answer, Data.FUpdating, UpdateCorners, Bmp, P,
                                  R, State);
}

void PaintBorderFrame(HDC DC, TRect R, int ExtraWidth, TRect& ClientR, int State,
                      TsCommonData& Data) {
  const TsSkinModel* Sm = Data.Model();
  if (!Sm) return;
  if (!Data.CacheBmp() || Data.CacheBmp()->IsEmpty()) Data.PrepareCacheBmp();
  TBitmap32& Cache = *Data.CacheBmp();
  if (Cache.IsEmpty()) return;
  TControl* Owner = Data.OwnerControl();
  TColor Colour = ColorToRGB(Data.ColorForState(State));
  TBackgroundInfo Answer;
  if (Owner && Owner->Parent()) QueryParentBackground(Answer, Owner->Parent(), false);
  TCacheInfo BG = BackgroundToCacheInfo(Answer);
  if (Answer.Kind != bkImage)
    BG.FillColor = Answer.Kind == bkColor ? ColorToRGB(Answer.Color) : Colour;
  if (Owner) {
    BG.X += Owner->Left();
    BG.Y += Owner->Top();
  }
  const TsMaskData* Mask = Data.BorderMask();
  if (const TsGeneralData* S = Data.Section()) State = std::max(0, std::min(State, S->States - 1));
  PaintBorderFrameInto(*Sm, Cache, R, ExtraWidth, ClientR, State, Mask, Colour, BG);
  HDC CacheDC = static_cast<HDC>(Cache.NativeDC());
  if (!DC || DC == CacheDC || ExtraWidth <= 0 || !CacheDC) return;
  TRect Strips[4];
  FrameStrips(R, ExtraWidth, ExtraWidth, ExtraWidth, ExtraWidth, Strips);
  for (const TRect& S : Strips)
    if (!S.IsEmpty())
      CopyToScreen(DC, S.Left, S.Top, S.Width(), S.Height(), CacheDC, S.Left, S.Top);
}

void RepaintBorderCorners(TsCommonData& Data, int State, int Corners) {
  const TsSkinModel* Sm = Data.Model();
  const TsMaskData* Mask = Data.BorderMask();
  TControl* Owner = Data.OwnerControl();
  TBitmap32* Cache = Data.CacheBmp();
  if (!Sm || !Mask || !Cache || Cache->IsEmpty() || !Owner || !Mask->Manager) return;
  if (!Owner->Parent() && !dynamic_cast<TWinControl*>(Owner)) return;
  TBackgroundInfo Answer = AskOwnersParent(Data, Owner);
  if (Answer.Kind == bkNone || Answer.Kind == bkNotReady) return;
  TCacheInfo BG = BackgroundToCacheInfo(Answer);
  if (Answer.Kind == bkImage && Owner->Parent()) {
    BG.X += Owner->Left();
    BG.Y += Owner->Top();
  }
  RepaintCornersOver(*Sm, *Cache, State, Corners, *Mask, BG);
}
