#!/usr/bin/env bash
# Builds Pelora for 64-bit Windows on Debian 12 and checks it under Wine:
#   1. installs the Debian packages it needs, when any is missing;
#   2. builds Qt for Windows once from Debian's own sources into a cache folder outside the
#      repository (${PELORA_WIN_CACHE:-$HOME/.cache/pelora-windows}), reused when present,
#      and there too PostgreSQL's client library (with OpenSSL) and Qt's driver for it;
#   3. builds Pelora.exe and the test programs into build-windows/;
#   4. runs the whole suite under Wine, headless, and prints ctest's summary;
#   5. packs dist/Pelora-<version>-windows-x64.zip and, from the same files, the setup
#      dist/Pelora-<version>-setup.exe (NSIS);
#   6. unpacks the zip into a fresh Wine and starts it there; installs, upgrades and
#      uninstalls the setup in another fresh Wine, one line per step; in a third, has the
#      unpacked Pelora.exe register a sheet, typed into its window, on a throwaway PostgreSQL
#      server on 127.0.0.1, and reads the sheet there with psql (the stage pgcheck).
# Stages can be run alone: scripts/windows.sh [qt|psql|build|test|pack|check|pgcheck]...
# Qt is cached for every checkout; the Wine prefixes are the checkout's own
# (build-windows/wine-*), so that two checkouts never share one.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
cache=${PELORA_WIN_CACHE:-$HOME/.cache/pelora-windows}
qt=$cache/qt-6.4.2-win64          # the installed Windows Qt
jobs=$(nproc)
stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(qt psql build test pack check)

log() { printf '== %s\n' "$*"; }

