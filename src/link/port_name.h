// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace vorna::link {

// The port name as typed: characters 0 to 32 removed at both ends, nothing else changed.
QString trimPortName(const QString &typed);

// The device a trimmed port name stands for. On Linux "COMn" (any letter case) is
// /dev/ttyS(n-1), a name starting with "/" is a path used as it stands, any other
// name is that device under /dev. On Windows the names are native.
QString portDevicePath(const QString &name);

} // namespace vorna::link
