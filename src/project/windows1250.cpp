#include "project/windows1250.h"

#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vorna::project {

namespace {

// The code page as two tables, taken once from the system's converter: opening a
// converter costs far more than converting a line, and a file is converted line by line.
struct CodePage {
    bool valid = false;
    std::array<char16_t, 256> toUnicode{};
    // Bytes 0x80..0xFF by character: fromUnicode[256 * pageOf[c >> 8] + (c & 0xFF)], 0
    // for none. Page 0 stays empty for the characters the code page lacks.
    std::array<std::uint8_t, 256> pageOf{};
    std::vector<std::uint8_t> fromUnicode = std::vector<std::uint8_t>(256);
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
            page = std::uint8_t(cp.fromUnicode.size() / 256);
            cp.fromUnicode.resize(cp.fromUnicode.size() + 256);
        }
        std::uint8_t &slot = cp.fromUnicode[256 * std::size_t(page) + (c & 0xFF)];
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

// The byte of a character, or -1 when the code page lacks it. The loops that call it
// run for every character of a file, so they walk plain pointers.
int toByte(const std::uint8_t *pageOf, const std::uint8_t *fromUnicode, char16_t c)
{
    if (c < 128)
        return c;
    const std::uint8_t b = fromUnicode[256 * std::size_t(pageOf[c >> 8]) + (c & 0xFF)];
    return b != 0 ? b : -1;
}

} // namespace

bool windows1250Available()
{
    return codePage().valid;
}

void decodeWindows1250To(QByteArrayView bytes, char16_t *out)
{
    const CodePage &cp = codePage();
    const char16_t *const toUnicode = cp.toUnicode.data();
    const char *b = bytes.data();
    const char *const end = b + bytes.size();
    // Four bytes at a time when they are ASCII, as with encoding.
    while (end - b >= 4) {
        unsigned char four[4];
        std::memcpy(four, b, sizeof four);
        if (((four[0] | four[1] | four[2] | four[3]) & 0x80) != 0) {
            for (const unsigned char one : four)
                *out++ = toUnicode[one];
        } else {
            out[0] = four[0];
            out[1] = four[1];
            out[2] = four[2];
            out[3] = four[3];
            out += 4;
        }
        b += 4;
    }
    for (; b != end; ++b)
        *out++ = toUnicode[std::uint8_t(*b)];
}

QString decodeWindows1250(QByteArrayView bytes)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return QString();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const char16_t *const toUnicode = cp.toUnicode.data();
    for (const char *b = bytes.data(), *end = b + bytes.size(); b != end; ++b)
        *out++ = toUnicode[std::uint8_t(*b)];
    return text;
}

bool fitsWindows1250(QStringView text)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return false;
    for (const char16_t *c = text.utf16(), *end = c + text.size(); c != end; ++c) {
        if (toByte(cp.pageOf.data(), cp.fromUnicode.data(), *c) < 0)
            return false;
    }
    return true;
}

bool encodeWindows1250To(std::span<const QStringView> texts, char *out)
{
    const CodePage &cp = codePage();
    if (!cp.valid)
        return false;
    const std::uint8_t *const pageOf = cp.pageOf.data();
    const std::uint8_t *const fromUnicode = cp.fromUnicode.data();
    for (const QStringView &text : texts) {
        const char16_t *c = text.utf16();
        const char16_t *const end = c + text.size();
        // Four characters at a time: most are ASCII, and four of them need one test.
        while (end - c >= 4) {
            char16_t four[4];
            std::memcpy(four, c, sizeof four);
            if (((four[0] | four[1] | four[2] | four[3]) & 0xFF80) != 0) {
                for (const char16_t one : four) {
                    const int b = toByte(pageOf, fromUnicode, one);
                    if (b < 0)
                        return false;
                    *out++ = char(b);
                }
            } else {
                out[0] = char(four[0]);
                out[1] = char(four[1]);
                out[2] = char(four[2]);
                out[3] = char(four[3]);
                out += 4;
            }
            c += 4;
        }
        for (; c != end; ++c) {
            const int b = toByte(pageOf, fromUnicode, *c);
            if (b < 0)
                return false;
            *out++ = char(b);
        }
    }
    return true;
}

bool encodeWindows1250To(QStringView text, char *out)
{
    return encodeWindows1250To(std::span(&text, 1), out);
}

std::optional<QByteArray> encodeWindows1250(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    if (!encodeWindows1250To(text, bytes.data()))
        return std::nullopt;
    return bytes;
}

} // namespace vorna::project
