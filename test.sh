#!/usr/bin/env bash
# Installs what is missing, builds the normal build (gcc) and the sanitizer build (clang 14:
# AddressSanitizer and UndefinedBehaviorSanitizer, with the fuzzers) side by side, and runs:
# - in the normal build, every test but the long picture comparisons (label "long");
# - in the sanitizer build, the unit, pixel (the long ones too) and window tests and the
#   end-to-end tests that take the programs through loads, saved pictures and typed text
#   (label "memory"), side by side with the normal build's tests, each with an Xvfb of its own
#   (tests that wait on the display take little processor time);
# - each fuzzer for FUZZ_SECONDS (30), all at the same time;
# - last and alone, the tests that time the viewer (label "timing").
# Prints each phase's time and processor time, the whole time and "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")"
root=$(pwd)
begin=$SECONDS
# One more test at a time than processors: the tests of the display mostly wait.
jobs=$(($(nproc) + 1))
export LIBGL_ALWAYS_SOFTWARE=1

phases=()
failed=0
passed=0
skipped=0
pids_to_end=()
trap 'for p in "${pids_to_end[@]}"; do kill "$p" 2>/dev/null; done' EXIT

# timed FILE COMMAND...: runs COMMAND and writes the processor time that it and its children
# took (user and system seconds) and its time to FILE. In a subshell of its own, so that the
# processor time of the jobs running beside it is not counted (they are children of this shell).
timed() {
  local file=$1
  shift
  (
    TIMEFORMAT='%U %S %R'
    time "$@" 2>&4 4>&-
  ) 4>&2 2> "$file"
}

# note PHASE TIMES_FILE STATUS: a line of the closing table, from what timed wrote.
note() {
  local verdict=ok times
  [ "$3" -eq 0 ] || verdict="FAILED (status $3)"
  times=$(awk '{ printf "%5d s  %5d s", $3, $1 + $2 }' "$2" 2>/dev/null)
  phases+=("$(printf '  %-36s %16s  %s' "$1" "${times:-?}" "$verdict")")
}

# phase NAME COMMAND...: runs COMMAND in the foreground as one phase of the table.
phase() {
  local name=$1 status=0 times
  shift
  echo "== $name =="
  times=$(mktemp)
  timed "$times" "$@" || status=$?
  note "$name" "$times" "$status"
  rm -f "$times"
  return "$status"
}

# The counts of a ctest run from its JUnit file; a run that wrote none failed as a whole.
count_tests() {  # JUNIT_FILE
  local line tests failures skips
  line=$(head -c 4000 "$1" 2>/dev/null | tr '\n\t' '  ' | grep -m1 -o '<testsuite [^>]*>')
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$line")
  failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$line")
  skips=$(( $(sed -n 's/.* skipped="\([0-9]*\)".*/\1/p' <<<"$line") + $(sed -n 's/.* disabled="\([0-9]*\)".*/\1/p' <<<"$line") ))
  failed=$((failed + failures))
  skipped=$((skipped + skips))
  passed=$((passed + tests - failures - skips))
}

# ctest_run BUILD DISPLAY NAME CTEST_ARGUMENTS...: the tests of BUILD on DISPLAY, their output
# in BUILD/NAME.log and their results in BUILD/NAME.xml.
ctest_run() {
  local build=$1 display=$2 name=$3
  shift 3
  rm -f "$root/$build/$name.xml"
  DISPLAY=$display ctest --test-dir "$build" --output-on-failure -j "$jobs" \
    --output-junit "$root/$build/$name.xml" "$@" > "$build/$name.log" 2>&1
}

# start_display VARIABLE: a private Xvfb for one build's tests, its display in VARIABLE.
start_display() {
  local display pid
  read -r display pid < <(scripts/start_xvfb.sh) || { echo "could not start Xvfb"; return 1; }
  pids_to_end+=("$pid")
  printf -v "$1" '%s' "$display"
}

summary() {
  echo
  echo "== phases: time, processor time, result =="
  printf '%s\n' "${phases[@]}"
  local elapsed=$((SECONDS - begin))
  echo "test.sh took $((elapsed / 60)) min $((elapsed % 60)) s"
  [ "$skipped" -eq 0 ] || echo "$skipped tests skipped themselves (what they need is missing here)"
  echo "$passed passed, $failed failed"
}

finish() {
  summary
  [ "$failed" -eq 0 ]
  exit
}

phase "dependencies" scripts/install_deps.sh build || { failed=$((failed + 1)); finish; }

# The two builds side by side; the sanitizer build's output goes to build-asan.build.log.
echo "== normal build (gcc), and beside it the sanitizer build (clang) =="
mkdir -p build build-asan
timed build-asan/build.times scripts/build.sh build-asan --sanitizers -DORVELLE_WERROR=ON > build-asan.build.log 2>&1 &
asan_build=$!
pids_to_end+=("$asan_build")
status=0
timed build/build.times scripts/build.sh build -DORVELLE_WERROR=ON || status=$?
note "normal build (gcc)" build/build.times "$status"
[ "$status" -eq 0 ] || { failed=$((failed + 1)); finish; }

start_display display_normal || { failed=$((failed + 1)); finish; }
timed build/ctest.times ctest_run build "$display_normal" ctest -LE 'timing|long' &
normal_tests=$!
pids_to_end+=("$normal_tests")

asan_status=0
wait "$asan_build" || asan_status=$?
note "sanitizer build (clang), beside it" build-asan/build.times "$asan_status"
if [ "$asan_status" -ne 0 ]; then
  tail -n 60 build-asan.build.log
  failed=$((failed + 1))
else
  display_asan=
  start_display display_asan || failed=$((failed + 1))
  timed build-asan/ctest.times ctest_run build-asan "$display_asan" ctest -L 'unit|pixel|window|memory' -LE timing &
  asan_tests=$!
  pids_to_end+=("$asan_tests")
fi

status=0
wait "$normal_tests" || status=$?
note "normal build's tests" build/ctest.times "$status"
echo "== tests of the normal build =="
cat build/ctest.log
count_tests build/ctest.xml

if [ "$asan_status" -eq 0 ]; then
  status=0
  wait "$asan_tests" || status=$?
  note "sanitizer build's tests, beside them" build-asan/ctest.times "$status"
  echo "== tests of the sanitizer build =="
  cat build-asan/ctest.log
  count_tests build-asan/ctest.xml

  fuzz_log=build-asan/fuzz.log
  phase "fuzzers, ${FUZZ_SECONDS:-30} s, all at once" scripts/fuzz.sh "${FUZZ_SECONDS:-30}" > "$fuzz_log" 2>&1
  cat "$fuzz_log"
  fuzz_passed=$(grep -c '^fuzz_.*executions in' "$fuzz_log")
  fuzz_failed=$(grep -c '^fuzz_.*FAILED' "$fuzz_log")
  passed=$((passed + fuzz_passed))
  failed=$((failed + fuzz_failed))
  [ $((fuzz_passed + fuzz_failed)) -gt 0 ] || failed=$((failed + 1))
fi

# Last, with nothing else running: the tests that time the viewer. One that fails is run
# again, up to twice: a machine busy with something else for a moment fails it once, a fault
# every time.
phase "timing tests, alone" ctest_run build "$display_normal" ctest-timing -L timing --repeat until-pass:3
cat build/ctest-timing.log
count_tests build/ctest-timing.xml
finish
