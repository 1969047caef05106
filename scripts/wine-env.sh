# Sourced by the scripts that run Windows programs: the project's own Wine prefix under build/,
# quiet logs, the Czech locale (ANSI code page 1250), and no window frames drawn by Wine.
TEXTOVRT_ROOT=${TEXTOVRT_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$TEXTOVRT_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LC_ALL=cs_CZ.UTF-8

# The program's fonts, from Debian's fonts-wine. Wine does not find them where the package puts
# them, so a prefix without them resolves "Tahoma", "MS Shell Dlg", "Marlett" and "Webdings" to
# DejaVu Sans; in the prefix's own Fonts folder each resolves to itself.
TEXTOVRT_WINE_FONTS=(tahoma.ttf tahomabd.ttf marlett.ttf webdings.ttf)
TEXTOVRT_WINE_FONT_DIR=${TEXTOVRT_WINE_FONT_DIR:-/usr/share/wine/fonts}

# Creates the prefix once, and gives it the program's fonts whenever one is missing (so that a
# prefix made before they were copied gets them too); concurrent callers wait for the first one.
textovrt_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.textovrt-ready-2" ]; then
      echo "wine: creating the prefix $WINEPREFIX" >&2
      wineboot -i >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
      # No window manager under Xvfb: keep focus and stacking with the program.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
      # A crashing test ends at once instead of waiting in Wine's debugger.
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
        /t REG_SZ /d '' /f >/dev/null 2>&1
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto \
        /t REG_SZ /d 0 /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.textovrt-ready-2"
    fi
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" font
    for font in "${TEXTOVRT_WINE_FONTS[@]}"; do
      [ -f "$fonts/$font" ] && continue
      if [ -f "$TEXTOVRT_WINE_FONT_DIR/$font" ]; then
        # Copied whole or not at all: a cut-short copy would count as present next time.
        mkdir -p "$fonts" && cp "$TEXTOVRT_WINE_FONT_DIR/$font" "$fonts/.$font.part" &&
          mv "$fonts/.$font.part" "$fonts/$font"
      else
        echo "wine: $TEXTOVRT_WINE_FONT_DIR/$font is missing (Debian's fonts-wine)" >&2
      fi
    done
  ) 9>"$WINEPREFIX.lock"
}
