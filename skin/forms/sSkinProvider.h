// The form skin provider: draws a form's frame, title band, caption, title icon and caption
// buttons from the skin into one image of the whole window, paints the client background,
// keeps the window region that cuts the skin's corners, hit-tests the drawn frame, and answers
// the skin questions of the form's children.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "skin/controls/sCommonData.h"
#include "skin/controls/sSkinText.h"
#include "skin/forms/kvBorderForm.h"
#include "skin/forms/kvCaptionFade.h"
#include "skin/forms/kvCtrlAdapter.h"
#include "skin/forms/sFormGeometry.h"
#include "skin/menus/sSkinMenus.h"
#include "toolkit/Forms.h"
#include "toolkit/Menus.h"
#include "toolkit/StdCtrls.h"
#include "base/GdiObjects.h"

enum TsGripMode { gmNone, gmRightBottom };
enum TsResizeMode { rmStandard, rmBorder };

// One caption element.
struct TsCaptionButton {
  int State = -1; // 0 normal, 1 hot, 2 pressed, -1 not shown
  int ImageIndex = -1;
  TRect Rect;
  bool HaveAlignment = false;
  int GlowID = -1;
  unsigned HitCode = 0;
};

// The engine's system menu: a popup menu made from the window's own system menu (fetched before
// WS_SYSMENU is taken from the window, after which the system gives none), with the rules for
// which caption elements and items show and work.
class TsSystemMenu : public TPopupMenu {
public:
  TsSystemMenu(TForm* Form, HMENU Menu);
  const wchar_t* ClassName() const override { return L"TsSystemMenu"; }
  // The window's own system menu.
  HMENU WindowMenu() const { return FMenu; }
  bool VisibleClose() const;
  bool VisibleMax() const;
  bool VisibleMin() const;
  bool VisibleRestore() const;
  bool VisibleSize() const;
  bool EnabledMax() const;
  bool EnabledMin() const;
  bool EnabledRestore() const;
  bool EnabledMove() const;
  bool EnabledSize() const;

  // Rebuilds the items from the window's own system menu: restore, move, size, minimize,
  // maximize, a divider, the window's own commands outside the system's range (with a divider
  // after them), close.
  void Generate();
  // Generates when Full or when the close item is missing, then shows and enables the items
  // by the rules.
  void UpdateItems(bool Full = false);
  int ExtItemsCount = 0;
  TMenuItem* ItemRestore = nullptr;
  TMenuItem* ItemMove = nullptr;
  TMenuItem* ItemSize = nullptr;
  TMenuItem* ItemMinimize = nullptr;
  TMenuItem* ItemMaximize = nullptr;
  TMenuItem* ItemClose = nullptr;

private:
  bool HasSystemMenu() const;
  bool Iconic() const;
  TMenuItem* AddCommand(const wchar_t* Name, UINT Command, const wchar_t* Fallback);
  void SendCommand(UINT Command);
  TWeakRef<TForm> FForm;
  HMENU FMenu;
};

// The skin's images of the four caption buttons of a window with big buttons (single or
// sizeable border) or small ones, and their hit codes; CloseAlone takes the close image made
// for a close button without maximize and minimize beside it, where the skin has one.
void SelectCaptionButtonImages(const TsSkinModel& Sm, bool Big, bool CloseAlone,
                               TsCaptionButton& Min, TsCaptionButton& Max, TsCaptionButton& Close,
                               TsCaptionButton& Help);
// The rendition of a caption button's image: the faint one (2) for a disabled button and for a
// normal one of an inactive window, else the plain one (1).
constexpr int CaptionButtonMode(bool Enabled, int State, bool Active) {
  return (!Enabled || State == 0) && (!Enabled || !Active) ? 2 : 1;
}
// Shows the glow of a hot caption button lying at ScreenRect over Owner; the identifier, or -1
// where the skin gives the button no glow (help buttons never have one).
int ShowCaptionButtonGlow(TsSkinManager& M, const TsSkinModel& Sm, TCaptionButtonKind Kind,
                          const TsCaptionButton& B, const TRect& ScreenRect, HWND Owner);
// The pieces a skinned window's region leaves out: the transparent outer corners of its
// border image and of its title's (TitleIndex -1: none), for a window of Width x Height.
std::vector<TRect> FormCornerCut(const TsSkinModel& Sm, const TsMaskData* Border, int TitleIndex,
                                 int Width, int Height);
// The region of a skinned window: with the border window only its client part (and the form's
// own border ring), maximized the part inside its frame, else the whole window less Cut.
TRegion FormWindowRegion(const TFormGeometryInput& In, const TFormLayout& L,
                         const std::vector<TRect>& Cut);

