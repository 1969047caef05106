// Adapters of plain push buttons and static texts.
#include "skin/controls/kvBtnWnd.h"

#include <optional>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinText.h"
#include "skin/controls/sVclUtils.h"
#include "skin/messages/sMessages.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/StdCtrls.h"

namespace {

// The font a window draws its text with: the owning control's, the window's own, or the
// system's message font.
HFONT WindowFont(HWND Wnd, TWinControl* Owner) {
  if (Owner) return Owner->Font().Handle();
  if (auto F = HFONT(SendMessageW(Wnd, WM_GETFONT, 0, 0))) return F;
  static TFontHandle Message = [] {
    NONCLIENTMETRICSW M{};
    M.cbSize = sizeof(M);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(M), &M, 0);
    return TFontHandle(CreateFontIndirectW(&M.lfMessageFont));
  }();
  return Message;
}

// 40 % of the face over 60 % of the parent (the face stays where the parent is fuchsia), or
// over the parent's colour.
void BlendDisabled(TBitmap32& Face, const TCacheInfo& CI) {
  if (CI.Ready && CI.Bmp && !CI.Bmp->IsEmpty()) {
    BlendKeyed(Face, 0, 0, KeyPixel, 0.4, Face.BoundsRect().Offsetted(CI.X, CI.Y), *CI.Bmp);
    return;
  }
  if (CI.FillColor == clFuchsia) return;
  TColor C = ColorToRGB(CI.FillColor);
  uint32_t Fill = (uint32_t(GetRValue(C)) << 16) | (uint32_t(GetGValue(C)) << 8) | GetBValue(C);
  for (int y = 0; y < Face.Height(); ++y)
    for (int x = 0; x < Face.Width(); ++x) {
      uint32_t& F = Face.Pixel(x, y);
      if ((F & 0xFFFFFF) == 0xFF00FF) continue;
      auto Ch = [&](int S) {
        int f = int((F >> S) & 0xFF), p = int((Fill >> S) & 0xFF);
        return uint32_t((f * 4 + p * 6 + 5) / 10) << S;
      };
      F = (F & 0xFF000000u) | Ch(16) | Ch(8) | Ch(0);
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TkvBtnWnd

bool TkvBtnWnd::Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
                       TsCommonData* Data) {
  return TkvMainWnd::Create(Wnd, Repaint, Section.empty() ? "BUTTON" : Section, Manager, Data);
}

LONG TkvBtnWnd::CtrlStyle() const {
  return GetWindowLongW(CtrlHandle, GWL_STYLE);
}

bool TkvBtnWnd::Down() const {
  return (SendMessageW(CtrlHandle, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
}

int TkvBtnWnd::CurrentState() const {
  HWND Wnd = CtrlHandle;
  if (Down()) {
    if (SkinData()) SkinData()->RemoveGlow();
    return 2;
  }
  if (!IsWindowEnabled(Wnd)) return 0;
  TsSkinManager* M = SkinManager();
  if (GetFocus() == Wnd || (M && M->ActiveControl() == Wnd)) return 1;
  if (OwnerControl()) return (CtrlStyle() & 0xF) == BS_DEFPUSHBUTTON ? 1 : 0;
  return (CtrlStyle() & 1) ? 1 : 0;
}

TSize TkvBtnWnd::TextRectSize() {
  TsCommonData* D = SkinData();
  TBitmap32* Cache = D ? D->CacheBmp() : nullptr;
  HDC DC = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!DC || Caption.empty()) return {0, 0};
  TSelectObject Font(DC, WindowFont(CtrlHandle, OwnerControl()));
  RECT R{0, 0, MaxCaptionWidth() + 2, 0};
  UINT Flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_CENTER |
               ((CtrlStyle() & BS_MULTILINE) ? DT_WORDBREAK : 0);
  DrawTextW(DC, Caption.c_str(), int(Caption.size()), &R, Flags);
  return {R.right - R.left, R.bottom - R.top};
}

int TkvBtnWnd::MaxCaptionWidth() {
  if (Caption.empty()) return 0;
  TSize G = GlyphSize();
  if (G.cx <= 0) return WndSize.cx + 1;
  return std::max(0, WndSize.cx - G.cx);
}

TRect TkvBtnWnd::CaptionRect() {
  TSize T = TextRectSize();
  int L = (WndSize.cx - T.cx) / 2, Tp = (WndSize.cy - T.cy) / 2;
  TRect R{L - 1, Tp, WndSize.cx - L + 2, WndSize.cy - Tp};
  if (CurrentState() == 2) R.Offset(1, 1);
  return R;
}

void TkvBtnWnd::DoDrawText(HDC DC, const std::wstring& Text, TRect& R, UINT Flags) {
  TsCommonData* D = SkinData();
  if (!D) return;
  DrawSkinText(DC, Text, IsWindowEnabled(CtrlHandle) != FALSE, CurrentState() != 0, *D, Flags, R);
}

void TkvBtnWnd::DrawCaption(HDC DC) {
  if (!DC) return;
  TSelectObject Font(DC, WindowFont(CtrlHandle, OwnerControl()));
  SetBkMode(DC, TRANSPARENT);
  TRect R = CaptionRect();
  UINT Flags = DT_EXPANDTABS | DT_CENTER | ((CtrlStyle() & BS_MULTILINE) ? DT_WORDBREAK : 0) |
               ((GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_RTLREADING) ? DT_RTLREADING : 0);
  DoDrawText(DC, Caption, R, Flags);
  const TsGeneralData* S = SkinData() ? SkinData()->Section() : nullptr;
  if (IsWindowEnabled(CtrlHandle) && (SendMessageW(CtrlHandle, BM_GETSTATE, 0, 0) & BST_FOCUS) &&
      !Caption.empty() && S && S->ShowFocus) {
    RECT F{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
    DrawFocusRect(DC, &F);
  }
}

bool TkvBtnWnd::PrepareCache() {
  TsCommonData* D = SkinData();
  HWND Wnd = CtrlHandle;
  HWND Parent = GetParent(Wnd);
  if (!D || !D->Section()) return false;
  RefreshGeometry();
  TBackgroundInfo Info;
  if (Parent) {
    QueryWindowBackground(Info, Parent, false);
    if (Info.Kind == bkNotReady) return false;
  }
  TCacheInfo CI = BackgroundToCacheInfo(Info);
  if (Info.Kind != bkImage && CI.FillColor == clFuchsia && Parent)
    CI.FillColor = ColorToRGB(WindowColor(Parent));
  D->PrepareCacheBmp();
  TBitmap32* Cache = D->CacheBmp();
  if (!Cache) return false;
  if (Cache->Width() != WndSize.cx || Cache->Height() != WndSize.cy)
    Cache->SetSize(WndSize.cx, WndSize.cy);
  if (Cache->IsEmpty()) return false;
  PaintSection(*D, CI, true, CurrentState(), Cache, WndPos, Cache->BoundsRect());
  DrawCaption(static_cast<HDC>(Cache->NativeDC()));
  DrawGlyph();
  GdiFlush();
  if (!IsWindowEnabled(Wnd)) BlendDisabled(*Cache, CI);
  D->BGChanged = false;
  return true;
}

void TkvBtnWnd::KV_WMPaint(HDC Given) {
  HWND Wnd = CtrlHandle;
  TsCommonData* D = SkinData();
  RefreshGeometry();
  std::optional<TPaintDC> Paint;
  if (!Given) Paint.emplace(Wnd);
  if (AnimationCapturing && !D->PrintDC) return;
  if (D->CheckUpdating(true)) return;
  D->BGChanged = true;
  if (!PrepareCache()) {
    D->FUpdating = true;
    return;
  }
  HDC Src = static_cast<HDC>(D->CacheBmp()->NativeDC());
  std::optional<TClientDC> Own;
  HDC DC = Given ? Given : (Paint ? Paint->Get() : nullptr);
  if (!DC) {
    Own.emplace(Wnd);
    DC = *Own;
  }
  CopyToScreen(DC, 0, 0, WndSize.cx, WndSize.cy, Src, 0, 0);
}

void TkvBtnWnd::Repaint() {
  if (CtrlHandle && IsWindowVisible(CtrlHandle))
    RedrawWindow(CtrlHandle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TkvBtnWnd::SetMouseAbove(bool Above) {
  TsCommonData* D = SkinData();
  if (!D || D->FMouseAbove == Above) return;
  D->FMouseAbove = Above;
  D->FUpdating = false;
  D->BGChanged = true;
  if (!Above) D->RemoveGlow();
  if (Above) {
    TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE, CtrlHandle, 0};
    TrackMouseEvent(&Track);
  }
  Repaint();
}

void TkvBtnWnd::kvWndProc(TMessage& Message) {
  TsCommonData* D = SkinData();
  HWND Wnd = CtrlHandle;
  if (!SkinActive()) {
    TkvMainWnd::kvWndProc(Message);
    return;
  }
  // Redraws around the previous procedure with painting off, so that the system's own face
  // never shows.
  auto Quietly = [&](bool Redraw) {
    SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
    TkvMainWnd::kvWndProc(Message);
    if (!IsWindow(Wnd)) return;
    SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0);
    D->BGChanged = true;
    if (Redraw) Repaint();
  };
  switch (Message.Msg) {
  case KV_SKINMSG:
    switch (SkinCommandCode(Message.WParam)) {
    case KV_RESUMEPAINT:
      if (D->FUpdating && !D->CheckUpdating(true))
        RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
      return;
    case KV_MOUSEENTERED: {
      TsSkinManager* M = SkinManager();
      POINT C{};
      GetCursorPos(&C);
      RECT R{};
      GetWindowRect(Wnd, &R);
      if (!D->FMouseAbove && M && M->ActiveControl() == Wnd && PtInRect(&R, C)) SetMouseAbove(true);
      return;
    }
    case KV_MOUSELEFT: SetMouseAbove(false); return;
    default: break;
    }
    break;
  case WM_SETFOCUS:
  case WM_KILLFOCUS:
    if (!IsWindowEnabled(Wnd)) break;
    Quietly(false);
    D->FFocused = Message.Msg == WM_SETFOCUS;
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    return;
  case WM_ENABLE:
  case WM_SETTEXT:
    if (!IsWindowVisible(Wnd)) break;
    Quietly(true);
    return;
  case BM_SETSTATE:
    if (!IsWindowVisible(Wnd)) break;
    Quietly(true);
    return;
  case WM_PAINT:
    if (!IsWindowVisible(Wnd) && !D->PrintDC) break;
    if (!ParamsChanged) SetSkinParams();
    KV_WMPaint(reinterpret_cast<HDC>(Message.WParam));
    Message.Result = 0;
    return;
  case WM_PRINT:
    KV_WMPaint(reinterpret_cast<HDC>(Message.WParam));
    Message.Result = 0;
    return;
  case WM_ERASEBKGND:
  case WM_NCPAINT:
  case WM_UPDATEUISTATE: Message.Result = 1; return;
  case WM_MOUSEHOVER: SendSkinCommand(Wnd, KV_MOUSEENTERED, LPARAM(SkinManager())); return;
  case WM_MOUSELEAVE:
    if (TsSkinManager* M = SkinManager(); M && M->ActiveControl() == Wnd)
      M->SetActiveControl(nullptr);
    SetMouseAbove(false);
    break;
  case WM_MOUSEMOVE: {
    TkvMainWnd::kvWndProc(Message);
    TsSkinManager* M = SkinManager();
    if (!M || !IsWindow(Wnd) || !IsWindowEnabled(Wnd)) return;
    POINT C{};
    GetCursorPos(&C);
    RECT R{};
    GetWindowRect(Wnd, &R);
    if (PtInRect(&R, C))
      M->SetActiveControl(Wnd);
    else if (M->ActiveControl() == Wnd)
      M->SetActiveControl(nullptr);
    return;
  }
  default: break;
  }
  TkvMainWnd::kvWndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TkvButtonWnd

TButton* TkvButtonWnd::Btn() const {
  return dynamic_cast<TButton*>(OwnerControl());
}

// ---------------------------------------------------------------------------------------------
// TkvStaticWnd

void TkvStaticWnd::PaintText() {
  TsCommonData* D = SkinData();
  TBitmap32* Cache = D ? D->CacheBmp() : nullptr;
  HDC DC = Cache ? static_cast<HDC>(Cache->NativeDC()) : nullptr;
  if (!DC || Caption.empty()) return;
  TSelectObject Font(DC, WindowFont(CtrlHandle, OwnerControl()));
  SetBkMode(DC, TRANSPARENT);
  // Tab stops every 9 characters, expanded tabs, word breaks.
  UINT Flags = 0x09D0;
  if (GetWindowLongW(CtrlHandle, GWL_EXSTYLE) & WS_EX_RIGHT) Flags |= DT_RIGHT;
  // The toolkit lays out left to right only.
  DrawSkinText(DC, Caption, IsWindowEnabled(CtrlHandle) != FALSE, false, *D, Flags,
               {0, 0, WndSize.cx, WndSize.cy});
}

void TkvStaticWnd::KV_WMPaint(HDC Given) {
  TsCommonData* D = SkinData();
  HWND Wnd = CtrlHandle;
  RefreshGeometry();
  std::optional<TClientDC> Own;
  HDC DC = Given;
  if (!DC) {
    Own.emplace(Wnd);
    DC = *Own;
  }
  D->BGChanged = true;
  if (!DlgMode) RenderWindowFace(*D, Wnd, false);
  TBitmap32* Cache = D->CacheBmp();
  if (!Cache || Cache->IsEmpty()) return;
  PaintText();
  GdiFlush();
  CopyToScreen(DC, 0, 0, WndSize.cx, WndSize.cy, static_cast<HDC>(Cache->NativeDC()), 0, 0);
}

void TkvStaticWnd::kvWndProc(TMessage& Message) {
  HWND Wnd = CtrlHandle;
  TsCommonData* D = SkinData();
  const bool AsBase = (GetWindowLongW(Wnd, GWL_STYLE) & WS_TABSTOP) ||
                      (GetWindowLongW(Wnd, GWL_EXSTYLE) & WS_EX_STATICEDGE);
  if (!SkinActive() || AsBase) {
    TkvMainWnd::kvWndProc(Message);
    return;
  }
  switch (Message.Msg) {
  case WM_MOVE:
  case WM_ENABLE:
    if (!IsWindowVisible(Wnd)) break;
    D->BGChanged = true;
    TkvMainWnd::kvWndProc(Message);
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    return;
  case WM_SETTEXT:
    if (!IsWindowVisible(Wnd)) break;
    SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
    TkvMainWnd::kvWndProc(Message);
    SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0);
    D->BGChanged = true;
    RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return;
  case WM_PAINT: {
    TPaintDC Paint(Wnd);
    if (IsWindowVisible(Wnd)) KV_WMPaint(Paint);
    Message.Result = 0;
    return;
  }
  case WM_ERASEBKGND:
    if (!IsWindowVisible(Wnd)) break;
    Message.Result = 1;
    return;
  case WM_NCPAINT: Message.Result = 0; return;
  case WM_PRINT: KV_WMPaint(reinterpret_cast<HDC>(Message.WParam)); return;
  default: break;
  }
  TkvMainWnd::kvWndProc(Message);
}
