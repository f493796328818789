#!/usr/bin/env bash
# torvane3 --pgn in a real terminal: a few moves and Q leave one game in the
# file; a file that cannot be written is said on the board, and the game is
# played all the same.
source "$(dirname "$0")/e2e_lib.sh"

screen_shows() { screen | grep -qF -- "$1"; }

# The option in the usage, and its misuses: status 2, the usage on stderr.
"$E2E_BIN" --help | grep -qF -- "--pgn FILE append every game to FILE as PGN" ||
  fail "--help does not describe --pgn"
for args in "--pgn" "--pgn|" "--pgn|a.pgn|b.pgn" "x|--pgn|a.pgn"; do
  IFS='|' read -r -a argv <<<"$args"
  [[ $args == "--pgn|" ]] && argv=(--pgn "")
  set +e
  "$E2E_BIN" "${argv[@]}" >"$E2E_DIR/out" 2>"$E2E_DIR/err" </dev/null
  got=$?
  set -e
  [[ $got == 2 ]] || fail "${argv[*]@Q}: status $got"
  grep -q "^Usage: torvane3 " "$E2E_DIR/err" || fail "${argv[*]@Q}: no usage on stderr"
  [[ ! -s $E2E_DIR/out && ! -e $E2E_DIR/a.pgn ]] || fail "${argv[*]@Q}: it ran"
done

e2e_start 80 25 "$TORVANE --pgn games.pgn"
wait_row 13 49 "Move: "
type_text "x2"
press Enter
wait_for "the fixed depth" screen_shows "Fixed Depth = 2"
# E2E4, the book's answer, G1F3 and the computer's answer.
for move in e2e4 g1f3; do
  type_text "$move"
  press Enter
  wait_for "the answer to $move" row_is 14 49 "Move: "
  wait_row 13 49 "Move: "
  sleep 0.2
done
[[ ! -s $E2E_DIR/games.pgn ]] || fail "a game in play was written"
type_text "q"
press Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
pgn=$E2E_DIR/games.pgn
grep -qxF '[Event "Casual game"]' "$pgn" || fail "no Event tag: $(cat "$pgn")"
grep -qE '^\[White "[A-Za-z0-9._ -]+"\]$' "$pgn" || fail "no White tag naming the human: $(cat "$pgn")"
grep -qxF '[Black "torvane3"]' "$pgn" || fail "no Black tag: $(cat "$pgn")"
grep -qxF '[Result "*"]' "$pgn" || fail "no Result tag: $(cat "$pgn")"
grep -qxF '[PlyCount "4"]' "$pgn" || fail "not four half-moves: $(cat "$pgn")"
grep -qE '^1\. e4 [a-hNBRQKO][a-h1-8x=+#O-]* 2\. Nf3 [a-hNBRQKO][a-h1-8x=+#O-]* \*$' "$pgn" ||
  fail "the moves: $(cat "$pgn")"
[[ $(grep -c '^\[Event ' "$pgn") == 1 ]] || fail "not one game: $(cat "$pgn")"

# A folder in place of the file: one message, and the game goes on unrecorded.
mkdir "$E2E_DIR/folder.pgn"
e2e_start 80 25 "$TORVANE --pgn folder.pgn"
wait_for "the message" screen_shows "Games Not Saved: Is a directory: (Press any key)"
type_text "e2e4"
press Enter
wait_for "the book's answer" row_is 14 49 "Move: "
type_text "q"
press Enter
expect_result "EXIT=0 ICANON=yes ECHO=yes"
! screen_shows "could not be added" || fail "a second message at the end"
[[ -d $E2E_DIR/folder.pgn && -z $(ls -A "$E2E_DIR/folder.pgn") ]] || fail "the folder was changed"

# Ended by a signal (Ctrl-C, kill, a closed window): the game in progress is
# written before the program ends, unfinished, and the terminal is restored.
for sig in INT TERM HUP; do
  file=sig-$sig.pgn
  e2e_start 80 25 "echo \$\$ >pid; exec $TORVANE --pgn $file"
  wait_row 13 49 "Move: "
  type_text "e2e4"
  press Enter
  wait_for "the book's answer" row_is 14 49 "Move: "
  wait_row 13 49 "Move: "
  if [[ $sig == INT ]]; then press C-c; else kill -"$sig" "$(cat "$E2E_DIR/pid")"; fi
  code=$((128 + $(kill -l "$sig")))
  expect_result "EXIT=$code ICANON=yes ECHO=yes"
  pgn=$E2E_DIR/$file
  grep -qxF '[Result "*"]' "$pgn" || fail "SIG$sig: no unfinished game: $(cat "$pgn" 2>&1)"
  grep -qE '^1\. e4 [a-hNBRQKO][a-h1-8x=+#O-]* \*$' "$pgn" || fail "SIG$sig: the moves: $(cat "$pgn")"
done

# A game that could not be saved at the end (its folder went away): said on
# stderr, and the exit status says so too.
mkdir "$E2E_DIR/gone"
e2e_start 80 25 "$TORVANE --pgn gone/late.pgn 2>err"
wait_row 13 49 "Move: "
type_text "e2e4"
press Enter
wait_for "the book's answer" row_is 14 49 "Move: "
wait_row 13 49 "Move: "
rm -rf "$E2E_DIR/gone"
type_text "q"
press Enter
expect_result "EXIT=1 ICANON=yes ECHO=yes"
grep -q "could not be added to gone/late.pgn" "$E2E_DIR/err" || fail "nothing on stderr: $(cat "$E2E_DIR/err")"
