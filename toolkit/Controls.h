// Controls: parent and bounds, alignment, the replaceable message method, windowed controls
// with their window made on demand, and windowless controls painted by their parent.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/Classes.h"
#include "toolkit/FormReader.h"
#include "base/GdiObjects.h"
#include "toolkit/Graphics.h"
#include "toolkit/Messages.h"

// The framework's own notifications travel through the same message method as window
// messages, so that a replaced WindowProc sees both.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_RELEASE = CM_BASE + 33;
// A form's menu bar was set or taken away.
constexpr UINT CM_MENUCHANGED = CM_BASE + 34;
// Notifications that a parent reflects back to the child window they are about.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;

using TWndMethod = std::function<void(TMessage&)>;

class TControl;

// The rest of a control's message chain below one hook: calling it passes the message on.
class TWndNext {
public:
  void operator()(TMessage& Message) const;

private:
  struct TNode;
  TWndNext(TControl* Control, TNode* Node) : FControl(Control), FNode(Node) {}
  TControl* FControl;
  TNode* FNode;
  friend class TControl;
};

// A hook on a control's messages: it sees each message before the control does and passes it
// on through Next (or does not, to take it).
using TWndHook = std::function<void(TMessage& Message, const TWndNext& Next)>;

// Names one installed hook, for removing it.
class TWndHookToken {
public:
  TWndHookToken() = default;
  explicit operator bool() const { return FId != 0; }

private:
  explicit TWndHookToken(uint64_t Id) : FId(Id) {}
  uint64_t FId = 0;
  friend class TControl;
};

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TMargins {
  int Left = 3;
  int Top = 3;
  int Right = 3;
  int Bottom = 3;
};

class TWinControl;

class TControl : public TComponent, public IParentable {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  const wchar_t* ClassName() const override { return L"TControl"; }

  // Every message, window message or framework notification, goes through WindowProc: the
  // installed hooks, newest first, and then WndProc. Hooks are removed by their token in any
  // order, also from inside a message; a hook that is running when it is removed finishes its
  // call, and its Next still reaches the rest of the chain.
  void WindowProc(TMessage& Message);
  TWndHookToken AddWindowHook(TWndHook Hook);
  // Removes the hook and clears the token; false when it was not installed here.
  bool RemoveWindowHook(TWndHookToken& Token);
  virtual void WndProc(TMessage& Message);
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);
  void SetParentComponent(TComponent* AParent) override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  // Whether the point, in the parent's client coordinates, lies on this control.
  bool ContainsParentPoint(TPoint P) const {
    return P.X >= FLeft && P.Y >= FTop && P.X < FLeft + FWidth && P.Y < FTop + FHeight;
  }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  virtual TRect ClientRect() const { return {0, 0, FWidth, FHeight}; }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  bool AlignWithMargins() const { return FAlignWithMargins; }
  void SetAlignWithMargins(bool Value);
  const TMargins& Margins() const { return FMargins; }

  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  // Visible itself and every parent up to a shown window. Each control whose Showing changes
  // gets CM_SHOWINGCHANGED (WParam: the new value).
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  virtual std::wstring Text() const { return FText; }
  virtual void SetText(const std::wstring& Value);
  std::wstring Caption() const { return Text(); }
  void SetCaption(const std::wstring& Value) { SetText(Value); }

  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }

  virtual void Invalidate();
  void Repaint();
  virtual void Update();

  TNotifyEvent OnClick;
  virtual void Click();

  // The skin section that the skinned kind of this control paints from. A definition may give
  // it to plain controls too, so that a form switches kinds by class names alone.
  std::wstring SkinSection;

  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

  // The point of this control's client area in its parent's client coordinates, and back.
  TPoint ClientToParent(TPoint P) const { return {P.X + FLeft, P.Y + FTop}; }

  bool MouseInControl() const { return FMouseInControl; }

protected:
  virtual void FontChanged();
  void ParentFontChanged();
  void RequestAlign();
  // Makes the window follow Visible; runs before CM_VISIBLECHANGED is sent.
  virtual void ApplyVisible() {}
  // Sends CM_SHOWINGCHANGED to this control and the descendants whose Showing changed.
  virtual void ShowingChanged();
  // The text kept while there is no window, handed over to a new window that holds it from
  // then on: nothing is kept twice.
  std::wstring TakeStoredText() { return std::exchange(FText, {}); }
  bool FMouseInControl = false;

private:
  void CallChain(std::shared_ptr<TWndNext::TNode> Node, TMessage& Message);
  void SetParentKeepingShowing(TWinControl* AParent);

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FAlignWithMargins = false;
  TMargins FMargins;
  bool FVisible = true;
  bool FEnabled = true;
  std::wstring FText;
  TFont FFont;
  bool FParentFont = true;
  TColor FColor = clBtnFace;
  bool FParentColor = false;
  std::shared_ptr<TWndNext::TNode> FHooks; // the newest hook; each holds the one below
  uint64_t FNextHookId = 1;

  friend class TWinControl;
  friend class TWndNext;
};

