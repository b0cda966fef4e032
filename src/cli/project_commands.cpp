// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFileInfo>
#include <optional>

#include "cli/commands.h"
#include "cli/controller_transfer.h"
#include "cli/exit_codes.h"
#include "cli/project_fields.h"
#include "cli/project_rules.h"
#include "cli/session.h"
#include "cli/verify.h"
#include "ops/texts.h"
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

namespace {

// The project file read and every field checked, before the port is even opened:
// a write never stops halfway over a field the controller cannot take.
std::optional<project::Settings> loadChecked(const Arguments &args, Console &console)
{
    QString why;
    QStringList missing;
    const auto values = project::loadProject(args.file, &why, &missing);
    if (!values) {
        console.error(QStringLiteral("nie można odczytać pliku projektu '%1': %2").arg(args.file, why));
        return std::nullopt;
    }
    // The window fills what a file lacks with defaults; sent to a controller they
    // would erase what it holds, so only on request.
    if (!missingKeysAllowed(args.file, missing, args.allowDefaults, console))
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

// Reads everything back and lists every field that differs: after a write, by the
// bytes written; otherwise by the file's fields.
int verifyAgainst(Session &session, const project::Settings &values, const Arguments &args, Console &console,
                  const std::optional<ControllerTables> &written = std::nullopt)
{
    ControllerState state;
    if (const auto o = readController(session, args.cardType, state); o != ops::Outcome::Done)
        return reportOutcome(o, session, console);
    const auto differences = written ? compareWithWritten(*written, state.tables, args.cardType)
                                     : compareWithController(values, state, args.cardType);
    if (differences.empty()) {
        console.status(QStringLiteral("Sterownik zgodny z plikiem projektu ..."));
        return kExitOk;
    }
    for (const Difference &d : differences)
        console.note(describe(d));
    console.error(QStringLiteral("sterownik nie zgadza się z plikiem '%1' (różnych pól: %2)")
                      .arg(args.file, QString::number(differences.size())));
    return kExitMismatch;
}

// The controller read into the file, over the open port.
int readInto(Session &session, const Arguments &args, Console &console)
{
    ControllerState state;
    if (const auto o = readController(session, args.cardType, state); o != ops::Outcome::Done)
        return reportOutcome(o, session, console);
    // A file that a later write would quietly cut is not written at all.
    if (const QStringList lost = cardsTheFileLoses(state, args.cardType); !lost.isEmpty()) {
        console.error(lost.front() + (lost.size() > 1 ? QStringLiteral(" (takich kart razem: %1)").arg(lost.size())
                                                       : QString()));
        return kExitBadProject;
    }
    if (QString why; !project::saveProject(args.file, state.values, &why)) {
        console.error(QStringLiteral("nie można zapisać pliku projektu '%1': %2").arg(args.file, why));
        return kExitBadProject;
    }
    console.status(ops::texts::kProjectSaved);
    return kExitOk;
}

} // namespace

int runRead(const Arguments &args, Console &console)
{
    if (!mayUpdateFile(args.file, QStringLiteral("read"), console))
        return kExitBadProject;
    return withSession(console, args, [&](Session &session) { return readInto(session, args, console); });
}

int runWrite(const Arguments &args, Console &console)
{
    const auto values = loadChecked(args, console);
    if (!values)
        return kExitBadProject;
    return withSession(console, args, [&](Session &session) -> int {
        if (const auto o = writeController(session, *values, args.cardType); o != ops::Outcome::Done)
            return reportOutcome(o, session, console);
        return args.verify ? verifyAgainst(session, *values, args, console, tablesToWrite(*values, args.cardType))
                           : kExitOk;
    });
}

int runVerify(const Arguments &args, Console &console)
{
    const auto values = loadChecked(args, console);
    if (!values)
        return kExitBadProject;
    return withSession(console, args,
                       [&](Session &session) { return verifyAgainst(session, *values, args, console); });
}

} // namespace vorna::cli
