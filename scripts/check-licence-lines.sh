#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file of the tree names its licence in its first lines.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  echo "Not a git checkout: the licence lines are not checked."
  exit 0
fi
missing=$(git ls-files -- '*.cpp' '*.h' '*.c' '*.py' '*.sh' '*.cmake' '*.nsi' '*.rc.in' \
            'CMakeLists.txt' '*/CMakeLists.txt' .ci/run 'data/completion/*' \
          | while read -r f; do head -n 3 "$f" | grep -q 'SPDX-License-Identifier: GPL-3.0-or-later' || echo "$f"; done)
if [ -n "$missing" ]; then
  echo "No SPDX-License-Identifier line in:" >&2
  echo "$missing" >&2
  exit 1
fi
echo "Every source file carries its SPDX licence line."
