// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/display_check.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vorna::app {

namespace {

// The platform asked for on the command line or in the environment, as Qt reads
// them: the last "-platform" (or "--platform") argument wins over QT_QPA_PLATFORM.
QByteArray chosenPlatform(int argc, char **argv)
{
    QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (argv[i] && (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0))
            chosen = argv[++i];
    }
    return chosen;
}

QString platformFailure(const QByteArray &platform)
{
    const QByteArray display = qgetenv("DISPLAY");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    QString where = QStringLiteral("platforma %1").arg(
        platform.isEmpty() ? QStringLiteral("domyślna") : QString::fromLocal8Bit(platform));
    where += display.isEmpty() ? QStringLiteral(", zmienna DISPLAY nie jest ustawiona")
                               : QStringLiteral(", DISPLAY=%1").arg(QString::fromLocal8Bit(display));
    if (!wayland.isEmpty())
        where += QStringLiteral(", WAYLAND_DISPLAY=%1").arg(QString::fromLocal8Bit(wayland));
    return QStringLiteral("vorna: nie udało się otworzyć ekranu graficznego (%1); sprawdź zmienną DISPLAY "
                          "albo wybierz inną platformę opcją -platform.").arg(where);
}

QByteArray gChosen;
QtMessageHandler gPrevious = nullptr;
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> gHeld;

void holdOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg) {
        std::fputs(platformFailure(gChosen).toLocal8Bit().append('\n').constData(), stderr);
        std::fflush(stderr);
        // Qt is half set up: no destructors, no abort.
        std::_Exit(1);
    }
    gHeld.push_back({type, QByteArray(context.category ? context.category : ""), message});
}

} // namespace

QString missingDisplay(int argc, char **argv)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (!chosenPlatform(argc, argv).isEmpty())
        return {};
    // Qt picks X11 when DISPLAY is set, Wayland when WAYLAND_DISPLAY is set or the
    // session says it is Wayland's.
    if (!qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty()
        || qgetenv("XDG_SESSION_TYPE") == "wayland")
        return {};
    return QStringLiteral("vorna: brak ekranu graficznego: zmienne DISPLAY i WAYLAND_DISPLAY nie są ustawione; "
                          "uruchom program w sesji graficznej albo wybierz platformę opcją -platform "
                          "(np. -platform offscreen).");
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return {};
#endif
}

PlatformStartGuard::PlatformStartGuard(int argc, char **argv)
{
    gChosen = chosenPlatform(argc, argv);
    gPrevious = qInstallMessageHandler(holdOrEnd);
}

PlatformStartGuard::~PlatformStartGuard()
{
    qInstallMessageHandler(gPrevious);
    for (const HeldMessage &m : gHeld) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category.isEmpty() ? nullptr : m.category.constData());
        qt_message_output(m.type, context, m.text);
    }
    gHeld.clear();
}

} // namespace vorna::app
