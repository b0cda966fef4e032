// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringConverter>
#include <functional>

#include "project/project_file.h"

namespace vorna::project::testing {

// A project with a different text in every field and a pattern of ticks, so a key
// that lands in the wrong control shows up.
inline ProjectValues sampleValues()
{
    ProjectValues v;
    for (int n = 2; n <= 33; ++n)
        v.edits[std::size_t(n)] = QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0'));
    for (int n = 34; n <= 53; ++n)
        v.edits[std::size_t(n)] = QStringLiteral("%1").arg(n - 33, 3, 10, QLatin1Char('0'));
    for (int n = 54; n <= 56; ++n)
        v.edits[std::size_t(n)] = QString::number(n);
    for (int n = 1; n <= 140; ++n)
        v.ticks[std::size_t(n)] = n % 3 == 1;
    return v;
}

// What a load of a file without any of the keys gives.
inline ProjectValues defaultValues()
{
    ProjectValues v;
    for (int n = 2; n <= 33; ++n)
        v.edits[std::size_t(n)] = QStringLiteral("FFFFFFFFFF");
    for (int n = 34; n <= 53; ++n)
        v.edits[std::size_t(n)] = QStringLiteral("000");
    for (int n = 54; n <= 56; ++n)
        v.edits[std::size_t(n)] = QStringLiteral("100");
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
