// Skinned popup menus and their windows.
#include "skin/menus/sSkinMenus.h"

#include <algorithm>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/data/sMaskData.h"
#include "skin/manager/sSkinManager.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/kvKeyedCopies.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/ShortCuts.h"

namespace {

const TsSkinModel* ActiveModel() {
  TsSkinManager* M = DefaultManager;
  if (!M || !M->Active() || !M->Model().SkinData.Active) return nullptr;
  return &M->Model();
}

HFONT MenuFont(bool Bold) {
  static TFontHandle Normal, Heavy;
  TFontHandle& F = Bold ? Heavy : Normal;
  if (!F) {
    NONCLIENTMETRICSW M{};
    M.cbSize = sizeof(M);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(M), &M, 0);
    if (Bold) M.lfMenuFont.lfWeight = FW_BOLD;
    F = TFontHandle(CreateFontIndirectW(&M.lfMenuFont));
  }
  return F;
}

// The item's font as the manager's item-data handler leaves it; Own is set when the handler
// gave it a colour of its own.
struct TItemFont {
  TFont Font;
  bool Own = false;
};
void ItemFont(TItemFont& Out, TComponent* Item, unsigned State, bool Bold) {
  NONCLIENTMETRICSW M{};
  M.cbSize = sizeof(M);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(M), &M, 0);
  Out.Font.SetName(M.lfMenuFont.lfFaceName);
  Out.Font.SetHeight(M.lfMenuFont.lfHeight);
  Out.Font.SetStyle(Bold ? unsigned(fsBold) : 0u);
  TColor Before = Out.Font.Color();
  if (TsSkinManager* Mgr = DefaultManager; Mgr && Mgr->OnGetPopupItemData) {
    TkvMenuItemData Data;
    Data.Font = &Out.Font;
    Mgr->OnGetPopupItemData(Item, State, Data);
  }
  Out.Own = Out.Font.Color() != Before;
}

HFONT SymbolFont(const wchar_t* Face) {
  LOGFONTW L{};
  TClientDC DC(nullptr);
  L.lfHeight = -MulDiv(10, GetDeviceCaps(DC, LOGPIXELSY), 72);
  L.lfCharSet = SYMBOL_CHARSET;
  wcsncpy(L.lfFaceName, Face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&L);
}

bool HasGlyph(HFONT Font, wchar_t C) {
  TClientDC DC(nullptr);
  TSelectObject Sel(DC, Font);
  WORD Index = 0xFFFF;
  return GetGlyphIndicesW(DC, &C, 1, &Index, GGI_MARK_NONEXISTING_GLYPHS) == 1 && Index != 0xFFFF;
}

} // namespace

// The font that draws a system command's symbol: Webdings, or Marlett (whose close, minimise,
// maximise and restore symbols sit at the same characters) where a Webdings without the glyph
// is installed.
HFONT SystemSymbolFont(wchar_t Symbol) {
  static TFontHandle Webdings(SymbolFont(L"Webdings")), Marlett(SymbolFont(L"Marlett"));
  if (HasGlyph(Webdings, Symbol) || !HasGlyph(Marlett, Symbol)) return Webdings;
  return Marlett;
}

namespace {

std::wstring ShortCutText(const TMenuItem& Item) {
  return Item.ShortCut == scNone ? std::wstring() : ShortCutToText(Item.ShortCut);
}

bool IsSysMenu(const TMenuItem& Item) {
  TMenu* M = Item.Menu();
  return M && M->Name().compare(0, 9, L"kvSysMenu") == 0;
}

// The Webdings symbol of a system command.
const wchar_t* SysSymbol(intptr_t Command) {
  switch (Command & 0xFFF0) {
  case SC_MINIMIZE: return L"0";
  case SC_MAXIMIZE: return L"1";
  case SC_RESTORE: return L"2";
  case SC_CLOSE: return L"r";
  default: return nullptr;
  }
}

// Where a window's client area lies in its window image (Wine's menus have no frame outside
// the client area; Windows' have three pixels).
TPoint ClientOffset(HWND Wnd) {
  if (!Wnd) return {3, 3};
  RECT W{};
  GetWindowRect(Wnd, &W);
  POINT P{0, 0};
  ClientToScreen(Wnd, &P);
  return {P.x - W.left, P.y - W.top};
}

// Mirrors a picture left to right.
void MirrorRows(TBitmap32& B) {
  for (int y = 0; y < B.Height(); ++y) {
    uint32_t* Row = B.ScanLine(y);
    std::reverse(Row, Row + B.Width());
  }
}

uint32_t PixelOf(TColor C) {
  C = ColorToRGB(C);
  return 0xFF000000u | (uint32_t(GetRValue(C)) << 16) | (uint32_t(GetGValue(C)) << 8) |
         GetBValue(C);
}

} // namespace

TsSkinableMenus& SkinableMenus() {
  static TsSkinableMenus Menus;
  return Menus;
}

// ---------------------------------------------------------------------------------------------
// Hooking

namespace {

// The painter's handlers are of these types, so that unhooking takes only its own and leaves
// handlers the application set itself.
struct TPopupMeasure {
  void operator()(TComponent* Sender, HDC DC, int& W, int& H) const {
    SkinableMenus().MeasureItem(*static_cast<TMenuItem*>(Sender), DC, W, H);
  }
};
struct TPopupDraw {
  void operator()(TComponent* Sender, HDC DC, const RECT& R, UINT State) const {
    SkinableMenus().DrawItem(*static_cast<TMenuItem*>(Sender), DC, R, State);
  }
};
struct TLineMeasure {
  void operator()(TComponent* Sender, HDC DC, int& W, int& H) const {
    SkinableMenus().MeasureLineItem(*static_cast<TMenuItem*>(Sender), DC, W, H);
  }
};
struct TLineDraw {
  void operator()(TComponent* Sender, HDC DC, const RECT& R, UINT State) const {
    SkinableMenus().DrawLineItem(*static_cast<TMenuItem*>(Sender), DC, R, State);
  }
};

template <class TOwn>
bool IsOwn(const auto& Handler) {
  return Handler && Handler.template target<TOwn>() != nullptr;
}

void UnhookLine(TMenuItem& Item) {
  if (IsOwn<TLineMeasure>(Item.OnMeasureItem)) Item.OnMeasureItem = nullptr;
  if (IsOwn<TLineDraw>(Item.OnDrawItem)) Item.OnDrawItem = nullptr;
}

} // namespace

