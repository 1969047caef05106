// State fades: when a skinned control changes state, its old face cross-fades into the new one
// in a few 10 ms steps.
#pragma once

#include "base/Bitmap32.h"
#include "skin/controls/sCommonData.h"
#include "skin/paint/sFadeRules.h"
#include "toolkit/ExtCtrls.h"

// The fade of one control: owned by the control, made on its first fading state change and
// freed when the fade ends (the control stops it on KV_HALTFADE).
class TsFadeTimer : public TTimer {
public:
  explicit TsFadeTimer(TComponent* AOwner);
  ~TsFadeTimer() override;
  const wchar_t* ClassName() const override { return L"TsFadeTimer"; }

  TFadeDirection Direction() const { return FDirection; }
  // Sets the direction; the timer runs exactly when it is not fdNone.
  void SetDirection(TFadeDirection Value);
  TsCommonData* OwnerData() const { return FOwnerData; }
  // Takes the skin state whose face fades: the old face (the cache now, or the picture a
  // running fade shows) is kept, and the step count is set for a fade that starts.
  void SetOwnerData(TsCommonData* Value, bool Half);

  // One step; the window timer calls it every 10 ms, tests call it by hand.
  void Timer() override;

  int Iterations = 0; // steps of the current fade
  int FadeLevel = 1;  // the next step, from 1
  TBitmap32 BmpFrom;  // the face before the change

private:
  // True when the fade is over: the control has been told to stop it.
  bool ToEnd();
  // Draws the next step.
  void Change();
  // Shows Frame on the control: it may draw it itself (KV_FADESTEP), else it is copied to the
  // control's window at (0, 0).
  void ShowFrame(TControl* Control);

  TFadeDirection FDirection = fdNone;
  TsCommonData* FOwnerData = nullptr;
  TBitmap32 FFrame; // the picture of the last step, kept between steps
  bool FFrameShown = false;
  bool FInTick = false;
  bool FFreeAfterTick = false;
  friend void StopFade(TWeakRef<TsFadeTimer>& Timer, TsCommonData& SkinData);
  friend void StartFade(TWeakRef<TsFadeTimer>& Timer, TsCommonData& SkinData, bool Half,
                        TFadeDirection Direction);
  friend void EndAllStateFades();
};

using TFadeRef = TWeakRef<TsFadeTimer>;

// Whether Event fades for a control with the event set Events (bits of TkvAnimatEvent), with
// the button events of Manager (the default manager when null).
bool FadeEventAllowed(TkvAnimatEvent Event, unsigned Events, TsSkinManager* Manager = nullptr);

// Called by a control after its state flags changed. When the event is allowed, no skin is
// being loaded, the section fades, fading is not forbidden and the control has a cached face
// that is up to date, the fade starts; otherwise any fade stops and the control repaints at
// once. Either way the hover glow follows (Half: a press or release removes it).
void StartStateFade(TFadeRef& Timer, TsCommonData& SkinData, bool Half, TFadeDirection Direction,
                    bool Allowed);
// Starts the fade, or starts a running one again from the picture it shows; the control gets
// KV_CLEARBGCHANGED to paint its new face into its cache.
void StartFade(TFadeRef& Timer, TsCommonData& SkinData, bool Half, TFadeDirection Direction);
// Stops and frees the fade and clears the reference. A fade stopped from inside its own step
// is freed when the step returns.
void StopFade(TFadeRef& Timer, TsCommonData& SkinData);
// Whether a fade is running (it paints the control's frames itself).
bool FadeRunning(const TFadeRef& Timer);
// Ends every fade at once (installed as EndAllFades).
void EndAllStateFades();
