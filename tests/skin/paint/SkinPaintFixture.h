// Small skin models built in memory for the painting tests: a master bitmap with exactly the
// pixels a case needs, image regions and sections.
#pragma once

#include "skin/data/sSkinModel.h"
#include "skin/pixels/kvPixelMath.h"

// Pixel words of the tests: a frame pixel records its frame and local position.
inline uint32_t Px(int R, int G, int B) {
  return MakePixel(B, G, R, 255);
}
inline uint32_t FramePx(int Frame, int X, int Y) {
  return Px(10 + Frame, X * 8, Y * 8);
}

struct TTestSkin {
  TsSkinModel M;
  TTestSkin(int W, int H) {
    M.Manager = &M;
    M.MasterBitmap = std::make_shared<TBitmap32>(W, H);
  }
  TBitmap32& Master() { return *M.MasterBitmap; }
  // Fills Frames frames of FW x FH at (X, Y) with FramePx, and with MaskType 1 a mask of
  // value Mask below them.
  void DrawFrames(int X, int Y, int FW, int FH, int Frames, bool WithMask, int Mask = 0) {
    for (int f = 0; f < Frames; ++f)
      for (int y = 0; y < FH; ++y)
        for (int x = 0; x < FW; ++x) {
          Master().Pixel(X + f * FW + x, Y + y) = FramePx(f, x, y);
          if (WithMask)
            Master().Pixel(X + f * FW + x, Y + FH + y) = MakePixel(Mask, Mask, Mask, 255);
        }
  }
  int AddImage(TRect R, int Count, int MaskType, int WL, int WT, int WR, int WB, int DrawMode,
               int CornerType = 0) {
    TsMaskData D;
    D.R = R;
    D.ImageCount = Count;
    D.MaskType = MaskType;
    D.WL = WL;
    D.WT = WT;
    D.WR = WR;
    D.WB = WB;
    D.DrawMode = DrawMode;
    D.CornerType = CornerType;
    D.Manager = &M;
    M.ma.push_back(D);
    return int(M.ma.size()) - 1;
  }
  int AddSection(const std::string& Name, TColor Color, int States = 3) {
    TsGeneralData G;
    G.ClassName = Name;
    G.States = States;
    G.Props[0].Color = G.Props[1].Color = Color;
    G.Color = G.HotColor = Color;
    M.gd.push_back(G);
    return int(M.gd.size()) - 1;
  }
};
