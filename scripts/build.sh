#!/usr/bin/env bash
# Configures and builds one build folder (with Ninja where it is installed):
#   scripts/build.sh DIR [cmake options...] [--target TARGET...]
# --sanitizers among the options: the sanitizer build, with clang 14 (AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzzers of tests/fuzz, which clang's libFuzzer drives).
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
options=()
targets=()
while [ $# -gt 0 ]; do
  if [ "$1" = --target ]; then
    shift
    targets=(--target "$@")
    break
  fi
  if [ "$1" = --sanitizers ]; then
    options+=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DORVELLE_SANITIZE=ON -DORVELLE_FUZZ=ON)
  else
    options+=("$1")
  fi
  shift
done
# A folder configured before keeps its generator.
if [ ! -f "$root/$dir/CMakeCache.txt" ] && command -v ninja >/dev/null; then
  options=(-G Ninja "${options[@]}")
fi
cmake -S "$root" -B "$root/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" > "$root/$dir.configure.log" 2>&1 \
  || { cat "$root/$dir.configure.log"; exit 1; }
cmake --build "$root/$dir" -j "$(nproc)" "${targets[@]}"
