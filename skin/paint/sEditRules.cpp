// The decisions of the skinned edit.
#include "skin/paint/sEditRules.h"

#include "skin/pixels/sGraphUtils.h"

std::wstring ShownEditText(const std::wstring& Text, wchar_t PasswordChar) {
  if (PasswordChar == 0) return Text;
  const wchar_t Shown = PasswordChar == L'*' ? L'\x25CF' : PasswordChar;
  std::wstring Result;
  Result.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    bool Pair = Text[i] >= 0xD800 && Text[i] <= 0xDBFF && i + 1 < Text.size() &&
                Text[i + 1] >= 0xDC00 && Text[i + 1] <= 0xDFFF;
    if (Pair) ++i;
    Result += Shown;
  }
  return Result;
}

TColor EditHintColor(TColor FontColor, TColor EditColor) {
  return BlendColors(ColorToRGB(FontColor), ColorToRGB(EditColor), 0.65) & 0xFFFFFF;
}

TRect EditTextRect(const TEditFrame& F, int Width, int Height) {
  const int A = F.BorderSingle ? (F.Ctl3D ? 1 : 0) + F.Bevels + 1 : 0;
  const int S = F.BorderSingle ? 1 : 0;
  return {A + S, A + S, Width - A - S, Height - A};
}

int EditFrameWidth(const TEditFrame& F) {
  int W = F.BorderSingle ? (F.Ctl3D ? 1 : 0) + 1 : 0;
  return W == 0 ? F.Bevels : W;
}
