// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/error_box.h"

#include <QMessageBox>
#include <exception>

namespace vorna::app {

QString errorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + u'.';
    return message;
}

void showErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, kAppTitle, errorBoxText(message), QMessageBox::Ok,
                    parent);
    box.exec();
}

void guardedCall(QWidget *parent, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        showErrorBox(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        // Nothing may unwind through the event loop; report what little we know.
        showErrorBox(parent, QStringLiteral("Nieznany błąd"));
    }
}

} // namespace vorna::app
