// Replays a fuzz corpus: feeds every file of the given folders (or files) to the target once.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static void Replay(const std::filesystem::path& path, int& count) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  ++count;
}

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
        if (entry.is_regular_file()) Replay(entry.path(), count);
    } else {
      Replay(arg, count);
    }
  }
  // An empty input must be handled too.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("replayed %d inputs\n", count);
  return count > 0 ? 0 : 1;
}
