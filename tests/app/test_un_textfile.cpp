// Tests of text file decoding, encoding, loading and saving.
#include "app/un_textfile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
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
  // UTF-8 without a mark is read in the code page: "Ř" (C5 98) becomes two characters, one of
  // them a byte that Windows-1250 leaves undefined.
  EXPECT_EQ(DecodeText("\xC5\x98", *cp), u"\u0139\u0098");
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

  // A folder that cannot be written (permissions do not bind the superuser).
  if (geteuid() != 0) {
    fs::permissions(dir.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    auto cp = Cp1250();
    const TTextFileError error = SaveTextFile(target, u"new", *cp);
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
