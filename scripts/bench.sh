#!/usr/bin/env bash
# Installs what is missing, builds, and runs the benchmark headless: the real
# window on generated data folders of 1,000, 10,000 and 100,000 registered
# sheets (kept in /tmp/pelora-bench for later runs), each operation against
# SQLite or Qt alone. Prints Markdown tables on stdout; options are passed on
# (for example --sizes 1000 --runs 5 for a quick look). With --server it times
# the page operations on the files and on a PostgreSQL server instead: the one
# PELORA_TEST_PG names, or a throwaway one on 127.0.0.1 started here.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
unset QT_QPA_PLATFORMTHEME
if [[ " $* " == *" --server "* && -z "${PELORA_TEST_PG:-}" ]]; then
  source scripts/pgserver.sh
  pg_dir=$(mktemp -d "${TMPDIR:-/tmp}/pelora-pg.XXXXXX")
  trap 'pg_stop "$pg_dir" >/dev/null 2>&1 || rm -rf "$pg_dir"' EXIT
  pg_start "$pg_dir" tcp >/dev/null
fi
build/bench/pelora_bench "$@"
