// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringEncoder>
#include <QTemporaryDir>

#include "project/windows1250.h"
#include "project/project_file.h"
#include "project_file_support.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;
using testing::goldenPath;
using testing::readBytes;
using testing::sampleValues;
using testing::writeBytes;

class ProjectFile : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
};

void expectSameValues(const Settings &actual, const Settings &expected)
{
    for (const ProjectKey &k : projectKeys()) {
        if (k.field.isText())
            EXPECT_EQ(fieldText(actual, k.field), fieldText(expected, k.field)) << qPrintable(k.path());
        else
            EXPECT_EQ(fieldTick(actual, k.field), fieldTick(expected, k.field)) << qPrintable(k.path());
    }
}

Settings readFrom(const QByteArray &file)
{
    return readProject(decodeWindows1250(file)).values;
}

TEST_F(ProjectFile, NewFileMatchesGolden)
{
    const QString p = path("new.vrp");
    ASSERT_TRUE(saveProject(p, sampleValues()));
    const QByteArray bytes = readBytes(p);
    EXPECT_EQ(bytes, readBytes(goldenPath("new_file.vrp")));
    // Every line ends in CR LF, and the 195 keys are the only key lines.
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count('='), 195);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
}

TEST_F(ProjectFile, SavingAgainChangesNothingElse)
{
    const QString p = path("twice.vrp");
    ASSERT_TRUE(saveProject(p, defaultSettings()));
    ASSERT_TRUE(saveProject(p, sampleValues()));
    EXPECT_EQ(readBytes(p), readBytes(goldenPath("new_file.vrp")));
}

TEST_F(ProjectFile, ExistingFileKeepsItsOtherLinesInPlace)
{
    const QString p = path("existing.vrp");
    ASSERT_TRUE(writeBytes(p, readBytes(goldenPath("existing_before.vrp"))));
    ASSERT_TRUE(saveProject(p, sampleValues()));
    EXPECT_EQ(readBytes(p), readBytes(goldenPath("existing_after.vrp")));
    const auto loaded = loadProject(p);
    ASSERT_TRUE(loaded);
    expectSameValues(*loaded, sampleValues());
}

TEST_F(ProjectFile, SaveThenLoadGivesEverythingBack)
{
    Settings v = sampleValues();
    v.cards[0] = QString();                        // empty text
    v.cards[1] = QString(300, u'7');               // far beyond a card field's limit
    v.cards[12] = u"ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ"_s;         // Polish letters
    v.lockerNumbers[0] = u"12345"_s;               // longer than a locker number
    v.lockerNumbers[6] = u"a=b; [c] \"d\" 'e'"_s; // profile syntax inside a value
    v.openingTimes[0] = u"x"_s;                    // not a number: stored as is
    v.openingTimes[1] = u"€‰„”"_s;                 // the code page's punctuation
    for (int n = 0; n < 140; n += 7) {
        bool &tick = v.guardians[std::size_t(n / 20)][std::size_t(n % 20)];
        tick = !tick;
    }

    const QString p = path("round.vrp");
    ASSERT_TRUE(saveProject(p, v));
    const auto loaded = loadProject(p);
    ASSERT_TRUE(loaded);
    expectSameValues(*loaded, v);
}

TEST_F(ProjectFile, OuterBlanksAndQuotesAreLostOnTheWayBack)
{
    Settings v = sampleValues();
    v.cards[0] = u"  AB  "_s;
    v.cards[1] = u"\"AB\""_s;
    v.cards[2] = u"'A B'"_s;
    const QString p = path("lost.vrp");
    ASSERT_TRUE(saveProject(p, v));
    const QByteArray bytes = readBytes(p);
    EXPECT_TRUE(bytes.contains("\r\nSerwis1=  AB  \r\n")); // written unchanged
    const auto loaded = loadProject(p);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->cards[0], u"AB"_s);
    EXPECT_EQ(loaded->cards[1], u"AB"_s);
    EXPECT_EQ(loaded->cards[2], u"A B"_s);
}

