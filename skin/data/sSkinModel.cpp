// The in-memory model of a loaded skin.
#include "skin/data/sSkinModel.h"

#include <stdexcept>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <system_error>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sMaskData.h"
#include "skin/pixels/sGraphUtils.h"

namespace {

// The text a key holds when a section marks it as "not set" for the string reader.
const char* const kUnset = "?";

} // namespace

bool TkvImageSource::Find(const std::string& Name, TBytes& Bytes) const {
  if (Name.empty()) return false;
  if (Package) {
    const TkvImageItem* Item = Package->FindImage(Name);
    if (!Item || !Item->FileStream) return false;
    Bytes.Data = Item->FileStream->Memory();
    Bytes.Size = Item->FileStream->Bytes().size();
    return true;
  }
  namespace fs = std::filesystem;
  std::string Full = Name.find(':') != std::string::npos ? Name : SkinPath + Name;
#ifndef _WIN32
  for (char& c : Full)
    if (c == '\\') c = '/';
#endif
  std::error_code Ec;
  fs::path P(Full);
  if (!fs::is_regular_file(P, Ec)) {
#ifdef _WIN32
    return false;
#else
    // File names are compared without regard to letter case, as the skins' own system does.
    std::string Found =
        FindFileNoCase(P.parent_path().empty() ? std::string(".") : P.parent_path().string(),
                       P.filename().string());
    if (Found.empty()) return false;
    P = Found;
#endif
  }
  try {
    Bytes.Owned = ReadWholeFile(P.string());
    Bytes.Data = Bytes.Owned.data();
    Bytes.Size = Bytes.Owned.size();
  } catch (const EStreamError&) {
    return false;
  }
  return true;
}

std::vector<std::string> TsSkinModel::CleanCommonSections(const std::vector<std::string>& Lines) {
  std::vector<std::string> Out;
  for (std::string L : Lines) {
    if (L.empty() || L[0] != ';') std::erase_if(L, [](char c) { return c == ' ' || c == '\t'; });
    if (!L.empty()) Out.push_back(std::move(L));
  }
  return Out;
}

void TsSkinModel::SetCommonSections(const std::vector<std::string>& Lines) {
  FCommonSections = CleanCommonSections(Lines);
}

void TsSkinModel::Fail(const std::string& Message) {
  if (!CollectProblems) throw ESkinDataError(Message);
  Problems.push_back(Message);
}

void TsSkinModel::Clear() {
  SkinData = TsSkinData{};
  gd.clear();
  ma.clear();
  pa.clear();
  ConstData = TConstantSkinData{};
  MasterBitmap.reset();
  Palette = {};
}

void TsSkinModel::LoadSkin(const TkvMemIniFile& Options, const TkvImageSource& Images) {
  TsSkinModel Fresh;
  Fresh.Manager = Manager;
  Fresh.SizingFrameWidth = SizingFrameWidth;
  Fresh.CollectProblems = CollectProblems;
  Fresh.FCommonSections = FCommonSections;
  Fresh.HueOffset = HueOffset;
  Fresh.Saturation = Saturation;
  Fresh.SkinData.SkinPath = Images.Package ? std::string() : Images.SkinPath;
  const std::string* Version = Options.FindValue(s_GlobalInfo, "VERSION");
  if (Version && !TryStrToFloatDot(*Version, Fresh.SkinData.Version)) {
    Fresh.Note("Section [GLOBALINFO], key VERSION: '" + *Version + "' is not a version number");
    Fresh.SkinData.Version = 0;
  }
  LoadSkinImages(Fresh, Options, Images);
  Fresh.LoadAllGeneralData(Options);
  Fresh.InitConstantIndexes();
  Fresh.ApplyHueOffset(HueOffset);
  Fresh.ApplySaturation(Saturation);
  Fresh.SkinData.Active = true;
  *this = std::move(Fresh);
}

void TsSkinModel::LoadPackedSkin(const TkvSkinConvertor& Package) {
  const TMemoryStream& Options = Package.OptionsOrFail();
  TkvMemIniFile Ini(
      std::string_view(reinterpret_cast<const char*>(Options.Memory()), Options.Bytes().size()));
  LoadSkin(Ini, TkvImageSource(&Package));
}

// ---------------------------------------------------------------------------------------------
// Colour tone

namespace {

// The title-bar button images that keep their hue with BIKEEPHUE 1; with any other value but 0
// only the first three do.
const char* const KeepHueButtons[] = {"BICONCLOSE", "BICLOSEALONE", "SICONCLOSE", "BICONMAX",
                                      "BICONMIN",   "BICONNORM",    "BICONHELP",  "SICONMAX",
                                      "SICONMIN",   "SICONNORM"};
constexpr size_t KeepHueCloseButtons = 3;

} // namespace

