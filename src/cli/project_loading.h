// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <optional>

#include "cli/arguments.h"
#include "cli/console.h"
#include "project/settings.h"

namespace vorna::cli {

// The project file at `path` read and every field checked by the card type, before any
// port is opened: a write never stops halfway over a field the controller cannot take.
// A file lacking keys is refused unless --allow-defaults. On nullopt the reason is on
// stderr.
std::optional<project::Settings> loadChecked(const QString &path, const Arguments &args, Console &console);

} // namespace vorna::cli
