// Where the image tests find their committed files, in both builds (under Wine the source tree
// is reached through drive Z:).
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string SourcePath(const std::string& Relative) {
#ifdef _WIN32
  return std::string("Z:") + TV_SOURCE_DIR + "/" + Relative;
#else
  return std::string(TV_SOURCE_DIR) + "/" + Relative;
#endif
}

inline std::vector<uint8_t> ReadTestFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(In)),
                              std::istreambuf_iterator<char>());
}
