#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds Vorna for 64-bit Windows on Debian: Qt for MinGW once into a cache outside
# the work tree, then vorna.exe and vorna-cli.exe, a portable zip and an NSIS installer.
# Usage: scripts/windows.sh [all|qt|build|package|test|e2e|faults|installer|dialogs]
#   all (the default): Qt, the programs and both packages; test: the tests under Wine;
#   e2e: the unpacked zip against the Linux simulator through a Wine COM port;
#   faults: the window's fault matrix from the unpacked zip against that simulator;
#   installer: the installer installed, run and uninstalled silently under Wine;
#   dialogs: screenshots of the project file dialogs under a Polish Wine.
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
jobs=$(nproc)
# shellcheck source=scripts/apt.sh
. "$root/scripts/apt.sh"

log() { printf '== %s ==\n' "$*"; }

install_packages() {
  local packages=(g++-mingw-w64-x86-64-posix wine64 wine nsis dpkg-dev zip unzip xz-utils
                  googletest cmake ninja-build qt6-base-dev qt6-base-dev-tools xvfb xauth
                  fonts-dejavu-core fonts-liberation qt6-translations-l10n poppler-utils)
  local missing=() p updated=0
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # qtbase comes from Debian's own source package of the Qt the Linux build uses.
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
      | $sudo tee /etc/apt/sources.list.d/vorna-deb-src.sources > /dev/null
    updated=1
  fi
  if [ ${#missing[@]} -gt 0 ] || [ "$updated" = 1 ]; then
    apt_update
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# The folders of the MinGW runtime DLLs, as the compiler that links the programs finds
# them. Asked only once MinGW is installed: on a first run it is not there before.
find_mingw_runtime() {
  local dll path
  mingw_runtime=()
  for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    path=$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")
    # The compiler echoes a name it cannot find as it stands.
    [ -f "$path" ] || { echo "MinGW's $dll not found (the compiler says: $path)" >&2; exit 1; }
    path=$(dirname "$(readlink -f "$path")")
    [[ " ${mingw_runtime[*]} " == *" $path "* ]] || mingw_runtime+=("$path")
  done
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

# The toolchain file without its comments: a comment changes no build, so it must not
# cost a rebuild of Qt.
toolchain_settings() { grep -v '^[[:space:]]*#' "$toolchain"; }

qt_key() {
  {
    apt-get source --print-uris -qq qt6-base | awk '{print $2, $4}'
    grep " $serialport_tar\$" "$third_party/SHA256SUMS"
    printf '%s\n' "${qt_flags[@]}"
    toolchain_settings
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
  key=$( { dpkg-query -W -f='${Version}' googletest; toolchain_settings; } | sha256sum | cut -c1-16)
  gtest_prefix=$cache/googletest-$key
  [ -f "$gtest_prefix/.complete" ] && return
  log "Building GoogleTest for Windows"
  # Built aside and moved into place whole: several work trees may share the cache.
  local tmp; tmp=$(mktemp -d "$cache/googletest-build.XXXXXX")
  cmake -S /usr/src/googletest -B "$tmp/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$tmp/prefix" -DBUILD_GMOCK=OFF \
    > "$tmp/googletest.log" 2>&1 \
    && nice -n 5 cmake --build "$tmp/build" -j "$jobs" >> "$tmp/googletest.log" 2>&1 \
    && cmake --install "$tmp/build" >> "$tmp/googletest.log" 2>&1 \
    || { tail -n 40 "$tmp/googletest.log"; rm -rf "$tmp"; exit 1; }
  touch "$tmp/prefix/.complete"
  [ -f "$gtest_prefix/.complete" ] || { rm -rf "$gtest_prefix"; mv "$tmp/prefix" "$gtest_prefix"; }
  rm -rf "$tmp"
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
copyright() { sed -n 's/^set(VORNA_COPYRIGHT "\(.*\)")$/\1/p' "$root/cmake/VersionResource.cmake"; }

# Windows' own DLLs, in lower case: a program or plugin of the package may import these,
# and the api-ms-win-* API sets, and otherwise only what the package holds.
windows_dlls=(advapi32 authz comdlg32 d3d9 d3d11 dwmapi dwrite dxgi gdi32 imm32 kernel32 mpr
  msvcrt netapi32 ole32 oleaut32 setupapi shcore shell32 shlwapi user32 userenv uxtheme version
  winmm ws2_32 wtsapi32)

imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }

# Copies a file into the package and notes where it came from (for the notices).
ship() {
  local file=$1 dir=$2
  mkdir -p "$stage/$dir"
  cp "$file" "$stage/$dir/"
  printf '%s\t%s\n' "${dir:+$dir/}$(basename "$file")" "$(readlink -f "$file")" >> "$origins"
}

# The DLLs a program or plugin imports that come with Qt or MinGW, and theirs in turn.
copy_imports() {
  local dll dir
  for dll in $(imports "$1"); do
    [ -f "$stage/$dll" ] && continue
    for dir in "$qt_prefix/bin" "${mingw_runtime[@]}"; do
      if [ -f "$dir/$dll" ]; then
        ship "$dir/$dll" ""
        copy_imports "$dir/$dll"
        break
      fi
    done
  done
}

# Fails, naming each, when a program or DLL in the folder imports a DLL that is neither
# beside the programs nor one of Windows' own.
check_imports() {
  local folder=$1 f dll lower unmet=0
  while IFS= read -r -d '' f; do
    for dll in $(imports "$f"); do
      lower=${dll,,}
      [[ $lower == api-ms-win-* || " ${windows_dlls[*]} " == *" ${lower%.dll} "* ]] && continue
      [ -n "$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
      echo "${f#"$folder"/} imports $dll, which is neither in the package nor Windows' own" >&2
      unmet=1
    done
  done < <(find "$folder" -iname '*.exe' -print0 -o -iname '*.dll' -print0)
  [ "$unmet" -eq 0 ] || exit 1
}

# The version resource of each program, read back from the file: the project's version,
# the product's name and the file's own.
check_version_resources() {
  local f
  for f in "$stage"/*.exe; do
    x86_64-w64-mingw32-windres -J coff -O rc -i "$f" \
      | python3 "$root/scripts/version_resource.py" "$(basename "$f")" "$(version)"
  done
}

# Debian's version of the qt6-base source that Qt for Windows is built from (its cache key).
qt_source_version() {
  apt-get source --print-uris -qq qt6-base | sed -n "s/.* qt6-base_\(.*\)\.dsc .*/\1/p"
}

package() {
  local v name f
  v=$(version)
  name=vorna-$v
  stage=$build/package/$name
  origins=$build/package/origins.tsv
  log "Packaging $name for Windows"
  rm -rf "$build/package" && mkdir -p "$stage" "$out"
  ship "$build/src/app/vorna.exe" ""
  ship "$build/src/cli/vorna-cli.exe" ""
  # Plugins are loaded at run time: the platform, and the style that gives the window
  # the system's own look (without it Qt falls back to a generic one).
  ship "$qt_prefix/plugins/platforms/qwindows.dll" platforms
  ship "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" styles
  # vorna-cli report draws its sheet on the offscreen platform, set in DejaVu Sans,
  # which that platform reads from lib/fonts and a stock Windows does not have.
  ship "$qt_prefix/plugins/platforms/qoffscreen.dll" platforms
  for f in /usr/share/fonts/truetype/dejavu/DejaVuSans{,-Bold}.ttf; do
    ship "$f" lib/fonts
  done
  for f in "$stage"/*.exe "$stage"/platforms/*.dll "$stage"/styles/*.dll; do
    copy_imports "$f"
  done
  check_imports "$stage"
  # Qt's own texts (dialog buttons, context menus) in Polish; vorna.exe loads it from here.
  ship /usr/share/qt6/translations/qtbase_pl.qm translations
  find "$stage" \( -name "*.exe" -o -name "*.dll" \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
  check_version_resources
  cp "$root/LICENSE" "$stage/LICENSE.txt"
  python3 "$root/scripts/package_licences.py" --stage "$stage" --origins "$origins" \
    --build "$build" --qt-prefix "$qt_prefix" --qt-version "$qt_version" --qt-source "$(qt_source_version)" \
    --serialport "$serialport_tar" --version "$v"

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
    -DLICENSE="$stage/LICENSE.txt" -DCOPYRIGHT="$(copyright)" \
    -DOUTFILE="$out/$name-setup.exe" "$root/data/windows/vorna.nsi"
  echo "   size  in the zip  file"
  unzip -lv "$out/$name-win64.zip" | awk 'NR > 3 && $8 ~ /[^\/]$/ { printf "%9s %9s  %s\n", $1, $3, $8 }' | sort -k3
  ls -l "$out/$name-win64.zip" "$out/$name-setup.exe"
}

# Makes the prefix $WINEPREFIX and waits until its own programs have ended: until
# then Wine may fail to start ours.
init_prefix() {
  timeout 300 wineboot --init > /dev/null 2>&1 || true
  timeout 120 wineserver -w || true
}

# Wine: its own prefix in the cache, Windows paths to Qt and the MinGW runtime.
wine_env() {
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "Creating the Wine prefix $WINEPREFIX"
    init_prefix
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

# A Wine prefix made afresh, and nothing on WINEPATH: a program finds only the DLLs of
# its own folder and Windows' (Wine's) own, as on a bare Windows.
fresh_wine() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export PATH=$PATH:/usr/lib/wine   # wine64 itself, for 64-bit programs and registry views
  unset WINEPATH
  rm -rf "$WINEPREFIX"
  log "A fresh Wine prefix: $WINEPREFIX"
  init_prefix
  [ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix in $WINEPREFIX" >&2; exit 1; }
}

# Ends what still runs in the fresh prefix of this step, and removes the step's folder.
# Another prefix's programs (another work tree's tests) are left alone.
end_fresh() {
  [[ ${WINEPREFIX:-} == "$e2e_dir"/* ]] && { timeout 60 wineserver -k 2> /dev/null || true; }
  rm -rf "$e2e_dir"
}

# The hook com_port.sh builds lives beside the prefix, not in the shared cache.
hook_dir() { echo "${VORNA_WINE_DIR:-$wine_prefix-hook}"; }

# The package unpacked into a folder, as a technician unpacks the zip; prints its path.
unpack_zip() {
  local zip; zip=$out/vorna-$(version)-win64.zip
  [ -f "$zip" ] || { echo "no $zip: run scripts/windows.sh first" >&2; exit 1; }
  mkdir -p "$1" && unzip -q "$zip" -d "$1"
  echo "$1/vorna-$(version)"
}

# Every DLL that Wine loaded from a file (not one of its own) came from the given folder
# or is the test hook: read from a WINEDEBUG=-all,err+module,+loaddll log.
check_loaded_from() {
  python3 "$root/scripts/wine_loaded_dlls.py" "$1" "$(winepath -w "$2")" "$(winepath -w "$(hook_dir)")"
}

# On a failure the simulator's last frames show which side went quiet.
end_e2e() {
  local status=$?
  kill "$sim_pid" 2> /dev/null || true
  if [ "$status" -ne 0 ]; then
    echo "-- the last frames the simulator saw and answered:"
    tail -n 8 "$e2e_dir/sim.log"
  fi
  end_fresh
}

# What a technician downloads, against the Linux simulator's terminal as Wine's COM5 and
# COM12 (a two-digit name): the unpacked zip in a fresh prefix. Wine 8 reads a
# pseudo-terminal through a COM port only with the test hook that tests/wine/com_port.sh
# loads into the program.
run_e2e() {
  local linux_build=${VORNA_LINUX_BUILD:-$root/build-test}
  [ -x "$linux_build/sim/vorna-sim" ] && [ -x "$linux_build/src/cli/vorna-cli" ] \
    || { echo "no Linux build with vorna-sim and vorna-cli in $linux_build" >&2; exit 1; }
  e2e_dir=$(mktemp -d)
  trap end_e2e EXIT
  fresh_wine "$e2e_dir/prefix"
  local app; app=$(unpack_zip "$e2e_dir/zip")
  "$linux_build/sim/vorna-sim" --pace --log --link "$e2e_dir/tty" --memory "$e2e_dir/controller.bin" \
    > "$e2e_dir/sim.out" 2> "$e2e_dir/sim.log" &
  sim_pid=$!
  local i
  for i in $(seq 50); do [ -e "$e2e_dir/tty" ] && break; sleep 0.1; done
  export WINE_DIR; WINE_DIR=$(hook_dir)
  export WINE_TIMEOUT=180
  local com_port=$root/tests/wine/com_port.sh
  cd "$e2e_dir"   # no DLL from the current folder either

  # Polish letters in the paths: the programs must find the files all the same.
  local project=$e2e_dir/projekt-zażółć.vrp readback=$e2e_dir/odczyt-łódź.vrp
  cp "$root/tests/project/data/new_file.vrp" "$project"
  log "The unpacked zip's vorna-cli.exe: write --verify, then read, through COM5"
  local t0=$SECONDS
  WINEDEBUG=-all,err+module,+loaddll "$com_port" "$e2e_dir/tty" COM5 "$app/vorna-cli.exe" --port COM5 write --verify \
    "$(winepath -w "$project")" 2> "$e2e_dir/cli-loads.log" \
    || { i=$?; grep -v ':loaddll:' "$e2e_dir/cli-loads.log" >&2; echo "vorna-cli.exe: exit code $i" >&2; return 1; }
  grep -v ':loaddll:' "$e2e_dir/cli-loads.log" >&2 || true
  check_loaded_from "$e2e_dir/cli-loads.log" "$app"
  "$com_port" "$e2e_dir/tty" COM5 "$app/vorna-cli.exe" --port COM5 read "$(winepath -w "$readback")"
  echo "write --verify and read under Wine: $((SECONDS - t0)) s"
  log "The file Windows read, checked by the Linux build against the controller"
  "$linux_build/src/cli/vorna-cli" --port "$e2e_dir/tty" verify "$readback"
  cmp "$project" "$readback"

  log "The unpacked zip's vorna-cli.exe without a port: diff and the site sheet"
  local other=$e2e_dir/inny-źródło.vrp sheet=$e2e_dir/arkusz-łódź.pdf code=0
  sed 's/^Szafka7=0000000020/Szafka7=FFFFFFFFFF/' "$project" > "$other"
  wine64 "$app/vorna-cli.exe" diff "$(winepath -w "$project")" "$(winepath -w "$other")" \
    > "$e2e_dir/diff.out" || code=$?
  cat "$e2e_dir/diff.out"
  [ "$code" -eq 6 ] && grep -q '^KARTY_SZAFEK/Szafka7: A ma 0000000020, B ma FFFFFFFFFF' "$e2e_dir/diff.out" \
    || { echo "vorna-cli.exe diff: exit $code, not the one difference" >&2; return 1; }
  wine64 "$app/vorna-cli.exe" report "$(winepath -w "$project")" -o "$(winepath -w "$sheet")"
  pdffonts "$sheet"
  pdftotext -layout "$sheet" - | grep -q 'Użytkownik' \
    || { echo "the sheet made under Wine lacks its Polish text" >&2; return 1; }
  pdffonts "$sheet" | awk 'NR > 2 && $0 !~ /DejaVuSans/ { bad = 1 } END { exit bad }' \
    || { echo "the sheet made under Wine is not set in DejaVu Sans alone" >&2; return 1; }
  pdftoppm -png -r 60 -f 1 -l 1 "$sheet" "$out/vorna-wine-site-sheet"

  log "The unpacked zip's vorna-cli.exe enrols two cards through COM6"
  local enrolled=$e2e_dir/zapisy-ćma.vrp
  "$linux_build/sim/vorna-sim" --link "$e2e_dir/tty-reader" --card-on-arming 04A1B2C3D5,04A1B2C3D6@300 \
    > /dev/null 2> "$e2e_dir/reader-sim.log" &
  local reader_pid=$!
  for i in $(seq 50); do [ -e "$e2e_dir/tty-reader" ] && break; sleep 0.1; done
  code=0
  "$com_port" "$e2e_dir/tty-reader" COM6 "$app/vorna-cli.exe" --port COM6 enroll "$(winepath -w "$enrolled")" \
    --slots master:1,pasek:1 --wait 60 || code=$?
  kill "$reader_pid" 2> /dev/null || true
  [ "$code" -eq 0 ] && grep -q '^Serwis1=04A1B2C3D5' "$enrolled" && grep -q '^Szafka1=04A1B2C3D6' "$enrolled" \
    || { echo "vorna-cli.exe enroll: exit $code, the cards not in the file" >&2; return 1; }

  # The window's test program stands in for vorna.exe here: the same window from the
  # same library, clicked and read back field by field. It runs from a copy of the
  # unpacked folder, so it loads the shipped DLLs, platform and style; it adds Qt6Test.dll.
  log "The window reads the card list through COM12, from a copy of the unpacked zip (under Xvfb)"
  local window=$e2e_dir/window
  cp -r "$app" "$window"
  cp "$build/tests/tst_com_port.exe" "$qt_prefix/bin/Qt6Test.dll" "$window/"
  check_imports "$window"
  mkdir -p "$out"
  local status=0 report=$e2e_dir/tst_com_port.txt
  VORNA_TEST_PORT=COM12 VORNA_TEST_PROJECT="$(winepath -w "$project")" \
    VORNA_TEST_SCREENSHOT="$(winepath -w "$out/vorna-wine-card-list.png")" WINEDEBUG=-all,err+module,+loaddll \
    xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$com_port" "$e2e_dir/tty" COM12 "$window/tst_com_port.exe" -o "$(winepath -w "$report"),txt" \
    2> "$e2e_dir/window-loads.log" || status=$?
  grep -v ':loaddll:' "$e2e_dir/window-loads.log" >&2 || true
  cat "$report" 2> /dev/null || echo "tst_com_port.exe wrote no report"
  grep -q '^Totals: [1-9][0-9]* passed, 0 failed, 0 skipped' "$report" 2> /dev/null || status=1
  check_loaded_from "$e2e_dir/window-loads.log" "$window" || status=1

  log "The unpacked zip's vorna.exe starts and shows its window (under Xvfb)"
  local title="Ostek Programator Vorna v.4"
  WINEDEBUG=-all,err+module,+loaddll xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine64 "$1" 2> "$2" &
    for i in $(seq 240); do
      if xwininfo -root -tree | grep -qF "\"$3\""; then
        echo "vorna.exe shows its window \"$3\""; timeout 60 wineserver -k; exit 0
      fi
      sleep 0.5
    done
    echo "vorna.exe showed no window \"$3\" within 120 s" >&2; timeout 60 wineserver -k; exit 1' \
    _ "$app/vorna.exe" "$e2e_dir/vorna-loads.log" "$title" || status=1
  check_loaded_from "$e2e_dir/vorna-loads.log" "$app" || status=1
  return "$status"
}

# A value of the 64-bit registry, or nothing when the key or value is not there.
reg_value() {
  wine64 reg query "$1" /v "$2" 2> /dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

# The installer in a fresh prefix, silently, as CI can: what it installs, the program
# it installs, its Start-menu link and Uninstall entry; then the silent uninstall, and
# that nothing of it is left.
run_installer() {
  local v name setup
  v=$(version)
  name=vorna-$v
  setup=$out/$name-setup.exe
  [ -f "$setup" ] || { echo "no $setup: run scripts/windows.sh first" >&2; exit 1; }
  e2e_dir=$(mktemp -d)
  trap end_fresh EXIT
  fresh_wine "$e2e_dir/prefix"
  local c=$WINEPREFIX/drive_c
  local dir="$c/Program Files/Vorna" link="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vorna.lnk"
  local key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorna'
  local failed=0
  fail() { echo "FAIL: $*"; failed=1; }

  log "Installing: $(basename "$setup") /S"
  local status=0
  timeout 300 wine "$setup" /S || status=$?
  timeout 120 wineserver -w || true
  echo "setup.exe exit code: $status"
  [ "$status" -eq 0 ] || fail "setup.exe /S exit code $status"
  # The folder holds what the zip holds, and the uninstaller.
  local installed expected
  installed=$(cd "$dir" 2> /dev/null && find . -type f | sort)
  expected=$( (unzip -Z1 "$out/$name-win64.zip" | sed -n "s|^$name/\(.*[^/]\)\$|./\1|p"; echo ./uninstall.exe) | sort)
  echo "C:\\Program Files\\Vorna: $(echo "$installed" | grep -c .) files, $(du -sk "$dir" 2> /dev/null | cut -f1) KiB"
  [ "$installed" = "$expected" ] \
    || fail "installed files differ from the package: $(diff <(echo "$expected") <(echo "$installed") | grep '^[<>]' | tr '\n' ' ')"
  local shown
  status=0
  shown=$(WINEDEBUG=-all,err+module timeout 60 wine64 "$dir/vorna-cli.exe" --version 2>&1) || status=$?
  shown=$(echo "$shown" | tr -d '\r')
  echo "installed vorna-cli.exe --version (exit code $status): $shown"
  [ "$status" -eq 0 ] && [ "$shown" = "vorna-cli $v" ] || fail "vorna-cli.exe --version"
  if [ -f "$link" ]; then
    local target
    target=$(x86_64-w64-mingw32-strings -a -e l "$link" | sed -n 's/^.*\([A-Z]:\\Program Files\\Vorna\\vorna\.exe\)/\1/ip' | head -n1)
    echo "Start menu: Vorna.lnk -> $target"
    [ -n "$target" ] || fail "Vorna.lnk does not point at vorna.exe"
  else
    fail "no Start-menu link $link"
  fi
  local shown_name shown_version
  shown_name=$(reg_value "$key" DisplayName)
  shown_version=$(reg_value "$key" DisplayVersion)
  echo "Uninstall entry: DisplayName=$shown_name DisplayVersion=$shown_version UninstallString=$(reg_value "$key" UninstallString)"
  [ "$shown_name" = Vorna ] || fail "DisplayName is '$shown_name'"
  [ "$shown_version" = "$v" ] || fail "DisplayVersion is '$shown_version'"

  log "Uninstalling: uninstall.exe /S"
  status=0
  # The uninstaller runs from a copy of itself in the temporary folder: wait for that too.
  timeout 300 wine "$dir/uninstall.exe" /S || status=$?
  timeout 120 wineserver -w || true
  echo "uninstall.exe exit code: $status"
  [ "$status" -eq 0 ] || fail "uninstall.exe /S exit code $status"
  [ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . | tr '\n' ' ')"
  [ ! -e "$link" ] || fail "left behind: the Start-menu link"
  wine64 reg query "$key" > /dev/null 2>&1 && fail "left behind: $key"
  wine64 reg query 'HKLM\Software\Vorna' > /dev/null 2>&1 && fail 'left behind: HKLM\Software\Vorna'
  [ "$failed" -eq 0 ] && echo "Nothing of Vorna is left: no folder, no link, no registry key."
  return "$failed"
}

# Wine's own texts follow the locale: Polish needs pl_PL.UTF-8 generated.
polish_locale() {
  locale -a | grep -qix 'pl_PL\.utf-\?8' && return
  log "Generating the pl_PL.UTF-8 locale"
  $sudo sed -i 's/^# *\(pl_PL\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^pl_PL\.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen > /dev/null
  $sudo locale-gen > /dev/null
}

# The project file dialogs as a Polish Windows shows them (Wine's own, in a Polish
# prefix), clicked in the unpacked zip's vorna.exe on a Wine desktop under Xvfb: a name
# typed without extension is saved with ".vrp", the save dialog opens again with that
# name and replaces the file without a question, and the open dialog lists the files.
# Writes out/wine-dialog-{save,open}.png. Paced by pauses, so not part of CI.
run_dialog_screenshots() {
  dpkg-query -W -f='${Status}' xdotool 2>/dev/null | grep -q "install ok installed" \
    || $sudo apt-get install -y -qq --no-install-recommends xdotool > /dev/null
  polish_locale
  export LANG=pl_PL.UTF-8
  e2e_dir=$(mktemp -d)
  trap end_fresh EXIT
  fresh_wine "$e2e_dir/prefix"
  local app; app=$(unpack_zip "$e2e_dir/zip")
  mkdir -p "$out" "$e2e_dir/projekty"
  cp "$root/tests/project/data/new_file.vrp" "$e2e_dir/projekty/szafki-parter.vrp"
  cd "$e2e_dir/projekty"   # where the dialogs open first
  # The buttons' centres on the 1280x800 desktop: the window is centred on it, and its
  # client area (form_tables.cpp) starts 3 px right of and 21 px below the frame's corner.
  xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -e
    click() { xdotool mousemove "$1" "$2" click 1; sleep 5; }
    load="1049 150" save="1129 150"
    WINEDEBUG=-all,+commdlg wine64 explorer /desktop=Vorna,1280x800 "$1" 2> "$3" &
    sleep 15
    click $save; xdotool type --delay 50 szafki-pietro; xdotool key Return; sleep 4
    [ -f szafki-pietro.vrp ] || { echo "FAIL: no szafki-pietro.vrp after the save" >&2; exit 1; }
    echo "saved as szafki-pietro.vrp: the default extension added"
    before=$(stat -c %i szafki-pietro.vrp)
    click $save; import -window root "$2/wine-dialog-save.png"; xdotool key Return; sleep 4
    [ "$(stat -c %i szafki-pietro.vrp)" != "$before" ] || { echo "FAIL: the second save did not replace the file" >&2; exit 1; }
    echo "saved again under the name the dialog kept: replaced without a question"
    click $load; import -window root "$2/wine-dialog-open.png"; xdotool key Escape; sleep 2
    timeout 60 wineserver -k || true' _ "$app/vorna.exe" "$out" "$e2e_dir/commdlg.log"
  # Wine's trace of its file dialog: the system's own dialog was shown, and given the
  # name last chosen.
  grep -m1 'SetFileName.*szafki-pietro\.vrp' "$e2e_dir/commdlg.log" \
    || { echo "FAIL: the system's file dialog was not given the name last chosen" >&2; exit 1; }
  ls -l "$out"/wine-dialog-*.png
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
  local app control=$faults_dir/control
  app=$(unpack_zip "$faults_dir")
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
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINE_DIR; WINE_DIR=$(hook_dir)
  export WINE_TIMEOUT=600
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
  package) install_packages; find_mingw_runtime; build_qt; package ;;
  test) install_packages; find_mingw_runtime; build_qt; run_tests ;;
  e2e) install_packages; build_qt; run_e2e ;;
  faults) install_packages; build_qt; run_faults ;;
  installer) install_packages; run_installer ;;
  dialogs) install_packages; run_dialog_screenshots ;;
  all) install_packages; find_mingw_runtime; build_qt; build_vorna; package ;;
  *) echo "usage: $0 [all|qt|build|package|test|e2e|faults|installer|dialogs]" >&2; exit 2 ;;
esac
