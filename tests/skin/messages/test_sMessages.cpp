#include <gtest/gtest.h>

#include "skin/messages/sMessages.h"
#include "tests/toolkit/GuiTest.h"
#include "toolkit/StdCtrls.h"

namespace {

// Records which objects received a skin command, in order; optionally claims to be skinned.
struct TRecorder {
  std::vector<std::wstring> Log;
  void Attach(TControl* Control, bool Skinned) {
    Control->AddWindowHook([this, Control, Skinned](TMessage& M, const TWndNext& Previous) {
      if (M.Msg == KV_SKINMSG) {
        uint16_t Code = SkinCommandCode(M.WParam);
        if (Code == KV_ISSKINNED) {
          M.Result = Skinned ? 1 : 0;
          return;
        }
        Log.push_back(Control->Name());
        // A skinned control passes announcements on to its children itself; a form's
        // controls are reached by the broadcast.
        if (Skinned && Code == KV_SKINAPPLIED && !dynamic_cast<TForm*>(Control))
          if (auto* W = dynamic_cast<TWinControl*>(Control)) BroadcastToChildren(W, M);
        M.Result = 0;
        return;
      }
      Previous(M);
    });
  }
};

class TNamedForm : public TForm {
public:
  TNamedForm(TComponent* Owner, const wchar_t* FormName) : TForm(Owner) {
    SetName(FormName);
    SetClientSize(200, 100);
  }
};

template <class T>
T* Make(TComponent* Owner, TWinControl* Parent, const wchar_t* Name) {
  auto* C = new T(Owner);
  C->SetName(Name);
  C->SetParent(Parent);
  return C;
}

} // namespace

TEST(SkinMessages, CodesSitInTheHighWord) {
  EXPECT_EQ(KV_SKINMSG, 0xA100u);
  EXPECT_EQ(SkinCommandWParam(KV_SETSUSPENDED, 1), 0x00080001u);
  EXPECT_EQ(SkinCommandCode(SkinCommandWParam(KV_QUERYBACKGROUND)), KV_QUERYBACKGROUND);
}

TEST(SkinMessages, BroadcastReachesEveryFormOnceFormsBeforeControls) {
  TestApplication();
  TRecorder R;
  auto* Plain = new TNamedForm(Application, L"Plain");
  auto* Panel = Make<TPanel>(Plain, Plain, L"Panel");
  auto* Inner = Make<TButton>(Plain, Panel, L"Inner");
  auto* Label = Make<TLabel>(Plain, Plain, L"Label");
  auto* Skinned = new TNamedForm(Application, L"Skinned");
  auto* SkinnedChild = Make<TButton>(Skinned, Skinned, L"SkinnedChild");
  Plain->HandleNeeded();
  Skinned->HandleNeeded();
  R.Attach(Plain, false);
  R.Attach(Panel, false); // a plain container: walked into, not sent to
  R.Attach(Inner, true);
  R.Attach(Label, false);
  R.Attach(Skinned, true);
  R.Attach(SkinnedChild, true);
  SkinnedForms().push_back(Skinned);

  TMessage M = SkinCommand(KV_SKINAPPLIED, 1234);
  BroadcastToAllForms(M);
  SkinnedForms().clear();

  // The form without a provider first, then its controls; the skinned form once, through the
  // list of skinned forms, then its controls.
  EXPECT_EQ(R.Log,
            (std::vector<std::wstring>{L"Plain", L"Inner", L"Label", L"Skinned", L"SkinnedChild"}));
  delete Skinned;
  delete Plain;
}

TEST(SkinMessages, SkinnedChildPassesTheMessageOnItself) {
  TestApplication();
  TRecorder R;
  auto* Form = new TNamedForm(Application, L"Form");
  auto* Outer = Make<TPanel>(Form, Form, L"Outer");
  auto* Child = Make<TButton>(Form, Outer, L"Child");
  Form->HandleNeeded();
  R.Attach(Outer, true);
  R.Attach(Child, true);
  TMessage M = SkinCommand(KV_SKINAPPLIED);
  BroadcastToChildren(Form, M);
  EXPECT_EQ(R.Log, (std::vector<std::wstring>{L"Outer", L"Child"}));
  R.Log.clear();
  // A message the skinned panel does not pass on stops there.
  M = SkinCommand(KV_REPAINTSKIN);
  BroadcastToChildren(Form, M);
  EXPECT_EQ(R.Log, (std::vector<std::wstring>{L"Outer"}));
  delete Form;
}

TEST(SkinMessages, SendersAnswerZeroWithoutAWindowAndAskPlainWindows) {
  TestApplication();
  auto* Form = new TNamedForm(Application, L"Form");
  auto* Button = Make<TButton>(Form, Form, L"Button");
  EXPECT_EQ(SendSkinCommandTo(Button, KV_ISSKINNED), 0); // no window yet: nothing is sent
  Form->HandleNeeded();
  EXPECT_FALSE(WindowAnswers(Button->Handle(), KV_ISSKINNED));
  EXPECT_EQ(SendSkinCommand(nullptr, KV_ISSKINNED), 0);
  TRecorder R;
  R.Attach(Button, true);
  EXPECT_TRUE(WindowAnswers(Button->Handle(), KV_ISSKINNED));
  EXPECT_EQ(AskSkinCommand(Button, KV_ISSKINNED), 1);
  delete Form;
}

TEST(SkinMessages, ReceiverThatFreesFormsDoesNotStopOrBreakTheBroadcast) {
  TestApplication();
  TRecorder R;
  auto* First = new TNamedForm(Application, L"First");   // reached last (newest first)
  auto* Victim = new TNamedForm(Application, L"Victim"); // freed by the next one
  auto* Killer = new TNamedForm(Application, L"Killer");
  auto* Skinned = new TNamedForm(Application, L"Skinned");
  for (TForm* F : {First, Victim, Killer, Skinned})
    F->HandleNeeded();
  R.Attach(First, false);
  R.Attach(Victim, false);
  R.Attach(Skinned, true);
  bool Killed = false;
  Killer->AddWindowHook([&](TMessage& M, const TWndNext& Next) {
    if (M.Msg == KV_SKINMSG && SkinCommandCode(M.WParam) == KV_SKINAPPLIED && !Killed) {
      Killed = true;
      delete Victim;  // another form of the walk
      delete Skinned; // a form of the skinned list, without leaving it
      R.Log.push_back(L"Killer");
    }
    Next(M);
  });
  SkinnedForms().push_back(Skinned);
  TMessage M = SkinCommand(KV_SKINAPPLIED, 1);
  BroadcastToAllForms(M);
  EXPECT_EQ(R.Log, (std::vector<std::wstring>{L"Killer", L"First"}));
  // A freed form left in the list reads as null and is passed over.
  ASSERT_EQ(SkinnedForms().size(), 1u);
  EXPECT_EQ(SkinnedForms()[0].Get(), nullptr);
  SkinnedForms().clear();
  delete Killer;
  delete First;
}
