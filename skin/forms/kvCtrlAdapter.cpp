// The control adapter of a skinned form.
#include "skin/forms/kvCtrlAdapter.h"

#include <algorithm>

#include "skin/controls/kvBtnWnd.h"
#include "skin/controls/sLabel.h"
#include "skin/forms/sSkinProvider.h"
#include "skin/messages/sMessages.h"
#include "toolkit/StdCtrls.h"

namespace {

// One scan at a time; a nested scan of a child runs inside it and gives the guard back.
bool GScanning = false;

constexpr int ListEdits = 0;
constexpr int ListButtons = 1;

bool AnswersSkinned(TWinControl* W) {
  return W->HandleAllocated() && SendSkinCommand(W->Handle(), KV_ISSKINNED) == 1;
}

} // namespace

TkvCtrlAdapter::~TkvCtrlAdapter() {
  RemoveAllItems();
}

TsSkinManager* TkvCtrlAdapter::Manager() const {
  return FProvider ? FProvider->SkinData().SkinManager() : DefaultManager;
}

bool TkvAdapterItem::DoHook(TWinControl* Control, TsSkinManager* Manager) {
  return DoHook(Control, Manager, SkinData ? SkinData->SkinSection() : std::string());
}

bool TkvAdapterItem::DoHook(TWinControl* Control, TsSkinManager* Manager,
                            const std::string& Section) {
  if (!Control || Control->Tag == -98 || !Control->HandleAllocated() || !Control->Parent() ||
      !Manager || AnswersSkinned(Control))
    return false;
  SkinData = std::make_unique<TsCommonData>(Control, true);
  SkinData->COC = 230;
  if (!Section.empty() && Section != "UNKNOWN") SkinData->SetSkinSection(Section);
  const std::wstring Name = Control->ClassName();
  for (int i = 0; i < ThirdPartyCount; ++i) {
    const auto& Names = Manager->ThirdPartyClasses(i);
    if (std::find(Names.begin(), Names.end(), Name) == Names.end()) continue;
    // The first list that names the class decides; the program has the edit and the button
    // adapters of the family.
    std::shared_ptr<TkvMainWnd> A;
    if (i == ListEdits)
      A = std::make_shared<TkvEditWnd>();
    else if (i == ListButtons)
      A = std::make_shared<TkvButtonWnd>();
    else
      return false;
    if (!A->Create(Control->Handle(), true, Section, Manager, SkinData.get())) return false;
    ScrollWnd = std::move(A);
    WinCtrl = Control;
    return true;
  }
  return false;
}

bool TkvCtrlAdapter::IsControlSupported(TControl* Control) const {
  if (!Control || Control->Tag == -98) return false;
  auto* W = dynamic_cast<TWinControl*>(Control);
  if (!W) return false; // window-less controls get no adapter here; labels are painted apart
  if (!W->HandleAllocated() || AnswersSkinned(W)) return false;
  TsSkinManager* M = Manager();
  if (!M) return false;
  const std::wstring Name = W->ClassName();
  for (int i = 0; i < ThirdPartyCount; ++i) {
    const auto& Names = M->ThirdPartyClasses(i);
    if (std::find(Names.begin(), Names.end(), Name) != Names.end()) return true;
  }
  return false;
}

int TkvCtrlAdapter::IndexOf(const TControl* Ctrl) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i]->WinCtrl.Get() == Ctrl) return int(i);
  return -1;
}

void TkvCtrlAdapter::AddNewItem(TWinControl* Ctrl, const std::string& SkinSection) {
  if (!Ctrl || Ctrl->Tag == -98 || !Ctrl->Parent() || AnswersSkinned(Ctrl)) return;
  int Index = IndexOf(Ctrl);
  if (Index < 0) {
    auto Item = std::make_unique<TkvAdapterItem>();
    Item->WinCtrl = Ctrl;
    FItems.push_back(std::move(Item));
    if (!FItems.back()->DoHook(Ctrl, Manager(), SkinSection)) FItems.pop_back();
    return;
  }
  TkvAdapterItem& Item = *FItems[size_t(Index)];
  if (Item.SkinData && !SkinSection.empty()) Item.SkinData->SetSkinSection(SkinSection);
  if (!Item.Alive()) {
    if (Item.ScrollWnd) Item.ScrollWnd->Destroy();
    Item.ScrollWnd.reset();
    if (!Item.DoHook(Ctrl, Manager())) RemoveItem(Index);
  }
}

