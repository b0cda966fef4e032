#include "project/windows1250.h"

#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <vector>

namespace vorna::project {

namespace {

// The code page as two tables, taken once from the system's converter: opening a
// converter costs far more than converting a line, and a file is converted line by line.
struct CodePage {
    bool valid = false;
    std::array<char16_t, 256> toUnicode{};
    // Bytes 0x80..0xFF by character: fromUnicode[pageOf[c >> 8]][c & 0xFF], 0 for none.
    // Page 0 stays empty for the characters the code page lacks.
    std::array<std::uint8_t, 256> pageOf{};
    std::vector<std::array<std::uint8_t, 256>> fromUnicode{1};
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
        const char16_t c = text[b].unicode();
        cp.toUnicode[std::size_t(b)] = c;
        if (b < 128 && c != b)
            return cp;
        if (b < 128)
            continue;
        if (c < 128)
            return cp;
        std::uint8_t &page = cp.pageOf[c >> 8];
        if (page == 0) {
            page = std::uint8_t(cp.fromUnicode.size());
            cp.fromUnicode.emplace_back();
        }
        std::uint8_t &slot = cp.fromUnicode[page][c & 0xFF];
        if (slot != 0)
            return cp;
        slot = std::uint8_t(b);
    }
    cp.valid = true;
    return cp;
}

const CodePage &codePage()
{
    static const CodePage cp = loadCodePage();
    return cp;
}

// The byte of a character, or -1 when the code page lacks it.
int toByte(const CodePage &cp, char16_t c)
{
    if (c < 128)
        return c;
    const std::uint8_t b = cp.fromUnicode[cp.pageOf[c >> 8]][c & 0xFF];
    return b != 0 ? b : -1;
}

} // namespace

bool windows1250Available()
{
    return codePage().valid;
}

// The loops below walk plain pointers: they run for every character of a file.

void decodeWindows1250Into(QString &text, QByteArrayView bytes)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return;
    const qsizetype start = text.size();
    text.resize(start + bytes.size());
    char16_t *out = reinterpret_cast<char16_t *>(text.data()) + start;
    for (const char b : bytes)
        *out++ = cp.toUnicode[std::uint8_t(b)];
}

QString decodeWindows1250(QByteArrayView bytes)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return QString();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    for (const char b : bytes)
        *out++ = cp.toUnicode[std::uint8_t(b)];
    return text;
}

bool fitsWindows1250(QStringView text)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return false;
    for (const QChar c : text) {
        if (toByte(cp, c.unicode()) < 0)
            return false;
    }
    return true;
}

bool encodeWindows1250To(QStringView text, char *out)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return false;
    for (const QChar c : text) {
        const int b = toByte(cp, c.unicode());
        if (b < 0)
            return false;
        *out++ = char(b);
    }
    return true;
}

std::optional<QByteArray> encodeWindows1250(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    if (!encodeWindows1250To(text, bytes.data()))
        return std::nullopt;
    return bytes;
}

} // namespace vorna::project
