// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>
#include <exception>
#include <optional>

#include "app/command_line.h"
#include "app/display_check.h"
#include "app/error_box.h"
#include "app/form1.h"
#include "app/icon.h"
#include "app/qt_texts.h"
#include "app/window_place.h"

using namespace vorna::app;

namespace {

void printLine(const QString &line)
{
    std::fputs((line + u'\n').toLocal8Bit().constData(), stderr);
}

// Qt's own failure to find a display ends in abort() and a core dump.
std::optional<QApplication> startApplication(int &argc, char **argv)
{
    if (const QString missing = missingDisplay(argc, argv); !missing.isEmpty()) {
        printLine(missing);
        return std::nullopt;
    }
    const PlatformStartGuard guard(argc, argv);
    return std::optional<QApplication>(std::in_place, argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    std::optional<QApplication> application = startApplication(argc, argv);
    if (!application)
        return 1;
    QApplication &app = *application;
    if (!installQtTexts(app, QCoreApplication::applicationDirPath()))
        printLine(QStringLiteral("vorna: brak tłumaczenia qtbase_pl.qm: przyciski okien dialogowych i menu pól "
                                 "będą po angielsku."));
    // Not the display name: Qt would add that to the window's caption.
    QApplication::setApplicationName(kAppTitle);
    QApplication::setWindowIcon(vornaIcon());
    try {
        TForm1 form;
        placeOnScreen(form);
        form.show();
        return app.exec();
    } catch (const std::exception &e) {
        showErrorBox(nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(nullptr, QString());
    }
    return 1;
}
