#!/usr/bin/env bash
# The fuzz targets (fuzz/): builds them with clang, libFuzzer and the address
# and undefined-behaviour sanitizers in build/fuzz, then runs each for a
# bounded time, two at a time. New inputs go to build/fuzz/corpus/NAME, where
# the next run goes on from them (with --fresh each starts again from its seed
# corpus, with a fixed seed, as the test command runs them); an input that
# crashes, hangs or trips a sanitizer is left in build/fuzz/crashes/ and the
# command fails. Logs: build/fuzz/logs/NAME.log.
# usage: tools/fuzz.sh [--seconds N] [--jobs N] [--fresh] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  sed -n '2,9s/^# \{0,1\}//p' "$0"
  echo "Targets: the names in fuzz/CMakeLists.txt (default: all of them)."
}

seconds=60 jobs=2 fresh=0
targets=()
while (($# > 0)); do
  case $1 in
  --seconds) seconds=${2:?--seconds N} && shift 2 ;;
  --jobs) jobs=${2:?--jobs N} && shift 2 ;;
  --fresh) fresh=1 && shift ;;
  -h | --help) usage && exit 0 ;;
  -*) echo "fuzz.sh: unknown option $1" >&2 && usage >&2 && exit 2 ;;
  *) targets+=("$1") && shift ;;
  esac
done

source tools/toolchain.sh
torvane_setup --tests >/dev/null

# Absolute: the targets work in scratch folders of their own.
build=$PWD/build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release \
  -DTORVANE_FUZZ=ON -DTORVANE_TESTS=OFF -DTORVANE_MICROBENCH=OFF -DTORVANE_LTO=OFF \
  -DTORVANE_HARDENING=OFF >/dev/null
cmake --build "$build" --target fuzz -j "$jobs"

# Each line of the list: name, program, seed corpus.
declare -A program seeds
order=()
while read -r name bin corpus; do
  program[$name]=$bin seeds[$name]=$corpus
  order+=("$name")
done <"$build/fuzz/targets.txt"
((${#targets[@]} > 0)) || targets=("${order[@]}")
for name in "${targets[@]}"; do
  [[ -n ${program[$name]:-} ]] || { echo "fuzz.sh: no target $name (${order[*]})" >&2 && exit 2; }
done

work=$build/corpus
((fresh)) && work=$build/fresh-corpus && rm -rf "$work"
mkdir -p "$work" "$build/crashes" "$build/logs"

# run NAME: the target for the time given; its status and summary in logs/.
run() {
  local name=$1 log=$build/logs/$1.log status=0
  mkdir -p "$work/$name"
  local args=(-max_total_time="$seconds" -timeout=30 -print_final_stats=1
    -artifact_prefix="$build/crashes/$name-")
  ((fresh)) && args+=(-seed=1)
  # A target's words, where it has a list of them (fuzz/NAME.dict).
  [[ -f fuzz/$name.dict ]] && args+=(-dict="$PWD/fuzz/$name.dict")
  "${program[$name]}" "${args[@]}" "$work/$name" "${seeds[$name]}" >"$log" 2>&1 || status=$?
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2 || true)
  if ((status == 0)); then
    echo "fuzz-$name: ${runs:-?} runs in $seconds s, coverage ${cov:-?}, no fault"
  else
    echo "fuzz-$name: FAILED (status $status) after ${runs:-?} runs; $log:"
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written|deadly signal|timeout' "$log" |
      head -n 20 || true
  fi
  echo "$status" >"$build/logs/$name.status"
}

echo "== Fuzz targets: ${targets[*]}, $seconds s each, $jobs at a time"
running=0
for name in "${targets[@]}"; do
  if ((running >= jobs)); then
    wait -n || true
    running=$((running - 1))
  fi
  run "$name" &
  running=$((running + 1))
done
wait

failed=()
for name in "${targets[@]}"; do
  [[ $(cat "$build/logs/$name.status" 2>/dev/null) == 0 ]] || failed+=("$name")
done
if ((${#failed[@]} > 0)); then
  echo "== Fuzz targets that failed: ${failed[*]} (inputs in $build/crashes/)" >&2
  exit 1
fi
