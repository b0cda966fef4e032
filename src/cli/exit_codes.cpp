// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/exit_codes.h"

#include "cli/console.h"
#include "cli/session.h"
#include "ops/texts.h"

namespace vorna::cli {

namespace {

QString refusedReplyText(const link::RefusedReply &r)
{
    const bool live = r.code == link::Code::ReadLive || r.code == link::Code::WriteLive;
    const char *why = r.problem == link::ReplyProblem::Header     ? "header does not match"
                      : r.problem == link::ReplyProblem::Checksum ? "checksum does not match"
                                                                  : "more bytes than the reply";
    return QStringLiteral("reply to frame %1 (%2 0x%3): %4")
        .arg(QString::number(r.frame), live ? QStringLiteral("live") : QStringLiteral("block"),
             QStringLiteral("%1").arg(r.address, 4, 16, QChar(u'0')).toUpper(), QLatin1StringView(why));
}

} // namespace

int reportOutcome(ops::Outcome outcome, const Session &session, Console &console)
{
    using ops::Outcome;
    const link::Exchange &x = session.exchange();
    const QString &status = session.lastStatus();
    switch (outcome) {
    case Outcome::Done:
        return kExitOk;
    case Outcome::TimedOut:
        if (x.portLost() || !session.portOpen())
            console.error(QStringLiteral("%1: %2").arg(ops::texts::kPortLost, status));
        else
            console.error(
                QStringLiteral("sterownik pod adresem %1 nie odpowiada: %2").arg(session.addressText(), status));
        return kExitNoAnswer;
    case Outcome::NoPort:
        console.error(ops::texts::kPortNotOpen);
        return kExitPortFailed;
    case Outcome::BadAddress:
        console.error(status);
        return kExitUsage;
    case Outcome::InvalidInput:
        console.error(status);
        return kExitBadProject;
    case Outcome::BadReply:
        if (x.refused().problem != link::ReplyProblem::None) {
            console.error(refusedReplyText(x.refused()));
            return kExitNoAnswer;
        }
        break;
    case Outcome::Busy:
    case Outcome::BadIndex:
    case Outcome::Cancelled:
        break;
    }
    console.error(status.isEmpty() ? QStringLiteral("operacja nie została wykonana") : status);
    return kExitFailed;
}

} // namespace vorna::cli
