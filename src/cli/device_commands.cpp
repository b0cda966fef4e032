// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/session.h"
#include "link/commands.h"
#include "link/frame.h"
#include "ops/device_address.h"
#include "ops/locker_opening.h"
#include "ops/texts.h"

namespace vorna::cli {

namespace {

// A controller answers a read of its opening times within a few milliseconds; a
// silent address must not cost the half second of the block transfers' wait.
constexpr int kScanPolls = 30;

// A checked reply that echoes another address's probe is that controller's late
// answer (it missed its own wait): it credits that address, never the one asked.
std::optional<int> lateAnswerer(const link::Exchange &x, const link::Command &probe, int first, int last)
{
    if (x.refused().problem != link::ReplyProblem::Header)
        return std::nullopt;
    const auto reply = std::span(x.replyArea()).first(std::size_t(link::fullReplyLength(probe)));
    const int device = reply[0];
    if (device < first || device > last)
        return std::nullopt;
    const auto frame = link::buildFrame(std::uint8_t(device), probe, 0);
    if (link::checkReply(frame, reply) != link::ReplyProblem::None)
        return std::nullopt;
    return device;
}

// Asks every address of the range, lists those that answered on stdout.
int scan(Session &session, const Arguments &args, Console &console)
{
    link::Command probe = link::commands::ReadTimes;
    probe.pollLimit = kScanPolls;
    probe.acceptLimit = kScanPolls;

    console.status(QStringLiteral("Szukanie sterowników na adresach %1-%2 ...")
                       .arg(QString::number(args.scanFirst), QString::number(args.scanLast)));
    const QString label = QStringLiteral("Adresy");
    const int total = args.scanLast - args.scanFirst + 1;
    link::Exchange &x = session.exchange();
    std::vector<int> found;
    {
        link::Exchange::Busy busy(x);
        for (int address = args.scanFirst; address <= args.scanLast; ++address) {
            console.progress(label, address - args.scanFirst, total);
            const auto frame = link::buildFrame(std::uint8_t(address), probe, 0);
            const link::WaitResult result = x.run(probe, frame);
            if (result == link::WaitResult::Accepted)
                found.push_back(address);
            else if (result == link::WaitResult::BadReply)
                if (const auto late = lateAnswerer(x, probe, args.scanFirst, args.scanLast))
                    found.push_back(*late);
            if (x.portLost()) {
                console.error(ops::texts::kPortLost);
                return kExitNoAnswer;
            }
        }
        console.progress(label, total, total);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    for (int address : found)
        console.result(QString::number(address));
    if (found.empty()) {
        console.error(QStringLiteral("żaden sterownik nie odpowiedział na adresach %1-%2")
                          .arg(QString::number(args.scanFirst), QString::number(args.scanLast)));
        return kExitNoAnswer;
    }
    console.status(QStringLiteral("Znalezione sterowniki: %1").arg(QString::number(found.size())));
    return kExitOk;
}

} // namespace

int runOpenLocker(const Arguments &args, Console &console)
{
    return withSession(console, args, [&](Session &session) {
        return reportOutcome(ops::OpenLocker(session.env(), args.locker - 1, args.time), session,
                             console);
    });
}

int runSetAddress(const Arguments &args, Console &console)
{
    return withSession(console, args, [&](Session &session) {
        return reportOutcome(ops::writeDeviceAddress(session.env(), args.newAddress), session,
                             console);
    });
}

int runScan(const Arguments &args, Console &console)
{
    return withSession(console, args, [&](Session &session) { return scan(session, args, console); });
}

} // namespace vorna::cli
