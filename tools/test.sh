#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
# The whole run has a home of its own; the user's real home and the source
# tree must come out of it as they went in.
real_home=${HOME:-}
run_home=$(mktemp -d)
trap 'rm -rf "$run_home"' EXIT
# The places the program writes to in the real home, at any depth (see
# tools/home_check.sh); the source tree, which may lie there, has a check of
# its own.
tree=$(pwd -P)
home_before=$run_home/.home-before
if [ -d "$real_home" ]; then tools/home_check.sh snapshot "$real_home" "$tree" >"$home_before"; fi
in_git() { HOME=$real_home git rev-parse --is-inside-work-tree >/dev/null 2>&1; }
tree_state() { HOME=$real_home git status --porcelain --untracked-files=all | sort; }
before=""
if in_git; then before=$(tree_state); fi
export HOME=$run_home
build=${NARVO_TEST_BUILD:-build-test}
cmake -S . -B "$build" -DNARVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DNARVO_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
# The test programs once more, each whole in one process and started from
# the repository root, as a developer starts one by hand.
logs=$run_home/root-run
mkdir -p "$logs"
find "$build/tests" -maxdepth 1 -type f -name '*_test' -perm -u+x | sort |
  xargs -P"$(nproc)" -I{} sh -c '
    log="$2/$(basename "$1").log"
    "$1" >"$log" 2>&1 || { echo "$1 failed when started from the repository root:" >&2; tail -n 40 "$log" >&2; exit 1; }' _ {} "$logs"
# The readers of records, settings, histories and piece sheets take
# arbitrary bytes: a bounded fuzz run of each (libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer).
tools/fuzz.sh "${NARVO_FUZZ_SECONDS:-30}"
# No test may leave a file in the real home or in the source tree.
if [ -f "$home_before" ] && ! writes=$(tools/home_check.sh compare "$home_before"); then
  echo "The tests wrote into the real home folder:" >&2
  printf '%s\n' "$writes" >&2
  exit 1
fi
if in_git; then
  left=$(comm -13 <(printf '%s\n' "$before") <(tree_state) | sed '/^$/d')
  if [ -n "$left" ]; then
    echo "The tests left files in the source tree:" >&2
    echo "$left" >&2
    exit 1
  fi
fi
