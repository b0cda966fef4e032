#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QtTest>

#include "app/icon.h"

// The installed icons and desktop entry are committed files; these checks keep them in
// step with the window's own icon.
class IconFilesTest : public QObject {
    Q_OBJECT
private slots:
    void pngsAreTheWindowIcon_data();
    void pngsAreTheWindowIcon();
    void desktopEntry();
};

namespace {

QString dataPath(const QString &relative)
{
    return QString::fromUtf8(VORNA_SOURCE_DIR "/data/") + relative;
}

} // namespace

void IconFilesTest::pngsAreTheWindowIcon_data()
{
    QTest::addColumn<int>("size");
    for (int size : {32, 64, 128})
        QTest::newRow(qPrintable(QString::number(size))) << size;
}

void IconFilesTest::pngsAreTheWindowIcon()
{
    QFETCH(int, size);
    const QString path = dataPath(QStringLiteral("icons/vorna-%1.png").arg(size));
    QImage file(path);
    QVERIFY2(!file.isNull(), qPrintable(path));
    QCOMPARE(file.size(), QSize(size, size));
    const QImage base = vorna::app::vornaIcon().pixmap(32, 32).toImage();
    QCOMPARE(base.size(), QSize(32, 32));
    const int scale = size / 32;
    file = file.convertToFormat(QImage::Format_ARGB32);
    const QImage icon = base.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (file.pixel(x, y) != icon.pixel(x / scale, y / scale))
                QFAIL(qPrintable(QStringLiteral("%1: pixel %2,%3 differs; run the vorna-icons target")
                                     .arg(path).arg(x).arg(y)));
    // Transparent around the picture, opaque inside it.
    QCOMPARE(qAlpha(file.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(file.pixel(2 * scale, scale)), 255);
}

void IconFilesTest::desktopEntry()
{
    QFile file(dataPath(QStringLiteral("vorna.desktop")));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QMap<QString, QString> keys;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
    for (const QString &line : lines.mid(1)) {
        const qsizetype eq = line.indexOf(u'=');
        QVERIFY2(eq > 0, qPrintable(line));
        QVERIFY2(!keys.contains(line.left(eq)), qPrintable(line));
        keys.insert(line.left(eq), line.mid(eq + 1));
    }
    QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(keys.value("Name"), QStringLiteral("Vorna"));
    QCOMPARE(keys.value("Exec"), QStringLiteral("vorna"));
    QCOMPARE(keys.value("Icon"), QStringLiteral("vorna"));
    QCOMPARE(keys.value("Terminal"), QStringLiteral("false"));
    QCOMPARE(keys.value("Categories"), QStringLiteral("Utility;Electronics;"));
    QVERIFY(!keys.value("Comment").isEmpty());
    QVERIFY(!keys.value("Comment[pl]").isEmpty());
    QVERIFY(keys.value("Comment") != keys.value("Comment[pl]"));
}

QTEST_MAIN(IconFilesTest)
#include "tst_icon_files.moc"
