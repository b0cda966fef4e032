#include "project/profile_document.h"

#include "project/windows1250.h"

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

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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
            line.name = trimmed(t.sliced(1, close - 1)).toString();
        }
    } else if (!t.startsWith(u';')) {
        // Single-byte code page: the position of "=" is the same in bytes and characters.
        const qsizetype eq = decoded.indexOf(u'=');
        if (eq >= 0) {
            line.kind = Kind::Key;
            line.name = trimmed(QStringView(decoded).left(eq)).toString();
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
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && sameName(lines_[i].name, section))
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

qsizetype ProfileDocument::findKey(qsizetype header, QStringView key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line &line = lines_[std::size_t(i)];
        if (line.kind == Kind::Key && sameName(line.name, key))
            return i;
    }
    return -1;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype at = findKey(header, key);
    if (at < 0)
        return std::nullopt;
    return readValue(lines_[std::size_t(at)].rawValue);
}

void ProfileDocument::insertLine(qsizetype at, Line line)
{
    // Only the last line can lack its line end, and it no longer is the last.
    if (at == qsizetype(lines_.size()) && !lines_.empty() && lines_.back().end.isEmpty())
        lines_.back().end = kCrLf;
    lines_.insert(lines_.begin() + at, std::move(line));
}

bool ProfileDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    if (breaksLine(value) || !writableName(section, u']') || !writableName(key, u'='))
        return false;
    const auto encodedValue = encodeWindows1250(value);
    const auto encodedSection = encodeWindows1250(section);
    const auto encodedKey = encodeWindows1250(key);
    if (!encodedValue || !encodedSection || !encodedKey)
        return false;

    qsizetype header = findSection(section);
    if (header < 0) {
        // Set the new section off from what comes before it by one empty line.
        if (!lines_.empty() && !trimmed(decodeWindows1250(lines_.back().text)).isEmpty())
            insertLine(qsizetype(lines_.size()), makeLine(QByteArray(), kCrLf));
        header = qsizetype(lines_.size());
        insertLine(header, makeLine('[' + *encodedSection + ']', kCrLf));
    }

    const qsizetype at = findKey(header, key);
    if (at >= 0) {
        Line &line = lines_[std::size_t(at)];
        const qsizetype eq = line.text.indexOf('=');
        line = makeLine(line.text.left(eq + 1) + *encodedValue, line.end);
        return true;
    }

    qsizetype insertAt = header + 1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (lines_[std::size_t(i)].kind == Kind::Key)
            insertAt = i + 1;
    }
    insertLine(insertAt, makeLine(*encodedKey + '=' + *encodedValue, kCrLf));
    return true;
}

QByteArray ProfileDocument::toBytes() const
{
    QByteArray out;
    for (const Line &line : lines_)
        out += line.text + line.end;
    return out;
}

} // namespace vorna::project
