// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/settings.h"

#include <QtGlobal>

namespace vorna::project {

namespace {

template <typename S> auto &textIn(S &settings, const SettingsField &field)
{
    const auto i = std::size_t(field.index);
    switch (field.kind) {
    case SettingsField::Kind::Card: return settings.cards.at(i);
    case SettingsField::Kind::LockerNumber: return settings.lockerNumbers.at(i);
    case SettingsField::Kind::OpeningTime: return settings.openingTimes.at(i);
    case SettingsField::Kind::Guardian: break;
    }
    qFatal("a guardian tick is no text");
}

template <typename S> auto &tickIn(S &settings, const SettingsField &field)
{
    Q_ASSERT(field.kind == SettingsField::Kind::Guardian);
    return settings.guardians.at(std::size_t(field.index)).at(std::size_t(field.locker));
}

} // namespace

const QString &fieldText(const Settings &settings, const SettingsField &field) { return textIn(settings, field); }
QString &fieldText(Settings &settings, const SettingsField &field) { return textIn(settings, field); }
bool fieldTick(const Settings &settings, const SettingsField &field) { return tickIn(settings, field); }
bool &fieldTick(Settings &settings, const SettingsField &field) { return tickIn(settings, field); }

} // namespace vorna::project
