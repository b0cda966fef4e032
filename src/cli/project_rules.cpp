// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/project_rules.h"

#include <QFileInfo>

#include "cli/project_fields.h"
#include "project/project_file.h"

namespace vorna::cli {

bool missingKeysAllowed(const QString &path, const QStringList &missing, bool allowDefaults, Console &console)
{
    if (missing.isEmpty() || allowDefaults)
        return true;
    constexpr qsizetype kShown = 3;
    QString list = missing.mid(0, kShown).join(QStringLiteral(", "));
    if (missing.size() > kShown)
        list += QStringLiteral(", ...");
    console.error(QStringLiteral("w pliku projektu '%1' brak kluczy (%2): %3; --allow-defaults bierze za nie "
                                 "wartości domyślne")
                      .arg(path, QString::number(missing.size()), list));
    return false;
}

// By the rule a load judges by.
bool mayUpdateFile(const QString &path, const QString &command, Console &console)
{
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return true;
    QString why;
    if (project::loadProject(path, &why))
        return true;
    console.error(QStringLiteral("plik '%1' nie zostanie zmieniony: %2; %3 zapisuje tylko do pliku projektu, "
                                 "pustego lub nowego")
                      .arg(path, why, command));
    return false;
}

std::optional<project::Settings> loadChecked(const QString &path, const Arguments &args, Console &console)
{
    QString why;
    QStringList missing;
    const auto values = project::loadProject(path, &why, &missing);
    if (!values) {
        console.error(QStringLiteral("nie można odczytać pliku projektu '%1': %2").arg(path, why));
        return std::nullopt;
    }
    // The window fills what a file lacks with defaults; sent to a controller they
    // would erase what it holds, so only on request.
    if (!missingKeysAllowed(path, missing, args.allowDefaults, console))
        return std::nullopt;
    const QStringList problems = checkProject(*values, args.cardType);
    if (!problems.isEmpty()) {
        QString message = problems.front();
        if (problems.size() > 1)
            message += QStringLiteral(" (błędnych pól razem: %1)").arg(problems.size());
        console.error(message);
        return std::nullopt;
    }
    return values;
}

} // namespace vorna::cli
