#include "project/profile_document.h"

#include "project/name_index.h"
#include "project/windows1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
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

ProfileDocument::Line ProfileDocument::makeLine(std::size_t buffer, qsizetype begin, qsizetype size, End end) const
{
    Line line;
    line.buffer = buffer;
    line.begin = begin;
    line.size = size;
    line.end = end;
    // Without the code page nothing decodes, and every line reads as empty.
    if (!windows1250Available())
        return line;
    const QByteArrayView text = this->text(line);
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

ProfileDocument ProfileDocument::parse(QByteArrayView bytes)
{
    ProfileDocument doc;
    doc.buffers_.push_back(bytes.toByteArray());
    std::size_t lines = 1;
    const char *const end = bytes.data() + bytes.size();
    for (const char *lf = bytes.data();
         lf != end && (lf = static_cast<const char *>(std::memchr(lf, '\n', std::size_t(end - lf)))); ++lf)
        ++lines;
    doc.lines_.reserve(lines);
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            doc.lines_.push_back(doc.makeLine(0, start, bytes.size() - start, End::None));
            start = bytes.size();
        } else {
            const bool cr = lf > start && bytes.data()[lf - 1] == '\r';
            doc.lines_.push_back(doc.makeLine(0, start, lf - start - (cr ? 1 : 0), cr ? End::CrLf : End::Lf));
            start = lf + 1;
        }
        if (doc.lines_.back().kind == Kind::Section)
            doc.headers_.push_back(qsizetype(doc.lines_.size()) - 1);
    }
    return doc;
}

qsizetype ProfileDocument::findSection(const FoldedName &section) const
{
    for (const qsizetype at : headers_) {
        const Line &line = lines_[std::size_t(at)];
        if (line.nameHash == section.hash() && section.matches(name(line)))
            return at;
    }
    return -1;
}

qsizetype ProfileDocument::sectionEnd(qsizetype header) const
{
    const auto next = std::upper_bound(headers_.begin(), headers_.end(), header);
    return next != headers_.end() ? *next : qsizetype(lines_.size());
}

void ProfileDocument::indexKeys(NameIndex &index, qsizetype header, qsizetype end) const
{
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (line.kind == Kind::Key)
            index.add(line.nameHash, i);
    }
}

qsizetype ProfileDocument::findKey(const NameIndex &index, const FoldedName &key) const
{
    return index.find(key.hash(), [&](qsizetype i) {
        const Line &line = lines_[std::size_t(i)];
        return line.nameHash == key.hash() && key.matches(name(line));
    });
}

