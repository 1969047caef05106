// Adapters of plain push buttons and static texts: the button window keeps its behaviour, its
// face (section, caption, focus mark, disabled look) is composed from the skin; a static text
// is drawn over its parent's skinned background.
#pragma once

#include "skin/controls/kvSBUtils.h"

class TButton;

class TkvBtnWnd : public TkvMainWnd {
public:
  // Section "BUTTON" when none is given.
  bool Create(HWND Wnd, bool Repaint, const std::string& Section, TsSkinManager* Manager,
              TsCommonData* Data) override;
  // 2 pushed, 0 disabled, 1 focused, under the mouse or the default button, else 0.
  int CurrentState() const;
  bool Down() const;
  LONG CtrlStyle() const;
  void Repaint();
  // Composes the face into the cache; false when the parent's background is not ready.
  virtual bool PrepareCache();

protected:
  void kvWndProc(TMessage& Message) override;
  virtual void DrawCaption(HDC DC);
  virtual void DrawGlyph() {}
  virtual TSize GlyphSize() const { return {0, 0}; }
  virtual void DoDrawText(HDC DC, const std::wstring& Text, TRect& R, UINT Flags);
  virtual TRect CaptionRect();
  virtual int MaxCaptionWidth();
  virtual TSize TextRectSize();
  void KV_WMPaint(HDC Given);

private:
  void SetMouseAbove(bool Above);
};

// The adapter of the toolkit's own button.
class TkvButtonWnd : public TkvBtnWnd {
public:
  TButton* Btn() const;
  // The toolkit's button shows no image: the caption has the whole face.
  bool HaveImage() const { return false; }
};

// Static texts of system dialogs: the caption drawn over the parent's background.
class TkvStaticWnd : public TkvMainWnd {
protected:
  void kvWndProc(TMessage& Message) override;
  virtual void KV_WMPaint(HDC Given);
  virtual void PaintText();
};
