// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QString>
#include <fcntl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "sim/pty_simulator.h"

namespace vorna::test {

// Lockstep with a program run as a child process: the child, with
// tests/support/settle_hook.cpp preloaded, asks over a socket before each look at its
// port, and this answers once the simulator has settled.
class SettleServer {
public:
    explicit SettleServer(sim::PtySimulator &sim) : sim_(sim)
    {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0)
            return;
        // The child's end is inherited; ours is not.
        ::fcntl(fds_[1], F_SETFD, 0);
        thread_ = std::thread([this] { serve(); });
    }
    ~SettleServer()
    {
        if (fds_[1] >= 0)
            ::close(fds_[1]);
        if (fds_[0] >= 0)
            ::shutdown(fds_[0], SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        if (fds_[0] >= 0)
            ::close(fds_[0]);
    }
    SettleServer(const SettleServer &) = delete;
    SettleServer &operator=(const SettleServer &) = delete;

    // The environment of a child that keeps pace with the simulator.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LD_PRELOAD"),
                   QCoreApplication::applicationDirPath() + QStringLiteral("/libvorna_settle_hook.so"));
        env.insert(QStringLiteral("VORNA_SETTLE_FD"), QString::number(fds_[1]));
        // A sanitizer build wants its runtime first; the hook is plain C and harmless.
        const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   (asan.isEmpty() ? QString() : asan + u':') + QStringLiteral("verify_asan_link_order=0"));
        return env;
    }

private:
    void serve()
    {
        char byte = 0;
        // Every child that holds the other end asks in turn; the loop ends when the
        // socket is shut down.
        while (::read(fds_[0], &byte, 1) == 1) {
            sim_.settle();
            if (::write(fds_[0], &byte, 1) != 1)
                break;
        }
    }

    sim::PtySimulator &sim_;
    int fds_[2] = {-1, -1};
    std::thread thread_;
};

} // namespace vorna::test
