// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session.h"

#include <QCoreApplication>

#include "cli/exit_codes.h"
#include "link/open_failure.h"
#include "link/port_name.h"
#include "ops/fields.h"
#include "ops/open_failure_text.h"
#include "ops/texts.h"

namespace vorna::cli {

Session::Session(Console &console, const Arguments &args) : console_(console), address_(args.address)
{
    x_.setReplyCheck(args.replyCheck);
    if (args.trace)
        tracer_ = std::make_unique<TracingPort>(port_, [this](const QString &line) { console_.note(line); });
    x_.setMessagePump([] { QCoreApplication::processEvents(); });
}

Session::~Session()
{
    x_.setPort(nullptr);
    port_.close();
}

bool Session::open(const QString &typedName)
{
    const QString name = link::trimPortName(typedName);
    const QString device = link::portDevicePath(name);
    if (!port_.open(device)) {
        // The window's reason, in both languages.
        const link::OpenFailure failure =
            link::diagnoseOpenFailure(name, device, port_.openError(), port_.openErrorText());
        console_.error(QStringLiteral("%1 (%2)").arg(ops::texts::kPortOpenFailed, ops::openFailureTextBilingual(failure)));
        return false;
    }
    x_.setPort(tracer_ ? static_cast<link::SerialPort *>(tracer_.get()) : &port_);
    return true;
}

ops::Env Session::env(const QString &label, int total)
{
    // The command line checked the address before the session began: parsed once.
    ops::Env e{x_, [device = ops::deviceAddressField(address_)] { return device; }, [this](const QString &text) {
                   lastStatus_ = text;
                   console_.status(text);
               }};
    if (total > 0)
        e.progress = [this, label, total](int done) { console_.progress(label, done, total); };
    return e;
}

int Session::fail(ops::Outcome outcome)
{
    using ops::Outcome;
    switch (outcome) {
    case Outcome::Done:
        return kExitOk;
    case Outcome::TimedOut:
        if (x_.portLost() || !port_.isOpen())
            console_.error(QStringLiteral("%1: %2").arg(ops::texts::kPortLost, lastStatus_));
        else
            console_.error(QStringLiteral("sterownik pod adresem %1 nie odpowiada: %2").arg(address_, lastStatus_));
        return kExitNoAnswer;
    case Outcome::NoPort:
        console_.error(ops::texts::kPortNotOpen);
        return kExitPortFailed;
    case Outcome::BadAddress:
        console_.error(lastStatus_);
        return kExitUsage;
    case Outcome::InvalidInput:
        console_.error(lastStatus_);
        return kExitBadProject;
    case Outcome::BadReply:
        if (x_.refused().problem != link::ReplyProblem::None) {
            console_.error(refusedReplyText());
            return kExitNoAnswer;
        }
        break;
    case Outcome::Busy:
    case Outcome::BadIndex:
    case Outcome::Cancelled:
        break;
    }
    console_.error(lastStatus_.isEmpty() ? QStringLiteral("operacja nie została wykonana") : lastStatus_);
    return kExitFailed;
}

QString Session::refusedReplyText() const
{
    const link::RefusedReply &r = x_.refused();
    const bool live = r.code == link::Code::ReadLive || r.code == link::Code::WriteLive;
    const char *why = r.problem == link::ReplyProblem::Header     ? "header does not match"
                      : r.problem == link::ReplyProblem::Checksum ? "checksum does not match"
                                                                  : "more bytes than the reply";
    return QStringLiteral("reply to frame %1 (%2 0x%3): %4")
        .arg(QString::number(r.frame), live ? QStringLiteral("live") : QStringLiteral("block"),
             QStringLiteral("%1").arg(r.address, 4, 16, QChar(u'0')).toUpper(), QLatin1StringView(why));
}

} // namespace vorna::cli
