#!/usr/bin/env bash
# Installs the Debian packages Pelora needs to build, run and test, when any is missing.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake
  qt6-base-dev libqt6sql6-sqlite qt6-translations-l10n qt6-qpa-plugins
  sqlite3
  postgresql-15 libqt6sql6-psql openssl  # a throwaway server for the tests (scripts/pgserver.sh) and Qt's driver
  nftables                # the server tests cut the network to it (pg_cut)
  fonts-ipafont-gothic fonts-ipafont-mincho
  xvfb xauth xdotool
  libreoffice-calc-nogui  # the CSV test has a spreadsheet read the files it writes
  poppler-utils           # the statement tests read the text of the PDFs they write (pdftotext)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
