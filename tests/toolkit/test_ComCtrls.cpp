// The progress bar and the rich edit.
#include <gtest/gtest.h>

#include "tests/toolkit/GuiTest.h"
#include <commctrl.h>

#include "toolkit/ComCtrls.h"

TEST_F(FormTest, ProgressBarKeepsValuesOutsideItsRange) {
  auto* Bar = new TProgressBar(Form);
  Bar->SetParent(Form);
  Form->HandleNeeded();
  Bar->SetMax(7);
  Bar->SetPosition(30);
  EXPECT_EQ(Bar->Position(), 30);
  Bar->SetPosition(Bar->Max() - 2);
  EXPECT_EQ(SendMessageW(Bar->Handle(), PBM_GETPOS, 0, 0), 5);
}

TEST_F(FormTest, RichEditUsesCrLfAndReplacesRanges) {
  auto* Edit = new TRichEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(0, 0, 300, 200);
  int Changes = 0;
  Edit->OnChange = [&](TComponent*) { ++Changes; };
  Form->HandleNeeded();
  Edit->SetText(L"ab\r\ncd\nef\r");
  EXPECT_EQ(Edit->Text(), L"ab\r\ncd\r\nef\r\n");
  EXPECT_GE(Changes, 1);
  Changes = 0;
  Edit->ReplaceRange(4, 5, L"X\r\nY"); // "cd\r\ne" -> "X\r\nY"
  EXPECT_EQ(Edit->Text(), L"ab\r\nX\r\nYf\r\n");
  EXPECT_EQ(Changes, 1);
  // In lines: one line of 100,000 characters takes the control (Wine's) seconds to wrap.
  std::wstring Long;
  while (Long.size() < 100000)
    Long += std::wstring(78, L'x') + L"\r\n";
  Edit->SetText(Long);
  EXPECT_EQ(Edit->Text().size(), Long.size()); // no 32 K limit
}

namespace {

// A shown rich edit of 40 numbered lines, painted.
TRichEdit* ShownRichEdit(TForm* Form) {
  auto* Edit = new TRichEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(0, 0, 300, 200);
  Edit->ScrollBars = ssBoth;
  std::wstring Text;
  for (int i = 0; i < 40; ++i)
    Text += L"line " + std::to_wstring(i) + L" [x] text\r\n";
  Edit->SetText(Text);
  Form->Show();
  PumpFor(50);
  return Edit;
}

CHARRANGE Selection(TRichEdit* Edit) {
  CHARRANGE R{};
  SendMessageW(Edit->Handle(), EM_EXGETSEL, 0, LPARAM(&R));
  return R;
}

// The client area of Edit as it is on the screen.
std::vector<COLORREF> ClientPixels(HWND Wnd) {
  RECT C;
  GetClientRect(Wnd, &C);
  HDC DC = GetDC(Wnd);
  std::vector<COLORREF> Pixels;
  for (int y = 0; y < C.bottom; y += 2)
    for (int x = 0; x < C.right; x += 2)
      Pixels.push_back(GetPixel(DC, x, y));
  ReleaseDC(Wnd, DC);
  return Pixels;
}

// Edit shows its text as the control shows a text set in it: from the start with the caret
// there, unmodified, with nothing to undo.
void ExpectShownAsSetText(TRichEdit* Edit) {
  HWND Wnd = Edit->Handle();
  EXPECT_EQ(Selection(Edit).cpMin, 0);
  EXPECT_EQ(Selection(Edit).cpMax, 0);
  EXPECT_EQ(SendMessageW(Wnd, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Wnd, EM_GETMODIFY, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Wnd, EM_CANUNDO, 0, 0), 0);
}

// Has Edit's window record the area of each of its paints in Painted.
TWndHookToken RecordPaints(TRichEdit* Edit, std::vector<RECT>& Painted) {
  HWND Wnd = Edit->Handle();
  return Edit->AddWindowHook([Wnd, &Painted](TMessage& M, const TWndNext& Next) {
    RECT R;
    if (M.Msg == WM_PAINT && GetUpdateRect(Wnd, &R, FALSE)) Painted.push_back(R);
    Next(M);
  });
}

} // namespace

