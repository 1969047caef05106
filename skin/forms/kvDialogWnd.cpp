// The adapter of a system dialog.
#include "skin/forms/kvDialogWnd.h"

#include <algorithm>
#include <cwctype>

#include "base/GdiObjects.h"
#include "skin/controls/kvBtnWnd.h"
#include "skin/forms/kvAnimSteps.h"
#include "skin/forms/kvFormAnim.h"
#include "skin/forms/kvGlow.h"
#include "skin/controls/sSkinText.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/data/sMaskData.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

std::wstring LowerClass(HWND Wnd) {
  wchar_t Class[128] = {};
  GetClassNameW(Wnd, Class, 127);
  std::wstring Name = Class;
  for (wchar_t& C : Name)
    C = wchar_t(std::towlower(C));
  return Name;
}

TRect WindowRectOf(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  return {R.left, R.top, R.right, R.bottom};
}

constexpr UINT_PTR MaxHotTimer = 0x4B58; // apart from the dialog's own timers
constexpr UINT MaxHotTime = 400;

TCaptionButtonKind KindOf(const TkvDialogWnd& D, const TsCaptionButton& B) {
  return &B == &D.ButtonClose ? cbClose
         : &B == &D.ButtonMax ? cbMax
         : &B == &D.ButtonMin ? cbMin
                              : cbHelp;
}

bool IsCaptionElement(int Code) {
  return Code == htCloseCode || Code == htMaxButtonCode || Code == htMinButtonCode ||
         Code == htHelpCode;
}

} // namespace

TkvSystemMenu::TkvSystemMenu(TkvDialogWnd* Owner) : TPopupMenu(nullptr), FOwner(Owner) {
  ItemRestore = Add(L"miRestore", L"Obnovit", SC_RESTORE);
  ItemMove = Add(L"miMove", L"Pohyb", SC_MOVE);
  ItemSize = Add(L"miSize", L"Velikost", SC_SIZE);
  ItemMinimize = Add(L"miMinimize", L"Minimalizovat", SC_MINIMIZE);
  ItemMaximize = Add(L"miMaximize", L"Maximalizovat", SC_MAXIMIZE);
  auto* Line = new TMenuItem(nullptr);
  Line->Caption = L"-";
  Items().Add(Line);
  ItemClose = Add(L"miClose", L"Zavřítt", SC_CLOSE);
  ItemClose->ShortCut = TextToShortCut(L"Alt+F4");
}

TMenuItem* TkvSystemMenu::Add(const wchar_t* Name, const wchar_t* Caption, UINT Command) {
  auto* Item = new TMenuItem(nullptr);
  Item->SetName(Name);
  Item->Caption = Caption;
  Item->Tag = intptr_t(Command);
  Item->OnClick = [this, Command](TComponent*) {
    if (FOwner && IsWindow(FOwner->CtrlHandle))
      SendMessageW(FOwner->CtrlHandle, WM_SYSCOMMAND, Command, 0);
  };
  Items().Add(Item);
  return Item;
}

void TkvSystemMenu::UpdateItems() {
  TkvDialogWnd& D = *FOwner;
  HWND W = D.CtrlHandle;
  ItemRestore->Visible = D.VisibleRestore();
  ItemRestore->Enabled = D.EnabledRestore();
  ItemMove->Enabled = !IsZoomed(W);
  ItemSize->Visible = D.VisibleSize();
  ItemSize->Enabled = D.VisibleSize() && !IsIconic(W);
  ItemMinimize->Visible = D.VisibleMin();
  ItemMinimize->Enabled = D.EnabledMin();
  ItemMaximize->Visible = D.VisibleMax();
  ItemMaximize->Enabled = D.EnabledMax();
  ItemClose->Visible = D.VisibleClose();
  ItemClose->Enabled = true;
}

TkvDialogWnd::~TkvDialogWnd() = default;

bool TkvDialogWnd::EnabledClose() const {
  return VisibleClose() && !(GetClassLongPtrW(CtrlHandle, GCL_STYLE) & CS_NOCLOSE);
}

bool TkvDialogWnd::EnabledMax() const {
  return VisibleMax() && !IsZoomed(CtrlHandle) &&
         (BorderStyle == fbSingle || BorderStyle == fbSizeable);
}

bool TkvDialogWnd::EnabledMin() const {
  return VisibleMin() && !IsIconic(CtrlHandle);
}

bool TkvDialogWnd::EnabledRestore() const {
  return VisibleMax() && (IsIconic(CtrlHandle) || IsZoomed(CtrlHandle));
}

void TkvDialogWnd::DropSysMenu(int X, int Y) {
  if (!FSystemMenu) FSystemMenu = std::make_unique<TkvSystemMenu>(this);
  SetHotHT(0, true);
  FSystemMenu->UpdateItems();
  // The chosen command may end the dialog: nothing here is touched afterwards.
  FSystemMenu->Popup(X, Y, CtrlHandle);
}

bool TkvDialogWnd::Create(HWND Wnd, bool Repaint, const std::string& Section,
                          TsSkinManager* Manager, TsCommonData* Data) {
  if (!TkvScrollWnd::Create(Wnd, false, Section.empty() ? "DIALOG" : Section, Manager, Data))
    return false;
  InitParams();
  if (Repaint) RedrawFrame();
  return true;
}

