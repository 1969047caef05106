// The alpha image list over a comctl32 image list.
#include "skin/images/kvAlphaImageList.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/GdiObjects.h"
#include "skin/pixels/kvBitmapIO.h"
#include "skin/pixels/kvCacheInfo.h"
#include "skin/pixels/kvKeyedCopies.h"
#include "skin/pixels/kvPixelMath.h"
#include "skin/pixels/sGraphUtils.h"
#include "toolkit/FormReader.h"

namespace {

struct TIconDeleter {
  void operator()(HICON Icon) const {
    if (Icon) DestroyIcon(Icon);
  }
};
using TIconHandle = std::unique_ptr<std::remove_pointer_t<HICON>, TIconDeleter>;

BITMAPINFO TopDown32(int Width, int Height) {
  BITMAPINFO BI{};
  BI.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  BI.bmiHeader.biWidth = Width;
  BI.bmiHeader.biHeight = -Height;
  BI.bmiHeader.biPlanes = 1;
  BI.bmiHeader.biBitCount = 32;
  BI.bmiHeader.biCompression = BI_RGB;
  return BI;
}

// The icon from 32-bit colour bits and a 1-bit mask of the same size.
HICON MakeIcon(const TBitmap32& Colors, const TkvMonoMask& Mask) {
  if (Colors.IsEmpty() || Mask.Width != Colors.Width() || Mask.Height != Colors.Height())
    return nullptr;
  BITMAPINFO BI = TopDown32(Colors.Width(), Colors.Height());
  void* Bits = nullptr;
  TBitmapHandle Color(CreateDIBSection(nullptr, &BI, DIB_RGB_COLORS, &Bits, nullptr, 0));
  if (!Color || !Bits) return nullptr;
  std::memcpy(Bits, Colors.Bits(), Colors.ByteSize());
  GdiFlush();
  TBitmapHandle MaskBmp(CreateBitmap(Mask.Width, Mask.Height, 1, 1, Mask.Bits.data()));
  if (!MaskBmp) return nullptr;
  ICONINFO II{};
  II.fIcon = TRUE;
  II.hbmMask = MaskBmp;
  II.hbmColor = Color;
  return CreateIconIndirect(&II);
}

// The colour bits of an icon, and its mask as 32-bit pixels (black 0, white 0xFFFFFF) when
// asked for. False for an icon without colour bits.
bool ReadIconBits(HICON Icon, TBitmap32& Colors, TBitmap32* Mask) {
  ICONINFO II{};
  if (!Icon || !GetIconInfo(Icon, &II)) return false;
  TBitmapHandle Color(II.hbmColor), MaskBmp(II.hbmMask);
  BITMAP BM{};
  if (!Color || !GetObjectW(Color, sizeof BM, &BM) || BM.bmWidth <= 0 || BM.bmHeight <= 0)
    return false;
  HDC Screen = GetDC(nullptr);
  Colors.SetSize(BM.bmWidth, BM.bmHeight);
  BITMAPINFO BI = TopDown32(BM.bmWidth, BM.bmHeight);
  bool Ok = GetDIBits(Screen, Color, 0, UINT(BM.bmHeight), Colors.Bits(), &BI, DIB_RGB_COLORS) ==
            BM.bmHeight;
  if (Ok && Mask && MaskBmp) {
    Mask->SetSize(BM.bmWidth, BM.bmHeight);
    BI = TopDown32(BM.bmWidth, BM.bmHeight);
    Ok = GetDIBits(Screen, MaskBmp, 0, UINT(BM.bmHeight), Mask->Bits(), &BI, DIB_RGB_COLORS) ==
         BM.bmHeight;
  }
  ReleaseDC(nullptr, Screen);
  return Ok;
}

// Bmp at the list's size for its platform icon; the same bitmap when it fits already.
TBitmap32 AtSize(const TBitmap32& Bmp, int Width, int Height) {
  TBitmap32 R;
  if (!ResizeBitmap32(Bmp, R, Width, Height)) return Bmp;
  return R;
}

uint32_t ColorToRGBWord(TColor Color) {
  return uint32_t(GetRValue(Color)) << 16 | uint32_t(GetGValue(Color)) << 8 | GetBValue(Color);
}

std::vector<uint8_t> ReadWholeFile(const std::filesystem::path& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  if (!In) return {};
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(In)),
                              std::istreambuf_iterator<char>());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Icons

