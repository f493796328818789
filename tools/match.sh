#!/usr/bin/env bash
# Plays torvane3-uci against another engine from Debian's packages (stockfish at
# its lowest UCI_Elo, fairymax or phalanx), or against a build of its own (with
# other threads, say), and sums the match up: score, Elo
# difference with its 95 % margin, time forfeits, illegal moves and crashes per
# side. All games go to games.pgn in the output folder.
#
# xboard runs the match headless (-noGUI, under xvfb-run because it still opens
# a display) and polyglot adapts the UCI engines to it. Whatever is missing of
# xboard, polyglot, xvfb, python3, cmake, ninja-build and the opponent is
# installed with apt-get. The summary comes from tools/match_pgn_stats.py.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
export PATH="/usr/games:$PATH" # Debian puts engines, xboard and polyglot here

opponent=stockfish
games=40
tc=10+0.1
out=""
engine=""
book="$ROOT/book.txt"
elo=""
nodes=""
level=""
ponder=""
hash=""
threads=""
opp_engine=""
opp_threads=1
protocol=uci
mps=""

usage() {
  cat <<EOF
usage: tools/match.sh [--opponent stockfish|fairymax|phalanx|torvane3] [--games N]
                      [--tc BASE+INC] [--out DIR] [--engine PATH]
                      [--book FILE] [--elo N] [--level N] [--nodes N] [--ponder]
                      [--hash MIB] [--threads N]
                      [--opponent-engine PATH] [--opponent-threads N]
                      [--protocol uci|xboard] [--mps N]

Plays torvane3-uci against the opponent for N games (default $games) at BASE
seconds plus INC seconds a move (default $tc). Colours alternate, and each of
the 20 short openings built in here is played twice, once with either colour;
40 games go through the list once, more games start it again.

  --opponent  stockfish (default; strength-limited with UCI_LimitStrength to
              its lowest UCI_Elo, read from its 'uci' output), fairymax
              (xboard protocol), phalanx (xboard protocol, learning off)
              or torvane3: a torvane3-uci (--opponent-engine, default the
              same engine) with its own threads (--opponent-threads, default
              1), named t3ref in the games
  --elo N     UCI_Elo for stockfish instead of its minimum
  --level N   torvane3 plays at its strength level N (UCI_LimitStrength,
              UCI_Elo N)
  --nodes N   torvane3 searches N nodes a move (go nodes N, ponder searches
              included) instead of using its clock; the opponent keeps the
              time control, and torvane3's clock still runs, so keep N small
              enough to fit it (torvane3 searches 1-3 million nodes a second)
  --ponder    both engines think on the opponent's time (xboard's -ponder;
              polyglot sends go ponder, ponderhit and stop)
  --hash MIB  the table size xboard gives the engines (its memory command,
              which polyglot passes on as the UCI Hash option; fairymax
              takes it too); without it xboard sends its default of 64 MiB
              plus 4 MiB of endgame-table cache
  --threads N torvane3 searches on N threads (its Threads option)
  --engine    torvane3-uci to play (default: built in build/match)
  --protocol  how xboard talks to torvane3: uci (default; through polyglot)
              or xboard (the engine's own xboard protocol, no adapter; its
              options go in xboard's -firstOptions)
  --mps N     N moves per session: xboard's level N BASE 0 (the increment
              of --tc is then not used)
  --book      opening book for torvane3 (default: book.txt at the repo root)
  --out DIR   where games.pgn, summary.txt and the logs go
              (default: build/match/results/OPPONENT-DATE-TIME)

Games end by xboard's adjudication: checkmate, stalemate, insufficient
material, third repetition, 50-move rule, and a flag fall counts as a loss on
time. torvane3 is restarted for every game, so a crash costs that game (xboard
scores it as lost on time; the summary also counts it as a crash) and not the
match. An illegal move loses the game: polyglot resigns for a UCI engine that
sends one, xboard forfeits an xboard engine.

