// Glow windows: a layered, click-through window of tag -98 around a hot element (a caption
// button or a control) showing the skin's glow image as a nine-slice border with per-pixel
// alpha, just above the element's window.
#pragma once

#include <windows.h>

#include <string>

#include "base/kvTypes.h"
#include "skin/manager/sSkinManager.h"

// What a glow goes around: the element's rectangle (screen coordinates), the part of it that is
// visible (relative to the element; empty: all of it), the section and the glow image's name
// (the image is Name + "0"), the margin the glow reaches into the element, the alpha and the
// window it lies over.
struct TkvGlowRequest {
  TRect R;
  TRect Visible;
  std::string Section;
  std::string Name;
  int Margin = 0;
  uint8_t Alpha = 255;
  HWND Owner = nullptr;
};

// Shows a glow; answers its identifier, or -1 without layered windows, without the image, or
// when the glow would have no size. Identifiers are never reused, so an identifier kept after
// its glow went (HideAllGlows) finds nothing.
int ShowGlow(TsSkinManager& M, const TkvGlowRequest& Request);
// Removes one glow and sets the identifier to -1; an unknown identifier is ignored.
void HideGlow(int& ID);
// Removes every glow.
void HideAllGlows();
// The glow window of an identifier (null when it is gone), and the number of glows shown.
HWND GlowWindow(int ID);
int GlowCount();
// Set while glow windows are destroyed, so that the window hook does not react to them.
extern bool GlowsDestroying;

// Installs the glows as the hover glows of skinned controls.
void InstallControlGlows();
