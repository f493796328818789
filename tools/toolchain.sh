# Sourced by the play and the test commands: installs what a fresh Debian
# machine lacks for the build (and the tests), then checks the versions the
# build needs. As root apt-get installs; as another user sudo does where it
# may without a password prompt; otherwise the command stops at once with one
# line naming the packages.

TORVANE_MIN_CMAKE=3.25
TORVANE_MIN_GCC=11

torvane_fail() {
  echo "torvane3: $*" >&2
  exit 1
}

# torvane_install PACKAGE...: the Debian packages, quietly; their output is
# shown only if the installation fails.
torvane_install() {
  (($# > 0)) || return 0
  local run=() log
  if [[ $(id -u) != 0 ]]; then
    command -v sudo >/dev/null 2>&1 && sudo -n true >/dev/null 2>&1 ||
      torvane_fail "missing packages; install them as root, then run this again: apt-get install $*"
    run=(sudo -n)
  fi
  command -v apt-get >/dev/null 2>&1 ||
    torvane_fail "missing packages and no apt-get here; install: $*"
  echo "Installing $* (apt-get) ..."
  log=$(mktemp)
  if ! { "${run[@]}" apt-get update -qq &&
    "${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    torvane_fail "apt-get could not install: $*"
  fi
  rm -f "$log"
}

# The C++ compiler CMake will take: $CXX, else c++, else g++.
torvane_cxx() {
  if [[ -n ${CXX:-} ]]; then
    echo "$CXX"
  elif command -v c++ >/dev/null 2>&1; then
    echo c++
  else
    echo g++
  fi
}

# A version at least MIN (both dotted numbers)?
torvane_at_least() { [[ $(printf '%s\n%s\n' "$2" "$1" | sort -V | head -n 1) == "$2" ]]; }

# Whether clang++ links a fuzz target: libFuzzer's runtime is there.
torvane_links_libfuzzer() {
  local dir ok=1
  dir=$(mktemp -d)
  echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' \
    >"$dir/t.cpp"
  clang++ -fsanitize=fuzzer "$dir/t.cpp" -o "$dir/t" >/dev/null 2>&1 || ok=0
  rm -rf "$dir"
  ((ok))
}

# torvane_setup [--tests]: the build tools, with --tests also what the tests
# use (tmux, GoogleTest, Google Benchmark, Node.js and npm, clang-format,
# clang with libFuzzer);
# then the version checks.
torvane_setup() {
  local need=()
  command -v "$(torvane_cxx)" >/dev/null 2>&1 || need+=(g++)
  command -v cmake >/dev/null 2>&1 || need+=(cmake)
  command -v ninja >/dev/null 2>&1 || need+=(ninja-build)
  if [[ ${1:-} == --tests ]]; then
    command -v tmux >/dev/null 2>&1 || need+=(tmux)
    [[ -e /usr/include/gtest/gtest.h ]] || need+=(libgtest-dev)
    [[ -e /usr/include/gmock/gmock.h ]] || need+=(libgmock-dev)
    [[ -e /usr/include/benchmark/benchmark.h ]] || need+=(libbenchmark-dev)
    # The UCI judge runs chess.js, installed with npm into its build folder.
    command -v node >/dev/null 2>&1 || need+=(nodejs)
    command -v npm >/dev/null 2>&1 || need+=(npm)
    # The layout check runs clang-format over the sources.
    command -v clang-format >/dev/null 2>&1 || need+=(clang-format)
    # The fuzz targets: clang, and libFuzzer's runtime, which Debian ships
    # apart from it (libclang-rt-14-dev for clang 14).
    if ! command -v clang++ >/dev/null 2>&1; then
      need+=(clang libclang-rt-dev)
    elif ! torvane_links_libfuzzer; then
      need+=("libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev")
    fi
  fi
  torvane_install "${need[@]}"

  local cmake_v cxx macros gcc_v
  cmake_v=$(cmake --version | sed -n '1s/^cmake version \([0-9.]*\).*/\1/p')
  torvane_at_least "$cmake_v" "$TORVANE_MIN_CMAKE" ||
    torvane_fail "CMake $TORVANE_MIN_CMAKE or later is needed; this one is ${cmake_v:-unknown}"
  cxx=$(torvane_cxx)
  command -v "$cxx" >/dev/null 2>&1 || torvane_fail "no C++ compiler '$cxx'"
  macros=$("$cxx" -dM -E -x c++ /dev/null 2>/dev/null) || torvane_fail "the C++ compiler '$cxx' does not run"
  if grep -q '__clang__' <<<"$macros"; then
    gcc_v="clang $(sed -n 's/^#define __clang_version__ "\([0-9.]*\).*/\1/p' <<<"$macros")"
  else
    gcc_v=$(sed -n 's/^#define __VERSION__ "\([0-9.]*\).*/\1/p' <<<"$macros")
    torvane_at_least "$gcc_v" "$TORVANE_MIN_GCC" ||
      torvane_fail "g++ $TORVANE_MIN_GCC or later is needed (C++20); '$cxx' is ${gcc_v:-unknown}"
    gcc_v="g++ $gcc_v"
  fi
  echo "Build tools: $gcc_v, CMake $cmake_v, Ninja $(ninja --version)"
}
