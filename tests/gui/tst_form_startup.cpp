// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTranslator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/field_edit.h"
#include "app/qt_texts.h"
#include "app/form1.h"
#include "app/radio_group.h"
#include "app/tcgauge.h"
#include "app/window_place.h"
#include "support/program_run.h"

using namespace vorna::app;

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kMaroon(0x80, 0x00, 0x00);
const QColor kGreen(0x00, 0x80, 0x00);
const QColor kTeal(0x00, 0x80, 0x80);

QString name(const char *kind, int n)
{
    return QString::fromLatin1(kind) + QString::number(n);
}

// The controls that need an open port, and so start disabled.
bool needsPort(const QString &control)
{
    static const QSet<QString> names = [] {
        QSet<QString> s;
        for (int n = 2; n <= 37; ++n)
            s.insert(name("Button", n));
        for (int n : {39, 40, 44, 45, 46})
            s.insert(name("Button", n));
        for (int n = 1; n <= 20; ++n)
            s.insert(name("SpeedButton", n));
        return s;
    }();
    return names.contains(control);
}

QColor textColour(const QWidget *w, QPalette::ColorRole role)
{
    return w->palette().color(QPalette::Active, role);
}

} // namespace

class FormStartupTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void window();
    void fonts();
    void controlsExist_data();
    void controlsExist();
    void initialTexts_data();
    void initialTexts();
    void typingLimits_data();
    void typingLimits();
    void enabledStates_data();
    void enabledStates();
    void geometry_data();
    void geometry();
    void cardLabels_data();
    void cardLabels();
    void otherLabels_data();
    void otherLabels();
    void buttonCaptions_data();
    void buttonCaptions();
    void lockerButtons();
    void guardianGrid();
    void cardTypeSelector();
    void gauges();
    void accessibleNames_data();
    void accessibleNames();
    void everyControlIsNamed();
    void statusLineIsReplacedAndKeepsItsSize();
    void noPortIsOpenedAtStart();

    void typingStopsAtLimit_data();
    void typingStopsAtLimit();
    void programTextIsShownWhole();
    void overlongFieldTakesNoMoreTyping();
    void pasteIsCutToLimit();
    void contextMenuPasteIsCutToLimit();
    void radioGroupSignalsUserClicksOnly();

    void placement_data();
    void placement();
    void windowOpensOnASmallScreen();

    void noDisplay_data();
    void noDisplay();
    void offscreenStillStarts_data();
    void offscreenStillStarts();

    void qtTextsArePolish();
    void qtTextsBesideTheProgramComeFirst_data();
    void qtTextsBesideTheProgramComeFirst();

private:
    TForm1 *form_ = nullptr;
    QWidget *control(const QString &objectName) const
    {
        return form_->findChild<QWidget *>(objectName, Qt::FindDirectChildrenOnly);
    }
};

void FormStartupTest::initTestCase()
{
    form_ = new TForm1;
}

void FormStartupTest::cleanupTestCase()
{
    delete form_;
}

void FormStartupTest::window()
{
    QCOMPARE(form_->objectName(), QStringLiteral("Form1"));
    QCOMPARE(form_->windowTitle(), QStringLiteral("Ostek Programator Vorna v.4"));
    QCOMPARE(form_->size(), QSize(1132, 611));
    QCOMPARE(form_->minimumSize(), QSize(1132, 611));
    QCOMPARE(form_->maximumSize(), QSize(1132, 611));
    const Qt::WindowFlags flags = form_->windowFlags();
    QVERIFY(flags.testFlag(Qt::Window));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY(!form_->windowIcon().isNull());
    QVERIFY(form_->windowIcon().availableSizes().contains(QSize(32, 32)));
}

