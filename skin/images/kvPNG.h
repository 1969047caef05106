// The engine's PNG reader: chunk walk with CRC-32, inflate, row filters, Adam7 and the colour
// conversions into the bitmap formats the skin engine paints with.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <zlib.h>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"

// A picture that cannot be read: malformed, truncated or of an unsupported kind.
class EInvalidGraphic : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
// zlib could not start or end inflation.
class EGraphicCompression : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};
// The colour manager was given a layout it cannot convert.
class EColorConversionError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Layouts of a decoded picture's rows, as a device-independent bitmap stores them.
enum TPixelFormat {
  pfDevice,
  pf1bit,
  pf4bit,
  pf8bit,
  pf15bit,
  pf16bit,
  pf24bit,
  pf32bit,
  pfCustom
};

enum TColorScheme {
  csUnknown,
  csIndexed,
  csG,
  csGA,
  csRGB,
  csRGBA,
  csBGR,
  csBGRA,
  csCMY,
  csCMYK,
  csCIELab,
  csYCbCr,
  csPhotoYCC
};

enum TCompressionType { ctUnknown, ctNone, ctLZ77 };

using TImageOptions = uint32_t;
constexpr TImageOptions ioBigEndian = 1;
constexpr TImageOptions ioUseGamma = 2;

using TConvertOptions = uint32_t;
constexpr TConvertOptions coAlpha = 1;
constexpr TConvertOptions coApplyGamma = 2;
constexpr TConvertOptions coNeedByteSwap = 4;
constexpr TConvertOptions coLabByteRange = 8;
constexpr TConvertOptions coLabChromaOffset = 16;

struct TImageProperties {
  TImageOptions Options = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  TColorScheme ColorScheme = csUnknown;
  uint8_t BitsPerSample = 0;
  uint8_t SamplesPerPixel = 0;
  uint8_t BitsPerPixel = 0;
  TCompressionType Compression = ctUnknown;
  float FileGamma = 1;
  bool Interlaced = false;
  bool HasAlpha = false;
  uint8_t FilterMode = 0;
};

// Converts rows of pixels between sample layouts: gray and indexed rows of 1 to 16 bits into
// 1 to 8 bits, RGB(A) of 8 or 16 bits into BGR(A) of 8 bits, with an optional gamma table.
class TColorManager {
public:
  TColorManager();

  // Converts Count pixels of one bitmap row. Pixel i of the target is written (and the next
  // source pixel taken) only when bit (7 - i mod 8) of Mask is set, which is how the passes of
  // an interlaced image fill their columns; 0xFF writes every pixel.
  void ConvertRow(const uint8_t* Source, uint8_t* Target, unsigned Count, uint8_t Mask);
  // Builds the gamma table for the 8-bit levels that go through it.
  void SetGamma(float MainGamma, float DisplayGamma = 2.2f);
  // 2^min(target bits per pixel, 8) gray levels, through the gamma table when it is applied.
  std::vector<TColor> CreateGrayscalePalette(bool MinimumIsWhite) const;
  // Count colours from 8- or 16-bit samples: with Planar, Sources[0..2] point at the red,
  // green and blue planes; otherwise Sources[0] points at interleaved triples in the order of
  // Scheme (csRGB or csBGR). 16-bit samples are big-endian when the source options ask for a
  // byte swap, and reduced by v * 255 div 65535. Each level goes through the gamma table when it
  // is applied. Another scheme or depth raises "Color conversion failed. Could not find a
  // proper method.".
  std::vector<TColor> CreateColorPalette(const uint8_t* const* Sources, TColorScheme Scheme,
                                         unsigned Count, unsigned BitsPerSample, bool Planar) const;
  // The bitmap format of the source (Index 0) or target (any other Index) layout.
  TPixelFormat GetPixelFormat(int Index) const;
  [[noreturn]] static void Error(const std::string& Msg);

  void SetSourceBitsPerSample(uint8_t Value);
  void SetTargetBitsPerSample(uint8_t Value);
  void SetSourceSamplesPerPixel(uint8_t Value);
  void SetTargetSamplesPerPixel(uint8_t Value);
  void SetSourceColorScheme(TColorScheme Value);
  void SetTargetColorScheme(TColorScheme Value);
  void SetSourceOptions(TConvertOptions Value);
  void SetTargetOptions(TConvertOptions Value);