class TsSkinProvider;
class TsTitleButtons;
enum TkvAnimEvent { aeShowing, aeHiding };
// Called after a show animation of the form ended (aeShowing) and after its hide animation
// ended (aeHiding).
using TkvAfterAnimation = std::function<void(TsSkinProvider& Sender, TkvAnimEvent Event)>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A glyph of a definition ("Glyph.Data": the byte count, then the bitmap file); HasAlpha, when
// given, tells whether it has 32 bits. An empty value is the empty bitmap.
TBitmap32 DecodeGlyphData(const TDefValue& Value, bool* HasAlpha);

// A caption button of the form's own, left of the system buttons: the skin's "TITLEBUTTON" face
// (when UseSkinData) with a glyph centred on it, a hint while hot, and mouse events with the
// screen position.
class TsTitleButton {
public:
  using TMouseEvent =
      std::function<void(TsTitleButton& Sender, TMouseButton Button, unsigned Shift, int X, int Y)>;
  explicit TsTitleButton(TsTitleButtons* Collection);
  ~TsTitleButton();
  TsTitleButton(const TsTitleButton&) = delete;
  TsTitleButton& operator=(const TsTitleButton&) = delete;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  // A glyph with an alpha channel is blended; any other is drawn with the colour of its
  // bottom-left pixel as transparent.
  const TBitmap32& Glyph() const { return FGlyph; }
  bool GlyphHasAlpha() const { return FGlyphAlpha; }
  void SetGlyph(TBitmap32 Value, bool HasAlpha);
  std::wstring Hint;
  std::wstring Name = L"TsTitleButton";
  bool UseSkinData = true;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

  int Index() const;
  TsCaptionButton Data;
  // The hint window while the button is hot.
  std::unique_ptr<TkvCaptionHint> HintWnd;
  // The state fade of the button.
  std::unique_ptr<TkvSBAnimation> Fade;
  bool ReadProperty(const std::string& Name, const TDefValue& Value);

private:
  void Changed();
  TsTitleButtons* FCollection;
  bool FEnabled = true;
  bool FVisible = true;
  TBitmap32 FGlyph;
  bool FGlyphAlpha = false;
};

// The provider's user caption buttons, in collection order.
class TsTitleButtons {
public:
  explicit TsTitleButtons(TsSkinProvider* Provider) : FProvider(Provider) {}
  TsTitleButton& Add();
  void Delete(int Index);
  void Clear();
  int Count() const { return int(FItems.size()); }
  TsTitleButton& Items(int Index) { return *FItems[size_t(Index)]; }
  const TsTitleButton& Items(int Index) const { return *FItems[size_t(Index)]; }
  int IndexOf(const TsTitleButton* Button) const;
  TsSkinProvider* Provider() const { return FProvider; }

private:
  TsSkinProvider* FProvider;
  std::vector<std::unique_ptr<TsTitleButton>> FItems;
};

// A title icon of the form's own instead of the window's icon; Width and Height 0 follow the
// caption height.
struct TsTitleIcon {
  TBitmap32 Glyph;
  int Width = 0;
  int Height = 0;
  bool Visible = true;
};

// Text drawn 4 pixels after the caption in a font of its own; clNone (or clWindowText) takes
// the title's colour.
struct TkvAddedTitle {
  TkvAddedTitle() { Font.SetColor(clNone); }
  TFont Font;
  std::wstring Text;
  bool ShowMainCaption = true;
};

class TsSkinProvider : public TComponent, public TkvBorderOwner, public TkvMenuLineHost {
public:
  // AOwner must be a form.
  explicit TsSkinProvider(TComponent* AOwner);
  ~TsSkinProvider() override;
  const wchar_t* ClassName() const override { return L"TsSkinProvider"; }
  // A provider made by the window hook: its set-up finishes on the first non-client paint or
  // hit test, or when the form is shown.
  static TsSkinProvider* CreateRT(TForm* Form);

  bool AllowAnimation = true;
  bool AllowExtBorders = true;
  bool AllowBlendOnMoving = true;
  TkvAfterAnimation OnAfterAnimation;
  // Calls OnAfterAnimation when assigned (the handler may free the form).
  void AfterAnimation(TkvAnimEvent Event);
  TAlignment CaptionAlignment = taLeftJustify;
  bool DrawNonClientArea = true;
  bool DrawClientArea = true;
  TsGripMode GripMode = gmNone;
  bool MakeSkinMenu = false;
  std::string MenuLineSkin;
  TsResizeMode ResizeMode = rmStandard;
  bool ScreenSnap = false;
  int SnapBuffer = 10;
  bool ShowAppIcon = true;
  std::string TitleSkin;
  bool UseGlobalColor = true;

