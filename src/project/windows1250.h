#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>
#include <span>

namespace vorna::project {

// Project files are 8-bit text in Windows-1250, the code page of the window's texts.
// Both directions are tables taken from the system's converter (ICU) on first use;
// without it nothing converts.
bool windows1250Available();

// Every byte has a character, so decoding cannot fail.
QString decodeWindows1250(QByteArrayView bytes);
// The same into room for bytes.size() characters at `out`, so that many texts can
// share one buffer. Only for when the code page is available.
void decodeWindows1250To(QByteArrayView bytes, char16_t *out);

// nullopt when the text holds a character the code page cannot store.
std::optional<QByteArray> encodeWindows1250(QStringView text);

// The same into room for text.size() bytes at `out`, so that many texts can share one
// buffer; false when a character cannot be stored.
bool encodeWindows1250To(QStringView text, char *out);
// The same for several texts, one after another.
bool encodeWindows1250To(std::span<const QStringView> texts, char *out);

// Whether the text could be stored, without storing it.
bool fitsWindows1250(QStringView text);

} // namespace vorna::project
