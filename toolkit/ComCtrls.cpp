// Common controls: the progress bar and the rich edit in plain-text mode.
#include "toolkit/ComCtrls.h"

#include <commctrl.h>
#include <oleauto.h>
#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/GdiObjects.h"

namespace {

// ITextDocument, which the import libraries do not carry.
const IID TextDocumentId = {
    0x8CC497C0, 0xA1DF, 0x11CE, {0x80, 0x98, 0x00, 0xAA, 0x00, 0x47, 0xBE, 0x5D}};

bool HasLineBreak(std::wstring_view Text) {
  return Text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

// Whether replacing Length characters by NewText makes a line break come or go: Removed says
// whether the replaced characters held one where the caller knows, otherwise RemovedHasBreak
// reads them back from the control.
template <class F>
bool LinesComeOrGo(const std::wstring& NewText, size_t Length, std::optional<bool> Removed,
                   F RemovedHasBreak) {
  if (HasLineBreak(NewText)) return true;
  if (Length == 0) return false;
  return Removed ? *Removed : RemovedHasBreak();
}

// From this many lines on, a new window replaces a whole text faster than the control deletes
// it (under Wine, about 30 ms against about 75 ms at 1,000 lines).
constexpr LRESULT RemakeWindowLines = 1000;

// The lines of a piece in which a long text goes into the control.
constexpr size_t LoadPieceLines = 500;

// Where the piece of Text that starts at From ends: after its Lines-th line break (CR LF, CR or
// LF; a CR LF pair is never cut), or at the end of the text.
size_t PieceEnd(const std::wstring& Text, size_t From, size_t Lines) {
  size_t At = From;
  for (size_t Line = 0; Line < Lines; ++Line) {
    At = Text.find_first_of(L"\r\n", At);
    if (At == std::wstring::npos) return Text.size();
    At += Text[At] == L'\r' && At + 1 < Text.size() && Text[At + 1] == L'\n' ? 2 : 1;
  }
  return At;
}

} // namespace

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

TRichEdit::~TRichEdit() {
  ReleaseTextDocument();
}

void TRichEdit::CreateParams(TCreateParams& Params) {
  static HMODULE Library = LoadLibraryW(L"Msftedit.dll");
  if (!Library) throw Exception(L"The rich edit library Msftedit.dll cannot be loaded");
  TCustomMemo::CreateParams(Params);
  Params.SysClassName = MSFTEDIT_CLASS;
  Params.Caption.clear(); // the text goes in after plain-text mode is set
}

void TRichEdit::CreateWindowHandle() {
  HWND Wnd = Handle();
  if (PlainText) {
    // The mode changes only while the control holds no text and no history; Wine's records
    // setting the empty caption at creation as an edit.
    SendMessageW(Wnd, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(Wnd, EM_SETTEXTMODE, TM_PLAINTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  }
  SendMessageW(Wnd, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(Wnd, EM_SETEVENTMASK, 0, ENM_CHANGE);
  FAppliedTextColor = clNone; // a new window has the control's own
  ApplyColors();
  const std::wstring Stored = TakeStoredText();
  if (!Stored.empty()) {
    LoadText(Stored);
    SendMessageW(Wnd, EM_SETMODIFY, FALSE, 0);
  }
}

void TRichEdit::ApplyColors() {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), EM_SETBKGNDCOLOR, 0, LPARAM(ToColorRef(Color())));
  const TColor Ink = DrawnTextColor();
  if (Ink == FAppliedTextColor) return;
  CHARFORMAT2W Format{};
  Format.cbSize = sizeof(Format);
  Format.dwMask = CFM_COLOR;
  Format.crTextColor = ToColorRef(Ink);
  SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, LPARAM(&Format));
  FAppliedTextColor = Ink;
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
  if (ReplacesWholeTextWithWindow())
    RemakeWindow(Value);
  else
    LoadText(Value);
  if (!FChangeSeen) Change();
}

void TRichEdit::LoadText(const std::wstring& Value) {
  HWND Wnd = Handle();
  size_t End = PieceEnd(Value, 0, LoadPieceLines);
  if (End == Value.size()) {
    SetWindowTextW(Wnd, Value.c_str());
    return;
  }
  // The pieces are the loading's own edits: no change told for each, no history, no drawing.
  const LRESULT Events = SendMessageW(Wnd, EM_SETEVENTMASK, 0, 0);
  // Off already during an update (switching redrawing off hides the window's style bit).
  const bool Redraw = GetWindowLongPtrW(Wnd, GWL_STYLE) & WS_VISIBLE;
  if (Redraw) SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
  std::wstring Piece(Value, 0, End);
  SetWindowTextW(Wnd, Piece.c_str());
  for (size_t From = End; From < Value.size(); From = End) {
    End = PieceEnd(Value, From, LoadPieceLines);
    Piece.assign(Value, From, End - From);
    CHARRANGE AtEnd{-1, -1};
    SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&AtEnd));
    SendMessageW(Wnd, EM_REPLACESEL, FALSE, LPARAM(Piece.c_str()));
  }
  // As the control shows a text set in it: from its start, unmodified, nothing to undo.
  CHARRANGE Start{0, 0};
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Start));
  POINT Top{0, 0};
  SendMessageW(Wnd, EM_SETSCROLLPOS, 0, LPARAM(&Top));
  SendMessageW(Wnd, EM_EMPTYUNDOBUFFER, 0, 0);
  SendMessageW(Wnd, EM_SETMODIFY, FALSE, 0);
  SendMessageW(Wnd, EM_SETEVENTMASK, 0, Events);
  if (Redraw) {
    SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Wnd, nullptr, TRUE);
  }
}

