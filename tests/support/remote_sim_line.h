// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QThread>

#include "support/sim_line.h"

namespace vorna::test {

// A vorna-sim in another process, driven through its control folder
// (`vorna-sim --control DIR --link TTY`, sim/README.md): a command file in, a
// reply file out, and the frames file it appends every frame to. `port` is the
// name under which this program opens that simulator's terminal (COM7 under
// Wine). Starting one resets the simulator onto a fresh terminal.
class RemoteSimLine final : public SimLine {
public:
    RemoteSimLine(QString folder, QString port) : dir_(std::move(folder)), port_(std::move(port))
    {
        if (dir_.path().isEmpty() || port_.isEmpty())
            fail("no vorna-sim control folder and port given");
        else
            command("reset");
    }

    std::string path() const override { return port_.toStdString(); }

    void setBlock(std::uint32_t addr, std::span<const std::uint8_t> bytes) override
    {
        command(QString("block %1 %2").arg(addr).arg(hex(bytes)));
    }
    void presentCard(std::vector<std::uint8_t> number, int delayMs) override
    {
        command(QString("card %1 %2").arg(hex(number)).arg(delayMs));
    }
    void addFault(sim::Fault f) override
    {
        for (const auto &[name, kind] : sim::kFaultNames)
            if (kind == f.kind)
                return command(QString("fault %1 %2 %3 %4").arg(name).arg(f.firstFrame).arg(f.count).arg(f.value));
        fail(QString("no control-folder name for fault kind %1").arg(int(f.kind)));
    }
    void releaseHeld() override { command("release"); }
    // A process of its own on a terminal that Wine reads for the window: it cannot be
    // held in step with each poll; this only waits until its frames file is complete.
    bool settle() override
    {
        command("sync");
        return true;
    }

    // Whole lines only: the simulator may be appending one right now.
    std::vector<LineFrame> frames() const override
    {
        QFile file(dir_.filePath("frames"));
        std::vector<LineFrame> out;
        if (!file.open(QIODevice::ReadOnly))
            return out;
        const QByteArray text = file.readAll();
        for (const QByteArray &line : text.left(text.lastIndexOf('\n') + 1).split('\n')) {
            if (line.isEmpty())
                continue;
            LineFrame frame;
            for (const QByteArray &byte : line.split(' '))
                frame.bytes.push_back(std::uint8_t(byte.toUInt(nullptr, 16)));
            out.push_back(std::move(frame));
        }
        return out;
    }

    // The frames file can lag the line by a poll of the simulator; its answer to a
    // command comes only once every frame received before is in the file.
    int waitForFrames(int n, int timeoutMs) const override
    {
        command("sync");
        QElapsedTimer clock;
        clock.start();
        int seen = int(frames().size());
        while (seen < n && clock.elapsed() < timeoutMs) {
            QThread::msleep(1);
            seen = int(frames().size());
        }
        return seen;
    }

private:
    static QString hex(std::span<const std::uint8_t> bytes)
    {
        return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())).toHex());
    }

    // A simulator that cannot be driven makes every case meaningless: the test
    // fails with the reason, and a child process stops at once.
    static void fail(const QString &why)
    {
        const QByteArray text = ("vorna-sim control: " + why).toUtf8();
        if (QTest::currentTestFunction())
            QTest::qFail(text.constData(), __FILE__, __LINE__);
        else
            qFatal("%s", text.constData());
    }

    void command(const QString &line) const
    {
        QFile::remove(dir_.filePath("reply"));
        if (const QString why = post(line + "\n"); !why.isEmpty())
            return fail("cannot write " + dir_.filePath("command") + ": " + why);
        QFile reply(dir_.filePath("reply"));
        QElapsedTimer clock;
        clock.start();
        while (!reply.exists()) {
            if (clock.elapsed() > 10000)
                return fail("no reply in " + dir_.path() + " to '" + line + "'");
            QThread::msleep(1);
        }
        QByteArray answer;
        if (reply.open(QIODevice::ReadOnly))
            answer = reply.readAll().trimmed();
        reply.close();
        reply.remove();
        if (answer != "ok")
            fail("'" + line + "': " + QString::fromUtf8(answer));
    }

    // Written beside and renamed into place: the simulator never reads half a file.
    // Wine now and then fails a file call under load (once in some hundred commands
    // it reported "not enough memory"), so a failure is tried again a few times.
    QString post(const QString &text) const
    {
        QString why;
        for (int attempt = 0; attempt < 5; ++attempt) {
            if (attempt > 0)
                QThread::msleep(20);
            QFile out(dir_.filePath("command.new"));
            if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text.toUtf8()) < 0 || !out.flush()) {
                why = out.errorString();
                continue;
            }
            out.close();
            if (out.rename(dir_.filePath("command")))
                return {};
            why = out.errorString();
        }
        return why;
    }

    QDir dir_;
    QString port_;
};

} // namespace vorna::test
