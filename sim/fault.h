// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <utility>

namespace vorna::sim {

// A misbehaviour of the controller, for tests and demonstrations. It applies to
// the frames addressed to the controller (its own address or broadcast, with a
// good checksum), counted from 0: frames firstFrame to firstFrame + count - 1,
// or every frame from firstFrame on when count is -1.
//   NoReply      the frame is executed but not answered; with value 1 it is not
//                executed either (a controller gone deaf).
//   Delay        the reply goes out value ms late.
//   Truncate     only the first value bytes of the reply go out.
//   Garbage      value random bytes go out instead of the reply.
//   BadChecksum  the reply's checksum bytes are inverted.
//   Vanish       the line disappears before the frame is executed, as an
//                adapter pulled out of its socket.
//   Stale        the frame is answered with the reply made for the frame before
//                it (the first one with its own), as a controller one step behind.
//   Trickle      the reply's bytes go out value ms apart.
//   Trail        value bytes 0x00 follow the reply, as a line that idles on after
//                turning round; trickling, they reach the tool after its next purge.
//   Forget       a write is answered as done, but nothing of it is stored, as a
//                memory that no longer takes writes.
//   Hold         the reply waits until PtySimulator::releaseHeld() lets it go, as a
//                controller slower than any limit; replies made after it wait too.
// Two more stand for the line rather than the controller; they count every frame
// received, whatever its address or checksum:
//   Echo         the frame's own bytes come straight back, as a 2-wire RS-485
//                adapter with local echo returns what is sent.
//   Noise        value random bytes follow the frame at once, before any reply.
struct Fault {
    enum Kind { NoReply, Delay, Truncate, Garbage, BadChecksum, Vanish, Stale, Trickle, Trail, Forget, Hold, Echo, Noise } kind;
    int firstFrame = 0;
    int count = 1;
    int value = 0;

    bool covers(int frame) const { return frame >= firstFrame && (count < 0 || frame - firstFrame < count); }
};

// The names of the kinds in vorna-sim's control folder (sim/README.md).
inline constexpr std::array<std::pair<const char *, Fault::Kind>, 13> kFaultNames{{
    {"no-reply", Fault::NoReply}, {"delay", Fault::Delay}, {"truncate", Fault::Truncate},
    {"garbage", Fault::Garbage}, {"bad-checksum", Fault::BadChecksum}, {"vanish", Fault::Vanish},
    {"stale", Fault::Stale}, {"trickle", Fault::Trickle}, {"trail", Fault::Trail},
    {"forget", Fault::Forget}, {"hold", Fault::Hold}, {"echo", Fault::Echo}, {"noise", Fault::Noise},
}};

} // namespace vorna::sim
