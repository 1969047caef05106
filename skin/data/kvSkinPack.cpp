// Packed skins: reading, writing and listing "KVpk" blocks; the internal skins.
#include "skin/data/kvSkinPack.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "skin/data/kvZLibEx.h"

const char* const SNotPackedSkin = "Loaded data is not a packed Tessera file";
const char* const SNoOptionsMember = "Packed skin has no Options.dat";
const char* const SOptionsFileName = "Options.dat";

namespace {

const char kMagic[4] = {'K', 'V', 'p', 'k'};

int32_t ReadInt32(TStream& S) {
  uint8_t B[4];
  S.ReadBuffer(B, 4);
  return int32_t(uint32_t(B[0]) | uint32_t(B[1]) << 8 | uint32_t(B[2]) << 16 |
                 uint32_t(B[3]) << 24);
}

void WriteInt32(std::vector<uint8_t>& Out, int32_t Value) {
  auto V = uint32_t(Value);
  for (int i = 0; i < 4; ++i)
    Out.push_back(uint8_t(V >> (8 * i)));
}

bool SameTextAscii(const std::string& A, const char* B) {
  size_t N = std::strlen(B);
  if (A.size() != N) return false;
  for (size_t i = 0; i < N; ++i) {
    auto Lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (Lower(A[i]) != Lower(B[i])) return false;
  }
  return true;
}

// The header of one member: name and unpacked size, checked against the bytes that remain.
struct TMemberHeader {
  std::string Name;
  int64_t Size = 0;
};

TMemberHeader ReadMemberHeader(TStream& S) {
  TMemberHeader H;
  int32_t L = ReadInt32(S);
  if (L < 0 || int64_t(L) > S.Size() - S.Position()) throw EStreamError("Stream read error");
  H.Name.resize(size_t(L));
  S.ReadBuffer(H.Name.data(), L);
  int32_t Size = ReadInt32(S);
  if (Size < 0) throw ESkinPackError("Packed skin member \"" + H.Name + "\" has a negative size");
  if (Size > MaxPackedMemberSize)
    throw ESkinPackError("Packed skin member \"" + H.Name + "\" is too large (" +
                         std::to_string(Size) + " bytes)");
  H.Size = Size;
  return H;
}

// Copies exactly Size bytes of the zlib stream at Source's position into Dest (when given)
// and reads the stream up to its end, so that Source stands right after it.
void UnpackMember(TStream& Source, const TMemberHeader& H, TMemoryStream* Dest) {
  // Room for the whole member at once, but never more than the bytes left could inflate to
  // (deflate shrinks by 1032:1 at most), so a lying size allocates nothing big.
  if (Dest) Dest->Reserve(std::min<int64_t>(H.Size, (Source.Size() - Source.Position()) * 1032));
  TZDecompressionStream Z(Source);
  if (Dest) {
    Dest->CopyExactly(Z, H.Size);
  } else {
    int64_t Skipped = Z.Seek(H.Size, soCurrent);
    if (Skipped != H.Size) throw EStreamError("Stream read error");
  }
  if (Z.Finish() != 0)
    throw ESkinPackError("Packed skin member \"" + H.Name + "\" is longer than its stated size");
}

} // namespace

std::string ExtractFileExt(const std::string& Name) {
  size_t Dot = Name.find_last_of(".\\/:");
  if (Dot == std::string::npos || Name[Dot] != '.') return {};
  return Name.substr(Dot);
}

std::string FindFileNoCase(const std::string& Dir, const std::string& Name) {
  namespace fs = std::filesystem;
  std::error_code Ec;
  std::string Wanted = UpperCaseAscii(Name);
  for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec))
    if (UpperCaseAscii(It->path().filename().string()) == Wanted && It->is_regular_file(Ec))
      return It->path().string();
  return {};
}

void TkvSkinConvertor::SetPackedData(std::unique_ptr<TMemoryStream> Data) {
  FreePackedData();
  FPackedData = Data.release();
  FOwnsPackedData = FPackedData != nullptr;
}

void TkvSkinConvertor::LendPackedData(TMemoryStream* Data) {
  FreePackedData();
  FPackedData = Data;
  FOwnsPackedData = false;
}

void TkvSkinConvertor::FreePackedData() {
  if (FOwnsPackedData) delete FPackedData;
  FPackedData = nullptr;
  FOwnsPackedData = false;
}

void TkvSkinConvertor::Clear() {
  Files.clear();
  Options.reset();
  FreePackedData();
}

