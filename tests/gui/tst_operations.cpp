// SPDX-License-Identifier: GPL-3.0-or-later
#include <QProcess>
#include <QRadioButton>
#include <QtTest>

#include "app/field_edit.h"
#include "link/frame.h"
#include "ops/texts.h"
#include "support/form_rig.h"

using namespace vorna;
using vorna::test::FormRig;
using sim::Fault;

namespace {

QStringList fieldTexts(const app::TForm1 &form, int first, int last)
{
    QStringList texts;
    for (int n = first; n <= last; ++n)
        texts << form.edit(n)->text();
    return texts;
}

int framesWithCode(const sim::PtySimulator &sim, int code)
{
    int n = 0;
    for (const auto &f : sim.frames())
        n += f.bytes.size() > 1 && f.bytes[1] == code;
    return n;
}

// The child run of closeWindowDuringWaitExitsZero: a window closed while its
// operation waits must end the program with exit code 0.
int closeDuringWaitChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    FormRig rig;
    rig.sim->addFault({Fault::NoReply, 0, -1, 0});
    if (!rig.openPort())
        return 3;
    QTimer::singleShot(0, &rig.form, [&] { rig.clickButton(35); });
    rig.whenFrames(1, [&] { rig.form.close(); });
    return app.exec();
}

} // namespace

class OperationsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QTest::qWait(0); }
    void lockerButtonsOpenTheirOwnLocker();
    void captureButtonsFillTheirOwnField();
    void readFillsFieldsOnlyWhenComplete();
    void writeRefusalFocusesTheFirstBadField();
    void secondClickDuringAWaitIsRefused();
    void closePortDuringAWait();
    void vanishingPortDuringAWait();
    void closeWindowDuringAWait();
    void closeWindowDuringWaitExitsZero();
    void cardTypeSetsTheFieldLimits();
    void autoNumberingWorksWithoutPort();
};

void OperationsTest::lockerButtonsOpenTheirOwnLocker()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.form.edit(54)->setText("45");
    for (int n = 1; n <= 20; ++n) {
        rig.click(rig.form.speedButton(n));
        QCOMPARE(rig.status(), ops::texts::openingLocker(n));
    }
    const auto openings = rig.sim->openings();
    QCOMPARE(openings.size(), std::size_t(20));
    for (int n = 1; n <= 20; ++n)
        QCOMPARE(openings[std::size_t(n - 1)], std::make_pair(n, std::uint8_t(45)));
}

void OperationsTest::captureButtonsFillTheirOwnField()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    for (int n = 2; n <= 33; ++n) {
        rig.sim->presentCard({0xC0, 0xFF, 0xEE, 0x00, std::uint8_t(n)}, 30);
        rig.clickButton(n);
        QCOMPARE(rig.status(), ops::texts::kCardCaptured);
        QCOMPARE(rig.form.edit(n)->text(), QString("C0FFEE00%1").arg(n, 2, 16, QChar('0')).toUpper());
    }
}

void OperationsTest::readFillsFieldsOnlyWhenComplete()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.form.edit(2)->setText("1234567890");
    const QStringList before = fieldTexts(rig.form, 2, 33);
    rig.sim->addFault({Fault::NoReply, 5, 1, 0});
    rig.clickButton(35);
    QCOMPARE(rig.status(), ops::texts::kReadTimeout);
    QCOMPARE(fieldTexts(rig.form, 2, 33), before);
    QCOMPARE(rig.form.gauge(1)->progress(), 5);

    rig.clickButton(35);
    QCOMPARE(rig.status(), ops::texts::kCardsRead);
    QCOMPARE(rig.form.gauge(1)->progress(), 32);
    QCOMPARE(rig.form.edit(2)->text(), QString("FFFFFFFFFF"));
}

void OperationsTest::writeRefusalFocusesTheFirstBadField()
{
    FormRig rig;
    QApplication::setActiveWindow(&rig.form);
    rig.form.edit(20)->setText("XYZ");
    rig.form.edit(25)->setText("");
    rig.form.edit(57)->setFocus();   // anything but the field has the focus
    rig.form.button(34)->setEnabled(true);   // the check comes before the port test
    rig.clickButton(34);
    QCOMPARE(rig.status(), ops::texts::kBadCardText);
    QTRY_VERIFY(rig.form.edit(20)->hasFocus());
    QCOMPARE(rig.framesSent(), std::size_t(0));
}

