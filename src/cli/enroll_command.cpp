// SPDX-License-Identifier: GPL-3.0-or-later
#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "cli/card_labels.h"
#include "cli/card_records.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/project_rules.h"
#include "cli/session.h"
#include "link/memory_map.h"
#include "ops/reader_capture.h"
#include "ops/texts.h"
#include "project/key_table.h"
#include "project/project_file.h"

namespace vorna::cli {

namespace {

// What the cards go into: the file as it is, or the defaults for a new or empty one.
// Checked before the port is opened, by the rules read and write judge a file by.
std::optional<project::Settings> startingValues(const Arguments &args, Console &console)
{
    if (!mayUpdateFile(args.file, QStringLiteral("enroll"), console))
        return std::nullopt;
    const QFileInfo info(args.file);
    if (!info.exists() || info.size() == 0)
        return project::defaultSettings();
    QString why;
    QStringList missing;
    auto values = project::loadProject(args.file, &why, &missing);
    if (!values) {
        console.error(QStringLiteral("nie można odczytać pliku projektu '%1': %2").arg(args.file, why));
        return std::nullopt;
    }
    // Saved, the defaults would stand in the file as if they had been chosen.
    if (!missingKeysAllowed(args.file, missing, args.allowDefaults, console))
        return std::nullopt;
    return values;
}

// The record a controller holds for the number bytes the reader gave.
ops::CardRecord capturedRecord(const QString &hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
    ops::CardRecord record{};
    const auto n = std::min<qsizetype>(bytes.size(), link::memory::kCardNumberBytes);
    std::copy_n(bytes.begin(), n, record.begin());
    record[link::memory::kCardNumberBytes] = std::uint8_t(n);   // the length byte after the number
    return record;
}

// The slot other than `slot` whose card in the file is this one.
std::optional<int> heldElsewhere(const project::Settings &values, int slot, const ops::CardRecord &card, int cardType)
{
    for (int s = 0; s < link::memory::kCardSlots; ++s) {
        if (s == slot)
            continue;
        const auto held = cardFileRecord(values.cards[std::size_t(s)], cardType);
        if (held && sameCard(*held, card, cardType))
            return s;
    }
    return std::nullopt;
}

class Enrolment {
public:
    Enrolment(Session &session, const Arguments &args, project::Settings values, Console &console)
        : session_(session), args_(args), values_(std::move(values)), console_(console)
    {
        link::Exchange &x = session_.exchange();
        // Ctrl-C ends the wait the next time the exchange lets the loop run.
        x.setMessagePump([this, &x] {
            QCoreApplication::processEvents();
            if (watch_.interrupted())
                x.requestCancel();
        });
    }

    int run()
    {
        for (const int slot : args_.cardSlots) {
            if (const int code = enrol(slot); code != kExitOk)
                return code;
        }
        console_.status(ops::texts::kProjectSaved);
        return kExitOk;
    }

private:
    // "(zapisano kart: 2 z 5)": what an interrupted enrolment leaves in the file.
    QString kept() const
    {
        return QStringLiteral(" (kart zapisanych w pliku: %1 z %2)").arg(stored_).arg(args_.cardSlots.size());
    }

    // The reader's status texts as the console shows them, but the one that each query
    // repeats becomes the countdown of the seconds left for the card.
    ops::Env captureEnv(std::int64_t startMs)
    {
        ops::Env env = session_.env();
        env.status = [this, shown = env.status, startMs, lastLeft = -1](const QString &text) mutable {
            if (text != ops::texts::kHoldCard) {
                shown(text);
                return;
            }
            // Said after every query: a controller that answers before the first poll
            // never lets the exchange pump, so Ctrl-C is also looked for here.
            if (watch_.interrupted())
                session_.exchange().requestCancel();
            const auto elapsed = int((session_.exchange().clock().nowMs() - startMs) / 1000);
            const int left = std::max(0, args_.waitSeconds - elapsed);
            if (left != lastLeft)
                console_.progress(QStringLiteral("Pozostało s"), left, args_.waitSeconds);
            lastLeft = left;
        };
        return env;
    }

    // One slot, asked again after a card that cannot go there.
    int enrol(int slot)
    {
        const QString label = cardLabel(slot);
        for (;;) {
            if (watch_.interrupted())
                return interrupted();
            console_.note(QStringLiteral("Przyłóż kartę: %1 ...").arg(label));
            const ops::Env env = captureEnv(session_.exchange().clock().nowMs());
            const ops::ReaderCapture capture = ops::ReadCardFromReader(env, args_.waitSeconds * 1000);
            switch (capture.outcome) {
            case ops::Outcome::Done:
                break;
            case ops::Outcome::Cancelled:
                return interrupted();
            case ops::Outcome::TimedOut:
                if (session_.lastStatus() == ops::texts::kNoCard) {
                    console_.error(QStringLiteral("nie przyłożono karty %1 w ciągu %2 s")
                                       .arg(label, QString::number(args_.waitSeconds)) +
                                   kept());
                    return kExitNoAnswer;
                }
                [[fallthrough]];
            default:
                return reportOutcome(capture.outcome, session_, console_);
            }
            const ops::CardRecord card = capturedRecord(capture.text);
            if (const QString loss = cardTextLoss(card, args_.cardType); !loss.isEmpty()) {
                console_.error(QStringLiteral("karta nie przyjęta: %1; przyłóż inną kartę").arg(loss));
                continue;
            }
            const QString text = ops::CardRecordToText(card, args_.cardType);
            if (const auto other = args_.allowDuplicates ? std::nullopt
                                                         : heldElsewhere(values_, slot, card, args_.cardType)) {
                console_.error(QStringLiteral("karta %1 jest już w pliku jako %2 (%3); przyłóż inną kartę "
                                              "(--allow-duplicates ją przyjmie)")
                                   .arg(text, cardLabel(*other), cardSlotName(*other)));
                continue;
            }
            values_.cards[std::size_t(slot)] = text;
            if (QString why; !project::saveProject(args_.file, values_, &why)) {
                console_.error(QStringLiteral("nie można zapisać pliku projektu '%1': %2").arg(args_.file, why) +
                               kept());
                return kExitBadProject;
            }
            ++stored_;
            console_.result(QStringLiteral("%1: %2").arg(label, text));
            return kExitOk;
        }
    }

    int interrupted()
    {
        console_.error(QStringLiteral("przerwano klawiszami Ctrl-C") + kept());
        return kExitInterrupted;
    }

    Session &session_;
    const Arguments &args_;
    project::Settings values_;
    Console &console_;
    InterruptWatch watch_;
    int stored_ = 0;
};

} // namespace

int runEnroll(const Arguments &args, Console &console)
{
    auto values = startingValues(args, console);
    if (!values)
        return kExitBadProject;
    return withSession(console, args,
                       [&](Session &session) { return Enrolment(session, args, std::move(*values), console).run(); });
}

} // namespace vorna::cli
