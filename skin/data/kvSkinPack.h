// Packed skins: the "KVpk" block of an options member and image members, each a zlib stream.
//
// Layout (all integers 32-bit little-endian signed, no padding):
//   "KVpk", N, then N members: L, L bytes of name (8-bit, no terminator), S (unpacked size),
//   one complete zlib stream of S bytes. The compressed length is not stored: a member ends
//   where its zlib stream ends, checksum included.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap32.h"
#include "base/TextUtils.h"
#include "skin/data/kvStreams.h"

extern const char* const SNotPackedSkin;   // "Loaded data is not a packed Tessera file"
extern const char* const SNoOptionsMember; // "Packed skin has no Options.dat"
extern const char* const SOptionsFileName; // "Options.dat"

// Members larger than this are refused before anything is allocated for them.
constexpr int64_t MaxPackedMemberSize = int64_t(256) * 1024 * 1024;
// A block whose members together are larger than this is refused before the member that
// crosses it is unpacked.
constexpr int64_t MaxPackedSkinSize = int64_t(512) * 1024 * 1024;

// A packed skin that cannot be read.
class ESkinPackError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One image member of a packed skin, unpacked.
struct TkvImageItem {
  std::string FileName;  // as stored (8-bit characters of the system code page)
  bool IsBitmap = false; // the upper-cased extension is ".BMP"
  std::unique_ptr<TMemoryStream> FileStream;
};
using TkvImageItems = std::vector<TkvImageItem>;

// The unpacked form of one packed block.
class TkvSkinConvertor {
public:
  TkvSkinConvertor() = default;
  ~TkvSkinConvertor() { Clear(); }
  TkvSkinConvertor(const TkvSkinConvertor&) = delete;
  TkvSkinConvertor& operator=(const TkvSkinConvertor&) = delete;

  // The number of image members.
  int ImageCount = 0;
  TkvImageItems Files;
  // The options member; null until unpacked (and when the block has none).
  std::unique_ptr<TMemoryStream> Options;

  TMemoryStream* PackedData() const { return FPackedData; }
  // Gives the reader a block of its own.
  void SetPackedData(std::unique_ptr<TMemoryStream> Data);
  // Lends the reader a block that stays its owner's (an internal skin's data).
  void LendPackedData(TMemoryStream* Data);
  // Forgets the packed block, freeing it when the reader owns it.
  void FreePackedData();

  // Frees every member and the options, then the packed block (a borrowed block is only
  // forgotten).
  void Clear();

  // The image member whose upper-cased name equals Name exactly as written; null if none.
  const TkvImageItem* FindImage(const std::string& Name) const;
  // The options member; fails with "Packed skin has no Options.dat" when there is none.
  const TMemoryStream& OptionsOrFail() const;

private:
  TMemoryStream* FPackedData = nullptr;
  bool FOwnsPackedData = false;
};

// Unpacks the reader's packed block into Options and Files. A block without the "KVpk" magic
// empties and frees the reader, resets Reader and fails with SNotPackedSkin. A block cut short
// fails with "Stream read error", corrupt compressed data with zlib's text for the error.
void UnpackSkinPackage(std::unique_ptr<TkvSkinConvertor>& Reader);

// Loads and unpacks a packed skin file into Reader (emptied first, or created). Does nothing
// when the file does not exist. With FreePackedData the packed bytes are freed afterwards.
void LoadSkinPackage(const std::string& FileName, std::unique_ptr<TkvSkinConvertor>& Reader,
                     bool FreePackedData);

// One member to be packed: its name (8-bit) and its content.
struct TkvPackMember {
  std::string Name;
  std::vector<uint8_t> Data;
};
// Builds a packed block of the members in the given order, compressed at Level (0..9).
std::vector<uint8_t> PackSkinMembers(const std::vector<TkvPackMember>& Members, int Level = 9);

// What one member of a packed block holds, for listing: name, unpacked and packed size.
struct TkvPackEntry {
  std::string Name;
  int64_t Size = 0;
  int64_t PackedSize = 0;
};
// Walks a packed block and lists its members (decompressing each to find where it ends).
// Fails as UnpackSkinPackage does.
std::vector<TkvPackEntry> ListSkinPackage(const uint8_t* Data, size_t Size);

// A folder name as the extraction operations use it: empty stays empty, a final "\" stays, a
// final "/" becomes "\", a one-character name (a drive letter) gets ":\", any other "\".
std::string NormalizeDir(const std::string& Dir);