const TkvImageItem* TkvSkinConvertor::FindImage(const std::string& Name) const {
  for (const TkvImageItem& Item : Files)
    if (UpperCaseAscii(Item.FileName) == Name) return &Item;
  return nullptr;
}

const TMemoryStream& TkvSkinConvertor::OptionsOrFail() const {
  if (!Options) throw ESkinPackError(SNoOptionsMember);
  return *Options;
}

void UnpackSkinPackage(std::unique_ptr<TkvSkinConvertor>& Reader) {
  TMemoryStream* Packed = Reader ? Reader->PackedData() : nullptr;
  char Magic[4] = {};
  if (Packed) {
    Packed->SetPosition(0);
    if (Packed->Read(Magic, 4) != 4) std::memset(Magic, 0, 4);
  }
  if (!Packed || std::memcmp(Magic, kMagic, 4) != 0) {
    Reader.reset(); // Clear forgets a borrowed block without freeing it
    throw ESkinPackError(SNotPackedSkin);
  }
  TkvSkinConvertor& R = *Reader;
  R.Files.clear();
  R.Options.reset();
  R.ImageCount = 0;
  int32_t N = ReadInt32(*Packed); // a negative count reads no member
  int64_t Total = 0;
  for (int32_t i = 0; i < N; ++i) {
    TMemberHeader H = ReadMemberHeader(*Packed);
    Total += H.Size;
    if (Total > MaxPackedSkinSize)
      throw ESkinPackError("Packed skin is too large when unpacked (over " +
                           std::to_string(MaxPackedSkinSize) + " bytes)");
    auto Content = std::make_unique<TMemoryStream>();
    UnpackMember(*Packed, H, Content.get());
    Content->SetPosition(0);
    if (SameTextAscii(H.Name, SOptionsFileName)) {
      R.Options = std::move(Content); // a second options member replaces the first
    } else {
      TkvImageItem Item;
      Item.IsBitmap = UpperCaseAscii(ExtractFileExt(H.Name)) == ".BMP";
      Item.FileName = std::move(H.Name);
      Item.FileStream = std::move(Content);
      R.Files.push_back(std::move(Item));
    }
  }
  // The real number of image members (N - 1 holds only when exactly one member is the
  // options, and cannot be computed for every N).
  R.ImageCount = int(R.Files.size());
}

void LoadSkinPackage(const std::string& FileName, std::unique_ptr<TkvSkinConvertor>& Reader,
                     bool FreePackedData) {
  std::error_code Ec;
  if (!std::filesystem::is_regular_file(FileName, Ec)) return;
  if (Reader)
    Reader->Clear();
  else
    Reader = std::make_unique<TkvSkinConvertor>();
  auto Data = std::make_unique<TMemoryStream>();
  Data->LoadFromFile(FileName);
  Reader->SetPackedData(std::move(Data));
  UnpackSkinPackage(Reader);
  if (FreePackedData && Reader) Reader->FreePackedData();
}

std::vector<uint8_t> PackSkinMembers(const std::vector<TkvPackMember>& Members, int Level) {
  std::vector<uint8_t> Out(kMagic, kMagic + 4);
  WriteInt32(Out, int32_t(Members.size()));
  for (const TkvPackMember& M : Members) {
    if (M.Name.size() > INT32_MAX || int64_t(M.Data.size()) > MaxPackedMemberSize)
      throw ESkinPackError("Member \"" + M.Name + "\" is too large to pack");
    WriteInt32(Out, int32_t(M.Name.size()));
    Out.insert(Out.end(), M.Name.begin(), M.Name.end());
    WriteInt32(Out, int32_t(M.Data.size()));
    uLongf Bound = compressBound(uLong(M.Data.size()));
    size_t At = Out.size();
    Out.resize(At + Bound);
    int Code = compress2(Out.data() + At, &Bound, M.Data.data(), uLong(M.Data.size()), Level);
    if (Code != Z_OK) throw EZLibError(Code, zError(Code));
    Out.resize(At + Bound);
  }
  return Out;
}

std::vector<TkvPackEntry> ListSkinPackage(const uint8_t* Data, size_t Size) {
  TMemoryStream S(std::vector<uint8_t>(Data, Data + Size));
  char Magic[4] = {};
  if (S.Read(Magic, 4) != 4 || std::memcmp(Magic, kMagic, 4) != 0)
    throw ESkinPackError(SNotPackedSkin);
  std::vector<TkvPackEntry> Result;
  int32_t N = ReadInt32(S);
  for (int32_t i = 0; i < N; ++i) {
    TMemberHeader H = ReadMemberHeader(S);
    int64_t Start = S.Position();
    UnpackMember(S, H, nullptr);
    Result.push_back({H.Name, H.Size, S.Position() - Start});
  }
  return Result;
}

