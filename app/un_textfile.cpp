// Text files: byte-order marks, the 8-bit code page, UTF-8 and UTF-16, loading and saving.
#include "app/un_textfile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace textovrt {

namespace {

// Windows-1250 bytes 0x80 to 0xFF. The five bytes that the code page leaves undefined (0x81,
// 0x83, 0x88, 0x90, 0x98) map to the code points of the same value, as Windows maps them.
constexpr std::array<char16_t, 128> kCp1250High = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

class TTableCodePage : public TCodePage {
public:
  TTableCodePage() : FReverse(65536, -1) {
    for (unsigned b = 0; b < 256; ++b) {
      FUnit[b] = b < 0x80 ? char16_t(b) : kCp1250High[b - 0x80];
      FReverse[FUnit[b]] = int16_t(b);
    }
  }
  unsigned Number() const override { return 1250; }
  bool IsBijective() const override { return true; }
  bool IsSingleByte() const override { return true; }
  std::u16string Decode(std::string_view Bytes) const override {
    std::u16string text(Bytes.size(), u'\0');
    const unsigned char* in = reinterpret_cast<const unsigned char*>(Bytes.data());
    char16_t* out = text.data();
    for (size_t i = 0; i < Bytes.size(); ++i)
      out[i] = FUnit[in[i]];
    return text;
  }
  bool Encode(std::u16string_view Text, std::string& Bytes) const override {
    const size_t at = Bytes.size();
    Bytes.resize(at + Text.size());
    char* out = Bytes.data() + at;
    const int16_t* reverse = FReverse.data();
    int16_t missing = 0; // negative once a character has no byte
    for (size_t i = 0; i < Text.size(); ++i) {
      const int16_t b = reverse[Text[i]];
      missing |= b;
      out[i] = static_cast<char>(b < 0 ? '?' : b);
    }
    return missing >= 0;
  }

private:
  char16_t FUnit[256] = {};
  std::vector<int16_t> FReverse;
};

bool StartsWith(std::string_view Bytes, std::string_view Mark) {
  return Bytes.substr(0, Mark.size()) == Mark;
}
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEBom = "\xFF\xFE";
constexpr std::string_view kUtf16BEBom = "\xFE\xFF";

bool IsHighSurrogate(char16_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(char16_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}

bool HasLoneSurrogate(std::u16string_view Text) {
  for (size_t i = 0; i < Text.size(); ++i) {
    if (IsHighSurrogate(Text[i]) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1]))
      ++i;
    else if (IsHighSurrogate(Text[i]) || IsLowSurrogate(Text[i]))
      return true;
  }
  return false;
}

std::u16string DecodeUtf16(std::string_view Bytes, bool BigEndian) {
  std::u16string text;
  text.reserve(Bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < Bytes.size(); i += 2) {
    const unsigned a = static_cast<unsigned char>(Bytes[i]);
    const unsigned b = static_cast<unsigned char>(Bytes[i + 1]);
    text.push_back(static_cast<char16_t>(BigEndian ? a << 8 | b : b << 8 | a));
  }
  if (Bytes.size() % 2) text.push_back(u'\uFFFD');
  return text;
}

} // namespace

std::unique_ptr<TCodePage> BuiltInCodePage1250() {
  return std::make_unique<TTableCodePage>();
}

std::unique_ptr<TCodePage> OpenCodePage(unsigned Number, std::string* Error) {
  std::string error;
#ifndef _WIN32
  if (Number == 1250) return BuiltInCodePage1250();
#endif
  auto page = os::OpenSystemCodePage(Number, error);
  if (!page && Error) *Error = error;
  return page;
}

unsigned SystemCodePage() {
  return os::DefaultCodePage();
}