void TsSkinModel::ApplyColorTone(int Value, TColor (*ShiftColor)(int, TColor),
                                 void (*ShiftBitmap)(TBitmap32&, int)) {
  if (Value == 0) return;
  // -1 (no shadow) and the key colour mean "no colour" to the painters, as the key pixel does
  // in a bitmap: they stay as they are.
  auto Color = [&](TColor& C) {
    if (C != TColor(-1) && C != clFuchsia) C = ShiftColor(Value, C);
  };
  auto Font = [&](TsFontColor& F) {
    Color(F.Color);
    for (int* Side : {&F.Left, &F.Top, &F.Right, &F.Bottom}) {
      TColor C = TColor(*Side);
      Color(C);
      *Side = int(C);
    }
  };
  auto Gradient = [&](TsGradArray& G) {
    for (TsGradPie& Pie : G) {
      Color(Pie.Color1);
      Color(Pie.Color2);
    }
  };

  // Title-bar buttons that keep their hue: regions of the master bitmap are copied out and back,
  // images of their own are left out.
  struct TKept {
    TRect R;
    TBitmap32 Pixels;
  };
  std::vector<TKept> Kept;
  std::set<const TBitmap32*> Skipped;
  if (SkinData.BIKeepHUE != 0) {
    size_t Count = SkinData.BIKeepHUE == 1 ? std::size(KeepHueButtons) : KeepHueCloseButtons;
    for (size_t i = 0; i < Count; ++i) {
      int Index = GetMaskIndex(s_GlobalInfo, KeepHueButtons[i]);
      if (!IsValidImgIndex(Index)) continue;
      const TsMaskData& M = ma[size_t(Index)];
      if (M.Bmp) {
        Skipped.insert(M.Bmp.get());
        continue;
      }
      if (!MasterBitmap) continue;
      TRect R = M.R.Intersected(MasterBitmap->BoundsRect());
      if (R.IsEmpty()) continue;
      TKept K{R, TBitmap32(R.Width(), R.Height())};
      CopyPixels(K.Pixels, 0, 0, *MasterBitmap, R);
      Kept.push_back(std::move(K));
    }
  }

  if (MasterBitmap) ShiftBitmap(*MasterBitmap, Value);
  for (const TKept& K : Kept)
    CopyPixels(*MasterBitmap, K.R.Left, K.R.Top, K.Pixels, K.Pixels.BoundsRect());
  // An image shared by several regions is shifted once.
  for (TsMaskData& M : ma)
    if (M.Bmp && Skipped.insert(M.Bmp.get()).second) ShiftBitmap(*M.Bmp, Value);

  for (TsGeneralData& G : gd) {
    Color(G.Color);
    Color(G.HotColor);
    Color(G.GlowColor);
    Color(G.HotGlowColor);
    Font(G.FontColor);
    Font(G.HotFontColor);
    Gradient(G.GradientArray);
    Gradient(G.HotGradientArray);
    for (TsGenState& S : G.Props) {
      Color(S.Color);
      Color(S.GlowColor);
      Font(S.FontColor);
      Gradient(S.GradientArray);
    }
  }
  Color(SkinData.Shadow1Color);
  // Entry 3 and the status colours 14..26 keep their meaning whatever the tone.
  for (size_t i = 0; i < Palette.size(); ++i)
    if (i != 3 && (i < 14 || i > 26)) Color(Palette[i]);
}

void TsSkinModel::ApplyHueOffset(int Degrees) {
  ApplyColorTone(Degrees, ShiftHue, ShiftBitmapHue);
}

void TsSkinModel::ApplySaturation(int Amount) {
  ApplyColorTone(Amount, ShiftSaturation, ShiftBitmapSaturation);
}

// ---------------------------------------------------------------------------------------------
// Inherited reading

std::string TsSkinModel::ReadInheritedString(const TkvMemIniFile& Ini, const std::string& Section,
                                             const std::string& Key,
                                             const std::string& Default) const {
  std::set<std::string> Visited;
  std::string Current = Section;
  for (;;) {
    const std::string* V = Ini.FindValue(Current, Key);
    if (V && *V != kUnset) return *V;
    Visited.insert(Current);
    std::string Parent = Ini.ReadString(Current, s_ParentClass, kUnset);
    if (Parent.empty() || Parent == kUnset || Visited.count(Parent)) return Default;
    Current = Parent;
  }
}

int TsSkinModel::ReadInheritedInteger(const TkvMemIniFile& Ini, const std::string& Section,
                                      const std::string& Key, int Default) const {
  std::set<std::string> Visited;
  std::string Current = Section;
  for (;;) {
    int V = Ini.ReadInteger(Current, Key, -1);
    if (V != -1) return Current == Section ? V : int(ColorToRGB(TColor(V)));
    Visited.insert(Current);
    std::string Parent = Ini.ReadString(Current, s_ParentClass, kUnset);
    if (Parent.empty() || Parent == kUnset || Visited.count(Parent)) return Default;
    Current = Parent;
  }
}

