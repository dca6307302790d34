#!/usr/bin/env bash
# Installs what is missing, builds Pelora for installation under /usr (without
# the tests) in build-package/, and makes dist/pelora_<version>_amd64.deb.
# Install it with: sudo apt-get install ./dist/pelora_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ ! -f build-package/CMakeCache.txt ]; then
  cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
fi
cmake --build build-package -j"$(nproc)" >build-package/build.log 2>&1 || { cat build-package/build.log; exit 1; }
(cd build-package && cpack -G DEB >cpack.log 2>&1) || { cat build-package/cpack.log; exit 1; }
mkdir -p dist
for deb in build-package/pelora_*.deb; do
  cp "$deb" dist/
  echo "dist/$(basename "$deb")"
done