void TkvDialogWnd::InitParams() {
  HWND Wnd = CtrlHandle;
  dwStyle = GetWindowLongW(Wnd, GWL_STYLE);
  // Taken away by an earlier set-up, WS_SYSMENU still belongs to the dialog.
  if (FSysMenuTaken) dwStyle |= WS_SYSMENU;
  dwExStyle = GetWindowLongW(Wnd, GWL_EXSTYLE);
  BorderStyle = fbSizeable;
  if ((dwStyle & WS_POPUP) && (dwStyle & WS_CAPTION) != WS_CAPTION)
    BorderStyle = fbNone;
  else if (dwStyle & WS_THICKFRAME)
    BorderStyle = fbSizeable;
  else if (dwStyle & DS_MODALFRAME)
    BorderStyle = fbDialog;
  UpdateIconsIndexes();
  NONCLIENTMETRICSW Metrics{};
  Metrics.cbSize = sizeof(Metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(Metrics), &Metrics, 0)) {
    Metrics.lfCaptionFont.lfWeight = FW_BOLD;
    FTitleFont = TFontHandle(CreateFontIndirectW(&Metrics.lfCaptionFont));
  }
  // The system would draw its own caption buttons while WS_SYSMENU is set.
  if ((dwStyle & WS_SYSMENU) && (GetWindowLongW(Wnd, GWL_STYLE) & WS_SYSMENU)) {
    SetWindowLongW(Wnd, GWL_STYLE, GetWindowLongW(Wnd, GWL_STYLE) & ~LONG(WS_SYSMENU));
    FSysMenuTaken = true;
  }
  UpdateBorderForm();
  if (SkinData()) SkinData()->BGChanged = true;
}

void TkvDialogWnd::UpdateIconsIndexes() {
  const TsSkinModel* Sm = SkinData() ? SkinData()->Model() : nullptr;
  if (!Sm || Sm->ConstData.IndexGLobalInfo < 0) return;
  bool Big = BorderStyle == fbSingle || BorderStyle == fbSizeable;
  SelectCaptionButtonImages(*Sm, Big, !VisibleMax() && !VisibleMin(), ButtonMin, ButtonMax,
                            ButtonClose, ButtonHelp);
  TitleIndex = Sm->GetSkinIndex("DIALOGTITLE");
  if (TitleIndex < 0) TitleIndex = Sm->GetSkinIndex("FORMTITLE");
}

void TkvDialogWnd::UpdateBorderForm() {
  TsSkinManager* M = SkinManager();
  HWND Wnd = CtrlHandle;
  LONG Style = Wnd ? GetWindowLongW(Wnd, GWL_STYLE) : 0;
  bool Wanted = M && M->ExtendedBorders() && SkinActive() && LayeredWindowsAvailable() &&
                BorderStyle != fbNone && (Style & WS_CAPTION) == WS_CAPTION && !(Style & WS_CHILD);
  if (Wanted == bool(FBorderForm)) return;
  if (Wanted)
    FBorderForm = std::make_unique<TkvBorderForm>(*this);
  else
    FBorderForm.reset();
  // The image, its client offset and the region all change with the border window.
  if (SkinData()) SkinData()->BGChanged = true;
  FRegionApplied = false;
}

TRect TkvDialogWnd::ShadowSize() const {
  TsSkinManager* M = SkinManager();
  return FBorderForm && M ? M->FormShadowSize() : TRect{};
}

bool TkvDialogWnd::PaintingSuspended() const {
  return SkinData() && SkinData()->FUpdating;
}

void TkvDialogWnd::KillAnimations() {
  for (auto& F : FFades)
    if (F) F->Stop();
  for (TsCaptionButton* B : {&ButtonMin, &ButtonMax, &ButtonClose, &ButtonHelp})
    HideGlow(B->GlowID);
}

void TkvDialogWnd::Release() {
  KillAnimations();
  for (auto& F : FFades)
    F.reset();
  FBorderForm.reset();
  HWND Wnd = CtrlHandle;
  if (FMaxHotForAMoment && Wnd && IsWindow(Wnd)) KillTimer(Wnd, MaxHotTimer);
  FMaxHotForAMoment = false;
  TkvScrollWnd::Release();
  // A dialog that outlives its adapter gets its close button and plain frame back.
  if (Wnd && IsWindow(Wnd)) {
    if (FSysMenuTaken) {
      SetWindowLongW(Wnd, GWL_STYLE, GetWindowLongW(Wnd, GWL_STYLE) | WS_SYSMENU);
      FSysMenuTaken = false;
    }
    SetWindowRgn(Wnd, nullptr, FALSE);
    FRegionApplied = false;
  }
  for (auto& C : Children)
    if (C && !C->Destroyed) C->Destroy();
  Children.clear();
}

HICON TkvDialogWnd::TitleIcon() const {
  HICON I = HICON(SendMessageW(CtrlHandle, WM_GETICON, ICON_SMALL, 0));
  if (!I) I = HICON(GetClassLongPtrW(CtrlHandle, GCLP_HICONSM));
  return I;
}

