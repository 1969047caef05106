// The alpha image list over the platform's image list: alpha survives the platform list, the
// items and their cache, loading files, adding bitmaps, frames, copying and reading from a
// definition.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/GdiObjects.h"
#include "skin/controls/sSkinControls.h"
#include "skin/images/kvAlphaImageList.h"
#include "skin/images/kvPNGWrite.h"
#include "skin/pixels/kvPixelMath.h"
#include "toolkit/FormReader.h"
#include "tests/skin/images/IcoBuilder.h"

namespace {

TBitmap32 Filled(int W, int H, uint32_t P) {
  TBitmap32 B(W, H);
  B.Fill(P);
  return B;
}

// A 4 x 4 picture: red at alpha 0x80 on the left half, opaque blue on the right.
TBitmap32 HalfRed() {
  TBitmap32 B = Filled(4, 4, 0x80FF0000u);
  for (int y = 0; y < 4; ++y)
    for (int x = 2; x < 4; ++x)
      B.Pixel(x, y) = 0xFF0000FFu;
  return B;
}

int Channel(uint32_t P, int Shift) {
  return int((P >> Shift) & 0xFF);
}

std::filesystem::path TempPath(const char* Name) {
  return std::filesystem::temp_directory_path() / Name;
}

void WriteFile(const std::filesystem::path& P, const std::vector<uint8_t>& Bytes) {
  std::ofstream Out(P, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()), std::streamsize(Bytes.size()));
}

class AlphaImageListTest : public ::testing::Test {
protected:
  void SetUp() override {
    TsAlphaImageList::ShowLoadError = [this](const std::wstring& T) { Errors.push_back(T); };
  }
  std::vector<std::wstring> Errors;
};

} // namespace

