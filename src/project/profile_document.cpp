#include "project/profile_document.h"

#include "project/name_index.h"
#include "project/windows1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <utility>

namespace vorna::project {

namespace {

// The blanks that names and values lose at their ends. All are ASCII, so a line's
// bytes trim as its characters do.
constexpr std::array<bool, 256> kBlank = [] {
    std::array<bool, 256> blank{};
    for (const char c : {' ', '\t', '\r', '\n', '\v', '\f'})
        blank[std::uint8_t(c)] = true;
    return blank;
}();

QStringView trimmed(QStringView s)
{
    const auto blank = [](QChar c) { return c.unicode() < kBlank.size() && kBlank[c.unicode()]; };
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && blank(s[begin]))
        ++begin;
    while (end > begin && blank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

QByteArrayView trimmed(QByteArrayView s)
{
    const char *begin = s.data();
    const char *end = begin + s.size();
    while (begin != end && kBlank[std::uint8_t(*begin)])
        ++begin;
    while (end != begin && kBlank[std::uint8_t(end[-1])])
        --end;
    return QByteArrayView(begin, end);
}

// Quotes and blanks are ASCII and the code page has one byte a character, so the
// value is cut in bytes and only what is returned gets decoded.
QByteArrayView readValue(QByteArrayView raw)
{
    QByteArrayView v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return v.first(std::min(v.size(), ProfileDocument::kMaxValueLength));
}

// Characters that would end the line early (or end a C string in other readers).
bool breaksLine(QStringView s)
{
    return s.contains(u'\r') || s.contains(u'\n') || s.contains(QChar(0));
}

// A name that reads back as itself: trimmed, not empty, not taken for a comment, a
// header or the end of a key name, and in the code page.
bool writableName(QStringView name, QChar stop)
{
    return !name.isEmpty() && trimmed(name).size() == name.size() && !name.startsWith(u';')
        && !name.startsWith(u'[') && !name.contains(stop) && !breaksLine(name) && fitsWindows1250(name);
}

} // namespace

ProfileDocument::Name::Name(const QString &name)
    : folded_(name)
    , fitsHeader_(writableName(name, u']'))
    , fitsKeyLine_(writableName(name, u'='))
{
}

ProfileDocument::Line ProfileDocument::makeLine(const QByteArray &buffer, qsizetype begin, qsizetype size, End end)
{
    Line line;
    line.buffer = buffer;
    line.begin = begin;
    line.size = size;
    line.end = end;
    // Without the code page nothing decodes, and every line reads as empty.
    if (!windows1250Available())
        return line;
    const QByteArrayView text = line.text();
    const QByteArrayView t = trimmed(text);
    const auto setName = [&](const char *from, const char *to) {
        const QByteArrayView name = trimmed(QByteArrayView(from, to));
        line.nameBegin = name.data() - text.data();
        line.nameSize = name.size();
        line.nameHash = foldedHash(name);
    };
    if (t.startsWith('[')) {
        const qsizetype close = t.indexOf(']');
        if (close > 0) {
            line.kind = Kind::Section;
            setName(t.data() + 1, t.data() + close);
        }
    } else if (!t.startsWith(';')) {
        // Single-byte code page: the position of "=" is the same in bytes and characters.
        line.eq = text.indexOf('=');
        if (line.eq >= 0) {
            line.kind = Kind::Key;
            setName(text.data(), text.data() + line.eq);
        }
    }
    return line;
}

ProfileDocument::Line ProfileDocument::makeKeyLine(const QByteArray &buffer, qsizetype begin, qsizetype size,
                                                  const FoldedName &name)
{
    Line line;
    line.buffer = buffer;
    line.begin = begin;
    line.size = size;
    line.end = End::CrLf;
    line.kind = Kind::Key;
    line.nameSize = name.bytes()->size();
    line.nameHash = name.hash();
    line.eq = line.nameSize;
    return line;
}

ProfileDocument ProfileDocument::parse(QByteArrayView bytes)
{
    ProfileDocument doc;
    const QByteArray source = bytes.toByteArray();
    doc.lines_.reserve(std::size_t(bytes.count('\n')) + 1);
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            doc.lines_.push_back(makeLine(source, start, bytes.size() - start, End::None));
            break;
        }
        const bool cr = lf > start && bytes.data()[lf - 1] == '\r';
        doc.lines_.push_back(makeLine(source, start, lf - start - (cr ? 1 : 0), cr ? End::CrLf : End::Lf));
        start = lf + 1;
    }
    return doc;
}

