// The PNG reader: chunk walk, image data, filters and Adam7 (ISO/IEC 15948), and the skin
// engine's normalisations of decoded images.
#include "skin/images/kvPNG.h"

#include "skin/pixels/kvKeyedCopies.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/Pictures.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr uint8_t PNGSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

constexpr uint32_t ChunkType(const char (&Name)[5]) {
  return uint32_t(uint8_t(Name[0])) << 24 | uint32_t(uint8_t(Name[1])) << 16 |
         uint32_t(uint8_t(Name[2])) << 8 | uint32_t(uint8_t(Name[3]));
}
constexpr uint32_t ctIHDR = ChunkType("IHDR");
constexpr uint32_t ctIDAT = ChunkType("IDAT");
constexpr uint32_t ctIEND = ChunkType("IEND");
constexpr uint32_t ctPLTE = ChunkType("PLTE");
constexpr uint32_t ctGAMA = ChunkType("gAMA");
constexpr uint32_t ctBKGD = ChunkType("bKGD");
constexpr uint32_t ctTRNS = ChunkType("tRNS");

// The largest chunk length the PNG format allows.
constexpr uint32_t MaxChunkLength = 0x7FFFFFFF;

const char* const SInvalidFormat = "Cannot load image. Invalid or unexpected PNG image format.";
const char* const SCompressionScheme =
    "Cannot load image. The compression scheme is not supported for PNG files.";
const char* const SCRCError = "Cannot load image. CRC error found in PNG file.";
const char* const SInvalidPalette = "Cannot load image. Palette in PNG file is invalid.";
const char* const SCriticalChunk = "Cannot load PNG image. Unexpected but critical chunk detected.";
const char* const SInvalidColorFormat = "Invalid color format in PNG file.";
const char* const SCompressionError = "Cannot load image. Compression error found in PNG file.";
const char* const SExtraData = "Cannot load image. Extra compressed data found in PNG file.";
const char* const SLZ77Error = "LZ77 decompression error.";
const char* const STruncated = "Cannot load image. Unexpected end of data in PNG file.";
const char* const SIncompleteData = "Cannot load image. Image data in PNG file is incomplete.";
const char* const SUnknownFilter = "Cannot load image. Unknown row filter found in PNG file.";

[[noreturn]] void Fail(const char* Msg) {
  throw EInvalidGraphic(Msg);
}

inline uint32_t ReadBE32(const uint8_t* P) {
  return uint32_t(P[0]) << 24 | uint32_t(P[1]) << 16 | uint32_t(P[2]) << 8 | P[3];
}
inline uint16_t ReadBE16(const uint8_t* P) {
  return uint16_t(P[0] << 8 | P[1]);
}

bool IsCritical(uint32_t Type) {
  return !((Type >> 24) & 0x20);
}

// Bits per pixel and valid depths of each colour type.
bool IsValidColorFormat(uint8_t ColorType, uint8_t Depth) {
  switch (ColorType) {
  case 0: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8 || Depth == 16;
  case 3: return Depth == 1 || Depth == 2 || Depth == 4 || Depth == 8;
  case 2:
  case 4:
  case 6: return Depth == 8 || Depth == 16;
  default: return false;
  }
}

// The predictor of the Paeth filter, with the order of ties the PNG standard gives.
inline int PaethPredictor(int A, int B, int C) {
  const int P = B - C; // (A + B - C) - A
  const int Q = A - C; // (A + B - C) - B
  const int PA = std::abs(P), PB = std::abs(Q), PC = std::abs(P + Q);
  return (PA <= PB && PA <= PC) ? A : (PB <= PC ? B : C);
}

// Paeth for whole pixels of N bytes: the left and upper-left pixels stay in registers.
template <size_t N>
void UnfilterPaeth(uint8_t* Row, const uint8_t* Prev, size_t Length) {
  int A[N], C[N];
  for (size_t K = 0; K < N; ++K) {
    A[K] = Row[K];
    C[K] = Prev[K];
  }
  size_t I = N;
  for (; I + N <= Length; I += N)
    for (size_t K = 0; K < N; ++K) {
      const int B = Prev[I + K];
      A[K] = uint8_t(Row[I + K] + PaethPredictor(A[K], B, C[K]));
      Row[I + K] = uint8_t(A[K]);
      C[K] = B;
    }
  for (; I < Length; ++I)
    Row[I] = uint8_t(Row[I] + PaethPredictor(Row[I - N], Prev[I], Prev[I - N]));
}

