// The file and code page layer of the text files on Windows: Win32 files and the system's
// MultiByteToWideChar / WideCharToMultiByte conversions.
#include "app/un_textfile.h"

#include <algorithm>
#include <cwchar>

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

// The path as Win32 takes it at any length: absolute, with the \\?\ prefix once it is longer
// than the classic limit (less the room a folder needs for a file name of 8.3 characters).
std::wstring LongPath(const std::filesystem::path& Path) {
  const std::wstring path = Path.wstring();
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  if (n == 0 || n >= full.size()) return path;
  full.resize(n);
  if (full.size() < MAX_PATH - 12) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Writes Bytes whole; ERROR_SUCCESS or the error.
DWORD WriteAll(HANDLE File, std::string_view Bytes) {
  size_t at = 0;
  while (at < Bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(Bytes.size() - at, 1u << 24));
    DWORD written = 0;
    if (!WriteFile(File, Bytes.data() + at, chunk, &written, nullptr)) return GetLastError();
    at += written;
  }
  return ERROR_SUCCESS;
}

// For a folder that lets no new file be made: the whole content is made first, then written
// over the target, which keeps everything but its bytes.
bool WriteInPlace(const std::wstring& Target, const TByteProducer& Produce, std::string& Error) {
  std::string bytes;
  Produce([&](std::string_view Piece) {
    bytes.append(Piece);
    return true;
  });
  THandle file(CreateFileW(Target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD code = file.Valid() ? WriteAll(file.Get(), bytes) : GetLastError();
  if (code == ERROR_SUCCESS && (!SetEndOfFile(file.Get()) || !FlushFileBuffers(file.Get())))
    code = GetLastError();
  if (file.Valid() && !file.Close() && code == ERROR_SUCCESS) code = GetLastError();
  if (code != ERROR_SUCCESS) Error = Reason(code);
  return code == ERROR_SUCCESS;
}

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
  THandle file(CreateFileW(LongPath(Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                           nullptr));
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
  const std::wstring target = LongPath(Path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    Error = Reason(ERROR_ACCESS_DENIED);
    return false;
  }
  // The temporary file beside the target, under a name of its own at any path length.
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"." : target.substr(0, slash);
  static unsigned counter = 0;
  std::wstring temp;
  HANDLE created = INVALID_HANDLE_VALUE;
  DWORD createError = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    wchar_t name[64];
    swprintf(name, 64, L"\\~tvt%08lx%04x.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
             (GetTickCount() + ++counter * 7919u) & 0xFFFFu);
    temp = folder + name;
    created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    createError = created == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    if (createError != ERROR_FILE_EXISTS && createError != ERROR_ALREADY_EXISTS) break;
  }
  if (created == INVALID_HANDLE_VALUE) {
    if (exists && createError == ERROR_ACCESS_DENIED) return WriteInPlace(target, Produce, Error);
    Error = Reason(createError);
    return false;
  }
  auto fail = [&](DWORD Code) {
    Error = Reason(Code);
    DeleteFileW(temp.c_str());
    return false;
  };
  {
    THandle file(created);
    DWORD writeError = ERROR_SUCCESS;
    try {
      Produce([&](std::string_view Bytes) {
        if (writeError == ERROR_SUCCESS) writeError = WriteAll(file.Get(), Bytes);
        return writeError == ERROR_SUCCESS;
      });
    } catch (...) {
      file.Close();
      DeleteFileW(temp.c_str());
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
  if (!exists) {
    if (!MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return fail(GetLastError());
    return true;
  }
  // The old file's attributes, creation time and security stay with the name.
  if (!ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                    REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                    nullptr))
    return fail(GetLastError());
  // Where the system's replacement forgets the plain attributes, they are put back.
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD now = GetFileAttributesW(target.c_str());
  if (now != INVALID_FILE_ATTRIBUTES && (now & kKept) != (attributes & kKept))
    SetFileAttributesW(target.c_str(), (now & ~kKept) | (attributes & kKept));
  return true;
}

} // namespace textovrt::os