void FormStartupTest::fonts()
{
    QCOMPARE(form_->font().families().value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(form_->font().pixelSize(), 11);
    QVERIFY(form_->font().families().size() > 1); // something to fall back on
    for (int n = 2; n <= 56; ++n) {
        const QFont f = form_->edit(n)->font();
        QCOMPARE(f.families().value(0), QStringLiteral("Courier"));
        QCOMPARE(f.pixelSize(), 11);
        QVERIFY(f.fixedPitch());
    }
    for (int n : {1, 57}) {
        QCOMPARE(form_->edit(n)->font().families().value(0), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form_->edit(n)->font().pixelSize(), 11);
    }
    QVERIFY(QFontInfo(form_->edit(2)->font()).fixedPitch());
}

void FormStartupTest::controlsExist_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("type");
    for (int n = 1; n <= 57; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << name("Edit", n) << "QLineEdit";
    for (int n = 1; n <= 46; ++n)
        QTest::newRow(qPrintable(name("Button", n))) << name("Button", n) << "QPushButton";
    for (int n = 1; n <= 20; ++n)
        QTest::newRow(qPrintable(name("SpeedButton", n))) << name("SpeedButton", n) << "QToolButton";
    for (int n = 1; n <= 140; ++n)
        QTest::newRow(qPrintable(name("CheckBox", n))) << name("CheckBox", n) << "QCheckBox";
    for (int n = 1; n <= 3; ++n)
        QTest::newRow(qPrintable(name("CGauge", n))) << name("CGauge", n) << "vorna::app::TCGauge";
    for (int n = 1; n <= 72; ++n)
        QTest::newRow(qPrintable(name("Label", n))) << name("Label", n) << "QLabel";
    QTest::newRow("RadioGroup1") << "RadioGroup1" << "vorna::app::RadioGroup";
}

void FormStartupTest::controlsExist()
{
    QFETCH(QString, objectName);
    QFETCH(QString, type);
    QWidget *w = control(objectName);
    QVERIFY2(w, qPrintable(objectName));
    QVERIFY(w->inherits(qPrintable(type)));
    QCOMPARE(form_->findChildren<QWidget *>(objectName).size(), 1);

    // The numbered accessors hand out the same control.
    static const QRegularExpression numbered(QStringLiteral("^([A-Za-z]+?)(\\d+)$"));
    const auto m = numbered.match(objectName);
    QVERIFY(m.hasMatch());
    const QString kind = m.captured(1);
    const int n = m.captured(2).toInt();
    QWidget *byNumber = kind == u"Edit"          ? static_cast<QWidget *>(form_->edit(n))
                        : kind == u"Button"      ? form_->button(n)
                        : kind == u"SpeedButton" ? form_->speedButton(n)
                        : kind == u"CheckBox"    ? form_->checkBox(n)
                        : kind == u"CGauge"      ? form_->gauge(n)
                        : kind == u"Label"       ? static_cast<QWidget *>(form_->label(n))
                                                 : form_->radioGroup1();
    QCOMPARE(byNumber, w);
}

void FormStartupTest::initialTexts_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("text");
    QTest::newRow("Edit1") << 1 << "COM2";
    QTest::newRow("Edit57") << 57 << "1";
    for (int n = 54; n <= 56; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << n << "100";
    for (int n = 2; n <= 33; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << n << "FFFFFFFFFF";
    for (int n = 34; n <= 53; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << n << "000";
}

void FormStartupTest::initialTexts()
{
    QFETCH(int, edit);
    QFETCH(QString, text);
    QCOMPARE(form_->edit(edit)->text(), text);
    QCOMPARE(form_->statusLine()->text(), QStringLiteral("..."));
}

void FormStartupTest::typingLimits_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<int>("limit");
    QTest::newRow("Edit1 unlimited") << 1 << 0;
    QTest::newRow("Edit57") << 57 << 3;
    for (int n = 54; n <= 56; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << n << 3;
    for (int n = 34; n <= 53; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << n << 3;
    for (int n = 2; n <= 33; ++n)
        QTest::newRow(qPrintable(name("Edit", n))) << n << 10;
}

void FormStartupTest::typingLimits()
{
    QFETCH(int, edit);
    QFETCH(int, limit);
    QCOMPARE(typingLimit(form_->edit(edit)), limit);
}

void FormStartupTest::enabledStates_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<bool>("enabled");
    auto add = [](const QString &n) { QTest::newRow(qPrintable(n)) << n << !needsPort(n); };
    for (int n = 1; n <= 46; ++n)
        add(name("Button", n));
    for (int n = 1; n <= 20; ++n)
        add(name("SpeedButton", n));
    for (int n = 1; n <= 57; ++n)
        add(name("Edit", n));
    for (int n = 1; n <= 140; ++n)
        add(name("CheckBox", n));
    add(QStringLiteral("RadioGroup1"));
}

void FormStartupTest::enabledStates()
{
    QFETCH(QString, objectName);
    QFETCH(bool, enabled);
    QWidget *w = control(objectName);
    QVERIFY(w);
    QCOMPARE(w->isEnabled(), enabled);
}

void FormStartupTest::geometry_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QRect>("place");
    const std::pair<const char *, QRect> rows[] = {
        {"Edit1", {32, 24, 49, 21}},         {"Button1", {88, 24, 81, 20}},
        {"Button38", {168, 24, 81, 20}},     {"Edit57", {300, 24, 33, 21}},
        {"Button46", {336, 24, 97, 20}},     {"RadioGroup1", {472, 8, 337, 41}},
        {"Button42", {936, 24, 81, 20}},     {"Button43", {1016, 24, 81, 20}},
        {"Edit56", {92, 64, 33, 21}},        {"Edit55", {228, 64, 33, 21}},
        {"Edit54", {356, 64, 33, 21}},       {"Button40", {472, 64, 169, 20}},
        {"Button39", {640, 64, 169, 20}},    {"Label3", {32, 98, 777, 13}},
        {"Edit2", {112, 120, 97, 21}},       {"Edit3", {112, 144, 97, 21}},
        {"Edit13", {112, 384, 97, 21}},      {"Edit14", {376, 176, 97, 21}},
        {"Edit23", {376, 392, 97, 21}},      {"Edit24", {648, 176, 97, 21}},
        {"Edit33", {648, 392, 97, 21}},      {"Button2", {216, 120, 67, 20}},
        {"Button13", {216, 384, 67, 20}},    {"Button14", {480, 176, 67, 20}},
        {"Button24", {752, 176, 67, 20}},    {"Button33", {752, 392, 67, 20}},
        {"Button35", {552, 120, 265, 20}},   {"Button34", {552, 144, 265, 20}},
        {"CGauge1", {296, 136, 249, 17}},    {"Label37", {328, 424, 177, 13}},
        {"Edit34", {112, 448, 33, 21}},      {"Edit38", {112, 544, 33, 21}},
        {"Edit39", {248, 448, 33, 21}},      {"Edit44", {384, 448, 33, 21}},
        {"Edit53", {520, 544, 33, 21}},      {"Button41", {146, 448, 12, 21}},
        {"Button36", {568, 520, 241, 20}},   {"Button37", {567, 544, 241, 20}},
        {"CGauge2", {568, 496, 241, 17}},    {"Label57", {600, 424, 177, 13}},
        {"SpeedButton1", {568, 440, 25, 25}}, {"SpeedButton10", {784, 440, 25, 25}},
        {"SpeedButton11", {568, 464, 25, 25}}, {"SpeedButton20", {784, 464, 25, 25}},
        {"Label65", {840, 96, 257, 13}},     {"Button44", {832, 120, 281, 20}},
        {"Button45", {832, 144, 281, 20}},   {"CGauge3", {832, 176, 281, 17}},
        {"CheckBox1", {840, 240, 30, 17}},   {"CheckBox20", {840, 544, 30, 17}},
        {"CheckBox21", {880, 240, 30, 17}},  {"CheckBox47", {920, 336, 30, 17}},
        {"CheckBox121", {1080, 240, 30, 17}}, {"CheckBox140", {1080, 544, 30, 17}},
        {"Label1", {32, 580, 1073, 13}},
    };
    for (const auto &[n, r] : rows)
        QTest::newRow(n) << QString::fromLatin1(n) << r;
}

void FormStartupTest::geometry()
{
    QFETCH(QString, objectName);
    QFETCH(QRect, place);
    QWidget *w = control(objectName);
    QVERIFY(w);
    QCOMPARE(w->parentWidget(), form_);
    QCOMPARE(w->geometry(), place);
}

void FormStartupTest::cardLabels_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    struct Row {
        int label;
        const char *text;
        QColor colour;
    };
    const Row rows[32] = {
        {4, "Karta Master 1", kRed},      {5, "Karta Master 2", kRed},
        {6, "Karta Obsługa 1", kNavy},    {7, "Karta Obsługa 2", kNavy},
        {8, "Karta Obsługa 3", kNavy},    {13, "Karta Opiekun 1", kMaroon},
        {14, "Karta Opiekun 2", kMaroon}, {15, "Karta Opiekun 3", kMaroon},
        {9, "Karta Opiekun 4", kMaroon},  {10, "Karta Opiekun 5", kMaroon},
        {11, "Karta Opiekun 6", kMaroon}, {12, "Karta Opiekun 7", kMaroon},
        {16, "Pasek Szafka 1", kGreen},   {17, "Pasek Szafka 2", kGreen},
        {18, "Pasek Szafka 3", kGreen},   {19, "Pasek Szafka 4", kGreen},
        {20, "Pasek Szafka 5", kGreen},   {21, "Pasek Szafka 6", kGreen},
        {22, "Pasek Szafka 7", kGreen},   {23, "Pasek Szafka 8", kGreen},
        {24, "Pasek Szafka 9", kGreen},   {25, "Pasek Szafka 10", kGreen},
        {26, "Pasek Szafka11", kGreen},   {27, "Pasek Szafka 12", kGreen},
        {28, "Pasek Szafka 13", kGreen},  {29, "Pasek Szafka 14", kGreen},
        {30, "Pasek Szafka 15", kGreen},  {31, "Pasek Szafka 16", kGreen},
        {32, "PasekSzafka 17", kGreen},   {33, "Pasek Szafka 18", kGreen},
        {34, "Pasek Szafka 19", kGreen},  {35, "Pasek Szafka 20", kGreen},
    };
    for (int k = 2; k <= 33; ++k) {
        const Row &r = rows[k - 2];
        QTest::newRow(qPrintable(name("Edit", k)))
            << k << r.label << QString::fromUtf8(r.text) << r.colour;
    }
}

void FormStartupTest::cardLabels()
{
    QFETCH(int, edit);
    QFETCH(int, label);
    QFETCH(QString, text);
    QFETCH(QColor, colour);
    QLabel *l = form_->label(label);
    QLineEdit *e = form_->edit(edit);
    QPushButton *capture = form_->button(edit);
    QCOMPARE(l->text(), text);
    QCOMPARE(textColour(l, QPalette::WindowText), colour);
    const int labelLeft = edit <= 13 ? 24 : edit <= 23 ? 292 : 560;
    QCOMPARE(l->pos(), QPoint(labelLeft, e->y() + 4));
    QCOMPARE(l->height(), 13);
    QVERIFY(l->width() > 0 && l->x() + l->width() <= e->x()); // clear of its field
    QCOMPARE(e->size(), QSize(97, 21));
    QCOMPARE(capture->text(), QStringLiteral("Z czytnika"));
    QCOMPARE(capture->geometry(), QRect(e->x() + 104, e->y(), 67, 20));
    QCOMPARE(e->accessibleName(), text);
    QCOMPARE(capture->accessibleName(), QStringLiteral("Z czytnika - ") + text);
}

void FormStartupTest::otherLabels_data()
{
    QTest::addColumn<int>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<bool>("bold");
    const QColor plain = QColor(); // window text
    auto row = [](int n, const char *text, QPoint at, QColor colour, bool bold) {
        QTest::newRow(qPrintable(name("Label", n))) << n << QString::fromUtf8(text) << at << colour
                                                    << bold;
    };
    row(2, "Numer portu COM", {32, 8}, plain, false);
    row(68, "Adres urządzenia ", {308, 8}, plain, false);
    row(60, "Użytkownik:", {30, 70}, kGreen, false);
    row(61, "Obsługa:", {182, 68}, kNavy, false);
    row(67, "Opiekun:", {310, 66}, kMaroon, false);
    row(58, "x 0,1s", {128, 68}, plain, false);
    row(59, "x 0,1s", {264, 68}, plain, false);
    row(66, "x 0,1s", {392, 68}, plain, false);
    row(3, "Numery kart RFID", {32, 98}, plain, true);
    row(37, "Numery szafek na LED", {328, 424}, plain, true);
    row(57, "Otwieranie szafek", {600, 424}, plain, true);
    row(65, "Ustawienie kart Opiekun", {840, 96}, plain, true);
    row(36, "Numer szafki 1", {32, 452}, plain, false);
    row(38, "Numer szafki 2", {32, 476}, plain, false);
    row(42, "Numer szafki 6", {168, 452}, plain, false);
    row(56, "Numer szafki 20", {440, 548}, plain, false);
    const int opHeaders[] = {62, 63, 64, 69, 70, 71, 72};
    for (int g = 1; g <= 7; ++g)
        row(opHeaders[g - 1], qPrintable(QStringLiteral("Op.%1").arg(g)),
            {840 + 40 * (g - 1), 217}, kMaroon, false);
    row(1, "...", {32, 580}, plain, false);
}

void FormStartupTest::otherLabels()
{
    QFETCH(int, label);
    QFETCH(QString, text);
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    QFETCH(bool, bold);
    QLabel *l = form_->label(label);
    QCOMPARE(l->text(), text);
    QCOMPARE(l->pos(), at);
    QCOMPARE(l->height(), 13);
    QCOMPARE(l->font().bold(), bold);
    const QColor expected =
        colour.isValid() ? colour : form_->palette().color(QPalette::Active, QPalette::WindowText);
    QCOMPARE(textColour(l, QPalette::WindowText), expected);
}

void FormStartupTest::buttonCaptions_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QColor>("colour");
    auto row = [](int n, const char *caption, bool bold, QColor colour) {
        QTest::newRow(qPrintable(name("Button", n))) << n << QString::fromUtf8(caption) << bold
                                                     << colour;
    };
    row(1, "Otwórz port", false, {});
    row(38, "Zamknij port", false, {});
    row(46, "Zapisz Adres", true, kGreen);
    row(42, "Odczyt z Pliku", false, {});
    row(43, "Zapis do Pliku", false, {});
    row(40, "Odczytaj czas otwarcia", true, kGreen);
    row(39, "Zapisz czas otwarcia", true, {});
    row(35, "Odczytaj dane kart", true, kGreen);
    row(34, "Zapisz dane kart", true, kRed);
    row(41, "-", false, {});
    row(36, "Odczytaj dane", true, {});
    row(37, "Zapisz dane", true, {});
    row(44, "Odczyt ustawienia kart opiekun", true, {});
    row(45, "Zapis ustawienia kart opiekun", true, {});
}

