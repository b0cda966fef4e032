// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/card_labels.h"

#include <QSet>
#include <algorithm>

#include "link/memory_map.h"

namespace vorna::cli {

const std::vector<CardRole> &cardRoles()
{
    static const std::vector<CardRole> roles{{"master", "Karta Master", 0, 2},
                                             {"obsluga", "Karta Obsługa", 2, 3},
                                             {"opiekun", "Karta Opiekun", 5, 7},
                                             {"pasek", "Pasek Szafka", 12, link::memory::kLockers}};
    return roles;
}

namespace {

const CardRole &roleOf(int slot)
{
    const auto &roles = cardRoles();
    return *std::find_if(roles.rbegin(), roles.rend(), [slot](const CardRole &r) { return slot >= r.firstSlot; });
}

QString roleNames()
{
    QStringList names;
    for (const CardRole &r : cardRoles())
        names << QString::fromLatin1(r.name);
    return names.join(QStringLiteral(", "));
}

// Plain decimal digits only: "pasek:0x3" or "pasek: 3" is a typing slip, not a slot.
std::optional<int> slotNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        }))
        return std::nullopt;
    return text.toInt();
}

} // namespace

QString cardLabel(int slot)
{
    const CardRole &r = roleOf(slot);
    return QStringLiteral("%1 %2").arg(QString::fromUtf8(r.label)).arg(slot - r.firstSlot + 1);
}

QString cardSlotName(int slot)
{
    const CardRole &r = roleOf(slot);
    return QStringLiteral("%1:%2").arg(QLatin1StringView(r.name)).arg(slot - r.firstSlot + 1);
}

SlotList parseSlotList(QStringView list)
{
    const auto failed = [](const QString &why) { return SlotList{std::nullopt, why}; };
    std::vector<int> cardSlots;
    if (list == u"all") {
        for (int s = 0; s < link::memory::kCardSlots; ++s)
            cardSlots.push_back(s);
        return {cardSlots, {}};
    }
    if (list.isEmpty())
        return failed(QStringLiteral("pusta lista kart --slots"));
    QSet<int> named;
    for (const QStringView item : list.split(u',')) {
        const qsizetype colon = item.indexOf(u':');
        const QStringView roleName = colon < 0 ? item : item.left(colon);
        const auto &roles = cardRoles();
        const auto role = std::find_if(roles.begin(), roles.end(),
                                       [&](const CardRole &r) { return roleName == QLatin1StringView(r.name); });
        if (colon < 0 || role == roles.end())
            return failed(QStringLiteral("niewłaściwa karta '%1' w --slots: ROLA:N lub ROLA:N-M, ROLA to %2; "
                                         "albo samo all")
                              .arg(item.toString(), roleNames()));
        const QStringView range = item.mid(colon + 1);
        const qsizetype dash = range.indexOf(u'-');
        const auto first = slotNumber(dash < 0 ? range : range.left(dash));
        const auto last = dash < 0 ? first : slotNumber(range.mid(dash + 1));
        if (!first || !last || *first < 1 || *last > role->count || *first > *last)
            return failed(QStringLiteral("niewłaściwy numer w '%1' w --slots: %2 to 1-%3")
                              .arg(item.toString(), QLatin1StringView(role->name), QString::number(role->count)));
        for (int n = *first; n <= *last; ++n) {
            const int slot = role->firstSlot + n - 1;
            if (named.contains(slot))
                return failed(QStringLiteral("karta %1 (%2) podana w --slots dwa razy")
                                  .arg(cardSlotName(slot), cardLabel(slot)));
            named.insert(slot);
            cardSlots.push_back(slot);
        }
    }
    return {cardSlots, {}};
}

} // namespace vorna::cli