std::function<TkvMenuLineHost*(HWND Wnd)> MenuLineHostOf;

void TsSkinableMenus::HookItem(TMenuItem& Item, bool Active) {
  for (int i = 0; i < Item.Count(); ++i) {
    TMenuItem& Sub = *Item.Items(i);
    if (Active) {
      if (!Sub.OnMeasureItem) Sub.OnMeasureItem = TPopupMeasure{};
      if (!Sub.OnDrawItem) Sub.OnDrawItem = TPopupDraw{};
    } else {
      if (IsOwn<TPopupMeasure>(Sub.OnMeasureItem)) Sub.OnMeasureItem = nullptr;
      if (IsOwn<TPopupDraw>(Sub.OnDrawItem)) Sub.OnDrawItem = nullptr;
    }
    HookItem(Sub, Active);
  }
}

void TsSkinableMenus::HookPopupMenu(TMenu& Menu, bool Active) {
  Menu.OwnerDraw = Active;
  HookItem(Menu.Items(), Active);
}

void TsSkinableMenus::SetActive(bool Value) {
  if (Value != FActive) InitItems(Value);
}

void TsSkinableMenus::UpdateMenus() {
  SetActive(ActiveModel() != nullptr);
}

namespace {

void HookComponents(TsSkinableMenus& P, TComponent& Owner, bool Active) {
  for (int i = 0; i < Owner.ComponentCount(); ++i) {
    TComponent* C = Owner.Components(i);
    if (C->IsDestroying()) continue;
    if (dynamic_cast<TMainMenu*>(C)) {
      // A bar follows its form's frame: its provider hooks it.
    } else if (auto* Popup = dynamic_cast<TPopupMenu*>(C)) {
      P.HookPopupMenu(*Popup, Active);
    } else if (auto* Item = dynamic_cast<TMenuItem*>(C);
               Item && !dynamic_cast<TMainMenu*>(Item->Menu())) {
      P.HookItem(*Item, Active);
    }
    HookComponents(P, *C, Active);
  }
}

} // namespace

void TsSkinableMenus::InitItems(bool Active) {
  FActive = Active;
  TsSkinManager* M = DefaultManager;
  if (Application) HookComponents(*this, *Application, Active && M && M->SkinnedPopups);
}

bool TsSkinableMenus::IsTopLine(const TMenuItem& Item) {
  TMenuItem* Parent = Item.Parent();
  return Parent && !Parent->Parent() && dynamic_cast<TMainMenu*>(Item.Menu());
}

bool TsSkinableMenus::IsSkinnedItem(const TMenuItem& Item) {
  return IsOwn<TPopupDraw>(Item.OnDrawItem) || IsOwn<TLineDraw>(Item.OnDrawItem);
}

void TsSkinableMenus::InitMenuLine(TMainMenu& Menu, bool Active) {
  TsSkinManager* M = DefaultManager;
  TMenuItem& Top = Menu.Items();
  for (int i = 0; i < Top.Count(); ++i) {
    TMenuItem& Item = *Top.Items(i);
    if (Active) {
      if (!M || !M->Active()) return;
      // Without skinned popups the bar stays the system's.
      if (!M->SkinnedPopups) return;
      Item.OnMeasureItem = TLineMeasure{};
      Item.OnDrawItem = TLineDraw{};
    } else {
      UnhookLine(Item);
    }
    HookItem(Item, Active);
  }
  if (Menu.IsDestroying() || Top.Count() == 0 || Menu.OwnerDraw == Active) return;
  Menu.OwnerDraw = Active;
  Menu.Changed();
}

void TsSkinableMenus::InitItem(TMenuItem& Item, bool Active) {
  TsSkinManager* M = DefaultManager;
  if (!Active) {
    UnhookLine(Item);
    if (IsOwn<TPopupMeasure>(Item.OnMeasureItem)) Item.OnMeasureItem = nullptr;
    if (IsOwn<TPopupDraw>(Item.OnDrawItem)) Item.OnDrawItem = nullptr;
  } else if (IsTopLine(Item)) {
    Item.OnMeasureItem = TLineMeasure{};
    Item.OnDrawItem = TLineDraw{};
  } else if (M && M->SkinnedPopups) {
    if (!Item.OnMeasureItem) Item.OnMeasureItem = TPopupMeasure{};
    if (!Item.OnDrawItem) Item.OnDrawItem = TPopupDraw{};
  }
}

bool TsSkinableMenus::IsRightToLeft(const TMenuItem& Item) const {
  TMenu* M = Item.Menu();
  return MiddleEastLocale && M && M->BiDiMode != bdLeftToRight;
}

// ---------------------------------------------------------------------------------------------
// Levels

int TsSkinableMenus::GetSkinBorderWidth() {
  if (SkinBorderWidth >= 0) return SkinBorderWidth;
  const TsSkinModel* Sm = ActiveModel();
  int Section = Sm ? Sm->GetSkinIndex("MAINMENU") : -1;
  int Mask = Section >= 0 ? Sm->GetMaskIndex(Section, "MAINMENU", "BORDERSMASK") : -1;
  if (!Sm || !ValidMask(Sm, Mask)) return 0;
  int W = Sm->ma[size_t(Mask)].BorderWidth;
  SkinBorderWidth = W <= 0 ? 3 : W;
  return SkinBorderWidth;
}

void TsSkinableMenus::ClearMenuInfoCache() {
  FCache.clear();
}

void TsSkinableMenus::ForgetWindow(HWND Wnd) {
  FCache.erase(std::remove_if(FCache.begin(), FCache.end(),
                              [Wnd](const TkvMenuInfo& I) { return I.Wnd == Wnd; }),
               FCache.end());
}

TkvMenuInfo* TsSkinableMenus::MenuInfo(TMenuItem* Item, HWND Wnd, int Width, int Height) {
  TMenuItem* First = nullptr;
  if (Item && Item->Parent() && Item->Parent()->Count() > 0) First = Item->Parent()->Items(0);
  for (TkvMenuInfo& I : FCache)
    if ((First && I.FirstItem == First) || (!First && Wnd && I.Wnd == Wnd)) return &I;
  if (!First || Width <= 0 || Height <= 0) return nullptr;
  PrepareMenuBG(First, Width, Wnd, Height);
  for (TkvMenuInfo& I : FCache)
    if (I.FirstItem == First) return &I;
  return nullptr;
}

