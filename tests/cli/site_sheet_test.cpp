// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "cli/site_sheet.h"
#include "ops/card_numbers.h"
#include "project/key_table.h"
#include "project/project_file.h"
#include "support/pdf_tools.h"

namespace vorna::cli {
namespace {

namespace mem = link::memory;

QString goldenPath(const char *name)
{
    return QString::fromUtf8(VORNA_SOURCE_DIR "/tests/project/data/") + QLatin1String(name);
}

// The sheet of a file of tests/project/data, as the report command would make it.
SiteSheet loadSheet(const char *name)
{
    SiteSheet sheet;
    sheet.fileName = QString::fromLatin1(name);
    sheet.date = QDate(2026, 3, 14);
    sheet.cardType = ops::Mifare4B;
    QString error;
    const auto settings = project::loadProject(goldenPath(name), &error, &sheet.missing);
    EXPECT_TRUE(settings) << error.toStdString();
    if (settings)
        sheet.settings = *settings;
    return sheet;
}

struct Written {
    QString text;  // pdftotext -layout
    int pages = 0; // pdfinfo
    QStringList fonts, embedded; // pdffonts: name and "emb" column of every font
};

Written writeAndRead(const SiteSheet &sheet, const QString &pdf)
{
    Written w;
    QString error;
    EXPECT_TRUE(writeSiteSheet(pdf, sheet, &error)) << error.toStdString();
    w.text = test::popplerOutput(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const QString info = test::popplerOutput(QStringLiteral("pdfinfo"), {pdf});
    const auto pages = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption)
                           .match(info);
    w.pages = pages.hasMatch() ? pages.captured(1).toInt() : 0;
    // Columns as the dashes under the header mark them: the type holds spaces.
    const QStringList lines = test::popplerOutput(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts);
    if (lines.size() >= 2) {
        const qsizetype emb = lines[0].indexOf(QStringLiteral("emb"));
        for (qsizetype i = 2; i < lines.size(); ++i) {
            w.fonts << lines[i].section(u' ', 0, 0);
            w.embedded << lines[i].mid(emb, 3).trimmed();
        }
    }
    return w;
}

bool hasLine(const QString &text, const QString &pattern)
{
    return QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text).hasMatch();
}

class SiteSheetTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pdf() const { return dir.filePath(QStringLiteral("sheet.pdf")); }
};

TEST_F(SiteSheetTest, CompleteFileShowsEveryValueInPolish)
{
    const SiteSheet sheet = loadSheet("existing_after.vrp");
    ASSERT_TRUE(sheet.missing.isEmpty()) << sheet.missing.join(u',').toStdString();
    const Written w = writeAndRead(sheet, pdf());
    const QString &t = w.text;

    for (const char *word : {"Obsługa", "Użytkownik", "Szafka", "Ustawienie kart Opiekun", "existing_after.vrp",
                             "14.03.2026", "MiFare 4B"})
        EXPECT_TRUE(t.contains(QString::fromUtf8(word))) << word << "\n" << t.toStdString();
    // Each locker row: position, its LED number, its wristband (the golden file's values).
    for (int k = 1; k <= mem::kLockers; ++k)
        EXPECT_TRUE(hasLine(t, QStringLiteral("^\\s*%1\\s+%2\\s+%3(\\s|$)")
                                   .arg(k)
                                   .arg(k, 3, 10, QLatin1Char('0'))
                                   .arg(13 + k, 10, 10, QLatin1Char('0'))))
            << "locker " << k << "\n" << t.toStdString();
    struct Row {
        const char *label;
        const char *value;
    };
    const Row rows[] = {
        {"Karta Master 1", "0000000002"},  {"Karta Master 2", "0000000003"},  {"Karta Obsługa 1", "0000000004"},
        {"Karta Obsługa 3", "0000000006"}, {"Karta Opiekun 1", "0000000007"}, {"Karta Opiekun 7", "0000000013"},
        // Edit54 is beside "Opiekun:" in the window, though its file key is "Uzytkownik".
        {"Opiekun:", "54 \\(5,4 s\\)"},     {"Obsługa:", "55 \\(5,5 s\\)"},     {"Użytkownik:", "56 \\(5,6 s\\)"},
        {"Opiekun 1:", "szafki 1, 4, 7, 10, 13, 16, 19$"},
        {"Opiekun 3:", "szafki 3, 6, 9, 12, 15, 18$"},
        {"Opiekun 5:", "szafki 2, 5, 8, 11, 14, 17, 20$"},
    };
    for (const Row &r : rows)
        EXPECT_TRUE(hasLine(t, QString::fromUtf8(r.label) + QStringLiteral("\\s+") + QString::fromUtf8(r.value)))
            << r.label << "\n" << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("UWAGA"))) << t.toStdString();
    EXPECT_FALSE(t.contains(QStringLiteral("brak w pliku"))) << t.toStdString();
    EXPECT_EQ(w.pages, 1);
}

