// The control framework: window classes, the hook chain, alignment, lifetimes of windows,
// the notifications, window-less hit-testing and painting.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/toolkit/GuiTest.h"
#include "toolkit/ExtCtrls.h"

namespace {
// A control that only records which of its hooks saw a message, and whether it reached it.
struct THookOrder {
  std::vector<int> Calls;
  TWndHookToken Add(TControl* C, int Id) {
    return C->AddWindowHook([this, Id](TMessage& M, const TWndNext& Next) {
      if (M.Msg == WM_USER) Calls.push_back(Id);
      Next(M);
    });
  }
};
} // namespace

TEST_F(FormTest, WindowClassesAreNamedAfterTheirClasses) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  Form->HandleNeeded();
  EXPECT_EQ(WindowClassName(Form->Handle()), L"TTestForm");
  EXPECT_EQ(WindowClassName(Button->Handle()), L"TButton");
  EXPECT_EQ(WindowClassName(Panel->Handle()), L"TPanel");
  EXPECT_EQ(TWinControl::FromHandle(Button->Handle()), Button);
  EXPECT_EQ(GetParent(Button->Handle()), Form->Handle());
}

TEST_F(FormTest, ReplacedWindowProcSeesMessagesAndNotificationsAndCanChain) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Button->SetCaption(L"Go");
  Form->Show();
  int Enabled = 0, Entered = 0, Painted = 0;
  Button->AddWindowHook([&](TMessage& M, const TWndNext& Previous) {
    Enabled += M.Msg == CM_ENABLEDCHANGED;
    Entered += M.Msg == CM_MOUSEENTER;
    Painted += M.Msg == WM_PAINT;
    Previous(M);
  });
  Button->SetEnabled(false);
  EXPECT_EQ(Enabled, 1);
  EXPECT_FALSE(IsWindowEnabled(Button->Handle()));
  Button->SetEnabled(true);
  Button->Invalidate();
  Button->Update();
  EXPECT_GE(Painted, 1);
  SendMessageW(Button->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(Entered, 1);
  // The chained default still handles the message: the text reached the window.
  EXPECT_EQ(Button->Text(), L"Go");
}

TEST_F(FormTest, OnlyANewFontReachesTheWindowNotANewColour) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Form->Show();
  int Fonts = 0, Changes = 0;
  Button->AddWindowHook([&](TMessage& M, const TWndNext& Previous) {
    Fonts += M.Msg == WM_SETFONT;
    Changes += M.Msg == CM_FONTCHANGED;
    Previous(M);
  });
  Button->Font().SetColor(0x0000FF);
  EXPECT_EQ(Changes, 1) << "the control hears of the colour";
  EXPECT_EQ(Fonts, 0) << "the window keeps its font";
  Button->Font().SetName(L"Courier New");
  EXPECT_EQ(Fonts, 1);
  Button->Font().SetColor(0xFF0000);
  Button->Font().SetHeight(-20);
  EXPECT_EQ(Fonts, 2);
  // And the window has the new one.
  LOGFONTW Got{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Button->Handle(), WM_GETFONT, 0, 0)),
             sizeof(Got), &Got);
  EXPECT_EQ(Got.lfHeight, -20);
  EXPECT_STREQ(Got.lfFaceName, L"Courier New");
}

TEST_F(FormTest, AlignsWithMarginsInsidePanelBevel) {
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  Panel->SetAlign(alBottom);
  Panel->SetAlignWithMargins(true);
  Panel->SetBounds(0, 0, 100, 57);
  auto* Right = new TButton(Form);
  Right->SetParent(Panel);
  Right->SetAlign(alRight);
  Right->SetAlignWithMargins(true);
  Right->SetBounds(0, 0, 169, 49);
  auto* Fill = new TButton(Form);
  Fill->SetParent(Panel);
  Fill->SetAlign(alClient);
  Fill->SetAlignWithMargins(true);
  auto* Top = new TPanel(Form);
  Top->SetParent(Form);
  Top->SetAlign(alTop);
  Top->SetBounds(0, 0, 10, 40);
  Form->HandleNeeded();
  EXPECT_EQ(Top->BoundsRect(), Bounds(0, 0, 400, 40));
  EXPECT_EQ(Panel->BoundsRect(), Bounds(3, 300 - 3 - 57, 394, 57));
  // The raised bevel takes one pixel on each side before the margins.
  EXPECT_EQ(Right->BoundsRect(), Bounds(394 - 1 - 3 - 169, 4, 169, 49));
  EXPECT_EQ(Fill->BoundsRect(), Bounds(4, 4, 394 - 1 - 3 - 169 - 3 - 3 - 4, 49));
  RECT R;
  GetWindowRect(Fill->Handle(), &R);
  MapWindowPoints(nullptr, Panel->Handle(), reinterpret_cast<POINT*>(&R), 2);
  EXPECT_EQ(R.left, 4);
  EXPECT_EQ(R.right - R.left, Fill->Width());
  // Resizing the form keeps the bottom panel at the bottom.
  Form->SetClientSize(500, 400);
  EXPECT_EQ(Panel->BoundsRect(), Bounds(3, 400 - 3 - 57, 494, 57));
  EXPECT_EQ(Right->Left(), 494 - 1 - 3 - 169);
}

