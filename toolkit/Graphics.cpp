// Fonts and the colour helpers of the framework.
#include "toolkit/Graphics.h"

#include <map>

void TFont::Assign(const TFont& Source) {
  FName = Source.FName;
  FHeight = Source.FHeight;
  FColor = Source.FColor;
  FCharset = Source.FCharset;
  FStyle = Source.FStyle;
  Changed();
}

void TFont::SetName(const std::wstring& Value) {
  if (Value == FName) return;
  FName = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // The colour is not part of the GDI font; only tell the owner.
  if (OnChange) OnChange();
}

void TFont::SetCharset(int Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

void TFont::SetStyle(unsigned Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::Changed() {
  FHandle.Reset();
  if (OnChange) OnChange();
}

HFONT TFont::Handle() const {
  if (!FHandle) {
    LOGFONTW LF{};
    LF.lfHeight = FHeight;
    LF.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
    LF.lfItalic = (FStyle & fsItalic) != 0;
    LF.lfUnderline = (FStyle & fsUnderline) != 0;
    LF.lfStrikeOut = (FStyle & fsStrikeOut) != 0;
    LF.lfCharSet = BYTE(FCharset);
    LF.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(LF.lfFaceName, FName.c_str(), LF_FACESIZE);
    FHandle.Attach(CreateFontIndirectW(&LF));
  }
  return FHandle;
}

bool ColorFromIdent(const std::string& Ident, TColor& Color) {
  static const std::map<std::string, TColor> Names = {
      {"clBlack", clBlack},
      {"clWhite", clWhite},
      {"clLime", clLime},
      {"clFuchsia", clFuchsia},
      {"clRed", 0x0000FF},
      {"clGreen", 0x008000},
      {"clBlue", 0xFF0000},
      {"clYellow", 0x00FFFF},
      {"clNavy", 0x800000},
      {"clGray", 0x808080},
      {"clSilver", 0xC0C0C0},
      {"clNone", clNone},
      {"clScrollBar", clScrollBar},
      {"clBackground", clBackground},
      {"clActiveCaption", clActiveCaption},
      {"clInactiveCaption", clInactiveCaption},
      {"clMenu", clMenu},
      {"clWindow", clWindow},
      {"clWindowFrame", clWindowFrame},
      {"clMenuText", clMenuText},
      {"clWindowText", clWindowText},
      {"clCaptionText", clCaptionText},
      {"clHighlight", clHighlight},
      {"clHighlightText", clHighlightText},
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clGrayText", clGrayText},
      {"clBtnText", clBtnText},
      {"clBtnHighlight", clBtnHighlight},
      {"clInfoBk", clInfoBk},
      {"clInfoText", clInfoText},
  };
  auto It = Names.find(Ident);
  if (It == Names.end()) return false;
  Color = It->second;
  return true;
}

bool CharsetFromIdent(const std::string& Ident, int& Charset) {
  static const std::map<std::string, int> Names = {
      {"DEFAULT_CHARSET", DEFAULT_CHARSET},
      {"ANSI_CHARSET", ANSI_CHARSET},
      {"EASTEUROPE_CHARSET", EASTEUROPE_CHARSET},
      {"SYMBOL_CHARSET", SYMBOL_CHARSET},
  };
  auto It = Names.find(Ident);
  if (It == Names.end()) return false;
  Charset = It->second;
  return true;
}
