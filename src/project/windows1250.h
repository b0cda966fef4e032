#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace vorna::project {

// Project files are 8-bit text in Windows-1250, the code page of the window's texts.

// Every byte has a character, so decoding cannot fail. Both directions are tables taken
// from the system's converter (ICU) on first use; without it nothing converts.
QString decodeWindows1250(QByteArrayView bytes);

// nullopt when the text holds a character the code page cannot store.
std::optional<QByteArray> encodeWindows1250(QStringView text);

} // namespace vorna::project
