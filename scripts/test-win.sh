#!/usr/bin/env bash
# Runs the Windows build's tests under Wine on a private Xvfb; stops Wine before the display.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
textovrt_wine_prefix
wineserver -p
# Start Wine's services now, detached from CTest's output pipes, or CTest waits for them.
wineboot >/dev/null 2>&1 </dev/null
cd "$TEXTOVRT_ROOT/build/win" || exit 1
# Wine very rarely fails to start a process at all (no output, a hundredth of a second); a
# test that fails is run once more, and a real failure fails twice.
ctest --output-on-failure --repeat until-pass:2 "$@"
rc=$?
wineserver -k
exit $rc
