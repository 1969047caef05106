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
