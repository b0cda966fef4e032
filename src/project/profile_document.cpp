#include "project/profile_document.h"

#include "project/name_index.h"
#include "project/windows1250.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

namespace vorna::project {

namespace {

// The blanks that names and values lose at their ends: space, tab, LF, VT, FF, CR.
// All are ASCII, so a line's bytes trim as its characters do. Every line is trimmed,
// so the test is arithmetic rather than a chain of comparisons: a bit of a mask for the
// bytes under 64 (1 >> (byte >> 6) is 0 for the others).
constexpr std::uint64_t kBlankMask =
    1ull << ' ' | 1ull << '\t' | 1ull << '\n' | 1ull << '\v' | 1ull << '\f' | 1ull << '\r';

bool isBlank(std::uint32_t c)
{
    return c < 64 && (kBlankMask >> c & 1) != 0;
}

std::uint64_t blankByte(std::uint8_t byte)
{
    return kBlankMask >> (byte & 63u) & (1u >> (byte >> 6));
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(s[end - 1].unicode()))
        --end;
    return s.sliced(begin, end - begin);
}

QByteArrayView trimmed(QByteArrayView s)
{
    const char *begin = s.data();
    const char *end = begin + s.size();
    while (begin != end && blankByte(std::uint8_t(*begin)) != 0)
        ++begin;
    while (end != begin && blankByte(std::uint8_t(end[-1])) != 0)
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
    return std::any_of(s.begin(), s.end(), [](QChar c) {
        return c.unicode() <= u'\r' && (c == u'\r' || c == u'\n' || c == u'\0');
    });
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

ProfileDocument::Line ProfileDocument::makeLine(const char *data, qsizetype size, End end, bool readable)
{
    Line line;
    line.data = data;
    line.size = size;
    line.end = end;
    if (!readable)
        return line;
    const QByteArrayView text = line.text();
    // What follows the leading blanks tells a header or a comment; blanks at the end
    // hold no "]".
    const char *lead = data;
    const char *const last = data + size;
    while (lead != last && blankByte(std::uint8_t(*lead)) != 0)
        ++lead;
    const QByteArrayView t(lead, last);
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

ProfileDocument ProfileDocument::parse(QByteArrayView bytes)
{
    ProfileDocument doc;
    // Room for what a project file needs: its seven sections, and the buffers of an edit
    // of each.
    doc.headers_.reserve(8);
    doc.buffers_.reserve(16);
    doc.buffers_.push_back(bytes.toByteArray());
    const char *const source = doc.buffers_.back().constData();
    const bool readable = windows1250Available();
    std::size_t lines = 1;
    const char *const end = bytes.data() + bytes.size();
    for (const char *lf = bytes.data();
         lf != end && (lf = static_cast<const char *>(std::memchr(lf, '\n', std::size_t(end - lf)))); ++lf)
        ++lines;
    doc.lines_.reserve(lines);
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        Line line;
        if (lf < 0) {
            line = makeLine(source + start, bytes.size() - start, End::None, readable);
            start = bytes.size();
        } else {
            const bool cr = lf > start && bytes.data()[lf - 1] == '\r';
            line = makeLine(source + start, lf - start - (cr ? 1 : 0), cr ? End::CrLf : End::Lf, readable);
            start = lf + 1;
        }
        if (line.kind == Kind::Section)
            doc.headers_.push_back(qsizetype(doc.lines_.size()));
        doc.lines_.push_back(line);
    }
    return doc;
}

qsizetype ProfileDocument::findSection(const FoldedName &section) const
{
    for (const qsizetype at : headers_) {
        const Line &line = lines_[std::size_t(at)];
        if (line.nameHash == section.hash() && section.matches(line.name()))
            return at;
    }
    return -1;
}

qsizetype ProfileDocument::sectionEnd(qsizetype header) const
{
    const auto next = std::upper_bound(headers_.begin(), headers_.end(), header);
    return next != headers_.end() ? *next : qsizetype(lines_.size());
}

qsizetype ProfileDocument::indexKeys(NameIndex &index, qsizetype header, qsizetype end) const
{
    const Line *const first = lines_.data();
    const Line *afterLastKey = first + header + 1;
    // Copies of the lines: the checks on reading a member then run once a line.
    for (const Line *at = afterLastKey, *stop = first + end; at != stop; ++at) {
        const Line line = *at;
        if (line.kind == Kind::Key) {
            index.add(line.nameHash, at - first);
            afterLastKey = at + 1;
        }
    }
    return afterLastKey - first;
}

qsizetype ProfileDocument::findKey(const NameIndex &index, const FoldedName &key) const
{
    const Line *const lines = lines_.data();
    const std::size_t hash = key.hash();
    return index.find(hash, [&](qsizetype i) {
        const Line line = lines[i];
        return line.nameHash == hash && key.matches(line.name());
    });
}

ProfileDocument::Values ProfileDocument::values(const Name &section, std::span<const Name> keys) const
{
    Values found;
    values(section, keys, found);
    return found;
}

void ProfileDocument::values(const Name &section, std::span<const Name> keys, Values &found) const
{
    found.values_.assign(keys.size(), Values::Value());
    const qsizetype header = findSection(section.folded_);
    if (header < 0)
        return;
    // First each key's line, kept in the size until the value is there, and the room
    // for all values; then the values decoded one after the other. The loops run for
    // every key of a file, so they walk plain pointers.
    const qsizetype end = sectionEnd(header);
    NameIndex index(std::size_t(end - header - 1));
    indexKeys(index, header, end);
    const Line *const lines = lines_.data();
    Values::Value *const first = found.values_.data();
    Values::Value *const last = first + keys.size();
    Values::Value *value = first;
    qsizetype room = 0;
    for (const Name &key : keys) {
        const qsizetype at = findKey(index, key.folded_);
        value->size = at;
        room += at >= 0 ? lines[at].size : 0;
        ++value;
    }
    found.text_.resize(room);
    char16_t *to = reinterpret_cast<char16_t *>(found.text_.data());
    for (value = first; value != last; ++value) {
        const qsizetype at = value->size;
        if (at < 0) {
            value->size = 0;
            continue;
        }
        const Line line = lines[at];
        const QByteArrayView bytes = readValue(line.rawValue());
        decodeWindows1250To(bytes, to);
        *value = {to, bytes.size()};
        to += bytes.size();
    }
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
    if (!section.fitsHeader_ || keys.size() != values.size())
        return false;
    qsizetype header = findSection(section.folded_);
    const qsizetype sectionLines = header >= 0 ? sectionEnd(header) - header : 1;

    // One allocation for the bookkeeping below: where each encoded value starts, the
    // entry that sets each line of the section, the new keys with their entries, and
    // the encoded values. The loops run for every key of a file, so they walk plain
    // pointers.
    const std::size_t n = keys.size();
    const Name *const keysEnd = keys.data() + n;
    qsizetype total = 0;
    for (const QStringView &value : values)
        total += value.size();
    const std::size_t numbers = n + 1 + std::size_t(sectionLines) + 2 * n;
    const std::size_t bytesRoom = (std::size_t(total) + sizeof(qsizetype)) / sizeof(qsizetype);
    const auto scratch = std::make_unique_for_overwrite<qsizetype[]>(numbers + bytesRoom);
    qsizetype *const valueStart = scratch.get();
    qsizetype *const lastEntry = valueStart + n + 1; // by line from the header on
    qsizetype *const lastEntryEnd = lastEntry + sectionLines;
    qsizetype *const newKeyOf = lastEntryEnd; // by entry
    qsizetype *const newKeys = newKeyOf + n;
    char *const encoded = reinterpret_cast<char *>(valueStart + numbers);

    // Every value is encoded once, and everything checked, before the first line changes.
    for (const Name &key : keys) {
        if (!key.fitsKeyLine_)
            return false;
    }
    qsizetype *start = valueStart;
    qsizetype at = 0;
    for (const QStringView &value : values) {
        *start++ = at;
        at += value.size();
    }
    *start = total;
    if (!encodeWindows1250To(values, encoded))
        return false;
    // The characters that break a line are ASCII, so they show in the bytes as they were.
    for (const char c : {'\r', '\n', '\0'}) {
        if (total > 0 && std::memchr(encoded, c, std::size_t(total)))
            return false;
    }
    const auto encodedValue = [&](qsizetype entry) {
        const qsizetype *const at = valueStart + entry;
        return QByteArrayView(encoded + at[0], at[1] - at[0]);
    };

    if (header < 0) {
        // Set the new section off from what comes before it by one empty line.
        const bool blankLine = !lines_.empty() && !trimmed(lines_.back().text()).isEmpty();
        const QByteArray &name = *section.folded_.bytes();
        buffers_.push_back(QByteArray(blankLine ? "\r\n[" : "[") + name + "]\r\n");
        const char *const bytes = buffers_.back().constData();
        const qsizetype count = blankLine ? 2 : 1;
        Line *const head = makeRoom(qsizetype(lines_.size()), count);
        // The section name was encoded, so the code page is there.
        if (blankLine)
            head[0] = makeLine(bytes, 0, End::CrLf, true);
        head[count - 1] = makeLine(bytes + 2 * (count - 1), name.size() + 2, End::CrLf, true);
        header = qsizetype(lines_.size()) - 1;
        headers_.push_back(header);
    }

    // Entries as if stored one after the other: the last entry of a name gives the
    // value, and for a new key its spelling too; a new key goes where its first entry
    // put it. A value that a line already holds leaves the line as it is, bytes and
    // all. lastEntry holds, by line from the header on, the entry that changes the
    // line, or -1; `size` becomes room enough for the lines to write.
    NameIndex existing(std::size_t(sectionLines - 1));
    const qsizetype insertAt = indexKeys(existing, header, header + sectionLines);
    std::memset(lastEntry, 0xFF, std::size_t(sectionLines) * sizeof *lastEntry); // all -1
    Line *const sectionStart = lines_.data() + header;
    qsizetype size = 0;
    qsizetype *newKey = newKeys;
    std::optional<NameIndex> firstNewEntry;
    qsizetype e = 0;
    const char *valueBytes = encoded;
    const QStringView *value = values.data();
    for (const Name *key = keys.data(); key != keysEnd; ++key, ++value, ++e) {
        const QByteArrayView bytes(valueBytes, value->size());
        valueBytes += value->size();
        const FoldedName &name = key->folded_;
        if (const qsizetype at = findKey(existing, name); at >= 0) {
            const Line line = sectionStart[at - header];
            const bool same = line.rawValue() == bytes;
            lastEntry[at - header] = same ? -1 : e;
            size += same ? 0 : line.eq + 1 + bytes.size() + qsizetype(line.end);
            continue;
        }
        size += name.bytes()->size() + 1 + bytes.size() + 2;
        if (!firstNewEntry)
            firstNewEntry.emplace(n);
        const qsizetype first =
            firstNewEntry->find(name.hash(), [&](qsizetype i) { return keys.data()[i].folded_ == name; });
        if (first >= 0) {
            newKeys[newKeyOf[first]] = e;
        } else {
            firstNewEntry->add(name.hash(), e);
            newKeyOf[e] = newKey - newKeys;
            *newKey++ = e;
        }
    }
    qsizetype *const newKeysEnd = newKey;
    if (size == 0)
        return true;

    // The lines this edit writes go into one buffer of their own, each with its line
    // end. A changed line keeps its name, "=" and line end, so only where its text lies
    // changes. A new line is a key line by construction: a writable name has no "=", no
    // blanks at its ends and no leading "[" or ";".
    QByteArray buffer(size, Qt::Uninitialized);
    char *to = buffer.data();
    const auto put = [&](QByteArrayView bytes) {
        if (!bytes.isEmpty())
            to = static_cast<char *>(std::memcpy(to, bytes.data(), std::size_t(bytes.size()))) + bytes.size();
    };
    Line *changed = sectionStart;
    for (const qsizetype *last = lastEntry; last != lastEntryEnd; ++last, ++changed) {
        const qsizetype entry = *last;
        if (entry < 0)
            continue;
        Line line = *changed;
        const char *const from = to;
        put(QByteArrayView(line.data, line.eq + 1));
        put(encodedValue(entry));
        put(QByteArrayView(line.data + line.size, qsizetype(line.end)));
        line.data = from;
        line.size = to - from - qsizetype(line.end);
        *changed = line;
    }
    Line *added = makeRoom(insertAt, newKeysEnd - newKeys);
    for (const qsizetype *k = newKeys; k != newKeysEnd; ++k, ++added) {
        const qsizetype entry = *k;
        const FoldedName &name = keys.data()[entry].folded_;
        const QByteArray &nameBytes = *name.bytes();
        Line line;
        line.data = to;
        put(nameBytes);
        *to++ = '=';
        put(encodedValue(entry));
        line.size = to - line.data;
        put("\r\n");
        line.end = End::CrLf;
        line.kind = Kind::Key;
        line.nameSize = nameBytes.size();
        line.nameHash = name.hash();
        line.eq = line.nameSize;
        *added = line;
    }
    buffers_.push_back(std::move(buffer));
    return true;
}

ProfileDocument::Line *ProfileDocument::makeRoom(qsizetype at, qsizetype count)
{
    // Only the last line can lack its line end, and it no longer is the last. Its text
    // moves to a buffer of its own, where the line end can follow it as with all lines.
    if (count > 0 && at == qsizetype(lines_.size()) && !lines_.empty() && lines_.back().end == End::None) {
        Line &last = lines_.back();
        buffers_.push_back(last.text().toByteArray() + "\r\n");
        last.data = buffers_.back().constData();
        last.end = End::CrLf;
    }
    for (auto h = std::lower_bound(headers_.begin(), headers_.end(), at); h != headers_.end(); ++h)
        *h += count;
    lines_.insert(lines_.begin() + at, std::size_t(count), Line());
    return lines_.data() + at;
}

QByteArray ProfileDocument::toBytes() const
{
    // A line's end follows its text in its buffer, and lines that follow each other in
    // a buffer are copied as one: a file just read is a single copy. Every line of a
    // file passes here, so the loops walk plain pointers.
    const Line *const first = lines_.data();
    const Line *const last = first + lines_.size();
    qsizetype size = 0;
    for (const Line *at = first; at != last; ++at) {
        const Line line = *at;
        size += line.size + qsizetype(line.end);
    }
    if (size == 0)
        return QByteArray();
    QByteArray out;
    out.reserve(size);
    const char *runStart = nullptr;
    const char *runEnd = nullptr;
    for (const Line *at = first; at != last; ++at) {
        const Line line = *at;
        if (line.data != runEnd) {
            out.append(runStart, runEnd - runStart);
            runStart = line.data;
        }
        runEnd = line.data + (line.size + qsizetype(line.end));
    }
    out.append(runStart, runEnd - runStart);
    return out;
}

} // namespace vorna::project