TFormGeometryInput TkvDialogWnd::GeometryInput() const {
  TFormGeometryInput In;
  HWND Wnd = CtrlHandle;
  TRect R = WindowRectOf(Wnd);
  In.Width = R.Width();
  In.Height = R.Height();
  LONG Style = GetWindowLongW(Wnd, GWL_STYLE);
  In.ThickFrame = Style & WS_THICKFRAME;
  In.HasBorder = Style & WS_BORDER;
  In.HasCaption = (Style & WS_CAPTION) == WS_CAPTION;
  In.IsChild = Style & WS_CHILD;
  In.Iconic = IsIconic(Wnd);
  In.Zoomed = IsZoomed(Wnd);
  In.Border = BorderStyle;
  In.CXFrame = GetSystemMetrics(SM_CXFRAME);
  In.CXDlgFrame = GetSystemMetrics(SM_CXDLGFRAME);
  In.CYCaption = GetSystemMetrics(SM_CYCAPTION);
  In.CYSmCaption = GetSystemMetrics(SM_CYSMCAPTION);
  const TsSkinModel* Sm = SkinData() ? SkinData()->Model() : nullptr;
  if (Sm) {
    In.BILeftMargin = Sm->SkinData.BILeftMargin;
    In.BIRightMargin = Sm->SkinData.BIRightMargin;
    In.BITopMargin = Sm->SkinData.BITopMargin;
    In.BISpacing = Sm->SkinData.BISpacing;
    In.BIVAlign = Sm->SkinData.BIVAlign;
    In.HasCaptionSection = Sm->GetSkinIndex("CAPTION") >= 0;
    for (const TsCaptionButton* B : {&ButtonClose, &ButtonMax, &ButtonMin, &ButtonHelp}) {
      TCaptionButtonKind Kind = KindOf(*this, *B);
      In.ButtonAligned[Kind] = B->HaveAlignment;
      if (ValidMask(Sm, B->ImageIndex)) {
        const TsMaskData& M = Sm->ma[size_t(B->ImageIndex)];
        In.ButtonSize[Kind] = {FrameWidth(M), FrameHeight(M)};
      }
    }
  }
  In.HasSystemMenu = VisibleClose();
  In.ShowMax = VisibleMax();
  In.ShowMin = VisibleMin();
  In.ShowHelp = VisibleHelp();
  // A dialog without an icon of its own leaves no room for one.
  In.IconAllowed =
      (BorderStyle == fbSingle || BorderStyle == fbSizeable) && VisibleClose() && TitleIcon();
  if (FBorderForm && Sm) {
    In.ExBorders = true;
    In.ExBorderWidth = Sm->SkinData.ExBorderWidth;
    In.ExTitleHeight = Sm->SkinData.ExTitleHeight;
    In.ExMaxHeight = Sm->SkinData.ExMaxHeight;
    In.ExCenterOffs = Sm->SkinData.ExCenterOffs;
    In.SysExHeight = In.Zoomed && In.ExMaxHeight > In.CYCaption;
    In.Shadow = ShadowSize();
  }
  return In;
}

bool TkvDialogWnd::ButtonEnabled(const TsCaptionButton& B) const {
  if (&B == &ButtonClose) return EnabledClose();
  // Over a maximized dialog the maximize button restores it.
  if (&B == &ButtonMax) return EnabledMax() || (IsZoomed(CtrlHandle) && EnabledRestore());
  if (&B == &ButtonMin) return EnabledMin();
  return true;
}

TsCaptionButton* TkvDialogWnd::ButtonOf(int Code) {
  switch (Code) {
  case htCloseCode: return &ButtonClose;
  case htMaxButtonCode: return &ButtonMax;
  case htMinButtonCode: return &ButtonMin;
  case htHelpCode: return &ButtonHelp;
  default: return nullptr;
  }
}

std::unique_ptr<TkvSBAnimation>& TkvDialogWnd::FadeSlot(const TsCaptionButton& B) {
  return FFades[size_t(KindOf(*this, B))];
}

TkvSBAnimation* TkvDialogWnd::FadeOf(const TsCaptionButton& B) const {
  return FFades[size_t(KindOf(*this, B))].get();
}

void TkvDialogWnd::PaintAll() {
  TsCommonData* D = SkinData();
  const TsSkinModel* Sm = D ? D->Model() : nullptr;
  if (!D || !Sm || !D->Section()) return;
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  for (TsCaptionButton* B : {&ButtonClose, &ButtonMax, &ButtonMin, &ButtonHelp}) {
    TCaptionButtonKind Kind = KindOf(*this, *B);
    B->Rect = L.Shown[Kind] ? L.Buttons[Kind] : TRect{};
  }
  D->PrepareCacheBmp();
  TBitmap32* Image = D->CacheBmp();
  if (!Image || L.CaptionWidth <= 0 || In.Height <= 0) return;
  if (!D->BGChanged && Image->Width() == L.CaptionWidth && Image->Height() == L.ImageHeight) return;
  Image->SetSize(L.CaptionWidth, L.ImageHeight);
  // The shadow margins of the border window start transparent.
  if (L.Extended) Image->Fill(0);
  const TsGeneralData& S = *D->Section();
  int State = std::min(FFormActive ? 1 : 0, std::max(0, S.States - 1));
  PaintSection(*D, TCacheInfo{}, true, State, Image, {0, 0}, L.Body);
  if (L.CaptionHeight > 0) {
    int BandHeight = L.Extended ? L.CaptionHeight : L.Frame + L.CaptionHeight;
    TRect Band{L.Body.Left, L.Body.Top, L.Body.Right,
               std::min(L.Body.Bottom, L.Body.Top + BandHeight)};
    if (ValidSection(Sm, TitleIndex)) {
      const TsGeneralData& T = Sm->gd[size_t(TitleIndex)];
      int St = std::min(FFormActive ? 1 : 0, std::max(0, T.States - 1));
      PaintSectionByIndex(TitleIndex, T.ClassName, NewCacheInfo(Image, 0, 0),
                          Sm->GetTextureIndex(TitleIndex, T.ClassName, "PATTERN"),
                          Sm->GetTextureIndex(TitleIndex, T.ClassName, "HOTPATTERN"), Sm, Image,
                          {0, 0}, Band, St, true);
    }
    HDC DC = static_cast<HDC>(Image->NativeDC());
    if (HICON Icon = TitleIcon(); Icon && !L.IconRect.IsEmpty() && DC) {
      GdiFlush();
      DrawIconEx(DC, L.IconRect.Left, L.IconRect.Top, Icon, L.IconRect.Width(), L.IconRect.Height(),
                 0, nullptr, DI_NORMAL);
    }
    int Length = GetWindowTextLengthW(CtrlHandle);
    std::wstring Text(size_t(std::max(0, Length)), L'\0');
    if (Length > 0) GetWindowTextW(CtrlHandle, Text.data(), Length + 1);
    if (DC && !Text.empty() && !L.TextRect.IsEmpty()) {
      TSavedDC Saved(DC);
      if (FTitleFont) SelectObject(DC, FTitleFont);
      SetBkMode(DC, TRANSPARENT);
      DrawSectionText(DC, Text, true, SkinManager(), FFormActive ? 1 : 0, TitleIndex,
                      DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX, L.TextRect);
    }
    GdiFlush();
    for (TsCaptionButton* B : {&ButtonClose, &ButtonMax, &ButtonMin, &ButtonHelp}) {
      if (B->Rect.IsEmpty() || !ValidMask(Sm, B->ImageIndex)) continue;
      // Under a running fade the button keeps its normal face; the overlay shows the new one.
      TkvSBAnimation* Fade = FadeOf(*B);
      int St = Fade && Fade->CurrentState >= 0 ? 0 : std::max(0, B->State);
      DrawMaskImage(*Sm, *Image, {B->Rect.Left, B->Rect.Top}, St, NewCacheInfo(Image, 0, 0),
                    Sm->ma[size_t(B->ImageIndex)],
                    CaptionButtonMode(ButtonEnabled(*B), St, FFormActive));
    }
  }
  GdiFlush();
  // GDI's text and icons leave alpha undefined: what they drew is opaque. Without the border
  // window the whole image is (its corners are cut by the region); with it the frame keeps the
  // alpha of the skin's images and the shadow goes under it.
  auto MakeOpaque = [&](const TRect& R) {
    TRect A = R.Intersected(L.Body);
    for (int y = A.Top; y < A.Bottom; ++y) {
      uint32_t* Row = Image->ScanLine(y);
      for (int x = A.Left; x < A.Right; ++x)
        Row[x] |= 0xFF000000u;
    }
  };
  if (L.Extended) {
    MakeOpaque(L.TextRect);
    MakeOpaque(L.IconRect);
    ComposeFormShadow(*Image, *Sm, FFormActive);
  } else {
    MakeOpaque(L.Body);
  }
  D->BGChanged = false;
}

