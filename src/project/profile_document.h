#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "project/folded_name.h"

namespace vorna::project {

class NameIndex;

// A Windows profile (INI) file held as its lines, so that saving into an existing
// file changes only the lines of the keys written and keeps every other byte.
//
// Reading rules: a line whose first non-blank character is "[" and that holds a
// "]" starts a section named by the text between them; a line holding "=" is a key
// line, named by the text before the first "="; a line starting with ";" is a
// comment. Names are trimmed and match regardless of letter case; the first
// matching section is the one used, and the first matching key in it. A value
// loses the blanks at its ends, then one pair of matching double or single quotes
// around it, and is cut to 2047 characters. Lines end in LF or CR LF; new lines are
// written with CR LF.
class ProfileDocument {
public:
    static constexpr qsizetype kMaxValueLength = 2047;

    // A section or key name made ready once for any number of documents: folded for
    // lookups and checked for writing.
    class Name {
    public:
        explicit Name(const QString &name);

    private:
        friend class ProfileDocument;
        FoldedName folded_;
        // Whether it reads back as itself from a header or a key line (see setValue);
        // either implies that the code page holds it.
        bool fitsHeader_;
        bool fitsKeyLine_;
    };

    // The values of several keys of one section, decoded into one text they share.
    class Values {
    public:
        // The value of the i-th key asked for, nullopt when it is missing; the view
        // lasts as long as this object.
        std::optional<QStringView> operator[](std::size_t i) const
        {
            const auto [start, size] = spans_[i];
            if (start < 0)
                return std::nullopt;
            return QStringView(text_.constData() + start, size);
        }

    private:
        friend class ProfileDocument;
        QString text_;
        std::vector<std::pair<qsizetype, qsizetype>> spans_; // start and size in text_, start -1 when missing
    };

    static ProfileDocument parse(QByteArrayView bytes);

    // nullopt when the section or the key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // The same for several keys of one section, in one pass over it.
    std::vector<std::optional<QString>> values(QStringView section, const QStringList &keys) const;
    Values values(const Name &section, std::span<const Name> keys) const;

    // Replaces the value in the key's own line; a missing key goes after the last key
    // line of its section, a missing section to the end of the file. False, with the
    // document unchanged, for a name or value that cannot be stored: a character
    // outside Windows-1250, a line break or NUL that would split or cut the line, or a
    // name that would not read back as itself (empty, blanks at its ends, a leading
    // ";" or "[", a "]" in a section name or a "=" in a key name).
    bool setValue(QStringView section, QStringView key, QStringView value);
    // The same for several keys of one section, as if set one after the other; all or
    // none are stored.
    using Entry = std::pair<QString, QString>; // key, value
    bool setValues(QStringView section, const std::vector<Entry> &entries);
    // keys[i] gets values[i].
    bool setValues(const Name &section, std::span<const Name> keys, std::span<const QStringView> values);

    QByteArray toBytes() const;

private:
    enum class Kind : std::uint8_t { Other, Section, Key };
    enum class End : std::uint8_t { None, Lf, CrLf };
    // A line's text is a stretch of a buffer it shares: the parsed bytes, or what one
    // edit wrote for all the lines it made or changed. Names stay bytes: they are
    // folded only while they are compared.
    struct Line {
        QByteArray buffer;
        qsizetype begin = 0;
        qsizetype size = 0;
        End end = End::None;
        Kind kind = Kind::Other;
        qsizetype nameBegin = 0; // section or key name, trimmed, within the text
        qsizetype nameSize = 0;
        std::size_t nameHash = 0; // foldedHash of the name
        qsizetype eq = -1;        // a key line's first "="

        QByteArrayView text() const { return QByteArrayView(buffer.constData() + begin, size); }
        QByteArrayView name() const { return QByteArrayView(buffer.constData() + begin + nameBegin, nameSize); }
        QByteArrayView rawValue() const { return text().sliced(eq + 1); }
    };

    // The line at [begin, begin + size) of buffer, with its kind and name.
    static Line makeLine(const QByteArray &buffer, qsizetype begin, qsizetype size, End end);
    // The same for a line known to be a key line: the name, "=" and the value.
    static Line makeKeyLine(const QByteArray &buffer, qsizetype begin, qsizetype size, const FoldedName &name);
    // Index of the first section header with this name, or -1.
    qsizetype findSection(const FoldedName &section) const;
    // One past the last line of the section whose header is at `header`.
    qsizetype sectionEnd(qsizetype header) const;
    // The key lines between header and end, by folded name.
    NameIndex keyIndex(qsizetype header, qsizetype end) const;
    qsizetype findKey(const NameIndex &index, const FoldedName &key) const;
    void insertLines(qsizetype at, std::vector<Line> lines);

    std::vector<Line> lines_;
};

} // namespace vorna::project
