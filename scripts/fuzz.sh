#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang 14 in the sanitizer configuration (in
# build-fuzz) and runs each for SECONDS, two at a time (FUZZ_JOBS): scripts/fuzz.sh [SECONDS] [NAME...]
# Each starts from its seeds (tests/fuzz/seeds/NAME), the samples and what earlier runs found
# (build-fuzz/corpus/NAME). An input that crashes is kept in build-fuzz/crashes/NAME and fails
# the run: copy it to tests/fuzz/regressions/NAME, where the normal suite replays it, and fix.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
names=("$@")
[ ${#names[@]} -gt 0 ] ||
  names=(data_reader color_reader maple_reader columns_reader matrix_reader detected_load number_scan npy_reader
         ply_reader gzip_load)

scripts/install_deps.sh build clang-14 libclang-rt-14-dev
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DORVELLE_SANITIZE=ON -DORVELLE_FUZZ=ON -DORVELLE_WERROR=ON \
  > build-fuzz.configure.log 2>&1 || { cat build-fuzz.configure.log; exit 1; }
cmake --build build-fuzz --target fuzz_targets -j "$(nproc)"

run_one() {
  local name=$1 seconds=$2
  mkdir -p "build-fuzz/corpus/$name" "build-fuzz/crashes/$name" build-fuzz/logs
  local status=0
  "build-fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$name/" \
    "build-fuzz/corpus/$name" "tests/fuzz/seeds/$name" samples > "build-fuzz/logs/$name.log" 2>&1 || status=$?
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "build-fuzz/logs/$name.log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "build-fuzz/logs/$name.log" | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$name: FAILED after ${runs:-?} executions, $cov; crash in build-fuzz/crashes/$name:"
    ls "build-fuzz/crashes/$name"
    tail -40 "build-fuzz/logs/$name.log"
    return 1
  fi
  echo "fuzz_$name: ${runs:-?} executions in ${seconds} s, $cov edges, corpus $(ls "build-fuzz/corpus/$name" | wc -l) files"
}
export -f run_one

status=0
printf '%s\n' "${names[@]}" | xargs -P "${FUZZ_JOBS:-2}" -I{} bash -c 'run_one "$1" "$2"' _ {} "$seconds" || status=1
exit $status
