#!/usr/bin/env bash
# Line coverage of the readers reached by the fuzzers' corpora (build-asan/corpus, grown by
# scripts/fuzz.sh, in build-asan), their seeds and the samples: builds the fuzzers with clang's source coverage
# in build-fuzz-cov, replays every input once and prints llvm-cov's report for io/ and the
# normalisation. Usage: scripts/fuzz_coverage.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install_deps.sh build clang-14 libclang-rt-14-dev llvm-14
cmake -S . -B build-fuzz-cov -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 -DORVELLE_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=-fprofile-instr-generate -fcoverage-mapping" \
  "-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate" > build-fuzz-cov.configure.log 2>&1 \
  || { cat build-fuzz-cov.configure.log; exit 1; }
cmake --build build-fuzz-cov --target fuzz_targets -j "$(nproc)" > /dev/null
rm -rf build-fuzz-cov/profiles
mkdir -p build-fuzz-cov/profiles
binaries=()
for name in data_reader color_reader maple_reader columns_reader matrix_reader detected_load number_scan; do
  bin=build-fuzz-cov/tests/fuzz/fuzz_$name
  corpora=("tests/fuzz/seeds/$name" samples)
  [ -d "build-asan/corpus/$name" ] && corpora=("build-asan/corpus/$name" "${corpora[@]}")
  [ -d "tests/fuzz/regressions/$name" ] && corpora+=("tests/fuzz/regressions/$name")
  LLVM_PROFILE_FILE="build-fuzz-cov/profiles/$name.profraw" "$bin" -runs=0 "${corpora[@]}" > /dev/null 2>&1
  binaries+=("$bin")
done
llvm-profdata-14 merge -sparse build-fuzz-cov/profiles/*.profraw -o build-fuzz-cov/fuzz.profdata
objects=()
for bin in "${binaries[@]:1}"; do
  objects+=(-object "$bin")
done
llvm-cov-14 report "${binaries[0]}" "${objects[@]}" -instr-profile=build-fuzz-cov/fuzz.profdata \
  io/*.cpp io/number_scan.h core/data_set.cpp
