// A stand-alone entry for the decode command until the kvskin dispatcher carries it.
#include "tools/kvskin/kvskin_decode.h"

int main(int argc, char** argv) {
  return KvSkinDecode(argc - 1, argv + 1);
}
