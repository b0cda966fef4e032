// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>

#include "support/remote_sim_line.h"
#include "support/window_rig.h"
#ifndef _WIN32
#include "support/local_sim_line.h"
#endif

namespace vorna::test {

// The simulator a window test runs against: the vorna-sim whose control folder
// VORNA_SIM_CONTROL names, opened as VORNA_SIM_PORT, when they are set (always
// on Windows, which has no pseudo-terminals); else one in this process.
inline bool remoteSimulator()
{
#ifdef _WIN32
    return true;
#else
    return !qEnvironmentVariableIsEmpty("VORNA_SIM_CONTROL");
#endif
}

inline std::unique_ptr<SimLine> makeSimLine()
{
#ifndef _WIN32
    if (!remoteSimulator())
        return std::make_unique<LocalSimLine>();
#endif
    return std::make_unique<RemoteSimLine>(qEnvironmentVariable("VORNA_SIM_CONTROL"),
                                           qEnvironmentVariable("VORNA_SIM_PORT"));
}

struct LineRig : BasicFormRig<SimLine> {
    LineRig() : BasicFormRig(makeSimLine()) {}
};

// Starts this test program again with `args`, on the same Qt platform (under Wine
// it comes by argument only). There the port works only with the test hook in the
// process (tests/wine/com_port.sh), so a child goes through the same launcher when
// VORNA_RUN_HOOKED and VORNA_COMM_HOOK name it.
inline void startThisProgram(QProcess &child, QStringList args)
{
    args << "-platform" << QGuiApplication::platformName();
    const QString self = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    const QString launcher = qEnvironmentVariable("VORNA_RUN_HOOKED");
    const QString hook = qEnvironmentVariable("VORNA_COMM_HOOK");
    if (launcher.isEmpty() || hook.isEmpty())
        child.start(self, args);
    else
        child.start(launcher, QStringList{hook, self} + args);
}

} // namespace vorna::test
