// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/session.h"

#include <QCoreApplication>

#include "cli/exit_codes.h"
#include "link/frame.h"
#include "link/open_failure.h"
#include "link/port_name.h"
#include "ops/open_failure_text.h"
#include "ops/texts.h"

namespace vorna::cli {

Session::Session(Console &console, const Arguments &args)
    : console_(console), address_(args.address), addressText_(args.addressAsTyped)
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
    ops::Env e{x_, [device = address_]() -> std::optional<std::uint8_t> {
                   // The broadcast address is no one controller's (set-address sends there itself).
                   if (device == link::kBroadcastAddress)
                       return std::nullopt;
                   return device;
               }, [this](const QString &text) {
                   lastStatus_ = text;
                   console_.status(text);
               }};
    if (total > 0)
        e.progress = [this, label, total](int done) { console_.progress(label, done, total); };
    return e;
}

int withSession(Console &console, const Arguments &args, const std::function<int(Session &)> &work)
{
    Session session(console, args);
    if (!session.open(args.port))
        return kExitPortFailed;
    return work(session);
}

} // namespace vorna::cli
