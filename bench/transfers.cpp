// SPDX-License-Identifier: GPL-3.0-or-later
#include "transfers.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <functional>

#include "app/form1.h"
#include "ideal_client.h"
#include "link/commands.h"
#include "link/memory_map.h"
#include "ops/texts.h"
#include "sim/pty_simulator.h"
#include "stats.h"

namespace vorna::bench {

namespace {

namespace cmd = link::commands;
namespace mem = link::memory;
namespace texts = ops::texts;

constexpr std::uint8_t kDevice = 1;
constexpr std::uint8_t kOpeningTime = 100;

struct Operation {
    const char *name;
    const char *control;
    const link::Command *command;
    int frames;
    bool block;
    std::function<QAbstractButton *(app::TForm1 &)> target;
    QString doneStatus;   // the status line after a good run
};

std::vector<Operation> operations()
{
    auto button = [](int n) { return [n](app::TForm1 &f) -> QAbstractButton * { return f.button(n); }; };
    // Reads come first: their results fill the fields the writes send back.
    return {
        {"card list read", "Button35", &cmd::ReadCards, mem::kCardSlots, true, button(35), texts::kCardsRead},
        {"card list write", "Button34", &cmd::WriteCards, mem::kCardSlots, true, button(34), texts::kCardsWritten},
        {"locker numbers read", "Button36", &cmd::ReadLockerNums, mem::kLockers, true, button(36),
         texts::kLockerNumbersRead},
        {"locker numbers write", "Button37", &cmd::WriteLockerNums, mem::kLockers, true, button(37),
         texts::kLockerNumbersWritten},
        {"guardians read", "Button44", &cmd::ReadGuardians, mem::kGuardians, true, button(44), texts::kGuardiansRead},
        {"guardians write", "Button45", &cmd::WriteGuardians, mem::kGuardians, true, button(45),
         texts::kGuardiansWritten},
        {"opening times read", "Button40", &cmd::ReadTimes, 1, false, button(40), texts::kTimesRead},
        {"opening times write", "Button39", &cmd::WriteTimes, 1, false, button(39), texts::kTimesWritten},
        {"open locker 1", "SpeedButton1", &cmd::OpenLocker, 1, false,
         [](app::TForm1 &f) -> QAbstractButton * { return f.speedButton(1); }, texts::openingLocker(1)},
    };
}

// A controller with something in every table, so reads carry real data and the
// writes that follow send it back unchanged.
void seed(sim::PtySimulator &sim)
{
    std::vector<std::uint8_t> cards(mem::kCardSlots * mem::kCardRecordSize);
    for (std::size_t i = 0; i < cards.size(); ++i)
        cards[i] = std::uint8_t(i % 8 < 5 ? 0x10 + i / 8 : 0xFF);
    sim.setBlock(mem::kBlockCards, cards);
    std::vector<std::uint8_t> lockers;
    for (int n = 101; n <= 120; ++n)
        lockers.insert(lockers.end(), {std::uint8_t(n / 100), std::uint8_t(n / 10 % 10), std::uint8_t(n % 10)});
    sim.setBlock(mem::kBlockLockerNumbers, lockers);
    std::vector<std::uint8_t> guardians(mem::kGuardians * mem::kGuardianMaskSize);
    for (std::size_t i = 0; i < guardians.size(); ++i)
        guardians[i] = std::uint8_t(0x55 << (i % 2));
    sim.setBlock(mem::kBlockGuardians, guardians);
}

// What frame i of a write carries: the controller's own bytes at that address,
// as the tool sends back after its read.
IdealClient::Payload payloadFor(const sim::PtySimulator &sim, const link::Command &c)
{
    if (!c.isWrite())
        return {};
    if (&c == &cmd::OpenLocker)
        return [](int) { return std::vector<std::uint8_t>{kOpeningTime}; };
    const std::vector<std::uint8_t> block = sim.block();
    return [block, &c](int i) {
        const auto from = block.begin() + std::ptrdiff_t(c.addressOf(i));
        return std::vector<std::uint8_t>(from, from + c.count);
    };
}

class Pair {
public:
    Pair() : sim_({.address = kDevice, .pace = true})
    {
        if (sim_.start())
            seed(sim_);
        form_.show();
        form_.edit(54)->setText(QString::number(kOpeningTime));
    }
    bool started() const { return !sim_.path().empty(); }