ProfileDocument::Values ProfileDocument::values(const Name &section, std::span<const Name> keys) const
{
    Values found;
    const qsizetype header = findSection(section.folded_);
    if (header < 0)
        return found;
    found.spans_.assign(keys.size(), {-1, 0});
    // First each key's line, kept in the span's start, and room enough for the values.
    const qsizetype end = sectionEnd(header);
    NameIndex index(std::size_t(end - header - 1));
    indexKeys(index, header, end);
    qsizetype size = 0;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (const qsizetype at = findKey(index, keys[k].folded_); at >= 0) {
            found.spans_[k].first = at;
            size += rawValue(lines_[std::size_t(at)]).size();
        }
    }
    found.text_.reserve(size);
    for (auto &[start, length] : found.spans_) {
        if (start >= 0) {
            const QByteArrayView value = readValue(rawValue(lines_[std::size_t(start)]));
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
    if (!section.fitsHeader_ || keys.size() != values.size())
        return false;
    qsizetype header = findSection(section.folded_);
    const qsizetype sectionLines = header >= 0 ? sectionEnd(header) - header : 1;

    // One allocation for the bookkeeping below: where each encoded value starts, the
    // entry that sets each line of the section, and the new keys with their entries.
    const std::size_t n = keys.size();
    std::vector<qsizetype> scratch(n + 1 + std::size_t(sectionLines) + 2 * n);
    const std::span<qsizetype> valueStarts(scratch.data(), n + 1);
    const std::span<qsizetype> lastEntry(valueStarts.data() + n + 1, std::size_t(sectionLines));
    const std::span<qsizetype> newKeyOf(lastEntry.data() + sectionLines, n);
    const std::span<qsizetype> newKeys(newKeyOf.data() + n, n);

    // Every value is encoded once, and everything checked, before the first line changes.
    for (std::size_t e = 0; e < n; ++e)
        valueStarts[e + 1] = valueStarts[e] + values[e].size();
    QByteArray encoded(valueStarts.back(), Qt::Uninitialized);
    for (std::size_t e = 0; e < n; ++e) {
        if (!keys[e].fitsKeyLine_ || !encodeWindows1250To(values[e], encoded.data() + valueStarts[e]))
            return false;
    }
    // The characters that break a line are ASCII, so they show in the bytes as they were.
    if (encoded.contains('\r') || encoded.contains('\n') || encoded.contains('\0'))
        return false;
    const auto encodedValue = [&](std::size_t e) {
        return QByteArrayView(encoded).sliced(valueStarts[e], valueStarts[e + 1] - valueStarts[e]);
    };

    if (header < 0) {
        // Set the new section off from what comes before it by one empty line.
        const bool blankLine = !lines_.empty() && !trimmed(text(lines_.back())).isEmpty();
        buffers_.push_back('[' + *section.folded_.bytes() + ']');
        const qsizetype count = blankLine ? 2 : 1;
        Line *const head = makeRoom(qsizetype(lines_.size()), count);
        if (blankLine)
            head[0] = makeLine(buffers_.size() - 1, 0, 0, End::CrLf);
        head[count - 1] = makeLine(buffers_.size() - 1, 0, buffers_.back().size(), End::CrLf);
        header = qsizetype(lines_.size()) - 1;
        headers_.push_back(header);
    }

    const qsizetype end = header + sectionLines;
    qsizetype insertAt = header + 1;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines_[std::size_t(i)].kind == Kind::Key)
            insertAt = i + 1;
    }

    // Entries as if stored one after the other: the last entry of a name gives the
    // value, and for a new key its spelling too; a new key goes where its first entry
    // put it. lastEntry holds, by line from the header on, the entry that sets it.
    NameIndex existing(std::size_t(sectionLines - 1));
    indexKeys(existing, header, end);
    std::fill(lastEntry.begin(), lastEntry.end(), -1);
    std::size_t newKeyCount = 0;
    std::optional<NameIndex> firstNewEntry;
    for (std::size_t e = 0; e < n; ++e) {
        const FoldedName &name = keys[e].folded_;
        if (const qsizetype at = findKey(existing, name); at >= 0) {
            lastEntry[std::size_t(at - header)] = qsizetype(e);
            continue;
        }
        if (!firstNewEntry)
            firstNewEntry.emplace(n);
        const qsizetype first =
            firstNewEntry->find(name.hash(), [&](qsizetype i) { return keys[std::size_t(i)].folded_ == name; });
        if (first >= 0) {
            newKeys[std::size_t(newKeyOf[std::size_t(first)])] = qsizetype(e);
        } else {
            firstNewEntry->add(name.hash(), qsizetype(e));
            newKeyOf[e] = qsizetype(newKeyCount);
            newKeys[newKeyCount++] = qsizetype(e);
        }
    }

    // A value the line already holds leaves it as it is, bytes and all; lastEntry then
    // forgets the line.
    qsizetype size = 0;
    for (std::size_t i = 0; i < lastEntry.size(); ++i) {
        if (lastEntry[i] < 0)
            continue;
        const Line &line = lines_[std::size_t(header) + i];
        const QByteArrayView value = encodedValue(std::size_t(lastEntry[i]));
        if (rawValue(line) == value)
            lastEntry[i] = -1;
        else
            size += line.eq + 1 + value.size();
    }
    for (std::size_t k = 0; k < newKeyCount; ++k) {
        const auto e = std::size_t(newKeys[k]);
        size += keys[e].folded_.bytes()->size() + 1 + encodedValue(e).size();
    }
    if (size == 0)
        return true;

    // The lines this edit writes go into one buffer of their own. A changed line keeps
    // its name and "=", so only where its text lies changes. A new line is a key line
    // by construction: a writable name has no "=", no blanks at its ends and no leading
    // "[" or ";".
    QByteArray buffer(size, Qt::Uninitialized);
    char *const start = buffer.data();
    char *to = start;
    const auto put = [&](QByteArrayView bytes) { to = std::copy_n(bytes.data(), bytes.size(), to); };
    const std::size_t written = buffers_.size();
    for (std::size_t i = 0; i < lastEntry.size(); ++i) {
        if (lastEntry[i] < 0)
            continue;
        Line &line = lines_[std::size_t(header) + i];
        const char *const from = to;
        put(text(line).first(line.eq + 1));
        put(encodedValue(std::size_t(lastEntry[i])));
        line.buffer = written;
        line.begin = from - start;
        line.size = to - from;
    }
    Line *const added = makeRoom(insertAt, qsizetype(newKeyCount));
    for (std::size_t k = 0; k < newKeyCount; ++k) {
        const auto e = std::size_t(newKeys[k]);
        const FoldedName &name = keys[e].folded_;
        const char *const from = to;
        put(*name.bytes());
        *to++ = '=';
        put(encodedValue(e));
        Line &line = added[k];
        line.buffer = written;
        line.begin = from - start;
        line.size = to - from;
        line.end = End::CrLf;
        line.kind = Kind::Key;
        line.nameSize = name.bytes()->size();
        line.nameHash = name.hash();
        line.eq = line.nameSize;
    }
    buffers_.push_back(std::move(buffer));
    return true;
}

ProfileDocument::Line *ProfileDocument::makeRoom(qsizetype at, qsizetype count)
{
    // Only the last line can lack its line end, and it no longer is the last.
    if (count > 0 && at == qsizetype(lines_.size()) && !lines_.empty() && lines_.back().end == End::None)
        lines_.back().end = End::CrLf;
    for (auto h = std::lower_bound(headers_.begin(), headers_.end(), at); h != headers_.end(); ++h)
        *h += count;
    lines_.insert(lines_.begin() + at, std::size_t(count), Line());
    return lines_.data() + at;
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
        to = std::copy_n(text(line).data(), line.size, to);
        if (line.end == End::CrLf)
            *to++ = '\r';
        if (line.end != End::None)
            *to++ = '\n';
    }
    return out;
}

} // namespace vorna::project
