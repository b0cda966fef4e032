// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the project file reader and writer and checks what must
// hold for any file: its text encodes back to its bytes (a marked file's too, when read
// exactly and not in the code page), every read value keeps to the
// length limit, and a project stored into the file reads back as stored, and storing
// it again changes nothing. An input seldom holds the sections the reader looks for,
// so it is spliced into a file that already holds every section.
#include <cstddef>
#include <cstdint>

#include "project/key_table.h"
#include "project/profile.h"
#include "project/project_file.h"
#include "project/windows1250.h"

namespace {

using vorna::project::ProjectKey;
using vorna::project::Settings;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Texts that read back unchanged; ticks taken from the input so both values occur.
Settings projectFor(const std::uint8_t *data, std::size_t size)
{
    static const Settings texts = [] {
        Settings v;
        int n = 0;
        for (const ProjectKey &k : vorna::project::projectKeys()) {
            if (k.field.isText()) {
                fieldText(v, k.field) = n % 5 == 0 ? QString() : QStringLiteral("Łódź %1 = [x]").arg(n);
                ++n;
            }
        }
        return v;
    }();
    Settings v = texts;
    int n = 1;
    for (const ProjectKey &k : vorna::project::projectKeys()) {
        if (!k.field.isText()) {
            fieldTick(v, k.field) = size > 0 && (data[std::size_t(n) % size] >> (n % 8) & 1);
            ++n;
        }
    }
    return v;
}

constexpr char kEverySection[] = "; base\r\n[KARTY_SERWIS]\r\nSerwis1=1\r\n[karty_klucz]\r\n"
                                 "[KARTY_OPIEKUN]\nOpiekun1 = \"x\"\n[KARTY_SZAFEK]\r\n[NUMERY_SZAFEK]\r\n"
                                 "Szafka20='7'\r\n[CZASY]\r\nUzytkownik=5\r\n[OPIEKUN]\r\n"
                                 "Opiekun1_01=1\r\nOpiekun7_20=$10";

QString decodeUntouched(QByteArrayView bytes)
{
    QString text = vorna::project::decodeWindows1250(bytes);
    check(vorna::project::encodeWindows1250(text) == bytes.toByteArray());
    return text;
}

void readWithinLimits(const QString &text)
{
    const Settings values = vorna::project::readProject(text).values;
    for (const ProjectKey &k : vorna::project::projectKeys()) {
        if (k.field.isText())
            check(fieldText(values, k.field).size() <= vorna::project::kMaxValueLength);
    }
}

void storeAndReadBack(const QString &text, const std::uint8_t *data, std::size_t size)
{
    const Settings stored = projectFor(data, size);
    const auto once = vorna::project::writeProject(text, stored);
    check(once.has_value());
    const auto read = vorna::project::readProject(*once);
    check(read.values == stored && read.sections == 7 && read.missing.isEmpty());
    check(vorna::project::writeProject(*once, stored) == once);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    decodeUntouched(input);
    // Any marked encoding decodes to some text, and its values keep to the limit; a
    // text read exactly is saved back as the same bytes unless it fits the code page.
    const vorna::project::ProjectText read = vorna::project::decodeProjectText(input);
    readWithinLimits(read.text);
    if (read.exact && !vorna::project::encodeWindows1250(read.text))
        check(vorna::project::encodeProjectText(read.text, read.encoding) == input.toByteArray());

    // The first two bytes, when there are two, pick where the rest goes into the file
    // with every section; a shorter input goes in front.
    const QByteArray base(kEverySection);
    qsizetype at = 0;
    std::size_t skip = 0;
    if (size >= 2) {
        at = qsizetype((data[0] | data[1] << 8) % (base.size() + 1));
        skip = 2;
    }
    QByteArray spliced = base.left(at);
    spliced.append(reinterpret_cast<const char *>(data + skip), qsizetype(size - skip));
    spliced.append(base.mid(at));
    const QString text = decodeUntouched(spliced);
    readWithinLimits(text);
    storeAndReadBack(text, data, size);
    return 0;
}
