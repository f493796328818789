#!/usr/bin/env bash
# A game by hand in a real terminal: illegal texts are refused, a move is made
# and drawn, the book answers, B takes back, W and R write and read game.fen,
# and the setup editor builds a position.
source "$(dirname "$0")/e2e_lib.sh"

blank_row="$(printf '%80s' '')"
# The piece letter of a square on the board window: file a..h, rank 1..8.
square() {
  local file=$1 rank=$2 f
  f=$(($(printf '%d' "'$file") - 97))
  local line
  line=$(row $((10 - rank)) 1)
  printf '%s' "${line:$((2 + f * 3)):1}"
}
square_is() { [[ $(square "$1" "$2") == "$3" ]]; }

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "

# E2E4: the pawn goes and the book answers for Black at once.
type_text "e2e4"
press Enter
wait_for "the pawn on e4" square_is e 4 P
square_is e 2 " " || fail "e2 is not empty after E2E4"
wait_row 14 49 "Move: "
wait_row 23 2 "Opening: E2E4 "
reply=$(row 14 55)
reply=${reply:0:4}
[[ $reply =~ ^[A-H][1-8][A-H][1-8]$ ]] || fail "no book reply on row 14: '$reply'"

# B takes the reply back; W writes the position after E2E4 with Black to move.
type_text "b"
press Enter
wait_for "the reply taken back" square_is e 7 p
type_text "w"
press Enter
wait_for "game.fen" test -s "$E2E_DIR/game.fen"
[[ $(cat "$E2E_DIR/game.fen") == "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq" ]] ||
  fail "game.fen holds '$(cat "$E2E_DIR/game.fen")'"

# Texts that are no legal move here are refused and change nothing.
for text in "e4e6" "d2d4x" "d2d4 " "e2e4"; do
  type_text "$text"
  press Enter
  wait_row 14 49 "Illegal Move: (Press any key)"
  # The dismissing key starts the next line: a backspace leaves it empty.
  press BSpace
  wait_row 14 1 "$blank_row"
  square_is d 2 P || fail "'$text' changed the board"
done

# R reads a full six-field line.
printf '%s\n' "4k3/8/8/8/8/8/3Q4/4K3 w - - 0 1" >"$E2E_DIR/game.fen"
type_text "r"
press Enter
wait_for "the queen on d2" square_is d 2 Q
square_is e 7 " " || fail "the old position is still drawn"

# The setup editor: clear, two kings and a pawn.
type_text "s"
press Enter
wait_row 12 31 "Command:"
wait_row 15 1 " c:    clear board       "
for entry in c wke1 bke8 wpe2; do
  type_text "$entry"
  press Enter
  wait_row 12 31 "Command:                    "
done
wait_for "the pawn on e2" square_is e 2 P
type_text "q"
press Enter
wait_row 13 49 "Move: "
expect_row 15 1 "$blank_row"
square_is e 1 K || fail "no white king on e1"
square_is e 8 k || fail "no black king on e8"
square_is d 2 " " || fail "the queen survived the clear"
# The human is to move: a king move is accepted and the computer, out of the
# book, searches its reply (one second a move here).
type_text "t1"
press Enter
wait_row 11 6 "Move Time = 1 secs"
type_text "e1d1"
press Enter
wait_for "the king on d1" square_is d 1 K
wait_row 14 49 "Move: E8"
wait_row 13 49 "Move: "

type_text "q"
press Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
