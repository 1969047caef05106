// The non-client geometry of a skinned form: frame, title band, icon, caption buttons and
// caption text, the client offset, the strips a non-client paint copies, and the hit test. One
// layout serves calculating the client area, painting and hit-testing.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/kvTypes.h"

enum TFormBorderKind { fbNone, fbSingle, fbSizeable, fbDialog, fbToolWindow, fbSizeToolWin };

// Caption buttons, in the order they are laid out from the right.
enum TCaptionButtonKind { cbClose, cbMax, cbMin, cbHelp, cbCount };

// Hit codes of the title band.
constexpr int htClientCode = 1;
constexpr int htCaptionCode = 2;
constexpr int htSysMenuCode = 3;
constexpr int htMinButtonCode = 8;
constexpr int htMaxButtonCode = 9;
constexpr int htLeftCode = 10;
constexpr int htRightCode = 11;
constexpr int htTopCode = 12;
constexpr int htTopLeftCode = 13;
constexpr int htTopRightCode = 14;
constexpr int htBottomCode = 15;
constexpr int htBottomLeftCode = 16;
constexpr int htBottomRightCode = 17;
constexpr int htBorderCode = 18;
constexpr int htCloseCode = 20;
constexpr int htHelpCode = 21;
// User caption buttons answer htUserButtonBase + their index.
constexpr int htUserButtonBase = 1000;
constexpr int MaxUserButtons = 256;

// A user caption button as the layout sees it.
struct TUserButtonInput {
  int Width = 21;
  bool Visible = true;
  bool Enabled = true;
};

struct TFormGeometryInput {
  int Width = 0, Height = 0; // the window
  TFormBorderKind Border = fbSizeable;
  bool ThickFrame = true; // WS_THICKFRAME
  bool HasBorder = true;  // WS_BORDER
  bool HasCaption = true; // both bits of WS_CAPTION
  bool IsChild = false;   // WS_CHILD
  bool Iconic = false, Zoomed = false;
  int FormBorderWidth = 0; // the form's own border inside the frame
  // The menu bar's rows under the caption, as the system lays them out (0: no menu bar).
  int MenuHeight = 0;
  // System metrics.
  int CXFrame = 4, CXDlgFrame = 3, CYCaption = 19, CYSmCaption = 16;
  // The skin's title values.
  int BILeftMargin = 0, BIRightMargin = 0, BITopMargin = 0, BISpacing = 0, BIVAlign = 0;
  bool HasCaptionSection = false;
  // Caption elements: which are shown, their image frame sizes (0: no image; 21 is used).
  bool HasSystemMenu = true; // biSystemMenu and the system menu exists
  bool ShowMax = false, ShowMin = false, ShowHelp = false;
  std::array<TSize, cbCount> ButtonSize{};
  bool ButtonAligned[cbCount] = {}; // may be top-aligned by the skin
  // The user caption buttons, left of the system ones, in collection order from the right.
  std::vector<TUserButtonInput> UserButtons;
  // The title icon: shown at all (border style, ShowAppIcon, a system menu), and its size
  // (0: from the caption height).
  bool IconAllowed = true;
  int IconWidth = 0, IconHeight = 0;
  // The extended border window: the frame and the title take the skin's sizes and the window
  // image gets the shadow margins around them, while the window itself keeps the system's
  // frame and caption.
  bool ExBorders = false;
  int ExBorderWidth = 0, ExTitleHeight = 0, ExMaxHeight = 0, ExCenterOffs = 0;
  bool SysExHeight = false; // the maximized extended title is taller than the system caption
  TRect Shadow{};           // left, top, right, bottom margins of the image
};

// Everything in the layout is in coordinates of the window image, which are the window's own
// unless the extended border window adds its margins (WindowOrigin says where the window lies).
struct TFormLayout {
  bool Extended = false;                // laid out for the extended border window
  int Frame = 0;                        // frame(True)
  int SysFrame = 0;                     // the system's frame of the window
  int BorderWidth = 0;                  // frame + the form's border, sideways
  int BorderHeight = 0;                 // frame + the form's border, top and bottom
  int CaptionHeight = 0;                // 0 without a caption
  int HeaderHeight = 0;                 // the rows above the client area
  int CaptionWidth = 0;                 // the width of the window image
  int ImageHeight = 0;                  // the height of the window image
  int VCenter = 0;                      // the centre line of the title
  TRect Client;                         // the client area in window coordinates
  TPoint ClientOffset;                  // the client area's place in the image
  TPoint WindowOrigin;                  // the window's top-left corner in the image
  TRect Body;                           // the image without its shadow margins
  TRect IconRect;                       // empty without an icon
  std::array<TRect, cbCount> Buttons{}; // empty when not shown
  std::array<bool, cbCount> Shown{};
  std::vector<TRect> UserButtons; // one per user button, empty when not visible
  int ButtonsWidth = 0;
  TRect TextRect; // the caption text
  // The menu bar's rows in the image, and in the window (empty without a menu bar).
  TRect MenuLine;
  TRect MenuLineWindow;
  // The non-client copies from the window image: destination rectangle (window coordinates)
  // and source point; with the extended border window only the form's own border ring and
  // the menu bar.
  struct TStrip {
    TRect Dst;
    TPoint Src;
  };
  std::array<TStrip, 5> Strips{};
};

// frame(CheckSkin) without an extended border window.
int FrameWidthOf(const TFormGeometryInput& In);
int CaptionHeightOf(const TFormGeometryInput& In);
bool HaveBorder(const TFormGeometryInput& In);
TFormLayout ComputeFormLayout(const TFormGeometryInput& In);

// The provider's classification of a point of the image, in the order painting lays the
// layers: caption elements, the sizing border, the caption rows (icon, caption), the client;
// HTNOWHERE (0) over the shadow margins.
int FormHitTest(const TFormLayout& L, const TFormGeometryInput& In, TPoint P);
// Whether the provider's own answer stands (caption elements and the icon); for the other codes
// the system's hit test answers, with the same frame and caption sizes.
inline bool OwnHitCode(int Code) {
  return Code == htSysMenuCode || Code == htMinButtonCode || Code == htMaxButtonCode ||
         Code == htCloseCode || Code == htHelpCode || Code >= 1000;
}

// Where a moved window lands when an edge comes within Buffer pixels of the work area's edge
// (right, bottom, left, top, in that order).
TRect SnapToWorkArea(TRect Window, const TRect& WorkArea, int Buffer);
