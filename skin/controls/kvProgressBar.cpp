// The skinned progress bar.
#include "skin/controls/kvProgressBar.h"

#include <commctrl.h>

#include <optional>

#include "base/GdiObjects.h"
#include "base/TextUtils.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/kvSkinItems.h"
#include "skin/pixels/sGraphUtils.h"

namespace {
constexpr unsigned MarqueeTimerInterval = 30;
} // namespace

TsProgressBar::TsProgressBar(TComponent* AOwner) : TProgressBar(AOwner) {
  FTimer = new TTimer(this);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(MarqueeTimerInterval);
  FTimer->OnTimer = [this](TComponent*) { MarqueeTick(); };
  FCommonData = std::make_unique<TsCtrlSkinData>(this, true);
  FCommonData->COC = 161;
  FCommonData->Loaded();
}

TsProgressBar::~TsProgressBar() = default;

void TsProgressBar::CreateWindowHandle() {
  TProgressBar::CreateWindowHandle();
  // Unthemed, the native control gives itself a one-pixel static edge, which the skin's frame
  // replaces.
  HWND W = Handle();
  LONG Ex = GetWindowLongW(W, GWL_EXSTYLE);
  if (Ex & WS_EX_STATICEDGE) {
    SetWindowLongW(W, GWL_EXSTYLE, Ex & ~WS_EX_STATICEDGE);
    SetWindowPos(W, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TsProgressBar::Loaded() {
  TProgressBar::Loaded();
  FCommonData->Loaded();
  if (Style() == pbstMarquee && !IsDesigning()) StartMarquee();
}

bool TsProgressBar::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name.compare(0, 9, "SkinData.") == 0) {
    if (Name == "SkinData.SkinSection") SkinSection = Value.AsString();
    return FCommonData->ReadProperty(Name.substr(9), Value);
  }
  if (Name == "ProgressSkin") {
    SetProgressSkin(WideToUtf8(Value.AsString()));
    return true;
  }
  return TProgressBar::ReadProperty(Name, Value);
}

void TsProgressBar::SetProgressSkin(const std::string& Value) {
  std::string Name = UpperCaseAscii(Value);
  if (Name == FProgressSkin) return;
  FProgressSkin = Name;
  FOldCount = -1;
  FCommonData->Invalidate();
}

bool TsProgressBar::Ready() const {
  return HandleAllocated() && !IsLoading() && !IsDestroying() && Parent();
}

void TsProgressBar::StartMarquee() {
  if (FTimer && Style() == pbstMarquee && !IsDesigning()) FTimer->SetEnabled(true);
}

void TsProgressBar::StopMarquee() {
  if (FTimer) FTimer->SetEnabled(false);
}

// ---------------------------------------------------------------------------------------------
// The face

TProgressFacts TsProgressBar::Facts() const {
  TProgressFacts F;
  F.Width = Width();
  F.Height = Height();
  F.BorderWidth = BorderWidth();
  F.Vertical = Orientation() == pbVertical;
  F.Smooth = Smooth();
  F.Marquee = Style() == pbstMarquee;
  F.Min = Min();
  F.Max = Max();
  F.Position = Position();
  if (HandleAllocated()) {
    // What the window shows: a position sent to it directly counts too.
    HWND W = const_cast<TsProgressBar*>(this)->Handle();
    F.Min = int(SendMessageW(W, PBM_GETRANGE, TRUE, 0));
    F.Max = int(SendMessageW(W, PBM_GETRANGE, FALSE, 0));
    F.Position = int(SendMessageW(W, PBM_GETPOS, 0, 0));
  }
  F.MarqPos = FMarqPos;
  F.MarqSize = FMarqSize;
  return F;
}

void TsProgressBar::PrepareCache() {
  TsCommonData& D = *FCommonData;
  const TsSkinModel* Sm = D.Model();
  if (!Sm || !D.Section()) return;
  const TProgressFacts F = Facts();
  TBitmap32* Cache = D.CacheBmp();
  if (!F.Marquee && !F.Smooth && Cache && Cache->Width() == Width() &&
      Cache->Height() == Height()) {
    int Count = ProgressBlockCount(F);
    if (Count == FOldCount && F.Position != F.Max) {
      D.BGChanged = false;
      return;
    }
    FOldCount = Count;
  }
  TBackgroundInfo Info;
  if (Parent()) QueryParentBackground(Info, Parent(), false);
  if (Info.Kind == bkNotReady) {
    D.FUpdating = true;
    return;
  }
  D.PrepareCacheBmp();
  Cache = D.CacheBmp();
  if (Cache->IsEmpty()) return;
  TCacheInfo CI = BackgroundToCacheInfo(Info);
  if (Info.Kind != bkImage)
    CI.FillColor =
        Info.Kind == bkColor ? ColorToRGB(Info.Color) : ColorToRGB(::ParentColor(Parent()));
  PaintSection(D, CI, true, 0, Cache, {Left(), Top()}, Cache->BoundsRect());
  D.BGChanged = false;
  if (!F.Marquee && !F.Smooth) FOldCount = ProgressBlockCount(F);
  if (F.Min >= F.Max && !F.Marquee) return;
  std::string Name = !FProgressSkin.empty() ? FProgressSkin
                     : F.Vertical           ? std::string("PROGRESSV")
                                            : std::string("PROGRESSH");
  const int Index = Sm->GetSkinIndex(Name);
  if (!Sm->IsValidSkinIndex(Index)) return;
  // The pieces lie over the gauge: the cache itself is their background.
  const TCacheInfo OverGauge = NewCacheInfo(Cache, 0, 0);
  TBitmap32 Piece;
  for (const TRect& R : ProgressPieces(F)) {
    Piece.SetSize(R.Width(), R.Height());
    PaintSectionByIndex(Index, Name, OverGauge, -1, -1, Sm, &Piece, {R.Left, R.Top},
                        Piece.BoundsRect(), 0, true);
    CopyPixels(*Cache, R.Left, R.Top, Piece, Piece.BoundsRect());
  }
}

void TsProgressBar::Paint(HDC DC) {
  if (Width() <= 0 || Height() <= 0) return;
  TsCommonData& D = *FCommonData;
  if (Style() == pbstMarquee) StartMarquee();
  std::optional<TClientDC> Own;
  if (!DC) {
    Own.emplace(Handle());
    DC = *Own;
  }
  TSavedDC Saved(DC);
  if (!D.CheckUpdating()) {
    if (D.HalfVisible || (Parent() && SendSkinCommandTo(Parent(), KV_ISHALFVISIBLE) != 0))
      D.BGChanged = true;
    if (TWinControl* P = Parent())
      D.HalfVisible = BoundsRect().Intersected(P->ClientRect()) != BoundsRect();
    if (D.BGChanged) PrepareCache();
  }
  TBitmap32* Cache = D.CacheBmp();
  if (!Cache || Cache->IsEmpty()) return;
  RepaintBorderCorners(D, 0, bcTopLeft | bcBottomLeft | bcTopRight | bcBottomRight);
  TRect All{0, 0, Width(), Height()};
  CopyCacheExceptChildren(this, D, All, 0, 0, false, DC, All);
  PaintGraphicChildren(DC, this, true);
}

void TsProgressBar::MarqueeTick() {
  TsCommonData& D = *FCommonData;
  if (!D.Skinned()) {
    StopMarquee();
    return;
  }
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  PrepareCache();
  if (TBitmap32* Cache = D.CacheBmp(); Cache && !Cache->IsEmpty()) {
    TClientDC DC(Handle());
    if (HDC Src = static_cast<HDC>(Cache->NativeDC()))
      CopyToScreen(DC, 0, 0, Width(), Height(), Src, 0, 0);
  }
  AdvanceMarquee(FMarqPos, FOrient, Width(), FMarqSize, BorderWidth(), FMarqStep, MarqueeInterval(),
                 State() == pbsError);
}

// ---------------------------------------------------------------------------------------------
// Messages

void TsProgressBar::HandleSkinCommand(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  const bool Ours = Message.LParam == LPARAM(D.SkinManager());
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    CommonSkinCommand(Message, &D);
    if (Ours) {
      StartMarquee();
      FOldCount = -1;
    }
    return;
  case KV_SKINDROPPED:
    if (Ours) StopMarquee();
    CommonSkinCommand(Message, &D);
    if (Ours && HandleAllocated())
      RedrawWindow(Handle(), nullptr, nullptr,
                   RDW_FRAME | RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
    return;
  case KV_REPAINTSKIN:
    CommonSkinCommand(Message, &D);
    if (Ours) {
      FOldCount = -1;
      D.Invalidate();
    }
    return;
  case KV_RESUMEPAINT:
    if (D.FUpdating) {
      D.FUpdating = false;
      D.BGChanged = true;
      Invalidate();
    }
    return;
  case KV_ISSKINNED: Message.Result = 1; return;
  case KV_QUERYBACKGROUND:
    if (auto* Info = reinterpret_cast<TBackgroundInfo*>(Message.LParam); Info && D.CacheBmp()) {
      Info->Kind = bkImage;
      Info->Bmp = D.CacheBmp();
      Info->Offset = {0, 0};
      Message.Result = 1;
    }
    return;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); return;
  default: break;
  }
  CommonSkinCommand(Message, &D);
}

