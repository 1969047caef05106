// Text files of the program and the command: loading by byte-order mark, as UTF-8 when the bytes
// are UTF-8, or in the 8-bit code page; saving in the encoding a text was loaded in (in the code
// page when the text fits it exactly, UTF-8 with a mark otherwise), through a temporary file in
// the same folder so that a failed save loses nothing.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/TextUtils.h"

namespace textovrt {

// An 8-bit code page. Decoding gives one UTF-16 unit per byte for single-byte code pages, as
// Windows does (bytes that the code page leaves undefined become the code points of the same
// value, U+0080 to U+009F).
class TCodePage {
public:
  virtual ~TCodePage() = default;
  virtual unsigned Number() const = 0;
  virtual std::u16string Decode(std::string_view Bytes) const = 0;
  // Appends the bytes of Text to Bytes; false when some character has no byte of its own (it is
  // then written as the code page's default character).
  virtual bool Encode(std::u16string_view Text, std::string& Bytes) const = 0;
  // True when bytes that Encode produced without a missing character always decode to the
  // same text (one byte per character, both ways), so that no check is needed.
  virtual bool IsBijective() const { return false; }
  // True when every byte decodes to one character of its own, which encodes back to that byte:
  // then equal bytes are equal characters, and a text can be worked on in its bytes.
  virtual bool IsSingleByte() const { return false; }
};

// The code page Number, or nullptr with the reason in *Error. Windows-1250 comes from the
// built-in table in the native build; other code pages from iconv natively and from the
// system's conversion functions on Windows, where 1250 is the system's too.
std::unique_ptr<TCodePage> OpenCodePage(unsigned Number, std::string* Error = nullptr);
// The built-in Windows-1250 table, whatever the platform.
std::unique_ptr<TCodePage> BuiltInCodePage1250();
// The system's 8-bit (ANSI) code page: GetACP() on Windows, 1250 elsewhere.
unsigned SystemCodePage();

// teUtf8 carries a byte-order mark, teUtf8NoMark none; both UTF-16 kinds carry one.
enum class TTextEncoding { teCodePage, teUtf8, teUtf16LE, teUtf16BE, teUtf8NoMark };

// True when Bytes are well-formed UTF-8 (no overlong forms, surrogates or code points past
// U+10FFFF) and hold at least one byte above 0x7F: a text in an 8-bit code page practically
// never is, so such bytes are read as UTF-8.
bool IsUtf8Text(std::string_view Bytes);
// True when Bytes are well-formed UTF-8, plain ASCII included.
bool IsWellFormedUtf8(std::string_view Bytes);

// The encoding of a file's bytes and the length of its mark: FF FE gives UTF-16 little-endian,
// FE FF big-endian, EF BB BF UTF-8; without a mark, bytes that IsUtf8Text accepts are UTF-8
// (unless DetectUtf8 is false), anything else is in the 8-bit code page.
TTextEncoding DetectEncoding(std::string_view Bytes, size_t* MarkLength = nullptr,
                             bool DetectUtf8 = true);
// Decodes a file's bytes in the encoding DetectEncoding finds (the mark is not part of the
// text). Malformed UTF-8 and a lone last byte of UTF-16 become U+FFFD.
std::u16string DecodeText(std::string_view Bytes, const TCodePage& CodePage,
                          TTextEncoding* Found = nullptr, bool DetectUtf8 = true);
// Encodes a text for saving in the 8-bit code page: without a mark when the bytes read back as
// exactly this text, otherwise UTF-8 with a mark; a text holding a lone surrogate, which UTF-8
// cannot carry, goes out as UTF-16 little-endian with a mark. Loading gives the text back
// unchanged in every case.
std::string EncodeText(std::u16string_view Text, const TCodePage& CodePage,
                       TTextEncoding* Used = nullptr);
// The same in the encoding Wanted: UTF-16 with its mark, UTF-8 with or without one (with one
// when the text begins with U+FEFF, which would read back as a mark), the code page as above.
// Loading gives the text back unchanged in every case.
std::string EncodeText(std::u16string_view Text, const TCodePage& CodePage, TTextEncoding Wanted,
                       TTextEncoding* Used = nullptr);
// The byte offset of the first NUL character of a file's bytes in the encoding DetectEncoding
// finds (a unit of two zero bytes in UTF-16), or npos.
size_t FindNulCharacter(std::string_view Bytes, TTextEncoding Encoding);

// CR, LF and CR LF all become CR LF, the line break that the editor holds.
std::u16string NormalizeLineBreaks(std::u16string_view Text);
// The same in place, without a copy when every line break is CR LF already; also for the
// bytes of a code page with CR and LF as bytes 13 and 10.
void NormalizeLineBreaksOf(std::u16string& Text);
void NormalizeLineBreaksOf(std::string& Bytes);
// True when every CR is followed by LF and every LF follows CR.
bool HasOnlyCrLf(std::u16string_view Text);
bool HasOnlyCrLf(std::string_view Bytes);
// True when the bytes begin with a byte-order mark that DecodeText reads.
bool HasByteOrderMark(std::string_view Bytes);

// Malformed bytes become U+FFFD; a lone surrogate becomes U+FFFD (base/TextUtils.h).
using ::Utf16ToUtf8;
using ::Utf8ToUtf16;

enum class TTextFileErrorKind { tfeNone, tfeCannotOpen, tfeCannotCreate, tfeNotText };

// What went wrong with a file: the kind chooses the program's message, SystemMessage is the
// system's description of the cause (UTF-8); NulOffset is where a file that is not a text file
// holds its first NUL character.
struct TTextFileError {
  TTextFileErrorKind Kind = TTextFileErrorKind::tfeNone;
  std::string SystemMessage;
  uint64_t NulOffset = 0;
  explicit operator bool() const { return Kind != TTextFileErrorKind::tfeNone; }
};

// "Cannot open file "PATH". REASON" or "Cannot create file "PATH". REASON", and for a file
// holding a NUL character ""PATH" is not a text file: ..." naming its offset (UTF-8).
std::string TextFileErrorMessage(const TTextFileError& Error, const std::filesystem::path& Path);

// Reads and decodes a whole file; other programs may read it meanwhile but not write it (on
// Windows; elsewhere nothing is locked). A file holding a NUL character is no text file: it is
// refused (tfeNotText), as a text cut short there would lose the rest when saved. On error Text
// is left as it was.
TTextFileError LoadTextFile(const std::filesystem::path& Path, const TCodePage& CodePage,
                            std::u16string& Text, TTextEncoding* Found = nullptr);
// The tfeNotText error for bytes holding a NUL character in Encoding, or no error.
TTextFileError CheckIsText(std::string_view Bytes, TTextEncoding Encoding);

// Saves Text with CR LF line breaks, encoded by EncodeText in Encoding (the 8-bit code page rule
// when none is given). The bytes go to a temporary file in the same folder, which replaces the
// target only once it is completely written (keeping the old file's attributes, security and
// permissions); a read-only target is refused. Where the folder lets no new file be made but the
// target can be written, the whole content is made first and then written over the target.
// After any failure before that last write the old file is as it was and no temporary file is
// left.
TTextFileError SaveTextFile(const std::filesystem::path& Path, std::u16string_view Text,
                            const TCodePage& CodePage, TTextEncoding* Used = nullptr);
TTextFileError SaveTextFile(const std::filesystem::path& Path, std::u16string_view Text,
                            const TCodePage& CodePage, TTextEncoding Encoding,
                            TTextEncoding* Used = nullptr);

namespace os {
// The platform layer under the functions above (one source file per platform).
bool ReadWholeFile(const std::filesystem::path& Path, std::string& Bytes, std::string& Error);
// Reads an open file to its end through Read(Buffer, Count), which returns the bytes read (0 at
// the end) or a negative value on failure: straight into a buffer of the Expected size, and
// what a file that grew meanwhile has beyond it through a small buffer. Bytes is left as it was
// on failure.
template <class R>
bool ReadToEnd(size_t Expected, std::string& Bytes, R&& Read) {
  std::string bytes(Expected, '\0');
  size_t have = 0;
  char buf[65536];
  for (;;) {
    const bool direct = have < bytes.size();
    const long long n =
        direct ? Read(bytes.data() + have, bytes.size() - have) : Read(buf, sizeof buf);
    if (n < 0) return false;
    if (n == 0) break;
    if (direct) {
      have += static_cast<size_t>(n);
    } else {
      bytes.append(buf, static_cast<size_t>(n));
      have = bytes.size();
    }
  }
  bytes.resize(have);
  Bytes = std::move(bytes);
  return true;
}
// Writes the bytes that Produce gives, through the writer it is called with, to a temporary file
// in the target's folder, which then replaces the target. The writer writes each piece whole
// and returns false once writing failed; the producer may then stop. After a failure (or an
// exception from Produce) the target is as it was and no temporary file is left.
using TByteWriter = std::function<bool(std::string_view)>;
using TByteProducer = std::function<void(const TByteWriter&)>;
bool WriteFileSafely(const std::filesystem::path& Path, const TByteProducer& Produce,
                     std::string& Error);
std::unique_ptr<TCodePage> OpenSystemCodePage(unsigned Number, std::string& Error);
unsigned DefaultCodePage();
} // namespace os

// A file's bytes as they are, read as LoadTextFile reads them (for a caller that works on the
// bytes of a single-byte code page directly).
TTextFileError LoadFileBytes(const std::filesystem::path& Path, std::string& Bytes);
// Saves bytes that EncodeText would have given, the same safe way as SaveTextFile.
TTextFileError SaveEncodedText(const std::filesystem::path& Path, std::string_view Bytes);
// The same for bytes that Produce gives piece by piece (see os::WriteFileSafely), so that they
// need not be held whole; small pieces are gathered into larger writes.
TTextFileError SaveEncodedText(const std::filesystem::path& Path, const os::TByteProducer& Produce);

} // namespace textovrt
