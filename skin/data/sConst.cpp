// The skin model's constants and the gradient text parser.
#include "skin/data/sConst.h"

#include <algorithm>

#include "skin/data/kvSkinIni.h"

const char* const s_GlobalInfo = "GLOBALINFO";
const char* const s_MasterBitmap = "MASTERBITMAP";
const char* const s_ParentClass = "PARENTCLASS";
const char* const s_BordersMask = "BORDERSMASK";
const char* const s_GlyphMask = "GLYPHMASK";
const char* const s_Pattern = "PATTERN";
const char* const s_HotPattern = "HOTPATTERN";

const std::vector<std::string> EngineSectionNames = {"GLOBALINFO",
                                                     "FORM",
                                                     "DIALOG",
                                                     "CAPTION",
                                                     "FORMTITLE",
                                                     "MDIAREA",
                                                     "BAR",
                                                     "BARTITLE",
                                                     "BUTTON",
                                                     "BUTTON_HUGE",
                                                     "SPEEDBUTTON",
                                                     "SPEEDBUTTON_SMALL",
                                                     "TOOLBUTTON",
                                                     "TB_BTN",
                                                     "TB_MENUBTN",
                                                     "TOOLBAR",
                                                     "WEBBUTTON",
                                                     "EDIT",
                                                     "COMBOBOX",
                                                     "COMBOBTN",
                                                     "UPDOWNBTN",
                                                     "CHECKBOX",
                                                     "GROUPBOX",
                                                     "PANEL",
                                                     "PANEL_LOW",
                                                     "STATUSBAR",
                                                     "GAUGE",
                                                     "PROGRESSH",
                                                     "PROGRESSV",
                                                     "TRACKBAR",
                                                     "SPLITTER",
                                                     "DRAGBAR",
                                                     "DIVIDER",
                                                     "DIVIDERV",
                                                     "COLHEADER",
                                                     "PAGECONTROL",
                                                     "PAGECONTROLBOTTOM",
                                                     "PAGECONTROLLEFT",
                                                     "PAGECONTROLRIGHT",
                                                     "TABTOP",
                                                     "TABBOTTOM",
                                                     "TABLEFT",
                                                     "TABRIGHT",
                                                     "SCROLLBAR1H",
                                                     "SCROLLBAR1V",
                                                     "SCROLLBAR2H",
                                                     "SCROLLBAR2V",
                                                     "SCROLLBTNTOP",
                                                     "SCROLLBTNBOTTOM",
                                                     "SCROLLBTNLEFT",
                                                     "SCROLLBTNRIGHT",
                                                     "SCROLLSLIDERH",
                                                     "SCROLLSLIDERV",
                                                     "SELECTION",
                                                     "MAINMENU",
                                                     "MENUITEM",
                                                     "MENUCAPTION",
                                                     "MENULINE",
                                                     "EXTRALINE",
                                                     "ICOLINE"};

