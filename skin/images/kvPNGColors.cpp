// The PNG reader's colour manager: row conversions between sample layouts, gamma table and
// gray palettes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "skin/images/kvPNG.h"

namespace {

bool IsIndexedLike(TColorScheme Scheme) {
  return Scheme == csIndexed || Scheme == csG || Scheme == csGA;
}
bool IsIndexedTarget(TColorScheme Scheme) {
  return Scheme == csIndexed || Scheme == csG;
}
bool HasAlphaSample(TColorScheme Scheme) {
  return Scheme == csGA || Scheme == csRGBA || Scheme == csBGRA;
}

// Sample I of a row packed most significant bits first, Bits of 1, 2, 4 or 8.
inline unsigned GetPacked(const uint8_t* Row, unsigned I, unsigned Bits) {
  if (Bits == 8) return Row[I];
  const unsigned PerByte = 8 / Bits;
  const unsigned Shift = 8 - Bits * (I % PerByte + 1);
  return (Row[I / PerByte] >> Shift) & ((1u << Bits) - 1);
}

inline void PutPacked(uint8_t* Row, unsigned I, unsigned Bits, unsigned Value) {
  if (Bits == 8) {
    Row[I] = uint8_t(Value);
    return;
  }
  const unsigned PerByte = 8 / Bits;
  const unsigned Shift = 8 - Bits * (I % PerByte + 1);
  const unsigned Mask = ((1u << Bits) - 1) << Shift;
  uint8_t& Byte = Row[I / PerByte];
  Byte = uint8_t((Byte & ~Mask) | ((Value << Shift) & Mask));
}

inline bool Selected(uint8_t Mask, unsigned I) {
  return Mask & (0x80u >> (I & 7));
}

// A 16-bit sample reduced to 8 bits the way the reader always has: v * 255 div 65535.
inline uint8_t Reduce16(unsigned Value) {
  return uint8_t(Value * 255u / 65535u);
}

} // namespace

// The table of a new manager (main gamma 1, display gamma 2.2), computed once: pictures without
// gAMA never build their own.
TColorManager::TColorManager() {
  static const std::array<uint8_t, 256> DefaultTable = [] {
    std::array<uint8_t, 256> Table{};
    BuildGammaTable(Table, 1.0f, 2.2f);
    return Table;
  }();
  FGammaTable = DefaultTable;
}

void TColorManager::BuildGammaTable(std::array<uint8_t, 256>& Table, float MainGamma,
                                    float DisplayGamma) {
  const double Exponent = 1.0 / (double(MainGamma) * double(DisplayGamma));
  for (int I = 0; I < 256; ++I) {
    // nearbyint rounds ties to even in the default rounding mode.
    const double V = std::nearbyint(std::pow(I / 255.0, Exponent) * 255.0);
    Table[I] = uint8_t(std::clamp(V, 0.0, 255.0));
  }
}

void TColorManager::Error(const std::string& Msg) {
  throw EColorConversionError(Msg);
}

