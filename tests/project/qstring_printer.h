// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <ostream>

// Readable failure messages for QString comparisons.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