void TkvDialogWnd::UpdateRegion() {
  HWND Wnd = CtrlHandle;
  TsCommonData* D = SkinData();
  const TsSkinModel* Sm = D ? D->Model() : nullptr;
  if (!Sm || (BorderStyle == fbNone && !(dwStyle & WS_THICKFRAME))) return;
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  std::vector<TRect> Cut;
  if (!In.Zoomed && !L.Extended)
    Cut = FormCornerCut(*Sm, D->BorderMask(), TitleIndex, L.CaptionWidth, In.Height);
  TSize Size{In.Width, In.Height};
  if (FRegionApplied && Cut == FCut && Size == FRegionSize && L.Extended == FRegionExtended &&
      In.Zoomed == FRegionZoomed)
    return;
  TRegion Rgn = FormWindowRegion(In, L, Cut);
  // The system owns the region once it is set.
  if (SetWindowRgn(Wnd, Rgn, FALSE)) (void)Rgn.Detach();
  FCut = std::move(Cut);
  FRegionSize = Size;
  FRegionExtended = L.Extended;
  FRegionZoomed = In.Zoomed;
  FRegionApplied = true;
}

void TkvDialogWnd::NCPaint() {
  HWND Wnd = CtrlHandle;
  UpdateRegion();
  TsCommonData* D = SkinData();
  bool Rendered = D && (D->BGChanged || !D->CacheBmp() || D->CacheBmp()->IsEmpty());
  PaintAll();
  TBitmap32* Image = D ? D->CacheBmp() : nullptr;
  HDC Src = Image ? static_cast<HDC>(Image->NativeDC()) : nullptr;
  if (!Src || Image->IsEmpty()) return;
  TFormLayout L = Layout();
  {
    TWindowDC DC(Wnd);
    for (const auto& S : L.Strips)
      if (!S.Dst.IsEmpty())
        CopyToScreen(DC, S.Dst.Left, S.Dst.Top, S.Dst.Width(), S.Dst.Height(), Src, S.Src.X,
                     S.Src.Y);
  }
  if (FBorderForm) FBorderForm->UpdateExBordersPos(Rendered);
}

void TkvDialogWnd::EraseClient(HDC DC) {
  PaintAll();
  TsCommonData* D = SkinData();
  TBitmap32* Image = D ? D->CacheBmp() : nullptr;
  HDC Src = Image ? static_cast<HDC>(Image->NativeDC()) : nullptr;
  if (!Src) return;
  TFormLayout L = Layout();
  RECT C{};
  GetClientRect(CtrlHandle, &C);
  TSavedDC Saved(DC);
  // The children paint themselves: their places are left out, except group boxes.
  for (HWND Child = GetWindow(CtrlHandle, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(Child)) continue;
    if ((GetWindowLongW(Child, GWL_STYLE) & 7) == 7 && LowerClass(Child) == L"button") continue;
    RECT R{};
    GetWindowRect(Child, &R);
    MapWindowPoints(nullptr, CtrlHandle, reinterpret_cast<POINT*>(&R), 2);
    ExcludeClipRect(DC, R.left, R.top, R.right, R.bottom);
  }
  CopyToScreen(DC, 0, 0, C.right, C.bottom, Src, L.ClientOffset.X, L.ClientOffset.Y);
  for (HWND Child = GetWindow(CtrlHandle, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT))
    SendSkinCommand(Child, KV_RESUMEPAINT, LPARAM(SkinManager()));
}

