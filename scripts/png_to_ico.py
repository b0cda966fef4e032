#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Packs PNG images into one Windows .ico file (PNG entries, read since Windows Vista).

Usage: png_to_ico.py OUT.ico IMAGE.png...
"""
import struct
import sys


def png_size(data: bytes) -> tuple[int, int]:
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main() -> int:
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    images = []
    for path in sys.argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise ValueError(f"{path}: an icon image is at most 256 x 256")
        images.append((width, height, data))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, payload = b"", b""
    for width, height, data in images:
        # 256 is written as 0.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                               len(data), offset + len(payload))
        payload += data
    with open(sys.argv[1], "wb") as f:
        f.write(header + entries + payload)
    return 0


if __name__ == "__main__":
    sys.exit(main())
