// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <optional>

#include "cli/arguments.h"
#include "cli/console.h"
#include "project/settings.h"

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

// The project file at `path` read and every field checked by the card type, before any
// port is opened: a write never stops halfway over a field the controller cannot take.
// On nullopt the reason is on stderr.
std::optional<project::Settings> loadChecked(const QString &path, const Arguments &args, Console &console);

} // namespace vorna::cli
