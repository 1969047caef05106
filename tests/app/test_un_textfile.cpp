// Tests of text file decoding, encoding, loading and saving.
#include "app/un_textfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace textovrt;
using namespace std::literals;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<TCodePage> Cp1250() {
  auto page = OpenCodePage(1250);
  EXPECT_TRUE(page);
  return page;
}

class TempDir {
public:
  TempDir() {
    std::random_device rd;
    FPath = fs::temp_directory_path() / ("textovrt-test-" + std::to_string(rd()));
    fs::create_directories(FPath);
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(FPath, ec);
  }
  fs::path operator/(const char* Name) const { return FPath / Name; }
  const fs::path& Path() const { return FPath; }
  size_t Count() const {
    return static_cast<size_t>(
        std::distance(fs::directory_iterator(FPath), fs::directory_iterator()));
  }

private:
  fs::path FPath;
};

std::string ReadBytes(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteBytes(const fs::path& Path, std::string_view Bytes) {
  std::ofstream out(Path, std::ios::binary);
  out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

} // namespace

TEST(TextDecoding, ByteOrderMarksAndCodePage) {
  auto cp = Cp1250();
  TTextEncoding found;
  EXPECT_EQ(DecodeText("\xFF\xFE"
                       "a\0\x59\x01"sv,
                       *cp, &found),
            u"ař");
  EXPECT_EQ(found, TTextEncoding::teUtf16LE);
  EXPECT_EQ(DecodeText("\xFE\xFF\0a\x01\x59"sv, *cp, &found), u"ař");
  EXPECT_EQ(found, TTextEncoding::teUtf16BE);
  EXPECT_EQ(DecodeText("\xEF\xBB\xBFk\xC3\xB3\x64", *cp, &found), u"kód");
  EXPECT_EQ(found, TTextEncoding::teUtf8);
  EXPECT_EQ(DecodeText("k\xF3\x64 \xF8\xE1\x64\x65k", *cp, &found), u"kód řádek");
  EXPECT_EQ(found, TTextEncoding::teCodePage);
  // UTF-8 without a mark is read as UTF-8; only when the code page is forced does "Ř" (C5 98)
  // become two characters, one of them a byte that Windows-1250 leaves undefined.
  EXPECT_EQ(DecodeText("\xC5\x98", *cp, &found), u"Ř");
  EXPECT_EQ(found, TTextEncoding::teUtf8NoMark);
  EXPECT_EQ(DecodeText("\xC5\x98", *cp, &found, false), u"\u0139\u0098");
  EXPECT_EQ(found, TTextEncoding::teCodePage);
  // Plain ASCII is read in the code page (the same text either way).
  EXPECT_EQ(DecodeText("abc", *cp, &found), u"abc");
  EXPECT_EQ(found, TTextEncoding::teCodePage);
  // A lone last byte of UTF-16 and malformed UTF-8 are marked, not dropped silently.
  EXPECT_EQ(DecodeText("\xFF\xFE"
                       "a\0b"sv,
                       *cp),
            u"a\uFFFD");
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF"
                       "a\xC3(\xE2\x82\xF0\x9F\x98\x80",
                       *cp),
            u"a\uFFFD(\uFFFD\U0001F600");
  EXPECT_EQ(DecodeText("", *cp), u"");
  EXPECT_EQ(DecodeText("\xEF\xBB", *cp), u"\u010F\u00BB");
}

