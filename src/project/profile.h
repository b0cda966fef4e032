// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <utility>
#include <vector>

namespace vorna::project {

// Reading and writing the Windows profile (INI) layout, on a file's decoded text.
//
// A line ends at LF, CR LF or a lone CR. A line whose first non-blank character is
// "[" and that holds a "]" starts a section named by the text between them; any
// other line not starting with ";" that holds "=" is a key line, named by the text
// before its first "=". Names lose the blanks at their ends and match regardless of
// letter case; the first section of a name is the one used, and the first key of a
// name in it. A value loses the blanks at its ends, then one pair of matching double
// or single quotes around it, and is cut to 2047 characters.

inline constexpr qsizetype kMaxValueLength = 2047;

// The value of each of `keys` in the section, nullopt for a key it lacks; nullopt
// as a whole when the text has no such section.
std::optional<std::vector<std::optional<QString>>> readSection(QStringView text, QStringView section,
                                                               const QStringList &keys);

// `text` with the entries (key, value) stored in the section as if one after the
// other. A key's own line gets the new value and keeps every other byte; a missing
// key goes after the last key line of its section, a missing section to the end of
// the text; new lines end in CR LF. nullopt for a name or value that would not read
// back as itself: a line break or NUL, an empty name, blanks at a name's ends, a
// leading ";" or "[", a "]" in a section name or a "=" in a key name. Whether the
// file's encoding holds every character is for its writer to judge.
using Entry = std::pair<QString, QString>;
std::optional<QString> writeSection(QStringView text, QStringView section, const std::vector<Entry> &entries);

} // namespace vorna::project