class TsStoredSkins;

// One internal skin stored in a form definition.
class TsStoredSkin {
public:
  explicit TsStoredSkin(TsStoredSkins* Collection = nullptr) : FCollection(Collection) {}
  TsStoredSkin(const TsStoredSkin&) = delete;
  TsStoredSkin& operator=(const TsStoredSkin&) = delete;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { Set(FName, Value); }
  const TBitmap32& MasterBitmap() const { return FMasterBitmap; }
  void SetMasterBitmap(const TBitmap32& Value);
  TColor Shadow1Color() const { return FShadow1Color; }
  void SetShadow1Color(TColor Value) { Set(FShadow1Color, Value); }
  int Shadow1Offset() const { return FShadow1Offset; }
  void SetShadow1Offset(int Value) { Set(FShadow1Offset, Value); }
  int Shadow1Blur() const { return FShadow1Blur; }
  void SetShadow1Blur(int Value) { Set(FShadow1Blur, Value); }
  int Shadow1Transparency() const { return FShadow1Transparency; }
  void SetShadow1Transparency(int Value) { Set(FShadow1Transparency, Value); }
  TColor BorderColor() const { return FBorderColor; }
  void SetBorderColor(TColor Value) { Set(FBorderColor, Value); }
  double Version() const { return FVersion; }
  void SetVersion(double Value) { Set(FVersion, Value); }
  const std::string& Author() const { return FAuthor; }
  void SetAuthor(const std::string& Value) { Set(FAuthor, Value); }
  const std::string& Description() const { return FDescription; }
  void SetDescription(const std::string& Value) { Set(FDescription, Value); }

  // The packed block, owned by the item; persisted as the binary property "Data".
  TMemoryStream& PackedData() { return FPackedData; }
  const TMemoryStream& PackedData() const { return FPackedData; }
  // Reading the "Data" property: the stream becomes the stored bytes.
  void ReadData(TStream& Stream, int64_t Count);
  // Writing the "Data" property: the stream is saved as it is (always written).
  void WriteData(TStream& Stream) const;

  // Copies the packed data, the name, the bitmap and every value.
  void Assign(const TsStoredSkin& Source);

private:
  template <typename T>
  void Set(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    Changed();
  }
  void Changed();

  TsStoredSkins* FCollection;
  std::string FName;
  TBitmap32 FMasterBitmap;
  TColor FShadow1Color = 0;
  int FShadow1Offset = 0;
  int FShadow1Blur = -1;
  int FShadow1Transparency = 0;
  TColor FBorderColor = clFuchsia;
  double FVersion = 0;
  std::string FAuthor;
  std::string FDescription;
  TMemoryStream FPackedData;
};

// The internal skins of a skin manager.
class TsStoredSkins {
public:
  // Fired on every change of an item or of the collection (the manager's OnSkinListChanged).
  std::function<void()> OnChange;

  TsStoredSkin& Add();
  void Delete(int Index);
  void Clear();
  int Count() const { return int(FItems.size()); }
  TsStoredSkin& Items(int Index) { return *FItems.at(size_t(Index)); }
  const TsStoredSkin& Items(int Index) const { return *FItems.at(size_t(Index)); }
  // The first item whose Name equals SkinName exactly (case-sensitive), or -1.
  int IndexOf(const std::string& SkinName) const;

  void Changed() {
    if (OnChange) OnChange();
  }

private:
  std::vector<std::unique_ptr<TsStoredSkin>> FItems;
};

// Writes item Index's packed data to NormalizeDir(DestDir) + name + " extracted.kvz",
// creating the folder when needed. Returns the error message to show ("Directory X creation
// error.", or the text of the failure when the index is bad or the file cannot be written)
// or an empty string; nothing is thrown.
std::string ExtractByIndex(const TsStoredSkins& Skins, int Index, const std::string& DestDir);
// Extracts every item named NameOfSkin exactly. Returns the error messages to show, in order
// ("Directory does not exists.", "Skin does not exists.", or those of ExtractByIndex).
std::vector<std::string> ExtractInternalSkin(const TsStoredSkins& Skins,
                                             const std::string& NameOfSkin,
                                             const std::string& DestDir);

// The extension of a file name with its ".", or empty when the last part has none.
std::string ExtractFileExt(const std::string& Name);
// The regular file named Name in Dir, compared by UpperCaseAscii as the skins' own system
// compares names; empty when there is none.
std::string FindFileNoCase(const std::string& Dir, const std::string& Name);
