#pragma once
#include <QString>
#include <array>
#include <optional>

namespace vorna::project {

class ProfileDocument;

// The settings a project file holds: the texts of Edit2..Edit56 and the ticks of
// CheckBox1..CheckBox140, indexed by control number (other slots unused). The port
// name, the device address and the card type are not part of a project.
struct ProjectValues {
    std::array<QString, 58> edits;
    std::array<bool, 141> ticks{};

    bool operator==(const ProjectValues &) const = default;
};

// Every key of the table read from the document; a missing text key takes its default,
// a guardian key is ticked by any integer other than zero.
ProjectValues readProject(const ProfileDocument &doc);

// Every key of the table stored into the document, in table order. False when a text
// cannot be stored (see ProfileDocument::setValue); the document is then partly updated.
bool writeProject(ProfileDocument &doc, const ProjectValues &values);

// Updates the file at `path` (or makes it) with every key of the table, keeping all
// its other lines. The new file replaces the old one only once it is complete, so on
// false (read-only or unreadable file, missing folder, no right to write, a text the
// code page cannot store) the old file is left as it was.
bool saveProject(const QString &path, const ProjectValues &values);

// The file read and decoded whole; nullopt when it does not exist, is not a regular
// file, or cannot be opened or read.
std::optional<ProjectValues> loadProject(const QString &path);

} // namespace vorna::project
