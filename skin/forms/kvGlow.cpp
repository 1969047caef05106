// Glow windows around hot elements.
#include "skin/forms/kvGlow.h"

#include <map>
#include <memory>

#include "skin/controls/sCommonData.h"
#include "skin/forms/kvBorderForm.h"
#include "skin/forms/kvFormAnim.h"
#include "skin/paint/kvMaskBorders.h"

bool GlowsDestroying = false;

namespace {

const wchar_t* const GlowClass = L"TkvGlowForm";
constexpr DWORD GlowExStyle =
    WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT; // 0x080800A0

struct TkvGlowEffect {
  HWND Wnd = nullptr;
  int MaskIndex = -1;
  int Margin = 0;
  TBitmap32 AlphaBmp;
  ~TkvGlowEffect() {
    if (!Wnd) return;
    bool Was = GlowsDestroying;
    GlowsDestroying = true;
    RemovePropW(Wnd, AuxWindowTagProp);
    DestroyWindow(Wnd);
    GlowsDestroying = Was;
  }
};

std::map<int, std::unique_ptr<TkvGlowEffect>>& Glows() {
  static std::map<int, std::unique_ptr<TkvGlowEffect>> Map;
  return Map;
}
int GNextID = 0;

LRESULT CALLBACK GlowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  switch (Msg) {
  // Clicks pass through to the element under the glow.
  case WM_NCHITTEST: return HTTRANSPARENT;
  case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
  case WM_ERASEBKGND: return 1;
  default: return DefWindowProcW(Wnd, Msg, WParam, LParam);
  }
}

HWND NewGlowWindow(HWND Owner) {
  WNDCLASSEXW Wc{};
  Wc.cbSize = sizeof(Wc);
  if (!GetClassInfoExW(GetModuleHandleW(nullptr), GlowClass, &Wc)) {
    Wc.lpfnWndProc = GlowProc;
    Wc.hInstance = GetModuleHandleW(nullptr);
    Wc.lpszClassName = GlowClass;
    RegisterClassExW(&Wc);
  }
  bool Topmost = Owner && (GetWindowLongPtrW(Owner, GWL_EXSTYLE) & WS_EX_TOPMOST);
  HWND W = CreateWindowExW(GlowExStyle | (Topmost ? WS_EX_TOPMOST : 0), GlowClass, L"", WS_POPUP, 0,
                           0, 0, 0, Owner, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (W) SetPropW(W, AuxWindowTagProp, HANDLE(INT_PTR(AuxWindowTag)));
  return W;
}

// The painted glow in straight alpha becomes premultiplied; the key colour is transparent.
void Premultiply(TBitmap32& Bmp) {
  for (int y = 0; y < Bmp.Height(); ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x) {
      uint32_t P = Row[x];
      if ((P & 0xFFFFFF) == 0xFF00FF) {
        Row[x] = 0;
        continue;
      }
      uint32_t A = P >> 24;
      auto Mul = [A](uint32_t C) { return (C * A + 127) / 255; };
      Row[x] =
          (A << 24) | (Mul((P >> 16) & 0xFF) << 16) | (Mul((P >> 8) & 0xFF) << 8) | Mul(P & 0xFF);
    }
  }
}

} // namespace

int ShowGlow(TsSkinManager& M, const TkvGlowRequest& Q) {
  const TsSkinModel& Sm = M.Model();
  if (!UpdateLayeredWindowFn() || !M.Effects.AllowGlowing || !Sm.SkinData.Active || Q.R.IsEmpty())
    return -1;
  int MaskIndex = Sm.GetMaskIndex(Q.Section, Q.Name + "0");
  if (MaskIndex < 0 || size_t(MaskIndex) >= Sm.ma.size()) return -1;
  const TsMaskData& Mask = Sm.ma[size_t(MaskIndex)];
  int Width = Q.R.Width() + Mask.WL + Mask.WR - 2 * Q.Margin;
  int Height = Q.R.Height() + Mask.WT + Mask.WB - 2 * Q.Margin;
  // A margin as large as the element leaves no glow to show.
  if (Width <= 0 || Height <= 0 || Width > 4096 || Height > 4096) return -1;
  auto G = std::make_unique<TkvGlowEffect>();
  G->MaskIndex = MaskIndex;
  G->Margin = Q.Margin;
  G->AlphaBmp.SetSize(Width, Height);
  G->AlphaBmp.Fill(0);
  TCacheInfo CI;
  PaintMaskBorders(Sm, G->AlphaBmp, {0, 0, Width, Height}, false, 0, Mask, CI);
  Premultiply(G->AlphaBmp);
  TPoint Pos{Q.R.Left + Q.Margin - Mask.WL, Q.R.Top + Q.Margin - Mask.WT};
  // Only part of the element is visible: the glow is cut to that part.
  if (!Q.Visible.IsEmpty() &&
      (Q.Visible.Width() < Q.R.Width() || Q.Visible.Height() < Q.R.Height())) {
    TRect Cut{Q.Visible.Left, Q.Visible.Top, Q.Visible.Right + Mask.WL + Mask.WR - 2 * Q.Margin,
              Q.Visible.Bottom + Mask.WT + Mask.WB - 2 * Q.Margin};
    Cut.Right = std::min(Cut.Right, Width);
    Cut.Bottom = std::min(Cut.Bottom, Height);
    if (Cut.IsEmpty()) return -1;
    TBitmap32 Part;
    Part.SetSize(Cut.Width(), Cut.Height());
    for (int y = 0; y < Cut.Height(); ++y)
      std::copy_n(G->AlphaBmp.ScanLine(Cut.Top + y) + Cut.Left, Cut.Width(), Part.ScanLine(y));
    G->AlphaBmp = std::move(Part);
    Pos.X += Cut.Left;
    Pos.Y += Cut.Top;
  }
  G->Wnd = NewGlowWindow(Q.Owner);
  if (!G->Wnd || !ApplyLayeredPicture(G->Wnd, G->AlphaBmp, Pos, Q.Alpha)) return -1;
  // Just above the owner window in z-order.
  HWND Above = Q.Owner ? GetWindow(Q.Owner, GW_HWNDPREV) : nullptr;
  SetWindowPos(G->Wnd, Above ? Above : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  int ID = ++GNextID;
  Glows()[ID] = std::move(G);
  return ID;
}

void HideGlow(int& ID) {
  if (ID >= 0) Glows().erase(ID);
  ID = -1;
}

void HideAllGlows() {
  // Moved out first: a window destroyed here must not find the list half cleared.
  auto All = std::move(Glows());
  Glows().clear();
  All.clear();
}

HWND GlowWindow(int ID) {
  auto It = Glows().find(ID);
  return It == Glows().end() ? nullptr : It->second->Wnd;
}

int GlowCount() {
  return int(Glows().size());
}

void InstallControlGlows() {
  ShowControlGlow = [](TsCommonData& Data, HWND Target, const TRect& R, const TRect& Visible) {
    TsSkinManager* M = Data.SkinManager();
    const TsGeneralData* S = Data.Section();
    if (!M || !S || S->GlowCount < 1) return -1;
    TkvGlowRequest Q;
    Q.R = R;
    Q.Visible = Visible;
    Q.Section = Data.SkinSection();
    Q.Name = "GLOW";
    Q.Margin = S->GlowMargin;
    Q.Owner = Target;
    return ShowGlow(*M, Q);
  };
  HideControlGlow = [](int ID) { HideGlow(ID); };
}
