// Runs the native textovrt-cli on temporary files and checks what it writes and reports.
#include "app/un_rewrite.h"
#include "app/un_textfile.h"

#include <gtest/gtest.h>

#include "tests/app/HelpText.h"

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
  Write(Dir / "le.txt", le);
  Write(Dir / "be.txt", be);
  // Bare LF and CR line breaks are read as the editor holds them and saved as CR LF.
  Write(Dir / "lf.txt", Cp1250(u"a [kód] b\n[ř]\r"));
  const TResult r = Run({"--start", "[", "--end", "]", "--replace", "#", "--output-dir", P("out"),
                         P("cp.txt"), P("utf8.txt"), P("le.txt"), P("be.txt"), P("lf.txt")});
  EXPECT_EQ(r.Status, 0) << r.Err;
  for (const char* name : {"cp.txt", "utf8.txt", "le.txt", "be.txt", "lf.txt"})
    EXPECT_EQ(Read(Dir / "out" / name), Cp1250(u"a # b\r\n#\r\n")) << name;
  EXPECT_EQ(Read(Dir / "le.txt"), le); // inputs untouched
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
  EXPECT_EQ(Read(Dir / "a.txt"), "caf\xE9 <1\t2\\\r\n1\t2\\\r\n");
}

TEST_F(CliE2E, UsageErrorExitsWithTwo) {
  const TResult r = Run({"--start", "a", P("a.txt")});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("Usage:"), std::string::npos);
}

// A file in a single-byte code page is rewritten in its bytes: the result must be the run's on
// the decoded text, byte for byte, also for bare LF and CR breaks and for bytes above 127.
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
    const std::u16string text = NormalizeLineBreaks(texts[i]);
    size_t count = 0;
    const std::u16string expected = RewriteMarkedItems(text, u"[", u"]", u"*ů", &count);
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
