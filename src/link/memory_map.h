// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>

// The controller's two address spaces. Live memory is reached by the read-live and
// write-live commands, block memory by read-block and write-block.
namespace vorna::link::memory {

// Live memory: the reader area, then one opening byte per locker.
inline constexpr std::uint32_t kLiveCardFlag = 0x00;
inline constexpr std::uint32_t kLiveCardNumber = 0x01;   // 7 number bytes
inline constexpr std::uint32_t kLiveCardLength = 0x08;
inline constexpr std::uint32_t kLiveReaderAreaSize = 9;
inline constexpr std::uint32_t kLiveLockerOpen = 0x09;   // locker k + 1 at 0x09 + k
inline constexpr std::uint32_t kLiveSize = 0x1D;

// Block memory.
inline constexpr std::uint32_t kBlockCards = 0x000;           // 32 records of 8 bytes
inline constexpr std::uint32_t kBlockLockerNumbers = 0x100;   // 20 x 3 digit bytes
inline constexpr std::uint32_t kBlockGuardians = 0x13C;       // 7 x 3 mask bytes
inline constexpr std::uint32_t kBlockDeviceAddress = 0x1FC;
inline constexpr std::uint32_t kBlockOpeningTimes = 0x1FD;    // guardian, service, user
inline constexpr std::uint32_t kBlockSize = 0x200;

inline constexpr int kCardSlots = 32;
inline constexpr int kCardRecordSize = 8;
inline constexpr int kCardNumberBytes = 7;   // then the length byte; a length above it: no card
inline constexpr int kLockers = 20;
inline constexpr int kLockerDigits = 3;
inline constexpr int kGuardians = 7;
inline constexpr int kGuardianMaskSize = 3;
inline constexpr int kOpeningTimes = 3;

} // namespace vorna::link::memory