// A control without a window of its own: its parent paints it by sending WM_PAINT with the
// parent's device context, moved and clipped to the control.
class TGraphicControl : public TControl {
public:
  using TControl::TControl;
  const wchar_t* ClassName() const override { return L"TGraphicControl"; }
  void WndProc(TMessage& Message) override;

protected:
  virtual void Paint(HDC DC) = 0;
};

struct TCreateParams {
  std::wstring WinClassName;             // the class registered for this control
  const wchar_t* SysClassName = nullptr; // the system class it is made from, if any
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  const wchar_t* ClassName() const override { return L"TWinControl"; }

  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { Handle(); }
  // Destroys the window; a window made again later shows the text it showed, unless KeepText is
  // false (the caller sets the text the next window shows).
  void DestroyHandle(bool KeepText = true);

  void WndProc(TMessage& Message) override;
  // Hands the message to the window class's own procedure (or DefWindowProc).
  void DefaultHandler(TMessage& Message);

  int ControlCount() const { return int(FControls.size()); }
  TControl* Controls(int Index) const { return FControls[size_t(Index)]; }
  int TabOrder() const { return FTabOrder; }
  void SetTabOrder(int Value) { FTabOrder = Value; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() const override;
  void SetEnabled(bool Value) override;
  std::wstring Text() const override;
  void SetText(const std::wstring& Value) override;
  void Invalidate() override;
  void Update() override;
  void SetFocus();
  bool Focused() const;

  // The topmost visible window-less child at P (client coordinates), or null. Disabled ones
  // only with AllowDisabled; windowed children too with AllowWinControls.
  TControl* ControlAtPos(TPoint P, bool AllowDisabled = false, bool AllowWinControls = false) const;
  // The window-less child that the mouse is over now (it had CM_MOUSEENTER), or null.
  TControl* MouseControl() const { return FMouseControl.Get(); }

  // Lays out the aligned children in the client area (less AdjustClientRect).
  void Realign();
  virtual void AdjustClientRect(TRect& Rect) const;

  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

  // The object of a window made by this framework, or null.
  static TWinControl* FromHandle(HWND Wnd);

protected:
  void BeforeDestruction() override;
  void ApplyVisible() override;
  void ShowingChanged() override;
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  // Runs after the window exists and its children have theirs.
  virtual void CreateWindowHandle() {}
  // Paints a window of the framework's own class: the background and windowless children.
  virtual void PaintWindow(HDC DC);
  void PaintControls(HDC DC);
  void FontChanged() override;
  // Whether the framework paints this window itself (own class) or a system class does.
  bool IsOwnClass() const { return FDefWndProc == nullptr; }
  // A brush of the control's colour, kept until the colour changes.
  HBRUSH ColorBrush();

private:
  static LRESULT CALLBACK StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  static void RegisterWindowClass(const TCreateParams& Params, WNDPROC& DefProc);
  void InsertControl(TControl* Control);
  void RemoveControl(TControl* Control);
  void AttachHandle(HWND Wnd);
  void HandleMouseTracking(TMessage& Message);
  void SetMouseControl(TControl* Control);
  bool ReflectToChild(TMessage& Message);
  void HandleCtlColor(TMessage& Message);
  void HandlePaint(TMessage& Message);
  void HandleMoveSize(TMessage& Message);
  void HandleSetText(TMessage& Message);
  // Gives the window the control's font when it is new or the font changed in more than its
  // colour (a rich edit formats all its text again for a new font).
  void SendFont(bool NewWindow);

  HWND FHandle = nullptr;
  // The font the window was given last, and what it described.
  HFONT FSentFont = nullptr;
  LOGFONTW FSentLogFont{};
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;
  int FTabOrder = -1;
  bool FTabStop = false;
  bool FAligning = false;
  bool FRealignPending = false;
  TWeakRef<TControl> FMouseControl;
  TBrush FColorBrush;
  COLORREF FColorBrushColor = 0;

  friend class TControl;
};

// Runs a message method with every exception handed to the application's error report, so
// that nothing unwinds through the system's code. Every window procedure, hook procedure,
// timer and dialog callback of the framework and the engine runs its body through it.
template <class F>
void Protected(F&& Body);
void HandleFrameworkException();

template <class F>
void Protected(F&& Body) {
  try {
    Body();
  } catch (...) {
    HandleFrameworkException();
  }
}

// Parses Align values and the enumerations shared by several controls.
bool AlignFromIdent(const std::string& Ident, TAlign& Align);
// A colour of a definition: a 32-bit number or a colour identifier (clWindow); anything else
// is an error naming it.
TColor ReadColor(const TDefValue& Value);
// Reads one font property of a definition (the part after "Font.": Name, Height, Color,
// Charset, Style); false for a part that a font does not have.
bool ReadFontProperty(TFont& Font, const std::string& Part, const TDefValue& Value);
