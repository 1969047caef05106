#!/usr/bin/env bash
# Writes build/screenshots/skin.png: the images of the program's skin (skins/MeadowStyle),
# enlarged, with every image region that the options define outlined and named: the master
# bitmap with its glyphs, borders and texture, and the huge button's own image with the
# nine-slice bands of each frame. Region data comes from `kvskin check`, so the sheet shows
# the regions exactly as the engine loads them. Dark gray stands for the key colour
# (transparent); pale yellow lines split state frames, blue lines the image from its mask below.
# Beside it, build/screenshots/sections.png (`kvskin sheet`): every section of the skin painted
# in each of its states, small and large, over a checkerboard, with its name.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kvskin="$root/build/native/tools/kvskin/kvskin"
skin="$root/skins/MeadowStyle"
out="$root/build/screenshots"
scale=4
[ -x "$kvskin" ] || { echo "skin-preview: build kvskin first (make native)" >&2; exit 1; }
command -v convert >/dev/null || { echo "skin-preview: ImageMagick's convert is missing" >&2; exit 1; }
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

status=0
"$kvskin" check "$skin" >"$tmp/check.txt" || status=$?
if [ "$status" -ne 0 ]; then
  echo "skin-preview: kvskin check reports problems (the sheet is written all the same):" >&2
  sed -n '/problem/,$p' "$tmp/check.txt" >&2
fi

# One line per region: source L T R B frames mask wl wt wr wb name. Regions that several
# keys share are drawn once with every name.
sed -n 's/^ *[0-9]* \[\([^]]*\)\] \([A-Z0-9_]*\): [a-z ]* (\([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)) \(master\|own image\), \([0-9]*\) frames, mask \([0-9-]*\), borders \([0-9]*\)\/\([0-9]*\)\/\([0-9]*\)\/\([0-9]*\).*/\7|\3 \4 \5 \6 \8 \9 \10 \11 \12 \13|\1.\2/p' \
  "$tmp/check.txt" | sed 's/^own image/own/' >"$tmp/regions.txt"

# Draw commands for one source ("master" or "own"): outlines, frame splits, mask splits,
# nine-slice bands of own images, and labels.
draw_file() {
  awk -F'|' -v src="$1" -v s="$scale" '
    $1 == src {
      split($2, f, " ")
      key = f[1] " " f[2] " " f[3] " " f[4] " " f[5] " " f[6]
      if (!(key in bands)) bands[key] = $2
      if (!(key in names)) { order[n++] = key; names[key] = $3 } else names[key] = names[key] ", " $3
    }
    END {
      for (i = 0; i < n; i++) {
        split(bands[order[i]], v, " ")
        L = v[1]; T = v[2]; R = v[3]; B = v[4]; fr = v[5]; mk = v[6]
        printf "stroke \"#FFB000\" fill none stroke-width 1 rectangle %d,%d %d,%d\n", L*s, T*s, R*s-1, B*s-1
        fw = fr > 1 ? int((R-L)/fr) : R-L
        for (k = 1; k < fr; k++)
          printf "stroke \"#FFE08A\" line %d,%d %d,%d\n", (L+k*fw)*s, T*s, (L+k*fw)*s, B*s-1
        fh = mk > 0 ? int((B-T)/(mk+1)) : B-T
        if (mk > 0)
          printf "stroke \"#7FD3FF\" line %d,%d %d,%d\n", L*s, (T+fh)*s, R*s-1, (T+fh)*s
        if (src == "own") {
          # nine-slice bands of every frame
          for (k = 0; k < fr; k++) {
            x0 = L + k*fw
            printf "stroke \"#FF6EC7\" line %d,%d %d,%d\n", (x0+v[7])*s, T*s, (x0+v[7])*s, (T+fh)*s
            printf "stroke \"#FF6EC7\" line %d,%d %d,%d\n", (x0+fw-v[9])*s, T*s, (x0+fw-v[9])*s, (T+fh)*s
            printf "stroke \"#FF6EC7\" line %d,%d %d,%d\n", x0*s, (T+v[8])*s, (x0+fw)*s, (T+v[8])*s
            printf "stroke \"#FF6EC7\" line %d,%d %d,%d\n", x0*s, (T+fh-v[10])*s, (x0+fw)*s, (T+fh-v[10])*s
          }
        }
        gsub(/"/, "", names[order[i]])
        printf "stroke none fill \"#FFFFFF\" text %d,%d \"%s\"\n", L*s+2, T*s+11, names[order[i]]
      }
    }' "$tmp/regions.txt"
}

# The key colour shows as dark gray; the enlargement keeps every pixel square.
panel() { # image source title output
  draw_file "$2" >"$tmp/$2.draw"
  convert "$1" -fill '#333833' -opaque '#FF00FF' -filter point -resize "$((scale * 100))%" \
    -font DejaVu-Sans -pointsize 10 -undercolor '#000000A0' -draw "$(cat "$tmp/$2.draw")" \
    -background '#1E211E' -fill '#E8F0E0' -pointsize 16 -undercolor none \
    -gravity north -splice 0x28 -annotate +0+5 "$3" -gravity northwest \
    -bordercolor '#1E211E' -border 12 "$4"
}

panel "$skin/Master.bmp" master "Master.bmp: glyphs, borders and texture (image above, mask below)" \
  "$tmp/master.png"
panel "$skin/ButtonHuge.bmp" own "ButtonHuge.bmp: three states with their nine-slice bands" \
  "$tmp/button.png"
convert "$tmp/master.png" "$tmp/button.png" -background '#1E211E' -gravity center -append \
  "$out/skin.png"
echo "wrote $out/skin.png"
"$kvskin" sheet "$skin" "$out/sections.png"
