// SPDX-License-Identifier: GPL-3.0-or-later
#include <QImage>
#include <QtTest>

#include "app/tcgauge.h"

using vorna::app::TCGauge;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget *watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

enum class Shade { Dark, Light };

// Text is antialiased, so a glyph's pixels are only near black or near white.
bool hasPixel(const QImage &image, const QRect &area, Shade shade)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const int grey = qGray(image.pixel(x, y));
            if (shade == Shade::Dark ? grey < 64 : grey > 192)
                return true;
        }
    return false;
}

} // namespace

class GaugeTest : public QObject {
    Q_OBJECT
private slots:
    void startsEmpty();
    void progressIsClamped_data();
    void progressIsClamped();
    void percentRoundsDown_data();
    void percentRoundsDown();
    void lowerMaximumClampsProgress();
    void repaintsAtOnceOnlyWhenPercentChanges();
    void drawsBarAndInvertedText();
};

void GaugeTest::startsEmpty()
{
    TCGauge gauge;
    QCOMPARE(gauge.progress(), 0);
    QCOMPARE(gauge.percent(), 0);
}

void GaugeTest::progressIsClamped_data()
{
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("set");
    QTest::addColumn<int>("kept");

    QTest::newRow("inside") << 32 << 17 << 17;
    QTest::newRow("at maximum") << 7 << 7 << 7;
    QTest::newRow("above maximum") << 32 << 40 << 32;
    QTest::newRow("far above") << 20 << 1000000 << 20;
    QTest::newRow("negative") << 32 << -5 << 0;
    QTest::newRow("int minimum") << 20 << INT_MIN << 0;
    QTest::newRow("maximum zero") << 0 << 5 << 0;
}

void GaugeTest::progressIsClamped()
{
    QFETCH(int, maxValue);
    QFETCH(int, set);
    QFETCH(int, kept);
    TCGauge gauge;
    gauge.setMaxValue(maxValue);
    gauge.setProgress(set);
    QCOMPARE(gauge.progress(), kept);
}

void GaugeTest::percentRoundsDown_data()
{
    QTest::addColumn<int>("maxValue");
    QTest::addColumn<int>("progress");
    QTest::addColumn<int>("percent");

    QTest::newRow("1 of 32") << 32 << 1 << 3;
    QTest::newRow("31 of 32") << 32 << 31 << 96;
    QTest::newRow("1 of 7") << 7 << 1 << 14;
    QTest::newRow("6 of 7") << 7 << 6 << 85;
    QTest::newRow("7 of 7") << 7 << 7 << 100;
    QTest::newRow("19 of 20") << 20 << 19 << 95;
    QTest::newRow("2 of 3") << 3 << 2 << 66;
    QTest::newRow("none of 32") << 32 << 0 << 0;
    QTest::newRow("maximum zero") << 0 << 0 << 0;
    QTest::newRow("large maximum") << 2000000000 << 1999999999 << 99;
}

void GaugeTest::percentRoundsDown()
{
    QFETCH(int, maxValue);
    QFETCH(int, progress);
    QFETCH(int, percent);
    TCGauge gauge;
    gauge.setMaxValue(maxValue);
    gauge.setProgress(progress);
    QCOMPARE(gauge.percent(), percent);
}

void GaugeTest::lowerMaximumClampsProgress()
{
    TCGauge gauge;
    gauge.setMaxValue(32);
    gauge.setProgress(30);
    gauge.setMaxValue(20);
    QCOMPARE(gauge.progress(), 20);
    QCOMPARE(gauge.percent(), 100);
    gauge.setMaxValue(-3);
    QCOMPARE(gauge.maxValue(), 0);
    QCOMPARE(gauge.progress(), 0);
}

void GaugeTest::repaintsAtOnceOnlyWhenPercentChanges()
{
    TCGauge gauge;
    gauge.resize(249, 17);
    gauge.setMaxValue(300);
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    QCoreApplication::processEvents();
    PaintCounter paints(&gauge);

    // No event loop runs between the calls and the checks: a repaint must be immediate.
    gauge.setProgress(2); // 0% -> 0%
    QCOMPARE(paints.count, 0);
    gauge.setProgress(3); // 1%
    QCOMPARE(paints.count, 1);
    gauge.setProgress(3); // same progress
    QCOMPARE(paints.count, 1);
    gauge.setProgress(5); // still 1%
    QCOMPARE(paints.count, 1);
    gauge.setProgress(6); // 2%
    QCOMPARE(paints.count, 2);
    gauge.setProgress(1000); // clamped to 300: 100%
    QCOMPARE(paints.count, 3);
    gauge.setProgress(400); // clamped to 300 again: nothing new
    QCOMPARE(paints.count, 3);
    gauge.setProgress(-1); // 0%
    QCOMPARE(paints.count, 4);
    QCOMPARE(gauge.progress(), 0);
}

void GaugeTest::drawsBarAndInvertedText()
{
    TCGauge gauge;
    gauge.resize(200, 17);
    gauge.setMaxValue(20);

    constexpr Shade black = Shade::Dark;
    constexpr Shade white = Shade::Light;
    const QRect leftEnd(3, 3, 20, 10);   // clear of the centred text
    const QRect rightEnd(176, 3, 20, 10);

    QImage empty = gauge.grab().toImage();
    QCOMPARE(empty.pixel(0, 0) & 0xFFFFFF, 0u); // the border
    QCOMPARE(empty.pixel(199, 16) & 0xFFFFFF, 0u);
    QCOMPARE(empty.pixel(5, 8) & 0xFFFFFF, 0xFFFFFFu);
    QVERIFY(!hasPixel(empty, leftEnd, black));
    QVERIFY(!hasPixel(empty, rightEnd, black));

    gauge.setProgress(10); // 50%: the bar ends under the middle of the text
    QImage half = gauge.grab().toImage();
    QVERIFY(!hasPixel(half, leftEnd, white));
    QVERIFY(!hasPixel(half, rightEnd, black));
    const QRect textLeft(80, 3, 19, 11);
    const QRect textRight(101, 3, 19, 11);
    QVERIFY2(hasPixel(half, textLeft, white), "text over the bar is drawn white");
    QVERIFY2(hasPixel(half, textRight, black), "text beside the bar is drawn black");

    gauge.setProgress(20);
    QImage full = gauge.grab().toImage();
    QVERIFY(!hasPixel(full, rightEnd, white));
    QVERIFY2(hasPixel(full, QRect(80, 3, 40, 11), white), "100% reads white on the bar");
}

#include "support/gui_suite.h"
VORNA_GUI_TEST_MAIN(tst_gauge, GaugeTest)
#include "tst_gauge.moc"