// Undoes one row filter. Row and Prev are the row's bytes without the filter-type byte; Bpp is
// the distance to the corresponding byte of the pixel to the left.
void Unfilter(uint8_t Filter, uint8_t* Row, const uint8_t* Prev, size_t Length, size_t Bpp) {
  switch (Filter) {
  case 0: return;
  case 1:
    for (size_t I = Bpp; I < Length; ++I)
      Row[I] = uint8_t(Row[I] + Row[I - Bpp]);
    return;
  case 2:
    for (size_t I = 0; I < Length; ++I)
      Row[I] = uint8_t(Row[I] + Prev[I]);
    return;
  case 3:
    for (size_t I = 0; I < Bpp && I < Length; ++I)
      Row[I] = uint8_t(Row[I] + (Prev[I] >> 1));
    for (size_t I = Bpp; I < Length; ++I)
      Row[I] = uint8_t(Row[I] + ((Row[I - Bpp] + Prev[I]) >> 1));
    return;
  case 4:
    for (size_t I = 0; I < Bpp && I < Length; ++I)
      Row[I] = uint8_t(Row[I] + Prev[I]);
    if (Bpp == 3)
      UnfilterPaeth<3>(Row, Prev, Length);
    else if (Bpp == 4)
      UnfilterPaeth<4>(Row, Prev, Length);
    else
      for (size_t I = Bpp; I < Length; ++I)
        Row[I] = uint8_t(Row[I] + PaethPredictor(Row[I - Bpp], Prev[I], Prev[I - Bpp]));
    return;
  default: Fail(SUnknownFilter);
  }
}

struct TAdam7Pass {
  uint32_t ColumnStart, ColumnStep, RowStart, RowStep;
  uint8_t Mask;
};
constexpr TAdam7Pass Adam7[7] = {{0, 8, 0, 8, 0x80}, {4, 8, 0, 8, 0x08}, {0, 4, 4, 8, 0x88},
                                 {2, 4, 0, 4, 0x22}, {0, 2, 2, 4, 0xAA}, {1, 2, 0, 2, 0x55},
                                 {0, 1, 1, 2, 0xFF}};

// Owns the inflate state of one load, so that it is ended on every path out.
struct TInflateGuard {
  TLZ77Decoder Decoder{Z_PARTIAL_FLUSH, false};
  TInflateGuard() { Decoder.DecodeInit(); }
  ~TInflateGuard() {
    try {
      Decoder.DecodeEnd();
    } catch (...) {
    }
  }
};

} // namespace

// Walks the chunks of a PNG held in memory. Next() makes the following chunk current; it
// stops at the end of the data, and a chunk whose data would run past the end is an error.
struct TPNGChunkWalker {
  const uint8_t* Data;
  size_t Size;
  size_t Pos = 8; // the next chunk header
  uint32_t Length = 0;
  uint32_t Type = 0;
  const uint8_t* ChunkData = nullptr;

  bool Next() {
    if (Size - Pos < 8) return false;
    Length = ReadBE32(Data + Pos);
    Type = ReadBE32(Data + Pos + 4);
    if (Length > MaxChunkLength || Size - Pos - 8 < size_t(Length) + 4) Fail(STruncated);
    ChunkData = Data + Pos + 8;
    Pos += size_t(Length) + 12;
    return true;
  }
  // Compares the stored CRC with the CRC-32 of the type and data.
  void CheckCRC() const {
    uLong CRC = crc32(0L, ChunkData - 4, 4);
    CRC = crc32(CRC, ChunkData, Length);
    if (uint32_t(CRC) != ReadBE32(ChunkData + Length)) Fail(SCRCError);
  }
};

// ---------------------------------------------------------------------------------------------
// TLZ77Decoder

TLZ77Decoder::TLZ77Decoder(int FlushMode, bool AutoReset)
    : FFlushMode(FlushMode), FAutoReset(AutoReset) {}

TLZ77Decoder::~TLZ77Decoder() {
  if (FStarted) inflateEnd(&FStream);
}

void TLZ77Decoder::DecodeInit() {
  if (FStarted) return;
  FStream = z_stream{};
  if (inflateInit(&FStream) != Z_OK) throw EGraphicCompression(SLZ77Error);
  FStarted = true;
}

