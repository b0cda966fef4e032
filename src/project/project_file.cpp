#include "project/project_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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
    for (const ProjectKey &k : projectKeys()) {
        const std::optional<QString> v = doc.value(k.section, k.key);
        if (k.kind == ProjectKey::Kind::Text) {
            values.edits[std::size_t(k.control)] = v.value_or(k.defaultValue);
        } else {
            const auto number = v ? link::parseIntegerField(*v) : std::nullopt;
            values.ticks[std::size_t(k.control)] = number.value_or(0) != 0;
        }
    }
    return values;
}

bool writeProject(ProfileDocument &doc, const ProjectValues &values)
{
    for (const ProjectKey &k : projectKeys()) {
        const QString &v = k.kind == ProjectKey::Kind::Text ? values.edits[std::size_t(k.control)]
                           : values.ticks[std::size_t(k.control)] ? kTicked
                                                                  : kClear;
        if (!doc.setValue(k.section, k.key, v))
            return false;
    }
    return true;
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
