#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds Vorna and starts it beside a simulated controller.
# The simulator's port path is printed: type it into the port field and click "Otwórz port".
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

dir=build-demo
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNA_TESTS=OFF > /dev/null
cmake --build "$dir" -j "$(nproc)" --target vorna vorna-sim

link_path=${VORNA_DEMO_PORT:-/tmp/vorna-demo-port}
# A small site to read, and a card held to the reader 1.5 s after each "Z czytnika" click.
"$dir/sim/vorna-sim" --link "$link_path" --log --sample-site --card-on-arming 04A1B2C3D5@1500 \
  > /dev/null 2> "$dir/vorna-sim.log" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link_path" ] && break; sleep 0.1; done

echo
echo "Simulated controller (bus address 1) is running; its frames are logged to $dir/vorna-sim.log."
echo "Type this into the port field (\"Numer portu COM\") and click \"Otwórz port\":"
echo
echo "    $link_path"
echo
echo "\"Odczytaj dane kart\" shows the site's cards; \"Z czytnika\" beside a card field captures card"
echo "04A1B2C3D5, held to the reader 1.5 s after each click."
echo
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$dir/src/app/vorna"
else
  echo "No display found: starting the window on a virtual X server (xvfb-run)."
  xvfb-run -a -s "-screen 0 1280x800x24" "$dir/src/app/vorna"
fi
