#!/usr/bin/env bash
# Starts the program (on the Xvfb that with-xvfb.sh provides) and walks it, with the automation
# driver and real input, through every state a user meets. For each state it writes one PNG of
# the part of the screen its windows cover (build/screenshots/NN-state.png), the windows one by
# one (NN-state-w-K-title.png), and at the end a labelled contact sheet of all states
# (build/screenshots/index.png) and the README's picture of the main window (docs/textovrt.png).
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
textovrt_wine_prefix
out="$TEXTOVRT_ROOT/build/screenshots"
win="$TEXTOVRT_ROOT/build/win"
mkdir -p "$out"
rm -f "$out"/*.png "$out"/labels.txt

# Top-level windows that are mapped, as "id name" lines.
windows() {
  xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "\([^"]*\)".*/\1 \2/p' |
    while read -r id name; do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id $name"
    done
}

# "WxH+X+Y" of a window on the screen.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{printf "%d %d %d %d", x, y, w, h}'
}

# capture STEP LABEL [ONLY]: the screen part that the program's windows cover (those whose
# title matches the pattern ONLY, when given), each window alone, all cut from the screen so
# that the engine's layered overlays show as a user sees them.
capture() {
  local step=$1 label=$2 only=${3:-} n=0 left=99999 top=99999 right=0 bottom=0
  local shot="$out/.screen.png"
  import -window root "$shot" || return
  while read -r id name; do
    [ -n "$name" ] || continue
    [ -z "$only" ] || [[ "$name" =~ $only ]] || continue
    read -r x y w h < <(geometry "$id")
    ((w > 1 && h > 1)) || continue
    n=$((n + 1))
    local safe
    safe=$(echo "$name" | tr -c 'A-Za-z0-9._-' '_' | sed 's/_*$//')
    convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage "$out/$step-w-$n-$safe.png"
    ((x < left)) && left=$x
    ((y < top)) && top=$y
    ((x + w > right)) && right=$((x + w))
    ((y + h > bottom)) && bottom=$((y + h))
  done < <(windows)
  if ((n == 0)); then
    echo "screenshot: $step: no window is shown" >&2
    return
  fi
  ((left < 0)) && left=0
  ((top < 0)) && top=0
  convert "$shot" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$out/$step.png"
  printf '%s\t%s\n' "$step" "$label" >>"$out/labels.txt"
  echo "screenshot: $out/$step.png ($label)"
}

driver() { wine "$win/tests/e2e/tv_driver.exe" "$@" </dev/null 2>/dev/null; }

wineserver -p
wineboot >/dev/null 2>&1 </dev/null
wine "$win/app/textovrt.exe" >/dev/null 2>&1 </dev/null &
for _ in $(seq 60); do
  windows | grep -q 'Textovrt' && break
  sleep 0.5
done
sleep 2
capture 01-notice 'Start-up notice over the inactive main window'
driver notice && sleep 1 && capture 02-main 'Main window, active: fields empty with hints'
# The main window inactive: a second program's window takes the activation.
wine "$win/tests/e2e/tv_driver.exe" hold-foreground </dev/null >/dev/null 2>&1 &
holder=$!
sleep 1.5
capture 03-main-inactive 'Main window, inactive' '^Textovrt$'
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null
driver activate && sleep 0.5
# The buttons, each normal, hot, pressed and focused (focus stays where a press left it).
n=0
for caption in 'Načíst textový soubor' 'Vyhledat' 'Uložit'; do
  n=$((n + 1))
  driver hover "$caption" && sleep 0.5 && capture "04-button$n-hot" "\"$caption\" hot"
  driver press "$caption" && sleep 0.4 && capture "04-button$n-pressed" "\"$caption\" pressed"
  driver leave && sleep 0.5 && capture "04-button$n-focused" "\"$caption\" focused"
done
driver field 1 && sleep 0.5 && capture 05-field-focused 'Marker field focused'
driver type 1 'kód' && driver field 2 && sleep 0.5 &&
  capture 05-fields-filled-focused 'Marker fields filled, the second focused'
driver type 2 ',' && driver type 3 '*' && driver field 3 && sleep 0.5 &&
  capture 05-fields-filled 'Marker fields filled'
driver close-hover && sleep 0.5 && capture 06-close-hot 'Close button hot'
driver close-press && sleep 0.5 && capture 06-close-pressed 'Close button pressed'
driver leave && sleep 0.5
driver sysmenu && sleep 0.7 && driver down && driver down && sleep 0.3 &&
  capture 07-system-menu 'System menu of the main window, hot item'
driver escape && sleep 0.3
driver long-text && sleep 0.5 && capture 08-editor-long-text 'Editor with a long text and its scroll bars'
driver editor && sleep 0.5 && capture 08-editor-long-text-focused 'Editor focused'
driver field 3 && sleep 0.3
driver run 'kód' ',' '*' && driver counting && capture 09-progress 'Progress window during a rewrite; the editor disabled'
driver hotovo && sleep 0.1 && capture 10-hotovo '"HOTOVO"'
driver done && sleep 0.5 && capture 11-after-run 'Main window after the run'
driver search-none && sleep 0.7 && capture 12-nothing-found '"Nothing found" box'
driver box-sysmenu && sleep 0.7 && driver down && sleep 0.3 &&
  capture 13-box-system-menu 'System menu of the message box, hot item'
driver escape && sleep 0.3
driver ok && sleep 0.3
driver open-dialog && sleep 1.5 && capture 14-open-dialog 'Open dialog (the system'"'"'s own look)'
driver cancel-dialog && sleep 0.3
driver save-dialog && sleep 1.5 && capture 15-save-dialog 'Save dialog (the system'"'"'s own look)'
driver cancel-dialog && sleep 0.3
wineserver -k

# The contact sheet: every state, labelled, in the order taken.
if [ -s "$out/labels.txt" ]; then
  args=()
  while IFS=$'\t' read -r step label; do
    args+=(-label "$step: $label" "$out/$step.png")
  done <"$out/labels.txt"
  montage -font DejaVu-Sans -pointsize 13 "${args[@]}" -tile 4x -geometry '480x400>+8+8' \
    -background '#2B2B2B' -fill white "$out/index.png" &&
    echo "screenshot: $out/index.png (contact sheet)"
fi
if [ -f "$out/05-fields-filled.png" ]; then
  mkdir -p "$TEXTOVRT_ROOT/docs"
  cp "$out/05-fields-filled.png" "$TEXTOVRT_ROOT/docs/textovrt.png" && echo "docs: docs/textovrt.png"
fi
rm -f "$out/.screen.png"
