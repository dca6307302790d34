#!/usr/bin/env bash
# Installs what is missing, builds Pelora for installation under /usr (without
# the tests) in build-package/, makes dist/pelora_<version>_amd64.deb, and
# checks it with Debian's package checker (lintian: no error, no warning) and
# its AppStream metadata with appstreamcli.
# Install it with: sudo apt-get install ./dist/pelora_<version>_amd64.deb
#
# scripts/package.sh check  also installs the package on this machine, upgrades
# it with a newer one and removes it again, checking at each step that a
# user's data stays as it was (needs root or sudo; refused when a pelora
# package is already installed, so that the machine ends as it was).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
missing=()
for p in lintian appstream gzip; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ ! -f build-package/CMakeCache.txt ]; then
  cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
fi
cmake --build build-package -j"$(nproc)" >build-package/build.log 2>&1 || { cat build-package/build.log; exit 1; }
rm -f build-package/pelora_*.deb
(cd build-package && cpack -G DEB >cpack.log 2>&1) || { cat build-package/cpack.log; exit 1; }
mkdir -p dist
deb=""
for made in build-package/pelora_*.deb; do
  cp "$made" dist/
  deb=dist/$(basename "$made")
  echo "$deb"
done

# The package as Debian judges it: errors and warnings fail the script (notes are shown).
appstreamcli validate --no-net packaging/linux/*.metainfo.xml
lint=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -n "$lint" ] && echo "$lint"
if echo "$lint" | grep -qE '^[EW]: '; then
  echo "lintian: errors or warnings in $deb"
  exit 1
fi
echo "lintian: no error, no warning"

[ "${1:-}" = check ] || exit 0

# ---- install, upgrade, remove: a user's data stays -------------------------------------------
if dpkg-query -W -f='${Status}' pelora 2>/dev/null | grep -q "install ok installed"; then
  echo "check: a pelora package is installed on this machine already; remove it first"
  exit 1
fi
work=$(mktemp -d)
trap '$sudo rm -rf "$work"' EXIT
# The same package under a newer version, as the next release would come.
dpkg-deb -R "$deb" "$work/newer"
sed -i 's/^Version: .*/&+check1/' "$work/newer/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/newer" "$work/pelora-newer.deb" >/dev/null
# A user of the installed program, with folders of the check's own.
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config
export QT_QPA_PLATFORM=offscreen PELORA_NO_DIALOGS=1
data=$XDG_DATA_HOME/Pelora/data
mkdir -p "$HOME"
step() { printf 'check: %s\n' "$*"; }
fail() { printf 'check FAILED: %s\n' "$*"; $sudo apt-get remove -y -qq pelora >/dev/null 2>&1 || true; exit 1; }
# Starts the installed program until its data folder is there and its window up, then closes it.
run_pelora() {
  /usr/bin/pelora >"$work/pelora.log" 2>&1 &
  local pid=$!
  for _ in $(seq 100); do
    [ "$(head -1 "$data/Pelora.lock" 2>/dev/null)" = "$pid" ] && grep -qs 'state=running' "$data/Pelora.lock" && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "./$deb" >"$work/apt.log" 2>&1 || fail "apt-get install ./$deb"
step "installed $(dpkg-query -W -f='${Version}' pelora)"
run_pelora
[ -f "$data/Pelora.mdb" ] || fail "no data folder made in $data"
sqlite3 "$data/Pelora.mdb" "INSERT INTO 時給ヘッダ (氏名, タイトル) VALUES ('山田花子', '12月分')"
before=$(sha256sum "$data/Pelora.mdb" | cut -d' ' -f1)
step "started as a user: $data/Pelora.mdb made, a sheet registered"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$work/pelora-newer.deb" >"$work/apt.log" 2>&1 \
  || fail "apt-get install of the newer package"
step "upgraded to $(dpkg-query -W -f='${Version}' pelora)"
[ "$(sha256sum "$data/Pelora.mdb" | cut -d' ' -f1)" = "$before" ] || fail "the data changed in the upgrade"
run_pelora
[ "$(sqlite3 "$data/Pelora.mdb" "SELECT count(*) FROM 時給ヘッダ WHERE タイトル = '12月分'")" = 1 ] \
  || fail "the sheet is gone after the upgrade"
step "the upgraded program starts on the same data, the sheet still there"
before=$(sha256sum "$data/Pelora.mdb" | cut -d' ' -f1)
DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq pelora >"$work/apt.log" 2>&1 || fail "apt-get remove"
[ ! -e /usr/bin/pelora ] || fail "/usr/bin/pelora is still there"
[ "$(sha256sum "$data/Pelora.mdb" | cut -d' ' -f1)" = "$before" ] || fail "the data changed in the removal"
step "removed: the program gone, $data as it was ($(ls "$data" | tr '\n' ' '))"
