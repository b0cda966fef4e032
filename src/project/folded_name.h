#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <optional>

namespace vorna::project {

// Section and key names match regardless of letter case: both sides compare as their
// Unicode case folding, exactly as QString::toCaseFolded gives it. A file's names stay
// Windows-1250 bytes and fold a byte at a time through a table, so looking a name up
// builds no string for the file's side.

// A name asked for, folded once.
class FoldedName {
public:
    explicit FoldedName(const QString &name); // shares the name when it is folded already

    std::size_t hash() const { return hash_; }
    // The name as a file holds it, when the code page can store it.
    const std::optional<QByteArray> &bytes() const { return bytes_; }
    // Whether a name of the file, in Windows-1250, folds to the same text.
    bool matches(QByteArrayView fileName) const;
    bool operator==(const FoldedName &other) const { return hash_ == other.hash_ && folded_ == other.folded_; }

private:
    QString folded_;
    std::size_t hash_;
    std::optional<QByteArray> bytes_; // spares the folding when a file spells the name alike
};

// The hash of a file's name: equal to FoldedName::hash() of every name it matches.
std::size_t foldedHash(QByteArrayView fileName);

} // namespace vorna::project
