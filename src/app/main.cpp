#include <QApplication>
#include <exception>

#include "app/error_box.h"
#include "app/form1.h"
#include "app/icon.h"
#include "app/window_place.h"

using namespace vorna::app;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
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
