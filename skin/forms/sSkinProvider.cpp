// The form skin provider.
#include "skin/forms/sSkinProvider.h"

#include <algorithm>

#include "base/GdiObjects.h"
#include "base/TextUtils.h"
#include "skin/controls/sVclUtils.h"
#include "skin/forms/kvFormAnim.h"
#include "skin/forms/kvGlow.h"
#include "skin/forms/kvMenuLine.h"
#include "skin/images/kvBMP.h"
#include "skin/menus/sSkinMenus.h"
#include "toolkit/FormReader.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

constexpr UINT WM_EDITORLINK = 0xA400;          // the external skin editor's message
constexpr UINT WM_CONTROLLISTCHANGING = 0xBC4D; // a control is about to join or leave the form
bool GForwardingWheel = false;
#ifndef WM_POPUPSYSTEMMENU
constexpr UINT WM_POPUPSYSTEMMENU = 0x0313;
#endif

// The system's frame and caption sizes. Some of them are worked out from the caption font on
// every call, which costs more than the rest of a layout: they are kept until the settings
// change.
struct TSysFrameMetrics {
  bool Valid = false;
  int CXFrame = 0, CXDlgFrame = 0, CYCaption = 0, CYSmCaption = 0;
};
TSysFrameMetrics GSysMetrics;

const TSysFrameMetrics& SysFrameMetrics() {
  if (!GSysMetrics.Valid) {
    GSysMetrics.CXFrame = GetSystemMetrics(SM_CXFRAME);
    GSysMetrics.CXDlgFrame = GetSystemMetrics(SM_CXDLGFRAME);
    GSysMetrics.CYCaption = GetSystemMetrics(SM_CYCAPTION);
    GSysMetrics.CYSmCaption = GetSystemMetrics(SM_CYSMCAPTION);
    GSysMetrics.Valid = true;
  }
  return GSysMetrics;
}
HWND GPreviewTarget = nullptr;
bool GPreviewArmed = false;

// A straight-alpha pixel over an opaque one.
uint32_t BlendOver(uint32_t Src, uint32_t Dst) {
  unsigned A = Src >> 24;
  auto Mix = [A](uint32_t S, uint32_t D, int Shift) {
    unsigned Sc = (S >> Shift) & 0xFF, Dc = (D >> Shift) & 0xFF;
    return ((Sc * A + Dc * (255 - A) + 127) / 255) << Shift;
  };
  return 0xFF000000u | Mix(Src, Dst, 16) | Mix(Src, Dst, 8) | Mix(Src, Dst, 0);
}

TFormBorderKind BorderKindOf(TBorderStyle S) {
  switch (S) {
  case bsNone: return fbNone;
  case bsSingle: return fbSingle;
  case bsSizeable: return fbSizeable;
  case bsDialog: return fbDialog;
  case bsToolWindow: return fbToolWindow;
  case bsSizeToolWin: return fbSizeToolWin;
  }
  return fbSizeable;
}

TSize FrameSizeOf(const TsSkinModel& Sm, int Mask) {
  if (!ValidMask(&Sm, Mask)) return {};
  const TsMaskData& M = Sm.ma[size_t(Mask)];
  int Count = std::max(1, M.ImageCount);
  int W = M.Bmp ? M.Bmp->Width() : M.R.Width();
  int H = M.Bmp ? M.Bmp->Height() : M.R.Height();
  // A mask keeps its mask rows below the frames.
  if (M.MaskType == 1 && !M.Bmp) H /= 2;
  return {W / Count, H};
}

} // namespace

std::wstring SkinNameOfItem(const std::wstring& Caption) {
  std::wstring Name;
  for (wchar_t C : Caption)
    if (C != L'&') Name += C;
  size_t At = Name.find(L"(intern?)");
  return At == std::wstring::npos ? Name : Name.substr(0, At + 9);
}

HWND PreviewTarget() {
  return GPreviewTarget;
}

// ---------------------------------------------------------------------------------------------
// The system menu's rules

TsSystemMenu::TsSystemMenu(TForm* Form, HMENU Menu)
    : TPopupMenu(nullptr), FForm(Form), FMenu(Menu) {
  SetName(L"kvSysMenu" + std::to_wstring(GetTickCount()));
  Generate();
}

namespace {

// The text of a command of a menu, split at the tab into caption and short cut; empty when the
// menu has no such command.
std::pair<std::wstring, std::wstring> CommandText(HMENU Menu, UINT Command) {
  wchar_t Buf[256] = {};
  if (!Menu || GetMenuStringW(Menu, Command, Buf, 256, MF_BYCOMMAND) <= 0) return {};
  std::wstring Text = Buf;
  size_t Tab = Text.find(L'\t');
  if (Tab == std::wstring::npos) return {Text, {}};
  return {Text.substr(0, Tab), Text.substr(Tab + 1)};
}

} // namespace

void TsSystemMenu::SendCommand(UINT Command) {
  TForm* F = FForm.Get();
  if (F && F->HandleAllocated()) SendMessageW(F->Handle(), WM_SYSCOMMAND, Command, 0);
}

TMenuItem* TsSystemMenu::AddCommand(const wchar_t* Name, UINT Command, const wchar_t* Fallback) {
  auto* Item = new TMenuItem(nullptr);
  Item->SetName(Name);
  Item->Tag = intptr_t(Command);
  auto [Caption, Keys] = CommandText(FMenu, Command);
  Item->Caption = Caption.empty() ? Fallback : Caption;
  if (Command == SC_CLOSE) Item->ShortCut = TextToShortCut(Keys);
  Item->OnClick = [this, Command](TComponent*) { SendCommand(Command); };
  Items().Add(Item);
  return Item;
}

void TsSystemMenu::Generate() {
  Items().Clear();
  ExtItemsCount = 0;
  ItemRestore = AddCommand(L"kvIR", SC_RESTORE, L"Obnovit");
  ItemMove = AddCommand(L"kvIM", SC_MOVE, L"Pohyb");
  ItemSize = AddCommand(L"kvIS", SC_SIZE, L"Velikost");
  ItemMinimize = AddCommand(L"kvIN", SC_MINIMIZE, L"Minimalizovat");
  ItemMaximize = AddCommand(L"kvIX", SC_MAXIMIZE, L"Maximalizovat");
  auto Divider = [this] {
    auto* Line = new TMenuItem(nullptr);
    Line->Caption = L"-";
    Items().Add(Line);
  };
  Divider();
  // The window's own commands: only string items with a command outside the system's range
  // (dividers, sub-menus and the system's commands are not copied).
  int Count = FMenu ? GetMenuItemCount(FMenu) : 0;
  for (int i = 0; i < Count; ++i) {
    wchar_t Buf[256] = {};
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    Info.dwTypeData = Buf;
    Info.cch = 255;
    if (!GetMenuItemInfoW(FMenu, UINT(i), TRUE, &Info)) continue;
    if (Info.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW) || Info.hSubMenu || !Info.wID ||
        (Info.wID >= 0xF000 && Info.wID <= 0xF1FF) || !Buf[0])
      continue;
    std::wstring Text = Buf;
    size_t Tab = Text.find(L'\t');
    auto* Item = new TMenuItem(nullptr);
    Item->Caption = Text.substr(0, Tab);
    if (Tab != std::wstring::npos) Item->ShortCut = TextToShortCut(Text.substr(Tab + 1));
    UINT Command = Info.wID;
    Item->Tag = intptr_t(Command);
    Item->OnClick = [this, Command](TComponent*) {
      TForm* F = FForm.Get();
      if (F && F->HandleAllocated()) PostMessageW(F->Handle(), WM_SYSCOMMAND, Command, 0);
    };
    Items().Add(Item);
    ++ExtItemsCount;
  }
  if (ExtItemsCount > 0) Divider();
  ItemClose = AddCommand(L"kvIC", SC_CLOSE, L"Zavřítt");
}

void TsSystemMenu::UpdateItems(bool Full) {
  if (Full || !ItemClose || Items().IndexOf(ItemClose) < 0) Generate();
  ItemRestore->Visible = VisibleRestore();
  ItemRestore->Enabled = EnabledRestore();
  ItemMove->Visible = true;
  ItemMove->Enabled = EnabledMove();
  ItemSize->Visible = VisibleSize();
  ItemSize->Enabled = EnabledSize();
  ItemMinimize->Visible = VisibleMin();
  ItemMinimize->Enabled = EnabledMin();
  ItemMaximize->Visible = VisibleMax();
  ItemMaximize->Enabled = EnabledMax();
  ItemClose->Visible = VisibleClose();
  ItemClose->Enabled = true;
}

bool TsSystemMenu::HasSystemMenu() const {
  TForm* F = FForm.Get();
  return F && (F->BorderIcons() & biSystemMenu);
}

bool TsSystemMenu::Iconic() const {
  TForm* F = FForm.Get();
  return F && F->HandleAllocated() && IsIconic(F->Handle());
}

bool TsSystemMenu::VisibleClose() const {
  if (!HasSystemMenu()) return false;
  return FMenu && GetMenuState(FMenu, SC_CLOSE, MF_BYCOMMAND) != UINT(-1);
}

bool TsSystemMenu::VisibleMax() const {
  TForm* F = FForm.Get();
  if (!HasSystemMenu()) return false;
  if (Iconic() && !(Application && Application->MainForm() == F)) return true;
  TBorderStyle S = F->BorderStyle();
  if (S == bsDialog || S == bsToolWindow || S == bsSizeToolWin || S == bsNone) return false;
  return (F->BorderIcons() & biMaximize) != 0;
}

bool TsSystemMenu::VisibleMin() const {
  TForm* F = FForm.Get();
  if (!HasSystemMenu()) return false;
  if (Iconic()) return true;
  TBorderStyle S = F->BorderStyle();
  if (S == bsDialog || S == bsNone || S == bsToolWindow || S == bsSizeToolWin) return false;
  return (F->BorderIcons() & biMinimize) != 0;
}

bool TsSystemMenu::VisibleRestore() const {
  TForm* F = FForm.Get();
  return HasSystemMenu() && (F->BorderStyle() == bsSingle || F->BorderStyle() == bsSizeable);
}

bool TsSystemMenu::VisibleSize() const {
  TForm* F = FForm.Get();
  if (!F) return false;
  TBorderStyle S = F->BorderStyle();
  return S == bsSingle || S == bsSizeable || S == bsSizeToolWin;
}

bool TsSystemMenu::EnabledMax() const {
  TForm* F = FForm.Get();
  return F && (F->BorderStyle() == bsSingle || F->BorderStyle() == bsSizeable) &&
         (F->BorderIcons() & biMaximize);
}

bool TsSystemMenu::EnabledMin() const {
  TForm* F = FForm.Get();
  if (!F || !(F->BorderIcons() & biMinimize)) return false;
  return !(Iconic() && !(Application && Application->MainForm() == F));
}

bool TsSystemMenu::EnabledRestore() const {
  TForm* F = FForm.Get();
  if (!F || !F->HandleAllocated()) return false;
  bool NotNormal = IsZoomed(F->Handle()) || IsIconic(F->Handle());
  return ((F->BorderIcons() & biMaximize) && NotNormal) || IsIconic(F->Handle());
}

bool TsSystemMenu::EnabledMove() const {
  TForm* F = FForm.Get();
  return F && !(F->HandleAllocated() && IsZoomed(F->Handle()));
}

bool TsSystemMenu::EnabledSize() const {
  TForm* F = FForm.Get();
  return F && F->BorderStyle() != bsSingle && !Iconic();
}

// ---------------------------------------------------------------------------------------------
// User caption buttons

TBitmap32 DecodeGlyphData(const TDefValue& Value, bool* HasAlpha) {
  if (Value.Kind != TDefValue::vkBinary) throw EDefValueError(L"Binary data expected", Value.Line);
  if (HasAlpha) *HasAlpha = false;
  // A stored bitmap: its byte count, then the bitmap file.
  const std::vector<uint8_t>& B = Value.Binary;
  size_t Skip = B.size() >= 6 && B[0] == 'B' && B[1] == 'M' ? 0 : 4;
  if (B.size() <= Skip) return TBitmap32();
  TkvBmpInfo Info;
  TBitmap32 Glyph;
  try {
    Glyph = DecodeBmp(B.data() + Skip, B.size() - Skip, &Info);
  } catch (EBmpError& E) {
    throw EDefValueError(L"Glyph: " + Utf8ToWide(E.what()), Value.Line);
  }
  if (HasAlpha) *HasAlpha = Info.BitCount == 32;
  return Glyph;
}

TsTitleButton::TsTitleButton(TsTitleButtons* Collection) : FCollection(Collection) {}

TsTitleButton::~TsTitleButton() = default;

int TsTitleButton::Index() const {
  return FCollection ? FCollection->IndexOf(this) : -1;
}

void TsTitleButton::Changed() {
  if (FCollection && FCollection->Provider()) FCollection->Provider()->TitleChanged();
}

void TsTitleButton::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  Changed();
}

void TsTitleButton::SetVisible(bool Value) {
  if (FVisible == Value) return;
  FVisible = Value;
  if (!Value) HintWnd.reset();
  Changed();
}

void TsTitleButton::SetGlyph(TBitmap32 Value, bool HasAlpha) {
  // The running fade shows the old glyph: it ends first.
  if (Fade) Fade->Stop();
  FGlyph = std::move(Value);
  FGlyphAlpha = HasAlpha && !FGlyph.IsEmpty();
  Changed();
}

bool TsTitleButton::ReadProperty(const std::string& Prop, const TDefValue& Value) {
  if (Prop == "Enabled")
    FEnabled = Value.AsBool();
  else if (Prop == "Visible")
    FVisible = Value.AsBool();
  else if (Prop == "Hint")
    Hint = Value.AsString();
  else if (Prop == "Name")
    Name = Value.AsString();
  else if (Prop == "UseSkinData")
    UseSkinData = Value.AsBool();
  else if (Prop == "Glyph.Data") {
    FGlyph = DecodeGlyphData(Value, &FGlyphAlpha);
  } else
    return false;
  return true;
}

TsTitleButton& TsTitleButtons::Add() {
  FItems.push_back(std::make_unique<TsTitleButton>(this));
  if (FProvider) FProvider->TitleChanged();
  return *FItems.back();
}

void TsTitleButtons::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FItems.erase(FItems.begin() + Index);
  if (FProvider) FProvider->TitleChanged();
}

