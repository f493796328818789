# Sourced by the checks that use chess.js: installs node and npm from Debian's
# packages when the machine has none, and chess.js 1.4.0 with npm into the
# folder WORK the first time, with each package named by --also beside it.
# Usage: chessjs_setup WORK [--also NAME@VERSION]... FILE... (the files are
# copied into WORK beside node_modules).
chessjs_setup() {
  local work=$1
  shift
  local packages=(chess.js@1.4.0)
  while [[ ${1:-} == --also ]]; do
    packages+=("${2:?--also needs NAME@VERSION}")
    shift 2
  done
  if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nodejs npm >"$work.apt.log" 2>&1 ||
      { echo "run.sh: apt-get could not install nodejs and npm:" >&2; cat "$work.apt.log" >&2; return 1; }
  fi
  mkdir -p "$work"
  cp "$@" "$work/"
  # Only what is missing or at another version is fetched, so a second run
  # stays off the network.
  local missing=() p
  for p in "${packages[@]}"; do
    grep -qs "\"version\": \"${p##*@}\"" "$work/node_modules/${p%@*}/package.json" || missing+=("$p")
  done
  if ((${#missing[@]} > 0)); then
    # Quiet when it works; when it fails, npm's own words say why.
    if ! (cd "$work" && npm install --no-audit --no-fund "${missing[@]}" >"$work/npm.log" 2>&1); then
      echo "run.sh: npm could not install ${missing[*]}:" >&2
      cat "$work/npm.log" >&2
      return 1
    fi
  fi
}
