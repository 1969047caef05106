// System colours without a system: the classic Windows defaults, for the platform-free build.
#include "base/kvTypes.h"
#include <iterator>

namespace {
// Indexed by the system colour index (COLOR_SCROLLBAR = 0 ... COLOR_MENUBAR = 30), 0x00BBGGRR.
constexpr TColor kClassicColors[31] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xFF9933, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xE1FFFF, 0xB5B5B5, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xFF9933, 0xF0F0F0};
} // namespace

TColor ColorToRGB(TColor Color) {
  if ((Color & 0xFF000000u) != clSystemColor) return Color;
  unsigned Index = Color & 0xFF;
  return Index < std::size(kClassicColors) ? kClassicColors[Index] : clBlack;
}
