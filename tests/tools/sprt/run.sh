#!/usr/bin/env bash
# The match runner, tools/sprt.sh: its arithmetic against values worked out
# by hand, then three short matches checked by check.mjs with chess.js:
# torvane3-uci against itself (4 games, 2 at once), against a fake engine that
# commits a fault a game (an illegal move, an end, a silence, a late answer),
# against the fake's first-legal-move play, which the SPRT must stop, and
# from set positions (--fens), the real engine on the move in each.
# usage: run.sh ENGINE WORK
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
engine=${1:?engine}
mkdir -p "${2:?work folder}"
work=$(cd "$2" && pwd)

source "$root/tests/chessjs.sh"
chessjs_setup "$work" "$here/check.mjs" "$here/fake-engine.mjs" "$root/tools/sprt/lib.mjs" "$root/tools/sprt/package.json"
export SPRT_NODE_DIR=$work
rm -rf "$work/self" "$work/faults" "$work/stop" "$work/fens"

node "$work/check.mjs" math

"$root/tools/sprt.sh" "$engine" "$engine" --a-name new --b-name ref --nodes 2000 --fixed 4 \
  --concurrency 2 --uci-log --out "$work/self" >"$work/self.out"
node "$work/check.mjs" games "$work/self" "$root/book.txt" 4

"$root/tools/sprt.sh" "$engine" "$work/fake-engine.mjs" --a-name new --b-name fake --b-option Mode=faults \
  --tc 1+0 --hang 1 --concurrency 1 --fixed 4 --out "$work/faults" >"$work/faults.out" 2>&1
node "$work/check.mjs" faults "$work/faults"

"$root/tools/sprt.sh" "$engine" "$work/fake-engine.mjs" --a-name new --b-name fake --nodes 1000 \
  --games 40 --out "$work/stop" >"$work/stop.out"
node "$work/check.mjs" stop "$work/stop" 40

printf '%s\n' '# a queen each way' '8/8/8/4k3/8/8/8/KQ6 w - - 0 1' '6k1/8/8/8/3K4/8/8/7q b - - 0 1' >"$work/won.fen"
"$root/tools/sprt.sh" "$engine" "$work/fake-engine.mjs" --a-name new --b-name fake --nodes 2000 \
  --fens "$work/won.fen" --fixed 2 --concurrency 1 --out "$work/fens" >"$work/fens.out"
node "$work/check.mjs" fens "$work/fens" "$work/won.fen"
