#!/usr/bin/env bash
# The test command: installs what the build and the tests need when it is
# missing, then builds torvane3 twice and runs every test. The Release build
# runs all of them (the deep perft counts, the real-terminal and the install
# tests and the source checks included) and treats shadowing and narrowing
# conversions in the product code as errors; the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer) runs the unit tests, without
# the deep perft counts, which take minutes without optimisation, and without
# the source checks, which the Release run made already. Between the two, a
# ThreadSanitizer build of torvane3-uci searches on several threads
# (tests/uci/tsan_test.sh), and the fuzz targets (fuzz/), built with clang,
# run a few seconds each from their seed corpora (tools/fuzz.sh). A failure
# of any of these still lets the sanitizer build run; the command then fails
# at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/toolchain.sh
torvane_setup --tests

jobs=$(nproc 2>/dev/null || echo 2)

echo "== Release build: every test"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=ON \
  -DTORVANE_MICROBENCH=ON -DTORVANE_STRICT_WARNINGS=ON >/dev/null
cmake --build build/release -j "$jobs"
# A failure here still lets the sanitizer build run; the command fails at the end.
release=0
ctest --test-dir build/release --output-on-failure -j "$jobs" || release=$?

echo "== ThreadSanitizer build: torvane3-uci on several threads"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVANE_TSAN=ON \
  -DTORVANE_LTO=OFF -DTORVANE_HARDENING=OFF -DTORVANE_TESTS=OFF -DTORVANE_MICROBENCH=OFF >/dev/null
cmake --build build/tsan -j "$jobs" --target torvane3-uci
bash tests/uci/tsan_test.sh build/tsan/torvane3-uci || release=$?

# Fresh corpora and a fixed seed, so that each run fuzzes the same inputs first.
bash tools/fuzz.sh --fresh --seconds 5 --jobs "$jobs" || release=$?

echo "== Sanitizer build: the unit tests (the deep perft counts ran in the Release build)"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTORVANE_SANITIZE=ON \
  -DTORVANE_TESTS=ON -DTORVANE_MICROBENCH=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -LE 'slow|e2e|lint'
if ((release != 0)); then
  echo "== The Release build's tests, the ThreadSanitizer run or the fuzz targets failed (above)" >&2
  exit "$release"
fi
