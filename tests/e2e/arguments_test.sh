#!/usr/bin/env bash
# The command line of both programs: --help and --version answer on standard
# output with status 0; any other argument gives the usage on standard error
# and status 2, and the program does not start.
source "$(dirname "$0")/e2e_lib.sh"

uci="$(dirname "$E2E_BIN")/torvane3-uci"
[[ -x $uci ]] || fail "no torvane3-uci beside $E2E_BIN"

# program, arguments (one word each, | between them), status, what stdout
# holds (an extended regular expression on its first line), whether stderr
# holds the usage.
cases=(
  "torvane3     --help            0 ^Usage:.torvane3.\[--help.\|.--version\]$ no"
  "torvane3     --version         0 ^torvane3.[0-9]+\.[0-9]+\.[0-9]+$       no"
  "torvane3     -h                2 ^$                                        yes"
  "torvane3     --helpx           2 ^$                                        yes"
  "torvane3     --help|--version  2 ^$                                        yes"
  "torvane3     |                 2 ^$                                        yes"
  "torvane3-uci --help            0 ^Usage:.torvane3-uci.\[--help.\|.--version\]$ no"
  "torvane3-uci --version         0 ^torvane3-uci.[0-9]+\.[0-9]+\.[0-9]+$   no"
  "torvane3-uci uci               2 ^$                                        yes"
  "torvane3-uci --version|x       2 ^$                                        yes"
)

for c in "${cases[@]}"; do
  read -r prog args status out usage <<<"$c"
  bin=$E2E_BIN
  [[ $prog == torvane3-uci ]] && bin=$uci
  # "|" alone is one empty argument.
  IFS='|' read -r -a argv <<<"$args"
  [[ $args == "|" ]] && argv=("")
  set +e
  # Standard input is closed so that a program that starts instead ends.
  "$bin" "${argv[@]}" >"$E2E_DIR/out" 2>"$E2E_DIR/err" </dev/null
  got=$?
  set -e
  what="$prog ${argv[*]@Q}"
  [[ $got == "$status" ]] || fail "$what: status $got, wanted $status"
  [[ $(head -n 1 "$E2E_DIR/out") =~ $out ]] || fail "$what: stdout begins '$(head -n 1 "$E2E_DIR/out")'"
  if [[ $usage == yes ]]; then
    grep -q "^Usage: $prog \[--help | --version\]$" "$E2E_DIR/err" || fail "$what: no usage on stderr"
    [[ ! -s $E2E_DIR/out ]] || fail "$what: something on stdout"
  else
    [[ ! -s $E2E_DIR/err ]] || fail "$what: stderr '$(cat "$E2E_DIR/err")'"
  fi
done

# Both print the same version.
v1=$("$E2E_BIN" --version)
v2=$("$uci" --version)
[[ ${v1#torvane3 } == "${v2#torvane3-uci }" ]] || fail "versions differ: '$v1' and '$v2'"
