#include "project/project_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <span>
#include <vector>

#include "link/integer_field.h"
#include "project/key_table.h"
#include "project/profile_document.h"

namespace vorna::project {

namespace {

const QString kTicked = QStringLiteral("1");
const QString kClear = QStringLiteral("0");

// A file with no write bit is read-only even to a user whom the system would let
// write it (root): the user marked it so.
bool mayReplace(const QFileInfo &info)
{
    constexpr auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isFile() && info.isWritable() && (info.permissions() & writeBits);
}

// Calls fn with each run of keys of one section, in table order.
template <typename Fn> void forEachSection(Fn fn)
{
    const std::span<const ProjectKey> keys = projectKeys();
    std::size_t begin = 0;
    while (begin < keys.size()) {
        std::size_t end = begin + 1;
        while (end < keys.size() && keys[end].section == keys[begin].section)
            ++end;
        fn(keys.subspan(begin, end - begin));
        begin = end;
    }
}

std::optional<QByteArray> readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

ProjectValues readProject(const ProfileDocument &doc)
{
    ProjectValues values;
    forEachSection([&](std::span<const ProjectKey> keys) {
        QStringList names;
        for (const ProjectKey &k : keys)
            names.append(k.key);
        const auto found = doc.values(keys.front().section, names);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const ProjectKey &k = keys[i];
            if (k.kind == ProjectKey::Kind::Text) {
                values.edits[std::size_t(k.control)] = found[i].value_or(k.defaultValue);
            } else {
                const auto number = found[i] ? link::parseIntegerField(*found[i]) : std::nullopt;
                values.ticks[std::size_t(k.control)] = number.value_or(0) != 0;
            }
        }
    });
    return values;
}

bool writeProject(ProfileDocument &doc, const ProjectValues &values)
{
    bool stored = true;
    forEachSection([&](std::span<const ProjectKey> keys) {
        std::vector<ProfileDocument::Entry> entries;
        for (const ProjectKey &k : keys) {
            const auto n = std::size_t(k.control);
            entries.emplace_back(k.key, k.kind == ProjectKey::Kind::Text ? values.edits[n]
                                        : values.ticks[n]                ? kTicked
                                                                         : kClear);
        }
        stored = stored && doc.setValues(keys.front().section, entries);
    });
    return stored;
}

bool saveProject(const QString &path, const ProjectValues &values)
{
    const QFileInfo info(path);
    QByteArray old;
    if (info.exists()) {
        if (!mayReplace(info))
            return false;
        auto bytes = readWhole(path);
        if (!bytes)
            return false;
        old = std::move(*bytes);
    }

    ProfileDocument doc = ProfileDocument::parse(old);
    if (!writeProject(doc, values))
        return false;
    const QByteArray bytes = doc.toBytes();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<ProjectValues> loadProject(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const auto bytes = readWhole(path);
    if (!bytes)
        return std::nullopt;
    return readProject(ProfileDocument::parse(*bytes));
}

} // namespace vorna::project
