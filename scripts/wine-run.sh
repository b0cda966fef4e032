#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program of the cross build under Wine, with a time limit: a hung Wine
# must not hold up the test run. VORNA_WINE_TIMEOUT seconds, 300 by default.
#
# Wine now and then fails to start a process at all ("Application could not be
# started ... ShellExecuteEx failed"), most often in a prefix made moments before.
# The program never ran then, so that one failure is tried again, at most twice;
# whatever the program itself does is never retried. Wine says so on standard output;
# both outputs are passed on when the program ends, from files, which a wineserver
# started here may keep open without holding anything up.
set -uo pipefail
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2 3; do
  timeout --kill-after=10 "${VORNA_WINE_TIMEOUT:-300}" wine "$@" > "$out" 2> "$err"
  status=$?
  cat "$out"
  cat "$err" >&2
  if [ "$status" -eq 0 ] || ! grep -q '^Application could not be started' "$out" "$err"; then
    exit "$status"
  fi
  echo "wine-run.sh: Wine did not start $1 (attempt $attempt); trying again" >&2
  sleep 2
done
exit "$status"
