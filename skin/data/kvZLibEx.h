// Decompression of zlib streams (RFC 1950) read from another stream, for packed skins.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "skin/data/kvStreams.h"

// A zlib failure; ErrorCode is zlib's code (0 for a misuse of the stream).
class EZLibError : public std::runtime_error {
public:
  EZLibError(int Code, const std::string& Message) : std::runtime_error(Message), FCode(Code) {}
  int ErrorCode() const { return FCode; }

private:
  int FCode;
};

class EZDecompressionError : public EZLibError {
public:
  using EZLibError::EZLibError;
};

// The text of the error raised by every unsupported stream operation.
extern const char* const SZInvalid;

class TCustomZStream : public TStream {
public:
  // Fired after each refill of the input buffer from the source.
  std::function<void(TCustomZStream&)> OnProgress;

protected:
  explicit TCustomZStream(TStream& Source);
  void DoProgress() {
    if (OnProgress) OnProgress(*this);
  }

  TStream& FStream;
  int64_t FStreamPos;
};

// Reads the decompressed bytes of the zlib stream that starts at the source's position when
// the object is created. The source is not owned and may be moved by others between reads: it
// is put back where this stream left it. Once zlib reports the end of the stream, the unused
// input is given back, so that the source stands on the first byte after the zlib stream.
class TZDecompressionStream : public TCustomZStream {
public:
  static constexpr int BufferSize = 131072;

  explicit TZDecompressionStream(TStream& Source);
  ~TZDecompressionStream() override;
  TZDecompressionStream(const TZDecompressionStream&) = delete;
  TZDecompressionStream& operator=(const TZDecompressionStream&) = delete;

  // Produces up to Count bytes; fewer only at the end of the zlib stream or of the source.
  // Corrupt data fails with EZDecompressionError carrying zlib's text for the code.
  int64_t Read(void* Buffer, int64_t Count) override;
  // Always fails: the stream only decompresses.
  int64_t Write(const void* Buffer, int64_t Count) override;
  // Skips forward (soCurrent with Offset >= 0, soBeginning at or after the position) or goes
  // to the end (soEnd, Offset 0); anything else fails. Returns the decompressed position.
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;

  // Whether zlib has read the whole stream, checksum included.
  bool StreamEnded() const { return FEnded; }
  // Decompresses and discards whatever is left up to the end of the zlib stream, so that the
  // source stands right after it. Returns the number of bytes discarded. Fails with
  // "Stream read error" when the source ends before the zlib stream does.
  int64_t Finish();

private:
  struct TState;
  std::unique_ptr<TState> FState;
  std::unique_ptr<unsigned char[]> FBuffer;
  int FBufferSize = 0;
  bool FEnded = false;
};