void TsTitleButtons::Clear() {
  if (FItems.empty()) return;
  FItems.clear();
  if (FProvider) FProvider->TitleChanged();
}

int TsTitleButtons::IndexOf(const TsTitleButton* Button) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == Button) return int(i);
  return -1;
}

// ---------------------------------------------------------------------------------------------
// Life

TsSkinProvider::TsSkinProvider(TComponent* AOwner) : TComponent(AOwner) {
  auto* F = dynamic_cast<TForm*>(AOwner);
  if (!F) throw Exception(L"TsSkinProvider component may be used with forms only!");
  FForm = F;
  static bool EffectsInstalled = (InstallFormAnimations(), InstallControlGlows(), true);
  (void)EffectsInstalled;
  // A second provider replaces one the hook made; beside any other it does nothing.
  if (F->HandleAllocated()) {
    auto* Existing =
        reinterpret_cast<TsSkinProvider*>(SendSkinCommand(F->Handle(), KV_QUERYPROVIDER));
    if (Existing && Existing != this) {
      if (Existing->RTInit || Existing->Owner() != F)
        delete Existing;
      else
        RTEmpty = true;
    }
  }
  for (int i = 0; !RTEmpty && i < F->ComponentCount(); ++i)
    if (auto* Other = dynamic_cast<TsSkinProvider*>(F->Components(i)); Other && Other != this)
      RTEmpty = !Other->RTEmpty;
  FCommonData = std::make_unique<TsCommonData>(this, true);
  FCommonData->COC = 224;
  FCommonData->SetProviderForm(F);
  FCommonData->SetSkinSection("FORM");
  if (RTEmpty) return;
  // The hook outlives the provider when the form goes first: it then only passes messages on.
  FHook =
      F->AddWindowHook([Self = TWeakRef<TsSkinProvider>(this)](TMessage& M, const TWndNext& Next) {
        TsSkinProvider* P = Self.Get();
        if (P && !P->FDetached)
          P->NewWndProc(M, Next);
        else
          Next(M);
      });
  SkinnedForms().push_back(F);
  FormActive = true;
  if (HasEngineSwitch(L"/kvpreview")) GPreviewArmed = true;
}

TsSkinProvider* TsSkinProvider::CreateRT(TForm* Form) {
  auto* P = new TsSkinProvider(Form);
  P->RTInit = true;
  return P;
}

void TsSkinProvider::BeforeDestruction() {
  FDetached = true;
  // The form may be going away too: everything it is asked goes through the weak reference.
  if (TForm* F = FForm.Get()) {
    auto& List = SkinnedForms();
    List.erase(std::remove(List.begin(), List.end(), F), List.end());
    // A form that is being freed frees its hooks and window itself; one that was not freed
    // with delete may have none of its parts left but its component base.
    FBorderForm.reset();
    FreeEffects();
    // The adapters give the controls their windows back while the controls are whole.
    FAdapter.reset();
    if (F->IsDestroying()) {
      TComponent::BeforeDestruction();
      return;
    }
    if (FHook) F->RemoveWindowHook(FHook);
    if (F->HandleAllocated() && !RTEmpty) {
      if (FRegionApplied) SetWindowRgn(F->Handle(), nullptr, FALSE);
      SetSysMenuStyle(false);
    }
  }
  TComponent::BeforeDestruction();
}

TsSkinProvider::~TsSkinProvider() = default;

bool TsSkinProvider::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "AllowAnimation")
    AllowAnimation = Value.AsBool();
  else if (Name == "AllowExtBorders")
    AllowExtBorders = Value.AsBool();
  else if (Name == "AllowBlendOnMoving")
    AllowBlendOnMoving = Value.AsBool();
  else if (Name == "CaptionAlignment")
    CaptionAlignment =
        TAlignment(Value.AsIdentIndex({"taLeftJustify", "taRightJustify", "taCenter"}));
  else if (Name == "DrawNonClientArea")
    DrawNonClientArea = Value.AsBool();
  else if (Name == "DrawClientArea")
    DrawClientArea = Value.AsBool();
  else if (Name == "GripMode")
    GripMode = TsGripMode(Value.AsIdentIndex({"gmNone", "gmRightBottom"}));
  else if (Name == "MakeSkinMenu")
    MakeSkinMenu = Value.AsBool();
  else if (Name == "MenuLineSkin")
    MenuLineSkin = WideToUtf8(Value.AsString());
  else if (Name == "ResizeMode")
    ResizeMode = TsResizeMode(Value.AsIdentIndex({"rmStandard", "rmBorder"}));
  else if (Name == "ScreenSnap")
    ScreenSnap = Value.AsBool();
  else if (Name == "SnapBuffer")
    SnapBuffer = Value.AsInt();
  else if (Name == "ShowAppIcon")
    ShowAppIcon = Value.AsBool();
  else if (Name == "TitleSkin")
    TitleSkin = WideToUtf8(Value.AsString());
  else if (Name == "UseGlobalColor")
    UseGlobalColor = Value.AsBool();
  else if (Name == "TitleButtons")
    return ReadTitleButtons(Value);
  else if (Name == "TitleIcon.Width")
    TitleIcon.Width = Value.AsInt();
  else if (Name == "TitleIcon.Height")
    TitleIcon.Height = Value.AsInt();
  else if (Name == "TitleIcon.Visible")
    TitleIcon.Visible = Value.AsBool();
  else if (Name == "TitleIcon.Glyph.Data") {
    // The glyph becomes 32 bits: the fuchsia key transparent, every other pixel opaque.
    TitleIcon.Glyph = DecodeGlyphData(Value, nullptr);
    for (int y = 0; y < TitleIcon.Glyph.Height(); ++y)
      for (int x = 0; x < TitleIcon.Glyph.Width(); ++x) {
        uint32_t& P = TitleIcon.Glyph.Pixel(x, y);
        P = (P & 0xFFFFFF) == 0xFF00FF ? 0 : (P | 0xFF000000u);
      }
  } else if (Name == "AddedTitle.Text")
    AddedTitle.Text = Value.AsString();
  else if (Name == "AddedTitle.ShowMainCaption")
    AddedTitle.ShowMainCaption = Value.AsBool();
  else if (Name == "AddedTitle.Font.Color") {
    TColor C = clNone;
    if (Value.Kind == TDefValue::vkIdent ? !ColorFromIdent(Value.Ident, C) : false)
      Value.FailUnknown();
    AddedTitle.Font.SetColor(Value.Kind == TDefValue::vkIdent ? C : TColor(Value.AsInt()));
  } else if (Name == "AddedTitle.Font.Name")
    AddedTitle.Font.SetName(Value.AsString());
  else if (Name == "AddedTitle.Font.Height")
    AddedTitle.Font.SetHeight(Value.AsInt());
  else if (Name.compare(0, 9, "SkinData.") == 0) {
    if (Name == "SkinData.SkinSection")
      FCommonData->SetSkinSection(WideToUtf8(Value.AsString()));
    else if (Name == "SkinData.CustomColor")
      FCommonData->SetCustomColor(Value.AsBool());
    else if (Name == "SkinData.CustomFont")
      FCommonData->SetCustomFont(Value.AsBool());
    else
      return false;
  } else
    return TComponent::ReadProperty(Name, Value);
  return true;
}

bool TsSkinProvider::ReadTitleButtons(const TDefValue& Value) {
  if (Value.Kind != TDefValue::vkCollection)
    throw EDefValueError(L"Collection expected", Value.Line);
  TitleButtons.Clear();
  for (const auto& Item : Value.Collection) {
    TsTitleButton& B = TitleButtons.Add();
    for (const auto& [Key, V] : Item)
      if (!B.ReadProperty(Key, V))
        throw EDefValueError(L"unknown property \"" + Utf8ToWide(Key) + L"\" of an item", V.Line,
                             "TitleButtons");
  }
  return true;
}

bool TsSkinProvider::Skinned() const {
  return !RTEmpty && FForm.Get() && FCommonData->Skinned();
}

HWND TsSkinProvider::OwnerHandle() const {
  TForm* F = FForm.Get();
  return F && F->HandleAllocated() ? F->Handle() : nullptr;
}

bool TsSkinProvider::PaintingSuspended() const {
  return FCommonData->FUpdating || (FCommonData->CtrlSkinState & cssUpdating);
}

// ---------------------------------------------------------------------------------------------
// Set-up

void TsSkinProvider::LoadInit() {
  PrepareForm();
}

void TsSkinProvider::SetSysMenuStyle(bool SkinnedFrame) {
  HWND W = OwnerHandle();
  TForm* F = FForm.Get();
  if (!W || !F) return;
  LONG Style = GetWindowLongW(W, GWL_STYLE);
  LONG Wanted = Style;
  if (SkinnedFrame)
    Wanted &= ~LONG(WS_SYSMENU);
  else if (F->BorderIcons() & biSystemMenu && F->BorderStyle() != bsNone)
    Wanted |= WS_SYSMENU;
  if (Wanted != Style) SetWindowLongW(W, GWL_STYLE, Wanted);
}

void TsSkinProvider::PrepareForm() {
  HWND W = OwnerHandle();
  if (RTInit || RTEmpty || !W || !FCommonData->SkinManager() ||
      !FCommonData->SkinManager()->Active())
    return;
  FCommonData->Loaded();
  // The system gives the window's menu only while WS_SYSMENU is set.
  if (!FSystemMenu)
    FSystemMenu = std::make_unique<TsSystemMenu>(FForm.Get(), GetSystemMenu(W, FALSE));
  SetSysMenuStyle(DrawNonClientArea);
  const TsSkinModel* Sm = Model();
  FTitleSkinIndex =
      Sm ? Sm->GetSkinIndex(TitleSkin.empty() ? "FORMTITLE" : UpperCaseAscii(TitleSkin)) : -1;
  FCaptionSkinIndex = Sm ? Sm->GetSkinIndex("CAPTION") : -1;
  InitButtons();
  RegionChanged = true;
  TForm* F = FForm.Get();
  if (UseGlobalColor && !FCommonData->CustomColor() && Sm && !F->IsLoading())
    F->SetColor(Sm->GetGlobalColor());
  // The caption font: the system's, in the character set of the form's font.
  NONCLIENTMETRICSW Metrics{};
  Metrics.cbSize = sizeof(Metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0)) {
    Metrics.lfCaptionFont.lfCharSet = BYTE(F->Font().Charset());
    Metrics.lfCaptionFont.lfWeight = FW_BOLD;
    FCaptionFont = TFontHandle(CreateFontIndirectW(&Metrics.lfCaptionFont));
  }
  FCommonData->BGChanged = true;
  if (F->Showing()) UpdateBorderForm();
  InitMenuItems(true);
  ScanControls();
}

void TsSkinProvider::ScanControls(TWinControl* Owner) {
  TForm* F = FForm.Get();
  if (!F || F->IsDestroying() || F->IsDesigning() || RTEmpty || !Skinned()) return;
  if (!FAdapter) FAdapter = std::make_unique<TkvCtrlAdapter>(this);
  FAdapter->AddAllItems(Owner);
}

namespace {

// The title band of the image: the frame's top and the caption rows; the extended title
// includes the top frame and ends where the client area begins.
TRect TitleBand(const TFormLayout& L) {
  int Height = L.Extended ? L.CaptionHeight : L.Frame + L.CaptionHeight;
  return {L.Body.Left, L.Body.Top, L.Body.Right, std::min(L.Body.Bottom, L.Body.Top + Height)};
}

} // namespace

int TsSkinProvider::TitleIndex() const {
  return ValidSection(Model(), FTitleSkinIndex) ? FTitleSkinIndex : -1;
}

void SelectCaptionButtonImages(const TsSkinModel& Sm, bool Big, bool CloseAlone,
                               TsCaptionButton& Min, TsCaptionButton& Max, TsCaptionButton& Close,
                               TsCaptionButton& Help) {
  auto Mask = [&](const char* Name) {
    return Sm.GetMaskIndex(Sm.ConstData.IndexGLobalInfo, "GLOBALINFO", Name);
  };
  Min.HitCode = htMinButtonCode;
  Max.HitCode = htMaxButtonCode;
  Close.HitCode = htCloseCode;
  Help.HitCode = htHelpCode;
  auto BigImages = [&] {
    Min.ImageIndex = Mask("BICONMIN");
    Max.ImageIndex = Mask("BICONMAX");
    Help.ImageIndex = Mask("BICONHELP");
    Min.HaveAlignment = Max.HaveAlignment = Close.HaveAlignment = true;
  };
  if (Big) {
    BigImages();
    int AloneClose = CloseAlone ? Mask("BICLOSEALONE") : -1;
    Close.ImageIndex = AloneClose >= 0 ? AloneClose : Mask("BICONCLOSE");
    Help.HaveAlignment = false;
  } else {
    Close.ImageIndex = Mask("SICONCLOSE");
    Min.ImageIndex = Mask("SICONMIN");
    Max.ImageIndex = Mask("SICONMAX");
    int SmallHelp = Mask("SICONHELP");
    Help.ImageIndex = SmallHelp >= 0 ? SmallHelp : Mask("BICONHELP");
    Min.HaveAlignment = Max.HaveAlignment = Close.HaveAlignment = Help.HaveAlignment = false;
  }
  // A skin without small images: the big ones.
  if (Close.ImageIndex < 0) {
    BigImages();
    Close.ImageIndex = Mask("BICONCLOSE");
    Help.HaveAlignment = true;
  }
  for (TsCaptionButton* B : {&Min, &Max, &Close, &Help})
    if (B->State < 0) B->State = 0;
}

int ShowCaptionButtonGlow(TsSkinManager& M, const TsSkinModel& Sm, TCaptionButtonKind Kind,
                          const TsCaptionButton& B, const TRect& ScreenRect, HWND Owner) {
  if (B.GlowID >= 0 || !ValidMask(&Sm, B.ImageIndex)) return B.GlowID;
  int Size = 0, Margin = 0;
  switch (Kind) {
  case cbClose:
    Size = Sm.SkinData.BICloseGlow;
    Margin = Sm.SkinData.BICloseGlowMargin;
    break;
  case cbMax:
    Size = Sm.SkinData.BIMaxGlow;
    Margin = Sm.SkinData.BIMaxGlowMargin;
    break;
  case cbMin:
    Size = Sm.SkinData.BIMinGlow;
    Margin = Sm.SkinData.BIMinGlowMargin;
    break;
  default: break;
  }
  if (Size <= 0) return -1;
  TkvGlowRequest Q;
  Q.R = ScreenRect;
  Q.Section = "GLOBALINFO";
  Q.Name = Sm.ma[size_t(B.ImageIndex)].PropertyName + "GLOW";
  Q.Margin = Margin;
  Q.Owner = Owner;
  return ShowGlow(M, Q);
}

