// The adapter of a system dialog.
#include "skin/forms/kvDialogWnd.h"

#include <algorithm>
#include <cwctype>

#include "base/GdiObjects.h"
#include "skin/controls/kvBtnWnd.h"
#include "skin/forms/kvFormAnim.h"
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

bool UpdateLayeredWindowAvailable() {
  static const bool Available =
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "UpdateLayeredWindow") != nullptr;
  return Available;
}

TRect WindowRectOf(HWND Wnd) {
  RECT R{};
  GetWindowRect(Wnd, &R);
  return {R.left, R.top, R.right, R.bottom};
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
  const TsSkinModel* Sm = SkinData() ? SkinData()->Model() : nullptr;
  if (Sm && Sm->ConstData.IndexGLobalInfo >= 0) {
    auto Mask = [&](const char* Name) {
      return Sm->GetMaskIndex(Sm->ConstData.IndexGLobalInfo, "GLOBALINFO", Name);
    };
    bool Big = BorderStyle == fbSingle || BorderStyle == fbSizeable;
    if (Big) {
      int Alone = !VisibleMax() && !VisibleMin() ? Mask("BICLOSEALONE") : -1;
      CloseImage = Alone >= 0 ? Alone : Mask("BICONCLOSE");
    } else {
      CloseImage = Mask("SICONCLOSE");
      if (CloseImage < 0) CloseImage = Mask("BICONCLOSE");
    }
    TitleIndex = Sm->GetSkinIndex("DIALOGTITLE");
    if (TitleIndex < 0) TitleIndex = Sm->GetSkinIndex("FORMTITLE");
  }
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
  if (SkinData()) SkinData()->BGChanged = true;
}

void TkvDialogWnd::Release() {
  FCloseFade.reset();
  TkvScrollWnd::Release();
  HWND Wnd = CtrlHandle;
  // A dialog that outlives its adapter gets its close button and plain frame back.
  if (Wnd && IsWindow(Wnd)) {
    if (FSysMenuTaken) {
      SetWindowLongW(Wnd, GWL_STYLE, GetWindowLongW(Wnd, GWL_STYLE) | WS_SYSMENU);
      FSysMenuTaken = false;
    }
    SetWindowRgn(Wnd, nullptr, FALSE);
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
    if (ValidMask(Sm, CloseImage)) {
      const TsMaskData& M = Sm->ma[size_t(CloseImage)];
      In.ButtonSize[cbClose] = {FrameWidth(M), FrameHeight(M)};
    }
  }
  In.HasSystemMenu = VisibleClose();
  In.ShowMax = In.ShowMin = In.ShowHelp = false;
  In.IconAllowed = (BorderStyle == fbSingle || BorderStyle == fbSizeable) && VisibleClose();
  return In;
}

void TkvDialogWnd::PaintAll() {
  TsCommonData* D = SkinData();
  const TsSkinModel* Sm = D ? D->Model() : nullptr;
  if (!D || !Sm || !D->Section()) return;
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  D->PrepareCacheBmp();
  TBitmap32* Image = D->CacheBmp();
  if (!Image || L.CaptionWidth <= 0 || In.Height <= 0) return;
  if (!D->BGChanged && Image->Width() == L.CaptionWidth && Image->Height() == L.ImageHeight) return;
  Image->SetSize(L.CaptionWidth, L.ImageHeight);
  const TsGeneralData& S = *D->Section();
  int State = std::min(FFormActive ? 1 : 0, std::max(0, S.States - 1));
  PaintSection(*D, TCacheInfo{}, true, State, Image, {0, 0}, L.Body);
  if (L.CaptionHeight > 0) {
    TRect Band{L.Body.Left, L.Body.Top, L.Body.Right,
               std::min(L.Body.Bottom, L.Body.Top + L.Frame + L.CaptionHeight)};
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
    if (L.Shown[cbClose] && ValidMask(Sm, CloseImage)) {
      int State = FCloseFade && FCloseFade->CurrentState >= 0 ? 0 : CloseState;
      int Mode = State == 0 && !FFormActive ? 2 : 1;
      DrawMaskImage(*Sm, *Image, {L.Buttons[cbClose].Left, L.Buttons[cbClose].Top}, State,
                    NewCacheInfo(Image, 0, 0), Sm->ma[size_t(CloseImage)], Mode);
    }
  }
  GdiFlush();
  // GDI's text and icons leave alpha undefined: the image is opaque.
  for (int y = 0; y < Image->Height(); ++y) {
    uint32_t* Row = Image->ScanLine(y);
    for (int x = 0; x < Image->Width(); ++x)
      Row[x] |= 0xFF000000u;
  }
  D->BGChanged = false;
}

