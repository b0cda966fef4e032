#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the window as a desktop does, from the Exec line of its desktop entry, on the
# X server of $DISPLAY (xvfb-run); checks that it shows its window and stays up,
# takes a screenshot, closes it with the close button's request and wants exit 0.
#   window_check.sh DESKTOP_FILE SCREENSHOT
# Every file the program opens is traced (-z: only opens that succeeded, each on one
# line), to see Qt's Polish translation loaded.
set -euo pipefail
desktop=$1 shot=$2
here=$(dirname "$0")
title="Ostek Programator Vorna v.4"
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT

# Field codes (%f, %U, ...) stand for files to open; none is given.
command=$(sed -n 's/^Exec=//p' "$desktop" | head -n 1 | sed 's/ *%[fFuUdDnNickvm]//g')
[ -n "$command" ] || { echo "FAIL: $desktop has no Exec line"; exit 1; }
echo "Exec line: $command"
# shellcheck disable=SC2086  # the Exec line is split into words as a desktop does
strace -f -qq -z -e trace=openat -o "$trace" $command &
pid=$!

python3 "$here/x11_window.py" wait "$title" 60
sleep 2
if ! kill -0 "$pid" 2> /dev/null; then
  echo "FAIL: the window closed by itself"
  exit 1
fi
echo "the window stays up"
import -window root "$shot"
echo "screenshot: $shot"
python3 "$here/x11_window.py" close "$title"
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAIL: vorna ended with exit code $status after its window was closed"
  exit 1
fi
echo "the window closed and vorna ended with exit code 0"

qm=/usr/share/qt6/translations/qtbase_pl.qm
if grep -q "\"$qm\"" "$trace"; then
  echo "Qt's texts in Polish: vorna opened $qm"
else
  echo "FAIL: vorna did not open $qm"
  exit 1
fi