void OperationsTest::secondClickDuringAWaitIsRefused()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.sim->presentCard({1, 2, 3, 4, 5}, 600);
    rig.whenFrames(3, [&] {
        rig.clickButton(35);
        rig.clickButton(34);
        rig.click(rig.form.speedButton(3));
        rig.clickButton(3);
    });
    rig.clickButton(2);
    QCOMPARE(rig.status(), ops::texts::kCardCaptured);
    QCOMPARE(rig.form.edit(2)->text(), QString("0102030405"));
    QCOMPARE(rig.form.edit(3)->text(), QString("FFFFFFFFFF"));
    QCOMPARE(framesWithCode(*rig.sim, 5) + framesWithCode(*rig.sim, 6), 0);
    QCOMPARE(framesWithCode(*rig.sim, 2), 1);   // the arming frame alone
    QVERIFY(rig.sim->openings().empty());
}

void OperationsTest::closePortDuringAWait()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.sim->addFault({Fault::NoReply, 3, -1, 0});
    const QStringList before = fieldTexts(rig.form, 2, 33);
    rig.whenFrames(4, [&] { rig.clickButton(38); });
    rig.clickButton(35);
    QCOMPARE(rig.status(), ops::texts::kPortClosed);
    QVERIFY(!rig.form.port().isOpen());
    QVERIFY(!rig.form.exchange().busy());
    QVERIFY(!rig.form.button(35)->isEnabled());
    QVERIFY(rig.form.button(1)->isEnabled());
    QCOMPARE(fieldTexts(rig.form, 2, 33), before);
    QCOMPARE(rig.framesSent(), std::size_t(4));
}

void OperationsTest::vanishingPortDuringAWait()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.sim->addFault({Fault::Vanish, 7, 1, 0});
    const QStringList before = fieldTexts(rig.form, 34, 53);
    rig.clickButton(36);
    QCOMPARE(rig.status(), ops::texts::kTransferTimeout);
    QCOMPARE(fieldTexts(rig.form, 34, 53), before);
    QVERIFY(!rig.form.port().isOpen());
    QVERIFY(rig.form.button(1)->isEnabled());
    QVERIFY(!rig.form.button(36)->isEnabled());
    QCOMPARE(rig.form.gauge(2)->progress(), 7);

    // Plugged back in: it opens again and works.
    rig.sim = std::make_unique<sim::PtySimulator>();
    QVERIFY(rig.sim->start());
    QVERIFY(rig.openPort());
    rig.clickButton(36);
    QCOMPARE(rig.status(), ops::texts::kLockerNumbersRead);
}

void OperationsTest::closeWindowDuringAWait()
{
    FormRig rig;
    QVERIFY(rig.openPort());
    rig.sim->addFault({Fault::NoReply, 0, -1, 0});
    rig.whenFrames(1, [&] { rig.form.close(); });
    rig.clickButton(44);
    QVERIFY(!rig.form.isVisible());
    QVERIFY(!rig.form.exchange().busy());
    QCOMPARE(rig.framesSent(), std::size_t(1));
}

void OperationsTest::closeWindowDuringWaitExitsZero()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"tst_operations", "--close-during-wait"});
    QVERIFY(child.waitForFinished(30000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, output.constData());
    QVERIFY2(child.exitCode() == 0, output.constData());
    QVERIFY2(!output.contains("Sanitizer"), output.constData());
}

void OperationsTest::cardTypeSetsTheFieldLimits()
{
    FormRig rig;
    rig.form.edit(5)->setText("0123456789ABCD");
    const int limits[] = {10, 8, 14};
    for (int type : {1, 2, 0}) {
        rig.click(rig.form.radioGroup1()->item(type));
        for (int n = 2; n <= 33; ++n)
            QCOMPARE(app::typingLimit(rig.form.edit(n)), limits[type]);
        QCOMPARE(rig.form.edit(5)->text(), QString("0123456789ABCD"));
    }
}

void OperationsTest::autoNumberingWorksWithoutPort()
{
    FormRig rig;
    rig.form.edit(34)->setText("995");
    rig.clickButton(41);
    QCOMPARE(rig.form.edit(34)->text(), QString("995"));
    QCOMPARE(rig.form.edit(39)->text(), QString("1000"));
    QCOMPARE(rig.form.edit(53)->text(), QString("1014"));
    QCOMPARE(rig.status(), QString("..."));
}

#include "support/gui_suite.h"

VORNA_GUI_MAIN(tst_operations)
{
    if (argc > 1 && QByteArray(argv[1]) == "--close-during-wait")
        return closeDuringWaitChild(argc, argv);
    QApplication app(argc, argv);
    OperationsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_operations.moc"