// ---------------------------------------------------------------------------------------------
// Sections

void TsSkinModel::ReadSkinWideData(const TkvMemIniFile& Ini) {
  auto Int = [&](const char* Key, int Default) {
    int V = Ini.ReadInteger(s_GlobalInfo, Key, -1);
    return V == -1 ? Default : V;
  };
  TsSkinData& D = SkinData;
  D.Author = Ini.ReadString(s_GlobalInfo, "AUTHOR", "");
  D.Description = Ini.ReadString(s_GlobalInfo, "DESCRIPTION", "");
  D.ExBorderWidth = Int("BORDERWIDTH", 4);
  D.ExTitleHeight = Int("TITLEHEIGHT", 30);
  if (D.ExTitleHeight == 0) D.ExTitleHeight = 30;
  D.ExMaxHeight = Int("MAXHEIGHT", 0);
  if (D.ExMaxHeight == 0) D.ExMaxHeight = D.ExTitleHeight;
  D.ExContentOffs = Int("FORMOFFSET", SizingFrameWidth);
  D.ExShadowOffs = Int("ALIGNOFFSET", 0);
  D.ExCenterOffs = Int("CENTEROFFSET", 0);
  D.ExDrawMode = Int("BORDERMODE", 0);
  D.Shadow1Color = TColor(Int("SHADOW1COLOR", 0));
  D.Shadow1Offset = Int("SHADOW1OFFSET", 0);
  D.Shadow1Blur = Int("SHADOW1BLUR", -1);
  D.Shadow1Transparency = Int("SHADOW1TRANSPARENCY", 0);
  D.BISpacing = Int("BISPACE", 0);
  D.BIVAlign = Int("BIVALIGN", 0);
  D.BIRightMargin = Int("BIRIGHT", 0);
  D.BILeftMargin = Int("BILEFT", 0);
  D.BITopMargin = Int("BITOP", 0);
  D.BIKeepHUE = Int("BIKEEPHUE", 0);
  D.BICloseGlow = Int("BICONCLOSEGLOW", 0);
  D.BICloseGlowMargin = Int("BICONCLOSEGLOWMARGIN", 0);
  D.BIMaxGlow = Int("BICONMAXGLOW", 0);
  D.BIMaxGlowMargin = Int("BICONMAXGLOWMARGIN", 0);
  D.BIMinGlow = Int("BICONMINGLOW", 0);
  D.BIMinGlowMargin = Int("BICONMINGLOWMARGIN", 0);
  D.UseAeroBluring = Int("AEROBLUR", 0) != 0;
}

namespace {

uint8_t ToByte(int V) {
  return uint8_t(std::clamp(V, 0, 255));
}

// Gradient text and percent of one state: "N/A" or a text shorter than 2 characters is no
// gradient. Returns the error of a malformed text, or an empty string.
std::string ReadGradient(const std::string& Section, const char* Key, const std::string& Data,
                         int& Percent, TsGradArray& Array) {
  Array.clear();
  if (Data.size() < 2 || Data == "N/A") {
    Percent = 0;
    return {};
  }
  try {
    ParseGradientData(Data, Array);
  } catch (const std::invalid_argument& E) {
    Array.clear();
    return "Section [" + Section + "], key " + Key + ": " + E.what();
  }
  return {};
}

} // namespace

