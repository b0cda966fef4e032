// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>

#include "project/settings.h"

namespace vorna::project {

// A project is about 5 KB; anything past this is no project and is not read at all.
inline constexpr qint64 kMaxProjectFileSize = 1024 * 1024;

enum class TextEncoding { Windows1250, Utf8, Utf16LE, Utf16BE };

// A file's bytes as text: after a byte order mark UTF-8 or UTF-16, else Windows-1250.
struct ProjectText {
    QString text;
    TextEncoding encoding = TextEncoding::Windows1250;
    bool exact = true; // false when bytes invalid in the encoding were replaced
};
ProjectText decodeProjectText(QByteArrayView bytes);
QString decodeProjectFile(QByteArrayView bytes);

// The bytes of a file's text: in Windows-1250 without a mark whenever every character
// fits, which the original Windows tool reads; else, for a text read with a mark, in
// that encoding with its mark. nullopt when neither holds the text.
std::optional<QByteArray> encodeProjectText(QStringView text, TextEncoding readAs);

struct ProjectRead {
    Settings values;      // a missing text key takes its default, a missing tick is clear
    int sections = 0;     // how many of the seven sections the text holds
    QStringList missing;  // "SECTION/Key" of every key the text lacks, in table order
};
ProjectRead readProject(QStringView text);

// `text` with every key of the table stored, in table order; nullopt when a text
// cannot be stored on one line.
std::optional<QString> writeProject(QStringView text, const Settings &values);

// Updates the file at `path` (or makes it) with every key of the table, keeping all
// its other lines, encoded by encodeProjectText. The new file replaces the old one
// only once every byte of it is on disk; on false the old file is as it was, no other
// file is left, and `error` (when given) says why.
bool saveProject(const QString &path, const Settings &values, QString *error = nullptr);

// The file read whole. nullopt, with the reason in `error`, when it cannot be read,
// is over kMaxProjectFileSize, or holds none of the seven sections; a file with some
// of them loads, with what it lacks named in `missing`.
std::optional<Settings> loadProject(const QString &path, QString *error = nullptr,
                                    QStringList *missing = nullptr);

} // namespace vorna::project
