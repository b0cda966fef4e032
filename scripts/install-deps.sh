#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package that building, running and testing Vorna need.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libqt6serialport6 qt6-qpa-plugins
  qt6-translations-l10n   # qtbase_pl.qm: Qt's own dialog and menu texts in Polish
  libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  xvfb xauth x11-utils imagemagick fonts-dejavu-core fonts-liberation
  valgrind time python3 stress-ng
  # The Debian package: manual pages (help2man, with the pl_PL locale's sources),
  # icons, metadata checks, lintian, and the installed package's own test
  # (completion, man, the window's files traced for Qt's Polish texts).
  help2man locales librsvg2-bin desktop-file-utils appstream lintian bash-completion man-db
  qt6-translations-l10n strace
  poppler-utils   # pdftotext, pdfinfo, pdffonts: the site sheet's tests read the PDF back
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "All build and test packages are installed."
  exit 0
fi

# shellcheck source=scripts/apt.sh
. "$(dirname "$0")/apt.sh"
apt_update
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
