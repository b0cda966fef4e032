# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the scripts that install Debian packages: apt-get as root (through sudo
# for another user), and an index update that a mirror in the middle of its sync does
# not end.
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# Tries the update three times, a little apart: a mirror that is syncing serves an
# index of the wrong size for a while. Should every try fail, the indexes that did
# come are used, and the install that follows names any package they lack.
apt_update() {
  local try
  for try in 1 2 3; do
    $sudo apt-get update -qq && return 0
    echo "apt-get update failed (try $try of 3)" >&2
    [ "$try" -lt 3 ] && sleep $((try * 20))
  done
  echo "apt-get update: going on with the indexes it could fetch" >&2
}
