// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vorna::app {

// Where a window's frame (the window with its decorations) starts on a screen's
// available area: centred in each direction where it fits, which keeps it inside;
// where it does not, at the area's left or top edge, so the title bar, the port field
// and the file buttons stay on the screen.
QPoint frameTopLeft(const QRect &available, const QSize &frame);

// Places a window that is not shown yet on its screen by frameTopLeft, with the
// decorations the platform reports for it.
void placeOnScreen(QWidget &window);

} // namespace vorna::app
