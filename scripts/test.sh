#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite headless, the
# server tests against a throwaway PostgreSQL server started here and stopped
# at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
source scripts/pgserver.sh
pg_dir=$(mktemp -d "${TMPDIR:-/tmp}/pelora-pg.XXXXXX")
trap 'pg_stop "$pg_dir" >/dev/null 2>&1 || rm -rf "$pg_dir"' EXIT
pg_start "$pg_dir" >/dev/null
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
