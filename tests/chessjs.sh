# Sourced by the checks that use chess.js: installs node and npm from Debian's
# packages when the machine has none, and chess.js 1.4.0 with npm into the
# folder WORK the first time. Usage: chessjs_setup WORK FILE... (the files
# are copied into WORK beside node_modules).
chessjs_setup() {
  local work=$1
  shift
  if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nodejs npm >"$work.apt.log" 2>&1 ||
      { echo "run.sh: apt-get could not install nodejs and npm:" >&2; cat "$work.apt.log" >&2; return 1; }
  fi
  mkdir -p "$work"
  cp "$@" "$work/"
  if ! grep -qs '"version": "1.4.0"' "$work/node_modules/chess.js/package.json"; then
    # Quiet when it works; when it fails, npm's own words say why.
    if ! (cd "$work" && npm install --no-audit --no-fund chess.js@1.4.0 >"$work/npm.log" 2>&1); then
      echo "run.sh: npm could not install chess.js 1.4.0:" >&2
      cat "$work/npm.log" >&2
      return 1
    fi
  fi
}
