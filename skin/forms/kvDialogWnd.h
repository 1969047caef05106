// The adapter of a system dialog without an owner: its frame, title band, caption, icon and
// close button drawn from the skin like a skinned form's, its client painted from the skin,
// and its child windows given the adapters of their kinds.
#pragma once

#include <memory>
#include <vector>

#include "skin/controls/kvSBUtils.h"
#include "skin/forms/kvCaptionFade.h"
#include "skin/forms/sFormGeometry.h"
#include "toolkit/Menus.h"

class TkvDialogWnd;

// The system menu of a skinned dialog: fixed items with the Czech captions, enabled by the
// dialog's own rules; a choice is sent to the dialog as its system command.
class TkvSystemMenu : public TPopupMenu {
public:
  explicit TkvSystemMenu(TkvDialogWnd* Owner);
  const wchar_t* ClassName() const override { return L"TkvSystemMenu"; }
  void UpdateItems();
  TMenuItem *ItemRestore, *ItemMove, *ItemSize, *ItemMinimize, *ItemMaximize, *ItemClose;

private:
  TMenuItem* Add(const wchar_t* Name, const wchar_t* Caption, UINT Command);
  TkvDialogWnd* FOwner;
};

class TkvDialogWnd : public TkvScrollWnd {
public:
  ~TkvDialogWnd() override;
  bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
              TsCommonData* Data) override;
  // Reads the styles, chooses the caption elements and takes WS_SYSMENU from the window (it
  // is given back when the adapter goes).
  void InitParams();
  // Gives every descendant window of a known class its adapter (once).
  void InitHwndControls();
  TFormGeometryInput GeometryInput() const;
  TFormLayout Layout() const { return ComputeFormLayout(GeometryInput()); }
  // Renders the window image when it is out of date.
  void PaintAll();
  // Copies the frame from the image to the window.
  void NCPaint();

  bool FFormActive = true;
  LONG dwStyle = 0, dwExStyle = 0;
  TFormBorderKind BorderStyle = fbSizeable;
  int CurrentHT = 0;
  int PressedHT = 0;
  int CloseImage = -1;
  int TitleIndex = -1;
  int CloseState = 0;
  std::vector<std::shared_ptr<TkvMainWnd>> Children;

  TkvSBAnimation* CloseFade() const { return FCloseFade.get(); }
  bool VisibleClose() const { return (dwStyle & WS_SYSMENU) != 0; }
  bool VisibleMax() const { return (dwStyle & WS_MAXIMIZEBOX) != 0; }
  bool VisibleMin() const { return (dwStyle & WS_MINIMIZEBOX) != 0; }
  bool VisibleHelp() const { return (dwExStyle & WS_EX_CONTEXTHELP) != 0; }
  bool VisibleRestore() const {
    return BorderStyle != fbDialog && BorderStyle != fbNone && BorderStyle != fbToolWindow &&
           BorderStyle != fbSizeToolWin && VisibleClose();
  }
  bool VisibleSize() const { return BorderStyle == fbSizeable || BorderStyle == fbSizeToolWin; }
  bool EnabledMax() const;
  bool EnabledMin() const;
  bool EnabledRestore() const;
  // Drops the system menu at a screen point.
  void DropSysMenu(int X, int Y);
  TkvSystemMenu* SystemMenu() const { return FSystemMenu.get(); }

protected:
  void kvWndProc(TMessage& Message) override;
  void Release() override;

private:
  void AddControl(HWND Child);
  void EraseClient(HDC DC);
  int HitTest(TPoint Screen);
  void SetCloseState(int State);
  // The window region without the skin's transparent corners (set only when it changed).
  void UpdateRegion();
  std::vector<TRect> FCut;
  TSize FRegionSize{};
  bool FRegionApplied = false;
  HICON TitleIcon() const;
  TFontHandle FTitleFont;
  std::unique_ptr<TkvSystemMenu> FSystemMenu;
  // The close button's state fade, while glowing is allowed.
  std::unique_ptr<TkvSBAnimation> FCloseFade;
  int FCloseFadeState = 0;
  bool FSysMenuTaken = false;
  bool FHookedChildren = false;
};
