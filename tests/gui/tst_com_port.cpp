// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/form1.h"
#include "app/settings_controls.h"
#include "app/tcgauge.h"
#include "ops/texts.h"
#include "project/project_file.h"

using namespace vorna;

// The window against a controller on a real serial port: an adapter, or the simulator
// behind a port mapped into Wine. Runs only when VORNA_TEST_PORT names the port (as
// typed in the window) and VORNA_TEST_PROJECT a project file the controller holds.
// VORNA_TEST_SCREENSHOT, when set, is where the window is saved after the read.
class ComPortTest : public QObject {
    Q_OBJECT
private slots:
    void readsTheCardListTheControllerHolds();
};

void ComPortTest::readsTheCardListTheControllerHolds()
{
    const QString port = qEnvironmentVariable("VORNA_TEST_PORT");
    const QString projectPath = qEnvironmentVariable("VORNA_TEST_PROJECT");
    if (port.isEmpty() || projectPath.isEmpty())
        QSKIP("VORNA_TEST_PORT and VORNA_TEST_PROJECT name no controller to read");
    const auto expected = project::loadProject(projectPath);
    QVERIFY2(expected, qPrintable(projectPath));

    app::TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.edit(1)->setText(port);
    QTest::mouseClick(form.button(1), Qt::LeftButton);
    QCOMPARE(form.statusLine()->text(), ops::texts::kPortOpened);

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(form.button(35), Qt::LeftButton);
    // A figure, not a limit: the time depends on the machine and the line.
    qInfo("card list read in %lld ms", clock.elapsed());
    QCOMPARE(form.statusLine()->text(), ops::texts::kCardsRead);
    QCOMPARE(form.gauge(1)->progress(), 32);
    for (std::size_t s = 0; s < expected->cards.size(); ++s)
        QCOMPARE(form.edit(app::cardEdit(int(s)))->text(), expected->cards[s]);

    if (const QString shot = qEnvironmentVariable("VORNA_TEST_SCREENSHOT"); !shot.isEmpty())
        QVERIFY(form.grab().save(shot));
}

QTEST_MAIN(ComPortTest)
#include "tst_com_port.moc"
