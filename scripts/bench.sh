#!/usr/bin/env bash
# Runs every benchmark: the native ones, then the Windows program's under Wine on Xvfb. Each
# prints its figures as ratios to a baseline measured in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for b in "$root"/build/native/bench/*; do
  # Only the programs: the folder also holds CMake's own (CMakeFiles, which is "executable" too).
  [ -f "$b" ] && [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
for b in "$root"/build/win/bench/*.exe; do
  [ -f "$b" ] || continue
  echo "== $(basename "$b") (under Wine)"
  "$root/scripts/with-xvfb.sh" bash -c 'source "$0/scripts/wine-env.sh"; textovrt_wine_prefix
    wineserver -p; wineboot >/dev/null 2>&1 </dev/null; wine "$1"; rc=$?; wineserver -k; exit $rc' \
    "$root" "$b"
done