HICON MakeIconKeyed(const TBitmap32& Bmp) {
  return MakeIcon(Bmp, MakeKeyedMask(Bmp));
}

HICON MakeIconAlpha(const TBitmap32& Bmp, bool Is32Bit) {
  const TBitmap32 Colors = MakeAlphaColors(Bmp, Is32Bit);
  return MakeIcon(Colors, MakeAlphaMask(Colors));
}

TBitmap32 IconToBitmap32(HICON Icon) {
  TBitmap32 Colors, Mask;
  if (!ReadIconBits(Icon, Colors, &Mask)) return {};
  if (!HasAnyAlpha(Colors) && Mask.SameSize(Colors)) {
    for (int y = 0; y < Colors.Height(); ++y) {
      uint32_t* C = Colors.ScanLine(y);
      const uint32_t* M = Mask.ScanLine(y);
      for (int x = 0; x < Colors.Width(); ++x)
        if ((M[x] & 0x00FFFFFFu) == 0) C[x] |= 0xFF000000u;
    }
  }
  return Colors;
}

int ScreenBitsPerPixel() {
  HDC DC = GetDC(nullptr);
  const int Bits = GetDeviceCaps(DC, BITSPIXEL) * GetDeviceCaps(DC, PLANES);
  ReleaseDC(nullptr, DC);
  return Bits;
}

// ---------------------------------------------------------------------------------------------
// Items

void TsImgListItem::Assign(const TsImgListItem& Source) {
  ImageFormat = Source.ImageFormat;
  PixelFormat = Source.PixelFormat;
  OrigWidth = Source.OrigWidth;
  OrigHeight = Source.OrigHeight;
  ImgData = Source.ImgData;
  CacheBmp.reset();
}

// ---------------------------------------------------------------------------------------------
// The list

std::function<void(const std::wstring& Text)> TsAlphaImageList::ShowLoadError =
    [](const std::wstring& Text) {
      MessageBoxW(GetActiveWindow(), Text.c_str(), L"Error", MB_OK | MB_ICONERROR);
    };

TsAlphaImageList::TsAlphaImageList(TComponent* AOwner) : TsAlphaImageList(AOwner, 16, 16) {}

TsAlphaImageList::TsAlphaImageList(TComponent* AOwner, int Width, int Height)
    : TCustomImageList(AOwner), FWidth(std::max(Width, 0)), FHeight(std::max(Height, 0)) {
  AfterConstruction();
}

TsAlphaImageList::~TsAlphaImageList() {
  DestroyHandle();
}

void TsAlphaImageList::BeforeDestruction() {
  DestroyHandle();
  FItems.clear();
  TCustomImageList::BeforeDestruction();
}

void TsAlphaImageList::CreateHandle() {
  if (FHandle || FWidth <= 0 || FHeight <= 0) return;
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (Masked ? ILC_MASK : 0), 0,
                             std::max(AllocBy, 1));
  if (FHandle && FBkColor != AlphaListNoBkColor) SetBkColor(FBkColor);
}

void TsAlphaImageList::DestroyHandle() {
  if (FHandle) ImageList_Destroy(FHandle);
  FHandle = nullptr;
  FStdListIsGenerated = false;
}

int TsAlphaImageList::Count() const {
  return FHandle ? ImageList_GetImageCount(FHandle) : 0;
}

void TsAlphaImageList::AppendIcon(HICON Icon) {
  if (FHandle && Icon) ImageList_ReplaceIcon(FHandle, -1, Icon);
}

void TsAlphaImageList::SetSize(int Width, int Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  if (Width == FWidth && Height == FHeight) return;
  FWidth = Width;
  FHeight = Height;
  DestroyHandle();
  CreateHandle();
  for (auto& I : FItems)
    I->CacheBmp.reset();
  if (!IsLoading() && !FItems.empty()) GenerateStdList();
}

void TsAlphaImageList::SetBkColor(TColor Value) {
  FBkColor = Value;
  if (!FHandle) return;
  ImageList_SetBkColor(FHandle,
                       Value == AlphaListNoBkColor || Value == clNone ? CLR_NONE : COLORREF(Value));
}

void TsAlphaImageList::SetUseCache(bool Value) {
  FUseCache = Value;
  for (auto& I : FItems)
    I->CacheBmp.reset();
}

