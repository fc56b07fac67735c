#!/usr/bin/env bash
# Sets up, builds and starts the program (arguments are passed to it).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNARVO_BENCH=OFF >/dev/null
# Only the program: the tests and benchmarks are tools/test.sh's.
cmake --build build -j"$(nproc)" --target narvo
exec build/app/narvo "$@"
