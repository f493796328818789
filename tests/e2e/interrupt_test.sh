#!/usr/bin/env bash
# Ctrl-C, and the end of a piped input while the screen is a real terminal,
# end the program cleanly: the terminal is back in line mode with echo.
source "$(dirname "$0")/e2e_lib.sh"

# Ctrl-C at the prompt: the conventional status of an interrupt, 128 + 2.
e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "
press C-c
expect_result "EXIT=130 ICANON=yes ECHO=yes"

# Ctrl-C in the middle of a command line.
e2e_start 80 25 "$TORVANE"
wait_row 13 49 "Move: "
type_text "t12"
wait_row 13 49 "Move: t12"
press C-c
expect_result "EXIT=130 ICANON=yes ECHO=yes"

# Keys from a pipe that stays open until the file "close" appears: the line is
# carried out, and the end of the input then ends the game with status 0.
e2e_start 80 25 "{ printf 't5\n'; until [ -e close ]; do sleep 0.1; done; } | $TORVANE"
wait_row 11 6 "Move Time = 5 secs    "
wait_row 13 49 "Move: "
[[ ! -e "$E2E_DIR/result" ]] || fail "the program ended before its input did"
touch "$E2E_DIR/close"
expect_result "EXIT=0 ICANON=yes ECHO=yes"
