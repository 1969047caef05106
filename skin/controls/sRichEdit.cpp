// The skinned rich edit.
#include "skin/controls/sRichEdit.h"

#include <richedit.h>

#include "base/GdiObjects.h"
#include "skin/controls/sEdit.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/paint/kvMaskBorders.h"
#include "skin/paint/sGlyphs.h"
#include "skin/pixels/sGraphUtils.h"

TsRichEdit::TsRichEdit(TComponent* AOwner) : TRichEdit(AOwner) {
  FCommonData = std::make_unique<TsCtrlSkinData>(this, true);
  FCommonData->COC = 7;
  FDesignColor = Color();
  FDesignFontColor = Font().Color();
  BoundLabel().LabelFactory = [this](TWinControl* Edit) -> TLabel* {
    return new TsEditLabel(Edit, &BoundLabel());
  };
  ++FSkinWriting;
  FCommonData->Loaded();
  --FSkinWriting;
}

TsRichEdit::~TsRichEdit() {
  FreeAdapter();
  BoundLabel().SetActive(false);
}

void TsRichEdit::CreateWindowHandle() {
  TRichEdit::CreateWindowHandle();
  SendMessageW(Handle(), EM_EXLIMITTEXT, 0, RichEditTextLimit);
}

void TsRichEdit::Loaded() {
  TRichEdit::Loaded();
  FDesignColor = Color();
  FDesignFontColor = Font().Color();
  ++FSkinWriting;
  FCommonData->Loaded();
  --FSkinWriting;
}

bool TsRichEdit::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name.compare(0, 9, "SkinData.") == 0) return FCommonData->ReadProperty(Name.substr(9), Value);
  if (Name == "DisabledKind") {
    SetDisabledKind(Value.AsSetFlags({{"dkBlended", dkBlended}, {"dkGrayed", dkGrayed}}));
    return true;
  }
  return TRichEdit::ReadProperty(Name, Value);
}

void TsRichEdit::SetDisabledKind(unsigned Value) {
  if (Value == FDisabledKind) return;
  FDisabledKind = Value;
  FCommonData->Invalidate();
}

void TsRichEdit::EnsureAdapter() {
  if (!HandleAllocated() || IsDestroying()) return;
  if (!FCommonData->Skinned()) {
    FreeAdapter();
    return;
  }
  if (FAdapter && (FAdapter->Destroyed || FAdapter->CtrlHandle != Handle())) FreeAdapter();
  if (FAdapter) return;
  auto Adapter = std::make_shared<TkvEditWnd>();
  if (Adapter->Create(Handle(), true, FCommonData->SkinSection(), FCommonData->SkinManager(),
                      FCommonData.get()))
    FAdapter = std::move(Adapter);
}

void TsRichEdit::FreeAdapter() {
  if (!FAdapter) return;
  std::shared_ptr<TkvEditWnd> Adapter = std::move(FAdapter);
  if (!Adapter->Destroyed) Adapter->Destroy();
}

void TsRichEdit::RecreateWnd() {
  if (!HandleAllocated()) return;
  HWND Wnd = Handle();
  // What the new window must show as the old one did.
  std::wstring Kept = Text();
  bool Modified = SendMessageW(Wnd, EM_GETMODIFY, 0, 0) != 0;
  CHARRANGE Sel{};
  SendMessageW(Wnd, EM_EXGETSEL, 0, LPARAM(&Sel));
  POINT Scroll{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Scroll));
  FreeAdapter();
  // Without an adapter: the skin is going.
  TRichEdit::RemakeWindow(Kept);
  Wnd = Handle();
  SendMessageW(Wnd, EM_SETMODIFY, Modified ? TRUE : FALSE, 0);
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Sel));
  SendMessageW(Wnd, EM_SETSCROLLPOS, 0, LPARAM(&Scroll));
}

void TsRichEdit::RemakeWindow(const std::wstring& NewText) {
  FreeAdapter();
  TRichEdit::RemakeWindow(NewText);
  EnsureAdapter();
}

void TsRichEdit::RestoreDesignColors() {
  TsCommonData& D = *FCommonData;
  const TColor Back = FDesignColor, FontBack = FDesignFontColor;
  if (!D.CustomColor() && Color() != Back) SetColor(Back);
  if (!D.CustomFont() && Font().Color() != FontBack) Font().SetColor(FontBack);
  FDesignColor = Back;
  FDesignFontColor = FontBack;
}

