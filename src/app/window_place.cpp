// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace vorna::app {

namespace {

int startOn(int areaStart, int areaLength, int length)
{
    return length >= areaLength ? areaStart : areaStart + (areaLength - length) / 2;
}

} // namespace

QPoint frameTopLeft(const QRect &available, const QSize &frame)
{
    return {startOn(available.left(), available.width(), frame.width()),
            startOn(available.top(), available.height(), frame.height())};
}

void placeOnScreen(QWidget &window)
{
    // The native window is made now so that its decorations are known. A window
    // manager that tells them only once the window is mapped (X11) reports none yet.
    window.winId();
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QMargins frame = window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
    // move() places the frame of a window, not its client area.
    window.move(frameTopLeft(screen->availableGeometry(), window.size().grownBy(frame)));
}

} // namespace vorna::app
