// State fades.
#include "skin/controls/sFade.h"

#include <algorithm>
#include <vector>

#include "base/GdiObjects.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// Every fade timer alive, for EndAllStateFades.
std::vector<TsFadeTimer*>& LiveTimers() {
  static std::vector<TsFadeTimer*> List;
  return List;
}

constexpr unsigned FadeInterval = 10;

} // namespace

TsFadeTimer::TsFadeTimer(TComponent* AOwner) : TTimer(AOwner) {
  SetEnabled(false);
  SetInterval(FadeInterval);
  LiveTimers().push_back(this);
  ++RunningFades();
  EndAllFades = EndAllStateFades;
}

TsFadeTimer::~TsFadeTimer() {
  auto& List = LiveTimers();
  List.erase(std::remove(List.begin(), List.end(), this), List.end());
  --RunningFades();
}

void TsFadeTimer::SetDirection(TFadeDirection Value) {
  FDirection = Value;
  if (FadeLevel < 0) FadeLevel = 1;
  SetEnabled(Value != fdNone);
}

void TsFadeTimer::SetOwnerData(TsCommonData* Value, bool Half) {
  const bool Running = FOwnerData == Value && FDirection != fdNone;
  FOwnerData = Value;
  if (!Value) return;
  TBitmap32* Cache = Value->CacheBmp();
  if (Value->BGChanged && (!Cache || Cache->IsEmpty()))
    if (TControl* C = Value->OwnerControl()) SendSkinCommandTo(C, KV_CLEARBGCHANGED);
  Cache = Value->CacheBmp();
  // An interrupted fade goes on from the picture it shows, not from the face it was heading to.
  if (Running && FFrameShown && Cache && FFrame.SameSize(*Cache))
    BmpFrom = FFrame;
  else if (Cache)
    BmpFrom = *Cache;
  else
    BmpFrom.SetSize(0, 0);
  FFrameShown = false;
  SetInterval(FadeInterval);
  const TsGeneralData* S = Value->Section();
  Iterations = FadeStepCount(S ? S->FadingIterations : 0, Half, Running, FDirection);
  FadeLevel = FadeStartLevel(FadeLevel, Iterations);
}

void TsFadeTimer::Timer() {
  // A tick that comes while a step pumps messages is dropped.
  if (FInTick || IsDestroying()) return;
  TWeakRef<TsFadeTimer> Self(this);
  FInTick = true;
  if (FOwnerData && !FadesForbidden() && !ToEnd() && Self && FDirection != fdNone) Change();
  // The owner may have been freed (and this timer with it) by what the step sent.
  if (!Self) return;
  FInTick = false;
  if (FFreeAfterTick) delete this;
}

bool TsFadeTimer::ToEnd() {
  TControl* C = FOwnerData ? FOwnerData->OwnerControl() : nullptr;
  if (!C || C->IsDestroying() || (Application && Application->Terminated())) {
    SetDirection(fdNone);
    return false;
  }
  if (FadeLevel <= Iterations && FadeLevel >= 0) return false;
  TWeakRef<TsFadeTimer> Self(this);
  SendSkinCommandTo(C, KV_HALTFADE);
  // A control that does not stop its fade still gets a quiet timer.
  if (Self && !FFreeAfterTick) SetDirection(fdNone);
  return true;
}

void TsFadeTimer::Change() {
  TControl* C = FOwnerData->OwnerControl();
  if (!C || C->IsDestroying() || Iterations == 0 || FadesForbidden()) return;
  if (!C->Enabled()) {
    SetEnabled(false);
    Iterations = 0;
    FOwnerData->Invalidate();
    return;
  }
  TBitmap32* Cache = FOwnerData->CacheBmp();
  if (!Cache || Cache->IsEmpty() || !Cache->SameSize(BmpFrom)) {
    // The control changed its size during the fade: the old face no longer fits.
    TWeakRef<TsFadeTimer> Self(this);
    TsCommonData* Data = FOwnerData;
    SendSkinCommandTo(C, KV_HALTFADE);
    if (Self && !FFreeAfterTick) SetDirection(fdNone);
    Data->Invalidate();
    return;
  }
  GdiFlush(); // the text of the new face must be in the cache's pixels
  const int W = FadeWeight(FadeLevel, Iterations);
  FFrame.SetSize(Cache->Width(), Cache->Height());
  BlendThree(FFrame, BmpFrom, *Cache, 255 - W);
  FFrameShown = true;
  ++FadeLevel;
  ShowFrame(C);
}