namespace {

// Checks UTF-8; *High tells whether a byte above 0x7F was seen.
bool CheckUtf8(std::string_view Bytes, bool* High) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(Bytes.data());
  const size_t n = Bytes.size();
  bool high = false;
  size_t i = 0;
  // Checks the character at i and moves past it; false when it is malformed.
  auto character = [&]() {
    const unsigned c = p[i];
    if (c < 0x80) {
      ++i;
      return true;
    }
    high = true;
    // RFC 3629, table 3-7 of the Unicode standard: the second byte's range depends on the first.
    if (c >= 0xC2 && c <= 0xDF) {
      if (n - i < 2 || (p[i + 1] & 0xC0) != 0x80) return false;
      i += 2;
      return true;
    }
    size_t more;
    unsigned lo = 0x80, hi = 0xBF;
    if (c >= 0xE0 && c <= 0xEF) {
      more = 2;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (n - i <= more) return false;
    if (p[i + 1] < lo || p[i + 1] > hi) return false;
    for (size_t k = 2; k <= more; ++k)
      if ((p[i + k] & 0xC0) != 0x80) return false;
    i += more + 1;
    return true;
  };
#ifdef __SSE2__
  // Sixteen bytes at a time: the ASCII bytes of a block are passed over by the mask of its high
  // bytes, and only the characters that begin at a high byte are checked (the last one may
  // reach into the next block).
  while (i + 16 <= n) {
    const size_t base = i;
    const uint32_t mask = static_cast<uint32_t>(
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + base))));
    for (;;) {
      const size_t done = i - base;
      const uint32_t left = done >= 16 ? 0 : mask & (~uint32_t(0) << done);
      if (left == 0) {
        i = std::max(i, base + 16);
        break;
      }
      i = base + static_cast<size_t>(std::countr_zero(left));
      if (!character()) return false;
    }
  }
#endif
  while (i < n)
    if (!character()) return false;
  *High = high;
  return true;
}

} // namespace

bool IsUtf8Text(std::string_view Bytes) {
  bool high = false;
  return CheckUtf8(Bytes, &high) && high;
}

bool IsWellFormedUtf8(std::string_view Bytes) {
  bool high = false;
  return CheckUtf8(Bytes, &high);
}

TTextEncoding DetectEncoding(std::string_view Bytes, size_t* MarkLength, bool DetectUtf8) {
  TTextEncoding found = TTextEncoding::teCodePage;
  size_t mark = 0;
  if (StartsWith(Bytes, kUtf16LEBom)) {
    found = TTextEncoding::teUtf16LE;
    mark = 2;
  } else if (StartsWith(Bytes, kUtf16BEBom)) {
    found = TTextEncoding::teUtf16BE;
    mark = 2;
  } else if (StartsWith(Bytes, kUtf8Bom)) {
    found = TTextEncoding::teUtf8;
    mark = 3;
  } else if (DetectUtf8 && IsUtf8Text(Bytes)) {
    found = TTextEncoding::teUtf8NoMark;
  }
  if (MarkLength) *MarkLength = mark;
  return found;
}

std::u16string DecodeText(std::string_view Bytes, const TCodePage& CodePage, TTextEncoding* Found,
                          bool DetectUtf8) {
  size_t mark = 0;
  const TTextEncoding found = DetectEncoding(Bytes, &mark, DetectUtf8);
  if (Found) *Found = found;
  const std::string_view body = Bytes.substr(mark);
  switch (found) {
  case TTextEncoding::teUtf16LE: return DecodeUtf16(body, false);
  case TTextEncoding::teUtf16BE: return DecodeUtf16(body, true);
  case TTextEncoding::teUtf8:
  case TTextEncoding::teUtf8NoMark: return Utf8ToUtf16(body);
  case TTextEncoding::teCodePage: break;
  }
  return CodePage.Decode(body);
}

namespace {

std::string EncodeUtf16(std::u16string_view Text, bool BigEndian) {
  std::string bytes(BigEndian ? kUtf16BEBom : kUtf16LEBom);
  bytes.reserve(2 + 2 * Text.size());
  for (const char16_t c : Text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes.push_back(BigEndian ? hi : lo);
    bytes.push_back(BigEndian ? lo : hi);
  }
  return bytes;
}

} // namespace

std::string EncodeText(std::u16string_view Text, const TCodePage& CodePage, TTextEncoding* Used) {
  return EncodeText(Text, CodePage, TTextEncoding::teCodePage, Used);
}

