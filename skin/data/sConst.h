// The skin model's records: sections, state records, image regions, the constant index table,
// the palette, the skin-wide values and gradient data.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap32.h"
#include "skin/pixels/kvGradients.h"
#include "base/kvTypes.h"

// The text colour and the colours of its one-pixel shadows (-1: none).
struct TsFontColor {
  TColor Color = 0;
  int Left = -1;
  int Top = -1;
  int Right = -1;
  int Bottom = -1;
  friend bool operator==(const TsFontColor&, const TsFontColor&) = default;
};

// One visual state of a section.
struct TsGenState {
  TColor Color = 0;
  TsFontColor FontColor;
  int GradientPercent = 0;
  std::string GradientData;
  TsGradArray GradientArray;
  int ImagePercent = 0;
  int TextureIndex = -1;
  TColor GlowColor = 0;
  uint8_t GlowSize = 0;
  int Transparency = 0;
  friend bool operator==(const TsGenState&, const TsGenState&) = default;
};
// Index 0: normal state; 1: hot state.
using TsProps = std::array<TsGenState, 2>;

// One options section.
struct TsGeneralData {
  std::string ParentClass;
  std::string ClassName;
  int States = 3;
  TsProps Props;
  bool GiveOwnFont = false;
  bool ReservedBoolean = false;
  bool ShowFocus = false;
  int GlowCount = 0;
  int GlowMargin = 0;
  int BorderIndex = -1;
  int ImgTL = -1;
  int ImgTR = -1;
  int ImgBL = -1;
  int ImgBR = -1;
  int TextureNormal = -1;
  TColor Color = clWhite;
  int Transparency = 0;
  int GradientPercent = 0;
  std::string GradientData;
  TsGradArray GradientArray;
  int ImagePercent = 0;
  TsFontColor FontColor;
  TColor HotColor = 0;
  int HotTransparency = 0;
  int HotGradientPercent = 0;
  std::string HotGradientData;
  TsGradArray HotGradientArray;
  int HotImagePercent = 0;
  TsFontColor HotFontColor;
  bool FadingEnabled = false;
  int FadingIterations = 5;
  TColor HotGlowColor = 0;
  TColor GlowColor = clWhite;
  uint8_t HotGlowSize = 0;
  uint8_t GlowSize = 0;
};

// The skin-wide values.
struct TsSkinData {
  std::string SkinPath;
  bool Active = false;
  double Version = 0;
  std::string Author;
  std::string Description;
  TColor Shadow1Color = 0;
  int Shadow1Offset = 0;
  int Shadow1Blur = -1;
  int Shadow1Transparency = 0;
  int ExBorderWidth = 4;
  int ExTitleHeight = 30;
  int ExMaxHeight = 0;
  int ExContentOffs = 0;
  int ExShadowOffs = 0;
  int ExCenterOffs = 0;
  int ExDrawMode = 0;
  TColor FXColor = 0;
  int BISpacing = 0;
  int BIVAlign = 0;
  int BIRightMargin = 0;
  int BILeftMargin = 0;
  int BITopMargin = 0;
  int BIKeepHUE = 0;
  int BICloseGlow = 0;
  int BICloseGlowMargin = 0;
  int BIMaxGlow = 0;
  int BIMaxGlowMargin = 0;
  int BIMinGlow = 0;
  int BIMinGlowMargin = 0;
  bool UseAeroBluring = false;
};

enum TkvImgType { itisaBorder, itisaTexture, itisaGlyph, itisaGlow, itisaPngGlyph };

// One image region: a rectangle of the master bitmap or an image of its own.
struct TsMaskData {
  std::shared_ptr<TBitmap32> Bmp; // null for a region of the master bitmap
  std::string ClassName;
  std::string PropertyName;
  TRect R;
  int ImageCount = 0;
  int MaskType = 0;
  int BorderWidth = 0;
  int DrawMode = 0;
  TkvImgType ImgType = itisaBorder;
  void* Manager = nullptr;
  int WL = 0;
  int WT = 0;
  int WR = 0;
  int WB = 0;
  int CornerType = 0;
};

// A JPEG picture, provided by the picture reader of the Windows build.
class TkvTinyJPGImage;

// One large picture, kept as it is and tiled when painted.
struct TsPatternData {
  std::shared_ptr<TkvTinyJPGImage> Img;
  std::string ClassName;
  std::string PropertyName;
};

