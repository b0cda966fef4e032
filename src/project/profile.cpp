// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/profile.h"

#include <QHash>

#include <algorithm>

namespace vorna::project {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

QStringView trimmed(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The spelling that names of any letter case share: Qt's case folding, which its
// case-insensitive compare uses. Key names are looked up by it, as a section may hold
// many thousands of lines.
QString folded(QStringView name)
{
    return name.toString().toCaseFolded();
}

// One line of a text: `begin` is where it starts in the text, `end` its line break
// (empty for a last line without one).
struct Line {
    qsizetype begin = 0;
    QStringView text;
    QStringView end;
    enum Kind { Other, Section, Key } kind = Other;
    QStringView name;
    qsizetype valueBegin = 0; // a key line's raw value, from after "=" to the line break
    qsizetype next() const { return begin + text.size() + end.size(); }
};

Line lineAt(QStringView all, qsizetype begin)
{
    Line line;
    line.begin = begin;
    qsizetype stop = begin;
    while (stop < all.size() && all[stop] != u'\n' && all[stop] != u'\r')
        ++stop;
    const bool crLf = stop + 1 < all.size() && all[stop] == u'\r' && all[stop + 1] == u'\n';
    line.text = all.sliced(begin, stop - begin);
    line.end = all.sliced(stop, stop == all.size() ? 0 : crLf ? 2 : 1);

    const QStringView lead = trimmed(line.text);
    if (lead.startsWith(u'[')) {
        if (lead.contains(u']')) {
            line.kind = Line::Section;
            line.name = trimmed(lead.sliced(1, lead.indexOf(u']') - 1));
        }
    } else if (!lead.startsWith(u';') && line.text.contains(u'=')) {
        const qsizetype eq = line.text.indexOf(u'=');
        line.kind = Line::Key;
        line.name = trimmed(line.text.first(eq));
        line.valueBegin = begin + eq + 1;
    }
    return line;
}

QString readValue(QStringView raw)
{
    QStringView v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return v.first(std::min(v.size(), kMaxValueLength)).toString();
}

// Which characters the file can hold depends on its encoding, decided for the whole
// file when it is written; any encoding holds a line only without breaks and NUL.
bool storable(QStringView text)
{
    return !text.contains(u'\r') && !text.contains(u'\n') && !text.contains(QChar(0));
}

bool storableName(QStringView name, QChar stop)
{
    return !name.isEmpty() && trimmed(name).size() == name.size() && !name.startsWith(u';')
        && !name.startsWith(u'[') && !name.contains(stop) && storable(name);
}

// The header line of the first section of this name, or nullopt.
std::optional<Line> findSection(QStringView text, QStringView section)
{
    for (qsizetype at = 0; at < text.size();) {
        const Line line = lineAt(text, at);
        if (line.kind == Line::Section && sameName(line.name, section))
            return line;
        at = line.next();
    }
    return std::nullopt;
}

} // namespace

std::optional<std::vector<std::optional<QString>>> readSection(QStringView text, QStringView section,
                                                               const QStringList &keys)
{
    const std::optional<Line> header = findSection(text, section);
    if (!header)
        return std::nullopt;
    QHash<QString, qsizetype> wanted; // each name asked for, at its first place in keys
    for (qsizetype k = keys.size() - 1; k >= 0; --k)
        wanted.insert(folded(keys[k]), k);
    std::vector<std::optional<QString>> values(std::size_t(keys.size()));
    for (qsizetype at = header->next(); at < text.size();) {
        const Line line = lineAt(text, at);
        if (line.kind == Line::Section)
            break;
        const auto k = line.kind == Line::Key ? wanted.constFind(folded(line.name)) : wanted.constEnd();
        if (k != wanted.constEnd() && !values[std::size_t(*k)])
            values[std::size_t(*k)] = readValue(text.sliced(line.valueBegin, line.begin + line.text.size() - line.valueBegin));
        at = line.next();
    }
    for (qsizetype k = 0; k < keys.size(); ++k) // a name asked for twice has one value
        values[std::size_t(k)] = values[std::size_t(wanted.value(folded(keys[k])))];
    return values;
}

std::optional<QString> writeSection(QStringView text, QStringView section, const std::vector<Entry> &entries)
{
    if (!storableName(section, u']'))
        return std::nullopt;
    // One entry a name: the first spelling, the last value.
    std::vector<Entry> keys;
    QHash<QString, std::size_t> place; // of each name in keys
    for (const Entry &entry : entries) {
        if (!storableName(entry.first, u'=') || !storable(entry.second))
            return std::nullopt;
        const QString name = folded(entry.first);
        if (!place.contains(name)) {
            place.insert(name, keys.size());
            keys.push_back(entry);
        }
        keys[place.value(name)].second = entry.second;
    }
    const auto newLines = [&](const std::vector<bool> &inFile) {
        QString lines;
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (!inFile[k])
                lines += keys[k].first + QStringLiteral("=") + keys[k].second + QStringLiteral("\r\n");
        }
        return lines;
    };
    std::vector<bool> inFile(keys.size(), false);

    const std::optional<Line> header = findSection(text, section);
    if (!header) {
        // Set the new section off from what comes before it by one empty line.
        QString out = text.toString();
        Line last;
        for (qsizetype at = 0; at < text.size(); at = last.next())
            last = lineAt(text, at);
        if (!text.isEmpty() && last.end.isEmpty())
            out += u"\r\n";
        if (!trimmed(last.text).isEmpty())
            out += u"\r\n";
        out += u'[';
        out += section;
        out += u"]\r\n";
        return out + newLines(inFile);
    }

    QString out;
    qsizetype copied = 0; // text before this is in `out`
    Line lastKey = *header;
    for (qsizetype at = header->next(); at < text.size();) {
        const Line line = lineAt(text, at);
        if (line.kind == Line::Section)
            break;
        if (line.kind == Line::Key) {
            lastKey = line;
            const auto k = place.constFind(folded(line.name));
            if (k != place.constEnd() && !inFile[*k]) {
                inFile[*k] = true;
                out += text.sliced(copied, line.valueBegin - copied);
                out += keys[*k].second;
                copied = line.begin + line.text.size();
            }
        }
        at = line.next();
    }
    const QString added = newLines(inFile);
    out += text.sliced(copied, lastKey.next() - copied);
    if (!added.isEmpty() && lastKey.end.isEmpty())
        out += u"\r\n";
    out += added;
    out += text.sliced(lastKey.next());
    return out;
}

} // namespace vorna::project