int TsSkinableMenus::ExtraWidth(const TkvMenuInfo& Info) const {
  TsSkinManager* M = DefaultManager;
  return M && M->MenuSupport.UseExtraLine && Info.HaveExtraLine ? M->MenuSupport.ExtraLineWidth : 0;
}

bool TsSkinableMenus::InFirstColumn(const TMenuItem& Item) {
  TMenuItem* Parent = Item.Parent();
  if (!Parent) return true;
  for (int i = 0; i < Parent->Count(); ++i) {
    if (Parent->Items(i)->Break) return false;
    if (Parent->Items(i) == &Item) return true;
  }
  return true;
}

bool TsSkinableMenus::ExtraLineDecision(TMenuItem* First) {
  FExtraGlyph.reset();
  if (!First || First->Name() == L"SkinSelectItem" || FInExtraEvent) return false;
  FExtraSection = "EXTRALINE";
  FExtraCaption = L"Use OnGetExtraLineData event";
  bool Visible = true;
  if (TsSkinManager* M = DefaultManager; M && M->OnGetMenuExtraLineData) {
    std::wstring Section(FExtraSection.begin(), FExtraSection.end());
    FInExtraEvent = true;
    try {
      M->OnGetMenuExtraLineData(First, Section, FExtraCaption, FExtraGlyph, Visible);
    } catch (...) {
      FInExtraEvent = false;
      throw;
    }
    FInExtraEvent = false;
    FExtraSection.clear();
    for (wchar_t C : Section)
      FExtraSection += char(C);
  }
  FExtraCaption.erase(std::remove(FExtraCaption.begin(), FExtraCaption.end(), L'&'),
                      FExtraCaption.end());
  if (!Visible) FExtraGlyph.reset();
  return Visible;
}

void TsSkinableMenus::PaintExtraLine(TBitmap32& Image, int Height) {
  const TsSkinModel* Sm = ActiveModel();
  TsSkinManager* M = DefaultManager;
  int Section = Sm ? Sm->GetSkinIndex(FExtraSection) : -1;
  int B = GetSkinBorderWidth();
  if (!M || Section < 0 || Height - 2 * B <= 0) return;
  TBitmap32 Line(M->MenuSupport.ExtraLineWidth, Height - 2 * B);
  PaintSectionByIndex(Section, FExtraSection, NewCacheInfo(&Image, 0, 0), -1, -1, Sm, &Line, {B, B},
                      Line.BoundsRect(), 0, true);
  int C = 12;
  if (FExtraGlyph && !FExtraGlyph->IsEmpty()) {
    const TBitmap32& G = *FExtraGlyph;
    CopyPixels(Line, (Line.Width() - G.Width()) / 2, Line.Height() - 12 - G.Height(), G,
               G.BoundsRect());
    C = G.Height() + 20;
  }
  if (HDC DC = static_cast<HDC>(Line.NativeDC()); DC && !FExtraCaption.empty()) {
    const TFont& F = M->MenuSupport.ExtraLineFont;
    LOGFONTW L{};
    L.lfHeight = F.Height();
    L.lfWeight = (F.Style() & fsBold) ? 700 : 400;
    L.lfItalic = (F.Style() & fsItalic) != 0;
    L.lfUnderline = (F.Style() & fsUnderline) != 0;
    L.lfStrikeOut = (F.Style() & fsStrikeOut) != 0;
    L.lfCharSet = BYTE(F.Charset());
    // Reading upwards.
    L.lfEscapement = L.lfOrientation = -2700;
    wcsncpy(L.lfFaceName, F.Name().c_str(), LF_FACESIZE - 1);
    TFontHandle Rotated(CreateFontIndirectW(&L));
    TSelectObject Sel(DC, Rotated);
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, ToColorRef(Sm->gd[size_t(Section)].FontColor.Color));
    TEXTMETRICW Tm{};
    GetTextMetricsW(DC, &Tm);
    TextOutW(DC, (Line.Width() - Tm.tmHeight) / 2, Line.Height() - C, FExtraCaption.c_str(),
             int(FExtraCaption.size()));
    GdiFlush();
  }
  CopyPixels(Image, B, B, Line, Line.BoundsRect());
  FExtraGlyph.reset();
}

TCustomImageList* TsSkinableMenus::ItemImages(const TMenuItem& Item) {
  TMenu* M = Item.Menu();
  TCustomImageList* List = M ? M->Images() : nullptr;
  return List && Item.ImageIndex >= 0 && Item.ImageIndex < List->Count() ? List : nullptr;
}

TSize TsSkinableMenus::ItemGlyphSize(const TMenuItem& Item) {
  if (!Item.Bitmap.IsEmpty()) return {Item.Bitmap.Width(), Item.Bitmap.Height()};
  TMenu* M = Item.Menu();
  if (TCustomImageList* List = M ? M->Images() : nullptr; List && List->Width() > 0)
    return {List->Width(), List->Height()};
  return {16, 16};
}