# ---- 1. packages -------------------------------------------------------------------------
install_packages() {
  local packages=(
    build-essential cmake ninja-build perl python3
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
    g++-mingw-w64-x86-64-posix wine wine64 tcl dpkg-dev zip nsis sqlite3
    fonts-ipafont-gothic fonts-ipafont-mincho
    xvfb xauth xdotool imagemagick poppler-utils
    postgresql-15 openssl
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
# private_apt STATE-FOLDER apt-get|apt-cache ARGUMENTS...
private_apt() {
  local dir=$1 tool=$2
  shift 2
  "$tool" -o Dir::State="$dir/state" -o Dir::Cache="$dir/cache" \
          -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts="$dir/sources.list.d" \
          -o Debug::NoLocking=1 "$@"
}

# fetch_sources STATE-FOLDER DESTINATION SOURCE-PACKAGE...
# Each package in its newest version whose files the mirror has: a security update can
# be listed before its files reach the mirror, and then the one before it is taken.
fetch_sources() {
  local dir=$1 dest=$2 f p v
  shift 2
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
  private_apt "$dir" apt-get "${sandbox[@]}" update -qq
  mkdir -p "$dest"
  for p in "$@"; do
    for v in $(private_apt "$dir" apt-cache showsrc "$p" | sed -n 's/^Version: //p' | sort -u -r -V) ""; do
      [ -n "$v" ] || { echo "no version of the source package $p could be fetched" >&2; exit 1; }
      rm -rf "$dest/.fetching"
      mkdir "$dest/.fetching"
      if (cd "$dest/.fetching" && private_apt "$dir" apt-get "${sandbox[@]}" source --download-only -qq "$p=$v" \
            >/dev/null 2>&1); then
        mv "$dest/.fetching"/* "$dest/"
        break
      fi
    done
  done
  rm -rf "$dest/.fetching"
}

build_qt() {
  if [ -f "$qt/.pelora-complete" ]; then
    log "Qt for Windows: reusing $qt"
    return 0
  fi
  local started=$SECONDS
  log "Qt for Windows: building once into $qt (20-40 minutes on two cores)"
  rm -rf "$cache/src" "$cache/qt-build" "$qt"
  fetch_sources "$cache/apt" "$cache/src" qt6-base sqlite3
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

# ---- 2b. PostgreSQL's client library and Qt's driver for it ---------------------------------
# libpq and the OpenSSL it speaks TLS with, cross-built once from Debian's postgresql-15 and
# openssl sources into a cache folder of their own (DLLs in bin/, headers, import libraries,
# licences); Qt's QPSQL plugin built from the cached Qt's own sources against it and put
# beside qsqlite.dll. Both are reused when present.
libpq=$cache/libpq-15-win64
psql_plugin=$qt/plugins/sqldrivers/qsqlpsql.dll
libpq_dlls=(libpq.dll libssl-3-x64.dll libcrypto-3-x64.dll)

build_psql() {
  if [ -f "$libpq/.pelora-complete" ] && [ -f "$psql_plugin" ]; then
    log "PostgreSQL driver for Windows: reusing $libpq and $psql_plugin"
    return 0
  fi
  [ -f "$qt/.pelora-complete" ] || { echo "no Windows Qt in $qt: run the qt stage first" >&2; exit 1; }
  local started=$SECONDS
  [ -f "$libpq/.pelora-complete" ] || build_libpq
  [ -f "$psql_plugin" ] || build_psql_plugin
  log "PostgreSQL driver for Windows built in $(( (SECONDS - started) / 60 )) min $(( (SECONDS - started) % 60 )) s"
}

build_libpq() {
  local work=$cache/libpq-build logs=$cache/libpq-build.log
  log "libpq and OpenSSL for Windows: building once into $libpq"
  rm -rf "$work" "$libpq"
  fetch_sources "$work/apt" "$work" postgresql-15 openssl
  cd "$work"
  dpkg-source -x --no-check postgresql-15_*.dsc postgresql >/dev/null
  dpkg-source -x --no-check openssl_*.dsc openssl >/dev/null
  : >"$logs"
  mkdir -p "$libpq"/{bin,lib,include,licenses}

  # OpenSSL: only its two libraries (no programs, engines or legacy provider). Its prefix is
  # where the DLLs look for openssl.cnf: a folder of Program Files, which only an
  # administrator can create, not a path of this machine's.
  (cd openssl &&
    ./Configure mingw64 shared no-tests no-engine no-legacy no-module \
        --cross-compile-prefix=x86_64-w64-mingw32- --prefix="C:/Program Files/OpenSSL" --libdir=lib &&
    nice make -j"$jobs" build_libs) >>"$logs" 2>&1 \
    || { tail -40 "$logs"; exit 1; }
  cp openssl/libssl-3-x64.dll openssl/libcrypto-3-x64.dll "$libpq/bin/"
  cp openssl/libssl.dll.a openssl/libcrypto.dll.a "$libpq/lib/"
  cp -r openssl/include/openssl "$libpq/include/"
  cp openssl/LICENSE.txt "$libpq/licenses/OpenSSL-LICENSE.txt"
  cp openssl/debian/copyright "$libpq/licenses/OpenSSL-copyright-debian.txt"

  # libpq: PostgreSQL's autoconf build knows MinGW; only the client library and its headers
  # are made (no readline, zlib, ICU or NLS: libpq.dll needs no DLL but OpenSSL's and Windows').
  (cd postgresql &&
    ./configure --host=x86_64-w64-mingw32 --prefix="$libpq" \
        --without-readline --without-zlib --without-icu --disable-nls --with-ssl=openssl \
        --with-includes="$libpq/include" --with-libraries="$libpq/lib" &&
    nice make -j"$jobs" -C src/interfaces/libpq &&
    make -C src/include install && make -C src/interfaces/libpq install) >>"$logs" 2>&1 \
    || { tail -40 "$logs"; exit 1; }
  cp postgresql/COPYRIGHT "$libpq/licenses/PostgreSQL-COPYRIGHT.txt"
  cp postgresql/debian/copyright "$libpq/licenses/PostgreSQL-copyright-debian.txt"
  local f
  for f in "${libpq_dlls[@]}"; do [ -f "$libpq/bin/$f" ] || { echo "no $f in $libpq/bin" >&2; exit 1; }; done
  cd "$repo"
  rm -rf "$work"
  touch "$libpq/.pelora-complete"
}

# Qt's sqldrivers folder is a CMake project of its own; built with the cached Qt's qt-cmake,
# only the PostgreSQL driver. Only the DLL is copied into the cached Qt: its CMake files would
# make every project that finds Qt6Sql look for PostgreSQL too.
build_psql_plugin() {
  local work=$cache/qsqlpsql-build logs=$cache/qsqlpsql-build.log
  log "Qt's PostgreSQL driver for Windows: $psql_plugin"
  rm -rf "$work"
  "$qt/bin/qt-cmake" -S "$cache/src/qtbase/src/plugins/sqldrivers" -B "$work" -G Ninja \
      -DCMAKE_BUILD_TYPE=Release \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      -DFEATURE_sql_psql=ON -DFEATURE_sql_sqlite=OFF -DFEATURE_sql_odbc=OFF -DFEATURE_sql_mysql=OFF \
      -DFEATURE_sql_ibase=OFF -DFEATURE_sql_oci=OFF -DFEATURE_sql_db2=OFF \
      -DPostgreSQL_INCLUDE_DIR="$libpq/include" -DPostgreSQL_LIBRARY="$libpq/lib/libpq.a" \
      >"$logs" 2>&1 || { tail -40 "$logs"; exit 1; }
  nice cmake --build "$work" >>"$logs" 2>&1 || { tail -40 "$logs"; exit 1; }
  cp "$work/plugins/sqldrivers/qsqlpsql.dll" "$psql_plugin"
  rm -rf "$work"
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
  # (Configured again when the last configure never finished: its cache names no compiler.)
  if [ ! -f build-windows/build.ninja ]; then
    rm -f build-windows/CMakeCache.txt
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
# (winemenubuilder would copy the setup's shortcuts into the Linux desktop's menu.)
wine_env() {
  export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

run_tests() {
  wine_env "$repo/build-windows/wine-tests"
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
  cp "$qt/plugins/sqldrivers/qsqlite.dll" "$psql_plugin" "$dir/plugins/sqldrivers/"
  # (qsqlpsql.dll's libpq and OpenSSL: beside the program, where Windows looks first.)
  cp "${libpq_dlls[@]/#/$libpq/bin/}" "$dir/"
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
  cp "$libpq"/licenses/*.txt "$l/"
  printf 'SQLite (inside Qt6Sql / qsqlite.dll) is in the public domain: https://www.sqlite.org/copyright.html\r\n' \
    >"$l/SQLite-public-domain.txt"
  # Windows' Notepad reads UTF-8 with its mark and CRLF line ends.
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' packaging/windows/readme-ja.txt; } >"$dir/はじめにお読みください.txt"

  (cd dist && zip -qr -X "$package.zip" "$package")
  ls -l "dist/$package.zip" | awk '{print $5, $9}'
  make_setup "$dir"
  rm -rf "$dir"
}

# ---- 5b. the setup, from the same files ---------------------------------------------------
setup_name=Pelora-$version-setup.exe

# NSIS lines for the files under a folder: File lines to install them, Delete and RMDir
# lines (deepest folder first) to uninstall exactly those.
nsis_lists() {
  local files=$1 out=$2 d f rel
  : >"$out/files.nsh"
  : >"$out/unfiles.nsh"
  while IFS= read -r d; do
    rel=${d#.}; rel=${rel#/}
    printf 'SetOutPath "$INSTDIR%s"\n' "${rel:+\\${rel//\//\\}}" >>"$out/files.nsh"
    while IFS= read -r f; do
      printf 'File "%s"\n' "$files/${f#./}" >>"$out/files.nsh"
      f=${f#./}
      printf 'Delete "$INSTDIR\\%s"\n' "${f//\//\\}" >>"$out/unfiles.nsh"
    done < <(cd "$files" && find "$d" -mindepth 1 -maxdepth 1 -type f | sort)
  done < <(cd "$files" && find . -type d | sort)
  while IFS= read -r d; do
    d=${d#./}
    printf 'RMDir "$INSTDIR\\%s"\n' "${d//\//\\}" >>"$out/unfiles.nsh"
  done < <(cd "$files" && find . -mindepth 1 -type d | sort -r)
}

make_setup() {
  local files=$1 lists=$repo/build-windows/setup started=$SECONDS
  log "making dist/$setup_name"
  rm -rf "$lists" "dist/$setup_name"
  mkdir -p "$lists"
  nsis_lists "$repo/$files" "$lists"
  # The licence page: UTF-8 with its mark, CRLF, as the installer's text control reads it.
  { printf '\xef\xbb\xbf'; sed 's/$/\r/' packaging/windows/license-ja.txt; } >"$lists/license.txt"
  # The picture of the first and the last page: the program's icon on its blue.
  convert -size 164x314 gradient:'#2b5d9c'-'#16345c' packaging/icons/pelora-128.png -gravity north \
    -geometry +0+36 -composite -type TrueColor "BMP3:$lists/welcome.bmp"
  makensis -INPUTCHARSET UTF8 -V2 -DVERSION="$version" -DLISTS="$lists" -DLICENSE="$lists/license.txt" \
    -DICON="$repo/packaging/icons/pelora.ico" -DWELCOME="$lists/welcome.bmp" -DOUTFILE="$repo/dist/$setup_name" \
    packaging/windows/pelora.nsi >"$lists/makensis.log" 2>&1 || { cat "$lists/makensis.log"; exit 1; }
  grep -i 'warning' "$lists/makensis.log" || true
  ls -l "dist/$setup_name" | awk '{print $5, $9}'
  log "setup made in $((SECONDS - started)) s"
}

# ---- 6. the zip and the setup as an office uses them ----------------------------------------
# A display of its own: Xvfb picks a free number, so that two checkouts never share one.
start_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=:$(head -1 "$fifo")
  rm -f "$fifo"
}

# The Pelora.exe processes of this Wine prefix only: another checkout may run its own.
pelora_pids() {
  local pid
  for pid in $(pgrep -f '(^|[/\\])Pelora\.exe( |$)' || true); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
  return 0
}

# Waits for Pelora's window; false when it did not come within two minutes.
wait_for_pelora() {
  local window
  for _ in $(seq 120); do
    window=$(xdotool search --name '^Pelora Ver' 2>/dev/null | head -1) && [ -n "$window" ] && { sleep 3; return 0; }
    sleep 1
  done
  return 1
}

# Closes Pelora's window as its close button does (taskkill without /f); true when the
# process then ended.
close_pelora() {
  wine taskkill /im Pelora.exe >/dev/null 2>&1 || true
  for _ in $(seq 30); do
    [ -z "$(pelora_pids)" ] && return 0
    sleep 1
  done
  return 1
}

# Unpacked into a folder of a fresh Wine, with nothing else on the path:
# Pelora.exe must start with no DLL missing, make data\ beside itself, and show its window.
check_zip() {
  local prefix=$repo/build-windows/wine-office
  rm -rf "$prefix"
  wine_env "$prefix"
  unset WINEPATH
  # (Wine links the user's Documents to the Unix home: a folder of the Windows side instead.)
  local documents=$prefix/drive_c/Office
  mkdir -p "$documents"
  unzip -q "dist/$package.zip" -d "$documents"
  local app=$documents/$package
  log "starting the unpacked Pelora.exe in a fresh Wine"
  local xvfb
  start_display
  local rc=0 run
  : >build-windows/office.log
  # Twice: the second start finds the files of the first (and takes its copy of them),
  # and each time the program must end when its window is closed, as an office closes it.
  for run in 1 2; do
    (cd "$app" && WINEDEBUG=err+module wine Pelora.exe >>"$repo/build-windows/office.log" 2>&1) &
    if ! wait_for_pelora; then
      echo "start $run: Pelora's window did not appear"; rc=1; break
    fi
    if [ $run = 1 ]; then
      import -window root build-windows/windows.png
      if [ -f "$app/data/Pelora.mdb" ] && [ -f "$app/data/PeloraWork.mdb" ]; then
        echo "window up, data\\ made beside Pelora.exe: $(cd "$app/data" && echo *)"
      else
        echo "no data folder beside Pelora.exe"; rc=1
      fi
    fi
    if ! close_pelora; then
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

# The setup in a fresh Wine, silently as a script runs it, one line per step: installed per
# user, started from its Start-menu shortcut with the data in the user's folder, refused
# while Pelora runs, upgraded in place with the data kept, uninstalled with the data kept.
# Then its first page is pictured (build-windows/setup.png).
check_setup() {
  local prefix=$repo/build-windows/wine-setup
  rm -rf "$prefix"
  wine_env "$prefix"
  unset WINEPATH
  log "the setup in a fresh Wine"
  # Japanese names on Wine's command line; and, as on a Japanese Windows, the
  # installer's face ＭＳ Ｐゴシック (IPA P Gothic here).
  export LC_ALL=C.UTF-8
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /t REG_SZ /d IPAPGothic /f \
    >/dev/null 2>&1
  local xvfb started=$SECONDS
  start_display
  local rc=0
  setup_steps || rc=1
  wineserver -k || true
  kill "$xvfb" 2>/dev/null || true
  log "the setup's check took $((SECONDS - started)) s"
  return $rc
}

setup_steps() {
  local n=0
  ok() { n=$((n + 1)); echo "setup $n: $*"; }
  failed() { n=$((n + 1)); echo "setup $n FAILED: $*"; return 1; }
  winvar() { wine cmd /c echo "%$1%" | tr -d '\r'; }
  sheets() { sqlite3 "$data/Pelora.mdb" "SELECT count(*) FROM 時給ヘッダ WHERE タイトル = '12月分'"; }
  digest() { sha256sum "$1" | cut -d' ' -f1; }
  local setup=$repo/dist/$setup_name code
  local instwin
  instwin="$(winvar LOCALAPPDATA)\\Programs\\Pelora"
  local inst roaming
  inst=$(winepath -u "$instwin")
  inst=${inst%/}
  roaming=$(winepath -u "$(winvar APPDATA)")
  roaming=${roaming%/}
  local data=$roaming/Pelora/data
  local menu="$roaming/Microsoft/Windows/Start Menu/Programs/Pelora 給与明細.lnk"
  local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelora'

  code=0; wine "$setup" /S || code=$?
  wineserver -w
  [ $code = 0 ] && [ -f "$inst/Pelora.exe" ] && [ -f "$inst/Pelora.installed" ] \
    || { failed "the silent install ended with $code; $inst holds: $(ls "$inst" 2>&1 | tr '\n' ' ')"; return 1; }
  local entry
  entry=$(wine reg query "$key" 2>/dev/null | tr -d '\r')
  for value in "DisplayVersion    REG_SZ    $version" "Publisher    REG_SZ    VORMAK" \
               "DisplayIcon    REG_SZ    $instwin\\Pelora.exe,0" "UninstallString    REG_SZ    \"$instwin\\uninstall.exe\""; do
    grep -qF "$value" <<<"$entry" || { failed "the uninstall entry lacks: $value"; return 1; }
  done
  local size
  size=$(sed -n 's/.*EstimatedSize    REG_DWORD    //p' <<<"$entry")
  size=$((${size:-0}))
  [ "$size" -gt 0 ] || { failed "the uninstall entry has no size"; return 1; }
  ok "installed per user in $instwin; uninstall entry: version $version, publisher VORMAK, icon, ${size} KB, uninstaller"

  [ -f "$menu" ] && strings -a "$menu" | grep -qxF "$instwin\\Pelora.exe" \
    || { failed "no Start-menu shortcut 「Pelora 給与明細」 to $instwin\\Pelora.exe"; return 1; }
  ok "the Start-menu shortcut 「Pelora 給与明細」 points at $instwin\\Pelora.exe"

  wine start /unix "$menu" >/dev/null 2>&1
  wait_for_pelora || { failed "Pelora's window did not appear when started from the shortcut"; return 1; }
  [ -f "$data/Pelora.mdb" ] && [ ! -e "$inst/data" ] \
    || { failed "no $data/Pelora.mdb, or a data folder in the install folder"; return 1; }
  close_pelora || { failed "Pelora.exe did not end after its window was closed"; return 1; }
  ok "started from the shortcut: data\\Pelora.mdb made in %APPDATA%\\Pelora\\data, none in the install folder"

  sqlite3 "$data/Pelora.mdb" "INSERT INTO 時給ヘッダ (氏名, タイトル, 時給, 合計) VALUES ('山田花子', '12月分', 1000, 8000)"
  [ "$(sheets)" = 1 ] || { failed "the sheet could not be written"; return 1; }
  ok "a sheet registered (山田花子, 12月分) with sqlite3"

  wine start /unix "$inst/Pelora.exe" >/dev/null 2>&1
  wait_for_pelora || { failed "Pelora's window did not appear"; return 1; }
  local exe
  exe=$(digest "$inst/Pelora.exe")
  code=0; wine "$setup" /S || code=$?
  close_pelora || true
  [ $code != 0 ] && [ "$(digest "$inst/Pelora.exe")" = "$exe" ] \
    || { failed "the setup ran over a running Pelora (code $code)"; return 1; }
  ok "with Pelora running the setup stops (code $code) and leaves its files as they were"

  # (The old program files get an old time: the new ones keep the time they were built.)
  touch -d 2000-01-01 "$inst/Pelora.exe" "$inst/Qt6Core.dll"
  local old before
  old=$(date -d 2000-01-01 +%s)
  before=$(digest "$data/Pelora.mdb")
  code=0; wine "$setup" /S || code=$?
  wineserver -w
  [ $code = 0 ] && [ "$(stat -c %Y "$inst/Pelora.exe")" != "$old" ] && [ "$(stat -c %Y "$inst/Qt6Core.dll")" != "$old" ] \
    || { failed "the upgrade ended with $code, or left the old program files"; return 1; }
  [ "$(digest "$data/Pelora.mdb")" = "$before" ] && [ "$(sheets)" = 1 ] \
    || { failed "the data changed in the upgrade"; return 1; }
  touch build-windows/setup/started
  wine start /unix "$menu" >/dev/null 2>&1
  wait_for_pelora || { failed "the upgraded Pelora did not start"; return 1; }
  close_pelora || { failed "Pelora.exe did not end after its window was closed"; return 1; }
  [ "$data/Pelora.session" -nt build-windows/setup/started ] && [ ! -e "$inst/data" ] \
    || { failed "the upgraded Pelora did not run on the same data"; return 1; }
  ok "installed again (upgrade): the program files written anew, the sheet still there, Pelora starts on it"

  before=$(digest "$data/Pelora.mdb")
  code=0; wine "$inst/uninstall.exe" /S || code=$?
  wineserver -w
  [ $code = 0 ] && [ ! -e "$inst" ] && [ ! -e "$menu" ] || { failed "the uninstall left: $(ls "$inst" "$menu" 2>&1 | tr '\n' ' ')"; return 1; }
  ! wine reg query "$key" >/dev/null 2>&1 || { failed "the uninstall entry is still there"; return 1; }
  [ "$(digest "$data/Pelora.mdb")" = "$before" ] && [ "$(sheets)" = 1 ] \
    || { failed "the data changed in the uninstall"; return 1; }
  ok "uninstalled: program files, shortcut and uninstall entry gone; data folder intact ($(ls "$data" | tr '\n' ' '))"

  wine "$setup" >/dev/null 2>&1 &
  local window=""
  for _ in $(seq 60); do
    window=$(xdotool search --name 'セットアップ$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 1
  done
  [ -n "$window" ] || { failed "the installer's window did not appear"; return 1; }
  sleep 2
  import -window "$window" build-windows/setup.png
  ok "the installer's first page: build-windows/setup.png"
}

# ---- 6b. Pelora.exe on an office's PostgreSQL server --------------------------------------------
# A throwaway server on 127.0.0.1 with TLS (scripts/pgserver.sh), on which the database
# pelora_office is made with psql, as the office's administrator makes it. The zip is unpacked
# into a fresh Wine with nothing else on the path; Pelora's settings in the registry name that
# database with sslmode=require, and the password is in %APPDATA%\postgresql\pgpass.conf, where
# libpq looks. Pelora.exe is started there and, as an operator does, with xdotool: asked
# whether to make its tables in the empty database, answered はい; a sheet typed into 入力シート
# and registered. Debian's psql then reads the sheet on the server. One line per step; the
# check stops at the first that does not hold. Pelora.exe's +loaddll trace must show the
# driver's DLLs loaded from the unpacked zip. build-windows/pelora-server.png pictures the
# window after registering.
. "$repo/scripts/pgserver.sh"

check_psql() {
  local prefix=$repo/build-windows/wine-psql trace=$repo/build-windows/pgcheck.log
  rm -rf "$prefix"
  wine_env "$prefix"
  unset WINEPATH
  # (Japanese in the window titles xdotool looks for, and in psql's statements and answers.)
  export LC_ALL=C.UTF-8
  local app=$prefix/drive_c/Office/$package
  unzip -q "dist/$package.zip" -d "$prefix/drive_c/Office"
  log "Pelora.exe from the unpacked zip in a fresh Wine, on a throwaway PostgreSQL server"
  pgdir=$(mktemp -d)
  trap 'pg_stop "$pgdir"' EXIT
  pg_start "$pgdir" tcp >/dev/null
  local xvfb started=$SECONDS rc=0
  start_display
  server_steps || rc=1
  close_pelora || true
  # Each of the driver's DLLs loaded from the unpacked zip, none missing.
  local f where
  for f in qsqlpsql.dll "${libpq_dlls[@]}"; do
    where=$(grep -i -m1 -o "Loaded L\"[^\"]*\\\\$f\"" "$trace" || true)
    if grep -qiF "Office\\\\$package\\\\" <<<"$where"; then
      echo "loaded from the zip: ${where#Loaded L}"
    else
      echo "$f was not loaded from the zip: ${where:-not loaded}"; rc=1
    fi
  done
  if grep -E 'err:module' "$trace"; then
    echo "a DLL is missing from the zip"; rc=1
  fi
  wineserver -k || true
  kill "$xvfb" 2>/dev/null || true
  pg_stop "$pgdir"
  trap - EXIT
  log "the server's check took $((SECONDS - started)) s"
  return $rc
}

server_steps() {
  local n=0
  ok() { n=$((n + 1)); echo "server $n: $*"; }
  failed() { n=$((n + 1)); echo "server $n FAILED: $*"; return 1; }
  winvar() { wine cmd /c echo "%$1%" | tr -d '\r'; }
  local port password db=pelora_office
  port=$(sed -n 's/.*port=\([0-9]*\).*/\1/p' <<<"$PELORA_TEST_PG")
  password=$(sed -n 's/.*password=\([^ ]*\).*/\1/p' <<<"$PELORA_TEST_PG")
  local office="${PELORA_TEST_PG/dbname=postgres/dbname=$db}"
  office_sql() { "$pg_bin/psql" -X -A -t -v ON_ERROR_STOP=1 "$office" -c "$1" 2>&1; }
  # Waits up to 30 s for a query's answer to be the one given.
  answers() {
    for _ in $(seq 30); do [ "$(office_sql "$1")" = "$2" ] && return 0; sleep 1; done
    return 1
  }

  "$pg_bin/psql" -X -q -v ON_ERROR_STOP=1 "$PELORA_TEST_PG" -c "CREATE DATABASE $db" \
    || { failed "the database $db could not be made"; return 1; }
  ok "server at 127.0.0.1:$port with TLS; the empty database $db made with psql"

  local key='HKCU\Software\VORMAK\Pelora\server' value
  for value in "use REG_SZ true" "host REG_SZ 127.0.0.1" "port REG_DWORD $port" "database REG_SZ $db" \
               "user REG_SZ pelora" "sslmode REG_SZ require"; do
    set -- $value
    wine reg add "$key" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 || { failed "reg add $key $1"; return 1; }
  done
  local pgpass
  pgpass=$(winepath -u "$(winvar APPDATA)\\postgresql\\pgpass.conf")
  mkdir -p "$(dirname "$pgpass")"
  printf '127.0.0.1:%s:%s:pelora:%s\n' "$port" "$db" "$password" >"$pgpass"
  ok "registry: $key names $db, sslmode=require; its password in %APPDATA%\\postgresql\\pgpass.conf"

  (cd "$app" && WINEDEBUG=-all,err+module,+loaddll wine Pelora.exe >"$trace" 2>&1) &
  local window=""
  for _ in $(seq 120); do
    window=$(xdotool search --name '^Pelora の起動$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 1
  done
  [ -n "$window" ] || { import -window root build-windows/pelora-server.png
                        failed "Pelora did not ask to make its tables (build-windows/pelora-server.png)"; return 1; }
  sleep 2
  # (A refusal has the same title, and only OK: the letter leaves it there.)
  xdotool windowfocus "$window" key y
  sleep 5
  if xdotool search --name '^Pelora の起動$' >/dev/null 2>&1 || ! wait_for_pelora; then
    import -window root build-windows/pelora-server.png
    failed "Pelora did not start on the server: build-windows/pelora-server.png shows why"; return 1
  fi
  local tables tls
  tables=$(office_sql "SELECT count(*) FROM information_schema.tables WHERE table_schema = 'public'")
  tls=$(office_sql "SELECT s.version FROM pg_stat_ssl s JOIN pg_stat_activity a USING (pid) WHERE a.application_name LIKE 'Pelora%' AND s.ssl")
  [ "$(office_sql "SELECT count(*) FROM 時給ヘッダ")" = 0 ] && [ -n "$tls" ] \
    || { failed "no empty tables of Pelora's, or no TLS session of Pelora's on the server: $tables tables, ${tls:-no TLS}"; return 1; }
  ok "asked to make its tables, answered はい: $tables tables on the server, Pelora connected over $tls"

  # From the name field: 時給, タイトル, 休憩, then the grid's first date; Return goes on to the
  # next column. Ctrl+Tab leaves the grid for 登録, and its question is answered with Enter.
  # (Latin letters: a character that no key of the display has reaches a program under Wine
  # as the first such character typed, whatever xdotool maps. Tables and columns have
  # Japanese names all the same.)
  local name='Yamada Hanako' title='2025-05' wage=1050
  window=$(xdotool search --name '^Pelora Ver' | head -1)
  xdotool windowfocus "$window"
  xdotool type --delay 100 "$name"
  xdotool key --delay 100 Tab; xdotool type --delay 100 "$wage"
  xdotool key --delay 100 Tab; xdotool type --delay 100 "$title"
  xdotool key --delay 100 Tab Tab
  xdotool type --delay 100 20250501; xdotool key Return
  xdotool type --delay 100 0900; xdotool key Return
  xdotool type --delay 100 1700; xdotool key Return
  sleep 1
  xdotool key --delay 200 ctrl+Tab space
  window=""
  for _ in $(seq 30); do
    window=$(xdotool search --name '^登録の確認$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 1
  done
  [ -n "$window" ] && xdotool windowfocus "$window" key Return
  # The sheet as typed: 8 hours at the wage, one line.
  local expected="$name|$title|$((8 * wage))" registered=yes sheet
  answers "SELECT 氏名, タイトル, 合計 FROM 時給ヘッダ" "$expected" && answers "SELECT count(*) FROM 時給明細" 1 \
    || registered=no
  import -window root build-windows/pelora-server.png
  sheet="$(office_sql "SELECT 氏名, タイトル, 合計 FROM 時給ヘッダ"), $(office_sql "SELECT count(*) FROM 時給明細") line(s)"
  [ $registered = yes ] \
    || { failed "typed $expected, one line; on the server: $sheet (build-windows/pelora-server.png)"; return 1; }
  ok "a sheet typed into Pelora's window and registered; read on the server with psql: $sheet"

  close_pelora || { failed "Pelora.exe did not end after its window was closed"; return 1; }
  ok "window closed, Pelora.exe ended"
}

install_packages
for stage in "${stages[@]}"; do
  case $stage in
    qt) build_qt ;;
    psql) build_psql ;;
    build) build_pelora ;;
    test) run_tests ;;
    pack) pack ;;
    check) check_zip; check_setup; check_psql ;;
    pgcheck) check_psql ;;
    *) echo "unknown stage: $stage" >&2; exit 2 ;;
  esac
done