std::string EncodeText(std::u16string_view Text, const TCodePage& CodePage, TTextEncoding Wanted,
                       TTextEncoding* Used) {
  auto used = [&](TTextEncoding E) {
    if (Used) *Used = E;
  };
  switch (Wanted) {
  case TTextEncoding::teUtf16LE:
  case TTextEncoding::teUtf16BE:
    used(Wanted);
    return EncodeUtf16(Text, Wanted == TTextEncoding::teUtf16BE);
  case TTextEncoding::teUtf8NoMark:
    // A first U+FEFF would read back as a mark; a text without a byte above 0x7F reads back the
    // same in the code page.
    if (!HasLoneSurrogate(Text) && !(!Text.empty() && Text[0] == 0xFEFF)) {
      used(Wanted);
      return Utf16ToUtf8(Text);
    }
    break;
  case TTextEncoding::teUtf8: break;
  case TTextEncoding::teCodePage: {
    std::string bytes;
    // The code page's bytes must read back as this very text: no character may be missing, the
    // bytes must not begin like a byte-order mark ("ď»ż" in Windows-1250 is EF BB BF) nor read
    // as UTF-8.
    if (CodePage.Encode(Text, bytes) && !HasByteOrderMark(bytes) &&
        (CodePage.IsBijective() || CodePage.Decode(bytes) == Text) && !IsUtf8Text(bytes)) {
      used(Wanted);
      return bytes;
    }
    break;
  }
  }
  if (!HasLoneSurrogate(Text)) {
    used(TTextEncoding::teUtf8);
    return std::string(kUtf8Bom) + Utf16ToUtf8(Text);
  }
  used(TTextEncoding::teUtf16LE);
  return EncodeUtf16(Text, false);
}

size_t FindNulCharacter(std::string_view Bytes, TTextEncoding Encoding) {
  if (Encoding != TTextEncoding::teUtf16LE && Encoding != TTextEncoding::teUtf16BE)
    return Bytes.find('\0');
  for (size_t i = 2; i + 1 < Bytes.size(); i += 2)
    if (Bytes[i] == 0 && Bytes[i + 1] == 0) return i;
  return std::string_view::npos;
}

TTextFileError CheckIsText(std::string_view Bytes, TTextEncoding Encoding) {
  TTextFileError error;
  const size_t nul = FindNulCharacter(Bytes, Encoding);
  if (nul != std::string_view::npos) {
    error.Kind = TTextFileErrorKind::tfeNotText;
    error.NulOffset = nul;
  }
  return error;
}

namespace {

template <class C>
bool HasOnlyCrLfIn(std::basic_string_view<C> Text) {
  const C* p = Text.data();
  const size_t n = Text.size();
  size_t i = 0;
  bool afterCr = false; // the character before i is a CR
#ifdef __SSE2__
  // Sixteen bytes at a time: every LF must follow a CR, and every CR precede an LF, so the bits
  // of the LFs are those of the CRs moved on by one character (the last CR's carried over).
  constexpr size_t block = 16 / sizeof(C);
  constexpr unsigned unit = sizeof(C); // mask bits per character
  const __m128i cr = sizeof(C) == 1 ? _mm_set1_epi8('\r') : _mm_set1_epi16(u'\r');
  const __m128i lf = sizeof(C) == 1 ? _mm_set1_epi8('\n') : _mm_set1_epi16(u'\n');
  uint32_t carry = 0;
  for (; i + block <= n; i += block) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const uint32_t crs = static_cast<uint32_t>(
        _mm_movemask_epi8(sizeof(C) == 1 ? _mm_cmpeq_epi8(x, cr) : _mm_cmpeq_epi16(x, cr)));
    const uint32_t lfs = static_cast<uint32_t>(
        _mm_movemask_epi8(sizeof(C) == 1 ? _mm_cmpeq_epi8(x, lf) : _mm_cmpeq_epi16(x, lf)));
    if ((((crs << unit) | carry) & 0xFFFFu) != lfs) return false;
    carry = crs >> (16 - unit);
  }
  afterCr = carry != 0;
#endif
  for (; i < n; ++i) {
    if (afterCr != (p[i] == C('\n'))) return false;
    afterCr = p[i] == C('\r');
  }
  return !afterCr;
}

} // namespace

bool HasOnlyCrLf(std::u16string_view Text) {
  return HasOnlyCrLfIn(Text);
}
bool HasOnlyCrLf(std::string_view Bytes) {
  return HasOnlyCrLfIn(Bytes);
}

