// Common controls: the progress bar and the rich edit in plain-text mode.
#pragma once

#include <richedit.h>

#include "toolkit/StdCtrls.h"

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
  const wchar_t* ClassName() const override { return L"TRichEdit"; }
  std::wstring Text() const override;
  void SetText(const std::wstring& Value) override;
  // Replaces Length characters at Position (0-based, in the CR LF text) by NewText, as one
  // edit of the control, without moving the rest of the text in and out.
  void ReplaceRange(size_t Position, size_t Length, const std::wstring& NewText);
  // The same in the control's own positions, where a line break is one character (CR).
  void ReplaceControlRange(size_t Position, size_t Length, const std::wstring& NewText);
  // Edits between these keep the view where it was and draw nothing until the end.
  void BeginUpdate();
  void EndUpdate();
  bool PlainText = true;
  TBoundLabel& BoundLabel() { return FBoundLabel; }
  // Runs OnChange; the control calls it for every change of its text.
  virtual void Change();
  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle() override;

private:
  void ApplyColors();
  bool FChangeSeen = false;
  int FUpdateCount = 0;
  POINT FScrollPos{};
  CHARRANGE FSelection{};
  TBoundLabel FBoundLabel{this};
};
