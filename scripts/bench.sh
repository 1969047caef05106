#!/usr/bin/env bash
# Runs every benchmark of the native build; each prints its figures as ratios to a baseline.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for b in "$root"/build/native/bench/*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
