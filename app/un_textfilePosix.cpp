// The file and code page layer of the text files on POSIX systems: plain file descriptors,
// iconv for code pages other than the built-in Windows-1250.
#include "app/un_textfile.h"

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace textovrt::os {

namespace {

std::string Reason(int Errno) {
  return std::strerror(Errno);
}

class TFd {
public:
  explicit TFd(int Fd = -1) : FFd(Fd) {}
  ~TFd() {
    if (FFd >= 0) ::close(FFd);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int Get() const { return FFd; }
  int Release() {
    const int fd = FFd;
    FFd = -1;
    return fd;
  }

private:
  int FFd;
};

// A conversion through iconv. Single-byte code pages are read into a table once, so that the
// bytes iconv refuses map to the code points of the same value, as Windows maps them; other
// code pages convert as a stream.
class TIconvCodePage : public TCodePage {
public:
  TIconvCodePage(unsigned Number, iconv_t ToUtf16, iconv_t FromUtf16)
      : FNumber(Number), FToUtf16(ToUtf16), FFromUtf16(FromUtf16) {
    FSingleByte = true;
    for (unsigned b = 0; b < 256 && FSingleByte; ++b) {
      const char byte = static_cast<char>(b);
      std::u16string unit;
      const int r = Convert(FToUtf16, std::string_view(&byte, 1), unit);
      if (r == EINVAL || unit.size() > 1) FSingleByte = false;
      FTable[b] = r == 0 && unit.size() == 1 ? unit[0] : static_cast<char16_t>(b);
    }
    if (FSingleByte) {
      FReverse.assign(65536, -1);
      for (int b = 255; b >= 0; --b)
        FReverse[FTable[b]] = static_cast<int16_t>(b);
      FOwnCharacters = true;
      for (int b = 0; b < 256; ++b)
        FOwnCharacters = FOwnCharacters && FReverse[FTable[b]] == b;
    }
  }
  ~TIconvCodePage() override {
    iconv_close(FToUtf16);
    iconv_close(FFromUtf16);
  }
  unsigned Number() const override { return FNumber; }
  bool IsBijective() const override { return FSingleByte; }
  bool IsSingleByte() const override { return FOwnCharacters; }
  std::u16string Decode(std::string_view Bytes) const override {
    std::u16string text;
    if (FSingleByte) {
      text.resize(Bytes.size());
      for (size_t i = 0; i < Bytes.size(); ++i)
        text[i] = FTable[static_cast<unsigned char>(Bytes[i])];
      return text;
    }
    while (!Bytes.empty()) {
      const size_t used = ConvertPrefix(FToUtf16, Bytes, text);
      Bytes.remove_prefix(used);
      if (!Bytes.empty()) { // a byte that begins nothing valid
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(Bytes[0])));
        Bytes.remove_prefix(1);
      }
    }
    return text;
  }
  bool Encode(std::u16string_view Text, std::string& Bytes) const override {
    if (FSingleByte) {
      bool exact = true;
      for (const char16_t c : Text) {
        const int16_t b = FReverse[c];
        if (b < 0) exact = false;
        Bytes.push_back(static_cast<char>(b < 0 ? '?' : b));
      }
      return exact;
    }
    std::string in;
    for (const char16_t c : Text) {
      in.push_back(static_cast<char>(c & 0xFF));
      in.push_back(static_cast<char>(c >> 8));
    }
    iconv(FFromUtf16, nullptr, nullptr, nullptr, nullptr);
    char* src = in.data();
    size_t left = in.size();
    std::vector<char> buf(4096);
    bool exact = true;
    while (left > 0) {
      char* dst = buf.data();
      size_t room = buf.size();
      const size_t r = iconv(FFromUtf16, &src, &left, &dst, &room);
      Bytes.append(buf.data(), dst);
      if (r == static_cast<size_t>(-1) && errno != E2BIG) {
        exact = false;
        Bytes.push_back('?');
        const size_t skip = std::min<size_t>(left, 2);
        src += skip;
        left -= skip;
      }
    }
    return exact;
  }

private:
  // Converts as much of Bytes as iconv accepts into UTF-16 units; returns the bytes used.
  static size_t ConvertPrefix(iconv_t Cd, std::string_view Bytes, std::u16string& Out) {
    iconv(Cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(Bytes.data());
    size_t left = Bytes.size();
    std::vector<char> buf(8192);
    for (;;) {
      char* dst = buf.data();
      size_t room = buf.size();
      const size_t r = iconv(Cd, &src, &left, &dst, &room);
      const int err = errno;
      for (char* p = buf.data(); p + 1 < dst; p += 2)
        Out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                            static_cast<unsigned char>(p[1]) << 8));
      if (r != static_cast<size_t>(-1) || err != E2BIG) break;
    }
    return Bytes.size() - left;
  }
  static int Convert(iconv_t Cd, std::string_view Bytes, std::u16string& Out) {
    const size_t used = ConvertPrefix(Cd, Bytes, Out);
    if (used == Bytes.size()) return 0;
    return errno == EINVAL ? EINVAL : EILSEQ;
  }

  unsigned FNumber;
  iconv_t FToUtf16, FFromUtf16;
  bool FSingleByte = false;
  char16_t FTable[256] = {};
  bool FOwnCharacters = false; // single-byte, and no two bytes decode to the same character
  std::vector<int16_t> FReverse;
};

} // namespace

