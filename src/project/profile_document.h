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
        std::optional<QStringView> operator[](std::size_t i) const { return view(values_[i]); }
        // Calls fn with each of them, in the order asked for.
        template <typename Fn> void forEach(Fn fn) const
        {
            for (const Value &value : values_)
                fn(view(value));
        }

    private:
        friend class ProfileDocument;
        struct Value {
            const char16_t *text = nullptr; // in text_; null when the key is missing
            qsizetype size = 0;
        };
        static std::optional<QStringView> view(Value value)
        {
            return value.text ? std::optional(QStringView(value.text, value.size)) : std::nullopt;
        }

        QString text_;
        std::vector<Value> values_;
    };

    static ProfileDocument parse(QByteArrayView bytes);

    // nullopt when the section or the key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // The same for several keys of one section, in one pass over it.
    std::vector<std::optional<QString>> values(QStringView section, const QStringList &keys) const;
    Values values(const Name &section, std::span<const Name> keys) const;
    // The same into `found`, whose room a series of calls can share; what it held goes.
    void values(const Name &section, std::span<const Name> keys, Values &found) const;

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
    enum class End : std::uint8_t { None, Lf, CrLf }; // numbered by their length
    // A line's text lies in one of the document's buffers, followed by its line end:
    // the parsed bytes, or what one edit wrote for all the lines it made or changed.
    // Buffers never change once made, and copies of the document share them, so lines
    // can point into them; lines are plain values, and inserting lines only moves
    // bytes. Names stay bytes: they are folded only while they are compared.
    struct Line {
        const char *data = ""; // never null, for memcpy
        qsizetype size = 0;
        qsizetype nameBegin = 0; // section or key name, trimmed, within the text
        qsizetype nameSize = 0;
        qsizetype eq = -1;        // a key line's first "="
        std::size_t nameHash = 0; // foldedHash of the name
        End end = End::None;
        Kind kind = Kind::Other;

        QByteArrayView text() const { return QByteArrayView(data, size); }
        QByteArrayView name() const { return QByteArrayView(data + nameBegin, nameSize); }
        QByteArrayView rawValue() const { return QByteArrayView(data + eq + 1, size - eq - 1); }
    };

    // The line of `size` bytes at `data`, with its kind and name. Without the code page
    // (not `readable`) nothing decodes, and every line reads as empty.
    static Line makeLine(const char *data, qsizetype size, End end, bool readable);
    // Index of the first section header with this name, or -1.
    qsizetype findSection(const FoldedName &section) const;
    // One past the last line of the section whose header is at `header`.
    qsizetype sectionEnd(qsizetype header) const;
    // Adds the key lines between header and end, by folded name; returns the line after
    // the last of them, or after the header when there is none.
    qsizetype indexKeys(NameIndex &index, qsizetype header, qsizetype end) const;
    qsizetype findKey(const NameIndex &index, const FoldedName &key) const;
    // Room for `count` lines at `at`, to be filled in: key lines, or a header that the
    // caller adds to headers_.
    Line *makeRoom(qsizetype at, qsizetype count);

    std::vector<QByteArray> buffers_; // what the lines' texts lie in
    std::vector<Line> lines_;
    std::vector<qsizetype> headers_; // the section header lines, in order
};

} // namespace vorna::project
