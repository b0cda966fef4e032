// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

#include "cli/controller_transfer.h"

namespace vorna::cli {

// One field in which the controller does not hold what the project file says.
struct Difference {
    QString key;        // "SECTION/Key"
    QString expected;   // what a write of the file puts there, as read back would show it
    QString actual;     // what the controller holds

    bool operator==(const Difference &) const = default;
};

// verify: compares by what goes over the line, not by text: a card by its record (the file's
// text converted as write converts it, cardFileRecord), an LED number by its three digits as the
// window shows them (a byte of 10 or more as 0; "1000" is 100), a time by its value ("0x10" is 16), a guardian tick as such. The file's
// fields must have passed checkProject.
std::vector<Difference> compareWithController(const project::Settings &file, const ControllerState &controller,
                                              int cardType);

// After a write: the bytes read back against the bytes written, table by table, so
// that nothing the window's texts hide (an LED byte of 10 or more reads as "0") can
// pass. The guardian masks are compared without bits 20-23, as read leaves them.
std::vector<Difference> compareWithWritten(const ControllerTables &written, const ControllerTables &read,
                                           int cardType);

// diff: two project files by the rules verify compares a file with the controller by,
// `expected` from A and `actual` from B. Both files' fields must have passed checkProject.
std::vector<Difference> compareProjects(const project::Settings &a, const project::Settings &b, int cardType);

// "KARTY_SZAFEK/Szafka7: oczekiwano 0123456789, sterownik ma FFFFFFFFFF"
QString describe(const Difference &difference);
// "KARTY_SZAFEK/Szafka7: A ma 0123456789, B ma FFFFFFFFFF"
QString describeProjects(const Difference &difference);

} // namespace vorna::cli
