#!/usr/bin/env bash
# Starts textovrt.exe under Wine: on the desktop when there is one, otherwise on Xvfb.
set -u
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine-env.sh"
exe="$TEXTOVRT_ROOT/build/win/app/textovrt.exe"
if [ -n "${DISPLAY:-}" ]; then
  textovrt_wine_prefix
  exec wine "$exe" "$@"
fi
echo "run: no DISPLAY; starting the program on a private Xvfb (make screenshots shows its windows)"
exec "$here/with-xvfb.sh" bash -c 'source "$0/wine-env.sh"; textovrt_wine_prefix; wine "$1" "${@:2}"; wineserver -k' "$here" "$exe" "$@"