void NormalizeLineBreaksOf(std::u16string& Text) {
  if (!HasOnlyCrLf(Text)) Text = NormalizeLineBreaks(Text);
}
void NormalizeLineBreaksOf(std::string& Bytes) {
  if (!HasOnlyCrLf(Bytes)) Bytes = ReplacedLineBreaks(Bytes, "\r\n");
}

std::u16string NormalizeLineBreaks(std::u16string_view Text) {
  return ReplacedLineBreaks(Text, u"\r\n");
}

bool HasByteOrderMark(std::string_view Bytes) {
  return StartsWith(Bytes, kUtf16LEBom) || StartsWith(Bytes, kUtf16BEBom) ||
         StartsWith(Bytes, kUtf8Bom);
}

std::string TextFileErrorMessage(const TTextFileError& Error, const std::filesystem::path& Path) {
  const std::u8string path = Path.u8string();
  const std::string name(path.begin(), path.end());
  if (Error.Kind == TTextFileErrorKind::tfeNotText)
    return "\"" + name + "\" is not a text file: it holds a NUL character at byte offset " +
           std::to_string(Error.NulOffset) + ".";
  const char* what = Error.Kind == TTextFileErrorKind::tfeCannotOpen ? "Cannot open file \""
                                                                     : "Cannot create file \"";
  return what + name + "\". " + Error.SystemMessage;
}

TTextFileError LoadTextFile(const std::filesystem::path& Path, const TCodePage& CodePage,
                            std::u16string& Text, TTextEncoding* Found) {
  std::string bytes;
  TTextFileError error = LoadFileBytes(Path, bytes);
  if (error) return error;
  const TTextEncoding encoding = DetectEncoding(bytes);
  error = CheckIsText(bytes, encoding);
  if (error) return error;
  Text = DecodeText(bytes, CodePage, Found);
  return error;
}

TTextFileError SaveTextFile(const std::filesystem::path& Path, std::u16string_view Text,
                            const TCodePage& CodePage, TTextEncoding* Used) {
  return SaveTextFile(Path, Text, CodePage, TTextEncoding::teCodePage, Used);
}

TTextFileError SaveTextFile(const std::filesystem::path& Path, std::u16string_view Text,
                            const TCodePage& CodePage, TTextEncoding Encoding,
                            TTextEncoding* Used) {
  return SaveEncodedText(
      Path, HasOnlyCrLf(Text) ? EncodeText(Text, CodePage, Encoding, Used)
                              : EncodeText(NormalizeLineBreaks(Text), CodePage, Encoding, Used));
}

TTextFileError LoadFileBytes(const std::filesystem::path& Path, std::string& Bytes) {
  TTextFileError error;
  if (!os::ReadWholeFile(Path, Bytes, error.SystemMessage))
    error.Kind = TTextFileErrorKind::tfeCannotOpen;
  return error;
}

TTextFileError SaveEncodedText(const std::filesystem::path& Path, std::string_view Bytes) {
  return SaveEncodedText(Path, [&](const os::TByteWriter& Write) { Write(Bytes); });
}

TTextFileError SaveEncodedText(const std::filesystem::path& Path,
                               const os::TByteProducer& Produce) {
  constexpr size_t kGathered = size_t(1) << 20;
  TTextFileError error;
  const bool written = os::WriteFileSafely(
      Path,
      [&](const os::TByteWriter& Write) {
        std::string gathered;
        bool ok = true;
        Produce([&](std::string_view Piece) {
          if (!ok) return false;
          if (gathered.size() + Piece.size() > kGathered && !gathered.empty()) {
            ok = Write(gathered);
            gathered.clear();
          }
          if (ok && Piece.size() >= kGathered) {
            ok = Write(Piece);
          } else if (ok) {
            if (gathered.capacity() < kGathered) gathered.reserve(kGathered);
            gathered.append(Piece);
          }
          return ok;
        });
        if (ok && !gathered.empty()) Write(gathered);
      },
      error.SystemMessage);
  if (!written) error.Kind = TTextFileErrorKind::tfeCannotCreate;
  return error;
}

} // namespace textovrt
