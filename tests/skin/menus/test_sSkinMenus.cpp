#include "skin/menus/sSkinMenus.h"

#include "skin/forms/kvDials.h"
#include "skin/images/kvAlphaImageList.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class MenusTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  // A menu like the main window's system menu.
  TPopupMenu* SystemLikeMenu() {
    auto* Menu = new TPopupMenu(Form);
    Menu->SetName(L"kvSysMenu1");
    auto Add = [&](const wchar_t* Caption, UINT Command, bool Enabled = true) {
      auto* Item = new TMenuItem(nullptr);
      Item->Caption = Caption;
      Item->Tag = intptr_t(Command);
      Item->Enabled = Enabled;
      Menu->Items().Add(Item);
      return Item;
    };
    Add(L"&Obnovit", SC_RESTORE, false);
    Add(L"Pře&sunout", SC_MOVE);
    Add(L"&Velikost", SC_SIZE);
    Add(L"-", 0);
    Add(L"&Zavřít", SC_CLOSE)->ShortCut = TextToShortCut(L"Alt+F4");
    SkinableMenus().HookPopupMenu(*Menu, true);
    return Menu;
  }
  static HWND ShownMenu() {
    HWND M = FindWindowW(L"#32768", nullptr);
    return M && IsWindowVisible(M) ? M : nullptr;
  }
  static bool Near(COLORREF C, int R, int G, int B, int Tolerance = 6) {
    return std::abs(GetRValue(C) - R) <= Tolerance && std::abs(GetGValue(C) - G) <= Tolerance &&
           std::abs(GetBValue(C) - B) <= Tolerance;
  }
  static std::string Hex(COLORREF C) {
    char B[16];
    snprintf(B, sizeof B, "#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
    return B;
  }
};

TEST(MenuItems, DividersCaptionItemsAndNormalItems) {
  TMenuItem Line(nullptr), Caption(nullptr), Dashed(nullptr), Empty(nullptr);
  Line.Caption = L"-";
  Caption.Caption = L"-Skiny-";
  Dashed.Caption = L"a-b";
  EXPECT_TRUE(Line.IsLine());
  EXPECT_FALSE(TsSkinableMenus::IsCaptionItem(Line));
  EXPECT_TRUE(TsSkinableMenus::IsCaptionItem(Caption));
  EXPECT_FALSE(TsSkinableMenus::IsCaptionItem(Dashed));
  EXPECT_FALSE(TsSkinableMenus::IsCaptionItem(Empty)) << "an empty caption is read safely";
}

TEST(MenuSymbols, EverySystemCommandSymbolHasAGlyph) {
  for (wchar_t C : {L'0', L'1', L'2', L'r'}) {
    TClientDC DC(nullptr);
    TSelectObject Sel(DC, SystemSymbolFont(C));
    WORD Index = 0xFFFF;
    ASSERT_EQ(GetGlyphIndicesW(DC, &C, 1, &Index, GGI_MARK_NONEXISTING_GLYPHS), 1u);
    EXPECT_NE(Index, 0xFFFF) << char(C);
  }
}

