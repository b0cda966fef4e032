// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QSerialPort>

namespace vorna::link {

// What the real port asks of the system below QSerialPort: a look at the driver that
// never blocks, and a short wait for new bytes. Each system has its own file.

// Moves bytes the driver holds into the port's buffer without blocking. False when the
// device has hung up.
bool pullFromDriver(QSerialPort &port);

// Hands a written frame on to the driver before the reply is awaited.
void pushToDriver(QSerialPort &port);

// Waits up to ms for new bytes at the driver, with millisecond resolution. False when
// the port gives nothing to wait on; the caller then sleeps instead.
bool waitForDriver(QSerialPort &port, int ms);

// Before the port is closed and its earlier line settings come back: hands what Qt
// still holds to the driver and waits until the driver has sent it, so the last frame
// (the address write awaits no reply) leaves whole at 19200 baud. Bounded by
// drainLimitMs, so a stuck or vanished device cannot hold the close.
void drainOutput(QSerialPort &port);

// How long a drain may wait for `queued` bytes: their time on the wire at 19200 baud
// (10 bits a byte), a margin for a USB adapter's round trip, and never above 0.5 s.
constexpr int drainLimitMs(qint64 queued)
{
    const qint64 wire = queued * 10 * 1000 / 19200 + 1;
    return int(wire + 50 < 500 ? wire + 50 : 500);
}

// Raises the system timer to 1 ms resolution for its lifetime, so short sleeps and
// waits last what they ask for rather than a whole scheduler tick.
class FineTimer {
public:
    FineTimer();
    ~FineTimer();
    FineTimer(const FineTimer &) = delete;
    FineTimer &operator=(const FineTimer &) = delete;
};

} // namespace vorna::link
