// SPDX-License-Identifier: GPL-3.0-or-later
// Files that are no project or not plain Windows-1250, and disks that fail during a
// save, each through the window and through vorna-cli. A bad file must change no
// field and send no frame; a good one in another encoding must load whole. A failed
// save must be reported and leave the old file byte for byte, with nothing beside it.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <optional>
#include <random>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/form1.h"
#include "app/settings_controls.h"
#include "cli/cli.h"
#include "cli/exit_codes.h"
#include "ops/texts.h"
#include "project/project_file.h"
#include "project/project_file_support.h"
#include "sim/pty_simulator.h"
#include "support/lockstep.h"
#include "support/program_run.h"
#include "support/settle_server.h"

using namespace vorna;
namespace texts = vorna::ops::texts;
using vorna::project::testing::readBytes;
using vorna::project::testing::sampleValues;
using vorna::project::testing::writeBytes;

namespace {

// Clicks the window's button and answers its file dialog with `path`.
void clickAndChoose(app::TForm1 &form, int button, const QString &path)
{
    auto *poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, path] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(path);
            static_cast<QDialog *>(dialog)->accept();
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    poll->start(10);
    form.button(button)->click();
}

// What the rows of a table run through.
enum class Front { Window, Cli };

void addFronts(const char *name, int kind)
{
    QTest::addRow("%s | window", name) << kind << int(Front::Window);
    QTest::addRow("%s | vorna-cli", name) << kind << int(Front::Cli);
}

// The window of a child process saves the sample project to `path`, under a limit on
// the size of the files it writes, and prints its status line.
int saveChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    app::TForm1 form;
    app::showSettings(form, sampleValues());
    const rlim_t limit = std::stoul(argv[3]);
    const rlimit fsize{limit, limit};
    signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
    if (limit > 0 && setrlimit(RLIMIT_FSIZE, &fsize) != 0)
        return 3;
    clickAndChoose(form, 43, QString::fromLocal8Bit(argv[2]));
    QTextStream(stdout) << form.statusLine()->text();
    return 0;
}

} // namespace

class BadFilesTest : public QObject {
    Q_OBJECT
private slots:
    void badFile_data();
    void badFile();
    void failingDisk_data();
    void failingDisk();
    void saveIntoMarkedFile_data();
    void saveIntoMarkedFile();
};

namespace {

// A tmpfs of 16 KiB at `folder`, gone again with this object.
struct SmallTmpfs {
    QByteArray folder;
    bool mounted = false;
    explicit SmallTmpfs(const QString &at) : folder(QFile::encodeName(at))
    {
        mounted = QDir().mkdir(at) && mount("tmpfs", folder.constData(), "tmpfs", 0, "size=16k") == 0;
    }
    ~SmallTmpfs()
    {
        if (mounted)
            umount(folder.constData());
    }
};

} // namespace

enum BadFile { Empty, Random, CrOnly, Utf8Bom, Utf16Le, Utf16Be, Huge, SomeSections };

void BadFilesTest::badFile_data()
{
    QTest::addColumn<int>("file");
    QTest::addColumn<int>("front");
    addFronts("empty file", Empty);
    addFronts("4 KiB of random bytes", Random);
    addFronts("lines ending in CR alone", CrOnly);
    addFronts("UTF-8 with BOM", Utf8Bom);
    addFronts("UTF-16 LE with BOM", Utf16Le);
    addFronts("UTF-16 BE with BOM", Utf16Be);
    addFronts("40 GB sparse file", Huge);
    addFronts("one section, other keys missing", SomeSections);
}

