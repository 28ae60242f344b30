#!/usr/bin/env bash
# Installs what is missing, builds the normal and the sanitizer build, and runs every test
# in both, with a private Xvfb for the tests that need a display; then runs each fuzzer for
# FUZZ_SECONDS (30) in the sanitizer configuration built with clang (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")"

scripts/install_deps.sh build
scripts/build.sh build -DORVELLE_WERROR=ON
scripts/build.sh build-asan -DORVELLE_SANITIZE=ON -DORVELLE_WERROR=ON

read -r display xvfb_pid < <(scripts/start_xvfb.sh)
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=$display
export LIBGL_ALWAYS_SOFTWARE=1

status=0
echo "== tests: normal build =="
ctest --test-dir build --output-on-failure -j 2 || status=1
echo "== tests: sanitizer build =="
ctest --test-dir build-asan --output-on-failure -j 2 || status=1
echo "== fuzzing: each fuzzer for ${FUZZ_SECONDS:-30} s =="
scripts/fuzz.sh "${FUZZ_SECONDS:-30}" || status=1
exit $status
