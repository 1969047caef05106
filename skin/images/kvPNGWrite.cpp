// The PNG writer: signature, IHDR, one zlib stream of filtered rows in IDAT chunks, IEND.
#include "skin/images/kvPNGWrite.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include <zlib.h>

#include "skin/pixels/kvBitmapIO.h"

namespace {

void PutBE32(uint8_t* P, uint32_t V) {
  P[0] = uint8_t(V >> 24);
  P[1] = uint8_t(V >> 16);
  P[2] = uint8_t(V >> 8);
  P[3] = uint8_t(V);
}

uint8_t Paeth(int A, int B, int C) {
  const int P = A + B - C;
  const int PA = std::abs(P - A), PB = std::abs(P - B), PC = std::abs(P - C);
  if (PA <= PB && PA <= PC) return uint8_t(A);
  return uint8_t(PB <= PC ? B : C);
}

// Filters Row (Length bytes, 4 per pixel) against Prev with filter F into Out.
void FilterRow(int F, const uint8_t* Row, const uint8_t* Prev, size_t Length, uint8_t* Out) {
  for (size_t I = 0; I < Length; ++I) {
    const int A = I >= 4 ? Row[I - 4] : 0, B = Prev[I], C = I >= 4 ? Prev[I - 4] : 0;
    int Pred = 0;
    switch (F) {
    case 1: Pred = A; break;
    case 2: Pred = B; break;
    case 3: Pred = (A + B) >> 1; break;
    case 4: Pred = Paeth(A, B, C); break;
    }
    Out[I] = uint8_t(Row[I] - Pred);
  }
}

} // namespace

void AppendPNGChunk(std::vector<uint8_t>& Out, const char* Type, const uint8_t* Data,
                    size_t Length) {
  uint8_t Head[8];
  PutBE32(Head, uint32_t(Length));
  std::memcpy(Head + 4, Type, 4);
  Out.insert(Out.end(), Head, Head + 8);
  if (Length) Out.insert(Out.end(), Data, Data + Length);
  uLong CRC = crc32(0L, Head + 4, 4);
  if (Length) CRC = crc32(CRC, Data, uInt(Length));
  uint8_t Tail[4];
  PutBE32(Tail, uint32_t(CRC));
  Out.insert(Out.end(), Tail, Tail + 4);
}

std::vector<uint8_t> BeginPNG(uint32_t Width, uint32_t Height, uint8_t BitDepth, uint8_t ColorType,
                              uint8_t Interlace) {
  std::vector<uint8_t> Out = {137, 80, 78, 71, 13, 10, 26, 10};
  uint8_t IHDR[13];
  PutBE32(IHDR, Width);
  PutBE32(IHDR + 4, Height);
  IHDR[8] = BitDepth;
  IHDR[9] = ColorType;
  IHDR[10] = 0;
  IHDR[11] = 0;
  IHDR[12] = Interlace;
  AppendPNGChunk(Out, "IHDR", IHDR, 13);
  return Out;
}

std::vector<uint8_t> EncodePNG(const TBitmap32& Bmp, int Level) {
  const size_t W = size_t(Bmp.Width()), H = size_t(Bmp.Height());
  const size_t RowLength = W * 4;
  // Raw filtered rows, then one zlib stream over them.
  std::vector<uint8_t> Raw;
  Raw.reserve((RowLength + 1) * H);
  std::vector<uint8_t> Row(RowLength), Prev(RowLength, 0), Best(RowLength), Trial(RowLength);
  for (size_t Y = 0; Y < H; ++Y) {
    const uint32_t* Src = Bmp.ScanLine(int(Y));
    for (size_t X = 0; X < W; ++X) {
      const uint32_t P = Src[X];
      Row[X * 4] = uint8_t(P >> 16);
      Row[X * 4 + 1] = uint8_t(P >> 8);
      Row[X * 4 + 2] = uint8_t(P);
      Row[X * 4 + 3] = uint8_t(P >> 24);
    }
    int BestFilter = 0;
    uint64_t BestSum = UINT64_MAX;
    const int LastFilter = Level == 0 ? 0 : 4;
    for (int F = 0; F <= LastFilter; ++F) {
      FilterRow(F, Row.data(), Prev.data(), RowLength, Trial.data());
      uint64_t Sum = 0;
      for (uint8_t B : Trial)
        Sum += B < 128 ? B : 256 - B;
      if (Sum < BestSum) {
        BestSum = Sum;
        BestFilter = F;
        Best.swap(Trial);
      }
    }
    Raw.push_back(uint8_t(BestFilter));
    Raw.insert(Raw.end(), Best.begin(), Best.end());
    Prev.swap(Row);
  }
  uLongf PackedLength = compressBound(uLong(Raw.size()));
  std::vector<uint8_t> Packed(PackedLength);
  if (compress2(Packed.data(), &PackedLength, Raw.data(), uLong(Raw.size()), Level) != Z_OK)
    throw std::runtime_error("PNG compression failed");
  Packed.resize(PackedLength);

  std::vector<uint8_t> Out = BeginPNG(uint32_t(W), uint32_t(H), 8, 6);
  // IDAT chunks of at most 64 KB, as most writers make them.
  constexpr size_t ChunkSize = 65536;
  for (size_t Pos = 0; Pos < Packed.size(); Pos += ChunkSize)
    AppendPNGChunk(Out, "IDAT", Packed.data() + Pos, std::min(ChunkSize, Packed.size() - Pos));
  AppendPNGChunk(Out, "IEND", nullptr, 0);
  return Out;
}

void SavePNGToFile(const TBitmap32& Bmp, const std::string& FileName, int Level) {
  SaveFileBytes(EncodePNG(Bmp, Level), FileName);
}