std::vector<TRect> FormCornerCut(const TsSkinModel& Sm, const TsMaskData* Border, int TitleIndex,
                                 int Width, int Height) {
  std::vector<TRect> Cut;
  if (Border) {
    AddTransparentCornerRects(Sm, Cut, Width, *Border, false, 0);
    AddTransparentCornerRects(Sm, Cut, Width, *Border, true, Height - Border->WB);
  }
  if (ValidSection(&Sm, TitleIndex)) {
    int Mask = Sm.gd[size_t(TitleIndex)].BorderIndex;
    if (ValidMask(&Sm, Mask))
      AddTransparentCornerRects(Sm, Cut, Width, Sm.ma[size_t(Mask)], false, 0);
  }
  return Cut;
}

TRegion FormWindowRegion(const TFormGeometryInput& In, const TFormLayout& L,
                         const std::vector<TRect>& Cut) {
  // With the border window the window shows only its client part (and the form's own border
  // ring); the frame lies in the border window.
  TRect Ring = L.Client;
  Ring.Inflate(In.FormBorderWidth, In.FormBorderWidth);
  // A menu bar lies between the caption and the client part, in the window too.
  if (!L.MenuLineWindow.IsEmpty()) Ring.Top = std::min(Ring.Top, L.MenuLineWindow.Top);
  TRegion Rgn = L.Extended ? RectRegion(RECT{Ring.Left, Ring.Top, Ring.Right, Ring.Bottom})
                : In.Zoomed
                    ? RectRegion(RECT{L.Frame, L.Frame, In.Width - L.Frame, In.Height - L.Frame})
                    : RectRegion(RECT{0, 0, L.CaptionWidth, In.Height});
  for (const TRect& C : Cut) {
    TRegion Piece = RectRegion(RECT{C.Left, C.Top, C.Right, C.Bottom});
    CombineRgn(Rgn, Rgn, Piece, RGN_DIFF);
  }
  return Rgn;
}

