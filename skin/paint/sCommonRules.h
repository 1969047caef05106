// The decisions of a control's skin state that need no window: the default section of a
// control kind, the kind sets, what the background depends on, whether a face is plain, the
// colour that stands for a face, the colour query's mix and the steps of the background answer.
#pragma once

#include <cstdint>
#include <functional>

#include "base/kvTypes.h"
#include "skin/data/sSkinModel.h"

// CtrlSkinState bits.
constexpr uint16_t cssPlainFace = 1;    // the face is a plain colour
constexpr uint16_t cssUndecided = 2;    // the plain-face state must be asked again
constexpr uint16_t cssPlainMask = 3;    // the two bits above
constexpr uint16_t cssPrintDC = 0x200;  // painting goes to PrintDC
constexpr uint16_t cssProvider = 0x400; // used by form providers
constexpr uint16_t cssUpdating = 0x800; // inside BeginUpdate ... EndUpdate

// BGType bits.
constexpr uint16_t bgtWidth = 1;   // the face depends on the width
constexpr uint16_t bgtHeight = 2;  // the face depends on the height
constexpr uint16_t bgtTexture = 4; // the face has a texture

// The section a control of this kind uses when none is given; null when the kind has none
// (the control's class name is used then).
const char* DefaultSectionOf(int COC);

// The kind sets of the shared message handling.
bool IsEditKind(int COC);      // colours from the skin, change with focus and hover
bool IsContainerKind(int COC); // hover does not make it active
bool IsNoGlowKind(int COC);    // never shows a hover glow
bool IsLabelKind(int COC);     // font colours from the parent section when transparent

// Whether a section index names a section of Sm.
inline bool ValidSection(const TsSkinModel* Sm, int SkinIndex) {
  return Sm && SkinIndex >= 0 && size_t(SkinIndex) < Sm->gd.size();
}
inline bool ValidMask(const TsSkinModel* Sm, int MaskIndex) {
  return Sm && MaskIndex >= 0 && size_t(MaskIndex) < Sm->ma.size();
}
// The state record used for State: the state clamped to the section's states (never below 0)
// and to the two records a section has.
int StateRecordOf(const TsGeneralData& Section, int State);

// What the face of a section depends on (BGType bits).
uint16_t ComputeBGType(const TsGeneralData& Section);

// What PlainStateOf needs to know about the control's parent, asked only when needed.
struct TPlainParent {
  bool HasOwner = true;
  bool HasParent = false;
  bool ParentHasHandle = false;
  bool ParentSkinned = false;   // the parent answers KV_ISSKINNED with 1
  uint16_t ParentSkinState = 0; // its answer to KV_QUERYSKINSTATE
};

// 1: the face is plain; 0: it is not; 2: cannot tell yet (the parent has no window). Parent is
// called only for a fully transparent section. ExtendedBorder: the state is a form provider's
// whose form has extended borders.
int PlainStateOf(const TsSkinModel* Sm, int SkinIndex, bool ExtendedBorder,
                 const std::function<TPlainParent()>& Parent);

// The colour that stands for a control's background in State. Section null: not skinned.
// ParentColour is asked only when the section lets the parent show through.
TColor ColorForStateOf(const TsGeneralData* Section, int State, bool CustomColor, TColor OwnColour,
                       const std::function<TColor()>& ParentColour);

// The answer to the colour query: Own (RGB) without a section; the section colour for an
// opaque section, the parent's for a transparent one, otherwise per channel
// s + (T * (p - s) >> 8) with the shift rounding toward minus infinity.
TColor QueryColorOf(const TsGeneralData* Section, TColor Own,
                    const std::function<TColor()>& Parent);
TColor MixQueryColor(TColor Section, TColor Parent, int Transparency);

// The ways the background query is answered (FillBackgroundInfo).
enum TBackgroundStep : uint8_t {
  bsOwnColour,     // not skinned or custom colour: the owner's colour
  bsPlainColour,   // the colour for the state, with the border bands from the cache
  bsNotReady,      // not ready (the cache is not painted yet)
  bsNotReadyHold,  // not ready, and the control must wait for its parent (FUpdating)
  bsPassOn,        // ask the parent instead
  bsOwnCache,      // the cached face
  bsUnknownColour, // a colour that is not known: fuchsia
};

struct TBackgroundFacts {
  bool Skinned = false;
  bool CustomColor = false;
  bool HasCache = false;       // a cache bitmap exists
  bool CacheEmpty = true;      // it has no pixels
  bool CacheFitsOwner = false; // it has the owner's size
  bool PlainFace = false;      // CtrlSkinState bit 0
};

TBackgroundStep BackgroundStepOf(const TsGeneralData* Section, int State,
                                 const TBackgroundFacts& Facts);
