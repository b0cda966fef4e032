#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [seconds per target]   (default 30; longer runs: 600 or more)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=build-fuzz
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVORNA_FUZZ=ON -DVORNA_TESTS=OFF > "$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; exit 1; }
targets=$(for f in fuzz/*_fuzz.cpp; do basename "$f" .cpp; done)
cmake --build "$dir" -j "$(nproc)" --target $targets
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
for t in $targets; do
  corpus="$dir/corpus-$t"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds+=("fuzz/seeds/$t")
  echo "-- $t: ${seconds}s"
  log="$dir/$t.log"
  status=0
  "$dir/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$corpus" "${seeds[@]}" > "$log" 2>&1 || status=$?
  grep -E "^(stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY)" "$log" || true
  if [ "$status" -ne 0 ]; then tail -n 40 "$log"; echo "$t failed"; exit 1; fi
done
