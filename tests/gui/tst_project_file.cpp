// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include <sys/stat.h>

#include "app/form1.h"
#include "app/radio_group.h"
#include "ops/texts.h"
#include "project/project_file_support.h"

using namespace vorna::app;
namespace texts = vorna::ops::texts;
using vorna::project::testing::goldenPath;
using vorna::project::testing::readBytes;
using vorna::project::testing::writeBytes;

namespace {

const QByteArray kOldFile = "; kept\r\n[CZASY]\r\nUzytkownik=1\r\n";

// Everything a project load or save could touch, and what it must not.
struct Snapshot {
    QStringList edits; // Edit1..Edit57
    QList<bool> ticks; // CheckBox1..CheckBox140
    int cardType = -1;
    QString status;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const TForm1 &form)
{
    Snapshot s;
    for (int n = 1; n <= 57; ++n)
        s.edits.append(form.edit(n)->text());
    for (int n = 1; n <= 140; ++n)
        s.ticks.append(form.checkBox(n)->isChecked());
    s.cardType = form.cardTypeIndex();
    s.status = form.statusLine()->text();
    return s;
}

// What the dialog's Open/Save button does (QFileDialog::accept is protected).
void accept(QFileDialog *dialog)
{
    static_cast<QDialog *>(dialog)->accept();
}

QLineEdit *nameField(QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

// The text the dialog shows in its file name field.
QString shownName(QFileDialog *dialog)
{
    auto *field = nameField(dialog);
    return field ? field->text() : QStringLiteral("<no name field>");
}

// The user types a name (QFileDialog::selectFile leaves a shown dialog's focused field alone).
void typeName(QFileDialog *dialog, const QString &name)
{
    if (auto *field = nameField(dialog))
        field->setText(name);
}

} // namespace

class ProjectFileTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void dialogsAsSet();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void newFileFromTheWindow();
    void saveThenLoadGivesEverythingBack();
    void nameWithoutExtensionGetsVrp();
    void saveReplacesWithoutAsking();
    void dialogsRememberTheirLastName();
    void timesLandBesideTheirLabels();
    void failedSave_data();
    void failedSave();
    void failedLoad_data();
    void failedLoad();

private:
    // Runs `act` on the next modal file dialog once it is up.
    void whenDialogOpens(std::function<void(QFileDialog *)> act);
    // Clicks the button and answers its dialog with `path`; an empty path cancels.
    void clickAndChoose(int button, const QString &path, std::function<void(QFileDialog *)> beforeAccept = {});
    void setSampleValues();

    std::unique_ptr<TForm1> form_;
    std::unique_ptr<QTemporaryDir> dir_;
    QTimer watchdog_;
    int questionsAsked_ = 0;
    int dialogsLeftOpen_ = 0;
};

void ProjectFileTest::init()
{
    form_ = std::make_unique<TForm1>();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    // No message box may come up (an overwrite question, a warning); close any that does.
    questionsAsked_ = 0;
    dialogsLeftOpen_ = 0;
    connect(&watchdog_, &QTimer::timeout, this, [this] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            ++questionsAsked_;
            box->reject();
        }
    });
    watchdog_.start(20);
}

void ProjectFileTest::cleanup()
{
    watchdog_.stop();
    watchdog_.disconnect();
    QCOMPARE(questionsAsked_, 0);
    QCOMPARE(dialogsLeftOpen_, 0);
    form_.reset();
    dir_.reset();
}

void ProjectFileTest::whenDialogOpens(std::function<void(QFileDialog *)> act)
{
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [this, poll, act] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
            // A dialog that did not take its answer would hang the test: note it and close it.
            if (dialog->isVisible()) {
                ++dialogsLeftOpen_;
                dialog->reject();
            }
        }
    });
    poll->start(10);
}

void ProjectFileTest::clickAndChoose(int button, const QString &path, std::function<void(QFileDialog *)> beforeAccept)
{
    whenDialogOpens([path, beforeAccept](QFileDialog *dialog) {
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        typeName(dialog, path);
        if (beforeAccept)
            beforeAccept(dialog);
        accept(dialog);
    });
    form_->button(button)->click();
}

// The values of the golden new file: a different text in every field, ticks in a pattern.
void ProjectFileTest::setSampleValues()
{
    for (int n = 2; n <= 33; ++n)
        form_->edit(n)->setText(QStringLiteral("%1").arg(n, 10, 10, QLatin1Char('0')));
    for (int n = 34; n <= 53; ++n)
        form_->edit(n)->setText(QStringLiteral("%1").arg(n - 33, 3, 10, QLatin1Char('0')));
    for (int n = 54; n <= 56; ++n)
        form_->edit(n)->setText(QString::number(n));
    for (int n = 1; n <= 140; ++n)
        form_->checkBox(n)->setChecked(n % 3 == 1);
}

