// SPDX-License-Identifier: GPL-3.0-or-later
#include "project/project_file.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <cerrno>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "ops/fields.h"
#include "project/key_table.h"
#include "project/profile.h"
#include "project/windows1250.h"

namespace vorna::project {

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Whether what was written reached the disk, not only the system's cache.
bool syncToDisk(QFileDevice &file, QString *error)
{
    const int fd = file.handle();
#ifdef Q_OS_WIN
    const bool synced = fd < 0 || _commit(fd) == 0; // without a descriptor, commit() flushes
#else
    const bool synced = fd >= 0 && fsync(fd) == 0;
#endif
    return synced || fail(error, QString::fromStdString(std::generic_category().message(errno)));
}

std::optional<QByteArray> refuse(QString *error, const QString &why)
{
    fail(error, why);
    return std::nullopt;
}

// The whole file, when it is a regular file of at most kMaxProjectFileSize bytes.
std::optional<QByteArray> readLimited(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(error, QStringLiteral("plik nie istnieje / no such file"));
    if (!info.isFile())
        return refuse(error, QStringLiteral("to nie jest zwykły plik / not a regular file"));
    const QString tooLarge = QStringLiteral("za duży / too large (ponad %1 bajtów)").arg(kMaxProjectFileSize);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(error, file.errorString());
    if (file.size() > kMaxProjectFileSize)
        return refuse(error, tooLarge);
    // The file may grow meanwhile: no more than one byte past the limit is read.
    QByteArray bytes = file.read(kMaxProjectFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return refuse(error, file.errorString());
    if (bytes.size() > kMaxProjectFileSize)
        return refuse(error, tooLarge);
    return bytes;
}

// A file with no write bit is read-only even to a user whom the system would let
// write it (root): the user marked it so.
bool mayReplace(const QFileInfo &info)
{
    constexpr auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isFile() && info.isWritable() && (info.permissions() & writeBits);
}

// The bytes replace the file only once all of them are on disk.
bool writeWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, file.errorString());
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            fail(error, file.errorString());
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    if (!file.flush() || !syncToDisk(file, error)) {
        if (file.error() != QFileDevice::NoError)
            fail(error, file.errorString());
        file.cancelWriting();
        return false;
    }
    return file.commit() || fail(error, file.errorString());
}

} // namespace

namespace {

struct Mark {
    QByteArrayView bytes;
    TextEncoding encoding;
    QStringConverter::Encoding converter;
};
constexpr Mark kMarks[] = {{"\xEF\xBB\xBF", TextEncoding::Utf8, QStringConverter::Utf8},
                           {"\xFF\xFE", TextEncoding::Utf16LE, QStringConverter::Utf16LE},
                           {"\xFE\xFF", TextEncoding::Utf16BE, QStringConverter::Utf16BE}};

} // namespace

ProjectText decodeProjectText(QByteArrayView bytes)
{
    for (const Mark &m : kMarks) {
        if (bytes.startsWith(m.bytes)) {
            // The mark is ours to strip: a second one after it is text of the file.
            const QByteArrayView body = bytes.sliced(m.bytes.size());
            QStringDecoder decoder(m.converter, QStringConverter::Flag::ConvertInitialBom);
            ProjectText read{decoder.decode(body), m.encoding};
            // Invalid sequences, lone surrogates and a trailing odd byte do not survive
            // the way back.
            QStringEncoder encoder(m.converter);
            read.exact = !decoder.hasError() && QByteArray(encoder.encode(read.text)) == body;
            return read;
        }
    }
    return {decodeWindows1250(bytes), TextEncoding::Windows1250};
}

QString decodeProjectFile(QByteArrayView bytes)
{
    return decodeProjectText(bytes).text;
}

std::optional<QByteArray> encodeProjectText(QStringView text, TextEncoding readAs)
{
    if (std::optional<QByteArray> plain = encodeWindows1250(text))
        return plain;
    for (const Mark &m : kMarks) {
        if (m.encoding == readAs) {
            QStringEncoder encoder(m.converter, QStringConverter::Flag::WriteBom);
            QByteArray bytes = encoder.encode(text);
            if (encoder.hasError()) // a lone surrogate would be lost
                return std::nullopt;
            return bytes;
        }
    }
    return std::nullopt;
}

