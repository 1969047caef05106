// textovrt-cli entry point: the arguments are UTF-8 already.
#include "cli/un_cli.h"

#include <iostream>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // A run holds a few buffers of the file's size one after the other. Taken from the heap and
  // kept there when freed, each reuses the pages of the one before, where separate mappings
  // would have the system clear fresh pages for every buffer.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Progress only for a person watching: scripts and pipes see the per-file lines alone.
  const int status = textovrt::RunCli(args, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
  std::cout.flush();
  return status;
}