void ProjectFileTest::dialogsAsSet()
{
    struct Seen {
        QString name, title;
        QStringList filters;
        QString suffix;
        QFileDialog::AcceptMode accept{};
        QFileDialog::FileMode mode{};
        bool asksBeforeReplacing = true, readOnly = true;
        QString shown;
        QString filterShown; // what the list of file types reads
    };
    const auto look = [](Seen *seen) {
        return [seen](QFileDialog *d) {
            *seen = {d->objectName(), d->windowTitle(), d->nameFilters(), d->defaultSuffix(), d->acceptMode(),
                     d->fileMode(), !d->testOption(QFileDialog::DontConfirmOverwrite),
                     d->testOption(QFileDialog::ReadOnly), shownName(d), QString()};
            if (auto *types = d->findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
                seen->filterShown = types->currentText();
            d->reject();
        };
    };
    Seen save, open;
    whenDialogOpens(look(&save));
    form_->button(43)->click();
    whenDialogOpens(look(&open));
    form_->button(42)->click();

    QCOMPARE(save.name, QStringLiteral("SaveDialog1"));
    QCOMPARE(save.filters, QStringList{QStringLiteral("Programator Vorna (*.vrp)")});
    QCOMPARE(save.filterShown, QStringLiteral("Programator Vorna"));
    QCOMPARE(save.suffix, QStringLiteral("vrp"));
    QCOMPARE(save.accept, QFileDialog::AcceptSave);
    QCOMPARE(save.mode, QFileDialog::AnyFile);
    QVERIFY(!save.asksBeforeReplacing);
    QVERIFY(!save.readOnly);
    QCOMPARE(save.shown, QString());

    QCOMPARE(open.name, QStringLiteral("OpenDialog1"));
    QCOMPARE(open.filters, QStringList{QStringLiteral("Programoatr Vorna (*.vrp)")});
    QCOMPARE(open.filterShown, QStringLiteral("Programoatr Vorna"));
    QCOMPARE(open.suffix, QStringLiteral("vrp"));
    QCOMPARE(open.accept, QFileDialog::AcceptOpen);
    QCOMPARE(open.mode, QFileDialog::ExistingFile);
    QVERIFY(!open.readOnly);
    QCOMPARE(open.shown, QString());
    // No title of their own: the toolkit's default for each kind.
    QVERIFY(!save.title.isEmpty());
    QVERIFY(save.title != open.title);
}

void ProjectFileTest::cancelChangesNothing_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("save") << 43;
    QTest::newRow("load") << 42;
}

void ProjectFileTest::cancelChangesNothing()
{
    QFETCH(int, button);
    const QString existing = dir_->filePath(QStringLiteral("old.vrp"));
    QVERIFY(writeBytes(existing, kOldFile));
    setSampleValues();
    form_->setStatus(QStringLiteral("before"));
    const Snapshot before = snapshot(*form_);

    // Cancel with a name typed in: it is neither used nor remembered.
    bool cancelled = false;
    whenDialogOpens([&](QFileDialog *d) {
        typeName(d, existing);
        d->reject();
        cancelled = true;
    });
    form_->button(button)->click();
    QVERIFY(cancelled);
    QCOMPARE(snapshot(*form_), before);
    QCOMPARE(readBytes(existing), kOldFile);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList{QStringLiteral("old.vrp")});

    QString shown = QStringLiteral("<not opened>");
    whenDialogOpens([&](QFileDialog *d) {
        shown = shownName(d);
        d->reject();
    });
    form_->button(button)->click();
    QCOMPARE(shown, QString());
}

void ProjectFileTest::newFileFromTheWindow()
{
    setSampleValues();
    const QString path = dir_->filePath(QStringLiteral("new.vrp"));
    clickAndChoose(43, path);
    QCOMPARE(form_->statusLine()->text(), texts::kProjectSaved);
    const QByteArray bytes = readBytes(path);
    QCOMPARE(bytes, readBytes(goldenPath("new_file.vrp")));
    QCOMPARE(bytes.count('='), 195);
    QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
}

