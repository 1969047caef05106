// The message handling every skinned control shares (skin commands and the window messages
// that change a face), copying a cached face to the screen around the children, painting
// window-less children over their parent's background, and small window helpers.
#pragma once

#include <windows.h>

#include <functional>

#include "skin/controls/sCommonData.h"
#include "skin/messages/sMessages.h"

// The reactions of a skin state to the skin command; true when the command is answered and
// the control's own handling is to be skipped.
bool CommonSkinCommand(TMessage& Message, TsCommonData* SkinData);
// The shared handling of a control's messages, the skin command included; a control calls it
// first and skips its own handling only when it returns true.
bool CommonWndProc(TMessage& Message, TsCommonData* SkinData);

// Copies SrcR's top-left part of the cache to DstR of DC, leaving out the visible opaque and
// window-less children of Control (their bounds moved by OffX, OffY). With RepairCorners the
// cache's corners are first redrawn over the parent's background.
void CopyCacheExceptChildren(TWinControl* Control, TsCommonData& SkinData, TRect SrcR, int OffY,
                             int OffX, bool RepairCorners, HDC DC, TRect DstR);
// The same for a window: its visible child windows are left out (of a group box only its
// frame).
void CopyCacheExceptChildWindows(HWND Wnd, TsCommonData& SkinData, TRect SrcR, int OffY, int OffX,
                                 bool RepairCorners, HDC DC, TRect DstR);
// Paints the window-less children of Parent over Parent's background into DC (at their
// positions plus Offset).
void PaintGraphicChildren(HDC DC, TWinControl* Parent, bool OnlyIfVisible, TPoint Offset = {});

// Tells every child that the background is ready (KV_RESUMEPAINT).
void RepaintPendingChildren(TWinControl* Control);
void RepaintPendingChildWindows(HWND Wnd);
// Tells the control's form that a control was added (KV_CONTROLADDED).
void NotifyFormOfChild(TControl* Control);
// Whether the control may be redrawn now.
bool CanRedraw(const TControl* Control);
// DrawText flags for an alignment: horizontal alignment plus DT_VCENTER and DT_EXPANDTABS.
UINT TextAlignFlags(const TControl* Control, int Alignment);
// The client rectangle in window coordinates.
void ClientRectInWindow(HWND Wnd, TRect& R);
// The summed heights (alTop, alBottom) or widths (alLeft, alRight) of the visible children of
// Parent with that alignment; window-less ones only with IncludeGraphic.
int AlignedExtent(const TWinControl* Parent, TAlign Align, bool IncludeGraphic);
// The last ancestor of Wnd.
HWND TopLevelWindow(HWND Wnd);
// The first owner of Component that is a form, or null.
TForm* FormOfMenu(TComponent* Component);
// The form a control lies on, or null.
TForm* ParentFormOf(TControl* Control);

// Set while a form animation captures windows: painters draw into their PrintDC and children
// are not told to resume.
extern bool AnimationCapturing;
// Drops the caches of controls that are hidden (the application-wide option).
extern bool HideCacheOnHide;
// Set while PaintGraphicChildren runs.
extern bool GraphicChildrenPainting;

// Set at log-off and shut-down: state fades end at once and no new one starts.
bool& FadesForbidden();
// The number of state fades running; the fades keep it.
int& RunningFades();
// Ends and frees every running state fade (installed by the fades).
extern std::function<void()> EndAllFades;
