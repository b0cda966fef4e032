// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDate>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <memory>

#include "project/settings.h"

namespace vorna::cli {

// What the printed site sheet shows: one project file, as loaded.
struct SiteSheet {
    QString fileName;           // shown as given
    QDate date;                 // the day the sheet was made
    int cardType = 0;           // ops::Unique, ops::Mifare4B or ops::Mifare7B
    project::Settings settings; // a missing key holds its default here...
    QStringList missing;        // ...and is named here, "SECTION/Key", as project::loadProject reports it
};

// The family the sheet is set in, chosen by name on every system so that the Polish
// letters come out the same: Linux has it from fonts-dejavu-core, the Windows zip
// carries its files in lib/fonts for the offscreen platform.
inline constexpr char kSheetFontFamily[] = "DejaVu Sans";

// Writes the sheet as a PDF of one or two A4 pages with its fonts embedded, in place
// of `pdfPath` only once the whole file is on disk. On false no file is left and
// `error` (when given) says why, in Polish and English like the project file's errors.
bool writeSiteSheet(const QString &pdfPath, const SiteSheet &sheet, QString *error = nullptr);

// The sheet is drawn with QtGui, which needs a QGuiApplication where the other commands
// run under a QCoreApplication: the program makes this one instead of its
// QCoreApplication for the report command. It runs on the "offscreen" platform, which
// needs no display (unless QT_QPA_PLATFORM names another), and leaves the environment
// as it found it, so the variable is not handed on to child processes.
std::unique_ptr<QGuiApplication> makeSheetApplication(int &argc, char **argv);

} // namespace vorna::cli