void ProjectFileTest::saveThenLoadGivesEverythingBack()
{
    setSampleValues();
    form_->edit(5)->setText(QString());
    form_->edit(6)->setText(QStringLiteral("0123456789ABCDEF0123456789ABCDEF0123456789")); // beyond the limit
    form_->edit(20)->setText(QStringLiteral("Zażółć gęślą jaźń"));
    form_->edit(40)->setText(QStringLiteral("12345"));
    form_->edit(54)->setText(QString());
    for (int n = 1; n <= 140; n += 9)
        form_->checkBox(n)->toggle();
    form_->edit(1)->setText(QStringLiteral("COM7"));
    form_->edit(57)->setText(QStringLiteral("9"));
    form_->radioGroup1()->setItemIndex(2);
    const Snapshot saved = snapshot(*form_);

    const QString path = dir_->filePath(QStringLiteral("round.vrp"));
    clickAndChoose(43, path);
    QCOMPARE(form_->statusLine()->text(), texts::kProjectSaved);

    // Change everything, the three controls a project does not hold included.
    for (int n = 1; n <= 57; ++n)
        form_->edit(n)->setText(QStringLiteral("x"));
    for (int n = 1; n <= 140; ++n)
        form_->checkBox(n)->toggle();
    form_->radioGroup1()->setItemIndex(1);

    clickAndChoose(42, path);
    QCOMPARE(form_->statusLine()->text(), texts::kProjectLoaded);
    Snapshot expected = saved;
    expected.edits[0] = QStringLiteral("x");  // Edit1
    expected.edits[56] = QStringLiteral("x"); // Edit57
    expected.cardType = 1;
    expected.status = texts::kProjectLoaded;
    QCOMPARE(snapshot(*form_), expected);
    QCOMPARE(form_->edit(6)->text().size(), 42);
}

void ProjectFileTest::nameWithoutExtensionGetsVrp()
{
    const QString dir = dir_->path();
    whenDialogOpens([dir](QFileDialog *d) {
        d->setDirectory(dir);
        typeName(d, QStringLiteral("projekt"));
        accept(d);
    });
    form_->button(43)->click();
    QCOMPARE(form_->statusLine()->text(), texts::kProjectSaved);
    QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{QStringLiteral("projekt.vrp")});
}

void ProjectFileTest::saveReplacesWithoutAsking()
{
    const QString path = dir_->filePath(QStringLiteral("old.vrp"));
    QVERIFY(writeBytes(path, kOldFile));
    form_->edit(54)->setText(QStringLiteral("42"));
    clickAndChoose(43, path);
    QCOMPARE(form_->statusLine()->text(), texts::kProjectSaved);
    const QByteArray bytes = readBytes(path);
    QVERIFY(bytes.startsWith("; kept\r\n[CZASY]\r\nUzytkownik=42\r\nSerwis=100\r\nOpiekun=100\r\n"));
    QCOMPARE(bytes.count('='), 195);
    // cleanup() checks that no question came up.
}

void ProjectFileTest::dialogsRememberTheirLastName()
{
    const QString a = dir_->filePath(QStringLiteral("a.vrp"));
    const QString b = dir_->filePath(QStringLiteral("b.vrp"));
    QVERIFY(writeBytes(b, kOldFile));
    clickAndChoose(43, a);
    clickAndChoose(42, b);

    QString savesShows, savesFolder, opensShows;
    whenDialogOpens([&](QFileDialog *d) {
        savesShows = shownName(d);
        savesFolder = d->directory().absolutePath();
        d->reject();
    });
    form_->button(43)->click();
    whenDialogOpens([&](QFileDialog *d) {
        opensShows = shownName(d);
        d->reject();
    });
    form_->button(42)->click();
    QCOMPARE(savesShows, QStringLiteral("a.vrp"));
    QCOMPARE(savesFolder, QDir(dir_->path()).absolutePath());
    QCOMPARE(opensShows, QStringLiteral("b.vrp"));

    // Accepting the shown name as it stands uses it again.
    QVERIFY(QFile::remove(a));
    whenDialogOpens([](QFileDialog *d) { accept(d); });
    form_->button(43)->click();
    QVERIFY(QFileInfo::exists(a));
}

void ProjectFileTest::timesLandBesideTheirLabels()
{
    const QString path = dir_->filePath(QStringLiteral("czasy.vrp"));
    QVERIFY(writeBytes(path, "[czasy]\r\nUzytkownik=50\r\n SERWIS = 60 \r\nOpiekun=\"70\"\r\n"));
    setSampleValues();
    form_->radioGroup1()->setItemIndex(2); // MiFare 7B: the card default stays 10 digits
    form_->edit(1)->setText(QStringLiteral("COM9"));
    form_->edit(57)->setText(QStringLiteral("12"));
    clickAndChoose(42, path);

    QCOMPARE(form_->statusLine()->text(), texts::kProjectLoaded);
    QCOMPARE(form_->edit(54)->text(), QStringLiteral("50")); // beside "Opiekun:"
    QCOMPARE(form_->edit(55)->text(), QStringLiteral("60"));
    QCOMPARE(form_->edit(56)->text(), QStringLiteral("70")); // beside "Użytkownik:"
    for (int n = 2; n <= 33; ++n)
        QCOMPARE(form_->edit(n)->text(), QStringLiteral("FFFFFFFFFF"));
    for (int n = 34; n <= 53; ++n)
        QCOMPARE(form_->edit(n)->text(), QStringLiteral("000"));
    for (int n = 1; n <= 140; ++n)
        QVERIFY(!form_->checkBox(n)->isChecked());
    QCOMPARE(form_->edit(1)->text(), QStringLiteral("COM9"));
    QCOMPARE(form_->edit(57)->text(), QStringLiteral("12"));
    QCOMPARE(form_->cardTypeIndex(), 2);
}

