// Window adapters: objects that give an existing window (a toolkit control, or a bare window
// such as a control inside a system dialog) a skinned face without changing its class. An
// adapter takes over the window's procedure through the subclass helper (found again through
// the window property "KVSBSC"), handles what it paints and passes everything else on. The
// scroll-window layer draws the window's non-client scroll bars from the skin.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/Bitmap32.h"
#include "skin/controls/kvScrollGeometry.h"
#include "skin/controls/sCommonData.h"
#include "toolkit/Subclass.h"

class TkvScrollWnd;

// Set while the dialog skinning makes adapters for a system dialog's windows.
extern bool AdaptersInDialogMode;

// The base of every adapter.
class TkvMainWnd : public TWindowSubclass {
public:
  TkvMainWnd();
  ~TkvMainWnd() override;

  // Attaches over Wnd with the skin state Data (null: the adapter makes its own) and the
  // manager; Section is used when the state has none. With Repaint the window's frame is
  // recalculated and redrawn. False when the window cannot be subclassed.
  virtual bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
                      TsCommonData* Data);
  // The owning control's own colours, saved at creation and given back when the adapter goes.
  virtual void SaveStdParams();
  virtual void RestoreStdParams();
  // Gives the owning control the skin's colours.
  virtual void SetSkinParams() { ParamsChanged = true; }
  // Gives the window back (the previous procedure when this one is still the installed one),
  // restores the owning control's colours and style and redraws the frame.
  void Destroy();

  // The adapter of a window, or null.
  static TkvMainWnd* Of(HWND Wnd);

  bool DlgMode = false;
  std::wstring Caption;
  TRect WndRect;    // screen
  TSize WndSize{};  // width, height
  TPoint WndPos;    // in the parent's client area
  TRect ParentRect; // screen
  HWND ParentWnd = nullptr;
  HWND CtrlHandle = nullptr;
  bool DontRepaint = false;
  bool ParamsChanged = false;
  TColor StdColor = clNone;
  TColor StdFontColor = clNone;
  bool Destroyed = false;
  bool OwnSkinData = false;
  intptr_t Tag = 0;

  using TWindowSubclass::Attached;
  TsCommonData* SkinData() const { return FSkinData; }
  TsSkinManager* SkinManager() const;
  // The toolkit control whose window this is, or null for a bare window.
  TWinControl* OwnerControl() const;
  // Window rectangle, size, place and parent, read again.
  void RefreshGeometry();
  // Whether the adapter paints: a skin state with a valid section of an active skin.
  bool SkinActive() const;

protected:
  void WndProc(TMessage& Message) final;
  // The adapter's message handling; what it does not handle goes to CallPrevWndProc.
  virtual void kvWndProc(TMessage& Message);
  // The handling the window had before the adapter.
  void CallPrevWndProc(TMessage& Message);
  LRESULT CallPrevWndProc(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
  // Frees the adapter's parts when the window goes or the adapter detaches.
  virtual void Release() {}
  void Attached(HWND Wnd) override;
  void Detaching() override;
  // Redraws the window's frame (visible windows only).
  void RedrawFrame();

private:
  void Detached();
  TsCommonData* FSkinData = nullptr;
  std::unique_ptr<TsCommonData> FOwnData;
  TWeakRef<TsSkinManager> FManager;
  TWeakRef<TWinControl> FOwner;
  TWndHookToken FOwnerHook;
  bool FRestored = false;
  // The toolkit's own notifications reach the adapter through the owning control's hook;
  // while one is handled, "previous" means the rest of that hook chain.
  const TWndNext* FNext = nullptr;
};

// Renders the face of an adapted window (frame, section background, the text of a disabled
// edit, the disabled look) into its skin state's cache when BGChanged is set.
void RenderWindowFace(TsCommonData& Data, HWND Wnd, bool DlgMode);

// One skinned non-client scroll bar of a scroll window.
class TkvScrollBar {
public:
  TkvScrollBar(TkvScrollWnd* Owner, TScrollBarKind Kind);
  int fScrollFlags = 0;        // sfHasStyle, sfFirstArrowDisabled, sfSecondArrowDisabled
  bool fScrollVisible = false; // the bar takes room
  SCROLLINFO ScrollInfo{};
  int nArrowLength = -1; // -n: n times the system metric
  int nArrowWidth = -1;
  int nButSizeBefore = 0, nButSizeAfter = 0;
  bool fButVisibleBefore = false, fButVisibleAfter = false;
  TScrollBarKind nBarType;
  int fFlatScrollbar = 0;
  int nMinThumbSize = 10;
  TkvScrollWnd* sw;

