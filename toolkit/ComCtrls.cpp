// Common controls: the progress bar and the rich edit in plain-text mode.
#include "toolkit/ComCtrls.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TProgressBar

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 150, 17);
}

void TProgressBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.SysClassName = PROGRESS_CLASSW;
  if (FOrientation == pbVertical) Params.Style |= PBS_VERTICAL;
  if (FSmooth) Params.Style |= PBS_SMOOTH;
  if (FStyle == pbstMarquee) Params.Style |= PBS_MARQUEE;
}

void TProgressBar::CreateWindowHandle() {
  UpdateWindowState();
}

void TProgressBar::UpdateWindowState() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), PBM_SETRANGE32, WPARAM(FMin), LPARAM(FMax));
  SendMessageW(Handle(), PBM_SETSTEP, WPARAM(FStep), 0);
  SendMessageW(Handle(), PBM_SETPOS, WPARAM(FPosition), 0);
  if (FStyle == pbstMarquee) SendMessageW(Handle(), PBM_SETMARQUEE, TRUE, FMarqueeInterval);
  SendMessageW(Handle(), PBM_SETSTATE,
               FState == pbsError    ? PBST_ERROR
               : FState == pbsPaused ? PBST_PAUSED
                                     : PBST_NORMAL,
               0);
}

void TProgressBar::RecreateWindow() {
  if (!HandleAllocated() || IsLoading()) return;
  DestroyHandle();
  HandleNeeded();
}

void TProgressBar::SetOrientation(TProgressBarOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  RecreateWindow();
}

void TProgressBar::SetSmooth(bool Value) {
  if (Value == FSmooth) return;
  FSmooth = Value;
  RecreateWindow();
}

void TProgressBar::SetStyle(TProgressBarStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  RecreateWindow();
}

void TProgressBar::SetMarqueeInterval(int Value) {
  if (Value == FMarqueeInterval) return;
  FMarqueeInterval = Value;
  UpdateWindowState();
}

void TProgressBar::SetState(TProgressBarState Value) {
  if (Value == FState) return;
  FState = Value;
  UpdateWindowState();
}

void TProgressBar::SetBorderWidth(int Value) {
  Value = std::max(Value, 0);
  if (Value == FBorderWidth) return;
  FBorderWidth = Value;
  Invalidate();
}

void TProgressBar::SetMin(int Value) {
  if (Value == FMin) return;
  FMin = Value;
  UpdateWindowState();
}

void TProgressBar::SetMax(int Value) {
  if (Value == FMax) return;
  FMax = Value;
  UpdateWindowState();
}

void TProgressBar::SetPosition(int Value) {
  if (Value == FPosition) return;
  FPosition = Value;
  if (HandleAllocated()) SendMessageW(Handle(), PBM_SETPOS, WPARAM(FPosition), 0);
}

void TProgressBar::SetStep(int Value) {
  if (Value == FStep) return;
  FStep = Value;
  UpdateWindowState();
}

bool TProgressBar::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Min") {
    SetMin(Value.AsInt());
  } else if (Name == "Max") {
    SetMax(Value.AsInt());
  } else if (Name == "Position") {
    SetPosition(Value.AsInt());
  } else if (Name == "Step") {
    SetStep(Value.AsInt());
  } else if (Name == "Orientation") {
    SetOrientation(TProgressBarOrientation(Value.AsIdentIndex({"pbHorizontal", "pbVertical"})));
  } else if (Name == "Smooth") {
    SetSmooth(Value.AsBool());
  } else if (Name == "Style") {
    SetStyle(TProgressBarStyle(Value.AsIdentIndex({"pbstNormal", "pbstMarquee"})));
  } else if (Name == "MarqueeInterval") {
    SetMarqueeInterval(Value.AsInt());
  } else if (Name == "State") {
    SetState(TProgressBarState(Value.AsIdentIndex({"pbsNormal", "pbsError", "pbsPaused"})));
  } else if (Name == "BorderWidth") {
    SetBorderWidth(Value.AsInt());
  } else {
    return TWinControl::ReadProperty(Name, Value);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// TRichEdit

TRichEdit::TRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {}

void TRichEdit::CreateParams(TCreateParams& Params) {
  static HMODULE Library = LoadLibraryW(L"Msftedit.dll");
  if (!Library) throw Exception(L"The rich edit library Msftedit.dll cannot be loaded");
  TCustomMemo::CreateParams(Params);
  Params.SysClassName = MSFTEDIT_CLASS;
  Params.Caption.clear(); // the text goes in after plain-text mode is set
}

void TRichEdit::CreateWindowHandle() {
  HWND Wnd = Handle();
  if (PlainText)
    SendMessageW(Wnd, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  SendMessageW(Wnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(Wnd, EM_SETEVENTMASK, 0, ENM_CHANGE);
  ApplyColors();
  std::wstring Stored = TControl::Text();
  if (!Stored.empty()) {
    SetWindowTextW(Wnd, Stored.c_str());
    SendMessageW(Wnd, EM_SETMODIFY, FALSE, 0);
  }
}

void TRichEdit::ApplyColors() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), EM_SETBKGNDCOLOR, 0, LPARAM(ToColorRef(Color())));
  CHARFORMAT2W Format{};
  Format.cbSize = sizeof(Format);
  Format.dwMask = CFM_COLOR;
  Format.crTextColor = ToColorRef(Font().Color());
  SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, LPARAM(&Format));
}

