// Image regions of a skin: notations, loading, frame sizes.
#include "skin/data/sMaskData.h"

#include <algorithm>

#include "skin/data/kvSkinIni.h"
#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"
#include "skin/images/kvBMP.h"

namespace {

// The stretch flag of DrawMode.
constexpr int dmStretch = 1;

std::string Where(const std::string& Section, const std::string& Key) {
  return "Section [" + Section + "], key " + Key + ": ";
}

// A fixed-width number field at 1-based Pos.
int Column(const std::string& Section, const std::string& Key, const std::string& Value, int Pos,
           int Len) {
  std::string Field = Value.substr(size_t(Pos - 1), size_t(Len));
  int V;
  if (!TryStrToInt(Field, V))
    throw ESkinDataError(Where(Section, Key) + "'" + Field + "' is not a valid integer value");
  return V;
}

void NeedLength(const std::string& Section, const std::string& Key, const std::string& Value,
                size_t Length, const char* Layout) {
  if (Value.size() < Length)
    throw ESkinDataError(Where(Section, Key) + "\"" + Value + "\" is shorter than its notation " +
                         Layout + " (" + std::to_string(Length) + " characters)");
}

// Words separated by the given delimiters, empty words skipped.
std::vector<std::string> Words(const std::string& S, const char* Delims) {
  std::vector<std::string> Result;
  size_t i = 0;
  while (i < S.size()) {
    size_t B = S.find_first_not_of(Delims, i);
    if (B == std::string::npos) break;
    size_t E = S.find_first_of(Delims, B);
    if (E == std::string::npos) E = S.size();
    Result.push_back(S.substr(B, E - B));
    i = E;
  }
  return Result;
}

// Words of the number-sign notation: blank-separated outside parentheses, and each
// parenthesised group one word.
std::vector<std::string> SignWords(const std::string& S) {
  std::vector<std::string> Result;
  size_t i = 0;
  while (i < S.size()) {
    char c = S[i];
    if (c == ' ' || c == ')') {
      ++i;
    } else if (c == '(') {
      size_t E = S.find(')', i + 1);
      if (E == std::string::npos) E = S.size();
      Result.push_back(S.substr(i + 1, E - i - 1));
      i = E;
    } else {
      size_t E = S.find_first_of(" ()", i);
      if (E == std::string::npos) E = S.size();
      Result.push_back(S.substr(i, E - i));
      i = E;
    }
  }
  return Result;
}

int NumberOrZero(const std::vector<std::string>& W, size_t Index) {
  return Index < W.size() ? StrToIntDef(W[Index], 0) : 0;
}

bool Contains(const std::string& S, const char* Part) {
  return S.find(Part) != std::string::npos;
}

} // namespace

TkvImageNotation ImageNotationOf(const std::string& Value) {
  if (Value.empty()) return inNone;
  switch (Value[0]) {
  case '@': return inGlyph;
  case '^': return inBorder;
  case '~': return inTexture;
  case '!': return inFile;
  default: break;
  }
  if (Contains(Value, "#") && Value != "#") return inNumberSign;
  std::string Upper = UpperCaseAscii(Value);
  if (Contains(Upper, ".BMP")) return inPlainFile;
  if (Contains(Upper, ".JPG") || Contains(Upper, ".JPEG")) return inJpeg;
  return inNone;
}

int FrameWidth(const TsMaskData& M) {
  if (M.ImageCount <= 0) return 0;
  return M.ImageCount == 1 ? M.R.Width() : M.R.Width() / M.ImageCount;
}

int FrameHeight(const TsMaskData& M) {
  if (M.MaskType < 0) return 0;
  if (M.MaskType == 0) return M.R.Height();
  if (M.MaskType == 1) return M.R.Height() / 2;
  return M.R.Height() / (M.MaskType + 1);
}

void FillDefaultWidths(TsMaskData& M) {
  if (M.BorderWidth > 0) {
    M.WL = M.WT = M.WR = M.WB = M.BorderWidth;
    return;
  }
  int XDiv = M.ImageCount * 3, YDiv = (M.MaskType + 1) * 3;
  M.WL = M.WR = XDiv > 0 ? M.R.Width() / XDiv : 0;
  M.WT = M.WB = YDiv > 0 ? M.R.Height() / YDiv : 0;
}

