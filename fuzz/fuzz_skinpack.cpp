// Fuzz target: a packed skin, unpacked and, when it unpacks, loaded into a whole skin model.
#include <cstdint>
#include <exception>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  auto Reader = std::make_unique<TkvSkinConvertor>();
  Reader->SetPackedData(std::make_unique<TMemoryStream>(std::vector<uint8_t>(Data, Data + Size)));
  try {
    UnpackSkinPackage(Reader);
    TsSkinModel Model;
    Model.CollectProblems = true;
    Model.LoadPackedSkin(*Reader);
  } catch (const std::exception&) {
  }
  return 0;
}