void TsSkinModel::ReadSection(const TkvMemIniFile& Ini, const std::string& Section,
                              TsGeneralData& Gd, const TkvMemIniFile* Common) {
  // Where each key comes from: the section (with its parents), or for a common section the
  // common text, then the skin's section it names as parent, then the default.
  std::string SkinSection = Section;
  if (Common) {
    std::string Parent = UpperCaseAscii(Common->ReadString(Section, s_ParentClass, ""));
    SkinSection.clear();
    for (const TkvMemIniFile::TSection& S : Ini.Sections())
      if (UpperCaseAscii(S.Name) == Parent) {
        SkinSection = S.Name;
        break;
      }
    Gd.ParentClass = SkinSection;
  } else {
    Gd.ParentClass = Ini.ReadString(Section, s_ParentClass, "");
  }
  auto Str = [&](const char* Key, const std::string& Default) -> std::string {
    if (Common) {
      if (const std::string* V = Common->FindValue(Section, Key)) return *V;
      if (SkinSection.empty()) return Default;
    }
    return ReadInheritedString(Ini, SkinSection, Key, Default);
  };
  auto Int = [&](const char* Key, int Default) -> int {
    if (Common) {
      int V = Common->ReadInteger(Section, Key, -1);
      if (V != -1) return V;
      if (SkinSection.empty()) return Default;
    }
    return ReadInheritedInteger(Ini, SkinSection, Key, Default);
  };
  auto Bool = [&](const char* Key) { return IsTrueText(Str(Key, "0")); };
  auto Font = [&](const char* Color, const char* L, const char* T, const char* R, const char* B) {
    return TsFontColor{TColor(Int(Color, 0)), Int(L, -1), Int(T, -1), Int(R, -1), Int(B, -1)};
  };

  Gd.ClassName = Section;
  Gd.Color = ColorToRGB(TColor(Int("COLOR", int(clWhite))));
  Gd.ReservedBoolean = Bool("RESERVEDBOOLEAN");
  Gd.GiveOwnFont = Bool("GIVEOWNFONT");
  Gd.GlowCount = Int("GLOW", 0);
  Gd.GlowMargin = Int("GLOWMARGIN", 0);
  Gd.FontColor = Font("FONTCOLOR", "TCLEFT", "TCTOP", "TCRIGHT", "TCBOTTOM");
  Gd.Transparency = Int("TRANSPARENCY", 0);
  Gd.GradientPercent = Int("GRADIENTPERCENT", 0);
  Gd.ImagePercent = Int("IMAGEPERCENT", 0);
  Gd.GradientData = Str("GRADIENTDATA", " ");
  Gd.ShowFocus = Bool("SHOWFOCUS");
  Gd.FadingEnabled = Bool("FADINGENABLED");
  Gd.FadingIterations = Int("FADINGITERATIONS", 5);
  Gd.GlowColor = ColorToRGB(TColor(Int("GCOL", int(clWhite))));
  Gd.GlowSize = ToByte(Int("GSIZE", 0));
  if (std::string E = ReadGradient(Section, "GRADIENTDATA", Gd.GradientData, Gd.GradientPercent,
                                   Gd.GradientArray);
      !E.empty())
    Fail(E);

  TsGenState& N = Gd.Props[0];
  N.Color = Gd.Color;
  N.FontColor = Gd.FontColor;
  N.GlowColor = Gd.GlowColor;
  N.GlowSize = Gd.GlowSize;
  N.GradientPercent = Gd.GradientPercent;
  N.GradientData = Gd.GradientData;
  N.GradientArray = Gd.GradientArray;
  N.ImagePercent = Gd.ImagePercent;
  N.Transparency = Gd.Transparency;

  Gd.States = Int("STATES", 3);
  if (Gd.States < 2) {
    Gd.Props[1] = Gd.Props[0];
    return;
  }
  Gd.HotFontColor = Font("HOTFONTCOLOR", "HOTTCLEFT", "HOTTCTOP", "HOTTCRIGHT", "HOTTCBOTTOM");
  Gd.HotGlowColor = ColorToRGB(TColor(Int("HGCOL", int(clWhite))));
  Gd.HotGlowSize = ToByte(Int("HGSIZE", 0));
  Gd.HotColor = TColor(Int("HOTCOLOR", int(clWhite)));
  Gd.HotTransparency = Int("HOTTRANSPARENCY", 0);
  Gd.HotGradientPercent = Int("HOTGRADIENTPERCENT", 0);
  Gd.HotGradientData = Str("HOTGRADIENTDATA", "");
  Gd.HotImagePercent = Int("HOTIMAGEPERCENT", 0);
  if (std::string E = ReadGradient(Section, "HOTGRADIENTDATA", Gd.HotGradientData,
                                   Gd.HotGradientPercent, Gd.HotGradientArray);
      !E.empty())
    Fail(E);
  TsGenState& H = Gd.Props[1];
  H.Color = Gd.HotColor;
  H.FontColor = Gd.HotFontColor;
  H.GlowColor = Gd.HotGlowColor;
  H.GlowSize = Gd.HotGlowSize;
  H.GradientPercent = Gd.HotGradientPercent;
  H.GradientData = Gd.HotGradientData;
  H.GradientArray = Gd.HotGradientArray;
  H.ImagePercent = Gd.HotImagePercent;
  H.Transparency = Gd.HotTransparency;
}

void TsSkinModel::MergeCommonSections(const TkvMemIniFile& Skin) {
  if (FCommonSections.empty()) return;
  TkvMemIniFile Common;
  Common.SetLines(FCommonSections);
  for (const TkvMemIniFile::TSection& S : Common.Sections()) {
    if (Common.FindSection(S.Name) != &S) continue; // a repeated section reads as the first
    TsGeneralData Gd;
    ReadSection(Skin, S.Name, Gd, &Common);
    int Index = GetSkinIndex(S.Name);
    if (Index >= 0)
      gd[size_t(Index)] = std::move(Gd);
    else
      gd.push_back(std::move(Gd));
  }
}