// The run's edits go through ranges of their own: the user's selection stays on its text and
// the view stays put; the text is modified, and the edit cannot be undone (undoing it would
// stop the program in Wine's control), while the user's own edits after it can.
TEST_F(FormTest, RichEditRangeEditsKeepSelectionAndViewAndLeaveNothingToUndo) {
  TRichEdit* Edit = ShownRichEdit(Form);
  HWND Wnd = Edit->Handle();
  ASSERT_TRUE(Edit->EditsRanges());
  SendMessageW(Wnd, EM_SETMODIFY, FALSE, 0);
  SendMessageW(Wnd, EM_LINESCROLL, 0, 10);
  POINT Scroll{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Scroll));
  ASSERT_GT(Scroll.y, 0);
  CHARRANGE Sel{300, 305};
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Sel));
  int Changes = 0;
  Edit->OnChange = [&](TComponent*) { ++Changes; };
  Edit->ReplaceControlRange(6, 3, L"[abcdef]"); // before the selection: it moves along
  EXPECT_EQ(Edit->Line(0), L"line 0[abcdef]] text");
  EXPECT_EQ(Edit->Line(1), L"line 1 [x] text");
  EXPECT_EQ(Selection(Edit).cpMin, 305);
  EXPECT_EQ(Selection(Edit).cpMax, 310);
  EXPECT_EQ(Changes, 1);
  Edit->ReplaceControlRange(400, 3, L""); // after it: it stays
  EXPECT_EQ(Selection(Edit).cpMin, 305);
  EXPECT_EQ(Selection(Edit).cpMax, 310);
  POINT After{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&After));
  EXPECT_EQ(After.y, Scroll.y) << "the view stays";
  EXPECT_NE(SendMessageW(Wnd, EM_GETMODIFY, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Wnd, EM_CANUNDO, 0, 0), 0);
  // The user types over the selection and takes it back.
  std::wstring Before = Edit->Text();
  SendMessageW(Wnd, EM_REPLACESEL, TRUE, LPARAM(L"typed"));
  EXPECT_NE(Edit->Text(), Before);
  SendMessageW(Wnd, EM_UNDO, 0, 0);
  EXPECT_EQ(Edit->Text(), Before);
}

// An update repaints only the lines its edits changed, down to the bottom of the view when a
// line break came or went, and nothing for a change below the view; what it paints is what the
// same text shows when painted whole.
TEST_F(FormTest, RichEditUpdateRepaintsOnlyTheChangedLines) {
  TRichEdit* Edit = ShownRichEdit(Form);
  HWND Wnd = Edit->Handle();
  RECT Client;
  GetClientRect(Wnd, &Client);
  std::vector<RECT> Painted;
  auto Token = RecordPaints(Edit, Painted);
  auto LineTop = [&](int Line) {
    POINTL At{};
    SendMessageW(Wnd, EM_POSFROMCHAR, WPARAM(&At),
                 SendMessageW(Wnd, EM_LINEINDEX, WPARAM(Line), 0));
    return LONG(At.y);
  };
  const LONG Line2 = LineTop(2), Line5 = LineTop(5);
  auto Edit2And4 = [&](const wchar_t* Replacement) {
    Edit->BeginUpdate();
    Edit->ReplaceControlRange(size_t(SendMessageW(Wnd, EM_LINEINDEX, 2, 0)) + 7, 3, L"[y]");
    Edit->ReplaceControlRange(size_t(SendMessageW(Wnd, EM_LINEINDEX, 4, 0)) + 7, 3, Replacement);
    Edit->EndUpdate();
    Edit->Update();
  };
  Painted.clear();
  Edit2And4(L"[z]");
  ASSERT_EQ(Painted.size(), 1u);
  EXPECT_LE(Painted[0].top, Line2);
  EXPECT_GT(Painted[0].top, LineTop(1) - 1);
  EXPECT_GE(Painted[0].bottom, Line5);
  EXPECT_LT(Painted[0].bottom, LineTop(7)) << "the lines below stay";
  EXPECT_EQ(Painted[0].left, Client.left);
  EXPECT_EQ(Painted[0].right, Client.right);
  // A line break inserted moves every line below it.
  Painted.clear();
  Edit2And4(L"[\r]");
  ASSERT_EQ(Painted.size(), 1u);
  EXPECT_LE(Painted[0].top, Line2);
  EXPECT_EQ(Painted[0].bottom, Client.bottom);
  // One edit inside a line paints that line alone.
  auto Line3 = [&] { return size_t(SendMessageW(Wnd, EM_LINEINDEX, 3, 0)) + 7; };
  Painted.clear();
  Edit->ReplaceControlRange(Line3(), 3, L"[q]");
  Edit->Update();
  ASSERT_EQ(Painted.size(), 1u);
  EXPECT_LE(Painted[0].top, LineTop(3));
  EXPECT_GT(Painted[0].top, LineTop(2));
  EXPECT_GE(Painted[0].bottom, LineTop(4));
  EXPECT_LT(Painted[0].bottom, LineTop(5));
  // A caller that says the removed characters held a line break is believed without reading
  // them back: every line below is repainted.
  Painted.clear();
  Edit->ReplaceControlRange(Line3(), 3, L"[w]", true);
  Edit->Update();
  ASSERT_EQ(Painted.size(), 1u);
  EXPECT_LE(Painted[0].top, LineTop(3));
  EXPECT_EQ(Painted[0].bottom, Client.bottom);
  // Below the view: nothing to paint.
  Painted.clear();
  Edit->ReplaceControlRange(Edit->Text().size() - 40, 2, L"--");
  Edit->Update();
  EXPECT_TRUE(Painted.empty());
  Edit->RemoveWindowHook(Token);
  // The partly painted view is the view of the same text painted whole.
  std::vector<COLORREF> Partly = ClientPixels(Wnd);
  RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_TRUE(Partly == ClientPixels(Wnd));
}

