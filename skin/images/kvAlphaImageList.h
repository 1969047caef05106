// An image list that keeps its images with their alpha channel: the file data of each item
// (PNG, icon or 32-bit bitmap) beside the platform's image list built from it, and 32-bit
// bitmaps with alpha handed out for skinned drawing.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Bitmap32.h"
#include "skin/images/kvAlphaImageListCore.h"
#include "skin/images/kvPNG.h"
#include "toolkit/ImgList.h"

class TsAlphaImageList;

// One stored image: its file exactly as loaded, and a ready bitmap of the list's size.
class TsImgListItem {
public:
  TsImageFormat ImageFormat = ifPNG;
  TPixelFormat PixelFormat = pf32bit;
  // The size of the stored image, filled when the platform list is built.
  int OrigWidth = 0;
  int OrigHeight = 0;
  std::vector<uint8_t> ImgData;
  std::unique_ptr<TBitmap32> CacheBmp;

  // Format, pixel format, stored size and data; the cache is not copied.
  void Assign(const TsImgListItem& Source);
};

// The value of BkColor() before one is given.
constexpr TColor AlphaListNoBkColor = 0x1FFFFFFF;

class TsAlphaImageList : public TCustomImageList {
public:
  // A list of 16 x 16 images.
  explicit TsAlphaImageList(TComponent* AOwner);
  TsAlphaImageList(TComponent* AOwner, int Width, int Height);
  ~TsAlphaImageList() override;
  const wchar_t* ClassName() const override { return L"TsAlphaImageList"; }

  // What controls use: the size, the number of images of the platform list, and drawing one
  // image with alpha onto a 32-bit bitmap (gray and half transparent when disabled).
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  int Count() const override;
  void Draw(TBitmap32& Dst, int X, int Y, int Index, bool Enabled) const override;

  // The platform list (a comctl32 image list), or none.
  HIMAGELIST Handle() const { return FHandle; }
  // Changes the image size; the platform list is made again (empty) and rebuilt from the items.
  void SetSize(int Width, int Height);
  bool Masked = true;
  int AllocBy = 4;
  // Items are kept after the platform list has been built.
  bool DoubleData = true;
  bool ItemsKept() const { return DoubleData || IsDesigning(); }
  bool StdListIsGenerated() const { return FStdListIsGenerated; }

  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  bool UseCache() const { return FUseCache; }
  // Switching the cache on or off frees every item's cached bitmap.
  void SetUseCache(bool Value);

  int ItemCount() const { return int(FItems.size()); }
  TsImgListItem& Item(int Index) { return *FItems[size_t(Index)]; }
  const TsImgListItem& Item(int Index) const { return *FItems[size_t(Index)]; }
  // Appends an item with that file data (the platform list is built from it on the next
  // change).
  TsImgListItem& AddItem(TsImageFormat Format, std::vector<uint8_t> Data);

  // Creates the platform list when there is none and builds it from the items, once.
  void AfterConstruction();
  void Loaded() override;
  bool ReadProperty(const std::string& Name, const TDefValue& Value) override;

  // Clears the platform list and appends one icon per item; without kept items the items are
  // dropped afterwards.
  void GenerateStdList();
  // Image Index at aWidth x aHeight as a new 32-bit bitmap with straight alpha, or none for an
  // index outside the list, no platform list or a size of 0 or less.
  std::unique_ptr<TBitmap32> CreateBitmap32(int Index, int aWidth, int aHeight) const;
  // The same into Image at its own size; false when nothing was drawn.
  bool GetBitmap32(int Index, TBitmap32& Image) const;

  // Adds the image of a PNG, icon or bitmap file; an unknown or unreadable file shows "Cannot
  // load <name>" with "Invalid or unexpected image format." and leaves the list unchanged.
  void LoadFromFile(const std::filesystem::path& FileName);
  // The work of LoadFromFile without the message: false when nothing was added.
  bool AddFromFile(const std::filesystem::path& FileName);
  // Shows the load error; by default a message box with an OK button. Tests replace it.
  static std::function<void(const std::wstring& Text)> ShowLoadError;