void BadFilesTest::badFile()
{
    QFETCH(int, file);
    QFETCH(int, front);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.vrp"));
    const project::Settings sample = sampleValues();
    QVERIFY(project::saveProject(path, sample));
    const QByteArray project = readBytes(path);
    const QString text = QString::fromLatin1(project); // a plain ASCII project

    QByteArray bytes;
    std::mt19937 random(10);
    switch (file) {
    case Empty:
        break;
    case Random:
        for (int i = 0; i < 4096; ++i)
            bytes.append(char(random()));
        break;
    case CrOnly:
        bytes = QByteArray(project).replace("\r\n", "\r");
        break;
    case Utf8Bom:
        bytes = "\xEF\xBB\xBF" + text.toUtf8();
        break;
    case Utf16Le:
    case Utf16Be: {
        QStringEncoder encoder(file == Utf16Le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::WriteBom);
        bytes = encoder.encode(text);
        break;
    }
    case SomeSections:
        bytes = "[CZASY]\r\nUzytkownik=54\r\nSerwis=55\r\nOpiekun=56\r\n";
        break;
    }
    QVERIFY(writeBytes(path, bytes));
    if (file == Huge)
        QVERIFY(QFile::resize(path, qint64(40) << 30));

    // What a load must give: the sample whole, the times alone, or nothing.
    const bool whole = file == CrOnly || file == Utf8Bom || file == Utf16Le || file == Utf16Be;
    const bool loads = whole || file == SomeSections;
    project::Settings before;
    before.cards.fill(QStringLiteral("x"));
    before.lockerNumbers.fill(QStringLiteral("x"));
    before.openingTimes.fill(QStringLiteral("x"));

    if (Front(front) == Front::Window) {
        app::TForm1 form;
        app::showSettings(form, before);
        clickAndChoose(form, 42, path);
        QCOMPARE(form.statusLine()->text(), loads ? texts::kProjectLoaded : texts::kProjectLoadFailed);
        const project::Settings shown = app::readSettings(form);
        if (whole)
            QVERIFY(shown == sample);
        else if (file == SomeSections)
            QCOMPARE(shown.openingTimes[0] + shown.cards[0] + shown.lockerNumbers[0],
                     QStringLiteral("54FFFFFFFFFF000"));
        else
            QVERIFY(shown == before);
        return;
    }

    sim::PtySimulator sim;
    test::Lockstep lockstep(sim);
    QVERIFY(sim.start());
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int code = cli::runCli({"--port", QString::fromStdString(sim.path()), "write", path}, outStream, errStream);
    errStream.flush();
    if (!whole) {
        // Refused before the port is used: no default goes out over what the controller holds.
        QCOMPARE(code, int(cli::kExitBadProject));
        QVERIFY2(err.contains(path), qPrintable(err));
        QVERIFY2(file != Huge || err.contains(QStringLiteral("too large")), qPrintable(err));
        QVERIFY(sim.settle());
        QVERIFY(sim.frames().empty());
        return;
    }
    QVERIFY2(code == cli::kExitOk, qPrintable(err));
    const std::vector<std::uint8_t> block = sim.block();
    QCOMPARE(std::vector<std::uint8_t>(block.begin(), block.begin() + 8),
             (std::vector<std::uint8_t>{0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x05})); // Serwis1 "0000000002"
    QCOMPARE(std::vector<std::uint8_t>(block.begin() + 0x1FD, block.begin() + 0x200),
             (std::vector<std::uint8_t>{54, 55, 56}));
}

enum Disk { TmpfsFull, TmpfsOnePage, SizeLimit };

void BadFilesTest::failingDisk_data()
{
    QTest::addColumn<int>("disk");
    QTest::addColumn<int>("front");
    addFronts("16 KiB tmpfs, full", TmpfsFull);
    addFronts("16 KiB tmpfs, one page free", TmpfsOnePage);
    addFronts("file size limit 2 KiB (EFBIG)", SizeLimit);
}