// With the caret out of sight the control scrolls to it when the update puts the selection
// back; the view returns unseen, and only the changed line is painted.
TEST_F(FormTest, RichEditUpdateWithTheCaretOutOfSightRepaintsOnlyTheChangedLine) {
  TRichEdit* Edit = ShownRichEdit(Form);
  HWND Wnd = Edit->Handle();
  CHARRANGE Home{0, 0};
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Home));
  SendMessageW(Wnd, EM_LINESCROLL, 0, 10);
  Edit->Update();
  POINT Scroll{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Scroll));
  ASSERT_GT(Scroll.y, 0);
  RECT Client;
  GetClientRect(Wnd, &Client);
  std::vector<RECT> Painted;
  auto Token = RecordPaints(Edit, Painted);
  Edit->ReplaceControlRange(size_t(SendMessageW(Wnd, EM_LINEINDEX, 12, 0)) + 7, 3, L"[v]");
  Edit->Update();
  Edit->RemoveWindowHook(Token);
  ASSERT_EQ(Painted.size(), 1u);
  EXPECT_GT(Painted[0].top, Client.top);
  EXPECT_LT(Painted[0].bottom, Client.bottom);
  POINT After{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&After));
  EXPECT_EQ(After.y, Scroll.y);
  EXPECT_EQ(Selection(Edit).cpMin, 0);
  EXPECT_EQ(Selection(Edit).cpMax, 0);
  std::vector<COLORREF> Partly = ClientPixels(Wnd);
  RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_TRUE(Partly == ClientPixels(Wnd));
}

// Without a text object model an edit selects its range and replaces the selection; an update
// then puts the selection (on its text) and the view back and repaints the whole view.
// A long text goes into the control in pieces (Wine's takes seconds to lay out megabytes given
// in one piece): the editor then holds exactly the text, with every kind of line break, and
// shows it as the control shows a text set in it; the change is told once, and the user's own
// changes afterwards are told again.
TEST_F(FormTest, RichEditLoadsALongTextAsTheControlSetsIt) {
  TRichEdit* Edit = ShownRichEdit(Form);
  HWND Wnd = Edit->Handle();
  SendMessageW(Wnd, EM_SETMODIFY, TRUE, 0);
  SendMessageW(Wnd, EM_LINESCROLL, 0, 10);
  CHARRANGE Sel{50, 60};
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Sel));
  int Changes = 0;
  Edit->OnChange = [&](TComponent*) { ++Changes; };
  std::wstring Text, Expected;
  const wchar_t* Breaks[] = {L"\r\n", L"\r", L"\n"};
  for (int i = 0; i < 1700; ++i) {
    std::wstring Line = L"řádek " + std::to_wstring(i);
    Text += Line + Breaks[i % 3];
    Expected += Line + L"\r\n";
  }
  Text += L"bez konce";
  Expected += L"bez konce";
  Edit->SetText(Text);
  EXPECT_EQ(Edit->Handle(), Wnd);
  EXPECT_EQ(Edit->Text(), Expected);
  EXPECT_EQ(SendMessageW(Wnd, EM_GETLINECOUNT, 0, 0), 1701);
  EXPECT_EQ(Changes, 1);
  ExpectShownAsSetText(Edit);
  EXPECT_TRUE(IsWindowVisible(Wnd));
  SendMessageW(Wnd, EM_REPLACESEL, TRUE, LPARAM(L"x"));
  EXPECT_EQ(Changes, 2);
}