  TForm* Form() const { return FForm.Get(); }
  TsCommonData& SkinData() { return *FCommonData; }
  bool Skinned() const;
  bool FormActive = true;
  bool RTInit = false;
  bool RTEmpty = false;
  int LockCount = 0;
  unsigned FFormState = 0;
  TsCaptionButton ButtonMin, ButtonMax, ButtonClose, ButtonHelp;
  TsTitleButtons TitleButtons{this};
  TsTitleIcon TitleIcon;
  TkvAddedTitle AddedTitle;
  // The skin's "TITLEBUTTON" image, the face of the user buttons.
  int UserBtnIndex = -1;
  // The user button a hit code names, or null.
  TsTitleButton* UserButtonOf(int Code);
  // Repaints the whole frame (after a change of the title's elements), unless loading.
  void TitleChanged();
  // The hot caption element's hit code (0: none, -1: the mouse left), and the pressed one.
  int CurrentHT = 0;
  int PressedHT = 0;
  bool ButtonPressed() const { return PressedHT != 0; }
  // The caption element of a hit code, or null.
  TsCaptionButton* ButtonOf(int Code);
  void SetPressedHT(int Code);
  // Draws one caption element in its state into the image and copies it to the window.
  void RepaintButton(TsCaptionButton& B);
  // Drops the system menu at a screen point and runs the chosen command.
  void DropSysMenu(int X, int Y);
  // Where the system menu drops from the title icon (screen).
  TPoint SysMenuPoint() const;
  TsSystemMenu* SystemMenu() const { return FSystemMenu.get(); }
  // The adapter of the form's foreign controls, while the form is skinned.
  TkvCtrlAdapter* Adapter() const { return FAdapter.get(); }
  // Scans the form (or one control) for foreign controls to adapt.
  void ScanControls(TWinControl* Owner = nullptr);
  // The skin selection sub-menu at the top of the system menu ("SkinSelectItem"), one radio
  // item per skin the manager lists, a new column every 20.
  void MakeSkinItems(TsSkinManager& M);

  // Geometry of the window as it is now.
  TFormGeometryInput GeometryInput() const;
  TFormLayout Layout() const;
  int BorderWidth() const;
  int CaptionWidth() const;
  TColor FormColor() const;

  void LoadInit();
  void PrepareForm();
  void InitButtons();
  // Renders the window image when it is out of date.
  void PaintAll() override;
  // Copies the frame from the image to the window (rebuilding the region first when asked).
  void NCPaint();
  // Repaints the frame at once.
  void RepaintNonClient();
  void PaintClient(HDC DC);
  // The window region without the skin's transparent corners (with the extended border window
  // only the client part); applied only when it changed.
  void UpdateRegion(bool Redraw);
  bool RegionChanged = true;
  // The extended border window, while the manager's extended borders apply to the form.
  TkvBorderForm* BorderForm() const { return FBorderForm.get(); }
  bool WantsExtendedBorders() const;
  // Makes or frees the border window as the manager's setting and the form ask.
  void UpdateBorderForm();

  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

  // The form has a menu bar the frame makes room for: a main menu with a visible item, on a
  // form that is no dialog and no child.
  bool MenuPresent() const;
  // Gives the form's menu bar the skinned handlers (or takes them away).
  void InitMenuItems(bool Active);
  // An item of the form's bar that is measured gets the skinned handlers first (one added
  // after the bar was hooked).
  void MeasureMenuItem(const MEASUREITEMSTRUCT& Measure);
  // TkvMenuLineHost: the menu line of the window image.
  const TBitmap32* MenuLineBmp() const override;
  TPoint MenuLineOrigin(HDC DC) const override;

