// libpng wrappers: memory in, memory out, errors as exceptions.
#include "tests/skin/images/PNGReference.h"

#include <png.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

struct TMemoryOut {
  std::vector<uint8_t> Bytes;
};
struct TMemoryIn {
  const std::vector<uint8_t>* Bytes;
  size_t Pos = 0;
};

void WriteData(png_structp Png, png_bytep Data, png_size_t Length) {
  auto* Out = static_cast<TMemoryOut*>(png_get_io_ptr(Png));
  Out->Bytes.insert(Out->Bytes.end(), Data, Data + Length);
}
void FlushData(png_structp) {}
void ReadData(png_structp Png, png_bytep Data, png_size_t Length) {
  auto* In = static_cast<TMemoryIn*>(png_get_io_ptr(Png));
  if (In->Bytes->size() - In->Pos < Length) png_error(Png, "read past end");
  std::memcpy(Data, In->Bytes->data() + In->Pos, Length);
  In->Pos += Length;
}
[[noreturn]] void Error(png_structp, png_const_charp Msg) {
  throw std::runtime_error(std::string("libpng: ") + Msg);
}
void Warning(png_structp, png_const_charp) {}

} // namespace

std::vector<uint8_t> EncodeWithLibpng(const TReferencePNG& Image) {
  png_structp Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
  png_infop Info = png_create_info_struct(Png);
  TMemoryOut Out;
  try {
    png_set_write_fn(Png, &Out, WriteData, FlushData);
    png_set_IHDR(Png, Info, Image.Width, Image.Height, Image.BitDepth, Image.ColorType,
                 Image.Interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(Png, Image.CompressionLevel);
    if (Image.Filters >= 0) png_set_filter(Png, 0, Image.Filters);
    if (!Image.Palette.empty()) {
      std::vector<png_color> Colors(Image.Palette.size() / 3);
      for (size_t I = 0; I < Colors.size(); ++I)
        Colors[I] = {Image.Palette[I * 3], Image.Palette[I * 3 + 1], Image.Palette[I * 3 + 2]};
      png_set_PLTE(Png, Info, Colors.data(), int(Colors.size()));
    }
    if (Image.HasGamma) png_set_gAMA_fixed(Png, Info, Image.Gamma);
    if (Image.HasBackground) {
      png_color_16 B{};
      if (Image.ColorType == 3)
        B.index = uint8_t(Image.Background[0]);
      else if (Image.ColorType == 0 || Image.ColorType == 4)
        B.gray = Image.Background[0];
      else {
        B.red = Image.Background[0];
        B.green = Image.Background[1];
        B.blue = Image.Background[2];
      }
      png_set_bKGD(Png, Info, &B);
    }
    if (Image.HasTransparency) {
      png_color_16 T{};
      T.gray = Image.Transparency[0];
      T.red = Image.Transparency[0];
      T.green = Image.Transparency[1];
      T.blue = Image.Transparency[2];
      if (Image.ColorType == 3)
        png_set_tRNS(Png, Info, Image.PaletteAlpha.data(), int(Image.PaletteAlpha.size()), nullptr);
      else
        png_set_tRNS(Png, Info, nullptr, 0, &T);
    }
    png_write_info(Png, Info);
    std::vector<png_bytep> Rows(Image.Height);
    for (uint32_t Y = 0; Y < Image.Height; ++Y)
      Rows[Y] = const_cast<png_bytep>(Image.Rows[Y].data());
    png_write_image(Png, Rows.data());
    png_write_end(Png, Info);
  } catch (...) {
    png_destroy_write_struct(&Png, &Info);
    throw;
  }
  png_destroy_write_struct(&Png, &Info);
  return std::move(Out.Bytes);
}

TReferencePNG DecodeWithLibpng(const std::vector<uint8_t>& Bytes) {
  png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
  png_infop Info = png_create_info_struct(Png);
  TMemoryIn In{&Bytes};
  TReferencePNG Image;
  try {
    png_set_read_fn(Png, &In, ReadData);
    png_read_info(Png, Info);
    Image.Width = png_get_image_width(Png, Info);
    Image.Height = png_get_image_height(Png, Info);
    Image.ColorType = png_get_color_type(Png, Info);
    Image.BitDepth = png_get_bit_depth(Png, Info);
    Image.Interlaced = png_get_interlace_type(Png, Info) != PNG_INTERLACE_NONE;
    png_set_interlace_handling(Png);
    png_read_update_info(Png, Info);
    const size_t RowBytes = png_get_rowbytes(Png, Info);
    Image.Rows.assign(Image.Height, std::vector<uint8_t>(RowBytes));
    std::vector<png_bytep> Rows(Image.Height);
    for (uint32_t Y = 0; Y < Image.Height; ++Y)
      Rows[Y] = Image.Rows[Y].data();
    png_read_image(Png, Rows.data());
    png_colorp Colors;
    int Count;
    if (png_get_PLTE(Png, Info, &Colors, &Count))
      for (int I = 0; I < Count; ++I)
        Image.Palette.insert(Image.Palette.end(), {Colors[I].red, Colors[I].green, Colors[I].blue});
    png_fixed_point Gamma;
    if (png_get_gAMA_fixed(Png, Info, &Gamma)) {
      Image.HasGamma = true;
      Image.Gamma = uint32_t(Gamma);
    }
    png_color_16p B;
    if (png_get_bKGD(Png, Info, &B)) {
      Image.HasBackground = true;
      if (Image.ColorType == 3)
        Image.Background[0] = B->index;
      else if (Image.ColorType == 0 || Image.ColorType == 4)
        Image.Background[0] = B->gray;
      else {
        Image.Background[0] = B->red;
        Image.Background[1] = B->green;
        Image.Background[2] = B->blue;
      }
    }
    png_bytep Alpha;
    int AlphaCount;
    png_color_16p T;
    if (png_get_tRNS(Png, Info, &Alpha, &AlphaCount, &T)) {
      Image.HasTransparency = true;
      if (Image.ColorType == 3)
        Image.PaletteAlpha.assign(Alpha, Alpha + AlphaCount);
      else if (Image.ColorType == 0)
        Image.Transparency[0] = T->gray;
      else {
        Image.Transparency[0] = T->red;
        Image.Transparency[1] = T->green;
        Image.Transparency[2] = T->blue;
      }
    }
  } catch (...) {
    png_destroy_read_struct(&Png, &Info, nullptr);
    throw;
  }
  png_destroy_read_struct(&Png, &Info, nullptr);
  return Image;
}

namespace {

void DecodeForTiming(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Pixels, bool Expand) {
  png_structp Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
  png_infop Info = png_create_info_struct(Png);
  TMemoryIn In{&Bytes};
  try {
    png_set_read_fn(Png, &In, ReadData);
    png_read_info(Png, Info);
    const uint32_t H = png_get_image_height(Png, Info);
    png_set_strip_16(Png);
    png_set_bgr(Png);
    if (Expand) {
      png_set_expand(Png);
      png_set_gray_to_rgb(Png);
      png_set_filler(Png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(Png);
    png_read_update_info(Png, Info);
    const size_t RowBytes = png_get_rowbytes(Png, Info);
    Pixels.resize(RowBytes * H);
    std::vector<png_bytep> Rows(H);
    for (uint32_t Y = 0; Y < H; ++Y)
      Rows[Y] = Pixels.data() + size_t(Y) * RowBytes;
    png_read_image(Png, Rows.data());
  } catch (...) {
    png_destroy_read_struct(&Png, &Info, nullptr);
    throw;
  }
  png_destroy_read_struct(&Png, &Info, nullptr);
}

} // namespace

void DecodeWithLibpngToBGRA(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Pixels) {
  DecodeForTiming(Bytes, Pixels, true);
}

void DecodeWithLibpngToBGR(const std::vector<uint8_t>& Bytes, std::vector<uint8_t>& Pixels) {
  DecodeForTiming(Bytes, Pixels, false);
}
