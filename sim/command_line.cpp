// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/command_line.h"

#include <charconv>
#include <climits>

namespace vorna::sim {

namespace {

std::optional<long> parseNumber(const std::string &text, long low, long high)
{
    long value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<std::vector<std::uint8_t>> parseHex(const std::string &text)
{
    if (text.empty() || text.size() % 2 != 0 || text.size() > 14)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        const char *first = text.data() + i;
        const auto [ptr, ec] = std::from_chars(first, first + 2, value, 16);
        if (ec != std::errc() || ptr != first + 2)
            return std::nullopt;
        bytes.push_back(std::uint8_t(value));
    }
    return bytes;
}

bool parseCard(const std::string &text, std::optional<std::vector<std::uint8_t>> &card, int &delayMs)
{
    const auto at = text.find('@');
    const auto number = parseHex(text.substr(0, at));
    if (!number)
        return false;
    card = *number;
    if (at != std::string::npos) {
        const auto delay = parseNumber(text.substr(at + 1), 0, INT_MAX);
        if (!delay)
            return false;
        delayMs = int(*delay);
    }
    return true;
}

} // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string> args)
{
    ParsedCommandLine parsed;
    CommandLine &line = parsed.line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const auto flag = [&](bool &target) {
            if (inlineValue) {
                parsed.error = "option " + name + " takes no value";
                return false;
            }
            target = true;
            return true;
        };
        const auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            parsed.error = "option " + name + " needs a value";
            return std::nullopt;
        };
        const auto number = [&](long low, long high) -> std::optional<long> {
            const auto text = value();
            if (!text)
                return std::nullopt;
            const auto n = parseNumber(*text, low, high);
            if (!n)
                parsed.error = "option " + name + ": '" + *text + "' is not a number from " +
                               std::to_string(low) + " to " + std::to_string(high);
            return n;
        };
        const auto fault = [&](Fault::Kind kind, long low, long high, bool fromValue) {
            const auto n = number(low, high);
            if (!n)
                return false;
            line.faults.push_back(fromValue ? Fault{kind, int(*n), -1, 0} : Fault{kind, 0, -1, int(*n)});
            return true;
        };

        bool ok = true;
        bool dummy = false;
        if (name == "--help" || name == "-h") {
            ok = flag(line.help);
        } else if (name == "--version") {
            ok = flag(line.version);
        } else if (name == "--log") {
            ok = flag(line.options.logHex);
        } else if (name == "--pace") {
            ok = flag(line.options.pace);
        } else if (name == "--address") {
            const auto n = number(1, 255);
            ok = n.has_value();
            if (ok) {
                line.options.address = std::uint8_t(*n);
                line.addressGiven = true;
            }
        } else if (name == "--link" || name == "--memory" || name == "--control") {
            const auto text = value();
            ok = text && !text->empty();
            if (text && text->empty())
                parsed.error = "option " + name + " needs a file name";
            if (ok)
                (name == "--link" ? line.options.linkPath
                 : name == "--memory" ? line.options.memoryFile : line.controlFolder) = *text;
        } else if (name == "--card" || name == "--card-on-arming") {
            const auto text = value();
            ok = text.has_value();
            const bool start = name == "--card";
            if (ok && !parseCard(*text, start ? line.card : line.armingCard,
                                 start ? line.cardDelayMs : line.armingCardDelayMs)) {
                parsed.error = "option " + name + ": '" + *text + "' is not 1 to 7 hex bytes with an optional @MS";
                ok = false;
            }
        } else if (name == "--sample-site") {
            ok = flag(line.sampleSite);
        } else if (name == "--echo" || name == "--stale") {
            ok = flag(dummy);
            if (ok)
                line.faults.push_back(Fault{name == "--echo" ? Fault::Echo : Fault::Stale, 0, -1, 0});
        } else if (name == "--noise") {
            ok = fault(Fault::Noise, 1, 4096, false);
        } else if (name == "--trickle") {
            ok = fault(Fault::Trickle, 1, 1000, false);
        } else if (name == "--trail") {
            ok = fault(Fault::Trail, 1, 600, false);
        } else if (name == "--no-reply") {
            ok = flag(dummy);
            if (ok)
                line.faults.push_back(Fault{Fault::NoReply, 0, -1, 0});
        } else if (name == "--bad-checksum") {
            ok = flag(dummy);
            if (ok)
                line.faults.push_back(Fault{Fault::BadChecksum, 0, -1, 0});
        } else if (name == "--delay") {
            ok = fault(Fault::Delay, 0, 600000, false);
        } else if (name == "--truncate") {
            ok = fault(Fault::Truncate, 0, 600, false);
        } else if (name == "--garbage") {
            ok = fault(Fault::Garbage, 1, 600, false);
        } else if (name == "--silent-after") {
            ok = fault(Fault::NoReply, 0, INT_MAX, true);
        } else if (name == "--vanish-after") {
            ok = fault(Fault::Vanish, 0, INT_MAX, true);
        } else {
            parsed.error = "unknown option '" + args[i] + "'";
            ok = false;
        }
        if (!ok)
            return parsed;
    }
    if (line.sampleSite && !line.options.memoryFile.empty())
        parsed.error = "options --sample-site and --memory exclude each other";
    if (!line.controlFolder.empty() && line.options.linkPath.empty())
        parsed.error = "option --control needs --link: a reset gives the link a new terminal";
    return parsed;
}