void TsSkinModel::LoadAllGeneralData(const TkvMemIniFile& Options) {
  ReadSkinWideData(Options);
  gd.clear();
  gd.reserve(Options.Sections().size());
  for (const TkvMemIniFile::TSection& S : Options.Sections()) {
    gd.emplace_back();
    ReadSection(Options, S.Name, gd.back(), nullptr);
  }
  // Parent chains that come back on themselves are read as if the parent were missing.
  for (const TsGeneralData& G : gd) {
    std::vector<std::string> Chain{G.ClassName};
    std::string Parent = G.ParentClass;
    while (!Parent.empty() && Parent != Chain.back()) {
      if (std::find(Chain.begin(), Chain.end(), Parent) != Chain.end()) {
        // Each cycle is reported once, from its first member in name order.
        if (Parent == G.ClassName && Chain.size() > 1 &&
            *std::min_element(Chain.begin(), Chain.end()) == G.ClassName) {
          std::string Text;
          for (const std::string& C : Chain)
            Text += C + " -> ";
          Note("Section [" + G.ClassName + "]: PARENTCLASS chain " + Text + Parent + " is a cycle");
        }
        break;
      }
      Chain.push_back(Parent);
      Parent = Options.ReadString(Parent, s_ParentClass, "");
    }
  }
  MergeCommonSections(Options);
  InitMaskIndexes();
  FillPalette(Options);
}

void TsSkinModel::FillPalette(const TkvMemIniFile& Ini) {
  auto Key = [&](const char* Name, TColor Default) {
    int V = Ini.ReadInteger(s_GlobalInfo, Name, -1);
    return V == -1 ? Default : TColor(V);
  };
  TkvPaletteArray& P = Palette;
  P[0] = Key("COLOR", ColorToRGB(clBtnFace));
  P[1] = Key("FONTCOLOR", 0);
  P[2] = Key("TCBOTTOM", 0xFF0000);
  P[3] = Key("TCTOP", 0x0000FF);
  int Edit = GetSkinIndex("EDIT");
  P[4] =
      Edit >= 0 ? ColorToRGB(gd[size_t(Edit)].Props[0].FontColor.Color) : ColorToRGB(clWindowText);
  P[5] = Edit >= 0 ? ColorToRGB(gd[size_t(Edit)].Props[0].Color) : ColorToRGB(clWindow);
  int Sel = GetSkinIndex("SELECTION");
  TColor SelFont = Sel >= 0 ? gd[size_t(Sel)].Props[0].FontColor.Color : clFuchsia;
  if (Sel >= 0 && SelFont != TColor(-1) && SelFont != clFuchsia) {
    const TsGeneralData& S = gd[size_t(Sel)];
    const TsGenState& Hot = S.Props[S.States < 2 ? 0 : 1];
    P[6] = ColorToRGB(S.Props[0].Color);
    P[7] = ColorToRGB(S.Props[0].FontColor.Color);
    P[8] = ColorToRGB(Hot.Color);
    P[9] = ColorToRGB(Hot.FontColor.Color);
  } else if (int Menu = GetSkinIndex("MENUITEM"); Menu >= 0) {
    const TsGenState& Hot = gd[size_t(Menu)].Props[1];
    TColor Font = Hot.FontColor.Color;
    P[7] =
        (Font == TColor(-1) || Font == clFuchsia) ? ColorToRGB(clHighlightText) : ColorToRGB(Font);
    P[6] = P[8] = ColorToRGB(Hot.Color);
    P[9] = P[7];
  } else {
    P[7] = P[9] = ColorToRGB(clHighlightText);
    P[6] = P[8] = ColorToRGB(clHighlight);
  }
  P[10] = Key("EDITBG_INV", P[4]);
  P[11] = Key("EDITTEXT_INV", P[5]);
  P[12] = Key("EDITBG_ODD", P[5]);
  auto Mix = [&](int Shift) {
    double V = 0.05 * ((P[4] >> Shift) & 0xFF) + 0.95 * ((P[5] >> Shift) & 0xFF);
    return TColor(std::nearbyint(V)) << Shift; // rounds half to even
  };
  P[13] = Key("EDITBG_EVEN", Mix(0) | Mix(8) | Mix(16));
  P[14] = Key("EDITTEXT_OK", 0x008000);
  P[15] = Key("EDITTEXT_WARN", 0x008484);
  P[16] = Key("EDITTEXT_ALERT", 0x0000FF);
  P[17] = Key("EDITTEXT_ALERT", 0x8597D9);
  P[18] = Key("EDITTEXT_ALERT", 0x4AB28F);
  P[19] = Key("EDITBG_OK", 0x6CC2A5);
  P[20] = Key("EDITBG_WARN", 0x40FFFF);
  P[21] = Key("EDITBG_ALERT", 0x95A7E9);
  P[22] = Key("EDITBG_ALERT", 0x8597D9);
  P[23] = Key("EDITBG_ALERT", 0x4AB28F);
  P[24] = Key("EDITTEXT_H1", 0);
  P[25] = Key("EDITTEXT_H2", 0);
  P[26] = Key("EDITTEXT_H3", 0);
  P[27] = Key("BORDERCOLOR", 0);
}

