// The look of the built-in shadows, as code: distance from a rounded window rectangle, turned
// into alpha with a smooth fall-off.
#include "skin/images/shadows/kvShadowArt.h"

#include <algorithm>
#include <cmath>

#include "skin/images/kvShadows.h"

TBitmap32 DrawShadowImage(bool Active) {
  constexpr int Size = 32;
  constexpr double Radius = 4;
  // An active window casts a deeper, wider shadow; light comes from slightly above.
  const double Strength = Active ? 0.42 : 0.24;
  const double Spread = Active ? 8.5 : 6.0;
  const double DropY = Active ? 1.5 : 1.0;
  const double L = DefaultShadowMargin, T = DefaultShadowMargin + DropY;
  const double R = Size - DefaultShadowMargin, B = Size - DefaultShadowMargin + DropY;
  TBitmap32 Bmp(Size, Size);
  for (int Y = 0; Y < Size; ++Y)
    for (int X = 0; X < Size; ++X) {
      // Distance from the pixel centre to the rounded rectangle (0 inside it).
      const double PX = X + 0.5, PY = Y + 0.5;
      const double DX = std::max({L + Radius - PX, 0.0, PX - (R - Radius)});
      const double DY = std::max({T + Radius - PY, 0.0, PY - (B - Radius)});
      const double D = std::max(0.0, std::hypot(DX, DY) - Radius);
      const double Fall = D >= Spread ? 0.0 : std::pow(1.0 - D / Spread, 2.2);
      const int Alpha = int(std::lround(255 * Strength * Fall));
      Bmp.Pixel(X, Y) = uint32_t(std::clamp(Alpha, 0, 255)) << 24; // black
    }
  return Bmp;
}