TEST_F(ProjectFile, PolishLettersAreStoredInWindows1250)
{
    Settings v = defaultSettings();
    v.openingTimes[2] = u"Zażółć gęślą jaźń"_s;
    const QString p = path("pl.vrp");
    ASSERT_TRUE(saveProject(p, v));
    EXPECT_TRUE(readBytes(p).contains("\r\nOpiekun=Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1\r\n"));
    const auto loaded = loadProject(p);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->openingTimes[2], v.openingTimes[2]);
}

TEST(ProjectRead, TimesLandBesideTheirLabels)
{
    const Settings v = readFrom("[CZASY]\r\nUzytkownik=50\r\nSerwis=60\r\nOpiekun=70\r\n");
    Settings expected = defaultSettings();
    expected.openingTimes[0] = u"50"_s; // beside "Opiekun:"
    expected.openingTimes[1] = u"60"_s;
    expected.openingTimes[2] = u"70"_s; // beside "Użytkownik:"
    expectSameValues(v, expected);
}

TEST(ProjectRead, EmptyFileGivesEveryDefault)
{
    expectSameValues(readFrom(QByteArray()), defaultSettings());
}

TEST(ProjectRead, PresentEmptyValueIsNotTheDefault)
{
    const Settings v = readFrom("[KARTY_SZAFEK]\r\nSzafka7=\r\n[NUMERY_SZAFEK]\r\nSzafka7=\r\n");
    Settings expected = defaultSettings();
    expected.cards[18] = QString();
    expected.lockerNumbers[6] = QString();
    expectSameValues(v, expected);
}

TEST(ProjectRead, NamesInOtherCaseAndPaddedOrQuotedValues)
{
    const Settings v = readFrom("[karty_serwis]\r\n  SERWIS1 =  \"ABCDEF0123\"  \r\n"
                                "serwis2='0123456789'\r\n[czasy]\r\nuzytkownik = 50 \r\n"
                                "[opiekun]\r\nopiekun3_05 = 1 \r\n");
    Settings expected = defaultSettings();
    expected.cards[0] = u"ABCDEF0123"_s;
    expected.cards[1] = u"0123456789"_s;
    expected.openingTimes[0] = u"50"_s;
    expected.guardians[2][4] = true;
    expectSameValues(v, expected);
}

struct GuardianCase {
    const char *line; // nullptr: no key at all
    bool ticked;
};

class GuardianValue : public ::testing::TestWithParam<GuardianCase> {};

