// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <gtest/gtest.h>
#include <vector>

#include "cli/cli.h"
#include "project/key_table.h"
#include "project/project_file.h"
#include "sim/pty_simulator.h"
#include "support/lockstep.h"

namespace vorna::test {

using Bytes = std::vector<std::uint8_t>;

struct CliResult {
    int code = -1;
    QString out, err;
};

// The program run in-process, its two streams caught in strings (so never a terminal).
inline CliResult runCliCaptured(const QStringList &args)
{
    CliResult r;
    QTextStream out(&r.out), err(&r.err);
    r.code = cli::runCli(args, out, err);
    out.flush();
    err.flush();
    return r;
}

// The simulated controller on a pty, a folder for project files, and the program
// pointed at the controller's port.
struct CliSim {
    sim::PtySimulator sim;
    Lockstep lockstep{sim};
    QTemporaryDir dir;

    explicit CliSim(sim::PtySimulator::Options options = {}) : sim(options)
    {
        EXPECT_TRUE(sim.start());
        EXPECT_TRUE(dir.isValid());
    }

    QString port() const { return QString::fromStdString(sim.path()); }
    QString file(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    CliResult run(QStringList args) const
    {
        args.prepend(port());
        args.prepend(QStringLiteral("--port"));
        return runCliCaptured(args);
    }

    // A project file with exactly these bytes.
    QString writeFile(const char *name, const QByteArray &content) const
    {
        const QString path = file(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path;
    }

    QString saveValues(const char *name, const project::Settings &values) const
    {
        const QString path = file(name);
        EXPECT_TRUE(project::saveProject(path, values));
        return path;
    }

    std::vector<Bytes> sent() const
    {
        std::vector<Bytes> out;
        for (const auto &f : sim.frames())
            out.push_back(f.bytes);
        return out;
    }

    Bytes block(std::uint32_t at, int n) const
    {
        const auto b = sim.block();
        return Bytes(b.begin() + at, b.begin() + at + std::uint32_t(n));
    }
};

} // namespace vorna::test
