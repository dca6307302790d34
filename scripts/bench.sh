#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmark headless: the real
# window on generated data folders of 1,000, 10,000 and 100,000 registered
# sheets (kept in /tmp/pelora-bench for later runs), each operation against
# SQLite or Qt alone. Prints Markdown tables on stdout; options are passed on
# (for example --sizes 1000 --runs 5 for a quick look).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
exec build/bench/pelora_bench "$@"