bool TsProgressBar::HandleSkinned(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  auto CommonThenDefault = [&] {
    if (!CommonWndProc(Message, &D)) TProgressBar::WndProc(Message);
  };
  switch (Message.Msg) {
  case WM_MOVE:
  case WM_SIZE:
  case WM_WINDOWPOSCHANGED:
    FOldCount = -1;
    CommonThenDefault();
    return true;
  case WM_PAINT: {
    TPaintDC PaintDC(Handle());
    Paint(msg::TPaint(Message).DC ? msg::TPaint(Message).DC : PaintDC.Get());
    Message.Result = 0;
    return true;
  }
  case WM_NCPAINT: Message.Result = 0; return true;
  case WM_ERASEBKGND: msg::TEraseBkgnd::SetErased(Message); return true;
  case WM_PRINTCLIENT:
  case WM_PRINT:
    D.FUpdating = false;
    D.BGChanged = true;
    Paint(msg::TPrint(Message).DC);
    return true;
  case PBM_SETPOS:
  case PBM_DELTAPOS:
  case PBM_STEPIT:
  case PBM_SETRANGE:
  case PBM_SETRANGE32:
    // Nothing else marks the face stale when only the position or the range changes.
    if (Style() == pbstMarquee && Message.Msg == PBM_SETPOS) {
      SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
      CommonThenDefault();
      SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    } else {
      CommonThenDefault();
    }
    if (Message.Msg == PBM_SETRANGE || Message.Msg == PBM_SETRANGE32) FOldCount = -1;
    D.BGChanged = true;
    return true;
  default: return false;
  }
}

void TsProgressBar::WndProc(TMessage& Message) {
  if (Message.Msg == KV_SKINMSG) {
    HandleSkinCommand(Message);
    return;
  }
  if (Ready() && FCommonData->Skinned() && HandleSkinned(Message)) return;
  if (!CommonWndProc(Message, FCommonData.get())) TProgressBar::WndProc(Message);
}
