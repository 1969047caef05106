// The adapter of a system dialog without an owner: its frame, title band, caption, icon and
// caption buttons drawn from the skin like a skinned form's (with the extended border window
// when the manager asks for it), its client painted from the skin, and its child windows given
// the adapters of their kinds.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "skin/controls/kvSBUtils.h"
#include "skin/forms/kvBorderForm.h"
#include "skin/forms/kvCaptionFade.h"
#include "skin/forms/sFormGeometry.h"
#include "skin/forms/sSkinProvider.h"
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

class TkvDialogWnd : public TkvScrollWnd, public TkvBorderOwner {
public:
  ~TkvDialogWnd() override;
  bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
              TsCommonData* Data) override;
  // Reads the styles, chooses the caption elements and takes WS_SYSMENU from the window (it
  // is given back when the adapter goes).
  void InitParams();
  // Chooses the images of the caption buttons and the title section.
  void UpdateIconsIndexes();
  // Gives every descendant window of a known class its adapter (once).
  void InitHwndControls();
  TFormGeometryInput GeometryInput() const;
  TFormLayout Layout() const { return ComputeFormLayout(GeometryInput()); }
  // Renders the window image when it is out of date.
  void PaintAll() override;
  // Copies the frame from the image to the window (and to the border window).
  void NCPaint();

  bool FFormActive = true;
  LONG dwStyle = 0, dwExStyle = 0;
  TFormBorderKind BorderStyle = fbSizeable;
  // The hot caption element's hit code (0: none) and the pressed one.
  int CurrentHT = 0;
  int PressedHT = 0;
  int TitleIndex = -1;
  unsigned FFormState = 0;
  TsCaptionButton ButtonMin, ButtonMax, ButtonClose, ButtonHelp;
  std::vector<std::shared_ptr<TkvMainWnd>> Children;

  // The caption button of a hit code, or null.
  TsCaptionButton* ButtonOf(int Code);
  // The state fade of a caption button (null while it never faded).
  TkvSBAnimation* FadeOf(const TsCaptionButton& B) const;
  bool VisibleClose() const { return (dwStyle & WS_SYSMENU) != 0; }
  bool VisibleMax() const { return (dwStyle & WS_MAXIMIZEBOX) != 0; }
  bool VisibleMin() const { return (dwStyle & WS_MINIMIZEBOX) != 0; }
  bool VisibleHelp() const { return (dwExStyle & WS_EX_CONTEXTHELP) != 0; }
  bool VisibleRestore() const {
    return BorderStyle != fbDialog && BorderStyle != fbNone && BorderStyle != fbToolWindow &&
           BorderStyle != fbSizeToolWin && VisibleClose();
  }
  bool VisibleSize() const { return BorderStyle == fbSizeable || BorderStyle == fbSizeToolWin; }
  bool EnabledClose() const;
  bool EnabledMax() const;
  bool EnabledMin() const;
  bool EnabledRestore() const;
  // Drops the system menu at a screen point.
  void DropSysMenu(int X, int Y);
  TkvSystemMenu* SystemMenu() const { return FSystemMenu.get(); }
  // The extended border window, while the manager's extended borders apply to the dialog.
  TkvBorderForm* BorderForm() const { return FBorderForm.get(); }
  // Makes or frees the border window as the manager's setting asks.
  void UpdateBorderForm();

  // TkvBorderOwner.
  HWND OwnerHandle() const override { return CtrlHandle; }
  TsCommonData& OwnerSkinData() override { return *SkinData(); }
  int OffsetX() const override { return Layout().ClientOffset.X; }
  int OffsetY() const override { return Layout().ClientOffset.Y; }
  TRect ShadowSize() const override;
  int CaptionHeight() const override { return Layout().CaptionHeight; }
  int MenuHeight() const override { return 0; }
  int SysFrame() const override { return FrameWidthOf(GeometryInput()); }
  TRect IconRect() const override { return Layout().IconRect; }
  int HitTestImage(TPoint P) override;
  void SetHotHT(int Code, bool Repaint) override;
  unsigned& FormState() override { return FFormState; }
  bool DrawsFrame() const override { return true; }
  bool PaintingSuspended() const override;
  void KillAnimations() override;
  TSize MinSize() const override { return {}; }
  int HeaderHeight() const override { return Layout().HeaderHeight; }
  uint8_t AlphaBlendValue() const override { return 255; }

protected:
  void kvWndProc(TMessage& Message) override;
  void Release() override;

private:
  void AddControl(HWND Child);
  void EraseClient(HDC DC);
  // The hit code of a screen point, with the caption buttons' enabling rules.
  int HitTest(TPoint Screen);
  bool CaptionMouse(TMessage& Message);
  void SetPressedHT(int Code);
  void ButtonAction(int Code);
  bool ButtonEnabled(const TsCaptionButton& B) const;
  // Shows a caption button in its state: faded on an overlay while glowing is allowed, else
  // drawn into the frame at once.
  void RepaintButton(TsCaptionButton& B);
  void ShowCaptionGlow(TsCaptionButton& B);
  TRect ScreenRectOf(const TsCaptionButton& B) const;
  std::unique_ptr<TkvSBAnimation>& FadeSlot(const TsCaptionButton& B);
  // A press on the caption with blending on moving: runs the move loop; false when it does
  // not apply.
  bool BlendOnMoving(TMessage& Message);
  void AfterSysCommand(UINT Command);
  // The window region without the skin's transparent corners (set only when it changed).
  void UpdateRegion();
  std::vector<TRect> FCut;
  TSize FRegionSize{};
  bool FRegionApplied = false;
  bool FRegionExtended = false;
  bool FRegionZoomed = false;
  HICON TitleIcon() const;
  TFontHandle FTitleFont;
  std::unique_ptr<TkvSystemMenu> FSystemMenu;
  std::unique_ptr<TkvBorderForm> FBorderForm;
  std::array<std::unique_ptr<TkvSBAnimation>, cbCount> FFades;
  bool FTrackingNC = false;
  bool FSysMenuTaken = false;
  bool FHookedChildren = false;
  bool FMaxHotForAMoment = false;
};
