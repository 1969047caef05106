#include "skin/forms/kvMenuLine.h"

#include "skin/forms/kvDials.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/images/kvAlphaImageList.h"
#include "skin/messages/sMessages.h"
#include "tests/skin/controls/SkinnedFormTest.h"

namespace {

class MenuLineTest : public SkinnedFormTest {
protected:
  void SetUp() override {
    SkinnedFormTest::SetUp();
    static bool Registered = (RegisterSkinForms(), true);
    (void)Registered;
  }
  TMenuItem* Add(TMenuItem& Parent, const wchar_t* Caption) {
    auto* Item = new TMenuItem(Bar);
    Item->Caption = Caption;
    Parent.Add(Item);
    return Item;
  }
  // A bar of "&Soubor" (Otevřít, Uložit), a disabled "Úpr&avy" and "&Nápověda".
  void MakeBar() {
    Bar = new TMainMenu(Form);
    TMenuItem* File = Add(Bar->Items(), L"&Soubor");
    Add(*File, L"Otevřít")->OnClick = [this](TComponent*) { ++Opened; };
    Add(*File, L"Uložit");
    Add(Bar->Items(), L"Úpr&avy")->Enabled = false;
    Add(Bar->Items(), L"&Nápověda");
    Form->SetMenu(Bar);
  }
  TsSkinProvider* Provider() {
    return reinterpret_cast<TsSkinProvider*>(SendSkinCommand(Form->Handle(), KV_QUERYPROVIDER));
  }
  // The bar item's rectangle in window coordinates.
  RECT ItemRect(int Pos) {
    RECT S{}, W{};
    GetMenuItemRect(Form->Handle(), GetMenu(Form->Handle()), UINT(Pos), &S);
    GetWindowRect(Form->Handle(), &W);
    return {S.left - W.left, S.top - W.top, S.right - W.left, S.bottom - W.top};
  }
  COLORREF WindowPixel(int X, int Y) {
    TWindowDC DC(Form->Handle());
    return GetPixel(DC, X, Y);
  }
  // Dark pixels (text) inside a window rectangle.
  int Ink(const RECT& R) {
    TWindowDC DC(Form->Handle());
    int N = 0;
    for (int y = R.top; y < R.bottom; ++y)
      for (int x = R.left; x < R.right; ++x)
        N += GetGValue(GetPixel(DC, x, y)) < 110;
    return N;
  }
  static bool Near(COLORREF C, int R, int G, int B, int Tolerance = 8) {
    return std::abs(GetRValue(C) - R) <= Tolerance && std::abs(GetGValue(C) - G) <= Tolerance &&
           std::abs(GetBValue(C) - B) <= Tolerance;
  }
  static std::string Hex(COLORREF C) {
    char B[16];
    snprintf(B, sizeof B, "#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
    return B;
  }
  TMainMenu* Bar = nullptr;
  int Opened = 0;
};

TEST_F(MenuLineTest, TheBarGetsRowsInTheSkinnedFrameAndItsItemsArePaintedFromTheSkin) {
  UseMeadowStyle();
  MakeBar();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(100);
  HWND W = Form->Handle();
  HMENU Menu = GetMenu(W);
  ASSERT_NE(Menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(Menu), 3);
  // Skinned: owner drawn, with the painter's handlers on the bar and its popups.
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(Menu, 0, TRUE, &Info);
  EXPECT_TRUE(Info.fType & MFT_OWNERDRAW);
  EXPECT_TRUE(TsSkinableMenus::IsTopLine(*Bar->Items().Items(0)));
  EXPECT_TRUE(TsSkinableMenus::IsSkinnedItem(*Bar->Items().Items(0)->Items(0)));
  // The client area begins under the caption and the bar's row.
  TsSkinProvider* P = Provider();
  ASSERT_NE(P, nullptr);
  TFormLayout L = P->Layout();
  RECT WR;
  GetWindowRect(W, &WR);
  POINT C{0, 0};
  ClientToScreen(W, &C);
  EXPECT_EQ(P->MenuHeight(), GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(C.y - WR.top, L.Frame + L.CaptionHeight + P->MenuHeight());
  EXPECT_EQ(L.MenuLineWindow.Top, L.Frame + L.CaptionHeight);
  // The system laid the items out inside the bar's row.
  RECT First = ItemRect(0), Second = ItemRect(1);
  EXPECT_GE(First.top, L.MenuLineWindow.Top);
  EXPECT_LE(First.bottom, L.MenuLineWindow.Bottom);
  EXPECT_EQ(First.bottom - First.top, GetSystemMetrics(SM_CYMENU) - 1);
  // The menu line's ground where no item is: the skin's light green gradient.
  COLORREF Ground = WindowPixel(L.MenuLineWindow.Right - 10, L.MenuLineWindow.Top + 9);
  EXPECT_TRUE(Near(Ground, 0xF3, 0xF7, 0xEC, 12)) << Hex(Ground);
  // The painter's copy of the line is the same ground.
  ASSERT_NE(P->MenuLineBmp(), nullptr);
  EXPECT_EQ(P->MenuLineBmp()->Width(), L.MenuLine.Width());
  // Items: written text, the disabled one faded into the line.
  EXPECT_GT(Ink(First), 10);
  EXPECT_EQ(Ink(Second), 0) << "the disabled item keeps 40 % of itself";
  // A hot item: clicking the first item opens its popup and draws the item in the skin's
  // hot face; the popup's first item is then chosen with the keyboard.
  COLORREF Hot = 0, Normal = WindowPixel(First.left + 4, First.top + 4);
  bool PopupShown = false, PopupSkinned = false;
  RunLater(300, [&] {
    HWND M = FindWindowW(L"#32768", nullptr);
    PopupShown = M && IsWindowVisible(M);
    // The bar's popup is a skinned menu window: opaque once painted, its corners cut.
    TRegion Rgn = RectRegion(RECT{0, 0, 0, 0});
    PopupSkinned = PopupShown && !(GetWindowLongW(M, GWL_EXSTYLE) & WS_EX_LAYERED) &&
                   GetWindowRgn(M, Rgn) != ERROR;
    Hot = WindowPixel(First.left + 4, First.top + 4);
    KeyPress(VK_DOWN);
    RunLater(100, [] { KeyPress(VK_RETURN); });
  });
  MouseTo(WR.left + (First.left + First.right) / 2, WR.top + (First.top + First.bottom) / 2);
  MouseButton(true);
  MouseButton(false);
  PumpFor(700);
  EXPECT_TRUE(PopupShown);
  EXPECT_TRUE(PopupSkinned);
  EXPECT_TRUE(Near(Hot, 0xE6, 0xF1, 0xDA, 20)) << Hex(Hot) << " was " << Hex(Normal);
  EXPECT_FALSE(Near(Hot, GetRValue(Normal), GetGValue(Normal), GetBValue(Normal), 2));
  EXPECT_EQ(Opened, 1) << "the chosen item's command reached it through the form";
  // Closed again: the item is back on the line's ground.
  COLORREF After = WindowPixel(First.left + 4, First.top + 4);
  EXPECT_TRUE(Near(After, GetRValue(Normal), GetGValue(Normal), GetBValue(Normal), 3))
      << Hex(After);
}

TEST_F(MenuLineTest, DroppingTheSkinGivesTheBarBackToTheSystem) {
  UseMeadowStyle();
  MakeBar();
  ShowForm();
  PumpFor(50);
  auto OwnerDrawn = [&] {
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(GetMenu(Form->Handle()), 0, TRUE, &Info);
    return (Info.fType & MFT_OWNERDRAW) != 0;
  };
  EXPECT_TRUE(OwnerDrawn());
  // A handler of the application's own survives the painter's unhooking.
  TMenuItem* Save = Bar->Items().Items(0)->Items(1);
  bool Own = false;
  Save->OnDrawItem = [&](TComponent*, HDC, const RECT&, UINT) { Own = true; };
  Manager->SetActive(false);
  PumpFor(50);
  EXPECT_FALSE(OwnerDrawn());
  EXPECT_FALSE(TsSkinableMenus::IsSkinnedItem(*Bar->Items().Items(0)));
  EXPECT_FALSE(Bar->Items().Items(0)->OnDrawItem);
  EXPECT_TRUE(Save->OnDrawItem);
  // The system's frame: the client area under its own caption and bar.
  RECT WR, Expected{0, 0, 0, 0};
  GetWindowRect(Form->Handle(), &WR);
  AdjustWindowRectEx(&Expected, DWORD(GetWindowLongW(Form->Handle(), GWL_STYLE)), TRUE,
                     DWORD(GetWindowLongW(Form->Handle(), GWL_EXSTYLE)));
  POINT C{0, 0};
  ClientToScreen(Form->Handle(), &C);
  EXPECT_EQ(C.y - WR.top, -Expected.top);
  (void)Own;
}

TEST_F(MenuLineTest, PaintingTheBarAgainAndAgainGivesBackEveryObject) {
  UseMeadowStyle();
  MakeBar();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  RECT WR;
  GetWindowRect(Form->Handle(), &WR);
  RECT First = ItemRect(0);
  auto OpenAndClose = [&] {
    RunLater(80, [] { KeyPress(VK_ESCAPE); });
    RunLater(140, [] { KeyPress(VK_ESCAPE); });
    MouseTo(WR.left + (First.left + First.right) / 2, WR.top + (First.top + First.bottom) / 2);
    MouseButton(true);
    MouseButton(false);
    PumpFor(220);
  };
  OpenAndClose();
  int64_t Gdi = LiveGdiObjects();
  for (int i = 0; i < 8; ++i) {
    OpenAndClose();
    Provider()->SkinData().BGChanged = true;
    Provider()->RepaintNonClient();
  }
  PumpFor(100);
  EXPECT_EQ(LiveGdiObjects(), Gdi);
}

TEST_F(MenuLineTest, ABarGivenToASkinnedFormAndItemsAddedLaterAreSkinned) {
  UseMeadowStyle();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  MakeBar();
  PumpFor(50);
  TsSkinProvider* P = Provider();
  ASSERT_NE(P, nullptr);
  EXPECT_TRUE(TsSkinableMenus::IsSkinnedItem(*Bar->Items().Items(0)));
  EXPECT_EQ(P->MenuHeight(), GetSystemMetrics(SM_CYMENU));
  EXPECT_GT(Ink(ItemRect(0)), 10);
  // A new item in the bar is measured by the painter, and painted.
  TMenuItem* Late = Add(Bar->Items(), L"Pozdější");
  Bar->Changed();
  PumpFor(50);
  EXPECT_TRUE(TsSkinableMenus::IsSkinnedItem(*Late));
  RECT R = ItemRect(3);
  EXPECT_GT(R.right - R.left, 30);
  EXPECT_GT(Ink(R), 10);
}

TEST_F(MenuLineTest, BarItemsShowTheirImagesAtTheEdgeTheMenuReadsFrom) {
  UseMeadowStyle();
  MakeBar();
  auto* List = new TsAlphaImageList(Form, 16, 16);
  TBitmap32 Red(16, 16);
  Red.Fill(0xFFFF0000u);
  List->Add(Red);
  Bar->SetImages(List);
  TMenuItem* Help = Bar->Items().Items(2);
  Help->ImageIndex = 0;
  TClientDC DC(nullptr);
  int Plain = 0, WithImage = 0, H = 0;
  Help->ImageIndex = -1;
  SkinableMenus().MeasureLineItem(*Help, DC, Plain, H);
  Help->ImageIndex = 0;
  SkinableMenus().MeasureLineItem(*Help, DC, WithImage, H);
  EXPECT_EQ(WithImage, Plain + 16 + 6);
  EXPECT_EQ(H, GetSystemMetrics(SM_CYMENU) - 1);
  ShowForm();
  PumpFor(50);
  RECT R = ItemRect(2);
  int Mid = (R.top + R.bottom) / 2;
  EXPECT_TRUE(Near(WindowPixel(R.left + 3 + 8, Mid), 0xFF, 0, 0, 2))
      << Hex(WindowPixel(R.left + 3 + 8, Mid));
  // Right to left (in a right-to-left locale) the image is at the item's right end.
  SkinableMenus().MiddleEastLocale = true;
  Bar->BiDiMode = bdRightToLeft;
  Provider()->SkinData().BGChanged = true;
  Provider()->RepaintNonClient();
  COLORREF Left = WindowPixel(R.left + 3 + 8, Mid), Right = WindowPixel(R.right - 3 - 8, Mid);
  SkinableMenus().MiddleEastLocale = GetSystemMetrics(SM_MIDEASTENABLED) != 0;
  EXPECT_TRUE(Near(Right, 0xFF, 0, 0, 2)) << Hex(Right);
  EXPECT_FALSE(Near(Left, 0xFF, 0, 0, 40)) << Hex(Left);
}

TEST_F(MenuLineTest, WithTheBorderWindowTheBarStaysInTheWindowUnderTheSkinsTitle) {
  UseMeadowStyle();
  MakeBar();
  ShowForm();
  SetForegroundWindow(Form->Handle());
  Manager->SetExtendedBorders(true);
  PumpFor(150);
  TsSkinProvider* P = Provider();
  ASSERT_TRUE(P && P->BorderForm());
  HWND W = Form->Handle();
  TFormLayout L = P->Layout();
  ASSERT_TRUE(L.Extended);
  EXPECT_EQ(L.MenuLineWindow.Height(), GetSystemMetrics(SM_CYMENU));
  // The window's region keeps the bar's rows beside the client area.
  TRegion Rgn = RectRegion(RECT{0, 0, 0, 0});
  ASSERT_NE(GetWindowRgn(W, Rgn), ERROR);
  EXPECT_TRUE(PtInRegion(Rgn, L.MenuLineWindow.Left + 50, L.MenuLineWindow.Top + 5));
  EXPECT_FALSE(PtInRegion(Rgn, L.MenuLineWindow.Left + 50, L.MenuLineWindow.Top - 5));
  // The border window leaves the bar to the window, where the system draws its hot items.
  TRegion Border = RectRegion(RECT{0, 0, 0, 0});
  ASSERT_NE(GetWindowRgn(P->BorderForm()->Handle(), Border), ERROR);
  EXPECT_FALSE(PtInRegion(Border, L.MenuLine.Left + 50, L.MenuLine.Top + 5));
  EXPECT_TRUE(PtInRegion(Border, L.MenuLine.Left + 50, L.MenuLine.Top - 5));
  // The items are painted on the menu line in the window.
  EXPECT_GT(Ink(ItemRect(0)), 10);
  COLORREF Ground = WindowPixel(L.MenuLineWindow.Right - 10, L.MenuLineWindow.Top + 9);
  EXPECT_TRUE(Near(Ground, 0xF3, 0xF7, 0xEC, 12)) << Hex(Ground);
  Manager->SetExtendedBorders(false);
  PumpFor(100);
}

} // namespace
