#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
# What the tree holds before the run: a test may add nothing to it.
in_git() { git rev-parse --is-inside-work-tree >/dev/null 2>&1; }
tree_state() { git status --porcelain --untracked-files=all | sort; }
before=""
if in_git; then before=$(tree_state); fi
build=${NARVO_TEST_BUILD:-build-test}
cmake -S . -B "$build" -DNARVO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DNARVO_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
# The readers of records, settings, histories and piece sheets take
# arbitrary bytes: a bounded fuzz run of each (libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer).
tools/fuzz.sh "${NARVO_FUZZ_SECONDS:-30}"
# No test may leave a file in the source tree.
if in_git; then
  left=$(comm -13 <(printf '%s\n' "$before") <(tree_state) | sed '/^$/d')
  if [ -n "$left" ]; then
    echo "The tests left files in the source tree:" >&2
    echo "$left" >&2
    exit 1
  fi
fi
