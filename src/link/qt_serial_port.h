// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>
#include <QSerialPort>

#include "link/device_lock.h"
#include "link/serial_port.h"

namespace vorna::link {

// The real port. One object lives as long as the program and is opened and closed
// many times; it is never deleted while an operation waits.
class QtSerialPort final : public QObject, public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject *parent = nullptr);
    ~QtSerialPort() override;

    // Opens the device for exclusive reading and writing at 19200 8N1, no flow
    // control, DTR and RTS held off. Settings the device refuses are let go, as a
    // pseudo-terminal refuses the modem lines. Exclusive by device, whatever the path's
    // spelling: one held elsewhere fails with PermissionError.
    bool open(const QString &devicePath);
    // Sends what is still on its way before the earlier line settings come back.
    void close();
    // Why the last open failed, as the system told it.
    QSerialPort::SerialPortError openError() const { return openError_; }
    QString openErrorText() const { return openErrorText_; }

    bool isOpen() const override;
    void purge() override;
    void write(std::span<const std::uint8_t> bytes) override;
    int bytesWaiting() override;
    int read(std::span<std::uint8_t> into) override;
    void pause(int ms) override;

signals:
    // The device went away (an adapter pulled out); the port has been closed.
    void lost();

private:
    void onError(QSerialPort::SerialPortError error);
    void closeLost();
    bool pull();

    QSerialPort port_;
    DeviceLock lock_;
    bool lost_ = false;
    qint64 lastWaiting_ = 0;   // bytes the last status query saw
    bool closeQueued_ = false;
    QSerialPort::SerialPortError openError_ = QSerialPort::NoError;
    QString openErrorText_;
};

} // namespace vorna::link
