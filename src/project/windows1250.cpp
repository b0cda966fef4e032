#include "project/windows1250.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace vorna::project {

namespace {

// The code page as two tables, taken once from the system's converter: opening a
// converter costs far more than converting a line, and a file is converted line by line.
struct CodePage {
    bool valid = false;
    std::array<char16_t, 256> toUnicode{};
    // The characters of bytes 0x80..0xFF, sorted by character for lookup.
    std::array<std::pair<char16_t, char>, 128> upperHalf{};
};

CodePage loadCodePage()
{
    CodePage cp;
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    QStringDecoder decoder("windows-1250");
    const QString text = decoder.decode(all);
    // Every byte must stand for one character of its own, and the lower half is ASCII.
    if (!decoder.isValid() || decoder.hasError() || text.size() != 256)
        return cp;
    for (int b = 0; b < 256; ++b) {
        cp.toUnicode[std::size_t(b)] = text[b].unicode();
        if (b < 128 && text[b].unicode() != b)
            return cp;
        if (b >= 128)
            cp.upperHalf[std::size_t(b - 128)] = {text[b].unicode(), char(b)};
    }
    std::sort(cp.upperHalf.begin(), cp.upperHalf.end());
    const auto twin = std::adjacent_find(cp.upperHalf.begin(), cp.upperHalf.end(),
                                         [](const auto &a, const auto &b) { return a.first == b.first; });
    cp.valid = twin == cp.upperHalf.end() && cp.upperHalf.front().first >= 128;
    return cp;
}

const CodePage &codePage()
{
    static const CodePage cp = loadCodePage();
    return cp;
}

} // namespace

QString decodeWindows1250(QByteArrayView bytes)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return QString();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = cp.toUnicode[std::uint8_t(bytes[i])];
    return text;
}

std::optional<QByteArray> encodeWindows1250(QStringView text)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return std::nullopt;
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 128) {
            bytes[i] = char(c);
            continue;
        }
        const auto it = std::lower_bound(cp.upperHalf.begin(), cp.upperHalf.end(), std::pair<char16_t, char>{c, '\0'},
                                         [](const auto &a, const auto &b) { return a.first < b.first; });
        if (it == cp.upperHalf.end() || it->first != c)
            return std::nullopt;
        bytes[i] = it->second;
    }
    return bytes;
}

} // namespace vorna::project
