// Pictures loaded from files by extension.
#include "toolkit/Pictures.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

std::vector<TPictureFormat>& Formats() {
  static std::vector<TPictureFormat> List;
  return List;
}

std::string Normalised(std::string Ext) {
  if (!Ext.empty() && Ext.front() == '.') Ext.erase(0, 1);
  std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                 [](char C) { return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C; });
  return Ext;
}

} // namespace

void TPicture::RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                  TPictureLoader Loader) {
  UnregisterFileFormat(Extension);
  Formats().push_back({Normalised(Extension), Description, std::move(Loader)});
}

void TPicture::UnregisterFileFormat(const std::string& Extension) {
  const std::string Ext = Normalised(Extension);
  auto& L = Formats();
  L.erase(std::remove_if(L.begin(), L.end(),
                         [&Ext](const TPictureFormat& F) { return F.Extension == Ext; }),
          L.end());
}

const TPictureFormat* TPicture::FindFileFormat(std::string Extension) {
  Extension = Normalised(std::move(Extension));
  for (const TPictureFormat& F : Formats())
    if (F.Extension == Extension) return &F;
  return nullptr;
}

std::string TPicture::GraphicFilter() {
  const auto& L = Formats();
  if (L.empty()) return {};
  std::string All;
  for (const TPictureFormat& F : L)
    All += (All.empty() ? "*." : ";*.") + F.Extension;
  std::string R = "All (" + All + ")|" + All;
  for (const TPictureFormat& F : L)
    R += "|" + F.Description + " (*." + F.Extension + ")|*." + F.Extension;
  return R;
}

void TPicture::LoadFromFile(const std::filesystem::path& FileName) {
  const TPictureFormat* F = FindFileFormat(FileName.extension().string());
  if (!F)
    throw EInvalidPicture("Unknown picture file extension (" + FileName.extension().string() + ")");
  std::ifstream In(FileName, std::ios::binary);
  if (!In) throw EInvalidPicture("Cannot open " + FileName.string());
  const std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)),
                                   std::istreambuf_iterator<char>());
  FBitmap = F->Load(Bytes.data(), Bytes.size());
}