TEST_F(SiteSheetTest, MissingKeysAreNamedAndTheirCellsMarked)
{
    const SiteSheet sheet = loadSheet("existing_before.vrp");
    ASSERT_FALSE(sheet.missing.isEmpty());
    const Written w = writeAndRead(sheet, pdf());
    const QString &t = w.text;
    const char *lines[] = {
        "UWAGA: w pliku brak \\d+ z 195 kluczy",
        "\\[KARTY_KLUCZ\\]: Klucz1, Klucz3$",
        "\\[KARTY_OPIEKUN\\]: cała sekcja \\(7\\)",
        "\\[OPIEKUN\\]: Opiekun1_02 – Opiekun7_19$",
        "\\[CZASY\\]: Serwis$",
        // Present keys show their value, missing ones their default with the mark.
        "Karta Master 1\\s+1111111111\\s*$",
        "Karta Obsługa 1\\s+FFFFFFFFFF\\s+brak w pliku",
        "^\\s*7\\s+000\\s+brak w pliku\\s+FFFFFFFFFF\\s+brak w pliku",
        "Obsługa:\\s+100 \\(10,0 s\\)\\s+brak w pliku",
        "Opiekun:\\s+5 \\(0,5 s\\)\\s*$",
        "Opiekun 1:\\s+szafki 1; brak w pliku: 2–20$",
        "Opiekun 2:\\s+żadnej szafki; brak w pliku: 1–20$",
    };
    for (const char *line : lines)
        EXPECT_TRUE(hasLine(t, QString::fromUtf8(line))) << line << "\n" << t.toStdString();
    EXPECT_GE(w.pages, 1);
    EXPECT_LE(w.pages, 2);
}

// The longest sheet: every key missing, so every value its default.
TEST_F(SiteSheetTest, WorstCaseFitsOnTwoPagesWithEmbeddedFonts)
{
    SiteSheet sheet;
    sheet.fileName = QStringLiteral("pusty.vrp");
    sheet.date = QDate(2026, 1, 2);
    for (const project::ProjectKey &key : project::projectKeys())
        sheet.missing << key.path();
    sheet.settings = project::defaultSettings();
    const Written w = writeAndRead(sheet, pdf());
    for (const char *line : {"UWAGA: w pliku brak 195 z 195 kluczy", "\\[OPIEKUN\\]: cała sekcja \\(140\\)",
                             "\\[KARTY_SERWIS\\]: cała sekcja \\(2\\)", "Karta Master 1\\s+FFFFFFFFFF\\s+brak w pliku",
                             "^\\s*20\\s+000\\s+brak w pliku\\s+FFFFFFFFFF\\s+brak w pliku",
                             "Użytkownik:\\s+100 \\(10,0 s\\)\\s+brak w pliku",
                             "Opiekun 7:\\s+żadnej szafki; brak w pliku: 1–20$"})
        EXPECT_TRUE(hasLine(w.text, QString::fromUtf8(line))) << line << "\n" << w.text.toStdString();
    EXPECT_GE(w.pages, 1);
    EXPECT_LE(w.pages, 2);
    ASSERT_FALSE(w.fonts.isEmpty());
    for (qsizetype i = 0; i < w.fonts.size(); ++i) {
        EXPECT_TRUE(w.fonts[i].contains(QStringLiteral("DejaVuSans"))) << w.fonts[i].toStdString();
        EXPECT_EQ(w.embedded[i], QStringLiteral("yes")) << w.fonts[i].toStdString();
    }
}

