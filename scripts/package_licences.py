#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the licence texts of what the Windows package bundles, and its notice
THIRD-PARTY-NOTICES.txt, from the list of the files actually copied (scripts/windows.sh).

Each line of --origins is "<path in the package>\\t<file it was copied from>". A file
from the build is Vorna's own; one from the Qt prefix is Qt's; any other must belong to
a Debian package with a known licence, or this stops and names it."""
import argparse
import os
import re
import subprocess
import sys


def dpkg_owner(path):
    out = subprocess.run(['dpkg', '-S', path], capture_output=True, text=True)
    if out.returncode != 0:
        return None
    return out.stdout.split(':', 1)[0].split(',')[0].strip()


def dpkg_version(package):
    return subprocess.run(['dpkg-query', '-W', '-f=${Version}', package],
                          capture_output=True, text=True, check=True).stdout


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def deb822_paragraphs(text):
    """The paragraphs of a machine-readable Debian copyright file, as dicts."""
    result = []
    for block in re.split(r'\n\s*\n', text):
        fields, key = {}, None
        for line in block.splitlines():
            if line[:1] in (' ', '\t') and key:
                fields[key] += '\n' + line
            elif ':' in line:
                key, value = line.split(':', 1)
                fields[key] = value.strip()
        if fields:
            result.append(fields)
    return result


def gcc_runtime_exception(copyright_file):
    """The GCC Runtime Library Exception 3.1, as Debian's copyright file of GCC quotes it."""
    text = read(copyright_file)
    m = re.search(r'^GCC RUNTIME LIBRARY EXCEPTION\n.*?requirements of the license of GCC\.\n',
                  text, re.M | re.S)
    if not m or 'Version 3.1, 31 March 2009' not in m.group(0):
        sys.exit('package_licences: no GCC Runtime Library Exception 3.1 in ' + copyright_file)
    return m.group(0)


def winpthreads_licence(copyright_file):
    """The paragraphs of mingw-w64's copyright file that cover winpthreads' library (not
    its tests), with the texts of their licences."""
    paragraphs = deb822_paragraphs(read(copyright_file))
    covered = [p for p in paragraphs if 'Files' in p
               and 'mingw-w64-libraries/winpthreads/' in p['Files']
               and 'tests_pthread' not in p['Files']]
    if not covered:
        sys.exit('package_licences: no winpthreads paragraph in ' + copyright_file)
    texts = {p['License'].split('\n')[0]: p['License'] for p in paragraphs
             if 'License' in p and 'Files' not in p}
    out, names = [], []
    for p in covered:
        out.append('Files: %s\nCopyright: %s\nLicense: %s\n' % (p['Files'], p['Copyright'], p['License']))
        name = p['License'].split('\n')[0]
        if '\n' not in p['License'] and name not in names:
            names.append(name)
    for name in names:
        if name not in texts:
            if name == 'public-domain':
                continue
            sys.exit('package_licences: no text of licence %s in %s' % (name, copyright_file))
        out.append('License: %s\n' % texts[name])
    return '\n'.join(out)


# Licences of the Debian packages whose files the package may carry: the SPDX
# expression, and the texts (file in licenses/, maker) that go with it.
def debian_licence(package):
    doc = '/usr/share/doc/%s/copyright' % package
    if re.match(r'gcc-mingw-w64-.*-runtime$', package):
        return ('GPL-3.0-or-later WITH GCC-exception-3.1',
                [('GCC-RUNTIME-EXCEPTION.txt', lambda: gcc_runtime_exception(doc))])
    if re.match(r'mingw-w64-.*-dev$', package):
        return ('MIT (winpthreads)', [('winpthreads.txt', lambda: winpthreads_licence(doc))])
    if package == 'fonts-dejavu-core':
        return ('Bitstream-Vera AND LicenseRef-DejaVu-public-domain',
                [('fonts-dejavu-core-copyright.txt', lambda: read(doc))])
    if package == 'qt6-translations-l10n':
        return ('GPL-3.0-only WITH Qt-GPL-exception-1.0',
                [('qt6-translations-copyright.txt', lambda: read(doc))])
    return None


