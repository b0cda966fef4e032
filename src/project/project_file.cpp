#include "project/project_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

// The table's keys by section, in table order, with their names made ready once.
struct SectionKeys {
    std::span<const ProjectKey> keys;
    ProfileDocument::Name section;
    std::vector<ProfileDocument::Name> names;
};

std::vector<SectionKeys> makeSectionKeys()
{
    const std::span<const ProjectKey> keys = projectKeys();
    std::vector<SectionKeys> sections;
    std::size_t begin = 0;
    while (begin < keys.size()) {
        std::size_t end = begin + 1;
        while (end < keys.size() && keys[end].section == keys[begin].section)
            ++end;
        SectionKeys &s = sections.emplace_back(
            SectionKeys{keys.subspan(begin, end - begin), ProfileDocument::Name(keys[begin].section), {}});
        for (const ProjectKey &k : s.keys)
            s.names.emplace_back(k.key);
        begin = end;
    }
    return sections;
}

const std::vector<SectionKeys> &sectionKeys()
{
    static const std::vector<SectionKeys> sections = makeSectionKeys();
    return sections;
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

// Any integer but zero ticks a box. A lone digit, what a saved file holds, is read
// without the parser: files hold 140 of them.
bool ticks(QStringView value)
{
    if (value.size() == 1 && value.front() >= u'0' && value.front() <= u'9')
        return value.front() != u'0';
    return link::parseIntegerField(value).value_or(0) != 0;
}

} // namespace

ProjectValues readProject(const ProfileDocument &doc)
{
    ProjectValues values;
    QString *const edits = values.edits.data();
    bool *const ticked = values.ticks.data();
    ProfileDocument::Values found; // shared by the sections
    for (const SectionKeys &s : sectionKeys()) {
        const ProjectKey *k = s.keys.data();
        doc.values(s.section, s.names, found);
        found.forEach([&](std::optional<QStringView> value) {
            if (k->kind == ProjectKey::Kind::Text)
                edits[k->control] = value ? value->toString() : k->defaultValue;
            else
                ticked[k->control] = value && ticks(*value);
            ++k;
        });
    }
    return values;
}

bool writeProject(ProfileDocument &doc, const ProjectValues &values)
{
    std::vector<QStringView> texts(kGuardianBoxCount); // room for the largest section
    for (const SectionKeys &s : sectionKeys()) {
        QStringView *text = texts.data();
        for (const ProjectKey &k : s.keys) {
            const auto n = std::size_t(k.control);
            *text++ = k.kind == ProjectKey::Kind::Text ? values.edits[n] : values.ticks[n] ? kTicked : kClear;
        }
        if (!doc.setValues(s.section, s.names, std::span(texts).first(s.keys.size())))
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
