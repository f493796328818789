#!/usr/bin/env bash
# The start screen in a real 80 x 25 terminal: board, file letters, menu,
# status line, the prompt and where typing is echoed, and the square and
# piece colours as the terminal shows them.
source "$(dirname "$0")/e2e_lib.sh"

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "

expect_row 1 1 "$(printf '%80s' '')"
expect_row 2 1 "8 r  n  b  q  k  b  n  r     n: New Game"
expect_row 3 1 "7 p  p  p  p  p  p  p  p     b: TakeBack"
expect_row 4 1 "6                            p: Play    "
expect_row 8 1 "2 P  P  P  P  P  P  P  P     t: Move Time(tx)"
expect_row 9 1 "1 R  N  B  Q  K  B  N  R     x: Fixed Ply(xx)"
expect_row 10 1 "  a  b  c  d  e  f  g  h     q: Quit"
expect_row 11 1 "     Move Time = 60 secs    "
menu=("n: New Game" "b: TakeBack" "p: Play" "s: Setup" "w: Write game" "r: Read game"
  "t: Move Time(tx)" "x: Fixed Ply(xx)" "q: Quit")
for i in "${!menu[@]}"; do expect_row $((i + 2)) 30 "${menu[$i]}"; done
wait_row 13 49 "Move: $(printf '%26s' '')"
[[ $(cursor) == "55 13" ]] || fail "input starts at column 55 row 13, cursor at $(cursor)"

# ANSI codes: 30 black, 97 bright white; backgrounds 40 black, 42 green, 43 brown.
expect_colours 2 1 "97 40" "rank digit 8"
expect_colours 2 3 "30 42" "black rook on a8"
expect_colours 2 6 "30 43" "black knight on b8"
expect_colours 2 15 "30 42" "black king on e8"
expect_colours 2 24 "30 43" "black rook on h8"
expect_colours 9 3 "97 43" "white rook on a1"
expect_colours 9 15 "97 43" "white king on e1"
expect_colours 9 24 "97 42" "white rook on h1"
expect_colours 6 15 "30 42" "empty e4"
expect_colours 6 12 "30 43" "empty d4"

type_text "t5"
wait_row 13 49 "Move: t5 "
[[ $(cursor) == "57 13" ]] || fail "echo advances the cursor, cursor at $(cursor)"
press Enter
wait_row 11 6 "Move Time = 5 secs    "
wait_row 13 49 "Move: $(printf '%26s' '')"

press q Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
