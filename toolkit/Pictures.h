// Pictures loaded from files by extension: the readers of the image units register themselves
// here, so that a caller loads any known picture without knowing its reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/Bitmap32.h"

// A file whose extension no reader is registered for, or that cannot be read.
class EInvalidPicture : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Decodes a whole file's bytes into a 32-bit bitmap with straight alpha; throws the reader's
// error for bytes it cannot read.
using TPictureLoader = std::function<TBitmap32(const uint8_t* Data, size_t Size)>;

struct TPictureFormat {
  std::string Extension; // in lower case, without the dot
  std::string Description;
  TPictureLoader Load;
};

class TPicture {
public:
  // Registers a reader for files with Extension (without the dot, any case); a later
  // registration of the same extension replaces the earlier one.
  static void RegisterFileFormat(const std::string& Extension, const std::string& Description,
                                 TPictureLoader Loader);
  static void UnregisterFileFormat(const std::string& Extension);
  // The reader of Extension (with or without the dot, any case), or none.
  static const TPictureFormat* FindFileFormat(std::string Extension);
  // A file dialog filter: "All (*.a;*.b)|*.a;*.b|Description (*.a)|*.a|...", or empty.
  static std::string GraphicFilter();

  // Reads the file with the reader its extension names. Throws EInvalidPicture for an unknown
  // extension or an unreadable file, and the reader's error for bad contents; the picture is
  // unchanged then.
  void LoadFromFile(const std::filesystem::path& FileName);
  const TBitmap32& Bitmap() const { return FBitmap; }

private:
  TBitmap32 FBitmap;
};