TEST_F(FormTest, HooksAreRemovedInAnyOrderAndTheRestStaysChained) {
  std::vector<int> Order{0, 1, 2};
  do {
    auto* C = new TRecordingControl(Form);
    std::vector<UINT> Reached;
    C->Seen = &Reached;
    THookOrder Log;
    TWndHookToken Tokens[3] = {Log.Add(C, 0), Log.Add(C, 1), Log.Add(C, 2)};
    std::vector<int> Left{2, 1, 0}; // newest first
    for (int Removed : Order) {
      EXPECT_TRUE(C->RemoveWindowHook(Tokens[Removed]));
      EXPECT_FALSE(Tokens[Removed]);
      EXPECT_FALSE(C->RemoveWindowHook(Tokens[Removed])); // a cleared token removes nothing
      Left.erase(std::find(Left.begin(), Left.end(), Removed));
      Log.Calls.clear();
      Reached.clear();
      C->Perform(WM_USER);
      EXPECT_EQ(Log.Calls, Left);
      EXPECT_EQ(Reached, std::vector<UINT>{WM_USER});
    }
    delete C;
  } while (std::next_permutation(Order.begin(), Order.end()));
}

TEST_F(FormTest, HookRemovedFromInsideItsOwnMessageFinishesAndPassesItOn) {
  auto* C = new TRecordingControl(Form);
  std::vector<UINT> Reached;
  C->Seen = &Reached;
  THookOrder Log;
  Log.Add(C, 0);
  int SelfCalls = 0;
  TWndHookToken Self;
  Self = C->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg != WM_USER) return Next(M);
    ++SelfCalls;
    C->RemoveWindowHook(Self); // this very function is running now
    Log.Add(C, 9);             // added from inside: not in this message's way
    Next(M);
  });
  C->Perform(WM_USER);
  EXPECT_EQ(SelfCalls, 1);
  EXPECT_EQ(Log.Calls, std::vector<int>{0});
  EXPECT_EQ(Reached, std::vector<UINT>{WM_USER});
  Log.Calls.clear();
  C->Perform(WM_USER);
  EXPECT_EQ(SelfCalls, 1);
  EXPECT_EQ(Log.Calls, (std::vector<int>{9, 0}));
}

TEST_F(FormTest, DerivedControlSeesItsOwnWindowDestroyed) {
  auto* C = new TRecordingControl(Form);
  std::vector<UINT> Seen;
  C->Seen = &Seen;
  C->SetParent(Form);
  Form->HandleNeeded();
  ASSERT_TRUE(C->HandleAllocated());
  delete C;
  EXPECT_EQ(Seen, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
  EXPECT_EQ(Form->ControlCount(), 0);
}

TEST_F(FormTest, ShowingChangesReachTheControlAndItsShownDescendants) {
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  auto* Inner = new TButton(Form);
  Inner->SetParent(Panel);
  auto* Hidden = new TButton(Form);
  Hidden->SetParent(Panel);
  Hidden->SetVisible(false);
  std::vector<std::pair<TControl*, bool>> Log;
  for (TControl* C : std::initializer_list<TControl*>{Panel, Inner, Hidden})
    C->AddWindowHook([&Log, C](TMessage& M, const TWndNext& Next) {
      if (M.Msg == CM_SHOWINGCHANGED) Log.push_back({C, M.WParam != 0});
      Next(M);
    });
  Form->Show();
  EXPECT_EQ(Log, (std::vector<std::pair<TControl*, bool>>{{Panel, true}, {Inner, true}}));
  Log.clear();
  Panel->SetVisible(false);
  EXPECT_EQ(Log, (std::vector<std::pair<TControl*, bool>>{{Panel, false}, {Inner, false}}));
  Log.clear();
  Inner->SetParent(Form); // now showing again, under the form
  EXPECT_EQ(Log, (std::vector<std::pair<TControl*, bool>>{{Inner, true}}));
}

TEST_F(FormTest, VisibleChangedComesAfterTheWindowAndTextChangedForForeignSetText) {
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Form->Show();
  std::vector<bool> WindowShownAtNotice;
  int TextChanges = 0;
  Button->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg == CM_VISIBLECHANGED)
      WindowShownAtNotice.push_back(IsWindowVisible(Button->Handle()) != 0);
    TextChanges += M.Msg == CM_TEXTCHANGED;
    Next(M);
  });
  Button->SetVisible(false);
  Button->SetVisible(true);
  EXPECT_EQ(WindowShownAtNotice, (std::vector<bool>{false, true}));
  SendMessageW(Button->Handle(), WM_SETTEXT, 0, LPARAM(L"from outside"));
  EXPECT_EQ(TextChanges, 1);
  EXPECT_EQ(Button->Text(), L"from outside");
  Button->SetText(L"own");
  EXPECT_EQ(TextChanges, 2); // once, not also from the window
  Button->SetText(L"own");
  EXPECT_EQ(TextChanges, 2);
}

