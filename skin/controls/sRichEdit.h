// The skinned rich edit: the native control keeps its client area (text, caret, selection,
// scrolling); an edit adapter over its window draws the skin's frame and scroll bars, and the
// control takes the skin's ground and text colours.
#pragma once

#include <memory>

#include "skin/controls/kvSBUtils.h"
#include "skin/controls/sCommonData.h"
#include "skin/paint/sGlyphs.h"
#include "toolkit/ComCtrls.h"

// The largest text the editor takes: 16 characters below the largest 32-bit integer.
constexpr LPARAM RichEditTextLimit = 2147483632;

class TsRichEdit : public TRichEdit {
public:
  explicit TsRichEdit(TComponent* AOwner);
  ~TsRichEdit() override;
  const wchar_t* ClassName() const override { return L"TsRichEdit"; }

  TsCtrlSkinData& SkinData() { return *FCommonData; }
  unsigned DisabledKind() const { return FDisabledKind; }
  void SetDisabledKind(unsigned Value);
  // The adapter that paints frame and bars while the control is skinned, else null.
  TkvEditWnd* Adapter() const { return FAdapter.get(); }
  // Makes the window again, keeping the text, the modified flag, the selection and the
  // scroll position.
  void RecreateWnd();

  void WndProc(TMessage& Message) override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;
  void Loaded() override;

protected:
  void CreateWindowHandle() override;
  void RemakeWindow(const std::wstring& NewText) override;
  TColor DrawnTextColor() override;

private:
  void EnsureAdapter();
  void FreeAdapter();
  void HandleSkinCommand(TMessage& Message);
  void EnabledColors();
  void RestoreDesignColors();
  void Print(TMessage& Message);
  // Disabled and skinned, the control keeps drawing in the skin's ink and its pictures are
  // averaged with the ground on the way to the screen or the printing DC: the text comes out
  // halfway between ink and ground without formatting the whole text again for a colour.
  bool BlendsDisabledLook();
  void PaintDisabled();
  std::unique_ptr<TsCtrlSkinData> FCommonData;
  unsigned FDisabledKind = dkBlended;
  std::shared_ptr<TkvEditWnd> FAdapter;
  // The colours of the definition, given back when the skin is dropped.
  TColor FDesignColor;
  TColor FDesignFontColor;
  int FSkinWriting = 0;
};