void FormStartupTest::buttonCaptions()
{
    QFETCH(int, button);
    QFETCH(QString, caption);
    QFETCH(bool, bold);
    QFETCH(QColor, colour);
    QPushButton *b = form_->button(button);
    QCOMPARE(b->text(), caption);
    QCOMPARE(b->font().bold(), bold);
    QCOMPARE(b->font().pixelSize(), button == 45 ? 9 : 11);
    const QColor expected =
        colour.isValid() ? colour : form_->palette().color(QPalette::Active, QPalette::ButtonText);
    QCOMPARE(textColour(b, QPalette::ButtonText), expected);
    QCOMPARE(b->toolTip(), button == 41 ? QStringLiteral("Autonumeracja") : QString());
}

void FormStartupTest::lockerButtons()
{
    for (int n = 1; n <= 20; ++n) {
        QToolButton *b = form_->speedButton(n);
        QCOMPARE(b->text(), QString::number(n));
        QVERIFY(b->autoRaise());
        QVERIFY(b->font().bold());
        QCOMPARE(textColour(b, QPalette::ButtonText), kTeal);
        QCOMPARE(b->geometry(),
                 QRect(568 + 24 * ((n - 1) % 10), 440 + 24 * ((n - 1) / 10), 25, 25));
        QCOMPARE(b->accessibleName(), QStringLiteral("Otwórz szafkę %1").arg(n));
    }
}