TEST(TextEncoding, CodePageWhenTheTextFitsExactly) {
  auto cp = Cp1250();
  TTextEncoding used;
  EXPECT_EQ(EncodeText(u"Přepsáno: 3\r\n", *cp, &used), "P\xF8\x65ps\xE1no: 3\r\n");
  EXPECT_EQ(used, TTextEncoding::teCodePage);
  // Characters outside the code page: UTF-8 with a mark, which reads back unchanged.
  const std::u16string wide = u"kód € 日本 \U0001F600";
  const std::string bytes = EncodeText(wide, *cp, &used);
  EXPECT_EQ(used, TTextEncoding::teUtf8);
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(DecodeText(bytes, *cp), wide);
  // Bytes that would read as a mark ("ď»ż" is EF BB BF) go out as UTF-8 with a mark too.
  EXPECT_EQ(DecodeText(EncodeText(u"ď»żx", *cp, &used), *cp), u"ď»żx");
  EXPECT_EQ(used, TTextEncoding::teUtf8);
  EXPECT_EQ(DecodeText(EncodeText(u"˙ţx", *cp), *cp), u"˙ţx");
  // A lone surrogate cannot go into UTF-8: UTF-16 with a mark keeps it.
  const std::u16string lone = u"a\xD800"
                              u"b";
  EXPECT_EQ(DecodeText(EncodeText(lone, *cp, &used), *cp), lone);
  EXPECT_EQ(used, TTextEncoding::teUtf16LE);
}

TEST(TextEncoding, EveryByteOfTheCodePageRoundTrips) {
  auto cp = Cp1250();
  std::string all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  const std::u16string text = cp->Decode(all);
  ASSERT_EQ(text.size(), 256u);
  std::string back;
  EXPECT_TRUE(cp->Encode(text, back));
  EXPECT_EQ(back, all);
  for (const int b : {0x81, 0x83, 0x88, 0x90, 0x98})
    EXPECT_EQ(text[b], b);
  EXPECT_EQ(text[0x8A], u'Š');
  EXPECT_EQ(text[0xF8], u'ř');
  EXPECT_EQ(text[0x80], u'€');
}

// The built-in table must agree with the system's own conversion wherever both exist.
TEST(TextEncoding, BuiltInTableMatchesTheSystem) {
  std::string error;
  auto system = os::OpenSystemCodePage(1250, error);
  ASSERT_TRUE(system) << error;
  auto table = BuiltInCodePage1250();
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
#ifdef _WIN32
    EXPECT_EQ(system->Decode(byte), table->Decode(byte)) << "byte " << b;
#else
    // iconv refuses the undefined bytes; the table gives their own value there.
    if (b != 0x81 && b != 0x83 && b != 0x88 && b != 0x90 && b != 0x98) {
      EXPECT_EQ(system->Decode(byte), table->Decode(byte)) << "byte " << b;
    }
#endif
  }
}

TEST(TextEncoding, OtherCodePages) {
  std::string error;
  auto cp1252 = OpenCodePage(1252, &error);
  ASSERT_TRUE(cp1252) << error;
  EXPECT_EQ(cp1252->Decode("\x80\x81\xE9"), u"€\u0081é");
  std::string bytes;
  EXPECT_TRUE(cp1252->Encode(u"€\u0081é", bytes));
  EXPECT_EQ(bytes, "\x80\x81\xE9");
  EXPECT_EQ(DecodeText(EncodeText(u"ř", *cp1252), *cp1252), u"ř");
  EXPECT_FALSE(OpenCodePage(99999, &error));
  EXPECT_NE(error.find("99999"), std::string::npos);
  auto utf8 = OpenCodePage(65001, &error);
  ASSERT_TRUE(utf8) << error;
  EXPECT_EQ(utf8->Decode("k\xC3\xB3\x64"), u"kód");
  // Which code pages a text can be worked on in its bytes: each byte a character of its own.
  EXPECT_TRUE(OpenCodePage(1250)->IsSingleByte());
  EXPECT_TRUE(BuiltInCodePage1250()->IsSingleByte());
  EXPECT_TRUE(cp1252->IsSingleByte());
  EXPECT_FALSE(utf8->IsSingleByte());
  if (auto cp932 = OpenCodePage(932)) {
    EXPECT_FALSE(cp932->IsSingleByte()); // double-byte
  }
}

