// Tests of textovrt-cli's arguments, run in-process.
#include "cli/un_cli.h"

#include <gtest/gtest.h>

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
