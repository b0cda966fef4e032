#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace vorna::project {

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

    static ProfileDocument parse(QByteArrayView bytes);

    // nullopt when the section or the key is missing.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // The same for several keys of one section, in one pass over it.
    std::vector<std::optional<QString>> values(QStringView section, const QStringList &keys) const;

    // Replaces the value in the key's own line; a missing key goes after the last key
    // line of its section, a missing section to the end of the file. False, with the
    // document unchanged, for a value that cannot be stored: a character outside
    // Windows-1250, or a line break or NUL that would split or cut the line.
    bool setValue(QStringView section, QStringView key, QStringView value);
    // The same for several keys of one section, as if set one after the other; all or
    // none are stored.
    using Entry = std::pair<QString, QString>; // key, value
    bool setValues(QStringView section, const std::vector<Entry> &entries);

    QByteArray toBytes() const;

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text; // without its line end
        QByteArray end;  // "\r\n", "\n", or empty for a last line without one
        Kind kind = Kind::Other;
        QString name;     // section or key name, trimmed and case-folded
        QString rawValue; // a key line's text after the first "="
    };

    static Line makeLine(QByteArray text, QByteArray end);
    // Index of the first section header with this name, or -1.
    qsizetype findSection(QStringView section) const;
    // One past the last line of the section whose header is at `header`.
    qsizetype sectionEnd(qsizetype header) const;
    // First line of each key of the section, by case-folded name.
    QHash<QString, qsizetype> keyLines(qsizetype header) const;
    void insertLines(qsizetype at, std::vector<Line> lines);

    std::vector<Line> lines_;
};

} // namespace vorna::project
