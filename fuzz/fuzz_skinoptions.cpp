// Fuzz target: an options text loaded into a whole skin model, with a small master bitmap and
// one image of its own available as package members.
#include <cstdint>
#include <exception>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"

namespace {

// A bottom-up 24-bit BMP of W x H pixels with a key-colour corner.
std::vector<uint8_t> SmallBmp(int W, int H) {
  size_t Stride = (size_t(W) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> B(54 + Stride * size_t(H), 0);
  auto Put = [&](size_t At, uint32_t V, int N) {
    for (int i = 0; i < N; ++i)
      B[At + size_t(i)] = uint8_t(V >> (8 * i));
  };
  B[0] = 'B';
  B[1] = 'M';
  Put(2, uint32_t(B.size()), 4);
  Put(10, 54, 4);
  Put(14, 40, 4);
  Put(18, uint32_t(W), 4);
  Put(22, uint32_t(H), 4);
  Put(26, 1, 2);
  Put(28, 24, 2);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint8_t* P = &B[54 + Stride * size_t(y) + size_t(x) * 3];
      bool Key = x < 3 && y < 3;
      P[0] = Key ? 0xFF : uint8_t(x);
      P[1] = Key ? 0 : uint8_t(y);
      P[2] = Key ? 0xFF : 0x80;
    }
  return B;
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
