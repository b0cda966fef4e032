// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

#include "project/settings.h"

namespace vorna::cli {

// Where a field is kept in the project file, as "SECTION/Key" ("KARTY_SZAFEK/Szafka7"
// for card slot 18, "OPIEKUN/Opiekun3_05" for guardian 3's locker 5).
QString fieldKey(const project::SettingsField &field);

// The card type as the window's selector names it ("Unique", "MiFare 4B", "MiFare 7B").
QString cardTypeName(int cardType);

// Every field the controller could not take, in file order, each as
// "KEY: why": card texts by the card type, LED numbers as three digits, opening
// times as 0-255. Empty when the whole project can be sent.
QStringList checkProject(const project::Settings &values, int cardType);

} // namespace vorna::cli