void ProjectFileTest::failedSave_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason"); // part of the status line's tooltip
    QTest::newRow("read-only file") << "read-only" << "plik tylko do odczytu";
    QTest::newRow("folder that does not exist") << "no-folder" << "";
    QTest::newRow("text outside Windows-1250") << "code-page" << "KARTY_SZAFEK/Szafka20: znak spoza Windows-1250";
    QTest::newRow("line break in a field") << "line-break" << "NUMERY_SZAFEK/Szafka1: koniec wiersza";
}

void ProjectFileTest::failedSave()
{
    QFETCH(QString, fault);
    QString path = dir_->filePath(QStringLiteral("old.vrp"));
    QVERIFY(writeBytes(path, kOldFile));
    setSampleValues();
    if (fault == u"read-only")
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    else if (fault == u"no-folder")
        path = dir_->filePath(QStringLiteral("missing/new.vrp"));
    else if (fault == u"code-page")
        form_->edit(33)->setText(QStringLiteral("日本"));
    else
        form_->edit(34)->setText(QStringLiteral("1\n2"));
    form_->setStatus(QStringLiteral("before"));
    Snapshot expected = snapshot(*form_);

    clickAndChoose(43, path);
    expected.status = texts::kProjectSaveFailed;
    QCOMPARE(snapshot(*form_), expected);
    QCOMPARE(readBytes(dir_->filePath(QStringLiteral("old.vrp"))), kOldFile);
    QCOMPARE(QDir(dir_->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("old.vrp")});
    QFile::setPermissions(dir_->filePath(QStringLiteral("old.vrp")), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // The tooltip names the file and says why; the system's words for a missing folder.
    QFETCH(QString, reason);
    const QString tip = form_->statusLine()->toolTip();
    QVERIFY2(tip.startsWith(path + QStringLiteral(": ")) && tip.size() > path.size() + 2, qPrintable(tip));
    QVERIFY2(tip.contains(reason), qPrintable(tip));
    // A later save that succeeds clears it.
    form_->edit(33)->setText(QStringLiteral("FFFFFFFFFF"));
    form_->edit(34)->setText(QStringLiteral("000"));
    clickAndChoose(43, dir_->filePath(QStringLiteral("good.vrp")));
    QCOMPARE(form_->statusLine()->text(), texts::kProjectSaved);
    QCOMPARE(form_->statusLine()->toolTip(), QString());
}

void ProjectFileTest::failedLoad_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");
    QTest::newRow("file gone after choosing") << "gone" << "plik nie istnieje";
    QTest::newRow("not a regular file") << "fifo" << "to nie jest zwykły plik";
}

void ProjectFileTest::failedLoad()
{
    QFETCH(QString, fault);
    const QString path = dir_->filePath(QStringLiteral("p.vrp"));
    if (fault == u"gone")
        QVERIFY(writeBytes(path, "[CZASY]\r\nUzytkownik=50\r\n"));
    else
        QVERIFY(mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    setSampleValues();
    form_->setStatus(QStringLiteral("before"));
    Snapshot expected = snapshot(*form_);

    clickAndChoose(42, path, [fault, path](QFileDialog *d) {
        // The file goes between the choice and the reading.
        if (fault == u"gone")
            connect(d, &QDialog::accepted, d, [path] { QFile::remove(path); }, Qt::SingleShotConnection);
    });
    expected.status = texts::kProjectLoadFailed;
    QCOMPARE(snapshot(*form_), expected);
    QFETCH(QString, reason);
    QCOMPARE(form_->statusLine()->toolTip().left(path.size() + 2), path + QStringLiteral(": "));
    QVERIFY2(form_->statusLine()->toolTip().contains(reason), qPrintable(form_->statusLine()->toolTip()));
}

#include "support/gui_suite.h"
VORNA_GUI_TEST_MAIN(tst_project_file, ProjectFileTest)
#include "tst_project_file.moc"
