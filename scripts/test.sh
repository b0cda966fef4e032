#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds and runs every test: the suite twice, in a normal
# build and one under AddressSanitizer + UndefinedBehaviorSanitizer, the
# timing-sensitive tests once more beside CPU-bound load, and a short fuzz run; then
# what users get: the Debian package built, checked, installed, used and purged
# (scripts/deb-check.sh), and the Windows build, its zip and installer, tested under
# Wine (scripts/windows.sh). VORNA_LINUX_ONLY=1 stops after the suite.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
bash scripts/install-deps.sh
echo "== Licence lines =="
bash scripts/check-licence-lines.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "$@" > "$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log"; exit 1; }
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

mkdir -p build-test build-asan
echo "== Normal build =="
run_suite build-test
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build =="
run_suite build-asan -DVORNA_SANITIZE=ON

echo "== docs/RELIABILITY.md against the fault matrix =="
python3 scripts/reliability.py --build build-test --asan build-asan --check

# The tests that wait on a real pty once more, while every core is kept busy: their
# outcome must not depend on how the machine schedules them. stress-ng ends by itself
# at its time-out should this script be killed; the trap ends it otherwise.
echo "== Timing-sensitive tests on a loaded machine (stress-ng --cpu $jobs) =="
stress-ng --cpu "$jobs" --timeout "${LOAD_SECONDS:-600}s" --quiet &
stress_pid=$!
trap 'kill "$stress_pid" 2>/dev/null || true; wait "$stress_pid" 2>/dev/null || true' EXIT
ctest --test-dir build-test --output-on-failure -j "$jobs" -L timing --timeout 300
kill "$stress_pid" 2>/dev/null || true
wait "$stress_pid" 2>/dev/null || true
trap - EXIT

if [ -f fuzz/CMakeLists.txt ]; then
  echo "== Fuzzing (bounded) =="
  bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
fi

echo "Linux suite: $((SECONDS - start)) s"
[ "${VORNA_LINUX_ONLY:-0}" = 1 ] && exit 0
bash scripts/deb-check.sh
echo "Linux legs: $((SECONDS - start)) s"
win=$SECONDS
bash scripts/windows.sh
for step in test e2e faults installer; do
  bash scripts/windows.sh "$step"
done
echo "Windows leg: $((SECONDS - win)) s; whole run: $((SECONDS - start)) s"
