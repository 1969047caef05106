// Fuzz target of text decoding: any bytes decode, and the text encoded for saving decodes back
// to the same text in every code page the program uses.
#include "app/un_textfile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto cp1250 = textovrt::OpenCodePage(1250);
  static const auto cp1252 = textovrt::OpenCodePage(1252);
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const textovrt::TCodePage* cp : {cp1250.get(), cp1252.get()}) {
    if (!cp) continue;
    const std::u16string text = textovrt::DecodeText(bytes, *cp);
    if (textovrt::DecodeText(textovrt::EncodeText(text, *cp), *cp) != text) std::abort();
    const std::u16string normal = textovrt::NormalizeLineBreaks(text);
    if (textovrt::NormalizeLineBreaks(normal) != normal) std::abort();
  }
  return 0;
}
