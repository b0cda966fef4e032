#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmark (RelWithDebInfo, build-bench/), runs it on the offscreen
# platform and puts its figures into docs/PERFORMANCE.md between the bench marks;
# the notes around them are kept. Figures only: nothing here passes or fails on
# timing. About a minute and a half on two cores. Extra arguments go to the
# program, e.g. --runs 11 or --only transfers.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-bench
mkdir -p "$dir"
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNA_BENCH=ON \
  > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
cmake --build "$dir" --target vorna-bench -j "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime directory; give it one rather than a warning per child.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime

"$dir/bench/vorna-bench" --report docs/PERFORMANCE.md "$@"
echo "Figures written to docs/PERFORMANCE.md"
