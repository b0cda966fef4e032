// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that need no port: diff and report.
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/project_rules.h"
#include "cli/site_sheet.h"
#include "cli/verify.h"
#include "project/project_file.h"

namespace vorna::cli {

int runDiff(const Arguments &args, Console &console)
{
    const auto a = loadChecked(args.file, args, console);
    if (!a)
        return kExitBadProject;
    const auto b = loadChecked(args.otherFile, args, console);
    if (!b)
        return kExitBadProject;
    const auto differences = compareProjects(*a, *b, args.cardType);
    if (differences.empty()) {
        console.status(QStringLiteral("Pliki projektu zgodne ..."));
        return kExitOk;
    }
    // The differences are the command's result: on stdout, for a script to read.
    for (const Difference &d : differences)
        console.result(describeProjects(d));
    console.error(QStringLiteral("pliki '%1' (A) i '%2' (B) różnią się (różnych pól: %3)")
                      .arg(args.file, args.otherFile, QString::number(differences.size())));
    return kExitMismatch;
}

int runReport(const Arguments &args, Console &console)
{
    // The sheet shows what the file lacks and what the controller could not take, so
    // only a file that is no project at all is refused.
    QString why;
    QStringList missing;
    const auto settings = project::loadProject(args.file, &why, &missing);
    if (!settings) {
        console.error(QStringLiteral("nie można odczytać pliku projektu '%1': %2").arg(args.file, why));
        return kExitBadProject;
    }
    // -o naming the project itself would put a PDF where the settings were.
    if (const QFileInfo out(args.output); out.exists() && out.canonicalFilePath() == QFileInfo(args.file).canonicalFilePath()) {
        console.error(QStringLiteral("arkusz '%1' zastąpiłby plik projektu; podaj inną nazwę po -o").arg(args.output));
        return kExitUsage;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        console.error(QStringLiteral("report wymaga aplikacji graficznej Qt (makeSheetApplication)"));
        return kExitFailed;
    }
    const SiteSheet sheet{args.file, QDate::currentDate(), args.cardType, *settings, missing};
    if (!writeSiteSheet(args.output, sheet, &why)) {
        console.error(QStringLiteral("nie można zapisać arkusza '%1': %2").arg(args.output, why));
        return kExitBadProject;
    }
    console.status(QStringLiteral("Arkusz obiektu zapisany: %1").arg(args.output));
    return kExitOk;
}

} // namespace vorna::cli