int TsSkinModel::GetSkinIndex(const std::string& SkinSection) const {
  if (SkinSection.empty()) return -1;
  for (size_t i = 0; i < gd.size(); ++i)
    if (gd[i].ClassName == SkinSection) return int(i);
  return -1;
}

std::vector<std::string> TsSkinModel::GetSkinSections() const {
  std::vector<std::string> Names;
  if (!SkinData.Active) return Names;
  for (const TsGeneralData& G : gd)
    Names.push_back(G.ClassName);
  return Names;
}

std::string TsSkinModel::SkinInfo() const {
  return SkinData.Active ? FloatToStrDot(SkinData.Version) : "N/A";
}

// ---------------------------------------------------------------------------------------------
// Images

int TsSkinModel::GetMaskIndex(const std::string& SkinSection, const std::string& Mask) const {
  if (SkinSection.empty()) return -1;
  for (size_t i = 0; i < ma.size(); ++i)
    if (ma[i].ClassName == SkinSection && ma[i].PropertyName == Mask) return int(i);
  return -1;
}

namespace {
// Follows the parent chain of a section until Match finds something; a chain that comes back
// to a section already visited gives -1.
template <typename TMatch>
int LookUpWithParents(const TsSkinModel& M, int SkinIndex, std::string Section, TMatch Match) {
  std::set<std::string> Visited;
  for (;;) {
    if (SkinIndex < 0 || Section.empty()) return -1;
    int Found = Match(Section);
    if (Found >= 0) return Found;
    Visited.insert(Section);
    if (SkinIndex >= int(M.gd.size())) return -1;
    const std::string& Parent = M.gd[size_t(SkinIndex)].ParentClass;
    if (Parent.empty() || Parent == Section || Visited.count(Parent)) return -1;
    Section = Parent;
    SkinIndex = M.GetSkinIndex(Parent);
  }
}
} // namespace

int TsSkinModel::GetMaskIndex(int SkinIndex, const std::string& SkinSection,
                              const std::string& Mask) const {
  return LookUpWithParents(*this, SkinIndex, SkinSection,
                           [&](const std::string& S) { return GetMaskIndex(S, Mask); });
}

int TsSkinModel::GetTextureIndex(int SkinIndex, const std::string& SkinSection,
                                 const std::string& PropName) const {
  return LookUpWithParents(*this, SkinIndex, SkinSection, [&](const std::string& S) {
    for (size_t i = 0; i < ma.size(); ++i)
      if (ma[i].ImgType == itisaTexture && ma[i].ClassName == S && ma[i].PropertyName == PropName)
        return int(i);
    return -1;
  });
}

int TsSkinModel::GetPatternIndex(int SkinIndex, const std::string& SkinSection,
                                 const std::string& Pattern) const {
  return LookUpWithParents(*this, SkinIndex, SkinSection, [&](const std::string& S) {
    for (size_t i = 0; i < pa.size(); ++i)
      if (pa[i].ClassName == S && pa[i].PropertyName == Pattern) return int(i);
    return -1;
  });
}

int TsSkinModel::MaskWidthLeft(int MaskIndex) {
  if (!IsValidImgIndex(MaskIndex)) return 0;
  TsMaskData& M = ma[size_t(MaskIndex)];
  if (M.ImageCount == 0) M.ImageCount = 1;
  return M.WL > 0 ? M.WL : M.BorderWidth > 0 ? M.BorderWidth : FrameWidth(M);
}

int TsSkinModel::MaskWidthTop(int MaskIndex) const {
  if (!IsValidImgIndex(MaskIndex)) return 0;
  const TsMaskData& M = ma[size_t(MaskIndex)];
  return M.WT > 0 ? M.WT : M.BorderWidth > 0 ? M.BorderWidth : FrameHeight(M);
}

int TsSkinModel::MaskWidthRight(int MaskIndex) const {
  if (!IsValidImgIndex(MaskIndex)) return 0;
  const TsMaskData& M = ma[size_t(MaskIndex)];
  return M.WR > 0 ? M.WR : M.BorderWidth > 0 ? M.BorderWidth : FrameWidth(M);
}