void FormStartupTest::guardianGrid()
{
    for (int g = 1; g <= 7; ++g) {
        for (int n = 1; n <= 20; ++n) {
            QCheckBox *box = form_->checkBox(20 * (g - 1) + n);
            QCOMPARE(box->text(), QString::number(n));
            QVERIFY(!box->isChecked());
            QCOMPARE(box->geometry(), QRect(840 + 40 * (g - 1), 240 + 16 * (n - 1), 30, 17));
            QCOMPARE(box->layoutDirection(), Qt::RightToLeft); // caption left of the box
            QCOMPARE(box->accessibleName(), QStringLiteral("Op.%1 szafka %2").arg(g).arg(n));
        }
    }
}

void FormStartupTest::cardTypeSelector()
{
    RadioGroup *group = form_->radioGroup1();
    QCOMPARE(group->title(), QStringLiteral(" Typ karty "));
    QCOMPARE(group->count(), 3);
    QCOMPARE(group->item(0)->text(), QStringLiteral("Unique"));
    QCOMPARE(group->item(1)->text(), QStringLiteral("MiFare 4B"));
    QCOMPARE(group->item(2)->text(), QStringLiteral("MiFare 7B"));
    QVERIFY(group->item(0)->isChecked());
    QCOMPARE(group->itemIndex(), 0);
    QCOMPARE(form_->cardTypeIndex(), 0);
    // Three columns side by side, inside the frame.
    QCOMPARE(group->item(0)->y(), group->item(1)->y());
    QCOMPARE(group->item(1)->y(), group->item(2)->y());
    QVERIFY(group->item(0)->x() < group->item(1)->x());
    QVERIFY(group->item(1)->x() < group->item(2)->x());
    QVERIFY(group->rect().contains(group->item(2)->geometry()));
}

