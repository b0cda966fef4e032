// SPDX-License-Identifier: GPL-3.0-or-later
// Every controller operation, clicked in the real window against the simulator
// (on a pty in this process, or in a process of its own: support/line_rig.h),
// under every fault the line can bring. Each case checks the frames sent,
// the fields, the gauge, the status text and the port; the process must live on
// (or, when the window is closed during the wait, end with exit code 0).
#include <QCheckBox>
#include <QFileDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "link/frame.h"
#include "ops/texts.h"
#include "support/line_rig.h"

using namespace vorna;
using FormRig = vorna::test::LineRig;
using sim::Fault;
namespace texts = vorna::ops::texts;

namespace {

enum class FaultCase {
    None, NoReply, DelayInside, DelayOutside, Truncated, Garbage, BadChecksum,
    AddressZero, AddressZeroDuringWait, Vanish, SecondClick, ClosePort, CloseWindow,
};

const char *faultName(FaultCase f)
{
    static const char *names[] = {"good line", "no reply", "reply late, inside the limit",
                                  "reply late, outside the limit", "truncated reply", "garbage",
                                  "wrong reply checksum", "device address 0",
                                  "device address 0 typed during the wait", "port vanishes", "second click during the wait",
                                  "\"Zamknij port\" during the wait", "window closed during the wait"};
    return names[int(f)];
}

struct OpSpec {
    const char *name;
    std::function<void(FormRig &)> click;
    std::function<void(FormRig &)> prepare;   // makes a successful read change the fields
    int framesOnSuccess;                       // -1: depends on timing (reader queries)
    int faultFrame;                            // the frame the fault hits
    QString doneText;
    QString timeoutText;
    int gauge;                                 // 0: none
    int gaugeMax;
    bool read;
    bool waits = true;                         // the address write awaits no reply
    int otherButton = 35;                      // a second operation to click during the wait
    // Frame i as the window's start values make it.
    std::function<std::vector<std::uint8_t>(int)> frame = {};
    // The status line after "Zamknij port" during the wait.
    QString closedText = texts::kPortClosed;
    int pollLimit = 500;                       // of the wait for the fault frame's reply
};

using Bytes = std::vector<std::uint8_t>;
std::function<Bytes(int)> framesOf(const link::Command &c, Bytes data = {}, std::uint8_t device = 1)
{
    return [&c, data, device](int i) { return link::buildFrame(device, c, i, data); };
}

std::vector<OpSpec> operations()
{
    auto button = [](int n) { return [n](FormRig &r) { r.clickButton(n); }; };
    auto nothing = [](FormRig &) {};
    return {
        {"open locker 5", [](FormRig &r) { r.click(r.form.speedButton(5)); }, nothing, 1, 0,
         texts::openingLocker(5), texts::kWriteTimeout, 0, 0, false, true, 35,
         [](int) { return link::buildFrame(1, link::commands::OpenLocker, 4, Bytes{100}); }, texts::kPortClosed,
         link::commands::OpenLocker.pollLimit},
        {"read card numbers", button(35),
         [](FormRig &r) { r.sim->setBlock(0, std::vector<std::uint8_t>{0x12, 0x34, 0x56, 0x78, 0x9A, 0, 0, 5}); },
         32, 2, texts::kCardsRead, texts::kReadTimeout, 1, 32, true, true, 36, framesOf(link::commands::ReadCards)},
        {"write card numbers", button(34), nothing, 32, 2, texts::kCardsWritten, texts::kTransferTimeout, 1, 32, false, true, 35,
         framesOf(link::commands::WriteCards, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 5}), texts::kPortClosedWriteInterrupted},
        {"reader capture", button(7),
         [](FormRig &r) { r.sim->presentCard({0xAB, 0xCD, 0xEF, 0x01, 0x23}, 150); },
         -1, 1, texts::kCardCaptured, texts::kReaderTimeout, 0, 0, true, true, 35, [](int i) {
             return i == 0 ? link::buildFrame(1, link::commands::Arming, 0, Bytes{0})
                           : link::buildFrame(1, link::commands::ReaderQuery, 0);
         }, texts::kPortClosed, link::commands::ReaderQuery.pollLimit},
        {"read locker numbers", button(36),
         [](FormRig &r) { r.sim->setBlock(0x100, std::vector<std::uint8_t>{1, 2, 3}); },
         20, 2, texts::kLockerNumbersRead, texts::kTransferTimeout, 2, 20, true, true, 35, framesOf(link::commands::ReadLockerNums)},
        {"write locker numbers", button(37), nothing, 20, 2, texts::kLockerNumbersWritten, texts::kTransferTimeout, 2, 20, false,
         true, 35, framesOf(link::commands::WriteLockerNums, {0, 0, 0}), texts::kPortClosedWriteInterrupted},
        {"read guardians", button(44),
         [](FormRig &r) { r.sim->setBlock(0x13C, std::vector<std::uint8_t>{0, 0, 1}); },
         7, 2, texts::kGuardiansRead, texts::kTransferTimeout, 3, 7, true, true, 35, framesOf(link::commands::ReadGuardians)},
        {"write guardians", button(45), nothing, 7, 2, texts::kGuardiansWritten, texts::kTransferTimeout, 3, 7, false, true, 35,
         framesOf(link::commands::WriteGuardians, {0, 0, 0}), texts::kPortClosedWriteInterrupted},
        {"read opening times", button(40),
         [](FormRig &r) { r.sim->setBlock(0x1FD, std::vector<std::uint8_t>{5, 6, 7}); },
         1, 0, texts::kTimesRead, texts::kReadTimeout, 0, 0, true, true, 35, framesOf(link::commands::ReadTimes)},
        {"write opening times", button(39), nothing, 1, 0, texts::kTimesWritten, texts::kWriteTimeout, 0, 0, false, true, 35,
         framesOf(link::commands::WriteTimes, {100, 100, 100}), texts::kPortClosedWriteInterrupted},
        {"write device address", button(46), nothing, 1, 0, texts::kAddressSent, texts::kAddressSent, 0, 0, false, false, 35,
         framesOf(link::commands::WriteAddress, {1}, 0)},
    };
}

