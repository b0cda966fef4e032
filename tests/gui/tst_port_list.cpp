// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemView>
#include <QCompleter>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include "app/port_list.h"
#include "link/port_name.h"
#include "ops/texts.h"
#include "support/form_rig.h"

using namespace vorna;
using app::PortEntry;
using app::PortList;
using vorna::test::FormRig;

namespace {

QStringList namesIn(const QStandardItemModel *model)
{
    QStringList names;
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data(PortList::NameRole).toString();
    return names;
}

QStringList textsIn(const QStandardItemModel *model)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data(Qt::DisplayRole).toString();
    return texts;
}

// Time as the test sets it.
struct TestClock final : link::Clock {
    std::int64_t now = 0;
    void sleepMs(int ms) override { now += ms; }
    std::int64_t nowMs() override { return now; }
};

// A field with a port list fed from a list the test changes, as if adapters came and went.
struct ListRig {
    QWidget window;
    QLineEdit *edit = new QLineEdit(QStringLiteral("COM2"), &window);
    QLineEdit *other = new QLineEdit(&window);
    QList<PortEntry> ports;
    int scans = 0;
    TestClock clock;
    PortList *list = PortList::attach(edit, [this] { ++scans; return ports; }, clock);

    ListRig()
    {
        edit->setGeometry(0, 0, 49, 21); // as narrow as the window's port field
        other->setGeometry(0, 30, 100, 21);
        window.resize(200, 60);
        window.show();
        window.activateWindow();
        other->setFocus();
    }
    // The field hands a chosen entry over only while it has the focus, as when typed in.
    bool focusField()
    {
        if (!QTest::qWaitForWindowActive(&window))
            return false;
        edit->setFocus(Qt::MouseFocusReason);
        return edit->hasFocus();
    }
    QAbstractItemView *popup() const { return list->completer()->popup(); }
};

const QList<PortEntry> kTwoAdapters = {
    {QStringLiteral("ttyACM0"), QStringLiteral("ttyACM0 — Locker Bridge")},
    {QStringLiteral("ttyUSB0"), QStringLiteral("ttyUSB0 — FT232R USB UART")},
};

} // namespace

class PortListTest : public QObject {
    Q_OBJECT
private slots:
    void entryText_data();
    void entryText();
    void entryName_data();
    void entryName();
    void entriesSortByNameAndNumber();
    void presentPortsAreWhatTheSystemLists();
    void windowFieldOffersThePresentPorts();
    void focusReadsThePortsAgain();
    void sameListKeepsTheModel();
    void typingSeesAnAdapterPluggedInLater();
    void typingRescansAtMostOncePerSecond();
    void downOpensTheWholeList();
    void downWithNoPortsOpensNothing();
    void choosingPutsOnlyTheName();

    void tooltipNamesTheCause_data();
    void tooltipNamesTheCause();
    void tooltipForAPortHeldElsewhere();
    void tooltipClearedByOpenAndClose();
};

void PortListTest::entryText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("expected");
    QTest::newRow("with description") << "ttyUSB0" << "FT232R USB UART"
                                      << "ttyUSB0 — FT232R USB UART";
    QTest::newRow("no description") << "ttyS0" << "" << "ttyS0";
    QTest::newRow("blank description") << "ttyS1" << "  " << "ttyS1";
    QTest::newRow("description trimmed") << "ttyACM0" << " CDC ACM \n" << "ttyACM0 — CDC ACM";
    QTest::newRow("full path") << "/dev/serial/x" << "Bridge" << "/dev/serial/x — Bridge";
}

void PortListTest::entryText()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, expected);
    QCOMPARE(app::portEntryText(name, description), expected);
}

void PortListTest::entryName_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("expected");
    QTest::newRow("under /dev") << "ttyUSB0" << "/dev/ttyUSB0" << "ttyUSB0";
    QTest::newRow("legacy port") << "ttyS3" << "/dev/ttyS3" << "ttyS3";
    QTest::newRow("deeper under /dev") << "ttyX0" << "/dev/tts/ttyX0" << "/dev/tts/ttyX0";
    QTest::newRow("elsewhere") << "vport" << "/run/vport" << "/run/vport";
    QTest::newRow("no location") << "ttyUSB1" << "" << "ttyUSB1";
}

void PortListTest::entryName()
{
    QFETCH(QString, portName);
    QFETCH(QString, location);
    QFETCH(QString, expected);
    QCOMPARE(app::portEntryName(portName, location), expected);
    // What the list puts into the field opens the same device.
    if (!location.isEmpty())
        QCOMPARE(link::portDevicePath(app::portEntryName(portName, location)), location);
}