TEST_F(FormTest, WindowlessControlsAreHitAndHearTheMouseComeAndGo) {
  auto* Back = new TLabel(Form);
  Back->SetParent(Form);
  Back->SetAutoSize(false);
  Back->SetBounds(10, 10, 100, 20);
  auto* Front = new TLabel(Form);
  Front->SetParent(Form);
  Front->SetAutoSize(false);
  Front->SetBounds(50, 10, 100, 20);
  auto* Off = new TLabel(Form);
  Off->SetParent(Form);
  Off->SetAutoSize(false);
  Off->SetBounds(10, 40, 100, 20);
  Off->SetEnabled(false);
  Form->Show();
  EXPECT_EQ(Form->ControlAtPos({20, 15}), Back);
  EXPECT_EQ(Form->ControlAtPos({60, 15}), Front); // the later one lies on top
  EXPECT_EQ(Form->ControlAtPos({149, 29}), Front);
  EXPECT_EQ(Form->ControlAtPos({150, 15}), nullptr); // right edge is outside
  EXPECT_EQ(Form->ControlAtPos({20, 45}), nullptr);
  EXPECT_EQ(Form->ControlAtPos({20, 45}, true), Off);

  std::vector<std::pair<std::wstring, UINT>> Log;
  Back->SetName(L"Back");
  Front->SetName(L"Front");
  for (TControl* C : std::initializer_list<TControl*>{Back, Front})
    C->AddWindowHook([&Log, C](TMessage& M, const TWndNext& Next) {
      if (M.Msg == CM_MOUSEENTER || M.Msg == CM_MOUSELEAVE) Log.push_back({C->Name(), M.Msg});
      Next(M);
    });
  SendMessageW(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 15));
  SendMessageW(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(25, 15)); // no change
  SendMessageW(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(60, 15));
  EXPECT_EQ(Form->MouseControl(), Front);
  EXPECT_TRUE(Front->MouseInControl());
  SendMessageW(Form->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Log, (std::vector<std::pair<std::wstring, UINT>>{{L"Back", CM_MOUSEENTER},
                                                             {L"Back", CM_MOUSELEAVE},
                                                             {L"Front", CM_MOUSEENTER},
                                                             {L"Front", CM_MOUSELEAVE}}));
  EXPECT_EQ(Form->MouseControl(), nullptr);
  // A control freed while the mouse is over it is forgotten.
  SendMessageW(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 15));
  delete Back;
  EXPECT_EQ(Form->MouseControl(), nullptr);
  SendMessageW(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(21, 15));
}

TEST_F(FormTest, OwnWindowsAnswerEraseWithoutFillingAndPaintsGiveBackTheirGdiObjects) {
  auto* Panel = new TPanel(Form);
  Panel->SetParent(Form);
  Panel->SetCaption(L"Panel");
  Panel->SetColor(0x00C0E0C0);
  auto* Label = new TLabel(Form);
  Label->SetParent(Panel);
  Label->SetCaption(L"Label");
  auto* Edit = new TEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(0, 60, 121, 21);
  Form->Show();
  PumpFor(50);
  {
    TClientDC DC(Panel->Handle());
    SetPixel(DC, 5, 5, RGB(1, 2, 3));
    EXPECT_EQ(SendMessageW(Panel->Handle(), WM_ERASEBKGND, WPARAM(HDC(DC)), 0), 1);
    EXPECT_EQ(GetPixel(DC, 5, 5), RGB(1, 2, 3)); // erasing drew nothing: the paint covers it
  }
  int64_t Before = LiveGdiObjects();
  for (int i = 0; i < 20; ++i) {
    RedrawWindow(Form->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Label->SetCaption(i % 2 ? L"Label" : L"Longer label");
    SendMessageW(Form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(i, i));
  }
  PumpFor(30);
  EXPECT_EQ(LiveGdiObjects(), Before);
}
