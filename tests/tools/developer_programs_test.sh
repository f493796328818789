#!/usr/bin/env bash
# The developer programs: perft's listing and exit codes, and the dumps that
# perft --dump and bench --dump write.
set -euo pipefail
perft=$(realpath "$1")
bench=$(realpath "$2")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*" >&2; exit 1; }
start="rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1"

out=$("$perft" "$start" 2 --dump)
[[ $(sed -n 1p <<<"$out") == " 1 D2D4        20    " ]] || fail "first item: '$(sed -n 1p <<<"$out")'"
grep -qx "Total: 400" <<<"$out" || fail "no total of 400"
grep -qE '^Time: [0-9.]+ s, [0-9]+ leaves/s$' <<<"$out" || fail "no time line"
[[ $(sed -n 1p MoveList.txt) == "Ply=0" ]] || fail "MoveList.txt header"
[[ $(sed -n 2p MoveList.txt) == "1 A2A3  5" ]] || fail "first entry: '$(sed -n 2p MoveList.txt)'"
[[ $(sed -n 17p MoveList.txt) == "16 H2H4  0" ]] || fail "entry 16: '$(sed -n 17p MoveList.txt)'"
[[ $(wc -l <MoveList.txt) -eq 22 ]] || fail "MoveList.txt has $(wc -l <MoveList.txt) lines"
[[ $(tail -n 1 MoveList.txt) == "-----------------------------------" ]] || fail "no closing line"

# A capture is marked with x.
"$perft" "4k3/8/8/3p4/4P3/8/8/4K3 w - - 0 1" 1 --dump >/dev/null
grep -qE '^[0-9]+ E4xD5  [0-9-]+$' MoveList.txt || fail "no E4xD5 entry"

set +e
msg=$("$perft" "not a position" 3 2>&1 >/dev/null)
code=$?
set -e
[[ $code -eq 1 && $(wc -l <<<"$msg") -eq 1 ]] || fail "bad FEN: exit $code, '$msg'"
# Ten queens to be at most: an eleventh is refused, the tenth is promoted to.
set +e
msg=$("$perft" "4k3/P7/8/8/8/8/QQQQQQQQ/QQ2K3 w - - 0 1" 1 2>&1 >/dev/null)
code=$?
set -e
[[ $code -eq 1 && $msg == *"too many queens and pawns"* ]] || fail "eleven queens: exit $code, '$msg'"
# 24044 from chess.js 1.4.0, promotions to a queen only.
"$perft" "7k/P5pp/8/8/8/3K4/Q7/QQQQQQQQ w - - 0 1" 3 | grep -qx 'Total: 24044' || fail "ten queens"
set +e
"$perft" "$start" 2>/dev/null
code=$?
set -e
[[ $code -eq 2 ]] || fail "missing depth: exit $code"

rm -f MoveList.txt
"$bench" 4 --quiet --dump >bench.out
grep -qE '^Signature: [0-9]+$' bench.out || fail "no signature"
[[ -s History.txt ]] || fail "empty History.txt after searches"
if grep -vqE '^[WB](pawn|knight|bishop|rook|queen|king)->[0-9]+ {0,3}[0-9]+$' History.txt; then
  fail "History.txt line: '$(grep -vE '^[WB](pawn|knight|bishop|rook|queen|king)->' History.txt | head -1)'"
fi
[[ $(tail -n 1 MoveList.txt) == "-----------------------------------" ]] || fail "bench move list"
grep -qE '^1 [A-H][1-8]x?[A-H][1-8]  -32000$' MoveList.txt || fail "taken entries show -32000"

# A dump that cannot be written is reported, not a crash.
rm -f MoveList.txt && mkdir MoveList.txt
set +e
"$perft" "$start" 1 --dump >/dev/null 2>err.txt
code=$?
set -e
[[ $code -eq 1 ]] && grep -q "MoveList.txt" err.txt || fail "unwritable dump: exit $code"
echo "developer programs: ok"
