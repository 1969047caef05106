// kvskin check: loads a whole skin (folder or packed file) the way the engine does, prints its
// sections and image regions and lists every problem found.
#include <algorithm>
#include <filesystem>
#include <set>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sMaskData.h"
#include "skin/data/sSkinModel.h"
#include "tools/kvskin/kvContrast.h"
#include "tools/kvskin/kvskinPaint.h"
#include "tools/kvskin/kvskinTool.h"

namespace fs = std::filesystem;

namespace {

// Keys whose value is a number (a colour, a percent, a count).
const std::set<std::string> kIntegerKeys = {"COLOR",
                                            "GLOW",
                                            "GLOWMARGIN",
                                            "FONTCOLOR",
                                            "TCLEFT",
                                            "TCTOP",
                                            "TCRIGHT",
                                            "TCBOTTOM",
                                            "TRANSPARENCY",
                                            "GRADIENTPERCENT",
                                            "IMAGEPERCENT",
                                            "FADINGITERATIONS",
                                            "GCOL",
                                            "GSIZE",
                                            "STATES",
                                            "HOTFONTCOLOR",
                                            "HOTTCLEFT",
                                            "HOTTCTOP",
                                            "HOTTCRIGHT",
                                            "HOTTCBOTTOM",
                                            "HGCOL",
                                            "HGSIZE",
                                            "HOTCOLOR",
                                            "HOTTRANSPARENCY",
                                            "HOTGRADIENTPERCENT",
                                            "HOTIMAGEPERCENT"};
const std::set<std::string> kGlobalIntegerKeys = {"BORDERWIDTH",
                                                  "TITLEHEIGHT",
                                                  "MAXHEIGHT",
                                                  "FORMOFFSET",
                                                  "ALIGNOFFSET",
                                                  "CENTEROFFSET",
                                                  "BORDERMODE",
                                                  "SHADOW1COLOR",
                                                  "SHADOW1OFFSET",
                                                  "SHADOW1BLUR",
                                                  "SHADOW1TRANSPARENCY",
                                                  "BISPACE",
                                                  "BIVALIGN",
                                                  "BIRIGHT",
                                                  "BILEFT",
                                                  "BITOP",
                                                  "BIKEEPHUE",
                                                  "BICONCLOSEGLOW",
                                                  "BICONCLOSEGLOWMARGIN",
                                                  "BICONMAXGLOW",
                                                  "BICONMAXGLOWMARGIN",
                                                  "BICONMINGLOW",
                                                  "BICONMINGLOWMARGIN",
                                                  "AEROBLUR",
                                                  "EDITBG_INV",
                                                  "EDITTEXT_INV",
                                                  "EDITBG_ODD",
                                                  "EDITBG_EVEN",
                                                  "EDITTEXT_OK",
                                                  "EDITTEXT_WARN",
                                                  "EDITTEXT_ALERT",
                                                  "EDITBG_OK",
                                                  "EDITBG_WARN",
                                                  "EDITBG_ALERT",
                                                  "EDITTEXT_H1",
                                                  "EDITTEXT_H2",
                                                  "EDITTEXT_H3",
                                                  "BORDERCOLOR"};
// Keys whose value is an image definition.
const std::set<std::string> kImageKeys = {
    "BORDERSMASK",  "GLYPHMASK",    "PATTERN",        "HOTPATTERN",   "IMGTOPLEFT",
    "IMGTOPRIGHT",  "IMGBTMLEFT",   "IMGBTMRIGHT",    "EXBORDER",     "BICONCLOSE",
    "BICLOSEALONE", "BICONMAX",     "BICONNORM",      "BICONMIN",     "BICONHELP",
    "SICONCLOSE",   "SICONMAX",     "SICONNORM",      "SICONMIN",     "SICONHELP",
    "BOXCHECKED",   "BOXUNCHECKED", "BOXGRAYED",      "RADIOCHECKED", "RADIOUNCHECKED",
    "RADIOGRAYED",  "SMALLCHECKED", "SMALLUNCHECKED", "SMALLGRAYED",  "GRIPIMAGE",
    "GRIPHORZ",     "GRIPVERT"};

const char* TypeName(TkvImgType T) {
  switch (T) {
  case itisaBorder: return "border";
  case itisaTexture: return "texture";
  case itisaGlyph: return "glyph";
  case itisaGlow: return "glow";
  case itisaPngGlyph: return "png glyph";
  }
  return "?";
}

// Problems the engine would not stop at but a skin author wants to know about.
void CheckValues(const TkvMemIniFile& Ini, const TsSkinModel& M,
                 std::vector<std::string>& Problems) {
  std::set<std::string> Seen;
  for (const TkvMemIniFile::TSection& S : Ini.Sections()) {
    if (!Seen.insert(S.Name).second)
      Problems.push_back("Section [" + S.Name + "] appears more than once (line " +
                         std::to_string(S.Line) + "); only the first is read");
    bool Global = S.Name == s_GlobalInfo;
    for (const TkvMemIniFile::TKey& K : S.Keys) {
      std::string Where = "Section [" + S.Name + "], key " + K.Name + ": ";
      bool IntKey = kIntegerKeys.count(K.Name) || (Global && kGlobalIntegerKeys.count(K.Name));
      int V;
      if (IntKey && !TryStrToInt(K.Value, V))
        Problems.push_back(Where + "'" + K.Value + "' is not a number");
      if (kImageKeys.count(K.Name) && ImageNotationOf(K.Value) == inNone)
        Problems.push_back(Where + "'" + K.Value + "' is in no known image notation");
    }
    std::string Parent = Ini.ReadString(S.Name, s_ParentClass, "");
    if (!Parent.empty() && Parent != S.Name && !Ini.SectionExists(Parent))
      Problems.push_back("Section [" + S.Name + "]: PARENTCLASS " + Parent + " does not exist");
  }
  for (const std::string& Name : EngineSectionNames)
    if (M.GetSkinIndex(Name) < 0) Problems.push_back("Section [" + Name + "] is missing");
  if (Ini.ValueExists(s_GlobalInfo, s_MasterBitmap) && !M.MasterBitmap)
    Problems.push_back("The master bitmap could not be loaded");
}

void PrintModel(const TsSkinModel& M, std::ostream& Out) {
  Out << "version " << M.SkinInfo() << ", " << M.gd.size() << " sections, " << M.ma.size()
      << " image regions, " << M.pa.size() << " patterns";
  if (M.MasterBitmap)
    Out << ", master bitmap " << M.MasterBitmap->Width() << " x " << M.MasterBitmap->Height();
  Out << "\n\nsections:\n";
  for (size_t i = 0; i < M.gd.size(); ++i) {
    const TsGeneralData& G = M.gd[i];
    Out << "  " << i << " " << G.ClassName;
    if (!G.ParentClass.empty()) Out << " (parent " << G.ParentClass << ")";
    Out << ": states " << G.States << ", border " << G.BorderIndex << ", texture "
        << G.TextureNormal << "\n";
  }
  Out << "\nimage regions:\n";
  for (size_t i = 0; i < M.ma.size(); ++i) {
    const TsMaskData& D = M.ma[i];
    Out << "  " << i << " [" << D.ClassName << "] " << D.PropertyName << ": " << TypeName(D.ImgType)
        << " (" << D.R.Left << ", " << D.R.Top << ", " << D.R.Right << ", " << D.R.Bottom << ") "
        << (D.Bmp ? "own image" : "master") << ", " << D.ImageCount << " frames, mask "
        << D.MaskType << ", borders " << D.WL << "/" << D.WT << "/" << D.WR << "/" << D.WB
        << ", draw mode " << D.DrawMode << ", corners " << D.CornerType << "\n";
  }
  for (const TsPatternData& P : M.pa)
    Out << "  pattern [" << P.ClassName << "] " << P.PropertyName << "\n";
}

int Check(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() != 1) {
    Err << "usage: kvskin check SKIN (a folder or a .kvz file)\n";
    return 2;
  }
  const std::string& Skin = Args[0];
  std::unique_ptr<TKvLoadedSkin> Loaded = LoadSkinForPainting(Skin, "check", Err, true);
  if (!Loaded) return 1;
  TsSkinModel& M = Loaded->Model;
  const TkvMemIniFile& Ini = Loaded->Options;
  std::vector<std::string> Problems = M.Problems;
  CheckValues(Ini, M, Problems);
  for (const TContrastProblem& P : CheckTextContrast(M))
    Problems.push_back(ContrastProblemText(P));
  Out << Skin << ": ";
  PrintModel(M, Out);
  if (!SkinPictureReaders().LoadJpeg) {
    int Jpegs = 0;
    for (const TkvMemIniFile::TSection& S : Ini.Sections())
      for (const TkvMemIniFile::TKey& K : S.Keys)
        Jpegs += ImageNotationOf(K.Value) == inJpeg;
    if (Jpegs)
      Out << "\nnote: " << Jpegs << " JPEG picture" << (Jpegs == 1 ? " is" : "s are")
          << " not read by this build\n";
  }
  if (Problems.empty()) {
    Out << "\nno problems\n";
    return 0;
  }
  Out << "\n" << Problems.size() << (Problems.size() == 1 ? " problem:\n" : " problems:\n");
  for (const std::string& P : Problems)
    Out << "  " << P << "\n";
  return 1;
}

TKvSkinCommandRegistrar RegCheck{
    {"check", "check SKIN",
     "loads a skin folder or .kvz as the engine does, prints its sections and image regions and "
     "reports every problem, font colours of too little contrast included (exit status 1 when "
     "there is any)",
     Check}};

} // namespace
