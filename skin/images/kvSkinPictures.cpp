// Plugs the image readers into the skin loader.
#include "skin/images/kvSkinPictures.h"

#include "skin/data/sMaskData.h"
#include "skin/images/kvPNG.h"
#include "skin/images/kvTinyJPG.h"

void InstallSkinPictureReaders() {
  TkvPictureReaders& R = SkinPictureReaders();
  // The loader turns the exception's text into the problem it reports.
  R.Png = [](const uint8_t* Data, size_t Size, double Version, TBitmap32& Bmp) {
    Bmp = LoadSkinPNG(Data, Size, Version);
    return true;
  };
#ifdef _WIN32
  R.LoadJpeg = [](const uint8_t* Data, size_t Size) -> std::shared_ptr<TkvTinyJPGImage> {
    auto Img = std::make_shared<TkvTinyJPGImage>();
    try {
      Img->LoadFromMemory(Data, Size);
    } catch (const EInvalidGraphic&) {
      return nullptr;
    }
    return Img;
  };
  R.JpegSize = [](const TkvTinyJPGImage& Img) { return TSize{Img.Width(), Img.Height()}; };
  R.DrawJpeg = [](const TkvTinyJPGImage& Img, TBitmap32& Bmp) { Img.AssignTo(Bmp); };
#endif
}