void TLZ77Decoder::Decode(const uint8_t*& Source, uint8_t*& Dest, unsigned PackedSize,
                          unsigned UnpackedSize) {
  if (FAutoReset) {
    FZLibResult = inflateReset(&FStream);
    if (FZLibResult != Z_OK) return;
  }
  FStream.next_in = const_cast<Bytef*>(Source);
  FStream.avail_in = PackedSize;
  FStream.next_out = Dest;
  FStream.avail_out = UnpackedSize;
  FZLibResult = inflate(&FStream, FFlushMode);
  Source = FStream.next_in;
  Dest = FStream.next_out;
}

void TLZ77Decoder::DecodeEnd() {
  if (!FStarted) return;
  FStarted = false;
  if (inflateEnd(&FStream) != Z_OK) throw EGraphicCompression(SLZ77Error);
}

// ---------------------------------------------------------------------------------------------
// TPNGGraphic

bool TPNGGraphic::CanLoad(const void* Data, size_t Size) {
  return Data && Size > 8 && std::memcmp(Data, PNGSignature, 8) == 0;
}

bool TPNGGraphic::CanLoad(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  uint8_t Head[9];
  In.read(reinterpret_cast<char*>(Head), 9);
  return In.gcount() == 9 && CanLoad(Head, 9);
}

bool TPNGGraphic::ReadImageProperties(const void* Data, size_t Size, unsigned /*ImageIndex*/) {
  FImageProperties = TImageProperties{};
  FImageProperties.FileGamma = 1;
  const uint8_t* Bytes = static_cast<const uint8_t*>(Data);
  if (!Bytes || Size < 8 || std::memcmp(Bytes, PNGSignature, 8) != 0) return false;
  TPNGChunkWalker Walker{Bytes, Size};
  // IHDR must come first and be exactly 13 bytes long.
  if (Size - 8 < 8 || ReadBE32(Bytes + 12) != ctIHDR || ReadBE32(Bytes + 8) != 13) return false;
  if (!Walker.Next()) return false;
  Walker.CheckCRC();
  const uint8_t* H = Walker.ChunkData;
  const uint32_t Width = ReadBE32(H), Height = ReadBE32(H + 4);
  if (Width == 0 || Height == 0 || Width > MaxChunkLength || Height > MaxChunkLength) return false;
  TImageProperties& P = FImageProperties;
  P.Options = ioBigEndian;
  P.Width = Width;
  P.Height = Height;
  P.Compression = H[10] == 0 ? ctLZ77 : ctUnknown;
  P.BitsPerSample = H[8];
  P.SamplesPerPixel = 1;
  FColorType = H[9];
  switch (FColorType) {
  case 0: P.ColorScheme = csG; break;
  case 2:
    P.ColorScheme = csRGB;
    P.SamplesPerPixel = 3;
    break;
  case 3: P.ColorScheme = csIndexed; break;
  case 4:
    P.ColorScheme = csGA;
    P.SamplesPerPixel = 2;
    break;
  case 6:
    P.ColorScheme = csRGBA;
    P.SamplesPerPixel = 4;
    break;
  default: P.ColorScheme = csUnknown;
  }
  P.BitsPerPixel = uint8_t(P.SamplesPerPixel * P.BitsPerSample);
  P.FilterMode = H[11];
  P.Interlaced = H[12] != 0;
  FInterlaceMethod = H[12];
  P.HasAlpha = P.ColorScheme == csGA || P.ColorScheme == csRGBA;
  // Headers only, up to the file gamma or the end; a broken chunk ends the look-ahead here and
  // is reported by the load itself.
  try {
    while (Walker.Next()) {
      if (Walker.Type == ctIEND) break;
      if (Walker.Type == ctGAMA && Walker.Length >= 4) {
        Walker.CheckCRC();
        P.FileGamma = float(ReadBE32(Walker.ChunkData) / 100000.0);
        break;
      }
    }
  } catch (const EInvalidGraphic&) {
  }
  return true;
}

void TPNGGraphic::Clear() {
  FColorManager = TColorManager();
  FImageProperties = TImageProperties{};
  FWidth = FHeight = 0;
  FPixelFormat = pfDevice;
  FRowBytes = 0;
  FPixels.clear();
  FPixels.shrink_to_fit();
  FPalette.clear();
  FTransparentColor = clNone;
  FBackgroundColor = clWhite;
  FHasTransparency = false;
  FTransparencySamples = {};
  FColorType = 0;
  FInterlaceMethod = 0;
  FSourceBPP = 1;
  FDecodedRows = 0;
  FHasPalette = false;
}

