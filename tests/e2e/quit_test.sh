#!/usr/bin/env bash
# Q and QUIT end the program with status 0 and leave the terminal as it was:
# line mode and echo back on, checked with stty -a in the same pane.
source "$(dirname "$0")/e2e_lib.sh"

screen_shows() { screen | grep -qF -- "$1"; }

for line in "q" "QUIT"; do
  e2e_start 80 25 "$TORVANE"
  wait_row 13 49 "Move: "
  type_text "$line"
  press Enter
  expect_result "EXIT=0 ICANON=yes ECHO=yes"
  wait_for "the status printed in the pane" screen_shows "EXIT=0 ICANON=yes ECHO=yes"
done
