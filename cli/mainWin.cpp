// textovrt-cli entry point on Windows: the wide command line, converted to UTF-8, and UTF-8
// output on the console.
#include "app/un_textfile.h"
#include "cli/un_cli.h"

#include <iostream>
#include <windows.h>
#include <shellapi.h>

int main() {
  std::ios::sync_with_stdio(false);
  SetConsoleOutputCP(CP_UTF8);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> args;
  for (int i = 1; argv && i < argc; ++i)
    args.push_back(textovrt::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  if (argv) LocalFree(argv);
  // Progress only on a console: scripts and pipes see the per-file lines alone.
  DWORD mode = 0;
  const bool console = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
  const int status = textovrt::RunCli(args, std::cout, std::cerr, console);
  std::cout.flush();
  return status;
}
