// Menus and popup menus.
#include "toolkit/Menus.h"

#include <algorithm>
#include <unordered_map>

#include "toolkit/Controls.h"

namespace {

// The live items by command. Commands stay below the system's own (0xF000 and above).
std::unordered_map<UINT, TMenuItem*>& ItemsByCommand() {
  static std::unordered_map<UINT, TMenuItem*> Items;
  return Items;
}

UINT NewCommand(TMenuItem* Item) {
  static UINT Next = 0x100;
  auto& Items = ItemsByCommand();
  for (;;) {
    UINT C = Next++;
    if (Next >= 0xF000) Next = 0x100;
    if (!Items.count(C)) {
      Items[C] = Item;
      return C;
    }
  }
}

std::wstring MenuText(const TMenuItem& Item) {
  std::wstring Text = Item.Caption;
  std::wstring Keys = ShortCutToText(Item.ShortCut);
  if (!Keys.empty()) Text += L"\t" + Keys;
  return Text;
}

void AppendItems(HMENU Menu, const TMenuItem& Parent, bool OwnerDraw) {
  for (int i = 0; i < Parent.Count(); ++i) {
    const TMenuItem& It = *Parent.Items(i);
    // Invisible items are not in the menu at all.
    if (!It.Visible) continue;
    std::wstring Text = MenuText(It);
    MENUITEMINFOW Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA;
    Info.wID = It.Command();
    // Owner drawing finds the item by its command, never by a pointer that may be gone.
    Info.dwItemData = It.Command();
    if (It.IsLine()) {
      Info.fType = MFT_SEPARATOR | (OwnerDraw ? MFT_OWNERDRAW : 0);
    } else {
      Info.fType = OwnerDraw ? MFT_OWNERDRAW : MFT_STRING;
      if (It.RadioItem) Info.fType |= MFT_RADIOCHECK;
      if (It.Break) Info.fType |= MFT_MENUBARBREAK;
      Info.fMask |= MIIM_STRING;
      Info.dwTypeData = Text.data();
      Info.fState = (It.Checked ? MFS_CHECKED : 0) | (It.Enabled ? 0 : MFS_DISABLED | MFS_GRAYED) |
                    (It.Default ? MFS_DEFAULT : 0);
      if (It.Count() > 0) {
        Info.fMask |= MIIM_SUBMENU;
        Info.hSubMenu = CreatePopupMenu();
        AppendItems(Info.hSubMenu, It, OwnerDraw);
      }
    }
    InsertMenuItemW(Menu, UINT(GetMenuItemCount(Menu)), TRUE, &Info);
  }
}

LRESULT CALLBACK PopupListProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  try {
    switch (Msg) {
    case WM_COMMAND:
      if (HIWORD(WParam) == 0 && LParam == 0) {
        UINT Command = LOWORD(WParam);
        auto It = ItemsByCommand().find(Command);
        if (It != ItemsByCommand().end()) It->second->Click();
        return 0;
      }
      break;
    case WM_MEASUREITEM:
      if (DispatchMenuMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(LParam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DispatchMenuDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam))) return TRUE;
      break;
    }
  } catch (...) {
    HandleFrameworkException();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Items

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {
  FCommand = NewCommand(this);
}

TMenuItem::~TMenuItem() {
  // Also for an item that was not on the heap and so missed the first step of freeing.
  ItemsByCommand().erase(FCommand);
  if (FParent) FParent->Remove(this);
  for (TMenuItem* Item : FItems)
    Item->FParent = nullptr;
}

void TMenuItem::BeforeDestruction() {
  Clear();
  if (FParent) FParent->Remove(this);
  ItemsByCommand().erase(FCommand);
  TComponent::BeforeDestruction();
}

void TMenuItem::Click() {
  if (Enabled && OnClick) OnClick(this);
}

void TMenuItem::Add(TMenuItem* Item) {
  Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (!Item || Item == this) return;
  if (Item->FParent) Item->FParent->Remove(Item);
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  if (It == FItems.end()) return;
  FItems.erase(It);
  Item->FParent = nullptr;
}

void TMenuItem::Clear() {
  // Each sub-item takes itself out of the list as it goes.
  while (!FItems.empty())
    delete FItems.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : int(It - FItems.begin());
}

TMenuItem* TMenuItem::FindItem(UINT Command) {
  for (TMenuItem* Item : FItems) {
    if (Item->FCommand == Command) return Item;
    if (TMenuItem* Found = Item->FindItem(Command)) return Found;
  }
  return nullptr;
}

TMenu* TMenuItem::Menu() const {
  const TMenuItem* Root = this;
  while (Root->FParent)
    Root = Root->FParent;
  return Root->FMenu;
}

bool TMenuItem::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Caption")
    Caption = Value.AsString();
  else if (Name == "ShortCut")
    ShortCut = Value.Kind == TDefValue::vkInt ? TShortCut(Value.AsInt())
                                              : TextToShortCut(Value.AsString());
  else if (Name == "Checked")
    Checked = Value.AsBool();
  else if (Name == "Enabled")
    Enabled = Value.AsBool();
  else if (Name == "Visible")
    Visible = Value.AsBool();
  else if (Name == "Default")
    Default = Value.AsBool();
  else if (Name == "RadioItem")
    RadioItem = Value.AsBool();
  else if (Name == "Break")
    Break = Value.AsIdentIndex({"mbNone", "mbBreak", "mbBarBreak"}) != 0;
  else if (Name == "ImageIndex")
    ImageIndex = Value.AsInt();
  else if (Name == "OnClick")
    OnClick = Value.AsMethod<TNotifyEvent>();
  else
    return TComponent::ReadProperty(Name, Value);
  return true;
}

