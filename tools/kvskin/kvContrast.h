// Readability of a skin's text: the contrast ratio of every section's font colour against the
// colours it is painted on, by the WCAG 2 formula.
#pragma once

#include <string>
#include <vector>

#include "base/kvTypes.h"

class TsSkinModel;

// The relative luminance of a colour (0 black .. 1 white), from its sRGB channels.
double RelativeLuminance(TColor Color);
// (L1 + 0.05) / (L2 + 0.05) with L1 the lighter of the two: 1 for equal colours, 21 for black
// on white.
double ContrastRatio(TColor A, TColor B);

// Text should stand out from its ground by at least this ratio.
constexpr double MinTextContrast = 4.5;

// One font colour on one ground colour that falls short of the minimum.
struct TContrastProblem {
  std::string Section;
  int State = 0; // 0 normal, 1 hot
  TColor FontColor = 0;
  TColor Ground = 0;
  double Ratio = 0;
};

// Checks every section in its normal state and, with two or more states, its hot state. A
// section's ground is its colour; with a gradient, every gradient colour mixed with the section
// colour as the painter mixes them (a gradient share below 100 leaves the rest to the colour).
// A fully see-through state shows its parent, which is taken to be the skin's global colour.
// Textures are not counted: a skin keeps them faint under text.
std::vector<TContrastProblem> CheckTextContrast(const TsSkinModel& Model);

// "Section [EDIT], hot: font colour #1F2A18 on #3F7D25 has a contrast of 2.10 : 1 (at least
// 4.5 : 1 wanted)".
std::string ContrastProblemText(const TContrastProblem& P);
