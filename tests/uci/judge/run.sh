#!/usr/bin/env bash
# Runs the UCI judge against a built torvane3-uci. chess.js is installed with
# npm into WORK (a build folder) the first time; node and npm come from
# Debian's packages when the machine has none.
# usage: run.sh ENGINE WORK [judge arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
engine=${1:?engine}
work=${2:?work folder}
shift 2

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nodejs npm >"$work.apt.log" 2>&1 ||
    { echo "run.sh: apt-get could not install nodejs and npm:" >&2; cat "$work.apt.log" >&2; exit 1; }
fi
mkdir -p "$work"
cp "$here/judge.mjs" "$here/package.json" "$work/"
if ! grep -qs '"version": "1.4.0"' "$work/node_modules/chess.js/package.json"; then
  # Quiet when it works; when it fails, npm's own words say why.
  if ! (cd "$work" && npm install --no-audit --no-fund chess.js@1.4.0 >"$work/npm.log" 2>&1); then
    echo "run.sh: npm could not install chess.js 1.4.0:" >&2
    cat "$work/npm.log" >&2
    exit 1
  fi
fi
exec node "$work/judge.mjs" "$engine" "$@"
