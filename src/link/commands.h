// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>

#include "link/memory_map.h"

namespace vorna::link {

enum class Code : std::uint8_t { ReadLive = 1, WriteLive = 2, ReadBlock = 5, WriteBlock = 6 };

// One row of the command table: how an operation's frames are built and how long
// their replies are waited for. Limits count polls, not milliseconds.
struct Command {
    const char *name;
    Code code;
    std::uint32_t address;   // memory address of frame 0
    std::uint32_t stride;    // address step from one frame to the next
    std::uint16_t count;     // data bytes read or written by one frame
    int frames;              // frames of one operation (0: until a card is seen or time is up)
    int replyAwaited;        // bytes that must wait in the input queue; 0: no wait at all
    int bytesRead;           // bytes then read into the reply area
    int pollPauseMs;
    int pollLimit;
    int acceptLimit;         // 0: the wait's end is not judged, the operation goes on
    bool blockPause;         // 5 ms sleep before the frame's purge

    constexpr std::uint32_t addressOf(int frame) const { return address + stride * std::uint32_t(frame); }
    constexpr bool isWrite() const { return code == Code::WriteLive || code == Code::WriteBlock; }
    constexpr int frameLength() const { return isWrite() ? 10 + count : 10; }
};

namespace commands {
using namespace memory;
// clang-format off
//                                       name                   code             address              stride  cnt frames await read pause poll accept block
inline constexpr Command Arming          {"arming",             Code::WriteLive,  kLiveCardFlag,        0,  1,  1, 10,  0, 1, 100,   0, false};
inline constexpr Command ReaderQuery     {"reader query",       Code::ReadLive,   kLiveCardFlag,        0,  9,  0, 19, 19, 1, 100, 100, true };
inline constexpr Command OpenLocker      {"open locker",        Code::WriteLive,  kLiveLockerOpen,      1,  1,  1,  8,  8, 2, 100, 100, false};
inline constexpr Command ReadCards       {"read cards",         Code::ReadBlock,  kBlockCards,          8,  8, 32, 18, 18, 1, 500, 200, true };
inline constexpr Command WriteCards      {"write cards",        Code::WriteBlock, kBlockCards,          8,  8, 32, 10, 10, 1, 500, 200, true };
inline constexpr Command ReadLockerNums  {"read locker nums",   Code::ReadBlock,  kBlockLockerNumbers,  3,  3, 20, 13, 13, 1, 500, 200, true };
inline constexpr Command WriteLockerNums {"write locker nums",  Code::WriteBlock, kBlockLockerNumbers,  3,  3, 20, 10, 10, 1, 500, 200, true };
inline constexpr Command ReadTimes       {"read times",         Code::ReadBlock,  kBlockOpeningTimes,   0,  3,  1, 13, 13, 1, 500, 200, false};
inline constexpr Command WriteTimes      {"write times",        Code::WriteBlock, kBlockOpeningTimes,   0,  3,  1, 10, 10, 2, 500, 200, false};
inline constexpr Command ReadGuardians   {"read guardians",     Code::ReadBlock,  kBlockGuardians,      3,  3,  7, 13, 11, 1, 500, 200, true };
inline constexpr Command WriteGuardians  {"write guardians",    Code::WriteBlock, kBlockGuardians,      3,  3,  7, 10, 10, 1, 500, 200, true };
inline constexpr Command WriteAddress    {"write address",      Code::WriteBlock, kBlockDeviceAddress,  0,  1,  1,  0,  0, 0,   0,   0, true };
// clang-format on

inline constexpr std::array<const Command *, 12> kAll = {
    &Arming, &ReaderQuery, &OpenLocker, &ReadCards, &WriteCards, &ReadLockerNums,
    &WriteLockerNums, &ReadTimes, &WriteTimes, &ReadGuardians, &WriteGuardians, &WriteAddress};
} // namespace commands

} // namespace vorna::link