TkvImageDefinition ParseImageDefinition(const std::string& Section, const std::string& Key,
                                        const std::string& Value) {
  TkvImageDefinition D;
  D.Notation = ImageNotationOf(Value);
  TsMaskData& M = D.Mask;
  M.ClassName = Section;
  M.PropertyName = Key;
  auto Region = [&] {
    M.R = {Column(Section, Key, Value, 2, 4), Column(Section, Key, Value, 7, 4),
           Column(Section, Key, Value, 12, 4), Column(Section, Key, Value, 17, 4)};
  };
  switch (D.Notation) {
  case inGlyph:
    NeedLength(Section, Key, Value, 24, "@LLLL@TTTT@RRRR@BBBB@N@M");
    Region();
    M.ImgType = itisaGlyph;
    M.ImageCount = Column(Section, Key, Value, 22, 1);
    M.MaskType = Column(Section, Key, Value, 24, 1);
    break;
  case inBorder:
    NeedLength(Section, Key, Value, 48, "^LLLL^TTTT^RRRR^BBBB^wwww^tttt^rrrr^bbbb^N^M^D^W");
    Region();
    M.ImgType = itisaBorder;
    M.WL = Column(Section, Key, Value, 22, 4);
    M.WT = Column(Section, Key, Value, 27, 4);
    M.WR = Column(Section, Key, Value, 32, 4);
    M.WB = Column(Section, Key, Value, 37, 4);
    M.ImageCount = Column(Section, Key, Value, 42, 1);
    M.MaskType = Column(Section, Key, Value, 44, 1);
    M.DrawMode = Column(Section, Key, Value, 46, 1);
    M.BorderWidth = Column(Section, Key, Value, 48, 1);
    break;
  case inTexture:
    NeedLength(Section, Key, Value, 23, "~LLLL~TTTT~RRRR~BBBB~DD~M");
    Region();
    M.ImgType = itisaTexture;
    M.ImageCount = 1;
    M.DrawMode = Column(Section, Key, Value, 22, 2);
    M.MaskType = Value.size() >= 25 ? Column(Section, Key, Value, 25, 1) : 0;
    break;
  case inFile: {
    std::vector<std::string> F = Words(Value, "!");
    D.FieldCount = int(F.size());
    D.FileName = F.empty() ? std::string() : F[0];
    M.ImageCount = NumberOrZero(F, 1);
    M.MaskType = NumberOrZero(F, 2);
    M.ImgType = TkvImgType(std::clamp(NumberOrZero(F, 3), 0, 4));
    M.WL = NumberOrZero(F, 4);
    M.WT = NumberOrZero(F, 5);
    M.WR = NumberOrZero(F, 6);
    M.WB = NumberOrZero(F, 7);
    M.DrawMode = F.size() >= 9 ? NumberOrZero(F, 8) : 1;
    break;
  }
  case inNumberSign: {
    std::vector<std::string> W = SignWords(Value);
    std::vector<std::string> R = W.size() > 1 ? Words(W[1], " ,") : std::vector<std::string>{};
    std::vector<std::string> P = W.size() > 2 ? Words(W[2], " ,") : std::vector<std::string>{};
    M.ImgType = itisaBorder;
    M.R = {NumberOrZero(R, 0), NumberOrZero(R, 1), NumberOrZero(R, 2), NumberOrZero(R, 3)};
    M.ImageCount = std::max(1, NumberOrZero(P, 0));
    M.MaskType = std::max(0, NumberOrZero(P, 1));
    M.BorderWidth = std::max(0, NumberOrZero(P, 2));
    M.DrawMode = P.size() > 3 ? NumberOrZero(P, 3) : 1;
    break;
  }
  case inPlainFile:
    D.FileName = UpperCaseAscii(Value);
    M.ClassName = UpperCaseAscii(Section);
    M.PropertyName = UpperCaseAscii(Key);
    M.ImgType = itisaBorder;
    M.ImageCount = 3;
    M.MaskType = 1;
    M.DrawMode = 1;
    break;
  case inJpeg:
    D.FileName = Value;
    M.ClassName = UpperCaseAscii(Section);
    M.PropertyName = UpperCaseAscii(Key);
    M.ImgType = itisaTexture;
    M.ImageCount = 1;
    break;
  case inNone: break;
  }
  return D;
}

void ApplyKeyColorAlpha(TBitmap32& Bmp) {
  for (int y = 0; y < Bmp.Height(); ++y) {
    uint32_t* Row = Bmp.ScanLine(y);
    for (int x = 0; x < Bmp.Width(); ++x)
      Row[x] = (Row[x] & 0xFFFFFF) == 0xFF00FF ? 0x00FF00FF : (Row[x] | 0xFF000000u);
  }
}

TkvPictureReaders& SkinPictureReaders() {
  static TkvPictureReaders Readers;
  return Readers;
}

