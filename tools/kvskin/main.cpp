// kvskin: packs, unpacks, lists and checks skins.
#include <iostream>

#include "tools/kvskin/kvskinTool.h"

int main(int argc, char** argv) {
  std::vector<std::string> Args(argv + 1, argv + argc);
  return KvSkinMain(Args, std::cout, std::cerr);
}