  uint8_t SourceBitsPerSample() const { return FSourceBPS; }
  uint8_t TargetBitsPerSample() const { return FTargetBPS; }
  uint8_t SourceSamplesPerPixel() const { return FSourceSPP; }
  uint8_t TargetSamplesPerPixel() const { return FTargetSPP; }
  TColorScheme SourceColorScheme() const { return FSourceScheme; }
  TColorScheme TargetColorScheme() const { return FTargetScheme; }
  TConvertOptions SourceOptions() const { return FSourceOptions; }
  TConvertOptions TargetOptions() const { return FTargetOptions; }
  const std::array<uint8_t, 256>& GammaTable() const { return FGammaTable; }
  // An 8-bit level as it leaves the conversion: through the gamma table when it is applied.
  uint8_t Gamma(uint8_t Level) const {
    return (FTargetOptions & coApplyGamma) ? FGammaTable[Level] : Level;
  }

private:
  using TConversionMethod = void (TColorManager::*)(const uint8_t*, uint8_t*, unsigned, uint8_t);
  static void BuildGammaTable(std::array<uint8_t, 256>& Table, float MainGamma, float DisplayGamma);
  void PrepareConversion();
  void RowGrayToGray(const uint8_t* Source, uint8_t* Target, unsigned Count, uint8_t Mask);
  void RowIndexedToIndexed(const uint8_t* Source, uint8_t* Target, unsigned Count, uint8_t Mask);
  void RowGrayToGray8(const uint8_t* Source, uint8_t* Target, unsigned Count, uint8_t Mask);
  void RowRGBToBGR(const uint8_t* Source, uint8_t* Target, unsigned Count, uint8_t Mask);

  bool FChanged = true;
  uint8_t FSourceBPS = 8;
  uint8_t FTargetBPS = 8;
  uint8_t FSourceSPP = 3;
  uint8_t FTargetSPP = 3;
  float FMainGamma = 1;
  float FDisplayGamma = 2.2f;
  std::array<uint8_t, 256> FGammaTable{};
  TColorScheme FSourceScheme = csRGB;
  TColorScheme FTargetScheme = csBGR;
  TConversionMethod FRowConversion = nullptr;
  TConvertOptions FSourceOptions = 0;
  TConvertOptions FTargetOptions = 0;
};

// Inflate over zlib for data that arrives in pieces (the IDAT chunks of a PNG).
class TLZ77Decoder {
public:
  TLZ77Decoder(int FlushMode, bool AutoReset);
  ~TLZ77Decoder();
  TLZ77Decoder(const TLZ77Decoder&) = delete;
  TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

  void DecodeInit();
  // Inflates from Source (PackedSize bytes) into Dest (UnpackedSize bytes); on return both
  // point behind what was read and written. The zlib result is kept in ZLibResult.
  void Decode(const uint8_t*& Source, uint8_t*& Dest, unsigned PackedSize, unsigned UnpackedSize);
  void DecodeEnd();
  void Encode() {}

  int ZLibResult() const { return FZLibResult; }
  unsigned AvailableInput() const { return FStream.avail_in; }
  unsigned AvailableOutput() const { return FStream.avail_out; }

private:
  z_stream FStream{};
  int FZLibResult = Z_OK;
  int FFlushMode;
  bool FAutoReset;
  bool FStarted = false;
};

enum TProgressStage { psStarting, psRunning, psEnding };
// Progress of a load: the stage, percent done, the rows decoded so far and a message.
using TProgressEvent =
    std::function<void(TProgressStage Stage, int PercentDone, const TRect& R, const char* Msg)>;

// The largest PNG the reader accepts: 16384 pixels per side and 256 MB of 32-bit pixels.
constexpr uint32_t PNGMaxSide = 16384;
constexpr uint64_t PNGMaxPixels = uint64_t(64) * 1024 * 1024;

struct TPNGChunkWalker;

// A decoded PNG picture in one of the bitmap formats pf1bit, pf4bit, pf8bit (with a palette),
// pf24bit (B, G, R) or pf32bit (B, G, R, A, alpha not premultiplied).
class TPNGGraphic {
public:
  TPNGGraphic() = default;

