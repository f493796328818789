#!/usr/bin/env bash
# Drives a built torvane3-uci with node-uci, a UCI client library from npm,
# and checks its moves with chess.js. Both are installed with npm into WORK (a
# build folder) the first time; node and npm come from Debian's packages when
# the machine has none.
# usage: run.sh ENGINE WORK
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# Absolute, since the book check runs the engine from a folder of its own.
engine=$(realpath "${1:?engine}")
work=$(realpath -m "${2:?work folder}")

source "$here/../../chessjs.sh"
chessjs_setup "$work" --also node-uci@1.3.4 "$here/nodeuci.mjs" "$here/package.json"
exec node "$work/nodeuci.mjs" "$engine"
