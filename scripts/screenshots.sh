#!/usr/bin/env bash
# Starts the program (on the Xvfb that with-xvfb.sh provides) and writes a PNG of each of its
# windows to build/screenshots/, plus the whole screen.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
textovrt_wine_prefix
out="$TEXTOVRT_ROOT/build/screenshots"
mkdir -p "$out"
rm -f "$out"/window-*.png

# Top-level windows that are mapped, as "id name" lines.
windows() {
  xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) "\([^"]*\)".*/\1 \2/p' |
    while read -r id name; do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id $name"
    done
}

wineserver -p
wineboot >/dev/null 2>&1 </dev/null
wine "$TEXTOVRT_ROOT/build/win/app/textovrt.exe" >/dev/null 2>&1 </dev/null &
for _ in $(seq 60); do
  windows | grep -q 'Textovrt' && break
  sleep 0.5
done
sleep 2
n=0
while read -r id name; do
  [ -n "$name" ] || continue
  n=$((n + 1))
  safe=$(echo "$name" | tr -c 'A-Za-z0-9._-' '_' | sed 's/_*$//')
  import -window "$id" "$out/window-$n-$safe.png" && echo "screenshot: $out/window-$n-$safe.png ($name)"
done < <(windows)
import -window root "$out/screen.png" && echo "screenshot: $out/screen.png"
wineserver -k
