// The skin state every skinned control (and every form skin provider) carries: its section and
// images in the current skin, its cached face, the plain-face decision, and the answers to the
// questions its neighbours ask about its background and colour.
#pragma once

#include <memory>
#include <string>

#include "base/Bitmap32.h"
#include "skin/data/kvSkinMessages.h"
#include "skin/manager/sSkinManager.h"
#include "skin/paint/sCommonRules.h"
#include "skin/pixels/kvCacheInfo.h"
#include "toolkit/Controls.h"

// The answer to the section query (KV_QUERYSECTIONINDEX), and the record that carries a
// section name to assign (KV_ASSIGNSECTION).
struct TkvSectionInfo {
  int SkinIndex = -1;
  std::string Name;
  bool RepaintNeeded = false;
};

class TsCommonData : public TsHoverState {
public:
  // AOwner is the control (or the form provider) the state belongs to. With CreateCacheBmp
  // an empty cache bitmap is made at once.
  TsCommonData(TComponent* AOwner, bool CreateCacheBmp);
  ~TsCommonData();
  TsCommonData(const TsCommonData&) = delete;
  TsCommonData& operator=(const TsCommonData&) = delete;

  // Applies the default section of the control kind when none is set (or finds the set one
  // in the skin), then tells the form of a skinned windowed control about it and copies the
  // skin's colours to the control.
  void Loaded();
  void UpdateIndexes();
  // True when the control paints from the skin: a section name, a manager that is not being
  // destroyed, a valid section and an owner that is not being destroyed; with CheckSkinActive
  // also a skin that is applied (not being loaded or announced).
  bool Skinned(bool CheckSkinActive = false) const;

  // Updates nest: painting stays suspended until the last EndUpdate.
  void BeginUpdate();
  void EndUpdate(bool Repaint = false);
  int UpdateCount() const { return FUpdateCount; }
  void Invalidate(bool UpdateNow = false);
  bool RepaintIfMoved() const;

  const std::string& SkinSection() const { return FSkinSection; }
  void SetSkinSection(const std::string& Value);
  // The manager the control paints with: its own, else the default one (null without any).
  TsSkinManager* SkinManager() const;
  // The default manager is stored as none.
  void SetSkinManager(TsSkinManager* Value);
  bool ManagerStored() const { return FSkinManager.Get() != nullptr; }
  // The skin model of the manager, null without a manager.
  const TsSkinModel* Model() const;
  // The control's section, null when the index is not valid.
  const TsGeneralData* Section() const;
  const TsMaskData* BorderMask() const;

  bool CustomColor() const { return FCustomColor; }
  void SetCustomColor(bool Value);
  bool CustomFont() const { return FCustomFont; }
  void SetCustomFont(bool Value);
  int HUEOffset() const { return FHUEOffset; }
  void SetHUEOffset(int Value);
  int Saturation() const { return FSaturation; }
  void SetSaturation(int Value);

  bool Updating() const { return GetUpdating(); }
  void SetUpdating(bool Value) { FUpdating = Value; }
  bool GetUpdating() const;
  bool CheckUpdating(bool Reset = false);

  void SyncColors(bool DoInvalidate);
  void UpdatePlainState(bool WithChildren);
  // 1 plain face, 0 not, 2 cannot tell yet.
  int PlainState() const;
  bool IsActive() const;
  bool NeedsOwnCache() const;
  void PrepareCacheBmp();
  int MaxBorderWidth() const;
  TColor ColorForState(int State, HWND Wnd = nullptr) const;
  // The answer to the background query (KV_QUERYBACKGROUND).
  void FillBackgroundInfo(TBackgroundInfo& Info, int State, HWND Wnd = nullptr);
  // The background behind the control, from its parent.
  void GetParentCacheInfo(TCacheInfo& CI) const;
  // Decides whether the hover glow shows. The glow windows come with the form effects; until
  // a glow maker is installed no glow is shown.
  void UpdateGlow(bool Hide, HWND Wnd = nullptr);
  void RemoveGlow();
  int ParentHalfVisible() const;

