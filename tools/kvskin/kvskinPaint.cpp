// Loading skins for painting and writing pictures, for the painting commands of the skin tool.
#include "tools/kvskin/kvskinPaint.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "skin/data/kvSkinIni.h"
#include "skin/data/kvStreams.h"
#include "skin/data/sMaskData.h"
#include "skin/images/kvSkinPictures.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/pixels/kvBitmapIO.h"
#include "tools/kvskin/kvskinTool.h"

namespace fs = std::filesystem;

std::unique_ptr<TKvLoadedSkin> LoadSkinForPainting(const std::string& Skin, const char* Command,
                                                   std::ostream& Err, bool CollectProblems) {
  InstallSkinPictureReaders();
  auto Loaded = std::make_unique<TKvLoadedSkin>();
  TsSkinModel& M = Loaded->Model;
  // The painters take an image region as usable only when it names its owner.
  M.Manager = &M;
  M.CollectProblems = CollectProblems;
  TkvMemIniFile& Ini = Loaded->Options;
  std::error_code Ec;
  try {
    if (fs::is_directory(Skin, Ec)) {
      std::string Options = FindFileNoCase(Skin, SOptionsFileName);
      if (Options.empty()) {
        Err << "kvskin " << Command << ": " << Skin << " has no " << SOptionsFileName << "\n";
        return nullptr;
      }
      std::vector<uint8_t> Text = ReadWholeFile(Options);
      Ini.SetText(std::string_view(reinterpret_cast<const char*>(Text.data()), Text.size()));
      std::string Path = Skin;
      if (Path.back() != '/' && Path.back() != '\\') Path += '/';
      M.LoadSkin(Ini, TkvImageSource(Path));
    } else {
      Loaded->Package = std::make_unique<TkvSkinConvertor>();
      Loaded->Package->SetPackedData(std::make_unique<TMemoryStream>(ReadWholeFile(Skin)));
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

TImageWriter ImageWriterFor(const std::string& FileName) {
  const std::string Ext = UpperCaseAscii(ExtractFileExt(FileName));
  if (Ext == ".PNG")
    return [](const TBitmap32& Bmp, const std::string& Name) { SavePNGToFile(Bmp, Name, 9); };
  if (Ext == ".BMP") return SaveBmp32;
  if (Ext == ".PAM") return SavePam;
  return nullptr;
}

void SaveBitmapByExtension(const TBitmap32& Bmp, const std::string& FileName) {
  TImageWriter Write = ImageWriterFor(FileName);
  if (!Write)
    throw std::runtime_error(FileName + ": the picture must be a .png, .bmp or .pam file");
  Write(Bmp, FileName);
}
