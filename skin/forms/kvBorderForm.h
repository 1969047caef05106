// The auxiliary windows around a skinned window: the extended border window (a layered window
// that shows the frame and its shadow outside the window), the caption cover (hides the
// system's own caption while it repaints), and the outline drag of the border resize mode.
#pragma once

#include <windows.h>

#include <memory>

#include "base/Bitmap32.h"
#include "base/kvTypes.h"
#include "skin/controls/sCommonData.h"

// The tag of the engine's own auxiliary windows: a form whose tag has all these bits is never
// skinned. The border window and the caption cover are plain windows (classes
// "TkvBorderForm" and "TkvCaptForm") that carry the tag as the window property "KVTAG".
constexpr int AuxWindowTag = -98;
extern const wchar_t* const AuxWindowTagProp; // "KVTAG"
// Whether Wnd is one of the engine's auxiliary windows (it carries the tag property).
bool IsEngineAuxWindow(HWND Wnd);
// Whether the system has layered windows with per-pixel alpha (looked up at run time).
bool LayeredWindowsAvailable();

// Lays the shadow template of the current skin under the frame of a window image (straight
// alpha; the frame's pixels keep what is opaque): the skin's extended-border image (the frame
// of its second state for an active window, of its first for an inactive one) with its band
// widths less the content offset as nine-slice margins, else the built-in shadow of the
// window's state with 9-pixel margins. Shadows of skins older than 7.51 are re-weighted where a
// 32-bit process on 64-bit Windows without desktop composition blends them too faintly.
void ComposeFormShadow(TBitmap32& Image, const TsSkinModel& Sm, bool Active);

// FormState bits of a skinned window.
constexpr unsigned fsResizingBorder = 0x1;   // the border window is resized with the form
constexpr unsigned fsBlending = 0x80;        // blend-on-moving in progress
constexpr unsigned fsMinimizing = 0x100;     // minimize animation started
constexpr unsigned fsHideCaptured = 0x200;   // the window image was taken for a hide animation
constexpr unsigned fsRestoring = 0x400;      // restore animation started
constexpr unsigned fsThumbnail = 0x800;      // a task-bar thumbnail is rendered
constexpr unsigned fsRestoringAnim = 0x1000; // the border window's cut is left out meanwhile
constexpr unsigned fsStretchedV = 0x2000;    // stretched to the work-area height
constexpr unsigned fsStretchedH = 0x4000;    // stretched to the work-area width
constexpr unsigned fsInActivation = 0x8000;  // inside WM_NCACTIVATE
constexpr unsigned fsRebuildingScroll = 0x20000;

// What the auxiliary windows need of the skinned window they serve (a form provider or a dialog
// adapter). Coordinates "in the image" are those of the owner's cache image: the whole window
// plus the shadow margins.
class TkvBorderOwner {
public:
  virtual ~TkvBorderOwner() = default;
  virtual HWND OwnerHandle() const = 0;
  // The owner's skin state; its cache bitmap is the window image.
  virtual TsCommonData& OwnerSkinData() = 0;
  // Renders the window image when it is out of date.
  virtual void PaintAll() = 0;
  // The client area's place in the image.
  virtual int OffsetX() const = 0;
  virtual int OffsetY() const = 0;
  // The shadow margins around the window in the image (left, top, right, bottom).
  virtual TRect ShadowSize() const = 0;
  virtual int CaptionHeight() const = 0; // with the extended title
  virtual int MenuHeight() const = 0;
  virtual int SysFrame() const = 0;   // the system's frame width of the window
  virtual TRect IconRect() const = 0; // in the image
  // The owner's hit code for a point of its image (caption elements, title, borders, client).
  virtual int HitTestImage(TPoint P) = 0;
  // Makes Code the hot caption element (0: none).
  virtual void SetHotHT(int Code, bool Repaint) = 0;
  virtual unsigned& FormState() = 0;
  // The owner draws its frame, and its painting is not suspended.
  virtual bool DrawsFrame() const = 0;
  virtual bool PaintingSuspended() const = 0;
  // Stops the caption buttons' state fades.
  virtual void KillAnimations() = 0;
  // The smallest size the window may take (0: none).
  virtual TSize MinSize() const = 0;
  // The part of the image a caption cover shows: the header rows, or with WholeHeight the
  // whole window.
  virtual int HeaderHeight() const = 0;
  // Blend value of an alpha-blended window, 255 otherwise.
  virtual uint8_t AlphaBlendValue() const = 0;
};