bool TRichEdit::ReplacesWholeTextWithWindow() {
  return HandleAllocated() && SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0) >= RemakeWindowLines;
}

void TRichEdit::RemakeWindow(const std::wstring& NewText) {
  HWND Old = Handle();
  HWND Above = GetWindow(Old, GW_HWNDPREV);
  const bool HadFocus = GetFocus() == Old;
  DestroyHandle(false);
  TControl::SetText(NewText);
  HWND Wnd = Handle();
  SetWindowPos(Wnd, Above ? Above : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  if (HadFocus) SetFocus();
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

void TRichEdit::ReplaceControlRange(size_t Position, size_t Length, const std::wstring& NewText,
                                    std::optional<bool> RemovedLineBreak) {
  // Alone, an edit is an update of its own: the same repaint of the changed lines.
  BeginUpdate();
  try {
    FChangeSeen = false;
    if (!ReplaceWholeText(Position, Length, NewText) &&
        !ReplaceThroughDocument(Position, Length, NewText, RemovedLineBreak))
      ReplaceThroughSelection(Position, Length, NewText, RemovedLineBreak);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  if (!FChangeSeen) Change();
}

bool TRichEdit::EditsRanges() {
  return TextDocument() != nullptr;
}

ITextDocument* TRichEdit::TextDocument() {
  if (!HandleAllocated()) return nullptr;
  HWND Wnd = Handle();
  if (FDocumentWnd == Wnd) return FTextDocument;
  ReleaseTextDocument();
  FDocumentWnd = Wnd;
  IRichEditOle* Ole = nullptr;
  if (!SendMessageW(Wnd, EM_GETOLEINTERFACE, 0, LPARAM(&Ole)) || !Ole) return nullptr;
  void* Document = nullptr;
  if (SUCCEEDED(Ole->QueryInterface(TextDocumentId, &Document)))
    FTextDocument = static_cast<ITextDocument*>(Document);
  Ole->Release();
  return FTextDocument;
}

void TRichEdit::ReleaseTextDocument() {
  if (FTextDocument) FTextDocument->Release();
  FTextDocument = nullptr;
  FDocumentWnd = nullptr;
}

bool TRichEdit::ReplaceWholeText(size_t Position, size_t Length, const std::wstring& NewText) {
  if (Position != 0 || !ReplacesWholeTextWithWindow()) return false;
  GETTEXTLENGTHEX Own{GTL_PRECISE | GTL_NUMCHARS, 1200};
  if (Length <
      size_t(std::max<LRESULT>(0, SendMessageW(Handle(), EM_GETTEXTLENGTHEX, WPARAM(&Own), 0))))
    return false;
  RemakeWindow(NewText);
  HWND Wnd = Handle();
  // The new window takes part in the update the old one was in: drawn at its end, where the
  // view of the old one was.
  SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
  FPendingPaint.Reset();
  FSelectionMoved = true;
  SendMessageW(Wnd, EM_SETMODIFY, TRUE, 0);
  NoteChange(Position, Length, NewText.size(), true);
  return true;
}

bool TRichEdit::ReplaceThroughDocument(size_t Position, size_t Length, const std::wstring& NewText,
                                       std::optional<bool> RemovedLineBreak) {
  ITextDocument* Document = TextDocument();
  if (!Document) return false;
  ITextRange* Range = nullptr;
  if (FAILED(Document->Range(LONG(Position), LONG(Position + Length), &Range)) || !Range)
    return false;
  // Wine's range inserts its text at the selection's active end after deleting the selection
  // too: a selection whose other end lies elsewhere would take the text between with it. An
  // empty selection at the range's start is harmless, costs no scrolling or rewrapping, and is
  // put back when the update ends.
  CHARRANGE Parked{LONG(Position), LONG(Position)};
  SendMessageW(Handle(), EM_EXSETSEL, 0, LPARAM(&Parked));
  FSelectionParked = true;
  const bool LineBreaks = LinesComeOrGo(NewText, Length, RemovedLineBreak, [&] {
    BSTR Removed = nullptr;
    bool Breaks = SUCCEEDED(Range->GetText(&Removed)) && Removed && HasLineBreak(Removed);
    SysFreeString(Removed);
    return Breaks;
  });
  BSTR Inserted = SysAllocStringLen(NewText.data(), UINT(NewText.size()));
  HRESULT Result = Inserted || NewText.empty() ? Range->SetText(Inserted) : E_OUTOFMEMORY;
  SysFreeString(Inserted);
  Range->Release();
  // The range leaves the text it inserted selected; an empty selection at the start costs
  // least to move from later.
  CHARRANGE Start{0, 0};
  SendMessageW(Handle(), EM_EXSETSEL, 0, LPARAM(&Start));
  if (Result == E_OUTOFMEMORY) throw std::bad_alloc();
  if (FAILED(Result)) return false;
  HWND Wnd = Handle();
  // An edit of the program is not one that the user can take back; and the control's history
  // of edits made through the document is not one it can replay (Wine's stops the program on
  // an undo of it), so it goes, as a replacement without undo clears it.
  SendMessageW(Wnd, EM_EMPTYUNDOBUFFER, 0, 0);
  SendMessageW(Wnd, EM_SETMODIFY, TRUE, 0);
  NoteChange(Position, Length, NewText.size(), LineBreaks);
  return true;
}

void TRichEdit::ReplaceThroughSelection(size_t Position, size_t Length, const std::wstring& NewText,
                                        std::optional<bool> RemovedLineBreak) {
  HWND Wnd = Handle();
  CHARRANGE Range{LONG(Position), LONG(Position + Length)};
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Range));
  const bool LineBreaks = LinesComeOrGo(NewText, Length, RemovedLineBreak, [&] {
    std::wstring Removed(Length + 1, L'\0');
    LRESULT Got = SendMessageW(Wnd, EM_GETSELTEXT, 0, LPARAM(Removed.data()));
    Removed.resize(size_t(std::max<LRESULT>(0, Got)));
    return HasLineBreak(Removed);
  });
  SendMessageW(Wnd, EM_REPLACESEL, FALSE, LPARAM(NewText.c_str()));
  FSelectionMoved = true;
  NoteChange(Position, Length, NewText.size(), LineBreaks);
}

void TRichEdit::NoteChange(size_t Position, size_t Length, size_t Inserted, bool LineBreaks) {
  FLinesChanged |= LineBreaks;
  ++FChangeCount;
  // The selection to put back stays on its text: behind the edit it moves by the difference,
  // inside the removed characters it goes to the end of the inserted ones.
  auto Carry = [&](LONG& At) {
    if (size_t(At) >= Position + Length)
      At = LONG(size_t(At) - Length + Inserted);
    else if (size_t(At) > Position)
      At = LONG(Position + Inserted);
  };
  Carry(FSelection.cpMin);
  Carry(FSelection.cpMax);
  const size_t NewEnd = Position + Inserted;
  if (!FChanged) {
    FChanged = true;
    FChangedStart = Position;
    FChangedEnd = NewEnd;
    return;
  }
  // The part changed before, carried over this edit: what lay behind the removed characters
  // moves by the difference, what lay inside them is now the inserted ones.
  size_t End = FChangedEnd;
  if (End >= Position + Length)
    End = End - Length + Inserted;
  else if (End > Position)
    End = NewEnd;
  FChangedStart = std::min(FChangedStart, Position);
  FChangedEnd = std::max(End, NewEnd);
}

void TRichEdit::BeginUpdate() {
  if (FUpdateCount++ > 0 || !HandleAllocated()) return;
  HWND Wnd = Handle();
  // Switching redrawing off forgets what was waiting to be painted; it is asked for again at
  // the end.
  FPendingPaint.Attach(CreateRectRgn(0, 0, 0, 0));
  if (FPendingPaint && GetUpdateRgn(Wnd, FPendingPaint, FALSE) <= NULLREGION) FPendingPaint.Reset();
  SendMessageW(Wnd, WM_SETREDRAW, FALSE, 0);
  FChanged = FLinesChanged = FSelectionMoved = FSelectionParked = false;
  FChangeCount = 0;

  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&FScrollPos));
  SendMessageW(Wnd, EM_EXGETSEL, 0, LPARAM(&FSelection));
}

