// Feeds arbitrary bytes to the project file reader and checks what must hold for any
// file: an untouched document gives back its bytes, every read value keeps to the
// length limit, and a project stored into the document reads back as stored.
// An input seldom holds the sections the reader looks for, so it is also spliced into
// a file that already holds every section. The input alone is only parsed and given
// back; the reading and the store-and-read-back round trip, the dear checks, run on
// the spliced file, which holds the input whole: every check still sees every input.
#include <cstddef>
#include <cstdint>
#include <utility>

#include "project/key_table.h"
#include "project/profile_document.h"
#include "project/project_file.h"

namespace {

using vorna::project::ProfileDocument;
using vorna::project::ProjectValues;

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Texts that read back unchanged; ticks taken from the input so both values occur.
ProjectValues projectFor(const std::uint8_t *data, std::size_t size)
{
    static const ProjectValues texts = [] {
        ProjectValues v;
        for (int n = vorna::project::kFirstProjectEdit; n <= vorna::project::kLastProjectEdit; ++n)
            v.edits[std::size_t(n)] = n % 5 == 0 ? QString() : QStringLiteral("Łódź %1 = [x]").arg(n);
        return v;
    }();
    ProjectValues v = texts;
    for (int n = 1; n <= vorna::project::kGuardianBoxCount; ++n)
        v.ticks[std::size_t(n)] = size > 0 && (data[std::size_t(n) % size] >> (n % 8) & 1);
    return v;
}

constexpr char kEverySection[] = "; base\r\n[KARTY_SERWIS]\r\nSerwis1=1\r\n[karty_klucz]\r\n"
                                 "[KARTY_OPIEKUN]\nOpiekun1 = \"x\"\n[KARTY_SZAFEK]\r\n[NUMERY_SZAFEK]\r\n"
                                 "Szafka20='7'\r\n[CZASY]\r\nUzytkownik=5\r\n[OPIEKUN]\r\n"
                                 "Opiekun1_01=1\r\nOpiekun7_20=$10";

ProfileDocument parseUntouched(QByteArrayView bytes)
{
    ProfileDocument doc = ProfileDocument::parse(bytes);
    check(doc.toBytes() == bytes);
    return doc;
}

void readWithinLimits(const ProfileDocument &doc)
{
    const ProjectValues read = vorna::project::readProject(doc);
    for (const QString &text : read.edits)
        check(text.size() <= ProfileDocument::kMaxValueLength);
}

void storeAndReadBack(ProfileDocument doc, const std::uint8_t *data, std::size_t size)
{
    const ProjectValues stored = projectFor(data, size);
    check(vorna::project::writeProject(doc, stored));
    const QByteArray once = doc.toBytes();
    check(vorna::project::readProject(ProfileDocument::parse(once)) == stored);

    // Storing the same project again finds every key in place and changes nothing.
    check(vorna::project::writeProject(doc, stored));
    check(doc.toBytes() == once);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    parseUntouched(QByteArrayView(data, qsizetype(size)));

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
    ProfileDocument doc = parseUntouched(spliced);
    readWithinLimits(doc);
    storeAndReadBack(std::move(doc), data, size);
    return 0;
}
