// Runs the native textovrt-cli on temporary files and checks what it writes and reports.
#include "app/un_rewrite.h"
#include "app/un_textfile.h"

#include <gtest/gtest.h>

#include "tests/app/HelpText.h"
#include "tests/app/literal.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sys/wait.h>

using namespace textovrt;
namespace fs = std::filesystem;

namespace {

struct TResult {
  int Status = -1;
  std::string Out, Err;
};

std::string Read(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void Write(const fs::path& Path, std::string_view Bytes) {
  std::ofstream out(Path, std::ios::binary);
  out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}
std::string ShellQuoted(const std::string& Arg) {
  std::string q = "'";
  for (const char c : Arg)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
// "f<I>.txt", built by appending: g++ 12 at -O3 reports a false overlap (-Wrestrict) inside
// `"literal" + std::string` once it is inlined.
std::string NumberedFile(int I) {
  std::string name = "f";
  name += std::to_string(I);
  name += ".txt";
  return name;
}
std::string Cp1250(std::u16string_view Text) {
  std::string bytes;
  OpenCodePage(1250)->Encode(Text, bytes);
  return bytes;
}

class CliE2E : public ::testing::Test {
protected:
  void SetUp() override {
    std::random_device rd;
    Dir = fs::temp_directory_path() / ("textovrt-cli-" + std::to_string(rd()));
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }
  TResult Run(const std::vector<std::string>& Args) {
    std::string command = ShellQuoted(TEXTOVRT_CLI);
    for (const auto& a : Args) {
      command += ' ';
      command += ShellQuoted(a);
    }
    const fs::path out = Dir / "stdout.log", err = Dir / "stderr.log";
    command += " >" + ShellQuoted(out.string()) + " 2>" + ShellQuoted(err.string());
    const int raw = std::system(command.c_str());
    TResult r;
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.Out = Read(out);
    r.Err = Read(err);
    fs::remove(out);
    fs::remove(err);
    return r;
  }
  std::string P(const char* Name) const { return (Dir / Name).string(); }
  fs::path Dir;
};

const std::u16string& kHelp = kHelpText;

} // namespace

TEST_F(CliE2E, HelpTextExample) {
  Write(Dir / "help.txt", Cp1250(kHelp));
  const TResult r =
      Run({"--start", "kód", "--end", ",", "--replace", "*", "--in-place", P("help.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, P("help.txt") + ": Přepsáno: 4 položek z 4\n");
  std::u16string expected = kHelp;
  for (const auto& [from, to] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"kód xyzvh,", u"*"},
           {u"kód usdkop,", u"*"},
           {u"napíšeme kód\r\n", u"napíšeme *\r\n"},
           {u"\r\nDo okna \"Vyhledat konec textu\" , ", u"\r\n* "}})
    expected.replace(expected.find(from), from.size(), to);
  EXPECT_EQ(Read(Dir / "help.txt"), Cp1250(expected));
}

TEST_F(CliE2E, EveryInputEncoding) {
  const std::u16string text = u"a [kód] b\r\n[ř]\r\n";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (const char16_t c : text) {
    le += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  Write(Dir / "cp.txt", Cp1250(text));
  Write(Dir / "utf8.txt", "\xEF\xBB\xBF" + Utf16ToUtf8(text));
  Write(Dir / "bare.txt", Utf16ToUtf8(text));
  Write(Dir / "le.txt", le);
  Write(Dir / "be.txt", be);
  // Bare LF and CR line breaks stay as they are.
  Write(Dir / "lf.txt", Cp1250(u"a [kód] b\n[ř]\r"));
  const TResult r =
      Run({"--start", "[", "--end", "]", "--replace", "#", "--output-dir", P("out"), P("cp.txt"),
           P("utf8.txt"), P("bare.txt"), P("le.txt"), P("be.txt"), P("lf.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, ""); // no progress where standard error is no terminal
  const std::u16string result = u"a # b\r\n#\r\n";
  std::string leOut = "\xFF\xFE", beOut = "\xFE\xFF";
  for (const char16_t c : result) {
    leOut += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    beOut += {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  EXPECT_EQ(Read(Dir / "out" / "cp.txt"), Cp1250(result));
  EXPECT_EQ(Read(Dir / "out" / "utf8.txt"), "\xEF\xBB\xBF" + Utf16ToUtf8(result));
  EXPECT_EQ(Read(Dir / "out" / "bare.txt"), Utf16ToUtf8(result));
  EXPECT_EQ(Read(Dir / "out" / "le.txt"), leOut);
  EXPECT_EQ(Read(Dir / "out" / "be.txt"), beOut);
  EXPECT_EQ(Read(Dir / "out" / "lf.txt"), Cp1250(u"a # b\n#\r"));
  EXPECT_EQ(Read(Dir / "le.txt"), le); // inputs untouched
  // As the program saves: the encoding kept, CR LF line breaks.
  const TResult like = Run({"--start", "[", "--end", "]", "--replace", "#", "--like-program",
                            "--output-dir", P("like"), P("bare.txt"), P("lf.txt")});
  EXPECT_EQ(like.Status, 0) << like.Err;
  EXPECT_EQ(Read(Dir / "like" / "bare.txt"), Utf16ToUtf8(result));
  EXPECT_EQ(Read(Dir / "like" / "lf.txt"), Cp1250(result));
}

TEST_F(CliE2E, TextOutsideTheCodePageIsSavedAsUtf8) {
  Write(Dir / "wide.txt", "\xEF\xBB\xBF" + Utf16ToUtf8(u"日本 <x> €\r\n"));
  const TResult r =
      Run({"--start", "<", "--end", ">", "--replace", "→", "--in-place", P("wide.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Read(Dir / "wide.txt"), "\xEF\xBB\xBF" + Utf16ToUtf8(u"日本 → €\r\n"));
}

TEST_F(CliE2E, OneUnreadableFileFailsOnlyItself) {
  Write(Dir / "a.txt", "x [1] y");
  Write(Dir / "c.txt", "[2][3]");
  Write(Dir / "none.txt", "nothing here");
  const TResult r = Run({"--start", "[", "--end", "]", "--replace", "", "--in-place", P("a.txt"),
                         P("missing.txt"), P("none.txt"), P("c.txt")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Cannot open file \"" + P("missing.txt") + "\". No such file or directory"),
            std::string::npos);
  EXPECT_EQ(Read(Dir / "a.txt"), "x  y");
  EXPECT_EQ(Read(Dir / "c.txt"), "");
  EXPECT_EQ(Read(Dir / "none.txt"), "nothing here");
  EXPECT_NE(r.Out.find(P("none.txt") + ": Žádné položky nenalezeny\n"), std::string::npos);
  EXPECT_NE(r.Out.find(P("c.txt") + ": Přepsáno: 2 položek z 2\n"), std::string::npos);
}

TEST_F(CliE2E, OutputFolderThatCannotBeWritten) {
  Write(Dir / "a.txt", "x [1] y");
  Write(Dir / "blocker", "a file where a folder should be");
  const TResult r = Run({"--start", "[", "--end", "]", "--replace", "*", "--output-dir",
                         P("blocker") + "/out", P("a.txt")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("Cannot create file"), std::string::npos);
  EXPECT_EQ(Read(Dir / "a.txt"), "x [1] y");
  EXPECT_EQ(Read(Dir / "blocker"), "a file where a folder should be");
  // Two inputs of the same name cannot both go to one output folder.
  fs::create_directories(Dir / "sub");
  Write(Dir / "sub" / "a.txt", "[2]");
  const TResult twice = Run({"--start", "[", "--end", "]", "--replace", "*", "--output-dir",
                             P("out"), P("a.txt"), (Dir / "sub" / "a.txt").string()});
  EXPECT_EQ(twice.Status, 1);
  EXPECT_EQ(Read(Dir / "out" / "a.txt"), "x * y");
}

TEST_F(CliE2E, DryRunChangesNothing) {
  const std::string bytes = Cp1250(u"[a\tb] [\"c\\\"]\r\n[d\r\ne]");
  Write(Dir / "a.txt", bytes);
  const TResult r = Run({"--start", "[", "--end", "]", "--replace", "*", "--dry-run", P("a.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out,
            P("a.txt") +
                ": Vyhledáno položek: 4\n\"[a\\tb]\"\n\"[\\\"c\\\\\\\"]\"\n\"[d\"\n\"e]\"\n");
  EXPECT_EQ(Read(Dir / "a.txt"), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()), 1);
}

TEST_F(CliE2E, EscapesAndCodePage) {
  // Windows-1252 in and out; a marker spanning a line break gives an entry per line.
  Write(Dir / "a.txt", "caf\xE9 <q\r\nb> x\n");
  const TResult r = Run({"--start", "q\\nb", "--end", "x", "--replace", "1\\t2\\\\", "--codepage",
                         "1252", "--quiet", "--in-place", P("a.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "");
  EXPECT_EQ(Read(Dir / "a.txt"), "caf\xE9 <1\t2\\\r\n1\t2\\\n");
}

TEST_F(CliE2E, UsageErrorExitsWithTwo) {
  const TResult r = Run({"--start", "a", P("a.txt")});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("Usage:"), std::string::npos);
}

// A file in a single-byte code page is rewritten in its bytes: the result must be the run's on
// the decoded text, byte for byte, also for bare LF and CR breaks (which stay as they are) and
// for bytes above 127.
TEST_F(CliE2E, BytesAndTextGiveTheSameFile) {
  std::mt19937 rng(8);
  const std::u16string alphabet = u"[]aě š\r\nřŽ";
  std::vector<std::string> args{"--start",   "[",  "--end",        "]",
                                "--replace", "*ů", "--output-dir", P("out")};
  std::vector<std::u16string> texts;
  for (int i = 0; i < 20; ++i) {
    std::u16string text;
    for (int k = 0; k < 400; ++k)
      text += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
    texts.push_back(text);
    const std::string name = NumberedFile(i);
    Write(Dir / name, Cp1250(text));
    args.push_back(P(name.c_str()));
  }
  const TResult r = Run(args);
  EXPECT_EQ(r.Status, 0) << r.Err;
  for (int i = 0; i < 20; ++i) {
    // The entries are found as the editor holds the text and rewritten in it as it is.
    const std::vector<std::u16string> entries =
        SplitEntries(FindMarkedItems(NormalizeLineBreaks(texts[i]), u"[", u"]"));
    const size_t count = entries.size();
    std::u16string expected = texts[i];
    for (const auto& entry : entries)
      expected = literal::ReplaceItem(expected, entry, u"*ů");
    const fs::path out = Dir / "out" / NumberedFile(i);
    if (count == 0) {
      EXPECT_FALSE(fs::exists(out));
      continue;
    }
    EXPECT_EQ(Read(out), Cp1250(expected)) << i;
  }
}

// Rewritten bytes that would read back as a byte-order mark ("ď»ż" in Windows-1250) are saved
// as UTF-8 with a mark instead, so that the text loads back unchanged.
TEST_F(CliE2E, BytesThatLookLikeAMarkAreSavedAsUtf8) {
  Write(Dir / "a.txt", Cp1250(u"[x]»ż"));
  const TResult r = Run({"--start", "[", "--end", "]", "--replace", "ď", "--in-place", P("a.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Read(Dir / "a.txt"), "\xEF\xBB\xBF" + Utf16ToUtf8(u"ď»ż"));
}

namespace {

enum TFileEncoding { feCodePage, feUtf8, feUtf8NoMark, feUtf16LE, feUtf16BE };

std::string Encoded(TFileEncoding Encoding, std::u16string_view Text) {
  std::string bytes;
  switch (Encoding) {
  case feCodePage: return Cp1250(Text);
  case feUtf8: return "\xEF\xBB\xBF" + Utf16ToUtf8(Text);
  case feUtf8NoMark: return Utf16ToUtf8(Text);
  case feUtf16LE:
  case feUtf16BE:
    bytes = Encoding == feUtf16LE ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t c : Text) {
      const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
      bytes += Encoding == feUtf16LE ? std::string{lo, hi} : std::string{hi, lo};
    }
    return bytes;
  }
  return bytes;
}

} // namespace

// Every byte outside the rewritten pieces stays as it was: for random texts in every encoding
// and every kind of line break (LF, CR LF, CR, mixed), the output is the input with each piece
// replaced and nothing else changed.
TEST_F(CliE2E, KeepsEveryByteOutsideTheRewrittenPieces) {
  std::mt19937 rng(12);
  auto pick = [&](std::u16string_view From) { return From[rng() % From.size()]; };
  const std::vector<std::vector<std::u16string>> breakKinds = {
      {u"\n"}, {u"\r\n"}, {u"\r"}, {u"\n", u"\r\n", u"\r"}};
  const std::u16string replacement = u"*ř";
  std::vector<std::string> args{"--start",   "[",  "--end",        "]",
                                "--replace", "*ř", "--output-dir", P("out")};
  std::vector<std::pair<std::string, std::string>> expected; // file name, bytes
  int n = 0;
  for (const TFileEncoding encoding : {feCodePage, feUtf8, feUtf8NoMark, feUtf16LE, feUtf16BE}) {
    for (const auto& breaks : breakKinds) {
      for (int k = 0; k < 3; ++k) {
        std::u16string in, out;
        for (int piece = 0; piece < 80; ++piece) {
          const unsigned kind = rng() % 5;
          if (kind == 0) {
            std::u16string item = u"[";
            for (unsigned i = rng() % 6; i > 0; --i)
              item += pick(u"kódřá €x");
            item += u"]";
            in += item;
            out += replacement;
          } else if (kind == 1) {
            const std::u16string& lineBreak = breaks[rng() % breaks.size()];
            in += lineBreak;
            out += lineBreak;
          } else {
            const char16_t c = pick(u"ažluťoučký kůň ěšč ");
            in += c;
            out += c;
          }
        }
        const std::string name = NumberedFile(n++);
        Write(Dir / name, Encoded(encoding, in));
        args.push_back(P(name.c_str()));
        expected.emplace_back(name, Encoded(encoding, out));
      }
    }
  }
  const TResult r = Run(args);
  EXPECT_EQ(r.Status, 0) << r.Err;
  for (const auto& [name, bytes] : expected)
    EXPECT_EQ(Read(Dir / "out" / name), bytes) << name;
}

// A marker's line break matches any line break; a replacement's is written as the file's first
// line break, CR LF when the file has none.
TEST_F(CliE2E, ReplacementLineBreaksAreTheFilesOwn) {
  Write(Dir / "lf.txt", "a <x\ny> b\n");
  Write(Dir / "cr.txt", "a <x\ry> b\r");
  Write(Dir / "mixed.txt", "<x>\r<y>\n\r\n");
  Write(Dir / "none.txt", "a <x> b");
  const TResult r = Run({"--start", "<", "--end", ">", "--replace", "1\\n2", "--in-place",
                         P("lf.txt"), P("cr.txt"), P("mixed.txt"), P("none.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Read(Dir / "lf.txt"), "a 1\n2\n1\n2 b\n");
  EXPECT_EQ(Read(Dir / "cr.txt"), "a 1\r2\r1\r2 b\r");
  EXPECT_EQ(Read(Dir / "mixed.txt"), "1\r2\r1\r2\n\r\n");
  EXPECT_EQ(Read(Dir / "none.txt"), "a 1\r\n2 b");
  // A marker spanning a line break matches it whatever its kind.
  Write(Dir / "lf.txt", "x\ny! x\r\ny!");
  const TResult span =
      Run({"--start", "x\\ny", "--end", "!", "--replace", "#", "--in-place", P("lf.txt")});
  EXPECT_EQ(span.Status, 0) << span.Err;
  EXPECT_EQ(Read(Dir / "lf.txt"), "#\n# #\r\n#");
}

// A file holding a NUL character is no text file: that file's error, and the others go on.
TEST_F(CliE2E, FileWithNulIsThatFilesError) {
  Write(Dir / "a.txt", "[1]");
  Write(Dir / "bin.txt", std::string("[2]\0[3]", 7));
  Write(Dir / "c.txt", "[4]");
  const TResult r = Run({"--start", "[", "--end", "]", "--replace", "*", "--in-place", P("a.txt"),
                         P("bin.txt"), P("c.txt")});
  EXPECT_EQ(r.Status, 1);
  EXPECT_NE(r.Err.find("\"" + P("bin.txt") +
                       "\" is not a text file: it holds a NUL character at byte offset 3."),
            std::string::npos)
      << r.Err;
  EXPECT_EQ(Read(Dir / "a.txt"), "*");
  EXPECT_EQ(Read(Dir / "bin.txt"), std::string("[2]\0[3]", 7));
  EXPECT_EQ(Read(Dir / "c.txt"), "*");
}

// UTF-8 without a mark is read as UTF-8, unless --codepage forces the 8-bit reading.
TEST_F(CliE2E, Utf8WithoutAMarkAndTheForcedCodePage) {
  Write(Dir / "a.txt", Utf16ToUtf8(u"<meta charset=utf-8> [ř] ř\n"));
  const TResult dry = Run({"--start", "[", "--end", "]", "--replace", "", "--dry-run", P("a.txt")});
  EXPECT_EQ(dry.Out, P("a.txt") + ": Vyhledáno položek: 1\n\"[ř]\"\n");
  const TResult forced = Run({"--start", "[", "--end", "]", "--replace", "", "--dry-run",
                              "--codepage", "1250", P("a.txt")});
  EXPECT_EQ(forced.Out, P("a.txt") + ": Vyhledáno položek: 1\n\"[Ĺ™]\"\n");
  // A marker typed in Czech finds its text; the file stays UTF-8 without a mark.
  const TResult r =
      Run({"--start", "ř]", "--end", "ř", "--replace", "ž", "--in-place", P("a.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Read(Dir / "a.txt"), Utf16ToUtf8(u"<meta charset=utf-8> [ž\n"));
}
