// Controls: parent and bounds, alignment, message dispatch and windows made on demand.
#include "toolkit/Controls.h"

#include "toolkit/Menus.h"

#include "toolkit/WindowProps.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {
const wchar_t* const kObjectProp = L"TextovrtControl";
thread_local TWinControl* GCreatingControl = nullptr;

std::map<std::wstring, WNDPROC>& RegisteredClasses() {
  static std::map<std::wstring, WNDPROC> Classes;
  return Classes;
}
} // namespace

std::function<void()> GFrameworkExceptionHandler;

void HandleFrameworkException() {
  if (GFrameworkExceptionHandler) {
    GFrameworkExceptionHandler();
    return;
  }
  try {
    throw;
  } catch (const std::exception& E) {
    ::MessageBoxW(nullptr, ExceptionMessage(E).c_str(), L"Error", MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

bool AlignFromIdent(const std::string& Ident, TAlign& Align) {
  static const std::map<std::string, TAlign> Names = {
      {"alNone", alNone}, {"alTop", alTop},     {"alBottom", alBottom},
      {"alLeft", alLeft}, {"alRight", alRight}, {"alClient", alClient}};
  auto It = Names.find(Ident);
  if (It == Names.end()) return false;
  Align = It->second;
  return true;
}

// ---------------------------------------------------------------------------------------------
// TControl

struct TWndNext::TNode {
  uint64_t Id;
  TWndHook Hook;
  std::shared_ptr<TNode> Below;
  bool Removed = false;
};

void TWndNext::operator()(TMessage& Message) const {
  FControl->CallChain(FNode->Below, Message);
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  FFont.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

void TControl::WndProc(TMessage&) {}

void TControl::WindowProc(TMessage& Message) {
  CallChain(FHooks, Message);
}

// Node is held by value: it stays alive while its hook runs, even when the hook removes
// itself. The control may be freed by a hook, so nothing of it is read after the call.
void TControl::CallChain(std::shared_ptr<TWndNext::TNode> Node, TMessage& Message) {
  // A hook removed while a message is on its way down is passed over.
  while (Node && Node->Removed)
    Node = Node->Below;
  if (!Node) {
    WndProc(Message);
    return;
  }
  Node->Hook(Message, TWndNext(this, Node.get()));
}

TWndHookToken TControl::AddWindowHook(TWndHook Hook) {
  auto Node = std::make_shared<TWndNext::TNode>();
  Node->Id = FNextHookId++;
  Node->Hook = std::move(Hook);
  Node->Below = FHooks;
  FHooks = Node;
  return TWndHookToken(Node->Id);
}

bool TControl::RemoveWindowHook(TWndHookToken& Token) {
  uint64_t Id = Token.FId;
  Token = TWndHookToken();
  if (Id == 0) return false;
  std::shared_ptr<TWndNext::TNode>* Link = &FHooks;
  while (*Link && (*Link)->Id != Id)
    Link = &(*Link)->Below;
  if (!*Link) return false;
  std::shared_ptr<TWndNext::TNode> Node = *Link;
  Node->Removed = true;
  *Link = Node->Below; // Node keeps its Below: a call running in it still reaches the rest
  return true;
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  WindowProc(Message);
  return Message.Result;
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  bool WasShowing = Showing();
  if (FParent) FParent->RemoveControl(this);
  FParent = AParent;
  if (FParent) {
    FParent->InsertControl(this);
    ParentFontChanged();
  }
  if (Showing() != WasShowing) ShowingChanged();
}

void TControl::SetParentComponent(TComponent* AParent) {
  if (auto* P = dynamic_cast<TWinControl*>(AParent)) SetParent(P);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  Invalidate();
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Invalidate();
  RequestAlign();
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  RequestAlign();
}

void TControl::SetAlignWithMargins(bool Value) {
  if (Value == FAlignWithMargins) return;
  FAlignWithMargins = Value;
  RequestAlign();
}

void TControl::RequestAlign() {
  if (FParent && FAlign != alNone && !FParent->FAligning && !IsLoading()) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  bool WasShowing = Showing();
  TWeakRef<TControl> Self(this);
  FVisible = Value;
  ApplyVisible();
  Perform(CM_VISIBLECHANGED, Value);
  if (!Self) return; // a handler freed the control
  // The place it leaves or takes is repainted, also when it is hidden.
  if (FParent && FParent->HandleAllocated()) {
    RECT R{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    InvalidateRect(FParent->Handle(), &R, TRUE);
  }
  if (FParent && FAlign != alNone) FParent->Realign();
  if (Showing() != WasShowing) ShowingChanged();
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  if (!FParent) return true;
  return FParent->Showing();
}

void TControl::ShowingChanged() {
  Perform(CM_SHOWINGCHANGED, Showing());
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED);
  Invalidate();
}

void TControl::SetText(const std::wstring& Value) {
  if (Value == FText) return;
  FText = Value;
  Perform(CM_TEXTCHANGED);
  Invalidate();
}

void TControl::SetParentFont(bool Value) {
  FParentFont = Value;
  if (Value) ParentFontChanged();
}

void TControl::SetColor(TColor Value) {
  FParentColor = false;
  if (Value == FColor) return;
  FColor = Value;
  Perform(CM_COLORCHANGED);
  Invalidate();
}

void TControl::ParentFontChanged() {
  if (FParentFont && FParent) {
    FFont.Assign(FParent->Font());
    FParentFont = true; // Assign's change notice must not clear it
  }
}

void TControl::FontChanged() {
  Perform(CM_FONTCHANGED);
  Invalidate();
}

void TControl::Invalidate() {
  if (FParent && FParent->HandleAllocated() && FVisible) {
    RECT R{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
    InvalidateRect(FParent->Handle(), &R, TRUE);
  }
}

void TControl::Update() {
  if (FParent) FParent->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Loaded() {
  TComponent::Loaded();
}

TColor ReadColor(const TDefValue& Value) {
  if (Value.Kind == TDefValue::vkInt) {
    // A stored colour is a 32-bit value, written signed (system colours are negative) or not.
    if (Value.Int < INT32_MIN || Value.Int > int64_t(UINT32_MAX))
      throw EDefValueError(L"colour " + std::to_wstring(Value.Int) + L" out of range", Value.Line);
    return TColor(uint32_t(Value.Int));
  }
  TColor C;
  if (!ColorFromIdent(Value.AsIdent(), C)) Value.FailUnknown();
  return C;
}

bool ReadFontProperty(TFont& Font, const std::string& Part, const TDefValue& Value) {
  if (Part == "Name") {
    Font.SetName(Value.AsString());
  } else if (Part == "Height") {
    Font.SetHeight(Value.AsInt());
  } else if (Part == "Color") {
    Font.SetColor(ReadColor(Value));
  } else if (Part == "Charset") {
    int Charset;
    if (!CharsetFromIdent(Value.AsIdent(), Charset)) Value.FailUnknown();
    Font.SetCharset(Charset);
  } else if (Part == "Style") {
    Font.SetStyle(Value.AsSetFlags({{"fsBold", fsBold},
                                    {"fsItalic", fsItalic},
                                    {"fsUnderline", fsUnderline},
                                    {"fsStrikeOut", fsStrikeOut}}));
  } else {
    return false;
  }
  return true;
}

bool TControl::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Left") {
    FLeft = Value.AsInt();
  } else if (Name == "Top") {
    FTop = Value.AsInt();
  } else if (Name == "Width") {
    FWidth = Value.AsInt();
  } else if (Name == "Height") {
    FHeight = Value.AsInt();
  } else if (Name == "Align") {
    if (!AlignFromIdent(Value.AsIdent(), FAlign)) Value.FailUnknown();
  } else if (Name == "AlignWithMargins") {
    FAlignWithMargins = Value.AsBool();
  } else if (Name == "Margins.Left") {
    FMargins.Left = Value.AsInt();
  } else if (Name == "Margins.Top") {
    FMargins.Top = Value.AsInt();
  } else if (Name == "Margins.Right") {
    FMargins.Right = Value.AsInt();
  } else if (Name == "Margins.Bottom") {
    FMargins.Bottom = Value.AsInt();
  } else if (Name == "Visible") {
    SetVisible(Value.AsBool());
  } else if (Name == "Enabled") {
    SetEnabled(Value.AsBool());
  } else if (Name == "Caption" || Name == "Text") {
    SetText(Value.AsString());
  } else if (Name == "Color") {
    SetColor(ReadColor(Value));
  } else if (Name == "ParentColor") {
    FParentColor = Value.AsBool();
  } else if (Name == "ParentFont") {
    SetParentFont(Value.AsBool());
  } else if (Name.compare(0, 5, "Font.") == 0) {
    if (!ReadFontProperty(FFont, Name.substr(5), Value)) return false;
    FParentFont = false;
  } else if (Name == "OnClick") {
    OnClick = Value.AsMethod<TNotifyEvent>();
  } else if (Name == "SkinData.SkinSection") {
    SkinSection = Value.AsString();
  } else {
    return TComponent::ReadProperty(Name, Value);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl

void TGraphicControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam) {
    Paint(reinterpret_cast<HDC>(Message.WParam));
    return;
  }
  TControl::WndProc(Message);
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Children that outlive this control (owned elsewhere) lose their parent.
  while (!FControls.empty())
    FControls.back()->SetParent(nullptr);
  DestroyHandle();
}

void TWinControl::BeforeDestruction() {
  // The window goes while the whole object is alive, so that every class of it sees
  // WM_DESTROY and WM_NCDESTROY; the owned components follow.
  SetMouseControl(nullptr);
  DestroyHandle();
  TControl::BeforeDestruction();
}

TWinControl* TWinControl::FromHandle(HWND Wnd) {
  return Wnd ? static_cast<TWinControl*>(GetObjectProp(Wnd, kObjectProp)) : nullptr;
}

void TWinControl::InsertControl(TControl* Control) {
  FControls.push_back(Control);
  if (auto* W = dynamic_cast<TWinControl*>(Control); W && HandleAllocated() && !IsLoading())
    W->HandleNeeded();
  if (Control->Align() != alNone && !IsLoading()) Realign();
}

void TWinControl::RemoveControl(TControl* Control) {
  auto It = std::find(FControls.begin(), FControls.end(), Control);
  if (It == FControls.end()) return;
  FControls.erase(It);
  if (FMouseControl == Control) FMouseControl.Reset();
  if (auto* W = dynamic_cast<TWinControl*>(Control)) W->DestroyHandle();
  if (Control->Align() != alNone && !IsDestroying()) Realign();
}

HWND TWinControl::Handle() {
  if (!FHandle) CreateWnd();
  return FHandle;
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.WinClassName = ClassName();
  Params.Caption = FText;
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (Visible()) Params.Style |= WS_VISIBLE;
  if (!Enabled()) Params.Style |= WS_DISABLED;
  if (FTabStop) Params.Style |= WS_TABSTOP;
  Params.X = Left();
  Params.Y = Top();
  Params.Width = Width();
  Params.Height = Height();
  if (Parent()) Params.WndParent = Parent()->Handle();
}

void TWinControl::RegisterWindowClass(const TCreateParams& Params, WNDPROC& DefProc) {
  auto& Classes = RegisteredClasses();
  auto It = Classes.find(Params.WinClassName);
  if (It != Classes.end()) {
    DefProc = It->second;
    return;
  }
  WNDCLASSEXW WC{};
  WC.cbSize = sizeof(WC);
  if (Params.SysClassName) {
    if (!GetClassInfoExW(nullptr, Params.SysClassName, &WC) &&
        !GetClassInfoExW(GetModuleHandleW(nullptr), Params.SysClassName, &WC))
      throw Exception(L"Window class " + std::wstring(Params.SysClassName) + L" is missing");
    DefProc = WC.lpfnWndProc;
    WC.style &= ~UINT(CS_GLOBALCLASS);
  } else {
    DefProc = nullptr;
    WC.style = Params.ClassStyle;
    WC.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
  }
  WC.cbSize = sizeof(WC);
  WC.lpfnWndProc = StdWndProc;
  WC.hInstance = GetModuleHandleW(nullptr);
  WC.lpszClassName = Params.WinClassName.c_str();
  if (!RegisterClassExW(&WC))
    throw Exception(L"Cannot register the window class " + Params.WinClassName);
  Classes[Params.WinClassName] = DefProc;
}

void TWinControl::CreateWnd() {
  TCreateParams Params;
  CreateParams(Params);
  RegisterWindowClass(Params, FDefWndProc);
  TWinControl* Previous = GCreatingControl;
  GCreatingControl = this;
  HWND Wnd = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(),
                             Params.Style, Params.X, Params.Y, Params.Width, Params.Height,
                             Params.WndParent, nullptr, GetModuleHandleW(nullptr), nullptr);
  GCreatingControl = Previous;
  if (!Wnd) throw Exception(L"Error creating window " + Params.WinClassName);
  if (!FHandle) AttachHandle(Wnd);
  SendFont(true);

  // Children get their windows in tab order, which is also the order of keyboard navigation.
  std::vector<TWinControl*> Children;
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C)) Children.push_back(W);
  std::stable_sort(Children.begin(), Children.end(),
                   [](TWinControl* A, TWinControl* B) { return A->FTabOrder < B->FTabOrder; });
  for (TWinControl* W : Children)
    W->HandleNeeded();
  Realign();
  CreateWindowHandle();
}

void TWinControl::AttachHandle(HWND Wnd) {
  FHandle = Wnd;
  SetObjectProp(Wnd, kObjectProp, this);
}

void TWinControl::DestroyHandle(bool KeepText) {
  if (!FHandle) return;
  HWND Wnd = FHandle;
  if (KeepText && !IsDestroying()) FText = Text();
  DestroyWindow(Wnd); // WM_NCDESTROY clears FHandle
  if (FHandle == Wnd) {
    RemoveObjectProp(Wnd, kObjectProp);
    FHandle = nullptr;
  }
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TWinControl* Control = FromHandle(Wnd);
  if (!Control) {
    Control = GCreatingControl;
    if (!Control) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    Control->AttachHandle(Wnd);
  }
  if (Msg == CM_RELEASE) {
    // A form asked to be freed once the messages it was handling were done.
    Protected([&] { delete Control; });
    return 0;
  }
  // A handler may free the control (a form closed from its own button): after the call the
  // control is read only through the weak reference.
  TWeakRef<TWinControl> Alive(Control);
  TMessage Message{Msg, WParam, LParam, 0};
  Protected([&] { Control->WindowProc(Message); });
  if (Msg == WM_NCDESTROY) {
    RemoveObjectProp(Wnd, kObjectProp);
    if (TWinControl* Still = Alive.Get(); Still && Still->FHandle == Wnd) Still->FHandle = nullptr;
  }
  return Message.Result;
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (!FHandle) return;
  if (FDefWndProc)
    Message.Result =
        CallWindowProcW(FDefWndProc, FHandle, Message.Msg, Message.WParam, Message.LParam);
  else
    Message.Result = DefWindowProcW(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

bool TWinControl::ReflectToChild(TMessage& Message) {
  HWND Child = nullptr;
  if (Message.Msg == WM_NOTIFY)
    Child = reinterpret_cast<NMHDR*>(Message.LParam)->hwndFrom;
  else
    Child = reinterpret_cast<HWND>(Message.LParam);
  TWinControl* Target = FromHandle(Child);
  if (!Target || Target == this) return false;
  Message.Result = Target->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return true;
}

void TWinControl::HandleMouseTracking(TMessage& Message) {
  TWeakRef<TWinControl> Self(this);
  if (Message.Msg == WM_MOUSEMOVE) {
    if (!FMouseInControl) {
      FMouseInControl = true;
      TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE, FHandle, 0};
      TrackMouseEvent(&Track);
      Perform(CM_MOUSEENTER);
      if (!Self) return;
    }
    SetMouseControl(ControlAtPos(msg::TMouse(Message).Pos));
  } else if (Message.Msg == WM_MOUSELEAVE && FMouseInControl) {
    SetMouseControl(nullptr);
    if (!Self) return;
    FMouseInControl = false;
    Perform(CM_MOUSELEAVE);
  }
}

void TWinControl::SetMouseControl(TControl* Control) {
  TControl* Previous = FMouseControl.Get();
  if (Control == Previous) return;
  FMouseControl = Control;
  TWeakRef<TControl> Next(Control);
  if (Previous) {
    Previous->FMouseInControl = false;
    Previous->Perform(CM_MOUSELEAVE);
  }
  if (TControl* C = Next.Get(); C && FMouseControl == C) {
    C->FMouseInControl = true;
    C->Perform(CM_MOUSEENTER);
  }
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) const {
  // Later children are painted over earlier ones.
  for (auto It = FControls.rbegin(); It != FControls.rend(); ++It) {
    TControl* C = *It;
    if (!C->Visible() || (!AllowDisabled && !C->Enabled())) continue;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(C)) continue;
    if (C->ContainsParentPoint(P)) return C;
  }
  return nullptr;
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
  case WM_MEASUREITEM:
    // Owner-drawn menu items of menus this window drops are measured and painted by them.
    if (DispatchMenuMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam))) {
      Message.Result = TRUE;
      return;
    }
    break;
  case WM_DRAWITEM:
    if (DispatchMenuDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(Message.LParam))) {
      Message.Result = TRUE;
      return;
    }
    break;
  case WM_COMMAND:
    if (Message.LParam && ReflectToChild(Message)) return;
    break;
  case WM_NOTIFY:
  case WM_CTLCOLOREDIT:
  case WM_CTLCOLORSTATIC:
  case WM_CTLCOLORBTN:
    if (ReflectToChild(Message)) return;
    break;
  case CN_CTLCOLOREDIT:
  case CN_CTLCOLORSTATIC:
  case CN_CTLCOLORBTN: HandleCtlColor(Message); return;
  case WM_ERASEBKGND:
    // The paint of the framework's own windows covers the whole client area.
    if (IsOwnClass()) {
      msg::TEraseBkgnd::SetErased(Message);
      return;
    }
    break;
  case WM_PAINT:
  case WM_PRINTCLIENT:
    if (IsOwnClass()) {
      HandlePaint(Message);
      return;
    }
    break;
  case WM_SIZE:
  case WM_MOVE: HandleMoveSize(Message); return;
  case WM_SETTEXT: HandleSetText(Message); return;
  case WM_MOUSEMOVE:
  case WM_MOUSELEAVE: HandleMouseTracking(Message); break;
  default:
    if (Message.Msg >= CM_BASE && Message.Msg < CN_BASE + 0x400) return;
    break;
  }
  DefaultHandler(Message);
}

