// Fonts and the colour helpers of the framework (GDI objects in small owning wrappers).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/GdiObjects.h"
#include "base/kvTypes.h"

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// A font description with its GDI font made on demand. Height below 0 is the character
// height in pixels, above 0 the cell height, as CreateFont takes it.
class TFont {
public:
  TFont() = default;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  void Assign(const TFont& Source);

  const std::wstring& Name() const { return FName; }
  int Height() const { return FHeight; }
  TColor Color() const { return FColor; }
  int Charset() const { return FCharset; }
  unsigned Style() const { return FStyle; }
  void SetName(const std::wstring& Value);
  void SetHeight(int Value);
  void SetColor(TColor Value);
  void SetCharset(int Value);
  void SetStyle(unsigned Value);

  HFONT Handle() const;
  std::function<void()> OnChange;

private:
  void Changed();

  std::wstring FName = L"Tahoma";
  int FHeight = -11;
  TColor FColor = clWindowText;
  int FCharset = DEFAULT_CHARSET;
  unsigned FStyle = 0;
  mutable TFontHandle FHandle;
};

inline COLORREF ToColorRef(TColor Color) {
  return ColorToRGB(Color) & 0xFFFFFF;
}

// Reads colour and charset identifiers of a definition (clWindow, $00FF00, DEFAULT_CHARSET).
bool ColorFromIdent(const std::string& Ident, TColor& Color);
bool CharsetFromIdent(const std::string& Ident, int& Charset);
