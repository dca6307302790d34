#!/usr/bin/env bash
# Builds Pelora for 64-bit Windows on Debian 12 and checks it under Wine:
#   1. installs the Debian packages it needs, when any is missing;
#   2. builds Qt for Windows once from Debian's own sources into a cache folder outside the
#      repository (${PELORA_WIN_CACHE:-$HOME/.cache/pelora-windows}), reused when present;
#   3. builds Pelora.exe and the test programs into build-windows/;
#   4. runs the whole suite under Wine, headless, and prints ctest's summary;
#   5. packs dist/Pelora-<version>-windows-x64.zip;
#   6. unpacks it into a fresh Wine and starts it there once.
# Stages can be run alone: scripts/windows.sh [qt|build|test|pack|check]...
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
cache=${PELORA_WIN_CACHE:-$HOME/.cache/pelora-windows}
qt=$cache/qt-6.4.2-win64          # the installed Windows Qt
jobs=$(nproc)
stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(qt build test pack check)

log() { printf '== %s\n' "$*"; }

# ---- 1. packages -------------------------------------------------------------------------
install_packages() {
  local packages=(
    build-essential cmake ninja-build perl python3
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
    g++-mingw-w64-x86-64-posix wine wine64 tcl dpkg-dev zip
    fonts-ipafont-gothic fonts-ipafont-mincho
    xvfb xauth xdotool imagemagick poppler-utils
  )
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  log "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# ---- 2. Qt for Windows -------------------------------------------------------------------
# Debian's source packages are fetched with a private apt state, so the system's apt lists and
# caches stay as they are: the same mirrors and suites as the system's, as deb-src entries.
private_apt() {
  local dir=$cache/apt
  apt-get -o Dir::State="$dir/state" -o Dir::Cache="$dir/cache" \
          -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/sources.list.d" \
          -o Debug::NoLocking=1 "$@"
}

fetch_sources() {
  local dir=$cache/apt f
  rm -rf "$dir"
  mkdir -p "$dir/state/lists/partial" "$dir/cache/archives/partial" "$dir/sources.list.d"
  : >"$dir/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$dir/sources.list"
  fi
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types:.*/Types: deb-src/' "$f" >"$dir/sources.list.d/$(basename "$f")"
  done
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >"$dir/sources.list.d/$(basename "$f")"
  done
  local sandbox=()
  [ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
  private_apt "${sandbox[@]}" update -qq
  mkdir -p "$cache/src"
  (cd "$cache/src" && private_apt "${sandbox[@]}" source --download-only -qq qt6-base sqlite3)
}

build_qt() {
  if [ -f "$qt/.pelora-complete" ]; then
    log "Qt for Windows: reusing $qt"
    return 0
  fi
  local started=$SECONDS
  log "Qt for Windows: building once into $qt (20-40 minutes on two cores)"
  rm -rf "$cache/src" "$cache/qt-build" "$qt"
  fetch_sources
  cd "$cache/src"
  dpkg-source -x --no-check qt6-base_*.dsc qtbase >/dev/null
  dpkg-source -x --no-check sqlite3_*.dsc sqlite3 >/dev/null

  # Debian's tarball leaves SQLite out; its amalgamation is made from Debian's sqlite3 sources.
  (cd sqlite3 && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
  mkdir -p qtbase/src/3rdparty/sqlite
  cp sqlite3/sqlite3.c sqlite3/sqlite3.h qtbase/src/3rdparty/sqlite/

  mkdir -p "$cache/qt-build"
  cd "$cache/qt-build"
  # Only what Pelora uses. Direct2D stays on (print support needs it to link); tablet events
  # are off because Debian removed their sources.
  "$cache/src/qtbase/configure" -prefix "$qt" -release -shared \
      -xplatform win32-g++ -qt-host-path /usr \
      -nomake examples -nomake tests -no-pkg-config \
      -no-opengl -no-feature-vulkan -no-dbus -no-icu \
      -no-feature-network -no-feature-xml -no-feature-concurrent \
      -no-feature-tabletevent \
      -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre -qt-doubleconversion \
      -sql-sqlite -qt-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql -no-sql-ibase -no-sql-oci -no-sql-db2 \
      -- -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
      -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >"$cache/qt-configure.log" 2>&1 \
    || { tail -50 "$cache/qt-configure.log"; exit 1; }
  cmake --build . --parallel "$jobs" >"$cache/qt-build.log" 2>&1 \
    || { grep -B5 -A20 -m3 -E 'error|FAILED' "$cache/qt-build.log"; exit 1; }
  cmake --install . >"$cache/qt-install.log" 2>&1
  cd "$repo"
  rm -rf "$cache/qt-build"
  touch "$qt/.pelora-complete"
  log "Qt for Windows built in $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s"
}

# ---- 3. Pelora.exe and the test programs ---------------------------------------------------
mingw_runtime=(
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libstdc++-6.dll
  /usr/lib/gcc/x86_64-w64-mingw32/12-posix/libgcc_s_seh-1.dll
  /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll
)
ipa_fonts=(
  /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf
  /usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf
)

build_pelora() {
  log "Pelora for Windows: build-windows/"
  if [ ! -f build-windows/CMakeCache.txt ]; then
    # Qt's toolchain file finds the Windows Qt and the build machine's tools (moc, uic);
    # it hands the compilers over to the repository's mingw toolchain.
    cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DCMAKE_CROSSCOMPILING_EMULATOR=wine \
      -DPELORA_TEST_FONTS="$repo/build-windows/fonts" >build-windows.configure.log 2>&1 \
      || { cat build-windows.configure.log; rm -f build-windows.configure.log; exit 1; }
    rm -f build-windows.configure.log
  fi
  mkdir -p build-windows/fonts
  cp -u "${ipa_fonts[@]}" build-windows/fonts/
  if ! cmake --build build-windows --parallel "$jobs" >build-windows/build.log 2>&1; then
    grep -B2 -A12 -m5 -E 'error|FAILED' build-windows/build.log
    exit 1
  fi
  grep -A3 -E 'warning:' build-windows/build.log || true
}

# ---- 4. the suite under Wine --------------------------------------------------------------
# A Wine of its own for the tests, with the Qt, compiler runtime and test fonts on its path.
# Wine hands a program no QT_* variable of the Unix side; WINEQT_X arrives as QT_X.
wine_env() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

run_tests() {
  wine_env "$cache/wine-tests"
  local path="Z:${qt//\//\\}\\bin;Z:\\usr\\lib\\gcc\\x86_64-w64-mingw32\\12-posix;Z:\\usr\\x86_64-w64-mingw32\\lib"
  export WINEPATH=$path
  log "the suite under Wine"
  # ctest starts a Wine process per test: one server for the whole run keeps them fast and
  # lets the tests' own child processes see each other's locks.
  wineserver -p || true   # (fails when one already runs for this prefix)
  # Wine's own processes (its services, and the desktop's explorer.exe that the first
  # program with a window starts) inherit that program's output handles and outlive it:
  # started by a program of ours whose output goes nowhere, on the display the tests
  # use, they hold none of ctest's pipes (ctest would wait for them until the timeout).
  local rc=0
  xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    WINEQT_QPA_PLATFORM=offscreen WINEQT_QPA_FONTDIR="$(pwd)/build-windows/fonts" \
      wine build-windows/tests/tst_mainwindow.exe </dev/null >/dev/null 2>&1
    exec ctest --test-dir build-windows --output-on-failure -j"$1"' sh "$jobs" \
    >build-windows/ctest.log 2>&1 || rc=$?
  wineserver -k || true
  if [ $rc -ne 0 ]; then
    cat build-windows/ctest.log
  else
    grep -E 'tests passed|tests failed|Total Test time' build-windows/ctest.log
  fi
  return $rc
}

# ---- 5. the zip ---------------------------------------------------------------------------
version=$(sed -n 's/^project(Pelora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package=Pelora-$version-windows-x64

pack() {
  local dir=dist/$package
  log "packing dist/$package.zip"
  rm -rf "$dir" "dist/$package.zip"
  mkdir -p "$dir"/{plugins/platforms,plugins/styles,plugins/sqldrivers,translations,fonts,licenses}
  cp build-windows/Pelora.exe "$dir/"
  x86_64-w64-mingw32-strip "$dir/Pelora.exe"
  local m
  for m in Core Gui Widgets Sql PrintSupport; do cp "$qt/bin/Qt6$m.dll" "$dir/"; done
  cp "${mingw_runtime[@]}" "$dir/"
  cp "$qt/plugins/platforms/qwindows.dll" "$dir/plugins/platforms/"
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$dir/plugins/styles/"
  cp "$qt/plugins/sqldrivers/qsqlite.dll" "$dir/plugins/sqldrivers/"
  cp /usr/share/qt6/translations/qtbase_ja.qm "$dir/translations/"
  cp "${ipa_fonts[@]}" "$dir/fonts/"
  find "$dir" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
  printf '[Paths]\r\nPrefix = .\r\nPlugins = plugins\r\nTranslations = translations\r\n' >"$dir/qt.conf"

  # The licences of what is shipped.
  local l=$dir/licenses
  cp "$cache/src/qtbase/LICENSES/LGPL-3.0-only.txt" "$l/Qt-LGPL-3.0.txt"
  cp "$cache/src/qtbase/LICENSES/GPL-3.0-only.txt" "$l/GPL-3.0.txt"
  cp "$cache/src/qtbase/debian/copyright" "$l/Qt-copyright.txt"
  cp /usr/share/doc/gcc-mingw-w64-base/copyright "$l/GCC-runtime-library-exception-copyright.txt"
  cp /usr/share/doc/mingw-w64-common/copyright "$l/mingw-w64-copyright.txt"
  cp /usr/share/doc/fonts-ipafont-gothic/copyright "$l/IPA-Font-License.txt"
  printf 'SQLite (inside Qt6Sql / qsqlite.dll) is in the public domain: https://www.sqlite.org/copyright.html\r\n' \
    >"$l/SQLite-public-domain.txt"
  # Windows' Notepad reads UTF-8 with its mark and CRLF line ends.
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' packaging/windows/readme-ja.txt; } >"$dir/はじめにお読みください.txt"

  (cd dist && zip -qr -X "$package.zip" "$package")
  rm -rf "$dir"
  ls -l "dist/$package.zip" | awk '{print $5, $9}'
}

# ---- 6. the zip as an office uses it ------------------------------------------------------
# Unpacked into a folder of a fresh Wine, with nothing else on the path:
# Pelora.exe must start with no DLL missing, make data\ beside itself, and show its window.
check_zip() {
  local prefix=$cache/wine-office
  rm -rf "$prefix"
  wine_env "$prefix"
  unset WINEPATH
  # (Wine links the user's Documents to the Unix home: a folder of the Windows side instead.)
  local documents=$prefix/drive_c/Office
  mkdir -p "$documents"
  unzip -q "dist/$package.zip" -d "$documents"
  local app=$documents/$package
  log "starting the unpacked Pelora.exe in a fresh Wine"
  local display=:$(( 90 + RANDOM % 50 ))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  export DISPLAY=$display
  sleep 2
  local rc=0 run
  : >build-windows/office.log
  # Twice: the second start finds the files of the first (and takes its copy of them),
  # and each time the program must end when its window is closed, as an office closes it.
  for run in 1 2; do
    (cd "$app" && WINEDEBUG=err+module wine Pelora.exe >>"$repo/build-windows/office.log" 2>&1) &
    local window=""
    for _ in $(seq 120); do
      window=$(xdotool search --name '^Pelora Ver' 2>/dev/null | head -1) && [ -n "$window" ] && break
      sleep 1
    done
    if [ -z "$window" ]; then
      echo "start $run: Pelora's window did not appear"; rc=1; break
    fi
    sleep 3
    if [ $run = 1 ]; then
      import -window root build-windows/windows.png
      if [ -f "$app/data/Pelora.mdb" ] && [ -f "$app/data/PeloraWork.mdb" ]; then
        echo "window up, data\\ made beside Pelora.exe: $(cd "$app/data" && echo *)"
      else
        echo "no data folder beside Pelora.exe"; rc=1
      fi
    fi
    # (taskkill without /f asks the window to close, as its close button does.)
    wine taskkill /im Pelora.exe >/dev/null 2>&1 || true
    local ended=""
    for _ in $(seq 30); do
      pgrep -f '(^|[/\\])Pelora\.exe( |$)' >/dev/null || { ended=yes; break; }
      sleep 1
    done
    if [ -z "$ended" ]; then
      echo "start $run: Pelora.exe did not end after its window was closed"; rc=1; break
    fi
    echo "start $run: window closed, Pelora.exe ended"
  done
  if grep -E 'err:module' build-windows/office.log; then
    echo "a DLL or plugin is missing from the zip"; rc=1
  fi
  wineserver -k || true
  kill "$xvfb" 2>/dev/null || true
  return $rc
}

for stage in "${stages[@]}"; do
  case $stage in
    qt) install_packages; build_qt ;;
    build) build_pelora ;;
    test) run_tests ;;
    pack) pack ;;
    check) check_zip ;;
    *) echo "unknown stage: $stage" >&2; exit 2 ;;
  esac
done