TEST_F(MenusTest, TheSystemMenuIsMeasuredAndPaintedFromTheSkin) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  TPopupMenu* Menu = SystemLikeMenu();
  RECT Shown{};
  bool Layered = true, HasRegion = false;
  COLORREF Ground = 0, Column = 0, Border = 0, Hot = 0;
  int Ink = 0, FadedInk = 0;
  RunLater(400, [&] {
    HWND M = ShownMenu();
    if (M) {
      GetWindowRect(M, &Shown);
      Layered = GetWindowLongW(M, GWL_EXSTYLE) & WS_EX_LAYERED;
      TRegion Rgn(CreateRectRgn(0, 0, 0, 0));
      HasRegion = GetWindowRgn(M, Rgn) != ERROR;
      TClientDC Screen(nullptr);
      Ground = GetPixel(Screen, Shown.right - 20, Shown.top + 3 + 22 + 11);
      Column = GetPixel(Screen, Shown.left + 10, Shown.top + 3 + 22 + 11);
      Border = GetPixel(Screen, Shown.left + 40, Shown.top);
      // The ink of "Přesunout" and of the disabled "Obnovit".
      for (int y = 0; y < 22; ++y)
        for (int x = 40; x < 100; ++x) {
          COLORREF C = GetPixel(Screen, Shown.left + x, Shown.top + 3 + 22 + y);
          Ink += GetRValue(C) < 90;
          COLORREF F = GetPixel(Screen, Shown.left + x, Shown.top + 3 + y);
          FadedInk += GetRValue(F) < 90;
        }
      KeyPress(VK_DOWN);
      KeyPress(VK_DOWN);
    }
    RunLater(250, [&] {
      TClientDC Screen(nullptr);
      Hot = GetPixel(Screen, Shown.right - 20, Shown.top + 3 + 22 + 11);
      KeyPress(VK_ESCAPE);
    });
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  // Four items of 22 pixels, a divider of 2 and the frame.
  EXPECT_EQ(Shown.bottom - Shown.top, 4 * 22 + 2 + 6);
  EXPECT_FALSE(Layered) << "shown opaque once painted";
  EXPECT_TRUE(HasRegion) << "the corners are cut";
  EXPECT_TRUE(Near(Ground, 0xFB, 0xFD, 0xF7)) << Hex(Ground);
  EXPECT_TRUE(Near(Column, 0xEE, 0xF4, 0xE6)) << Hex(Column);
  EXPECT_TRUE(Near(Border, 0x9D, 0xBF, 0x86, 24)) << Hex(Border);
  EXPECT_GT(Ink, 20);
  EXPECT_EQ(FadedInk, 0) << "the disabled item is faded";
  EXPECT_TRUE(GetGValue(Hot) > GetBValue(Hot) + 10 && !Near(Hot, 0xFB, 0xFD, 0xF7)) << Hex(Hot);
}

TEST_F(MenusTest, TheExtraLineWidensTheFirstColumnAndTheItemDataHandlerColoursTheText) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto* Menu = new TPopupMenu(Form);
  auto Add = [&](const wchar_t* Caption) {
    auto* Item = new TMenuItem(nullptr);
    Item->Caption = Caption;
    Menu->Items().Add(Item);
    return Item;
  };
  Add(L"-Skiny-");
  TMenuItem* Plain = Add(L"Položka");
  SkinableMenus().HookPopupMenu(*Menu, true);
  TClientDC DC(nullptr);
  int W = 0, H = 0, WithLine = 0;
  SkinableMenus().MeasureItem(*Plain, DC, W, H);
  Manager->MenuSupport.UseExtraLine = true;
  SkinableMenus().ClearMenuInfoCache();
  SkinableMenus().MeasureItem(*Plain, DC, WithLine, H);
  EXPECT_EQ(WithLine, W + Manager->MenuSupport.ExtraLineWidth);
  // The skin selection sub-menu never has one.
  Plain->SetName(L"SkinSelectItem");
  Menu->Items().Remove(Plain);
  Menu->Items().Insert(0, Plain);
  int Selection = 0;
  SkinableMenus().MeasureItem(*Plain, DC, Selection, H);
  EXPECT_EQ(Selection, W);
  Menu->Items().Remove(Plain);
  Menu->Items().Add(Plain);
  Plain->SetName(L"");
  // The handler's colour is the text's.
  Manager->OnGetPopupItemData = [](TComponent*, unsigned, TkvMenuItemData& Data) {
    Data.Font->SetColor(RGB(0xC0, 0, 0));
  };
  int Red = 0;
  COLORREF Line = 0;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      RECT R;
      GetWindowRect(M, &R);
      TClientDC Screen(nullptr);
      for (int y = R.top; y < R.bottom; ++y)
        for (int x = R.left + 40; x < R.right; ++x)
          Red += GetPixel(Screen, x, y) == RGB(0xC0, 0, 0);
      Line = GetPixel(Screen, R.left + 12, R.bottom - 8);
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  Manager->OnGetPopupItemData = nullptr;
  Manager->MenuSupport.UseExtraLine = false;
  EXPECT_GT(Red, 10);
  EXPECT_FALSE(Near(Line, 0xFB, 0xFD, 0xF7)) << "the extra line's own section: " << Hex(Line);
}