// A whole text of many lines is replaced with a new window (Wine's control takes minutes to
// delete a text of megabytes): what the user meets is what replacing the text in the control
// gives. Set, the new text shows from its start, unmodified and with nothing to undo; edited as
// a whole during an update, the view stays where it was, the text is modified, and nothing is
// drawn before the update ends. Either way the editor keeps its place in the order of keyboard
// navigation, the focus, and its disabled state, and the change is told once.
TEST_F(FormTest, RichEditReplacesAWholeTextOfManyLinesLikeTheControl) {
  auto* Before = new TButton(Form);
  Before->SetParent(Form);
  auto* Edit = new TRichEdit(Form);
  Edit->SetParent(Form);
  Edit->SetBounds(0, 30, 300, 200);
  Edit->ScrollBars = ssBoth;
  auto* After = new TButton(Form);
  After->SetParent(Form);
  auto Lines = [](int Count, const wchar_t* Word, const wchar_t* Break) {
    std::wstring T;
    for (int i = 0; i < Count; ++i)
      T += std::wstring(Word) + L" " + std::to_wstring(i) + Break;
    return T;
  };
  Edit->SetText(Lines(1500, L"old", L"\r\n"));
  Form->Show();
  PumpFor(50);
  Edit->SetFocus();
  HWND Old = Edit->Handle();
  ASSERT_EQ(GetWindow(Old, GW_HWNDPREV), Before->Handle());
  SendMessageW(Old, EM_SETMODIFY, TRUE, 0);
  SendMessageW(Old, EM_LINESCROLL, 0, 300);
  int Changes = 0;
  Edit->OnChange = [&](TComponent*) { ++Changes; };

  const std::wstring Loaded = Lines(1200, L"loaded", L"\r\n");
  Edit->SetText(Loaded);
  HWND Wnd = Edit->Handle();
  EXPECT_NE(Wnd, Old) << "a new window";
  EXPECT_FALSE(IsWindow(Old));
  EXPECT_EQ(Edit->Text(), Loaded);
  EXPECT_EQ(Changes, 1);
  ExpectShownAsSetText(Edit);
  EXPECT_EQ(GetFocus(), Wnd);
  EXPECT_EQ(GetWindow(Wnd, GW_HWNDPREV), Before->Handle());
  EXPECT_EQ(GetWindow(Wnd, GW_HWNDNEXT), After->Handle());
  EXPECT_NE(GetWindowLongPtrW(Wnd, GWL_STYLE) & WS_VSCROLL, 0);

  // The run's edit of the whole text, in the control's own line breaks, while the editor is off.
  SendMessageW(Wnd, EM_LINESCROLL, 0, 400);
  POINT Scroll{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Scroll));
  ASSERT_GT(Scroll.y, 0);
  Edit->SetEnabled(false);
  PumpFor(20);
  std::vector<RECT> Painted;
  const std::wstring Rewritten = Lines(1300, L"new", L"\r");
  Changes = 0;
  Edit->BeginUpdate();
  GETTEXTLENGTHEX Own{GTL_PRECISE | GTL_NUMCHARS, 1200};
  Edit->ReplaceControlRange(0, size_t(SendMessageW(Wnd, EM_GETTEXTLENGTHEX, WPARAM(&Own), 0)),
                            Rewritten, true);
  Wnd = Edit->Handle();
  auto Hook = RecordPaints(Edit, Painted);
  PumpFor(20);
  EXPECT_TRUE(Painted.empty()) << "drawn when the update ends";
  Edit->EndUpdate();
  UpdateWindow(Wnd);
  EXPECT_FALSE(Painted.empty());
  Edit->RemoveWindowHook(Hook);
  EXPECT_EQ(Edit->Text(), Lines(1300, L"new", L"\r\n"));
  EXPECT_EQ(Changes, 1);
  POINT Now{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Now));
  EXPECT_EQ(Now.y, Scroll.y) << "the view stays";
  EXPECT_FALSE(IsWindowEnabled(Wnd));
  EXPECT_NE(SendMessageW(Wnd, EM_GETMODIFY, 0, 0), 0);
  EXPECT_EQ(SendMessageW(Wnd, EM_CANUNDO, 0, 0), 0);
  EXPECT_EQ(GetWindow(Wnd, GW_HWNDPREV), Before->Handle());
  // A text of few lines is set in the window it is in.
  Edit->SetText(L"short");
  HWND Short = Edit->Handle();
  EXPECT_NE(Short, Wnd) << "the text of many lines went with its window";
  Edit->SetText(L"shorter");
  EXPECT_EQ(Edit->Handle(), Short);
  EXPECT_EQ(Edit->Text(), L"shorter");
}

