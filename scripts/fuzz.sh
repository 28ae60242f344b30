#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz in the sanitizer build (clang 14, build-asan, the
# one ./test.sh runs its sanitizer tests in) and runs each for SECONDS, all at the same time
# (at most FUZZ_JOBS at once): scripts/fuzz.sh [SECONDS] [NAME...] (every fuzzer by default).
# Each starts from its seeds (tests/fuzz/seeds/NAME), the samples and what earlier runs found
# (build-asan/corpus/NAME). An input that crashes is kept in build-asan/crashes/NAME and fails
# the run: copy it to tests/fuzz/regressions/NAME, where the normal suite replays it, and fix.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
build=build-asan

scripts/install_deps.sh build
scripts/build.sh "$build" --sanitizers -DORVELLE_WERROR=ON --target fuzz_targets > "$build.fuzz-build.log" 2>&1 ||
  { tail -40 "$build.fuzz-build.log"; exit 1; }
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for bin in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$bin" ] && names+=("${bin##*/fuzz_}")
  done
fi

run_one() {
  local name=$1 seconds=$2 build=$3
  mkdir -p "$build/corpus/$name" "$build/crashes/$name" "$build/fuzz-logs"
  local seeds=()
  [ -d "tests/fuzz/seeds/$name" ] && seeds+=("tests/fuzz/seeds/$name")
  local status=0
  "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/crashes/$name/" \
    "$build/corpus/$name" "${seeds[@]}" samples > "$build/fuzz-logs/$name.log" 2>&1 || status=$?
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz-logs/$name.log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$build/fuzz-logs/$name.log" | tail -1)
  if [ "$status" -ne 0 ]; then
    echo "fuzz_$name: FAILED after ${runs:-?} executions, $cov; crash in $build/crashes/$name:"
    ls "$build/crashes/$name"
    tail -40 "$build/fuzz-logs/$name.log"
    return 1
  fi
  echo "fuzz_$name: ${runs:-?} executions in ${seconds} s, $cov edges, corpus $(ls "$build/corpus/$name" | wc -l) files"
}
export -f run_one

printf '%s\n' "${names[@]}" | xargs -P "${FUZZ_JOBS:-${#names[@]}}" -I{} bash -c 'run_one "$1" "$2" "$3"' _ {} "$seconds" "$build"
