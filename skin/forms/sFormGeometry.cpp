// The non-client geometry of a skinned form.
#include "skin/forms/sFormGeometry.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool BigButtons(const TFormGeometryInput& In) {
  return In.Border == fbSingle || In.Border == fbSizeable;
}

TSize ButtonSizeOf(const TFormGeometryInput& In, TCaptionButtonKind Kind) {
  TSize S = In.ButtonSize[Kind];
  return {S.cx > 0 ? S.cx : 21, S.cy > 0 ? S.cy : 21};
}

} // namespace

bool HaveBorder(const TFormGeometryInput& In) {
  return In.Border != fbNone || In.IsChild;
}

int FrameWidthOf(const TFormGeometryInput& In) {
  if (In.ThickFrame) return In.CXFrame;
  if (In.HasBorder) return In.CXDlgFrame;
  return 0;
}

int CaptionHeightOf(const TFormGeometryInput& In) {
  if (!((HaveBorder(In) && In.HasCaption) || In.Iconic)) return 0;
  bool Tool = In.Border == fbToolWindow || In.Border == fbSizeToolWin;
  return Tool && !In.Iconic ? In.CYSmCaption : In.CYCaption;
}

TFormLayout ComputeFormLayout(const TFormGeometryInput& In) {
  TFormLayout L;
  const bool Ex = In.ExBorders;
  L.Extended = Ex;
  const TRect Sh = Ex ? In.Shadow : TRect{};
  const int SysCaption = CaptionHeightOf(In);
  L.SysFrame = FrameWidthOf(In);
  L.Frame = Ex && In.ExBorderWidth > 0 ? In.ExBorderWidth : L.SysFrame;
  L.BorderWidth = L.Frame + In.FormBorderWidth;
  L.BorderHeight = (Ex ? 0 : L.Frame) + In.FormBorderWidth;
  L.CaptionHeight = SysCaption;
  if (Ex && SysCaption > 0) {
    L.CaptionHeight = In.ExTitleHeight;
    if (In.SysExHeight) L.CaptionHeight = std::max(L.CaptionHeight, In.CYCaption + 4);
    if (L.CaptionHeight <= 0) L.CaptionHeight = SysCaption;
  }
  // The menu bar lies right under the caption, above the form's own border.
  const int Menu = std::max(0, In.MenuHeight);
  if (Ex) {
    // The window keeps the system's frame and caption; the image is the skin's frame and
    // title around the same client area, plus the shadow.
    int F = L.SysFrame, B = In.FormBorderWidth;
    L.Client = {F + B, F + SysCaption + Menu + B, std::max(F + B, In.Width - F - B),
                std::max(F + SysCaption + Menu + B, In.Height - F - B)};
    L.HeaderHeight = L.Frame + L.CaptionHeight;
    L.ClientOffset = {L.BorderWidth + Sh.Left, L.CaptionHeight + Menu + B + Sh.Top};
    L.CaptionWidth = L.ClientOffset.X + L.Client.Width() + L.BorderWidth + Sh.Right;
    L.ImageHeight = L.ClientOffset.Y + L.Client.Height() + L.BorderWidth + Sh.Bottom;
  } else {
    L.HeaderHeight = std::max(0, L.Frame + L.CaptionHeight + Menu + In.FormBorderWidth);
    L.Client = {L.BorderWidth, L.HeaderHeight, std::max(L.BorderWidth, In.Width - L.BorderWidth),
                std::max(L.HeaderHeight, In.Height - L.BorderHeight)};
    L.ClientOffset = {L.Client.Left, L.Client.Top};
    L.CaptionWidth = In.Width;
    L.ImageHeight = In.Height;
  }
  L.WindowOrigin = {L.ClientOffset.X - L.Client.Left, L.ClientOffset.Y - L.Client.Top};
  if (Menu > 0) {
    // Where the system puts the bar: inside its frame, under its caption.
    int Top = L.SysFrame + SysCaption;
    L.MenuLineWindow = {L.SysFrame, Top, std::max(L.SysFrame, In.Width - L.SysFrame),
                        std::min(In.Height, Top + Menu)};
    L.MenuLine = L.MenuLineWindow;
    L.MenuLine.Offset(L.WindowOrigin.X, L.WindowOrigin.Y);
  }
  L.Body = {Sh.Left, Sh.Top, L.CaptionWidth - Sh.Right, L.ImageHeight - Sh.Bottom};
  const bool MaxDiffers = In.ExMaxHeight > 0 && In.ExMaxHeight != In.ExTitleHeight;
  if (Ex) {
    int T = In.ExMaxHeight > 0 ? In.ExMaxHeight : In.ExTitleHeight;
    L.VCenter = Sh.Top + T / 2 + L.CaptionHeight - T +
                (In.Zoomed && MaxDiffers ? 0 : In.ExCenterOffs) + (In.Zoomed ? 2 : 0);
  } else {
    L.VCenter = L.CaptionHeight / 2 + L.Frame / 2 + (In.Zoomed ? 2 : 0);
  }

  // The title icon.
  if (In.IconAllowed && L.CaptionHeight > 0) {
    int Size = L.CaptionHeight <= 8 ? 1 : L.CaptionHeight <= 16 ? 8 : 16;
    int W = In.IconWidth > 0 ? In.IconWidth : Size;
    int H = In.IconHeight > 0 ? In.IconHeight : Size;
    int Left = L.Frame + In.BILeftMargin + Sh.Left;
    L.IconRect = Bounds(Left, L.VCenter - H / 2, W, H);
  }

  // Caption buttons, right to left.
  if (L.CaptionHeight > 0) {
    int Spacing = BigButtons(In) ? In.BISpacing : 0;
    int H = ButtonSizeOf(In, cbClose).cy;
    int CaptionTop = In.Zoomed ? In.CXFrame - 1 : 0;
    if (Ex) {
      CaptionTop = Sh.Top + In.BITopMargin;
      if (In.Zoomed)
        CaptionTop =
            Sh.Top + 4 +
            (MaxDiffers && In.ExMaxHeight < In.ExTitleHeight ? In.ExTitleHeight - In.ExMaxHeight
                                                             : 0);
    }
    int X = L.CaptionWidth - (In.BIRightMargin + Sh.Right + L.Frame);
    auto Place = [&](TCaptionButtonKind Kind) {
      int W = ButtonSizeOf(In, Kind).cx;
      int Top = In.ButtonAligned[Kind] && In.BIVAlign == 1 ? CaptionTop : L.VCenter - H / 2;
      L.Buttons[Kind] = {X - W, Top, X, Top + H};
      L.Shown[Kind] = true;
      X = X - W - Spacing;
    };
    if (In.HasSystemMenu) {
      Place(cbClose);
      L.ButtonsWidth = In.BIRightMargin + ButtonSizeOf(In, cbClose).cx;
      if (In.ShowMax) {
        Place(cbMax);
        L.ButtonsWidth += ButtonSizeOf(In, cbMax).cx + Spacing;
      }
      if (In.ShowMin) {
        Place(cbMin);
        L.ButtonsWidth += ButtonSizeOf(In, cbMin).cx + Spacing;
      }
      if (In.ShowHelp) {
        X -= 6;
        Place(cbHelp);
        L.ButtonsWidth += ButtonSizeOf(In, cbHelp).cx + Spacing;
      }
    }
    size_t Users = std::min(In.UserButtons.size(), size_t(MaxUserButtons));
    L.UserButtons.assign(Users, TRect{});
    if (Users > 0) {
      X -= 6;
      L.ButtonsWidth += 6;
      for (size_t i = 0; i < Users; ++i) {
        const TUserButtonInput& U = In.UserButtons[i];
        if (!U.Visible) continue;
        int Top = L.VCenter - H / 2;
        L.UserButtons[i] = {X - U.Width, Top, X, Top + H};
        X = X - U.Width - Spacing;
        L.ButtonsWidth += U.Width + Spacing;
      }
    }
    int Left = L.Frame + (L.IconRect.IsEmpty() ? 0 : L.IconRect.Width()) + In.BILeftMargin +
               Sh.Left + (In.HasCaptionSection ? 2 : 0) + 4;
    int Right = L.CaptionWidth - L.ButtonsWidth - Sh.Right - 12;
    int Top = L.VCenter - L.CaptionHeight / 2;
    L.TextRect = {Left, Top, std::max(Left, Right), Top + L.CaptionHeight};
  }

  if (Ex) {
    // The frame is in the border window: the window shows only the form's own border ring,
    // copied from around the client part of the image.
    int B = In.FormBorderWidth;
    const TRect& C = L.Client;
    TPoint O = L.WindowOrigin;
    if (!L.MenuLineWindow.IsEmpty())
      L.Strips[4] = {L.MenuLineWindow, {L.MenuLine.Left, L.MenuLine.Top}};
    if (B > 0) {
      L.Strips[0] = {{C.Left - B, C.Top - B, C.Right + B, C.Top},
                     {C.Left - B + O.X, C.Top - B + O.Y}};
      L.Strips[1] = {{C.Left - B, C.Top, C.Left, C.Bottom}, {C.Left - B + O.X, C.Top + O.Y}};
      L.Strips[2] = {{C.Left - B, C.Bottom, C.Right + B, C.Bottom + B},
                     {C.Left - B + O.X, C.Bottom + O.Y}};
      L.Strips[3] = {{C.Right, C.Top, C.Right + B, C.Bottom}, {C.Right + O.X, C.Top + O.Y}};
    }
    return L;
  }
  // What a non-client paint copies from the window image: top rows, left column, bottom rows,
  // right column. Every strip lies inside the image.
  int T = In.HasCaption ? L.HeaderHeight : L.BorderHeight;
  int W = L.BorderWidth, B = L.BorderHeight;
  int S = L.Frame + L.CaptionHeight + Menu + In.FormBorderWidth;
  int ImgH = In.Height, ImgW = L.CaptionWidth;
  int SideH = std::max(0, std::min(ImgH - T, ImgH - S));
  L.Strips[0] = {{0, 0, ImgW, std::min(T, ImgH)}, {0, 0}};
  L.Strips[1] = {Bounds(0, T, std::min(W, ImgW), SideH), {0, S}};
  L.Strips[2] = {Bounds(W, ImgH - B, std::max(0, ImgW - W), B),
                 {L.Frame + In.FormBorderWidth, ImgH - B}};
  L.Strips[3] = {Bounds(std::max(0, ImgW - W), T, std::min(W, ImgW), SideH),
                 {std::max(0, ImgW - W), S}};
  return L;
}

