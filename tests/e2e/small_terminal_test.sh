#!/usr/bin/env bash
# A terminal smaller than 80 x 25 gets one line on stderr naming the size
# needed and the size found, a non-zero status, and nothing drawn.
source "$(dirname "$0")/e2e_lib.sh"

for size in "79 25" "80 24" "40 10"; do
  read -r cols rows <<<"$size"
  e2e_start "$cols" "$rows" "$TORVANE 2>err"
  wait_result
  [[ $(result) =~ ^EXIT=([0-9]+)\  ]] || fail "no status in '$(result)'"
  ((BASH_REMATCH[1] != 0)) || fail "$cols x $rows: status 0"
  [[ $(wc -l <"$E2E_DIR/err") -eq 1 ]] || fail "$cols x $rows: stderr is '$(cat "$E2E_DIR/err")'"
  msg=$(cat "$E2E_DIR/err")
  [[ $msg == *"80 x 25"* && $msg == *"$cols x $rows"* ]] ||
    fail "$cols x $rows: the message '$msg' names the sizes"
  if screen | grep -qe "Move:" -e "Quit"; then fail "$cols x $rows: something was drawn"; fi
  [[ $(result) == *"ICANON=yes ECHO=yes" ]] || fail "$cols x $rows: terminal left as '$(result)'"
done