TEST_F(MenusTest, TheMenuNotificationFindsTheWindowFromTheItemsCommand) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  TPopupMenu* Menu = SystemLikeMenu();
  bool Framed = false;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      // As if the painter had not found the window: the level is forgotten, then found again
      // from the command.
      SkinableMenus().ForgetWindow(M);
      SetWindowRgn(M, nullptr, FALSE);
      MenuNotificationHandler(KV_MENUITEMDRAWN, 0, LPARAM(Menu->Items().Items(1)->Command()));
      TRegion Rgn(CreateRectRgn(0, 0, 0, 0));
      Framed = GetWindowRgn(M, Rgn) != ERROR;
      // A command no item has (a freed item's) is ignored.
      MenuNotificationHandler(KV_MENUITEMDRAWN, 0, LPARAM(0xEFFF));
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  EXPECT_TRUE(Framed);
}

TEST_F(MenusTest, AnEditsOwnContextMenuGetsTheSkinsFrame) {
  UseMeadowStyle();
  auto* Edit = new TEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(20, 20, 200, 22);
  ShowForm();
  SetForegroundWindow(Form->Handle());
  Edit->SetFocus();
  PumpFor(50);
  RECT Shown{};
  bool Layered = true, HasRegion = false;
  COLORREF Border = 0;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      GetWindowRect(M, &Shown);
      Layered = GetWindowLongW(M, GWL_EXSTYLE) & WS_EX_LAYERED;
      TRegion Rgn(CreateRectRgn(0, 0, 0, 0));
      HasRegion = GetWindowRgn(M, Rgn) != ERROR;
      TClientDC Screen(nullptr);
      Border = GetPixel(Screen, Shown.left + 40, Shown.top);
    }
    KeyPress(VK_ESCAPE);
  });
  RECT R;
  GetWindowRect(Edit->Handle(), &R);
  SendMessageW(Edit->Handle(), WM_CONTEXTMENU, WPARAM(Edit->Handle()),
               MAKELPARAM(R.left + 30, R.top + 10));
  PumpFor(100);
  ASSERT_GT(Shown.right, Shown.left) << "the edit's menu was shown";
  EXPECT_FALSE(Layered);
  EXPECT_TRUE(HasRegion);
  EXPECT_TRUE(Near(Border, 0x9D, 0xBF, 0x86, 24)) << Hex(Border);
}

TEST_F(MenusTest, FiftyMenusLeaveNoWindowsOrAdaptersBehind) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  TPopupMenu* Menu = SystemLikeMenu();
  auto Open = [&] {
    RunLater(60, [] { KeyPress(VK_ESCAPE); });
    Menu->Popup(200, 200, Form->Handle());
    PumpFor(20);
  };
  Open();
  int64_t Gdi = LiveGdiObjects();
  for (int i = 0; i < 50; ++i)
    Open();
  PumpFor(100);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
  // A menu window the system keeps for later has no adapter left on it.
  if (HWND M = FindWindowW(L"#32768", nullptr)) {
    EXPECT_EQ(TkvMainWnd::Of(M), nullptr);
  }
}

// A list of an opaque red image and a half-transparent blue one.
TsAlphaImageList* RedAndBlue(TComponent* Owner, int Size = 16) {
  auto* List = new TsAlphaImageList(Owner, Size, Size);
  TBitmap32 Red(Size, Size), Blue(Size, Size);
  Red.Fill(0xFFFF0000u);
  Blue.Fill(0x800000FFu);
  EXPECT_EQ(List->Add(Red), 0);
  EXPECT_EQ(List->Add(Blue), 1);
  return List;
}