void TPNGGraphic::Progress(TProgressStage Stage, int Percent, const char* Msg) {
  if (OnProgress) OnProgress(Stage, Percent, FProgressRect, Msg);
}

void TPNGGraphic::LoadFromFile(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) throw EInvalidGraphic("Cannot open file \"" + FileName + "\".");
  std::vector<uint8_t> Bytes((std::istreambuf_iterator<char>(In)),
                             std::istreambuf_iterator<char>());
  LoadFromMemory(Bytes.data(), Bytes.size());
}

void TPNGGraphic::LoadFromMemory(const void* Data, size_t Size) {
  Clear();
  try {
    Load(Data, Size);
  } catch (...) {
    // A failed load leaves nothing half-decoded behind: the graphic is empty.
    Clear();
    throw;
  }
}

void TPNGGraphic::Load(const void* Data, size_t Size) {
  struct TEndProgress {
    TPNGGraphic* Self;
    ~TEndProgress() {
      try {
        Self->Progress(psEnding, 100, "");
      } catch (...) {
      }
    }
  } EndProgress{this};

  if (!ReadImageProperties(Data, Size)) Fail(SInvalidFormat);
  const TImageProperties& P = FImageProperties;
  FProgressRect = Rect(0, 0, int(std::min<uint32_t>(P.Width, 0x7FFFFFFF)), 1);
  Progress(psStarting, 0, "Preparing...");
  if (P.Compression != ctLZ77) Fail(SCompressionScheme);
  if (!IsValidColorFormat(FColorType, P.BitsPerSample)) Fail(SInvalidColorFormat);
  // Refuse before anything is allocated: every later size computation stays small.
  if (P.Width > PNGMaxSide || P.Height > PNGMaxSide || uint64_t(P.Width) * P.Height > PNGMaxPixels)
    throw EInvalidGraphic("Cannot load image. The picture of " + std::to_string(P.Width) + " x " +
                          std::to_string(P.Height) + " pixels in PNG file is too large.");
  FColorManager.SetSourceOptions(coNeedByteSwap);
  ChooseTargetLayout();

  TPNGChunkWalker Walker{static_cast<const uint8_t*>(Data), Size};
  Walker.Next(); // IHDR, read and checked above
  bool ImageDone = false;
  bool Have = Walker.Next();
  while (Have) {
    if (ImageDone) {
      // Whatever follows the image data is skipped; only IEND and critical chunks matter.
      if (Walker.Type == ctIEND) break;
      if (IsCritical(Walker.Type)) Fail(SCriticalChunk);
      Have = Walker.Next();
      continue;
    }
    switch (Walker.Type) {
    case ctIDAT:
      Progress(psEnding, 100, "");
      Have = DecodeImageData(Walker);
      ImageDone = true;
      continue;
    case ctPLTE:
      if (Walker.Length == 0 || Walker.Length % 3 != 0) Fail(SInvalidPalette);
      Walker.CheckCRC();
      ReadPalette(Walker.ChunkData, Walker.Length);
      break;
    case ctGAMA:
      Walker.CheckCRC();
      // A gAMA chunk too short to hold its value is ignored, as any broken ancillary chunk.
      if (Walker.Length >= 4) {
        FColorManager.SetGamma(float(ReadBE32(Walker.ChunkData) / 100000.0), 2.2f);
        FColorManager.SetTargetOptions(FColorManager.TargetOptions() | coApplyGamma);
        FImageProperties.Options |= ioUseGamma;
      }
      break;
    case ctBKGD:
      Walker.CheckCRC();
      ReadBackground(Walker.ChunkData, Walker.Length);
      break;
    case ctTRNS:
      Walker.CheckCRC();
      ReadTransparency(Walker.ChunkData, Walker.Length);
      break;
    case ctIEND: Have = false; continue;
    default:
      // The first IHDR has been read; a second one is as unexpected as any critical chunk.
      if (IsCritical(Walker.Type)) Fail(SCriticalChunk);
    }
    Have = Walker.Next();
  }
  // The data may end without IEND once the image is complete, but not before.
  if (!ImageDone) Fail(SIncompleteData);
  ResolveTransparentColor();
}

