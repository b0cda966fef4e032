// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/key_table.h"

namespace vorna::project {

namespace {

const QString kCardDefault = QStringLiteral("FFFFFFFFFF");

// Numbered text keys: key i (from 1) of the run holds Edit(firstEdit + i - 1).
// The master cards live under "KARTY_SERWIS"/"Serwis", the service cards under
// "KARTY_KLUCZ"/"Klucz": older files named them so and the names stayed.
struct TextRun {
    const char *section;
    const char *prefix;
    int count;
    int firstEdit;
    const QString &defaultValue;
};

// "CZASY" names its keys after the card group whose time they hold, not after the
// window's labels: "Uzytkownik" is Edit54, beside the label "Opiekun:".
struct NamedText {
    const char *key;
    int edit;
};

std::vector<ProjectKey> buildKeys()
{
    static const QString lockerDefault = QStringLiteral("000");
    static const QString timeDefault = QStringLiteral("100");
    const TextRun runs[] = {
        {"KARTY_SERWIS", "Serwis", 2, 2, kCardDefault},
        {"KARTY_KLUCZ", "Klucz", 3, 4, kCardDefault},
        {"KARTY_OPIEKUN", "Opiekun", 7, 7, kCardDefault},
        {"KARTY_SZAFEK", "Szafka", 20, 14, kCardDefault},
        {"NUMERY_SZAFEK", "Szafka", 20, 34, lockerDefault},
    };
    const NamedText times[] = {{"Uzytkownik", 54}, {"Serwis", 55}, {"Opiekun", 56}};

    std::vector<ProjectKey> keys;
    for (const TextRun &run : runs) {
        for (int i = 1; i <= run.count; ++i)
            keys.push_back({QString::fromLatin1(run.section), QString::fromLatin1(run.prefix) + QString::number(i),
                            ProjectKey::Kind::Text, run.firstEdit + i - 1, run.defaultValue});
    }
    for (const NamedText &t : times)
        keys.push_back({QStringLiteral("CZASY"), QString::fromLatin1(t.key), ProjectKey::Kind::Text, t.edit,
                        timeDefault});
    for (int g = 1; g <= kGuardianCount; ++g) {
        for (int n = 1; n <= kLockerCount; ++n)
            keys.push_back({QStringLiteral("OPIEKUN"), QString::asprintf("Opiekun%d_%02d", g, n),
                            ProjectKey::Kind::Guardian, kLockerCount * (g - 1) + n, QString()});
    }
    return keys;
}

} // namespace

const std::vector<ProjectKey> &projectKeys()
{
    static const std::vector<ProjectKey> keys = buildKeys();
    return keys;
}

} // namespace vorna::project
