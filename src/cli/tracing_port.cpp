// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/tracing_port.h"

#include <QByteArray>
#include <QTime>

namespace vorna::cli {

TracingPort::TracingPort(link::SerialPort &inner, Sink sink, Timestamp timestamp)
    : inner_(inner), sink_(std::move(sink)), timestamp_(std::move(timestamp))
{
}

QString TracingPort::wallClock() { return QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")); }

void TracingPort::write(std::span<const std::uint8_t> bytes)
{
    trace("TX", bytes);
    inner_.write(bytes);
}

int TracingPort::read(std::span<std::uint8_t> into)
{
    const int n = inner_.read(into);
    if (n > 0)
        trace("RX", into.first(std::size_t(n)));
    return n;
}

void TracingPort::trace(const char *direction, std::span<const std::uint8_t> bytes)
{
    QString line = timestamp_() + u' ' + QLatin1StringView(direction);
    if (!bytes.empty())
        line += u' ' + QString::fromLatin1(QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()),
                                                                   qsizetype(bytes.size()))
                                               .toHex(' ')
                                               .toUpper());
    sink_(line);
}

} // namespace vorna::cli