TEST(TextEncoding, LineBreaksAndUtf8) {
  EXPECT_EQ(NormalizeLineBreaks(u"a\rb\nc\r\nd\n\re\r\r"), u"a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n");
  // The check that spares the copy, in characters and in bytes, with breaks on both sides of
  // the blocks it checks at once and a CR LF split between two blocks.
  auto onlyCrLf = [](std::u16string_view T) {
    for (size_t i = 0; i < T.size(); ++i)
      if ((T[i] == u'\r') != (i + 1 < T.size() && T[i + 1] == u'\n') && T[i] != u'\n')
        return false;
      else if (T[i] == u'\n' && (i == 0 || T[i - 1] != u'\r'))
        return false;
    return true;
  };
  for (size_t at = 0; at < 40; ++at) {
    std::u16string text(40, u'x');
    text.replace(3, 2, u"\r\n");
    EXPECT_TRUE(HasOnlyCrLf(text));
    for (const std::u16string_view lone : {u"\r", u"\n", u"\n\r", u"\r\r\n"}) {
      std::u16string t = text;
      t.replace(at, lone.size(), lone);
      const std::string bytes(t.begin(), t.end());
      EXPECT_EQ(HasOnlyCrLf(t), onlyCrLf(t)) << at;
      EXPECT_EQ(HasOnlyCrLf(bytes), onlyCrLf(t)) << at;
      std::u16string fixed = t;
      NormalizeLineBreaksOf(fixed);
      EXPECT_EQ(fixed, NormalizeLineBreaks(t));
      EXPECT_TRUE(HasOnlyCrLf(fixed));
      std::string fixedBytes = bytes;
      NormalizeLineBreaksOf(fixedBytes);
      EXPECT_EQ(fixedBytes, std::string(fixed.begin(), fixed.end()));
    }
    std::u16string t = text;
    t.replace(at, 2, u"\r\n");
    const std::u16string prefix = t.substr(0, at + 2);
    EXPECT_EQ(HasOnlyCrLf(prefix), onlyCrLf(prefix)) << at;
    EXPECT_EQ(HasOnlyCrLf(std::string(prefix.begin(), prefix.end())), onlyCrLf(prefix)) << at;
    EXPECT_EQ(onlyCrLf(prefix), at != 4) << at; // at 4 the new CR follows the old one
  }
  EXPECT_EQ(Utf16ToUtf8(u"kód \U0001F600"), "k\xC3\xB3\x64 \xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80x"), u"\uFFFD\uFFFD\uFFFDx"); // an encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");             // an overlong form
}

TEST(TextFile, EachEncodingInAndOut) {
  TempDir dir;
  auto cp = Cp1250();
  const std::u16string text = u"1. řádek kód xyzvh, je nesmysl\r\n";
  const std::pair<const char*, std::string> files[] = {
      {"cp.txt", EncodeText(text, *cp)},
      {"utf8.txt", "\xEF\xBB\xBF" + Utf16ToUtf8(text)},
      {"le.txt", std::string("\xFF\xFE") +
                     std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2)},
  };
  for (const auto& [name, bytes] : files) {
    WriteBytes(dir / name, bytes);
    std::u16string loaded;
    ASSERT_FALSE(LoadTextFile(dir / name, *cp, loaded)) << name;
    EXPECT_EQ(loaded, text) << name;
    // Saved again, it is an 8-bit file without a mark.
    TTextEncoding used;
    ASSERT_FALSE(SaveTextFile(dir / name, loaded, *cp, &used)) << name;
    EXPECT_EQ(used, TTextEncoding::teCodePage);
    EXPECT_EQ(ReadBytes(dir / name), files[0].second) << name;
  }
  // A character outside the code page survives a save and a load.
  const std::u16string wide = u"řádek → 日本\r\n";
  ASSERT_FALSE(SaveTextFile(dir / "wide.txt", wide, *cp));
  std::u16string loaded;
  ASSERT_FALSE(LoadTextFile(dir / "wide.txt", *cp, loaded));
  EXPECT_EQ(loaded, wide);
  // Line breaks go out as CR LF; a save replaces the old content completely.
  WriteBytes(dir / "old.txt", std::string(1000, 'x'));
  ASSERT_FALSE(SaveTextFile(dir / "old.txt", u"a\nb\rc", *cp));
  EXPECT_EQ(ReadBytes(dir / "old.txt"), "a\r\nb\r\nc");
  EXPECT_EQ(dir.Count(), 5u); // no temporary file left behind
}

