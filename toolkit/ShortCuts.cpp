// Keyboard short cuts and their texts.
#include "toolkit/ShortCuts.h"

#include <cwctype>
#include <utility>

namespace {

// Named keys by virtual-key code.
constexpr std::pair<unsigned, const wchar_t*> NamedKeys[] = {
    {0x08, L"BkSp"}, {0x09, L"Tab"},   {0x0D, L"Enter"}, {0x1B, L"Esc"},  {0x20, L"Space"},
    {0x21, L"PgUp"}, {0x22, L"PgDn"},  {0x23, L"End"},   {0x24, L"Home"}, {0x25, L"Left"},
    {0x26, L"Up"},   {0x27, L"Right"}, {0x28, L"Down"},  {0x2D, L"Ins"},  {0x2E, L"Del"},
};

std::wstring KeyName(unsigned Key) {
  for (const auto& [Code, Name] : NamedKeys)
    if (Code == Key) return Name;
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z'))
    return std::wstring(1, wchar_t(Key));
  if (Key >= 0x70 && Key <= 0x87) return L"F" + std::to_wstring(Key - 0x70 + 1); // F1..F24
  return {};
}

bool SameText(const std::wstring& A, const wchar_t* B) {
  size_t i = 0;
  for (; i < A.size() && B[i]; ++i)
    if (std::towupper(A[i]) != std::towupper(B[i])) return false;
  return i == A.size() && !B[i];
}

unsigned KeyOfName(const std::wstring& Name) {
  if (Name.size() == 1) {
    wchar_t C = wchar_t(std::towupper(Name[0]));
    if ((C >= L'0' && C <= L'9') || (C >= L'A' && C <= L'Z')) return unsigned(C);
    return 0;
  }
  for (const auto& [Code, KeyText] : NamedKeys)
    if (SameText(Name, KeyText)) return Code;
  if (Name.size() >= 2 && (Name[0] == L'F' || Name[0] == L'f')) {
    unsigned N = 0;
    for (size_t i = 1; i < Name.size(); ++i) {
      if (Name[i] < L'0' || Name[i] > L'9' || N > 24) return 0;
      N = N * 10 + unsigned(Name[i] - L'0');
    }
    if (N >= 1 && N <= 24) return 0x70 + N - 1;
  }
  return 0;
}

} // namespace

TShortCut ShortCut(unsigned Key, unsigned Shift) {
  if (Key > 0xFF) return scNone;
  TShortCut S = TShortCut(Key);
  if (Shift & ssShift) S |= scShift;
  if (Shift & ssCtrl) S |= scCtrl;
  if (Shift & ssAlt) S |= scAlt;
  return S;
}

std::wstring ShortCutToText(TShortCut S) {
  std::wstring Name = KeyName(S & 0xFF);
  if (Name.empty()) return {};
  std::wstring Text;
  if (S & scCtrl) Text += L"Ctrl+";
  if (S & scShift) Text += L"Shift+";
  if (S & scAlt) Text += L"Alt+";
  return Text + Name;
}

TShortCut TextToShortCut(const std::wstring& Text) {
  TShortCut Mods = 0;
  std::wstring Rest = Text;
  for (;;) {
    size_t Plus = Rest.find(L'+');
    // A lone "+" at the end is no key name: the text is not a short cut.
    if (Plus == std::wstring::npos || Plus == 0) break;
    std::wstring Part = Rest.substr(0, Plus);
    if (SameText(Part, L"Ctrl"))
      Mods |= scCtrl;
    else if (SameText(Part, L"Shift"))
      Mods |= scShift;
    else if (SameText(Part, L"Alt"))
      Mods |= scAlt;
    else
      return scNone;
    Rest = Rest.substr(Plus + 1);
  }
  unsigned Key = KeyOfName(Rest);
  return Key ? TShortCut(Mods | Key) : scNone;
}
