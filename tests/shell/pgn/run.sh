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

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nodejs npm >"$work.apt.log" 2>&1 ||
    { echo "run.sh: apt-get could not install nodejs and npm:" >&2; cat "$work.apt.log" >&2; exit 1; }
fi
mkdir -p "$work"
cp "$here/check.mjs" "$here/package.json" "$work/"
if ! grep -qs '"version": "1.4.0"' "$work/node_modules/chess.js/package.json"; then
  if ! (cd "$work" && npm install --no-audit --no-fund chess.js@1.4.0 >"$work/npm.log" 2>&1); then
    echo "run.sh: npm could not install chess.js 1.4.0:" >&2
    cat "$work/npm.log" >&2
    exit 1
  fi
fi
exec node "$work/check.mjs" "$game" "$book"
