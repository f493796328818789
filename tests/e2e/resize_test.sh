#!/usr/bin/env bash
# A change of terminal size redraws the whole screen at the top left as it
# stood; while the terminal is smaller than 80 x 25 one line asks for more
# room. The same holds during a search, whose poll of the keyboard redraws.
source "$(dirname "$0")/e2e_lib.sh"

resize() { tm resize-window -t main -x "$1" -y "$2"; }
blank_row="$(printf '%80s' '')"
# The whole pane, each row padded to its width: an exact picture to compare.
picture() { screen | awk -v w="$1" '{ printf "%-" w "s|\n", $0 }'; }
pane_is() { [[ $(tm display -p -t main '#{pane_width}x#{pane_height}') == "$1" ]]; }
small_line_is() { [[ $(screen | sed -n 1p) == "$1" ]]; }

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "
type_text "e2e4"
press Enter
wait_row 23 2 "Opening: E2E4 "
wait_row 13 49 "Move: "
# A half-typed line and the cursor after it are part of the picture too.
type_text "t7"
wait_row 13 49 "Move: t7"
before=$(picture 80)
cursor_before=$(cursor)

for size in "60 20" "80 24" "79 25"; do
  read -r cols rows <<<"$size"
  resize "$cols" "$rows"
  wait_for "a ${cols}x${rows} pane" pane_is "${cols}x${rows}"
  want="Terminal needs 80 x 25 (now $cols x $rows)"
  wait_for "the line '$want'" small_line_is "$want"
  [[ $(screen | sed -n '2,$p' | tr -d ' \n') == "" ]] || fail "${cols}x${rows}: more than one line shown"
done

resize 80 25
# White's first rank: the book's reply may have moved a piece of black's.
wait_for "the board again" row_is 9 1 "1 R  N  B  Q  K  B  N  R"
wait_row 13 49 "Move: t7"
[[ $(picture 80) == "$before" ]] || fail "80 x 25 again: the screen differs: $(diff <(echo "$before") <(picture 80))"
[[ $(cursor) == "$cursor_before" ]] || fail "cursor at $(cursor), was $cursor_before"

# Larger: the same picture at the top left, blank beyond it.
resize 100 30
wait_for "a 100x30 pane" pane_is "100x30"
wait_for "the board at the top left" row_is 9 1 "1 R  N  B  Q  K  B  N  R"
wait_row 13 49 "Move: t7"
[[ $(picture 100 | sed -n '1,25p' | cut -c1-80) == "$(echo "$before" | cut -c1-80)" ]] ||
  fail "100 x 30: the 80 x 25 area differs"
[[ $(picture 100 | sed -n '1,25p' | cut -c81-100 | tr -d ' |\n') == "" ]] || fail "debris right of column 80"
[[ $(picture 100 | sed -n '26,30p' | tr -d ' |\n') == "" ]] || fail "debris below row 25"

# The line typed before goes on: 7 seconds a move.
resize 80 25
wait_row 13 49 "Move: t7"
press Enter
wait_row 11 6 "Move Time = 7 secs"

# During a search: the redraw comes while the computer still thinks.
printf '%s\n' "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 0 1" >"$E2E_DIR/game.fen"
type_text "r"
press Enter
wait_row 5 1 "5       b     p"
type_text "p"
press Enter
wait_row 13 49 "I'm Thinking"
resize 50 15
wait_for "the line asking for room" small_line_is "Terminal needs 80 x 25 (now 50 x 15)"
resize 80 25
wait_for "the board during the search" row_is 10 1 "  a  b  c  d  e  f  g  h"
expect_row 13 49 "I'm Thinking"
expect_row 11 6 "Move Time = 7 secs"
expect_row 2 30 "n: New Game"
expect_row 5 1 "5       b     p"
type_text "p"
wait_row 13 49 "Move: "
expect_row 25 1 "$blank_row"

type_text "q"
press Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