TEST_F(MenusTest, ItemsShowTheirImagesWithAlphaAndTheListSetsTheGlyphSize) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto* Menu = new TPopupMenu(Form);
  Menu->SetImages(RedAndBlue(Form));
  auto Add = [&](const wchar_t* Caption, int Image) {
    auto* Item = new TMenuItem(nullptr);
    Item->Caption = Caption;
    Item->ImageIndex = Image;
    Menu->Items().Add(Item);
    return Item;
  };
  Add(L"Červená", 0);
  Add(L"Modrá", 1);
  Add(L"Mimo seznam", 7)->Checked = true;
  SkinableMenus().HookPopupMenu(*Menu, true);
  COLORREF Red = 0, Blue = 0, Column = 0;
  int CheckInk = 0;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      RECT R;
      GetWindowRect(M, &R);
      TClientDC Screen(nullptr);
      // Items of 22 pixels from (3, 3); the glyph 3 pixels into the item, centred.
      Red = GetPixel(Screen, R.left + 3 + 3 + 8, R.top + 3 + 11);
      Blue = GetPixel(Screen, R.left + 3 + 3 + 8, R.top + 3 + 22 + 11);
      Column = GetPixel(Screen, R.left + 3 + 3 + 8, R.top + 3 + 44 + 2);
      // An index outside the list shows the check mark instead.
      for (int y = 0; y < 22; ++y)
        for (int x = 3; x < 26; ++x)
          CheckInk += GetGValue(GetPixel(Screen, R.left + x, R.top + 3 + 44 + y)) < 150;
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  EXPECT_TRUE(Near(Red, 0xFF, 0, 0, 2)) << Hex(Red);
  // Half of the blue over the icon column.
  EXPECT_GT(int(GetBValue(Blue)), 0xF0) << Hex(Blue);
  EXPECT_TRUE(GetRValue(Blue) > 0x60 && GetRValue(Blue) < 0x90) << Hex(Blue);
  EXPECT_TRUE(Near(Column, 0xEE, 0xF4, 0xE6)) << Hex(Column);
  EXPECT_GT(CheckInk, 4);
  // A list of bigger images makes taller items and a wider glyph column.
  TClientDC DC(nullptr);
  int W16 = 0, H16 = 0, W24 = 0, H24 = 0;
  SkinableMenus().MeasureItem(*Menu->Items().Items(0), DC, W16, H16);
  Menu->SetImages(RedAndBlue(Form, 24));
  SkinableMenus().MeasureItem(*Menu->Items().Items(0), DC, W24, H24);
  EXPECT_EQ(H16, 22);
  EXPECT_EQ(H24, 24 + 2 * 2 + 2);
  EXPECT_EQ(W24 - W16, 2 * 8);
}

