// Decompression of zlib streams read from another stream.
#include "skin/data/kvZLibEx.h"

#include <zlib.h>

#include <algorithm>

const char* const SZInvalid = "Invalid ZStream operation!";

namespace {
[[noreturn]] void RaiseZError(int Code) {
  const char* Text = zError(Code);
  throw EZDecompressionError(Code, Text ? Text : "zlib error");
}
} // namespace

struct TZDecompressionStream::TState {
  z_stream Z{};
};

TCustomZStream::TCustomZStream(TStream& Source) : FStream(Source), FStreamPos(Source.Position()) {}

TZDecompressionStream::TZDecompressionStream(TStream& Source)
    : TCustomZStream(Source), FState(std::make_unique<TState>()) {
  // Never more than the source can give: small members then need no 128 KB buffer.
  FBufferSize = int(std::clamp<int64_t>(Source.Size() - FStreamPos, 1, BufferSize));
  FBuffer = std::make_unique_for_overwrite<unsigned char[]>(size_t(FBufferSize));
  int Code = inflateInit(&FState->Z);
  if (Code < 0) RaiseZError(Code);
}

TZDecompressionStream::~TZDecompressionStream() {
  inflateEnd(&FState->Z);
}

int64_t TZDecompressionStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FEnded) return 0;
  z_stream& Z = FState->Z;
  int64_t Produced = 0;
  auto* Out = static_cast<unsigned char*>(Buffer);
  if (FStream.Position() != FStreamPos) FStream.SetPosition(FStreamPos);
  while (Produced < Count && !FEnded) {
    if (Z.avail_in == 0) {
      int64_t Got = FStream.Read(FBuffer.get(), FBufferSize);
      if (Got <= 0) break;
      Z.next_in = FBuffer.get();
      Z.avail_in = uInt(Got);
      FStreamPos = FStream.Position();
      DoProgress();
    }
    // zlib counts in 32 bits; ask for at most 1 GB at a time.
    uInt Want = uInt(std::min<int64_t>(Count - Produced, int64_t(1) << 30));
    Z.next_out = Out + Produced;
    Z.avail_out = Want;
    int Code = inflate(&Z, Z_NO_FLUSH);
    Produced += Want - Z.avail_out;
    if (Code == Z_STREAM_END) {
      FEnded = true;
    } else if (Code == Z_BUF_ERROR) {
      // No progress was possible with the input at hand; more input is needed.
      if (Z.avail_in != 0) RaiseZError(Code);
    } else if (Code < 0 || Code == Z_NEED_DICT) {
      // A stream that asks for a preset dictionary can never make progress here.
      RaiseZError(Code);
    }
  }
  if (FEnded && Z.avail_in > 0) {
    FStream.SetPosition(FStream.Position() - Z.avail_in);
    FStreamPos = FStream.Position();
    Z.avail_in = 0;
  }
  return Produced;
}

int64_t TZDecompressionStream::Write(const void*, int64_t) {
  throw EZDecompressionError(0, SZInvalid);
}

int64_t TZDecompressionStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t Current = int64_t(FState->Z.total_out);
  int64_t Skip;
  if (Origin == soCurrent && Offset >= 0) {
    Skip = Offset;
  } else if (Origin == soBeginning && Offset >= Current) {
    Skip = Offset - Current;
  } else if (Origin == soEnd && Offset == 0) {
    Skip = INT64_MAX;
  } else {
    throw EZDecompressionError(0, SZInvalid);
  }
  unsigned char Scratch[16384];
  while (Skip > 0) {
    int64_t Got = Read(Scratch, std::min<int64_t>(Skip, sizeof(Scratch)));
    if (Got <= 0) break;
    Skip -= Got;
  }
  return int64_t(FState->Z.total_out);
}

int64_t TZDecompressionStream::Finish() {
  int64_t Before = int64_t(FState->Z.total_out);
  Seek(0, soEnd);
  if (!FEnded) throw EStreamError("Stream read error");
  if (FStream.Position() != FStreamPos) FStream.SetPosition(FStreamPos);
  return int64_t(FState->Z.total_out) - Before;
}
