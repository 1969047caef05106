#!/usr/bin/env bash
# Paints every section of the program's skin into one sheet: build/skin-preview.png.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/native --target kvskin -j "$(nproc)" >/dev/null
skin=skins/MeadowStyle
if [ ! -d "$skin" ]; then
  echo "skin-preview: $skin is not there yet" >&2
  exit 1
fi
build/native/tools/kvskin/kvskin sheet "$skin" build/skin-preview.png
