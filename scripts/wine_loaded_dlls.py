#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""wine_loaded_dlls.py LOG FOLDER [FOLDER...]

Reads a Wine log made with WINEDEBUG=+loaddll and checks that every DLL Wine loaded
from a file (a "native" one, not Wine's own built-in) came from one of the given
Windows folders. Exits 1 naming any other, or when the log shows no load at all."""
import re
import sys


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    folders = tuple(f.lower().rstrip('\\') + '\\' for f in sys.argv[2:])
    with open(sys.argv[1], errors='replace') as f:
        text = f.read()
    # Wine writes the path as a C string: backslashes doubled.
    loaded = [m.group(1).replace('\\\\', '\\')
              for m in re.finditer(r'Loaded L"([^"]+)" at \S+: native', text)]
    stray = [p for p in loaded if not p.lower().startswith(folders)]
    if not loaded:
        sys.exit('no DLL load in ' + sys.argv[1])
    if stray:
        sys.exit('DLLs loaded from outside %s: %s' % (sys.argv[2], ', '.join(stray)))
    print('%d DLLs loaded from files, each from %s' % (len(loaded), ' or '.join(sys.argv[2:])))


if __name__ == '__main__':
    main()