TEST_F(MenusTest, RightToLeftMenusAreMirroredWhereTheLocaleReadsSo) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto* Menu = new TPopupMenu(Form);
  Menu->SetImages(RedAndBlue(Form));
  Menu->BiDiMode = bdRightToLeft;
  auto* Item = new TMenuItem(nullptr);
  Item->Caption = L"Červená";
  Item->ImageIndex = 0;
  Menu->Items().Add(Item);
  auto* Plain = new TMenuItem(nullptr);
  Plain->Caption = L"Prostá položka";
  Menu->Items().Add(Plain);
  SkinableMenus().HookPopupMenu(*Menu, true);
  TsSkinableMenus& P = SkinableMenus();
  // A right-to-left menu only where the system's locale is a right-to-left one.
  P.MiddleEastLocale = false;
  EXPECT_FALSE(P.IsRightToLeft(*Item));
  P.MiddleEastLocale = true;
  EXPECT_TRUE(P.IsRightToLeft(*Item));
  Menu->BiDiMode = bdLeftToRight;
  EXPECT_FALSE(P.IsRightToLeft(*Item));
  Menu->BiDiMode = bdRightToLeft;
  COLORREF RedLeft = 0, RedRight = 0, ColumnRight = 0, GroundLeft = 0;
  int InkLeft = 0, InkRight = 0;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      RECT R;
      GetWindowRect(M, &R);
      TClientDC Screen(nullptr);
      RedLeft = GetPixel(Screen, R.left + 3 + 3 + 8, R.top + 3 + 11);
      RedRight = GetPixel(Screen, R.right - 3 - 3 - 8, R.top + 3 + 11);
      ColumnRight = GetPixel(Screen, R.right - 10, R.top + 3 + 22 + 2);
      GroundLeft = GetPixel(Screen, R.left + 10, R.top + 3 + 22 + 2);
      // The plain item's caption ends where the glyph column begins, on the right; the column
      // itself and the item's left end are clear.
      auto Ink = [&](int From, int To) {
        int N = 0;
        for (int y = 0; y < 22; ++y)
          for (int x = From; x < To; ++x)
            N += GetRValue(GetPixel(Screen, x, R.top + 3 + 22 + y)) < 90;
        return N;
      };
      InkLeft = Ink(R.left + 3, R.left + 3 + 12) + Ink(R.right - 3 - 28, R.right - 3);
      InkRight = Ink(R.right - 3 - 28 - 14, R.right - 3 - 28);
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  P.MiddleEastLocale = GetSystemMetrics(SM_MIDEASTENABLED) != 0;
  EXPECT_TRUE(Near(RedRight, 0xFF, 0, 0, 2)) << Hex(RedRight);
  EXPECT_FALSE(Near(RedLeft, 0xFF, 0, 0, 40)) << Hex(RedLeft);
  EXPECT_TRUE(Near(ColumnRight, 0xEE, 0xF4, 0xE6)) << Hex(ColumnRight);
  EXPECT_TRUE(Near(GroundLeft, 0xFB, 0xFD, 0xF7)) << Hex(GroundLeft);
  EXPECT_GT(InkRight, 10);
  EXPECT_EQ(InkLeft, 0);
}

TEST_F(MenusTest, ColumnsKeepTheMenusGroundBelowTheirLastItemsAndBetweenThem) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto* Menu = new TPopupMenu(Form);
  auto Add = [&](const wchar_t* Caption) {
    auto* Item = new TMenuItem(nullptr);
    Item->Caption = Caption;
    Menu->Items().Add(Item);
    return Item;
  };
  Add(L"První");
  Add(L"Druhá");
  Add(L"Třetí");
  Add(L"Nový sloupec")->Break = true;
  SkinableMenus().HookPopupMenu(*Menu, true);
  COLORREF Below = 0, Between = 0;
  RECT Item{};
  RunLater(400, [&] {
    if (HWND M = ShownMenu(); M && Menu->Handle()) {
      GetMenuItemRect(nullptr, Menu->Handle(), 3, &Item);
      TClientDC Screen(nullptr);
      Below = GetPixel(Screen, Item.left + 10, Item.bottom + 10);
      Between = GetPixel(Screen, Item.left - 2, Item.bottom + 10);
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  ASSERT_GT(Item.right, Item.left) << "the menu was shown";
  EXPECT_TRUE(Near(Below, 0xFB, 0xFD, 0xF7)) << Hex(Below);
  EXPECT_TRUE(Near(Between, 0xFB, 0xFD, 0xF7)) << Hex(Between);
}

TEST_F(MenusTest, ThePaintersDrawEventDrawsOnTheItemsPicture) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  TPopupMenu* Menu = SystemLikeMenu();
  std::vector<TsMenuItemType> Types;
  SkinableMenus().OnDrawItem = [&](TMenuItem*, HDC Canvas, const TRect& R, UINT,
                                   TsMenuItemType Type) {
    Types.push_back(Type);
    // A mark at the far end of the item.
    TBrush Mark(CreateSolidBrush(RGB(0, 0, 0xC0)));
    RECT Rc{R.Right - 6, R.Top, R.Right, R.Top + 6};
    FillRect(Canvas, &Rc, Mark);
  };
  COLORREF Marked = 0;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      RECT R;
      GetWindowRect(M, &R);
      TClientDC Screen(nullptr);
      // The second item (enabled), its picture ending at the window's right frame.
      Marked = GetPixel(Screen, R.right - 3 - 3, R.top + 3 + 22 + 2);
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  SkinableMenus().OnDrawItem = nullptr;
  EXPECT_EQ(Marked, RGB(0, 0, 0xC0)) << Hex(Marked);
  // Dividers and captions are drawn without it; every normal item with it.
  EXPECT_EQ(std::count(Types.begin(), Types.end(), smNormal), long(Types.size()));
  EXPECT_GE(Types.size(), 4u);
}

TEST_F(MenusTest, AnItemsOwnBitmapIsItsGlyphBlendedByItsAlphaOrCopied) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  auto* Menu = new TPopupMenu(Form);
  Menu->SetImages(RedAndBlue(Form));
  auto Add = [&](const wchar_t* Caption, uint32_t Fill, bool Alpha) {
    auto* Item = new TMenuItem(nullptr);
    Item->Caption = Caption;
    Item->ImageIndex = 0; // the own bitmap wins
    Item->Bitmap.SetSize(20, 20);
    Item->Bitmap.Fill(Fill);
    Item->BitmapHasAlpha = Alpha;
    Menu->Items().Add(Item);
    return Item;
  };
  // Alpha 0 everywhere: without alpha the colour shows as it is, with alpha nothing shows.
  TMenuItem* Copied = Add(L"Zelená", 0x0000A000u, false);
  Add(L"Průhledná", 0x0000A000u, true);
  TClientDC DC(nullptr);
  int W = 0, H = 0;
  SkinableMenus().MeasureItem(*Copied, DC, W, H);
  EXPECT_EQ(H, 20 + 2 * 2 + 2);
  SkinableMenus().HookPopupMenu(*Menu, true);
  COLORREF Green = 0, Clear = 0;
  RunLater(400, [&] {
    if (HWND M = ShownMenu()) {
      RECT R;
      GetWindowRect(M, &R);
      TClientDC Screen(nullptr);
      Green = GetPixel(Screen, R.left + 3 + 3 + 10, R.top + 3 + 13);
      Clear = GetPixel(Screen, R.left + 3 + 3 + 10, R.top + 3 + 26 + 13);
    }
    KeyPress(VK_ESCAPE);
  });
  Menu->Popup(200, 200, Form->Handle());
  PumpFor(100);
  EXPECT_TRUE(Near(Green, 0, 0xA0, 0, 2)) << Hex(Green);
  EXPECT_TRUE(Near(Clear, 0xEE, 0xF4, 0xE6)) << Hex(Clear);
}

