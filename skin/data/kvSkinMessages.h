// The skin command message: one window message whose wParam high word carries a sub-command,
// through which the manager, form providers, adapters and skinned controls talk.
#pragma once

#include <cstdint>

constexpr unsigned KV_SKINMSG = 0xA100;

// Sub-commands (high word of wParam). Replies are 0 when the receiver does not handle one.
enum : uint16_t {
  KV_SKINAPPLIED = 1,        // lParam: the manager; a skin has been loaded
  KV_SKINDROPPED = 2,        // lParam: the manager; the skin is removed
  KV_REPAINTSKIN = 3,        // lParam: the manager; repaint with the current skin
  KV_QUERYPROVIDER = 4,      // reply: the form's provider or 0
  KV_CHILDPAINTED = 5,       // a child window has painted itself
  KV_RESUMEPAINT = 6,        // the parent's update is over
  KV_ISSKINNED = 7,          // reply 1 when the skin engine handles the window
  KV_SETSUSPENDED = 8,       // low word 1 suspends painting, 0 resumes it
  KV_SETURGENT = 9,          // low word 1 switches urgent painting on
  KV_ISSUSPENDED = 10,       // reply 1 when the background is stale or painting suspended
  KV_ISHALFVISIBLE = 11,     // reply 1 when the control is only partly visible
  KV_SECTIONCHANGED = 13,    // the section named in the last UpdateSkinSection changed
  KV_MENUBORDER = 14,        // the menu painter is about to set the window's region
  KV_ASSIGNSECTION = 15,     // lParam: the section name
  KV_HALTFADE = 16,          // stop any state fading at once
  KV_MARKBGCHANGED = 17,     // mark the background out of date
  KV_SYSCOLORSCHANGED = 18,  // repaint the state
  KV_ISPARENTDEPENDENT = 19, // reply 1 when the background depends on the parent
  KV_INVALIDATEMOVED = 20,   // repaint after a move (low word 1: with children)
  KV_QUERYCOLOR = 21,        // lParam: the default colour; reply: the background colour
  KV_MARKHALFVISIBLE = 22,   // mark the control as only partly visible
  KV_CLEARBGCHANGED = 23,    // clear the background-out-of-date mark
  KV_FADESTEP = 24,          // lParam: the step's bitmap; reply non-zero when painted
  KV_CONTROLADDED = 25,      // lParam: the control or 0; the form scans for controls again
  KV_QUERYSECTIONINDEX = 26, // lParam: a section-info record to fill; reply 1
  KV_QUERYCAPTIONHEIGHT = 27,
  KV_RESCANDIALOG = 28,
  KV_MOUSEENTERED = 29,    // lParam: the manager
  KV_MOUSELEFT = 30,       // lParam: the manager
  KV_UPDATEBEGUN = 31,     // an update of the control's skin state began
  KV_UPDATEENDED = 32,     // the update is over
  KV_DROPCACHE = 33,       // free the cached image
  KV_QUERYBACKGROUND = 34, // lParam: a TBackgroundInfo to fill; reply 1 when filled
  KV_QUERYDISABLEDLOOK = 35,
  KV_QUERYSKINSTATE = 36,
  KV_QUERYSKINDATA = 37, // reply: the control's skin state object
  KV_SETPRINTDC = 38,
  KV_BEFORESCROLL = 51,
  KV_AFTERSCROLL = 52,
  KV_QUERYAPPLICATION = 60,
  KV_QUERYCLIENTOFFSET = 61,
  KV_TITLECHANGED = 62,
};

// The part of a control's skin state that the skin manager reads: its focus and hover flags.
// The skin state object that KV_QUERYSKINDATA answers begins with it (it derives from it).
struct TsHoverState {
  bool FFocused = false;
  bool FMouseAbove = false;
};

// The wParam of a skin command: the sub-command in the high word, a flag in the low word.
constexpr uintptr_t SkinCommandWParam(uint16_t Code, uint16_t Flag = 0) {
  return (uintptr_t(Code) << 16) | Flag;
}
constexpr uint16_t SkinCommandCode(uintptr_t WParam) {
  return uint16_t(WParam >> 16);
}
constexpr uint16_t SkinCommandFlag(uintptr_t WParam) {
  return uint16_t(WParam & 0xFFFF);
}
