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
