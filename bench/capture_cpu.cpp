// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture_cpu.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

#include "app/form1.h"
#include "child_process.h"
#include "ops/texts.h"
#include "sim/pty_simulator.h"
#include "stats.h"

namespace vorna::bench {

namespace {
double cpuMs()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}
} // namespace

int simulatorChild()
{
    sim::PtySimulator sim({.address = 1, .pace = true});
    if (!sim.start())
        return 1;
    std::printf("%s\n", sim.path().c_str());
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    return 0;
}

CaptureResult measureCapture(int runs)
{
    CaptureResult result;
    Child sim;
    const std::string path = sim.start({"--child", "sim"}) ? sim.readLine(5000) : std::string();
    if (path.empty()) {
        std::fprintf(stderr, "vorna-bench: the simulator child did not start\n");
        result.failures = runs;
        return result;
    }
    app::TForm1 form;
    form.show();
    form.edit(1)->setText(QString::fromStdString(path));
    QTest::mouseClick(form.button(1), Qt::LeftButton);

    std::vector<double> wall, cpu;
    for (int r = 0; r < runs; ++r) {
        QCoreApplication::processEvents();
        const double c0 = cpuMs();
        const double t0 = nowMs();
        QTest::mouseClick(form.button(2), Qt::LeftButton);
        const double t = nowMs() - t0;
        const double c = cpuMs() - c0;
        if (form.statusLine()->text() != ops::texts::kNoCard) {
            ++result.failures;
            continue;
        }
        wall.push_back(t);
        cpu.push_back(100.0 * c / t);
        result.worstCpuPercent = std::max(result.worstCpuPercent, 100.0 * c / t);
        std::fprintf(stderr, "vorna-bench: capture %d/%d: %.0f ms, %.2f %% CPU\n", r + 1, runs, t, 100.0 * c / t);
    }
    QTest::mouseClick(form.button(38), Qt::LeftButton);
    sim.finish();
    result.runs = int(wall.size());
    result.wallMs = median(wall);
    result.cpuPercent = median(cpu);
    return result;
}

} // namespace vorna::bench