void TWinControl::HandleCtlColor(TMessage& Message) {
  msg::TCtlColor Args(Message);
  SetTextColor(Args.DC, ToColorRef(Font().Color()));
  SetBkColor(Args.DC, ToColorRef(Color()));
  if (ToColorRef(Color()) == (GetSysColor(COLOR_WINDOW) & 0xFFFFFF))
    msg::TCtlColor::SetBrush(Message, GetSysColorBrush(COLOR_WINDOW));
  else
    msg::TCtlColor::SetBrush(Message, ColorBrush());
}

HBRUSH TWinControl::ColorBrush() {
  COLORREF Wanted = ToColorRef(Color());
  if (!FColorBrush || FColorBrushColor != Wanted) {
    FColorBrush = SolidBrush(Wanted);
    FColorBrushColor = Wanted;
  }
  return FColorBrush;
}

void TWinControl::HandlePaint(TMessage& Message) {
  // WM_PRINTCLIENT, and WM_PAINT with a DC, paint into the given DC.
  if (HDC DC = msg::TPaint(Message).DC) {
    PaintWindow(DC);
    return;
  }
  TPaintDC DC(FHandle);
  PaintWindow(DC);
}

void TWinControl::HandleMoveSize(TMessage& Message) {
  DefaultHandler(Message);
  RECT R;
  GetWindowRect(FHandle, &R);
  if (HWND P = GetParent(FHandle); P && (GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, P, reinterpret_cast<POINT*>(&R), 2);
  FLeft = R.left;
  FTop = R.top;
  FWidth = R.right - R.left;
  FHeight = R.bottom - R.top;
  if (Message.Msg == WM_SIZE) Realign();
}

void TWinControl::HandleSetText(TMessage& Message) {
  // Whoever sets the text (the framework, the system, another program), the control hears
  // of it once the window holds it.
  // (While the window exists it holds the text; FText keeps it only while there is none.)
  DefaultHandler(Message);
  Perform(CM_TEXTCHANGED);
}

void TWinControl::PaintWindow(HDC DC) {
  RECT R;
  GetClientRect(FHandle, &R);
  FillRect(DC, &R, ColorBrush());
  PaintControls(DC);
}

void TWinControl::PaintControls(HDC DC) {
  for (TControl* C : FControls) {
    if (dynamic_cast<TWinControl*>(C) || !C->Visible()) continue;
    TSavedDC Saved(DC);
    POINT Org;
    GetViewportOrgEx(DC, &Org);
    SetViewportOrgEx(DC, Org.x + C->Left(), Org.y + C->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, C->Width(), C->Height());
    C->Perform(WM_PAINT, WPARAM(DC), 0);
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  bool Changed = ALeft != Left() || ATop != Top() || AWidth != Width() || AHeight != Height();
  bool Resized = AWidth != Width() || AHeight != Height();
  if (!Changed) return;
  if (FHandle) {
    // WM_SIZE and WM_MOVE update the fields and realign the children.
    SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    RequestAlign();
    return;
  }
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (Resized) Realign();
}

TRect TWinControl::ClientRect() const {
  if (FHandle) {
    RECT R;
    GetClientRect(FHandle, &R);
    return {R.left, R.top, R.right, R.bottom};
  }
  return TControl::ClientRect();
}

void TWinControl::AdjustClientRect(TRect&) const {}

void TWinControl::Realign() {
  if (FAligning || IsLoading()) return;
  FAligning = true;
  TRect R = ClientRect();
  AdjustClientRect(R);
  auto Place = [&](TAlign Kind) {
    std::vector<TControl*> List;
    for (TControl* C : FControls)
      if (C->Align() == Kind && C->Visible()) List.push_back(C);
    std::stable_sort(List.begin(), List.end(), [Kind](TControl* A, TControl* B) {
      switch (Kind) {
      case alTop: return A->Top() < B->Top();
      case alBottom: return A->Top() + A->Height() > B->Top() + B->Height();
      case alLeft: return A->Left() < B->Left();
      case alRight: return A->Left() + A->Width() > B->Left() + B->Width();
      default: return false;
      }
    });
    for (TControl* C : List) {
      TMargins M = C->AlignWithMargins() ? C->Margins() : TMargins{0, 0, 0, 0};
      int W = C->Width(), H = C->Height();
      switch (Kind) {
      case alTop:
        C->SetBounds(R.Left + M.Left, R.Top + M.Top, R.Width() - M.Left - M.Right, H);
        R.Top += H + M.Top + M.Bottom;
        break;
      case alBottom:
        C->SetBounds(R.Left + M.Left, R.Bottom - M.Bottom - H, R.Width() - M.Left - M.Right, H);
        R.Bottom -= H + M.Top + M.Bottom;
        break;
      case alLeft:
        C->SetBounds(R.Left + M.Left, R.Top + M.Top, W, R.Height() - M.Top - M.Bottom);
        R.Left += W + M.Left + M.Right;
        break;
      case alRight:
        C->SetBounds(R.Right - M.Right - W, R.Top + M.Top, W, R.Height() - M.Top - M.Bottom);
        R.Right -= W + M.Left + M.Right;
        break;
      case alClient:
        C->SetBounds(R.Left + M.Left, R.Top + M.Top, std::max(0, R.Width() - M.Left - M.Right),
                     std::max(0, R.Height() - M.Top - M.Bottom));
        break;
      default: break;
      }
    }
  };
  Place(alTop);
  Place(alBottom);
  Place(alLeft);
  Place(alRight);
  Place(alClient);
  FAligning = false;
}

void TWinControl::ApplyVisible() {
  if (FHandle) ShowWindow(FHandle, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::ShowingChanged() {
  TControl::ShowingChanged();
  for (TControl* C : std::vector<TControl*>(FControls))
    if (C->Visible()) C->ShowingChanged();
}

void TWinControl::SetEnabled(bool Value) {
  if (Value == Enabled()) return;
  if (FHandle) EnableWindow(FHandle, Value);
  TControl::SetEnabled(Value);
}

std::wstring TWinControl::Text() const {
  if (!FHandle) return TControl::Text();
  int Length = GetWindowTextLengthW(FHandle);
  std::wstring S(size_t(Length) + 1, L'\0');
  S.resize(size_t(GetWindowTextW(FHandle, S.data(), Length + 1)));
  return S;
}

void TWinControl::SetText(const std::wstring& Value) {
  if (FHandle) {
    // WM_SETTEXT keeps the copy and sends CM_TEXTCHANGED.
    if (Text() != Value) SetWindowTextW(FHandle, Value.c_str());
    return;
  }
  TControl::SetText(Value);
}

void TWinControl::Invalidate() {
  if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
  if (FHandle) UpdateWindow(FHandle);
}

void TWinControl::SetFocus() {
  ::SetFocus(Handle());
}

bool TWinControl::Focused() const {
  return FHandle && GetFocus() == FHandle;
}

void TWinControl::SendFont(bool NewWindow) {
  HFONT Font = TControl::Font().Handle();
  LOGFONTW Described{};
  GetObjectW(Font, sizeof(Described), &Described);
  // A new window always gets it; after that only a font that is not the one it has.
  if (NewWindow)
    SendMessageW(FHandle, WM_SETFONT, WPARAM(Font), FALSE);
  else if (Font != FSentFont || memcmp(&Described, &FSentLogFont, sizeof(Described)) != 0)
    SendMessageW(FHandle, WM_SETFONT, WPARAM(Font), TRUE);
  FSentFont = Font;
  FSentLogFont = Described;
}

void TWinControl::FontChanged() {
  if (FHandle) SendFont(false);
  for (TControl* C : FControls)
    C->ParentFontChanged();
  TControl::FontChanged();
}

bool TWinControl::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "TabOrder") {
    FTabOrder = Value.AsInt();
  } else if (Name == "TabStop") {
    FTabStop = Value.AsBool();
  } else {
    return TControl::ReadProperty(Name, Value);
  }
  return true;
}

void TWinControl::Loaded() {
  TControl::Loaded();
  Realign();
}
