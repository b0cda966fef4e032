#include "project/folded_name.h"

#include "project/windows1250.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace vorna::project {

namespace {

// FNV-1a, the same for both kinds of name.
constexpr std::size_t kHashStart = 14695981039346656037ull;
constexpr std::size_t kHashFactor = 1099511628211ull;

std::size_t hashStep(std::size_t hash, std::size_t value)
{
    return (hash ^ value) * kHashFactor;
}

// A coarse stand-in for a byte's folding, in arithmetic alone: ASCII letters lose their
// case (and a few signs merge with others), and every byte from 0x80 on is alike.
// Names that fold alike hash alike; names that do not may too, and are told apart when
// they are compared. Every name of a file is hashed, and lookups in tables cost more.
std::size_t coarseFold(unsigned byte)
{
    const unsigned high = byte >> 7; // 1 from 0x80 on
    return ((byte | 0x20u) & (high - 1u)) | (high << 7);
}

// What each byte of the code page folds to. Folding may in principle turn one
// character into several, so each byte keeps up to three units.
struct FoldTable {
    std::array<std::array<char16_t, 3>, 256> units{};
    std::array<std::uint8_t, 256> count{};
    bool oneUnitEach = true; // so it is with the tables of today; then:
    std::array<char16_t, 256> unit{};                                // the first units alone
    std::array<std::pair<char16_t, std::uint8_t>, 256> byteOfUnit{}; // the bytes by unit
    // Whether names hash by coarseFold: every byte folds to one unit, and bytes that
    // fold alike have one coarseFold. Else names hash by their folded units.
    bool coarse = true;
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
        table.byteOfUnit[b] = {table.unit[b], std::uint8_t(b)};
        table.oneUnitEach = table.oneUnitEach && table.count[b] == 1;
    }
    std::sort(table.byteOfUnit.begin(), table.byteOfUnit.end());
    for (std::size_t a = 0; a < 256; ++a) {
        for (std::size_t b = 0; b < 256; ++b) {
            if (table.unit[a] == table.unit[b] && coarseFold(unsigned(a)) != coarseFold(unsigned(b)))
                table.coarse = false;
        }
    }
    table.coarse = table.coarse && table.oneUnitEach;
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
    const FoldTable &table = foldTable();
    for (const QChar c : std::as_const(folded_)) {
        if (!table.coarse) {
            hash_ = hashStep(hash_, c.unicode());
            continue;
        }
        // Hashed as a byte that folds to the unit; a unit that no byte folds to matches
        // no name of a file, and any value will do.
        const auto it = std::lower_bound(table.byteOfUnit.begin(), table.byteOfUnit.end(),
                                         std::pair<char16_t, std::uint8_t>{c.unicode(), 0});
        const bool found = it != table.byteOfUnit.end() && it->first == c.unicode();
        hash_ = hashStep(hash_, found ? coarseFold(it->second) : 256);
    }
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
        const char16_t *const unit = table.unit.data();
        const char *byte = fileName.data();
        for (const char16_t *u = units, *end = units + size; u != end; ++u, ++byte) {
            if (unit[std::uint8_t(*byte)] != *u)
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
    if (table.coarse) {
        for (const char *byte = fileName.data(), *end = byte + fileName.size(); byte != end; ++byte)
            hash = hashStep(hash, coarseFold(std::uint8_t(*byte)));
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