The Elo difference is -400*log10(1/p - 1) for the score fraction p, with a 95 %
margin of 1.96 standard errors of the per-game scores (1, 1/2, 0) mapped
through the same curve. At 0 % or 100 % it is infinite: the summary says so and
gives as a bound the Elo of the score with half a point moved. When the
interval runs past 0 % or 100 % (few games) its open end is shown as inf.

At 10+0.1 a game takes 15-25 seconds, so 40 games take 10-15 minutes: run
long matches in the background, e.g.
  nohup tools/match.sh --opponent fairymax >match.log 2>&1 &
EOF
}

die() {
  echo "match.sh: $*" >&2
  exit 1
}

parse_args() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --opponent) opponent=${2:?}; shift 2 ;;
      --games) games=${2:?}; shift 2 ;;
      --tc) tc=${2:?}; shift 2 ;;
      --out) out=${2:?}; shift 2 ;;
      --engine) engine=${2:?}; shift 2 ;;
      --book) book=${2:?}; shift 2 ;;
      --elo) elo=${2:?}; shift 2 ;;
      --nodes) nodes=${2:?}; shift 2 ;;
      --level) level=${2:?}; shift 2 ;;
      --ponder) ponder=1; shift ;;
      --hash) hash=${2:?}; shift 2 ;;
      --threads) threads=${2:?}; shift 2 ;;
      --opponent-engine) opp_engine=${2:?}; shift 2 ;;
      --opponent-threads) opp_threads=${2:?}; shift 2 ;;
      --protocol) protocol=${2:?}; shift 2 ;;
      --mps) mps=${2:?}; shift 2 ;;
      -h|--help) usage; exit 0 ;;
      *) usage >&2; die "unknown argument: $1" ;;
    esac
  done
  case "$opponent" in stockfish|fairymax|phalanx|torvane3) ;; *) die "unknown opponent: $opponent" ;; esac
  [ -z "$threads" ] || [[ "$threads" =~ ^[1-9][0-9]*$ ]] || die "--threads wants a positive number"
  [[ "$opp_threads" =~ ^[1-9][0-9]*$ ]] || die "--opponent-threads wants a positive number"
  [[ "$games" =~ ^[1-9][0-9]*$ ]] || die "--games wants a positive number"
  [[ "$tc" =~ ^([0-9]+)(\+([0-9]+(\.[0-9]+)?))?$ ]] || die "--tc wants BASE+INC, e.g. 10+0.1"
  base=${BASH_REMATCH[1]}
  inc=${BASH_REMATCH[3]:-0}
  [ "$base" -gt 0 ] || die "--tc base must be at least one second"
  [ -z "$elo" ] || [[ "$elo" =~ ^[0-9]+$ ]] || die "--elo wants a number"
  [ -z "$nodes" ] || [[ "$nodes" =~ ^[1-9][0-9]*$ ]] || die "--nodes wants a positive number"
  [ -z "$level" ] || [[ "$level" =~ ^[0-9]+$ ]] || die "--level wants a number"
  [ -z "$hash" ] || [[ "$hash" =~ ^[1-9][0-9]*$ ]] || die "--hash wants a positive number of MiB"
  case "$protocol" in uci|xboard) ;; *) die "--protocol wants uci or xboard" ;; esac
  [ -z "$mps" ] || [[ "$mps" =~ ^[1-9][0-9]*$ ]] || die "--mps wants a positive number of moves"
}

