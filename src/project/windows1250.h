#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace vorna::project {

// Project files are 8-bit text in Windows-1250, the code page of the window's texts.
// Both directions are tables taken from the system's converter (ICU) on first use;
// without it nothing converts.
bool windows1250Available();

// Every byte has a character, so decoding cannot fail.
QString decodeWindows1250(QByteArrayView bytes);
// The same appended to `text`, so that many short texts can share one buffer.
void decodeWindows1250Into(QString &text, QByteArrayView bytes);

// nullopt when the text holds a character the code page cannot store.
std::optional<QByteArray> encodeWindows1250(QStringView text);

// The same without a buffer of its own: false, with `out` as it was, when a character
// cannot be stored.
bool appendWindows1250(QByteArray &out, QStringView text);

// Whether the text could be stored, without storing it.
bool fitsWindows1250(QStringView text);

// Whether encoding the text would give exactly these bytes; lets a writer skip a value
// the file already holds.
bool isWindows1250Of(QByteArrayView bytes, QStringView text);

} // namespace vorna::project