void TkvDialogWnd::AddControl(HWND Child) {
  if (SendSkinCommand(Child, KV_ISSKINNED) == 1 || TWindowSubclass::FromHandle(Child)) return;
  std::wstring Class = LowerClass(Child);
  LONG Style = GetWindowLongW(Child, GWL_STYLE);
  std::shared_ptr<TkvMainWnd> A;
  std::string Section;
  if (Class == L"static") {
    // Frames, etched lines, icons and bitmaps keep the system's look.
    if ((Style & 3) == 3 || (Style & 0x0E) == 0x0E || (Style & 0x0D) == 0x0D) return;
    int Kind = Style & 0x1F;
    if (Kind == 5 || Kind == 6 || Kind == 11) return;
    A = std::make_shared<TkvStaticWnd>();
    Section = "CHECKBOX";
  } else if (Class == L"button") {
    // Group boxes, check boxes and radio buttons keep the system's look.
    if ((Style & 7) == 7 || (Style & 3) == 3 || (Style & 2) == 2 || (Style & 5) == 5 ||
        (Style & 9) == 9 || (Style & 4) == 4)
      return;
    A = std::make_shared<TkvBtnWnd>();
    Section = "BUTTON";
  } else if (Class == L"edit") {
    if (!IsWindowVisible(Child)) return;
    A = std::make_shared<TkvEditWnd>();
    Section = "EDIT";
  } else if (Class == L"listbox") {
    A = std::make_shared<TkvEditWnd>();
    Section = "EDIT";
  } else {
    return;
  }
  AdaptersInDialogMode = true;
  bool Made = A->Create(Child, true, Section, SkinManager(), nullptr);
  AdaptersInDialogMode = false;
  if (Made) Children.push_back(std::move(A));
}

void TkvDialogWnd::InitHwndControls() {
  // Children before their own children.
  std::vector<HWND> All;
  EnumChildWindows(
      CtrlHandle,
      [](HWND Wnd, LPARAM Param) -> BOOL {
        if (GetWindowLongW(Wnd, GWL_STYLE) & WS_CHILD)
          reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&All));
  for (HWND Wnd : All)
    AddControl(Wnd);
  Children.erase(std::remove_if(Children.begin(), Children.end(),
                                [](const std::shared_ptr<TkvMainWnd>& C) { return C->Destroyed; }),
                 Children.end());
  FHookedChildren = true;
}

int TkvDialogWnd::HitTestImage(TPoint P) {
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  int Code = FormHitTest(L, In, P);
  // A maximize button that can neither maximize nor restore is caption, so is a minimize
  // button that cannot minimize.
  if (Code == htMaxButtonCode && !EnabledMax())
    Code = (!EnabledRestore() || In.Iconic) ? htCaptionCode : htMaxButtonCode;
  if (Code == htMinButtonCode && !EnabledMin() && !In.Iconic) Code = htCaptionCode;
  return Code;
}

int TkvDialogWnd::HitTest(TPoint Screen) {
  TRect R = WindowRectOf(CtrlHandle);
  TPoint O = Layout().WindowOrigin;
  return HitTestImage({Screen.X - R.Left + O.X, Screen.Y - R.Top + O.Y});
}

TRect TkvDialogWnd::ScreenRectOf(const TsCaptionButton& B) const {
  TRect W = WindowRectOf(CtrlHandle);
  TPoint O = Layout().WindowOrigin;
  return Bounds(W.Left + B.Rect.Left - O.X, W.Top + B.Rect.Top - O.Y, B.Rect.Width(),
                B.Rect.Height());
}

void TkvDialogWnd::ShowCaptionGlow(TsCaptionButton& B) {
  TsSkinManager* M = SkinManager();
  const TsSkinModel* Sm = SkinData() ? SkinData()->Model() : nullptr;
  if (!M || !Sm || B.Rect.IsEmpty()) return;
  B.GlowID = ShowCaptionButtonGlow(*M, *Sm, KindOf(*this, B), B, ScreenRectOf(B), CtrlHandle);
}

void TkvDialogWnd::SetHotHT(int Code, bool Repaint) {
  if (Code == CurrentHT) return;
  if (TsCaptionButton* Old = ButtonOf(CurrentHT)) {
    HideGlow(Old->GlowID);
    if (Old->State != 0 && !PressedHT) {
      Old->State = 0;
      if (Repaint) RepaintButton(*Old);
    }
  }
  CurrentHT = Code;
  if (PressedHT || Code < 1) return;
  if (TsCaptionButton* New = ButtonOf(Code); New && ButtonEnabled(*New)) {
    New->State = 1;
    if (Repaint) RepaintButton(*New);
    ShowCaptionGlow(*New);
  }
}

void TkvDialogWnd::SetPressedHT(int Code) {
  if (TsCaptionButton* Old = ButtonOf(PressedHT ? PressedHT : CurrentHT); Old && Old->State != 0) {
    Old->State = 0;
    HideGlow(Old->GlowID);
    RepaintButton(*Old);
  }
  PressedHT = 0;
  TsCaptionButton* B = ButtonOf(Code);
  if (!B || !ButtonEnabled(*B)) return;
  B->State = 2;
  PressedHT = Code;
  CurrentHT = Code;
  RepaintButton(*B);
}