TsImgListItem& TsAlphaImageList::AddItem(TsImageFormat Format, std::vector<uint8_t> Data) {
  auto Item = std::make_unique<TsImgListItem>();
  Item->ImageFormat = Format;
  Item->ImgData = std::move(Data);
  FItems.push_back(std::move(Item));
  return *FItems.back();
}

void TsAlphaImageList::AfterConstruction() {
  if (IsLoading()) return;
  CreateHandle();
  if (!FStdListIsGenerated) GenerateStdList();
}

void TsAlphaImageList::Loaded() {
  TCustomImageList::Loaded();
  CreateHandle();
  if (!FStdListIsGenerated) GenerateStdList();
  FStdListIsGenerated = FHandle != nullptr;
  Change();
}

bool TsAlphaImageList::ReadProperty(const std::string& Name, const TDefValue& Value) {
  if (Name == "Width") {
    SetSize(Value.AsInt(), FHeight);
  } else if (Name == "Height") {
    SetSize(FWidth, Value.AsInt());
  } else if (Name == "Masked") {
    Masked = Value.AsBool();
  } else if (Name == "AllocBy") {
    AllocBy = Value.AsInt();
  } else if (Name == "BkColor") {
    if (Value.Kind == TDefValue::vkIdent)
      SetBkColor(Value.AsIdentIndex({"clNone"}) == 0 ? clNone : AlphaListNoBkColor);
    else
      SetBkColor(TColor(Value.AsInt()));
  } else if (Name == "UseCache") {
    SetUseCache(Value.AsBool());
  } else if (Name == "Items") {
    if (Value.Kind != TDefValue::vkCollection) Value.FailUnknown();
    for (const TDefValue::TProperties& Props : Value.Collection) {
      TsImgListItem& Item = AddItem(ifPNG, {});
      for (const auto& [Prop, V] : Props) {
        if (Prop == "ImageFormat")
          Item.ImageFormat = TsImageFormat(V.AsIdentIndex({"ifPNG", "ifICO", "ifBMP32"}));
        else if (Prop == "PixelFormat")
          Item.PixelFormat = V.AsIdentIndex({"pf24bit", "pf32bit"}) ? pf32bit : pf24bit;
        else if (Prop == "ImgData" && V.Kind == TDefValue::vkBinary)
          Item.ImgData = V.Binary;
        else
          V.FailUnknown(Prop);
      }
    }
  } else {
    return TCustomImageList::ReadProperty(Name, Value);
  }
  return true;
}

void TsAlphaImageList::GenerateStdList() {
  if (!FHandle) return;
  struct TGuard {
    bool& Flag;
    ~TGuard() { Flag = false; }
  } Guard{FKvChanging};
  FKvChanging = true;
  ImageList_RemoveAll(FHandle);
  for (auto& Item : FItems) {
    TkvListImage I = DecodeListImage(Item->ImageFormat, Item->ImgData.data(), Item->ImgData.size());
    Item->OrigWidth = I.Bmp.Width();
    Item->OrigHeight = I.Bmp.Height();
    TIconHandle Icon(MakeIconAlpha(AtSize(I.Bmp, FWidth, FHeight), true));
    AppendIcon(Icon.get());
  }
  if (!FItems.empty()) {
    FStdListIsGenerated = true;
    if (!ItemsKept()) FItems.clear();
  }
}

std::unique_ptr<TBitmap32> TsAlphaImageList::ItemBitmap(TsImgListItem& Item, int aWidth,
                                                        int aHeight, bool Cache) const {
  if (Cache && Item.CacheBmp) {
    if (Item.CacheBmp->Width() == aWidth && Item.CacheBmp->Height() == aHeight)
      return std::make_unique<TBitmap32>(*Item.CacheBmp);
    Item.CacheBmp.reset();
  }
  TkvListImage I = DecodeListImage(Item.ImageFormat, Item.ImgData.data(), Item.ImgData.size());
  auto R = std::make_unique<TBitmap32>();
  if (!ResizeBitmap32(I.Bmp, *R, aWidth, aHeight)) return nullptr;
  if (Cache) Item.CacheBmp = std::make_unique<TBitmap32>(*R);
  return R;
}

