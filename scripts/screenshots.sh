#!/usr/bin/env bash
# Starts the program (on the Xvfb that with-xvfb.sh provides), walks it through a run on its
# help text with the automation driver, and writes PNGs of its windows at each step to
# build/screenshots/: the start-up notice over the main window, the main window, the progress
# window during the rewrite, and the main window after it; before the run, the buttons hot,
# pressed and focused, the marker fields focused and filled, and the editor with a long text and
# its scroll bars, unfocused and focused (the rewrite then runs on that text, long enough to be seen);
# after it, the "nothing found" box and the open dialog (the system's, owned by the main window).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
textovrt_wine_prefix
out="$TEXTOVRT_ROOT/build/screenshots"
win="$TEXTOVRT_ROOT/build/win"
mkdir -p "$out"
rm -f "$out"/*.png

# Top-level windows that are mapped, as "id name" lines.
windows() {
  xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "\([^"]*\)".*/\1 \2/p' |
    while read -r id name; do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id $name"
    done
}

# capture STEP: one PNG per visible window, and the whole screen.
capture() {
  local n=0
  while read -r id name; do
    [ -n "$name" ] || continue
    n=$((n + 1))
    local safe
    safe=$(echo "$name" | tr -c 'A-Za-z0-9._-' '_' | sed 's/_*$//')
    # Cut from the screen, so that the windows over it (the engine's layered overlays) show as
    # a user sees them.
    local geo
    geo=$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
      /Width:/{w=$NF} /Height:/{h=$NF} END{printf "%dx%d+%d+%d", w, h, x, y}')
    import -window root -crop "$geo" +repage "$out/$1-$n-$safe.png" &&
      echo "screenshot: $out/$1-$n-$safe.png ($name)"
  done < <(windows)
  import -window root "$out/$1-screen.png" && echo "screenshot: $out/$1-screen.png"
}

driver() { wine "$win/tests/e2e/tv_driver.exe" "$@" >/dev/null 2>&1 </dev/null; }

wineserver -p
wineboot >/dev/null 2>&1 </dev/null
wine "$win/app/textovrt.exe" >/dev/null 2>&1 </dev/null &
for _ in $(seq 60); do
  windows | grep -q 'Textovrt' && break
  sleep 0.5
done
sleep 2
capture 1-notice
driver notice && sleep 1 && capture 2-main
driver hover 'Načíst textový soubor' && sleep 0.5 && capture 2a-button-hot
driver press 'Vyhledat' && sleep 0.5 && capture 2b-button-pressed
driver leave && sleep 0.5 && capture 2c-button-focused
driver field 1 && sleep 0.5 && capture 2d-field-focused
driver type 1 'kód' && driver field 2 && sleep 0.5 && capture 2e-fields-filled-and-focused
driver type 2 ',' && driver type 3 '*' && driver field 3 && sleep 0.5 && capture 2f-fields-filled
driver close-hover && sleep 0.5 && capture 2g-close-hot
driver close-press && sleep 0.5 && capture 2h-close-pressed
driver leave && sleep 0.5
driver sysmenu && sleep 0.7 && driver down && driver down && sleep 0.3 && capture 2i-system-menu
driver escape && sleep 0.3
driver long-text && sleep 0.5 && capture 2j-editor-long-text
driver editor && sleep 0.5 && capture 2k-editor-long-text-focused
driver field 3 && sleep 0.3
driver run 'kód' ',' '*' && sleep 0.3 && capture 3-progress
driver done && sleep 0.5 && capture 4-after-run
driver search-none && sleep 0.7 && capture 5-nothing-found
driver box-sysmenu && sleep 0.7 && driver down && sleep 0.3 && capture 5a-box-system-menu
driver escape && sleep 0.3
driver ok && sleep 0.3
driver open-dialog && sleep 1.5 && capture 6-open-dialog
driver cancel-dialog && sleep 0.3
wineserver -k