void TkvDialogWnd::UpdateRegion() {
  HWND Wnd = CtrlHandle;
  TsCommonData* D = SkinData();
  const TsSkinModel* Sm = D ? D->Model() : nullptr;
  if (!Sm || IsZoomed(Wnd) || (BorderStyle == fbNone && !(dwStyle & WS_THICKFRAME))) return;
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  std::vector<TRect> Cut;
  if (const TsMaskData* M = D->BorderMask()) {
    AddTransparentCornerRects(*Sm, Cut, L.CaptionWidth, *M, false, 0);
    AddTransparentCornerRects(*Sm, Cut, L.CaptionWidth, *M, true, In.Height - M->WB);
  }
  if (ValidSection(Sm, TitleIndex)) {
    int Mask = Sm->gd[size_t(TitleIndex)].BorderIndex;
    if (ValidMask(Sm, Mask))
      AddTransparentCornerRects(*Sm, Cut, L.CaptionWidth, Sm->ma[size_t(Mask)], false, 0);
  }
  TSize Size{In.Width, In.Height};
  if (FRegionApplied && Cut == FCut && Size == FRegionSize) return;
  TRegion Rgn = RectRegion(RECT{0, 0, In.Width, In.Height});
  for (const TRect& C : Cut) {
    TRegion Piece = RectRegion(RECT{C.Left, C.Top, C.Right, C.Bottom});
    CombineRgn(Rgn, Rgn, Piece, RGN_DIFF);
  }
  // The system owns the region once it is set.
  if (SetWindowRgn(Wnd, Rgn, FALSE)) (void)Rgn.Detach();
  FCut = std::move(Cut);
  FRegionSize = Size;
  FRegionApplied = true;
}