ProjectRead readProject(QStringView text)
{
    ProjectRead read;
    const std::vector<ProjectKey> &table = projectKeys();
    for (std::size_t first = 0; first < table.size();) {
        const QString &section = table[first].section;
        std::size_t end = first;
        QStringList keys;
        for (; end < table.size() && table[end].section == section; ++end)
            keys << table[end].key;
        const auto values = readSection(text, section, keys);
        read.sections += values ? 1 : 0;
        for (std::size_t i = first; i < end; ++i) {
            const ProjectKey &k = table[i];
            const std::optional<QString> value = values ? (*values)[i - first] : std::nullopt;
            if (!value)
                read.missing << k.section + u'/' + k.key;
            if (k.field.isText())
                fieldText(read.values, k.field) = value.value_or(k.defaultValue);
            else
                fieldTick(read.values, k.field) = value && ops::parseIntegerField(*value).value_or(0) != 0;
        }
        first = end;
    }
    return read;
}

std::optional<QString> writeProject(QStringView text, const Settings &values)
{
    QString out = text.toString();
    const std::vector<ProjectKey> &table = projectKeys();
    for (std::size_t first = 0; first < table.size();) {
        std::vector<Entry> entries;
        std::size_t end = first;
        for (; end < table.size() && table[end].section == table[first].section; ++end) {
            const ProjectKey &k = table[end];
            const QString value = k.field.isText()            ? fieldText(values, k.field)
                                  : fieldTick(values, k.field) ? QStringLiteral("1")
                                                               : QStringLiteral("0");
            entries.push_back({k.key, value});
        }
        const std::optional<QString> written = writeSection(out, table[first].section, entries);
        if (!written)
            return std::nullopt;
        out = *written;
        first = end;
    }
    return out;
}

namespace {

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return QStringLiteral("UTF-8");
    case TextEncoding::Utf16LE: return QStringLiteral("UTF-16 LE");
    case TextEncoding::Utf16BE: return QStringLiteral("UTF-16 BE");
    case TextEncoding::Windows1250: break;
    }
    return QStringLiteral("Windows-1250");
}

// Why the values cannot go into a file read as `readAs`, naming the first key at fault.
QString unstorableReason(const Settings &values, TextEncoding readAs)
{
    for (const ProjectKey &k : projectKeys()) {
        if (!k.field.isText())
            continue;
        const QString &value = fieldText(values, k.field);
        const QString key = k.path();
        if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
            return key + QStringLiteral(": koniec wiersza lub znak NUL w polu / a line break or NUL in the field");
        if (!encodeProjectText(value, readAs))
            return key + QStringLiteral(": znak spoza %1 / a character outside %1").arg(encodingName(readAs));
    }
    return QStringLiteral("znak spoza %1 / a character outside %1").arg(encodingName(readAs));
}

} // namespace

bool saveProject(const QString &path, const Settings &values, QString *error)
{
    const QFileInfo info(path);
    ProjectText old;
    if (info.exists()) {
        if (!mayReplace(info))
            return fail(error, info.isFile() ? QStringLiteral("plik tylko do odczytu / read-only file")
                                             : QStringLiteral("to nie jest zwykły plik / not a regular file"));
        const std::optional<QByteArray> bytes = readLimited(path, error);
        if (!bytes)
            return false;
        old = decodeProjectText(*bytes);
        // Bytes not valid in the file's encoding were replaced when it was read;
        // written back, they would be lost.
        if (!old.exact)
            return fail(error, QStringLiteral("plik zawiera bajty niepoprawne w %1 / the file holds bytes "
                                              "that are not valid %1").arg(encodingName(old.encoding)));
    }
    const std::optional<QString> updated = writeProject(old.text, values);
    if (!updated)
        return fail(error, unstorableReason(values, old.encoding));
    const std::optional<QByteArray> bytes = encodeProjectText(*updated, old.encoding);
    if (!bytes)
        return fail(error, unstorableReason(values, old.encoding));
    return writeWhole(path, *bytes, error);
}

std::optional<Settings> loadProject(const QString &path, QString *error, QStringList *missing)
{
    const std::optional<QByteArray> bytes = readLimited(path, error);
    if (!bytes)
        return std::nullopt;
    ProjectRead read = readProject(decodeProjectFile(*bytes));
    if (read.sections == 0) {
        fail(error, QStringLiteral("brak sekcji projektu / not a project file"));
        return std::nullopt;
    }
    if (missing)
        *missing = read.missing;
    return read.values;
}

} // namespace vorna::project