void FormStartupTest::gauges()
{
    const int maxima[] = {32, 20, 7};
    for (int n = 1; n <= 3; ++n) {
        QCOMPARE(form_->gauge(n)->maxValue(), maxima[n - 1]);
        QCOMPARE(form_->gauge(n)->progress(), 0);
    }
}

void FormStartupTest::accessibleNames_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("accessible");
    auto row = [](const char *n, const char *a) {
        QTest::newRow(n) << QString::fromLatin1(n) << QString::fromUtf8(a);
    };
    row("Edit1", "Numer portu COM");
    row("Edit57", "Adres urządzenia");
    row("Edit2", "Karta Master 1");
    row("Edit24", "Pasek Szafka11");
    row("Edit34", "Numer szafki 1");
    row("Edit40", "Numer szafki 7");
    row("Edit53", "Numer szafki 20");
    row("CheckBox1", "Op.1 szafka 1");
    row("CheckBox132", "Op.7 szafka 12");
    row("Button2", "Z czytnika - Karta Master 1");
    row("Button33", "Z czytnika - Pasek Szafka 20");
    row("SpeedButton7", "Otwórz szafkę 7");
    row("Button41", "Autonumeracja");
    row("Button1", "Otwórz port");
    row("RadioGroup1", "Typ karty");
}

void FormStartupTest::accessibleNames()
{
    QFETCH(QString, objectName);
    QFETCH(QString, accessible);
    QWidget *w = control(objectName);
    QVERIFY(w);
    QCOMPARE(w->accessibleName(), accessible);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
    QVERIFY(iface);
    QCOMPARE(iface->text(QAccessible::Name), accessible);
}

void FormStartupTest::everyControlIsNamed()
{
    const auto children = form_->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    int checked = 0;
    for (QWidget *w : children) {
        if (qobject_cast<QLabel *>(w))
            continue; // a label's text is its name
        QVERIFY2(!w->accessibleName().trimmed().isEmpty(), qPrintable(w->objectName()));
        ++checked;
    }
    QCOMPARE(checked, 57 + 46 + 20 + 140 + 3 + 1);
    QCOMPARE(form_->edit(56)->accessibleName(), QStringLiteral("Czas otwarcia Użytkownik (x 0,1s)"));
    QCOMPARE(form_->edit(54)->accessibleName(), QStringLiteral("Czas otwarcia Opiekun (x 0,1s)"));
}

void FormStartupTest::statusLineIsReplacedAndKeepsItsSize()
{
    TForm1 form;
    form.setStatus(QStringLiteral("Port Otwarty"));
    QCOMPARE(form.statusLine()->text(), QStringLiteral("Port Otwarty"));
    const QString longText(300, u'x');
    form.setStatus(longText);
    QCOMPARE(form.statusLine()->text(), longText);
    form.setStatus(QStringLiteral("<b>a</b>"));
    QCOMPARE(form.statusLine()->textFormat(), Qt::PlainText);
    QCOMPARE(form.statusLine()->geometry(), QRect(32, 580, 1073, 13));
    QCOMPARE(form.label(1), form.statusLine());
}

