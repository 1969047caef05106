#!/usr/bin/env bash
# Installs what the builds and tests need, with apt-get, only when something is missing.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev clang-format
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  zlib1g-dev libgtest-dev libbenchmark-dev libpng-dev
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick locales perl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "deps: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The program runs with a Czech locale so that Wine's ANSI code page is Windows-1250.
if ! locale -a 2>/dev/null | grep -qi '^cs_CZ\.utf-\?8$'; then
  echo "deps: generating the cs_CZ.UTF-8 locale"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  if [ -f /etc/locale.gen ]; then
    "${sudo_cmd[@]}" sed -i 's/^# *\(cs_CZ.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^cs_CZ.UTF-8 UTF-8' /etc/locale.gen || echo 'cs_CZ.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
  else
    "${sudo_cmd[@]}" localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8
  fi
fi
