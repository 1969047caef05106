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
// program would save them.
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
                     "--in-place", (dir / "plain.txt").string(), (dir / "marked.txt").string()},
                    &out, &err),
            0)
      << err;
  EXPECT_EQ(read(dir / "plain.txt"), expected);
  std::string markedExpected;
  cp->Encode(u"* ř", markedExpected);
  EXPECT_EQ(read(dir / "marked.txt"), markedExpected);
  EXPECT_NE(out.find("plain.txt: Přepsáno: 4 položek z 4"), std::string::npos) << out;
  fs::remove_all(dir);
}