qsizetype ProfileDocument::findSection(const FoldedName &section) const
{
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line &line = lines_[i];
        if (line.kind == Kind::Section && line.nameHash == section.hash() && section.matches(line.name()))
            return qsizetype(i);
    }
    return -1;
}

qsizetype ProfileDocument::sectionEnd(qsizetype header) const
{
    auto i = std::size_t(header) + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section)
        ++i;
    return qsizetype(i);
}

NameIndex ProfileDocument::keyIndex(qsizetype header, qsizetype end) const
{
    NameIndex index(std::size_t(end - header - 1));
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (line.kind == Kind::Key)
            index.add(line.nameHash, i);
    }
    return index;
}

qsizetype ProfileDocument::findKey(const NameIndex &index, const FoldedName &key) const
{
    return index.find(key.hash(), [&](qsizetype i) { return key.matches(lines_[std::size_t(i)].name()); });
}

ProfileDocument::Values ProfileDocument::values(const Name &section, std::span<const Name> keys) const
{
    Values found;
    found.spans_.assign(keys.size(), {-1, 0});
    const qsizetype header = findSection(section.folded_);
    if (header < 0)
        return found;
    // First each key's line, kept in the span's start, and the room all values need.
    const NameIndex index = keyIndex(header, sectionEnd(header));
    qsizetype size = 0;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (const qsizetype at = findKey(index, keys[k].folded_); at >= 0) {
            found.spans_[k].first = at;
            size += readValue(lines_[std::size_t(at)].rawValue()).size();
        }
    }
    found.text_.reserve(size);
    for (auto &[start, length] : found.spans_) {
        if (start >= 0) {
            const QByteArrayView value = readValue(lines_[std::size_t(start)].rawValue());
            start = found.text_.size();
            decodeWindows1250Into(found.text_, value);
            length = found.text_.size() - start;
        }
    }
    return found;
}

std::vector<std::optional<QString>> ProfileDocument::values(QStringView section, const QStringList &keys) const
{
    std::vector<Name> names;
    names.reserve(std::size_t(keys.size()));
    for (const QString &key : keys)
        names.emplace_back(key);
    const Values found = values(Name(section.toString()), names);
    std::vector<std::optional<QString>> texts(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (const auto value = found[k])
            texts[k] = value->toString();
    }
    return texts;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const
{
    return values(section, {key.toString()}).front();
}

bool ProfileDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    return setValues(section, {{key.toString(), value.toString()}});
}

bool ProfileDocument::setValues(QStringView section, const std::vector<Entry> &entries)
{
    std::vector<Name> keys;
    std::vector<QStringView> values;
    keys.reserve(entries.size());
    values.reserve(entries.size());
    for (const auto &[key, value] : entries) {
        keys.emplace_back(key);
        values.emplace_back(value);
    }
    return setValues(Name(section.toString()), keys, values);
}

