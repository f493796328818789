#!/usr/bin/env bash
# The front ends' objects (the console's in shell/, the UCI engine's in uci/)
# use no writable global of another module: they read the game through the
# game's calls and const views, so that nothing but the game layer changes
# the engine's state. Reads the symbols of the built objects (gcc-nm, which
# also reads link-time-optimised objects) against the data symbols each
# module's library defines, and prints every such use as object: symbol
# (library). The build folder is the argument.
set -euo pipefail
build=${1:?usage: check-globals.sh BUILD_FOLDER}
nm=$(command -v gcc-nm || command -v nm)

# Every writable data symbol (bss, data, common) of each module's library.
declare -A owner
for lib in "$build"/lib*.a; do
  name=$(basename "$lib" .a)
  name=${name#lib}
  while read -r type symbol; do
    owner[$symbol]=$name
  done < <("$nm" --defined-only "$lib" 2>/dev/null | awk 'NF == 3 && $2 ~ /^[BDCGSV]$/ {print $2, $3}')
done
((${#owner[@]} > 0)) || {
  echo "check-globals: no module libraries under $build" >&2
  exit 1
}

bad=0
objects=0
for module in shell uci; do
  for object in "$build"/CMakeFiles/"$module".dir/"$module"/*.o; do
    [[ -e $object ]] || continue
    objects=$((objects + 1))
    while read -r symbol; do
      lib=${owner[$symbol]:-}
      [[ -n $lib && $lib != "$module" ]] || continue
      echo "${object#"$build"/}: $symbol ($lib)" >&2
      bad=$((bad + 1))
    done < <("$nm" -u "$object" | awk '{print $NF}')
  done
done
((objects > 0)) || {
  echo "check-globals: no objects of shell/ or uci/ under $build" >&2
  exit 1
}
if ((bad > 0)); then
  echo "check-globals: $bad use(s) above of another module's writable global by a front end" >&2
  exit 1
fi
echo "check-globals: the $objects objects of shell/ and uci/ use no writable global of another module"
