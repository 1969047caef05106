// Menus: items with captions, short cuts, check marks and sub-items, built into system menu
// handles on demand, and the popup menu that drops them at a point and runs the chosen item.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "toolkit/Classes.h"
#include "toolkit/FormReader.h"
#include "toolkit/ImgList.h"
#include "toolkit/ShortCuts.h"

class TMenu;

// What an owner-drawn item is asked to measure or to paint.
using TMenuMeasureItemEvent =
    std::function<void(TComponent* Sender, HDC DC, int& Width, int& Height)>;
using TMenuDrawItemEvent =
    std::function<void(TComponent* Sender, HDC DC, const RECT& Rect, UINT State)>;

class TMenuItem : public TComponent, public IParentable {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;
  const wchar_t* ClassName() const override { return L"TMenuItem"; }

  // "-" makes the item a divider.
  std::wstring Caption;
  TShortCut ShortCut = scNone;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool Default = false;
  bool RadioItem = false;
  // The item begins a new column.
  bool Break = false;
  int ImageIndex = -1;
  // A glyph of the item's own, shown instead of an image of the menu's list; with
  // BitmapHasAlpha it is blended by its alpha, else copied as it is.
  TBitmap32 Bitmap;
  bool BitmapHasAlpha = false;
  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;

  bool IsLine() const { return Caption == L"-"; }
  // The item's command identifier in WM_COMMAND (unique in the process while it lives).
  UINT Command() const { return FCommand; }
  // Runs OnClick (an enabled item only).
  virtual void Click();

  // Sub-items, owned by this item.
  int Count() const { return int(FItems.size()); }
  TMenuItem* Items(int Index) const { return FItems[size_t(Index)]; }
  TMenuItem* Parent() const { return FParent; }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out without freeing it.
  void Remove(TMenuItem* Item);
  // Frees every sub-item.
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  // The sub-item of this command, searched at every level.
  TMenuItem* FindItem(UINT Command);
  TMenu* Menu() const;

  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  // A definition puts an item into a menu or under another item.
  void SetParentComponent(TComponent* AParent) override;

protected:
  void BeforeDestruction() override;

private:
  friend class TMenu;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr; // set on the root item
  std::vector<TMenuItem*> FItems;
  UINT FCommand = 0;
};

// How a menu reads: right-to-left only where the system runs a right-to-left locale.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// A menu: a root item whose sub-items are the menu's items.
class TMenu : public TComponent {
public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  TMenuItem& Items() { return *FItems; }
  // Items are measured and painted by their handlers (or the menu's) instead of the system.
  bool OwnerDraw = false;
  TBiDiMode BiDiMode = bdLeftToRight;
  // The images of the items' ImageIndex (not owned; null once the list is freed).
  TCustomImageList* Images() const { return FImages.Get(); }
  void SetImages(TCustomImageList* Value) { FImages = Value; }
  // The items changed in a way a shown menu must take up (a menu bar rebuilds its handle).
  virtual void Changed() {}
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;
  // The item of a command, or null.
  TMenuItem* FindItem(UINT Command) { return FItems->FindItem(Command); }
  // Builds a new menu handle from the items (invisible ones left out); the caller frees it.
  HMENU BuildHandle(bool Popup) const;
  // Runs the item of a command; false when the menu has none.
  bool DispatchCommand(UINT Command);

protected:
  void BeforeDestruction() override;

private:
  TMenuItem* FItems;
  TWeakRef<TCustomImageList> FImages;
  std::wstring FImagesName; // from a definition, found when it is loaded
};

class TForm;

// A form's menu bar: the items become the bar's handle, given to the form's window; a change
// of the items (or of owner drawing) gives the window a new handle.
class TMainMenu : public TMenu {
public:
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  ~TMainMenu() override;
  const wchar_t* ClassName() const override { return L"TMainMenu"; }
  // The bar's handle while the menu is on a window, else null.
  HMENU Handle() const { return FHandle; }
  HWND Window() const { return FWindow; }
  // Puts a new bar on the window (0: takes it off); the window owns the handle while it lives.
  void AttachWindow(HWND Wnd);
  // The window is being destroyed: the system frees the bar with it.
  void WindowDestroyed(HWND Wnd);
  void Changed() override;

protected:
  void BeforeDestruction() override;

private:
  HMENU FHandle = nullptr;
  HWND FWindow = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
  explicit TPopupMenu(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"TPopupMenu"; }
  TPopupAlignment Alignment = paLeft;
  TNotifyEvent OnPopup;
  // The component the menu was dropped for, set by whoever drops it.
  TComponent* PopupComponent = nullptr;
  // Drops the menu at the screen point and returns when it closes; the chosen item's OnClick
  // has run by then. Owner: the window that owns the menu loop (0: the menu's own helper
  // window).
  virtual void Popup(int X, int Y, HWND Owner = nullptr);
  // The handle shown by the running Popup, else null.
  HMENU Handle() const { return FHandle; }

private:
  HMENU FHandle = nullptr;
};

// The hidden window that owns the menu loops of popup menus: it hands WM_COMMAND,
// WM_MEASUREITEM and WM_DRAWITEM of menu items to the items.
HWND PopupListWindow();
// WM_MEASUREITEM / WM_DRAWITEM of a menu item given to its handlers; false when it is not an
// item of a live menu.
// The live item of a command, or null (commands of freed items are never answered).
TMenuItem* MenuItemOfCommand(UINT Command);
bool DispatchMenuMeasureItem(MEASUREITEMSTRUCT& Measure);
bool DispatchMenuDrawItem(const DRAWITEMSTRUCT& Draw);
