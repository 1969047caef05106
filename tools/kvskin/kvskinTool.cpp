// The skin tool's dispatch and shared helpers.
#include "tools/kvskin/kvskinTool.h"

#include <algorithm>

#include "skin/images/kvSkinPictures.h"

std::vector<TKvSkinCommand>& KvSkinCommands() {
  static std::vector<TKvSkinCommand> Commands;
  return Commands;
}

namespace {
void PrintUsage(std::ostream& S) {
  S << "usage: kvskin COMMAND ARGS...\n\ncommands:\n";
  std::vector<TKvSkinCommand> Sorted = KvSkinCommands();
  std::sort(Sorted.begin(), Sorted.end(), [](const TKvSkinCommand& A, const TKvSkinCommand& B) {
    return std::string(A.Name) < B.Name;
  });
  for (const TKvSkinCommand& C : Sorted)
    S << "  " << C.Usage << "\n      " << C.Summary << "\n";
}
} // namespace

int KvSkinMain(const std::vector<std::string>& Args, std::ostream& Out, std::ostream& Err) {
  InstallSkinPictureReaders();
  if (Args.empty()) {
    PrintUsage(Err);
    return 2;
  }
  if (Args[0] == "help" || Args[0] == "--help" || Args[0] == "-h") {
    PrintUsage(Out);
    return 0;
  }
  for (const TKvSkinCommand& C : KvSkinCommands()) {
    if (Args[0] != C.Name) continue;
    std::vector<std::string> Rest(Args.begin() + 1, Args.end());
    try {
      return C.Run(Rest, Out, Err);
    } catch (const std::exception& E) {
      Err << "kvskin " << C.Name << ": " << E.what() << "\n";
      return 1;
    }
  }
  Err << "kvskin: unknown command \"" << Args[0] << "\"\n";
  PrintUsage(Err);
  return 2;
}
