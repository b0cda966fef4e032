// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

namespace vorna::project {

// One key of the project file and the control it stores.
struct ProjectKey {
    enum class Kind {
        Text,     // an edit field's text, stored as is
        Guardian, // a check box, stored as "1" or "0"
    };
    QString section;
    QString key;
    Kind kind;
    int control;          // Edit number for Text, CheckBox number for Guardian
    QString defaultValue; // what a missing text key loads as; unused for Guardian
};

// Every key of the file in the order a new file is written: 7 sections, 195 keys.
const std::vector<ProjectKey> &projectKeys();

inline constexpr int kFirstProjectEdit = 2;
inline constexpr int kLastProjectEdit = 56;
inline constexpr int kGuardianCount = 7;
inline constexpr int kLockerCount = 20;
inline constexpr int kGuardianBoxCount = kGuardianCount * kLockerCount;

} // namespace vorna::project
