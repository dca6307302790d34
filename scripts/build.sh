#!/usr/bin/env bash
# Configures (once) and builds Pelora into build/. Prints the log only on failure or warnings.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if ! cmake --build build -j"$(nproc)" >build/build.log 2>&1; then
  cat build/build.log
  exit 1
fi
grep -A3 -E 'warning:' build/build.log || true
