// The file and code page layer of the text files on Windows: Win32 files and the system's
// MultiByteToWideChar / WideCharToMultiByte conversions.
#include "app/un_textfile.h"

#include <algorithm>

#include <windows.h>

namespace textovrt::os {

namespace {

std::string Reason(DWORD Code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, Code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (n > 0 && text) message.assign(reinterpret_cast<const char16_t*>(text), n);
  if (text) LocalFree(text);
  while (!message.empty() &&
         (message.back() == u'\r' || message.back() == u'\n' || message.back() == u' '))
    message.pop_back();
  if (message.empty()) return "System error " + std::to_string(Code) + ".";
  return Utf16ToUtf8(message);
}

class THandle {
public:
  explicit THandle(HANDLE H) : FHandle(H) {}
  ~THandle() { Close(); }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return FHandle; }
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (!Valid()) return true;
    const BOOL ok = CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
    return ok != 0;
  }

private:
  HANDLE FHandle;
};

class TWinCodePage : public TCodePage {
public:
  explicit TWinCodePage(unsigned Number) : FNumber(Number) {
    // A single-byte code page whose bytes decode to characters of their own, each encoding back
    // to its byte.
    CPINFO info{};
    if (!GetCPInfo(Number, &info) || info.MaxCharSize != 1) return;
    std::u16string units;
    for (unsigned b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const std::u16string unit = Decode(std::string_view(&byte, 1));
      if (unit.size() != 1 || units.find(unit[0]) != std::u16string::npos) return;
      std::string back;
      if (!Encode(unit, back) || back != std::string_view(&byte, 1)) return;
      units += unit;
    }
    FSingleByte = true;
  }
  unsigned Number() const override { return FNumber; }
  bool IsSingleByte() const override { return FSingleByte; }
  std::u16string Decode(std::string_view Bytes) const override {
    std::u16string text;
    // Converted in slices of at most 1 GiB, as the counts are ints; a slice never ends inside
    // a character of a double-byte code page because only its lead bytes are looked at.
    size_t at = 0;
    while (at < Bytes.size()) {
      size_t n = std::min<size_t>(Bytes.size() - at, 1u << 30);
      if (n < Bytes.size() - at && IsDBCSLeadByteEx(FNumber, static_cast<BYTE>(Bytes[at + n - 1])))
        --n;
      const int len =
          MultiByteToWideChar(FNumber, 0, Bytes.data() + at, static_cast<int>(n), nullptr, 0);
      const size_t old = text.size();
      text.resize(old + static_cast<size_t>(len));
      MultiByteToWideChar(FNumber, 0, Bytes.data() + at, static_cast<int>(n),
                          reinterpret_cast<wchar_t*>(text.data() + old), len);
      at += n;
    }
    return text;
  }
  bool Encode(std::u16string_view Text, std::string& Bytes) const override {
    // Best-fit mapping would write "a" for "ą"; without it a missing character is reported.
    const bool flagsAllowed = FNumber != CP_UTF8 && FNumber != CP_UTF7 && FNumber < 50220;
    const DWORD flags = flagsAllowed ? WC_NO_BEST_FIT_CHARS : 0;
    bool exact = true;
    size_t at = 0;
    while (at < Text.size()) {
      size_t n = std::min<size_t>(Text.size() - at, 1u << 28);
      if (n < Text.size() - at && Text[at + n - 1] >= 0xD800 && Text[at + n - 1] <= 0xDBFF) --n;
      const wchar_t* src = reinterpret_cast<const wchar_t*>(Text.data() + at);
      BOOL usedDefault = FALSE;
      const int len = WideCharToMultiByte(FNumber, flags, src, static_cast<int>(n), nullptr, 0,
                                          nullptr, flagsAllowed ? &usedDefault : nullptr);
      const size_t old = Bytes.size();
      Bytes.resize(old + static_cast<size_t>(len));
      WideCharToMultiByte(FNumber, flags, src, static_cast<int>(n), Bytes.data() + old, len,
                          nullptr, flagsAllowed ? &usedDefault : nullptr);
      if (usedDefault) exact = false;
      at += n;
    }
    return exact;
  }

private:
  unsigned FNumber;
  bool FSingleByte = false;
};

} // namespace

std::unique_ptr<TCodePage> OpenSystemCodePage(unsigned Number, std::string& Error) {
  if (!IsValidCodePage(Number)) {
    Error = "Unknown code page " + std::to_string(Number) + ".";
    return nullptr;
  }
  return std::make_unique<TWinCodePage>(Number);
}

unsigned DefaultCodePage() {
  return GetACP();
}

bool ReadWholeFile(const std::filesystem::path& Path, std::string& Bytes, std::string& Error) {
  // Others may read the file while it is open, but not write it.
  THandle file(CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) {
    Error = Reason(GetLastError());
    return false;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) {
    Error = Reason(GetLastError());
    return false;
  }
  return ReadToEnd(
      static_cast<size_t>(size.QuadPart), Bytes, [&](char* Buffer, size_t Count) -> long long {
        DWORD n = 0;
        if (!ReadFile(file.Get(), Buffer, static_cast<DWORD>(std::min<size_t>(Count, 1u << 30)), &n,
                      nullptr)) {
          Error = Reason(GetLastError());
          return -1;
        }
        return n;
      });
}

bool WriteFileSafely(const std::filesystem::path& Path, const TByteProducer& Produce,
                     std::string& Error) {
  std::filesystem::path folder = Path.parent_path();
  if (folder.empty()) folder = L".";
  wchar_t temp[MAX_PATH + 16];
  if (!GetTempFileNameW(folder.c_str(), L"tvt", 0, temp)) {
    Error = Reason(GetLastError());
    return false;
  }
  auto fail = [&](DWORD Code) {
    Error = Reason(Code);
    DeleteFileW(temp);
    return false;
  };
  {
    THandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!file.Valid()) return fail(GetLastError());
    DWORD writeError = ERROR_SUCCESS;
    try {
      Produce([&](std::string_view Bytes) {
        size_t at = 0;
        while (writeError == ERROR_SUCCESS && at < Bytes.size()) {
          const DWORD chunk = static_cast<DWORD>(std::min<size_t>(Bytes.size() - at, 1u << 24));
          DWORD written = 0;
          if (!WriteFile(file.Get(), Bytes.data() + at, chunk, &written, nullptr))
            writeError = GetLastError();
          at += written;
        }
        return writeError == ERROR_SUCCESS;
      });
    } catch (...) {
      file.Close();
      DeleteFileW(temp);
      throw;
    }
    if (writeError != ERROR_SUCCESS) {
      file.Close();
      return fail(writeError);
    }
    if (!FlushFileBuffers(file.Get()) || !file.Close()) {
      const DWORD code = GetLastError();
      file.Close();
      return fail(code);
    }
  }
  if (!MoveFileExW(temp, Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return fail(GetLastError());
  return true;
}

} // namespace textovrt::os