std::shared_ptr<TBitmap32> DecodeSkinImage(const uint8_t* Data, size_t Size,
                                           const std::string& Name, double Version,
                                           std::string& Error) {
  static const uint8_t PngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  auto Bmp = std::make_shared<TBitmap32>();
  if (Size >= 8 && std::equal(PngMagic, PngMagic + 8, Data)) {
    const auto& Png = SkinPictureReaders().Png;
    if (!Png) {
      Error = "image " + Name + " is a PNG file, which this build does not read";
      return nullptr;
    }
    try {
      if (!Png(Data, Size, Version, *Bmp)) {
        Error = "image " + Name + " is not a readable PNG file";
        return nullptr;
      }
    } catch (const std::exception& E) {
      Error = "image " + Name + ": " + E.what();
      return nullptr;
    }
  } else {
    try {
      TkvBmpInfo Info;
      *Bmp = DecodeBmp(Data, Size, &Info);
      if (Info.BitCount != 32) ApplyKeyColorAlpha(*Bmp);
    } catch (const EBmpError& E) {
      Error = "image " + Name + ": " + E.what();
      return nullptr;
    }
  }
  if (Bmp->IsEmpty()) {
    Error = "image " + Name + " is empty";
    return nullptr;
  }
  return Bmp;
}

namespace {

// Loads an image file of its own for a definition; null (and a problem noted) when missing.
std::shared_ptr<TBitmap32> LoadOwnImage(TsSkinModel& Model, const TkvImageSource& Images,
                                        const std::string& Section, const std::string& Key,
                                        const std::string& FileName) {
  TkvImageSource::TBytes Bytes;
  if (!Images.Find(FileName, Bytes)) {
    std::string Hint;
    if (Images.Package && Images.Package->FindImage(UpperCaseAscii(FileName)))
      Hint = " (a member differs only in letter case: packed skins name their images in capitals)";
    Model.Note(Where(Section, Key) + "image " + FileName + " is missing" + Hint);
    return nullptr;
  }
  std::string Error;
  auto Bmp = DecodeSkinImage(Bytes.Data, Bytes.Size, FileName, Model.SkinData.Version, Error);
  if (!Bmp) Model.Note(Where(Section, Key) + Error);
  return Bmp;
}

bool RegionInside(const TRect& R, const TBitmap32* Bmp) {
  return Bmp && !R.IsEmpty() && R.Left >= 0 && R.Top >= 0 && R.Right <= Bmp->Width() &&
         R.Bottom <= Bmp->Height();
}

bool HasKeyPixel(const TBitmap32& Bmp, TRect R) {
  R = R.Intersected(Bmp.BoundsRect());
  for (int y = R.Top; y < R.Bottom; ++y) {
    const uint32_t* Row = Bmp.ScanLine(y);
    for (int x = R.Left; x < R.Right; ++x)
      if ((Row[x] & 0xFFFFFF) == 0xFF00FF) return true;
  }
  return false;
}

int CornerTypeOf(const TsMaskData& M, const TBitmap32* Master) {
  if (M.ClassName == "BUTTON_HUGE" && M.PropertyName == s_BordersMask) return 2;
  const TBitmap32* Bmp = M.Bmp ? M.Bmp.get() : Master;
  if (!Bmp) return 0;
  int Right = M.R.Left + FrameWidth(M), Bottom = M.R.Top + FrameHeight(M);
  const TRect Corners[4] = {{M.R.Left, M.R.Top, M.R.Left + M.WL, M.R.Top + M.WT},
                            {Right - M.WR, M.R.Top, Right, M.R.Top + M.WT},
                            {M.R.Left, Bottom - M.WB, M.R.Left + M.WL, Bottom},
                            {Right - M.WR, Bottom - M.WB, Right, Bottom}};
  for (const TRect& C : Corners)
    if (HasKeyPixel(*Bmp, C)) return 1;
  return 0;
}

// Adds the image regions of one section's keys.
void LoadSectionImages(TsSkinModel& Model, const TkvMemIniFile::TSection& S,
                       const TkvImageSource& Images, bool PlainFilesOnly) {
  for (const TkvMemIniFile::TKey& K : S.Keys) {
    if (S.Name == s_GlobalInfo && K.Name == s_MasterBitmap) continue;
    TkvImageNotation N = ImageNotationOf(K.Value);
    if (N == inNone || N == inJpeg) continue;
    if (PlainFilesOnly && N != inPlainFile) continue;
    TkvImageDefinition D;
    try {
      D = ParseImageDefinition(S.Name, K.Name, K.Value);
    } catch (const ESkinDataError& E) {
      Model.Fail(E.what());
      continue;
    }
    TsMaskData& M = D.Mask;
    M.Manager = Model.Manager;
    if (N == inFile || N == inPlainFile) {
      if (N == inFile && !Contains(D.FileName, ".BMP") && !Contains(D.FileName, ".PNG")) {
        Model.Note(Where(S.Name, K.Name) + "\"" + D.FileName +
                   "\" is not a .BMP or .PNG file name (written in capitals)");
        continue;
      }
      M.Bmp = LoadOwnImage(Model, Images, S.Name, K.Name, D.FileName);
      if (!M.Bmp) continue;
      M.R = M.Bmp->BoundsRect();
      if (N == inPlainFile || D.FieldCount < 5) {
        M.BorderWidth = 0;
        FillDefaultWidths(M);
      }
    } else {
      if (!RegionInside(M.R, Model.MasterBitmap.get())) {
        std::string Size = Model.MasterBitmap
                               ? std::to_string(Model.MasterBitmap->Width()) + " x " +
                                     std::to_string(Model.MasterBitmap->Height())
                               : "missing";
        Model.Note(Where(S.Name, K.Name) + "region (" + std::to_string(M.R.Left) + ", " +
                   std::to_string(M.R.Top) + ", " + std::to_string(M.R.Right) + ", " +
                   std::to_string(M.R.Bottom) + ") lies outside the master bitmap (" + Size + ")");
        continue;
      }
      if (N == inBorder) {
        if (Model.SkinData.Version < 7.4 && M.MaskType > 0) {
          bool OnePixelCentre =
              FrameWidth(M) - M.WL - M.WR == 1 && FrameHeight(M) - M.WT - M.WB == 1;
          M.DrawMode = OnePixelCentre ? (M.DrawMode | dmStretch) : (M.DrawMode & ~dmStretch);
        }
        if (M.WL == 0 && M.WT == 0 && M.WR == 0 && M.WB == 0) FillDefaultWidths(M);
      } else if (N == inNumberSign) {
        if (M.WL == 0 && M.WT == 0 && M.WR == 0 && M.WB == 0) FillDefaultWidths(M);
      }
    }
    Model.ma.push_back(std::move(M));
  }
}

void LoadJpegPictures(TsSkinModel& Model, const TkvMemIniFile& Options,
                      const TkvImageSource& Images) {
  const TkvPictureReaders& R = SkinPictureReaders();
  // Without a JPEG picture reader (the platform-free build) a JPEG key adds no record.
  if (!R.LoadJpeg || !R.JpegSize || !R.DrawJpeg) return;
  for (const TkvMemIniFile::TSection& S : Options.Sections()) {
    for (const TkvMemIniFile::TKey& K : S.Keys) {
      if (ImageNotationOf(K.Value) != inJpeg) continue;
      TkvImageSource::TBytes Bytes;
      if (!Images.Find(K.Value, Bytes)) {
        Model.Note(Where(S.Name, K.Name) + "image " + K.Value + " is missing");
        continue;
      }
      std::shared_ptr<TkvTinyJPGImage> Img = R.LoadJpeg(Bytes.Data, Bytes.Size);
      if (!Img) {
        Model.Note(Where(S.Name, K.Name) + "image " + K.Value + " is not a readable JPEG file");
        continue;
      }
      TSize Size = R.JpegSize(*Img);
      if (Size.cx <= 0 || Size.cy <= 0) continue;
      if (int64_t(Size.cx) * Size.cy > MaxJpegTexturePixels) {
        Model.pa.push_back({Img, UpperCaseAscii(S.Name), UpperCaseAscii(K.Name)});
        continue;
      }
      auto Bmp = std::make_shared<TBitmap32>(Size.cx, Size.cy);
      R.DrawJpeg(*Img, *Bmp);
      ApplyKeyColorAlpha(*Bmp);
      TsMaskData M;
      M.Bmp = Bmp;
      M.ClassName = UpperCaseAscii(S.Name);
      M.PropertyName = UpperCaseAscii(K.Name);
      M.ImgType = itisaTexture;
      M.ImageCount = 1;
      M.R = Bmp->BoundsRect();
      M.Manager = Model.Manager;
      Model.ma.push_back(std::move(M));
    }
  }
}

} // namespace

