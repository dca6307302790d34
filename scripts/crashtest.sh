#!/usr/bin/env bash
# Installs what is missing, builds, and runs the long crash-safety test headless:
# Pelora killed with SIGKILL at 300 random moments while it registers, deletes
# and starts, each kill followed by a normal start and a check of both files.
# PELORA_KILLS sets another count; PELORA_KILL_RUN repeats a run (its run number is
# printed first). Prints the figures (kills, faults) at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
export LC_ALL=C.UTF-8
export PELORA_KILLS="${PELORA_KILLS:-300}"
exec build/tests/tst_crashsafety "$@"
