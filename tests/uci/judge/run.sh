#!/usr/bin/env bash
# Runs the UCI judge against a built torvane3-uci. chess.js is installed with
# npm into WORK (a build folder) the first time; node and npm come from
# Debian's packages when the machine has none.
# usage: run.sh ENGINE WORK [judge arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
engine=${1:?engine}
work=${2:?work folder}
shift 2

source "$here/../../chessjs.sh"
chessjs_setup "$work" "$here/judge.mjs" "$here/package.json"
exec node "$work/judge.mjs" "$engine" "$@"
