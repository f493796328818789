#!/usr/bin/env bash
# Plays engine A (a new build) against engine B (the reference) over UCI until
# an SPRT decides, with chess.js as the referee: tools/sprt/sprt.mjs does the
# work. node and npm come from Debian's packages when the machine has none,
# and chess.js is installed with npm into build/sprt-node (or $SPRT_NODE_DIR)
# the first time.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  cat <<EOF
usage: tools/sprt.sh ENGINE_A ENGINE_B [options]

Plays ENGINE_A (the new build) against ENGINE_B (the reference), any two UCI
engines, and stops when an SPRT accepts H0 (Elo <= elo0) or H1 (Elo >= elo1),
or after --games. Each opening is played twice, colours swapped, and the match
stops only at the end of such a pair. chess.js judges every move (an illegal
one loses) and every game's end (mate, stalemate, insufficient material,
threefold repetition, the fifty-move rule).

  --tc BASE+INC      clock in seconds (default 5+0.05); the runner times each
                     move from go to bestmove
  --margin MS        a flag falls only this far below zero (default 100)
  --nodes N          go nodes N instead of a clock
  --hang S           an engine that has not answered S seconds past its clock
                     (a minute past, under --nodes) loses and is restarted
                     (default 10); so does one that ends
  --concurrency N    games at once (default 2)
  --threads N        Threads for each engine (default 1)
  --hash MIB         Hash for each engine (default 16); OwnBook is set to
                     false for an engine that lists it
  --a-option NAME=VALUE, --b-option NAME=VALUE
                     a setoption for A or B, after those above (repeatable)
  --a-name NAME, --b-name NAME
                     names in the PGN (default: the engines' id name)
  --book FILE        the openings' source, in the format of book.txt (default
                     book.txt at the repo root)
  --plies N          plies of each opening (default 8)
  --fens FILE        instead of openings, positions (one FEN a line, # for a
                     comment), each played once with engine A on the move:
                     won endings that A must win against B, say
  --seed N           seed of the openings' shuffle (default 1)
  --elo0 E0 --elo1 E1  the SPRT's hypotheses (default 0 and 5); alpha and
                     beta are 0.05
  --games N          at most N games (default 20000)
  --fixed N          exactly N games, no early stop
  --draw-after N     adjudicate a draw once a game reaches move N (default off)
  --out DIR          games.pgn, summary.txt and logs/ (default
                     build/sprt/DATE-TIME)
  --uci-log          logs/ROLE-SLOT.log keeps every UCI line both ways (by
                     default only the lines near a fault, and no info lines)

After each pair it prints the games, W-D-L from A's side, the score, the Elo
difference with its 95 % interval and the LLR with its bounds (-2.94, 2.94).
EOF
}

for a in "$@"; do
  if [[ $a == -h || $a == --help ]]; then
    usage
    exit 0
  fi
done
if (($# < 2)); then
  usage >&2
  exit 2
fi

work=${SPRT_NODE_DIR:-$ROOT/build/sprt-node}
mkdir -p "$work"
work=$(cd "$work" && pwd) # chessjs_setup writes its log from inside the folder
source "$ROOT/tests/chessjs.sh"
chessjs_setup "$work" "$ROOT/tools/sprt/sprt.mjs" "$ROOT/tools/sprt/lib.mjs" "$ROOT/tools/sprt/package.json"

# The defaults go first: a --book or --out given after them wins.
exec node "$work/sprt.mjs" --book "$ROOT/book.txt" --out "$ROOT/build/sprt/$(date +%Y%m%d-%H%M%S)" "$@"
