// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/form1.h"
#include "link/open_failure.h"
#include "link/port_name.h"
#include "ops/open_failure_text.h"
#include "ops/texts.h"

namespace vorna::app {

using namespace vorna::ops;

void TForm1::initLink()
{
    exchange_.setMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    connect(&port_, &link::QtSerialPort::lost, this, &TForm1::onPortLost);
}

void TForm1::setPortControls(bool open)
{
    edit(1)->setEnabled(!open);
    button(1)->setEnabled(!open);
    for (int n : {34, 35, 36, 37, 39, 40, 44, 45, 46})
        button(n)->setEnabled(open);
    for (int n = 2; n <= 33; ++n)
        button(n)->setEnabled(open);
    for (int n = 1; n <= 20; ++n)
        speedButton(n)->setEnabled(open);
}

void TForm1::Button1Click()
{
    if (exchange_.busy() || port_.isOpen())
        return;
    const QString name = link::trimPortName(edit(1)->text());
    const QString device = link::portDevicePath(name);
    if (!port_.open(device)) {
        statusLine()->setToolTip(openFailureText(
            link::diagnoseOpenFailure(name, device, port_.openError(), port_.openErrorText())));
        setStatus(texts::kPortOpenFailed);
        return;
    }
    statusLine()->setToolTip(QString());
    exchange_.setPort(&port_);
    setStatus(texts::kPortOpened);
    setPortControls(true);
}

void TForm1::closePort(const QString &status)
{
    port_.close();
    exchange_.setPort(nullptr);
    statusLine()->setToolTip(QString());
    setStatus(status);
    setPortControls(false);
}

void TForm1::Button38Click()
{
    if (exchange_.busy()) {
        // Let the waiting operation end first; the port closes as soon as it has.
        exchange_.requestCancel();
        closePortAfterOperation_ = true;
        return;
    }
    closePort(texts::kPortClosed);
}

void TForm1::onPortLost()
{
    if (exchange_.busy())
        return; // the operation reports its time-out, then the port is closed
    closePort(texts::kPortLost);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (exchange_.busy()) {
        // An operation is still on the stack below us: stop it and close once it has returned.
        exchange_.requestCancel();
        quitAfterOperation_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace vorna::app