void TsSkinProvider::InitButtons() {
  TForm* F = FForm.Get();
  const TsSkinModel* Sm = Model();
  if (!F || !Sm || Sm->ConstData.IndexGLobalInfo < 0) return;
  FBigButtons = F->BorderStyle() == bsSingle || F->BorderStyle() == bsSizeable;
  auto Mask = [&](const char* Name) {
    return Sm->GetMaskIndex(Sm->ConstData.IndexGLobalInfo, "GLOBALINFO", Name);
  };
  bool Alone = !FSystemMenu || (!FSystemMenu->VisibleMax() && !FSystemMenu->VisibleMin());
  SelectCaptionButtonImages(*Sm, FBigButtons, Alone, ButtonMin, ButtonMax, ButtonClose, ButtonHelp);
  UserBtnIndex = Mask("TITLEBUTTON");
  for (int i = 0; i < TitleButtons.Count(); ++i) {
    TsTitleButton& U = TitleButtons.Items(i);
    U.Data.ImageIndex = U.UseSkinData ? UserBtnIndex : -1;
    U.Data.HitCode = unsigned(htUserButtonBase + i);
    if (U.Data.State < 0) U.Data.State = 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Geometry

TFormGeometryInput TsSkinProvider::GeometryInput() const {
  TFormGeometryInput In;
  TForm* F = FForm.Get();
  HWND W = OwnerHandle();
  if (!F) return In;
  In.Width = F->Width();
  In.Height = F->Height();
  if (W) {
    RECT R;
    GetWindowRect(W, &R);
    In.Width = R.right - R.left;
    In.Height = R.bottom - R.top;
    LONG Style = GetWindowLongW(W, GWL_STYLE);
    In.ThickFrame = Style & WS_THICKFRAME;
    In.HasBorder = Style & WS_BORDER;
    In.HasCaption = (Style & WS_CAPTION) == WS_CAPTION;
    In.IsChild = Style & WS_CHILD;
    In.Iconic = IsIconic(W);
    In.Zoomed = IsZoomed(W);
  }
  In.Border = BorderKindOf(F->BorderStyle());
  In.MenuHeight = MenuHeight();
  const TSysFrameMetrics& Metrics = SysFrameMetrics();
  In.CXFrame = Metrics.CXFrame;
  In.CXDlgFrame = Metrics.CXDlgFrame;
  In.CYCaption = Metrics.CYCaption;
  In.CYSmCaption = Metrics.CYSmCaption;
  const TsSkinModel* Sm = Model();
  if (Sm) {
    In.BILeftMargin = Sm->SkinData.BILeftMargin;
    In.BIRightMargin = Sm->SkinData.BIRightMargin;
    In.BITopMargin = Sm->SkinData.BITopMargin;
    In.BISpacing = Sm->SkinData.BISpacing;
    In.BIVAlign = Sm->SkinData.BIVAlign;
    In.HasCaptionSection = ValidSection(Sm, FCaptionSkinIndex);
    auto Size = [&](const TsCaptionButton& B) { return FrameSizeOf(*Sm, B.ImageIndex); };
    In.ButtonSize = {Size(ButtonClose), Size(ButtonMax), Size(ButtonMin), Size(ButtonHelp)};
  }
  In.ButtonAligned[cbClose] = ButtonClose.HaveAlignment;
  In.ButtonAligned[cbMax] = ButtonMax.HaveAlignment;
  In.ButtonAligned[cbMin] = ButtonMin.HaveAlignment;
  In.ButtonAligned[cbHelp] = ButtonHelp.HaveAlignment;
  bool SysMenu = FSystemMenu && (F->BorderIcons() & biSystemMenu);
  In.HasSystemMenu = SysMenu;
  In.ShowMax = FSystemMenu && FSystemMenu->VisibleMax();
  In.ShowMin = FSystemMenu && FSystemMenu->VisibleMin();
  In.ShowHelp = SysMenu && (F->BorderIcons() & biHelp);
  In.IconAllowed = TitleIcon.Visible && ShowAppIcon && SysMenu && FSystemMenu->WindowMenu() &&
                   (F->BorderStyle() == bsSingle || F->BorderStyle() == bsSizeable);
  In.IconWidth = TitleIcon.Width;
  In.IconHeight = TitleIcon.Height;
  if (int Users = std::min(TitleButtons.Count(), MaxUserButtons); Users > 0) {
    int Face = 21;
    if (Sm && ValidMask(Sm, UserBtnIndex)) Face = FrameSizeOf(*Sm, UserBtnIndex).cx;
    if (Face <= 0) Face = 21;
    In.UserButtons.resize(size_t(Users));
    for (int i = 0; i < Users; ++i) {
      const TsTitleButton& U = TitleButtons.Items(i);
      int GlyphW = U.Glyph().IsEmpty() ? 0 : U.Glyph().Width() + 2;
      In.UserButtons[size_t(i)] = {std::max(GlyphW, Face), U.Visible(), U.Enabled()};
    }
  }
  if (FBorderForm && Sm) {
    In.ExBorders = true;
    In.ExBorderWidth = Sm->SkinData.ExBorderWidth;
    In.ExTitleHeight = Sm->SkinData.ExTitleHeight;
    In.ExMaxHeight = Sm->SkinData.ExMaxHeight;
    In.ExCenterOffs = Sm->SkinData.ExCenterOffs;
    In.SysExHeight = In.Zoomed && In.ExMaxHeight > In.CYCaption;
    if (TsSkinManager* M = FCommonData->SkinManager()) In.Shadow = M->FormShadowSize();
  }
  return In;
}

TFormLayout TsSkinProvider::Layout() const {
  return ComputeFormLayout(GeometryInput());
}

int TsSkinProvider::BorderWidth() const {
  return Layout().BorderWidth;
}
int TsSkinProvider::CaptionWidth() const {
  return Layout().CaptionWidth;
}
int TsSkinProvider::CaptionHeight() const {
  return Layout().CaptionHeight;
}
int TsSkinProvider::HeaderHeight() const {
  return Layout().HeaderHeight;
}
int TsSkinProvider::SysFrame() const {
  return FrameWidthOf(GeometryInput());
}
TRect TsSkinProvider::IconRect() const {
  return Layout().IconRect;
}

TRect TsSkinProvider::ShadowSize() const {
  TsSkinManager* M = FCommonData->SkinManager();
  return FBorderForm && M ? M->FormShadowSize() : TRect{};
}

int TsSkinProvider::OffsetX() const {
  if (FBorderForm) return Layout().ClientOffset.X;
  HWND W = OwnerHandle();
  if (!W) return 0;
  RECT WR, CR;
  GetWindowRect(W, &WR);
  GetClientRect(W, &CR);
  return ((WR.right - WR.left) - CR.right) / 2;
}

int TsSkinProvider::OffsetY() const {
  if (FBorderForm) return Layout().ClientOffset.Y;
  HWND W = OwnerHandle();
  if (!W) return 0;
  RECT WR, CR;
  GetWindowRect(W, &WR);
  GetClientRect(W, &CR);
  int Border = (GetWindowLongW(W, GWL_STYLE) & WS_BORDER) ? Layout().BorderHeight : 0;
  return (WR.bottom - WR.top) - CR.bottom - Border;
}

TColor TsSkinProvider::FormColor() const {
  const TsGeneralData* S = FCommonData->Section();
  if (Skinned() && S && !FCommonData->CustomColor())
    return FormActive && S->States > 1 ? S->HotColor : S->Color;
  TForm* F = FForm.Get();
  return F ? F->Color() : TColor(clBtnFace);
}

int TsSkinProvider::HitTestImage(TPoint P) {
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  int Code = FormHitTest(L, In, P);
  if (Code == htMaxButtonCode && FSystemMenu && !FSystemMenu->EnabledMax())
    Code = (!FSystemMenu->EnabledRestore() || In.Iconic) ? htCaptionCode : htMaxButtonCode;
  if (Code == htMinButtonCode && FSystemMenu && !FSystemMenu->EnabledMin() && !In.Iconic)
    Code = htCaptionCode;
  return Code;
}

void TsSkinProvider::SetHotHT(int Code, bool Repaint) {
  if (Code == CurrentHT || !DrawNonClientArea) return;
  if (TsTitleButton* U = UserButtonOf(CurrentHT)) U->HintWnd.reset();
  if (TsCaptionButton* Old = ButtonOf(CurrentHT); Old && Old->State != 0) {
    Old->State = 0;
    if (Repaint) RepaintButton(*Old);
  }
  if (TsCaptionButton* Old = ButtonOf(CurrentHT)) HideGlow(Old->GlowID);
  CurrentHT = Code;
  if (ButtonPressed() || Code < 1) return;
  if (TsCaptionButton* New = ButtonOf(Code)) {
    New->State = 1;
    if (Repaint) RepaintButton(*New);
    ShowCaptionGlow(*New);
    if (TsTitleButton* U = UserButtonOf(Code); U && !U->Hint.empty() && OwnerHandle())
      U->HintWnd = std::make_unique<TkvCaptionHint>(OwnerHandle(), U->Hint);
  }
}

void TsSkinProvider::SetPressedHT(int Code) {
  if (TsCaptionButton* Old = ButtonOf(PressedHT ? PressedHT : CurrentHT); Old && Old->State != 0) {
    Old->State = 0;
    RepaintButton(*Old);
  }
  PressedHT = 0;
  TsCaptionButton* B = ButtonOf(Code);
  if (!B) return;
  // A disabled maximize is pressed only to restore a maximized window.
  if (B == &ButtonMax && FSystemMenu && !FSystemMenu->EnabledMax() &&
      !(IsZoomed(OwnerHandle()) && FSystemMenu->EnabledRestore()))
    return;
  B->State = 2;
  PressedHT = Code;
  CurrentHT = Code;
  RepaintButton(*B);
}

TPoint TsSkinProvider::SysMenuPoint() const {
  RECT WR{};
  GetWindowRect(OwnerHandle(), &WR);
  TFormLayout L = Layout();
  int Icon = L.IconRect.IsEmpty() ? 16 : L.IconRect.Height();
  return {WR.left + L.Frame, WR.top + L.BorderHeight + Icon + L.Frame};
}

void TsSkinProvider::DropSysMenu(int X, int Y) {
  HWND W = OwnerHandle();
  if (!FSystemMenu || !W) return;
  SetHotHT(0, true);
  PressedHT = 0;
  TsSkinManager* M = FCommonData->SkinManager();
  if (M && !M->SkinnedPopups) {
    DropWindowMenu(X, Y);
    return;
  }
  FSystemMenu->UpdateItems(FSystemMenu->ExtItemsCount > 0);
  if (MakeSkinMenu && M) MakeSkinItems(*M);
  // Measured and painted by the skin's menu painter.
  SkinableMenus().HookPopupMenu(*FSystemMenu, M != nullptr);
  // The chosen command may close the form: nothing here is touched after the menu.
  TsSystemMenu* Menu = FSystemMenu.get();
  Menu->Popup(X, Y, W);
}

void TsSkinProvider::MakeSkinItems(TsSkinManager& M) {
  TMenuItem& Root = FSystemMenu->Items();
  for (int i = Root.Count() - 1; i >= 0; --i)
    if (Root.Items(i)->Name() == L"SkinSelectItem" || Root.Items(i)->Name() == L"kv_TopDiv")
      delete Root.Items(i);
  std::vector<std::wstring> Names;
  std::wstring First;
  M.GetSkinNames(Names, stAllSkins, First);
  if (Names.empty()) return;
  auto* Select = new TMenuItem(nullptr);
  Select->SetName(L"SkinSelectItem");
  Select->Caption = L"Dostupné skiny";
  TWeakRef<TsSkinManager> Manager(&M);
  for (size_t i = 0; i < Names.size(); ++i) {
    auto* Item = new TMenuItem(nullptr);
    Item->Caption = Names[i];
    Item->RadioItem = true;
    Item->Checked = Names[i] == M.SkinName();
    Item->Break = i > 0 && i % 20 == 0;
    Item->OnClick = [Manager](TComponent* Sender) {
      auto* Chosen = static_cast<TMenuItem*>(Sender);
      if (TsSkinManager* Mgr = Manager.Get()) Mgr->SetSkinName(SkinNameOfItem(Chosen->Caption));
    };
    Select->Add(Item);
  }
  Root.Insert(0, Select);
  auto* Line = new TMenuItem(nullptr);
  Line->SetName(L"kv_TopDiv");
  Line->Caption = L"-";
  Root.Insert(1, Line);
}

void TsSkinProvider::DropWindowMenu(int X, int Y) {
  HWND W = OwnerHandle();
  TsSystemMenu& Sm = *FSystemMenu;
  HMENU Menu = Sm.WindowMenu();
  if (!Menu) return;
  // The system repaints its caption when its menu changes while the window is visible.
  LONG Style = GetWindowLongW(W, GWL_STYLE);
  SetWindowLongW(W, GWL_STYLE, Style & ~WS_VISIBLE);
  bool Iconic = IsIconic(W) != FALSE, Normal = !Iconic && !IsZoomed(W);
  auto Enable = [Menu](UINT Command, bool On) {
    EnableMenuItem(Menu, Command, MF_BYCOMMAND | (On ? MF_ENABLED : MF_GRAYED));
  };
  Enable(SC_RESTORE, Sm.VisibleRestore() && Sm.EnabledRestore());
  Enable(SC_MOVE, Sm.EnabledMove() && !Iconic);
  Enable(SC_SIZE, Sm.VisibleSize() && Sm.EnabledSize() && Normal);
  Enable(SC_MINIMIZE, Sm.VisibleMin() && Sm.EnabledMin());
  Enable(SC_MAXIMIZE, Sm.VisibleMax() && Sm.EnabledMax());
  Enable(SC_CLOSE, Sm.VisibleClose());
  SetWindowLongW(W, GWL_STYLE, Style);
  UINT Command = UINT(TrackPopupMenu(Menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, X, Y, 0, W, nullptr));
  if (Command && IsWindow(W)) PostMessageW(W, WM_SYSCOMMAND, Command, 0);
}

void TsSkinProvider::ButtonAction(int Code) {
  HWND W = OwnerHandle();
  TWeakRef<TsSkinProvider> Self(this);
  switch (Code) {
  case htCloseCode:
    ButtonClose.State = 0;
    SendMessageW(W, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!Self) return;
    KillAnimations();
    FCommonData->BGChanged = true;
    SetHotHT(0, false);
    return;
  case htMaxButtonCode:
    if (FSystemMenu && !FSystemMenu->EnabledMax() &&
        (!IsZoomed(W) || !FSystemMenu->EnabledRestore()))
      return;
    SetHotHT(0, true);
    SendMessageW(W, WM_SYSCOMMAND, IsZoomed(W) ? SC_RESTORE : SC_MAXIMIZE, 0);
    if (Self && FSystemMenu) FSystemMenu->UpdateItems();
    return;
  case htMinButtonCode: {
    POINT P{};
    GetCursorPos(&P);
    RECT WR{};
    GetWindowRect(W, &WR);
    TPoint Origin = Layout().WindowOrigin;
    if (!ButtonMin.Rect.Contains(P.x - WR.left + Origin.X, P.y - WR.top + Origin.Y)) return;
    SetHotHT(0, true);
    bool Restore = IsIconic(W) && !(Application && Application->MainForm() == Form());
    SendMessageW(W, WM_SYSCOMMAND, Restore ? SC_RESTORE : SC_MINIMIZE, 0);
    if (!Self) return;
    FCommonData->BGChanged = true;
    RegionChanged = true;
    return;
  }
  case htHelpCode:
    SendMessageW(W, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
    if (!Self) return;
    SetHotHT(0, true);
    if (FSystemMenu) FSystemMenu->UpdateItems();
    RepaintNonClient();
    return;
  default:
    if (TsTitleButton* U = UserButtonOf(Code)) {
      // The handler may change the buttons or free the form: the button is found again.
      if (U->OnMouseUp) {
        POINT P{};
        GetCursorPos(&P);
        TsTitleButton::TMouseEvent Handler = U->OnMouseUp;
        Handler(*U, mbLeft, 0, P.x, P.y);
        if (!Self) return;
      }
      SetHotHT(0, true);
    }
    return;
  }
}

bool TsSkinProvider::CaptionMouse(TMessage& Message, const TWndNext& Default) {
  HWND W = OwnerHandle();
  TForm* F = Form();
  // The mouse handles the user buttons up to index 100.
  auto IsElement = [](int Code) {
    return Code == htMinButtonCode || Code == htMaxButtonCode || Code == htCloseCode ||
           Code == htHelpCode || (Code >= htUserButtonBase && Code <= htUserButtonBase + 100);
  };
  // The element under the cursor (image coordinates of the point given in screen ones).
  auto CodeAt = [&](TPoint Screen) {
    RECT WR{};
    GetWindowRect(W, &WR);
    TPoint Origin = Layout().WindowOrigin;
    return HitTestImage({Screen.X - WR.left + Origin.X, Screen.Y - WR.top + Origin.Y});
  };
  switch (Message.Msg) {
  case WM_NCMOUSEMOVE: {
    if (F->Enabled())
      if (TsSkinManager* M = FCommonData->SkinManager()) M->SetActiveControl(W);
    int Code = int(Message.WParam);
    if (IsElement(Code)) {
      if (!FTrackingNC) {
        TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE | TME_NONCLIENT, W, 0};
        FTrackingNC = TrackMouseEvent(&Track) != FALSE;
      }
      SetHotHT(Code, true);
      Message.Result = 0;
      return true;
    }
    SetHotHT(0, true);
    return false;
  }
  case WM_NCMOUSELEAVE:
  case CM_MOUSELEAVE:
    FTrackingNC = false;
    // While a caption element holds the mouse the leave is the capture's, not the user's.
    if (GetCapture() == W && ButtonPressed()) return false;
    // The client's leave comes when the mouse went up onto the caption: the element under
    // it stays hot.
    if (POINT P{}; CurrentHT > 0 && GetCursorPos(&P) && CodeAt({P.x, P.y}) == CurrentHT)
      return false;
    SetHotHT(-1, true);
    PressedHT = 0;
    return false;
  case WM_NCLBUTTONDOWN: {
    int Code = int(Message.WParam);
    if (IsElement(Code)) {
      // Never to the default handling: the system would track its own caption buttons.
      SetPressedHT(Code);
      if (PressedHT) SetCapture(W);
      Message.Result = 0;
      if (TsTitleButton* U = UserButtonOf(Code); U && U->OnMouseDown) {
        TPoint P = msg::TNCMouse(Message).ScreenPos;
        U->OnMouseDown(*U, mbLeft, 0, P.X, P.Y);
      }
      return true;
    }
    if (Code == HTSYSMENU) {
      SetHotHT(0, true);
      TsSkinManager* M = FCommonData->SkinManager();
      if (M && !M->SkinnedPopups) {
        // The system's menu waits until the click's own messages are through. The form may
        // go meanwhile, or its painting be suspended: then no menu.
        TWeakRef<TsSkinProvider> Self(this);
        DWORD Start = GetTickCount();
        MSG Pending;
        while (GetTickCount() - Start < 200) {
          if (!PeekMessageW(&Pending, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(5);
            continue;
          }
          if (Pending.message == WM_QUIT) {
            PostQuitMessage(int(Pending.wParam));
            break;
          }
          TranslateMessage(&Pending);
          DispatchMessageW(&Pending);
          if (!Self || !IsWindow(W)) return true;
        }
        if (!Self || !IsWindow(W) || PaintingSuspended()) return true;
      }
      TPoint P = SysMenuPoint();
      DropSysMenu(P.X, P.Y);
      Message.Result = 0;
      return true;
    }
    return false;
  }
  case WM_MOUSEMOVE: {
    // A held element shows pressed only while the mouse is over it.
    TsCaptionButton* B = ButtonOf(PressedHT);
    if (!B || GetCapture() != W) return false;
    DWORD Pos = GetMessagePos();
    int State = CodeAt({short(LOWORD(Pos)), short(HIWORD(Pos))}) == PressedHT ? 2 : 0;
    if (State != B->State) {
      B->State = State;
      RepaintButton(*B);
    }
    return false;
  }
  case WM_NCLBUTTONUP:
  case WM_LBUTTONUP: {
    if (!ButtonPressed()) {
      if (Message.Msg == WM_NCLBUTTONUP) SetHotHT(0, true);
      return false;
    }
    int Pressed = PressedHT;
    PressedHT = 0;
    if (GetCapture() == W) ReleaseCapture();
    DWORD Pos = GetMessagePos();
    int Code = CodeAt({short(LOWORD(Pos)), short(HIWORD(Pos))});
    TWeakRef<TsSkinProvider> Self(this);
    if (Code == Pressed) ButtonAction(Code);
    if (!Self) return true;
    if (TsCaptionButton* B = ButtonOf(Pressed); B && B->State == 2) {
      B->State = 0;
      RepaintButton(*B);
    }
    CurrentHT = 0;
    if (Code != Pressed && IsElement(Code)) SetHotHT(Code, true);
    Message.Result = 0;
    return true;
  }
  case WM_NCLBUTTONDBLCLK: {
    int Code = int(Message.WParam);
    if (Code == HTSYSMENU) {
      SendMessageW(W, WM_SYSCOMMAND, SC_CLOSE, 0);
      Message.Result = 0;
      return true;
    }
    if (Code == HTCAPTION && FSystemMenu && (F->BorderIcons() & biSystemMenu) &&
        (FSystemMenu->EnabledMax() || FSystemMenu->EnabledRestore())) {
      SendMessageW(W, WM_SYSCOMMAND, IsZoomed(W) || IsIconic(W) ? SC_RESTORE : SC_MAXIMIZE, 0);
      if (FSystemMenu) FSystemMenu->UpdateItems();
      Message.Result = 0;
      return true;
    }
    if (IsElement(Code)) {
      // A quick second click on an element is one more press.
      SetPressedHT(Code);
      if (PressedHT) SetCapture(W);
      Message.Result = 0;
      return true;
    }
    return false;
  }
  case WM_POPUPSYSTEMMENU: {
    // From the task bar: at the cursor. The main form on the task bar leaves it to the
    // manager's hook of the main window.
    if (TsSkinManager* M = DefaultManager;
        M && M->HookedForm() == F && Application && Application->MainFormOnTaskBar)
      return false;
    POINT P{};
    GetCursorPos(&P);
    DropSysMenu(P.x, P.y);
    Message.Result = 0;
    return true;
  }
  case WM_NCRBUTTONDOWN:
    if (Message.WParam == HTCAPTION || Message.WParam == HTSYSMENU) {
      Message.Result = 0;
      return true;
    }
    return false;
  case WM_NCRBUTTONUP:
    if ((Message.WParam == HTCAPTION || Message.WParam == HTSYSMENU) &&
        F->BorderStyle() != bsNone) {
      TPoint P = msg::TNCMouse(Message).ScreenPos;
      DropSysMenu(P.X, P.Y);
      Message.Result = 0;
      return true;
    }
    return false;
  default: (void)Default; return false;
  }
}

// ---------------------------------------------------------------------------------------------
// Rendering

void TsSkinProvider::LayoutButtons(const TFormLayout& L) {
  ButtonClose.Rect = L.Shown[cbClose] ? L.Buttons[cbClose] : TRect{};
  ButtonMax.Rect = L.Shown[cbMax] ? L.Buttons[cbMax] : TRect{};
  ButtonMin.Rect = L.Shown[cbMin] ? L.Buttons[cbMin] : TRect{};
  ButtonHelp.Rect = L.Shown[cbHelp] ? L.Buttons[cbHelp] : TRect{};
  for (int i = 0; i < TitleButtons.Count(); ++i)
    TitleButtons.Items(i).Data.Rect =
        size_t(i) < L.UserButtons.size() ? L.UserButtons[size_t(i)] : TRect{};
}

void TsSkinProvider::PaintAll() {
  TFormGeometryInput In = GeometryInput();
  Render(In, ComputeFormLayout(In));
}

void TsSkinProvider::Render(const TFormGeometryInput& In, const TFormLayout& L) {
  TForm* F = FForm.Get();
  const TsSkinModel* Sm = Model();
  if (!F || !Sm || !Skinned() || (FFormState & (fsBlending | fsHideCaptured))) return;
  if (L.CaptionWidth <= 0 || In.Height <= 0) return;
  TBitmap32* Image = FCommonData->CacheBmp();
  bool Fresh = !Image || Image->Width() != L.CaptionWidth || Image->Height() != L.ImageHeight;
  if (!FCommonData->BGChanged && !Fresh) return;
  FCommonData->PrepareCacheBmp();
  Image = FCommonData->CacheBmp();
  Image->SetSize(L.CaptionWidth, L.ImageHeight);
  LayoutButtons(L);
  RegionChanged = true;
  // The shadow margins of the extended border window start transparent.
  if (In.ExBorders) Image->Fill(0);
  TRect R = L.Body;
  const TsGeneralData& Form = *FCommonData->Section();
  int State = std::min(FormActive ? 1 : 0, std::max(0, Form.States - 1));
  PaintSection(*FCommonData, TCacheInfo{}, true, State, Image, {0, 0}, R);
  if (L.CaptionHeight > 0 && DrawNonClientArea) {
    PaintTitle(*Image, L);
    PaintCaption(*Image, L);
    // The band behind the buttons, for repainting one of them alone.
    FTempRect = {};
    for (const TsCaptionButton* B : {&ButtonClose, &ButtonMax, &ButtonMin, &ButtonHelp})
      if (!B->Rect.IsEmpty())
        FTempRect = FTempRect.IsEmpty() ? B->Rect
                                        : TRect{std::min(FTempRect.Left, B->Rect.Left),
                                                std::min(FTempRect.Top, B->Rect.Top),
                                                std::max(FTempRect.Right, B->Rect.Right),
                                                std::max(FTempRect.Bottom, B->Rect.Bottom)};
    FTempRect = FTempRect.Intersected(Image->BoundsRect());
    FTempBmp.SetSize(FTempRect.Width(), FTempRect.Height());
    for (int y = 0; y < FTempRect.Height(); ++y)
      for (int x = 0; x < FTempRect.Width(); ++x)
        FTempBmp.Pixel(x, y) = Image->Pixel(FTempRect.Left + x, FTempRect.Top + y);
    PaintBorderIcons(*Image);
  }
  if (!L.MenuLine.IsEmpty() && DrawNonClientArea) PaintMenuLine(*Image, L);
  GdiFlush();
  if (In.ExBorders) ComposeFormShadow(*Image, *Sm, FormActive);
  FCommonData->BGChanged = false;
  FFirstInitialized = true;
}

void TsSkinProvider::PaintTitle(TBitmap32& Image, const TFormLayout& L) {
  const TsSkinModel* Sm = Model();
  int Title = TitleIndex();
  if (Title >= 0) {
    const TsGeneralData& T = Sm->gd[size_t(Title)];
    int State = std::min(FormActive ? 1 : 0, std::max(0, T.States - 1));
    TRect Band = TitleBand(L);
    std::string Name = T.ClassName;
    PaintSectionByIndex(
        Title, Name, NewCacheInfo(&Image, 0, 0), Sm->GetTextureIndex(Title, Name, "PATTERN"),
        Sm->GetTextureIndex(Title, Name, "HOTPATTERN"), Sm, &Image, {0, 0}, Band, State, true);
  }
  PaintIcon(Image, L);
  // The skin's picture behind the caption buttons.
  int FormIndex = FCommonData->SkinIndex;
  int Bar = Sm->GetMaskIndex(FormIndex, FCommonData->SkinSection(), "TITLEBAR");
  if (ValidMask(Sm, Bar) && (L.Shown[cbClose] || L.Shown[cbMax] || L.Shown[cbMin])) {
    int FW = FrameSizeOf(*Sm, Bar).cx;
    TRect Band = TitleBand(L);
    TRect Area{Band.Right - (2 * FW + L.ButtonsWidth), Band.Top, Band.Right, Band.Bottom};
    if (Area.Left < Band.Left) Area.Left = Band.Left;
    PaintMaskBorders(*Sm, Image, Area, true,
                     FormActive ? 0 : std::min(1, Sm->ma[size_t(Bar)].ImageCount - 1),
                     Sm->ma[size_t(Bar)], NewCacheInfo(&Image, 0, 0));
  }
}

HICON TsSkinProvider::TitleIconHandle() const {
  HWND W = OwnerHandle();
  HICON I = W ? HICON(SendMessageW(W, WM_GETICON, ICON_SMALL, 0)) : nullptr;
  if (!I && W) I = HICON(SendMessageW(W, WM_GETICON, ICON_BIG, 0));
  if (!I && W) I = HICON(GetClassLongPtrW(W, GCLP_HICONSM));
  if (!I && Application && Application->MainForm() && Application->MainForm()->HandleAllocated())
    I = HICON(SendMessageW(Application->MainForm()->Handle(), WM_GETICON, ICON_SMALL, 0));
  if (!I) I = LoadIconW(nullptr, IDI_APPLICATION);
  return I;
}

void TsSkinProvider::PaintIcon(TBitmap32& Image, const TFormLayout& L) {
  TRect R = L.IconRect.Intersected(Image.BoundsRect());
  HDC DC = static_cast<HDC>(Image.NativeDC());
  if (R.IsEmpty() || !DC) return;
  if (const TBitmap32& G = TitleIcon.Glyph; !G.IsEmpty()) {
    // The form's own glyph, fitted to the icon rectangle and blended onto the band.
    const TRect& I = L.IconRect;
    for (int y = R.Top; y < R.Bottom; ++y)
      for (int x = R.Left; x < R.Right; ++x) {
        uint32_t S =
            G.Pixel((x - I.Left) * G.Width() / I.Width(), (y - I.Top) * G.Height() / I.Height());
        if (S >> 24) Image.Pixel(x, y) = BlendOver(S, Image.Pixel(x, y));
      }
    return;
  }
  GdiFlush();
  std::vector<uint32_t> Before;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      Before.push_back(Image.Pixel(x, y));
  DrawIconEx(DC, L.IconRect.Left, L.IconRect.Top, TitleIconHandle(), L.IconRect.Width(),
             L.IconRect.Height(), 0, nullptr, DI_NORMAL);
  GdiFlush();
  // The icon call leaves alpha undefined: unchanged pixels get their old value back, changed
  // ones become opaque.
  size_t i = 0;
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x, ++i) {
      uint32_t& P = Image.Pixel(x, y);
      if ((P & 0xFFFFFF) == (Before[i] & 0xFFFFFF))
        P = Before[i];
      else
        P |= 0xFF000000u;
    }
}

void TsSkinProvider::PaintCaption(TBitmap32& Image, const TFormLayout& L) {
  TForm* F = FForm.Get();
  const TsSkinModel* Sm = Model();
  std::wstring Text = AddedTitle.ShowMainCaption ? F->Caption() : std::wstring();
  const std::wstring& Added = AddedTitle.Text;
  HDC DC = static_cast<HDC>(Image.NativeDC());
  if (!DC) return;
  TRect R = L.TextRect;
  if (R.IsEmpty()) return;
  int Title = TitleIndex();
  if (ValidSection(Sm, FCaptionSkinIndex)) {
    const TsGeneralData& C = Sm->gd[size_t(FCaptionSkinIndex)];
    int State = std::min(FormActive ? 1 : 0, std::max(0, C.States - 1));
    TRect Behind = R;
    Behind.Inflate(4, 2);
    Behind = Behind.Intersected(Image.BoundsRect());
    if (!Behind.IsEmpty())
      PaintSectionByIndex(FCaptionSkinIndex, C.ClassName, NewCacheInfo(&Image, 0, 0), -1, -1, Sm,
                          &Image, {0, 0}, Behind, State, true);
  }
  if (Text.empty() && Added.empty()) return;
  TSavedDC Saved(DC);
  SetBkMode(DC, TRANSPARENT);
  UINT Flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
  SIZE AddedExtent{};
  if (!Added.empty()) {
    SelectObject(DC, AddedTitle.Font.Handle());
    GetTextExtentPoint32W(DC, Added.c_str(), int(Added.size()), &AddedExtent);
  }
  if (FCaptionFont) SelectObject(DC, FCaptionFont);
  SIZE Extent{};
  GetTextExtentPoint32W(DC, Text.c_str(), int(Text.size()), &Extent);
  int Whole = int(Extent.cx) + (Added.empty() ? 0 : int(AddedExtent.cx) + 4);
  if (CaptionAlignment == taRightJustify && Whole + 4 <= R.Width())
    R.Left = R.Right - (Whole + 4);
  else if (CaptionAlignment == taCenter)
    R.Left = std::max(R.Left, R.Left + (R.Width() - Whole - 4) / 2);
  TRect TextR = R;
  R.Right = std::min(R.Right, R.Left + Whole + 4);
  if (Title >= 0) {
    const TsGeneralData& T = Sm->gd[size_t(Title)];
    int St = FormActive ? std::min(1, std::max(0, T.States - 1)) : 0;
    if (int Glow = T.Props[size_t(St)].GlowSize; Glow > 0)
      PaintTextGlow(Image, Text, R, FormActive ? FGlow1 : FGlow2, T.Props[size_t(St)].GlowColor,
                    Glow, 15, Flags);
  }
  if (!Text.empty())
    DrawSectionText(DC, Text, true, FCommonData->SkinManager(), FormActive ? 1 : 0, Title, Flags,
                    TextR);
  if (!Added.empty()) {
    // After the caption, in its own font; its colour is the title's unless it has one.
    TRect AddedR = TextR;
    AddedR.Left = std::min(TextR.Right, TextR.Left + int(Extent.cx) + (Text.empty() ? 0 : 4));
    TColor Own = AddedTitle.Font.Color();
    TColor Section = clBlack;
    if (Title >= 0) {
      const TsGeneralData& T = Sm->gd[size_t(Title)];
      Section = FormActive && T.States > 1 ? T.HotFontColor.Color : T.FontColor.Color;
    }
    TColor C = Own == clNone || Own == clWindowText ? Section : ColorToRGB(Own);
    if (!FormActive && !(Own == clNone || Own == clWindowText)) C = BlendColors(C, Section, 0.5);
    SelectObject(DC, AddedTitle.Font.Handle());
    SetTextColor(DC, ToColorRef(C));
    RECT Rr{AddedR.Left, AddedR.Top, AddedR.Right, AddedR.Bottom};
    DrawTextW(DC, Added.c_str(), int(Added.size()), &Rr, Flags);
  }
  R = TextR;
  GdiFlush();
  // GDI's text clears the alpha of the pixels it draws; the band behind the text is opaque.
  TRect Opaque = R.Intersected(L.Body);
  for (int y = Opaque.Top; y < Opaque.Bottom; ++y) {
    uint32_t* Row = Image.ScanLine(y);
    for (int x = Opaque.Left; x < Opaque.Right; ++x)
      Row[x] |= 0xFF000000u;
  }
}

bool TsSkinProvider::ButtonEnabled(const TsCaptionButton& B) const {
  if (&B == &ButtonClose) return FSystemMenu && FSystemMenu->VisibleClose();
  if (&B == &ButtonMax) return FSystemMenu && FSystemMenu->EnabledMax();
  if (&B == &ButtonMin) return FSystemMenu && FSystemMenu->EnabledMin();
  if (&B == &ButtonHelp) return true;
  const TsTitleButton* U = const_cast<TsSkinProvider*>(this)->UserButtonOf(B);
  return U && U->Enabled();
}

std::unique_ptr<TkvSBAnimation>& TsSkinProvider::FadeSlot(const TsCaptionButton& B) {
  if (&B == &ButtonClose) return FFades[cbClose];
  if (&B == &ButtonMax) return FFades[cbMax];
  if (&B == &ButtonMin) return FFades[cbMin];
  if (TsTitleButton* U = UserButtonOf(B)) return U->Fade;
  return FFades[cbHelp];
}

TkvSBAnimation* TsSkinProvider::FadeOf(const TsCaptionButton& B) const {
  return const_cast<TsSkinProvider*>(this)->FadeSlot(B).get();
}

void TsSkinProvider::KillAnimations() {
  for (auto& F : FFades)
    if (F) F->Stop();
  for (int i = 0; i < TitleButtons.Count(); ++i)
    if (TitleButtons.Items(i).Fade) TitleButtons.Items(i).Fade->Stop();
}

bool TsSkinProvider::FadesAllowed() const {
  TForm* F = FForm.Get();
  TsSkinManager* M = FCommonData->SkinManager();
  if (!F || F->Parent() || !M) return false;
  if (FFormState & (fsBlending | fsMinimizing | fsRestoring | fsHideCaptured)) return false;
  return M->Effects.AllowGlowing || FBorderForm;
}

void TsSkinProvider::StartButtonFade(TsCaptionButton& B) {
  auto& Fade = FadeSlot(B);
  if (!Fade) {
    TsCaptionButton* Btn = &B;
    TkvSBAnimation::TCallbacks C;
    C.Draw = [this, Btn](TBitmap32& Face, int State) {
      const TsSkinModel* Sm = Model();
      for (int y = 0; y < Face.Height(); ++y)
        for (int x = 0; x < Face.Width(); ++x) {
          int Ix = Btn->Rect.Left + x - FTempRect.Left, Iy = Btn->Rect.Top + y - FTempRect.Top;
          bool Inside = Ix >= 0 && Iy >= 0 && Ix < FTempBmp.Width() && Iy < FTempBmp.Height();
          Face.Pixel(x, y) = Inside ? FTempBmp.Pixel(Ix, Iy) : 0xFF000000u;
        }
      if (Sm && ValidMask(Sm, Btn->ImageIndex))
        DrawMaskImage(*Sm, Face, {0, 0}, State, NewCacheInfo(&Face, 0, 0),
                      Sm->ma[size_t(Btn->ImageIndex)], 1);
      if (const TsTitleButton* U = UserButtonOf(*Btn)) DrawUserGlyph(Face, *U, {0, 0}, State == 2);
    };
    C.Place = [this, Btn] {
      RECT WR{};
      GetWindowRect(OwnerHandle(), &WR);
      TPoint O = Layout().WindowOrigin;
      return Bounds(WR.left + Btn->Rect.Left - O.X, WR.top + Btn->Rect.Top - O.Y, Btn->Rect.Width(),
                    Btn->Rect.Height());
    };
    C.MouseAbove = [this, Btn] {
      POINT P{};
      GetCursorPos(&P);
      RECT WR{};
      GetWindowRect(OwnerHandle(), &WR);
      TPoint O = Layout().WindowOrigin;
      return Btn->Rect.Contains(P.x - WR.left + O.X, P.y - WR.top + O.Y);
    };
    Fade = std::make_unique<TkvSBAnimation>(OwnerHandle(), std::move(C));
  }
  // Hot and normal fade in ten steps, pressed shows at once.
  Fade->StartAnimation(B.State, B.State == 2 ? 1 : 10);
}

void TsSkinProvider::DrawButton(TBitmap32& Image, TsCaptionButton& B, bool Enabled) {
  const TsSkinModel* Sm = Model();
  if (B.Rect.IsEmpty() || !Sm) return;
  // Under a running fade the element keeps its normal face; the overlay shows the new one.
  TkvSBAnimation* Fade = FadeOf(B);
  int State = Fade && Fade->CurrentState >= 0 ? 0 : std::max(0, B.State);
  // The faint rendition for a disabled element, and for a normal one of an inactive form.
  int Mode = CaptionButtonMode(Enabled, State, FormActive);
  if (ValidMask(Sm, B.ImageIndex))
    DrawMaskImage(*Sm, Image, {B.Rect.Left, B.Rect.Top}, State, NewCacheInfo(&Image, 0, 0),
                  Sm->ma[size_t(B.ImageIndex)], Mode);
  if (const TsTitleButton* U = UserButtonOf(B))
    DrawUserGlyph(Image, *U, {B.Rect.Left, B.Rect.Top}, State == 2);
}

void TsSkinProvider::DrawUserGlyph(TBitmap32& Image, const TsTitleButton& U, TPoint Origin,
                                   bool Pressed) {
  const TBitmap32& G = U.Glyph();
  if (G.IsEmpty()) return;
  // Centred on the face, one pixel right and down while pressed.
  int X = Origin.X + (U.Data.Rect.Width() - G.Width()) / 2 + (Pressed ? 1 : 0);
  int Y = Origin.Y + (U.Data.Rect.Height() - G.Height()) / 2 + (Pressed ? 1 : 0);
  uint32_t Key = G.Pixel(0, G.Height() - 1) & 0xFFFFFF;
  for (int y = 0; y < G.Height(); ++y) {
    int Dy = Y + y;
    if (Dy < 0 || Dy >= Image.Height()) continue;
    for (int x = 0; x < G.Width(); ++x) {
      int Dx = X + x;
      if (Dx < 0 || Dx >= Image.Width()) continue;
      uint32_t S = G.Pixel(x, y);
      uint32_t& D = Image.Pixel(Dx, Dy);
      if (!U.GlyphHasAlpha()) {
        if ((S & 0xFFFFFF) != Key) D = S | 0xFF000000u;
        continue;
      }
      if (S >> 24) D = BlendOver(S, D);
    }
  }
}

void TsSkinProvider::PaintBorderIcons(TBitmap32& Image) {
  for (TsCaptionButton* B : {&ButtonClose, &ButtonMax, &ButtonMin, &ButtonHelp})
    DrawButton(Image, *B, ButtonEnabled(*B));
  for (int i = 0; i < TitleButtons.Count(); ++i) {
    TsTitleButton& U = TitleButtons.Items(i);
    if (U.Visible()) DrawButton(Image, U.Data, U.Enabled());
  }
}

TsCaptionButton* TsSkinProvider::ButtonOf(int Code) {
  switch (Code) {
  case htCloseCode: return &ButtonClose;
  case htMaxButtonCode: return &ButtonMax;
  case htMinButtonCode: return &ButtonMin;
  case htHelpCode: return &ButtonHelp;
  default: {
    TsTitleButton* U = UserButtonOf(Code);
    return U ? &U->Data : nullptr;
  }
  }
}

TsTitleButton* TsSkinProvider::UserButtonOf(int Code) {
  int i = Code - htUserButtonBase;
  if (i < 0 || i >= std::min(TitleButtons.Count(), MaxUserButtons)) return nullptr;
  return &TitleButtons.Items(i);
}

TsTitleButton* TsSkinProvider::UserButtonOf(const TsCaptionButton& B) {
  for (int i = 0; i < TitleButtons.Count(); ++i)
    if (&TitleButtons.Items(i).Data == &B) return &TitleButtons.Items(i);
  return nullptr;
}

void TsSkinProvider::TitleChanged() {
  if (FForm.Get() && (FForm.Get()->ComponentState() & csLoading)) return;
  InitButtons();
  FCommonData->BGChanged = true;
  if (OwnerHandle() && Skinned()) RepaintNonClient();
}

void TsSkinProvider::RepaintButton(TsCaptionButton& B) {
  TBitmap32* Image = FCommonData->CacheBmp();
  HWND W = OwnerHandle();
  if (!W || !Image || Image->IsEmpty() || B.Rect.IsEmpty() || FCommonData->BGChanged) {
    RepaintNonClient();
    return;
  }
  if (FadesAllowed() && ButtonEnabled(B)) StartButtonFade(B);
  // The band behind the element first, then the element in its state.
  TRect R = B.Rect.Intersected(FTempRect);
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      Image->Pixel(x, y) = FTempBmp.Pixel(x - FTempRect.Left, y - FTempRect.Top);
  DrawButton(*Image, B, ButtonEnabled(B));
  GdiFlush();
  if (FBorderForm) {
    FBorderForm->UpdateExBordersPos(true);
    return;
  }
  TFormLayout L = Layout();
  TWindowDC DC(W);
  CopyToScreen(DC, B.Rect.Left - L.WindowOrigin.X, B.Rect.Top - L.WindowOrigin.Y, B.Rect.Width(),
               B.Rect.Height(), static_cast<HDC>(Image->NativeDC()), B.Rect.Left, B.Rect.Top);
}

// ---------------------------------------------------------------------------------------------
// Region and frame

void TsSkinProvider::UpdateRegion(bool Redraw) {
  HWND W = OwnerHandle();
  const TsSkinModel* Sm = Model();
  if (!W || !Sm || !DrawNonClientArea || FRgnChanging) return;
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  bool Maximized = In.Zoomed;
  bool ClientOnly = L.Extended;
  std::vector<TRect> Cut;
  if (!Maximized && !ClientOnly)
    Cut = FormCornerCut(*Sm, FCommonData->BorderMask(), TitleIndex(), L.CaptionWidth, In.Height);
  TSize Size{In.Width, In.Height};
  // The same cut at the same size needs no new region.
  if (FRegionApplied && Cut == FArOR && Size == FRegionSize && !Maximized &&
      ClientOnly == FRegionClientOnly)
    return;
  TRegion Rgn = FormWindowRegion(In, L, Cut);
  FRgnChanging = true;
  // The system owns the region once it is set.
  if (SetWindowRgn(W, Rgn, Redraw)) (void)Rgn.Detach();
  FRgnChanging = false;
  FArOR = std::move(Cut);
  FRegionSize = Size;
  FRegionApplied = true;
  FRegionClientOnly = ClientOnly;
  RegionChanged = false;
}

void TsSkinProvider::NCPaint() {
  HWND W = OwnerHandle();
  if (!W || !Skinned()) return;
  if (RegionChanged && !FRgnChanging) UpdateRegion(false);
  FCommonData->FUpdating = false;
  if (!FCommonData->CacheBmp() || FCommonData->CacheBmp()->IsEmpty()) FCommonData->BGChanged = true;
  bool Rendered = FCommonData->BGChanged;
  // One layout for the image and the copies.
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  Render(In, L);
  TBitmap32* Image = FCommonData->CacheBmp();
  HDC Src = Image ? static_cast<HDC>(Image->NativeDC()) : nullptr;
  if (!Src) return;
  {
    TWindowDC DC(W);
    for (const auto& S : L.Strips)
      if (!S.Dst.IsEmpty())
        CopyToScreen(DC, S.Dst.Left, S.Dst.Top, S.Dst.Width(), S.Dst.Height(), Src, S.Src.X,
                     S.Src.Y);
  }
  UpdateBorderPosition(Rendered);
}

void TsSkinProvider::UpdateBorderPosition(bool Redraw) {
  if (FBorderForm) FBorderForm->UpdateExBordersPos(Redraw);
}

bool TsSkinProvider::WantsExtendedBorders() const {
  TForm* F = FForm.Get();
  TsSkinManager* M = FCommonData->SkinManager();
  if (!F || !M || !M->ExtendedBorders() || !AllowExtBorders || !DrawNonClientArea) return false;
  if (!Skinned() || F->Parent() || F->IsDestroying() || !LayeredWindowsAvailable()) return false;
  TFormGeometryInput In = GeometryInput();
  return HaveBorder(In) && !In.IsChild;
}

void TsSkinProvider::UpdateBorderForm() {
  bool Wanted = WantsExtendedBorders();
  if (Wanted == bool(FBorderForm)) return;
  if (Wanted)
    FBorderForm = std::make_unique<TkvBorderForm>(*this);
  else
    FBorderForm.reset();
  // The image, its client offset and the region all change with the border window.
  FCommonData->BGChanged = true;
  RegionChanged = true;
}

void TsSkinProvider::RepaintNonClient() {
  if (HWND W = OwnerHandle()) SendMessageW(W, WM_NCPAINT, 1, 0);
}

// ---------------------------------------------------------------------------------------------
// Client

void TsSkinProvider::PaintClient(HDC DC) {
  TForm* F = FForm.Get();
  HWND W = OwnerHandle();
  if (!F || !W || !DC) return;
  RECT CR;
  GetClientRect(W, &CR);
  if (FCommonData->CtrlSkinState & cssPlainFace) {
    FillSolid(DC, {0, 0, CR.right, CR.bottom}, FormColor());
  } else {
    if (!FCommonData->UrgentPainting) PaintAll();
    TBitmap32* Image = FCommonData->CacheBmp();
    if (!Image || Image->IsEmpty()) return;
    CopyCacheExceptChildWindows(W, *FCommonData, {OffsetX(), OffsetY(), 0, 0}, 0, 0, false, DC,
                                {0, 0, CR.right, CR.bottom});
  }
  PaintGraphicChildren(DC, F, true);
}

void TsSkinProvider::EraseClient(HDC DC) {
  TForm* F = FForm.Get();
  if (!F || !DC) return;
  TSavedDC Saved(DC);
  for (int i = 0; i < F->ControlCount(); ++i) {
    TControl* C = F->Controls(i);
    if (C->Visible() && !dynamic_cast<TWinControl*>(C))
      ExcludeClipRect(DC, C->Left(), C->Top(), C->Left() + C->Width(), C->Top() + C->Height());
  }
  PaintClient(DC);
}

void TsSkinProvider::AnswerBackground(TBackgroundInfo& Info) {
  TsCommonData& D = *FCommonData;
  if ((D.BGChanged && !D.FUpdating) || !D.CacheBmp() || D.CacheBmp()->IsEmpty()) PaintAll();
  const TsGeneralData* S = D.Section();
  int State = S ? std::min(FormActive ? 1 : 0, std::max(0, S->States - 1)) : 0;
  TPoint Wanted = Info.Offset;
  D.FillBackgroundInfo(Info, State, OwnerHandle());
  // The children lie in the client area: their offsets start at the client's place.
  if (Info.Kind == bkImage || Info.Bmp) {
    Info.Offset.X += OffsetX();
    Info.Offset.Y += OffsetY();
  }
  (void)Wanted;
  if (Info.FillRect.Right || Info.FillRect.Bottom || Info.FillRect.Left || Info.FillRect.Top) {
    Info.FillRect.Left = std::max(0, Info.FillRect.Left - OffsetX());
    Info.FillRect.Top = std::max(0, Info.FillRect.Top - OffsetY());
  }
}

// ---------------------------------------------------------------------------------------------
// Messages

bool TsSkinProvider::SkinCommandAnyState(TMessage& Message, const TWndNext& Default) {
  bool Ours = Message.LParam == LPARAM(FCommonData->SkinManager());
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    if (!Ours) return false;
    if (!FSystemMenu && !RTInit) PrepareForm();
    return false;
  case KV_SKINDROPPED:
    if (Ours) DropSkin();
    return true;
  case KV_ISSKINNED: Message.Result = 1; return true;
  case KV_QUERYPROVIDER: Message.Result = LRESULT(this); return true;
  case KV_QUERYBACKGROUND:
    if (!Skinned() || !Message.LParam) return false;
    AnswerBackground(*reinterpret_cast<TBackgroundInfo*>(Message.LParam));
    Message.Result = 1;
    return true;
  case KV_QUERYSKINSTATE:
    if ((FCommonData->CtrlSkinState & cssPlainMask) == cssUndecided)
      FCommonData->UpdatePlainState(false);
    Message.Result = FCommonData->CtrlSkinState;
    return true;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return true;
  case KV_QUERYCLIENTOFFSET:
    Message.Result = LRESULT((OffsetX() & 0xFFFF) | (OffsetY() << 16));
    return true;
  default: (void)Default; return false;
  }
}

void TsSkinProvider::DropSkin() {
  TForm* F = FForm.Get();
  TMessage Drop = SkinCommand(KV_SKINDROPPED, LPARAM(FCommonData->SkinManager()));
  CommonSkinCommand(Drop, FCommonData.get());
  FTitleSkinIndex = FCaptionSkinIndex = -1;
  KillAnimations();
  if (!F || F->IsDestroying()) return;
  FBorderForm.reset();
  SetSysMenuStyle(false);
  HWND W = OwnerHandle();
  if (W && FRegionApplied) {
    SetWindowRgn(W, nullptr, FALSE);
    FRegionApplied = false;
    FArOR.clear();
  }
  for (int i = 0; i < F->ControlCount(); ++i)
    if (auto* L = dynamic_cast<TLabel*>(F->Controls(i))) L->Font().SetColor(clWindowText);
  if (UseGlobalColor && !FCommonData->CustomColor()) F->SetColor(clBtnFace);
  InitMenuItems(false);
  SkinableMenus().SetActive(false);
  FCommonData->EmptyCache();
  if (W)
    SetWindowPos(W, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (W && IsWindowVisible(W))
    RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TsSkinProvider::ApplySkin() {
  FCommonData->UpdateIndexes();
  const TsSkinModel* Sm = Model();
  // The application's popup menus follow the skin being applied.
  SkinableMenus().SetActive(true);
  FTitleSkinIndex =
      Sm ? Sm->GetSkinIndex(TitleSkin.empty() ? "FORMTITLE" : UpperCaseAscii(TitleSkin)) : -1;
  FCaptionSkinIndex = Sm ? Sm->GetSkinIndex("CAPTION") : -1;
  if (!FSystemMenu) {
    PrepareForm();
  } else {
    SetSysMenuStyle(DrawNonClientArea);
    InitButtons();
  }
  FCommonData->BGChanged = true;
  RegionChanged = true;
  if (HWND W = OwnerHandle(); W && IsWindowVisible(W)) {
    UpdateRegion(false);
    RepaintNonClient();
  }
}

void TsSkinProvider::SkinCommandSkinned(TMessage& Message, const TWndNext& Default) {
  TsCommonData& D = *FCommonData;
  bool Ours = Message.LParam == LPARAM(D.SkinManager());
  HWND W = OwnerHandle();
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    if (Ours) ApplySkin();
    if (Ours) ScanControls();
    return;
  case KV_CONTROLADDED:
    ScanControls(dynamic_cast<TWinControl*>(reinterpret_cast<TComponent*>(Message.LParam)));
    return;
  case KV_REPAINTSKIN:
    if (!Ours) return;
    ScanControls();
    RegionChanged = true;
    // A form frozen for the repaint has redrawing off, which the system shows as invisible.
    if (W && Form()->Showing()) {
      D.BGChanged = true;
      D.FUpdating = false;
      UpdateBorderForm();
      UpdateRegion(false);
      RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
      RepaintPendingChildren(Form());
      UpdateBorderPosition(true);
    }
    return;
  case KV_RESUMEPAINT:
    if (D.FUpdating) {
      D.FUpdating = false;
      if (W) RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    return;
  case KV_SETSUSPENDED:
    D.FUpdating = SkinCommandFlag(Message.WParam) == 1;
    if (D.FUpdating) D.BGChanged = true;
    return;
  case KV_MARKBGCHANGED: D.BGChanged = true; return;
  case KV_SETURGENT:
    D.UrgentPainting = SkinCommandFlag(Message.WParam) == 1;
    if (D.UrgentPainting) PaintAll();
    return;
  case KV_ISSUSPENDED: Message.Result = Skinned() && D.FUpdating ? 1 : 0; return;
  case KV_ISPARENTDEPENDENT: {
    const TsGeneralData* S = D.Section();
    const TsMaskData* M = D.BorderMask();
    Message.Result = (S && S->GradientPercent + S->ImagePercent >= 1) || (M && (M->DrawMode & 4));
    return;
  }
  case KV_QUERYCOLOR: CommonSkinCommand(Message, &D); return;
  case KV_MOUSELEFT: SetHotHT(0, true); return;
  case KV_BEFORESCROLL:
  case KV_AFTERSCROLL:
    // A form whose background moves with it repaints everything after a scroll.
    if (W && D.RepaintIfMoved()) {
      bool After = SkinCommandCode(Message.WParam) == KV_AFTERSCROLL;
      SendMessageW(W, WM_SETREDRAW, After ? TRUE : FALSE, 0);
      if (After)
        RedrawWindow(W, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    return;
  case KV_TITLECHANGED:
    if (Message.LParam == 1) D.BGChanged = true;
    RepaintNonClient();
    return;
  default: Default(Message); return;
  }
}

void TsSkinProvider::WMNCActivate(TMessage& Message, const TWndNext& Default) {
  TForm* F = FForm.Get();
  if (!DrawNonClientArea || !OwnerHandle() || F->IsDestroying()) {
    Default(Message);
    return;
  }
  if (!FSystemMenu) PrepareForm();
  FFormState |= fsInActivation;
  bool Active = Message.WParam != 0;
  if (Active != FormActive) FCommonData->BGChanged = true;
  FormActive = Active;
  // The default handling, without the system's own repaint of the caption.
  TMessage Quiet = Message;
  Quiet.LParam = -1;
  Default(Quiet);
  Message.Result = Quiet.Result;
  FFormState &= ~unsigned(fsInActivation);
  RepaintNonClient();
}

void TsSkinProvider::WMSize(TMessage& Message, const TWndNext& Default) {
  TsCommonData& D = *FCommonData;
  HWND W = OwnerHandle();
  if (D.FUpdating) {
    RegionChanged = true;
    D.BGChanged = true;
    Default(Message);
    return;
  }
  FGlow1 = TGlowMask{};
  FGlow2 = TGlowMask{};
  Default(Message);
  TForm* F = FForm.Get();
  if (W && F && F->Showing() && IsWindowVisible(W)) {
    RegionChanged = true;
    D.BGChanged = true;
    UpdateRegion(false);
    RepaintNonClient();
    RECT CR;
    GetClientRect(W, &CR);
    bool Width = CR.right != FLastClientRect.Width(),
         Height = CR.bottom != FLastClientRect.Height();
    if (((D.BGType & bgtWidth) && Width) || ((D.BGType & bgtHeight) && Height) ||
        (D.BGType & bgtTexture))
      for (int i = 0; i < F->ControlCount(); ++i)
        SendSkinCommandTo(F->Controls(i), KV_INVALIDATEMOVED, 0, 1);
    RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  if (W) {
    RECT CR;
    GetClientRect(W, &CR);
    FLastClientRect = {0, 0, CR.right, CR.bottom};
  }
}

void TsSkinProvider::WMPrint(TMessage& Message, const TWndNext& Default) {
  HDC DC = reinterpret_cast<HDC>(Message.WParam);
  HWND W = OwnerHandle();
  if (!DC || !W) {
    Default(Message);
    return;
  }
  PaintAll();
  TBitmap32* Image = FCommonData->CacheBmp();
  HDC Src = Image ? static_cast<HDC>(Image->NativeDC()) : nullptr;
  if (!Src) {
    Default(Message);
    return;
  }
  TFormLayout L = Layout();
  if (Message.LParam & PRF_NONCLIENT)
    for (const auto& S : L.Strips)
      if (!S.Dst.IsEmpty())
        CopyToScreen(DC, S.Dst.Left, S.Dst.Top, S.Dst.Width(), S.Dst.Height(), Src, S.Src.X,
                     S.Src.Y);
  int X = OffsetX(), Y = OffsetY();
  {
    TSavedDC Saved(DC);
    POINT Org;
    GetViewportOrgEx(DC, &Org);
    if (Message.LParam & PRF_NONCLIENT) SetViewportOrgEx(DC, Org.x + X, Org.y + Y, nullptr);
    if (Message.LParam & (PRF_CLIENT | PRF_ERASEBKGND)) PaintClient(DC);
    // The windowed children, as the default handling prints them.
    if (Message.LParam & PRF_CHILDREN)
      for (HWND C = GetWindow(W, GW_CHILD); C; C = GetWindow(C, GW_HWNDNEXT)) {
        if (!IsWindowVisible(C)) continue;
        RECT CR;
        GetWindowRect(C, &CR);
        MapWindowPoints(nullptr, W, reinterpret_cast<POINT*>(&CR), 2);
        TSavedDC ChildSaved(DC);
        POINT O;
        GetViewportOrgEx(DC, &O);
        SetViewportOrgEx(DC, O.x + CR.left, O.y + CR.top, nullptr);
        SendMessageW(C, WM_PRINT, WPARAM(DC),
                     Message.LParam | PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
      }
  }
  Message.Result = 0;
}

void TsSkinProvider::WMQueryEndSession(TMessage& Message, const TWndNext& Default) {
  // Under the shutdown flag every fade ends at once; the wait for them is bounded.
  FadesForbidden() = true;
  if (EndAllFades) EndAllFades();
  if (Application && !Application->Terminated()) {
    DWORD Start = GetTickCount();
    while (RunningFades() > 0 && GetTickCount() - Start < 500)
      Application->ProcessMessages();
  }
  Default(Message);
}

void TsSkinProvider::WMWindowPosChanging(TMessage& Message, const TWndNext& Default) {
  TForm* F = FForm.Get();
  HWND W = OwnerHandle();
  auto* Pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
  if (FRgnChanging || F->IsLoading() || !Pos) {
    Default(Message);
    return;
  }
  if (Pos->flags & SWP_HIDEWINDOW) PrepareHide();
  RECT WR;
  GetWindowRect(W, &WR);
  bool Moves = !(Pos->flags & SWP_NOMOVE) && (Pos->x != WR.left || Pos->y != WR.top);
  if (ScreenSnap && Moves && !IsZoomed(W) && IsWindowVisible(W)) {
    MONITORINFO MI{};
    MI.cbSize = sizeof(MI);
    if (GetMonitorInfoW(MonitorFromWindow(W, MONITOR_DEFAULTTONEAREST), &MI)) {
      RECT A = F->FormStyle() == fsStayOnTop ? MI.rcMonitor : MI.rcWork;
      TRect Area{A.left, A.top, A.right, A.bottom};
      // The shadow of the border window may lie beyond the work area.
      if (FBorderForm) {
        TRect Sh = ShadowSize();
        const TsSkinModel* Sm = Model();
        int Offs = Sm ? Sm->SkinData.ExShadowOffs : 0;
        Area = {Area.Left - Sh.Left - Offs, Area.Top - Sh.Top - Offs, Area.Right + Sh.Right + Offs,
                Area.Bottom + Sh.Bottom + Offs};
      }
      int Width = Pos->flags & SWP_NOSIZE ? WR.right - WR.left : Pos->cx;
      int Height = Pos->flags & SWP_NOSIZE ? WR.bottom - WR.top : Pos->cy;
      TRect R = SnapToWorkArea(Bounds(Pos->x, Pos->y, Width, Height), Area, SnapBuffer);
      Pos->x = R.Left;
      Pos->y = R.Top;
    }
  }
  if (FBorderForm) {
    // A form stretched by a double click on the border window gets its size back when moved.
    FBorderForm->OwnerMoving(*Pos);
    // Shrinking: the border window's cut follows first, so no stale frame shows inside it.
    if (!(Pos->flags & SWP_NOSIZE) &&
        (Pos->cx < WR.right - WR.left || Pos->cy < WR.bottom - WR.top)) {
      FFormState |= fsResizingBorder;
      FBorderForm->MakeRgn(Pos->cx, Pos->cy);
      FFormState &= ~unsigned(fsResizingBorder);
    }
  }
  Default(Message);
}

void TsSkinProvider::WMWindowPosChanged(TMessage& Message, const TWndNext& Default) {
  Default(Message);
  HWND W = OwnerHandle();
  auto* Pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
  // Also after a change that did not hide: a cover taken for a refused hide goes.
  if (Pos && W) RunHideAnimation(W);
  if (!FBorderForm || !Pos || !W) return;
  if (Pos->flags & SWP_HIDEWINDOW) {
    FBorderForm->FreeForm();
    FCommonData->BGChanged = true;
    return;
  }
  if (!IsWindowVisible(W) || IsIconic(W) || (Pos->flags & (SWP_NOREDRAW | SWP_FRAMECHANGED)) ||
      (FFormState & fsBlending))
    return;
  UpdateBorderPosition(false);
}

void TsSkinProvider::WMSysCommand(TMessage& Message, const TWndNext& Default) {
  HWND W = OwnerHandle();
  UINT Command = UINT(Message.WParam & 0xFFF0);
  // Alt+Space drops the engine's system menu below the title icon.
  if (Command == SC_KEYMENU && Message.LParam == L' ' && FSystemMenu && DrawNonClientArea) {
    TPoint P = SysMenuPoint();
    DropSysMenu(P.X, IsIconic(W) ? P.Y - 16 : P.Y);
    Message.Result = 0;
    return;
  }
  if (EffectsSysCommand(Message, Default)) return;
  if (Command == SC_RESTORE && (FFormState & fsHideCaptured)) {
    FFormState &= ~unsigned(fsHideCaptured);
    Default(Message);
    return;
  }
  // A drag move starts from what the window shows now.
  if (Command == SC_MOVE && (Message.WParam & 0xF) == HTCAPTION && IsWindowVisible(W))
    RepaintNonClient();
  if (Command == SC_RESTORE && FBorderForm) FBorderForm->FreeForm();
  Default(Message);
  if (Command == SC_RESTORE && W && IsWindow(W)) {
    FCommonData->BGChanged = true;
    RegionChanged = true;
    if (GeometryInput().HasCaption) {
      UpdateBorderForm();
      RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      UpdateBorderPosition(true);
    } else if (FRegionApplied) {
      SetWindowRgn(W, nullptr, TRUE);
      FRegionApplied = false;
      FArOR.clear();
    }
  } else if (Command == SC_MINIMIZE && FBorderForm) {
    FBorderForm->FreeForm();
  }
}

void TsSkinProvider::WMStyleChanged(TMessage& Message, const TWndNext& Default) {
  Default(Message);
  TForm* F = FForm.Get();
  auto* Styles = reinterpret_cast<const STYLESTRUCT*>(Message.LParam);
  if (!F || !Styles) return;
  bool WantsClose = (F->BorderIcons() & biSystemMenu) != 0;
  if (FSystemMenu && FSystemMenu->VisibleClose() != WantsClose &&
      Message.WParam == WPARAM(GWL_STYLE)) {
    InitButtons();
    FCommonData->BGChanged = true;
    if (IsWindowVisible(OwnerHandle())) RepaintNonClient();
  } else if (Message.WParam == WPARAM(GWL_EXSTYLE) &&
             ((Styles->styleOld ^ Styles->styleNew) & WS_EX_LAYERED) &&
             !(FFormState & (fsBlending | fsMinimizing | fsRestoring))) {
    UpdateBorderPosition(true);
  }
}

namespace {

// The innermost visible, enabled windowed control of Parent under the screen point P.
HWND WindowedControlAt(HWND Parent, POINT P) {
  HWND Found = nullptr;
  for (HWND Level = Parent;;) {
    POINT Local = P;
    ScreenToClient(Level, &Local);
    HWND Child = ChildWindowFromPointEx(Level, Local, CWP_SKIPINVISIBLE | CWP_SKIPDISABLED);
    if (!Child || Child == Level) break;
    Found = Level = Child;
  }
  return Found;
}

} // namespace

void TsSkinProvider::WMMouseWheel(TMessage& Message, const TWndNext& Default) {
  Default(Message);
  if (Message.Result || GForwardingWheel) return;
  // Nobody took the wheel: the windowed control under the pointer gets it.
  POINT P{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
  HWND Target = WindowedControlAt(OwnerHandle(), P);
  if (!Target) return;
  struct TGuard {
    TGuard() { GForwardingWheel = true; }
    ~TGuard() { GForwardingWheel = false; }
  } Guard;
  Message.Result = SendMessageW(Target, WM_MOUSEWHEEL, Message.WParam, Message.LParam) & 0x7F;
}

void TsSkinProvider::AnnouncePreview() {
  TForm* F = FForm.Get();
  if (!GPreviewArmed || !F || !OwnerHandle()) return;
  if (Application && Application->MainForm() && Application->MainForm() != F) return;
  GPreviewArmed = false;
  GPreviewTarget = OwnerHandle();
  for (int i = 0; i < 101; ++i) {
    HWND Editor = FindWindowW(nullptr, L"Tesseras Editor");
    if (!Editor) break;
    DWORD_PTR Answer = 0;
    // A hung editor must not hang the program.
    if (!SendMessageTimeoutW(Editor, WM_EDITORLINK, 3, LPARAM(GPreviewTarget),
                             SMTO_ABORTIFHUNG | SMTO_BLOCK, 200, &Answer))
      break;
    if (Answer == 1) break;
  }
}

void TsSkinProvider::NewWndProc(TMessage& Message, const TWndNext& Default) {
  TForm* F = FForm.Get();
  if (!F || RTEmpty) {
    Default(Message);
    return;
  }
  if (Message.Msg == KV_SKINMSG && SkinCommandAnyState(Message, Default)) return;
  if (F->IsDestroying() || !Skinned()) {
    if (Message.Msg == KV_SKINMSG && SkinCommandCode(Message.WParam) == KV_SKINAPPLIED &&
        Message.LParam == LPARAM(FCommonData->SkinManager())) {
      ApplySkin();
      return;
    }
    Default(Message);
    return;
  }
  HWND W = OwnerHandle();
  // The border window forwards its mouse messages with wParam -1: the code is the frame's.
  if (FBorderForm && Message.WParam == WPARAM(-1) && Message.Msg >= WM_NCMOUSEMOVE &&
      Message.Msg <= WM_NCMBUTTONDBLCLK) {
    Message.WParam = WPARAM(FBorderForm->Ex_WMNCHitTest(msg::TNCMouse(Message).ScreenPos));
    if (Message.WParam == HTNOWHERE) {
      Message.Result = 0;
      return;
    }
  }
  if (DrawNonClientArea && FSystemMenu && CaptionMouse(Message, Default)) return;
  switch (Message.Msg) {
  case KV_SKINMSG: SkinCommandSkinned(Message, Default); return;
  case WM_NCHITTEST: {
    if (RTInit) {
      RTInit = false;
      LoadInit();
    }
    TFormGeometryInput In = GeometryInput();
    if (!In.HasCaption || !DrawNonClientArea) break;
    RECT WR;
    GetWindowRect(W, &WR);
    TPoint P = msg::TNCHitTest(Message).ScreenPos;
    TPoint Origin = ComputeFormLayout(In).WindowOrigin;
    int Code = HitTestImage({P.X - WR.left + Origin.X, P.Y - WR.top + Origin.Y});
    if (OwnHitCode(Code)) {
      Message.Result = Code;
      return;
    }
    break;
  }
  case WM_NCCALCSIZE: {
    if (!DrawNonClientArea || !Message.WParam || IsIconic(W)) break;
    auto* Params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
    RECT& R = Params->rgrc[0];
    // A bar that came, went or was made again needs the image painted anew.
    int MenuBar = MenuPresent() ? SystemMenuBarHeight(W, R) : 0;
    if (MenuBar > 0 || MenuBar != FMenuBarHeight) FCommonData->BGChanged = true;
    FMenuBarHeight = MenuBar;
    TFormGeometryInput In = GeometryInput();
    In.Width = R.right - R.left;
    In.Height = R.bottom - R.top;
    TFormLayout L = ComputeFormLayout(In);
    RECT Client{R.left + L.Client.Left, R.top + L.Client.Top, R.left + L.Client.Right,
                R.top + L.Client.Bottom};
    R = Client;
    Message.Result = 0;
    return;
  }
  case WM_NCPAINT: {
    if (!FSystemMenu && !RTInit) PrepareForm();
    if (!DrawNonClientArea) break;
    if (FCommonData->CtrlSkinState & (cssUpdating | cssProvider)) return;
    if (RTInit) {
      RTInit = false;
      LoadInit();
    }
    if (!F->Showing() || F->IsLoading() || !FSystemMenu) {
      Message.Result = 0;
      return;
    }
    if (!FCommonData->CacheBmp() || FCommonData->CacheBmp()->IsEmpty()) UpdateBorderForm();
    NCPaint();
    Message.Result = 0;
    return;
  }
  case WM_NCACTIVATE: WMNCActivate(Message, Default); return;
  case WM_SETTEXT: {
    // The system repaints its own caption in the default handling: a cover hides it.
    bool Visible = IsWindowVisible(W) && DrawNonClientArea;
    FGlow1 = TGlowMask{};
    FGlow2 = TGlowMask{};
    FCommonData->BGChanged = true;
    TkvCaptionCover Cover(*this);
    bool Covered = Visible && LockCount == 0 && FFirstInitialized && Cover.CoverCaption();
    Default(Message);
    FCommonData->BGChanged = true;
    if (Visible) RepaintNonClient();
    if (Covered) Cover.UncoverCaption();
    return;
  }
  case WM_NCLBUTTONDOWN: {
    // The border resize mode drags an outline (never with full-window dragging off).
    BOOL FullDrag = FALSE;
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &FullDrag, 0);
    int Code = int(Message.WParam);
    bool Sizing = Code >= HTLEFT && Code <= HTBOTTOMRIGHT;
    if (ResizeMode == rmBorder && FullDrag && F->Enabled() && !IsZoomed(W) &&
        (Code == HTCAPTION || Sizing)) {
      TkvOutlineDrag Drag(*this);
      Drag.Run(Code, msg::TNCMouse(Message).ScreenPos);
      Message.Result = 0;
      return;
    }
    if (Code == HTCAPTION && BlendOnMoving(Message, Default)) return;
    break;
  }
  case WM_SETICON:
    Default(Message);
    if (Message.LParam) {
      FCommonData->BGChanged = true;
      if (IsWindowVisible(W)) RepaintNonClient();
    }
    return;
  case WM_SIZE: WMSize(Message, Default); return;
  case WM_SETREDRAW: LockCount = Message.WParam ? std::max(0, LockCount - 1) : LockCount + 1; break;
  case WM_ERASEBKGND: {
    if (!DrawClientArea || !F->Showing()) break;
    if (FCommonData->FUpdating) {
      Message.Result = 1;
      return;
    }
    HDC DC = msg::TEraseBkgnd(Message).DC;
    if (LPARAM(DC) == Message.LParam)
      PaintClient(DC);
    else
      EraseClient(DC);
    Message.Result = 1;
    return;
  }
  case WM_PAINT: {
    if (!DrawClientArea) break;
    if (HDC Given = msg::TPaint(Message).DC) {
      PaintClient(Given);
    } else {
      TPaintDC DC(W);
      if (F->Showing()) PaintClient(DC);
    }
    Message.Result = 0;
    return;
  }
  case WM_PRINT: WMPrint(Message, Default); return;
  case WM_PRINTCLIENT: return;
  case WM_GETMINMAXINFO: {
    if (DrawNonClientArea && !F->Parent()) {
      auto* Info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
      int Frame = GetSystemMetrics(SM_CXFRAME);
      MONITORINFO MI{};
      MI.cbSize = sizeof(MI);
      HMONITOR Mon = MonitorFromWindow(W, MONITOR_DEFAULTTONEAREST);
      if (Info && GetMonitorInfoW(Mon, &MI)) {
        RECT Area = F->FormStyle() == fsStayOnTop ? MI.rcMonitor : MI.rcWork;
        Info->ptMaxPosition = {-Frame, -Frame};
        Info->ptMaxSize = {Area.right - Area.left + 2 * Frame, Area.bottom - Area.top + 2 * Frame};
      }
    }
    break;
  }
  case WM_WINDOWPOSCHANGING: WMWindowPosChanging(Message, Default); return;
  case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message, Default); return;
  case WM_MOVE:
    KillAnimations();
    HideAllGlows();
    break;
  case WM_SIZING:
    Default(Message);
    UpdateBorderPosition(false);
    return;
  case WM_SYSCOMMAND: WMSysCommand(Message, Default); return;
  case WM_ACTIVATE:
    Default(Message);
    if (F->IsLoading()) return;
    // A borderless form has no frame that repaints with the activation: its children do.
    if (LOWORD(Message.WParam) == WA_ACTIVE && F->BorderStyle() == bsNone && IsWindowVisible(W))
      RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    return;
  case WM_ACTIVATEAPP:
    Default(Message);
    if (Message.WParam) UpdateBorderPosition(false);
    return;
  case WM_SETTINGCHANGE:
    GSysMetrics.Valid = false;
    FCommonData->BGChanged = true;
    break;
  case WM_STYLECHANGED: WMStyleChanged(Message, Default); return;
  case WM_ENTERIDLE: Message.Result = 0; return;
  case WM_MOUSEWHEEL: WMMouseWheel(Message, Default); return;
  case CM_ENABLEDCHANGED:
    Default(Message);
    UpdateBorderPosition(false);
    if (IsWindowVisible(W)) RepaintNonClient();
    return;
  case WM_CONTROLLISTCHANGING: Message.Result = 0; return;
  case WM_MEASUREITEM:
    MeasureMenuItem(*reinterpret_cast<const MEASUREITEMSTRUCT*>(Message.LParam));
    break;
  case CM_MENUCHANGED:
    Default(Message);
    InitMenuItems(true);
    return;
  case WM_QUERYENDSESSION: WMQueryEndSession(Message, Default); return;
  case WM_MOUSEMOVE:
    Default(Message);
    if (TsSkinManager* M = FCommonData->SkinManager(); M && !M->IsDestroying())
      M->SetActiveControl(nullptr);
    return;
  case WM_COPYDATA:
    Default(Message);
    if (!Message.Result && W == GPreviewTarget && HasEngineSwitch(L"/kvpreview")) {
      auto* Data = reinterpret_cast<const COPYDATASTRUCT*>(Message.LParam);
      if (Data && Data->lpData && FCommonData->SkinManager())
        Message.Result = FCommonData->SkinManager()->ApplyPreviewSkin(Data->lpData, Data->cbData);
    }
    return;
  case WM_EDITORLINK:
    if (Message.WParam == 1) {
      F->Close();
      return;
    }
    if (Message.WParam == 4) {
      Message.Result = 1;
      return;
    }
    break;
  case WM_SHOWWINDOW:
    // Shown see-through until its picture has faded in.
    if (Message.WParam && ShowAnimationWanted(false)) BeginShowAnimation(W);
    if (Message.WParam) FFormState &= fsRestoring;
    Default(Message);
    if (Message.WParam) AnnouncePreview();
    return;
  case CM_VISIBLECHANGED:
    if (F->Visible() && RTInit) {
      RTInit = false;
      LoadInit();
      UpdateBorderForm();
    } else if (!F->Visible()) {
      FCommonData->EmptyCache();
    }
    if (F->Visible()) ScanControls();
    break;
  case CM_SHOWINGCHANGED:
    Default(Message);
    // A provider the window hook made while the window was being shown missed the window's
    // appearance: its first show animates from here.
    if (Message.WParam && !ShowAnimationPending(W) && ShowAnimationWanted(true))
      BeginShowAnimation(W);
    if (Message.WParam && ShowAnimationPending(W) && RunShowAnimation(W, FormShowEffect(), 255))
      AfterAnimation(aeShowing);
    return;
  case WM_PARENTNOTIFY:
    Default(Message);
    if (LOWORD(Message.WParam) == WM_CREATE) ScanControls();
    return;
  case CM_MOUSEENTER:
    Default(Message);
    if (TsSkinManager* M = FCommonData->SkinManager()) M->SetActiveControl(W);
    if (FBorderForm && FBorderForm->ResetRgn) FBorderForm->UpdateRgn();
    return;
  default: break;
  }
  Default(Message);
}

// ---------------------------------------------------------------------------------------------
// Effects: glows of the caption buttons and the form animations

void TsSkinProvider::ShowCaptionGlow(TsCaptionButton& B) {
  TsSkinManager* M = FCommonData->SkinManager();
  const TsSkinModel* Sm = Model();
  HWND W = OwnerHandle();
  // Only the system buttons glow.
  if (!M || !Sm || !W || (&B != &ButtonClose && &B != &ButtonMax && &B != &ButtonMin)) return;
  TCaptionButtonKind Kind = &B == &ButtonClose ? cbClose : &B == &ButtonMax ? cbMax : cbMin;
  RECT WR;
  GetWindowRect(W, &WR);
  TPoint Origin = Layout().WindowOrigin;
  TRect R = B.Rect;
  R.Offset(WR.left - Origin.X, WR.top - Origin.Y);
  B.GlowID = ShowCaptionButtonGlow(*M, *Sm, Kind, B, R, W);
}

void TsSkinProvider::AfterAnimation(TkvAnimEvent Event) {
  if (!OnAfterAnimation) return;
  // The handler may free the form and this provider with it: it runs from a copy.
  TkvAfterAnimation Handler = OnAfterAnimation;
  Handler(*this, Event);
}

void TsSkinProvider::HideCaptionGlows() {
  for (TsCaptionButton* B : {&ButtonMin, &ButtonMax, &ButtonClose, &ButtonHelp})
    HideGlow(B->GlowID);
}

void TsSkinProvider::FreeEffects() {
  HideCaptionGlows();
  if (HWND W = OwnerHandle()) FreeMinimizeAnimation(W);
}

const TkvFormAnimation& TsSkinProvider::FormShowEffect() const {
  static const TkvFormAnimation None{false, 0, atAero};
  TsSkinManager* M = FCommonData->SkinManager();
  return M ? M->AnimEffects.FormShow : None;
}

bool TsSkinProvider::ShowAnimationWanted(bool Shown) const {
  TForm* F = FForm.Get();
  TsSkinManager* M = FCommonData->SkinManager();
  HWND W = OwnerHandle();
  return F && M && W && AllowAnimation && !F->Parent() && M->AnimEffects.FormShow.Active &&
         (IsWindowVisible(W) != FALSE) == Shown && !IsIconic(W) && W != PreviewTarget() &&
         LayeredWindowsAvailable();
}

void TsSkinProvider::PrepareHide() {
  TForm* F = FForm.Get();
  TsSkinManager* M = FCommonData->SkinManager();
  HWND W = OwnerHandle();
  if (!F || !M || !W || !AllowAnimation || F->Parent() || (FFormState & fsMinimizing)) return;
  // The main form hides while the manager minimizes the application: no hide animation.
  if (M->HookedForm() == F && M->ShowState() == TsSkinManager::ssMinimising) return;
  HideAllGlows();
  PrepareHideAnimation(W, M->AnimEffects.FormHide);
}

bool TsSkinProvider::EffectsSysCommand(TMessage& Message, const TWndNext& Default) {
  TForm* F = FForm.Get();
  TsSkinManager* M = FCommonData->SkinManager();
  HWND W = OwnerHandle();
  // The main form's commands are animated from the manager's hook of the main window.
  if (!F || !M || !W || M->HookedForm() == F || F->Parent()) return false;
  switch (Message.WParam & 0xFFF0) {
  case SC_MINIMIZE:
    if (FBorderForm) FBorderForm->FreeForm();
    return AnimateMinimize(W, *M, [&] { Default(Message); });
  case SC_RESTORE:
  case SC_MAXIMIZE:
    if (!AnimateRestore(W, *M)) return false;
    Message.Result = 0;
    return true;
  default: return false;
  }
}

bool TsSkinProvider::BlendOnMoving(TMessage& Message, const TWndNext& Default) {
  TForm* F = FForm.Get();
  TsSkinManager* M = FCommonData->SkinManager();
  HWND W = OwnerHandle();
  if (!F || !M || !W || F->Parent() || IsZoomed(W)) return false;
  // The default handling of the press runs the system's move loop.
  if (!BlendWhileMoving(W, M->AnimEffects.BlendOnMoving, AllowBlendOnMoving,
                        [&] { Default(Message); }))
    return false;
  if (IsWindow(W)) {
    FCommonData->BGChanged = true;
    UpdateBorderPosition(true);
  }
  return true;
}