// The target layout follows from colour type and bit depth alone, so it is chosen once the
// header is known; the gray palette waits for the image data because gAMA may still come.
void TPNGGraphic::ChooseTargetLayout() {
  TColorManager& M = FColorManager;
  const uint8_t Depth = FImageProperties.BitsPerSample;
  switch (FColorType) {
  case 0:
    M.SetSourceColorScheme(csG);
    M.SetSourceSamplesPerPixel(1);
    M.SetSourceBitsPerSample(Depth);
    M.SetTargetColorScheme(csG);
    M.SetTargetSamplesPerPixel(1);
    M.SetTargetBitsPerSample(Depth == 2 ? 4 : Depth == 16 ? 8 : Depth);
    FSourceBPP = (Depth + 7) / 8;
    break;
  case 2:
    M.SetSourceColorScheme(csRGB);
    M.SetSourceSamplesPerPixel(3);
    M.SetSourceBitsPerSample(Depth);
    M.SetTargetColorScheme(csBGR);
    M.SetTargetSamplesPerPixel(3);
    M.SetTargetBitsPerSample(8);
    FSourceBPP = Depth * 3 / 8;
    break;
  case 3:
    M.SetSourceColorScheme(csIndexed);
    M.SetSourceSamplesPerPixel(1);
    M.SetSourceBitsPerSample(Depth);
    M.SetTargetColorScheme(csIndexed);
    M.SetTargetSamplesPerPixel(1);
    M.SetTargetBitsPerSample(Depth == 2 ? 4 : Depth);
    FSourceBPP = 1;
    break;
  case 4:
    M.SetSourceColorScheme(csGA);
    M.SetSourceSamplesPerPixel(2);
    M.SetSourceBitsPerSample(Depth);
    M.SetTargetColorScheme(csIndexed);
    M.SetTargetSamplesPerPixel(1);
    M.SetTargetBitsPerSample(8);
    FSourceBPP = Depth * 2 / 8;
    break;
  case 6:
    M.SetSourceColorScheme(csRGBA);
    M.SetSourceSamplesPerPixel(4);
    M.SetSourceBitsPerSample(Depth);
    M.SetTargetColorScheme(csBGRA);
    M.SetTargetSamplesPerPixel(4);
    M.SetTargetBitsPerSample(8);
    FSourceBPP = Depth * 4 / 8;
    break;
  default: Fail(SInvalidColorFormat);
  }
  FPixelFormat = M.GetPixelFormat(1);
}

void TPNGGraphic::ReadPalette(const uint8_t* Data, uint32_t Length) {
  if (FColorType != 3) return; // a suggested palette of an RGB image is not used
  // Every index the rows can hold gets a colour: entries the PLTE does not give are black.
  const size_t Entries = size_t(1) << FColorManager.TargetBitsPerSample();
  FPalette.assign(Entries, clBlack);
  const size_t Given = std::min<size_t>(std::min<size_t>(Length / 3, 256), Entries);
  const std::vector<TColor> Given8 =
      FColorManager.CreateColorPalette(&Data, csRGB, unsigned(Given), 8, false);
  std::copy(Given8.begin(), Given8.end(), FPalette.begin());
  FHasPalette = true;
}

// bKGD: a colour for RGB images, a gray level or palette index for the others. A chunk too
// short for the image's colour type is ignored.
void TPNGGraphic::ReadBackground(const uint8_t* Data, uint32_t Length) {
  const uint8_t Depth = FImageProperties.BitsPerSample;
  auto Level = [Depth](uint16_t V) -> uint8_t {
    if (Depth == 16) return uint8_t(V * 255u / 65535u);
    if (Depth == 2) return uint8_t(V * (15 / 3));
    return uint8_t(V);
  };
  switch (FColorType) {
  case 2:
  case 6:
    if (Length >= 6)
      FBackgroundColor =
          RGBColor(Level(ReadBE16(Data)), Level(ReadBE16(Data + 2)), Level(ReadBE16(Data + 4)));
    break;
  case 0:
  case 4:
    if (Length >= 2) FBackgroundColor = Level(ReadBE16(Data));
    break;
  case 3:
    if (Length >= 1) FBackgroundColor = Data[0];
    break;
  }
}

// tRNS of gray and RGB images names one transparent colour; of the other types it is not used.
void TPNGGraphic::ReadTransparency(const uint8_t* Data, uint32_t Length) {
  if (FColorType == 0 && Length >= 2) {
    FTransparencySamples = {ReadBE16(Data), 0, 0};
    FHasTransparency = true;
  } else if (FColorType == 2 && Length >= 6) {
    FTransparencySamples = {ReadBE16(Data), ReadBE16(Data + 2), ReadBE16(Data + 4)};
    FHasTransparency = true;
  }
}