TEST_F(MenusTest, TheApplicationsPopupMenusFollowTheSkin) {
  UseMeadowStyle();
  ShowForm();
  PumpFor(50);
  auto* Menu = new TPopupMenu(Form);
  auto* Item = new TMenuItem(Form);
  Item->Caption = L"Položka";
  Menu->Items().Add(Item);
  auto* Own = new TMenuItem(Form);
  Own->Caption = L"Vlastní";
  Own->OnDrawItem = [](TComponent*, HDC, const RECT&, UINT) {};
  Menu->Items().Add(Own);
  TsSkinableMenus& P = SkinableMenus();
  P.UpdateMenus();
  P.InitItems(true);
  EXPECT_TRUE(P.Active());
  EXPECT_TRUE(Menu->OwnerDraw);
  EXPECT_TRUE(TsSkinableMenus::IsSkinnedItem(*Item));
  EXPECT_FALSE(TsSkinableMenus::IsSkinnedItem(*Own)) << "the application's handler stays";
  // The skin goes: the menus are the system's again, with the application's handler kept.
  Manager->SetActive(false);
  PumpFor(50);
  EXPECT_FALSE(P.Active());
  EXPECT_FALSE(Menu->OwnerDraw);
  EXPECT_FALSE(Item->OnDrawItem || Item->OnMeasureItem);
  EXPECT_TRUE(Own->OnDrawItem);
  // It comes back: hooked again.
  Manager->SetActive(true);
  PumpFor(50);
  EXPECT_TRUE(P.Active());
  EXPECT_TRUE(Menu->OwnerDraw);
  EXPECT_TRUE(TsSkinableMenus::IsSkinnedItem(*Item));
}

} // namespace