void TkvDialogWnd::RepaintButton(TsCaptionButton& B) {
  TsSkinManager* M = SkinManager();
  if (M && M->Effects.AllowGlowing && LayeredWindowsAvailable() && ButtonEnabled(B) &&
      !B.Rect.IsEmpty() && !(FFormState & (fsBlending | fsMinimizing | fsRestoring))) {
    // The new face fades in on an overlay; the frame keeps the normal one underneath.
    auto& Fade = FadeSlot(B);
    if (!Fade) {
      TsCaptionButton* Btn = &B;
      TkvSBAnimation::TCallbacks C;
      C.Draw = [this, Btn](TBitmap32& Face, int St) {
        TsCommonData* D = SkinData();
        const TsSkinModel* Sm = D ? D->Model() : nullptr;
        TBitmap32* Image = D ? D->CacheBmp() : nullptr;
        if (Image) CopyPixels(Face, 0, 0, *Image, Btn->Rect);
        if (Sm && ValidMask(Sm, Btn->ImageIndex))
          DrawMaskImage(*Sm, Face, {0, 0}, St, NewCacheInfo(&Face, 0, 0),
                        Sm->ma[size_t(Btn->ImageIndex)], 1);
      };
      C.Place = [this, Btn] { return ScreenRectOf(*Btn); };
      C.MouseAbove = [this, Btn] {
        POINT P{};
        GetCursorPos(&P);
        return HitTest({P.x, P.y}) == int(Btn->HitCode);
      };
      Fade = std::make_unique<TkvSBAnimation>(CtrlHandle, std::move(C));
    }
    Fade->StartAnimation(B.State, B.State == 2 ? 1 : 10);
    return;
  }
  if (SkinData()) SkinData()->BGChanged = true;
  if (IsWindowVisible(CtrlHandle)) NCPaint();
}