// The transparent colour is the colour that pixels of the tRNS sample have in the decoded
// picture (scaled, reduced and through gamma as they are), so that it matches exactly them.
void TPNGGraphic::ResolveTransparentColor() {
  FTransparentColor = clNone;
  if (!FHasTransparency) return;
  const uint8_t Depth = FImageProperties.BitsPerSample;
  if (FColorType == 0) {
    const unsigned V = FTransparencySamples[0];
    if (Depth < 16 && V >= (1u << Depth)) return; // no pixel can have it
    const unsigned Index = Depth == 16 ? V * 255u / 65535u : Depth == 2 ? V * 5 : V;
    FTransparentColor = FPalette[Index];
  } else if (FColorType == 2) {
    uint8_t C[3];
    for (int I = 0; I < 3; ++I) {
      const unsigned V = FTransparencySamples[I];
      if (Depth == 8 && V > 255) return;
      C[I] = FColorManager.Gamma(uint8_t(Depth == 16 ? V * 255u / 65535u : V));
    }
    FTransparentColor = RGBColor(C[0], C[1], C[2]);
  }
}

// Inflates and unfilters the rows from the IDAT chunks, the current one first, into the
// picture. Returns whether a chunk after the image data is current in Walker.
bool TPNGGraphic::DecodeImageData(TPNGChunkWalker& Walker) {
  const TImageProperties& P = FImageProperties;
  Progress(psStarting, 0, "Transfering...");
  if (FColorType == 3 && !FHasPalette) Fail(SInvalidPalette);
  if (FPixelFormat != pf24bit && FPixelFormat != pf32bit && FColorType != 3)
    FPalette = FColorManager.CreateGrayscalePalette(false);

  FWidth = int(P.Width);
  FHeight = int(P.Height);
  switch (FPixelFormat) {
  case pf1bit: FRowBytes = (size_t(FWidth) + 7) / 8; break;
  case pf4bit: FRowBytes = (size_t(FWidth) + 1) / 2; break;
  case pf8bit: FRowBytes = size_t(FWidth); break;
  case pf24bit: FRowBytes = size_t(FWidth) * 3; break;
  default: FRowBytes = size_t(FWidth) * 4; break;
  }
  FPixels.assign(FRowBytes * size_t(FHeight), 0);

  TInflateGuard Inflate;
  TLZ77Decoder& Decoder = Inflate.Decoder;
  const uint8_t* In = Walker.ChunkData;
  uint32_t InLeft = Walker.Length;
  Walker.CheckCRC();
  bool StreamEnded = false;
  bool HaveChunk = true; // Walker holds a current chunk

  // The next IDAT chunk of the run, checked; False when the run has ended.
  auto NextIDAT = [&]() -> bool {
    HaveChunk = Walker.Next();
    if (!HaveChunk || Walker.Type != ctIDAT) return false;
    Walker.CheckCRC();
    In = Walker.ChunkData;
    InLeft = Walker.Length;
    return true;
  };

  auto Inflate1 = [&](uint8_t* Dest, size_t Want) -> size_t {
    const uint8_t* Src = In;
    uint8_t* D = Dest;
    Decoder.Decode(Src, D, InLeft, unsigned(Want));
    const int R = Decoder.ZLibResult();
    if (R == Z_STREAM_END)
      StreamEnded = true;
    else if (R != Z_OK && R != Z_BUF_ERROR)
      Fail(SCompressionError);
    // With input and room for output, no progress at all means a stream zlib cannot go on with.
    if (R == Z_BUF_ERROR && Src == In && D == Dest) Fail(SCompressionError);
    InLeft -= uint32_t(Src - In);
    In = Src;
    return size_t(D - Dest);
  };

  // Rows are inflated a window at a time rather than one by one: zlib's fast path then runs over
  // long stretches instead of stopping at every row's end.
  const uint64_t BitsPerPixel = uint64_t(P.BitsPerSample) * P.SamplesPerPixel;
  const size_t MaxRowLength = size_t((BitsPerPixel * P.Width + 7) / 8) + 1;
  std::vector<uint8_t> Window(std::max<size_t>(size_t(1) << 17, MaxRowLength));
  size_t WindowPos = 0, WindowEnd = 0;
  auto ReadRow = [&](uint8_t* Row, size_t Length) {
    size_t Got = 0;
    while (Got < Length) {
      if (WindowPos == WindowEnd) {
        if (StreamEnded) Fail(SExtraData); // the stream ended before the image did
        if (InLeft == 0) {
          if (!NextIDAT()) Fail(SIncompleteData);
          continue;
        }
        WindowPos = 0;
        WindowEnd = Inflate1(Window.data(), Window.size());
        continue;
      }
      const size_t Take = std::min(Length - Got, WindowEnd - WindowPos);
      std::memcpy(Row + Got, Window.data() + WindowPos, Take);
      WindowPos += Take;
      Got += Take;
    }
  };

  // Source rows: the filter-type byte followed by the row's bytes.
  std::vector<uint8_t> Current(MaxRowLength);
  std::vector<uint8_t> Previous(Current.size());
  const size_t Bpp = std::max<uint32_t>(FSourceBPP, 1);
  const bool Adam7Interlaced = FInterlaceMethod == 1;
  // Progress counts the rows of every pass; the rectangle is the bitmap row just written.
  uint64_t TotalRows = 0;
  for (int Pass = Adam7Interlaced ? 0 : 6; Pass < 7; ++Pass) {
    const TAdam7Pass& A = Adam7Interlaced ? Adam7[Pass] : TAdam7Pass{0, 1, 0, 1, 0xFF};
    if (A.ColumnStart < P.Width && A.RowStart < P.Height)
      TotalRows += (P.Height - A.RowStart + A.RowStep - 1) / A.RowStep;
  }

  for (int Pass = Adam7Interlaced ? 0 : 6; Pass < 7; ++Pass) {
    const TAdam7Pass& A = Adam7Interlaced ? Adam7[Pass] : TAdam7Pass{0, 1, 0, 1, 0xFF};
    if (A.ColumnStart >= P.Width || A.RowStart >= P.Height) continue;
    const uint32_t PassWidth = (P.Width - A.ColumnStart + A.ColumnStep - 1) / A.ColumnStep;
    const size_t RowLength = size_t((BitsPerPixel * PassWidth + 7) / 8);
    std::fill(Previous.begin(), Previous.end(), 0);
    for (uint32_t Y = A.RowStart; Y < P.Height; Y += A.RowStep) {
      ReadRow(Current.data(), RowLength + 1);
      Unfilter(Current[0], Current.data() + 1, Previous.data() + 1, RowLength, Bpp);
      FColorManager.ConvertRow(Current.data() + 1, FPixels.data() + size_t(Y) * FRowBytes,
                               unsigned(FWidth), A.Mask);
      std::swap(Current, Previous);
      if (OnProgress) {
        ++FDecodedRows;
        FProgressRect = Rect(0, int(Y), FWidth, int(Y) + 1);
        Progress(psRunning, int(uint64_t(FDecodedRows) * 100 / TotalRows), "");
      }
    }
  }

  // The rows are complete: the rest of the run may only finish the compressed stream.
  if (WindowPos != WindowEnd) Fail(SExtraData);
  for (;;) {
    if (InLeft > 0) {
      if (StreamEnded) Fail(SExtraData);
      uint8_t Scratch[64];
      if (Inflate1(Scratch, sizeof(Scratch)) > 0) Fail(SExtraData);
      continue;
    }
    if (!NextIDAT()) return HaveChunk;
  }
}

