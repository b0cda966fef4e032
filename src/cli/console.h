// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QTextStream>

namespace vorna::cli {

// The text with every control character (C0, DEL, C1) written as \xHH, so that a
// value from a file or a reply cannot steer the terminal that shows it.
QString printable(const QString &text);

// The program's two output streams. On a terminal, stderr also carries a live
// display: the operations' status texts as lines and one "\r"-rewritten progress
// line per operation. Anything else written to stderr first ends a progress line
// that is still open, so trace and error lines never land in its middle.
class Console {
public:
    Console(QTextStream &out, QTextStream &err, bool terminal);
    ~Console();
    Console(const Console &) = delete;
    Console &operator=(const Console &) = delete;

    bool terminal() const { return terminal_; }

    // Terminal only.
    void status(const QString &text);
    void progress(const QString &label, int done, int total);

    // Always: "vorna-cli: " and the text, on stderr.
    void error(const QString &text);
    // Always: a line on stderr as it stands (trace lines, verify differences).
    void note(const QString &text);
    // Always: a line on stdout (command results such as the addresses found).
    void result(const QString &text);

private:
    void endProgressLine();

    QTextStream &out_;
    QTextStream &err_;
    const bool terminal_;
    qsizetype progressWidth_ = 0;   // characters of the open progress line; 0: none open
};

} // namespace vorna::cli