TEST(TextFile, ErrorsNameTheCause) {
  TempDir dir;
  auto cp = Cp1250();
  std::u16string text = u"kept";
  TTextFileError error = LoadTextFile(dir / "missing.txt", *cp, text);
  EXPECT_EQ(error.Kind, TTextFileErrorKind::tfeCannotOpen);
  EXPECT_FALSE(error.SystemMessage.empty());
  EXPECT_EQ(text, u"kept");
  const std::string message = TextFileErrorMessage(error, dir / "missing.txt");
  EXPECT_EQ(message.rfind("Cannot open file \"", 0), 0u);
  EXPECT_NE(message.find("missing.txt\". " + error.SystemMessage), std::string::npos);

  error = SaveTextFile(dir / "no-such-folder" / "a.txt", u"x", *cp);
  EXPECT_EQ(error.Kind, TTextFileErrorKind::tfeCannotCreate);
  EXPECT_FALSE(error.SystemMessage.empty());
  EXPECT_EQ(TextFileErrorMessage(error, "a.txt").rfind("Cannot create file \"a.txt\". ", 0), 0u);
  EXPECT_EQ(dir.Count(), 0u);
}

// Bytes given piece by piece, small pieces and ones larger than a write gathers, make the file
// they make together; a producer that throws leaves the old file and no temporary one.
TEST(TextFile, SavesBytesGivenPieceByPiece) {
  TempDir dir;
  std::mt19937 rng(3);
  std::string whole;
  std::vector<std::string> pieces;
  for (size_t size : {0, 1, 5, 3000000, 0, 700000, 700000, 1048576, 2}) {
    std::string piece(size, '\0');
    for (char& c : piece)
      c = static_cast<char>('a' + rng() % 26);
    whole += piece;
    pieces.push_back(std::move(piece));
  }
  size_t given = 0;
  ASSERT_FALSE(SaveEncodedText(dir / "pieces.txt", [&](const os::TByteWriter& Write) {
    for (const std::string& piece : pieces)
      given += Write(piece) ? 1 : 0;
  }));
  EXPECT_EQ(given, pieces.size());
  EXPECT_EQ(ReadBytes(dir / "pieces.txt"), whole);
  ASSERT_FALSE(SaveEncodedText(dir / "none.txt", [](const os::TByteWriter&) {}));
  EXPECT_EQ(ReadBytes(dir / "none.txt"), "");

  EXPECT_THROW(SaveEncodedText(dir / "pieces.txt",
                               [&](const os::TByteWriter& Write) {
                                 Write(std::string(2000000, 'x'));
                                 throw std::runtime_error("stopped");
                               }),
               std::runtime_error);
  EXPECT_EQ(ReadBytes(dir / "pieces.txt"), whole);
  EXPECT_EQ(dir.Count(), 2u);
}

#ifndef _WIN32
TEST(TextFile, FailedSaveLeavesTheOldFile) {
  TempDir dir;
  const fs::path target = dir / "keep.txt";
  const std::string old = "old content \xF8\r\n";
  WriteBytes(target, old);
  // A full disk, simulated by a file size limit: the write fails part of the way.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    auto cp = OpenCodePage(1250);
    const TTextFileError error = SaveTextFile(target, std::u16string(100000, u'a'), *cp);
    // Bytes given piece by piece: once a write failed the writer says so, and the producer
    // can stop.
    size_t refused = 0;
    const TTextFileError streamed = SaveEncodedText(target, [&](const os::TByteWriter& Write) {
      for (int i = 0; i < 3000; ++i)
        refused += Write(std::string(1000, 'b')) ? 0 : 1;
    });
    auto failed = [](const TTextFileError& E) {
      return E.Kind == TTextFileErrorKind::tfeCannotCreate && !E.SystemMessage.empty();
    };
    _exit(failed(error) && failed(streamed) && refused > 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadBytes(target), old);
  EXPECT_EQ(dir.Count(), 1u);

  // A folder that cannot be written (permissions do not bind the superuser) takes no new file;
  // a file already there is written in place (see WritesInPlaceWhereNoNewFileCanBeMade).
  if (geteuid() != 0) {
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    auto cp = Cp1250();
    const TTextFileError error = SaveTextFile(dir / "new.txt", u"new", *cp);
    EXPECT_EQ(error.Kind, TTextFileErrorKind::tfeCannotCreate);
    fs::permissions(dir.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(target), old);
  }
}

