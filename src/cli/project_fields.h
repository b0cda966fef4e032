// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

#include "project/project_file.h"

namespace vorna::cli {

// The window's controls that a project file holds: card fields, LED number fields,
// opening-time fields (Edit54, Edit55, Edit56, in block order).
inline constexpr int kFirstCardEdit = 2;
inline constexpr int kFirstLockerEdit = 34;
inline constexpr int kFirstTimeEdit = 54;
inline constexpr int kTimeEdits = 3;

// Where a control is kept in the project file, as "SECTION/Key"
// ("KARTY_SZAFEK/Szafka7" for Edit20, "OPIEKUN/Opiekun3_05" for CheckBox45).
QString editKey(int editNumber);
QString tickKey(int boxNumber);

// The card type as the window's selector names it ("Unique", "MiFare 4B", "MiFare 7B").
QString cardTypeName(int cardType);

// Every field the controller could not take, in file order, each as
// "KEY: why": card texts by the card type, LED numbers as three digits, opening
// times as 0-255. Empty when the whole project can be sent.
QStringList checkProject(const project::ProjectValues &values, int cardType);

} // namespace vorna::cli
