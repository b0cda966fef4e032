// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <stdexcept>

#include "app/error_box.h"

using namespace vorna::app;

namespace {

// What a shown error box looked like.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton *> buttons;
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    bool modal = false;
};

// Watches for message boxes while `show` runs, records each and closes it with its
// button as a user would.
QList<SeenBox> runAndCloseBoxes(const std::function<void()> &show)
{
    QList<SeenBox> seen;
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&seen] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        SeenBox s{box->windowTitle(), box->text(), box->icon(), box->buttons(),
                  QMessageBox::NoButton, box->isModal()};
        if (s.buttons.size() == 1)
            s.button = box->standardButton(s.buttons.front());
        seen.append(s);
        if (!s.buttons.isEmpty())
            s.buttons.front()->click();
        else
            box->reject();
    });
    watcher.start();
    show();
    watcher.stop();
    return seen;
}

} // namespace

class ErrorBoxTest : public QObject {
    Q_OBJECT
private slots:
    void fullStopRule_data();
    void fullStopRule();
    void boxHasTitleIconAndOneButton();
    void guardShowsEscapingErrorAndGoesOn();
    void guardShowsNothingWhenHandlerSucceeds();
    void guardReportsUnknownException();
};

void ErrorBoxTest::fullStopRule_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("letter") << QStringLiteral("Port zajęty") << QStringLiteral("Port zajęty.");
    QTest::newRow("digit") << QStringLiteral("Kod 5") << QStringLiteral("Kod 5.");
    QTest::newRow("polish letter") << QStringLiteral("Błąd zapisu pliku ą")
                                   << QStringLiteral("Błąd zapisu pliku ą.");
    QTest::newRow("full stop") << QStringLiteral("Koniec.") << QStringLiteral("Koniec.");
    QTest::newRow("ellipsis") << QStringLiteral("Czekaj ...") << QStringLiteral("Czekaj ...");
    QTest::newRow("dash") << QStringLiteral("a -") << QStringLiteral("a -");
    QTest::newRow("comma") << QStringLiteral("a,") << QStringLiteral("a,");
    QTest::newRow("closing paren") << QStringLiteral("(x)") << QStringLiteral("(x)");
    QTest::newRow("exclamation") << QStringLiteral("Uwaga!") << QStringLiteral("Uwaga!");
    QTest::newRow("blank") << QStringLiteral("a ") << QStringLiteral("a ");
    QTest::newRow("plus") << QStringLiteral("a+") << QStringLiteral("a+");
    QTest::newRow("slash sorts after") << QStringLiteral("C:/") << QStringLiteral("C:/.");
    QTest::newRow("colon sorts after") << QStringLiteral("Plik:") << QStringLiteral("Plik:.");
    QTest::newRow("question mark") << QStringLiteral("Co?") << QStringLiteral("Co?.");
    QTest::newRow("single full stop") << QStringLiteral(".") << QStringLiteral(".");
}

void ErrorBoxTest::fullStopRule()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(errorBoxText(message), shown);
}

void ErrorBoxTest::boxHasTitleIconAndOneButton()
{
    QWidget parent;
    const auto seen = runAndCloseBoxes([&] { showErrorBox(&parent, QStringLiteral("Brak pliku")); });
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].title, QStringLiteral("Vorna"));
    QCOMPARE(seen[0].text, QStringLiteral("Brak pliku."));
    QCOMPARE(seen[0].icon, QMessageBox::Critical);
    QCOMPARE(seen[0].buttons.size(), 1);
    QCOMPARE(seen[0].button, QMessageBox::Ok);
    QVERIFY(seen[0].modal);
}

void ErrorBoxTest::guardShowsEscapingErrorAndGoesOn()
{
    QWidget parent;
    bool ranToThrow = false;
    bool after = false;
    const auto seen = runAndCloseBoxes([&] {
        guardedCall(&parent, [&] {
            ranToThrow = true;
            throw std::runtime_error("Nie można zapisać pliku");
        });
        after = true; // the guard returned: the window goes on
    });
    QVERIFY(ranToThrow);
    QVERIFY(after);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].text, QStringLiteral("Nie można zapisać pliku."));
    QCOMPARE(seen[0].title, QStringLiteral("Vorna"));
}

void ErrorBoxTest::guardShowsNothingWhenHandlerSucceeds()
{
    QWidget parent;
    int calls = 0;
    const auto seen = runAndCloseBoxes([&] { guardedCall(&parent, [&] { ++calls; }); });
    QCOMPARE(calls, 1);
    QVERIFY(seen.isEmpty());
}

void ErrorBoxTest::guardReportsUnknownException()
{
    QWidget parent;
    const auto seen = runAndCloseBoxes([&] { guardedCall(&parent, [] { throw 42; }); });
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].text, QStringLiteral("Nieznany błąd."));
    QCOMPARE(seen[0].icon, QMessageBox::Critical);
}

#include "support/gui_suite.h"
VORNA_GUI_TEST_MAIN(tst_error_box, ErrorBoxTest)
#include "tst_error_box.moc"