std::shared_ptr<TBitmap32> TsSkinableMenus::PrepareMenuBG(TMenuItem* First, int Width, HWND Wnd,
                                                          int Height) {
  auto Image = std::make_shared<TBitmap32>(Width, Height);
  const TsSkinModel* Sm = ActiveModel();
  TkvMenuInfo Info;
  Info.FirstItem = First;
  Info.Bmp = Image;
  Info.Wnd = Wnd;
  Info.HaveExtraLine = ExtraLineDecision(First);
  IcoLineWidth = Margin + (First ? ItemGlyphSize(*First).cx : 16) + Spacing;
  const int E = ExtraWidth(Info);
  int Section = Sm ? Sm->GetSkinIndex("MAINMENU") : -1;
  if (Section >= 0) {
    TCacheInfo None;
    PaintSectionBackground(Section, "MAINMENU", None, 0, Image->BoundsRect(), {0, 0}, *Image, Sm,
                           -1, -1, clFuchsia);
    TCacheInfo Self = NewCacheInfo(Image.get(), 0, 0);
    int B = GetSkinBorderWidth();
    // The icon column.
    std::string IcoLine = "ICOLINE";
    if (TsSkinManager* M = DefaultManager; M && !M->MenuSupport.IcoLineSkin.empty()) {
      IcoLine.clear();
      for (wchar_t C : M->MenuSupport.IcoLineSkin)
        IcoLine += char(C);
    }
    int Ico = Sm->GetSkinIndex(IcoLine);
    bool RightToLeft = Wnd && (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_RIGHT);
    // A menu the system draws itself (no first item) has no icon column of the skin's.
    if (Ico >= 0 && First && !RightToLeft && Height - 2 * B > 0) {
      TBitmap32 Column(IcoLineWidth, Height - 2 * B);
      PaintSectionByIndex(Ico, IcoLine, Self, -1, -1, Sm, &Column, {E + B, B}, Column.BoundsRect(),
                          0, true);
      CopyPixels(*Image, E + B, B, Column, Column.BoundsRect());
    }
    int Mask = Sm->GetMaskIndex(Section, "MAINMENU", "BORDERSMASK");
    if (ValidMask(Sm, Mask))
      PaintMaskBorders(*Sm, *Image, Image->BoundsRect(), true, 0, Sm->ma[size_t(Mask)], Self);
    if (E > 0) PaintExtraLine(*Image, Height);
    if (ValidMask(Sm, Mask)) {
      const TsMaskData& M = Sm->ma[size_t(Mask)];
      // This level's own corners: other levels keep theirs.
      AddTransparentCornerRects(*Sm, Info.Corners, Width, M, false, 0);
      AddTransparentCornerRects(*Sm, Info.Corners, Width, M, true, Height - M.WB);
    }
    // A right-to-left menu shows the level mirrored: icon column and extra line at the right.
    if (First && IsRightToLeft(*First)) {
      GdiFlush();
      MirrorRows(*Image);
      for (TRect& C : Info.Corners)
        C = {Width - C.Right, C.Top, Width - C.Left, C.Bottom};
    }
  }
  GdiFlush();
  FCache.push_back(Info);
  if (Wnd) DrawWndBorder(Wnd, FCache.back());
  return Image;
}

