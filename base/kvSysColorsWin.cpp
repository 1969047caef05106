// System colours on Windows: the system's own current values.
#include <windows.h>
#include "base/kvTypes.h"

TColor ColorToRGB(TColor Color) {
  if ((Color & 0xFF000000u) != clSystemColor) return Color;
  return GetSysColor(int(Color & 0xFF)) & 0xFFFFFF;
}
