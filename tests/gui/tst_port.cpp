// SPDX-License-Identifier: GPL-3.0-or-later
#include <QSerialPort>
#include <QtTest>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "ops/texts.h"
#include "support/form_rig.h"

using namespace vorna;
using vorna::test::FormRig;

namespace {

// Controls that open and close switch, and the state they have while the port is open.
void verifyPortControls(const app::TForm1 &form, bool open)
{
    QCOMPARE(form.edit(1)->isEnabled(), !open);
    QCOMPARE(form.button(1)->isEnabled(), !open);
    for (int n = 2; n <= 37; ++n)
        QVERIFY2(form.button(n)->isEnabled() == open, qPrintable(QString("Button%1").arg(n)));
    for (int n : {39, 40, 44, 45, 46})
        QVERIFY2(form.button(n)->isEnabled() == open, qPrintable(QString("Button%1").arg(n)));
    for (int n = 1; n <= 20; ++n)
        QVERIFY2(form.speedButton(n)->isEnabled() == open, qPrintable(QString("SpeedButton%1").arg(n)));
    // Never switched by the port.
    for (int n : {38, 41, 42, 43})
        QVERIFY(form.button(n)->isEnabled());
    QVERIFY(form.edit(57)->isEnabled());
}

} // namespace

class PortTest : public QObject {
    Q_OBJECT
private slots:
    void opensAndCloses();
    void failedOpenChangesNoControl_data();
    void failedOpenChangesNoControl();
    void nameWithBlanksAroundOpens();
    void portHeldByAnotherProgramFails();
    void twoClosesInARow();
    void lineSettings();
    void vanishedPortWhileIdleCloses();
};

void PortTest::opensAndCloses()
{
    FormRig rig;
    verifyPortControls(rig.form, false);
    QVERIFY(rig.openPort());
    QCOMPARE(rig.status(), ops::texts::kPortOpened);
    verifyPortControls(rig.form, true);
    rig.clickButton(38);
    QCOMPARE(rig.status(), ops::texts::kPortClosed);
    QVERIFY(!rig.form.port().isOpen());
    verifyPortControls(rig.form, false);
    // And again: the same port opens a second time.
    QVERIFY(rig.openPort());
    verifyPortControls(rig.form, true);
}

void PortTest::failedOpenChangesNoControl_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no such device") << "/dev/vorna-no-such-port";
    QTest::newRow("empty") << "";
    QTest::newRow("blanks only") << "  \t ";
    QTest::newRow("COM99 has no device") << "COM99";
    QTest::newRow("not a serial device") << "/dev/null";
}

void PortTest::failedOpenChangesNoControl()
{
    QFETCH(QString, name);
    FormRig rig;
    rig.form.edit(1)->setText(name);
    rig.clickButton(1);
    QCOMPARE(rig.status(), ops::texts::kPortOpenFailed);
    QVERIFY(!rig.form.port().isOpen());
    verifyPortControls(rig.form, false);
    QCOMPARE(rig.form.edit(1)->text(), name);
}

void PortTest::nameWithBlanksAroundOpens()
{
    FormRig rig;
    rig.form.edit(1)->setText("  " + rig.path() + " \t");
    rig.clickButton(1);
    QCOMPARE(rig.status(), ops::texts::kPortOpened);
    QVERIFY(rig.form.port().isOpen());
}

void PortTest::portHeldByAnotherProgramFails()
{
    FormRig rig;
    QSerialPort other;
    other.setPortName(rig.path());
    QVERIFY(other.open(QIODevice::ReadWrite));
    rig.form.edit(1)->setText(rig.path());
    rig.clickButton(1);
    QCOMPARE(rig.status(), ops::texts::kPortOpenFailed);
    verifyPortControls(rig.form, false);
    other.close();
    rig.clickButton(1);
    QCOMPARE(rig.status(), ops::texts::kPortOpened);
}

void PortTest::twoClosesInARow()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    for (int i = 0; i < 2; ++i) {
        rig.form.setStatus("...");
        rig.clickButton(38);
        QCOMPARE(rig.status(), ops::texts::kPortClosed);
        verifyPortControls(rig.form, false);
    }
}

// 19200 baud, 8 data bits, no parity, one stop bit, no hardware flow control.
void PortTest::lineSettings()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    const int fd = ::open(rig.sim->path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    termios t{};
    QCOMPARE(::tcgetattr(fd, &t), 0);
    ::close(fd);
    QCOMPARE(cfgetospeed(&t), speed_t(B19200));
    QCOMPARE(cfgetispeed(&t), speed_t(B19200));
    QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(t.c_cflag & PARENB, tcflag_t(0));
    QCOMPARE(t.c_cflag & CSTOPB, tcflag_t(0));
    QCOMPARE(t.c_cflag & CRTSCTS, tcflag_t(0));
    QCOMPARE(t.c_iflag & (IXON | IXOFF), tcflag_t(0));
}

// An adapter pulled out while nothing waits: the port closes by itself and the
// user can open again.
void PortTest::vanishedPortWhileIdleCloses()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.sim->stop();
    QTRY_COMPARE_WITH_TIMEOUT(rig.status(), ops::texts::kPortLost, 5000);
    QVERIFY(!rig.form.port().isOpen());
    verifyPortControls(rig.form, false);

    rig.sim = std::make_unique<sim::PtySimulator>();
    QVERIFY(rig.sim->start());
    QVERIFY(rig.openPort());
    QCOMPARE(rig.status(), ops::texts::kPortOpened);
}

#include "support/gui_suite.h"
VORNA_GUI_TEST_MAIN(tst_port, PortTest)
#include "tst_port.moc"
