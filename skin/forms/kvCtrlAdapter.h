// The control adapter of a skinned form: every child control whose class the skin manager names
// in one of its foreign-control lists gets a window adapter of the list's kind, and plain labels
// take the skin's font colour.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "skin/controls/kvSBUtils.h"
#include "toolkit/Controls.h"

class TsSkinProvider;

// One adapted control: its skin state and its window adapter.
struct TkvAdapterItem {
  TWeakRef<TWinControl> WinCtrl;
  std::unique_ptr<TsCommonData> SkinData;
  int OldFontColor = -1;
  std::shared_ptr<TkvMainWnd> ScrollWnd;
  // Hooks the control with the adapter of the first list that names its class; false when
  // no list (or no adapter kind the program has) does.
  bool DoHook(TWinControl* Control, TsSkinManager* Manager);
  // The same with the section the item's skin state gets.
  bool DoHook(TWinControl* Control, TsSkinManager* Manager, const std::string& Section);
  bool Alive() const { return ScrollWnd && !ScrollWnd->Destroyed; }
};

class TkvCtrlAdapter {
public:
  explicit TkvCtrlAdapter(TsSkinProvider* Provider) : FProvider(Provider) {}
  ~TkvCtrlAdapter();
  TkvCtrlAdapter(const TkvCtrlAdapter&) = delete;
  TkvCtrlAdapter& operator=(const TkvCtrlAdapter&) = delete;

  // Scans the components and children of OwnerCtrl (null: the provider's form).
  void AddAllItems(TWinControl* OwnerCtrl = nullptr);
  bool IsControlSupported(TControl* Control) const;
  void AddNewItem(TWinControl* Ctrl, const std::string& SkinSection);
  void AddNewItem(TWinControl* Ctrl) { AddNewItem(Ctrl, DefaultSection); }
  int IndexOf(const TControl* Ctrl) const;
  int Count() const { return int(FItems.size()); }
  TkvAdapterItem& GetItem(int Index) { return *FItems[size_t(Index)]; }
  TsCommonData* GetCommonData(int Index) { return FItems[size_t(Index)]->SkinData.get(); }
  // Frees the item; the last one takes its place.
  void RemoveItem(int Index);
  void RemoveAllItems();
  // Drops the items whose window went away, keeping the order of the rest.
  void CleanItems();
  // Sends the message to every adapted control that is alive and has a parent.
  void WndProc(TMessage& Message);

  std::string DefaultSection;

private:
  void Scan(TWinControl* Owner);
  void PaintLabel(TControl* Label);
  TsSkinManager* Manager() const;
  TsSkinProvider* FProvider;
  std::vector<std::unique_ptr<TkvAdapterItem>> FItems;
  bool FRemoving = false;
};