bool applies(const OpSpec &op, FaultCase f)
{
    // An address typed during the wait is read for the next frame; a one-frame
    // operation has none.
    if (f == FaultCase::AddressZeroDuringWait)
        return op.framesOnSuccess != 1;
    if (op.waits)
        return true;
    // Nothing waits for the address write's reply, so only what happens to the
    // reply can be staged.
    return f == FaultCase::None || f == FaultCase::NoReply || f == FaultCase::DelayInside ||
           f == FaultCase::DelayOutside || f == FaultCase::Truncated || f == FaultCase::Garbage ||
           f == FaultCase::BadChecksum;
}

QStringList snapshot(const app::TForm1 &form)
{
    QStringList s;
    for (int n = 2; n <= 56; ++n)
        s << form.edit(n)->text();
    for (int n = 1; n <= 140; ++n)
        s << (form.checkBox(n)->isChecked() ? "1" : "0");
    return s;
}

// A project whose load would change the times and a card, should a load get through.
QString otherProject()
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.vrp"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("[KARTY_SERWIS]\r\nSerwis1=0A0B0C0D0E\r\n[CZASY]\r\nUzytkownik=7\r\nSerwis=8\r\nOpiekun=9\r\n");
    return path;
}

// "Odczyt z Pliku" clicked, its dialog (should it open) answered with another project.
void clickLoad(FormRig &rig)
{
    auto *answer = new QTimer(&rig.form);
    QObject::connect(answer, &QTimer::timeout, answer, [answer, path = otherProject()] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            answer->stop();
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    answer->start(10);
    rig.clickButton(42);
}

// The simulator keeps pace with the window's polls (see Lockstep), so a delay in ms
// below a limit in polls is inside it on any machine: a poll lasts at least its 1 ms
// pause. Above a limit nothing in ms holds, since a busy machine stretches every poll;
// a late reply, and one the window must still be waiting for when something happens,
// is held instead and let go at a poll counted by the test.
constexpr int kLateOutsidePoll = 300;   // past every acceptance limit, before the block transfers' poll limit

void stage(FormRig &rig, const OpSpec &op, FaultCase f)
{
    const int k = op.faultFrame;
    const auto during = [&rig, k](std::function<void()> action) {
        rig.sim->addFault({Fault::Hold, k, 1, 0});
        rig.whenFrames(std::size_t(k + 1), std::move(action));
    };
    switch (f) {
    case FaultCase::None: break;
    case FaultCase::NoReply: rig.sim->addFault({Fault::NoReply, k, -1, 1}); break;
    case FaultCase::DelayInside: rig.sim->addFault({Fault::Delay, k, 1, 40}); break;
    case FaultCase::DelayOutside:
        rig.sim->addFault({Fault::Hold, k, 1, 0});
        rig.atPoll(std::size_t(k + 1), kLateOutsidePoll, [&rig] {
            rig.sim->releaseHeld();
            rig.sim->settle();
        });
        break;
    case FaultCase::Truncated: rig.sim->addFault({Fault::Truncate, k, 1, 5}); break;
    case FaultCase::Garbage: rig.sim->addFault({Fault::Garbage, k, 1, 4}); break;
    case FaultCase::BadChecksum: rig.sim->addFault({Fault::BadChecksum, 0, -1, 0}); break;
    case FaultCase::AddressZero: rig.form.edit(57)->setText("0"); break;
    case FaultCase::AddressZeroDuringWait:
        during([&rig] {
            rig.form.edit(57)->setText("0");
            rig.sim->releaseHeld();
        });
        break;
    case FaultCase::Vanish: rig.sim->addFault({Fault::Vanish, k, 1, 0}); break;
    case FaultCase::SecondClick:
        during([&rig, op] {
            rig.clickButton(op.otherButton);
            clickLoad(rig);
            rig.sim->releaseHeld();
        });
        break;
    case FaultCase::ClosePort: during([&rig] { rig.clickButton(38); }); break;
    case FaultCase::CloseWindow: during([&rig] { rig.form.close(); }); break;
    }
}

// Child process: one operation, the window closed while it waits.
int closeWindowChild(int argc, char **argv, int opIndex)
{
    QApplication app(argc, argv);
    const OpSpec op = operations().at(std::size_t(opIndex));
    FormRig rig;
    if (!rig.openPort())
        return 3;
    op.prepare(rig);
    stage(rig, op, FaultCase::CloseWindow);
    QTimer::singleShot(0, &rig.form, [&] { op.click(rig); });
    return app.exec();
}

} // namespace

class FaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void operation_data();
    void operation();
};

void FaultMatrix::operation_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("fault");
    const auto ops = operations();
    for (int o = 0; o < int(ops.size()); ++o)
        for (int f = 0; f <= int(FaultCase::CloseWindow); ++f)
            if (applies(ops[std::size_t(o)], FaultCase(f)))
                QTest::addRow("%s | %s", ops[std::size_t(o)].name, faultName(FaultCase(f))) << o << f;
}

void FaultMatrix::operation()
{
    QFETCH(int, index);
    QFETCH(int, fault);
    const OpSpec op = operations().at(std::size_t(index));
    const auto f = FaultCase(fault);

    if (f == FaultCase::CloseWindow) {
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        vorna::test::startThisProgram(child, {"--close-window-child", QString::number(index)});
        QVERIFY(child.waitForFinished(30000));
        const QByteArray out = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit, out.constData());
        QVERIFY2(child.exitCode() == 0, out.constData());
        QVERIFY2(!out.contains("Sanitizer") && !out.contains("runtime error"), out.constData());
        return;
    }

    FormRig rig;
    QVERIFY(rig.openPort());
    op.prepare(rig);
    const QStringList before = snapshot(rig.form);
    stage(rig, op, f);
    op.click(rig);

    const bool addressZero = f == FaultCase::AddressZero || f == FaultCase::AddressZeroDuringWait;
    const bool succeeds = f == FaultCase::None || f == FaultCase::DelayInside ||
                          f == FaultCase::BadChecksum || f == FaultCase::SecondClick || !op.waits;
    const bool portCloses = f == FaultCase::Vanish || f == FaultCase::ClosePort;
    // Address 0 reaches every controller on the bus: no frame goes there.
    const int k = f == FaultCase::AddressZero ? -1 : op.faultFrame;

    // Status text.
    if (succeeds)
        QCOMPARE(rig.status(), op.doneText);
    else if (f == FaultCase::ClosePort)
        QCOMPARE(rig.status(), op.closedText);
    else if (addressZero)
        QCOMPARE(rig.status(), texts::kBadAddress);
    else
        QCOMPARE(rig.status(), op.timeoutText);

    // Fields: a read fills them only when it succeeds; nothing else changes them.
    const QStringList after = snapshot(rig.form);
    if (succeeds && op.read)
        QVERIFY(after != before);
    else
        QCOMPARE(after, before);

    // Gauge: the frames done before the failure, or its maximum.
    if (op.gauge)
        QCOMPARE(rig.form.gauge(op.gauge)->progress(), succeeds ? op.gaugeMax : std::max(k, 0));

    // A reply seen past the acceptance limit, before the poll limit, ends the wait at
    // once as a time-out.
    // A simulator in a process of its own lets the reply go a few polls after the
    // release asked for it.
    if (f == FaultCase::DelayOutside && op.waits) {
        const int last = rig.form.exchange().lastPoll();
        if (!vorna::test::remoteSimulator())
            QCOMPARE(last, std::min(op.pollLimit, kLateOutsidePoll + 1));
        else if (op.pollLimit > kLateOutsidePoll)
            QVERIFY2(last > kLateOutsidePoll && last < op.pollLimit, qPrintable(QString::number(last)));
        else
            QCOMPARE(last, op.pollLimit);
    }

    // Port and controls.
    QCOMPARE(rig.form.port().isOpen(), !portCloses);
    QCOMPARE(rig.form.button(1)->isEnabled(), portCloses);
    QVERIFY(!rig.form.exchange().busy());
    // A project load during the wait is refused before its dialog would open.
    QVERIFY(!rig.form.findChild<QFileDialog *>());

    // Frames: only the operation's own commands, to the window's address, and
    // none after the one that failed.
    QVERIFY(rig.sim->settle());
    const auto frames = rig.sim->frames();
    for (std::size_t i = 0; i < frames.size(); ++i)
        QCOMPARE(frames[i].bytes, op.frame(int(i)));
    if (succeeds && op.framesOnSuccess > 0)
        QCOMPARE(int(frames.size()), op.framesOnSuccess);
    else if (!succeeds && f != FaultCase::Vanish)
        QCOMPARE(int(frames.size()), k + 1);
    else if (f == FaultCase::Vanish)
        QVERIFY(int(frames.size()) <= k + 1);

    if (f == FaultCase::Vanish) {
        // The loss's own notice comes later from the event loop; the operation's text
        // stays, and a port plugged back in opens again.
        QTest::qWait(100);
        QCOMPARE(rig.status(), op.timeoutText);
        rig.sim = vorna::test::makeSimLine();
        QVERIFY(rig.openPort());
        QTest::qWait(50);
        QCOMPARE(rig.status(), texts::kPortOpened);
        QVERIFY(rig.form.port().isOpen());
    }
}

int main(int argc, char **argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--close-window-child")
        return closeWindowChild(argc, argv, QByteArray(argv[2]).toInt());
    QApplication app(argc, argv);
    FaultMatrix test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_fault_matrix.moc"
