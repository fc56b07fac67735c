#!/usr/bin/env bash
# Start-up benchmark (outside the tests): the time from starting the program
# to its first painted main window, and its resident memory at that moment,
# measured side by side with a bare Qt window (bench/bare_window: a title, a
# menu bar, a line of text, a status bar) on the same virtual X display, run
# for run in turn. Each run starts in a private, empty home, so on the
# built-in settings.
#
#   bench/startup.sh [path/to/narvo] [runs] [path/to/bare_window]
#
# Best measured on an optimised build (tools/run.sh builds one in build/;
# the bare window is the bench target bare_window beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/app/narvo}
runs=${2:-10}
bare=${3:-$(dirname "$exe")/../bench/bare_window}
[ -x "$exe" ] || { echo "no program at $exe (build it first)" >&2; exit 1; }
[ -x "$bare" ] || { echo "no bare window at $bare (build the target bare_window)" >&2; exit 1; }
exe=$(realpath "$exe")
bare=$(realpath "$bare")

if [ -z "${NARVO_BENCH_INNER:-}" ]; then
  export NARVO_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$exe" "$runs" "$bare"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
export QT_QPA_PLATFORM=xcb NARVO_STARTUP_PROBE=
unset ASAN_OPTIONS
export ASAN_OPTIONS=detect_leaks=0

# One start of a program to its first paint: "ms rss_kb".
measure() {
  rm -rf "$home/config" "$home/data"
  local start end line
  start=$(date +%s%N)
  line=""
  { read -r line; end=$(date +%s%N); cat >/dev/null; } < <("$1" 2>/dev/null)
  case "$line" in
    first_paint*) ;;
    *) echo "$1: no first paint reported" >&2; exit 1 ;;
  esac
  echo "$(( (end - start) / 1000000 )) ${line##*rss_kb=}"
}

times=() rss=() btimes=() brss=()
for ((i = 0; i <= runs; i++)); do
  read -r t r < <(measure "$exe")
  read -r bt br < <(measure "$bare")
  [ "$i" -eq 0 ] && continue  # the first runs warm the caches
  times+=("$t") rss+=("$r") btimes+=("$bt") brss+=("$br")
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
n=${#times[@]}
tm=$(median "${times[@]}") bm=$(median "${btimes[@]}")
rm_=$(median "${rss[@]}") br_=$(median "${brss[@]}")
echo "runs: $n  program: $exe  baseline: $bare"
echo "start to first paint (ms, median): program $tm  bare window $bm  ratio $(awk -v a="$tm" -v b="$bm" 'BEGIN {printf "%.2f", a / b}')"
echo "resident memory at first paint (KiB, median): program $rm_  bare window $br_  more $((rm_ - br_))"