// Indexes of sections and images the painters need often; -1 when not found.
struct TConstantSkinData {
  int IndexGLobalInfo = -1;
  int ExBorder = -1;
  int IndexTabTop = -1, IndexTabBottom = -1, IndexTabLeft = -1, IndexTabRight = -1;
  int MaskTabTop = -1, MaskTabBottom = -1, MaskTabLeft = -1, MaskTabRight = -1;
  int IndexScrollTop = -1, IndexScrollBottom = -1, IndexScrollLeft = -1, IndexScrollRight = -1;
  int MaskScrollTop = -1, MaskScrollBottom = -1, MaskScrollLeft = -1, MaskScrollRight = -1;
  int IndexBGScrollTop = -1, IndexBGScrollBottom = -1, IndexBGScrollLeft = -1,
      IndexBGScrollRight = -1;
  int IndexBGHotScrollTop = -1, IndexBGHotScrollBottom = -1, IndexBGHotScrollLeft = -1,
      IndexBGHotScrollRight = -1;
  int MaskCloseBtn = -1, MaskCloseAloneBtn = -1, MaskMaxBtn = -1, MaskNormBtn = -1, MaskMinBtn = -1,
      MaskHelpBtn = -1;
  int MaskCloseSmall = -1, MaskMaxSmall = -1, MaskNormSmall = -1, MaskMinSmall = -1,
      MaskHelpSmall = -1;
  int MaskArrowTop = -1, MaskArrowBottom = -1, MaskArrowLeft = -1, MaskArrowRight = -1;
  int IndexSliderVert = -1, IndexSliderHorz = -1;
  int MaskSliderVert = -1, MaskSliderHorz = -1;
  int MaskSliderGlyphVert = -1, MaskSliderGlyphHorz = -1;
  int ScrollSliderBGHorz = -1, ScrollSliderBGHotHorz = -1, ScrollSliderBGVert = -1,
      ScrollSliderBGHotVert = -1;
  int IndexScrollBar1H = -1, IndexScrollBar1V = -1, IndexScrollBar2H = -1, IndexScrollBar2V = -1;
  int MaskScrollBar1H = -1, MaskScrollBar1V = -1, MaskScrollBar2H = -1, MaskScrollBar2V = -1;
  int BGScrollBar1H = -1, BGScrollBar1V = -1, BGScrollBar2H = -1, BGScrollBar2V = -1;
  int BGHotScrollBar1H = -1, BGHotScrollBar1V = -1, BGHotScrollBar2H = -1, BGHotScrollBar2V = -1;
  int CheckBoxChecked = -1, CheckBoxUnChecked = -1, CheckBoxGrayed = -1;
  int RadioButtonChecked = -1, RadioButtonUnChecked = -1, RadioButtonGrayed = -1;
  int SmallCheckBoxChecked = -1, SmallCheckBoxUnChecked = -1, SmallCheckBoxGrayed = -1;
  int ComboBtnIndex = -1;
  int ComboBtnBorder = -1;
  int ComboBtnBG = -1, ComboBtnBGHot = -1;
  int ComboGlyph = -1;
  int GripRightBottom = -1, GripHorizontal = -1, GripVertical = -1;
  int IndexWebBtn = -1;
};

// The 28 derived colours of a skin.
using TkvPaletteArray = std::array<TColor, 28>;

// Palette indexes with a meaning of their own.
enum TkvPaletteIndex {
  pcMainColor = 0,
  pcLabelText = 1,
  pcEditText = 4,
  pcEditBG = 5,
  pcSelectionBG = 6,
  pcSelectionText = 7,
  pcSelectionBGFocused = 8,
  pcSelectionTextFocused = 9,
  pcBorder = 27
};

extern const char* const s_GlobalInfo;   // "GLOBALINFO"
extern const char* const s_MasterBitmap; // "MASTERBITMAP"
extern const char* const s_ParentClass;  // "PARENTCLASS"
extern const char* const s_BordersMask;  // "BORDERSMASK"
extern const char* const s_GlyphMask;    // "GLYPHMASK"
extern const char* const s_Pattern;      // "PATTERN"
extern const char* const s_HotPattern;   // "HOTPATTERN"

// The section names the engine itself looks up.
extern const std::vector<std::string> EngineSectionNames;
