#!/usr/bin/env bash
# Messages in a real terminal: "Illegal Command" fills row 14 from column 49
# to column 80, the key that dismisses it is the first character of the next
# command line, and empty or blank-led lines are no command.
source "$(dirname "$0")/e2e_lib.sh"

message="Illegal Command: (Press any key)"
blank_row="$(printf '%80s' '')"

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "

for line in "j" "" " t5"; do
  type_text "$line"
  press Enter
  wait_row 14 49 "$message"
  [[ $(row 14 1) == "$(printf '%48s' '')$message" ]] ||
    fail "after '$line': row 14 is '$(row 14 1)'"
  expect_row 15 1 "$blank_row"
  # The key that dismisses the message is kept: "x" then "6" makes X6.
  type_text "x"
  wait_row 13 49 "Move: x "
  expect_row 14 1 "$blank_row"
  type_text "6"
  press Enter
  wait_row 11 6 "Fixed Depth = 6     "
  type_text "t60"
  press Enter
  wait_row 11 6 "Move Time = 60 secs    "
done

press q Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