  // TkvBorderOwner.
  HWND OwnerHandle() const override;
  TsCommonData& OwnerSkinData() override { return *FCommonData; }
  int OffsetX() const override;
  int OffsetY() const override;
  TRect ShadowSize() const override;
  int CaptionHeight() const override;
  int MenuHeight() const override;
  int SysFrame() const override;
  TRect IconRect() const override;
  int HitTestImage(TPoint P) override;
  void SetHotHT(int Code, bool Repaint) override;
  unsigned& FormState() override { return FFormState; }
  bool DrawsFrame() const override { return DrawNonClientArea; }
  bool PaintingSuspended() const override;
  void KillAnimations() override;
  // The state fade of a caption element (null while it never faded).
  TkvSBAnimation* FadeOf(const TsCaptionButton& B) const;
  TSize MinSize() const override { return {}; }
  int HeaderHeight() const override;
  uint8_t AlphaBlendValue() const override { return 255; }

protected:
  void BeforeDestruction() override;

private:
  void NewWndProc(TMessage& Message, const TWndNext& Default);
  bool SkinCommandAnyState(TMessage& Message, const TWndNext& Default);
  void SkinCommandSkinned(TMessage& Message, const TWndNext& Default);
  void DropSkin();
  void ApplySkin();
  void WMNCActivate(TMessage& Message, const TWndNext& Default);
  void WMSize(TMessage& Message, const TWndNext& Default);
  void WMPrint(TMessage& Message, const TWndNext& Default);
  void WMQueryEndSession(TMessage& Message, const TWndNext& Default);
  void WMSysCommand(TMessage& Message, const TWndNext& Default);
  void WMWindowPosChanging(TMessage& Message, const TWndNext& Default);
  void WMWindowPosChanged(TMessage& Message, const TWndNext& Default);
  void WMMouseWheel(TMessage& Message, const TWndNext& Default);
  void WMStyleChanged(TMessage& Message, const TWndNext& Default);
  void UpdateBorderPosition(bool Redraw);
  bool CaptionMouse(TMessage& Message, const TWndNext& Default);
  void ButtonAction(int Code);
  void DrawButton(TBitmap32& Image, TsCaptionButton& B, bool Enabled);
  bool ButtonEnabled(const TsCaptionButton& B) const;
  void EraseClient(HDC DC);
  // Renders the window image for a layout when it is out of date.
  void Render(const TFormGeometryInput& In, const TFormLayout& L);
  void AnswerBackground(TBackgroundInfo& Info);
  void PaintTitle(TBitmap32& Image, const TFormLayout& L);
  void PaintIcon(TBitmap32& Image, const TFormLayout& L);
  void PaintCaption(TBitmap32& Image, const TFormLayout& L);
  void PaintBorderIcons(TBitmap32& Image);
  void LayoutButtons(const TFormLayout& L);
  void SetSysMenuStyle(bool Skinned);
  // The window's own system menu, with its items enabled by the rules.
  void DropWindowMenu(int X, int Y);
  void AnnouncePreview();
  int TitleIndex() const;
  const TsSkinModel* Model() const { return FCommonData->Model(); }
  HICON TitleIconHandle() const;

  TWeakRef<TForm> FForm;
  std::unique_ptr<TsCommonData> FCommonData;
  std::unique_ptr<TsSystemMenu> FSystemMenu;
  std::unique_ptr<TkvBorderForm> FBorderForm;
  std::unique_ptr<TkvCtrlAdapter> FAdapter;
  TWndHookToken FHook;
  bool FDetached = false; // being freed: the form's messages pass by
  int FTitleSkinIndex = -1;
  int FCaptionSkinIndex = -1;
  bool FBigButtons = false;
  bool FFirstInitialized = false;
  bool FRgnChanging = false;
  bool FInNCPaint = false;
  std::vector<TRect> FArOR; // the corner pieces cut out of the region now applied
  bool FRegionApplied = false;
  bool FRegionClientOnly = false; // the region applied is the client part
  TSize FRegionSize{};
  TGlowMask FGlow1, FGlow2;
  TFontHandle FCaptionFont;
  TRect FLastClientRect{};
  TBitmap32 FTempBmp; // the title band behind the caption buttons
  std::array<std::unique_ptr<TkvSBAnimation>, cbCount> FFades;
  std::unique_ptr<TkvSBAnimation>& FadeSlot(const TsCaptionButton& B);
  TsTitleButton* UserButtonOf(const TsCaptionButton& B);
  void DrawUserGlyph(TBitmap32& Image, const TsTitleButton& U, TPoint Origin, bool Pressed);
  bool ReadTitleButtons(const TDefValue& Value);
  bool FadesAllowed() const;
  void StartButtonFade(TsCaptionButton& B);
  // Effects.
  void ShowCaptionGlow(TsCaptionButton& B);
  void HideCaptionGlows();
  void FreeEffects();
  const TkvFormAnimation& FormShowEffect() const;
  // Whether a show animation plays for the window, shown already or about to be.
  bool ShowAnimationWanted(bool Shown) const;
  void PrepareHide();
  bool EffectsSysCommand(TMessage& Message, const TWndNext& Default);
  // A press on the caption with blending on moving: runs the move loop; false when it does
  // not apply.
  bool BlendOnMoving(TMessage& Message, const TWndNext& Default);
  TRect FTempRect{}; // where FTempBmp lies in the image
  // The menu bar: the rows the system gave it at the last frame calculation, and a copy of
  // the skin's menu line under them for the painter of its items.
  int FMenuBarHeight = 0;
  TBitmap32 FMenuLineBmp;
  void PaintMenuLine(TBitmap32& Image, const TFormLayout& L);
  bool FTrackingNC = false;
};

// A skin name from the caption of a skin selection item: without "&", and cut after "(intern?)"
// when the caption holds it.
std::wstring SkinNameOfItem(const std::wstring& Caption);

// The preview target (the window announced to the external skin editor) and whether this
// process announced one.
HWND PreviewTarget();