    bool openTool()
    {
        form_.edit(1)->setText(QString::fromStdString(sim_.path()));
        QTest::mouseClick(form_.button(1), Qt::LeftButton);
        return form_.port().isOpen();
    }
    void closeTool() { QTest::mouseClick(form_.button(38), Qt::LeftButton); }

    // Milliseconds from the click to its return; negative when it did not end well.
    double tool(const Operation &op)
    {
        const std::size_t openings = sim_.openings().size();
        QCoreApplication::processEvents();   // every click starts from an idle window
        const double t0 = nowMs();
        QTest::mouseClick(op.target(form_), Qt::LeftButton);
        const double ms = nowMs() - t0;
        bool ok = form_.statusLine()->text() == op.doneStatus;
        if (op.command == &cmd::OpenLocker)
            ok = ok && sim_.openings().size() == openings + 1;
        return ok ? ms : -1;
    }

    double ideal(IdealClient &client, const Operation &op)
    {
        const auto payload = payloadFor(sim_, *op.command);
        const double t0 = nowMs();
        const bool ok = client.run(kDevice, *op.command, op.frames, payload);
        const double ms = nowMs() - t0;
        return ok ? ms : -1;
    }

    std::string path() const { return sim_.path(); }

private:
    sim::PtySimulator sim_;
    app::TForm1 form_;
};

struct Samples {
    std::vector<double> tool, ideal, ratio;
    int failures = 0;
};

double toolOnce(Pair &pair, const Operation &op)
{
    if (!pair.openTool())
        return -1;
    const double ms = pair.tool(op);
    pair.closeTool();
    return ms;
}

double idealOnce(Pair &pair, const Operation &op)
{
    IdealClient client;
    return client.open(pair.path()) ? pair.ideal(client, op) : -1;
}

} // namespace

std::vector<TransferRow> measureTransfers(int runs)
{
    const std::vector<Operation> ops = operations();
    std::vector<Samples> samples(ops.size());
    Pair pair;
    if (!pair.started()) {
        std::fprintf(stderr, "vorna-bench: the simulator did not start\n");
        return {};
    }
    for (int round = 0; round <= runs; ++round) {
        for (std::size_t i = 0; i < ops.size(); ++i) {
            // Each pair back to back, in alternating order, so that a change in the
            // machine's load falls on both sides alike.
            double tool = 0, ideal = 0;
            if ((std::size_t(round) + i) % 2 == 0) {
                tool = toolOnce(pair, ops[i]);
                ideal = idealOnce(pair, ops[i]);
            } else {
                ideal = idealOnce(pair, ops[i]);
                tool = toolOnce(pair, ops[i]);
            }
            if (round == 0)
                continue;   // warm-up: first paints, lazy set-up, page faults
            if (tool < 0 || ideal < 0) {
                ++samples[i].failures;
                continue;
            }
            samples[i].tool.push_back(tool);
            samples[i].ideal.push_back(ideal);
            samples[i].ratio.push_back(tool / ideal);
        }
        std::fprintf(stderr, "vorna-bench: transfers round %d/%d done\n", round, runs);
    }

    std::vector<TransferRow> rows;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const Samples &s = samples[i];
        TransferRow row{ops[i].name, ops[i].control, ops[i].frames, ops[i].block};
        row.toolMs = median(s.tool);
        row.idealMs = median(s.ideal);
        row.ratio = median(s.ratio);
        for (double r : s.ratio)
            row.worstRatio = std::max(row.worstRatio, r);
        row.failures = s.failures;
        rows.push_back(row);
    }
    return rows;
}

} // namespace vorna::bench
