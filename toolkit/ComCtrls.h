// Common controls: the progress bar and the rich edit in plain-text mode.
#pragma once

#include <richedit.h>

#include <optional>

#include "base/GdiObjects.h"
#include "toolkit/StdCtrls.h"

struct ITextDocument;

enum TProgressBarOrientation { pbHorizontal, pbVertical };
enum TProgressBarStyle { pbstNormal, pbstMarquee };
enum TProgressBarState { pbsNormal, pbsError, pbsPaused };

// A progress bar with a 32-bit range. Min, Max and Position are kept as set, whatever the
// window shows, so that they can hold any count.
class TProgressBar : public TWinControl {
public:
  explicit TProgressBar(TComponent* AOwner);
  const wchar_t* ClassName() const override { return L"TProgressBar"; }
  int Min() const { return FMin; }
  int Max() const { return FMax; }
  int Position() const { return FPosition; }
  int Step() const { return FStep; }
  void SetMin(int Value);
  void SetMax(int Value);
  void SetPosition(int Value);
  void SetStep(int Value);
  void StepIt() { SetPosition(FPosition + FStep); }
  // Orientation, Smooth and Style are window styles: changing them makes the window again.
  TProgressBarOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TProgressBarOrientation Value);
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value);
  TProgressBarStyle Style() const { return FStyle; }
  void SetStyle(TProgressBarStyle Value);
  // Milliseconds between the marquee's moves.
  int MarqueeInterval() const { return FMarqueeInterval; }
  void SetMarqueeInterval(int Value);
  TProgressBarState State() const { return FState; }
  void SetState(TProgressBarState Value);
  // Pixels between the frame and the progress part.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle() override;

private:
  void UpdateWindowState();
  void RecreateWindow();
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  int FStep = 10;
  TProgressBarOrientation FOrientation = pbHorizontal;
  bool FSmooth = false;
  TProgressBarStyle FStyle = pbstNormal;
  int FMarqueeInterval = 10;
  TProgressBarState FState = pbsNormal;
  int FBorderWidth = 0;
};

// A rich edit in plain-text mode. Its text uses CR LF line breaks, whatever the control keeps
// inside; ranges are given in positions of that text.
class TRichEdit : public TCustomMemo {
public:
  explicit TRichEdit(TComponent* AOwner);
  ~TRichEdit() override;
  const wchar_t* ClassName() const override { return L"TRichEdit"; }
  std::wstring Text() const override;
  // A text of many lines is replaced with the window (see RemakeWindow): the new window shows
  // the new text at its start, unmodified and without history, as the control shows a text
  // set in it.
  void SetText(const std::wstring& Value) override;
  // Replaces Length characters at Position (0-based, in the CR LF text) by NewText, as one
  // edit of the control, without moving the rest of the text in and out.
  void ReplaceRange(size_t Position, size_t Length, const std::wstring& NewText);
  // The same in the control's own positions, where a line break is one character (CR). The
  // edit goes through the control's text object model, on a range of its own: the view stays
  // where it is, and so does the selection on its text (an edit before it moves it along).
  // Where the control offers no text object model, the range is selected and the selection
  // replaced, and the selection and the view are put back afterwards. An edit of the whole text
  // of many lines replaces the window instead (see RemakeWindow). Either way the edit is
  // the program's, not the user's: it marks the text modified and clears the undo history.
  // RemovedLineBreak says whether the replaced characters held a line break, where the caller
  // knows; otherwise they are read back from the control.
  void ReplaceControlRange(size_t Position, size_t Length, const std::wstring& NewText,
                           std::optional<bool> RemovedLineBreak = std::nullopt);
  // Edits between these draw nothing until the end, which repaints only the lines that the
  // edits changed (down to the bottom of the view when a line break came or went; the whole
  // view when the edits went through the selection).
  void BeginUpdate();
  void EndUpdate();
  // Whether edits go through the text object model (false: through the selection).
  bool EditsRanges();
  bool PlainText = true;
  TBoundLabel& BoundLabel() { return FBoundLabel; }
  // Runs OnChange; the control calls it for every change of its text.
  virtual void Change();
  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle() override;
  // Destroys the window and makes a new one showing NewText, in the old one's place among its
  // siblings (the order of keyboard navigation) and with the focus when the old one had it.
  // Wine's control deletes a text line by line, looking each line up from the first, so that
  // emptying a text takes time growing with the square of its lines (a quarter of a second at
  // 2,000 lines, 25 s at 10,000, many minutes at 2 MB); a new window costs a few milliseconds.
  // A descendant that hangs things on the window takes them down and puts them up around it.
  virtual void RemakeWindow(const std::wstring& NewText);
  // Whether the control holds so many lines that a new window replaces its whole text faster
  // than deleting it.
  bool ReplacesWholeTextWithWindow();
  // The colour the control draws its text in: the font's, unless a descendant paints another
  // look over the control's own picture. Handing the control a new text colour formats the
  // whole text again, which takes seconds on a text of megabytes.
  virtual TColor DrawnTextColor() { return Font().Color(); }

private:
  // Gives the control the ground colour and, when it changed, the text colour.
  void ApplyColors();
  // The control's text document, asked for once per window; null when it has none.
  ITextDocument* TextDocument();
  void ReleaseTextDocument();
  // Sets the control's whole text as setting its window text does, a long text in pieces of
  // lines appended one after another: Wine's control takes time growing with the square of the
  // lines to lay out a text given in one piece (about 10 s for 2 MB), and linear time in pieces
  // (under a second). The control should hold few lines (see ReplacesWholeTextWithWindow).
  void LoadText(const std::wstring& Value);
  // An edit of the whole text of many lines, through a new window; false for any other edit.
  bool ReplaceWholeText(size_t Position, size_t Length, const std::wstring& NewText);
  bool ReplaceThroughDocument(size_t Position, size_t Length, const std::wstring& NewText,
                              std::optional<bool> RemovedLineBreak);
  void ReplaceThroughSelection(size_t Position, size_t Length, const std::wstring& NewText,
                               std::optional<bool> RemovedLineBreak);
  // Widens the changed part of the text by an edit of Length characters at Position that
  // left Inserted characters there.
  void NoteChange(size_t Position, size_t Length, size_t Inserted, bool LineBreaks);
  // Where the edits of the update changed what the view shows; false when nothing seen changed.
  bool ChangedLines(RECT& Changed);
  int LineHeight(); // of the control's font
  bool FChangeSeen = false;
  int FUpdateCount = 0;
  POINT FScrollPos{};
  CHARRANGE FSelection{};
  TBoundLabel FBoundLabel{this};
  ITextDocument* FTextDocument = nullptr;
  HWND FDocumentWnd = nullptr; // the window whose document was asked for
  // What the edits of the current update changed: positions [FChangedStart, FChangedEnd) of the
  // text as it is now, how many edits made them, whether a line break was inserted or removed,
  // whether an edit selected its range (the view may have followed), or left an empty selection
  // at it.
  bool FChanged = false;
  size_t FChangedStart = 0;
  size_t FChangedEnd = 0;
  size_t FChangeCount = 0;
  bool FLinesChanged = false;
  bool FSelectionMoved = false;
  bool FSelectionParked = false;
  TColor FAppliedTextColor = clNone; // what the window was last given
  TRegion FPendingPaint;             // what waited to be painted when the update began
};
