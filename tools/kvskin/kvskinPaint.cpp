// Loading skins for painting and writing pictures, for the painting commands of the skin tool.
#include "tools/kvskin/kvskinPaint.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "skin/data/kvSkinIni.h"
#include "skin/data/kvStreams.h"
#include "skin/data/sMaskData.h"
#include "skin/images/kvPNG.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/paint/kvBitmapIO.h"
#include "tools/kvskin/kvskinTool.h"

namespace fs = std::filesystem;

std::unique_ptr<TKvLoadedSkin> LoadSkinForPainting(const std::string& Skin, const char* Command,
                                                   std::ostream& Err) {
  TkvPictureReaders& Readers = SkinPictureReaders();
  if (!Readers.Png)
    Readers.Png = [](const uint8_t* Data, size_t Size, double Version, TBitmap32& Bmp) {
      try {
        Bmp = LoadSkinPNG(Data, Size, Version);
        return !Bmp.IsEmpty();
      } catch (const std::exception&) {
        return false;
      }
    };
  auto Loaded = std::make_unique<TKvLoadedSkin>();
  TsSkinModel& M = Loaded->Model;
  // The painters take an image region as usable only when it names its owner.
  M.Manager = &M;
  TkvMemIniFile Ini;
  std::error_code Ec;
  try {
    if (fs::is_directory(Skin, Ec)) {
      std::string Options = FindFileNoCase(Skin, SOptionsFileName);
      if (Options.empty()) {
        Err << "kvskin " << Command << ": " << Skin << " has no " << SOptionsFileName << "\n";
        return nullptr;
      }
      std::vector<uint8_t> Text = ReadFileBytes(Options);
      Ini.SetText(std::string_view(reinterpret_cast<const char*>(Text.data()), Text.size()));
      std::string Path = Skin;
      if (Path.back() != '/' && Path.back() != '\\') Path += '/';
      M.LoadSkin(Ini, TkvImageSource(Path));
    } else {
      Loaded->Package = std::make_unique<TkvSkinConvertor>();
      Loaded->Package->SetPackedData(std::make_unique<TMemoryStream>(ReadFileBytes(Skin)));
      UnpackSkinPackage(Loaded->Package);
      const TMemoryStream& Options = Loaded->Package->OptionsOrFail();
      Ini.SetText(std::string_view(reinterpret_cast<const char*>(Options.Memory()),
                                   Options.Bytes().size()));
      M.LoadSkin(Ini, TkvImageSource(Loaded->Package.get()));
    }
  } catch (const std::exception& E) {
    Err << "kvskin " << Command << ": " << Skin << ": " << E.what() << "\n";
    return nullptr;
  }
  return Loaded;
}

bool ParseSkinColor(const std::string& Text, TColor& Color) {
  int Value = 0;
  if (Text.empty() || !TryStrToInt(Text, Value) || Value < 0 || Value > 0xFFFFFF) return false;
  Color = TColor(Value);
  return true;
}

void SaveBitmapByExtension(const TBitmap32& Bmp, const std::string& FileName) {
  std::string Ext = fs::path(FileName).extension().string();
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (Ext == ".png")
    SavePNGToFile(Bmp, FileName);
  else if (Ext == ".bmp")
    SaveBmp32(Bmp, FileName);
  else if (Ext == ".pam")
    SavePam(Bmp, FileName);
  else
    throw std::runtime_error(FileName + ": the picture must be a .png, .bmp or .pam file");
}
