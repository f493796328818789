#!/usr/bin/env bash
# Plays scripted console games with the built torvane3 --pgn and checks with
# chess.js that every game written loads and ends where the game did. chess.js
# is installed with npm into WORK (a build folder) the first time; node and npm
# come from Debian's packages when the machine has none.
# usage: run.sh TORVANE3 WORK BOOK
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
game=$(realpath "${1:?torvane3}")
work=$(realpath -m "${2:?work folder}")
book=$(realpath "${3:?book.txt}")

source "$here/../../chessjs.sh"
chessjs_setup "$work" "$here/check.mjs" "$here/package.json"
exec node "$work/check.mjs" "$game" "$book"