// The extended border window: a layered, tool, no-activate window of tag -98, owned by the
// skinned window and so kept next to it in z-order (an owned window stays just above its owner;
// the two do not overlap, as the owner's own region is its client part and the border window's
// region leaves that part out), showing the frame and shadow of the owner's image with
// per-pixel alpha.
class TkvBorderForm {
public:
  explicit TkvBorderForm(TkvBorderOwner& Owner);
  ~TkvBorderForm();
  TkvBorderForm(const TkvBorderForm&) = delete;
  TkvBorderForm& operator=(const TkvBorderForm&) = delete;

  // The auxiliary window, made on demand; null while there is none.
  HWND Handle() const;
  void CreateNewForm();
  // Places the border window around the owner and gives it the owner's image (Blend: constant
  // alpha; 255 takes the owner's AlphaBlendValue). Without Redraw the image is given again only
  // when the place or size changed. Gives up silently (the next call retries) while the
  // application terminates, while positioning is under way, without an owner window, while
  // printing or an animation captures windows, and when the owner moved meanwhile; a hidden
  // owner frees the window.
  void UpdateExBordersPos(bool Redraw = true, uint8_t Blend = 255);
  // The region of the border window: all of it except where the owner's client lies.
  void MakeRgn(int NewWidth = 0, int NewHeight = 0);
  void UpdateRgn();
  // Frees the auxiliary window (it is made again when needed).
  void FreeForm();
  bool ResetRgn = false;

  // The owner's hit code for a screen point over the border window (HTNOWHERE over the
  // shadow): how the owner resolves the mouse messages the border window forwards to it with
  // wParam -1.
  int Ex_WMNCHitTest(TPoint ScreenPoint);
  bool MouseAboveTheShadow(TPoint ScreenPoint) const;
  // The owner's bounds before a border double click stretched it (fsStretchedH/V).
  TRect NormalBounds() const;
  // For the owner's WM_WINDOWPOSCHANGING: a stretched owner that is moved gets its previous
  // width or height back.
  void OwnerMoving(WINDOWPOS& Pos);
  // The premultiplied image last given to the layered window (empty before the first one).
  const TBitmap32& ShownImage() const;

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// The caption cover: while the system repaints its own caption (default handling of WM_SETTEXT
// and WM_NCACTIVATE), a borderless no-activate window of tag -98 shows the owner's image over
// the title.
class TkvCaptionCover {
public:
  explicit TkvCaptionCover(TkvBorderOwner& Owner);
  ~TkvCaptionCover();
  // Shows the cover over the header rows (or the whole window); false when it is not used.
  bool CoverCaption(bool WholeHeight = false);
  void UncoverCaption();
  HWND Handle() const;

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

// The outline drag of the border resize mode: from a press on the caption or a sizing border
// until the release, an inverted outline follows the mouse; the window is moved once at the
// end.
class TkvOutlineDrag {
public:
  explicit TkvOutlineDrag(TkvBorderOwner& Owner);
  ~TkvOutlineDrag();
  // Starts for hit code HitCode (HTCAPTION moves, a border code sizes) at screen point P.
  bool Start(int HitCode, TPoint P);
  // Follows the mouse (screen point).
  void Move(TPoint P);
  // Ends the drag and moves the window; false when no drag ran.
  bool Finish();
  bool Dragging() const;
  // Ends the drag without moving the window.
  void Cancel();
  // The whole drag in one call, from the press at P to the release: Start, then a local
  // message loop that follows the mouse until a button release (true, the window moved),
  // Escape, a lost capture or the end of the application (false, nothing moved).
  bool Run(int HitCode, TPoint P);
  // The outline as drawn now (screen coordinates).
  TRect Outline() const;
  // The outline for a grabbed code, start rectangle and mouse delta (never below MinSize).
  static TRect OutlineRect(int HitCode, const TRect& Start, TPoint Delta, TSize MinSize);

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};
