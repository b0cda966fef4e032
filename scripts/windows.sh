#!/usr/bin/env bash
# Cross-builds Vorna for 64-bit Windows on Debian: Qt for MinGW once into a cache outside
# the work tree, then vorna.exe and vorna-cli.exe, a portable zip and an NSIS installer.
# Usage: scripts/windows.sh [all|qt|build|package|test|e2e|faults]
#   all (the default): Qt, the programs and both packages; test: the tests under Wine;
#   e2e: the Windows programs against the Linux simulator through a Wine COM port;
#   faults: the window's fault matrix from the unpacked zip against that simulator.
# The packages land in out/: vorna-<version>-win64.zip and vorna-<version>-setup.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
step=${1:-all}
cache=${VORNA_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vorna-windows}
third_party=${VORNA_THIRD_PARTY:-$root/../shared/third_party}
qt_version=6.4.2
serialport_tar=qtserialport-everywhere-src-$qt_version.tar.xz
toolchain=$root/cmake/mingw-w64-x86_64.cmake
build=$root/build-win
out=$root/out
wine_prefix=${VORNA_WINEPREFIX:-$cache/wine}
mingw_runtime=(/usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
jobs=$(nproc)
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

log() { printf '== %s ==\n' "$*"; }

install_packages() {
  local packages=(g++-mingw-w64-x86-64-posix wine64 wine nsis dpkg-dev zip xz-utils
                  googletest cmake ninja-build qt6-base-dev qt6-base-dev-tools xvfb xauth
                  fonts-dejavu-core fonts-liberation)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # qtbase comes from Debian's own source package of the Qt the Linux build uses.
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      | $sudo tee /etc/apt/sources.list.d/vorna-deb-src.sources > /dev/null
    $sudo apt-get update -qq
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Configure flags are part of the cache key: changing them rebuilds Qt.
qt_flags=(
  -release -shared -opensource -confirm-license
  -xplatform win32-g++
  -qt-host-path /usr -nomake tests -nomake examples
  -no-opengl -no-feature-vulkan -no-dbus -no-icu
  -no-feature-sql -no-feature-network -no-feature-xml -no-feature-concurrent
  -no-feature-printsupport -no-feature-tabletevent
  -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-harfbuzz -qt-freetype
)

qt_key() {
  {
    apt-get source --print-uris -qq qt6-base | awk '{print $2, $4}'
    grep " $serialport_tar\$" "$third_party/SHA256SUMS"
    printf '%s\n' "${qt_flags[@]}"
    cat "$toolchain"
  } | sha256sum | cut -c1-16
}

build_qt() {
  local key; key=$(qt_key)
  qt_prefix=$cache/qt-$qt_version-$key
  if [ -f "$qt_prefix/.complete" ]; then
    log "Qt for Windows from the cache: $qt_prefix"
    return
  fi
  # An interrupted build goes on where it stopped.
  local work=$cache/work-$key
  if [ ! -f "$work/.sources" ]; then
    rm -rf "$work" && mkdir -p "$work/src"
    log "Fetching qtbase and Qt Serial Port sources"
    (cd "$work/src" && apt-get source -qq qt6-base > "$work/source.log" 2>&1) \
      || { cat "$work/source.log"; exit 1; }
    (cd "$third_party" && grep " $serialport_tar\$" SHA256SUMS | sha256sum -c --quiet -)
    tar -C "$work/src" -xf "$third_party/$serialport_tar"
    touch "$work/.sources"
  fi
  local qtbase; qtbase=$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -n1)

  log "Building qtbase for Windows (log: $work/qtbase.log)"
  mkdir -p "$work/qtbase"
  (cd "$work/qtbase" \
     && { [ -f build.ninja ] || "$qtbase/configure" -prefix "$qt_prefix" "${qt_flags[@]}" \
            -- -G Ninja -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain"; } \
     && nice -n 15 cmake --build . --parallel "$jobs" && cmake --install .) \
    >> "$work/qtbase.log" 2>&1 || { tail -n 60 "$work/qtbase.log"; exit 1; }

  log "Building Qt Serial Port for Windows (log: $work/qtserialport.log)"
  mkdir -p "$work/qtserialport"
  (cd "$work/qtserialport" && "$qt_prefix/bin/qt-configure-module" \
     "$work/src/qtserialport-everywhere-src-$qt_version" \
     && nice -n 15 cmake --build . --parallel "$jobs" && cmake --install .) \
    > "$work/qtserialport.log" 2>&1 || { tail -n 60 "$work/qtserialport.log"; exit 1; }

  touch "$qt_prefix/.complete"
  rm -rf "$work"
}


build_googletest() {
  local key
  key=$( { dpkg-query -W -f='${Version}' googletest; cat "$toolchain"; } | sha256sum | cut -c1-16)
  gtest_prefix=$cache/googletest-$key
  [ -f "$gtest_prefix/.complete" ] && return
  log "Building GoogleTest for Windows"
  rm -rf "$cache/googletest-build"
  cmake -S /usr/src/googletest -B "$cache/googletest-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=OFF \
    > "$cache/googletest.log" 2>&1 \
    && nice -n 5 cmake --build "$cache/googletest-build" -j "$jobs" >> "$cache/googletest.log" 2>&1 \
    && cmake --install "$cache/googletest-build" >> "$cache/googletest.log" 2>&1 \
    || { tail -n 40 "$cache/googletest.log"; exit 1; }
  touch "$gtest_prefix/.complete"
  rm -rf "$cache/googletest-build"
}

build_vorna() {
  build_googletest
  log "Cross-building Vorna (log: $build.log)"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" > "$build.log" 2>&1 \
    && nice -n 5 cmake --build "$build" -j "$jobs" >> "$build.log" 2>&1 \
    || { tail -n 60 "$build.log"; exit 1; }
}

version() { sed -n 's/^project(Vorna VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"; }

# The DLLs a program or plugin imports that come with Qt or MinGW, and theirs in turn.
# Windows' own DLLs are found in no folder searched here and are left out.
copy_imports() {
  local file=$1 dest=$2 dll dir
  for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
    [ -f "$dest/$dll" ] && continue
    for dir in "$qt_prefix/bin" "${mingw_runtime[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$dest/"
        copy_imports "$dest/$dll" "$dest"
        break
      fi
    done
  done
}

package() {
  local v stage name
  v=$(version)
  name=vorna-$v
  stage=$build/package/$name
  log "Packaging $name for Windows"
  rm -rf "$build/package" && mkdir -p "$stage/platforms" "$stage/styles" "$out"
  cp "$build/src/app/vorna.exe" "$build/src/cli/vorna-cli.exe" "$stage/"
  # Plugins are loaded at run time: the platform, and the style that gives the window
  # the system's own look (without it Qt falls back to a generic one).
  cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
  cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
  local f
  for f in "$stage"/*.exe "$stage"/platforms/*.dll "$stage"/styles/*.dll; do
    copy_imports "$f" "$stage"
  done
  find "$stage" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded

  rm -f "$out/$name-win64.zip"
  (cd "$build/package" && zip -qr9 "$out/$name-win64.zip" "$name")

  # What the uninstaller removes: every file, then the folders deepest first.
  (cd "$stage" && find . -type f | sed 's|^\./||; s|/|\\|g; s|.*|!insertmacro RemoveFile "&"|') \
    > "$build/package/files.nsh"
  (cd "$stage" && find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|!insertmacro RemoveDir "&"|') \
    > "$build/package/dirs.nsh"
  python3 "$root/scripts/png_to_ico.py" "$build/package/vorna.ico" \
    "$root"/data/icons/vorna-{32,64,128}.png
  makensis -V2 -DVERSION="$v" -DSTAGE="$stage" -DICON="$build/package/vorna.ico" \
    -DFILES="$build/package/files.nsh" -DDIRS="$build/package/dirs.nsh" \
    -DOUTFILE="$out/$name-setup.exe" "$root/data/windows/vorna.nsi"
  ls -l "$out/$name-win64.zip" "$out/$name-setup.exe"
}

# Wine: its own prefix in the cache, Windows paths to Qt and the MinGW runtime.
wine_env() {
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "Creating the Wine prefix $WINEPREFIX"
    timeout 300 wineboot --init > /dev/null 2>&1 || true
  fi
  local dirs=("$qt_prefix/bin" "${mingw_runtime[@]}") d path=""
  for d in "${dirs[@]}"; do path+="$(winepath -w "$d");"; done
  export WINEPATH=$path
}

run_tests() {
  wine_env
  # Window tests run headless on the offscreen platform, which reads its fonts from
  # Qt's lib/fonts (Wine keeps QT_QPA_FONTDIR from Windows programs): the window's
  # stand-in families, as on Linux.
  mkdir -p "$qt_prefix/lib/fonts"
  cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf \
     /usr/share/fonts/truetype/liberation/LiberationMono-*.ttf "$qt_prefix/lib/fonts/"
  log "Unit tests under Wine"
  local status=0
  ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300 || status=$?
  # Qt Test programs log to files under Wine; show their totals (and failures).
  local f
  for f in "$build"/tests/tst_*.txt; do
    [ -f "$f" ] || continue
    if grep -q '^FAIL!' "$f"; then grep -B2 -A6 '^FAIL!' "$f"; fi
    printf '%s: %s\n' "$(basename "$f" .txt)" "$(grep '^Totals:' "$f")"
  done
  return $status
}

# On a failure the simulator's last frames show which side went quiet.
end_e2e() {
  local status=$?
  kill "$sim_pid" 2> /dev/null || true
  if [ "$status" -ne 0 ]; then
    echo "-- the last frames the simulator saw and answered:"
    tail -n 8 "$e2e_dir/sim.log"
  fi
  rm -rf "$e2e_dir"
}

# The Linux simulator's terminal as Wine's COM5 and COM12 (a two-digit name). Wine 8
# reads a pseudo-terminal through a COM port only with the test hook that
# tests/wine/com_port.sh loads into the program.
run_e2e() {
  wine_env
  local linux_build=${VORNA_LINUX_BUILD:-$root/build-test}
  [ -x "$linux_build/sim/vorna-sim" ] && [ -x "$linux_build/src/cli/vorna-cli" ] \
    || { echo "no Linux build with vorna-sim and vorna-cli in $linux_build" >&2; exit 1; }
  e2e_dir=$(mktemp -d)
  trap end_e2e EXIT
  "$linux_build/sim/vorna-sim" --pace --log --link "$e2e_dir/tty" --memory "$e2e_dir/controller.bin" \
    > "$e2e_dir/sim.out" 2> "$e2e_dir/sim.log" &
  sim_pid=$!
  local i
  for i in $(seq 50); do [ -e "$e2e_dir/tty" ] && break; sleep 0.1; done
  export WINE_DIR=$cache/wine-hook WINE_TIMEOUT=180
  local com_port=$root/tests/wine/com_port.sh

  # Polish letters in the paths: the programs must find the files all the same.
  local project=$e2e_dir/projekt-zażółć.vrp readback=$e2e_dir/odczyt-łódź.vrp
  cp "$root/tests/project/data/new_file.vrp" "$project"
  log "vorna-cli.exe write --verify, then read, through COM5"
  local t0=$SECONDS
  "$com_port" "$e2e_dir/tty" COM5 "$build/src/cli/vorna-cli.exe" --port COM5 write --verify "$(winepath -w "$project")"
  "$com_port" "$e2e_dir/tty" COM5 "$build/src/cli/vorna-cli.exe" --port COM5 read "$(winepath -w "$readback")"
  echo "write --verify and read under Wine: $((SECONDS - t0)) s"
  log "The file Windows read, checked by the Linux build against the controller"
  "$linux_build/src/cli/vorna-cli" --port "$e2e_dir/tty" verify "$readback"
  cmp "$project" "$readback"

  log "The window reads the card list through COM12 (Qt's windows platform, under Xvfb)"
  mkdir -p "$out"
  local status=0 report=$build/tests/tst_com_port.txt
  rm -f "$report"
  VORNA_TEST_PORT=COM12 VORNA_TEST_PROJECT="$(winepath -w "$project")" \
    VORNA_TEST_SCREENSHOT="$(winepath -w "$out/vorna-wine-card-list.png")" \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$com_port" "$e2e_dir/tty" COM12 "$build/tests/tst_com_port.exe" -o "$(winepath -w "$report"),txt" \
    || status=$?
  cat "$report" 2> /dev/null || echo "tst_com_port.exe wrote no report"
  grep -q '^Totals: [1-9][0-9]* passed, 0 failed, 0 skipped' "$report" 2> /dev/null || status=1
  return $status
}

end_faults() {
  kill "$faults_sim_pid" 2> /dev/null || true
  rm -rf "$faults_dir"
}

# The window's fault matrix (tests/gui/tst_fault_matrix.cpp) as shipped: the test
# program in a copy of the unpacked zip, with no WINEPATH; the Linux simulator in a
# process of its own behind COM7, reset for each case through its control folder.
# The report is checked against docs/RELIABILITY.md. Qt's offscreen platform by
# default; VORNA_WINE_PLATFORM=windows runs it on the shipped windows platform under
# Xvfb instead, which is closer to users and about four times slower (a real window
# for each of the 117 cases).
run_faults() {
  local linux_build=${VORNA_LINUX_BUILD:-$root/build-test} zip
  zip=$out/vorna-$(version)-win64.zip
  [ -x "$linux_build/sim/vorna-sim" ] || { echo "no Linux build with vorna-sim in $linux_build" >&2; exit 1; }
  [ -f "$zip" ] && [ -f "$build/tests/tst_fault_matrix.exe" ] \
    || { echo "no $zip or tst_fault_matrix.exe: run scripts/windows.sh first" >&2; exit 1; }
  faults_dir=$(mktemp -d)
  trap end_faults EXIT
  python3 -m zipfile -e "$zip" "$faults_dir"
  local app=$faults_dir/vorna-$(version) control=$faults_dir/control
  # The test program, the one Qt library only it needs and, by default, the offscreen platform.
  local platform=${VORNA_WINE_PLATFORM:-offscreen} display=()
  cp "$build/tests/tst_fault_matrix.exe" "$qt_prefix/bin/Qt6Test.dll" "$app/"
  if [ "$platform" = offscreen ]; then
    # It reads its fonts from the folder's lib/fonts: the window's stand-in families, as on Linux.
    cp "$qt_prefix/plugins/platforms/qoffscreen.dll" "$app/platforms/"
    mkdir -p "$app/lib/fonts"
    cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf \
       /usr/share/fonts/truetype/liberation/LiberationMono-*.ttf "$app/lib/fonts/"
  else
    display=(xvfb-run -a -s "-screen 0 1280x1024x24")
  fi
  mkdir "$control"
  "$linux_build/sim/vorna-sim" --control "$control" --link "$control/tty" > "$faults_dir/sim.out" 2> "$faults_dir/sim.log" &
  faults_sim_pid=$!
  local i
  for i in $(seq 50); do [ -e "$control/tty" ] && break; sleep 0.1; done

  windows_path() { echo "Z:${1//\//\\}"; }
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINE_DIR=${WINE_DIR:-$cache/wine-hook} WINE_TIMEOUT=600
  unset WINEPATH
  export VORNA_SIM_CONTROL VORNA_SIM_PORT=COM7
  VORNA_SIM_CONTROL=$(windows_path "$control")
  # Beside, not among, the reports of the unit tests under Wine.
  local report=$build/wine-fault-matrix.txt status=0 t0=$SECONDS
  mkdir -p "$(dirname "$report")" && rm -f "$report"
  log "The window's fault matrix under Wine against the simulator on COM7 ($platform platform)"
  "${display[@]}" "$root/tests/wine/com_port.sh" "$control/tty" COM7 "$app/tst_fault_matrix.exe" \
    -platform "$platform" -o "$(windows_path "$report"),txt" || status=$?
  echo "fault matrix under Wine: $((SECONDS - t0)) s"
  if [ -f "$report" ]; then
    grep -B1 -A4 '^FAIL!' "$report" || true
    grep '^Totals:' "$report"
  else
    echo "tst_fault_matrix.exe wrote no report"
  fi
  grep -q '^Totals: [1-9][0-9]* passed, 0 failed' "$report" 2> /dev/null || status=1
  python3 "$root/scripts/reliability.py" --wine-report "$report" --check || status=1
  return $status
}

case $step in
  qt) install_packages; build_qt ;;
  build) install_packages; build_qt; build_vorna ;;
  package) install_packages; build_qt; package ;;
  test) install_packages; build_qt; run_tests ;;
  e2e) install_packages; build_qt; run_e2e ;;
  faults) install_packages; build_qt; run_faults ;;
  all) install_packages; build_qt; build_vorna; package ;;
  *) echo "usage: $0 [all|qt|build|package|test|e2e|faults]" >&2; exit 2 ;;
esac
