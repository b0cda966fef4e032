// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace vorna::app {

namespace {

// The catalogue from the first folder that holds it, installed; null when none does.
QTranslator *installCatalogue(QCoreApplication &app, const QString &catalogue, const QStringList &folders)
{
    auto *translator = new QTranslator(&app);
    for (const QString &folder : folders) {
        if (translator->load(catalogue, folder) && QCoreApplication::installTranslator(translator))
            return translator;
    }
    delete translator;
    return nullptr;
}

} // namespace

QTranslator *installQtTexts(QCoreApplication &app, const QString &programFolder)
{
    const QStringList folders = {QDir(programFolder).filePath(QStringLiteral("translations")),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    QTranslator *base = installCatalogue(app, QStringLiteral("qtbase_pl"), folders);
    // The serial port's own texts reach the user only where the system gives none.
    installCatalogue(app, QStringLiteral("qtserialport_pl"), folders);
    return base;
}

} // namespace vorna::app