std::wstring TRichEdit::Text() const {
  if (!HandleAllocated()) return TControl::Text();
  HWND Wnd = const_cast<TRichEdit*>(this)->Handle();
  GETTEXTLENGTHEX LengthInfo{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
  LRESULT Length = SendMessageW(Wnd, EM_GETTEXTLENGTHEX, WPARAM(&LengthInfo), 0);
  if (Length <= 0) return {};
  std::wstring S(size_t(Length) + 1, L'\0');
  GETTEXTEX Get{};
  Get.cb = DWORD(S.size() * sizeof(wchar_t));
  Get.flags = GT_USECRLF;
  Get.codepage = 1200; // UTF-16
  LRESULT Copied = SendMessageW(Wnd, EM_GETTEXTEX, WPARAM(&Get), LPARAM(S.data()));
  S.resize(size_t(std::max<LRESULT>(0, Copied)));
  return S;
}

void TRichEdit::SetText(const std::wstring& Value) {
  // The control ends its text at a NUL character and would silently drop the rest.
  if (const size_t Nul = Value.find(L'\0'); Nul != std::wstring::npos)
    throw Exception(L"The text holds a NUL character at position " + std::to_wstring(Nul + 1) +
                    L", which the editor cannot hold.");
  if (!HandleAllocated()) {
    TControl::SetText(Value);
    return;
  }
  FChangeSeen = false;
  SetWindowTextW(Handle(), Value.c_str());
  if (!FChangeSeen) Change();
}

void TRichEdit::ReplaceRange(size_t Position, size_t Length, const std::wstring& NewText) {
  if (!HandleAllocated()) {
    std::wstring S = TControl::Text();
    S.replace(std::min(Position, S.size()), Length, NewText);
    TControl::SetText(S);
    return;
  }
  // The control keeps a line break as one character: count the CR LF pairs before each end.
  std::wstring S = Text();
  auto ControlIndex = [&S](size_t P) {
    size_t Breaks = 0;
    for (size_t i = 0; i + 1 < P && i + 1 < S.size(); ++i)
      if (S[i] == L'\r' && S[i + 1] == L'\n') ++Breaks;
    return LONG(P - Breaks);
  };
  size_t Start = size_t(ControlIndex(Position));
  ReplaceControlRange(Start, size_t(ControlIndex(Position + Length)) - Start, NewText);
}

void TRichEdit::ReplaceControlRange(size_t Position, size_t Length, const std::wstring& NewText) {
  CHARRANGE Range{LONG(Position), LONG(Position + Length)};
  SendMessageW(Handle(), EM_EXSETSEL, 0, LPARAM(&Range));
  FChangeSeen = false;
  SendMessageW(Handle(), EM_REPLACESEL, FALSE, LPARAM(NewText.c_str()));
  if (!FChangeSeen) Change();
}

void TRichEdit::BeginUpdate() {
  if (FUpdateCount++ > 0 || !HandleAllocated()) return;
  SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
  SendMessageW(Handle(), EM_GETSCROLLPOS, 0, LPARAM(&FScrollPos));
  SendMessageW(Handle(), EM_EXGETSEL, 0, LPARAM(&FSelection));
}

void TRichEdit::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0 || !HandleAllocated()) return;
  SendMessageW(Handle(), EM_EXSETSEL, 0, LPARAM(&FSelection));
  SendMessageW(Handle(), EM_SETSCROLLPOS, 0, LPARAM(&FScrollPos));
  SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(Handle(), nullptr, TRUE);
}

void TRichEdit::Change() {
  if (OnChange) OnChange(this);
}

void TRichEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
  case CN_COMMAND:
    if (HIWORD(Message.WParam) == EN_CHANGE) {
      FChangeSeen = true;
      Change();
    }
    return;
  case CM_COLORCHANGED:
  case CM_FONTCHANGED: ApplyColors(); break;
  default: break;
  }
  TCustomMemo::WndProc(Message);
}

bool TRichEdit::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name.compare(0, 11, "BoundLabel.") == 0) {
    return FBoundLabel.ReadProperty(Name.substr(11), Value);
  } else if (Name == "PlainText") {
    PlainText = Value.AsBool();
  } else {
    return TCustomMemo::ReadProperty(Name, Value);
  }
  return true;
}
