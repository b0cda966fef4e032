// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringConverter>
#include <functional>

#include "project/key_table.h"
#include "project/project_file.h"

namespace vorna::project::testing {

// A project with a different text in every field and a pattern of ticks, so a key
// that lands in the wrong field shows up. The texts are those of the golden new file.
inline Settings sampleValues()
{
    Settings v;
    for (std::size_t s = 0; s < v.cards.size(); ++s)
        v.cards[s] = QStringLiteral("%1").arg(s + 2, 10, 10, QLatin1Char('0'));
    for (std::size_t p = 0; p < v.lockerNumbers.size(); ++p)
        v.lockerNumbers[p] = QStringLiteral("%1").arg(p + 1, 3, 10, QLatin1Char('0'));
    for (std::size_t t = 0; t < v.openingTimes.size(); ++t)
        v.openingTimes[t] = QString::number(54 + t);
    int n = 1; // guardian by guardian, as the file lists them
    for (auto &guardian : v.guardians)
        for (bool &tick : guardian)
            tick = n++ % 3 == 1;
    return v;
}

// A file of tests/project/data.
inline QString goldenPath(const char *name)
{
    // Not by __FILE__: a compiler launcher may make it relative to the build folder.
    return QString::fromUtf8(VORNA_SOURCE_DIR "/tests/project/data/") + QLatin1String(name);
}

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The encodings a byte order mark stands for, each with its name.
struct MarkedEncoding {
    const char *name;
    QStringConverter::Encoding encoding;
};
inline constexpr MarkedEncoding kMarkedEncodings[] = {{"UTF-8", QStringConverter::Utf8},
                                                      {"UTF-16 LE", QStringConverter::Utf16LE},
                                                      {"UTF-16 BE", QStringConverter::Utf16BE}};

// Runs `step` without the rights of the superuser: as root, in a child process under
// the "nobody" user, since root may write any file and folder. Returns step's result.
bool runUnprivileged(const std::function<bool()> &step);

// Hands `path` to the user runUnprivileged runs as (nothing to do for a normal user).
void giveToUnprivileged(const QString &path);

} // namespace vorna::project::testing
