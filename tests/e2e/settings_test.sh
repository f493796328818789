#!/usr/bin/env bash
# T and X in a real terminal: each line and the status line it leads to. A
# bad argument is answered with "Illegal Command" and changes nothing.
source "$(dirname "$0")/e2e_lib.sh"

e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "

# line | status line from column 6 (its trailing blanks included)
cases=(
  "t5|Move Time = 5 secs    "
  "x6|Fixed Depth = 6     "
  "X255|Move Time = 65000 secs    "
  "x6|Fixed Depth = 6          " # no leftover of the longer text
  "T1000|Move Time = 100 secs    "
  "X1000|Fixed Depth = 100     "
  "t0|Move Time = 0 secs    "
)
for c in "${cases[@]}"; do
  line=${c%%|*} status=${c#*|}
  type_text "$line"
  press Enter
  wait_row 11 6 "$status"
  expect_row 14 49 "$(printf '%32s' '')"
done

type_text "t7"
press Enter
wait_row 11 6 "Move Time = 7 secs    "
for line in "t" "x" "tabc" "t-5" "x256" "x-1" "t5x"; do
  type_text "$line"
  press Enter
  wait_row 14 49 "Illegal Command: (Press any key)"
  expect_row 11 6 "Move Time = 7 secs    "
  # The key that dismisses the message starts the next line: D, no change.
  type_text "d"
  wait_row 13 49 "Move: d "
  expect_row 14 49 "$(printf '%32s' '')"
  press Enter
  wait_row 13 49 "Move: $(printf '%26s' '')"
  expect_row 11 6 "Move Time = 7 secs    "
done

press q Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