void TkvDialogWnd::ButtonAction(int Code) {
  HWND Wnd = CtrlHandle;
  switch (Code) {
  case htCloseCode: SendMessageW(Wnd, WM_SYSCOMMAND, SC_CLOSE, 0); return;
  case htMaxButtonCode:
    if (IsZoomed(Wnd) ? !EnabledRestore() : !EnabledMax()) return;
    SendMessageW(Wnd, WM_SYSCOMMAND, IsZoomed(Wnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
    return;
  case htMinButtonCode:
    SendMessageW(Wnd, WM_SYSCOMMAND, IsIconic(Wnd) ? SC_RESTORE : SC_MINIMIZE, 0);
    return;
  case htHelpCode: SendMessageW(Wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0); return;
  default: return;
  }
}

bool TkvDialogWnd::CaptionMouse(TMessage& Message) {
  HWND Wnd = CtrlHandle;
  auto CodeAtCursor = [&] {
    DWORD Pos = GetMessagePos();
    return HitTest({short(LOWORD(Pos)), short(HIWORD(Pos))});
  };
  switch (Message.Msg) {
  case WM_NCMOUSEMOVE: {
    int Code = int(Message.WParam);
    if (IsCaptionElement(Code)) {
      if (!FTrackingNC) {
        TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE | TME_NONCLIENT, Wnd, 0};
        FTrackingNC = TrackMouseEvent(&Track) != FALSE;
      }
      SetHotHT(Code, true);
      Message.Result = 0;
      return true;
    }
    SetHotHT(0, true);
    return false;
  }
  case WM_NCMOUSELEAVE: {
    FTrackingNC = false;
    // While a caption button holds the mouse the leave is the capture's, not the user's.
    if (PressedHT && GetCapture() == Wnd) return false;
    // Over the border window the dialog's own frame is left at once: the element under the
    // mouse stays hot.
    POINT P{};
    if (CurrentHT > 0 && GetCursorPos(&P) && HitTest({P.x, P.y}) == CurrentHT) return false;
    SetHotHT(0, true);
    return false;
  }
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONDBLCLK: {
    int Code = int(Message.WParam);
    if (IsCaptionElement(Code)) {
      // Never to the system: it would track its own caption button.
      SetPressedHT(Code);
      if (PressedHT) SetCapture(Wnd);
      Message.Result = 0;
      return true;
    }
    if (Message.Msg == WM_NCLBUTTONDOWN && Code == HTSYSMENU) {
      // The system menu drops below the icon.
      TRect R = WindowRectOf(Wnd);
      TFormLayout L = Layout();
      DropSysMenu(R.Left + L.IconRect.Left - L.WindowOrigin.X,
                  R.Top + L.IconRect.Bottom - L.WindowOrigin.Y);
      Message.Result = 0;
      return true;
    }
    if (Message.Msg == WM_NCLBUTTONDOWN) return Code == HTCAPTION && BlendOnMoving(Message);
    if (Code == HTSYSMENU) {
      SendMessageW(Wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      Message.Result = 0;
      return true;
    }
    if (Code == HTCAPTION) {
      // Only where the dialog's own rules allow it: the system would maximize any dialog
      // with a maximize box.
      if (VisibleMax() && (EnabledMax() || EnabledRestore()))
        SendMessageW(Wnd, WM_SYSCOMMAND, IsZoomed(Wnd) || IsIconic(Wnd) ? SC_RESTORE : SC_MAXIMIZE,
                     0);
      Message.Result = 0;
      return true;
    }
    return false;
  }
  case WM_MOUSEMOVE: {
    TsCaptionButton* B = ButtonOf(PressedHT);
    if (!B || GetCapture() != Wnd) return false;
    // A held button shows pressed only while the mouse is over it.
    int State = CodeAtCursor() == PressedHT ? 2 : 0;
    if (State != B->State) {
      B->State = State;
      RepaintButton(*B);
    }
    Message.Result = 0;
    return true;
  }
  case WM_LBUTTONUP:
  case WM_NCLBUTTONUP: {
    if (!PressedHT) return false;
    int Pressed = PressedHT;
    PressedHT = 0;
    if (GetCapture() == Wnd) ReleaseCapture();
    int Code = CodeAtCursor();
    TsCaptionButton* B = ButtonOf(Pressed);
    B->State = Code == Pressed ? 1 : 0;
    RepaintButton(*B);
    CurrentHT = Code == Pressed ? Pressed : 0;
    // The action may end the dialog: nothing of it is touched afterwards.
    if (Code == Pressed) ButtonAction(Code);
    Message.Result = 0;
    return true;
  }
  case WM_CAPTURECHANGED:
    if (PressedHT && HWND(Message.LParam) != Wnd) {
      TsCaptionButton* B = ButtonOf(PressedHT);
      PressedHT = 0;
      CurrentHT = 0;
      B->State = 0;
      RepaintButton(*B);
    }
    return false;
  default: return false;
  }
}

bool TkvDialogWnd::BlendOnMoving(TMessage& Message) {
  HWND Wnd = CtrlHandle;
  TsSkinManager* M = SkinManager();
  if (!M || IsZoomed(Wnd)) return false;
  const TkvBlendOnMoving& Cfg = M->AnimEffects.BlendOnMoving;
  std::function<void(uint8_t)> OnAlpha;
  // The border window fades with the dialog.
  if (FBorderForm)
    OnAlpha = [this](uint8_t Alpha) {
      if (FBorderForm) FBorderForm->UpdateExBordersPos(true, Alpha);
    };
  KillAnimations();
  FFormState |= fsBlending;
  // The default handling of the press runs the system's move loop.
  bool Ran = BlendWhileMoving(
      Wnd, Cfg, true, [&] { CallPrevWndProc(Message); }, DialogMoveBlendStep(Cfg.BlendValue),
      std::move(OnAlpha));
  if (!Attached()) return true;
  FFormState &= ~unsigned(fsBlending);
  if (!Ran) return false;
  if (IsWindow(Wnd) && IsWindowVisible(Wnd)) {
    if (SkinData()) SkinData()->BGChanged = true;
    NCPaint();
  }
  return true;
}

void TkvDialogWnd::AfterSysCommand(UINT Command) {
  HWND Wnd = CtrlHandle;
  TsCommonData* D = SkinData();
  switch (Command) {
  case SC_MOVE:
    if (IsWindowVisible(Wnd)) {
      D->BGChanged = true;
      NCPaint();
    }
    return;
  case SC_MAXIMIZE:
  case SC_RESTORE:
    D->BGChanged = true;
    if (!IsWindowVisible(Wnd) || IsIconic(Wnd)) return;
    RedrawWindow(Wnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // The maximize button, now elsewhere or showing the other command, lights up for a moment.
    if (VisibleMax() && ButtonEnabled(ButtonMax)) {
      CurrentHT = 0;
      SetHotHT(htMaxButtonCode, true);
      FMaxHotForAMoment = true;
      SetTimer(Wnd, MaxHotTimer, MaxHotTime, nullptr);
    }
    return;
  default: return;
  }
}

void TkvDialogWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = SkinData();
  HWND Wnd = CtrlHandle;
  if (!SkinActive()) {
    TkvScrollWnd::kvWndProc(Message);
    return;
  }
  // The border window forwards its mouse messages with wParam -1: the code is the frame's.
  if (FBorderForm && Message.WParam == WPARAM(-1) && Message.Msg >= WM_NCMOUSEMOVE &&
      Message.Msg <= WM_NCMBUTTONDBLCLK) {
    POINT P{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
    Message.WParam = WPARAM(FBorderForm->Ex_WMNCHitTest({P.x, P.y}));
    if (Message.WParam == HTNOWHERE) {
      Message.Result = 0;
      return;
    }
  }
  if (CaptionMouse(Message)) return;
  switch (Message.Msg) {
  case KV_SKINMSG: {
    const bool Own = Message.LParam == LPARAM(SkinManager());
    switch (SkinCommandCode(Message.WParam)) {
    case KV_SKINAPPLIED:
      if (!Own) break;
      D->UpdateIndexes();
      InitParams();
      for (HWND Child = GetWindow(Wnd, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT))
        SendMessageW(Child, Message.Msg, Message.WParam, Message.LParam);
      return;
    case KV_REPAINTSKIN:
      D->UpdateIndexes();
      UpdateIconsIndexes();
      UpdateBorderForm();
      D->BGChanged = true;
      RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
      return;
    case KV_SYSCOLORSCHANGED:
      if (FBorderForm) FBorderForm->UpdateExBordersPos(true);
      return;
    case KV_QUERYCOLOR: Message.Result = LRESULT(ColorToRGB(D->ColorForState(0, Wnd))); return;
    case KV_RESCANDIALOG: InitHwndControls(); return;
    case KV_QUERYBACKGROUND: {
      auto* Info = reinterpret_cast<TBackgroundInfo*>(Message.LParam);
      if (!Info) return;
      PaintAll();
      TBitmap32* Image = D->CacheBmp();
      if (!Image || Image->IsEmpty()) {
        Info->Kind = bkColor;
        Info->Color = D->ColorForState(0, Wnd);
        Message.Result = 1;
        return;
      }
      TFormLayout L = Layout();
      Info->Kind = bkImage;
      Info->Bmp = Image;
      Info->Color = D->ColorForState(0, Wnd);
      Info->Offset = L.ClientOffset;
      Message.Result = 1;
      return;
    }
    case KV_QUERYCLIENTOFFSET: {
      TFormLayout L = Layout();
      Message.Result = LRESULT((L.ClientOffset.X & 0xFFFF) | (L.ClientOffset.Y << 16));
      return;
    }
    default: break;
    }
    break;
  }
  case WM_NCPAINT:
    if (!IsWindowVisible(Wnd)) break;
    // Children made since the last paint get their adapters.
    InitHwndControls();
    NCPaint();
    Message.Result = 0;
    return;
  case WM_NCACTIVATE: {
    FFormActive = Message.WParam != 0;
    // The system paints nothing for -1.
    TMessage Quiet{Message.Msg, Message.WParam, LPARAM(-1), 0};
    CallPrevWndProc(Quiet);
    D->BGChanged = true;
    if (IsWindowVisible(Wnd)) NCPaint();
    Message.Result = TRUE;
    return;
  }
  case WM_SETTEXT:
  case WM_SETICON:
    TkvScrollWnd::kvWndProc(Message);
    D->BGChanged = true;
    if (IsWindowVisible(Wnd)) NCPaint();
    return;
  case WM_ERASEBKGND:
    if (!IsWindowVisible(Wnd)) break;
    if (!FHookedChildren) InitHwndControls();
    EraseClient(reinterpret_cast<HDC>(Message.WParam));
    Message.Result = 1;
    return;
  case WM_CTLCOLORDLG: {
    static TBrush Brush;
    static TColor BrushColor = clNone;
    TColor C = ColorToRGB(SkinManager()->Model().GetGlobalColor());
    if (C != BrushColor) {
      Brush = TBrush(CreateSolidBrush(COLORREF(C)));
      BrushColor = C;
    }
    Message.Result = LRESULT(HBRUSH(Brush));
    return;
  }
  case WM_SIZE: D->BGChanged = true; break;
  case WM_MOVE:
    KillAnimations();
    HideAllGlows();
    break;
  case WM_SIZING:
    TkvScrollWnd::kvWndProc(Message);
    if (FBorderForm && !(FFormState & fsBlending)) FBorderForm->UpdateExBordersPos(false);
    return;
  case WM_TIMER:
    if (Message.WParam == MaxHotTimer) {
      KillTimer(Wnd, MaxHotTimer);
      FMaxHotForAMoment = false;
      POINT P{};
      if (CurrentHT == htMaxButtonCode && GetCursorPos(&P) &&
          HitTest({P.x, P.y}) != htMaxButtonCode)
        SetHotHT(0, true);
      Message.Result = 0;
      return;
    }
    break;
  case WM_SHOWWINDOW:
    // The dialog's show animation: see-through until shown, then its picture fades in.
    if (Message.WParam && SkinManager()->AnimEffects.DialogShow.Active &&
        SkinManager()->AnimEffects.DialogShow.Time > 0) {
      InitHwndControls();
      BeginShowAnimation(Wnd);
    }
    break;
  case WM_COMMAND:
    // Cancel and No end a dialog: its picture is taken for the hide animation.
    if ((LOWORD(Message.WParam) == IDCANCEL || LOWORD(Message.WParam) == IDNO) && !Message.LParam &&
        IsWindowVisible(Wnd)) {
      const TkvFormAnimation& A = SkinManager()->AnimEffects.DialogHide;
      if (A.Active && A.Time > 0) PrepareHideAnimation(Wnd, A);
    }
    break;
  case WM_WINDOWPOSCHANGED: {
    TkvScrollWnd::kvWndProc(Message);
    auto* Pos = reinterpret_cast<WINDOWPOS*>(Message.LParam);
    if (!Pos || !Attached()) return;
    if ((Pos->flags & SWP_SHOWWINDOW) && ShowAnimationPending(Wnd))
      RunShowAnimation(Wnd, SkinManager()->AnimEffects.DialogShow, 255);
    if (Pos->flags & SWP_HIDEWINDOW) {
      // A hidden dialog shows no hot caption button.
      KillAnimations();
      CurrentHT = PressedHT = 0;
      RunHideAnimation(Wnd);
    }
    if (!FBorderForm) return;
    if (Pos->flags & SWP_HIDEWINDOW) {
      FBorderForm->FreeForm();
      D->BGChanged = true;
    } else if (IsWindowVisible(Wnd) && !IsIconic(Wnd) && !(Pos->flags & SWP_NOREDRAW)) {
      FBorderForm->UpdateExBordersPos(false, MovingBlendValue(Wnd));
    }
    return;
  }
  case WM_NCHITTEST: {
    TPoint P{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
    int Code = HitTest(P);
    // The system knows no caption buttons and no icon without WS_SYSMENU: those are answered
    // here, the rest by the system.
    if (IsCaptionElement(Code) || Code == htSysMenuCode) {
      Message.Result = Code;
      return;
    }
    break;
  }
  case WM_NCRBUTTONDOWN:
    if (Message.WParam == HTCAPTION || Message.WParam == HTSYSMENU) {
      Message.Result = 0;
      return;
    }
    break;
  case WM_NCRBUTTONUP:
    if (Message.WParam == HTCAPTION || Message.WParam == HTSYSMENU) {
      DropSysMenu(short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam)));
      Message.Result = 0;
      return;
    }
    break;
  case WM_SYSCOMMAND: {
    UINT Command = UINT(Message.WParam & 0xFFF0);
    if (Command == SC_KEYMENU && Message.LParam == L' ' && VisibleClose()) {
      // Below the left end of the title.
      RECT R{};
      GetWindowRect(Wnd, &R);
      TFormLayout L = Layout();
      DropSysMenu(R.left + L.Frame, R.top + L.Frame + L.CaptionHeight);
      Message.Result = 0;
      return;
    }
    if (Command == SC_MINIMIZE || Command == SC_MAXIMIZE || Command == SC_RESTORE) KillAnimations();
    TkvScrollWnd::kvWndProc(Message);
    if (Attached() && IsWindow(Wnd)) AfterSysCommand(Command);
    return;
  }
  default: break;
  }
  TkvScrollWnd::kvWndProc(Message);
}
