#!/usr/bin/env bash
# Sets up, builds and starts the program (arguments are passed to it).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/app/narvo ]; then
  exec build/app/narvo "$@"
fi
echo "Built. The program's window is not part of this build yet."