TEST_F(FormTest, RichEditWithoutTextDocumentEditsThroughTheSelection) {
  TRichEdit* Edit = ShownRichEdit(Form);
  HWND Wnd = Edit->Handle();
  auto Token = Edit->AddWindowHook([](TMessage& M, const TWndNext& Next) {
    if (M.Msg == EM_GETOLEINTERFACE) {
      M.Result = 0;
      return;
    }
    Next(M);
  });
  ASSERT_FALSE(Edit->EditsRanges());
  SendMessageW(Wnd, EM_LINESCROLL, 0, 10);
  POINT Scroll{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&Scroll));
  CHARRANGE Sel{300, 305};
  SendMessageW(Wnd, EM_EXSETSEL, 0, LPARAM(&Sel));
  RECT Client;
  GetClientRect(Wnd, &Client);
  std::vector<RECT> Painted;
  auto PaintToken = RecordPaints(Edit, Painted);
  Edit->BeginUpdate();
  Edit->ReplaceControlRange(6, 3, L"[abcdef]");
  Edit->ReplaceControlRange(700, 3, L"---");
  Edit->EndUpdate();
  Edit->Update();
  EXPECT_EQ(Edit->Line(0), L"line 0[abcdef]] text");
  EXPECT_EQ(Selection(Edit).cpMin, 305);
  EXPECT_EQ(Selection(Edit).cpMax, 310);
  POINT After{};
  SendMessageW(Wnd, EM_GETSCROLLPOS, 0, LPARAM(&After));
  EXPECT_EQ(After.y, Scroll.y);
  ASSERT_FALSE(Painted.empty());
  EXPECT_EQ(Painted.back().top, Client.top);
  EXPECT_EQ(Painted.back().bottom, Client.bottom);
  Edit->RemoveWindowHook(PaintToken);
  Edit->RemoveWindowHook(Token);
}

TEST_F(FormTest, ProgressBarStylesStateAndBorderWidth) {
  auto* Bar = new TProgressBar(Form);
  Bar->SetParent(Form);
  Form->HandleNeeded();
  Bar->SetPosition(40);
  Bar->SetOrientation(pbVertical);
  Bar->SetSmooth(true);
  HWND W = Bar->Handle();
  EXPECT_TRUE(GetWindowLongW(W, GWL_STYLE) & PBS_VERTICAL);
  EXPECT_TRUE(GetWindowLongW(W, GWL_STYLE) & PBS_SMOOTH);
  EXPECT_EQ(SendMessageW(W, PBM_GETPOS, 0, 0), 40) << "the new window keeps the position";
  Bar->SetStyle(pbstMarquee);
  EXPECT_TRUE(GetWindowLongW(Bar->Handle(), GWL_STYLE) & PBS_MARQUEE);
  Bar->SetState(pbsError);
  EXPECT_EQ(Bar->State(), pbsError);
  Bar->SetBorderWidth(-3);
  EXPECT_EQ(Bar->BorderWidth(), 0);
  Bar->SetBorderWidth(2);
  EXPECT_EQ(Bar->BorderWidth(), 2);
}
