// Image lists: images of one size, drawn by index onto 32-bit bitmaps (button glyphs).
#pragma once

#include <vector>

#include "base/Bitmap32.h"
#include "toolkit/Classes.h"

// What a control needs of an image list: the image size, the count, and drawing one image.
class TCustomImageList : public TComponent {
public:
  using TComponent::TComponent;
  const wchar_t* ClassName() const override { return L"TCustomImageList"; }
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int Count() const = 0;
  // Draws image Index with its top-left corner at (X, Y) of Dst; a disabled image is drawn
  // gray and half transparent. An index outside the list draws nothing.
  virtual void Draw(TBitmap32& Dst, int X, int Y, int Index, bool Enabled) const = 0;
};

// Images kept as 32-bit bitmaps with straight alpha (0 transparent, 255 opaque).
class TImageList : public TCustomImageList {
public:
  TImageList(TComponent* AOwner, int Width, int Height);
  const wchar_t* ClassName() const override { return L"TImageList"; }
  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  int Count() const override { return int(FImages.size()); }
  // Adds an image of the list's size; false (nothing added) for any other size.
  bool Add(const TBitmap32& Image);
  void Draw(TBitmap32& Dst, int X, int Y, int Index, bool Enabled) const override;

private:
  int FWidth, FHeight;
  std::vector<TBitmap32> FImages;
};
