#!/usr/bin/env bash
# The play command: installs what the build needs when it is missing, builds
# the game (Release) and starts it in the repository folder, which holds
# book.txt. Arguments go to the game (--help, --version).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/toolchain.sh
torvane_setup

# Profile-guided: a training build runs bench once, and the game is then
# compiled with its counts (a search takes 5 to 10 % less time). Should
# that fail, the game is built as before.
configure() {
  cmake -S . -B build/play -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTORVANE_TESTS=OFF -DTORVANE_MICROBENCH=OFF -DTORVANE_PGO="$1" >/dev/null
}
if ! { configure ON && cmake --build build/play --target torvane3; }; then
  echo "torvane3: the profile-guided build failed (above); building without it" >&2
  configure OFF
  cmake --build build/play --target torvane3
fi
exec ./build/play/torvane3 "$@"