  TControl* OwnerControl() const { return FOwnerControl.Get(); }
  TComponent* OwnerObject() const { return FOwnerObject; }
  TWinControl* OwnerWinControl() const;
  TBitmap32* CacheBmp() const { return FCacheBmp.get(); }
  // Empties the cache (0 x 0) when there is one.
  void EmptyCache();
  // The form whose provider owns this state, null for a control's state.
  TForm* ProviderForm() const { return FProviderForm.Get(); }
  void SetProviderForm(TForm* Form) { FProviderForm = Form; }
  // The section colours the owner takes (Color, Font.Color), for edit-like kinds.
  TColor OwnerColor() const;

  // The state's fields, read and written by the painters and the shared message handling.
  int GlowID = -1;
  int BorderIndex = -1;
  int SkinIndex = -1;
  int Texture = -1;
  int HotTexture = -1;
  TControl* GraphControl = nullptr;
  bool UrgentPainting = false;
  bool BGChanged = true;
  bool HalfVisible = true;
  bool FUpdating = false;
  HRGN FRegion = nullptr;
  int COC = 0;
  uint16_t CtrlSkinState = cssUndecided;
  uint16_t BGType = 0;
  HDC PrintDC = nullptr;
  TRect InvalidRectH{};
  TRect InvalidRectV{};

private:
  std::string FSkinSection;
  bool FCustomFont = false;
  bool FCustomColor = false;
  int FUpdateCount = 0;
  int FHUEOffset = 0;
  int FSaturation = 0;
  TWeakRef<TsSkinManager> FSkinManager;
  TWeakRef<TControl> FOwnerControl;
  TComponent* FOwnerObject = nullptr;
  TWeakRef<TForm> FProviderForm;
  std::unique_ptr<TBitmap32> FCacheBmp;
  // Where skin commands about the state's updates go: the owner control or the provider's form.
  TControl* NoticeTarget() const;
};

// The published form of the skin state (SkinData on every skinned control); it reads its
// properties from a definition.
class TsCtrlSkinData : public TsCommonData {
public:
  using TsCommonData::TsCommonData;
  // Reads the part after "SkinData."; false for a name it does not have.
  bool ReadProperty(const std::string& Name, const TDefValue& Value);
};

// A hook that shows and removes hover glows (installed by the form effects): it returns the
// new glow's id, or -1.
using TGlowMaker =
    std::function<int(TsCommonData& Data, HWND Target, const TRect& R, const TRect& Visible)>;
using TGlowRemover = std::function<void(int GlowID)>;
extern TGlowMaker ShowControlGlow;
extern TGlowRemover HideControlGlow;

// The skin state of a control, asked with KV_QUERYSKINDATA; null when it has none.
TsCommonData* SkinDataOf(TControl* Control);

// Asks a parent control (or, for QueryWindowBackground, a parent window) for the background
// behind a child. Info's R, Offset and DrawDC are the caller's; the rest is the answer. With
// PleaseDraw a parent that does not answer is asked to paint itself into DrawDC.
bool QueryParentBackground(TBackgroundInfo& Info, TControl* Parent, bool PleaseDraw);
bool QueryWindowBackground(TBackgroundInfo& Info, HWND ParentWnd, bool PleaseDraw);
// The colour a control stands for (RGB): a skinned control's answer to the colour query, or
// its Color; fuchsia without a control.
TColor ParentColor(TControl* Control);
TColor WindowColor(HWND Wnd);

// The full face of the control whose skin state is Data painted into R of Bmp over CI (the
// parent's background, at P in it): background, corner images, border mask, colour tone.
void PaintSection(TsCommonData& Data, const TCacheInfo& CI, bool UpdateCorners, int State,
                  TBitmap32* Bmp, TPoint P, TRect R);
// Asks Control's parent for the background first; false (and FUpdating cleared) when the
// parent is not ready, or when nothing could be painted.
bool PaintSectionOnParent(TsCommonData& Data, TControl* Control, int Texture, int HotTexture,
                          bool UpdateCorners, TBitmap32* Bmp, TPoint P, TRect R, int State);
// The border of a windowed control drawn into its cache and, when DC is not the cache's own,
// its ExtraWidth strips copied to DC. ClientR receives the part inside the border.
void PaintBorderFrame(HDC DC, TRect R, int ExtraWidth, TRect& ClientR, int State,
                      TsCommonData& Data);
// Redraws the selected corners (bcTopLeft ... bcBottomRight) of the cached face over the
// parent's current background.
void RepaintBorderCorners(TsCommonData& Data, int State, int Corners);
