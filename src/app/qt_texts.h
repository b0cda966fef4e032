// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

class QCoreApplication;
class QTranslator;

namespace vorna::app {

// Qt's own texts (file dialogs, the edit fields' context menu, message box buttons)
// in Polish, whatever the system's language. Each catalogue is taken from the
// folder "translations" beside the program when it holds it (the Windows packages
// ship it there), else from Qt's translations folder (Debian's
// qt6-translations-l10n). Returns the translator of Qt's base texts, a child of
// `app`, or null when that catalogue is nowhere to be found.
QTranslator *installQtTexts(QCoreApplication &app, const QString &programFolder);

} // namespace vorna::app
