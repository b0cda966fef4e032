#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package as a user gets it: built, checked by lintian and the desktop
# validators, installed with apt into this machine, used with no build folder on any
# path, then purged, leaving nothing of it behind.
#   bash scripts/deb-check.sh [build folder]       (default: build-package)
# Needs root or sudo (apt-get). Set VORNA_SKIP_DEPS=1 to skip the check for the build
# packages. The log, the rendered manual pages and a screenshot of the window go to
# <build folder>/deb-check/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
dir=${1:-build-package}
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

if [ "${VORNA_SKIP_DEPS:-0}" != 1 ]; then
  bash scripts/install-deps.sh
fi
mkdir -p "$dir"
out=$(realpath "$dir")/deb-check
rm -rf "$out"
mkdir -p "$out"
exec > >(tee "$out/deb-check.log") 2>&1

section() { printf '\n== %s ==\n' "$*"; }
fail() { echo "deb-check: $*"; exit 1; }

section "Package"
deb=$(VORNA_SKIP_DEPS=1 bash scripts/package.sh "$dir" 2> "$out/package.log") \
  || { cat "$out/package.log"; fail "the package was not built"; }
echo "$deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

section "lintian --pedantic (it prints nothing when it finds nothing)"
# As an unprivileged user, as lintian wants, on a copy that user can read; a tag of
# any level fails the run.
as_user=()
lint=$(mktemp -d)
cp "$deb" "$lint/"
chmod 755 "$lint"
chmod 644 "$lint/$(basename "$deb")"
if [ "$(id -u)" -eq 0 ]; then as_user=(runuser -u nobody --); fi
(cd / && "${as_user[@]}" lintian --pedantic --display-info --display-experimental \
   --fail-on error,warning,info,pedantic,experimental "$lint/$(basename "$deb")") \
  || fail "lintian found the tags above"
rm -rf "$lint"
echo "lintian: no tag. Its overrides, each with the reason:"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/lintian/overrides/vorna | sed 's/^/  /'

section "Desktop entry and AppStream metadata"
tree=$(mktemp -d)
work=$(mktemp -d)
sim_pid=
installed=0
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2> /dev/null || true; fi
  # A failed run leaves nothing installed either.
  if [ "$installed" = 1 ]; then $sudo apt-get purge -y -qq vorna > /dev/null || true; fi
  rm -rf "$tree" "$work"
}
trap cleanup EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/vorna.desktop"
echo "desktop-file-validate: usr/share/applications/vorna.desktop is valid"
appstreamcli validate --pedantic --no-net "$tree/usr/share/metainfo/io.github.vorna.vorna.metainfo.xml"
# The metadata with the desktop entry and the icons it names, as a software centre
# reads them from the installed tree.
appstreamcli validate-tree --pedantic --no-net "$tree"

section "Install"
if dpkg-query -W -f='${Status}' vorna 2> /dev/null | grep -q "install ok installed"; then
  echo "vorna was installed before: purged first"
  $sudo apt-get purge -y -qq vorna
fi
installed=1
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$deb"
dpkg-query -W -f='${Package} ${Version} ${Status}\n' vorna
dpkg -L vorna > "$out/dpkg-L.txt"
echo "$(wc -l < "$out/dpkg-L.txt") paths installed (deb-check/dpkg-L.txt)"

section "Use, as installed, with no build folder on any path"
cd "$work"
mkdir -m 700 "$work/runtime"
clean_env=(env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 TERM=dumb)
run() { "${clean_env[@]}" "$@"; }
for program in vorna vorna-cli vorna-sim; do
  found=$(run sh -c "command -v $program") || fail "$program is not on the PATH"
  [ "$found" = "/usr/bin/$program" ] || fail "$program is $found, not /usr/bin/$program"
  echo "$program: $found, $(run "$program" --version)"
done

echo "-- vorna-cli reads a project from vorna-sim on a pseudo-terminal"
# Not through the function: $! must be the simulator itself (env execs it).
"${clean_env[@]}" vorna-sim --sample-site --link "$work/port" > "$work/sim.out" 2> "$work/sim.err" &
sim_pid=$!
for _ in $(seq 300); do
  [ -s "$work/sim.out" ] && break
  kill -0 "$sim_pid" 2> /dev/null || break
  sleep 0.1
done
[ -s "$work/sim.out" ] || { cat "$work/sim.err"; fail "vorna-sim did not start"; }
echo "vorna-sim serves $(head -n 1 "$work/sim.out")"
run vorna-cli --port "$work/port" read "$work/site.vrp" || fail "vorna-cli read failed"
tr -d '\r' < "$work/site.vrp" > "$work/site.txt"   # the file has Windows line ends
for want in '^\[KARTY_SZAFEK\]' '^\[NUMERY_SZAFEK\]' '^Szafka1=101$' '^Szafka20=120$'; do
  grep -q "$want" "$work/site.txt" || fail "site.vrp lacks $want"
done
echo "vorna-cli read site.vrp: $(grep -c '=' "$work/site.vrp") keys, LED numbers 101 to 120"
kill "$sim_pid"
status=0
wait "$sim_pid" || status=$?
sim_pid=
[ "$status" -eq 0 ] || fail "vorna-sim ended with exit code $status on SIGTERM"
echo "vorna-sim stopped on SIGTERM with exit code 0"

echo "-- the manual pages (man -l) and --help against them"
for program in vorna vorna-cli vorna-sim; do
  page=/usr/share/man/man1/$program.1.gz
  run env MANWIDTH=80 man -l "$page" > "$out/$program.1.txt"
  run python3 "$root/tests/package/check_man_page.py" "/usr/bin/$program" "$page"
done
run env MANWIDTH=80 man vorna-cli > "$work/man.txt"
grep -q "^VORNA-CLI(1)" "$work/man.txt" || fail "man vorna-cli does not render the page"
echo "man vorna-cli renders $(wc -l < "$work/man.txt") lines"
for program in vorna vorna-cli vorna-sim; do
  printf '\n---- man -l /usr/share/man/man1/%s.1.gz\n' "$program"
  cat "$out/$program.1.txt"
done

echo "-- bash completion, loaded as bash-completion loads it"
run bash "$root/tests/package/check_completion.sh"

echo "-- the window from its desktop entry, under Xvfb"
run xvfb-run -a -s "-screen 0 1280x800x24" \
  bash "$root/tests/package/window_check.sh" /usr/share/applications/vorna.desktop "$out/vorna-xvfb.png"
cd "$root"

section "Purge"
$sudo apt-get purge -y -qq vorna
installed=0
if dpkg-query -W -f='${Status}' vorna 2> /dev/null | grep -q "installed"; then
  fail "vorna is still installed"
fi
left=0
while read -r path; do
  [ "$path" = "/." ] && continue
  [ -e "$path" ] || [ -L "$path" ] || continue
  # A folder that another package owns too stays, as it should.
  if [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" > /dev/null 2>&1; then
    continue
  fi
  echo "left behind: $path"
  left=$((left + 1))
done < "$out/dpkg-L.txt"
[ "$left" -eq 0 ] || fail "$left paths of the package are left after the purge"
echo "every one of the $(wc -l < "$out/dpkg-L.txt") paths is gone, or a folder other packages own"

section "Done"
echo "deb-check: the package is lintian-clean, valid, works as installed and purges cleanly"
echo "Log, manual pages and screenshot: $out"
