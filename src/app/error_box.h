// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace vorna::app {

// The application title: the task bar name and the title of every error box.
inline const QString kAppTitle = QStringLiteral("Vorna");

// The message as the error box shows it: a full stop is added unless the message is
// empty or already ends in a character that sorts at or before '.'.
QString errorBoxText(const QString &message);

// Modal box with the error icon and a single OK button.
void showErrorBox(QWidget *parent, const QString &message);

// Runs a click handler; an exception that escapes it is shown in the error box and
// swallowed, so the window goes on in whatever state the handler left.
void guardedCall(QWidget *parent, const std::function<void()> &handler);

} // namespace vorna::app
