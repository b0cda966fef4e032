// SPDX-License-Identifier: GPL-3.0-or-later
// Any byte stream on the simulator's line, cut into feeds of any size: the parser
// must only hand out whole frames of the length their header gives, and the
// controller must answer them without reading or writing outside its memories.
#include <fuzzer/FuzzedDataProvider.h>

#include "sim/controller.h"
#include "sim/frame_parser.h"

using namespace vorna::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    FrameParser parser;
    Controller controller(in.ConsumeIntegral<std::uint8_t>());
    const auto now = Controller::Clock::now();
    while (in.remaining_bytes() > 0) {
        const bool flush = in.ConsumeIntegralInRange<int>(0, 15) == 0;
        const auto chunk = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(1, 64));
        auto frames = flush ? parser.flush() : std::vector<Frame>{};
        auto fed = parser.feed(chunk);
        frames.insert(frames.end(), fed.begin(), fed.end());
        for (const Frame &f : frames) {
            if (f.bytes.size() < 10 || FrameParser::frameLength(f.bytes) != f.bytes.size())
                __builtin_trap();
            const Response r = controller.handle(f, now);
            if (r.answered() && r.reply.size() > 10 + std::size_t(f.count()))
                __builtin_trap();
        }
    }
    if (controller.block().size() != 0x200 || controller.live().size() != 0x1D)
        __builtin_trap();
    return 0;
}