void TkvCtrlAdapter::RemoveItem(int Index) {
  if (Index < 0 || Index >= Count()) return;
  std::unique_ptr<TkvAdapterItem> Item = std::move(FItems[size_t(Index)]);
  FItems[size_t(Index)] = std::move(FItems.back());
  FItems.pop_back();
  if (Item->ScrollWnd && !Item->ScrollWnd->Destroyed) Item->ScrollWnd->Destroy();
}

void TkvCtrlAdapter::RemoveAllItems() {
  if (FRemoving) return;
  FRemoving = true;
  std::vector<std::unique_ptr<TkvAdapterItem>> Items = std::move(FItems);
  FItems.clear();
  for (auto& Item : Items)
    if (Item->ScrollWnd && !Item->ScrollWnd->Destroyed) Item->ScrollWnd->Destroy();
  FRemoving = false;
}

void TkvCtrlAdapter::CleanItems() {
  // A control that went (or whose window went) is dropped; made again, it is hooked anew.
  FItems.erase(std::remove_if(FItems.begin(), FItems.end(),
                              [](const std::unique_ptr<TkvAdapterItem>& I) {
                                return !I->WinCtrl.Get() || !I->Alive();
                              }),
               FItems.end());
}

void TkvCtrlAdapter::WndProc(TMessage& Message) {
  for (size_t i = 0; i < FItems.size(); ++i) {
    TWinControl* C = FItems[i]->WinCtrl.Get();
    if (!C || !FItems[i]->Alive() || !C->Parent() || !C->HandleAllocated()) continue;
    SendMessageW(C->Handle(), Message.Msg, Message.WParam, Message.LParam);
  }
}

void TkvCtrlAdapter::PaintLabel(TControl* Control) {
  auto* L = dynamic_cast<TLabel*>(Control);
  if (!L || dynamic_cast<TsLabel*>(Control) || L->Tag == 98 || L->Tag == -98) return;
  TsSkinManager* M = Manager();
  if (!M || !M->Model().SkinData.Active) return;
  TColor Ink = M->Model().GetGlobalFontColor();
  if (L->Font().Color() != Ink) L->Font().SetColor(Ink);
}

void TkvCtrlAdapter::Scan(TWinControl* Owner) {
  for (int i = 0; i < Owner->ComponentCount(); ++i) {
    TComponent* C = Owner->Components(i);
    if (auto* W = dynamic_cast<TWinControl*>(C); W && IsControlSupported(W))
      AddNewItem(W, "");
    else if (auto* Ctl = dynamic_cast<TControl*>(C))
      PaintLabel(Ctl);
  }
  for (int i = 0; i < Owner->ControlCount(); ++i) {
    TControl* C = Owner->Controls(i);
    auto* W = dynamic_cast<TWinControl*>(C);
    if (W && IsControlSupported(W))
      AddNewItem(W, "");
    else if (!W)
      PaintLabel(C);
    // Containers are scanned too.
    if (W && W->HandleAllocated() && W->Parent() && W->ControlCount() > 0) Scan(W);
  }
}

void TkvCtrlAdapter::AddAllItems(TWinControl* OwnerCtrl) {
  TsSkinManager* M = Manager();
  if (!M || !(M->SkinningRules() & srThirdParty) || GScanning) return;
  TWinControl* Owner = OwnerCtrl ? OwnerCtrl : (FProvider ? FProvider->Form() : nullptr);
  if (!Owner) return;
  CleanItems();
  GScanning = true;
  try {
    Scan(Owner);
  } catch (...) {
    GScanning = false;
    throw;
  }
  GScanning = false;
}
