#!/usr/bin/env bash
# The play command: installs what the build needs when it is missing, builds
# the game (Release) and starts it in the repository folder, which holds
# book.txt. Arguments go to the game (--help, --version).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/toolchain.sh
torvane_setup

cmake -S . -B build/play -G Ninja -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF \
  -DTORVANE_BENCH=OFF >/dev/null
cmake --build build/play --target torvane3
exec ./build/play/torvane3 "$@"