std::unique_ptr<TBitmap32> TsAlphaImageList::PlatformBitmap(int Index, int aWidth,
                                                            int aHeight) const {
  TIconHandle Icon(ImageList_GetIcon(FHandle, Index, ILD_NORMAL));
  const TBitmap32 Colors = IconToBitmap32(Icon.get());
  auto R = std::make_unique<TBitmap32>();
  if (!ResizeBitmap32(Colors, *R, aWidth, aHeight)) return nullptr;
  return R;
}

std::unique_ptr<TBitmap32> TsAlphaImageList::Bitmap32(int Index, int aWidth, int aHeight,
                                                      bool Cache) const {
  if (!FHandle || Index < 0 || Index >= Count() || aWidth <= 0 || aHeight <= 0) return nullptr;
  if (ItemsKept() && Index < ItemCount()) {
    TsImgListItem& Item = *FItems[size_t(Index)];
    if (!Item.ImgData.empty() && Item.ImageFormat != ifICO)
      return ItemBitmap(Item, aWidth, aHeight, Cache);
  }
  return PlatformBitmap(Index, aWidth, aHeight);
}

std::unique_ptr<TBitmap32> TsAlphaImageList::CreateBitmap32(int Index, int aWidth,
                                                            int aHeight) const {
  return Bitmap32(Index, aWidth, aHeight, FUseCache);
}

bool TsAlphaImageList::GetBitmap32(int Index, TBitmap32& Image) const {
  auto B = Bitmap32(Index, Image.Width(), Image.Height(),
                    FUseCache && Image.Width() == FWidth && Image.Height() == FHeight);
  if (!B) return false;
  Image = std::move(*B);
  return true;
}

bool TsAlphaImageList::AddFromFile(const std::filesystem::path& FileName) {
  if (!FHandle) return false;
  TsImageFormat Format;
  if (!DetectImageFormat(FileName, Format)) return false;
  std::vector<uint8_t> Data = ReadWholeFile(FileName);
  TkvListImage I;
  try {
    I = DecodeListImage(Format, Data.data(), Data.size());
  } catch (const std::exception&) {
    return false;
  }
  const TBitmap32 Sized = AtSize(I.Bmp, FWidth, FHeight);
  TIconHandle Icon(Format == ifICO ? MakeIconAlpha(Sized, true) : MakeIconKeyed(Sized));
  if (!Icon) return false;
  const int Before = Count();
  AppendIcon(Icon.get());
  if (Count() == Before) return false;
  if (ItemsKept()) {
    TsImgListItem& Item = AddItem(Format, std::move(Data));
    Item.PixelFormat = Format == ifICO && !I.HasAlpha ? pf24bit : pf32bit;
    Item.OrigWidth = I.Bmp.Width();
    Item.OrigHeight = I.Bmp.Height();
  }
  Change();
  return true;
}

void TsAlphaImageList::LoadFromFile(const std::filesystem::path& FileName) {
  if (AddFromFile(FileName)) return;
  if (ShowLoadError)
    ShowLoadError(L"Cannot load " + FileName.wstring() + L"\r\n" +
                  L"Invalid or unexpected image format.");
}

int TsAlphaImageList::Add(const TBitmap32& Image, const TBitmap32* Mask, bool Is32Bit,
                          TColor TransparentColor) {
  if (!FHandle || Image.IsEmpty()) return -1;
  TBitmap32 Img = Image;
  if (!Is32Bit)
    SetOpaqueExceptColor(Img,
                         TransparentColor == clNone ? NoKey : ColorToRGBWord(TransparentColor));
  const TBitmap32 Sized = AtSize(Img, FWidth, FHeight);
  TIconHandle Icon;
  if (!ItemsKept() && Mask && Mask->SameSize(Img)) {
    // White mask pixels are clear.
    TBitmap32 Keyed = Sized;
    TBitmap32 M = AtSize(*Mask, FWidth, FHeight);
    TkvMonoMask Bits = MakeAlphaMask(Keyed);
    std::fill(Bits.Bits.begin(), Bits.Bits.end(), uint8_t(0));
    for (int y = 0; y < M.Height(); ++y)
      for (int x = 0; x < M.Width(); ++x)
        if (M.Pixel(x, y) & 0x00FFFFFFu)
          Bits.Bits[size_t(y) * Bits.Stride + size_t(x >> 3)] |= uint8_t(0x80 >> (x & 7));
    Icon.reset(MakeIcon(Keyed, Bits));
  } else {
    Icon.reset(MakeIconKeyed(Sized));
  }
  if (!Icon) return -1;
  const int Before = Count();
  AppendIcon(Icon.get());
  if (Count() == Before) return -1;
  if (ItemsKept()) {
    TsImgListItem& Item = AddItem(ifBMP32, EncodeBmp32(Img));
    Item.PixelFormat = pf32bit;
    Item.OrigWidth = Img.Width();
    Item.OrigHeight = Img.Height();
  }
  Change();
  return Before;
}