void TPNGGraphic::ExpandRow(int Y, uint32_t* Target) const {
  const uint8_t* Row = ScanLine(Y);
  const bool Keyed = Transparent();
  auto FromColor = [&](TColor C) -> uint32_t {
    return ColorToPixel(C & 0xFFFFFF) | (Keyed && C == FTransparentColor ? 0u : 0xFF000000u);
  };
  switch (FPixelFormat) {
  case pf1bit:
    for (int X = 0; X < FWidth; ++X)
      Target[X] = FromColor(FPalette[(Row[X >> 3] >> (7 - (X & 7))) & 1]);
    break;
  case pf4bit:
    for (int X = 0; X < FWidth; ++X)
      Target[X] = FromColor(FPalette[(Row[X >> 1] >> ((X & 1) ? 0 : 4)) & 15]);
    break;
  case pf8bit:
    for (int X = 0; X < FWidth; ++X)
      Target[X] = FromColor(FPalette[Row[X]]);
    break;
  case pf24bit:
    if (!Keyed) {
      for (int X = 0; X < FWidth; ++X, Row += 3)
        Target[X] = 0xFF000000u | uint32_t(Row[0]) | uint32_t(Row[1]) << 8 | uint32_t(Row[2]) << 16;
      break;
    }
    for (int X = 0; X < FWidth; ++X, Row += 3) {
      const uint32_t P = uint32_t(Row[0]) | uint32_t(Row[1]) << 8 | uint32_t(Row[2]) << 16;
      Target[X] = P | (PixelToColor(P) == FTransparentColor ? 0u : 0xFF000000u);
    }
    break;
  case pf32bit: std::memcpy(Target, Row, size_t(FWidth) * 4); break;
  default: break;
  }
}

