// The skin manager: owns the current skin, chooses where it comes from (an internal skin, a
// packed file or a skin folder), loads it, announces it to every window and hooks new ones.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"
#include "toolkit/Forms.h"

enum TkvSkinningRule : unsigned { srStdForms = 1, srStdDialogs = 2, srThirdParty = 4 };
enum TSkinType { stUnpacked, stPacked, stAllSkins };

// The foreign control classes to skin, one list per kind, in the order the control adapter
// indexes them.
constexpr int ThirdPartyCount = 21;
extern const char* const ThirdPartyNames[ThirdPartyCount];

// The version of the engine, as "/kvver" shows it.
extern const wchar_t* const EngineVersion;

// Effect settings. They are read from the definition and kept; the glow and animation code
// reads them.
struct TkvSkinEffects {
  bool AllowGlowing = true;     // glow windows and overlays allowed
  bool AllowAeroBluring = true; // blur behind extended border windows when the skin asks
};

enum TkvAnimType { atFading, atAero };
enum TkvBtnEvent : unsigned {
  beMouseEnter = 1,
  beMouseLeave = 2,
  beMouseDown = 4,
  beMouseUp = 8,
};

// One form animation: whether it plays, for how many milliseconds, and how.
struct TkvFormAnimation {
  bool Active = true;
  uint16_t Time = 0;
  TkvAnimType Mode = atAero;
};

struct TkvBlendOnMoving {
  bool Active = false;
  uint8_t BlendValue = 170;
  uint16_t Time = 1000;
};

struct TkvAnimEffects {
  // The button state changes that fade (Buttons.Events).
  unsigned Buttons = beMouseEnter | beMouseLeave | beMouseDown | beMouseUp;
  TkvBlendOnMoving BlendOnMoving;
  TkvFormAnimation DialogShow;
  TkvFormAnimation FormShow;
  TkvFormAnimation FormHide;
  TkvFormAnimation DialogHide;
  TkvFormAnimation Minimizing{true, 200, atAero};
  TkvFormAnimation PageChange;
  TkvFormAnimation SkinChanging{true, 100, atFading};
};

// The menu skinning settings.
struct TkvMenuSupport {
  std::wstring IcoLineSkin; // section of the icon column; "ICOLINE" after loading when empty
  bool UseExtraLine = false;
  int ExtraLineWidth = 32;
  TFont ExtraLineFont;
  uint8_t AlphaBlend = 255; // opacity of popup menu windows
};

// The extra caption line of a menu level: the handler may change the section, caption, glyph
// (owned by the menu painter once set) and visibility.
using TkvGetExtraLineData =
    std::function<void(TComponent* FirstItem, std::wstring& SkinSection, std::wstring& Caption,
                       std::unique_ptr<TBitmap32>& Glyph, bool& LineVisible)>;
struct TkvMenuItemData {
  TFont* Font = nullptr;
};
using TkvGetPopupItemData =
    std::function<void(TComponent* Item, unsigned State, TkvMenuItemData& ItemData)>;
// Called before a system dialog gets its skin; clearing Allow refuses it.
using TkvSysDlgInit = std::function<void(HWND Wnd, bool& Allow)>;

class TsSkinManager : public TComponent {
public:
  explicit TsSkinManager(TComponent* AOwner);
  ~TsSkinManager() override;
  const wchar_t* ClassName() const override { return L"TsSkinManager"; }

  // The current skin; empty (inactive) when none is applied.
  const TsSkinModel& Model() const { return *FModel; }
  TsSkinModel& Model() { return *FModel; }

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  const std::wstring& SkinName() const { return FSkinName; }
  void SetSkinName(const std::wstring& Value);
  const std::wstring& SkinDirectory() const { return FSkinDirectory; }
  void SetSkinDirectory(const std::wstring& Value) { FSkinDirectory = Value; }
  TsStoredSkins& InternalSkins() { return FInternalSkins; }
  // The loaded skin's version as text, "N/A" without a skin.
  std::string SkinInfo() const;
  static const char* Version() { return "8.41"; }
  int HueOffset() const { return FHueOffset; }
  void SetHueOffset(int Value);
  int Saturation() const { return FSaturation; }
  void SetSaturation(int Value);
  bool ExtendedBorders() const { return FExtendedBorders; }
  void SetExtendedBorders(bool Value);
  bool SkinnedPopups = true;
  bool IsDefault() const { return FIsDefault; }
  void SetIsDefault(bool Value);
  unsigned SkinningRules() const { return FSkinningRules; }
  void SetSkinningRules(unsigned Value);
  // The options lines laid over every skin, as the model keeps them: blanks removed from
  // every line that is not a comment, empty lines dropped. Setting them reloads the skin.
  const std::vector<std::string>& CommonSections() const { return FCommonSections; }
  void SetCommonSections(const std::vector<std::string>& Lines);
  int GroupIndex = 0;
  TkvSkinEffects Effects;
  TkvAnimEffects AnimEffects;
  TkvMenuSupport MenuSupport;

