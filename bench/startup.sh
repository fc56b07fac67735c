#!/usr/bin/env bash
# Start-up benchmark (outside the tests): the time from starting the program
# to its first painted main window, and its resident memory at that moment.
# Runs the program several times on one virtual X display with a private,
# empty home, so every run starts on the built-in settings.
#
#   bench/startup.sh [path/to/narvo] [runs]
#
# Best measured on an optimised build (tools/run.sh builds one in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-build/app/narvo}
runs=${2:-10}
[ -x "$exe" ] || { echo "no program at $exe (build it first)" >&2; exit 1; }
exe=$(realpath "$exe")

if [ -z "${NARVO_BENCH_INNER:-}" ]; then
  export NARVO_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$exe" "$runs"
fi

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
export QT_QPA_PLATFORM=xcb NARVO_STARTUP_PROBE=
unset ASAN_OPTIONS
export ASAN_OPTIONS=detect_leaks=0

times=()
rss=()
for ((i = 0; i <= runs; i++)); do
  rm -rf "$home/config" "$home/data"
  start=$(date +%s%N)
  line=""
  { read -r line; end=$(date +%s%N); cat >/dev/null; } < <("$exe" 2>/dev/null)
  case "$line" in
    first_paint*) ;;
    *) echo "run $i: no first paint reported" >&2; exit 1 ;;
  esac
  [ "$i" -eq 0 ] && continue  # the first run warms the caches
  times+=($(( (end - start) / 1000000 )))
  rss+=("${line##*rss_kb=}")
done

sorted=($(printf '%s\n' "${times[@]}" | sort -n))
rsorted=($(printf '%s\n' "${rss[@]}" | sort -n))
n=${#sorted[@]}
echo "runs: $n  program: $exe"
echo "start to first paint (ms): min ${sorted[0]}  median ${sorted[$((n / 2))]}  max ${sorted[$((n - 1))]}"
echo "resident memory at first paint (KiB): min ${rsorted[0]}  median ${rsorted[$((n / 2))]}  max ${rsorted[$((n - 1))]}"
