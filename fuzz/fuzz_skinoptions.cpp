// Fuzz target: an options text loaded into a whole skin model, with a small master bitmap and
// one image of its own available as package members.
#include <cstdint>
#include <exception>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"
#include "skin/pixels/kvBitmapIO.h"

namespace {

// A 24-bit BMP of W x H pixels with a key-colour corner.
std::vector<uint8_t> SmallBmp(int W, int H) {
  TBitmap32 Bmp(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      bool Key = x < 3 && y < 3; // counted from the bottom row, as the file stores them
      Bmp.Pixel(x, H - 1 - y) =
          Key ? 0xFF00FFu : uint32_t(x & 0xFF) | uint32_t(y & 0xFF) << 8 | 0x800000u;
    }
  return EncodeBmp24(Bmp);
}

const TkvSkinConvertor& Images() {
  static std::unique_ptr<TkvSkinConvertor> Reader = [] {
    auto R = std::make_unique<TkvSkinConvertor>();
    R->SetPackedData(std::make_unique<TMemoryStream>(PackSkinMembers(
        {{"Master.bmp", SmallBmp(128, 128)}, {"ButtonHuge.bmp", SmallBmp(48, 32)}})));
    UnpackSkinPackage(R);
    return R;
  }();
  return *Reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TkvMemIniFile Ini(std::string_view(reinterpret_cast<const char*>(Data), Size));
  for (bool Collect : {true, false}) {
    TsSkinModel Model;
    Model.CollectProblems = Collect;
    Model.SetCommonSections({"[EDIT]", "PARENTCLASS=FORM", "HOTCOLOR=5"});
    try {
      Model.LoadSkin(Ini, TkvImageSource(&Images()));
      for (size_t i = 0; i < Model.ma.size(); ++i) {
        Model.MaskWidthLeft(int(i));
        Model.MaskWidthBottom(int(i));
      }
    } catch (const std::exception&) {
    }
  }
  return 0;
}
