#!/usr/bin/env bash
# The computer in a real terminal: its first move as White from the weighted
# table without a search, mates found and played with the panel's mate rows,
# the one-second time limit, "p" stopping a long search, and command E.
source "$(dirname "$0")/e2e_lib.sh"

blank_row="$(printf '%80s' '')"
fen() { printf '%s\n' "$1" >"$E2E_DIR/game.fen"; }
command() {
  type_text "$1"
  press Enter
}
panel_row_is() { [[ $(row "$1" 49) == "$2"* ]]; }

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "

# P at the start: one of the eight first moves, no search, no panel.
command p
wait_row 14 49 "Move: "
first=$(row 14 55)
first=${first:0:4}
[[ " E2E4 D2D4 C2C4 G1F3 B2B3 F2F4 G2G3 E2E3 " == *" $first "* ]] ||
  fail "first move '$first' is not one of the table's"
wait_row 13 49 "Move: "
[[ $(row 2 49) == "$(printf '%32s' '')" ]] || fail "a search panel was drawn: '$(row 2 49)'"

# E: the evaluation breakdown, then back to the board after Enter.
command n
command e
wait_row 5 50 "Wp on 12=-20"
wait_row 18 50 "EndGame: FALSE"
expect_row 19 50 "Material: 0  Positional: 0"
press Enter
wait_row 2 1 "8 r  n  b  q  k  b  n  r"
expect_row 18 1 "$blank_row"

# Mate in one: found at the first iteration and played.
fen "6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1"
command r
command p
wait_row 11 49 "***** Check Mate *****"
wait_row 14 49 "Move: A1A8"
expect_row 10 49 "$(printf "Depth:%16d" 4)"
# The line ends at the mate: nothing stale after it.
expect_row 23 2 "PV:  A1A8$(printf '%70s' '')"

# A position in which the side to move could take the king is refused; the
# key that dismisses the message begins the next command.
fen "8/8/8/8/8/8/3R2kK/8 w -"
command r
wait_row 14 49 "Bad Board File: (Press any key)"

# Mate in two (three plies): the score row counts the plies to the mate.
fen "k7/8/2K5/8/8/8/8/7R w - - 0 1"
command r
command p
wait_row 11 49 "Mate in:"
expect_row 11 49 "$(printf "Mate in:%14d" 3)"
wait_row 13 49 "Move: "

# One second a move: the search stops once two whole seconds have passed.
fen "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 0 1"
command r
command t1
wait_row 11 6 "Move Time = 1 secs"
command p
wait_row 13 49 "I'm Thinking"
wait_row 13 49 "Move: "
used=$(row 9 49)
used=${used//[!0-9]/}
((used >= 2 && used <= 5)) || fail "time used $used seconds with one second a move"

# "p" stops a long search at once and the best move so far is played.
command r
command t60
command p
wait_row 13 49 "I'm Thinking"
wait_for "a panel update" panel_row_is 10 "Depth:"
type_text "p"
wait_row 13 49 "Move: "
used=$(row 9 49)
used=${used//[!0-9]/}
((used < 30)) || fail "the search ran $used seconds after p"
move=$(row 14 55)
[[ ${move:0:4} =~ ^[A-H][1-8][A-H][1-8]$ ]] || fail "no move after p: '$(row 14 49)'"

command q
expect_result "EXIT=0 ICANON=yes ECHO=yes"
