// kvskin pack, unpack and list: between a skin folder and a packed skin.
#include <algorithm>
#include <filesystem>
#include <iomanip>

#include "skin/data/kvSkinPack.h"
#include "tools/kvskin/kvskinTool.h"

namespace fs = std::filesystem;

namespace {

bool IsImageName(const std::string& Name) {
  std::string Ext = UpperCaseAscii(ExtractFileExt(Name));
  return Ext == ".BMP" || Ext == ".PNG" || Ext == ".JPG" || Ext == ".JPEG";
}

int Pack(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() != 2) {
    Err << "usage: kvskin pack DIR OUT.kvz\n";
    return 2;
  }
  const std::string& Dir = Args[0];
  std::error_code Ec;
  if (!fs::is_directory(Dir, Ec)) {
    Err << "kvskin pack: " << Dir << " is not a folder\n";
    return 1;
  }
  std::string Options = FindFileNoCase(Dir, SOptionsFileName);
  if (Options.empty()) {
    Err << "kvskin pack: " << Dir << " has no " << SOptionsFileName << "\n";
    return 1;
  }
  std::vector<TkvPackMember> Members;
  Members.push_back({SOptionsFileName, ReadWholeFile(Options)});
  std::vector<std::string> Names;
  for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec)) {
    std::string Name = It->path().filename().string();
    if (!It->is_regular_file(Ec) || It->path().string() == Options) continue;
    if (IsImageName(Name))
      Names.push_back(Name);
    else
      Err << "kvskin pack: skipping " << Name << " (not an image)\n";
  }
  std::sort(Names.begin(), Names.end());
  for (const std::string& Name : Names)
    Members.push_back({Name, ReadWholeFile((fs::path(Dir) / Name).string())});
  std::vector<uint8_t> Block = PackSkinMembers(Members, 9);
  WriteWholeFile(Args[1], Block.data(), Block.size());
  Out << "packed " << Members.size() << " members into " << Args[1] << " (" << Block.size()
      << " bytes)\n";
  return 0;
}

// A member name that is a plain file name, safe to write into the target folder.
bool IsSafeMemberName(const std::string& Name) {
  return !Name.empty() && Name != "." && Name != ".." &&
         Name.find_first_of("/\\:") == std::string::npos && Name.find('\0') == std::string::npos;
}

int Unpack(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() != 2) {
    Err << "usage: kvskin unpack IN.kvz DIR\n";
    return 2;
  }
  auto Reader = std::make_unique<TkvSkinConvertor>();
  Reader->SetPackedData(std::make_unique<TMemoryStream>(ReadWholeFile(Args[0])));
  UnpackSkinPackage(Reader);
  for (const TkvImageItem& Item : Reader->Files)
    if (!IsSafeMemberName(Item.FileName)) {
      Err << "kvskin unpack: member name \"" << Item.FileName
          << "\" is not a plain file name; nothing was written\n";
      return 1;
    }
  fs::create_directories(Args[1]);
  int Count = 0;
  auto Write = [&](const std::string& Name, const TMemoryStream& S) {
    WriteWholeFile((fs::path(Args[1]) / Name).string(), S.Memory(), S.Bytes().size());
    ++Count;
  };
  if (Reader->Options) Write(SOptionsFileName, *Reader->Options);
  for (const TkvImageItem& Item : Reader->Files)
    Write(Item.FileName, *Item.FileStream);
  Out << "unpacked " << Count << " members into " << Args[1] << "\n";
  if (!Reader->Options) {
    Err << "kvskin unpack: " << SNoOptionsMember << "\n";
    return 1;
  }
  return 0;
}

int List(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  if (Args.size() != 1) {
    Err << "usage: kvskin list IN.kvz\n";
    return 2;
  }
  std::vector<uint8_t> Block = ReadWholeFile(Args[0]);
  std::vector<TkvPackEntry> Entries = ListSkinPackage(Block.data(), Block.size());
  size_t Width = 4;
  for (const TkvPackEntry& E : Entries)
    Width = std::max(Width, E.Name.size());
  Out << std::left << std::setw(int(Width)) << "name" << std::right << std::setw(12) << "size"
      << std::setw(12) << "packed"
      << "\n";
  int64_t Total = 0, TotalPacked = 0;
  for (const TkvPackEntry& E : Entries) {
    Out << std::left << std::setw(int(Width)) << E.Name << std::right << std::setw(12) << E.Size
        << std::setw(12) << E.PackedSize << "\n";
    Total += E.Size;
    TotalPacked += E.PackedSize;
  }
  Out << Entries.size() << " members, " << Total << " bytes, " << TotalPacked << " packed, "
      << Block.size() << " bytes in the file\n";
  return 0;
}

TKvSkinCommandRegistrar RegPack{{"pack", "pack DIR OUT.kvz",
                                 "packs a skin folder: Options.dat first, then the images "
                                 "(.bmp, .png, .jpg) in name order, zlib level 9",
                                 Pack}};
TKvSkinCommandRegistrar RegUnpack{
    {"unpack", "unpack IN.kvz DIR", "writes every member of a packed skin into DIR", Unpack}};
TKvSkinCommandRegistrar RegList{
    {"list", "list IN.kvz", "lists the members: name, size and packed size", List}};

} // namespace
