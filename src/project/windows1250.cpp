#include "project/windows1250.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace vorna::project {

namespace {
constexpr const char *kCodePage = "windows-1250";
}

QString decodeWindows1250(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodePage);
    return decoder.decode(bytes);
}

std::optional<QByteArray> encodeWindows1250(QStringView text)
{
    QStringEncoder encoder(kCodePage);
    if (!encoder.isValid())
        return std::nullopt;
    QByteArray bytes = encoder.encode(text);
    // The encoder substitutes what it cannot map; the round trip catches any
    // substitution it does not flag.
    if (encoder.hasError() || decodeWindows1250(bytes) != text)
        return std::nullopt;
    return bytes;
}

} // namespace vorna::project