install_missing() {
  local need=()
  command -v xboard >/dev/null 2>&1 || need+=(xboard)
  command -v polyglot >/dev/null 2>&1 || need+=(polyglot)
  command -v xvfb-run >/dev/null 2>&1 || need+=(xvfb xauth)
  command -v python3 >/dev/null 2>&1 || need+=(python3)
  [ "$opponent" = torvane3 ] || command -v "$opponent" >/dev/null 2>&1 || need+=("$opponent")
  if [ -z "$engine" ]; then
    command -v cmake >/dev/null 2>&1 || need+=(cmake)
    command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
  fi
  if [ ${#need[@]} -gt 0 ]; then
    echo "Installing ${need[*]} ..."
    apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
  fi
}

build_engine() {
  if [ -n "$engine" ]; then
    engine=$(cd "$(dirname "$engine")" && pwd)/$(basename "$engine")
  else
    # Profile-guided, as the play command and the README's install build it.
    cmake -S "$ROOT" -B "$ROOT/build/match" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DTORVANE_TESTS=OFF -DTORVANE_MICROBENCH=OFF -DTORVANE_PGO=ON >/dev/null
    cmake --build "$ROOT/build/match" --target torvane3-uci >/dev/null
    engine="$ROOT/build/match/torvane3-uci"
  fi
  [ -x "$engine" ] || die "no engine at $engine"
  [ -f "$book" ] || die "no opening book at $book"
  book=$(cd "$(dirname "$book")" && pwd)/$(basename "$book")
  [ -n "$opp_engine" ] || opp_engine=$engine
  opp_engine=$(cd "$(dirname "$opp_engine")" && pwd)/$(basename "$opp_engine")
}

# Twenty well-known openings, two to four moves deep; xboard plays each twice
# with colours swapped, so colour and opening even out over 40 games.
write_openings() {
  cat >"$1" <<'EOF'
[Event "Ruy Lopez"]
1. e4 e5 2. Nf3 Nc6 3. Bb5 a6 *

[Event "Italian Game"]
1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 *

[Event "Scotch Game"]
1. e4 e5 2. Nf3 Nc6 3. d4 exd4 *

[Event "Sicilian Defence, Open"]
1. e4 c5 2. Nf3 d6 3. d4 cxd4 4. Nxd4 Nf6 *

[Event "Sicilian Defence, Alapin"]
1. e4 c5 2. c3 Nf6 *

[Event "French Defence, Classical"]
1. e4 e6 2. d4 d5 3. Nc3 Nf6 *

[Event "Caro-Kann Defence"]
1. e4 c6 2. d4 d5 3. Nc3 dxe4 4. Nxe4 Bf5 *

[Event "Scandinavian Defence"]
1. e4 d5 2. exd5 Qxd5 3. Nc3 Qa5 *

[Event "Pirc Defence"]
1. e4 d6 2. d4 Nf6 3. Nc3 g6 *

[Event "Alekhine Defence"]
1. e4 Nf6 2. e5 Nd5 3. d4 d6 *

[Event "Queen's Gambit Declined"]
1. d4 d5 2. c4 e6 3. Nc3 Nf6 *

[Event "Queen's Gambit Accepted"]
1. d4 d5 2. c4 dxc4 3. Nf3 Nf6 *

[Event "Slav Defence"]
1. d4 d5 2. c4 c6 3. Nf3 Nf6 *

[Event "King's Indian Defence"]
1. d4 Nf6 2. c4 g6 3. Nc3 Bg7 4. e4 d6 *

[Event "Nimzo-Indian Defence"]
1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 *

[Event "Grunfeld Defence"]
1. d4 Nf6 2. c4 g6 3. Nc3 d5 *

[Event "Dutch Defence"]
1. d4 f5 2. c4 Nf6 3. g3 e6 *

[Event "London System"]
1. d4 d5 2. Bf4 Nf6 3. e3 c5 *

[Event "English Opening"]
1. c4 e5 2. Nc3 Nf6 3. g3 d5 *

[Event "Reti Opening"]
1. Nf3 d5 2. g3 Nf6 3. Bg2 c6 *
EOF
}

# Lowest UCI_Elo stockfish accepts, from its own option list.
stockfish_min_elo() {
  printf 'uci\nquit\n' | stockfish 2>/dev/null |
    sed -n 's/^option name UCI_Elo type spin .* min \([0-9]*\) .*/\1/p'
}

# The xboard -scp command for the opponent. polyglot only sends options that
# differ from the engine's default, so its log shows what was really set.
opponent_command() {
  case "$opponent" in
    stockfish)
      echo "polyglot -noini -ec stockfish -ed $out/stockfish -log true -lf $out/stockfish-polyglot.log" \
        "-uci Threads=1 -uci UCI_LimitStrength=true -uci UCI_Elo=$elo"
      ;;
    fairymax) echo "fairymax" ;;
    # Learning off, so games of one match do not change the next one.
    phalanx) echo "phalanx -l-" ;;
    # Named apart, so that the summary tells the two torvane3 players apart.
    torvane3)
      echo "polyglot -noini -ec $opp_engine -ed $out/t3ref -en t3ref -log true -lf $out/t3ref-polyglot.log" \
        "-uci OwnBook=true -uci BookFile=$book -uci Threads=$opp_threads"
      ;;
  esac
}

