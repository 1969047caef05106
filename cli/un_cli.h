// textovrt-cli: the program's search-and-rewrite run over many files, saved automatically.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace textovrt {

// Runs the command with its arguments (UTF-8, without the program name), writing what it
// reports to Out and errors to Err. Returns the exit status: 0 when every file went well, 1
// when any failed (the others are still done), 2 for a usage error.
int RunCli(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err);

// Turns the escapes \n, \r, \t and \\ into the characters they stand for; any other backslash
// stays as it is.
std::string Unescape(const std::string& Text);

} // namespace textovrt
