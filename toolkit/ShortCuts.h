// Keyboard short cuts of menu items: a virtual-key code with the Shift, Ctrl and Alt bits, and
// their texts ("Ctrl+S", "Alt+F4", "Shift+Del") as menus show them and definitions store them.
#pragma once

#include <cstdint>
#include <string>

using TShortCut = uint16_t;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// Shift state bits for ShortCut().
enum TShiftBits : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

// A key (its virtual-key code, 0..255) with a shift state.
TShortCut ShortCut(unsigned Key, unsigned Shift);
// "Ctrl+Shift+Alt+Key" with the modifiers that are set; an empty text for no short cut or a key
// without a name.
std::wstring ShortCutToText(TShortCut ShortCut);
// The short cut of a text written as ShortCutToText writes it (modifiers in any order and case,
// a single letter or digit in either case); scNone when the text is not one.
TShortCut TextToShortCut(const std::wstring& Text);
