#!/usr/bin/env bash
# Builds the fuzz targets of every reader of outside bytes (ZRF/ZR2, paste, CSA, the
# settings file, the history files, the piece sheet) with clang (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each for a bounded
# time on seeds made from the test data. Seconds per target as the first
# argument (60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
tools/setup.sh  # clang and its fuzzer runtime come with the rest
build=${NARVO_FUZZ_BUILD:-build-fuzz}
cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"
# Seeds: the test files, for the record readers behind a few settings bytes;
# each target gets its own corpus. Seconds are for each target.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
run_target() {  # target, seed files, flag bytes (none: the files as they are)
  local target=$1 files=$2 flags=${3:-}
  local seeds="$build/seeds-$target" corpus="$build/corpus-$target"
  mkdir -p "$seeds" "$corpus"
  for f in $files; do
    if [ -z "$flags" ]; then cp "$f" "$seeds/"; fi
    for flag in $flags; do
      { printf "\\x$flag"; cat "$f"; } > "$seeds/$(basename "$f").$flag"
    done
  done
  # The fuzzer's running commentary goes to a log; only a failure shows it.
  local log="$build/$target.log"
  if ! "$build/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="$build/$target-" "$corpus" "$seeds" >"$log" 2>&1; then
    tail -n 80 "$log"
    echo "$target failed; the input is in $build/$target-*" >&2
    return 1
  fi
  echo "$target: $(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -n 1)"
}
run_target record_reader_fuzz "tests/data/records/*" "00 01 05 13"
run_target clipboard_paste_fuzz "tests/data/records/*.dovu" "00 01 02 03"
run_target csa_reader_fuzz "tests/data/csa/*" "00 01"
run_target env_file_fuzz "tests/data/settings/*"
run_target history_file_fuzz "tests/data/history/* tests/data/settings/*"
run_target piece_sheet_fuzz "tests/data/bmp/*"
