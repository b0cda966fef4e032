// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

#include "cli/console.h"

namespace vorna::cli {

// The rules the project commands share for the file they are given.

// A command that adds its keys to `path`, keeping every other line, takes only a
// project, an empty file or a new name: a file that is there and is no project
// (notes, a script) would be spliced into. Says why on stderr when not; `command`
// names the command in the message.
bool mayUpdateFile(const QString &path, const QString &command, Console &console);

// A file lacking keys is refused unless --allow-defaults: filled with defaults and
// sent or saved, they would erase what the controller or the file's reader expects.
// Says so on stderr and returns false when `missing` is not empty and not allowed.
bool missingKeysAllowed(const QString &path, const QStringList &missing, bool allowDefaults, Console &console);

} // namespace vorna::cli