void TsAlphaImageList::MoveItem(int CurIndex, int NewIndex) {
  const int N = Count();
  if (CurIndex == NewIndex || CurIndex < 0 || NewIndex < 0 || CurIndex >= N || NewIndex >= N)
    return;
  const int Step = NewIndex > CurIndex ? 1 : -1;
  // The platform images through their icons: copying images inside the list loses the alpha
  // of 32-bit images on Wine.
  std::vector<TIconHandle> Icons;
  for (int I = std::min(CurIndex, NewIndex); I <= std::max(CurIndex, NewIndex); ++I)
    Icons.emplace_back(ImageList_GetIcon(FHandle, I, ILD_NORMAL));
  if (Step > 0)
    std::rotate(Icons.begin(), Icons.begin() + 1, Icons.end());
  else
    std::rotate(Icons.begin(), Icons.end() - 1, Icons.end());
  for (size_t K = 0; K < Icons.size(); ++K)
    if (Icons[K])
      ImageList_ReplaceIcon(FHandle, std::min(CurIndex, NewIndex) + int(K), Icons[K].get());
  if (CurIndex < ItemCount() && NewIndex < ItemCount()) {
    auto First = FItems.begin();
    if (Step > 0)
      std::rotate(First + CurIndex, First + CurIndex + 1, First + NewIndex + 1);
    else
      std::rotate(First + NewIndex, First + CurIndex, First + CurIndex + 1);
  }
  Change();
}

void TsAlphaImageList::Delete(int Index) {
  if (!FHandle || Index < 0 || Index >= Count()) return;
  ImageList_Remove(FHandle, Index);
  if (Index < ItemCount()) FItems.erase(FItems.begin() + Index);
  Change();
}

void TsAlphaImageList::Clear() {
  if (FHandle) ImageList_RemoveAll(FHandle);
  FItems.clear();
  Change();
}

void TsAlphaImageList::SetNewDimensions(HIMAGELIST Handle) {
  int W = 0, H = 0;
  if (Handle && ImageList_GetIconSize(Handle, &W, &H)) {
    FWidth = W;
    FHeight = H;
  }
}

void TsAlphaImageList::KvEndUpdate(bool DoChange) {
  FKvChanging = false;
  if (DoChange) Change();
}

void TsAlphaImageList::Change() {
  if (FKvChanging || !FHandle || IsLoading() || !FStdListIsGenerated) return;
  const int N = Count();
  const bool Kept = ItemsKept();
  if (!Kept || N > ItemCount() || IsDesigning()) {
    if (OnChange) OnChange(this);
    if (IsDesigning()) return;
  }
  if (Kept && ItemCount() >= N) {
    if (N < ItemCount()) GenerateStdList();
    if (OnChange) OnChange(this);
  } else {
    FixPlatformAlpha();
  }
}

void TsAlphaImageList::FixPlatformAlpha() {
  // Images without any alpha (from outside, e.g. copied icons of an old-style list) become
  // opaque except their fuchsia pixels.
  for (int I = 0, N = Count(); I < N; ++I) {
    TIconHandle Icon(ImageList_GetIcon(FHandle, I, ILD_NORMAL));
    TBitmap32 Colors;
    if (!ReadIconBits(Icon.get(), Colors, nullptr) || HasAnyAlpha(Colors)) continue;
    SetOpaqueExceptColor(Colors, KeyPixel);
    TIconHandle Fixed(MakeIconAlpha(Colors, true));
    if (Fixed) ImageList_ReplaceIcon(FHandle, I, Fixed.get());
  }
}

void TsAlphaImageList::Draw(TBitmap32& Dst, int X, int Y, int Index, bool Enabled) const {
  auto B = CreateBitmap32(Index, FWidth, FHeight);
  if (!B) return;
  if (!Enabled) GrayBitmap(*B);
  CopyAlpha32Ex({X, Y, X + FWidth, Y + FHeight}, B->BoundsRect(), Dst, false, Enabled ? 0 : 50,
                NoKey, false, TCacheInfo{}, *B);
}

