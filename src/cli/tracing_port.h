// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>

#include "link/serial_port.h"

namespace vorna::cli {

// Forwards everything to the real port and writes a line for every frame sent and
// every run of bytes read: timestamp, direction, bytes in hex.
//   12:03:04.120 TX 01 05 00 03 00 00 01 FD 01 08
//   12:03:04.131 RX 01 05 00 03 00 00 01 FD 64 64 64 02 35
class TracingPort final : public link::SerialPort {
public:
    using Sink = std::function<void(const QString &)>;
    using Timestamp = std::function<QString()>;

    TracingPort(link::SerialPort &inner, Sink sink, Timestamp timestamp = wallClock);

    bool isOpen() const override { return inner_.isOpen(); }
    void purge() override { inner_.purge(); }
    void write(std::span<const std::uint8_t> bytes) override;
    int bytesWaiting() override { return inner_.bytesWaiting(); }
    int read(std::span<std::uint8_t> into) override;
    void pause(int ms) override { inner_.pause(ms); }

    // Local time of day to the millisecond.
    static QString wallClock();

private:
    void trace(const char *direction, std::span<const std::uint8_t> bytes);

    link::SerialPort &inner_;
    Sink sink_;
    Timestamp timestamp_;
};

} // namespace vorna::cli