run_match() {
  local openings=$out/openings.pgn nopenings secs
  write_openings "$openings"
  nopenings=$(grep -c '^\[Event' "$openings")
  local opp_dir=$opponent
  [ "$opponent" != torvane3 ] || opp_dir=t3ref
  mkdir -p "$out/torvane3" "$out/$opp_dir"
  # The engine also finds book.txt in its working folder; BookFile makes sure.
  cp "$book" "$out/torvane3/book.txt"
  engine_cmd=$engine
  local edits=()
  if [ -n "$nodes" ]; then
    # xboard's own node mode (-firstNPS) makes polyglot send go nodes, but
    # sized from a clock of nodes, and with a fixed time a move xboard
    # forfeits the engine whose count ends a few nodes past the limit. So the
    # limit is put on every go line between polyglot and the engine.
    edits+=(-e "'s/^go .*ponder.*/go ponder nodes $nodes/'" -e t -e "'s/^go .*/go nodes $nodes/'")
  fi
  # xboard tells every engine its cores (1 unless -smpCores), and polyglot
  # passes them on as Threads: the threads asked for are put on that line.
  [ -z "$threads" ] || edits=(-e "'s/^setoption name Threads value .*/setoption name Threads value $threads/'" "${edits[@]}")
  if [ ${#edits[@]} -gt 0 ]; then
    engine_cmd=$out/torvane3-edited.sh
    printf '#!/bin/sh\nsed -u %s | "%s"\n' "${edits[*]}" "$engine" >"$engine_cmd"
    chmod +x "$engine_cmd"
  fi
  if [ "$opponent" = torvane3 ]; then
    local ref=$out/t3ref-threads.sh
    printf '#!/bin/sh\nsed -u -e %s | "%s"\n' \
      "'s/^setoption name Threads value .*/setoption name Threads value $opp_threads/'" "$opp_engine" >"$ref"
    chmod +x "$ref"
    opp_engine=$ref
  fi
  local first="polyglot -noini -ec $engine_cmd -ed $out/torvane3 -log true -lf $out/torvane3-polyglot.log -uci OwnBook=true -uci BookFile=$book${level:+ -uci UCI_LimitStrength=true -uci UCI_Elo=$level}${threads:+ -uci Threads=$threads}"
  # Spoken natively, the engine takes its options from xboard and its
  # threads from xboard's cores command.
  local first_options=() cores=() reuse1=-xreuse
  if [ "$protocol" = xboard ]; then
    first=$engine_cmd
    # One engine for the whole match (-reuse), as xboard runs engines that
    # say reuse=1: it starts each game on "new". (A restarted one would get
    # its options as they first were, not as -firstOptions set them.)
    first_options=(-firstOptions "OwnBook=1,BookFile=$book${level:+,UCI_LimitStrength=1,UCI_Elo=$level}")
    reuse1=-reuse
    [ -z "$threads" ] || cores=(-smpCores "$threads")
  fi
  if [ "$opponent" = stockfish ]; then
    [ -n "$elo" ] || elo=$(stockfish_min_elo)
    [ -n "$elo" ] || die "stockfish announced no UCI_Elo option"
  else
    elo=""
  fi
  local second reuse2=-xreuse2
  second=$(opponent_command)
  # A restarted phalanx gets its remembered options before it has listed them
  # and answers "Illegal move: option ...", which xboard takes as a rejected
  # opening move: the game then starts a ply short. So phalanx stays running.
  [ "$opponent" != phalanx ] || reuse2=-reuse2
  secs=$(printf '%d:%02d' $((base / 60)) $((base % 60)))
  local session=(-tc "$secs" -inc "$inc")
  [ -z "$mps" ] || session=(-mps "$mps" -tc "$secs")

  # xboard sends each engine "memory" (hash plus endgame-table cache) and
  # polyglot turns it into the Hash option.
  local ponder_flag=-xponder memory=()
  [ -z "$ponder" ] || ponder_flag=-ponder
  [ -z "$hash" ] || memory=(-defaultHashSize "$hash" -defaultCacheSizeEGTB 0)

  echo "torvane3 ($engine, $protocol${level:+, level $level}${threads:+, $threads threads}) vs $opponent${elo:+ (UCI_Elo $elo)}${opp_engine:+$([ "$opponent" = torvane3 ] && echo " ($opp_engine, $opp_threads threads)")}: $games games at ${base}s+${inc}s${nodes:+, torvane3 at $nodes nodes a move}${ponder:+, pondering}${hash:+, hash $hash MiB}, output in $out"
  # polyglot reads xboard's increment as whole seconds: the clocks still gain
  # it, but the UCI engines are told winc/binc of the integer part only.
  [[ "$inc" != *.* || "${inc#*.}" =~ ^0*$ ]] ||
    echo "note: UCI engines see winc/binc $((${inc%%.*} * 1000)) ms, not ${inc}s (polyglot drops the fraction); their clocks do gain ${inc}s"
  local start=$SECONDS
  # -lgi -2 moves to the next opening every second game, and -mg alternates
  # colours, so each opening is played once with either colour. -xreuse
  # restarts torvane3 for every game, so one crash does not end the match.
  # -ruleMoves counts moves (100 plies); -repeatsToDraw 3 ends on the third
  # occurrence, which torvane3 itself does not claim.
  (cd "$out" && xvfb-run -a xboard -noGUI -xexit "$ponder_flag" "$reuse1" "$reuse2" "${memory[@]}" \
    -saveSettingsOnExit false -soundProgram true \
    -fcp "$first" "${first_options[@]}" "${cores[@]}" -scp "$second" -fd "$out/torvane3" -sd "$out/$opp_dir" \
    -mg "$games" "${session[@]}" -autoCallFlag true -matchPause 1000 \
    -lgf "$openings" -lgi -2 -rewindIndex "$nopenings" \
    -checkMates true -testClaims true -materialDraws true -trivialDraws false \
    -ruleMoves 50 -repeatsToDraw 3 \
    -sgf "$out/games.pgn" -debug -nameOfDebugFile "$out/xboard-debug.log") \
    >"$out/xboard.log" 2>&1 || echo "match.sh: xboard exited with status $? (see $out/xboard.log)" >&2
  elapsed=$((SECONDS - start))
}

summarise() {
  local played
  played=$(grep -c '^\[Event' "$out/games.pgn" 2>/dev/null || true)
  [ "${played:-0}" -gt 0 ] || die "no games were saved; see $out/xboard.log"
  {
    python3 "$ROOT/tools/match_pgn_stats.py" "$out/games.pgn" --engine-name torvane3 \
      --openings "$out/openings.pgn" --xboard-log "$out/xboard.log" --engine-path "$engine_cmd" \
      --engine-uci-log "$out/torvane3-polyglot.log" \
      ${elo:+--uci-log "$out/stockfish-polyglot.log"} # the log that shows the limit at work
    echo "Time control:   ${base}s + ${inc}s;  wall time ${elapsed}s, $((elapsed / played))s a game"
    echo "PGN:            $out/games.pgn"
  } | tee "$out/summary.txt"
}

main() {
  parse_args "$@"
  [ -n "$out" ] || out="$ROOT/build/match/results/$opponent-$(date +%Y%m%d-%H%M%S)"
  [[ "$out" != *[[:space:]]* && "$ROOT" != *[[:space:]]* ]] ||
    die "paths with spaces would break xboard's engine command lines"
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  rm -f "$out/games.pgn" "$out"/*-polyglot.log # both would be appended to
  install_missing
  build_engine
  run_match
  summarise
}

main "$@"