std::string usageText()
{
    return R"(Usage: vorna-sim [options]

Simulates the locker controller behind a pseudo-terminal. The first line printed
is the terminal's path (or the --link path): open it as the serial port. Runs
until interrupted (Ctrl+C, SIGTERM or SIGHUP).

Options:
  --address N       device address to answer, 1 to 255 (default 1, or the
                    address kept in the --memory file)
  --link PATH       symlink PATH to the terminal, removed at exit; a symlink
                    there is replaced, anything else refused
  --memory FILE     load block memory from FILE (512 bytes) if it exists, save
                    it there after every block write; FILE must be a regular
                    file of exactly 512 bytes or not exist yet
  --log             every frame received and reply sent, in hex, on stderr;
                    a line stderr cannot take at once is dropped
  --pace            19200-baud timing: 0.521 ms per byte in both directions
  --card HEX[@MS]   hold card HEX (1 to 7 bytes, e.g. 0A1B2C3D4E) to the reader
                    MS ms after start (default 3000)
  --card-on-arming HEX[@MS]
                    hold card HEX to the reader MS ms after every arming of the
                    reader (the tool's "Z czytnika"; default 1500)
  --sample-site     start with a small site in memory: cards, LED numbers
                    101-120, opening times, guardians 1 and 2
  --control DIR     let a test in another process drive the simulator through
                    files in the folder DIR: reset, memory, faults, reader;
                    every frame received listed in DIR/frames (needs --link)
  --help            this text
  --version         the program's version

Faults (from the first frame on, for every frame, unless stated):
  --no-reply        execute frames but send no reply
  --delay MS        send each reply MS ms late
  --truncate N      send only the first N bytes of each reply
  --garbage N       send N random bytes instead of each reply
  --bad-checksum    invert the checksum of each reply
  --silent-after N  answer the first N frames, then none
  --vanish-after N  answer the first N frames, then close the terminal as if
                    the adapter were pulled out
  --stale           answer each frame with the reply to the frame before it
  --trickle MS      send the bytes of each reply MS ms apart
  --trail N         send N bytes 0x00 after each reply
  --echo            send every frame straight back before anything else, as
                    an RS-485 adapter with local echo (any address)
  --noise N         send N random bytes after every frame (any address)

Examples:
  vorna-sim --link /tmp/vorna-tty --log
  vorna-sim --memory controller.bin --card 0A1B2C3D4E@5000
  vorna-sim --sample-site --card-on-arming 04A1B2C3D5@1500
  vorna-sim --pace --silent-after 10
)";
}

} // namespace vorna::sim
