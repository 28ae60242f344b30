#!/usr/bin/env bash
# Configures and builds one build folder: scripts/build.sh DIR [cmake options...]
set -euo pipefail
dir=$1; shift
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > "$root/$dir.configure.log" 2>&1 \
  || { cat "$root/$dir.configure.log"; exit 1; }
cmake --build "$root/$dir" -j "$(nproc)"
