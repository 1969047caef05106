#include <gtest/gtest.h>

#include <fstream>

#include "skin/data/kvZLibEx.h"
#include "skin/data/sSkinModel.h"
#include "tests/skin/data/SkinFixture.h"

namespace {

std::unique_ptr<TkvSkinConvertor> Reader(const std::vector<uint8_t>& Block) {
  auto R = std::make_unique<TkvSkinConvertor>();
  R->SetPackedData(std::make_unique<TMemoryStream>(Block));
  return R;
}

std::string Text(const TMemoryStream& S) {
  return {S.Bytes().begin(), S.Bytes().end()};
}

void PutInt(std::vector<uint8_t>& B, int32_t V) {
  PutLE(B, uint32_t(V), 4);
}

} // namespace

TEST(kvSkinPack, RoundTripAndMemberKinds) {
  std::vector<uint8_t> Big = RandomBytes(200000, 3); // its zlib stream exceeds the 128 KB buffer
  std::vector<uint8_t> Block = PackSkinMembers({{"options.DAT", Bytes("[FORM]\nCOLOR=1\n")},
                                                {"master.BMP", Big},
                                                {"glyph.png", Bytes("png")},
                                                {"Empty.bmp", {}}});
  auto R = Reader(Block);
  UnpackSkinPackage(R);
  ASSERT_TRUE(R);
  ASSERT_TRUE(R->Options);
  EXPECT_EQ(Text(*R->Options), "[FORM]\nCOLOR=1\n");
  ASSERT_EQ(R->Files.size(), 3u);
  EXPECT_EQ(R->ImageCount, 3);
  EXPECT_EQ(R->Files[0].FileName, "master.BMP");
  EXPECT_TRUE(R->Files[0].IsBitmap);
  EXPECT_EQ(R->Files[0].FileStream->Bytes(), Big);
  EXPECT_FALSE(R->Files[1].IsBitmap);
  EXPECT_EQ(R->Files[1].FileStream->Bytes(), Bytes("png"));
  EXPECT_EQ(R->Files[2].FileStream->Size(), 0); // a member of size 0 is an empty member
  EXPECT_EQ(R->FindImage("MASTER.BMP"), &R->Files[0]);
  EXPECT_EQ(R->FindImage("master.BMP"), nullptr); // the value as written must be upper case

  std::vector<TkvPackEntry> List = ListSkinPackage(Block.data(), Block.size());
  ASSERT_EQ(List.size(), 4u);
  EXPECT_EQ(List[1].Name, "master.BMP");
  EXPECT_EQ(List[1].Size, 200000);
  EXPECT_GT(List[1].PackedSize, 200000);
}

TEST(kvSkinPack, WrongMagicFreesTheReader) {
  std::vector<uint8_t> Block = PackSkinMembers({{"Options.dat", Bytes("x")}});
  Block[2] = 'p';
  Block[0] = 'k';
  Block[1] = 'v'; // "kvpk"
  auto R = Reader(Block);
  try {
    UnpackSkinPackage(R);
    FAIL();
  } catch (const ESkinPackError& E) {
    EXPECT_STREQ(E.what(), "Loaded data is not a packed Tessera file");
  }
  EXPECT_FALSE(R);

  // A borrowed block survives the reader.
  TMemoryStream Borrowed(std::vector<uint8_t>{'n', 'o'});
  auto B = std::make_unique<TkvSkinConvertor>();
  B->LendPackedData(&Borrowed);
  EXPECT_THROW(UnpackSkinPackage(B), ESkinPackError);
  EXPECT_EQ(Borrowed.Size(), 2);
}

