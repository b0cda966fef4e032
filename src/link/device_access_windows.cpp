// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/open_failure.h"

namespace vorna::link {

// Windows has no device files with owners: a port in use is refused with "access
// denied", and every user may open a port that is free.
QString deviceGroup(const QString &) { return {}; }

DeviceAccess deviceAccess(const QString &)
{
    DeviceAccess access;
    access.readWrite = true;
    return access;
}

} // namespace vorna::link
