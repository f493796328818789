# Shared by the real-terminal tests: each test sources this file, calls
# e2e_start to run torvane3 in a private tmux server at a given size, then
# types keys and waits for the screen to show what it expects.
#
# The program runs under a small runner that, once it ends, records its exit
# status and whether the terminal is back in line mode with echo, both in the
# pane and in the file "result" of the test's directory.

set -euo pipefail

E2E_BIN=$(realpath "$1")
E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_ROOT=$(cd "$E2E_HERE/../.." && pwd)
E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/torvane3-e2e.XXXXXX")
E2E_TIMEOUT=${E2E_TIMEOUT:-30}
# Every start gets a server of its own: a server just told to exit can still
# hold its socket, and a client reaching it then fails.
E2E_SOCKS=()
E2E_SOCK=""

e2e_cleanup() {
  local s
  for s in "${E2E_SOCKS[@]}"; do
    TMUX_TMPDIR="$E2E_DIR" tmux -L "$s" kill-server >/dev/null 2>&1 || true
  done
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

cp "$E2E_ROOT/book.txt" "$E2E_DIR/"

cat >"$E2E_DIR/runner.sh" <<'EOF'
#!/usr/bin/env bash
# Runs the command line given, then reports how the program left the terminal.
"$@"
status=$?
modes=$(stty -a 2>/dev/null | tr ' ;' '\n\n')
icanon=no; echo_=no
grep -qx icanon <<<"$modes" && icanon=yes
grep -qx echo <<<"$modes" && echo_=yes
report="EXIT=$status ICANON=$icanon ECHO=$echo_"
printf '\n%s\n' "$report"
printf '%s\n' "$report" >result.tmp && mv result.tmp result
exec sleep 3600
EOF
chmod +x "$E2E_DIR/runner.sh"

# The servers' sockets live in the test's directory, so nothing is left behind.
tm() { TMUX_TMPDIR="$E2E_DIR" tmux -L "$E2E_SOCK" -f /dev/null "$@"; }

fail() {
  echo "FAIL: $*" >&2
  if tm has-session -t main 2>/dev/null; then
    echo "--- screen ---" >&2
    tm capture-pane -p -N -t main >&2 || true
  fi
  exit 1
}

# e2e_start COLS ROWS SHELL-COMMAND: starts the command (run from the test's
# directory, under the runner) in a fresh pane of the given size.
e2e_start() {
  local cols=$1 rows=$2 cmd=$3
  rm -f "$E2E_DIR/result"
  [[ -z $E2E_SOCK ]] || tm kill-server >/dev/null 2>&1 || true
  E2E_SOCK="torvane3-e2e-$$-${#E2E_SOCKS[@]}"
  E2E_SOCKS+=("$E2E_SOCK")
  tm new-session -d -s main -x "$cols" -y "$rows" -c "$E2E_DIR" \
    "./runner.sh bash -c $(printf '%q' "$cmd")"
  local size
  size=$(tm display -p -t main '#{pane_width}x#{pane_height}')
  [[ $size == "${cols}x${rows}" ]] || fail "pane is $size, wanted ${cols}x${rows}"
}

# The program itself, as the tests start it.
TORVANE=$(printf '%q' "$E2E_BIN")

screen() { tm capture-pane -p -N -t main; }

# Row Y (1-based) padded to 80 columns; with X, from column X on.
row() {
  local y=$1 x=${2:-1} line
  line=$(screen | sed -n "${y}p")
  line=$(printf '%-80s' "$line")
  printf '%s' "${line:x-1}"
}

# wait_for DESCRIPTION COMMAND...: polls until the command succeeds.
wait_for() {
  local what=$1
  shift
  local end=$((SECONDS + E2E_TIMEOUT))
  until "$@"; do
    ((SECONDS < end)) || fail "timed out waiting for: $what"
    sleep 0.1
  done
}

# row_is Y X TEXT: row Y from column X starts with TEXT.
row_is() {
  local got
  got=$(row "$1" "$2")
  [[ ${got:0:${#3}} == "$3" ]]
}

wait_row() { wait_for "row $1 column $2 to read '$3'" row_is "$1" "$2" "$3"; }

expect_row() {
  row_is "$1" "$2" "$3" || fail "row $1 column $2: wanted '$3', got '$(row "$1" "$2")'"
}

# The result line of the runner once the program has ended.
result() { cat "$E2E_DIR/result"; }
wait_result() { wait_for "the program to end" test -s "$E2E_DIR/result"; }

expect_result() {
  wait_result
  [[ $(result) == "$1" ]] || fail "wanted '$1', got '$(result)'"
}

# Types text literally; Enter separately with press.
type_text() { tm send-keys -t main -l -- "$1"; }
press() { tm send-keys -t main "$@"; }

# Cursor position, 1-based "X Y".
cursor() { tm display -p -t main '#{e|+:#{cursor_x},1} #{e|+:#{cursor_y},1}'; }

# cell_colours Y X: "FG BG" of the cell as the ANSI codes of its foreground and
# background (30..37 / 90..97 and 40..47; 39 / 49 the default), read from the
# pane with attributes. tmux only sends changes, also across line ends, so the
# colour state is followed from the first row down.
cell_colours() {
  tm capture-pane -p -e -N -t main | awk -v wantrow="$1" -v want="$2" '
    BEGIN { fg = 39; bg = 49 }
    {
      s = $0
      col = 0
      while (length(s) > 0) {
        if (match(s, /^\033\[[0-9;]*m/)) {
          n = split(substr(s, 3, RLENGTH - 3), p, ";")
          if (n == 0) { n = 1; p[1] = 0 }
          for (i = 1; i <= n; i++) {
            c = p[i] + 0
            if (c == 0) { fg = 39; bg = 49 }
            else if ((c >= 30 && c <= 37) || (c >= 90 && c <= 97) || c == 39) fg = c
            else if ((c >= 40 && c <= 47) || c == 49) bg = c
            else if (c == 38 || c == 48) i += 2
          }
          s = substr(s, RLENGTH + 1)
        } else {
          col++
          if (NR == wantrow && col == want) { print fg, bg; exit }
          s = substr(s, 2)
        }
      }
    }'
}

expect_colours() {
  local got
  got=$(cell_colours "$1" "$2")
  [[ $got == "$3" ]] || fail "cell column $2 row $1 ($4): wanted colours '$3', got '$got'"
}
