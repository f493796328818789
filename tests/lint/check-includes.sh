#!/usr/bin/env bash
# The front ends (the console game in shell/, the UCI engine in uci/ and the
# developer programs in tools/) reach the engine only through game/, diag/,
# seam/, platform/ and the board's types (board/Types.h: pieces, moves and the
# position record; board/Squares.h: square names and move texts), so that the
# engine behind them can change without touching them. Prints every include
# of another engine header as file:line and fails. The tree is the argument,
# the repository by default. (The build refuses such an include too, and a
# relative one; this check also covers the developer programs' folder.)
set -euo pipefail
root=${1:-"$(dirname "$0")/../.."}
cd "$root"

frontends=(shell uci tools)
allowed_dirs=(game diag seam platform)
# The tuner (tools/tune.cpp) reaches the evaluation it fits through the one
# header made for it.
allowed_files=(board/Types.h board/Squares.h fulleval/Tuning.h)

# The header a quoted include names, relative to the tree: the compiler looks
# beside the including file first, then from the tree's top.
resolve() {
  local file=$1 name=$2 beside
  beside="$(dirname "$file")/$name"
  if [[ -e $beside ]]; then
    realpath -m --relative-to=. "$beside"
  else
    realpath -m --relative-to=. "$name"
  fi
}

# Whether the header TARGET (relative to the tree) is the engine's and not
# one a front end may use.
forbidden() {
  local target=$1 top=${1%%/*} d
  # A file at the top or outside the tree, or a folder the tree does not
  # have (a system header in quotes): not the engine's.
  [[ $target == */* && $target != ../* && -d $top ]] || return 1
  # A front end's own folder, or another front end's: not the engine either.
  for d in "${frontends[@]}" "${allowed_dirs[@]}"; do [[ $top == "$d" ]] && return 1; done
  for d in "${allowed_files[@]}"; do [[ $target == "$d" ]] && return 1; done
  return 0
}

dirs=()
for d in "${frontends[@]}"; do [[ -d $d ]] && dirs+=("$d"); done
bad=0
if ((${#dirs[@]} > 0)); then
  while IFS= read -r file; do
    while IFS=: read -r line text; do
      [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]] || continue
      name=${BASH_REMATCH[1]}
      if forbidden "$(resolve "$file" "$name")"; then
        echo "$file:$line: #include \"$name\"" >&2
        bad=$((bad + 1))
      fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
  done < <(find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort)
fi

if ((bad > 0)); then
  echo "check-includes: $bad include(s) above reach into the engine; a front end" \
    "(shell/, uci/, tools/) may include only game/, diag/, seam/, platform/," \
    "board/Types.h, board/Squares.h and its own folder" >&2
fi
((bad == 0)) || exit 1
echo "check-includes: the front ends include only game/, diag/, seam/, platform/ and the" \
  "board's types"
