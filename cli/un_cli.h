// textovrt-cli: the program's search-and-rewrite run over many files, saved automatically.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace textovrt {

// Runs the command with its arguments (UTF-8, without the program name), writing what it
// reports to Out and errors to Err. Returns the exit status: 0 when every file went well, 1
// when any failed (the others are still done), 2 for a usage error.
// When ShowProgress is set (standard error is a terminal), a run over several files or over a
// large one shows on Err which file it is at, on a line that is cleared before every report.
int RunCli(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err,
           bool ShowProgress = false);

// The files that a file argument names. On Windows, whose shell hands wildcards over as they
// are, a * or ? in the argument's last part is expanded to the files it matches, in name order
// (none: an empty list); elsewhere the shell has expanded them, and the argument is the name.
std::vector<std::string> ExpandFileArgument(const std::string& Argument);

// Turns the escapes \n, \r, \t and \\ into the characters they stand for; any other backslash
// stays as it is.
std::string Unescape(const std::string& Text);

} // namespace textovrt