int TsSkinModel::MaskWidthBottom(int MaskIndex) const {
  if (!IsValidImgIndex(MaskIndex)) return 0;
  const TsMaskData& M = ma[size_t(MaskIndex)];
  return M.WB > 0 ? M.WB : M.BorderWidth > 0 ? M.BorderWidth : FrameHeight(M);
}

void TsSkinModel::InitMaskIndexes() {
  for (size_t i = 0; i < gd.size(); ++i) {
    TsGeneralData& G = gd[i];
    if (G.ClassName == s_GlobalInfo) continue;
    int Index = int(i);
    G.BorderIndex = GetMaskIndex(Index, G.ClassName, s_BordersMask);
    G.ImgTL = GetMaskIndex(Index, G.ClassName, "IMGTOPLEFT");
    G.ImgTR = GetMaskIndex(Index, G.ClassName, "IMGTOPRIGHT");
    G.ImgBL = GetMaskIndex(Index, G.ClassName, "IMGBTMLEFT");
    G.ImgBR = GetMaskIndex(Index, G.ClassName, "IMGBTMRIGHT");
    G.TextureNormal = GetTextureIndex(Index, G.ClassName, s_Pattern);
    G.Props[0].TextureIndex = G.TextureNormal;
    if (G.States >= 2) G.Props[1].TextureIndex = GetTextureIndex(Index, G.ClassName, s_HotPattern);
  }
}

