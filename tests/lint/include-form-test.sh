#!/usr/bin/env bash
# cmake/CheckIncludes.cmake, which every module's build runs first, on files of
# its own: includes written folder/Header.h (and system headers) pass; a
# relative one, one beside the file and one of a header without its folder
# each fail the build, named with their file.
set -euo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/cmake/CheckIncludes.cmake
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
cd "$tree"

fail() {
  echo "include-form-test: $*" >&2
  exit 1
}
check() { cmake -DSTAMP="$tree/stamp" "-DFILES=$1" -P "$script" 2>&1; }

printf '#include <vector>\n#include "hash/TT.h"\n  #  include "search/SearchState.h"\n' >Good.cpp
out=$(check Good.cpp) || fail "a file of folder/Header.h includes failed: $out"
[[ -e stamp ]] || fail "no stamp after a clean file"

for bad in '../hash/TT.h' './Eval.h' 'TT.h' 'hash/../hash/TT.h'; do
  rm -f stamp
  printf '#include "board/Types.h"\n#include "%s"\n' "$bad" >Bad.cpp
  if out=$(check "Good.cpp;Bad.cpp"); then fail "#include \"$bad\" passed"; fi
  [[ $out == *"Bad.cpp: #include \"$bad\""* ]] || fail "#include \"$bad\" not named: $out"
  [[ $out != *Good.cpp* ]] || fail "the clean file was named beside \"$bad\": $out"
  [[ ! -e stamp ]] || fail "a stamp after #include \"$bad\""
done
echo "include-form-test: folder/Header.h passes; relative, bare and dotted paths fail the build"
