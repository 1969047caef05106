// Load time of a whole packed skin (unpack, options, model, images, constant indexes) against
// plainly inflating the same members, timed in the same run. The skin is generated here: an
// options text of 64 sections (about 27 KB) with image regions in three notations, a 24-bit
// master bitmap of 230 x 230 pixels and a 136 x 136 image of its own, packed at level 9 - the
// size of the program's own skin (which does not exist yet).
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "skin/data/kvSkinPack.h"
#include "skin/data/sSkinModel.h"
#include "skin/pixels/kvBitmapIO.h"

namespace {

// A skin image of W x H pixels with key-colour dots, as a 24-bit BMP.
std::vector<uint8_t> Bmp24(int W, int H, uint32_t Seed) {
  TBitmap32 Bmp(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      // Rows of the file run bottom-up: row y of the file is bitmap row H - 1 - y.
      bool Key = (x % 45 < 2) && (y % 46 < 2);
      uint32_t B = Key ? 0xFF : 0xC0 + (x * 7 + y * 3 + Seed) % 40;
      uint32_t G = Key ? 0x00 : 0xD0 + (y * 5 + Seed) % 30;
      uint32_t R = Key ? 0xFF : 0x90 + (x + y) % 50;
      Bmp.Pixel(x, H - 1 - y) = B | (G << 8) | (R << 16);
    }
  return EncodeBmp24(Bmp);
}

std::string Pad4(int V) {
  char Buf[8];
  std::snprintf(Buf, sizeof(Buf), "%04d", V);
  return Buf;
}

std::string Options() {
  std::string S = "[GLOBALINFO]\nVERSION=8.00\nAUTHOR=bench\nMASTERBITMAP=MASTER.BMP\n"
                  "BOXCHECKED=@0051@0000@0102@0016@3@0\nBOXUNCHECKED=@0000@0000@0051@0016@3@0\n"
                  "RADIOCHECKED=@0102@0000@0153@0016@3@0\nBICONCLOSE=@0000@0016@0060@0034@3@0\n"
                  "BICONMAX=@0060@0016@0120@0034@3@0\nBICONMIN=@0120@0016@0180@0034@3@0\n";
  for (int i = 0; i < 63; ++i) {
    std::string Name = i < int(EngineSectionNames.size()) - 1 ? EngineSectionNames[size_t(i) + 1]
                                                              : "EXTRA" + std::to_string(i);
    int L = (i * 13) % 150, T = 40 + (i * 7) % 120;
    S += "[" + Name + "]\n";
    if (i % 3 == 1) S += "PARENTCLASS=FORM\n";
    S += "COLOR=" + std::to_string(0xF4F7EC - i) +
         "\nFONTCOLOR=1911583\nTCLEFT=-1\nTCTOP=-1\n"
         "TRANSPARENCY=0\nGRADIENTPERCENT=100\n"
         "GRADIENTDATA=16514039;14478287;50;0;0;14478287;13225935;50;0;0\n"
         "IMAGEPERCENT=0\nSTATES=3\nHOTCOLOR=16777215\nHOTFONTCOLOR=1911583\n"
         "HOTGRADIENTDATA=16777215;14218472;100;0;0\nHOTGRADIENTPERCENT=100\nSHOWFOCUS=1\n"
         "FADINGENABLED=TRUE\nFADINGITERATIONS=5\nGLOW=0\n";
    S += "BORDERSMASK=^" + Pad4(L) + "^" + Pad4(T) + "^" + Pad4(L + 63) + "^" + Pad4(T + 48) +
         "^0000^0000^0000^0000^3^1^1^0\n";
    if (i % 4 == 0)
      S +=
          "PATTERN=~" + Pad4(L) + "~" + Pad4(T) + "~" + Pad4(L + 20) + "~" + Pad4(T + 20) + "~01\n";
    if (i % 5 == 0)
      S += "GLYPHMASK=@" + Pad4(L) + "@" + Pad4(T) + "@" + Pad4(L + 30) + "@" + Pad4(T + 10) +
           "@3@0\n";
  }
  S += "[BUTTON_HUGE]\nBORDERSMASK=!BUTTONHUGE.BMP!3!1!0!0016!0016!0016!0016!0\n";
  return S;
}

template <typename F>
double BestOf(int Runs, F Fn) {
  double Best = 1e30;
  for (int r = 0; r < Runs; ++r) {
    auto T0 = std::chrono::steady_clock::now();
    Fn();
    auto T1 = std::chrono::steady_clock::now();
    Best = std::min(Best, std::chrono::duration<double, std::micro>(T1 - T0).count());
  }
  return Best;
}

} // namespace

int main() {
  std::vector<TkvPackMember> Members = {{"Options.dat", {}},
                                        {"ButtonHuge.bmp", Bmp24(136, 136, 3)},
                                        {"Master.bmp", Bmp24(230, 230, 1)}};
  std::string Text = Options();
  Members[0].Data.assign(Text.begin(), Text.end());
  std::vector<uint8_t> Block = PackSkinMembers(Members, 9);
  std::vector<std::vector<uint8_t>> Streams;
  for (const TkvPackMember& M : Members) {
    uLongf Size = compressBound(uLong(M.Data.size()));
    std::vector<uint8_t> Z(Size);
    compress2(Z.data(), &Size, M.Data.data(), uLong(M.Data.size()), 9);
    Z.resize(Size);
    Streams.push_back(std::move(Z));
  }

  const int Runs = 200;
  double Inflate = BestOf(Runs, [&] {
    for (size_t i = 0; i < Members.size(); ++i) {
      std::vector<uint8_t> Out(Members[i].Data.size());
      uLongf Len = uLongf(Out.size());
      uncompress(Out.data(), &Len, Streams[i].data(), uLong(Streams[i].size()));
    }
  });
  double Unpack = BestOf(Runs, [&] {
    auto R = std::make_unique<TkvSkinConvertor>();
    R->SetPackedData(std::make_unique<TMemoryStream>(Block));
    UnpackSkinPackage(R);
  });
  size_t Regions = 0, Sections = 0;
  double Load = BestOf(Runs, [&] {
    auto R = std::make_unique<TkvSkinConvertor>();
    R->SetPackedData(std::make_unique<TMemoryStream>(Block));
    UnpackSkinPackage(R);
    TsSkinModel M;
    M.LoadPackedSkin(*R);
    Regions = M.ma.size();
    Sections = M.gd.size();
  });
  std::printf("skin: %zu bytes packed, options %zu bytes, %zu sections, %zu image regions\n",
              Block.size(), Text.size(), Sections, Regions);
  std::printf("inflate members (baseline): %8.1f us\n", Inflate);
  std::printf("unpack package:             %8.1f us  (%.2fx baseline)\n", Unpack, Unpack / Inflate);
  std::printf("whole skin load:            %8.1f us  (%.2fx baseline)\n", Load, Load / Inflate);
  return 0;
}
