// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/port_name.h"

namespace vorna::link {

QString trimPortName(const QString &typed)
{
    qsizetype begin = 0;
    qsizetype end = typed.size();
    while (begin < end && typed[begin].unicode() <= 32)
        ++begin;
    while (end > begin && typed[end - 1].unicode() <= 32)
        --end;
    return typed.mid(begin, end - begin);
}

QString portDevicePath(const QString &name)
{
#ifdef Q_OS_WIN
    return name;
#else
    if (name.isEmpty() || name.startsWith(u'/'))
        return name;
    if (name.size() > 3 && name.first(3).compare(u"COM", Qt::CaseInsensitive) == 0) {
        bool ok = false;
        const uint n = name.mid(3).toUInt(&ok);
        const bool plainDigits = ok && name[3].isDigit() && !name.mid(3).startsWith(u'0');
        if (plainDigits && n >= 1)
            return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    }
    return QStringLiteral("/dev/") + name;
#endif
}

} // namespace vorna::link