TEST(TextFile, SavingThroughALinkKeepsTheLink) {
  TempDir dir;
  WriteBytes(dir / "real.txt", "old");
  fs::create_symlink("real.txt", dir / "link.txt");
  auto cp = Cp1250();
  ASSERT_FALSE(SaveTextFile(dir / "link.txt", u"new", *cp));
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadBytes(dir / "real.txt"), "new");
}
#endif

TEST(TextDecoding, Utf8WithoutAMark) {
  EXPECT_TRUE(IsUtf8Text("k\xC3\xB3\x64 \xC5\x98"));
  EXPECT_TRUE(IsUtf8Text("\xF0\x9F\x98\x80 \xEF\xBF\xBD \xF4\x8F\xBF\xBF"));
  EXPECT_FALSE(IsUtf8Text("plain ascii")); // the code page reads it the same
  EXPECT_FALSE(IsUtf8Text(""));
  EXPECT_FALSE(IsUtf8Text("\xC0\x80"));         // overlong
  EXPECT_FALSE(IsUtf8Text("\xE0\x80\x80"));     // overlong
  EXPECT_FALSE(IsUtf8Text("\xED\xA0\x80"));     // a surrogate
  EXPECT_FALSE(IsUtf8Text("\xF4\x90\x80\x80")); // past U+10FFFF
  EXPECT_FALSE(IsUtf8Text("ok \xC5"));          // cut short
  EXPECT_FALSE(IsUtf8Text("\xC5\x98\x80"));     // a stray continuation byte
  // A Czech text in Windows-1250, whatever its length, around the sixteen-byte blocks.
  auto cp = Cp1250();
  std::string czech;
  cp->Encode(u"Příliš žluťoučký kůň úpěl ďábelské ódy. ", czech);
  std::string long_ascii(40, 'x');
  EXPECT_FALSE(IsUtf8Text(czech));
  EXPECT_FALSE(IsUtf8Text(long_ascii + czech));
  EXPECT_TRUE(IsUtf8Text(long_ascii + Utf16ToUtf8(u"Příliš žluťoučký kůň") + long_ascii));
}