  // Adds Image (Is32Bit false: a picture without alpha, whose TransparentColor pixels, when
  // given, stay clear and all others become opaque). With kept items it is stored as a 32-bit
  // bitmap item. The platform icon is built from the image itself, keyed on its top-left pixel;
  // without kept items a given Mask (white where clear) marks the clear pixels instead. The
  // new index, or -1.
  int Add(const TBitmap32& Image, const TBitmap32* Mask = nullptr, bool Is32Bit = true,
          TColor TransparentColor = clNone);
  void MoveItem(int CurIndex, int NewIndex);
  void Delete(int Index);
  void Clear();
  // Takes the icon size of another platform list.
  void SetNewDimensions(HIMAGELIST Handle);
  void KvBeginUpdate() { FKvChanging = true; }
  void KvEndUpdate(bool DoChange);

  // Draws image Index at (X, Y) of a device context: PNG and bitmap items composited with their
  // alpha over what the DC shows, icons by the platform list.
  void DoDraw(int Index, HDC DC, int X, int Y) const;
  // Called after a change of the images (when not suppressed).
  void Change();
  TNotifyEvent OnChange;

  // Copies settings, size, colours and images of another alpha image list.
  void Assign(const TsAlphaImageList& Source);
  void CopyImages(const TsAlphaImageList& Source);

protected:
  void BeforeDestruction() override;

private:
  void CreateHandle();
  void DestroyHandle();
  void AppendIcon(HICON Icon);
  // Image Index at that size: from the item's data (through its cache when Cache is set) or
  // from the platform icon. The cache is not part of the list's value, so this is const.
  std::unique_ptr<TBitmap32> Bitmap32(int Index, int aWidth, int aHeight, bool Cache) const;
  std::unique_ptr<TBitmap32> ItemBitmap(TsImgListItem& Item, int aWidth, int aHeight,
                                        bool Cache) const;
  std::unique_ptr<TBitmap32> PlatformBitmap(int Index, int aWidth, int aHeight) const;
  void FixPlatformAlpha();

  int FWidth = 16;
  int FHeight = 16;
  HIMAGELIST FHandle = nullptr;
  std::vector<std::unique_ptr<TsImgListItem>> FItems;
  bool FStdListIsGenerated = false;
  bool FKvChanging = false;
  TColor FBkColor = AlphaListNoBkColor;
  bool FUseCache = true;
};

// A 32-bit icon from Bmp keyed on its top-left pixel word (mask set where a pixel equals it);
// the colour bits keep their alpha. The caller destroys the icon.
HICON MakeIconKeyed(const TBitmap32& Bmp);
// An icon with alpha: a picture without alpha of its own (Is32Bit false) gets alpha 0 on
// fuchsia and 255 elsewhere; the mask is set where alpha is 0.
HICON MakeIconAlpha(const TBitmap32& Bmp, bool Is32Bit = true);
// The colour bits of an icon as a 32-bit bitmap. When they carry no alpha at all, the icon's
// mask decides: alpha 255 where it is black.
TBitmap32 IconToBitmap32(HICON Icon);

// Draws frame Frame of image Index of List at (X, Y) of Bmp: the image is taken as Frames frames
// side by side (Frames of 0 or less count as 1), the frame min(Frame, Frames - 1) is drawn and
// Size receives the frame's width and the list's height. An alpha list composites with Reflect,
// Blend (0..100) and Key (NoKey: none); another list draws through its own Draw.
void DrawListImage(TCustomImageList* List, TBitmap32& Bmp, int X, int Y, TSize& Size, bool Reflect,
                   int Frames, int Frame, uint32_t Key, int Blend, int Index);

// The screen's bits per pixel.
int ScreenBitsPerPixel();
