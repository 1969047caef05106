// The in-memory model of a loaded skin: skin-wide values, one record per options section, the
// image regions, the palette and the constant indexes, with the lookups every painter uses.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "skin/data/kvSkinIni.h"
#include "skin/data/sConst.h"

class TkvSkinConvertor;

// A skin that cannot be loaded as it is (a malformed image notation, no options, ...).
class ESkinDataError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Where the images of a skin come from: the members of a packed skin, or the skin folder.
class TkvImageSource {
public:
  TkvImageSource() = default;
  explicit TkvImageSource(const TkvSkinConvertor* Package) : Package(Package) {}
  explicit TkvImageSource(std::string SkinPath) : SkinPath(std::move(SkinPath)) {}

  const TkvSkinConvertor* Package = nullptr;
  // The skin folder with its final separator; used when there is no package.
  std::string SkinPath;

  // The bytes of the image named Name as the options write it: the package member whose
  // upper-cased name equals Name, or the file in the skin folder (Name as it is when it holds
  // ":"). False when there is none. A member's bytes are not copied: Data points into the
  // package, Owned holds the bytes of a file.
  struct TBytes {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    std::vector<uint8_t> Owned;
  };
  bool Find(const std::string& Name, TBytes& Bytes) const;
};

class TsSkinModel {
public:
  TsSkinData SkinData;
  std::vector<TsGeneralData> gd;
  std::vector<TsMaskData> ma;
  std::vector<TsPatternData> pa;
  TConstantSkinData ConstData;
  std::shared_ptr<TBitmap32> MasterBitmap;
  TkvPaletteArray Palette{};

  // Set by the owner: the manager recorded in every image region, and the system's
  // sizing-frame width (the default of FORMOFFSET).
  void* Manager = nullptr;
  int SizingFrameWidth = 4;
  // The colour tone every load ends with: the hue turned by HueOffset degrees, then the
  // saturation shifted by Saturation (0: unchanged).
  int HueOffset = 0;
  int Saturation = 0;

  // With CollectProblems a load goes on past problems and lists them in Problems (for the
  // skin tool); otherwise problems that make a skin unusable fail the load and the others are
  // still listed.
  bool CollectProblems = false;
  std::vector<std::string> Problems;

  // Options lines laid over every skin loaded; blanks are removed from every line that does
  // not start with ";".
  void SetCommonSections(const std::vector<std::string>& Lines);
  // The lines as they are kept: every blank (space or tab) removed from each line that is not
  // a comment (";"), and lines left empty dropped.
  static std::vector<std::string> CleanCommonSections(const std::vector<std::string>& Lines);
  const std::vector<std::string>& CommonSections() const { return FCommonSections; }

  // Loads a whole skin: version, images, patterns, sections, palette, constant indexes. On
  // failure the model is left as it was and the error is thrown.
  void LoadSkin(const TkvMemIniFile& Options, const TkvImageSource& Images);
  // Loads a packed skin unpacked into Package (fails with "Packed skin has no Options.dat"
  // when it has no options member).
  void LoadPackedSkin(const TkvSkinConvertor& Package);
  // Turns the hue (Degrees) or shifts the saturation (Amount) of the master bitmap, every image
  // with a bitmap of its own, every colour of every section, the shadow colour and the palette
  // entries 0..2, 4..13 and 27. With BIKEEPHUE the title-bar button images keep their pixels.
  // 0 changes nothing.
  void ApplyHueOffset(int Degrees);
  void ApplySaturation(int Amount);
  // Drops every record and image; the model is then inactive.
  void Clear();

  // Reads the sections, the skin-wide values and the palette, then resolves the image
  // indexes of every section.
  void LoadAllGeneralData(const TkvMemIniFile& Options);

  // Inherited readers: a key missing in Section is looked up in its PARENTCLASS, and so on;
  // a parent chain that comes back to a section already visited ends the search.
  std::string ReadInheritedString(const TkvMemIniFile& Ini, const std::string& Section,
                                  const std::string& Key, const std::string& Default) const;
  int ReadInheritedInteger(const TkvMemIniFile& Ini, const std::string& Section,
                           const std::string& Key, int Default) const;

  // Sections.
  int GetSkinIndex(const std::string& SkinSection) const;
  bool IsValidSkinIndex(int SkinIndex) const {
    return SkinIndex >= 0 && SkinIndex < int(gd.size());
  }
  std::vector<std::string> GetSkinSections() const;
  // The version with "." as the separator, or "N/A" while no skin is active.
  std::string SkinInfo() const;

  // Images.
  int GetMaskIndex(int SkinIndex, const std::string& SkinSection, const std::string& Mask) const;
  int GetMaskIndex(const std::string& SkinSection, const std::string& Mask) const;
  int GetTextureIndex(int SkinIndex, const std::string& SkinSection,
                      const std::string& PropName) const;
  int GetPatternIndex(int SkinIndex, const std::string& SkinSection,
                      const std::string& Pattern) const;
  bool IsValidImgIndex(int ImageIndex) const {
    return ImageIndex >= 0 && ImageIndex < int(ma.size());
  }
  int MaskWidthLeft(int MaskIndex);
  int MaskWidthTop(int MaskIndex) const;
  int MaskWidthRight(int MaskIndex) const;
  int MaskWidthBottom(int MaskIndex) const;
  void InitMaskIndexes();
  void InitConstantIndexes();

  // Palette.
  TColor GetGlobalColor() const { return Palette[pcMainColor]; }
  TColor GetGlobalFontColor() const { return Palette[pcLabelText]; }
  TColor GetActiveEditFontColor() const { return Palette[pcEditText]; }
  TColor GetActiveEditColor() const { return Palette[pcEditBG]; }
  TColor GetHighLightColor(bool Focused) const {
    return Palette[Focused ? pcSelectionBGFocused : pcSelectionBG];
  }
  TColor GetHighLightFontColor(bool Focused) const {
    return Palette[Focused ? pcSelectionTextFocused : pcSelectionText];
  }

  // Reports a problem: thrown as ESkinDataError unless problems are collected.
  void Fail(const std::string& Message);
  // Notes a problem that does not stop the load.
  void Note(const std::string& Message) { Problems.push_back(Message); }

private:
  void ReadSkinWideData(const TkvMemIniFile& Ini);
  void ReadSection(const TkvMemIniFile& Ini, const std::string& Section, TsGeneralData& Gd,
                   const TkvMemIniFile* Common);
  void MergeCommonSections(const TkvMemIniFile& Skin);
  void FillPalette(const TkvMemIniFile& Ini);
  // The walk both tone changes share: every colour through ShiftColor, every bitmap through
  // ShiftBitmap, with Value (nothing for 0).
  void ApplyColorTone(int Value, TColor (*ShiftColor)(int, TColor),
                      void (*ShiftBitmap)(TBitmap32&, int));
  const std::string* FindInherited(const TkvMemIniFile& Ini, const std::string& Section,
                                   const std::string& Key, bool& FromAncestor) const;

  std::vector<std::string> FCommonSections;
};