void FormStartupTest::noPortIsOpenedAtStart()
{
    QVERIFY(!form_->port().isOpen());
    QVERIFY(!form_->exchange().portOpen());
}

void FormStartupTest::typingStopsAtLimit_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("Edit57") << 57 << "12345" << "123";
    QTest::newRow("Edit56") << 56 << "2550" << "255";
    QTest::newRow("Edit34") << 34 << "0123" << "012";
    QTest::newRow("Edit53") << 53 << "999999" << "999";
    QTest::newRow("Edit2") << 2 << "0123456789ABCD" << "0123456789";
    QTest::newRow("Edit33") << 33 << "AABBCCDDEEFF" << "AABBCCDDEE";
    QTest::newRow("Edit1 has no limit") << 1 << "/dev/ttyUSB0-long-name" << "/dev/ttyUSB0-long-name";
}

void FormStartupTest::typingStopsAtLimit()
{
    QFETCH(int, edit);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    TForm1 form;
    QLineEdit *e = form.edit(edit);
    e->clear();
    QTest::keyClicks(e, typed);
    QCOMPARE(e->text(), kept);
    // Backspace and typing again still work at the limit.
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, QStringLiteral("7"));
    QCOMPARE(e->text(), kept.chopped(1) + u'7');
}

void FormStartupTest::programTextIsShownWhole()
{
    TForm1 form;
    const QString card14 = QStringLiteral("0123456789ABCD");
    form.edit(2)->setText(card14);
    QCOMPARE(form.edit(2)->text(), card14);
    form.edit(40)->setText(QStringLiteral("12345"));
    QCOMPARE(form.edit(40)->text(), QStringLiteral("12345"));
    form.edit(57)->setText(QStringLiteral("0x1F"));
    QCOMPARE(form.edit(57)->text(), QStringLiteral("0x1F"));
    // A tighter limit leaves what is already there.
    setTypingLimit(form.edit(2), 8);
    QCOMPARE(form.edit(2)->text(), card14);
    QCOMPARE(typingLimit(form.edit(2)), 8);
}

void FormStartupTest::overlongFieldTakesNoMoreTyping()
{
    TForm1 form;
    QLineEdit *e = form.edit(2);
    e->setText(QStringLiteral("0123456789ABCD"));
    QTest::keyClicks(e, QStringLiteral("E"));
    QCOMPARE(e->text(), QStringLiteral("0123456789ABCD"));
    QTest::keyClick(e, Qt::Key_Backspace);
    QCOMPARE(e->text(), QStringLiteral("0123456789ABC"));
    // Typing over a selection replaces it when the result fits.
    e->selectAll();
    QTest::keyClicks(e, QStringLiteral("AB"));
    QCOMPARE(e->text(), QStringLiteral("AB"));
}

void FormStartupTest::pasteIsCutToLimit()
{
    TForm1 form;
    QLineEdit *e = form.edit(57);
    QGuiApplication::clipboard()->setText(QStringLiteral("98765"));
    e->clear();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e->text(), QStringLiteral("987"));
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier); // full: nothing more
    QCOMPARE(e->text(), QStringLiteral("987"));
    e->selectAll();
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e->text(), QStringLiteral("987"));

    // Edit1 takes a paste of any length.
    form.edit(1)->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("/dev/serial/by-id/usb-1"));
    QTest::keyClick(form.edit(1), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(form.edit(1)->text(), QStringLiteral("/dev/serial/by-id/usb-1"));
}

void FormStartupTest::contextMenuPasteIsCutToLimit()
{
    TForm1 form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLineEdit *e = form.edit(3);
    e->setText(QStringLiteral("AB"));
    e->setCursorPosition(2);
    QGuiApplication::clipboard()->setText(QStringLiteral("CDEFGHIJKLMNOP"));

    bool triggered = false;
    QTimer watcher;
    watcher.setInterval(0);
    connect(&watcher, &QTimer::timeout, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        if (QAction *paste = standardPasteAction(menu)) {
            paste->trigger();
            triggered = true;
        }
        menu->close();
    });
    watcher.start();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(5, 5), e->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(e, &event);
    watcher.stop();
    QVERIFY(triggered);
    QCOMPARE(e->text(), QStringLiteral("ABCDEFGHIJ"));
}