void TColorManager::SetSourceBitsPerSample(uint8_t Value) {
  if (Value < 1 || Value > 16)
    Error("Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
  if (FSourceBPS == Value) return;
  FSourceBPS = Value;
  FChanged = true;
}

void TColorManager::SetTargetBitsPerSample(uint8_t Value) {
  if (Value < 1 || Value > 16)
    Error("Color depth is invalid. Bits per sample must be 1, 2, 4, 8 or 16.");
  if (FTargetBPS == Value) return;
  FTargetBPS = Value;
  FChanged = true;
}

void TColorManager::SetSourceSamplesPerPixel(uint8_t Value) {
  if (Value < 1 || Value > 4)
    Error("Sample count per pixel does not correspond to the given color scheme.");
  if (FSourceSPP == Value) return;
  FSourceSPP = Value;
  FChanged = true;
}

void TColorManager::SetTargetSamplesPerPixel(uint8_t Value) {
  if (Value < 1 || Value > 4)
    Error("Sample count per pixel does not correspond to the given color scheme.");
  if (FTargetSPP == Value) return;
  FTargetSPP = Value;
  FChanged = true;
}

void TColorManager::SetSourceColorScheme(TColorScheme Value) {
  if (FSourceScheme == Value) return;
  FSourceScheme = Value;
  FChanged = true;
}

void TColorManager::SetTargetColorScheme(TColorScheme Value) {
  if (FTargetScheme == Value) return;
  FTargetScheme = Value;
  FChanged = true;
}

void TColorManager::SetSourceOptions(TConvertOptions Value) {
  if (FSourceOptions == Value) return;
  FSourceOptions = Value;
  FChanged = true;
}

void TColorManager::SetTargetOptions(TConvertOptions Value) {
  if (FTargetOptions == Value) return;
  FTargetOptions = Value;
  FChanged = true;
}

// The table is indexed by 8-bit levels: every value that goes through it (gray palette
// entries, PLTE colours, 8-bit and reduced 16-bit channels) is one.
void TColorManager::SetGamma(float MainGamma, float DisplayGamma) {
  FMainGamma = MainGamma > 0 ? MainGamma : 1.0f;
  FDisplayGamma = DisplayGamma > 0 ? DisplayGamma : 2.2f;
  BuildGammaTable(FGammaTable, FMainGamma, FDisplayGamma);
}

std::vector<TColor> TColorManager::CreateGrayscalePalette(bool MinimumIsWhite) const {
  const unsigned Bits = std::min<unsigned>(FTargetBPS, 8);
  const unsigned Entries = 1u << Bits;
  const unsigned Step = 255 / (Entries - 1);
  std::vector<TColor> Palette(Entries);
  for (unsigned I = 0; I < Entries; ++I) {
    const uint8_t Level = Gamma(uint8_t(I * Step));
    Palette[MinimumIsWhite ? Entries - 1 - I : I] = RGBColor(Level, Level, Level);
  }
  return Palette;
}

std::vector<TColor> TColorManager::CreateColorPalette(const uint8_t* const* Sources,
                                                      TColorScheme Scheme, unsigned Count,
                                                      unsigned BitsPerSample, bool Planar) const {
  if ((Scheme != csRGB && Scheme != csBGR) || (BitsPerSample != 8 && BitsPerSample != 16))
    Error("Color conversion failed. Could not find a proper method.");
  const unsigned Bytes = BitsPerSample / 8;
  const bool BigEndian = (FSourceOptions & coNeedByteSwap) != 0;
  auto Level = [&](const uint8_t* P) -> uint8_t {
    if (Bytes == 1) return Gamma(P[0]);
    const unsigned V = BigEndian ? unsigned(P[0] << 8 | P[1]) : unsigned(P[1] << 8 | P[0]);
    return Gamma(uint8_t(V * 255u / 65535u));
  };
  // Offsets of red, green and blue within one entry or plane.
  const unsigned R = Scheme == csRGB ? 0 : 2, B = 2 - R;
  std::vector<TColor> Palette(Count);
  for (unsigned I = 0; I < Count; ++I) {
    const uint8_t* C[3];
    for (unsigned K = 0; K < 3; ++K)
      C[K] = Planar ? Sources[K] + size_t(I) * Bytes : Sources[0] + (size_t(I) * 3 + K) * Bytes;
    Palette[I] = Planar ? RGBColor(Level(C[0]), Level(C[1]), Level(C[2]))
                        : RGBColor(Level(C[R]), Level(C[1]), Level(C[B]));
  }
  return Palette;
}

TPixelFormat TColorManager::GetPixelFormat(int Index) const {
  const unsigned Samples = Index == 0 ? FSourceSPP : FTargetSPP;
  const unsigned Bits = Index == 0 ? FSourceBPS : FTargetBPS;
  switch (Samples) {
  case 1:
    if (Bits == 1) return pf1bit;
    if (Bits <= 4) return pf4bit;
    return pf8bit;
  case 3: return Bits <= 5 ? pf15bit : pf24bit;
  case 4: return Bits >= 8 ? pf32bit : pfCustom;
  default: return pfCustom;
  }
}

void TColorManager::PrepareConversion() {
  FRowConversion = nullptr;
  const bool SourceIndexed = IsIndexedLike(FSourceScheme);
  const bool TargetIndexed = IsIndexedTarget(FTargetScheme);
  if (SourceIndexed != TargetIndexed)
    Error("Conversion between indexed and non-indexed pixel formats is not supported.");
  if (HasAlphaSample(FSourceScheme)) FSourceOptions |= coAlpha;
  if (HasAlphaSample(FTargetScheme)) FTargetOptions |= coAlpha;
  if (SourceIndexed && TargetIndexed) {
    if (FSourceScheme == csIndexed && FTargetScheme == csIndexed && FSourceBPS <= 8 &&
        FTargetBPS <= 8)
      FRowConversion = &TColorManager::RowIndexedToIndexed;
    else if (FSourceScheme == csG && FSourceBPS <= 8 && FTargetBPS <= 8)
      FRowConversion = &TColorManager::RowGrayToGray;
    else if ((FSourceBPS == 8 || FSourceBPS == 16) && FTargetBPS == 8)
      FRowConversion = &TColorManager::RowGrayToGray8;
  } else if ((FSourceScheme == csRGB || FSourceScheme == csRGBA) &&
             (FTargetScheme == csBGR || FTargetScheme == csBGRA) &&
             (FSourceBPS == 8 || FSourceBPS == 16) && FTargetBPS == 8) {
    FRowConversion = &TColorManager::RowRGBToBGR;
  }
  if (!FRowConversion) Error("Color conversion failed. Could not find a proper method.");
  FChanged = false;
}

void TColorManager::ConvertRow(const uint8_t* Source, uint8_t* Target, unsigned Count,
                               uint8_t Mask) {
  if (FChanged) PrepareConversion();
  (this->*FRowConversion)(Source, Target, Count, Mask);
}

void TColorManager::RowGrayToGray(const uint8_t* Source, uint8_t* Target, unsigned Count,
                                  uint8_t Mask) {
  const unsigned S = FSourceBPS, T = FTargetBPS;
  if (S == T && Mask == 0xFF) {
    std::memcpy(Target, Source, (size_t(Count) * S + 7) / 8);
    return;
  }
  const unsigned SMax = (1u << S) - 1, TMax = (1u << T) - 1;
  unsigned K = 0;
  for (unsigned I = 0; I < Count; ++I) {
    if (!Selected(Mask, I)) continue;
    const unsigned V = GetPacked(Source, K++, S);
    PutPacked(Target, I, T, S == T ? V : V * TMax / SMax);
  }
}

void TColorManager::RowIndexedToIndexed(const uint8_t* Source, uint8_t* Target, unsigned Count,
                                        uint8_t Mask) {
  const unsigned S = FSourceBPS, T = FTargetBPS;
  if (S == T && Mask == 0xFF) {
    std::memcpy(Target, Source, (size_t(Count) * S + 7) / 8);
    return;
  }
  unsigned K = 0;
  for (unsigned I = 0; I < Count; ++I) {
    if (!Selected(Mask, I)) continue;
    PutPacked(Target, I, T, GetPacked(Source, K++, S));
  }
}

// Gray or gray-and-alpha of 8 or 16 bits into 8-bit gray levels; alpha is dropped.
void TColorManager::RowGrayToGray8(const uint8_t* Source, uint8_t* Target, unsigned Count,
                                   uint8_t Mask) {
  const unsigned Step = FSourceSPP * (FSourceBPS / 8);
  const bool Wide = FSourceBPS == 16;
  const bool Swap = FSourceOptions & coNeedByteSwap;
  for (unsigned I = 0; I < Count; ++I) {
    if (!Selected(Mask, I)) continue;
    if (Wide)
      Target[I] = Reduce16(Swap ? (Source[0] << 8 | Source[1]) : (Source[1] << 8 | Source[0]));
    else
      Target[I] = Source[0];
    Source += Step;
  }
}

// RGB(A) of 8 or 16 bits into B, G, R(, A) bytes; colour channels through the gamma table.
void TColorManager::RowRGBToBGR(const uint8_t* Source, uint8_t* Target, unsigned Count,
                                uint8_t Mask) {
  const bool SourceAlpha = FSourceScheme == csRGBA;
  const bool TargetAlpha = FTargetScheme == csBGRA;
  const unsigned SourceStep = (SourceAlpha ? 4 : 3) * (FSourceBPS / 8);
  const unsigned TargetStep = TargetAlpha ? 4 : 3;
  const bool UseGamma = FTargetOptions & coApplyGamma;
  const uint8_t* G = FGammaTable.data();

  if (FSourceBPS == 8 && Mask == 0xFF && !UseGamma) {
    if (SourceAlpha && TargetAlpha) {
      for (unsigned I = 0; I < Count; ++I, Source += 4, Target += 4) {
        uint32_t P;
        std::memcpy(&P, Source, 4);
        // R G B A in memory -> B G R A: swap the first and third byte.
        P = (P & 0xFF00FF00u) | ((P & 0xFFu) << 16) | ((P >> 16) & 0xFFu);
        std::memcpy(Target, &P, 4);
      }
      return;
    }
    if (!SourceAlpha && !TargetAlpha) {
      for (unsigned I = 0; I < Count; ++I, Source += 3, Target += 3) {
        Target[0] = Source[2];
        Target[1] = Source[1];
        Target[2] = Source[0];
      }
      return;
    }
  }

  const bool Wide = FSourceBPS == 16;
  const bool Swap = FSourceOptions & coNeedByteSwap;
  auto Sample = [&](const uint8_t* P, unsigned Index) -> uint8_t {
    if (!Wide) return P[Index];
    const uint8_t* Q = P + Index * 2;
    return Reduce16(Swap ? (Q[0] << 8 | Q[1]) : (Q[1] << 8 | Q[0]));
  };
  for (unsigned I = 0; I < Count; ++I) {
    if (!Selected(Mask, I)) continue;
    uint8_t* T = Target + size_t(I) * TargetStep;
    uint8_t R = Sample(Source, 0), Gr = Sample(Source, 1), B = Sample(Source, 2);
    if (UseGamma) {
      R = G[R];
      Gr = G[Gr];
      B = G[B];
    }
    T[0] = B;
    T[1] = Gr;
    T[2] = R;
    if (TargetAlpha) T[3] = SourceAlpha ? Sample(Source, 3) : 255;
    Source += SourceStep;
  }
}
