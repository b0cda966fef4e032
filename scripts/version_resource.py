#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a Windows program's version resource, as windres decompiles it, on stdin:

    x86_64-w64-mingw32-windres -J coff -O rc -i vorna.exe | version_resource.py vorna.exe 4.0.0

The fixed file and product versions and the string table's versions must be the given
version, OriginalFilename the file's name, InternalName its name without ".exe",
ProductName "Vorna"; FileDescription and LegalCopyright must be there. Prints the
strings; exits 1 naming what is wrong."""
import re
import sys


def unescape(text):
    """The text of an rc string literal: octal and \\x escapes, doubled quotes."""
    def one(m):
        e = m.group(1)
        if e[0] == 'x':
            return chr(int(e[1:], 16))
        if e[0].isdigit():
            return chr(int(e, 8))
        return {'n': '\n', 't': '\t', 'r': '\r', '\\': '\\', '"': '"'}.get(e, e)
    return re.sub(r'\\(x[0-9a-fA-F]{1,4}|[0-7]{1,3}|.)', one, text.replace('""', '"'))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    file_name, version = sys.argv[1], sys.argv[2]
    rc = sys.stdin.read()
    four = ', '.join((version.split('.') + ['0'] * 4)[:4])
    problems = []
    for field in ('FILEVERSION', 'PRODUCTVERSION'):
        m = re.search(r'^\s*%s\s+(.*?)\s*$' % field, rc, re.M)
        if not m or re.sub(r'\s*,\s*', ', ', m.group(1)) != four:
            problems.append('%s is %s, not %s' % (field, m.group(1) if m else 'missing', four))
    strings = {k: unescape(v) for k, v in
               re.findall(r'^\s*VALUE\s+"(\w+)",\s*L?"((?:[^"\\]|\\.|"")*)"\s*$', rc, re.M)}
    expected = {
        'ProductName': 'Vorna',
        'ProductVersion': version,
        'FileVersion': version,
        'OriginalFilename': file_name,
        'InternalName': re.sub(r'\.exe$', '', file_name),
    }
    for key, value in expected.items():
        if strings.get(key) != value:
            problems.append('%s is %r, not %r' % (key, strings.get(key), value))
    for key in ('FileDescription', 'LegalCopyright'):
        if not strings.get(key):
            problems.append(key + ' is missing')
    for key, value in sorted(strings.items()):
        print('%s: %s = %s' % (file_name, key, value))
    if problems:
        for p in problems:
            print('%s: version resource: %s' % (file_name, p), file=sys.stderr)
        sys.exit(1)


if __name__ == '__main__':
    main()
