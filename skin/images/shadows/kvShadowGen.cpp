// Writes the built-in shadow images kvSHDA.png (active form) and kvSHDI.png (inactive form)
// into the given folder. The PNGs are committed beside this program; run it after changing
// the look in kvShadowArt.cpp.
#include <cstdio>
#include <exception>
#include <string>

#include "skin/images/kvPNGWrite.h"
#include "skin/images/shadows/kvShadowArt.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kvshadowgen FOLDER\n");
    return 2;
  }
  try {
    SavePNGToFile(DrawShadowImage(true), std::string(argv[1]) + "/kvSHDA.png", 9);
    SavePNGToFile(DrawShadowImage(false), std::string(argv[1]) + "/kvSHDI.png", 9);
  } catch (const std::exception& E) {
    std::fprintf(stderr, "kvshadowgen: %s\n", E.what());
    return 1;
  }
  return 0;
}
