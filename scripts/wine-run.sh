#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (CTest's emulator for build/win).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
textovrt_wine_prefix
exec wine "$@"
