// Skinned popup menus: the painter that measures and draws owner-drawn menu items from the
// skin over one background image per open menu level, and the adapter of the system's menu
// windows that draws their frame from the same image, cuts their corners and shows them only
// once they are painted.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap32.h"
#include "skin/controls/kvSBUtils.h"
#include "toolkit/Menus.h"
#include "toolkit/StdCtrls.h"

enum TsMenuItemType { smCaption, smDivider, smNormal, smTopLine };

// One open menu level: its first item, its background image (the whole window's size), its
// window once known, and the corner pieces its window region leaves out.
struct TkvMenuInfo {
  TMenuItem* FirstItem = nullptr;
  std::shared_ptr<TBitmap32> Bmp;
  HWND Wnd = nullptr;
  bool HaveExtraLine = false;
  std::vector<TRect> Corners;
};

// What a form offers the painter of its menu bar's items.
class TkvMenuLineHost {
public:
  // The background of the bar's rows (the skin's menu line), or null while there is none.
  virtual const TBitmap32* MenuLineBmp() const = 0;
  // Where the bar's rows begin in the coordinates DC draws in: the form's own window image
  // when DC is that image's, else the window.
  virtual TPoint MenuLineOrigin(HDC DC) const = 0;

protected:
  ~TkvMenuLineHost() = default;
};

// The host of a window's menu bar, or null (set by the form skinning).
extern std::function<TkvMenuLineHost*(HWND Wnd)> MenuLineHostOf;

// Called after the painter drew an item, with the item's picture to draw on.
using TsMenuManagerDrawItemEvent = std::function<void(TMenuItem* Sender, HDC Canvas, const TRect& R,
                                                      UINT State, TsMenuItemType ItemType)>;

class TsSkinableMenus {
public:
  int Margin = 2;
  TAlignment Alignment = taLeftJustify;
  unsigned BevelWidth = 0;
  // The system's frame around a popup menu's items.
  int BorderWidth = 3;
  int Spacing = 8;
  // -1: not computed for the current skin.
  int SkinBorderWidth = -1;
  TsMenuManagerDrawItemEvent OnDrawItem;

  // Hooks (or unhooks) the application's menus when the value changes: popup menus and their
  // items get the painter when the manager skins popups. Menu bars are their forms' own.
  void SetActive(bool Value);
  bool Active() const { return FActive; }
  // SetActive with whether a skin is applied now.
  void UpdateMenus();
  void InitItems(bool Active);

  // Switches a popup menu to owner drawing and gives its items the painter's handlers (or,
  // without Active, takes them away where they are the painter's).
  void HookPopupMenu(TMenu& Menu, bool Active);
  void HookItem(TMenuItem& Item, bool Active);
  // The bar's items get the painter's bar handlers (replacing any), their sub-items the popup
  // handlers where they have none, and the bar owner drawing; without Active all the
  // painter's handlers go again. Nothing while the manager is inactive or leaves popups alone.
  void InitMenuLine(TMainMenu& Menu, bool Active);
  // One item: a bar item gets the bar handlers (replacing any); another the popup handlers
  // where it has none, when the manager skins popups. Without Active the painter's go.
  void InitItem(TMenuItem& Item, bool Active);
  static bool IsTopLine(const TMenuItem& Item);
  // Whether the painter measures and draws the item (its handlers are the painter's).
  static bool IsSkinnedItem(const TMenuItem& Item);

  // Measuring and drawing of a popup item.
  void MeasureItem(TMenuItem& Item, HDC DC, int& Width, int& Height);
  void DrawItem(TMenuItem& Item, HDC DC, const RECT& Rect, UINT State);
  // Measuring and drawing of a menu-bar item over its form's menu line.
  void MeasureLineItem(TMenuItem& Item, HDC DC, int& Width, int& Height);
  void DrawLineItem(TMenuItem& Item, HDC DC, const RECT& Rect, UINT State);

  // The system runs a right-to-left (Middle-East) locale.
  bool MiddleEastLocale = GetSystemMetrics(SM_MIDEASTENABLED) != 0;
  // Whether an item's menu is laid out right to left.
  bool IsRightToLeft(const TMenuItem& Item) const;

  // The level of an item (or of a window); prepared on first use when the size is known.
  TkvMenuInfo* MenuInfo(TMenuItem* Item, HWND Wnd, int Width = 0, int Height = 0);
  // The level image of a first item (null: a menu the system draws, framed only).
  std::shared_ptr<TBitmap32> PrepareMenuBG(TMenuItem* First, int Width, HWND Wnd, int Height);
  int GetSkinBorderWidth();
  // Sets the window's region without the level's corners and draws its frame from the image.
  void DrawWndBorder(HWND Wnd, const TkvMenuInfo& Info);
  void ClearMenuInfoCache();
  void ForgetWindow(HWND Wnd);

  static int ItemHeight(TMenuItem& Item, HDC DC);
  static bool IsCaptionItem(const TMenuItem& Item);
  static TSize ItemGlyphSize(const TMenuItem& Item);
  // The image list entry an item shows, or null.
  static TCustomImageList* ItemImages(const TMenuItem& Item);

  // The width of a level's extra line (0 without one).
  int ExtraWidth(const TkvMenuInfo& Info) const;
  // Whether an item stands in its menu's first column.
  static bool InFirstColumn(const TMenuItem& Item);

  // The item type of the item measured or drawn last.
  TsMenuItemType CurrentItemType = smNormal;
  int IcoLineWidth = 0;
  // Set once an item was measured; cleared when a menu window goes.
  bool MenusMeasured = false;

private:
  // Decides whether the level of First shows an extra line, and with what.
  bool ExtraLineDecision(TMenuItem* First);
  void PaintExtraLine(TBitmap32& Image, int Height);
  void DrawCaptionItem(TMenuItem& Item, HDC DC, const RECT& R, const TkvMenuInfo& Info,
                       TPoint Offset);
  std::string FExtraSection;
  std::wstring FExtraCaption;
  std::unique_ptr<TBitmap32> FExtraGlyph;
  bool FInExtraEvent = false;
  void DrawDivider(TMenuItem& Item, HDC DC, const RECT& R, const TkvMenuInfo& Info, TPoint Offset);
  void DrawGlyph(TMenuItem& Item, TBitmap32& B, bool RightToLeft, bool Hot);
  // Gives the ground under a column's last item and beside a new column the level's image.
  void FillColumns(TMenuItem& Item, HWND W, const RECT& R, const TBitmap32& I, TPoint Offset);
  std::vector<TkvMenuInfo> FCache;
  bool FActive = false;
};

// The process's menu painter.
TsSkinableMenus& SkinableMenus();

// The adapter of a popup menu window (the system class "#32768").
class TkvMnuWnd : public TkvScrollWnd {
public:
  bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
              TsCommonData* Data) override;

protected:
  void kvWndProc(TMessage& Message) override;

private:
  void ShowPainted();
  bool FShown = false;
};

// The font of a system command's symbol character ("0", "1", "2", "r"): Webdings, or Marlett
// where the installed Webdings lacks the glyph.
HFONT SystemSymbolFont(wchar_t Symbol);

// Attaches a menu adapter to a new menu window (from the window hook).
void AdaptMenuWindow(HWND Wnd);
// Connects the painter to the manager's menu notifications.
void RegisterSkinMenus();