std::unique_ptr<TCodePage> OpenSystemCodePage(unsigned Number, std::string& Error) {
  const std::string name = Number == 65001 ? "UTF-8" : "CP" + std::to_string(Number);
  iconv_t to = iconv_open("UTF-16LE", name.c_str());
  if (to == reinterpret_cast<iconv_t>(-1)) {
    Error = "Unknown code page " + std::to_string(Number) + ".";
    return nullptr;
  }
  iconv_t from = iconv_open(name.c_str(), "UTF-16LE");
  if (from == reinterpret_cast<iconv_t>(-1)) {
    iconv_close(to);
    Error = "Unknown code page " + std::to_string(Number) + ".";
    return nullptr;
  }
  return std::make_unique<TIconvCodePage>(Number, to, from);
}

unsigned DefaultCodePage() {
  return 1250;
}

bool ReadWholeFile(const std::filesystem::path& Path, std::string& Bytes, std::string& Error) {
  TFd fd(::open(Path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    Error = Reason(errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd.Get(), &st) == 0 && S_ISDIR(st.st_mode)) {
    Error = Reason(EISDIR);
    return false;
  }
  return ReadToEnd(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0, Bytes,
                   [&](char* Buffer, size_t Count) -> long long {
                     for (;;) {
                       const ssize_t n = ::read(fd.Get(), Buffer, Count);
                       if (n >= 0 || errno != EINTR) {
                         if (n < 0) Error = Reason(errno);
                         return n;
                       }
                     }
                   });
}

namespace {

// Writes Bytes whole to Fd; 0 or the error.
int WriteAll(int Fd, std::string_view Bytes) {
  const char* p = Bytes.data();
  size_t left = Bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(Fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    p += n;
    left -= static_cast<size_t>(n);
  }
  return 0;
}

// For a folder that lets no new file be made: the whole content is made first, then written
// over the target, which keeps its inode, permissions and owner.
bool WriteInPlace(const std::string& Target, const TByteProducer& Produce, std::string& Error) {
  std::string bytes;
  Produce([&](std::string_view Piece) {
    bytes.append(Piece);
    return true;
  });
  TFd fd(::open(Target.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.Get() < 0) {
    Error = Reason(errno);
    return false;
  }
  int err = WriteAll(fd.Get(), bytes);
  if (err == 0 && ::ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0) err = errno;
  if (err == 0 && ::fsync(fd.Get()) != 0) err = errno;
  if (::close(fd.Release()) != 0 && err == 0) err = errno;
  if (err != 0) Error = Reason(err);
  return err == 0;
}

} // namespace

bool WriteFileSafely(const std::filesystem::path& Path, const TByteProducer& Produce,
                     std::string& Error) {
  // A link is followed, so that the file it points to gets the new text and the link stays.
  std::filesystem::path target = Path;
  std::error_code ec;
  if (std::filesystem::is_symlink(target, ec)) {
    const auto resolved = std::filesystem::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    Error = Reason(EISDIR);
    return false;
  }
  // A read-only file is refused, also where the superuser could write it anyway.
  if (exists && ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
    Error = Reason(EACCES);
    return false;
  }
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  // Built by appending: g++ 12 at -O3 reports a false overlap (-Wrestrict) inside
  // `"literal" + std::string` once it is inlined.
  std::string name = ".";
  name += target.filename().string();
  name += ".XXXXXX";
  std::string temp = (folder / name).string();
  TFd fd(::mkstemp(temp.data()));
  if (fd.Get() < 0) {
    const int err = errno;
    if (exists && (err == EACCES || err == EPERM))
      return WriteInPlace(target.string(), Produce, Error);
    Error = Reason(err);
    return false;
  }
  auto fail = [&](int Errno) {
    Error = Reason(Errno);
    ::close(fd.Release());
    ::unlink(temp.c_str());
    return false;
  };
  // The new file keeps the permissions and, where allowed, the owner of the one it replaces; a
  // new one gets the usual permissions.
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
    if (::fchown(fd.Get(), st.st_uid, st.st_gid) != 0) {
      // Only the superuser may give a file away; the group may still be kept.
      if (::fchown(fd.Get(), static_cast<uid_t>(-1), st.st_gid) != 0) mode &= 0777;
    }
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd.Get(), mode) != 0) return fail(errno);
  int writeError = 0;
  try {
    Produce([&](std::string_view Bytes) {
      if (writeError == 0) writeError = WriteAll(fd.Get(), Bytes);
      return writeError == 0;
    });
  } catch (...) {
    ::close(fd.Release());
    ::unlink(temp.c_str());
    throw;
  }
  if (writeError != 0) return fail(writeError);
  if (::fsync(fd.Get()) != 0) return fail(errno);
  if (::close(fd.Release()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    Error = Reason(err);
    return false;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    Error = Reason(err);
    return false;
  }
  return true;
}

} // namespace textovrt::os
