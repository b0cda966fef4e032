// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringView>
#include <cstdint>
#include <optional>

namespace vorna::ops {

// An edit field's text read as a 32-bit signed integer: leading blanks skipped, an
// optional sign, decimal digits, or hexadecimal digits after "$", "x" or "0x" (x in
// either case). Empty text, overflow or any other character gives nullopt.
std::optional<std::int32_t> parseIntegerField(QStringView text);

// The same with a default for anything that is not a number.
std::int32_t integerField(QStringView text, std::int32_t fallback);

// A value the controller can take in one byte: an integer field that holds 0 to 255.
std::optional<std::uint8_t> byteField(QStringView text);

// The address of one controller: a byte field other than link::kBroadcastAddress.
std::optional<std::uint8_t> deviceAddressField(QStringView text);

} // namespace vorna::ops
