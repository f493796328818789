#!/usr/bin/env bash
# torvane3-uci built with ThreadSanitizer (TORVANE_TSAN) searches on several
# threads through every kind of go: depth, nodes, movetime, the clock, mate,
# infinite and ponder with their stop and ponderhit, several lines, and a
# change of Threads between searches. Passes when every go has its bestmove
# and ThreadSanitizer reports nothing beyond the table's races, which
# tests/uci/tsan.supp names. An xboard session follows: moves, pondering and
# analysis on three threads.
# usage: tsan_test.sh ENGINE
set -euo pipefail
engine=${1:?usage: tsan_test.sh ENGINE}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# ThreadSanitizer's runtime cannot map its shadow memory under the address
# randomisation of newer kernels; setarch -R turns it off for this run.
export TSAN_OPTIONS="suppressions=$here/tsan.supp halt_on_error=0"
coproc ENGINE { setarch "$(uname -m)" -R "$engine" 2>"$work/stderr"; }
gos=0
bestmoves=0

send() { printf '%s\n' "$1" >&"${ENGINE[1]}"; }
# Reads the engine's lines until one starts with $1 (60 s at most).
wait_for() {
  local line
  while IFS= read -r -t 60 line <&"${ENGINE[0]}"; do
    [[ "$line" == bestmove* ]] && bestmoves=$((bestmoves + 1))
    [[ "$line" == "$1"* ]] && return 0
  done
  echo "tsan_test: no '$1' from the engine" >&2
  cat "$work/stderr" >&2
  exit 1
}
go() {
  gos=$((gos + 1))
  send "go $1"
  if [ -n "${2:-}" ]; then
    sleep "$2"
    send "${3:-stop}"
  fi
  wait_for bestmove
}

send uci
wait_for uciok
send "setoption name Hash value 16"
send "setoption name Threads value 3"
send isready
wait_for readyok
for fen in "startpos moves e2e4 e7e5 g1f3" \
  "fen r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N2N2/PP2BPPP/R2QKB1R w KQ - 0 9" \
  "fen 8/2P5/4k3/8/2K5/8/5p2/8 w - - 0 1" \
  "fen r5rk/5p1p/5R2/4B3/8/8/7P/7K w - - 0 1"; do
  send "position $fen"
  go "depth 6"
  go "nodes 20000"
  go "movetime 100"
  go "wtime 2000 btime 2000 winc 20 binc 20"
  go "mate 3 nodes 50000"
  go infinite 0.2
  go "ponder wtime 2000 btime 2000" 0.1 ponderhit
  send "setoption name MultiPV value 2"
  go "depth 5"
  send "setoption name MultiPV value 1"
  send ucinewgame
done
send "setoption name Threads value 2"
send "position startpos"
go "depth 6"
send quit
wait "$ENGINE_PID" || true

# The same engine over the xboard protocol: its own moves, pondering with a
# hit and a miss, and analysis, on three threads.
coproc ENGINE { setarch "$(uname -m)" -R "$engine" 2>>"$work/stderr"; }
moves=0
xb_wait() {
  while IFS= read -r -t 60 line <&"${ENGINE[0]}"; do
    [[ "$line" == "move "* ]] && moves=$((moves + 1)) && last=${line#move }
    [[ "$line" == "$1"* ]] && return 0
  done
  echo "tsan_test: no '$1' from the engine in xboard mode" >&2
  cat "$work/stderr" >&2
  exit 1
}
send xboard
send "protover 2"
send "memory 16"
send "cores 3"
send "ping 1"
xb_wait "pong 1"
send new
send "st 0.3"
send hard
send "usermove e2e4"
xb_wait "move "
# The expected reply, when the move had one (a book move may have none).
send hint
send "ping 5"
hint=d2d4
while IFS= read -r -t 60 line <&"${ENGINE[0]}"; do
  [[ "$line" == "Hint: "* ]] && hint=${line#Hint: }
  [[ "$line" == "pong 5" ]] && break
done
send "usermove $hint"
xb_wait "move "
send "usermove a2a3"
xb_wait "move "
send "usermove h2h3"
sleep 0.2
send force
send analyze
sleep 0.3
send "usermove b2b3"
sleep 0.3
send exit
send "ping 2"
xb_wait "pong 2"
send quit
wait "$ENGINE_PID" || true
echo "tsan_test: xboard: $moves moves"
[ "$moves" -ge 3 ] || { echo "tsan_test: xboard moves missing" >&2; exit 1; }

warnings=$(grep -c 'WARNING: ThreadSanitizer' "$work/stderr" || true)
echo "tsan_test: $gos go, $bestmoves bestmove, $warnings ThreadSanitizer warnings"
if [ "$warnings" -ne 0 ] || [ "$bestmoves" -ne "$gos" ]; then
  cat "$work/stderr" >&2
  exit 1
fi