TEST(kvSkinPack, NoMembersAndNoOptions) {
  auto R = Reader(PackSkinMembers({}));
  UnpackSkinPackage(R);
  EXPECT_FALSE(R->Options);
  EXPECT_TRUE(R->Files.empty());
  std::vector<uint8_t> Negative{'K', 'V', 'p', 'k', 0, 0, 0, 0x80}; // N = -2^31
  auto Neg = Reader(Negative);
  UnpackSkinPackage(Neg);
  EXPECT_EQ(Neg->ImageCount, 0);
  EXPECT_FALSE(Neg->Options);
  TsSkinModel Model;
  try {
    Model.LoadPackedSkin(*R);
    FAIL();
  } catch (const ESkinPackError& E) {
    EXPECT_STREQ(E.what(), "Packed skin has no Options.dat");
  }
  // Two options members: the last one counts.
  auto Two = Reader(PackSkinMembers({{"Options.dat", Bytes("a")}, {"OPTIONS.DAT", Bytes("b")}}));
  UnpackSkinPackage(Two);
  EXPECT_EQ(Text(*Two->Options), "b");
}

TEST(kvSkinPack, EveryTruncationFailsWithAStreamError) {
  std::vector<uint8_t> Block = PackSkinMembers(
      {{"Options.dat", Bytes("[GLOBALINFO]\nVERSION=8.00\n")}, {"Master.bmp", MasterBmp(20, 10)}});
  for (size_t Len = 4; Len < Block.size(); ++Len) {
    auto R = Reader(std::vector<uint8_t>(Block.begin(), Block.begin() + ptrdiff_t(Len)));
    try {
      UnpackSkinPackage(R);
      ADD_FAILURE() << "length " << Len << " was accepted";
    } catch (const EStreamError& E) {
      EXPECT_STREQ(E.what(), "Stream read error");
    } catch (const EZDecompressionError&) {
    }
  }
}

TEST(kvSkinPack, AbsurdHeaderValuesAreRefusedBeforeAllocating) {
  std::vector<uint8_t> Block{'K', 'V', 'p', 'k'};
  PutInt(Block, 1);
  PutInt(Block, 0x7FFFFFF0); // name length far beyond the block
  auto Name = Reader(Block);
  EXPECT_THROW(UnpackSkinPackage(Name), EStreamError);

  Block.resize(8);
  PutInt(Block, 1);
  Block.push_back('a');
  PutInt(Block, 300 * 1024 * 1024);
  auto R = Reader(Block);
  try {
    UnpackSkinPackage(R);
    FAIL();
  } catch (const ESkinPackError& E) {
    EXPECT_NE(std::string(E.what()).find("too large"), std::string::npos);
  }

  Block.resize(Block.size() - 4);
  PutInt(Block, -5);
  auto N = Reader(Block);
  EXPECT_THROW(UnpackSkinPackage(N), ESkinPackError);

  // A member whose stream holds more than its stated size is corrupt.
  std::vector<uint8_t> Long = PackSkinMembers({{"a.bmp", Bytes("abcdef")}});
  Long[4 + 4 + 4 + 5] = 3; // S = 3
  auto L = Reader(Long);
  EXPECT_THROW(UnpackSkinPackage(L), ESkinPackError);
}

TEST(kvSkinPack, LoadSkinPackageFromAFile) {
  TTempDir Dir;
  std::unique_ptr<TkvSkinConvertor> R;
  LoadSkinPackage(Dir.Str() + "missing.kvz", R, true);
  EXPECT_FALSE(R);
  Dir.Write("s.kvz", PackSkinMembers({{"Options.dat", Bytes("o")}, {"A.bmp", Bytes("a")}}));
  LoadSkinPackage(Dir.Str() + "s.kvz", R, false);
  ASSERT_TRUE(R);
  EXPECT_TRUE(R->PackedData());
  LoadSkinPackage(Dir.Str() + "s.kvz", R, true);
  EXPECT_FALSE(R->PackedData());
  EXPECT_EQ(R->Files.size(), 1u);
}