TEST_P(GuardianValue, TicksOnAnyIntegerButZero)
{
    const GuardianCase &c = GetParam();
    QByteArray file = "[OPIEKUN]\r\nOpiekun2_03=1\r\n";
    if (c.line)
        file += QByteArray("Opiekun3_05=") + c.line + "\r\n";
    const Settings v = readFrom(file);
    EXPECT_EQ(v.guardians[2][4], c.ticked) << (c.line ? c.line : "(missing)");
    for (std::size_t g = 0; g < v.guardians.size(); ++g) {
        for (std::size_t k = 0; k < v.guardians[g].size(); ++k) {
            if (g != 2 || k != 4) {
                EXPECT_EQ(v.guardians[g][k], g == 1 && k == 2) << "guardian " << g + 1 << " locker " << k + 1;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, GuardianValue,
                         ::testing::Values(GuardianCase{"1", true}, GuardianCase{"2", true},
                                           GuardianCase{"-1", true}, GuardianCase{"0x10", true},
                                           GuardianCase{"$10", true}, GuardianCase{"X1f", true},
                                           GuardianCase{"  7", true}, GuardianCase{"\"1\"", true},
                                           GuardianCase{"0", false}, GuardianCase{"", false},
                                           GuardianCase{"x", false}, GuardianCase{"0x0", false},
                                           GuardianCase{"abc", false}, GuardianCase{"1a", false},
                                           GuardianCase{"99999999999", false}, GuardianCase{nullptr, false}));

} // namespace
} // namespace vorna::project

namespace vorna::project {
namespace {

// A file with a byte order mark is read in its encoding. Saved, it goes into
// Windows-1250 without the mark when every line fits, else back into its own encoding
// with the mark; every other line is kept either way.
TEST_F(ProjectFile, SavingIntoAMarkedFile)
{
    const QString kept = u"; Łódź\r\n[CZASY]\r\nUzytkownik=1\r\n[MOJE]\r\nx=ż\r\n"_s;
    const QString foreign = u"\uFEFF; uwaga → nie ruszać ✓ 日本\r\n[MOJE]\r\nx=ż\r\n"_s;
    const QString plain = path("plain.vrp");
    ASSERT_TRUE(writeBytes(plain, *encodeWindows1250(kept)));
    ASSERT_TRUE(saveProject(plain, sampleValues()));
    for (const auto &e : testing::kMarkedEncodings) {
        SCOPED_TRACE(e.name);
        const auto marked = [&](const QString &text) {
            QStringEncoder encoder(e.encoding, QStringConverter::Flag::WriteBom);
            return QByteArray(encoder.encode(text));
        };
        const QByteArray mark = marked(u"x"_s).chopped(e.encoding == QStringConverter::Utf8 ? 1 : 2);
        const QString p = path("marked.vrp");
        ASSERT_TRUE(writeBytes(p, marked(kept)));
        ASSERT_TRUE(saveProject(p, sampleValues()));
        EXPECT_EQ(readBytes(p), readBytes(plain));
        EXPECT_EQ(loadProject(p), sampleValues());

        // The text after the mark, a zero-width no-break space included, comes back
        // whole before the sections the save adds.
        ASSERT_TRUE(writeBytes(p, marked(foreign)));
        QString why;
        ASSERT_TRUE(saveProject(p, sampleValues(), &why)) << why.toStdString();
        const QByteArray saved = readBytes(p);
        EXPECT_TRUE(saved.startsWith(mark)) << saved.toHex().toStdString();
        QStringDecoder decoder(e.encoding, QStringConverter::Flag::ConvertInitialBom);
        const QString text = decoder.decode(QByteArrayView(saved).sliced(mark.size()));
        EXPECT_TRUE(text.startsWith(foreign)) << text.toStdString();
        EXPECT_EQ(loadProject(p), sampleValues());
        // A second save changes nothing.
        ASSERT_TRUE(saveProject(p, sampleValues()));
        EXPECT_EQ(readBytes(p), saved);

        // A value the code page lacks goes into the marked file's encoding too.
        Settings wide = sampleValues();
        wide.cards[31] = u"日本"_s;
        ASSERT_TRUE(writeBytes(p, marked(kept)));
        ASSERT_TRUE(saveProject(p, wide));
        EXPECT_TRUE(readBytes(p).startsWith(mark));
        EXPECT_EQ(loadProject(p), wide);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{u"marked.vrp"_s, u"plain.vrp"_s}));
    }
}

// Saved back in its own encoding, a marked file with bytes invalid in it would lose
// them: the save is refused, with the reason, and the file is left alone.
TEST_F(ProjectFile, SavingIntoAMarkedFileWithInvalidBytesIsRefused)
{
    const QByteArray files[] = {
        QByteArrayLiteral("\xEF\xBB\xBF; \xFF\r\n[CZASY]\r\n"),            // not UTF-8
        QByteArrayLiteral("\xEF\xBB\xBF;\xED\xA0\x80\r\n"),                // a surrogate in UTF-8
        QByteArrayLiteral("\xFE\xFF\x00;\x00\r\x00\n\x00"),                // an odd byte at the end
    };
    for (const QByteArray &bytes : files) {
        const QString p = path("bad.vrp");
        ASSERT_TRUE(writeBytes(p, bytes));
        QString why;
        EXPECT_FALSE(saveProject(p, sampleValues(), &why)) << bytes.toHex().toStdString();
        EXPECT_TRUE(why.contains(u"UTF-"_s)) << why.toStdString();
        EXPECT_EQ(readBytes(p), bytes);
    }
}

} // namespace
} // namespace vorna::project