void TsRichEdit::EnabledColors() {
  TsCommonData& D = *FCommonData;
  const TsGeneralData* S = D.Section();
  if (!S || !D.Skinned()) return;
  ++FSkinWriting;
  if (!D.CustomColor() && Color() != S->Color) SetColor(S->Color);
  if (!D.CustomFont()) {
    // Disabled, the text is drawn halfway between the skin's ink and the ground.
    TColor Ink = Enabled() ? S->FontColor.Color
                           : AverageColors(ColorToRGB(S->FontColor.Color), ColorToRGB(Color()));
    if (Font().Color() != Ink) Font().SetColor(Ink);
  }
  --FSkinWriting;
  Invalidate();
}

bool TsRichEdit::BlendsDisabledLook() {
  const TsCommonData& D = *FCommonData;
  return !Enabled() && D.Skinned() && !D.CustomFont() && D.Section() != nullptr;
}

TColor TsRichEdit::DrawnTextColor() {
  if (BlendsDisabledLook()) return FCommonData->Section()->FontColor.Color;
  return TRichEdit::DrawnTextColor();
}

namespace {

// Averages the DC's pixels of R with Ground, as the disabled text colour is averaged.
void AverageArea(HDC DC, const TRect& R, TColor Ground) {
  if (R.IsEmpty()) return;
  TBitmap32 Area(R.Width(), R.Height());
  HDC Mem = static_cast<HDC>(Area.NativeDC());
  if (!Mem) return;
  BitBlt(Mem, 0, 0, R.Width(), R.Height(), DC, R.Left, R.Top, SRCCOPY);
  GdiFlush();
  AverageRect(Area, Area.BoundsRect(), Ground);
  BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), Mem, 0, 0, SRCCOPY);
}

} // namespace

void TsRichEdit::PaintDisabled() {
  HWND Wnd = Handle();
  TPaintDC Paint(Wnd);
  RECT Client{}, Area{};
  GetClientRect(Wnd, &Client);
  if (!Paint || !IntersectRect(&Area, &Paint.PaintRect(), &Client)) return;
  const int W = Area.right - Area.left, H = Area.bottom - Area.top;
  // The control draws the part into a picture of its own, shifted so that the part's corner
  // lands on the picture's.
  TBitmap32 Picture(W, H);
  HDC Mem = static_cast<HDC>(Picture.NativeDC());
  if (!Mem) return;
  SetViewportOrgEx(Mem, -Area.left, -Area.top, nullptr);
  SendMessageW(Wnd, WM_PRINTCLIENT, WPARAM(Mem), PRF_CLIENT);
  SetViewportOrgEx(Mem, 0, 0, nullptr);
  GdiFlush();
  AverageRect(Picture, Picture.BoundsRect(), Color());
  CopyToScreen(Paint, Area.left, Area.top, W, H, Mem, 0, 0);
}

void TsRichEdit::HandleSkinCommand(TMessage& Message) {
  TsCommonData& D = *FCommonData;
  const bool Own = Message.LParam == LPARAM(D.SkinManager());
  ++FSkinWriting;
  switch (SkinCommandCode(Message.WParam)) {
  case KV_SKINAPPLIED:
    CommonWndProc(Message, &D);
    if (Own) EnsureAdapter();
    break;
  case KV_SKINDROPPED: {
    if (!Own || IsDestroying()) {
      CommonWndProc(Message, &D);
      break;
    }
    const TColor Design = FDesignColor, DesignFont = FDesignFontColor;
    FreeAdapter();
    CommonWndProc(Message, &D);
    FDesignColor = Design;
    FDesignFontColor = DesignFont;
    RestoreDesignColors();
    // Everything the skin did to the window goes with it.
    RecreateWnd();
    break;
  }
  case KV_REPAINTSKIN:
    CommonWndProc(Message, &D);
    if (Own && HandleAllocated() && Visible()) {
      if (D.Skinned() && !D.CustomFont() && Enabled())
        if (const TsGeneralData* S = D.Section(); S && Font().Color() != S->FontColor.Color)
          Font().SetColor(S->FontColor.Color);
      EnsureAdapter();
      SendMessageW(Handle(), WM_NCPAINT, 1, 0);
    }
    break;
  case KV_ISSKINNED: Message.Result = 1; break;
  case KV_QUERYDISABLEDLOOK:
    if (auto* Kind = reinterpret_cast<uint8_t*>(Message.LParam)) *Kind = uint8_t(FDisabledKind);
    break;
  case KV_QUERYAPPLICATION: Message.Result = LRESULT(Application); break;
  case KV_RESUMEPAINT:
    if (D.Skinned() && D.FUpdating) {
      D.FUpdating = false;
      D.FUpdating = D.GetUpdating();
      if (!D.FUpdating && HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 1, 0);
      break;
    }
    CommonWndProc(Message, &D);
    break;
  default:
    if (!CommonWndProc(Message, &D)) TRichEdit::WndProc(Message);
    break;
  }
  --FSkinWriting;
}