void TRichEdit::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0 || !HandleAllocated()) return;
  HWND Wnd = Handle();
  if (FSelectionMoved || FSelectionParked) {
    SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&FSelection));
  }
  bool ViewMoved = FSelectionMoved, PutBack = false;
  if (!ViewMoved && FChanged) {
    // The control scrolls to show a selection it is given (a parked one, the one put back when
    // it lies out of sight) and may shift the view by a line while edits above it wait to be
    // laid out. With redrawing off none of that reached the screen: put back where it was, the
    // view shows what it showed, and only the changed lines need painting.
    auto ViewIsBack = [&] {
      POINT Now{};
      SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Now));
      return Now.x == FScrollPos.x && Now.y == FScrollPos.y;
    };
    if (!ViewIsBack()) {
      SendMessageW(Wnd, EM_SETSCROLLPOS, 0, LPARAM(&FScrollPos));
      PutBack = true;
      ViewMoved = !ViewIsBack(); // the text grew too short for it
    }
  }
  RECT Changed{};
  const bool Repaint = !ViewMoved && ChangedLines(Changed);
  // Setting the view where it was also has the control lay out the edited lines before they are
  // repainted (Wine's lays out an edit made through a range only when something asks, and would
  // paint it from the old layout), and gives the scroll bars the text's new extent. An edit out
  // of sight that moved no line is laid out when the view comes to it.
  if (!PutBack && (ViewMoved || Repaint || FLinesChanged))
    SendMessageW(Wnd, EM_SETSCROLLPOS, 0, LPARAM(&FScrollPos));
  SendMessageW(Wnd, WM_SETREDRAW, TRUE, 0);
  if (FPendingPaint) InvalidateRgn(Wnd, FPendingPaint, TRUE);
  FPendingPaint.Reset();
  if (ViewMoved)
    InvalidateRect(Wnd, nullptr, TRUE);
  else if (Repaint)
    InvalidateRect(Wnd, &Changed, TRUE);
  FChanged = FLinesChanged = FSelectionMoved = FSelectionParked = false;
  FChangeCount = 0;
}