  // Reads the bar's scroll information from the window; true when it changed.
  bool ReadInfo();
  TScrollInfo Info() const;
  // Disabled: the system says so, both arrows are off, or the window lacks the bar's style.
  bool Disabled() const;
};

// The scroll-window layer: the window's own border widths, the two bars, their drawing,
// hit-testing and mouse handling.
class TkvScrollWnd : public TkvMainWnd {
public:
  TkvScrollWnd();
  ~TkvScrollWnd() override;
  bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
              TsCommonData* Data) override;

  int bars = 0;
  std::unique_ptr<TkvScrollBar> sBarHorz, sBarVert;
  bool fThumbTracking = false;
  bool fLeftScrollbar = false;
  int cxLeftEdge = 0, cxRightEdge = 0, cyTopEdge = 0, cyBottomEdge = 0;
  bool bPreventStyleChange = false;

  TkvScrollBar* Bar(int Index) const { return Index == 0 ? sBarHorz.get() : sBarVert.get(); }
  // The window's edges and bars as the last frame calculation left them.
  TScrollFrame Frame() const;
  // The bars' places in screen coordinates.
  TScrollLayout ScrollLayout() const;
  // One bar as drawing and hit-testing see it (the skin's arrow length when it has one).
  TScrollBarGeometry BarGeometry(int Index) const;
  TScrollBarMetrics BarMetrics(int Index) const;
  bool IsGripCorner() const;
  // Draws the bars of Which (1 horizontal, 2 vertical; both with the corner between them) into
  // DC, the window DC when null.
  void PaintBars(HDC DC = nullptr, int Which = 3);
  void DrawBar(int Index, HDC DC);
  // Re-reads both bars and repaints those that changed (visible, not updating).
  void RefreshBars();
  // Reads both bars: 1 when the horizontal one changed, 2 the vertical one, 3 both.
  int ReadBars();
  // Sends a scroll request (WM_HSCROLL or WM_VSCROLL) as the bars do.
  void SendScroll(UINT Msg, int Code, int Pos);

protected:
  void kvWndProc(TMessage& Message) override;
  void Release() override;
  // The scroll handling alone; true when it handled the message.
  bool ScrollMessage(TMessage& Message);
  // Prepares the face cache when the background changed (KV_CLEARBGCHANGED).
  virtual void PrepareFace();

private:
  void InitScroll(bool Repaint);
  void NCCalcSize(TMessage& Message);
  void NCHitTest(TMessage& Message);
  void NCMouseMove(TMessage& Message);
  bool NCLButtonDown(TMessage& Message);
  void HoverTick();
  void RepeatTick();
  void DragTo(int Mouse);
  void EndPress(bool Send);
  void PaintCorner(HDC DC, const TScrollLayout& L);
  bool PressedHere() const;
  TBitmap32 FBarImage[2]; // the bars' images, kept between paints
};

// A scrolling window with a skinned frame.
class TkvBaseWnd : public TkvScrollWnd {
protected:
  void kvWndProc(TMessage& Message) override;
  void PrepareFace() override;
};

// The adapter of edits, memos and rich edits: the frame from the skin, the skin's colours for
// the ground and the text, the bars.
class TkvEditWnd : public TkvBaseWnd {
public:
  bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
              TsCommonData* Data) override;
  void SaveStdParams() override;
  void RestoreStdParams() override;
  void SetSkinParams() override;
  // The client rectangle in window coordinates (measured once); its Top is the frame width.
  TRect ClientRect();

  bool SingleLineEdit = false;
  TColor Color = clNone;
  TColor FocusColor = clNone;
  TColor FrameColor = clNone;
  bool CtrlListChanged = false;

protected:
  void kvWndProc(TMessage& Message) override;

private:
  // The four frame strips copied from the cache.
  void CopyFrame(HDC DC);
  TRect FClientRect{0, -1, 0, -1};
};
