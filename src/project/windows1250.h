// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace vorna::project {

// Project files are 8-bit text in Windows-1250, the code page of the window's texts.
// The table is our own: the Windows build's Qt has no converter for it.

// Every byte has a character of its own, so decoding cannot fail.
QString decodeWindows1250(QByteArrayView bytes);
// nullopt when the text holds a character the code page lacks.
std::optional<QByteArray> encodeWindows1250(QStringView text);

} // namespace vorna::project