// A file loaded and saved with nothing changed comes back byte for byte in every encoding
// (with CR LF line breaks, which the editor holds).
TEST(TextFile, LoadAndSaveGiveTheSameBytes) {
  TempDir dir;
  auto cp = Cp1250();
  std::mt19937 rng(5);
  const std::u16string czech = u"aábcčdďeéěfghiíjklmnňoópqrřsštťuúůvwxyýzž ,.\t€„“";
  const std::u16string wide = czech + u"→日本\U0001F600";
  auto random = [&](const std::u16string& Alphabet) {
    std::u16string text;
    for (int i = 0; i < 300; ++i) {
      if (rng() % 20 == 0) {
        text += u"\r\n";
        continue;
      }
      text += Alphabet[rng() % Alphabet.size()];
      if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back(); // half a pair
    }
    return text;
  };
  for (int round = 0; round < 20; ++round) {
    const std::u16string text = random(czech), other = random(wide);
    std::string cpBytes;
    ASSERT_TRUE(cp->Encode(text, cpBytes));
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (const char16_t c : other) {
      le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
      be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    const std::pair<TTextEncoding, std::string> files[] = {
        {TTextEncoding::teCodePage, cpBytes},
        {TTextEncoding::teUtf8, "\xEF\xBB\xBF" + Utf16ToUtf8(other)},
        {TTextEncoding::teUtf8NoMark, Utf16ToUtf8(other)},
        {TTextEncoding::teUtf16LE, le},
        {TTextEncoding::teUtf16BE, be},
    };
    for (const auto& [encoding, bytes] : files) {
      WriteBytes(dir / "f.txt", bytes);
      std::u16string loaded;
      TTextEncoding found, used;
      ASSERT_FALSE(LoadTextFile(dir / "f.txt", *cp, loaded, &found));
      EXPECT_EQ(found, encoding);
      ASSERT_FALSE(SaveTextFile(dir / "f.txt", loaded, *cp, found, &used));
      EXPECT_EQ(used, encoding);
      ASSERT_EQ(ReadBytes(dir / "f.txt"), bytes) << static_cast<int>(encoding);
    }
  }
  // A text that the code page cannot hold becomes UTF-8 with a mark, and a text beginning with
  // U+FEFF keeps it as UTF-8 with a mark too.
  TTextEncoding used;
  EXPECT_EQ(EncodeText(u"→", *cp, TTextEncoding::teCodePage, &used), "\xEF\xBB\xBF\xE2\x86\x92");
  EXPECT_EQ(used, TTextEncoding::teUtf8);
  EXPECT_EQ(EncodeText(u"\uFEFFa", *cp, TTextEncoding::teUtf8NoMark, &used),
            "\xEF\xBB\xBF\xEF\xBB\xBF"
            "a");
  EXPECT_EQ(used, TTextEncoding::teUtf8);
  // Bytes of the code page that would read back as UTF-8 ("Ĺ™" is C5 99) are not written so.
  EXPECT_EQ(EncodeText(u"Ĺ™", *cp, &used), "\xEF\xBB\xBF" + Utf16ToUtf8(u"Ĺ™"));
  EXPECT_EQ(used, TTextEncoding::teUtf8);
  // Bare line breaks go out as CR LF in every encoding.
  ASSERT_FALSE(SaveTextFile(dir / "lf.txt", u"a\nř", *cp, TTextEncoding::teUtf8NoMark));
  EXPECT_EQ(ReadBytes(dir / "lf.txt"), "a\r\n\xC5\x99");
}

// A NUL character would cut the editor's text short there: the file is refused, with the offset
// of the first NUL, and the text is left as it was.
TEST(TextFile, FileWithNulIsRefused) {
  TempDir dir;
  auto cp = Cp1250();
  WriteBytes(dir / "bin.txt", "abc\0def\0"sv);
  std::u16string text = u"kept";
  const TTextFileError error = LoadTextFile(dir / "bin.txt", *cp, text);
  EXPECT_EQ(error.Kind, TTextFileErrorKind::tfeNotText);
  EXPECT_EQ(error.NulOffset, 3u);
  EXPECT_EQ(text, u"kept");
  EXPECT_EQ(TextFileErrorMessage(error, "bin.txt"),
            "\"bin.txt\" is not a text file: it holds a NUL character at byte offset 3.");
  // UTF-16 holds zero bytes in every ASCII character; only a whole zero unit counts.
  WriteBytes(dir / "le.txt", "\xFF\xFE"
                             "a\0b\0\0\0c\0"sv);
  EXPECT_EQ(LoadTextFile(dir / "le.txt", *cp, text).NulOffset, 6u);
  WriteBytes(dir / "be.txt", "\xFE\xFF\0a\0b"sv);
  EXPECT_FALSE(LoadTextFile(dir / "be.txt", *cp, text));
  EXPECT_EQ(text, u"ab");
  WriteBytes(dir / "u8.txt", "\xEF\xBB\xBF\xC5\x99\0"sv);
  EXPECT_EQ(LoadTextFile(dir / "u8.txt", *cp, text).NulOffset, 5u);
}

// Saving keeps what the file was: its permissions (or attributes), a path of any length, and a
// read-only file is refused and left alone.
TEST(TextFile, SavingKeepsTheFileWhatItWas) {
  TempDir dir;
  auto cp = Cp1250();
  // A path longer than 260 characters.
  fs::path deep = dir.Path();
  while (deep.native().size() < 300)
    deep /= std::string(40, 'd');
#ifdef _WIN32
  const fs::path deepFolder = L"\\\\?\\" + fs::absolute(deep).native();
#else
  const fs::path deepFolder = deep;
#endif
  fs::create_directories(deepFolder);
  ASSERT_FALSE(SaveTextFile(deep / "long.txt", u"dlouhá cesta", *cp));
  std::u16string loaded;
  ASSERT_FALSE(LoadTextFile(deep / "long.txt", *cp, loaded));
  EXPECT_EQ(loaded, u"dlouhá cesta");
  ASSERT_FALSE(SaveTextFile(deep / "long.txt", u"znovu", *cp));
  ASSERT_FALSE(LoadTextFile(deep / "long.txt", *cp, loaded));
  EXPECT_EQ(loaded, u"znovu");
  // Nothing but the file is left there.
#ifdef _WIN32
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((deepFolder / L"*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  std::vector<std::wstring> names;
  do {
    if (found.cFileName != L"."s && found.cFileName != L".."s) names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_EQ(names, std::vector<std::wstring>{L"long.txt"});
#else
  EXPECT_EQ(std::distance(fs::directory_iterator(deepFolder), fs::directory_iterator()), 1);
#endif

  // A read-only file: refused with the usual text, and untouched.
  const fs::path locked = dir / "locked.txt";
  WriteBytes(locked, "old");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const TTextFileError error = SaveTextFile(locked, u"new", *cp);
  EXPECT_EQ(error.Kind, TTextFileErrorKind::tfeCannotCreate);
  EXPECT_EQ(
      TextFileErrorMessage(error, "locked.txt").rfind("Cannot create file \"locked.txt\". ", 0),
      0u);
  fs::permissions(locked, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadBytes(locked), "old");
}

#ifdef _WIN32
TEST(TextFile, SavingKeepsTheAttributes) {
  TempDir dir;
  auto cp = Cp1250();
  const std::wstring hidden = (dir / "hidden.txt").wstring();
  WriteBytes(hidden, "old");
  ASSERT_TRUE(SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_FALSE(SaveTextFile(hidden, u"new", *cp));
  EXPECT_EQ(ReadBytes(hidden), "new");
  EXPECT_TRUE(GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(dir.Count(), 1u);
}
#else
TEST(TextFile, SavingKeepsThePermissions) {
  TempDir dir;
  auto cp = Cp1250();
  const fs::path file = dir / "mode.txt";
  WriteBytes(file, "old");
  ::chmod(file.c_str(), 0640);
  ASSERT_FALSE(SaveTextFile(file, u"new", *cp));
  struct stat st;
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadBytes(file), "new");
  // Through a link: the link stays a link, its target gets the text and keeps its mode.
  fs::create_symlink("mode.txt", dir / "link.txt");
  ASSERT_FALSE(SaveTextFile(dir / "link.txt", u"through", *cp));
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(ReadBytes(file), "through");
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// A folder in which no new file can be made, holding a file that can be written: the file is
// written in place. Run as an unprivileged user, whom the folder's permissions bind.
TEST(TextFile, WritesInPlaceWhereNoNewFileCanBeMade) {
  TempDir dir;
  const fs::path file = dir / "in-place.txt";
  WriteBytes(file, std::string(5000, 'x'));
  ::chmod(file.c_str(), 0666);
  ::chmod(dir.Path().c_str(), 0555);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    auto cp = OpenCodePage(1250);
    // The folder refuses a new file, so this is no test of the fallback unless that holds.
    if (::access(dir.Path().c_str(), W_OK) == 0) _exit(3);
    const TTextFileError error = SaveTextFile(file, u"nový obsah", *cp);
    const TTextFileError created = SaveTextFile(dir / "new.txt", u"x", *cp);
    _exit(!error && created.Kind == TTextFileErrorKind::tfeCannotCreate ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ::chmod(dir.Path().c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  auto cp = Cp1250();
  std::string expected;
  cp->Encode(u"nový obsah", expected);
  EXPECT_EQ(ReadBytes(file), expected);
  EXPECT_EQ(dir.Count(), 1u);
}
#endif
