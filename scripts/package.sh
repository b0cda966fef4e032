#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds a Release tree and packs it as a Debian package; prints the package's path.
#   bash scripts/package.sh [build folder]       (default: build-package)
# Set VORNA_SKIP_DEPS=1 to skip the check for the build packages.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-package}

if [ "${VORNA_SKIP_DEPS:-0}" != 1 ]; then
  bash scripts/install-deps.sh >&2
fi

# Debian's hardening flags, all of them (bindnow and PIE too). CMake reads no
# CPPFLAGS, so they go in front of the compiler flags. The optimisation level is
# dpkg-buildflags' -O2: the Release type only adds NDEBUG. Its -g is stripped
# from the packed programs again (cmake/DebianPackage.cmake).
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORNA_TESTS=OFF "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" \
  -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DCMAKE_C_FLAGS_RELEASE=-DNDEBUG \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_SHARED_LINKER_FLAGS="$LDFLAGS" >&2
cmake --build "$dir" --parallel "${VORNA_JOBS:-$(nproc)}" >&2
rm -f "$dir"/vorna_*.deb
(cd "$dir" && cpack -G DEB) >&2

debs=("$dir"/vorna_*.deb)
if [ ! -f "${debs[0]}" ]; then
  echo "package.sh: cpack made no vorna_*.deb in $dir" >&2
  exit 1
fi
realpath "${debs[0]}"