void BadFilesTest::failingDisk()
{
    QFETCH(int, disk);
    QFETCH(int, front);
    QTemporaryDir dir;
    QString folder = dir.path();
    // A project (vorna-cli read updates nothing else), of two pages on the small disk.
    const QByteArray header("; old\r\n[CZASY]\r\n");
    const QByteArray old = disk == TmpfsOnePage ? header + QByteArray(5003 - header.size(), ';') : header;
    std::optional<SmallTmpfs> tmpfs;
    if (disk != SizeLimit) {
        if (geteuid() != 0)
            QSKIP("needs root to mount a small tmpfs");
        folder = dir.filePath(QStringLiteral("disk"));
        tmpfs.emplace(folder);
        if (!tmpfs->mounted)
            QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs here: ") + QString::fromLocal8Bit(strerror(errno))));
        // Four pages: the old file takes one or two, the filler all but one or none.
        QVERIFY(writeBytes(folder + QStringLiteral("/filler"), QByteArray(disk == TmpfsFull ? 3 * 4096 : 4096, 'f')));
    }
    const QString path = folder + QStringLiteral("/proj.vrp");
    QVERIFY(writeBytes(path, old));
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString limit = disk == SizeLimit ? QStringLiteral("2048") : QStringLiteral("0");
    const QString reason = disk == SizeLimit ? QStringLiteral("File too large") : QStringLiteral("No space left on device");

    QProcess child;
    if (disk == SizeLimit) {
        child.setChildProcessModifier([] {
            const rlimit fsize{2048, 2048};
            signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &fsize);
        });
    }
    sim::PtySimulator sim;
    const test::SettleServer settle(sim);
    if (Front(front) == Front::Window) {
        child.start(QCoreApplication::applicationFilePath(), {"--save-child", path, limit});
    } else {
        QVERIFY(sim.start());
        child.setProcessEnvironment(settle.environment());
        child.start(test::builtProgram("src/cli/vorna-cli"), {"--port", QString::fromStdString(sim.path()), "read", path});
    }
    QVERIFY(child.waitForFinished(60000));
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    const QString err = QString::fromUtf8(child.readAllStandardError());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    if (Front(front) == Front::Window) {
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(out, texts::kProjectSaveFailed);
    } else {
        QCOMPARE(child.exitCode(), int(cli::kExitBadProject));
        QVERIFY2(err.contains(path) && err.contains(reason), qPrintable(err));
    }
    QCOMPARE(readBytes(path), old);
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void BadFilesTest::saveIntoMarkedFile_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<bool>("foreign"); // a line outside Windows-1250
    QTest::addColumn<int>("front");
    for (const auto &e : vorna::project::testing::kMarkedEncodings) {
        for (const bool foreign : {false, true}) {
            for (const Front front : {Front::Window, Front::Cli})
                QTest::addRow("%s with BOM, %s | %s", e.name,
                              foreign ? "comment outside Windows-1250" : "Polish comment",
                              front == Front::Window ? "window" : "vorna-cli")
                    << int(e.encoding) << foreign << int(front);
        }
    }
}

// A marked file is saved into: in Windows-1250 without the mark when all of it fits,
// else in its own encoding with its mark; either way every line of it is kept.
void BadFilesTest::saveIntoMarkedFile()
{
    QFETCH(int, encoding);
    QFETCH(bool, foreign);
    QFETCH(int, front);
    const auto enc = QStringConverter::Encoding(encoding);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.vrp"));
    const QString old = (foreign ? QStringLiteral("; uwaga → nie ruszać ✓\r\n") : QStringLiteral("; uwaga - nie ruszać\r\n"))
        + QStringLiteral("[CZASY]\r\nUzytkownik=1\r\n[MOJE]\r\nklucz=żółw\r\n");
    QStringEncoder encoder(enc, QStringConverter::Flag::WriteBom);
    QVERIFY(writeBytes(path, encoder.encode(old)));
    const QByteArray mark = enc == QStringConverter::Utf8 ? QByteArray("\xEF\xBB\xBF")
                          : enc == QStringConverter::Utf16LE ? QByteArray("\xFF\xFE")
                                                              : QByteArray("\xFE\xFF");

    project::Settings saved = sampleValues();
    if (Front(front) == Front::Window) {
        app::TForm1 form;
        app::showSettings(form, saved);
        clickAndChoose(form, 43, path);
        QCOMPARE(form.statusLine()->text(), texts::kProjectSaved);
        QCOMPARE(form.statusLine()->toolTip(), QString());
    } else {
        sim::PtySimulator sim;
        test::Lockstep lockstep(sim);
        QVERIFY(sim.start());
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int code = cli::runCli({"--port", QString::fromStdString(sim.path()), "read", path}, outStream, errStream);
        errStream.flush();
        QVERIFY2(code == cli::kExitOk, qPrintable(err));
    }

    const QByteArray bytes = readBytes(path);
    QString text;
    if (foreign) {
        QVERIFY2(bytes.startsWith(mark), bytes.left(8).toHex().constData());
        QStringDecoder decoder(enc);
        text = decoder.decode(bytes);
    } else {
        QVERIFY2(!bytes.startsWith(mark), bytes.left(8).toHex().constData());
        text = project::decodeProjectFile(bytes);
    }
    // The user's lines stay where they were.
    QVERIFY2(text.startsWith(old.left(old.indexOf(u'['))) && text.contains(QStringLiteral("[MOJE]\r\nklucz=żółw\r\n")),
             qPrintable(text));
    QStringList missing;
    const auto loaded = project::loadProject(path, nullptr, &missing);
    QVERIFY(loaded);
    QCOMPARE(missing, QStringList());
    if (Front(front) == Front::Window)
        QVERIFY(*loaded == saved);
}

int main(int argc, char **argv)
{
    if (argc > 3 && QByteArray(argv[1]) == "--save-child")
        return saveChild(argc, argv);
    QApplication app(argc, argv);
    BadFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bad_files.moc"