int FormHitTest(const TFormLayout& L, const TFormGeometryInput& In, TPoint P) {
  auto In_ = [&P](const TRect& R) { return R.Contains(P.X, P.Y); };
  // The caption elements, in the order close, maximize, minimize, help.
  if (L.Shown[cbClose] && In_(L.Buttons[cbClose])) return htCloseCode;
  if (L.Shown[cbMax] && In_(L.Buttons[cbMax])) return htMaxButtonCode;
  if (L.Shown[cbMin] && In_(L.Buttons[cbMin])) return htMinButtonCode;
  if (L.Shown[cbHelp] && In_(L.Buttons[cbHelp])) return htHelpCode;
  // A disabled user button is no element: the caption under it answers.
  for (size_t i = 0; i < L.UserButtons.size() && i < In.UserButtons.size(); ++i)
    if (In.UserButtons[i].Enabled && !L.UserButtons[i].IsEmpty() && In_(L.UserButtons[i]))
      return htUserButtonBase + int(i);
  // The shadow lets the mouse through.
  if (In.ExBorders && !In_(L.Body)) return 0;
  // The sizing border.
  const TRect& R = L.Body;
  if (!In.Zoomed && In.ThickFrame) {
    int B = L.Frame;
    int Code = 0;
    if (P.Y > R.Bottom - B)
      Code = htBottomCode;
    else if (P.Y < R.Top + B)
      Code = htTopCode;
    if (P.X < R.Left + B)
      Code = Code == htBottomCode ? htBottomLeftCode
             : Code == htTopCode  ? htTopLeftCode
                                  : htLeftCode;
    else if (P.X > R.Right - B)
      Code = Code == htBottomCode ? htBottomRightCode
             : Code == htTopCode  ? htTopRightCode
                                  : htRightCode;
    if (Code) return Code;
  }
  // The caption rows: the system's with the window's own frame, the skin's title with the
  // extended border window.
  int CaptionBottom = In.ExBorders
                          ? L.ClientOffset.Y - In.FormBorderWidth - std::max(0, In.MenuHeight)
                          : In.CYCaption + L.Frame;
  if (L.CaptionHeight > 0 && P.Y >= R.Top && P.Y < CaptionBottom) {
    if (!L.IconRect.IsEmpty() && In_(L.IconRect)) return htSysMenuCode;
    return htCaptionCode;
  }
  if (In.ExBorders &&
      !In_(Bounds(L.ClientOffset.X, L.ClientOffset.Y, L.Client.Width(), L.Client.Height())))
    return htBorderCode;
  return htClientCode;
}

TRect SnapToWorkArea(TRect Window, const TRect& WorkArea, int Buffer) {
  if (std::abs(Window.Right - WorkArea.Right) < Buffer)
    Window.Offset(WorkArea.Right - Window.Right, 0);
  if (std::abs(Window.Bottom - WorkArea.Bottom) < Buffer)
    Window.Offset(0, WorkArea.Bottom - Window.Bottom);
  if (std::abs(Window.Left - WorkArea.Left) < Buffer) Window.Offset(WorkArea.Left - Window.Left, 0);
  if (std::abs(Window.Top - WorkArea.Top) < Buffer) Window.Offset(0, WorkArea.Top - Window.Top);
  return Window;
}
