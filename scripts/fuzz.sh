#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for FUZZ_SECONDS (default 60),
# growing its corpus under build/fuzz/corpus (seeded from the committed corpus).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTEXTOVRT_LIBFUZZER=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEXTOVRT_WERROR=ON >/dev/null
for cmakefile in "$root"/fuzz/*.cmake; do
  name=$(basename "$cmakefile" .cmake)
  cmake --build "$root/build/fuzz" --target "$name" -j "$(nproc)"
  work="$root/build/fuzz/corpus/$name"
  mkdir -p "$work"
  seeds="$root/fuzz/corpus/$name"
  echo "fuzz: $name for ${seconds}s"
  # Crashing, slow and leaking inputs go under build/, not into the working folder.
  mkdir -p "$root/build/fuzz/artifacts/$name"
  "$root/build/fuzz/fuzz/$name" -max_total_time="$seconds" \
    -artifact_prefix="$root/build/fuzz/artifacts/$name/" "$work" "$seeds"
done