  // The text of a ThirdParty list, and its parsed class names (a single blank matches none).
  const std::wstring& ThirdParty(int Index) const { return FThirdParty[size_t(Index)]; }
  void SetThirdParty(int Index, const std::wstring& Text);
  const std::vector<std::wstring>& ThirdPartyClasses(int Index) const {
    return FThirdPartyClasses[size_t(Index)];
  }

  TNotifyEvent OnActivate, OnDeactivate, OnBeforeChange, OnAfterChange;
  // Fired on every change of the internal skins.
  TNotifyEvent OnSkinListChanged;
  TkvSysDlgInit OnSysDlgInit;
  TkvGetExtraLineData OnGetMenuExtraLineData;
  TkvGetPopupItemData OnGetPopupItemData;

  // Loads the named skin into the model without announcing it. The new model replaces the
  // current one only when the whole load succeeded; on failure the error is thrown and the
  // previous skin stays whole and in use.
  void ReloadSkin();
  void ReloadPackedSkin();
  void UpdateSkin(bool Repaint);
  void RepaintForms(bool DoLockForms);
  // Tells every control of the section (compared upper-cased) to repaint; the section is
  // kept, upper-cased, as the one the last call named.
  void UpdateSkinSection(const std::string& SectionName);
  const std::string& ChangedSection() const { return FChangedSection; }
  void BeginUpdate() { FNonAutoUpdate = true; }
  void EndUpdate(bool Repaint);
  void AnnounceNewSkin(bool Repaint);
  void AnnounceSkinRemoval();

  std::wstring GetFullSkinDirectory() const;
  // Sorted internal skin names, then the folders with Options.dat and the .kvz files of the
  // skin directory (by kind); First receives the first name found.
  void GetSkinNames(std::vector<std::wstring>& List, TSkinType SkinType, std::wstring& First) const;
  void GetExternalSkinNames(std::vector<std::wstring>& List, TSkinType SkinType,
                            std::wstring& First) const;
  std::wstring GetRandomSkin() const;
  // Write internal skins out; errors are shown in the engine's error box, never thrown.
  void ExtractInternalSkin(const std::wstring& Name, const std::wstring& DestDir);
  void ExtractByIndex(int Index, const std::wstring& DestDir);

  void CheckVersion(double SkinVersion);
  // The shadow templates and margins of extended borders: none without a skin or without
  // extended borders; the built-in shadows with 9-pixel margins when the skin has no EXBORDER
  // image; otherwise margins from that image.
  void CheckShadows();
  TRect FormShadowSize() const { return FFormShadowSize; }
  // Switches redrawing of the visible skinned forms off and on again around a change.
  void FreezeForms();
  void ThawForms();
  // The toolkit's choice between its own message form and the newest system dialogs: its own
  // while this default manager is active and skins standard dialogs.
  void SyncDialogMode();
  enum TShowState { ssNoneState, ssRestoring, ssMinimising };
  TShowState ShowState() const { return FShowState; }
  void InstallHook();
  void UnInstallHook();
  bool GlobalHookInstalled() const { return FHook != nullptr; }

  // Mouse-over tracking: the window and the window-less control under the mouse.
  HWND ActiveControl() const { return FActiveControl; }
  void SetActiveControl(HWND Value);
  TControl* ActiveGraphControl() const { return FActiveGraphControl.Get(); }
  void SetActiveGraphControl(TControl* Value);

  // The preview link of an external skin editor: takes the skin options from a WM_COPYDATA
  // block (marker, name, directory, options). The block is checked whole before anything is
  // taken from it; false (nothing changed) for anything else, or when the program was not
  // started with "/kvpreview".
  bool ApplyPreviewSkin(const void* Data, size_t Size);

  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

private:
  void ReadInternalSkins(const TDefValue& Value);
  bool ReadAnimEffect(const std::string& Name, const TDefValue& Value);
  bool ReadMenuSupport(const std::string& Name, const TDefValue& Value);
  // Whether the window-less control under the mouse says it still is (its skin state).
  bool GraphControlKeepsMouse() const;
  std::unique_ptr<TsSkinModel> NewModel() const;
  // Handles the messages of the application's main window that concern the skin; true when
  // the message is done.
  bool MainWindowHook(TMessage& Message, const TWndNext& Next);
  // The minimize and restore animations of a system command of the main window.
  bool AnimateMainWindow(TMessage& Message, const TWndNext& Next);
  void HookMainWindow();
  void UnhookMainWindow();
  void LoadInto(TsSkinModel& Target, bool Packed);
  void FinishLoad(std::unique_ptr<TsSkinModel> Loaded);
  bool PackedFileExists() const;
  // Reloads the current skin after a change of its colour tone, and repaints.
  void ReloadWithTone();
  std::string Narrow(const std::wstring& Text) const;
  static LRESULT CALLBACK CBTProc(int Code, WPARAM WParam, LPARAM LParam);

