// Message forms.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"

TEST_F(FormTest, ShowMessageIsModalWithTitleCaption) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Form->Show();
  bool Checked = false;
  RunLater(100, [&] {
    TMessageForm* Message = FindMessageForm();
    ASSERT_NE(Message, nullptr);
    EXPECT_EQ(Message->Text(), L"Test - www.example.cz");
    EXPECT_EQ(Message->Message()->Caption(), L"line 1\rline 2");
    EXPECT_FALSE(IsWindowEnabled(Form->Handle()));
    EXPECT_EQ(WindowClassName(Message->Handle()), L"TMessageForm");
    Checked = true;
    SendMessageW(Message->OkButton()->Handle(), BM_CLICK, 0, 0);
  });
  ShowMessage(L"line 1\rline 2");
  EXPECT_TRUE(Checked);
  EXPECT_TRUE(IsWindowEnabled(Form->Handle()));
  EXPECT_EQ(FindMessageForm(), nullptr);
}
