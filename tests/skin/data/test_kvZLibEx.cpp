#include <gtest/gtest.h>

#include <zlib.h>

#include "skin/data/kvZLibEx.h"
#include "tests/skin/data/SkinFixture.h"

namespace {

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& Data, int Level = 9) {
  uLongf Size = compressBound(uLong(Data.size()));
  std::vector<uint8_t> Out(Size);
  EXPECT_EQ(compress2(Out.data(), &Size, Data.data(), uLong(Data.size()), Level), Z_OK);
  Out.resize(Size);
  return Out;
}

} // namespace

TEST(kvZLibEx, StreamLargerThanTheInputBufferEndsWhereTheStreamEnds) {
  std::vector<uint8_t> Plain = RandomBytes(300000);
  std::vector<uint8_t> Packed = Deflate(Plain);
  ASSERT_GT(Packed.size(), size_t(2 * TZDecompressionStream::BufferSize));
  std::vector<uint8_t> Source = Packed;
  Source.insert(Source.end(), {'N', 'E', 'X', 'T'});
  TMemoryStream S(Source);
  int Refills = 0;
  std::vector<uint8_t> Out(Plain.size());
  {
    TZDecompressionStream Z(S);
    Z.OnProgress = [&](TCustomZStream&) { ++Refills; };
    // Read in odd pieces; the source is moved in between and must be put back.
    int64_t Done = 0;
    while (Done < int64_t(Out.size())) {
      int64_t Got = Z.Read(Out.data() + Done, 7777);
      ASSERT_GT(Got, 0);
      Done += Got;
      S.SetPosition(0);
    }
    EXPECT_EQ(Z.Finish(), 0);
    EXPECT_TRUE(Z.StreamEnded());
  }
  EXPECT_EQ(Out, Plain);
  EXPECT_EQ(Refills, 3);
  EXPECT_EQ(S.Position(), int64_t(Packed.size())); // on the first byte after the stream
}

TEST(kvZLibEx, UnsupportedOperationsAndSkipping) {
  std::vector<uint8_t> Plain = RandomBytes(50000, 2);
  TMemoryStream S(Deflate(Plain));
  TZDecompressionStream Z(S);
  try {
    uint8_t b = 0;
    Z.Write(&b, 1);
    FAIL();
  } catch (const EZDecompressionError& E) {
    EXPECT_STREQ(E.what(), "Invalid ZStream operation!");
  }
  EXPECT_EQ(Z.Seek(20000, soCurrent), 20000);
  EXPECT_EQ(Z.Seek(30000, soBeginning), 30000);
  uint8_t b;
  ASSERT_EQ(Z.Read(&b, 1), 1);
  EXPECT_EQ(b, Plain[30000]);
  EXPECT_THROW(Z.Seek(10, soBeginning), EZDecompressionError);
  EXPECT_THROW(Z.Seek(-1, soCurrent), EZDecompressionError);
  EXPECT_THROW(Z.Seek(5, soEnd), EZDecompressionError);
  EXPECT_EQ(Z.Seek(0, soEnd), 50000);
  EXPECT_EQ(Z.Read(&b, 1), 0);
}

TEST(kvZLibEx, CorruptAndTruncatedStreams) {
  std::vector<uint8_t> Packed = Deflate(Bytes(std::string(1000, 'a') + "tail"));
  std::vector<uint8_t> Bad = Packed;
  ASSERT_FALSE(Bad.empty());
  Bad[Bad.size() - 1] ^= 0xFF; // checksum
  TMemoryStream S(Bad);
  TZDecompressionStream Z(S);
  std::vector<uint8_t> Out(2000);
  try {
    Z.Read(Out.data(), int64_t(Out.size()));
    FAIL();
  } catch (const EZDecompressionError& E) {
    EXPECT_STREQ(E.what(), zError(Z_DATA_ERROR));
    EXPECT_EQ(E.ErrorCode(), Z_DATA_ERROR);
  }

  TMemoryStream Cut(std::vector<uint8_t>(Packed.begin(), Packed.end() - 2));
  TZDecompressionStream Z2(Cut);
  EXPECT_EQ(Z2.Read(Out.data(), 1004), 1004);
  try {
    Z2.Finish();
    FAIL();
  } catch (const EStreamError& E) {
    EXPECT_STREQ(E.what(), "Stream read error");
  }
}

TEST(kvZLibEx, AStreamWithAPresetDictionaryFailsInsteadOfSpinning) {
  // 78 BB: a zlib header with the preset-dictionary flag, then a dictionary id.
  TMemoryStream S(std::vector<uint8_t>{0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00});
  TZDecompressionStream Z(S);
  uint8_t Out[16];
  try {
    Z.Read(Out, sizeof(Out));
    FAIL();
  } catch (const EZDecompressionError& E) {
    EXPECT_EQ(E.ErrorCode(), Z_NEED_DICT);
  }
}
