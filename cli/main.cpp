// textovrt-cli entry point: the arguments are UTF-8 already.
#include "cli/un_cli.h"

#include <iostream>

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = textovrt::RunCli(args, std::cout, std::cerr);
  std::cout.flush();
  return status;
}