TEST(kvSkinPack, StoredSkins) {
  TsStoredSkins Skins;
  int Changes = 0;
  Skins.OnChange = [&] { ++Changes; };
  TsStoredSkin& S = Skins.Add();
  EXPECT_EQ(S.Shadow1Blur(), -1);
  EXPECT_EQ(S.BorderColor(), clFuchsia);
  S.SetName("MeadowStyle");
  int Before = Changes;
  S.SetName("MeadowStyle"); // no change, no notification
  EXPECT_EQ(Changes, Before);
  S.SetShadow1Offset(2);
  EXPECT_EQ(Changes, Before + 1);
  EXPECT_EQ(Skins.IndexOf("MeadowStyle"), 0);
  EXPECT_EQ(Skins.IndexOf("meadowstyle"), -1);

  TMemoryStream Stored(Bytes("KVpkdata"));
  S.ReadData(Stored, 8);
  TMemoryStream Written;
  S.WriteData(Written);
  EXPECT_EQ(Written.Bytes(), Bytes("KVpkdata"));

  TsStoredSkin& Copy = Skins.Add();
  Copy.Assign(S);
  EXPECT_EQ(Copy.Name(), "MeadowStyle");
  EXPECT_EQ(Copy.Shadow1Offset(), 2);
  EXPECT_EQ(Copy.PackedData().Bytes(), Bytes("KVpkdata"));

  EXPECT_THROW(Skins.Delete(2), std::out_of_range);
  Skins.Delete(0);
  EXPECT_EQ(Skins.Count(), 1);
  EXPECT_EQ(Skins.IndexOf("MeadowStyle"), 0);
}

TEST(kvSkinPack, NormalizeDirAndExtraction) {
  EXPECT_EQ(NormalizeDir(""), "");
  EXPECT_EQ(NormalizeDir("c:\\Skins\\"), "c:\\Skins\\");
  EXPECT_EQ(NormalizeDir("c:/Skins/"), "c:/Skins\\");
  EXPECT_EQ(NormalizeDir("d"), "d:\\");
  EXPECT_EQ(NormalizeDir("Skins"), "Skins\\");

  TTempDir Dir;
  TsStoredSkins Skins;
  TsStoredSkin& S = Skins.Add();
  S.SetName("Meadow");
  S.PackedData().Bytes() = Bytes("KVpk-bytes");
  std::string Out = Dir.Str() + "out";
  EXPECT_EQ(ExtractInternalSkin(Skins, "Meadow", Out),
            std::vector<std::string>{"Directory does not exists."});
  EXPECT_EQ(ExtractInternalSkin(Skins, "meadow", Dir.Str()),
            std::vector<std::string>{"Skin does not exists."});
  EXPECT_EQ(ExtractByIndex(Skins, 0, Out), ""); // creates the folder
  std::string Written = Out + "/Meadow extracted.kvz";
  EXPECT_EQ(ReadWholeFile(Written), Bytes("KVpk-bytes"));
  EXPECT_TRUE(ExtractInternalSkin(Skins, "Meadow", Out).empty());
}

TEST(kvSkinPack, ExtractionReportsFailuresInsteadOfThrowing) {
  TTempDir Dir;
  TsStoredSkins Skins;
  TsStoredSkin& S = Skins.Add();
  // A name that leads into a folder that is not there: the file cannot be written.
  S.SetName("missing/folder/Meadow");
  S.PackedData().Bytes() = Bytes("KVpk-bytes");
  std::string Message;
  EXPECT_NO_THROW(Message = ExtractByIndex(Skins, 0, Dir.Str()));
  EXPECT_FALSE(Message.empty());
  EXPECT_NO_THROW(Message = ExtractByIndex(Skins, 5, Dir.Str()));
  EXPECT_FALSE(Message.empty());
  std::vector<std::string> Messages;
  EXPECT_NO_THROW(Messages = ExtractInternalSkin(Skins, "missing/folder/Meadow", Dir.Str()));
  EXPECT_EQ(Messages.size(), 1u);
}