def main():
    ap = argparse.ArgumentParser()
    for name in ('stage', 'origins', 'build', 'qt-prefix', 'qt-version', 'qt-source', 'serialport',
                 'version'):
        ap.add_argument('--' + name, required=True)
    a = ap.parse_args()
    build = os.path.realpath(a.build) + '/'
    qt_prefix = os.path.realpath(a.qt_prefix) + '/'
    serialport = re.sub(r'\.tar\.\w+$', '', a.serialport)

    licences = {}   # file in licenses/ -> its text
    entries = []    # (file in the package, origin, SPDX licence, licence files)
    for line in read(a.origins).splitlines():
        shipped, source = line.split('\t')
        if source.startswith(build):
            continue
        if source.startswith(qt_prefix):
            if os.path.basename(shipped).startswith('Qt6SerialPort'):
                origin = 'Qt Serial Port %s, zbudowane ze źródeł Qt %s' % (a.qt_version, serialport)
            else:
                origin = 'Qt %s (qtbase), zbudowane ze źródeł pakietu Debiana qt6-base %s' % (
                    a.qt_version, a.qt_source)
            files = ['LGPL-3.0.txt']
            licences['LGPL-3.0.txt'] = read('/usr/share/common-licenses/LGPL-3')
            if 'qtbase' in origin:
                # qtbase's DLLs carry code of other projects (zlib, PCRE2, FreeType,
                # HarfBuzz, libpng, ...): Debian's copyright file of qtbase lists them all.
                files.append('qt6-base-copyright.txt')
                licences['qt6-base-copyright.txt'] = read('/usr/share/doc/libqt6core6/copyright')
            entries.append((shipped, origin, 'LGPL-3.0-only', files))
            continue
        package = dpkg_owner(source)
        known = debian_licence(package) if package else None
        if not known:
            sys.exit('package_licences: %s comes from %s, whose licence is not known here'
                     % (shipped, package or source))
        spdx, texts = known
        for name, make in texts:
            licences.setdefault(name, make())
        entries.append((shipped, 'pakiet Debiana %s %s' % (package, dpkg_version(package)),
                        spdx, [n for n, _ in texts]))

    os.makedirs(os.path.join(a.stage, 'licenses'), exist_ok=True)
    for name, text in licences.items():
        with open(os.path.join(a.stage, 'licenses', name), 'w', encoding='utf-8') as f:
            f.write(text)

    lines = [
        'Vorna %s dla Windows: składniki innych autorów' % a.version,
        '',
        'Vorna (vorna.exe, vorna-cli.exe) jest udostępniana na licencji GNU GPL w wersji 3',
        'lub późniejszej (GPL-3.0-or-later), której tekst jest w LICENSE.txt.',
        'Pakiet zawiera też poniższe pliki innych autorów; przy każdym jego pochodzenie',
        'i licencja, z tekstami w folderze licenses\\ (tekst GPL-3.0, do którego odwołują',
        'się LGPL-3.0 i wyjątek GCC, jest w LICENSE.txt).',
        '',
    ]
    for shipped, origin, spdx, files in sorted(entries, key=lambda e: (e[0].count('/'), e[0].lower())):
        lines += [shipped.replace('/', '\\'),
                  '  pochodzenie: ' + origin,
                  '  licencja:    %s (%s)' % (spdx, ', '.join('licenses\\' + f for f in files)),
                  '']
    if any(spdx == 'LGPL-3.0-only' for _, _, spdx, _ in entries):
        lines += ['Źródła Qt: pakiet źródłowy Debiana qt6-base %s (apt-get source qt6-base)' % a.qt_source,
                  'oraz https://download.qt.io/archive/qt/%s/%s/submodules/%s.tar.xz.'
                  % (a.qt_version.rsplit('.', 1)[0], a.qt_version, serialport),
                  'Biblioteki Qt można zastąpić własnymi wersjami tego samego wydania Qt.', '']
    with open(os.path.join(a.stage, 'THIRD-PARTY-NOTICES.txt'), 'w', encoding='utf-8-sig') as f:
        f.write('\r\n'.join(lines))


if __name__ == '__main__':
    main()
