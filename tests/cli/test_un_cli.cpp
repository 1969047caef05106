// Tests of textovrt-cli's arguments, run in-process.
#include "cli/un_cli.h"

#include <gtest/gtest.h>

#include "app/un_textfile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace textovrt;

namespace {
int RunArgs(std::vector<std::string> Args, std::string* Out = nullptr, std::string* Err = nullptr) {
  std::ostringstream out, err;
  const int status = RunCli(Args, out, err);
  if (Out) *Out = out.str();
  if (Err) *Err = err.str();
  return status;
}
} // namespace

TEST(Cli, Escapes) {
  EXPECT_EQ(Unescape(R"(a\nb\rc\td\\e)"), "a\nb\rc\td\\e");
  EXPECT_EQ(Unescape(R"(C:\dir\)"), R"(C:\dir\)"); // other backslashes stay
  EXPECT_EQ(Unescape(R"(\\n)"), R"(\n)");
}

TEST(Cli, UsageErrors) {
  std::string out, err;
  EXPECT_EQ(RunArgs({}, &out, &err), 2);
  EXPECT_NE(err.find("Usage: textovrt-cli"), std::string::npos);
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace", "c", "f.txt"}, &out, &err), 2);
  EXPECT_NE(err.find("--in-place or --output-dir"), std::string::npos);
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace", "c", "--in-place", "--output-dir",
                     "d", "f"}),
            2);
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace", "c", "--in-place"}), 2); // no file
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--in-place", "f"}), 2); // no --replace
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace", "c", "--bogus", "f"}), 2);
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace", "c", "--dry-run", "--codepage",
                     "x1", "f"},
                    &out, &err),
            2);
  EXPECT_NE(err.find("x1"), std::string::npos);
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace", "c", "--dry-run",
                     "--codepage=99999", "f"},
                    &out, &err),
            2);
  EXPECT_NE(err.find("99999"), std::string::npos);
  EXPECT_EQ(RunArgs({"--start", "a", "--end", "b", "--replace"}), 2); // a value missing
  EXPECT_EQ(
      RunArgs({"--quiet=1", "--start", "a", "--end", "b", "--replace", "c", "--dry-run", "f"}), 2);
  EXPECT_EQ(RunArgs({"--help"}, &out), 0);
  EXPECT_NE(out.find("--output-dir DIR"), std::string::npos);
}

TEST(Cli, MissingFileFailsTheRun) {
  std::string out, err;
  EXPECT_EQ(RunArgs({"--start=a", "--end=b", "--replace=", "--dry-run", "--", "no-such-file.txt"},
                    &out, &err),
            1);
  EXPECT_NE(err.find("Cannot open file \"no-such-file.txt\". "), std::string::npos);
}

// A whole run in-process on files of the system's code page (in both builds): a file without a
// mark is rewritten in its bytes, one with a mark through its text, and both come out as the
// program would save them (in the encoding they were read in, with CR LF line breaks).
TEST(Cli, RewritesFilesInPlace) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "textovrt-cli-inprocess";
  fs::remove_all(dir);
  fs::create_directories(dir);
  auto write = [](const fs::path& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary).write(Bytes.data(), std::streamsize(Bytes.size()));
  };
  auto read = [](const fs::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const auto cp = OpenCodePage(1250);
  std::string plain, expected;
  cp->Encode(u"řádek [kód] je\n[x\r\ny] a [kód]\r", plain);
  cp->Encode(u"řádek * je\r\n*\r\n* a *\r\n", expected);
  write(dir / "plain.txt", plain);
  write(dir / "marked.txt", "\xEF\xBB\xBF" + Utf16ToUtf8(u"[kód] ř"));
  std::string out, err;
  EXPECT_EQ(RunArgs({"--start", "[", "--end", "]", "--replace", "*", "--codepage", "1250",
                     "--like-program", "--in-place", (dir / "plain.txt").string(),
                     (dir / "marked.txt").string()},
                    &out, &err),
            0)
      << err;
  EXPECT_EQ(read(dir / "plain.txt"), expected);
  EXPECT_EQ(read(dir / "marked.txt"), "\xEF\xBB\xBF" + Utf16ToUtf8(u"* ř"));
  EXPECT_NE(out.find("plain.txt: Přepsáno: 4 položek z 4"), std::string::npos) << out;
  fs::remove_all(dir);
}

// Progress goes to standard error only where that is a terminal, and is cleared before every
// report, so that the per-file lines stand alone.
TEST(Cli, ProgressOnlyWhenShown) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "textovrt-cli-progress";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "a.txt") << "[1]";
  std::ofstream(dir / "b.txt") << "[2]";
  const std::vector<std::string> args{"--start",
                                      "[",
                                      "--end",
                                      "]",
                                      "--replace",
                                      "*",
                                      "--dry-run",
                                      (dir / "a.txt").string(),
                                      (dir / "b.txt").string()};
  std::ostringstream out, err;
  EXPECT_EQ(RunCli(args, out, err, true), 0);
  const std::string shown = err.str();
  EXPECT_NE(shown.find("textovrt-cli: 0/2 " + (dir / "a.txt").string()), std::string::npos)
      << shown;
  EXPECT_NE(shown.find("textovrt-cli: 1/2 " + (dir / "b.txt").string()), std::string::npos);
  // The line ends cleared: a carriage return, blanks, a carriage return.
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.back(), '\r');
  EXPECT_EQ(shown.find_last_not_of(" \r"), shown.rfind(".txt") + 3);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
  std::string quietErr;
  EXPECT_EQ(RunArgs(args, nullptr, &quietErr), 0);
  EXPECT_EQ(quietErr, "");
  fs::remove_all(dir);
}

#ifdef _WIN32
// cmd.exe hands wildcards over as they are: the program expands them in file arguments.
TEST(Cli, ExpandsWildcards) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "textovrt-cli-wildcards";
  fs::remove_all(dir);
  fs::create_directories(dir / "sub.txt");
  for (const char* name : {"b2.txt", "a1.txt", "c.log"})
    std::ofstream(dir / name) << "[x]";
  const std::string folder = dir.string() + "\\";
  EXPECT_EQ(ExpandFileArgument(folder + "*.txt"),
            (std::vector<std::string>{folder + "a1.txt", folder + "b2.txt"}));
  EXPECT_EQ(ExpandFileArgument(folder + "?1.*"), (std::vector<std::string>{folder + "a1.txt"}));
  EXPECT_EQ(ExpandFileArgument(folder + "a1.txt"), (std::vector<std::string>{folder + "a1.txt"}));
  EXPECT_TRUE(ExpandFileArgument(folder + "*.none").empty());
  std::string out, err;
  EXPECT_EQ(RunArgs({"--start", "[", "--end", "]", "--replace", "*", "--dry-run", folder + "*.txt",
                     folder + "*.none"},
                    &out, &err),
            1);
  EXPECT_NE(out.find(folder + "a1.txt: Vyhledáno položek: 1"), std::string::npos) << out;
  EXPECT_NE(out.find(folder + "b2.txt: Vyhledáno položek: 1"), std::string::npos) << out;
  EXPECT_EQ(out.find("c.log"), std::string::npos);
  EXPECT_NE(err.find("no file matches \"" + folder + "*.none\""), std::string::npos) << err;
  fs::remove_all(dir);
}
#else
// Elsewhere the shell expands wildcards; an argument is the name it gives.
TEST(Cli, LeavesWildcardsToTheShell) {
  EXPECT_EQ(ExpandFileArgument("*.txt"), std::vector<std::string>{"*.txt"});
}
#endif