// A file's texts as they are, control characters made visible, times out of range said so.
TEST_F(SiteSheetTest, OddTextsAreShownSafely)
{
    SiteSheet sheet = loadSheet("existing_after.vrp");
    sheet.fileName = QStringLiteral("zażółć\tgęślą.vrp");
    sheet.settings.cards[0] = QStringLiteral("12\x07" "34");
    sheet.settings.cards[12] = QString();
    sheet.settings.lockerNumbers[1] = QStringLiteral("\x1b[2J");
    sheet.settings.openingTimes = {QStringLiteral("256"), QStringLiteral("abc"), QString()};
    SiteSheet hex = sheet;
    hex.settings.openingTimes = {QStringLiteral("0x10"), QStringLiteral("255"), QStringLiteral("0")};
    const Written w = writeAndRead(sheet, pdf());
    for (const char *line : {"zażółć\\\\x09gęślą.vrp", "Karta Master 1\\s+12\\\\x0734",
                             "^\\s*1\\s+001\\s+\\(puste\\)", "^\\s*2\\s+\\\\x1B\\[2J\\s+0000000015",
                             "Opiekun:\\s+256 \\(poza 0–255\\)", "Obsługa:\\s+abc \\(poza 0–255\\)",
                             "Użytkownik:\\s+\\(puste\\) \\(poza 0–255\\)"})
        EXPECT_TRUE(hasLine(w.text, QString::fromUtf8(line))) << line << "\n" << w.text.toStdString();
    const QString hexText = writeAndRead(hex, dir.filePath(QStringLiteral("hex.pdf"))).text;
    for (const char *line : {"Opiekun:\\s+0x10 = 16 \\(1,6 s\\)", "Obsługa:\\s+255 \\(25,5 s\\)", "Użytkownik:\\s+0 \\(0,0 s\\)"})
        EXPECT_TRUE(hasLine(hexText, QString::fromUtf8(line))) << line << "\n" << hexText.toStdString();
    EXPECT_FALSE(w.text.contains(QChar(0x07)));
    EXPECT_FALSE(w.text.contains(QChar(0x1b)));
}

// On a system whose only fonts are others with the Polish letters (Liberation, through
// fontconfig), the sheet is refused with the reason, not set in one of them.
TEST_F(SiteSheetTest, WithoutItsFontTheSheetIsRefused)
{
    const QString others = QStringLiteral("/usr/share/fonts/truetype/liberation");
    ASSERT_TRUE(QDir(others).exists()) << "fonts-liberation";
    const QString config = dir.filePath(QStringLiteral("fonts.conf"));
    QFile f(config);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir><cachedir>%2</cachedir></fontconfig>\n")
                .arg(others, dir.filePath(QStringLiteral("cache")))
                .toUtf8());
    f.close();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("FONTCONFIG_FILE"), config);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=SiteSheetTest.CompleteFileShowsEveryValueInPolish")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString out = QString::fromUtf8(child.readAll());
    EXPECT_NE(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("brak czcionki DejaVu Sans z polskimi literami"))) << out.toStdString();
}

TEST_F(SiteSheetTest, RefusalLeavesNoFileAndSaysWhy)
{
    const SiteSheet sheet = loadSheet("existing_after.vrp");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    struct Case {
        QString path;
        const char *why;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("no such folder/sheet.pdf")), "folder nie istnieje"},
        {dir.filePath(QStringLiteral("folder")), "to jest folder"},
    };
    for (const Case &c : cases) {
        QString error;
        EXPECT_FALSE(writeSiteSheet(c.path, sheet, &error)) << c.path.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.why))) << error.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("folder")});
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("folder"))).isEmpty());
}

} // namespace
} // namespace vorna::cli
