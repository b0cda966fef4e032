#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
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

    // Runs `action` once, from the event loop, as soon as the simulator has seen n
    // frames: that is, while the operation that sent them waits for its reply.
    void whenFrames(std::size_t n, std::function<void()> action)
    {
        auto *timer = new QTimer(&form);
        timer->setInterval(1);
        QObject::connect(timer, &QTimer::timeout, timer, [this, n, timer, action] {
            if (sim->frames().size() < n)
                return;
            timer->stop();
            timer->deleteLater();
            action();
        });
        timer->start();
    }
};

} // namespace vorna::test
