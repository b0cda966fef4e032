// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>

#include "app/form1.h"
#include "app/radio_group.h"
#include "app/tcgauge.h"

namespace vorna::test {

// The real window beside a simulated controller, clicked as a user would. Sim is
// the simulator itself or a SimLine (support/sim_line.h); both give path(), the
// port name to open, and frames(), every frame received so far.
template <class Sim>
struct BasicFormRig {
    std::unique_ptr<Sim> sim;
    app::TForm1 form;

    explicit BasicFormRig(std::unique_ptr<Sim> simulator) : sim(std::move(simulator)) { form.show(); }

    QString path() const { return QString::fromStdString(sim->path()); }
    QString status() const { return form.statusLine()->text(); }
    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    void clickButton(int n) { click(form.button(n)); }
    bool openPort()
    {
        form.edit(1)->setText(path());
        clickButton(1);
        return form.port().isOpen();
    }
    std::size_t framesSent() const { return sim->frames().size(); }

    // Runs `action` once, between two polls, at the poll-th pass of the event loop
    // (counted from 0) after the simulator has seen n frames: that is, while the
    // operation that sent them waits for its reply, if that reply is held.
    void atPoll(std::size_t n, int poll, std::function<void()> action)
    {
        auto count = std::make_shared<int>(-1);
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                                       &form, [this, n, poll, count, connection, action] {
            if (*count < 0 && sim->frames().size() < n)
                return;
            if (++*count < poll)
                return;
            QObject::disconnect(*connection);
            action();
        });
    }
    void whenFrames(std::size_t n, std::function<void()> action) { atPoll(n, 0, std::move(action)); }
};

} // namespace vorna::test