std::string NormalizeDir(const std::string& Dir) {
  if (Dir.empty() || Dir.back() == '\\') return Dir;
  if (Dir.back() == '/') return Dir.substr(0, Dir.size() - 1) + "\\";
  if (Dir.size() == 1) return Dir + ":\\";
  return Dir + "\\";
}

namespace {
// A folder name with "\" separators as this system's file functions take it.
std::filesystem::path NativePath(std::string Name) {
#ifndef _WIN32
  for (char& c : Name)
    if (c == '\\') c = '/';
#endif
  return std::filesystem::path(Name);
}
} // namespace

void TsStoredSkin::SetMasterBitmap(const TBitmap32& Value) {
  FMasterBitmap = Value;
  Changed();
}

void TsStoredSkin::ReadData(TStream& Stream, int64_t Count) {
  FPackedData.Clear();
  FPackedData.CopyExactly(Stream, Count);
  FPackedData.SetPosition(0);
  Changed();
}

void TsStoredSkin::WriteData(TStream& Stream) const {
  Stream.WriteBuffer(FPackedData.Memory(), int64_t(FPackedData.Bytes().size()));
}

void TsStoredSkin::Assign(const TsStoredSkin& Source) {
  if (&Source == this) return;
  FPackedData.Bytes() = Source.FPackedData.Bytes();
  FPackedData.SetPosition(0);
  FName = Source.FName;
  FMasterBitmap = Source.FMasterBitmap;
  FShadow1Color = Source.FShadow1Color;
  FShadow1Offset = Source.FShadow1Offset;
  FShadow1Blur = Source.FShadow1Blur;
  FShadow1Transparency = Source.FShadow1Transparency;
  FBorderColor = Source.FBorderColor;
  FVersion = Source.FVersion;
  FAuthor = Source.FAuthor;
  FDescription = Source.FDescription;
  Changed();
}

void TsStoredSkin::Changed() {
  if (FCollection) FCollection->Changed();
}

TsStoredSkin& TsStoredSkins::Add() {
  FItems.push_back(std::make_unique<TsStoredSkin>(this));
  Changed();
  return *FItems.back();
}

void TsStoredSkins::Delete(int Index) {
  if (Index < 0 || Index >= Count())
    throw std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")");
  FItems.erase(FItems.begin() + ptrdiff_t(Index));
  Changed();
}

void TsStoredSkins::Clear() {
  FItems.clear();
  Changed();
}

int TsStoredSkins::IndexOf(const std::string& SkinName) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[size_t(i)]->Name() == SkinName) return i;
  return -1;
}

std::string ExtractByIndex(const TsStoredSkins& Skins, int Index, const std::string& DestDir) {
  std::string Dir = NormalizeDir(DestDir);
  std::error_code Ec;
  if (!Dir.empty() && !std::filesystem::is_directory(NativePath(Dir), Ec)) {
    std::filesystem::create_directories(NativePath(Dir), Ec);
    if (!std::filesystem::is_directory(NativePath(Dir), Ec))
      return "Directory " + Dir + " creation error.";
  }
  // Nothing is raised: a bad index or a file that cannot be written is reported as text.
  try {
    const TsStoredSkin& Item = Skins.Items(Index);
    Item.PackedData().SaveToFile(NativePath(Dir + Item.Name() + " extracted.kvz").string());
  } catch (const std::exception& E) {
    return E.what();
  }
  return {};
}

std::vector<std::string> ExtractInternalSkin(const TsStoredSkins& Skins,
                                             const std::string& NameOfSkin,
                                             const std::string& DestDir) {
  std::vector<std::string> Messages;
  bool Found = false;
  for (int i = 0; i < Skins.Count(); ++i) {
    if (Skins.Items(i).Name() != NameOfSkin) continue;
    Found = true;
    std::error_code Ec;
    if (std::filesystem::is_directory(NativePath(DestDir), Ec)) {
      std::string Error = ExtractByIndex(Skins, i, DestDir);
      if (!Error.empty()) Messages.push_back(Error);
    } else {
      Messages.push_back("Directory does not exists.");
    }
  }
  if (!Found) Messages.push_back("Skin does not exists.");
  return Messages;
}