void PortListTest::entriesSortByNameAndNumber()
{
    QList<PortEntry> entries;
    for (const char *name : {"ttyUSB0", "ttyS10", "ttyS2", "ttyACM1", "ttyS0", "ttyS02", "ttyS1",
                             "/dev/pts/4", "ttyUSB"})
        entries.append(PortEntry{name, name});
    app::sortPortEntries(entries);
    QStringList names;
    for (const PortEntry &e : entries)
        names << e.name;
    QCOMPARE(names, QStringList({"/dev/pts/4", "ttyACM1", "ttyS0", "ttyS1", "ttyS2", "ttyS02",
                                 "ttyS10", "ttyUSB", "ttyUSB0"}));
}

void PortListTest::presentPortsAreWhatTheSystemLists()
{
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    const QList<PortEntry> entries = app::presentPorts();
    QCOMPARE(entries.size(), infos.size());
    for (const QSerialPortInfo &info : infos) {
        const QString name = app::portEntryName(info.portName(), info.systemLocation());
        const PortEntry expected{name, app::portEntryText(name, info.description())};
        QVERIFY2(entries.contains(expected), qPrintable(name));
    }
}

void PortListTest::windowFieldOffersThePresentPorts()
{
    app::TForm1 form;
    QCompleter *completer = form.edit(1)->completer();
    QVERIFY(completer);
    auto *model = qobject_cast<QStandardItemModel *>(completer->model());
    QVERIFY(model);
    // Read when the user turns to the field, not at start-up.
    QCOMPARE(model->rowCount(), 0);
    QFocusEvent clicked(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(form.edit(1), &clicked);
    QStringList names;
    QStringList texts;
    for (const PortEntry &e : app::presentPorts()) {
        names << e.name;
        texts << e.text;
    }
    QCOMPARE(namesIn(model), names);
    QCOMPARE(textsIn(model), texts);
    QCOMPARE(completer->completionRole(), PortList::NameRole);
    // The field keeps its text until the user chooses.
    QCOMPARE(form.edit(1)->text(), QStringLiteral("COM2"));
}

void PortListTest::focusReadsThePortsAgain()
{
    ListRig rig;
    QCOMPARE(rig.list->model()->rowCount(), 0);
    rig.ports = kTwoAdapters;
    QVERIFY(rig.focusField());
    QCOMPARE(namesIn(rig.list->model()), QStringList({"ttyACM0", "ttyUSB0"}));
    QCOMPARE(textsIn(rig.list->model()),
             QStringList({"ttyACM0 — Locker Bridge", "ttyUSB0 — FT232R USB UART"}));
    // Unplugged again while the focus was elsewhere.
    rig.other->setFocus();
    rig.ports.removeFirst();
    QVERIFY(rig.focusField());
    QCOMPARE(namesIn(rig.list->model()), QStringList({"ttyUSB0"}));
}

void PortListTest::sameListKeepsTheModel()
{
    ListRig rig;
    rig.ports = kTwoAdapters;
    rig.list->refresh();
    QSignalSpy resets(rig.list->model(), &QAbstractItemModel::modelReset);
    QSignalSpy removals(rig.list->model(), &QAbstractItemModel::rowsRemoved);
    rig.list->refresh();
    QCOMPARE(resets.count() + removals.count(), 0);
    QCOMPARE(rig.list->model()->rowCount(), 2);
}

void PortListTest::typingSeesAnAdapterPluggedInLater()
{
    ListRig rig;
    QVERIFY(rig.focusField());
    rig.edit->clear();
    // Plugged in while the field already has the focus.
    rig.ports = kTwoAdapters;
    rig.clock.now += PortList::kTypingRescanMs;
    QTest::keyClicks(rig.edit, "usb");
    QTRY_VERIFY(rig.popup()->isVisible());
    QCOMPARE(rig.list->completer()->completionCount(), 1);
    QCOMPARE(rig.list->completer()->currentCompletion(), QStringLiteral("ttyUSB0"));
}

// A long text typed asks the system for its ports about once a second, not per key;
// opening the list and turning to the field always ask.
void PortListTest::typingRescansAtMostOncePerSecond()
{
    ListRig rig;
    QVERIFY(rig.focusField());
    QCOMPARE(rig.scans, 1);
    rig.edit->clear();
    // Matches no port, so no popup takes the keys.
    QTest::keyClicks(rig.edit, QString(1000, u'x'));
    QCOMPARE(rig.edit->text().size(), 1000);
    QCOMPARE(rig.scans, 1);
    rig.clock.now += PortList::kTypingRescanMs - 1;
    QTest::keyClick(rig.edit, Qt::Key_X);
    QCOMPARE(rig.scans, 1);
    rig.clock.now += 1;
    QTest::keyClicks(rig.edit, QStringLiteral("xx"));
    QCOMPARE(rig.scans, 2);
    QTest::keyClick(rig.edit, Qt::Key_Down);
    QCOMPARE(rig.scans, 3);
}

void PortListTest::downOpensTheWholeList()
{
    ListRig rig;
    QVERIFY(rig.focusField());
    rig.ports = kTwoAdapters;
    QTest::keyClick(rig.edit, Qt::Key_Down);
    QTRY_VERIFY(rig.popup()->isVisible());
    // Whatever the field holds ("COM2" matches nothing), every port is offered.
    QCOMPARE(rig.list->completer()->completionCount(), 2);
    QCOMPARE(rig.edit->text(), QStringLiteral("COM2"));
    // The popup is wide enough for the descriptions, not cut to the narrow field.
    const int widest = rig.popup()->fontMetrics().horizontalAdvance(kTwoAdapters[1].text);
    QVERIFY(rig.popup()->width() > widest);
}

void PortListTest::downWithNoPortsOpensNothing()
{
    ListRig rig;
    QVERIFY(rig.focusField());
    QTest::keyClick(rig.edit, Qt::Key_Down);
    QVERIFY(!rig.popup()->isVisible());
    QCOMPARE(rig.edit->text(), QStringLiteral("COM2"));
}

void PortListTest::choosingPutsOnlyTheName()
{
    ListRig rig;
    QVERIFY(rig.focusField());
    rig.ports = kTwoAdapters;
    QTest::keyClick(rig.edit, Qt::Key_Down);
    QTRY_VERIFY(rig.popup()->isVisible());
    // Second row: the adapter with the longer description.
    QTest::keyClick(rig.popup(), Qt::Key_Down);
    QTest::keyClick(rig.popup(), Qt::Key_Down);
    QTest::keyClick(rig.popup(), Qt::Key_Return);
    QTRY_VERIFY(!rig.popup()->isVisible());
    QCOMPARE(rig.edit->text(), QStringLiteral("ttyUSB0"));
}

void PortListTest::tooltipNamesTheCause_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("missing device by name") << "ttyVORNA9" << "Port ttyVORNA9 nie istnieje.";
    QTest::newRow("missing device by path")
        << "/dev/vorna-no-such-port" << "Port /dev/vorna-no-such-port nie istnieje.";
    QTest::newRow("missing COM port") << " COM99 " << "Port COM99 nie istnieje.";
    QTest::newRow("empty") << "" << "Nie podano nazwy portu.";
    QTest::newRow("blanks only") << " \t " << "Nie podano nazwy portu.";
}

