// JPEG pictures through the platform's OLE picture loader (OleLoadPicture), drawn with the
// picture's own Render into 32-bit bitmaps.
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/GdiObjects.h"
#include "base/TextUtils.h"
#include "skin/images/kvPNG.h"
#include "skin/images/kvTinyJPG.h"

namespace {

const char* const SInvalidJPEG = "Cannot load image. Invalid or unexpected JPEG image format.";
const char* const SNoLoader = "Cannot load image. The platform picture loader is not available.";

using TOleLoadPicture = HRESULT(WINAPI*)(LPSTREAM, LONG, BOOL, REFIID, LPVOID*);

// OleLoadPicture lives in olepro32.dll on the systems the engine was made for; newer systems
// keep it in oleaut32.dll as well. Looked up once.
TOleLoadPicture FindLoader() {
  static TOleLoadPicture Loader = [] {
    for (const wchar_t* Name : {L"olepro32.dll", L"oleaut32.dll"}) {
      HMODULE Module = LoadLibraryW(Name);
      if (!Module) continue;
      if (auto Proc = reinterpret_cast<TOleLoadPicture>(
              reinterpret_cast<void*>(GetProcAddress(Module, "OleLoadPicture"))))
        return Proc;
    }
    return TOleLoadPicture(nullptr);
  }();
  return Loader;
}

// HIMETRIC (0.01 mm) to pixels of the screen, as the picture itself converts.
int HimetricToPixels(long Himetric, int Axis) {
  TClientDC Screen(nullptr);
  const int Dpi = Screen.Get() ? GetDeviceCaps(Screen, Axis) : 96;
  return MulDiv(int(Himetric), Dpi, 2540);
}

} // namespace

TkvTinyJPGImage::~TkvTinyJPGImage() {
  Release();
}

void TkvTinyJPGImage::Release() {
  if (FPicture) static_cast<IPicture*>(FPicture)->Release();
  FPicture = nullptr;
  FWidth = FHeight = 0;
  FHimetricWidth = FHimetricHeight = 0;
}

void TkvTinyJPGImage::LoadFromMemory(const void* Data, size_t Size) {
  Release();
  const TOleLoadPicture Loader = FindLoader();
  if (!Loader) throw EInvalidGraphic(SNoLoader);
  if (!Data || Size < 4 || Size > 0x7FFFFFFF) throw EInvalidGraphic(SInvalidJPEG);
  HGLOBAL Memory = GlobalAlloc(GMEM_MOVEABLE, Size);
  if (!Memory) throw EInvalidGraphic(SInvalidJPEG);
  void* Target = GlobalLock(Memory);
  std::memcpy(Target, Data, Size);
  GlobalUnlock(Memory);
  IStream* Stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(Memory, TRUE, &Stream))) {
    GlobalFree(Memory);
    throw EInvalidGraphic(SInvalidJPEG);
  }
  IPicture* Picture = nullptr;
  HRESULT Result =
      Loader(Stream, LONG(Size), FALSE, IID_IPicture, reinterpret_cast<void**>(&Picture));
  if (Result == CO_E_NOTINITIALIZED) {
    // The loader needs COM on this thread; a console tool may not have started it.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LARGE_INTEGER Zero{};
    Stream->Seek(Zero, STREAM_SEEK_SET, nullptr);
    Result = Loader(Stream, LONG(Size), FALSE, IID_IPicture, reinterpret_cast<void**>(&Picture));
  }
  Stream->Release();
  if (FAILED(Result) || !Picture) throw EInvalidGraphic(SInvalidJPEG);
  short Type = PICTYPE_UNINITIALIZED;
  OLE_XSIZE_HIMETRIC W = 0;
  OLE_YSIZE_HIMETRIC H = 0;
  if (FAILED(Picture->get_Type(&Type)) || Type != PICTYPE_BITMAP ||
      FAILED(Picture->get_Width(&W)) || FAILED(Picture->get_Height(&H)) || W <= 0 || H <= 0) {
    Picture->Release();
    throw EInvalidGraphic(SInvalidJPEG);
  }
  FPicture = Picture;
  FHimetricWidth = W;
  FHimetricHeight = H;
  FWidth = HimetricToPixels(W, LOGPIXELSX);
  FHeight = HimetricToPixels(H, LOGPIXELSY);
}

void TkvTinyJPGImage::LoadFromFile(const std::string& FileName) {
  Release();
  HANDLE File = CreateFileW(Utf8ToWide(FileName).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) throw EInvalidGraphic("Cannot open file \"" + FileName + "\".");
  LARGE_INTEGER Size{};
  std::vector<uint8_t> Bytes;
  bool Ok = GetFileSizeEx(File, &Size) && Size.QuadPart < 0x7FFFFFFF;
  if (Ok) {
    Bytes.resize(size_t(Size.QuadPart));
    DWORD Read = 0;
    Ok = ReadFile(File, Bytes.data(), DWORD(Bytes.size()), &Read, nullptr) && Read == Bytes.size();
  }
  CloseHandle(File);
  if (!Ok) throw EInvalidGraphic("Cannot read file \"" + FileName + "\".");
  LoadFromMemory(Bytes.data(), Bytes.size());
}

void TkvTinyJPGImage::Draw(void* DC, const TRect& R) const {
  if (!FPicture || R.IsEmpty()) return;
  // The source rectangle runs bottom-up in HIMETRIC, as Render expects.
  static_cast<IPicture*>(FPicture)->Render(static_cast<HDC>(DC), R.Left, R.Top, R.Width(),
                                           R.Height(), 0, FHimetricHeight, FHimetricWidth,
                                           -FHimetricHeight, nullptr);
}

void TkvTinyJPGImage::AssignTo(TBitmap32& Bmp) const {
  Bmp.SetSize(FWidth, FHeight);
  if (IsEmpty()) return;
  Draw(Bmp.NativeDC(), Bmp.BoundsRect());
  GdiFlush();
  // GDI leaves the alpha bytes undefined: a photograph is opaque.
  uint32_t* P = Bmp.Bits();
  for (size_t I = 0, N = size_t(FWidth) * size_t(FHeight); I < N; ++I)
    P[I] |= 0xFF000000u;
}