void TsSkinableMenus::DrawWndBorder(HWND Wnd, const TkvMenuInfo& Info) {
  if (!Wnd || !Info.Bmp || Info.Bmp->IsEmpty()) return;
  RECT W{};
  GetWindowRect(Wnd, &W);
  int Width = W.right - W.left, Height = W.bottom - W.top;
  if (Width != Info.Bmp->Width() || Height != Info.Bmp->Height()) return;
  TRegion Rgn = RectRegion(RECT{0, 0, Width, Height});
  for (const TRect& C : Info.Corners) {
    TRegion Piece = RectRegion(RECT{C.Left, C.Top, C.Right, C.Bottom});
    CombineRgn(Rgn, Rgn, Piece, RGN_DIFF);
  }
  // The system owns the region once it is set.
  if (SetWindowRgn(Wnd, Rgn, FALSE)) (void)Rgn.Detach();
  // The frame: the strips of the system's border width around the items.
  HDC Src = static_cast<HDC>(Info.Bmp->NativeDC());
  if (!Src) return;
  GdiFlush();
  TWindowDC DC(Wnd);
  int B = BorderWidth;
  TRect Strips[4];
  FrameStrips({0, 0, Width, Height}, B, B, B, B, Strips);
  for (const TRect& S : Strips)
    if (!S.IsEmpty()) BitBlt(DC, S.Left, S.Top, S.Width(), S.Height(), Src, S.Left, S.Top, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Measuring

bool TsSkinableMenus::IsCaptionItem(const TMenuItem& Item) {
  const std::wstring& C = Item.Caption;
  // A lone "-" is a divider; an empty caption is nothing.
  return C.size() >= 2 && C.front() == L'-' && C.back() == L'-';
}

int TsSkinableMenus::ItemHeight(TMenuItem& Item, HDC DC) {
  TsSkinableMenus& P = SkinableMenus();
  if (Item.IsLine()) return 2;
  std::wstring Text = Item.Caption;
  if (!IsCaptionItem(Item)) Text += ShortCutText(Item);
  RECT R{0, 0, 800, 0};
  TSelectObject Font(DC, MenuFont(Item.Default));
  DrawTextW(DC, Text.c_str(), int(Text.size()), &R,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP);
  int H = R.bottom - R.top;
  if (IsCaptionItem(Item)) return H + 2 * P.Margin + 3;
  return std::max(H, int(ItemGlyphSize(Item).cy)) + 2 * P.Margin + 2;
}

void TsSkinableMenus::MeasureItem(TMenuItem& Item, HDC DC, int& Width, int& Height) {
  if (Item.IsDestroying()) return;
  MenusMeasured = true;
  CurrentItemType = Item.IsLine() ? smDivider : IsCaptionItem(Item) ? smCaption : smNormal;
  TItemFont F;
  ItemFont(F, &Item, 0, Item.Default);
  TSelectObject Font(DC, F.Font.Handle());
  std::wstring Text;
  if (CurrentItemType == smCaption)
    Text = L"-" + Item.Caption + L"-";
  else if (CurrentItemType == smNormal)
    Text = Item.Caption + ShortCutText(Item);
  int TextWidth = 0;
  if (!Text.empty()) {
    RECT R{0, 0, CurrentItemType == smNormal ? 800 : 1, 0};
    DrawTextW(DC, Text.c_str(), int(Text.size()), &R,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOCLIP);
    TextWidth = R.right - R.left;
  }
  int G = ItemGlyphSize(Item).cx;
  Width = 2 * G + TextWidth + 3 * Margin + Spacing;
  // The level's extra line widens the items of its first column.
  TkvMenuInfo* Info = MenuInfo(&Item, nullptr);
  bool Extra = false;
  if (Info)
    Extra = Info->HaveExtraLine;
  else if (Item.Parent() && Item.Parent()->Count() > 0 && !FInExtraEvent)
    Extra = ExtraLineDecision(Item.Parent()->Items(0));
  TsSkinManager* M = DefaultManager;
  if (Extra && M && M->MenuSupport.UseExtraLine && InFirstColumn(Item))
    Width += M->MenuSupport.ExtraLineWidth;
  Height = ItemHeight(Item, DC);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TsSkinableMenus::DrawDivider(TMenuItem& Item, HDC DC, const RECT& R, const TkvMenuInfo& Info,
                                  TPoint Offset) {
  const TsSkinModel* Sm = ActiveModel();
  TBitmap32 Pic(R.right - R.left, R.bottom - R.top);
  if (Pic.IsEmpty()) return;
  CopyPixels(Pic, 0, 0, *Info.Bmp,
             {R.left + Offset.X, R.top + Offset.Y, R.right + Offset.X, R.bottom + Offset.Y});
  TRect L{Margin + Spacing, 0, Pic.Width() - (2 * Margin + Spacing), Pic.Height()};
  if (L.Left < IcoLineWidth) L.Left = IcoLineWidth + 2;
  // Right to left the icon column is at the right: the line is mirrored.
  if (IsRightToLeft(Item)) L = {Pic.Width() - L.Right, L.Top, Pic.Width() - L.Left, L.Bottom};
  int Section = Sm ? Sm->GetSkinIndex("DIVIDERV") : -1;
  int Mask = Section >= 0 ? Sm->GetMaskIndex(Section, "DIVIDERV", "BORDERSMASK") : -1;
  if (Sm && ValidMask(Sm, Mask) && !L.IsEmpty()) {
    PaintMaskBorders(*Sm, Pic, L, true, 0, Sm->ma[size_t(Mask)], NewCacheInfo(&Pic, 0, 0));
  } else {
    TColor C = Sm ? Sm->Palette[pcBorder] : TColor(clFuchsia);
    if (ColorToRGB(C) == clFuchsia) C = GetSysColor(COLOR_BTNSHADOW);
    for (int x = std::max(0, L.Left); x < std::min(Pic.Width(), L.Right); ++x)
      Pic.Pixel(x, 0) = PixelOf(C);
  }
  GdiFlush();
  BitBlt(DC, R.left, R.top, Pic.Width(), Pic.Height(), static_cast<HDC>(Pic.NativeDC()), 0, 0,
         SRCCOPY);
}

void TsSkinableMenus::DrawCaptionItem(TMenuItem& Item, HDC DC, const RECT& R,
                                      const TkvMenuInfo& Info, TPoint Offset) {
  const TsSkinModel* Sm = ActiveModel();
  if (!Sm) return;
  int E = InFirstColumn(Item) ? ExtraWidth(Info) : 0;
  TBitmap32 B(R.right - R.left, R.bottom - R.top);
  if (B.IsEmpty()) return;
  // The menu's own ground behind the item, its frame pixel included.
  CopyPixels(B, 0, 0, *Info.Bmp,
             {R.left + Offset.X, R.top + Offset.Y, R.right + Offset.X, R.bottom + Offset.Y});
  std::string Name = "MENUCAPTION";
  int Section = Sm->GetSkinIndex(Name);
  if (Section < 0) Section = Sm->GetSkinIndex(Name = "TOOLBAR");
  TRect Inner{E + 1, 1, B.Width() - 1, B.Height() - 1};
  if (Section >= 0 && !Inner.IsEmpty())
    PaintSectionByIndex(Section, Name, NewCacheInfo(Info.Bmp.get(), Offset.X + 1, Offset.Y + 1), -1,
                        -1, Sm, &B, {R.left + E, R.top}, Inner, 0, true);
  // The word between the dashes, kept in UTF-16.
  const std::wstring& C = Item.Caption;
  size_t From = C.find_first_not_of(L'-');
  std::wstring Text;
  if (From != std::wstring::npos) Text = C.substr(From, C.find(L'-', From) - From);
  if (HDC BDC = static_cast<HDC>(B.NativeDC()); BDC && !Text.empty()) {
    TSelectObject Font(BDC, MenuFont(true));
    SetBkMode(BDC, TRANSPARENT);
    TRect TR{E, Margin + 2, B.Width(), B.Height() - Margin - 2};
    DrawSectionText(BDC, Text, true, DefaultManager, 0, Section,
                    DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_HIDEPREFIX, TR);
  }
  GdiFlush();
  BitBlt(DC, R.left, R.top, B.Width(), B.Height(), static_cast<HDC>(B.NativeDC()), 0, 0, SRCCOPY);
}

namespace {

// The item's own bitmap (blended by its alpha, or copied) or its image of the list at (X, Y).
void DrawItemGlyph(const TMenuItem& Item, const TCustomImageList* List, TBitmap32& B, int X,
                   int Y) {
  const TBitmap32& G = Item.Bitmap;
  if (G.IsEmpty()) {
    if (List) List->Draw(B, X, Y, Item.ImageIndex, true);
    return;
  }
  if (Item.BitmapHasAlpha)
    CopyAlpha32({X, Y, X + G.Width(), Y + G.Height()}, G.BoundsRect(), B, false, TCacheInfo{}, G);
  else
    CopyPixels(B, X, Y, G, G.BoundsRect());
}

} // namespace

void TsSkinableMenus::DrawGlyph(TMenuItem& Item, TBitmap32& B, bool RightToLeft, bool Hot) {
  const TsSkinModel* Sm = ActiveModel();
  const int RW = B.Width(), RH = B.Height();
  const bool Own = !Item.Bitmap.IsEmpty();
  TCustomImageList* List = Own ? nullptr : ItemImages(Item);
  if (Own || List) {
    // The item's glyph, vertically centred, near the edge the menu reads from.
    const TSize G = ItemGlyphSize(Item);
    const int GW = G.cx, GH = G.cy;
    const int T = (RH - GH) / 2;
    const int Left = RightToLeft ? RW - T - GW : std::min(3, T);
    if (int Face = Item.Checked ? Sm->GetSkinIndex("SPEEDBUTTON_SMALL") : -1; Face >= 0) {
      // A checked item with an image shows it pressed in.
      TRect R{Left - 1, T - 1, Left + GW + 1, T + GH + 1};
      PaintSectionByIndex(Face, "SPEEDBUTTON_SMALL", NewCacheInfo(&B, 0, 0), -1, -1, Sm, &B,
                          {R.Left, R.Top}, R.Intersected(B.BoundsRect()), 2, true);
    }
    DrawItemGlyph(Item, List, B, Left, T);
    return;
  }
  HDC BDC = static_cast<HDC>(B.NativeDC());
  if (Item.Checked && Sm->ConstData.IndexGLobalInfo >= 0) {
    // A checked item without an image shows the skin's check mark.
    auto Mask = [&](const char* Name) {
      return Sm->GetMaskIndex(Sm->ConstData.IndexGLobalInfo, "GLOBALINFO", Name);
    };
    int Check = Mask(Item.RadioItem ? "RADIOCHECKED" : "CHECK");
    if (!ValidMask(Sm, Check)) Check = Mask("BOXCHECKED");
    if (ValidMask(Sm, Check)) {
      const TsMaskData& M = Sm->ma[size_t(Check)];
      int X = RightToLeft ? RW - 2 - Margin - FrameWidth(M) : 2 + Margin;
      DrawMaskImage(*Sm, B, {X, (RH - FrameHeight(M)) / 2}, Hot ? 1 : 0, NewCacheInfo(&B, 0, 0), M,
                    1);
    }
  } else if (const wchar_t* Symbol = IsSysMenu(Item) ? SysSymbol(Item.Tag) : nullptr;
             Symbol && BDC) {
    // The system commands' symbols.
    TSelectObject Font(BDC, SystemSymbolFont(Symbol[0]));
    SetBkMode(BDC, TRANSPARENT);
    SIZE Ext{};
    GetTextExtentPoint32W(BDC, Symbol, 1, &Ext);
    int H = Ext.cy;
    TRect R = RightToLeft ? TRect{RW - 4 - H, (RH - H) / 2, RW - 4, (RH - H) / 2 + H}
                          : TRect{4, (RH - H) / 2, H + 14, (RH - H) / 2 + H};
    DrawSectionText(BDC, Symbol, true, DefaultManager, Hot ? 1 : 0, Sm->GetSkinIndex("MENUITEM"),
                    (RightToLeft ? DT_RIGHT : DT_LEFT) | DT_SINGLELINE | DT_NOPREFIX, R);
  }
}

void TsSkinableMenus::FillColumns(TMenuItem& Item, HWND W, const RECT& R, const TBitmap32& I,
                                  TPoint Offset) {
  TMenuItem* Parent = Item.Parent();
  if (!Parent) return;
  // The visible items around this one, as the menu shows them.
  int Index = Parent->IndexOf(&Item);
  TMenuItem* Next = nullptr;
  for (int i = Index + 1; i < Parent->Count() && !Next; ++i)
    if (Parent->Items(i)->Visible) Next = Parent->Items(i);
  HDC Src = static_cast<HDC>(const_cast<TBitmap32&>(I).NativeDC());
  if (!Src) return;
  // The system fills what no item covers with its own colour, and the item's device context
  // is clipped to the item: the ground around a column goes straight to the window.
  TWindowDC DC(W);
  const int X = R.left + Offset.X, Bottom = R.bottom + Offset.Y;
  const int Inner = I.Height() - Offset.Y; // the items' area ends here
  if ((Next && Next->Break) || (!Next && Bottom < Inner))
    BitBlt(DC, X, Bottom, R.right - R.left, std::max(0, Inner - Bottom), Src, X, Bottom, SRCCOPY);
  if (Item.Break && R.left > 0) {
    const int Top = R.top + Offset.Y;
    BitBlt(DC, X - 4, Top, 4, std::max(0, Inner - Top), Src, X - 4, Top, SRCCOPY);
  }
}

void TsSkinableMenus::DrawItem(TMenuItem& Item, HDC DC, const RECT& ItemRect, UINT State) {
  RECT Rect = ItemRect;
  const TsSkinModel* Sm = ActiveModel();
  if (!Sm || Item.IsDestroying()) return;
  HWND W = WindowFromDC(DC);
  RECT WR{};
  if (W) GetWindowRect(W, &WR);
  int Width = WR.right - WR.left, Height = WR.bottom - WR.top;
  TkvMenuInfo* Info = MenuInfo(&Item, W, Width, Height);
  if (!Info || !Info->Bmp) return;
  if (W && !Info->Wnd) {
    Info->Wnd = W;
    DrawWndBorder(W, *Info);
  }
  if (!W) {
    // The window is found later from the item's command (never a pointer the menu may free).
    TForm* Main = DefaultManager ? DefaultManager->HookedForm() : nullptr;
    MSG Pending;
    if (Main && Main->HandleAllocated() &&
        !PeekMessageW(&Pending, Main->Handle(), KV_MENUITEMDRAWN, KV_MENUWINDOWSHOWN, PM_NOREMOVE))
      PostMessageW(Main->Handle(), KV_MENUITEMDRAWN, 0, LPARAM(Item.Command()));
  }
  const TBitmap32& I = *Info->Bmp;
  // Where the item lies in the level image.
  TPoint Offset = ClientOffset(W);
  int RW = Rect.right - Rect.left, RH = Rect.bottom - Rect.top;
  if (RW <= 0 || RH <= 0) return;
  if (Item.IsLine()) {
    CurrentItemType = smDivider;
    DrawDivider(Item, DC, Rect, *Info, Offset);
    return;
  }
  if (IsCaptionItem(Item)) {
    CurrentItemType = smCaption;
    DrawCaptionItem(Item, DC, Rect, *Info, Offset);
    return;
  }
  CurrentItemType = smNormal;
  if (W) FillColumns(Item, W, Rect, I, Offset);
  const bool RightToLeft = IsRightToLeft(Item);
  const bool Selected = State & ODS_SELECTED;
  const bool Enabled = !(State & (ODS_GRAYED | ODS_DISABLED)) && Item.Enabled;
  const bool Hot = Selected && Enabled;
  // The extra line lies beside the first column's items: left of them, or right of them in a
  // mirrored level.
  const int E = InFirstColumn(Item) ? ExtraWidth(*Info) : 0;
  if (E > 0 && Item.Parent() && Item.Parent()->Count() > 0 && Item.Parent()->Items(0) == &Item) {
    int H = std::max(0, I.Height() - 2 * Offset.Y);
    HDC Src = static_cast<HDC>(const_cast<TBitmap32&>(I).NativeDC());
    int X = RightToLeft ? Rect.right - E : 0;
    if (Src) BitBlt(DC, X, 0, E, H, Src, X + Offset.X, Offset.Y, SRCCOPY);
  }
  Rect = RightToLeft ? RECT{Rect.left, Rect.top, Rect.right - E, Rect.bottom}
                     : RECT{Rect.left + E, Rect.top, Rect.right, Rect.bottom};
  RW = Rect.right - Rect.left;
  if (RW <= 0) return;
  TBitmap32 B(RW, RH);
  CopyPixels(
      B, 0, 0, I,
      {Rect.left + Offset.X, Rect.top + Offset.Y, Rect.right + Offset.X, Rect.bottom + Offset.Y});
  // The face.
  if (int Face = Sm->GetSkinIndex("MENUITEM"); Face >= 0) {
    TCacheInfo Behind = NewCacheInfo(const_cast<TBitmap32*>(&I), 0, 0);
    PaintSectionByIndex(Face, "MENUITEM", Behind, -1, -1, Sm, &B,
                        {Rect.left + Offset.X, Rect.top + Offset.Y}, B.BoundsRect(), Hot ? 1 : 0,
                        true);
  }
  HDC BDC = static_cast<HDC>(B.NativeDC());
  if (!BDC) return;
  GdiFlush();
  DrawGlyph(Item, B, RightToLeft, Hot);
  TSize G = ItemGlyphSize(Item);
  // Caption and short cut, in the font the item-data handler leaves.
  TItemFont F;
  ItemFont(F, &Item, State, Item.Default);
  TSelectObject Font(BDC, F.Font.Handle());
  SetBkMode(BDC, TRANSPARENT);
  std::wstring Caption = Item.Caption, TabText;
  if (size_t Tab = Caption.find(L'\t'); Tab != std::wstring::npos) {
    TabText = Caption.substr(Tab + 1);
    Caption.resize(Tab);
  }
  UINT Align = Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
  if (TabText.empty() && !Caption.empty() && Caption[0] == L'\x08') {
    Caption = Caption.substr(1) + L"      ";
    Align = DT_RIGHT;
  }
  UINT Format = Align | DT_EXPANDTABS | DT_VCENTER | DT_NOCLIP |
                (Caption.find(L'\r') != std::wstring::npos ? DT_WORDBREAK : DT_SINGLELINE) |
                ((State & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
  if (RightToLeft) Format |= DT_RIGHT | DT_RTLREADING;
  int Section = Sm->GetSkinIndex("MENUITEM");
  // A colour the handler chose is written as it is; otherwise the section's.
  auto Write = [&](const std::wstring& T, UINT Flags, TRect R) {
    if (!F.Own) {
      DrawSectionText(BDC, T, true, DefaultManager, Hot ? 1 : 0, Section, Flags, R);
      return;
    }
    SetTextColor(BDC, ToColorRef(F.Font.Color()));
    RECT Rc{R.Left, R.Top, R.Right, R.Bottom};
    DrawTextW(BDC, T.c_str(), int(T.size()), &Rc, Flags);
  };
  // The glyph column comes first in reading order.
  const int Column = G.cx + 2 * Margin + Spacing;
  TRect TextR = RightToLeft ? TRect{0, 1 + Margin, RW - Column, RH - Margin}
                            : TRect{Column, 1 + Margin, RW, RH - Margin};
  Write(Caption, Format, TextR);
  TRect Last = TextR;
  if (std::wstring Keys = ShortCutText(Item); !Keys.empty()) {
    RECT M{0, 0, 0, 0};
    DrawTextW(BDC, Keys.c_str(), int(Keys.size()), &M, DT_CALCRECT | DT_EXPANDTABS | DT_SINGLELINE);
    int Wd = M.right - M.left;
    // Short cuts end 8 pixels before the far edge (right to left: start 6 from the left).
    TRect R = RightToLeft ? TRect{6, 0, 6 + Wd, RH} : TRect{RW - Wd - 8, 0, RW - 8, RH};
    Write(Keys, DT_SINGLELINE | DT_VCENTER | (RightToLeft ? DT_RTLREADING : 0u), R);
    Last = R;
  }
  if (!TabText.empty()) {
    if (RightToLeft) {
      Write(TabText, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_RTLREADING,
            TRect{6, 0, std::max(6, RW - Column), RH});
    } else {
      TRect R = Last;
      R.Right -= 8;
      Write(TabText, DT_RIGHT | DT_SINGLELINE | DT_VCENTER, R);
    }
  }
  if (OnDrawItem) {
    OnDrawItem(&Item, BDC, B.BoundsRect(), State, CurrentItemType);
    SetBkMode(BDC, TRANSPARENT);
  }
  GdiFlush();
  // A disabled item keeps 40 % of itself over the menu's ground.
  if (!Enabled)
    BlendKeyed(
        B, 0, 0, 0xFF00FF, 0.4,
        {Rect.left + Offset.X, Rect.top + Offset.Y, Rect.right + Offset.X, Rect.bottom + Offset.Y},
        I);
  BitBlt(DC, Rect.left, Rect.top, RW, RH, BDC, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Menu-bar items

void TsSkinableMenus::MeasureLineItem(TMenuItem& Item, HDC DC, int& Width, int& Height) {
  if (Item.IsDestroying()) return;
  CurrentItemType = smTopLine;
  Height = GetSystemMetrics(SM_CYMENU) - 1;
  TSelectObject Font(DC, MenuFont(Item.Default));
  std::wstring Text = Item.Caption;
  Text.erase(std::remove(Text.begin(), Text.end(), L'&'), Text.end());
  SIZE Ext{};
  if (!Text.empty()) GetTextExtentPoint32W(DC, Text.c_str(), int(Text.size()), &Ext);
  Width = Ext.cx;
  if (TCustomImageList* List = ItemImages(Item))
    Width += List->Width() + 6;
  else if (!Item.Bitmap.IsEmpty())
    Width += Item.Bitmap.Width() + 6;
}

void TsSkinableMenus::DrawLineItem(TMenuItem& Item, HDC DC, const RECT& Rect, UINT State) {
  const TsSkinModel* Sm = ActiveModel();
  auto* Menu = dynamic_cast<TMainMenu*>(Item.Menu());
  if (!Sm || !Menu || Item.IsDestroying()) return;
  HWND W = Menu->Window();
  TkvMenuLineHost* Host = W && MenuLineHostOf ? MenuLineHostOf(W) : nullptr;
  const TBitmap32* Line = Host ? Host->MenuLineBmp() : nullptr;
  const int RW = Rect.right - Rect.left, RH = Rect.bottom - Rect.top;
  if (!Line || Line->IsEmpty() || RW <= 0 || RH <= 0) return;
  CurrentItemType = smTopLine;
  // The item's place in the menu line.
  const TPoint O = Host->MenuLineOrigin(DC);
  const TPoint Q{Rect.left - O.X, Rect.top - O.Y};
  const TRect Under{Q.X, Q.Y, Q.X + RW, Q.Y + RH};
  const bool Enabled = !(State & (ODS_GRAYED | ODS_DISABLED)) && Item.Enabled;
  const bool Hot = Enabled && (State & (ODS_SELECTED | ODS_HOTLIGHT));
  const bool RightToLeft = IsRightToLeft(Item);
  TBitmap32 B(RW, RH);
  CopyPixels(B, 0, 0, *Line, Under);
  TBitmap32* Behind = const_cast<TBitmap32*>(Line);
  if (int Face = Sm->GetSkinIndex("MENUITEM"); Face >= 0)
    PaintSectionByIndex(Face, "MENUITEM", NewCacheInfo(Behind, 0, 0), -1, -1, Sm, &B, Q,
                        B.BoundsRect(), Hot ? 1 : 0, true);
  GdiFlush();
  // The glyph column.
  int Column = 0;
  TCustomImageList* List = ItemImages(Item);
  if (List || !Item.Bitmap.IsEmpty()) {
    // The list's image first, else the item's own.
    TSize G = List ? TSize{List->Width(), List->Height()}
                   : TSize{Item.Bitmap.Width(), Item.Bitmap.Height()};
    int Left = RightToLeft ? RW - G.cx - 3 : 3;
    if (List)
      List->Draw(B, Left, (RH - G.cy) / 2, Item.ImageIndex, true);
    else
      DrawItemGlyph(Item, nullptr, B, Left, (RH - G.cy) / 2);
    Column = G.cx + 6;
  }
  if (HDC BDC = static_cast<HDC>(B.NativeDC())) {
    TSelectObject Font(BDC, MenuFont(Item.Default || (State & ODS_DEFAULT)));
    SetBkMode(BDC, TRANSPARENT);
    UINT Align = Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : 0u;
    UINT Format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | Align |
                  (RightToLeft ? DT_RTLREADING : 0u) | ((State & ODS_NOACCEL) ? DT_HIDEPREFIX : 0u);
    // Inside the margins, beside the glyph column.
    const int TW = std::max(0, RW - 2 * Margin - Column);
    TRect TR = RightToLeft ? TRect{2, 0, 2 + TW, RH} : TRect{2 + Column, 0, 2 + Column + TW, RH};
    DrawSectionText(BDC, Item.Caption, true, DefaultManager, Hot ? 1 : 0,
                    Sm->GetSkinIndex("MENULINE"), Format, TR);
    if (OnDrawItem) OnDrawItem(&Item, BDC, B.BoundsRect(), State, smTopLine);
    GdiFlush();
  }
  // A disabled item keeps 40 % of itself over the menu line.
  if (!Enabled) BlendRect(B, *Line, 102, {0, 0}, Under);
  BitBlt(DC, Rect.left, Rect.top, RW, RH, static_cast<HDC>(B.NativeDC()), 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------------
// Menu windows

bool TkvMnuWnd::Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
                       TsCommonData* Data) {
  if (!TkvScrollWnd::Create(Wnd, Repaint, Section.empty() ? "MAINMENU" : Section, Manager, Data))
    return false;
  // Unseen until its skinned face is painted.
  SetWindowLongW(Wnd, GWL_EXSTYLE, GetWindowLongW(Wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(Wnd, 0, 0, LWA_ALPHA);
  return true;
}

void TkvMnuWnd::ShowPainted() {
  if (FShown) return;
  FShown = true;
  HWND Wnd = CtrlHandle;
  uint8_t Alpha = DefaultManager ? DefaultManager->MenuSupport.AlphaBlend : 255;
  if (Alpha < 255) {
    SetLayeredWindowAttributes(Wnd, 0, Alpha, LWA_ALPHA);
  } else {
    // Opaque: the layered style goes (and the system repaints what it kept).
    SetWindowLongW(Wnd, GWL_EXSTYLE, GetWindowLongW(Wnd, GWL_EXSTYLE) & ~LONG(WS_EX_LAYERED));
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
  }
}

void TkvMnuWnd::kvWndProc(TMessage& Message) {
  HWND Wnd = CtrlHandle;
  switch (Message.Msg) {
  case WM_NCDESTROY:
  case WM_DESTROY:
    SkinableMenus().ForgetWindow(Wnd);
    SkinableMenus().MenusMeasured = false;
    // The adapter detaches after the message, while its procedure is still on the stack the
    // subclass helper keeps it alive.
    TkvScrollWnd::kvWndProc(Message);
    return;
  case WM_PAINT:
  case WM_PRINTCLIENT: {
    CallPrevWndProc(Message);
    // The system fills the client and draws its own edge first: the frame follows it.
    TsSkinableMenus& P = SkinableMenus();
    TkvMenuInfo* Info = P.MenuInfo(nullptr, Wnd);
    if (!Info && !P.MenusMeasured) {
      // A menu the system draws itself: only its frame comes from the skin.
      RECT R{};
      GetWindowRect(Wnd, &R);
      if (R.right > R.left && R.bottom > R.top) {
        P.PrepareMenuBG(nullptr, R.right - R.left, Wnd, R.bottom - R.top);
        Info = P.MenuInfo(nullptr, Wnd);
      }
    }
    if (Info) P.DrawWndBorder(Wnd, *Info);
    ShowPainted();
    return;
  }
  case WM_NCPAINT:
    CallPrevWndProc(Message);
    if (TkvMenuInfo* Info = SkinableMenus().MenuInfo(nullptr, Wnd))
      SkinableMenus().DrawWndBorder(Wnd, *Info);
    return;
  default: break;
  }
  TkvScrollWnd::kvWndProc(Message);
}

void RegisterSkinMenus() {
  MenuNotificationHandler = [](UINT Msg, WPARAM, LPARAM LParam) {
    TsSkinableMenus& P = SkinableMenus();
    if (Msg == KV_MENUWINDOWSHOWN) {
      HWND Wnd = reinterpret_cast<HWND>(LParam);
      if (TkvMenuInfo* Info = IsWindow(Wnd) ? P.MenuInfo(nullptr, Wnd) : nullptr)
        P.DrawWndBorder(Wnd, *Info);
      return;
    }
    TMenuItem* Item = MenuItemOfCommand(UINT(LParam));
    HWND Wnd = FindWindowW(L"#32768", nullptr);
    if (!Item || !Wnd || !IsWindowVisible(Wnd)) return;
    RECT R{};
    GetWindowRect(Wnd, &R);
    if (TkvMenuInfo* Info = P.MenuInfo(Item, Wnd, R.right - R.left, R.bottom - R.top)) {
      if (!Info->Wnd) Info->Wnd = Wnd;
      P.DrawWndBorder(Wnd, *Info);
    }
  };
}

void AdaptMenuWindow(HWND Wnd) {
  TsSkinManager* M = DefaultManager;
  if (!M || !M->Active() || !M->SkinnedPopups || TWindowSubclass::FromHandle(Wnd)) return;
  auto A = std::make_shared<TkvMnuWnd>();
  A->Create(Wnd, false, "MAINMENU", M, nullptr);
}
