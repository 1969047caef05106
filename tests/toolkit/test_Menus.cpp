#include "toolkit/Menus.h"

#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"

namespace {

std::wstring ItemText(HMENU Menu, int Pos) {
  wchar_t Buf[128] = {};
  GetMenuStringW(Menu, UINT(Pos), Buf, 128, MF_BYPOSITION);
  return Buf;
}

void Key(WORD Vk) {
  INPUT In[2]{};
  In[0].type = In[1].type = INPUT_KEYBOARD;
  In[0].ki.wVk = In[1].ki.wVk = Vk;
  In[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, In, sizeof(INPUT));
}

class MenusTest : public ::testing::Test {
protected:
  void SetUp() override { TestApplication(); }
  // Restore, a divider, an invisible item, a disabled one, a checked default Close with Alt+F4
  // and a sub-menu.
  TMenuItem* Add(TMenuItem& Parent, const wchar_t* Caption) {
    auto* I = new TMenuItem(&Menu);
    I->Caption = Caption;
    Parent.Add(I);
    return I;
  }
  TPopupMenu Menu{nullptr};
};

TEST_F(MenusTest, HandlesCarryTheVisibleItemsWithTheirStatesAndShortCuts) {
  TMenuItem* Restore = Add(Menu.Items(), L"&Obnovit");
  Add(Menu.Items(), L"-");
  Add(Menu.Items(), L"Skrytá")->Visible = false;
  Add(Menu.Items(), L"Velikost")->Enabled = false;
  TMenuItem* Close = Add(Menu.Items(), L"&Zavřít");
  Close->ShortCut = TextToShortCut(L"Alt+F4");
  Close->Checked = Close->Default = true;
  TMenuItem* More = Add(Menu.Items(), L"Další");
  Add(*More, L"Jedna");
  HMENU H = Menu.BuildHandle(true);
  ASSERT_NE(H, nullptr);
  ASSERT_EQ(GetMenuItemCount(H), 5);
  EXPECT_EQ(ItemText(H, 0), L"&Obnovit");
  EXPECT_EQ(GetMenuItemID(H, 0), Restore->Command());
  EXPECT_TRUE(GetMenuState(H, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(ItemText(H, 2), L"Velikost");
  EXPECT_TRUE(GetMenuState(H, 2, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(ItemText(H, 3), L"&Zavřít\tAlt+F4");
  EXPECT_TRUE(GetMenuState(H, 3, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_EQ(GetMenuDefaultItem(H, FALSE, 0), Close->Command());
  HMENU Sub = GetSubMenu(H, 4);
  ASSERT_NE(Sub, nullptr);
  EXPECT_EQ(ItemText(Sub, 0), L"Jedna");
  DestroyMenu(H);
  // Owner drawing carries the command as item data.
  Menu.OwnerDraw = true;
  H = Menu.BuildHandle(true);
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE | MIIM_DATA;
  GetMenuItemInfoW(H, 3, TRUE, &Info);
  EXPECT_TRUE(Info.fType & MFT_OWNERDRAW);
  EXPECT_EQ(Info.dwItemData, Close->Command());
  DestroyMenu(H);
}

TEST_F(MenusTest, ItemsLeaveTheirParentAndTheCommandListWhenFreed) {
  TMenuItem* A = Add(Menu.Items(), L"A");
  TMenuItem* B = Add(Menu.Items(), L"B");
  TMenuItem* BA = Add(*B, L"BA");
  UINT CommandBA = BA->Command();
  EXPECT_NE(A->Command(), B->Command());
  EXPECT_EQ(Menu.FindItem(CommandBA), BA);
  EXPECT_EQ(BA->Menu(), &Menu);
  delete B; // and its sub-item with it
  EXPECT_EQ(Menu.Items().Count(), 1);
  EXPECT_EQ(Menu.FindItem(CommandBA), nullptr);
  EXPECT_FALSE(Menu.DispatchCommand(CommandBA));
  Menu.Items().Clear();
  EXPECT_EQ(Menu.Items().Count(), 0);
}

TEST_F(MenusTest, PopupRunsTheItemChosenWithTheKeyboardAndNothingOnEscape) {
  TForm Form(Application);
  Form.SetBounds(100, 100, 300, 200);
  Form.Show();
  PumpFor(50);
  int First = 0, Second = 0;
  TMenuItem* Disabled = Add(Menu.Items(), L"Nelze");
  Disabled->Enabled = false;
  Add(Menu.Items(), L"První")->OnClick = [&](TComponent*) { ++First; };
  Add(Menu.Items(), L"Druhá")->OnClick = [&](TComponent*) { ++Second; };
  bool Popped = false;
  Menu.OnPopup = [&](TComponent*) { Popped = true; };
  // Down highlights the first item (a disabled one is highlighted but cannot be chosen), down
  // again the next; Enter chooses it.
  RunLater(150, [] { Key(VK_DOWN); });
  RunLater(200, [] { Key(VK_DOWN); });
  RunLater(250, [] { Key(VK_RETURN); });
  Menu.Popup(150, 150, Form.Handle());
  EXPECT_TRUE(Popped);
  EXPECT_EQ(Menu.Handle(), nullptr);
  EXPECT_EQ(First, 1);
  EXPECT_EQ(Second, 0);
  RunLater(150, [] { Key(VK_ESCAPE); });
  Menu.Popup(150, 150, Form.Handle());
  EXPECT_EQ(First, 1);
  EXPECT_EQ(Second, 0);
}

} // namespace

namespace {

class TMenuForm : public TForm {
public:
  explicit TMenuForm(TComponent* AOwner) : TForm(AOwner) {
    RegisterField("MainMenu1", MainMenu1);
    RegisterField("Images1", Images1);
  }
  const wchar_t* ClassName() const override { return L"TMenuForm"; }
  TMainMenu* MainMenu1 = nullptr;
  TImageList* Images1 = nullptr;
};

class MainMenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    TestApplication();
    Form = new TMenuForm(Application);
  }
  void TearDown() override { delete Form; }
  void Read(const std::string& Text) {
    ReadComponentTree(Form, ParseDefinition(Text, "menu.form"), {}, "menu.form");
  }
  TMenuForm* Form = nullptr;
};

// The bar is defined after the form's own properties that name it, and names an image list
// defined after it.
const char* const BarForm = "object Form: TMenuForm\n"
                            "  ClientWidth = 300\n"
                            "  ClientHeight = 200\n"
                            "  Menu = MainMenu1\n"
                            "  object MainMenu1: TMainMenu\n"
                            "    Images = Images1\n"
                            "    object Soubor: TMenuItem\n"
                            "      Caption = '&Soubor'\n"
                            "      object Otevrit: TMenuItem\n"
                            "        Caption = 'Otev'#345#237't'\n"
                            "        ShortCut = 16463\n"
                            "        ImageIndex = 0\n"
                            "      end\n"
                            "    end\n"
                            "    object Skryta: TMenuItem\n"
                            "      Caption = 'Skryt'#225\n"
                            "      Visible = False\n"
                            "    end\n"
                            "    object Napoveda: TMenuItem\n"
                            "      Caption = '&N'#225'pov'#283'da'\n"
                            "    end\n"
                            "  end\n"
                            "  object Images1: TImageList\n"
                            "  end\n"
                            "end\n";

TEST_F(MainMenuTest, AFormDefinitionGivesTheWindowItsBarAndRoomForIt) {
  RegisterComponentClass("TImageList",
                         [](TComponent* Owner) { return new TImageList(Owner, 16, 16); });
  Read(BarForm);
  ASSERT_NE(Form->MainMenu1, nullptr);
  EXPECT_EQ(Form->Menu(), Form->MainMenu1);
  EXPECT_EQ(Form->MainMenu1->Images(), Form->Images1);
  Form->Show();
  PumpFor(50);
  HMENU Bar = GetMenu(Form->Handle());
  ASSERT_NE(Bar, nullptr);
  EXPECT_EQ(Bar, Form->MainMenu1->Handle());
  // The invisible item is left out.
  ASSERT_EQ(GetMenuItemCount(Bar), 2);
  EXPECT_EQ(ItemText(Bar, 0), L"&Soubor");
  EXPECT_EQ(ItemText(GetSubMenu(Bar, 0), 0), L"Otevřít\tCtrl+O");
  EXPECT_EQ(ItemText(Bar, 1), L"&Nápověda");
  // The client area keeps its size under the bar.
  RECT C;
  GetClientRect(Form->Handle(), &C);
  EXPECT_EQ(C.right, 300);
  EXPECT_EQ(C.bottom, 200);
}

TEST_F(MainMenuTest, MissingMenuOrImagesAreNamedErrors) {
  auto ErrorOf = [&](const std::string& Text) {
    std::wstring Message = L"no error";
    try {
      Read(Text);
    } catch (const Exception& E) {
      Message = E.Message();
    }
    delete Form;
    Form = new TMenuForm(Application);
    return Message;
  };
  EXPECT_NE(ErrorOf("object Form: TMenuForm\n  Menu = Nothing\nend\n").find(L"Menu Nothing"),
            std::wstring::npos);
  EXPECT_NE(ErrorOf("object Form: TMenuForm\n  object MainMenu1: TMainMenu\n    Images = None\n"
                    "  end\nend\n")
                .find(L"Image list None"),
            std::wstring::npos);
}

TEST_F(MainMenuTest, TheBarsCommandsReachTheItemsAndChangesGiveANewBar) {
  Form->SetBounds(100, 100, 300, 200);
  auto* Bar = new TMainMenu(Form);
  auto* File = new TMenuItem(Bar);
  File->Caption = L"&Soubor";
  Bar->Items().Add(File);
  auto* Open = new TMenuItem(Bar);
  Open->Caption = L"&Otevřít";
  int Opened = 0;
  Open->OnClick = [&](TComponent*) { ++Opened; };
  File->Add(Open);
  Form->SetMenu(Bar);
  Form->Show();
  SetForegroundWindow(Form->Handle());
  PumpFor(50);
  // Alt+S opens the item's popup, Enter chooses its first item.
  RunLater(100, [] {
    INPUT In[4]{};
    for (auto& I : In)
      I.type = INPUT_KEYBOARD;
    In[0].ki.wVk = In[3].ki.wVk = VK_MENU;
    In[1].ki.wVk = In[2].ki.wVk = 'S';
    In[2].ki.dwFlags = In[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, In, sizeof(INPUT));
  });
  RunLater(300, [] { Key(VK_DOWN); });
  RunLater(350, [] { Key(VK_RETURN); });
  PumpFor(600);
  EXPECT_EQ(Opened, 1);
  // A command no item of the bar has goes on to the form's default handling.
  SendMessageW(Form->Handle(), WM_COMMAND, 0xEFFF, 0);
  EXPECT_EQ(Opened, 1);
  SendMessageW(Form->Handle(), WM_COMMAND, Open->Command(), 0);
  EXPECT_EQ(Opened, 2);
  // A change of drawing gives the window a new bar with the same items.
  HMENU Before = GetMenu(Form->Handle());
  Bar->OwnerDraw = true;
  Bar->Changed();
  HMENU After = GetMenu(Form->Handle());
  EXPECT_NE(After, nullptr);
  EXPECT_FALSE(IsMenu(Before)) << "the old bar is freed";
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof(Info);
  Info.fMask = MIIM_FTYPE | MIIM_DATA;
  GetMenuItemInfoW(After, 0, TRUE, &Info);
  EXPECT_TRUE(Info.fType & MFT_OWNERDRAW);
  EXPECT_EQ(Info.dwItemData, File->Command());
  // A bar freed before its form leaves the window without one; the form without a dangling one.
  delete Bar;
  EXPECT_EQ(GetMenu(Form->Handle()), nullptr);
  EXPECT_FALSE(IsMenu(After));
  EXPECT_EQ(Form->Menu(), nullptr);
}

TEST_F(MainMenuTest, AFormFreedWithItsBarFreesTheBarOnce) {
  auto* Bar = new TMainMenu(Form);
  auto* Item = new TMenuItem(Bar);
  Item->Caption = L"A";
  Bar->Items().Add(Item);
  Form->SetMenu(Bar);
  Form->Show();
  PumpFor(20);
  HMENU H = GetMenu(Form->Handle());
  ASSERT_TRUE(IsMenu(H));
  delete Form; // the window frees the bar's handle, the form the bar
  Form = new TMenuForm(Application);
  EXPECT_FALSE(IsMenu(H));
}

} // namespace
