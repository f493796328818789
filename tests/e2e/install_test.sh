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

files=(games/torvane3 games/torvane3-uci share/torvane3/book.txt share/doc/torvane3/copyright
  share/doc/torvane3/changelog.gz share/man/man6/torvane3.6.gz share/man/man6/torvane3-uci.6.gz)
# The developer programs stay in the build folder.
absent=(bin/perft bin/bench games/perft games/bench)

cmake --install "$build" --prefix "$prefix" >"$E2E_DIR/install.log" || fail "cmake --install: $(cat "$E2E_DIR/install.log")"
for f in "${files[@]}"; do
  [[ -f $prefix/$f ]] || fail "not installed: $f"
done
for f in torvane3 torvane3-uci; do
  [[ -x $prefix/games/$f ]] || fail "not executable: games/$f"
done
for f in "${absent[@]}"; do
  [[ ! -e $prefix/$f ]] || fail "installed: $f"
done
cmp -s "$E2E_ROOT/book.txt" "$prefix/share/torvane3/book.txt" || fail "the installed book differs"
zcat "$prefix/share/man/man6/torvane3.6.gz" | cmp -s - "$E2E_ROOT/man/torvane3.6" || fail "man page"
grep -q "CC0" "$prefix/share/doc/torvane3/copyright" || fail "no CC0 provenance in the copyright file"
# Debian reads the package's version off the changelog's first line.
version=$("$E2E_BIN" --version | cut -d' ' -f2)
top=$(zcat "$prefix/share/doc/torvane3/changelog.gz" | sed -n 1p)
[[ $top == "torvane3 ($version) "* ]] || fail "the changelog's top entry is not $version: $top"

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
book_move "$prefix/games/torvane3"

# The installed engine: the installed book by default; BookFile still names a
# book in the working directory, which comes first. The input just ends after
# the go: a quit queued behind it would end the book move's search unanswered.
uci_reply() {
  printf 'uci\n%s\nposition startpos moves e2e4\ngo wtime 60000 btime 60000\n' "$1" |
    (cd "$E2E_DIR" && "$prefix/games/torvane3-uci")
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
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version"
listing=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in "${files[@]}"; do
  grep -qx "\./usr/$f" <<<"$listing" || fail "not in the package: /usr/$f"
done
for f in "${absent[@]}"; do
  ! grep -qx "\./usr/$f" <<<"$listing" || fail "in the package: /usr/$f"
done
# Debian's own checks, where lintian is installed: no error, no warning and
# no missing hardening.
if command -v lintian >/dev/null 2>&1; then
  tags=$(lintian --display-info "$deb" 2>&1 | grep -E '^[EW]: |hardening-' || true)
  [[ -z $tags ]] || fail "lintian: $tags"
fi

# Installed for real only where it can be removed again without a trace.
if [[ ${CI:-} == true && $(id -u) == 0 ]] && ! dpkg -s torvane3 >/dev/null 2>&1 &&
  ! ls "${files[@]/#//usr/}" >/dev/null 2>&1; then
  trap 'dpkg -P torvane3 >/dev/null 2>&1 || true; e2e_cleanup' EXIT
  dpkg -i "$deb" >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg -i: $(cat "$E2E_DIR/dpkg.log")"
  book_move /usr/games/torvane3
  dpkg -P torvane3 >"$E2E_DIR/dpkg.log" 2>&1 || fail "dpkg -P: $(cat "$E2E_DIR/dpkg.log")"
  for f in "${files[@]}"; do
    [[ ! -e /usr/$f ]] || fail "left after removal: /usr/$f"
  done
  [[ ! -e /usr/share/torvane3 ]] || fail "left after removal: /usr/share/torvane3"
fi
