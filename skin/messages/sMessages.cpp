// Sending and broadcasting the skin command message through the control tree and the forms.
#include "skin/messages/sMessages.h"

#include <algorithm>

std::function<bool(TWinControl*)> BroadcastFilter;

std::vector<TWeakRef<TForm>>& SkinnedForms() {
  static std::vector<TWeakRef<TForm>> Forms;
  return Forms;
}

std::vector<HWND>& ForeignProviderWindows() {
  static std::vector<HWND> Windows;
  return Windows;
}

LRESULT SendSkinCommand(HWND Wnd, uint16_t Code, LPARAM LParam, uint16_t Flag) {
  if (!Wnd) return 0;
  return SendMessageW(Wnd, KV_SKINMSG, WPARAM(SkinCommandWParam(Code, Flag)), LParam);
}

LRESULT SendSkinCommandTo(TControl* Control, uint16_t Code, LPARAM LParam, uint16_t Flag) {
  if (!Control || Control->IsDestroying()) return 0;
  if (auto* Win = dynamic_cast<TWinControl*>(Control)) {
    if (!Win->HandleAllocated()) return 0;
    return SendSkinCommand(Win->Handle(), Code, LParam, Flag);
  }
  return Control->Perform(KV_SKINMSG, WPARAM(SkinCommandWParam(Code, Flag)), LParam);
}

bool WindowAnswers(HWND Wnd, uint16_t Code) {
  return SendSkinCommand(Wnd, Code) == 1;
}

void BroadcastToChildren(TWinControl* Parent, TMessage& Message) {
  if (!Parent) return;
  // A receiver may add or remove controls; walk a copy and check each one still belongs.
  std::vector<TControl*> Children;
  for (int i = 0; i < Parent->ControlCount(); ++i)
    Children.push_back(Parent->Controls(i));
  TWeakRef<TWinControl> ParentAlive(Parent);
  for (TControl* Child : Children) {
    if (!ParentAlive) return; // a receiver freed the whole parent
    bool StillThere = false;
    for (int i = 0; i < Parent->ControlCount() && !StillThere; ++i)
      StillThere = Parent->Controls(i) == Child;
    if (!StillThere) continue;
    if (Child->IsDestroying()) return;
    auto* Win = dynamic_cast<TWinControl*>(Child);
    if (!Win || !Win->HandleAllocated()) {
      TMessage Copy = Message;
      Child->WindowProc(Copy);
      continue;
    }
    if (SendSkinCommand(Win->Handle(), KV_ISSKINNED) & 0xFF) {
      SendMessageW(Win->Handle(), Message.Msg, Message.WParam, Message.LParam);
      continue;
    }
    if (!BroadcastFilter || BroadcastFilter(Win)) BroadcastToChildren(Win, Message);
  }
}

void BroadcastToChildWindows(HWND Wnd, TMessage& Message) {
  std::vector<HWND> Children;
  for (HWND Child = GetWindow(Wnd, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT))
    Children.push_back(Child);
  for (HWND Child : Children)
    if (IsWindow(Child) && GetParent(Child) == Wnd)
      SendMessageW(Child, Message.Msg, Message.WParam, Message.LParam);
}

namespace {
void BroadcastToForm(TForm* Form, TMessage& Message) {
  if (Form->HandleAllocated())
    SendMessageW(Form->Handle(), Message.Msg, Message.WParam, Message.LParam);
  BroadcastToChildren(Form, Message);
}
} // namespace

void BroadcastToAllForms(TMessage& Message) {
  // A receiver may free forms (its own or others): each is held weakly while the walk goes on.
  if (Screen) {
    std::vector<TWeakRef<TForm>> Forms;
    for (int i = Screen->FormCount() - 1; i >= 0; --i)
      Forms.emplace_back(Screen->Forms(i));
    for (const auto& Ref : Forms) {
      TForm* Form = Ref.Get();
      if (!Form || Form->IsDestroying() || Form->IsLoading()) continue;
      if (Form->HandleAllocated() && WindowAnswers(Form->Handle(), KV_ISSKINNED)) continue;
      BroadcastToForm(Form, Message);
    }
  }
  std::vector<TWeakRef<TForm>> Skinned = SkinnedForms();
  for (const auto& Ref : Skinned) {
    TForm* Form = Ref.Get();
    if (Form && !Form->IsDestroying() &&
        std::find(SkinnedForms().begin(), SkinnedForms().end(), Form) != SkinnedForms().end())
      BroadcastToForm(Form, Message);
  }
  std::vector<HWND> Foreign = ForeignProviderWindows();
  for (HWND Wnd : Foreign)
    if (IsWindow(Wnd) && IsWindowVisible(Wnd))
      SendMessageW(Wnd, Message.Msg, Message.WParam, Message.LParam);
}
