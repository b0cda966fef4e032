// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/command_line.h"

#include <QCommandLineParser>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <climits>

namespace vorna::sim {

namespace {

// The faults an option names alone, and those it gives a number: its range, and
// whether the number is the first frame it applies from rather than its value.
struct FlagFault {
    const char *name;
    Fault::Kind kind;
};
constexpr FlagFault kFlagFaults[] = {
    {"echo", Fault::Echo}, {"stale", Fault::Stale}, {"no-reply", Fault::NoReply}, {"bad-checksum", Fault::BadChecksum}};

struct NumberFault {
    const char *name;
    Fault::Kind kind;
    long low, high;
    bool fromFrame;
};
constexpr NumberFault kNumberFaults[] = {
    {"noise", Fault::Noise, 1, 4096, false},      {"trickle", Fault::Trickle, 1, 1000, false},
    {"trail", Fault::Trail, 1, 600, false},       {"delay", Fault::Delay, 0, 600000, false},
    {"truncate", Fault::Truncate, 0, 600, false}, {"garbage", Fault::Garbage, 1, 600, false},
    {"silent-after", Fault::NoReply, 0, INT_MAX, true}, {"vanish-after", Fault::Vanish, 0, INT_MAX, true}};

constexpr const char *kFlags[] = {"version", "log", "pace", "sample-site"};
constexpr const char *kValued[] = {"address", "link", "memory", "control", "card", "card-on-arming"};

// Every option by its long name; the help text is usageText(), so a value's name
// only tells the parser that the option takes one.
QList<QCommandLineOption> options()
{
    QList<QCommandLineOption> all{QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")})};
    for (const char *name : kFlags)
        all.append(QCommandLineOption(QString::fromLatin1(name)));
    for (const FlagFault &f : kFlagFaults)
        all.append(QCommandLineOption(QString::fromLatin1(f.name)));
    for (const char *name : kValued)
        all.append(QCommandLineOption(QString::fromLatin1(name), {}, QStringLiteral("value")));
    for (const NumberFault &f : kNumberFaults)
        all.append(QCommandLineOption(QString::fromLatin1(f.name), {}, QStringLiteral("value")));
    return all;
}

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

// HEX,HEX,...[@MS]: the cards in the order they are held, one after each arming.
bool parseArmingCards(const std::string &text, std::vector<std::vector<std::uint8_t>> &cards, int &delayMs)
{
    const auto at = text.find('@');
    const std::string list = text.substr(0, at);
    std::vector<std::vector<std::uint8_t>> parsed;
    for (std::size_t from = 0;;) {
        const auto comma = list.find(',', from);
        const auto card = parseHex(list.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (!card)
            return false;
        parsed.push_back(*card);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    if (at != std::string::npos) {
        const auto delay = parseNumber(text.substr(at + 1), 0, INT_MAX);
        if (!delay)
            return false;
        delayMs = int(*delay);
    }
    cards = std::move(parsed);
    return true;
}

// The first argument that is no option as usageText() lists them, or whose value
// is missing or unwanted, in the words vorna-sim has always used. knownBefore
// counts the options before it, whose values are checked first: a line is judged
// in the order it is written.
struct Refusal {
    std::string error;
    qsizetype knownBefore = 0;
};

Refusal firstRefused(const QStringList &args, const QList<QCommandLineOption> &all)
{
    qsizetype known = 0;
    for (qsizetype i = 0; i < args.size(); ++i, ++known) {
        const QString &arg = args[i];
        if (arg == u"-h")
            continue;
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = arg.startsWith(u"--") ? arg.mid(2, eq < 0 ? -1 : eq - 2) : QString();
        const auto option = std::find_if(all.begin(), all.end(),
                                         [&](const QCommandLineOption &o) { return o.names().constLast() == name; });
        if (name.isEmpty() || option == all.end())
            return {"unknown option '" + arg.toStdString() + "'", known};
        const bool takesValue = !option->valueName().isEmpty();
        if (eq >= 0 && !takesValue)
            return {"option --" + name.toStdString() + " takes no value", known};
        if (takesValue && eq < 0 && ++i == args.size())
            return {"option --" + name.toStdString() + " needs a value", known};
    }
    return {};
}

// The bytes as they are where printable ASCII, else as \xHH.
std::string escapedBytes(const std::string &bytes)
{
    std::string shown;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F)
            shown += c;
        else
            shown += "\\x" + QByteArray(1, c).toHex().toUpper().toStdString();
    }
    return shown;
}

} // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string> args)
{
    QStringList arguments;
    for (const std::string &arg : args) {
        // A path in another encoding would come back as other bytes: another file.
        QString text = QString::fromStdString(arg);
        if (text.toStdString() != arg)
            return {{}, "argument '" + escapedBytes(arg) + "' is not UTF-8 text"};
        arguments.append(std::move(text));
    }
    const QList<QCommandLineOption> all = options();
    QCommandLineParser parser;
    parser.addOptions(all);
    // It skips the program's name. Its own refusals are worded by firstRefused();
    // what it found before one stands.
    parser.parse(QStringList{QStringLiteral("vorna-sim")} + arguments);
    const Refusal refused = firstRefused(arguments, all);
    const QStringList found = parser.optionNames();
    const qsizetype judged = refused.error.empty() ? found.size() : std::min(found.size(), refused.knownBefore);

    ParsedCommandLine parsed;
    CommandLine &line = parsed.line;
    QHash<QString, qsizetype> taken;   // values used so far, by option
    for (qsizetype k = 0; k < judged && parsed.error.empty(); ++k) {
        const QString &name = found[k];
        const std::string option = "--" + name.toStdString();
        const auto value = [&] { return parser.values(name).value(taken[name]++).toStdString(); };
        const auto number = [&](long low, long high) -> std::optional<long> {
            const std::string text = value();
            const auto n = parseNumber(text, low, high);
            if (!n)
                parsed.error = "option " + option + ": '" + text + "' is not a number from " + std::to_string(low) +
                               " to " + std::to_string(high);
            return n;
        };
        const auto flagFault = std::find_if(std::begin(kFlagFaults), std::end(kFlagFaults),
                                            [&](const FlagFault &f) { return name == QLatin1StringView(f.name); });
        const auto numberFault = std::find_if(std::begin(kNumberFaults), std::end(kNumberFaults),
                                              [&](const NumberFault &f) { return name == QLatin1StringView(f.name); });

        if (name == u"h" || name == u"help") {
            line.help = true;
        } else if (name == u"version") {
            line.version = true;
        } else if (name == u"log") {
            line.options.logHex = true;
        } else if (name == u"pace") {
            line.options.pace = true;
        } else if (name == u"sample-site") {
            line.sampleSite = true;
        } else if (flagFault != std::end(kFlagFaults)) {
            line.faults.push_back(Fault{flagFault->kind, 0, -1, 0});
        } else if (numberFault != std::end(kNumberFaults)) {
            if (const auto n = number(numberFault->low, numberFault->high))
                line.faults.push_back(numberFault->fromFrame ? Fault{numberFault->kind, int(*n), -1, 0}
                                                             : Fault{numberFault->kind, 0, -1, int(*n)});
        } else if (name == u"address") {
            if (const auto n = number(1, 255)) {
                line.options.address = std::uint8_t(*n);
                line.addressGiven = true;
            }
        } else if (name == u"link" || name == u"memory" || name == u"control") {
            const std::string text = value();
            if (text.empty())
                parsed.error = "option " + option + " needs a file name";
            else
                (name == u"link"     ? line.options.linkPath
                 : name == u"memory" ? line.options.memoryFile
                                     : line.controlFolder) = text;
        } else if (name == u"card") {
            const std::string text = value();
            if (!parseCard(text, line.card, line.cardDelayMs))
                parsed.error = "option " + option + ": '" + text + "' is not 1 to 7 hex bytes with an optional @MS";
        } else {   // --card-on-arming
            const std::string text = value();
            if (!parseArmingCards(text, line.armingCards, line.armingCardDelayMs))
                parsed.error = "option " + option + ": '" + text +
                               "' is not 1 to 7 hex bytes (or a comma-separated list of them) with an optional @MS";
        }
    }
    if (parsed.error.empty())
        parsed.error = refused.error;
    if (!parsed.error.empty())
        return parsed;
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
  --card-on-arming HEX[,HEX...][@MS]
                    hold card HEX to the reader MS ms after every arming of the
                    reader (the tool's "Z czytnika"; default 1500); with a list,
                    the next card of it after each arming, and no card after
                    the last (an enrolment: vorna-cli enroll)
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
  vorna-sim --card-on-arming 0A1B2C3D4E,0A1B2C3D4F,0A1B2C3D50@2000
  vorna-sim --pace --silent-after 10
)";
}

} // namespace vorna::sim
