#!/usr/bin/env bash
# The installed program: cmake --install into a temporary prefix puts the
# programs, the book and the man pages in place, and the installed console,
# started in a folder without book.txt, answers from its installed book. The
# Debian package holds the same files under /usr; in CI, as root and when no
# torvane3 package is there yet, it is installed, played and removed again.
source "$(dirname "$0")/e2e_lib.sh"

build=$(dirname "$E2E_BIN")
prefix=$E2E_DIR/prefix
rm -f "$E2E_DIR/book.txt"

files=(bin/torvane3 bin/torvane3-uci bin/perft bin/bench share/torvane3/book.txt
  share/man/man6/torvane3.6 share/man/man6/torvane3-uci.6)

cmake --install "$build" --prefix "$prefix" >"$E2E_DIR/install.log" || fail "cmake --install: $(cat "$E2E_DIR/install.log")"
for f in "${files[@]}"; do
  [[ -f $prefix/$f ]] || fail "not installed: $f"
done
for f in torvane3 torvane3-uci perft bench; do
  [[ -x $prefix/bin/$f ]] || fail "not executable: bin/$f"
done
cmp -s "$E2E_ROOT/book.txt" "$prefix/share/torvane3/book.txt" || fail "the installed book differs"

# A book move, from the book: its line is shown on row 23.
book_move() {
  e2e_start 80 25 "$(printf '%q' "$1")"
  wait_row 13 49 "Move: "
  type_text "e2e4"
  press Enter
  wait_row 23 2 "Opening: E2E4 "
  wait_row 13 49 "Move: "
  [[ $(row 14 49) =~ ^Move:\ [A-H][1-8][A-H][1-8] ]] || fail "$1: no reply: '$(row 14 49)'"
  type_text "q"
  press Enter
  expect_result "EXIT=0 ICANON=yes ECHO=yes"
}
[[ ! -e $E2E_DIR/book.txt ]] || fail "the test folder holds a book"
book_move "$prefix/bin/torvane3"

# The installed engine: the installed book by default; BookFile still names a
# book in the working directory, which comes first.
uci_reply() {
  printf 'uci\n%s\nposition startpos moves e2e4\ngo wtime 60000 btime 60000\nquit\n' "$1" |
    (cd "$E2E_DIR" && "$prefix/bin/torvane3-uci")
}
out=$(uci_reply "isready")
grep -q "^info string book line E2E4" <<<"$out" || fail "torvane3-uci found no book: $out"
printf 'E2E4C7C5\n' >"$E2E_DIR/mine.txt"
out=$(uci_reply "setoption name BookFile value mine.txt")
grep -q "^bestmove c7c5" <<<"$out" || fail "BookFile mine.txt not used: $out"

# The Debian package.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$E2E_DIR/pkg" >"$E2E_DIR/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$E2E_DIR/cpack.log")"
debs=("$E2E_DIR"/pkg/torvane3_*.deb)
[[ -f ${debs[0]} ]] || fail "no package in $(ls "$E2E_DIR/pkg")"
deb=${debs[0]}
[[ $(dpkg-deb -f "$deb" Package) == torvane3 ]] || fail "package name"
[[ $(dpkg-deb -f "$deb" Version) == "$("$E2E_BIN" --version | cut -d' ' -f2)" ]] || fail "package version"
listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in "${files[@]}"; do
  grep -qx "\./usr/$f" <<<"$listing" || fail "not in the package: /usr/$f"
done

# Installed for real only where it can be removed again without a trace.
if [[ ${CI:-} == true && $(id -u) == 0 ]] && ! dpkg -s torvane3 >/dev/null 2>&1 &&
  ! ls "${files[@]/#//usr/}" >/dev/null 2>&1; then
  trap 'dpkg -P torvane3 >/dev/null 2>&1 || true; e2e_cleanup' EXIT
  dpkg -i "$deb" >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$E2E_DIR/dpkg.log")"
  book_move /usr/bin/torvane3
  dpkg -P torvane3 >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg -P: $(cat "$E2E_DIR/dpkg.log")"
  for f in "${files[@]}"; do
    [[ ! -e /usr/$f ]] || fail "left after removal: /usr/$f"
  done
  [[ ! -e /usr/share/torvane3 ]] || fail "left after removal: /usr/share/torvane3"
fi