  // Reads a whole PNG from memory; throws EInvalidGraphic (or EGraphicCompression) with the
  // reason and leaves the graphic empty. Loading again replaces everything.
  void LoadFromMemory(const void* Data, size_t Size);
  void LoadFromFile(const std::string& FileName);
  // Reads the signature, the header and the file gamma; False when the bytes are not a PNG.
  bool ReadImageProperties(const void* Data, size_t Size, unsigned ImageIndex = 0);
  // True when more than 8 bytes are given and the first 8 are the PNG signature.
  static bool CanLoad(const void* Data, size_t Size);
  static bool CanLoad(const std::string& FileName);
  void Assign(const TPNGGraphic& Source) { *this = Source; }

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth == 0 || FHeight == 0; }
  TPixelFormat PixelFormat() const { return FPixelFormat; }
  // Colours of the palette of pf1bit, pf4bit and pf8bit pictures: always 2, 16 or 256
  // entries, so that every index the rows can hold has a colour.
  const std::vector<TColor>& Palette() const { return FPalette; }
  const uint8_t* ScanLine(int Y) const { return FPixels.data() + size_t(Y) * FRowBytes; }
  size_t RowBytes() const { return FRowBytes; }
  const TImageProperties& ImageProperties() const { return FImageProperties; }
  const TColorManager& ColorManager() const { return FColorManager; }
  // A tRNS colour of a gray or RGB picture: pixels of exactly this colour are transparent.
  bool Transparent() const { return FTransparentColor != clNone; }
  TColor TransparentColor() const { return FTransparentColor; }
  // The bKGD value: a colour for RGB pictures, a palette index or gray level for the others.
  TColor BackgroundColor() const { return FBackgroundColor; }

  // One row as 32-bit pixels (B, G, R, A): palette and RGB pixels are opaque except those of
  // the transparent colour, which get alpha 0; pf32bit keeps its alpha.
  void ExpandRow(int Y, uint32_t* Target) const;
  // The picture as a 32-bit bitmap, pixels as ExpandRow gives them.
  void AssignTo(TBitmap32& Bmp) const;
  // Draws the picture into R of Canvas. A picture that is not 32-bit is copied opaque, stretched
  // to R, leaving out the pixels of its transparent colour. A 32-bit one is composited over
  // what Canvas shows; at the picture's own size and with Reflected, a fading mirror of its
  // lower half follows below R (half of R's height). A target of another size takes the picture
  // stretched by nearest pixels, alpha included, without reflection.
  void Draw(TBitmap32& Canvas, const TRect& R) const;
#ifdef _WIN32
  // The same onto a device context (an HDC): what the DC shows under R (and under the
  // reflection) is read, drawn over and copied back at R's top-left.
  void Draw(void* DC, const TRect& R) const;
#endif

  bool Reflected = false;
  TProgressEvent OnProgress;

private:
  void Clear();
  void Load(const void* Data, size_t Size);
  void ChooseTargetLayout();
  void ReadPalette(const uint8_t* Data, uint32_t Length);
  void ReadBackground(const uint8_t* Data, uint32_t Length);
  void ReadTransparency(const uint8_t* Data, uint32_t Length);
  void ResolveTransparentColor();
  bool DecodeImageData(TPNGChunkWalker& Walker);
  void Progress(TProgressStage Stage, int Percent, const char* Msg);

  TColorManager FColorManager;
  TRect FProgressRect;
  TImageProperties FImageProperties;
  uint32_t FSourceBPP = 1;
  int FWidth = 0;
  int FHeight = 0;
  TPixelFormat FPixelFormat = pfDevice;
  size_t FRowBytes = 0;
  std::vector<uint8_t> FPixels;
  std::vector<TColor> FPalette;
  TColor FTransparentColor = clNone;
  TColor FBackgroundColor = clWhite;
  // The raw tRNS samples (gray, or red, green, blue), resolved into a colour after loading.
  bool FHasTransparency = false;
  std::array<uint16_t, 3> FTransparencySamples{};
  uint8_t FColorType = 0;
  uint8_t FInterlaceMethod = 0;
  bool FHasPalette = false;
  uint32_t FDecodedRows = 0;
};

// A program that links the reader (uses TPNGGraphic) has it registered from start-up as the
// picture reader of "png" files (TPicture, "Portable network graphics (Orvane)"); the
// registration is removed at exit.

// Every pixel that is exactly 0x00FFFFFF (white, alpha 0) becomes 0.
void ClearTransparentWhite(TBitmap32& Bmp);

// A skin's PNG image as the skin engine paints with it: decoded into 32 bits, then cleared of
// transparent white for skins of version 7.45 or lower, premultiplied for later versions.
TBitmap32 LoadSkinPNG(const void* Data, size_t Size, double SkinVersion);
