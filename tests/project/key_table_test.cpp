// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "project/key_table.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using Kind = ProjectKey::Kind;

TEST(ProjectKeyTable, SectionsInOrderWithTheirKeyCounts)
{
    const std::vector<std::pair<QString, int>> expected = {
        {"KARTY_SERWIS", 2}, {"KARTY_KLUCZ", 3}, {"KARTY_OPIEKUN", 7}, {"KARTY_SZAFEK", 20},
        {"NUMERY_SZAFEK", 20}, {"CZASY", 3}, {"OPIEKUN", 140},
    };
    std::vector<std::pair<QString, int>> runs;
    for (const ProjectKey &k : projectKeys()) {
        if (runs.empty() || runs.back().first != k.section)
            runs.push_back({k.section, 0});
        ++runs.back().second;
    }
    EXPECT_EQ(runs, expected);
    EXPECT_EQ(projectKeys().size(), 195u);
}

TEST(ProjectKeyTable, EveryControlExactlyOnce)
{
    std::multiset<int> edits, boxes;
    for (const ProjectKey &k : projectKeys())
        (k.kind == Kind::Text ? edits : boxes).insert(k.control);
    for (int n = kFirstProjectEdit; n <= kLastProjectEdit; ++n)
        EXPECT_EQ(edits.count(n), 1u) << "Edit" << n;
    EXPECT_EQ(edits.size(), std::size_t(kLastProjectEdit - kFirstProjectEdit + 1));
    for (int n = 1; n <= kGuardianBoxCount; ++n)
        EXPECT_EQ(boxes.count(n), 1u) << "CheckBox" << n;
    EXPECT_EQ(boxes.size(), std::size_t(kGuardianBoxCount));
}

struct Expected {
    const char *section;
    const char *key;
    Kind kind;
    int control;
    const char *defaultValue;
};

class ProjectKeyRow : public ::testing::TestWithParam<Expected> {};

TEST_P(ProjectKeyRow, NamesItsControlAndDefault)
{
    const Expected &e = GetParam();
    const ProjectKey *found = nullptr;
    for (const ProjectKey &k : projectKeys()) {
        if (k.section == QLatin1String(e.section) && k.key == QLatin1String(e.key)) {
            found = &k;
            break;
        }
    }
    ASSERT_NE(found, nullptr) << e.section << "/" << e.key;
    EXPECT_EQ(found->kind, e.kind);
    EXPECT_EQ(found->control, e.control);
    if (e.kind == Kind::Text) {
        EXPECT_EQ(found->defaultValue, QLatin1String(e.defaultValue));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProjectKeyRow,
    ::testing::Values(
        // Master cards under "Serwis", service cards under "Klucz".
        Expected{"KARTY_SERWIS", "Serwis1", Kind::Text, 2, "FFFFFFFFFF"},
        Expected{"KARTY_SERWIS", "Serwis2", Kind::Text, 3, "FFFFFFFFFF"},
        Expected{"KARTY_KLUCZ", "Klucz1", Kind::Text, 4, "FFFFFFFFFF"},
        Expected{"KARTY_KLUCZ", "Klucz3", Kind::Text, 6, "FFFFFFFFFF"},
        Expected{"KARTY_OPIEKUN", "Opiekun1", Kind::Text, 7, "FFFFFFFFFF"},
        Expected{"KARTY_OPIEKUN", "Opiekun7", Kind::Text, 13, "FFFFFFFFFF"},
        Expected{"KARTY_SZAFEK", "Szafka1", Kind::Text, 14, "FFFFFFFFFF"},
        Expected{"KARTY_SZAFEK", "Szafka7", Kind::Text, 20, "FFFFFFFFFF"},
        Expected{"KARTY_SZAFEK", "Szafka20", Kind::Text, 33, "FFFFFFFFFF"},
        Expected{"NUMERY_SZAFEK", "Szafka1", Kind::Text, 34, "000"},
        Expected{"NUMERY_SZAFEK", "Szafka7", Kind::Text, 40, "000"},
        Expected{"NUMERY_SZAFEK", "Szafka20", Kind::Text, 53, "000"},
        // "Uzytkownik" is the field beside "Opiekun:", "Opiekun" the one beside "Użytkownik:".
        Expected{"CZASY", "Uzytkownik", Kind::Text, 54, "100"},
        Expected{"CZASY", "Serwis", Kind::Text, 55, "100"},
        Expected{"CZASY", "Opiekun", Kind::Text, 56, "100"},
        Expected{"OPIEKUN", "Opiekun1_01", Kind::Guardian, 1, ""},
        Expected{"OPIEKUN", "Opiekun1_20", Kind::Guardian, 20, ""},
        Expected{"OPIEKUN", "Opiekun2_01", Kind::Guardian, 21, ""},
        Expected{"OPIEKUN", "Opiekun3_05", Kind::Guardian, 45, ""},
        Expected{"OPIEKUN", "Opiekun7_20", Kind::Guardian, 140, ""}));

TEST(ProjectKeyTable, GuardianKeysRunLockerInsideGuardian)
{
    int expectedBox = 1;
    for (const ProjectKey &k : projectKeys()) {
        if (k.kind != Kind::Guardian)
            continue;
        const int g = (expectedBox - 1) / kLockerCount + 1;
        const int n = (expectedBox - 1) % kLockerCount + 1;
        EXPECT_EQ(k.key, QString::asprintf("Opiekun%d_%02d", g, n));
        EXPECT_EQ(k.control, expectedBox);
        ++expectedBox;
    }
    EXPECT_EQ(expectedBox, kGuardianBoxCount + 1);
}

TEST(ProjectKeyTable, NoKeyTwiceInASection)
{
    std::map<QString, std::set<QString>> seen;
    for (const ProjectKey &k : projectKeys())
        EXPECT_TRUE(seen[k.section].insert(k.key.toUpper()).second) << qPrintable(k.section + "/" + k.key);
}

} // namespace
} // namespace vorna::project