bool ProfileDocument::setValues(const Name &section, std::span<const Name> keys, std::span<const QStringView> values)
{
    // Everything is checked before the first line changes.
    if (!section.fitsHeader_ || keys.size() != values.size())
        return false;
    for (std::size_t e = 0; e < keys.size(); ++e) {
        if (!keys[e].fitsKeyLine_ || breaksLine(values[e]) || !fitsWindows1250(values[e]))
            return false;
    }

    qsizetype header = findSection(section.folded_);
    if (header < 0) {
        // Set the new section off from what comes before it by one empty line.
        std::vector<Line> head;
        if (!lines_.empty() && !trimmed(lines_.back().text()).isEmpty())
            head.push_back(makeLine(QByteArray(), 0, 0, End::CrLf));
        const QByteArray bytes = '[' + *section.folded_.bytes() + ']';
        head.push_back(makeLine(bytes, 0, bytes.size(), End::CrLf));
        header = qsizetype(lines_.size() + head.size()) - 1;
        insertLines(qsizetype(lines_.size()), std::move(head));
    }

    const qsizetype end = sectionEnd(header);
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines_[std::size_t(i)].kind == Kind::Key)
            insertAt = i + 1;
    }

    // Entries as if stored one after the other: the last entry of a name gives the
    // value, and for a new key its spelling too; a new key goes where its first entry
    // put it. lastEntry holds, by line from the header on, the entry that sets it.
    const NameIndex existing = keyIndex(header, end);
    std::vector<qsizetype> lastEntry(std::size_t(end - header), -1);
    std::vector<std::size_t> newKeys; // by new key, its last entry
    std::optional<NameIndex> firstNewEntry;
    std::vector<std::size_t> newKeyOf; // by entry, for the first entry of a new key
    for (std::size_t e = 0; e < keys.size(); ++e) {
        const FoldedName &name = keys[e].folded_;
        if (const qsizetype at = findKey(existing, name); at >= 0) {
            lastEntry[std::size_t(at - header)] = qsizetype(e);
            continue;
        }
        if (!firstNewEntry) {
            firstNewEntry.emplace(keys.size());
            newKeyOf.resize(keys.size());
        }
        const qsizetype first =
            firstNewEntry->find(name.hash(), [&](qsizetype i) { return keys[std::size_t(i)].folded_ == name; });
        if (first >= 0) {
            newKeys[newKeyOf[std::size_t(first)]] = e;
        } else {
            firstNewEntry->add(name.hash(), qsizetype(e));
            newKeyOf[e] = newKeys.size();
            newKeys.push_back(e);
        }
    }

    // A value the line already holds leaves it as it is, bytes and all.
    std::vector<qsizetype> changed; // line numbers
    qsizetype size = 0;
    for (std::size_t i = 0; i < lastEntry.size(); ++i) {
        if (lastEntry[i] < 0)
            continue;
        const Line &line = lines_[std::size_t(header) + i];
        const QStringView value = values[std::size_t(lastEntry[i])];
        if (!isWindows1250Of(line.rawValue(), value)) {
            changed.push_back(header + qsizetype(i));
            size += line.eq + 1 + value.size();
        }
    }
    for (const std::size_t e : newKeys)
        size += keys[e].folded_.bytes()->size() + 1 + values[e].size();
    if (changed.empty() && newKeys.empty())
        return true;

    // The lines this edit writes share one buffer, complete before any line shares it.
    // Names and values were checked to fit the code page, so encoding cannot fail.
    QByteArray buffer;
    buffer.reserve(size);
    std::vector<qsizetype> starts;
    starts.reserve(changed.size() + newKeys.size() + 1);
    for (const qsizetype at : changed) {
        const Line &line = lines_[std::size_t(at)];
        starts.push_back(buffer.size());
        buffer.append(line.text().first(line.eq + 1));
        appendWindows1250(buffer, values[std::size_t(lastEntry[std::size_t(at - header)])]);
    }
    for (const std::size_t e : newKeys) {
        starts.push_back(buffer.size());
        buffer.append(*keys[e].folded_.bytes());
        buffer.append('=');
        appendWindows1250(buffer, values[e]);
    }
    starts.push_back(buffer.size());

    // A changed line keeps its name and "=", so only where its text lies changes.
    std::size_t written = 0;
    for (const qsizetype at : changed) {
        Line &line = lines_[std::size_t(at)];
        line.buffer = buffer;
        line.begin = starts[written];
        line.size = starts[written + 1] - starts[written];
        ++written;
    }
    // A new line is a key line by construction: a writable name has no "=", no blanks
    // at its ends and no leading "[" or ";".
    std::vector<Line> added;
    added.reserve(newKeys.size());
    for (const std::size_t e : newKeys) {
        added.push_back(makeKeyLine(buffer, starts[written], starts[written + 1] - starts[written], keys[e].folded_));
        ++written;
    }
    insertLines(insertAt, std::move(added));
    return true;
}

void ProfileDocument::insertLines(qsizetype at, std::vector<Line> lines)
{
    if (lines.empty())
        return;
    // Only the last line can lack its line end, and it no longer is the last.
    if (at == qsizetype(lines_.size()) && !lines_.empty() && lines_.back().end == End::None)
        lines_.back().end = End::CrLf;
    lines_.insert(lines_.begin() + at, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

QByteArray ProfileDocument::toBytes() const
{
    qsizetype size = 0;
    for (const Line &line : lines_)
        size += line.size + (line.end == End::CrLf ? 2 : line.end == End::Lf ? 1 : 0);
    if (size == 0)
        return QByteArray();
    QByteArray out(size, Qt::Uninitialized);
    char *to = out.data();
    for (const Line &line : lines_) {
        to = std::copy_n(line.buffer.constData() + line.begin, line.size, to);
        if (line.end == End::CrLf)
            *to++ = '\r';
        if (line.end != End::None)
            *to++ = '\n';
    }
    return out;
}

} // namespace vorna::project
