#!/usr/bin/env bash
# check-includes.sh on a small tree of its own: the includes a front end may
# have pass; each kind of include it may not have is named with its file and
# line, whatever the repository's own front ends hold today.
set -euo pipefail
check=$(cd "$(dirname "$0")" && pwd)/check-includes.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
cd "$tree"

fail() {
  echo "check-includes-test: $*" >&2
  exit 1
}

mkdir -p board game diag seam platform moves search hash eval book shell uci tools
touch board/Types.h board/Squares.h game/Fen.h diag/Perft.h seam/Seam.h \
  platform/Clock.h moves/Move.h search/Search.h hash/TT.h eval/Eval.h book/Opening.h uci/Uci.h \
  tools/DepthArg.h
cat >shell/Loop.h <<'EOF'
#pragma once
EOF
cat >shell/Loop.cpp <<'EOF'
#include "shell/Loop.h"
#include "Loop.h"
#include <vector>
#include "board/Types.h"
#include "game/Fen.h"
#include "diag/Perft.h"
#  include "seam/Seam.h"
#include "platform/Clock.h"
#include "uci/Uci.h"
#include "gtest/gtest.h"
// #include "moves/Move.h"
EOF
cat >tools/perft.cpp <<'EOF'
#include "tools/DepthArg.h"
#include "../board/Types.h"
EOF

out=$(bash "$check" "$tree" 2>&1) || fail "a tree with only allowed includes failed: $out"

# The engine reached by path, beside the file, through .. and from each front end.
cat >>shell/Loop.cpp <<'EOF'
#include "board/Board.h"
EOF
cat >uci/Uci.cpp <<'EOF'
#include "uci/Uci.h"
#include "../moves/Move.h"
EOF
cat >tools/bench.cpp <<'EOF'
#include "platform/Clock.h"
  #  include "search/Search.h"
#include "hash/TT.h"
#include "eval/Eval.h"
#include "book/Opening.h"
EOF
want='shell/Loop.cpp:12: #include "board/Board.h"
tools/bench.cpp:2: #include "search/Search.h"
tools/bench.cpp:3: #include "hash/TT.h"
tools/bench.cpp:4: #include "eval/Eval.h"
tools/bench.cpp:5: #include "book/Opening.h"
uci/Uci.cpp:2: #include "../moves/Move.h"'
status=0
out=$(bash "$check" "$tree" 2>&1) || status=$?
((status == 1)) || fail "a tree that reaches into the engine gave status $status: $out"
got=$(grep -v '^check-includes:' <<<"$out")
[[ $got == "$want" ]] || fail "named
$got
instead of
$want"
echo "check-includes-test: passes a clean tree and names each include into the engine"