void TsAlphaImageList::DoDraw(int Index, HDC DC, int X, int Y) const {
  if (!FHandle || Index < 0 || Index >= Count()) return;
  const bool ItemImage = ItemsKept() && Index < ItemCount() &&
                         !FItems[size_t(Index)]->ImgData.empty() &&
                         FItems[size_t(Index)]->ImageFormat != ifICO;
  if (!ItemImage) {
    const COLORREF Old = ImageList_SetBkColor(FHandle, CLR_NONE);
    ImageList_Draw(FHandle, Index, DC, X, Y, ILD_NORMAL);
    ImageList_SetBkColor(FHandle, Old);
    return;
  }
  auto B = CreateBitmap32(Index, FWidth, FHeight);
  if (!B) return;
  TBitmap32 Temp(FWidth, FHeight);
  HDC TempDC = HDC(Temp.NativeDC());
  BitBlt(TempDC, 0, 0, FWidth, FHeight, DC, X, Y, SRCCOPY);
  GdiFlush();
  CopyAlpha32Ex(Temp.BoundsRect(), B->BoundsRect(), Temp, false, 0, NoKey, false, TCacheInfo{}, *B);
  BitBlt(DC, X, Y, FWidth, FHeight, TempDC, 0, 0, SRCCOPY);
}

void TsAlphaImageList::Assign(const TsAlphaImageList& Source) {
  if (&Source == this) return;
  KvBeginUpdate();
  Clear();
  Masked = Source.Masked;
  AllocBy = Source.AllocBy;
  DoubleData = Source.DoubleData;
  FUseCache = Source.FUseCache;
  if (Source.FHandle)
    SetNewDimensions(Source.FHandle);
  else {
    FWidth = Source.FWidth;
    FHeight = Source.FHeight;
  }
  DestroyHandle();
  CreateHandle();
  SetBkColor(Source.FBkColor);
  CopyImages(Source);
  KvEndUpdate(false);
}

void TsAlphaImageList::CopyImages(const TsAlphaImageList& Source) {
  if (!FHandle || &Source == this) return;
  if (Source.ItemsKept() && Source.ItemCount() > 0) {
    FItems.clear();
    for (const auto& I : Source.FItems) {
      auto Copy = std::make_unique<TsImgListItem>();
      Copy->Assign(*I);
      FItems.push_back(std::move(Copy));
    }
    GenerateStdList();
    return;
  }
  ImageList_RemoveAll(FHandle);
  for (int I = 0, N = Source.Count(); I < N; ++I) {
    TIconHandle Icon(ImageList_GetIcon(Source.FHandle, I, ILD_NORMAL));
    AppendIcon(Icon.get());
  }
}

// ---------------------------------------------------------------------------------------------
// Frames of list images, for button glyphs

void DrawListImage(TCustomImageList* List, TBitmap32& Bmp, int X, int Y, TSize& Size, bool Reflect,
                   int Frames, int Frame, uint32_t Key, int Blend, int Index) {
  if (!List || Bmp.IsEmpty() || Index < 0) return;
  auto* Alpha = dynamic_cast<TsAlphaImageList*>(List);
  if (Alpha && !Alpha->Handle()) return;
  // A list of one frame when the caller gives none.
  Frames = std::max(Frames, 1);
  const int W = List->Width(), H = List->Height();
  const int FW = W / Frames;
  const int F = std::clamp(Frame, 0, Frames - 1);
  Size = {FW, H};
  if (FW <= 0 || H <= 0) return;
  const TRect SrcR{F * FW, 0, F * FW + FW, H};
  if (Alpha) {
    auto B = Alpha->CreateBitmap32(Index, W, H);
    if (!B) return;
    CopyAlpha32Ex({X, Y, X + FW, Y + H}, SrcR, Bmp, Reflect, Blend, Key, false, TCacheInfo{}, *B);
    return;
  }
  TBitmap32 Temp(W, H);
  CopyPixels(Temp, SrcR.Left, 0, Bmp, {X, Y, X + FW, Y + H});
  List->Draw(Temp, 0, 0, Index, true);
  CopyPixels(Bmp, X, Y, Temp, SrcR);
}