TEST_F(AlphaImageListTest, AlphaSurvivesThePlatformList) {
  TsAlphaImageList L(nullptr, 4, 4);
  ASSERT_NE(L.Handle(), nullptr);
  L.AddItem(ifPNG, EncodePNG(HalfRed()));
  L.GenerateStdList();
  ASSERT_EQ(L.Count(), 1);
  EXPECT_TRUE(L.StdListIsGenerated());
  EXPECT_EQ(L.Item(0).OrigWidth, 4);

  // The platform list itself blends the half-transparent red over a green ground.
  TBitmap32 Ground = Filled(6, 6, 0xFF00FF00u);
  ImageList_Draw(L.Handle(), 0, HDC(Ground.NativeDC()), 1, 1, ILD_NORMAL);
  GdiFlush();
  const uint32_t Mixed = Ground.Pixel(1, 1);
  EXPECT_NEAR(Channel(Mixed, 16), 0x80, 3) << std::hex << Mixed;
  EXPECT_NEAR(Channel(Mixed, 8), 0x7F, 3) << std::hex << Mixed;
  EXPECT_EQ(Ground.Pixel(3, 1) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(Ground.Pixel(0, 0) & 0xFFFFFF, 0x00FF00u);

  // The list's own drawing of the item onto a device context.
  TBitmap32 Canvas = Filled(6, 6, 0xFF00FF00u);
  L.DoDraw(0, HDC(Canvas.NativeDC()), 2, 2);
  GdiFlush();
  const uint32_t Drawn = Canvas.Pixel(2, 2);
  EXPECT_NEAR(Channel(Drawn, 16), 0x80, 2) << std::hex << Drawn;
  EXPECT_NEAR(Channel(Drawn, 8), 0x7F, 2) << std::hex << Drawn;
  EXPECT_EQ(Canvas.Pixel(1, 1) & 0xFFFFFF, 0x00FF00u);

  // And onto a 32-bit bitmap, as skinned controls draw.
  TBitmap32 Face = Filled(4, 4, 0xFF000000u);
  L.Draw(Face, 0, 0, 0, true);
  EXPECT_EQ(Face.Pixel(0, 0), 0xFF7F0000u);
  EXPECT_EQ(Face.Pixel(3, 3), 0xFF0000FEu);
  L.Draw(Face, 0, 0, 5, true); // outside the list: nothing
  L.Draw(Face, 0, 0, -1, true);
  EXPECT_EQ(Face.Pixel(0, 0), 0xFF7F0000u);
}

TEST_F(AlphaImageListTest, WithoutKeptItemsThePlatformIconIsTheImage) {
  TsAlphaImageList L(nullptr, 4, 4);
  L.DoubleData = false;
  L.AddItem(ifPNG, EncodePNG(HalfRed()));
  L.GenerateStdList();
  EXPECT_EQ(L.ItemCount(), 0);
  ASSERT_EQ(L.Count(), 1);
  auto B = L.CreateBitmap32(0, 4, 4);
  ASSERT_TRUE(B);
  EXPECT_EQ(B->Pixel(0, 0) >> 24, 0x80u);
  EXPECT_EQ(B->Pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(B->Pixel(3, 0), 0xFF0000FFu);
  EXPECT_FALSE(L.CreateBitmap32(1, 4, 4));
  EXPECT_FALSE(L.CreateBitmap32(0, 0, 4));
}

TEST_F(AlphaImageListTest, ResizesWithMitchellAndCachesAtTheAskedSize) {
  TsAlphaImageList L(nullptr, 16, 16);
  TBitmap32 Big = Filled(32, 32, 0x80405060u);
  L.AddItem(ifPNG, EncodePNG(Big));
  L.GenerateStdList();
  auto A = L.CreateBitmap32(0, 16, 16);
  ASSERT_TRUE(A);
  EXPECT_EQ(A->Pixel(8, 8), 0x80405060u);
  // The second request at the same size comes from the cache: the data is not read again.
  L.Item(0).ImgData.assign(10, 0);
  auto Again = L.CreateBitmap32(0, 16, 16);
  ASSERT_TRUE(Again);
  EXPECT_EQ(Again->Pixel(3, 3), 0x80405060u);
  // Another size decodes again, and the broken data's error comes through.
  EXPECT_ANY_THROW(L.CreateBitmap32(0, 8, 8));
  // GetBitmap32 at the caller's size.
  L.Item(0).ImgData = EncodePNG(Big);
  TBitmap32 Mine(10, 6);
  EXPECT_TRUE(L.GetBitmap32(0, Mine));
  EXPECT_EQ(Mine.Width(), 10);
  EXPECT_EQ(Mine.Pixel(5, 3), 0x80405060u);
  TBitmap32 None;
  EXPECT_FALSE(L.GetBitmap32(0, None));
  EXPECT_FALSE(L.GetBitmap32(3, Mine));
  L.SetUseCache(false);
  EXPECT_FALSE(L.Item(0).CacheBmp);
}

TEST_F(AlphaImageListTest, LoadsFilesByTheirContents) {
  TsAlphaImageList L(nullptr, 4, 4);
  const auto PngNamedIco = TempPath("tv_alphalist_png.ico");
  WriteFile(PngNamedIco, EncodePNG(HalfRed()));
  L.LoadFromFile(PngNamedIco);
  ASSERT_EQ(L.ItemCount(), 1);
  EXPECT_EQ(L.Item(0).ImageFormat, ifPNG);
  EXPECT_EQ(L.Item(0).PixelFormat, pf32bit);
  EXPECT_EQ(L.Count(), 1);
  EXPECT_EQ(L.CreateBitmap32(0, 4, 4)->Pixel(0, 0), 0x80FF0000u);

  const auto Icon = TempPath("tv_alphalist_icon.ico");
  WriteFile(Icon, BuildIco({{2, 2, 32, AlphaIcoDib()}}));
  L.LoadFromFile(Icon);
  ASSERT_EQ(L.ItemCount(), 2);
  EXPECT_EQ(L.Item(1).ImageFormat, ifICO);
  EXPECT_EQ(L.Item(1).PixelFormat, pf32bit);
  // Icon items are read back from the platform list, alpha included.
  // Resized from 2 x 2: the top row stays translucent, the bottom one opaque.
  auto I = L.CreateBitmap32(1, 4, 4);
  ASSERT_TRUE(I);
  EXPECT_GT(int(I->Pixel(0, 0) >> 24), 0x70);
  EXPECT_LT(int(I->Pixel(0, 0) >> 24), 0xC0);
  EXPECT_GT(int(I->Pixel(0, 3) >> 24), 0xE8);

  const auto Cursor = TempPath("tv_alphalist_arrow.cur");
  WriteFile(Cursor, BuildIco({{2, 2, 32, AlphaIcoDib()}}, 2));
  L.LoadFromFile(Cursor);
  const auto Broken = TempPath("tv_alphalist_broken.png");
  auto Cut = EncodePNG(HalfRed());
  Cut.resize(30);
  WriteFile(Broken, Cut);
  L.LoadFromFile(Broken);
  EXPECT_FALSE(L.AddFromFile(TempPath("tv_alphalist_missing.png")));
  EXPECT_EQ(L.ItemCount(), 2);
  EXPECT_EQ(L.Count(), 2);
  ASSERT_EQ(Errors.size(), 2u);
  EXPECT_EQ(Errors[0],
            L"Cannot load " + Cursor.wstring() + L"\r\nInvalid or unexpected image format.");
  for (const auto& P : {PngNamedIco, Icon, Cursor, Broken})
    std::filesystem::remove(P);
}

TEST_F(AlphaImageListTest, AddBuildsTheIconFromTheImageWithoutAMask) {
  TsAlphaImageList L(nullptr, 4, 4);
  EXPECT_EQ(L.Add(HalfRed()), 0); // no mask at all
  ASSERT_EQ(L.ItemCount(), 1);
  EXPECT_EQ(L.Item(0).ImageFormat, ifBMP32);
  EXPECT_EQ(L.CreateBitmap32(0, 4, 4)->Pixel(0, 0), 0x80FF0000u);

  // A picture without alpha: its transparent colour stays clear, the rest becomes opaque.
  TBitmap32 Plain = Filled(4, 4, 0x0000FF00u);
  Plain.Pixel(0, 0) = 0x00FF00FFu;
  EXPECT_EQ(L.Add(Plain, nullptr, false, clFuchsia), 1);
  auto B = L.CreateBitmap32(1, 4, 4);
  EXPECT_EQ(B->Pixel(0, 0), 0x00FF00FFu);
  EXPECT_EQ(B->Pixel(1, 0), 0xFF00FF00u);

  // A one-pixel image in a larger list: stretched, not refused.
  EXPECT_EQ(L.Add(Filled(1, 1, 0xFF112233u)), 2);
  EXPECT_EQ(L.CreateBitmap32(2, 4, 4)->Pixel(3, 3), 0xFF112233u);
  EXPECT_EQ(L.Add(TBitmap32()), -1);
  EXPECT_EQ(L.Count(), 3);
}

TEST_F(AlphaImageListTest, FramesMovesAndCopies) {
  TsAlphaImageList L(nullptr, 4, 4);
  L.Add(HalfRed());
  TBitmap32 Green = Filled(4, 4, 0xFF00FF00u);
  Green.Pixel(0, 0) = 0; // the key of its platform icon
  L.Add(Green);
  TBitmap32 Bmp = Filled(8, 8, 0xFF000000u);
  TSize Size{};
  // Frames 0 is taken as one frame.
  DrawListImage(&L, Bmp, 0, 0, Size, false, 0, 3, NoKey, 0, 0);
  EXPECT_EQ(Size, (TSize{4, 4}));
  EXPECT_EQ(Bmp.Pixel(0, 0), 0xFF7F0000u);
  // Two frames of 2 px: the second (blue) one at (5, 5).
  DrawListImage(&L, Bmp, 5, 5, Size, false, 2, 7, NoKey, 0, 0);
  EXPECT_EQ(Size, (TSize{2, 4}));
  EXPECT_EQ(Bmp.Pixel(5, 5), 0xFF0000FEu);
  EXPECT_EQ(Bmp.Pixel(7, 5), 0xFF000000u);

  // Another kind of list draws through its own Draw.
  TImageList Plain(nullptr, 4, 4);
  Plain.Add(Filled(4, 4, 0xFF123456u));
  TBitmap32 Other = Filled(8, 8, 0xFF000000u);
  DrawListImage(&Plain, Other, 1, 1, Size, false, 2, 1, NoKey, 0, 0);
  EXPECT_EQ(Other.Pixel(1, 1), 0xFF123456u);
  EXPECT_EQ(Other.Pixel(3, 1), 0xFF000000u);

  L.MoveItem(0, 1);
  EXPECT_EQ(L.CreateBitmap32(0, 4, 4)->Pixel(1, 1), 0xFF00FF00u);
  // The platform images moved with the items.
  L.DoubleData = false;
  EXPECT_EQ(L.CreateBitmap32(0, 4, 4)->Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(L.CreateBitmap32(1, 4, 4)->Pixel(3, 3), 0xFF0000FFu);
  L.DoubleData = true;
  L.Add(HalfRed());
  L.MoveItem(2, 0); // backwards over two
  EXPECT_EQ(L.Item(1).ImageFormat, ifBMP32);
  EXPECT_EQ(L.CreateBitmap32(1, 4, 4)->Pixel(1, 1), 0xFF00FF00u);
  L.DoubleData = false;
  EXPECT_EQ(L.CreateBitmap32(0, 4, 4)->Pixel(3, 3), 0xFF0000FFu);
  EXPECT_EQ(L.CreateBitmap32(1, 4, 4)->Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(L.CreateBitmap32(2, 4, 4)->Pixel(3, 3), 0xFF0000FFu);
  L.DoubleData = true;
  L.Delete(2);

  TsAlphaImageList Copy(nullptr, 8, 8);
  L.SetBkColor(clNone);
  Copy.Assign(L);
  EXPECT_EQ(Copy.Width(), 4);
  EXPECT_EQ(Copy.ItemCount(), 2);
  EXPECT_EQ(Copy.Count(), 2);
  EXPECT_EQ(Copy.CreateBitmap32(0, 4, 4)->Pixel(0, 0), 0x80FF0000u);
}

TEST_F(AlphaImageListTest, ReadFromADefinition) {
  static bool Registered = [] {
    RegisterSkinControls();
    return true;
  }();
  (void)Registered;
  std::unique_ptr<TComponent> C(CreateComponentByClassName("TsAlphaImageList", nullptr));
  auto* L = dynamic_cast<TsAlphaImageList*>(C.get());
  ASSERT_NE(L, nullptr);
  C->SetLoading(true);
  TDefValue W;
  W.Int = 4;
  EXPECT_TRUE(L->ReadProperty("Width", W));
  EXPECT_TRUE(L->ReadProperty("Height", W));
  TDefValue Items;
  Items.Kind = TDefValue::vkCollection;
  TDefValue Format, Data;
  Format.Kind = TDefValue::vkIdent;
  Format.Ident = "ifPNG";
  Data.Kind = TDefValue::vkBinary;
  Data.Binary = EncodePNG(HalfRed());
  Items.Collection.push_back({{"ImageFormat", Format}, {"ImgData", Data}});
  EXPECT_TRUE(L->ReadProperty("Items", Items));
  int Changes = 0;
  L->OnChange = [&Changes](TComponent*) { ++Changes; };
  C->SetLoading(false);
  L->Loaded();
  EXPECT_TRUE(L->StdListIsGenerated());
  EXPECT_EQ(L->Count(), 1);
  EXPECT_EQ(Changes, 1);
  EXPECT_EQ(L->CreateBitmap32(0, 4, 4)->Pixel(3, 0), 0xFF0000FFu);
}

TEST_F(AlphaImageListTest, ChangesAndImagesNoItemBacks) {
  TsAlphaImageList L(nullptr, 4, 4);
  int Changes = 0;
  L.OnChange = [&Changes](TComponent*) { ++Changes; };
  L.DoubleData = false;
  L.AddItem(ifPNG, EncodePNG(HalfRed()));
  L.GenerateStdList();
  ASSERT_TRUE(L.StdListIsGenerated());
  EXPECT_EQ(L.ItemCount(), 0);
  // An image without any alpha that no item backs becomes opaque except its fuchsia pixels,
  // its black key pixel included.
  TBitmap32 Old = Filled(4, 4, 0x0000FF00u);
  Old.Pixel(0, 0) = 0;
  Old.Pixel(2, 2) = 0x00FF00FFu;
  EXPECT_EQ(L.Add(Old), 1);
  EXPECT_EQ(Changes, 1);
  auto B = L.CreateBitmap32(1, 4, 4);
  ASSERT_TRUE(B);
  EXPECT_EQ(B->Pixel(0, 0) >> 24, 0xFFu);
  EXPECT_EQ(B->Pixel(1, 1), 0xFF00FF00u);
  EXPECT_EQ(B->Pixel(2, 2) >> 24, 0u);
  // The image with alpha stays as it was.
  EXPECT_EQ(L.CreateBitmap32(0, 4, 4)->Pixel(0, 0) >> 24, 0x80u);

  // No notification while an update runs; one at its end when asked for.
  L.KvBeginUpdate();
  L.Add(Old);
  EXPECT_EQ(Changes, 1);
  L.KvEndUpdate(true);
  EXPECT_EQ(Changes, 2);
  L.KvBeginUpdate();
  L.KvEndUpdate(false);
  EXPECT_EQ(Changes, 2);
}

TEST_F(AlphaImageListTest, ANewSizeRebuildsFromTheItems) {
  TsAlphaImageList L(nullptr, 4, 4);
  L.Add(HalfRed());
  L.Add(HalfRed());
  L.CreateBitmap32(0, 4, 4);
  ASSERT_TRUE(L.Item(0).CacheBmp);
  L.SetSize(8, 2);
  EXPECT_FALSE(L.Item(0).CacheBmp);
  EXPECT_EQ(L.Count(), 2);
  int W = 0, H = 0;
  ImageList_GetIconSize(L.Handle(), &W, &H);
  EXPECT_EQ(W, 8);
  EXPECT_EQ(H, 2);
  L.DoubleData = false;
  EXPECT_EQ(L.CreateBitmap32(1, 8, 2)->Pixel(7, 1), 0xFF0000FFu);
  L.SetSize(0, 0);
  EXPECT_EQ(L.Handle(), nullptr);
  EXPECT_FALSE(L.CreateBitmap32(0, 4, 4));
  EXPECT_EQ(L.Add(HalfRed()), -1);
}

TEST_F(AlphaImageListTest, IconsGiveBackTheirGdiObjects) {
  const int64_t Before = LiveGdiObjects();
  {
    TsAlphaImageList L(nullptr, 4, 4);
    for (int i = 0; i < 5; ++i)
      L.Add(HalfRed());
    L.GenerateStdList();
    TBitmap32 Face(4, 4);
    for (int i = 0; i < 5; ++i)
      L.Draw(Face, 0, 0, i, i % 2 == 0);
  }
  EXPECT_EQ(LiveGdiObjects(), Before);
}
