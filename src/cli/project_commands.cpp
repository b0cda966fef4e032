// SPDX-License-Identifier: GPL-3.0-or-later
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

namespace {

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
    const auto values = loadChecked(args.file, args, console);
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
    const auto values = loadChecked(args.file, args, console);
    if (!values)
        return kExitBadProject;
    return withSession(console, args,
                       [&](Session &session) { return verifyAgainst(session, *values, args, console); });
}

} // namespace vorna::cli