void LoadSkinImages(TsSkinModel& Model, const TkvMemIniFile& Options,
                    const TkvImageSource& Images) {
  Model.ma.clear();
  Model.pa.clear();
  Model.MasterBitmap.reset();

  std::string MasterName = Options.ReadString(s_GlobalInfo, s_MasterBitmap, "");
  if (!MasterName.empty())
    Model.MasterBitmap = LoadOwnImage(Model, Images, s_GlobalInfo, s_MasterBitmap, MasterName);

  for (const TkvMemIniFile::TSection& S : Options.Sections())
    if (Options.FindSection(S.Name) == &S) // a repeated section reads as the first
      LoadSectionImages(Model, S, Images, false);

  for (TsMaskData& M : Model.ma)
    if (M.ImgType == itisaBorder) M.CornerType = CornerTypeOf(M, Model.MasterBitmap.get());

  LoadJpegPictures(Model, Options, Images);

  if (!Model.CommonSections().empty() && !Images.SkinPath.empty()) {
    TkvMemIniFile Common;
    Common.SetLines(Model.CommonSections());
    TkvImageSource Folder(Images.SkinPath);
    for (const TkvMemIniFile::TSection& S : Common.Sections())
      if (S.Name != s_GlobalInfo) LoadSectionImages(Model, S, Folder, true);
  }
}
