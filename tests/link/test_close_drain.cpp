// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <termios.h>
#include <vector>

#include "link/qt_serial_port.h"
#include "sim/pty_simulator.h"

using namespace vorna;

// A pseudo-terminal sends at no speed, so what the close does to a UART is watched
// as strace would: every drain and every settings call of this program is noted,
// with its device, on its way to the C library. QSerialPort restores the earlier
// settings with tcsetattr when it closes.
namespace {

struct LineCall {
    char kind; // 'd': waited for the output to drain; 's': line settings written
    dev_t device;
};

std::mutex callsMutex;
std::vector<LineCall> calls;

void note(char kind, int fd)
{
    struct stat info{};
    const dev_t device = ::fstat(fd, &info) == 0 ? info.st_rdev : 0;
    const std::lock_guard<std::mutex> lock(callsMutex);
    calls.push_back({kind, device});
}

template <typename F>
F realCall(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int tcdrain(int fd)
{
    note('d', fd);
    static const auto real = realCall<int (*)(int)>("tcdrain");
    return real(fd);
}

extern "C" int tcsetattr(int fd, int action, const struct termios *settings) noexcept
{
    note('s', fd);
    static const auto real = realCall<int (*)(int, int, const struct termios *)>("tcsetattr");
    return real(fd, action, settings);
}

namespace {

// The calls on one device since the last clear, in order.
std::string callsOn(dev_t device)
{
    const std::lock_guard<std::mutex> lock(callsMutex);
    std::string kinds;
    for (const LineCall &c : calls)
        if (c.device == device)
            kinds += c.kind;
    return kinds;
}

void clearCalls()
{
    const std::lock_guard<std::mutex> lock(callsMutex);
    calls.clear();
}

struct CloseCase {
    const char *what;
    void (*close)(std::unique_ptr<link::QtSerialPort> &port, const QString &path);
};

const CloseCase kCloses[] = {
    {"Zamknij port, or vorna-cli ending", [](auto &port, const QString &) { port->close(); }},
    {"the window closing with the port open", [](auto &port, const QString &) { port.reset(); }},
    {"an open over the open port", [](auto &port, const QString &path) { port->open(path); }},
};

} // namespace

// The address write awaits no reply, so the close follows its frame at once: the
// frame must have left the line before the earlier settings (another speed) return.
TEST(PortClose, DrainsTheLastFrameBeforeTheSettingsReturn)
{
    for (const CloseCase &c : kCloses) {
        SCOPED_TRACE(c.what);
        sim::PtySimulator sim;
        ASSERT_TRUE(sim.start());
        const QString path = QString::fromStdString(sim.path());
        struct stat info{};
        ASSERT_EQ(::stat(sim.path().c_str(), &info), 0);

        auto port = std::make_unique<link::QtSerialPort>();
        ASSERT_TRUE(port->open(path));
        const std::uint8_t newAddress5[] = {0x00, 0x06, 0x00, 0x01, 0x00, 0x00, 0x01, 0xFC, 0x05, 0x01, 0x0A};
        port->write(newAddress5);
        clearCalls();
        c.close(port, path);

        EXPECT_EQ(callsOn(info.st_rdev).substr(0, 2), "ds");
        EXPECT_EQ(sim.waitForFrames(1, 10000), 1);
    }
}
