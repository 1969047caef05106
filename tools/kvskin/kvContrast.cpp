// Contrast of a skin's font colours against their grounds.
#include "tools/kvskin/kvContrast.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "skin/data/sSkinModel.h"

namespace {

double Linear(uint8_t Channel) {
  double C = Channel / 255.0;
  return C <= 0.03928 ? C / 12.92 : std::pow((C + 0.055) / 1.055, 2.4);
}

// A plain colour: system colours are turned into their RGB value, and only the low 24 bits
// count.
TColor Plain(TColor C) {
  return ColorToRGB(C) & 0xFFFFFF;
}

// The painter's tint: the gradient keeps Percent of each channel, the section colour the rest.
TColor Mixed(TColor Grad, TColor Color, int Percent) {
  if (Percent >= 100) return Grad;
  auto Ch = [&](int Shift) {
    int G = (Grad >> Shift) & 0xFF, C = (Color >> Shift) & 0xFF;
    return TColor((G * Percent + C * (100 - Percent) + 50) / 100) << Shift;
  };
  return Ch(0) | Ch(8) | Ch(16);
}

std::string Hex(TColor C) {
  char Buf[8];
  std::snprintf(Buf, sizeof Buf, "#%02X%02X%02X", unsigned(RValue(C)), unsigned(GValue(C)),
                unsigned(BValue(C)));
  return Buf;
}

} // namespace

double RelativeLuminance(TColor Color) {
  TColor C = Plain(Color);
  return 0.2126 * Linear(RValue(C)) + 0.7152 * Linear(GValue(C)) + 0.0722 * Linear(BValue(C));
}

double ContrastRatio(TColor A, TColor B) {
  double La = RelativeLuminance(A), Lb = RelativeLuminance(B);
  if (La < Lb) std::swap(La, Lb);
  return (La + 0.05) / (Lb + 0.05);
}

std::vector<TContrastProblem> CheckTextContrast(const TsSkinModel& Model) {
  std::vector<TContrastProblem> Problems;
  TColor Global = Plain(Model.GetGlobalColor());
  for (const TsGeneralData& G : Model.gd) {
    int States = G.States >= 2 ? 2 : 1;
    for (int State = 0; State < States; ++State) {
      const TsGenState& S = G.Props[size_t(State)];
      TColor Font = Plain(S.FontColor.Color);
      std::vector<TColor> Grounds;
      if (S.Transparency >= 100) {
        Grounds.push_back(Global);
      } else if (S.GradientPercent > 0 && !S.GradientArray.empty()) {
        for (const TsGradPie& P : S.GradientArray) {
          Grounds.push_back(Mixed(Plain(P.Color1), Plain(S.Color), S.GradientPercent));
          Grounds.push_back(Mixed(Plain(P.Color2), Plain(S.Color), S.GradientPercent));
        }
      } else {
        Grounds.push_back(Plain(S.Color));
      }
      // The worst ground of the state is the one reported.
      TContrastProblem Worst{G.ClassName, State, Font, 0, 1e9};
      for (TColor Ground : Grounds) {
        double R = ContrastRatio(Font, Ground);
        if (R < Worst.Ratio) {
          Worst.Ratio = R;
          Worst.Ground = Ground;
        }
      }
      if (Worst.Ratio < MinTextContrast) Problems.push_back(Worst);
    }
  }
  return Problems;
}

std::string ContrastProblemText(const TContrastProblem& P) {
  char Ratio[32];
  std::snprintf(Ratio, sizeof Ratio, "%.2f", P.Ratio);
  return "Section [" + P.Section + "], " + (P.State ? "hot" : "normal") + ": font colour " +
         Hex(P.FontColor) + " on " + Hex(P.Ground) + " has a contrast of " + Ratio +
         " : 1 (at least 4.5 : 1 wanted)";
}