void FormStartupTest::radioGroupSignalsUserClicksOnly()
{
    RadioGroup group(QStringLiteral(" Typ karty "),
                     {QStringLiteral("Unique"), QStringLiteral("MiFare 4B"),
                      QStringLiteral("MiFare 7B")},
                     3);
    group.resize(337, 41);
    group.show();
    QVERIFY(QTest::qWaitForWindowExposed(&group));
    group.setItemIndex(0);
    QSignalSpy clicks(&group, &RadioGroup::itemClicked);
    group.setItemIndex(2);
    QCOMPARE(group.itemIndex(), 2);
    QCOMPARE(clicks.size(), 0);
    QTest::mouseClick(group.item(1), Qt::LeftButton);
    QCOMPARE(group.itemIndex(), 1);
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(clicks.at(0).at(0).toInt(), 1);
    group.setItemIndex(-1);
    QCOMPARE(group.itemIndex(), -1);
}

void FormStartupTest::placement_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QMargins>("margins");
    QTest::addColumn<QPoint>("expected");
    const QMargins none, framed(4, 30, 4, 4);
    // The window is 1132 x 611; framed, 1140 x 645.
    QTest::newRow("fits, no frame") << QRect(0, 0, 1920, 1040) << none << QPoint(394, 214);
    QTest::newRow("fits, framed") << QRect(0, 0, 1920, 1040) << framed << QPoint(390, 197);
    QTest::newRow("exactly fits") << QRect(0, 0, 1140, 645) << framed << QPoint(0, 0);
    QTest::newRow("1366 x 768 at scale 1.5") << QRect(0, 0, 910, 486) << framed << QPoint(0, 0);
    QTest::newRow("too narrow only") << QRect(0, 0, 1024, 738) << framed << QPoint(0, 46);
    QTest::newRow("too low only") << QRect(0, 0, 1280, 600) << framed << QPoint(70, 0);
    QTest::newRow("frame one pixel too wide") << QRect(0, 0, 1139, 700) << framed << QPoint(0, 27);
    QTest::newRow("second screen, task bar on top") << QRect(1920, 30, 1280, 994) << framed << QPoint(1990, 204);
    QTest::newRow("screen left of the primary, too small") << QRect(-1024, -100, 1024, 600) << framed
                                                           << QPoint(-1024, -100);
}

void FormStartupTest::placement()
{
    QFETCH(QRect, available);
    QFETCH(QMargins, margins);
    QFETCH(QPoint, expected);
    const QSize frame = QSize(1132, 611).grownBy(margins);
    const QPoint at = frameTopLeft(available, frame);
    QCOMPARE(at, expected);
    // What the rule promises, whatever the numbers: the top-left corner on the screen,
    // and the whole frame inside it in each direction where it fits.
    const QRect placed(at, frame);
    QVERIFY(available.contains(placed.topLeft()));
    if (frame.width() <= available.width())
        QVERIFY(placed.left() >= available.left() && placed.right() <= available.right());
    if (frame.height() <= available.height())
        QVERIFY(placed.top() >= available.top() && placed.bottom() <= available.bottom());
}

// Qt's offscreen screen is 800 x 800, narrower than the window, and gives every
// window a frame of 2 pixels.
void FormStartupTest::windowOpensOnASmallScreen()
{
    TForm1 form;
    placeOnScreen(form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect available = form.screen()->availableGeometry();
    const QRect frame = form.frameGeometry();
    QVERIFY2(available.width() < frame.width() && available.height() > frame.height(),
             qPrintable(QStringLiteral("screen %1 x %2").arg(available.width()).arg(available.height())));
    QCOMPARE(frame.topLeft(), QPoint(available.left(), available.top() + (available.height() - frame.height()) / 2));
    QVERIFY(frame.top() >= available.top() && frame.bottom() <= available.bottom());
}

namespace {

// The real program, in an environment of only the given variables.
void startWindowProgram(QProcess &process, const QStringList &variables, const QStringList &args)
{
    QProcessEnvironment env;
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8")); // never an empty environment: Qt would inherit ours
    for (const QString &v : variables)
        env.insert(v.section(u'=', 0, 0), v.section(u'=', 1));
    process.setProcessEnvironment(env);
    process.start(vorna::test::builtProgram("src/app/vorna"), args);
}

} // namespace

void FormStartupTest::noDisplay_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("named"); // what the line must name
    QTest::newRow("no display at all") << QStringList() << QStringList() << "DISPLAY";
    QTest::newRow("DISPLAY naming no server") << QStringList{"DISPLAY=:7391"} << QStringList() << "DISPLAY=:7391";
    QTest::newRow("QT_QPA_PLATFORM=xcb without DISPLAY") << QStringList{"QT_QPA_PLATFORM=xcb"} << QStringList()
                                                         << "platforma xcb";
    QTest::newRow("-platform xcb without DISPLAY") << QStringList() << QStringList{"-platform", "xcb"}
                                                   << "platforma xcb";
}

// One Polish line on stderr and exit code 1: no abort, no core dump.
void FormStartupTest::noDisplay()
{
#ifdef Q_OS_WIN
    QSKIP("Windows always has its own display");
#endif
    QFETCH(QStringList, variables);
    QFETCH(QStringList, args);
    QFETCH(QString, named);
    QProcess process;
    startWindowProgram(process, variables, args);
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 1);
    QVERIFY2(err.endsWith(u'\n') && err.count(u'\n') == 1, qPrintable(err));
    QVERIFY2(err.startsWith(QStringLiteral("vorna: ")) && err.contains(named) && err.contains(QStringLiteral("ekranu")),
             qPrintable(err));
    QVERIFY2(!err.contains(QStringLiteral("Reinstalling")), qPrintable(err));
}

