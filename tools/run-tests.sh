#!/usr/bin/env bash
# Builds torvane3 twice and runs every test: the Release build runs all tests
# (the deep perft and the real-terminal ones included), the sanitizer build
# (AddressSanitizer + UndefinedBehaviorSanitizer) runs the unit tests.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
command -v tmux >/dev/null 2>&1 || need+=(tmux)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
[ -e /usr/include/gtest/gtest.h ] || need+=(libgtest-dev libgmock-dev)
[ -e /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing ${need[*]} ..."
  apt-get update -qq >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi

jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=ON \
  -DTORVANE_BENCH=ON >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTORVANE_SANITIZE=ON \
  -DTORVANE_TESTS=ON -DTORVANE_BENCH=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -LE 'slow|e2e'
