// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <span>

namespace vorna::link {

// What the exchange needs of a serial port. The real port is QtSerialPort; tests
// script one of their own when they need an exact poll count.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    virtual bool isOpen() const = 0;
    // Throw away unsent output and unread input.
    virtual void purge() = 0;
    // Send the whole frame.
    virtual void write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes waiting in the input queue; negative when the device has gone away.
    virtual int bytesWaiting() = 0;
    // Read up to into.size() waiting bytes; returns the count read.
    virtual int read(std::span<std::uint8_t> into) = 0;
    // The poll pause: sleep up to ms; may end early when bytes arrive.
    virtual void pause(int ms) = 0;
};

} // namespace vorna::link
