// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/key_table.h"

#include <algorithm>

namespace vorna::project {

namespace {

namespace memory = link::memory;
using Kind = SettingsField::Kind;

const QString kCardDefault = QStringLiteral("FFFFFFFFFF");

// Numbered text keys: key i (from 1) of the run holds field firstIndex + i - 1.
// The master cards live under "KARTY_SERWIS"/"Serwis", the service cards under
// "KARTY_KLUCZ"/"Klucz": older files named them so and the names stayed.
struct TextRun {
    const char *section;
    const char *prefix;
    int count;
    Kind kind;
    int firstIndex;
    const QString &defaultValue;
};

std::vector<ProjectKey> buildKeys()
{
    static const QString lockerDefault = QStringLiteral("000");
    static const QString timeDefault = QStringLiteral("100");
    const TextRun runs[] = {
        {"KARTY_SERWIS", "Serwis", 2, Kind::Card, 0, kCardDefault},
        {"KARTY_KLUCZ", "Klucz", 3, Kind::Card, 2, kCardDefault},
        {"KARTY_OPIEKUN", "Opiekun", memory::kGuardians, Kind::Card, 5, kCardDefault},
        {"KARTY_SZAFEK", "Szafka", memory::kLockers, Kind::Card, 12, kCardDefault},
        {"NUMERY_SZAFEK", "Szafka", memory::kLockers, Kind::LockerNumber, 0, lockerDefault},
    };
    // "CZASY" names its keys after the card group whose time they hold, not after the
    // window's labels: "Uzytkownik" is the first time of the block, the guardian's.
    const char *const times[memory::kOpeningTimes] = {"Uzytkownik", "Serwis", "Opiekun"};

    std::vector<ProjectKey> keys;
    for (const TextRun &run : runs) {
        for (int i = 1; i <= run.count; ++i)
            keys.push_back({QString::fromLatin1(run.section), QString::fromLatin1(run.prefix) + QString::number(i),
                            {run.kind, run.firstIndex + i - 1}, run.defaultValue});
    }
    for (int t = 0; t < memory::kOpeningTimes; ++t)
        keys.push_back({QStringLiteral("CZASY"), QString::fromLatin1(times[t]), SettingsField::openingTime(t),
                        timeDefault});
    for (int g = 0; g < memory::kGuardians; ++g) {
        for (int k = 0; k < memory::kLockers; ++k)
            keys.push_back({QStringLiteral("OPIEKUN"), QString::asprintf("Opiekun%d_%02d", g + 1, k + 1),
                            SettingsField::guardian(g, k), QString()});
    }
    return keys;
}

} // namespace

const std::vector<ProjectKey> &projectKeys()
{
    static const std::vector<ProjectKey> keys = buildKeys();
    return keys;
}

const ProjectKey &projectKey(const SettingsField &field)
{
    const std::vector<ProjectKey> &keys = projectKeys();
    const auto found = std::find_if(keys.begin(), keys.end(), [&](const ProjectKey &k) { return k.field == field; });
    if (found == keys.end())
        qFatal("no key stores this field");
    return *found;
}

Settings defaultSettings()
{
    Settings settings;
    for (const ProjectKey &k : projectKeys()) {
        if (k.field.isText())
            fieldText(settings, k.field) = k.defaultValue;
    }
    return settings;
}

} // namespace vorna::project