void TsSkinModel::InitConstantIndexes() {
  TConstantSkinData& C = ConstData;
  C = TConstantSkinData{};
  auto Mask = [&](int Index, const char* S, const char* K) { return GetMaskIndex(Index, S, K); };
  auto Sec = [&](const char* S) { return GetSkinIndex(S); };

  C.IndexGLobalInfo = Sec(s_GlobalInfo);
  const int G = C.IndexGLobalInfo;
  C.ExBorder = Mask(G, s_GlobalInfo, "EXBORDER");

  C.IndexTabTop = Sec("TABTOP");
  C.IndexTabBottom = Sec("TABBOTTOM");
  C.IndexTabLeft = Sec("TABLEFT");
  C.IndexTabRight = Sec("TABRIGHT");
  // All four tab masks are looked up with the index of TABTOP, as the painters expect.
  C.MaskTabTop = Mask(C.IndexTabTop, "TABTOP", s_BordersMask);
  C.MaskTabBottom = Mask(C.IndexTabTop, "TABBOTTOM", s_BordersMask);
  C.MaskTabLeft = Mask(C.IndexTabTop, "TABLEFT", s_BordersMask);
  C.MaskTabRight = Mask(C.IndexTabTop, "TABRIGHT", s_BordersMask);

  const char* Btn[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};
  int* BtnIndex[4] = {&C.IndexScrollTop, &C.IndexScrollBottom, &C.IndexScrollLeft,
                      &C.IndexScrollRight};
  int* BtnMask[4] = {&C.MaskScrollTop, &C.MaskScrollBottom, &C.MaskScrollLeft, &C.MaskScrollRight};
  int* BtnBG[4] = {&C.IndexBGScrollTop, &C.IndexBGScrollBottom, &C.IndexBGScrollLeft,
                   &C.IndexBGScrollRight};
  int* BtnBGHot[4] = {&C.IndexBGHotScrollTop, &C.IndexBGHotScrollBottom, &C.IndexBGHotScrollLeft,
                      &C.IndexBGHotScrollRight};
  int* Arrow[4] = {&C.MaskArrowTop, &C.MaskArrowBottom, &C.MaskArrowLeft, &C.MaskArrowRight};
  for (int i = 0; i < 4; ++i) {
    *BtnIndex[i] = Sec(Btn[i]);
    *BtnMask[i] = Mask(*BtnIndex[i], Btn[i], s_BordersMask);
    *BtnBG[i] = Mask(*BtnIndex[i], Btn[i], s_Pattern);
    *BtnBGHot[i] = Mask(*BtnIndex[i], Btn[i], s_HotPattern);
    if (*BtnIndex[i] >= 0) *Arrow[i] = Mask(*BtnIndex[i], Btn[i], s_GlyphMask);
  }

  C.MaskCloseBtn = Mask(G, s_GlobalInfo, "BICONCLOSE");
  C.MaskCloseAloneBtn = Mask(G, s_GlobalInfo, "BICLOSEALONE");
  C.MaskMaxBtn = Mask(G, s_GlobalInfo, "BICONMAX");
  C.MaskNormBtn = Mask(G, s_GlobalInfo, "BICONNORM");
  C.MaskMinBtn = Mask(G, s_GlobalInfo, "BICONMIN");
  C.MaskHelpBtn = Mask(G, s_GlobalInfo, "BICONHELP");
  C.MaskCloseSmall = Mask(G, s_GlobalInfo, "SICONCLOSE");
  C.MaskMaxSmall = Mask(G, s_GlobalInfo, "SICONMAX");
  C.MaskNormSmall = Mask(G, s_GlobalInfo, "SICONNORM");
  C.MaskMinSmall = Mask(G, s_GlobalInfo, "SICONMIN");
  C.MaskHelpSmall = Mask(G, s_GlobalInfo, "SICONHELP");

  C.IndexSliderVert = Sec("SCROLLSLIDERV");
  C.IndexSliderHorz = Sec("SCROLLSLIDERH");
  C.MaskSliderVert = Mask(C.IndexSliderVert, "SCROLLSLIDERV", s_BordersMask);
  C.MaskSliderHorz = Mask(C.IndexSliderHorz, "SCROLLSLIDERH", s_BordersMask);
  if (C.IndexSliderVert >= 0)
    C.MaskSliderGlyphVert = Mask(C.IndexSliderVert, "SCROLLSLIDERV", s_GlyphMask);
  if (C.IndexSliderHorz >= 0)
    C.MaskSliderGlyphHorz = Mask(C.IndexSliderHorz, "SCROLLSLIDERH", s_GlyphMask);
  C.ScrollSliderBGHorz = Mask(C.IndexSliderHorz, "SCROLLSLIDERH", s_Pattern);
  C.ScrollSliderBGHotHorz = Mask(C.IndexSliderHorz, "SCROLLSLIDERH", s_HotPattern);
  C.ScrollSliderBGVert = Mask(C.IndexSliderVert, "SCROLLSLIDERV", s_Pattern);
  C.ScrollSliderBGHotVert = Mask(C.IndexSliderVert, "SCROLLSLIDERV", s_HotPattern);

  const char* Bars[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
  int* BarIndex[4] = {&C.IndexScrollBar1H, &C.IndexScrollBar1V, &C.IndexScrollBar2H,
                      &C.IndexScrollBar2V};
  int* BarMask[4] = {&C.MaskScrollBar1H, &C.MaskScrollBar1V, &C.MaskScrollBar2H,
                     &C.MaskScrollBar2V};
  int* BarBG[4] = {&C.BGScrollBar1H, &C.BGScrollBar1V, &C.BGScrollBar2H, &C.BGScrollBar2V};
  int* BarBGHot[4] = {&C.BGHotScrollBar1H, &C.BGHotScrollBar1V, &C.BGHotScrollBar2H,
                      &C.BGHotScrollBar2V};
  for (int i = 0; i < 4; ++i) {
    *BarIndex[i] = Sec(Bars[i]);
    *BarMask[i] = Mask(*BarIndex[i], Bars[i], s_BordersMask);
    *BarBG[i] = Mask(*BarIndex[i], Bars[i], s_Pattern);
    *BarBGHot[i] = Mask(*BarIndex[i], Bars[i], s_HotPattern);
  }

  C.CheckBoxChecked = Mask(G, s_GlobalInfo, "BOXCHECKED");
  C.CheckBoxUnChecked = Mask(G, s_GlobalInfo, "BOXUNCHECKED");
  C.CheckBoxGrayed = Mask(G, s_GlobalInfo, "BOXGRAYED");
  C.RadioButtonChecked = Mask(G, s_GlobalInfo, "RADIOCHECKED");
  C.RadioButtonUnChecked = Mask(G, s_GlobalInfo, "RADIOUNCHECKED");
  C.RadioButtonGrayed = Mask(G, s_GlobalInfo, "RADIOGRAYED");
  C.SmallCheckBoxChecked = Mask(G, s_GlobalInfo, "SMALLCHECKED");
  C.SmallCheckBoxUnChecked = Mask(G, s_GlobalInfo, "SMALLUNCHECKED");
  C.SmallCheckBoxGrayed = Mask(G, s_GlobalInfo, "SMALLGRAYED");

  C.ComboBtnIndex = Sec("COMBOBTN");
  C.ComboBtnBorder = GetMaskIndex("COMBOBTN", s_BordersMask);
  C.ComboBtnBG = GetTextureIndex(C.ComboBtnIndex, "COMBOBTN", s_Pattern);
  C.ComboBtnBGHot = GetTextureIndex(C.ComboBtnIndex, "COMBOBTN", s_HotPattern);
  C.ComboGlyph = GetMaskIndex("COMBOBOX", s_GlyphMask);

  C.GripRightBottom = Mask(G, s_GlobalInfo, "GRIPIMAGE");
  C.GripHorizontal = Mask(G, s_GlobalInfo, "GRIPHORZ");
  C.GripVertical = Mask(G, s_GlobalInfo, "GRIPVERT");
  C.IndexWebBtn = Sec("WEBBUTTON");

  InitMaskIndexes();
}
