// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt_serial_port.h"

#include <QSignalBlocker>
#include <QThread>

#include "link/driver_wait.h"
#include "link/low_latency.h"

namespace vorna::link {

QtSerialPort::QtSerialPort(QObject *parent) : QObject(parent)
{
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

// The window closing with the port open closes it here, so its last frame is sent too.
QtSerialPort::~QtSerialPort()
{
    disconnect(&port_, nullptr, this, nullptr);
    close();
}

bool QtSerialPort::open(const QString &devicePath)
{
    close();
    lost_ = false;
    openError_ = QSerialPort::NoError;
    openErrorText_.clear();
    if (devicePath.isEmpty()) {
        openError_ = QSerialPort::DeviceNotFoundError;
        return false;
    }
    // By the device's own name, so QSerialPort's lock file is the same for every spelling.
    const QString device = resolvedDevicePath(devicePath);
    if (lock_.acquire(device) == DeviceLock::Result::HeldElsewhere) {
        openError_ = QSerialPort::PermissionError; // as QSerialPort reports its own lock
        openErrorText_ = QStringLiteral("Permission error while locking the device");
        return false;
    }
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        openError_ = port_.error();
        openErrorText_ = port_.errorString();
        port_.clearError();
        lock_.release();
        return false;
    }
    // Results of the settings are not examined: a port that refuses one still counts as open.
    port_.setBaudRate(QSerialPort::Baud19200);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.setDataTerminalReady(false);
    port_.setRequestToSend(false);
#ifdef Q_OS_UNIX
    requestLowLatency(port_);
#endif
    port_.clear(QSerialPort::AllDirections);
    port_.clearError();
    return true;
}

void QtSerialPort::close()
{
    if (port_.isOpen()) {
        if (!lost_) {
            // A drain that meets a stuck device ends by its limit; what it reports on the
            // way is no loss of the port, which closes now anyway.
            const QSignalBlocker quiet(port_);
            drainOutput(port_);
        }
        port_.close();
    }
    lock_.release();
    port_.clearError();
    // A loss notice still queued belongs to the port just closed: it must not
    // report again after whoever closed it has said why.
    lost_ = false;
}

bool QtSerialPort::isOpen() const { return port_.isOpen() && !lost_; }

void QtSerialPort::purge()
{
    if (!isOpen())
        return;
    port_.clear(QSerialPort::AllDirections);
}

void QtSerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (!isOpen())
        return;
    port_.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size()));
    pushToDriver(port_);
}

// Moves what the driver holds into Qt's buffer without blocking. False when the
// device has hung up.
bool QtSerialPort::pull()
{
    if (!pullFromDriver(port_)) {
        onError(QSerialPort::ResourceError);
        return false;
    }
    return !lost_;
}

int QtSerialPort::bytesWaiting()
{
    if (!isOpen() || !pull())
        return -1;
    lastWaiting_ = port_.bytesAvailable();
    return int(lastWaiting_);
}

int QtSerialPort::read(std::span<std::uint8_t> into)
{
    if (!isOpen())
        return 0;
    return int(port_.read(reinterpret_cast<char *>(into.data()), qint64(into.size())));
}

void QtSerialPort::pause(int ms)
{
    // Ends early when new bytes reach the driver. Bytes already pulled into Qt's buffer
    // do not end it: a partial reply does not spin the wait.
    if (isOpen()) {
        // The window's own events may already have moved new bytes into Qt's buffer.
        if (port_.bytesAvailable() > lastWaiting_)
            return;
        if (waitForDriver(port_, ms))
            return;
    }
    const FineTimer fine;
    QThread::msleep(static_cast<unsigned long>(ms));
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    // A vanished device reports a read error on every pass of the event loop. Mark it
    // at once so the wait stops, and close the port from a fresh event, outside
    // QSerialPort's own notification code. Windows fails the pending I/O of a removed
    // USB adapter with "access denied", which Qt reports as a permission error.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError && error != QSerialPort::PermissionError)
        return;
    if (!port_.isOpen())
        return;
    lost_ = true;
    if (!closeQueued_) {
        closeQueued_ = true;
        QMetaObject::invokeMethod(this, &QtSerialPort::closeLost, Qt::QueuedConnection);
    }
}

void QtSerialPort::closeLost()
{
    closeQueued_ = false;
    if (!lost_)
        return;
    close();
    emit lost();
}

} // namespace vorna::link
