// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QIcon>

namespace vorna::app {

// 32 x 32, 16 colours: a locker with its LED number and an RFID card at its reader.
QIcon vornaIcon();

} // namespace vorna::app