void TkvDialogWnd::NCPaint() {
  HWND Wnd = CtrlHandle;
  UpdateRegion();
  PaintAll();
  TsCommonData* D = SkinData();
  TBitmap32* Image = D ? D->CacheBmp() : nullptr;
  HDC Src = Image ? static_cast<HDC>(Image->NativeDC()) : nullptr;
  if (!Src || Image->IsEmpty()) return;
  TFormLayout L = Layout();
  TWindowDC DC(Wnd);
  for (const auto& S : L.Strips)
    if (!S.Dst.IsEmpty())
      CopyToScreen(DC, S.Dst.Left, S.Dst.Top, S.Dst.Width(), S.Dst.Height(), Src, S.Src.X, S.Src.Y);
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

int TkvDialogWnd::HitTest(TPoint Screen) {
  TFormGeometryInput In = GeometryInput();
  TFormLayout L = ComputeFormLayout(In);
  TRect R = WindowRectOf(CtrlHandle);
  return FormHitTest(L, In,
                     {Screen.X - R.Left + L.WindowOrigin.X, Screen.Y - R.Top + L.WindowOrigin.Y});
}

void TkvDialogWnd::SetCloseState(int State) {
  if (State == CloseState) return;
  CloseState = State;
  TsSkinManager* M = SkinManager();
  if (M && M->Effects.AllowGlowing && UpdateLayeredWindowAvailable()) {
    // The new face fades in on an overlay; the frame keeps the normal one underneath.
    if (!FCloseFade) {
      TkvSBAnimation::TCallbacks C;
      C.Draw = [this](TBitmap32& Face, int St) {
        TsCommonData* D = SkinData();
        const TsSkinModel* Sm = D ? D->Model() : nullptr;
        TBitmap32* Image = D ? D->CacheBmp() : nullptr;
        TFormLayout L = Layout();
        const TRect& B = L.Buttons[cbClose];
        if (Image) CopyPixels(Face, 0, 0, *Image, B);
        if (Sm && ValidMask(Sm, CloseImage))
          DrawMaskImage(*Sm, Face, {0, 0}, St, NewCacheInfo(&Face, 0, 0),
                        Sm->ma[size_t(CloseImage)], 1);
      };
      C.Place = [this] {
        TFormLayout L = Layout();
        TRect W = WindowRectOf(CtrlHandle);
        const TRect& B = L.Buttons[cbClose];
        return Bounds(W.Left + B.Left, W.Top + B.Top, B.Width(), B.Height());
      };
      C.MouseAbove = [this] {
        POINT P{};
        GetCursorPos(&P);
        return HitTest({P.x, P.y}) == htCloseCode;
      };
      FCloseFade = std::make_unique<TkvSBAnimation>(CtrlHandle, std::move(C));
    }
    FCloseFade->StartAnimation(State, State == 2 ? 1 : 10);
    return;
  }
  if (SkinData()) SkinData()->BGChanged = true;
  NCPaint();
}

void TkvDialogWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = SkinData();
  HWND Wnd = CtrlHandle;
  if (!SkinActive()) {
    TkvScrollWnd::kvWndProc(Message);
    return;
  }
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
      D->BGChanged = true;
      RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
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
    if (Pos->flags & SWP_HIDEWINDOW) RunHideAnimation(Wnd);
    return;
  }
  case WM_NCHITTEST: {
    TPoint P{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))};
    int Code = HitTest(P);
    if (Code == htCloseCode) {
      Message.Result = HTCLOSE;
      return;
    }
    break;
  }
  case WM_NCMOUSEMOVE:
    if (Message.WParam == HTCLOSE) {
      if (CurrentHT != HTCLOSE) {
        TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE | TME_NONCLIENT, Wnd, 0};
        TrackMouseEvent(&Track);
      }
      CurrentHT = HTCLOSE;
      if (!PressedHT) SetCloseState(1);
      Message.Result = 0;
      return;
    }
    if (CurrentHT == HTCLOSE && !PressedHT) {
      CurrentHT = 0;
      SetCloseState(0);
    }
    break;
  case WM_NCMOUSELEAVE:
    if (PressedHT && GetCapture() == Wnd) break;
    CurrentHT = 0;
    SetCloseState(0);
    break;
  case WM_NCLBUTTONDOWN:
  case WM_NCLBUTTONDBLCLK:
    if (Message.WParam == HTCLOSE) {
      // Never to the system: it would track its own caption button.
      PressedHT = HTCLOSE;
      SetCloseState(2);
      SetCapture(Wnd);
      Message.Result = 0;
      return;
    }
    break;
  case WM_MOUSEMOVE:
    if (PressedHT && GetCapture() == Wnd) {
      POINT C{};
      GetCursorPos(&C);
      SetCloseState(HitTest({C.x, C.y}) == htCloseCode ? 2 : 0);
      return;
    }
    break;
  case WM_LBUTTONUP:
  case WM_NCLBUTTONUP:
    if (PressedHT) {
      PressedHT = 0;
      if (GetCapture() == Wnd) ReleaseCapture();
      POINT C{};
      GetCursorPos(&C);
      bool Over = HitTest({C.x, C.y}) == htCloseCode;
      SetCloseState(Over ? 1 : 0);
      if (Over) SendMessageW(Wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      Message.Result = 0;
      return;
    }
    break;
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
  case WM_SYSCOMMAND:
    if ((Message.WParam & 0xFFF0) == SC_KEYMENU && Message.LParam == L' ' && VisibleClose()) {
      // Below the left end of the title.
      RECT R{};
      GetWindowRect(Wnd, &R);
      TFormLayout L = Layout();
      DropSysMenu(R.left + L.Frame, R.top + L.Frame + L.CaptionHeight);
      Message.Result = 0;
      return;
    }
    break;
  case WM_CAPTURECHANGED:
    if (PressedHT && HWND(Message.LParam) != Wnd) {
      PressedHT = 0;
      SetCloseState(0);
    }
    break;
  default: break;
  }
  TkvScrollWnd::kvWndProc(Message);
}
