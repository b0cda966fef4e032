// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <vector>

#include "project/settings.h"

namespace vorna::project {

// One key of the project file and the field of Settings it stores.
struct ProjectKey {
    QString section;
    QString key;
    SettingsField field;  // a text is stored as is, a guardian tick as "1" or "0"
    QString defaultValue; // what a missing text key loads as; unused for a tick

    QString path() const { return section + u'/' + key; } // "SECTION/Key"
};

// Every key of the file in the order a new file is written: 7 sections, 195 keys.
const std::vector<ProjectKey> &projectKeys();

// The key that stores `field`.
const ProjectKey &projectKey(const SettingsField &field);

// What a load of a file without any key gives: every text at its key's default,
// every tick clear.
Settings defaultSettings();

} // namespace vorna::project
