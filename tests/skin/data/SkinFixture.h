// Test skins built in memory: options text, generated BMP images, packed with the project's
// own packer.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "skin/data/kvSkinPack.h"
#include "tests/skin/images/BmpBuilder.h"

inline std::vector<uint8_t> Bytes(const std::string& S) {
  return {S.begin(), S.end()};
}

// A master bitmap of the given size: a gradient with key-colour pixels at (0, 0).
inline std::vector<uint8_t> MasterBmp(int Width = 200, int Height = 200) {
  return Bmp24(Width, Height, [](int x, int y) {
    return (x == 0 && y == 0) ? clFuchsia : RGBColor(x & 0xFF, y & 0xFF, 0x40);
  });
}

// Bytes that deflate cannot shrink.
inline std::vector<uint8_t> RandomBytes(size_t Size, unsigned Seed = 1) {
  std::mt19937 Gen(Seed);
  std::vector<uint8_t> B(Size);
  for (uint8_t& b : B)
    b = uint8_t(Gen());
  return B;
}

// A temporary folder, removed with the object.
class TTempDir {
public:
  TTempDir() {
    static int Counter = 0;
    FPath = std::filesystem::temp_directory_path() /
            ("tv_skindata_" + std::to_string(::getpid()) + "_" + std::to_string(Counter++));
    std::filesystem::create_directories(FPath);
  }
  ~TTempDir() {
    std::error_code Ec;
    std::filesystem::remove_all(FPath, Ec);
  }
  const std::filesystem::path& Path() const { return FPath; }
  std::string Str() const { return FPath.string() + "/"; }
  void Write(const std::string& Name, const std::vector<uint8_t>& Data) const {
    WriteWholeFile((FPath / Name).string(), Data.data(), Data.size());
  }

private:
  std::filesystem::path FPath;
};
