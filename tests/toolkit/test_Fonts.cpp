// The faces the program and its skin draw with resolve to themselves, as on Windows: Tahoma
// (regular and its own bold), the dialog font "MS Shell Dlg" through its substitute, and the
// symbol fonts Marlett and Webdings. A setup that falls back to another face shows every
// window with the wrong letters and widths.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct TResolvedFont {
  std::wstring Reported; // GetTextFaceW: the name the font was selected under
  std::wstring Family;   // the family of the file that was really used
  std::wstring FullName; // the full name of that file's face ("Tahoma Bold")
  BYTE CharSet = 0;
  LONG AveCharWidth = 0;
  LONG Weight = 0;
};

// The font GDI gives for a face name at an 8-point size (13 pixels at 96 DPI).
TResolvedFont Resolve(const wchar_t* Face, LONG Weight = FW_NORMAL) {
  TResolvedFont R;
  HDC Dc = CreateCompatibleDC(nullptr);
  if (!Dc) return R;
  LOGFONTW Lf = {};
  Lf.lfHeight = -11;
  Lf.lfWeight = Weight;
  Lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(Lf.lfFaceName, Face, LF_FACESIZE - 1);
  HFONT Font = CreateFontIndirectW(&Lf);
  HGDIOBJ Old = SelectObject(Dc, Font);
  wchar_t Name[LF_FACESIZE] = {};
  if (GetTextFaceW(Dc, LF_FACESIZE, Name) > 0) R.Reported = Name;
  TEXTMETRICW Tm = {};
  if (GetTextMetricsW(Dc, &Tm)) {
    R.CharSet = Tm.tmCharSet;
    R.AveCharWidth = Tm.tmAveCharWidth;
    R.Weight = Tm.tmWeight;
  }
  // The name fields of OUTLINETEXTMETRICW are offsets from the start of the buffer.
  const UINT Size = GetOutlineTextMetricsW(Dc, 0, nullptr);
  if (Size > 0) {
    std::string Buffer(Size, '\0');
    auto* Otm = reinterpret_cast<OUTLINETEXTMETRICW*>(Buffer.data());
    if (GetOutlineTextMetricsW(Dc, Size, Otm) == Size) {
      auto Text = [&](PSTR Offset) {
        return std::wstring(reinterpret_cast<const wchar_t*>(Buffer.data() + size_t(Offset)));
      };
      R.Family = Text(Otm->otmpFamilyName);
      R.FullName = Text(Otm->otmpFaceName);
    }
  }
  SelectObject(Dc, Old);
  DeleteObject(Font);
  DeleteDC(Dc);
  return R;
}

TEST(Fonts, TahomaAndTheSymbolFontsResolveToThemselves) {
  for (const wchar_t* Face : {L"Tahoma", L"Marlett", L"Webdings"}) {
    SCOPED_TRACE(testing::Message() << "face " << Face);
    const TResolvedFont R = Resolve(Face);
    EXPECT_EQ(R.Reported, Face);
    EXPECT_EQ(R.Family, Face);
  }
  // The skin's caption glyphs come from the symbol fonts, in their own character set.
  EXPECT_EQ(Resolve(L"Marlett").CharSet, SYMBOL_CHARSET);
  EXPECT_EQ(Resolve(L"Webdings").CharSet, SYMBOL_CHARSET);
  EXPECT_NE(Resolve(L"Tahoma").CharSet, SYMBOL_CHARSET);
}

TEST(Fonts, TahomaBoldIsItsOwnFace) {
  const TResolvedFont Bold = Resolve(L"Tahoma", FW_BOLD);
  EXPECT_EQ(Bold.Reported, L"Tahoma");
  EXPECT_EQ(Bold.Family, L"Tahoma");
  // The bold file, not the regular face emboldened by GDI (whose full name stays "Tahoma").
  EXPECT_EQ(Bold.FullName, L"Tahoma Bold");
  EXPECT_EQ(Bold.Weight, FW_BOLD);
}

TEST(Fonts, DialogFontIsTahoma) {
  const TResolvedFont Tahoma = Resolve(L"Tahoma");
  for (const wchar_t* Face : {L"MS Shell Dlg", L"MS Shell Dlg 2"}) {
    SCOPED_TRACE(testing::Message() << "face " << Face);
    const TResolvedFont R = Resolve(Face);
    // A substitute keeps the name it was asked for, as on Windows, and draws with Tahoma.
    EXPECT_TRUE(R.Reported == Face || R.Reported == L"Tahoma") << "reported face differs";
    EXPECT_EQ(R.Family, L"Tahoma");
    EXPECT_EQ(R.FullName, L"Tahoma");
    EXPECT_EQ(R.AveCharWidth, Tahoma.AveCharWidth);
  }
  EXPECT_EQ(Resolve(L"MS Shell Dlg", FW_BOLD).FullName, L"Tahoma Bold");
}

TEST(Fonts, TahomaHasTheCzechLetters) {
  const wchar_t Czech[] = L"ěščřžýáíéúůďťňĚŠČŘŽÝÁÍÉÚŮĎŤŇ";
  // Tahoma's own glyphs, not those of a face that stands in for it.
  ASSERT_EQ(Resolve(L"Tahoma").Family, L"Tahoma");
  HDC Dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(Dc, nullptr);
  HFONT Font =
      CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  HGDIOBJ Old = SelectObject(Dc, Font);
  const int Count = int(wcslen(Czech));
  WORD Glyphs[64] = {};
  EXPECT_EQ(GetGlyphIndicesW(Dc, Czech, Count, Glyphs, GGI_MARK_NONEXISTING_GLYPHS), DWORD(Count));
  for (int i = 0; i < Count; ++i)
    EXPECT_NE(Glyphs[i], 0xFFFF) << "no glyph for U+" << std::hex << unsigned(Czech[i]);
  SelectObject(Dc, Old);
  DeleteObject(Font);
  DeleteDC(Dc);
}

} // namespace