void TPNGGraphic::AssignTo(TBitmap32& Bmp) const {
  Bmp.SetSize(FWidth, FHeight);
  for (int Y = 0; Y < FHeight; ++Y)
    ExpandRow(Y, Bmp.ScanLine(Y));
}

void TPNGGraphic::Draw(TBitmap32& Canvas, const TRect& R) const {
  const int W = R.Width(), H = R.Height();
  if (IsEmpty() || W <= 0 || H <= 0) return;
  TBitmap32 Img;
  AssignTo(Img);
  const bool SameSize = W == FWidth && H == FHeight;
  if (FPixelFormat != pf32bit) {
    // A plain bitmap: opaque pixels, the transparent colour's pixels (alpha 0) left out.
    TBitmap32 Stretched(W, H);
    StretchCopy(Stretched, Stretched.BoundsRect(), Img, Img.BoundsRect());
    for (int Y = std::max(0, -R.Top); Y < H && R.Top + Y < Canvas.Height(); ++Y) {
      const uint32_t* S = Stretched.ScanLine(Y);
      uint32_t* D = Canvas.ScanLine(R.Top + Y);
      for (int X = std::max(0, -R.Left); X < W && R.Left + X < Canvas.Width(); ++X)
        if (!Transparent() || (S[X] >> 24)) D[R.Left + X] = S[X] | 0xFF000000u;
    }
    return;
  }
  const bool Reflect = Reflected && SameSize;
  if (!SameSize) {
    TBitmap32 Stretched(W, H);
    StretchCopy(Stretched, Stretched.BoundsRect(), Img, Img.BoundsRect());
    Img = std::move(Stretched);
  }
  // What the canvas shows under the target (and under the reflection) is the ground.
  TBitmap32 Temp(W, H + (Reflect ? H / 2 : 0));
  CopyPixels(Temp, 0, 0, Canvas, {R.Left, R.Top, R.Left + Temp.Width(), R.Top + Temp.Height()});
  CopyAlpha32Ex({0, 0, W, H}, {0, 0, W, H}, Temp, Reflect, 0, NoKey, false, TCacheInfo{}, Img);
  CopyPixels(Canvas, R.Left, R.Top, Temp, Temp.BoundsRect());
}

// ---------------------------------------------------------------------------------------------
// The picture registration: files named *.png load through this reader.

namespace {

struct TPNGPictureRegistration {
  TPNGPictureRegistration() {
    TPicture::RegisterFileFormat("png", "Portable network graphics (Orvane)",
                                 [](const uint8_t* Data, size_t Size) {
                                   TPNGGraphic Png;
                                   Png.LoadFromMemory(Data, Size);
                                   TBitmap32 Bmp;
                                   Png.AssignTo(Bmp);
                                   return Bmp;
                                 });
  }
  ~TPNGPictureRegistration() { TPicture::UnregisterFileFormat("png"); }
};
const TPNGPictureRegistration PNGPictureRegistration;

} // namespace

// ---------------------------------------------------------------------------------------------
// Normalisations

void ClearTransparentWhite(TBitmap32& Bmp) {
  uint32_t* P = Bmp.Bits();
  const size_t Count = size_t(Bmp.Width()) * size_t(Bmp.Height());
  for (size_t I = 0; I < Count; ++I)
    if (P[I] == 0x00FFFFFFu) P[I] = 0;
}

TBitmap32 LoadSkinPNG(const void* Data, size_t Size, double SkinVersion) {
  TPNGGraphic Png;
  Png.LoadFromMemory(Data, Size);
  TBitmap32 Bmp;
  Png.AssignTo(Bmp);
  if (SkinVersion <= 7.45 + 1e-9)
    ClearTransparentWhite(Bmp);
  else
    PremultiplyAlpha(Bmp);
  return Bmp;
}
