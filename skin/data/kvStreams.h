// Byte streams for the skin data: an abstract stream, a memory stream and the stream errors.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A failure to read or write the bytes a caller asked for ("Stream read error").
class EStreamError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A stream of bytes with a position. Read and Write move as far as they can and return the
// number of bytes moved; ReadBuffer and WriteBuffer fail unless every byte was moved.
class TStream {
public:
  virtual ~TStream() = default;
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, soBeginning); }
  virtual int64_t Size();

  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  // Copies exactly Count bytes from Source (at its position) into this stream; fails with
  // "Stream read error" when Source gives fewer. Count 0 copies nothing.
  void CopyExactly(TStream& Source, int64_t Count);
};

// A stream over bytes held in memory; the stream owns them.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> Bytes) : FBytes(std::move(Bytes)) {}

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return int64_t(FBytes.size()); }

  const uint8_t* Memory() const { return FBytes.data(); }
  const std::vector<uint8_t>& Bytes() const { return FBytes; }
  std::vector<uint8_t>& Bytes() { return FBytes; }
  void Clear();
  // Reserves room for Count more bytes ahead of writing them.
  void Reserve(int64_t Count);
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

private:
  std::vector<uint8_t> FBytes;
  int64_t FPosition = 0;
};

// Reads a whole file; throws EStreamError naming the file when it cannot be read.
std::vector<uint8_t> ReadWholeFile(const std::string& FileName);
// Writes a whole file; throws EStreamError naming the file when it cannot be written.
void WriteWholeFile(const std::string& FileName, const uint8_t* Data, size_t Size);
