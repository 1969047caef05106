// Controls: parent and bounds, alignment, message dispatch and windows made on demand.
#include "toolkit/Controls.h"

#include <algorithm>
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

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  WindowProc = [this](TMessage& Message) { WndProc(Message); };
  FFont.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

void TControl::WndProc(TMessage&) {}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage Message{Msg, WParam, LParam, 0};
  WindowProc(Message);
  return Message.Result;
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FParent) FParent->RemoveControl(this);
  FParent = AParent;
  if (FParent) {
    FParent->InsertControl(this);
    ParentFontChanged();
  }
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
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value);
  Invalidate();
  if (FParent && FAlign != alNone) FParent->Realign();
}

bool TControl::Showing() const {
  if (!FVisible) return false;
  if (!FParent) return true;
  return FParent->Showing();
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
  // Children that outlive this control (owned elsewhere) lose their parent first.
  while (!FControls.empty())
    FControls.back()->SetParent(nullptr);
  DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND Wnd) {
  return Wnd ? static_cast<TWinControl*>(GetPropW(Wnd, kObjectProp)) : nullptr;
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
  SendMessageW(Wnd, WM_SETFONT, WPARAM(Font().Handle()), 0);

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
  SetPropW(Wnd, kObjectProp, this);
}

void TWinControl::DestroyHandle() {
  if (!FHandle) return;
  HWND Wnd = FHandle;
  DestroyWindow(Wnd); // WM_NCDESTROY clears FHandle
  if (FHandle == Wnd) {
    RemovePropW(Wnd, kObjectProp);
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
  TMessage Message{Msg, WParam, LParam, 0};
  Protected([&] { Control->WindowProc(Message); });
  if (Msg == WM_NCDESTROY && Control->FHandle == Wnd) {
    RemovePropW(Wnd, kObjectProp);
    Control->FHandle = nullptr;
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
  if (Message.Msg == WM_MOUSEMOVE && !FMouseInControl) {
    FMouseInControl = true;
    TRACKMOUSEEVENT Track{sizeof(Track), TME_LEAVE, FHandle, 0};
    TrackMouseEvent(&Track);
    Perform(CM_MOUSEENTER);
  } else if (Message.Msg == WM_MOUSELEAVE && FMouseInControl) {
    FMouseInControl = false;
    Perform(CM_MOUSELEAVE);
  }
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
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
  case CN_CTLCOLORBTN: {
    HDC DC = reinterpret_cast<HDC>(Message.WParam);
    SetTextColor(DC, ToColorRef(Font().Color()));
    SetBkColor(DC, ToColorRef(Color()));
    Message.Result = LRESULT(GetSysColorBrush(COLOR_WINDOW));
    if ((ColorToRGB(Color()) & 0xFFFFFF) != (GetSysColor(COLOR_WINDOW) & 0xFFFFFF)) {
      static std::map<COLORREF, HBRUSH> Brushes; // a few colours, kept for the program's life
      COLORREF Key = ToColorRef(Color());
      HBRUSH& Brush = Brushes[Key];
      if (!Brush) Brush = CreateSolidBrush(Key);
      Message.Result = LRESULT(Brush);
    }
    return;
  }
  case WM_ERASEBKGND:
    if (IsOwnClass()) {
      RECT R;
      GetClientRect(FHandle, &R);
      HBRUSH Brush = CreateSolidBrush(ToColorRef(Color()));
      FillRect(reinterpret_cast<HDC>(Message.WParam), &R, Brush);
      DeleteObject(Brush);
      Message.Result = 1;
      return;
    }
    break;
  case WM_PAINT:
    if (IsOwnClass()) {
      if (Message.WParam) {
        PaintWindow(reinterpret_cast<HDC>(Message.WParam));
      } else {
        PAINTSTRUCT PS;
        HDC DC = BeginPaint(FHandle, &PS);
        PaintWindow(DC);
        EndPaint(FHandle, &PS);
      }
      return;
    }
    break;
  case WM_PRINTCLIENT:
    if (IsOwnClass()) {
      PaintWindow(reinterpret_cast<HDC>(Message.WParam));
      return;
    }
    break;
  case WM_SIZE:
  case WM_MOVE: {
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
    return;
  }
  case WM_MOUSEMOVE:
  case WM_MOUSELEAVE: HandleMouseTracking(Message); break;
  default:
    if (Message.Msg >= CM_BASE && Message.Msg < CN_BASE + 0x400) return;
    break;
  }
  DefaultHandler(Message);
}

void TWinControl::PaintWindow(HDC DC) {
  RECT R;
  GetClientRect(FHandle, &R);
  HBRUSH Brush = CreateSolidBrush(ToColorRef(Color()));
  FillRect(DC, &R, Brush);
  DeleteObject(Brush);
  PaintControls(DC);
}

void TWinControl::PaintControls(HDC DC) {
  for (TControl* C : FControls) {
    if (dynamic_cast<TWinControl*>(C) || !C->Visible()) continue;
    int Saved = SaveDC(DC);
    POINT Org;
    GetViewportOrgEx(DC, &Org);
    SetViewportOrgEx(DC, Org.x + C->Left(), Org.y + C->Top(), nullptr);
    IntersectClipRect(DC, 0, 0, C->Width(), C->Height());
    C->Perform(WM_PAINT, WPARAM(DC), 0);
    RestoreDC(DC, Saved);
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

void TWinControl::SetVisible(bool Value) {
  if (Value == Visible()) return;
  TControl::SetVisible(Value);
  if (FHandle) ShowWindow(FHandle, Value ? SW_SHOWNA : SW_HIDE);
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
    if (Text() == Value) return;
    SetWindowTextW(FHandle, Value.c_str());
    FText = Value;
    Perform(CM_TEXTCHANGED);
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

void TWinControl::FontChanged() {
  if (FHandle) SendMessageW(FHandle, WM_SETFONT, WPARAM(Font().Handle()), TRUE);
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
