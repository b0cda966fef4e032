#include "project/folded_name.h"

#include "project/windows1250.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace vorna::project {

namespace {

// FNV-1a over the folded UTF-16 units, the same for both kinds of name.
constexpr std::size_t kHashStart = 14695981039346656037ull;
constexpr std::size_t kHashFactor = 1099511628211ull;

std::size_t hashStep(std::size_t hash, char16_t unit)
{
    return (hash ^ unit) * kHashFactor;
}

// What each byte of the code page folds to. Folding may in principle turn one
// character into several, so each byte keeps up to three units; when every byte folds
// to one unit (it does with the tables of today), the first units serve alone.
struct FoldTable {
    std::array<std::array<char16_t, 3>, 256> units{};
    std::array<std::uint8_t, 256> count{};
    bool oneUnitEach = true;
    std::array<char16_t, 256> unit{}; // the first units alone
};

FoldTable makeFoldTable()
{
    FoldTable table;
    for (std::size_t b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString folded = decodeWindows1250(QByteArrayView(&byte, 1)).toCaseFolded();
        table.count[b] = std::uint8_t(std::min<qsizetype>(folded.size(), 3));
        for (std::size_t i = 0; i < table.count[b]; ++i)
            table.units[b][i] = folded[qsizetype(i)].unicode();
        table.unit[b] = table.units[b][0];
        table.oneUnitEach = table.oneUnitEach && table.count[b] == 1;
    }
    return table;
}

const FoldTable &foldTable()
{
    static const FoldTable table = makeFoldTable();
    return table;
}

} // namespace

FoldedName::FoldedName(const QString &name)
    : folded_(name.toCaseFolded())
    , hash_(kHashStart)
    , bytes_(encodeWindows1250(name))
{
    for (const QChar c : std::as_const(folded_))
        hash_ = hashStep(hash_, c.unicode());
}

bool FoldedName::matches(QByteArrayView fileName) const
{
    if (bytes_ && fileName == *bytes_)
        return true;
    const FoldTable &table = foldTable();
    const char16_t *units = reinterpret_cast<const char16_t *>(folded_.constData());
    const qsizetype size = folded_.size();
    if (table.oneUnitEach) {
        if (fileName.size() != size)
            return false;
        for (qsizetype i = 0; i < size; ++i) {
            if (table.unit[std::uint8_t(fileName[i])] != units[i])
                return false;
        }
        return true;
    }
    qsizetype i = 0;
    for (const char byte : fileName) {
        const std::uint8_t b = std::uint8_t(byte);
        for (std::size_t k = 0; k < table.count[b]; ++k, ++i) {
            if (i >= size || units[i] != table.units[b][k])
                return false;
        }
    }
    return i == size;
}

std::size_t foldedHash(QByteArrayView fileName)
{
    const FoldTable &table = foldTable();
    std::size_t hash = kHashStart;
    if (table.oneUnitEach) {
        for (const char byte : fileName)
            hash = hashStep(hash, table.unit[std::uint8_t(byte)]);
        return hash;
    }
    for (const char byte : fileName) {
        const std::uint8_t b = std::uint8_t(byte);
        for (std::size_t k = 0; k < table.count[b]; ++k)
            hash = hashStep(hash, table.units[b][k]);
    }
    return hash;
}

} // namespace vorna::project
