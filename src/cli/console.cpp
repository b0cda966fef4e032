// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console.h"

#include <algorithm>

namespace vorna::cli {

namespace {
constexpr int kBarWidth = 20;
}

QString printable(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            shown += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else
            shown += c;
    }
    return shown;
}

Console::Console(QTextStream &out, QTextStream &err, bool terminal) : out_(out), err_(err), terminal_(terminal) {}

Console::~Console()
{
    endProgressLine();
    out_.flush();
    err_.flush();
}

void Console::endProgressLine()
{
    if (progressWidth_ == 0)
        return;
    err_ << '\n';
    progressWidth_ = 0;
}

void Console::status(const QString &text)
{
    if (!terminal_)
        return;
    endProgressLine();
    err_ << printable(text) << '\n';
    err_.flush();
}

void Console::progress(const QString &label, int done, int total)
{
    if (!terminal_ || total <= 0)
        return;
    const int filled = std::clamp(done, 0, total) * kBarWidth / total;
    QString line = QStringLiteral("%1 [%2%3] %4/%5")
                       .arg(label, QString(filled, u'#'), QString(kBarWidth - filled, u'.'))
                       .arg(done)
                       .arg(total);
    const qsizetype width = line.size();
    if (width < progressWidth_)
        line += QString(progressWidth_ - width, u' ');   // wipe what a longer line left
    err_ << '\r' << line;
    err_.flush();
    progressWidth_ = std::max(width, qsizetype(1));
}

void Console::error(const QString &text) { note(QStringLiteral("vorna-cli: ") + text); }

void Console::note(const QString &text)
{
    endProgressLine();
    err_ << printable(text) << '\n';
    err_.flush();
}

void Console::result(const QString &text)
{
    endProgressLine();   // on a terminal both streams share the screen
    out_ << printable(text) << '\n';
    out_.flush();
}

} // namespace vorna::cli
