#!/usr/bin/env bash
# Installs what is missing, builds and starts Pelora. Its data lives in build/data/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/pelora "$@"
