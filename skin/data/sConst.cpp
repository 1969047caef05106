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

void ParseGradientData(const std::string& Text, TsGradArray& Grad) {
  Grad.assign(1, TsGradPie{});
  if (Text.empty()) return;
  std::vector<std::string_view> Fields;
  std::string_view T = Text;
  size_t Start = 0;
  while (Start <= T.size()) {
    size_t End = T.find(';', Start);
    if (End == std::string_view::npos) End = T.size();
    if (End > Start) Fields.push_back(T.substr(Start, End - Start));
    Start = End + 1;
  }
  size_t Count = Fields.size() / 5;
  Grad.assign(Count, TsGradPie{});
  for (size_t k = 0; k < Count; ++k) {
    TsGradPie& P = Grad[k];
    P.Color1 = TColor(std::max(0, StrToInt(Fields[5 * k])));
    P.Color2 = TColor(std::max(0, StrToInt(Fields[5 * k + 1])));
    P.Percent = TPercent(std::clamp(StrToInt(Fields[5 * k + 2]), 0, 100));
    P.Mode1 = StrToInt(Fields[5 * k + 3]);
  }
}