  std::unique_ptr<TsSkinModel> FModel;
  bool FActive = true;
  std::wstring FSkinName;
  std::wstring FSkinDirectory;
  TsStoredSkins FInternalSkins;
  int FHueOffset = 0;
  int FSaturation = 0;
  bool FExtendedBorders = false;
  bool FIsDefault = false;
  unsigned FSkinningRules = srStdForms | srStdDialogs | srThirdParty;
  std::vector<std::string> FCommonSections;
  std::string FChangedSection;
  std::vector<TWeakRef<TForm>> FFrozenForms; // switched off by FreezeForms, for ThawForms
  std::array<std::wstring, ThirdPartyCount> FThirdParty;
  std::array<std::vector<std::wstring>, ThirdPartyCount> FThirdPartyClasses;
  bool FNonAutoUpdate = false;
  bool FPreviewApplied = false;
  std::string FPreviewOptions;
  HHOOK FHook = nullptr;
  TRect FFormShadowSize{};
  TShowState FShowState = ssNoneState;
  TWeakRef<TForm> FHookedForm;

public:
  // The main window the manager hooks, or null.
  TForm* HookedForm() const { return FHookedForm.Get(); }

private:
  TWndHookToken FMainWindowHook;
  HWND FActiveControl = nullptr;
  TWeakRef<TControl> FActiveGraphControl;
};

// The toolkit's switch for the newest system dialogs: when false, messages appear as the
// toolkit's own message form (which the skin engine can skin).
extern bool UseLatestCommonDialogs;

// What the skin engine does with the events of its window hook (activation, creation and
// destruction of windows); installed by the form skinning. Runs after the next hook.
extern std::function<void(int Code, WPARAM WParam, LPARAM LParam)> WindowHookHandler;
// The code the handler gets when the hook is removed: it frees what it made for the hook.
constexpr int HookRemovedCode = -1;

// Drops a form's skinned system menu at a screen point; false when the form has none. Installed
// by the form skinning.
extern std::function<bool(HWND Form, int X, int Y)> DropFormSystemMenu;

// The menu notifications of the main window (KV_MENUITEMDRAWN with an item's command,
// KV_MENUWINDOWSHOWN with a menu window): installed by the menu skinning.
constexpr UINT KV_MENUITEMDRAWN = 0xBCB3;
constexpr UINT KV_MENUWINDOWSHOWN = 0xBCB4;
extern std::function<void(UINT Msg, WPARAM WParam, LPARAM LParam)> MenuNotificationHandler;
// The minimize and restore animations of the main window, installed by the form effects: given
// the hooked main form and its WM_SYSCOMMAND, true when the command is done.
extern std::function<bool(TForm* Form, TMessage& Message, const TWndNext& Next)>
    MainWindowAnimation;

// The skin-change animation, installed by the form effects: called before a skin change at
// run time, it answers what to call when the new skin is shown (or nothing).
extern std::function<std::function<void()>(TsSkinManager& Manager)> SkinChangeAnimation;

// The first manager created in the application; controls without their own use it.
extern TsSkinManager* DefaultManager;
// Set while a skin loads and while it is announced; painters skip work meanwhile.
extern bool SkinLoading;
extern bool SkinAnnouncing;

// The engine's error message box (error icon, OK). Tests may replace it.
extern std::function<void(const std::wstring& Text)> ShowEngineError;
// The engine's information box, for the version and old-skin notices.
extern std::function<void(const std::wstring& Text)> ShowEngineMessage;

// The program's command-line switches that the engine reads ("/kvver", "/kvtest",
// "/kvpreview"), lower-cased; tests may set them.
std::vector<std::wstring>& EngineSwitches();
bool HasEngineSwitch(const wchar_t* Switch);
// Makes the engine's components known to the definition reader.
void RegisterSkinClasses();
// Run once at start-up: shows "Orvane v8.41" when "/kvver" was given.
void SkinManagerStartup();
