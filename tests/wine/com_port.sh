#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program under Wine with a pseudo-terminal mapped as a COM port,
# readable the way QSerialPort reads one (see comm_event_hook.c for why Wine needs help).
#
#   tests/wine/com_port.sh PTY COMn PROGRAM.exe [ARGS...]
#
# Exits with the program's status, 124 if it overran the time limit.
# WINE_DIR (default /tmp/vorna-wine-UID) keeps the built hook, and the prefix unless
# WINEPREFIX names one, between runs; WINE_TIMEOUT is the limit in seconds (default 60).
set -euo pipefail

if [ $# -lt 3 ] || ! [[ ${2,,} =~ ^com[1-9][0-9]*$ ]]; then
    echo "usage: $0 PTY COMn PROGRAM.exe [ARGS...]" >&2
    exit 2
fi
# Mapped as given, not resolved: a simulator that restarts (vorna-sim --control) moves
# its link to a new terminal, and the port follows it.
pty=$1
[[ $pty = /* ]] || pty=$PWD/$pty
com=${2,,}
program=$3
shift 3
[ -c "$pty" ] || { echo "$0: $1 is not a terminal device" >&2; exit 2; }
[ -f "$program" ] || { echo "$0: $program not found" >&2; exit 2; }

here=$(cd "$(dirname "$0")" && pwd)
dir=${WINE_DIR:-/tmp/vorna-wine-$(id -u)}
export WINEPREFIX=${WINEPREFIX:-$dir/prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono/Gecko install prompts
export PATH=$PATH:/usr/lib/wine            # Debian keeps wine64 and wineserver here
mkdir -p "$dir"

cc="x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Wpedantic"
[ "$dir/comm_event_hook.dll" -nt "$here/comm_event_hook.c" ] ||
    $cc -shared -o "$dir/comm_event_hook.dll" "$here/comm_event_hook.c"
[ "$dir/run_hooked.exe" -nt "$here/run_hooked.c" ] ||
    $cc -o "$dir/run_hooked.exe" "$here/run_hooked.c"

if [ ! -d "$WINEPREFIX/dosdevices" ]; then
    timeout 300 wine64 wineboot -i >/dev/null 2>&1
    timeout 120 wineserver -w
fi
# Wine's mount manager rewrites dosdevices links at each start: a port named in its
# registry key keeps our link, and is listed where programs look for ports.
timeout 60 wine64 reg add 'HKLM\Software\Wine\Ports' /v "${com^^}" /d "$pty" /f >/dev/null 2>&1
timeout 60 wineserver -w
ln -sfn "$pty" "$WINEPREFIX/dosdevices/$com"

windows_path() { local p; p=$(readlink -f "$1"); echo "Z:${p//\//\\}"; }

# When a terminal it has opened hangs up (a simulator that restarts or vanishes),
# Debian's wineserver dumps every object it holds on its stderr, thousands of lines
# each time: started here quietly, it keeps them out of the program's output, which
# is untouched.
wineserver 2>/dev/null || true

# A test program starts its children through the same launcher, so they get the hook too.
export VORNA_RUN_HOOKED VORNA_COMM_HOOK
VORNA_RUN_HOOKED=$(windows_path "$dir/run_hooked.exe")
VORNA_COMM_HOOK=$(windows_path "$dir/comm_event_hook.dll")

status=0
timeout "${WINE_TIMEOUT:-60}" wine64 "$dir/run_hooked.exe" \
    "$(windows_path "$dir/comm_event_hook.dll")" "$(windows_path "$program")" "$@" || status=$?
# The program runs in a process of its own: end whatever the limit left behind in this prefix.
[ "$status" -ne 124 ] || wineserver -k || true
timeout 30 wineserver -w || true
exit "$status"