void FormStartupTest::offscreenStillStarts_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("QT_QPA_PLATFORM=offscreen") << QStringList{"QT_QPA_PLATFORM=offscreen"} << QStringList();
    QTest::newRow("-platform offscreen") << QStringList() << QStringList{"-platform", "offscreen"};
    QTest::newRow("--platform offscreen") << QStringList() << QStringList{"--platform", "offscreen"};
}

// A platform chosen by name starts without a display: the program is still running
// (a slow start only makes this easier to pass), and is then ended.
void FormStartupTest::offscreenStillStarts()
{
#ifdef Q_OS_WIN
    QSKIP("Windows always has its own display");
#endif
    QFETCH(QStringList, variables);
    QFETCH(QStringList, args);
    QProcess process;
    startWindowProgram(process, variables, args);
    QVERIFY(process.waitForStarted(30000));
    const bool ended = process.waitForFinished(1500);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    process.kill();
    process.waitForFinished(30000);
    QVERIFY2(!ended, qPrintable(QStringLiteral("exit %1: %2").arg(process.exitCode()).arg(err)));
}

namespace {

QString qtTranslationsPath()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

// Translators installed for one test and taken away after it.
struct InstalledQtTexts {
    QTranslator *base;
    explicit InstalledQtTexts(const QString &programFolder)
        : base(vorna::app::installQtTexts(*QCoreApplication::instance(), programFolder)) {}
    ~InstalledQtTexts()
    {
        for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
};

} // namespace

// The edit fields' context menu and the project dialogs' own labels and buttons. The
// catalogue is loaded by name, not by the system's language.
void FormStartupTest::qtTextsArePolish()
{
    if (!QFile::exists(qtTranslationsPath() + QStringLiteral("/qtbase_pl.qm")))
        QSKIP("qtbase_pl.qm is not installed (Debian: qt6-translations-l10n)");
    const InstalledQtTexts texts(QCoreApplication::applicationDirPath());
    TForm1 form;
    std::unique_ptr<QMenu> menu(form.edit(2)->createStandardContextMenu());
    QStringList entries;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            entries << action->text().section(u'\t', 0, 0);
    }
    QCOMPARE(entries, QStringList({"&Cofnij", "&Przywróć", "W&ytnij", "S&kopiuj", "&Wklej", "Usuń", "Zaznacz wszystko"}));
    // The typing limit still finds its paste entry under the Polish text.
    QAction *paste = standardPasteAction(menu.get());
    QVERIFY(paste);
    QCOMPARE(paste->text().section(u'\t', 0, 0), QStringLiteral("&Wklej"));

    QFileDialog dialog(&form);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList buttons;
    for (const QAbstractButton *button : dialog.findChild<QDialogButtonBox *>()->buttons())
        buttons << button->text();
    QCOMPARE(buttons, QStringList({"&Otwórz", "Anuluj"}));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("Szukaj w:"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("fileNameLabel"))->text(), QStringLiteral("Nazwa &pliku:"));
    QVERIFY(texts.base);
}

void FormStartupTest::qtTextsBesideTheProgramComeFirst_data()
{
    QTest::addColumn<bool>("folder");    // translations/ beside the program
    QTest::addColumn<bool>("catalogue"); // qtbase_pl.qm in it
    QTest::newRow("catalogue beside the program") << true << true;
    QTest::newRow("folder beside the program without it") << true << false;
    QTest::newRow("no folder beside the program") << false << false;
}

void FormStartupTest::qtTextsBesideTheProgramComeFirst()
{
    QFETCH(bool, folder);
    QFETCH(bool, catalogue);
    const QString qt = qtTranslationsPath() + QStringLiteral("/qtbase_pl.qm");
    if (!QFile::exists(qt))
        QSKIP("qtbase_pl.qm is not installed (Debian: qt6-translations-l10n)");
    QTemporaryDir program;
    const QString beside = program.filePath(QStringLiteral("translations"));
    if (folder)
        QVERIFY(QDir().mkdir(beside));
    if (catalogue)
        QVERIFY(QFile::copy(qt, beside + QStringLiteral("/qtbase_pl.qm")));
    const InstalledQtTexts texts(program.path());
    QVERIFY(texts.base);
    QCOMPARE(QFileInfo(texts.base->filePath()).canonicalFilePath(),
             QFileInfo(catalogue ? beside + QStringLiteral("/qtbase_pl.qm") : qt).canonicalFilePath());
    QCOMPARE(QLineEdit::tr("&Paste"), QStringLiteral("&Wklej"));
}

#include "support/gui_suite.h"
VORNA_GUI_TEST_MAIN(tst_form_startup, FormStartupTest)
#include "tst_form_startup.moc"