void TsRichEdit::Print(TMessage& Message) {
  HDC DC = reinterpret_cast<HDC>(Message.WParam);
  TkvEditWnd* A = FAdapter.get();
  if (!DC || !A || !HandleAllocated()) {
    TRichEdit::WndProc(Message);
    return;
  }
  HWND Wnd = Handle();
  TsCommonData& D = *FCommonData;
  // The control draws what it shows, at its scroll position, where its client area lies in
  // the window. (Formatting the text from its start for a page would format all of a long
  // text, for a picture of its first lines.)
  TRect Inner = A->ClientRect();
  RECT Client{};
  GetClientRect(Wnd, &Client);
  {
    TSavedDC Saved(DC);
    OffsetViewportOrgEx(DC, Inner.Left, Inner.Top, nullptr);
    IntersectClipRect(DC, 0, 0, Client.right, Client.bottom);
    SendMessageW(Wnd, WM_PRINTCLIENT, WPARAM(DC), PRF_CLIENT | PRF_ERASEBKGND);
    if (BlendsDisabledLook()) {
      RECT Box{};
      if (GetClipBox(DC, &Box) > NULLREGION)
        AverageArea(DC, {Box.left, Box.top, Box.right, Box.bottom}, Color());
    }
  }
  D.FUpdating = false;
  if (D.BGChanged) RenderWindowFace(D, Wnd, A->DlgMode);
  if (TBitmap32* Cache = D.CacheBmp(); Cache && !Cache->IsEmpty()) {
    RepaintBorderCorners(D, 0, bcTopLeft | bcTopRight | bcBottomLeft | bcBottomRight);
    HDC Src = static_cast<HDC>(Cache->NativeDC());
    GdiFlush();
    TRect Strips[4];
    FrameStrips(Cache->BoundsRect(), 2, 2, 2, 2, Strips);
    for (const TRect& S : Strips)
      if (!S.IsEmpty() && Src)
        CopyToScreen(DC, S.Left, S.Top, S.Width(), S.Height(), Src, S.Left, S.Top);
  }
  A->PaintBars(DC);
  Message.Result = 2;
}

void TsRichEdit::WndProc(TMessage& Message) {
  if (Message.Msg == KV_SKINMSG) {
    HandleSkinCommand(Message);
    return;
  }
  // Colours given while neither the skin's handling nor the adapter writes are the design's.
  if ((Message.Msg == CM_COLORCHANGED || Message.Msg == CM_FONTCHANGED) && FSkinWriting == 0 &&
      !(FAdapter && FAdapter->bPreventStyleChange)) {
    FDesignColor = Color();
    FDesignFontColor = Font().Color();
  }
  const bool Skinned = HandleAllocated() && !IsLoading() && FCommonData->Skinned();
  if (Skinned && Message.Msg == WM_PRINT) {
    Print(Message);
    return;
  }
  if (Skinned && Message.Msg == WM_PAINT && IsWindowVisible(Handle()) && BlendsDisabledLook()) {
    PaintDisabled();
    return;
  }
  ++FSkinWriting;
  bool Done = Skinned && CommonWndProc(Message, FCommonData.get());
  --FSkinWriting;
  if (!Done) TRichEdit::WndProc(Message);
  if (!Skinned || IsDestroying()) return;
  switch (Message.Msg) {
  case WM_SIZE:
  case EM_STREAMIN:
    // Loading text changes the bars.
    if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 1, 0);
    break;
  case CM_ENABLEDCHANGED: EnabledColors(); break;
  case CM_SHOWINGCHANGED: EnsureAdapter(); break;
  default: break;
  }
}
