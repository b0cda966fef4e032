// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "project/key_table.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using Field = SettingsField;
using Kind = SettingsField::Kind;
namespace memory = link::memory;

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

// Every field of Settings has a key, so a save loses nothing and a load sets everything.
TEST(ProjectKeyTable, EveryFieldExactlyOnce)
{
    std::vector<Field> fields;
    for (int s = 0; s < memory::kCardSlots; ++s)
        fields.push_back(Field::card(s));
    for (int p = 0; p < memory::kLockers; ++p)
        fields.push_back(Field::lockerNumber(p));
    for (int t = 0; t < memory::kOpeningTimes; ++t)
        fields.push_back(Field::openingTime(t));
    for (int g = 0; g < memory::kGuardians; ++g)
        for (int k = 0; k < memory::kLockers; ++k)
            fields.push_back(Field::guardian(g, k));
    ASSERT_EQ(projectKeys().size(), fields.size());
    for (const Field &f : fields) {
        const auto n = std::count_if(projectKeys().begin(), projectKeys().end(),
                                     [&](const ProjectKey &k) { return k.field == f; });
        EXPECT_EQ(n, 1) << int(f.kind) << " " << f.index << " " << f.locker;
    }
}

struct Expected {
    const char *section;
    const char *key;
    Field field;
    const char *defaultValue;
};

class ProjectKeyRow : public ::testing::TestWithParam<Expected> {};

TEST_P(ProjectKeyRow, NamesItsFieldAndDefault)
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
    EXPECT_EQ(found->field, e.field);
    EXPECT_EQ(&projectKey(e.field), found);
    EXPECT_EQ(found->path(), QLatin1String(e.section) + u'/' + QLatin1String(e.key));
    if (e.field.isText()) {
        EXPECT_EQ(found->defaultValue, QLatin1String(e.defaultValue));
        EXPECT_EQ(fieldText(defaultSettings(), e.field), QLatin1String(e.defaultValue));
    } else {
        EXPECT_FALSE(fieldTick(defaultSettings(), e.field));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ProjectKeyRow,
    ::testing::Values(
        // Master cards under "Serwis", service cards under "Klucz".
        Expected{"KARTY_SERWIS", "Serwis1", Field::card(0), "FFFFFFFFFF"},
        Expected{"KARTY_SERWIS", "Serwis2", Field::card(1), "FFFFFFFFFF"},
        Expected{"KARTY_KLUCZ", "Klucz1", Field::card(2), "FFFFFFFFFF"},
        Expected{"KARTY_KLUCZ", "Klucz3", Field::card(4), "FFFFFFFFFF"},
        Expected{"KARTY_OPIEKUN", "Opiekun1", Field::card(5), "FFFFFFFFFF"},
        Expected{"KARTY_OPIEKUN", "Opiekun7", Field::card(11), "FFFFFFFFFF"},
        Expected{"KARTY_SZAFEK", "Szafka1", Field::card(12), "FFFFFFFFFF"},
        Expected{"KARTY_SZAFEK", "Szafka7", Field::card(18), "FFFFFFFFFF"},
        Expected{"KARTY_SZAFEK", "Szafka20", Field::card(31), "FFFFFFFFFF"},
        Expected{"NUMERY_SZAFEK", "Szafka1", Field::lockerNumber(0), "000"},
        Expected{"NUMERY_SZAFEK", "Szafka7", Field::lockerNumber(6), "000"},
        Expected{"NUMERY_SZAFEK", "Szafka20", Field::lockerNumber(19), "000"},
        // "Uzytkownik" is the first time of the block, the guardian's; "Opiekun" the user's.
        Expected{"CZASY", "Uzytkownik", Field::openingTime(0), "100"},
        Expected{"CZASY", "Serwis", Field::openingTime(1), "100"},
        Expected{"CZASY", "Opiekun", Field::openingTime(2), "100"},
        Expected{"OPIEKUN", "Opiekun1_01", Field::guardian(0, 0), ""},
        Expected{"OPIEKUN", "Opiekun1_20", Field::guardian(0, 19), ""},
        Expected{"OPIEKUN", "Opiekun2_01", Field::guardian(1, 0), ""},
        Expected{"OPIEKUN", "Opiekun3_05", Field::guardian(2, 4), ""},
        Expected{"OPIEKUN", "Opiekun7_20", Field::guardian(6, 19), ""}));

TEST(ProjectKeyTable, GuardianKeysRunLockerInsideGuardian)
{
    int next = 0;
    for (const ProjectKey &k : projectKeys()) {
        if (k.field.isText())
            continue;
        const int g = next / memory::kLockers, n = next % memory::kLockers;
        EXPECT_EQ(k.key, QString::asprintf("Opiekun%d_%02d", g + 1, n + 1));
        EXPECT_EQ(k.field, Field::guardian(g, n));
        ++next;
    }
    EXPECT_EQ(next, memory::kGuardians * memory::kLockers);
}

TEST(ProjectKeyTable, NoKeyTwiceInASection)
{
    std::map<QString, std::set<QString>> seen;
    for (const ProjectKey &k : projectKeys())
        EXPECT_TRUE(seen[k.section].insert(k.key.toUpper()).second) << qPrintable(k.section + "/" + k.key);
}

} // namespace
} // namespace vorna::project