void PortListTest::tooltipNamesTheCause()
{
    QFETCH(QString, typed);
    QFETCH(QString, tooltip);
    FormRig rig;
    rig.form.edit(1)->setText(typed);
    rig.clickButton(1);
    QCOMPARE(rig.status(), ops::texts::kPortOpenFailed);
    QCOMPARE(rig.form.statusLine()->toolTip(), tooltip);
}

void PortListTest::tooltipForAPortHeldElsewhere()
{
    FormRig rig;
    QSerialPort other;
    other.setPortName(rig.path());
    QVERIFY(other.open(QIODevice::ReadWrite));
    QVERIFY(!rig.openPort());
    QCOMPARE(rig.status(), ops::texts::kPortOpenFailed);
    QCOMPARE(rig.form.statusLine()->toolTip(),
             QStringLiteral("Port %1 jest używany przez inny program.").arg(rig.path()));
}

void PortListTest::tooltipClearedByOpenAndClose()
{
    FormRig rig;
    rig.form.edit(1)->setText("ttyVORNA9");
    rig.clickButton(1);
    QVERIFY(!rig.form.statusLine()->toolTip().isEmpty());
    QVERIFY(rig.openPort());
    QCOMPARE(rig.status(), ops::texts::kPortOpened);
    QVERIFY(rig.form.statusLine()->toolTip().isEmpty());

    rig.clickButton(38);
    rig.form.edit(1)->setText("");
    rig.clickButton(1);
    QCOMPARE(rig.form.statusLine()->toolTip(), QStringLiteral("Nie podano nazwy portu."));
    rig.clickButton(38);
    QCOMPARE(rig.status(), ops::texts::kPortClosed);
    QVERIFY(rig.form.statusLine()->toolTip().isEmpty());
}

#include "support/gui_suite.h"
VORNA_GUI_TEST_MAIN(tst_port_list, PortListTest)
#include "tst_port_list.moc"
