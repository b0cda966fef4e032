#include <gtest/gtest.h>

#include "project/folded_name.h"
#include "project/windows1250.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;

// The reference is Qt's own comparison of the decoded names; the byte tables and the
// hash must agree with it for every byte of the code page and every spelling of it.
bool foldsAlike(const QString &a, const QString &b)
{
    return a.toCaseFolded() == b.toCaseFolded();
}

TEST(FoldedName, EveryByteMatchesAsQtFoldsIt)
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray fileName(1, char(b));
        const QString decoded = decodeWindows1250(fileName);
        // Upper case may spell a letter otherwise ("ß" becomes "SS", which folds apart).
        for (const QString &asked : {decoded, decoded.toUpper(), decoded.toLower()}) {
            const FoldedName name(asked);
            const bool alike = foldsAlike(asked, decoded);
            EXPECT_EQ(name.matches(fileName), alike) << "byte " << b;
            if (alike) {
                EXPECT_EQ(name.hash(), foldedHash(fileName)) << "byte " << b;
            }
        }
        // Against every other byte: a match exactly where Qt folds both alike.
        const FoldedName name(decoded);
        for (int other = 0; other < 256; ++other) {
            const QByteArray otherName(1, char(other));
            EXPECT_EQ(name.matches(otherName), foldsAlike(decoded, decodeWindows1250(otherName)))
                << "bytes " << b << " and " << other;
        }
    }
}

struct MatchCase {
    QString asked;
    QByteArray fileName; // Windows-1250
    bool matches;
};

TEST(FoldedName, NamesMatchAsQtFoldsThem)
{
    const MatchCase cases[] = {
        {u"Uzytkownik"_s, "UZYTKOWNIK", true},
        {u"uzytkownik"_s, "Uzytkownik", true},
        {u"Uzytkownik"_s, "Uzytkownik ", false},
        {u"Uzytkownik"_s, "Uzytkowni", false},
        {u"ŁÓDŹ"_s, "\xB3\xF3\x64\x9F", true},  // łódź
        {u"łódź"_s, "\xA3\xD3\x44\x8F", true},  // ŁÓDŹ
        {u"ŚĆ"_s, "\x9C\xE6", true},            // ść
        {u"\u039C"_s, "\xB5", true},             // Greek capital mu and the micro sign both fold to mu
        {u"\u212A"_s, "k", true},                // the Kelvin sign folds to k
        {u"ß"_s, "SS", false},                   // simple folding keeps ß
        {u"日本"_s, "??", false},
        {u""_s, "", true},
        {u"Opiekun1_01"_s, "opiekun1_01", true},
        {u"Opiekun1_01"_s, "opiekun1_10", false},
        {u"@"_s, "`", false}, // alike in the hash, not in the name
    };
    for (const MatchCase &c : cases) {
        const FoldedName name(c.asked);
        EXPECT_EQ(name.matches(c.fileName), c.matches) << c.asked.toStdString();
        EXPECT_EQ(c.matches, foldsAlike(c.asked, decodeWindows1250(c.fileName))) << c.asked.toStdString();
        if (c.matches) {
            EXPECT_EQ(name.hash(), foldedHash(c.fileName)) << c.asked.toStdString();
        }
    }
}

TEST(FoldedName, NamesAskedForCompareAsFolded)
{
    EXPECT_EQ(FoldedName(u"Serwis1"_s), FoldedName(u"SERWIS1"_s));
    EXPECT_EQ(FoldedName(u"\u212A"_s), FoldedName(u"k"_s));
    EXPECT_FALSE(FoldedName(u"Serwis1"_s) == FoldedName(u"Serwis2"_s));
    EXPECT_FALSE(FoldedName(u"Serwis"_s) == FoldedName(u"Serwis1"_s));
}

TEST(FoldedName, KeepsTheBytesOfANameTheCodePageHolds)
{
    EXPECT_EQ(FoldedName(u"Łódź"_s).bytes(), QByteArray("\xA3\xF3\x64\x9F"));
    EXPECT_EQ(FoldedName(u"日本"_s).bytes(), std::nullopt);
}

} // namespace
} // namespace vorna::project
