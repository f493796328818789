#!/usr/bin/env bash
# Whether every C++ source (.cpp, .h) is laid out as .clang-format says:
# clang-format in dry-run mode, each difference an error. In a git checkout
# the tracked files; otherwise every file under the tree but the build and
# package folders. The tree is the argument, the repository by default.
set -euo pipefail
root=${1:-"$(dirname "$0")/../.."}
cd "$root"

if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is not installed, so the layout was not checked;" \
    "install the Debian package clang-format (bash tools/run-tests.sh does)" >&2
  exit 1
fi

files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  # A file deleted but not yet committed is still tracked; it has no layout.
  while IFS= read -r f; do [[ -f $f ]] && files+=("$f"); done < <(git ls-files -- '*.cpp' '*.h')
else
  while IFS= read -r f; do files+=("$f"); done < <(
    find . -type d \( -name .git -o -name 'build*' -o -name node_modules \) -prune -o \
      -type f \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | LC_ALL=C sort
  )
fi
((${#files[@]} > 0)) || {
  echo "check-format: no .cpp or .h files under $(pwd)" >&2
  exit 1
}

if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "check-format: the lines above differ from .clang-format's layout;" \
    "clang-format -i FILE lays a file out" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files laid out as .clang-format says ($(clang-format --version))"
