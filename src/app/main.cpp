#include <QApplication>
#include <QScreen>
#include <exception>

#include "app/command_line.h"
#include "app/error_box.h"
#include "app/form1.h"
#include "app/icon.h"

using namespace vorna::app;

int main(int argc, char **argv)
{
    if (const auto exitCode = answerCommandLine(argc, argv))
        return *exitCode;
    QApplication app(argc, argv);
    // Not the display name: Qt would add that to the window's caption.
    QApplication::setApplicationName(kAppTitle);
    QApplication::setWindowIcon(vornaIcon());
    try {
        TForm1 form;
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            QRect place(QPoint(0, 0), form.size());
            place.moveCenter(screen->availableGeometry().center());
            form.move(place.topLeft());
        }
        form.show();
        return app.exec();
    } catch (const std::exception &e) {
        showErrorBox(nullptr, QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(nullptr, QString());
    }
    return 1;
}
