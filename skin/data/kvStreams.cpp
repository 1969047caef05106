// Byte streams for the skin data.
#include "skin/data/kvStreams.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {
const char* const SReadError = "Stream read error";
const char* const SWriteError = "Stream write error";
} // namespace

int64_t TStream::Size() {
  int64_t Pos = Seek(0, soCurrent);
  int64_t Result = Seek(0, soEnd);
  Seek(Pos, soBeginning);
  return Result;
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count > 0 && Read(Buffer, Count) != Count) throw EStreamError(SReadError);
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count > 0 && Write(Buffer, Count) != Count) throw EStreamError(SWriteError);
}

void TStream::CopyExactly(TStream& Source, int64_t Count) {
  uint8_t Chunk[16384];
  while (Count > 0) {
    int64_t Part = std::min<int64_t>(Count, sizeof(Chunk));
    Source.ReadBuffer(Chunk, Part);
    WriteBuffer(Chunk, Part);
    Count -= Part;
  }
}

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= Size()) return 0;
  int64_t Part = std::min(Count, Size() - FPosition);
  std::memcpy(Buffer, FBytes.data() + FPosition, size_t(Part));
  FPosition += Part;
  return Part;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (FPosition + Count > Size()) FBytes.resize(size_t(FPosition + Count));
  std::memcpy(FBytes.data() + FPosition, Buffer, size_t(Count));
  FPosition += Count;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t Base = Origin == soBeginning ? 0 : Origin == soCurrent ? FPosition : Size();
  // A position before the start is not allowed; one past the end is (a later write fills the
  // gap with zeros).
  FPosition = std::max<int64_t>(0, Base + Offset);
  return FPosition;
}

void TMemoryStream::Clear() {
  FBytes.clear();
  FBytes.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::Reserve(int64_t Count) {
  if (Count > 0) FBytes.reserve(size_t(FPosition + Count));
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  FBytes = ReadWholeFile(FileName);
  FPosition = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
  WriteWholeFile(FileName, FBytes.data(), FBytes.size());
}

std::vector<uint8_t> ReadWholeFile(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) throw EStreamError("Cannot open file \"" + FileName + "\"");
  std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)),
                             std::istreambuf_iterator<char>());
  if (In.bad()) throw EStreamError("Cannot read file \"" + FileName + "\"");
  return Bytes;
}

void WriteWholeFile(const std::string& FileName, const uint8_t* Data, size_t Size) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  if (!Out) throw EStreamError("Cannot create file \"" + FileName + "\"");
  Out.write(reinterpret_cast<const char*>(Data), std::streamsize(Size));
  Out.close();
  if (!Out) throw EStreamError("Cannot write file \"" + FileName + "\"");
}