bool TRichEdit::ChangedLines(RECT& Changed) {
  if (!FChanged) return false;
  HWND Wnd = Handle();
  RECT Client;
  GetClientRect(Wnd, &Client);
  // The top of the first changed line and the bottom of the last, where the control shows them.
  // The lines above the first change keep their layout, and without a line break coming or going
  // so do the heights of all lines: the places are right before the edits are laid out.
  auto Top = [Wnd](size_t Position) {
    POINTL At{};
    SendMessageW(Wnd, EM_POSFROMCHAR, WPARAM(&At), LPARAM(Position));
    return LONG(At.y);
  };
  LONG From = Top(FChangedStart);
  if (From >= Client.bottom) return false; // below the view: nothing seen changed
  LONG To = Client.bottom;
  // Without a line break coming or going the lines below keep their places; one such edit in a
  // control that does not wrap its lines changed one line.
  if (!FLinesChanged) {
    bool OneLine = FChangeCount == 1 && (GetWindowLongPtrW(Wnd, GWL_STYLE) & ES_AUTOHSCROLL);
    To = std::min<LONG>(Client.bottom, (OneLine ? From : Top(FChangedEnd)) + LineHeight());
  }
  if (To <= 0) return false; // above the view, and the lines below it did not move
  Changed = {Client.left, std::max<LONG>(From, Client.top), Client.right, To};
  return true;
}

int TRichEdit::LineHeight() {
  TClientDC DC(Handle());
  HGDIOBJ Font = reinterpret_cast<HGDIOBJ>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
  TSelectObject Selected(DC, Font ? Font : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW Metrics{};
  GetTextMetricsW(DC, &Metrics);
  return Metrics.tmHeight + Metrics.tmExternalLeading;
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
  case WM_DESTROY: ReleaseTextDocument(); break; // the document goes with the window
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
