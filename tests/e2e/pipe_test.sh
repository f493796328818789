#!/usr/bin/env bash
# Commands from a pipe: the game reads them line by line and ends with status
# 0 on Q or at the end of the input; the screen is still a real terminal.
source "$(dirname "$0")/e2e_lib.sh"

screen_shows() { screen | grep -qF -- "$1"; }

e2e_start 80 25 "printf 'x6\nq\n' | $TORVANE"
expect_result "EXIT=0 ICANON=yes ECHO=yes"
screen_shows "Fixed Depth = 6" || fail "x6 was not carried out"

e2e_start 80 25 "printf 'x6\n' | $TORVANE"
expect_result "EXIT=0 ICANON=yes ECHO=yes"
screen_shows "Fixed Depth = 6" || fail "x6 was not carried out"

# Neither end a terminal: both ends pipes, as a script would run it. The
# output is still the screen's control sequences; without them the texts read
# as drawn.
shown() { sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' out.txt | grep -qF -- "$1"; }
cd "$E2E_DIR"
printf 'x6\nq\n' | "$E2E_BIN" >out.txt 2>err.txt || fail "status $? with pipes at both ends"
[[ ! -s err.txt ]] || fail "stderr: $(cat err.txt)"
shown "Fixed Depth = 6" || fail "x6 was not shown on the output"
printf 'j\n' | "$E2E_BIN" >out.txt 2>err.txt || fail "status $? when the input ends after a message"
shown "Illegal Command: (Press any key)" || fail "the message was not shown"
