// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "ops/card_numbers.h"

namespace vorna::cli {

enum class Command { Read, Write, Verify, OpenLocker, SetAddress, Scan, Enroll, Diff, Report };

// The command line after parsing: every value already checked and converted, so a
// command can run without judging its input again.
struct Arguments {
    bool help = false;
    bool version = false;

    Command command = Command::Read;
    QString port;                                 // as typed; trimmed and mapped when opened
    std::uint8_t address = 1;                     // device address, 1-255 (0 only for set-address)
    QString addressAsTyped = QStringLiteral("1"); // the same as written ("0x10"), for messages
    ops::CardType cardType = ops::Unique;
    bool trace = false;
    bool replyCheck = true;                       // off with --no-reply-check

    QString file;                                 // read, write, verify, enroll, report; diff: file A
    QString otherFile;                            // diff: file B
    QString output;                               // report: the PDF to write (-o)
    bool verify = false;                          // write: read everything back afterwards
    bool allowDefaults = false;                   // write, verify, diff: keys the file lacks take their defaults
    int locker = 0;                               // open-locker: position 1-20
    std::uint8_t time = 100;                      // open-locker: tenths of a second
    std::uint8_t newAddress = 0;                  // set-address
    int scanFirst = 1;                            // scan: bus addresses scanFirst..scanLast
    int scanLast = 255;

    std::vector<int> cardSlots;                   // enroll: indexes into Settings::cards, in order
    int waitSeconds = 30;                         // enroll: how long each card is waited for
    bool allowDuplicates = false;                 // enroll: a card may sit in two slots
};

struct ParsedArguments {
    std::optional<Arguments> arguments;
    QString error;   // why parsing failed, one line, when `arguments` is empty
};

// `args` without the program's own name.
ParsedArguments parseArguments(const QStringList &args);

struct DecodedArguments {
    QStringList args;
    QString error;   // the first argument that does not decode, named, when not empty
};

// The arguments as a POSIX system passes them, bytes, decoded as Qt decodes a command
// line. A byte sequence that is no text there (a file name in another encoding) would
// come back as other bytes, so the program would open another file than the one
// named: such an argument is refused, shown with its odd bytes as \xHH.
DecodedArguments decodeArguments(const QList<QByteArray> &raw);

QString commandName(Command command);
QString helpText();
QString versionText();

} // namespace vorna::cli
