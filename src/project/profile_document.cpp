#include "project/profile_document.h"

#include "project/windows1250.h"

#include <iterator>
#include <utility>

namespace vorna::project {

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

QStringView trimmed(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

QString readValue(QStringView raw)
{
    QStringView v = trimmed(raw);
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    return v.left(ProfileDocument::kMaxValueLength).toString();
}

// Characters that would end the line early (or end a C string in other readers).
bool breaksLine(QStringView s)
{
    for (QChar c : s) {
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return true;
    }
    return false;
}

// A name that reads back as itself: trimmed, not empty, and not taken for a comment,
// a header or the end of a key name.
bool writableName(QStringView name, QChar stop)
{
    return !name.isEmpty() && trimmed(name).size() == name.size() && !name.startsWith(u';')
        && !name.startsWith(u'[') && !name.contains(stop) && !breaksLine(name);
}

} // namespace

ProfileDocument::Line ProfileDocument::makeLine(QByteArray text, QByteArray end)
{
    Line line;
    const QString decoded = decodeWindows1250(text);
    const QStringView t = trimmed(decoded);
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = trimmed(t.sliced(1, close - 1)).toString().toCaseFolded();
        }
    } else if (!t.startsWith(u';')) {
        // Single-byte code page: the position of "=" is the same in bytes and characters.
        const qsizetype eq = decoded.indexOf(u'=');
        if (eq >= 0) {
            line.kind = Kind::Key;
            line.name = trimmed(QStringView(decoded).left(eq)).toString().toCaseFolded();
            line.rawValue = decoded.sliced(eq + 1);
        }
    }
    line.text = std::move(text);
    line.end = std::move(end);
    return line;
}

ProfileDocument ProfileDocument::parse(QByteArrayView bytes)
{
    ProfileDocument doc;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            doc.lines_.push_back(makeLine(bytes.sliced(start).toByteArray(), QByteArray()));
            break;
        }
        qsizetype textEnd = lf;
        if (textEnd > start && bytes[textEnd - 1] == '\r')
            --textEnd;
        doc.lines_.push_back(makeLine(bytes.sliced(start, textEnd - start).toByteArray(),
                                      bytes.sliced(textEnd, lf + 1 - textEnd).toByteArray()));
        start = lf + 1;
    }
    return doc;
}

qsizetype ProfileDocument::findSection(QStringView section) const
{
    const QString folded = section.toString().toCaseFolded();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && lines_[i].name == folded)
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

QHash<QString, qsizetype> ProfileDocument::keyLines(qsizetype header) const
{
    QHash<QString, qsizetype> keys;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (line.kind == Kind::Key && !keys.contains(line.name))
            keys.insert(line.name, i);
    }
    return keys;
}

std::vector<std::optional<QString>> ProfileDocument::values(QStringView section, const QStringList &keys) const
{
    std::vector<std::optional<QString>> found(std::size_t(keys.size()));
    const qsizetype header = findSection(section);
    if (header < 0)
        return found;
    const QHash<QString, qsizetype> lines = keyLines(header);
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const qsizetype at = lines.value(keys[k].toCaseFolded(), -1);
        if (at >= 0)
            found[std::size_t(k)] = readValue(lines_[std::size_t(at)].rawValue);
    }
    return found;
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
    // Everything is checked and encoded before the first line changes.
    const auto encodedSection = encodeWindows1250(section);
    if (!writableName(section, u']') || !encodedSection)
        return false;
    std::vector<std::pair<QByteArray, QByteArray>> encoded;
    for (const auto &[key, value] : entries) {
        const auto k = encodeWindows1250(key);
        const auto v = encodeWindows1250(value);
        if (!writableName(key, u'=') || breaksLine(value) || !k || !v)
            return false;
        encoded.emplace_back(*k, *v);
    }

    qsizetype header = findSection(section);
    if (header < 0) {
        // Set the new section off from what comes before it by one empty line.
        std::vector<Line> head;
        if (!lines_.empty() && !trimmed(decodeWindows1250(lines_.back().text)).isEmpty())
            head.push_back(makeLine(QByteArray(), kCrLf));
        head.push_back(makeLine('[' + *encodedSection + ']', kCrLf));
        header = qsizetype(lines_.size() + head.size()) - 1;
        insertLines(qsizetype(lines_.size()), std::move(head));
    }

    const QHash<QString, qsizetype> existing = keyLines(header);
    qsizetype insertAt = header + 1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines_[std::size_t(i)].kind == Kind::Key)
            insertAt = i + 1;
    }

    std::vector<Line> added;
    QHash<QString, std::size_t> addedIndex;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const QString folded = entries[e].first.toCaseFolded();
        const auto &[key, value] = encoded[e];
        if (const qsizetype at = existing.value(folded, -1); at >= 0) {
            Line &line = lines_[std::size_t(at)];
            line = makeLine(line.text.left(line.text.indexOf('=') + 1) + value, line.end);
        } else if (const auto it = addedIndex.constFind(folded); it != addedIndex.cend()) {
            added[*it] = makeLine(key + '=' + value, kCrLf);
        } else {
            addedIndex.insert(folded, added.size());
            added.push_back(makeLine(key + '=' + value, kCrLf));
        }
    }
    insertLines(insertAt, std::move(added));
    return true;
}

void ProfileDocument::insertLines(qsizetype at, std::vector<Line> lines)
{
    if (lines.empty())
        return;
    // Only the last line can lack its line end, and it no longer is the last.
    if (at == qsizetype(lines_.size()) && !lines_.empty() && lines_.back().end.isEmpty())
        lines_.back().end = kCrLf;
    lines_.insert(lines_.begin() + at, std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
}

QByteArray ProfileDocument::toBytes() const
{
    QByteArray out;
    for (const Line &line : lines_)
        out += line.text + line.end;
    return out;
}

} // namespace vorna::project