void TsFadeTimer::ShowFrame(TControl* Control) {
  TWeakRef<TsFadeTimer> Self(this);
  // Handed to the control's message method directly: a step is every 10 ms, and a window
  // message costs more than the blend itself under Wine.
  if (Control->Perform(KV_SKINMSG, SkinCommandWParam(KV_FADESTEP), LPARAM(&FFrame)) != 0 || !Self)
    return;
  HDC Src = static_cast<HDC>(FFrame.NativeDC());
  if (!Src) return;
  if (auto* W = dynamic_cast<TWinControl*>(Control)) {
    if (!W->HandleAllocated() || !IsWindowVisible(W->Handle())) return;
    TWindowDC DC(W->Handle());
    TSavedDC Saved(DC);
    CopyToScreen(DC, 0, 0, FFrame.Width(), FFrame.Height(), Src, 0, 0);
  } else if (TWinControl* P = Control->Parent(); P && P->HandleAllocated()) {
    TClientDC DC(P->Handle());
    TSavedDC Saved(DC);
    CopyToScreen(DC, Control->Left(), Control->Top(), FFrame.Width(), FFrame.Height(), Src, 0, 0);
  }
}

// ---------------------------------------------------------------------------------------------
// Starting and stopping

bool FadeEventAllowed(TkvAnimatEvent Event, unsigned Events, TsSkinManager* Manager) {
  if (!Manager) Manager = DefaultManager;
  return FadeEventAllowed(Event, Events, Manager ? Manager->AnimEffects.Buttons : 0u);
}

void StartStateFade(TFadeRef& Timer, TsCommonData& SkinData, bool Half, TFadeDirection Direction,
                    bool Allowed) {
  if (!SkinData.Skinned()) return;
  const TsGeneralData* S = SkinData.Section();
  const TBitmap32* Cache = SkinData.CacheBmp();
  if (Allowed && !SkinLoading && S && FadeConfigured(S->FadingEnabled, S->FadingIterations) &&
      !FadesForbidden() && Cache && !Cache->IsEmpty() && !SkinData.BGChanged) {
    SkinData.BGChanged = true;
    StartFade(Timer, SkinData, Half, Direction);
  } else {
    SkinData.BGChanged = true;
    StopFade(Timer, SkinData);
    SkinData.Invalidate(true);
  }
  SkinData.UpdateGlow(Half);
}

void StartFade(TFadeRef& Timer, TsCommonData& SkinData, bool Half, TFadeDirection Direction) {
  const TsGeneralData* S = SkinData.Section();
  if (!S || !FadeConfigured(S->FadingEnabled, S->FadingIterations)) return;
  TsFadeTimer* T = Timer.Get();
  if (T && !T->FFreeAfterTick) {
    T->FadeLevel = S->FadingIterations;
  } else {
    TComponent* Owner = SkinData.OwnerControl() ? SkinData.OwnerControl() : SkinData.OwnerObject();
    T = new TsFadeTimer(Owner);
    T->FadeLevel = 1;
    Timer = T;
  }
  TWeakRef<TsFadeTimer> Alive(T);
  T->SetOwnerData(&SkinData, Half);
  if (TControl* C = SkinData.OwnerControl()) SendSkinCommandTo(C, KV_CLEARBGCHANGED);
  if (TsFadeTimer* Still = Alive.Get()) Still->SetDirection(Direction);
}

void StopFade(TFadeRef& Timer, TsCommonData&) {
  TsFadeTimer* T = Timer.Get();
  Timer.Reset();
  if (!T || T->IsDestroying()) return;
  T->SetDirection(fdNone);
  // Freeing it inside its own step would pull the step out from under itself.
  if (T->FInTick)
    T->FFreeAfterTick = true;
  else
    delete T;
}

bool FadeRunning(const TFadeRef& Timer) {
  TsFadeTimer* T = Timer.Get();
  return T && T->Direction() != fdNone;
}

void EndAllStateFades() {
  std::vector<TWeakRef<TsFadeTimer>> All(LiveTimers().begin(), LiveTimers().end());
  for (TWeakRef<TsFadeTimer>& Ref : All) {
    TsFadeTimer* T = Ref.Get();
    if (!T) continue;
    T->SetDirection(fdNone);
    TControl* C = T->OwnerData() ? T->OwnerData()->OwnerControl() : nullptr;
    if (C && !C->IsDestroying()) SendSkinCommandTo(C, KV_HALTFADE);
    // A control that keeps its timer loses it all the same (its reference is weak).
    if (TsFadeTimer* Left = Ref.Get(); Left && !Left->IsDestroying()) {
      if (Left->FInTick)
        Left->FFreeAfterTick = true;
      else
        delete Left;
    }
  }
}
