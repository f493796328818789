#!/usr/bin/env bash
# A command line of 10,000 characters keeps its first 10, shows only those,
# leaves every other row of the screen as it was, and the next line is read
# as a line of its own.
source "$(dirname "$0")/e2e_lib.sh"

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "
before=$(screen)

# "t12" and 9,997 fours: the line keeps "t124444444", and T reads "T124".
type_text "t12"
chunk=$(printf '4%.0s' $(seq 1 997))
type_text "$chunk"
chunk=$(printf '4%.0s' $(seq 1 1000))
for _ in $(seq 1 9); do type_text "$chunk"; done

wait_row 13 49 "Move: t124444444$(printf '%16s' '')"
same_but_row13() {
  diff <(sed 13d <<<"$before") <(screen | sed 13d) >/dev/null
}
same_but_row13 || fail "a row other than 13 changed while the line was typed"
[[ $(cursor) == "65 13" ]] || fail "cursor at $(cursor) after ten characters"

press Enter
wait_row 11 6 "Move Time = 124 secs    "
wait_row 13 49 "Move: $(printf '%26s' '')"
diff <(sed -e 11d -e 13d <<<"$before") <(screen | sed -e 11d -e 13d) >/dev/null ||
  fail "the layout changed after the long line"
expect_row 14 1 "$(printf '%80s' '')"

type_text "x6"
press Enter
wait_row 11 6 "Fixed Depth = 6     "
press q Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