void TMenuItem::SetParentComponent(TComponent* AParent) {
  if (auto* M = dynamic_cast<TMenu*>(AParent))
    M->Items().Add(this);
  else if (auto* I = dynamic_cast<TMenuItem*>(AParent))
    I->Add(this);
}

// ---------------------------------------------------------------------------------------------
// Menus

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() = default;

void TMenu::BeforeDestruction() {
  // Items owned by the form go with it; the rest go with the menu.
  delete FItems;
  FItems = nullptr;
  TComponent::BeforeDestruction();
}

HMENU TMenu::BuildHandle(bool Popup) const {
  HMENU Menu = Popup ? CreatePopupMenu() : CreateMenu();
  if (Menu) AppendItems(Menu, *FItems, OwnerDraw);
  return Menu;
}

bool TMenu::DispatchCommand(UINT Command) {
  TMenuItem* Item = FindItem(Command);
  if (!Item) return false;
  Item->Click();
  return true;
}

bool TMenu::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "OwnerDraw")
    OwnerDraw = Value.AsBool();
  else if (Name == "BiDiMode")
    BiDiMode = TBiDiMode(Value.AsIdentIndex(
        {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly"}));
  else if (Name == "Images")
    // The list may be defined after the menu.
    FImagesName = Utf8ToWide(Value.AsIdent());
  else
    return TComponent::ReadProperty(Name, Value);
  return true;
}

void TMenu::Loaded() {
  TComponent::Loaded();
  if (FImagesName.empty()) return;
  TComponent* Found = nullptr;
  for (TComponent* Root = Owner(); Root && !Found; Root = Root->Owner())
    Found = Root->FindComponent(FImagesName);
  auto* List = dynamic_cast<TCustomImageList*>(Found);
  if (!List) throw Exception(L"Image list " + FImagesName + L" not found");
  SetImages(List);
  FImagesName.clear();
}

// ---------------------------------------------------------------------------------------------
// Menu bars

TMainMenu::~TMainMenu() {
  AttachWindow(nullptr);
}

void TMainMenu::BeforeDestruction() {
  AttachWindow(nullptr);
  TMenu::BeforeDestruction();
}

void TMainMenu::AttachWindow(HWND Wnd) {
  HMENU Old = FHandle;
  HWND OldWnd = FWindow;
  FHandle = nullptr;
  FWindow = Wnd && IsWindow(Wnd) ? Wnd : nullptr;
  if (FWindow) FHandle = BuildHandle(false);
  if (FWindow) {
    SetMenu(FWindow, FHandle);
  } else if (OldWnd && IsWindow(OldWnd) && GetMenu(OldWnd) == Old) {
    SetMenu(OldWnd, nullptr);
  }
  if (Old && (!OldWnd || IsWindow(OldWnd))) DestroyMenu(Old);
}

void TMainMenu::WindowDestroyed(HWND Wnd) {
  if (Wnd != FWindow) return;
  // DestroyWindow frees the window's menu.
  FHandle = nullptr;
  FWindow = nullptr;
}

void TMainMenu::Changed() {
  if (FWindow) AttachWindow(FWindow);
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::Popup(int X, int Y, HWND Owner) {
  TWeakRef<TPopupMenu> Self(this);
  if (OnPopup) OnPopup(this);
  if (!Self) return;
  HMENU Menu = BuildHandle(true);
  if (!Menu) return;
  FHandle = Menu;
  HWND Wnd = Owner ? Owner : PopupListWindow();
  // A menu whose items are drawn for it shows at once, without the system's animation.
  UINT Flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | (OwnerDraw ? UINT(TPM_NOANIMATION) : 0u) |
               (Alignment == paRight    ? TPM_RIGHTALIGN
                : Alignment == paCenter ? TPM_CENTERALIGN
                                        : TPM_LEFTALIGN);
  // The menu closes when the user clicks elsewhere only while its owner is in front.
  SetForegroundWindow(Wnd);
  UINT Command = UINT(TrackPopupMenuEx(Menu, Flags, X, Y, Wnd, nullptr));
  PostMessageW(Wnd, WM_NULL, 0, 0);
  DestroyMenu(Menu);
  if (!Self) return;
  FHandle = nullptr;
  if (Command) DispatchCommand(Command);
}

// ---------------------------------------------------------------------------------------------
// The popup list window and owner drawing

HWND PopupListWindow() {
  static HWND Wnd = [] {
    WNDCLASSW Wc{};
    Wc.lpfnWndProc = &PopupListProc;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.lpszClassName = L"TPUtilWindow";
    RegisterClassW(&Wc);
    return CreateWindowExW(WS_EX_TOOLWINDOW, L"TPUtilWindow", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  }();
  return Wnd;
}

TMenuItem* MenuItemOfCommand(UINT Command) {
  auto It = ItemsByCommand().find(Command);
  return It == ItemsByCommand().end() ? nullptr : It->second;
}

bool DispatchMenuMeasureItem(MEASUREITEMSTRUCT& Measure) {
  if (Measure.CtlType != ODT_MENU) return false;
  auto It = ItemsByCommand().find(UINT(Measure.itemData));
  if (It == ItemsByCommand().end() || !It->second->OnMeasureItem) return false;
  HDC DC = GetDC(nullptr);
  int W = int(Measure.itemWidth), H = int(Measure.itemHeight);
  It->second->OnMeasureItem(It->second, DC, W, H);
  ReleaseDC(nullptr, DC);
  Measure.itemWidth = UINT(std::max(0, W));
  Measure.itemHeight = UINT(std::max(0, H));
  return true;
}

bool DispatchMenuDrawItem(const DRAWITEMSTRUCT& Draw) {
  if (Draw.CtlType != ODT_MENU) return false;
  auto It = ItemsByCommand().find(UINT(Draw.itemData));
  if (It == ItemsByCommand().end() || !It->second->OnDrawItem) return false;
  It->second->OnDrawItem(It->second, Draw.hDC, Draw.rcItem, Draw.itemState);
  return true;
}
