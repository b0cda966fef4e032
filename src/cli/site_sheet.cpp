// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/site_sheet.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRawFont>
#include <QSaveFile>
#include <QSet>

#include <array>
#include <cerrno>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/card_labels.h"
#include "cli/console.h"
#include "cli/project_fields.h"
#include "ops/fields.h"
#include "project/key_table.h"

namespace vorna::cli {

namespace {

namespace mem = link::memory;

// The window's own texts, mirrored from src/app/form_tables.cpp (kHeaders, kTimeRows;
// the card labels are in card_labels.h): the command line does not link the window.
constexpr const char *kCardsHeading = "Numery kart RFID";
constexpr const char *kLockersHeading = "Numery szafek na LED";
constexpr const char *kTimesHeading = "Otwieranie szafek";
constexpr const char *kGuardiansHeading = "Ustawienie kart Opiekun";
constexpr int kStaffCards = 12; // the card slots before the wristbands
constexpr std::array<const char *, mem::kOpeningTimes> kTimeLabels{"Opiekun:", "Obsługa:", "Użytkownik:"};

const QString kMissingMark = QStringLiteral("brak w pliku");
const QString kPolishLetters = QStringLiteral("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Which of the sheet's cells a missing key left at its default.
struct MissingCells {
    std::array<bool, mem::kCardSlots> cards{};
    std::array<bool, mem::kLockers> lockerNumbers{};
    std::array<bool, mem::kOpeningTimes> openingTimes{};
    project::GuardianTicks guardians{};
};

MissingCells missingCells(const QStringList &missing)
{
    using Kind = project::SettingsField::Kind;
    const QSet<QString> names(missing.begin(), missing.end());
    MissingCells cells;
    for (const project::ProjectKey &key : project::projectKeys()) {
        if (!names.contains(key.path()))
            continue;
        const auto i = std::size_t(key.field.index);
        switch (key.field.kind) {
        case Kind::Card: cells.cards[i] = true; break;
        case Kind::LockerNumber: cells.lockerNumbers[i] = true; break;
        case Kind::OpeningTime: cells.openingTimes[i] = true; break;
        case Kind::Guardian: cells.guardians[i][std::size_t(key.field.locker)] = true; break;
        }
    }
    return cells;
}

// The missing keys a section at a time, runs of neighbours in the file's order as
// "first – last", so that even a file that lacks most keys fits in a few lines.
QStringList missingSummary(const QStringList &missing)
{
    const QSet<QString> names(missing.begin(), missing.end());
    const std::vector<project::ProjectKey> &keys = project::projectKeys();
    QStringList lines;
    for (std::size_t i = 0; i < keys.size();) {
        const QString &section = keys[i].section;
        std::size_t end = i;
        while (end < keys.size() && keys[end].section == section)
            ++end;
        QStringList runs;
        int lacking = 0;
        for (std::size_t k = i; k < end;) {
            if (!names.contains(keys[k].path())) {
                ++k;
                continue;
            }
            std::size_t last = k;
            while (last + 1 < end && names.contains(keys[last + 1].path()))
                ++last;
            lacking += int(last - k + 1);
            if (last == k)
                runs << keys[k].key;
            else if (last == k + 1)
                runs << keys[k].key << keys[last].key;
            else
                runs << keys[k].key + QStringLiteral(" – ") + keys[last].key;
            k = last + 1;
        }
        if (lacking == int(end - i))
            lines << QStringLiteral("[%1]: cała sekcja (%2)").arg(section).arg(lacking);
        else if (lacking > 0)
            lines << QStringLiteral("[%1]: %2").arg(section, runs.join(QStringLiteral(", ")));
        i = end;
    }
    return lines;
}

QString shownText(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("(puste)") : printable(text);
}

// "100 (10,0 s)": the controller counts tenths of a second. A text it reads other than
// as written ("0x10", " 7") is shown with the number it sends: "0x10 = 16 (1,6 s)".
QString openingTime(const QString &text)
{
    const std::optional<std::uint8_t> tenths = ops::byteField(text);
    if (!tenths)
        return shownText(text) + QStringLiteral(" (poza 0–255)");
    const QString number = QString::number(*tenths);
    const QString seconds = QStringLiteral("(%1,%2 s)").arg(*tenths / 10).arg(*tenths % 10);
    return text == number ? number + u' ' + seconds : printable(text) + QStringLiteral(" = ") + number + u' ' + seconds;
}

// The family by name, with every Polish letter in that very font, not in a fallback.
bool sheetFont(QFont *font, QString *error)
{
    const QString family = QString::fromLatin1(kSheetFontFamily);
    QFont chosen(family);
    chosen.setStyleStrategy(QFont::NoFontMerging);
    const QRawFont raw = QRawFont::fromFont(chosen);
    bool letters = raw.isValid() && QFontInfo(chosen).family() == family;
    for (QChar c : kPolishLetters)
        letters = letters && raw.supportsCharacter(c);
    if (!letters)
        return fail(error, QStringLiteral("brak czcionki %1 z polskimi literami (pakiet fonts-dejavu-core) / "
                                          "no %1 font with the Polish letters")
                               .arg(family));
    *font = chosen;
    return true;
}

// Draws in millimetres on a page of `width` by `height` mm, starting a new page when
// a block does not fit on what is left of the current one.
class Sheet {
public:
    Sheet(QPdfWriter &writer, QPainter &painter, const QFont &font)
        : writer_(writer), painter_(painter), font_(font),
          perMm_(writer.resolution() / 25.4),
          width_(writer.pageLayout().paintRect(QPageLayout::Millimeter).width()),
          height_(writer.pageLayout().paintRect(QPageLayout::Millimeter).height())
    {
    }

    double width() const { return width_; }
    double y() const { return y_; }
    void skip(double mm) { y_ += mm; }

    void need(double mm)
    {
        if (y_ + mm <= height_ || y_ == 0)
            return;
        writer_.newPage();
        y_ = 0;
    }

    void setFont(double points, bool bold = false, bool italic = false)
    {
        QFont f = font_;
        f.setPointSizeF(points);
        f.setBold(bold);
        f.setItalic(italic);
        painter_.setFont(f);
    }

    QRectF rect(double x, double y, double w, double h) const
    {
        return {x * perMm_, y * perMm_, w * perMm_, h * perMm_};
    }

    void text(double x, double y, double w, double h, const QString &s, int flags = Qt::AlignLeft | Qt::AlignVCenter,
              const QColor &colour = Qt::black)
    {
        painter_.setPen(colour);
        painter_.drawText(rect(x, y, w, h), flags, s);
    }

    // Wrapped text at the cursor, which moves below it.
    void paragraph(double x, double w, const QString &s, const QColor &colour = Qt::black)
    {
        const QRectF area = rect(x, y_, w, 1000);
        const QRectF used = painter_.boundingRect(area, Qt::TextWordWrap, s);
        painter_.setPen(colour);
        painter_.drawText(area, Qt::TextWordWrap, s);
        y_ += used.height() / perMm_;
    }

    double measure(double w, const QString &s) const
    {
        return painter_.boundingRect(rect(0, 0, w, 1000), Qt::TextWordWrap, s).height() / perMm_;
    }

    void box(double x, double y, double w, double h, const QColor &fill, const QColor &edge = QColor(0x60, 0x60, 0x60),
             double edgeMm = 0.2)
    {
        painter_.setPen(QPen(edge, edgeMm * perMm_));
        painter_.setBrush(fill.isValid() ? QBrush(fill) : QBrush(Qt::NoBrush));
        painter_.drawRect(rect(x, y, w, h));
        painter_.setBrush(Qt::NoBrush);
    }

    void line(double x1, double y1, double x2, double y2, double widthMm = 0.3)
    {
        painter_.setPen(QPen(Qt::black, widthMm * perMm_));
        painter_.drawLine(QPointF(x1 * perMm_, y1 * perMm_), QPointF(x2 * perMm_, y2 * perMm_));
    }

    void heading(double x, double w, const QString &s)
    {
        setFont(11, true);
        text(x, y_, w, 6, s);
        line(x, y_ + 6, x + w, y_ + 6, 0.4);
    }

private:
    QPdfWriter &writer_;
    QPainter &painter_;
    QFont font_;
    double perMm_;
    double width_;
    double height_;
    double y_ = 0;
};

const QColor kMissingInk(0xB0, 0x00, 0x00);
const QColor kShade(0xEE, 0xEE, 0xEE);
const QColor kTick(0x20, 0x20, 0x20);
const QColor kUnknown(0xC8, 0xC8, 0xC8);

constexpr double kRow = 5.6;

// A row of a two- or three-column table: texts in the cells, "brak w pliku" after each
// value that came from a default.
void tableRow(Sheet &s, double x, const std::vector<double> &widths, const QStringList &cells,
              const std::vector<bool> &missing, bool shaded)
{
    double total = 0;
    for (double w : widths)
        total += w;
    if (shaded)
        s.box(x, s.y(), total, kRow, kShade, kShade, 0.01);
    double cx = x;
    for (qsizetype c = 0; c < cells.size(); ++c) {
        const double w = widths[std::size_t(c)];
        s.setFont(9.5, c == 0);
        s.text(cx + 1.5, s.y(), w - 2, kRow, cells[c]);
        if (missing[std::size_t(c)]) {
            s.setFont(7.5, false, true);
            s.text(cx, s.y(), w - 1.5, kRow, kMissingMark, Qt::AlignRight | Qt::AlignVCenter, kMissingInk);
        }
        cx += w;
    }
    s.skip(kRow);
}

// "2, 5–7, 9": locker numbers, neighbours as one run.
QString lockerRuns(const std::array<bool, mem::kLockers> &set)
{
    QStringList runs;
    for (int k = 0; k < mem::kLockers; ++k) {
        if (!set[std::size_t(k)])
            continue;
        int last = k;
        while (last + 1 < mem::kLockers && set[std::size_t(last + 1)])
            ++last;
        runs << (last == k ? QString::number(k + 1) : QStringLiteral("%1–%2").arg(k + 1).arg(last + 1));
        k = last;
    }
    return runs.join(QStringLiteral(", "));
}

void tableHeader(Sheet &s, double x, const std::vector<double> &widths, const QStringList &titles)
{
    double cx = x;
    s.setFont(8.5, true);
    for (qsizetype c = 0; c < titles.size(); ++c) {
        s.text(cx + 1.5, s.y(), widths[std::size_t(c)] - 2, kRow, titles[c], Qt::AlignLeft | Qt::AlignVCenter,
               QColor(0x40, 0x40, 0x40));
        cx += widths[std::size_t(c)];
    }
    s.skip(kRow);
}

void drawHeader(Sheet &s, const SiteSheet &sheet)
{
    s.setFont(16, true);
    s.text(0, 0, s.width(), 9, QStringLiteral("Ustawienia sterownika szafek"));
    s.setFont(10);
    s.text(0, 0, s.width(), 9, QStringLiteral("Data: ") + sheet.date.toString(QStringLiteral("dd.MM.yyyy")),
           Qt::AlignRight | Qt::AlignVCenter);
    s.skip(10);
    s.setFont(10);
    s.text(0, s.y(), 22, 6, QStringLiteral("Plik:"));
    s.setFont(10, true);
    s.text(22, s.y(), s.width() - 22, 6, printable(sheet.fileName));
    s.skip(6);
    s.setFont(10);
    s.text(0, s.y(), 22, 6, QStringLiteral("Typ kart:"));
    s.setFont(10, true);
    s.text(22, s.y(), s.width() - 22, 6, cardTypeName(sheet.cardType));
    s.skip(7);
    s.line(0, s.y(), s.width(), s.y(), 0.6);
    s.skip(4);
}

void drawMissingNotice(Sheet &s, const QStringList &missing)
{
    if (missing.isEmpty())
        return;
    const QString title = QStringLiteral("UWAGA: w pliku brak %1 z %2 kluczy. Pola oznaczone „%3” pokazują "
                                         "wartości domyślne, nie zapisane w pliku.")
                              .arg(missing.size())
                              .arg(project::projectKeys().size())
                              .arg(kMissingMark);
    const QString list = missingSummary(missing).join(u'\n');
    const double pad = 2.5;
    const double inner = s.width() - 2 * pad;
    s.setFont(10, true);
    const double titleHeight = s.measure(inner, title);
    s.setFont(8.5);
    const double listHeight = s.measure(inner, list);
    const double top = s.y();
    const double h = titleHeight + listHeight + 2 * pad + 1;
    s.box(0, top, s.width(), h, QColor(0xFF, 0xEE, 0xEE), kMissingInk, 0.6);
    s.skip(pad);
    s.setFont(10, true);
    s.paragraph(pad, inner, title, kMissingInk);
    s.skip(1);
    s.setFont(8.5);
    s.paragraph(pad, inner, list);
    s.skip(pad + 4);
}

// Left: the lockers with their LED numbers and wristbands. Right: the staff cards and
// the opening times.
void drawTables(Sheet &s, const SiteSheet &sheet, const MissingCells &cells)
{
    const project::Settings &v = sheet.settings;
    const double gap = 8;
    const double leftWidth = 92;
    const double rightX = leftWidth + gap;
    const double rightWidth = s.width() - rightX;
    const std::vector<double> lockerColumns{18, 30, leftWidth - 48};
    const std::vector<double> staffColumns{37, rightWidth - 37};
    const std::vector<double> timeColumns{28, rightWidth - 28};
    s.need(8 + kRow * (mem::kLockers + 1));
    const double top = s.y();

    s.heading(0, leftWidth, QString::fromUtf8(kLockersHeading) + QStringLiteral(" i paski"));
    s.skip(7);
    tableHeader(s, 0, lockerColumns, {QStringLiteral("Szafka"), QStringLiteral("Numer LED"),
                                      QStringLiteral("Pasek (karta)")});
    for (int k = 0; k < mem::kLockers; ++k) {
        const std::size_t slot = std::size_t(kStaffCards + k);
        tableRow(s, 0, lockerColumns,
                 {QString::number(k + 1), shownText(v.lockerNumbers[std::size_t(k)]), shownText(v.cards[slot])},
                 {false, cells.lockerNumbers[std::size_t(k)], cells.cards[slot]}, k % 2 == 1);
    }
    const double leftBottom = s.y();

    s.skip(top - s.y());
    s.heading(rightX, rightWidth, QString::fromUtf8(kCardsHeading) + QStringLiteral(": obsługa"));
    s.skip(7);
    tableHeader(s, rightX, staffColumns, {QStringLiteral("Karta"), QStringLiteral("Numer")});
    for (int c = 0; c < kStaffCards; ++c)
        tableRow(s, rightX, staffColumns,
                 {cardLabel(c), shownText(v.cards[std::size_t(c)])},
                 {false, cells.cards[std::size_t(c)]}, c % 2 == 1);
    s.skip(6);
    s.heading(rightX, rightWidth, QString::fromUtf8(kTimesHeading) + QStringLiteral(": czas otwarcia"));
    s.skip(7);
    tableHeader(s, rightX, timeColumns, {QStringLiteral("Karty"), QStringLiteral("dziesiąte części sekundy (s)")});
    for (int t = 0; t < mem::kOpeningTimes; ++t)
        tableRow(s, rightX, timeColumns,
                 {QString::fromUtf8(kTimeLabels[std::size_t(t)]), openingTime(v.openingTimes[std::size_t(t)])},
                 {false, cells.openingTimes[std::size_t(t)]}, t % 2 == 1);
    s.skip(std::max(leftBottom, s.y()) - s.y() + 8);
}

// Seven rows of twenty cells, a filled cell where the guardian opens the locker, and
// the same as text beneath, to read out or to search for.
void drawGuardianGrid(Sheet &s, const SiteSheet &sheet, const MissingCells &cells)
{
    const double labelWidth = 26;
    const double cell = (s.width() - labelWidth) / mem::kLockers;
    const double row = 7;
    const bool anyUnknown = [&] {
        for (const auto &g : cells.guardians)
            for (bool b : g)
                if (b)
                    return true;
        return false;
    }();
    s.need(8 + row * (mem::kGuardians + 1) + 8 + 5 * mem::kGuardians);
    s.heading(0, s.width(), QString::fromUtf8(kGuardiansHeading) + QStringLiteral(": które szafki otwiera opiekun"));
    s.skip(8);
    s.setFont(8.5, true);
    s.text(0, s.y(), labelWidth, row, QStringLiteral("Szafka →"), Qt::AlignLeft | Qt::AlignVCenter,
           QColor(0x40, 0x40, 0x40));
    for (int k = 0; k < mem::kLockers; ++k)
        s.text(labelWidth + cell * k, s.y(), cell, row, QString::number(k + 1), Qt::AlignCenter);
    s.skip(row);
    for (int g = 0; g < mem::kGuardians; ++g) {
        const double top = s.y();
        if (g % 2 == 1)
            s.box(0, top, labelWidth, row, kShade, kShade, 0.01);
        s.setFont(9.5, true);
        s.text(1.5, top, labelWidth - 1.5, row, QStringLiteral("Opiekun %1").arg(g + 1));
        for (int k = 0; k < mem::kLockers; ++k) {
            const double x = labelWidth + cell * k;
            s.box(x, top, cell, row, QColor());
            if (cells.guardians[std::size_t(g)][std::size_t(k)]) {
                s.box(x + 0.8, top + 0.8, cell - 1.6, row - 1.6, kUnknown, kUnknown, 0.01);
                s.setFont(9, true);
                s.text(x, top, cell, row, QStringLiteral("?"), Qt::AlignCenter, kMissingInk);
            } else if (sheet.settings.guardians[std::size_t(g)][std::size_t(k)]) {
                s.box(x + 0.8, top + 0.8, cell - 1.6, row - 1.6, kTick, kTick, 0.01);
            }
        }
        s.skip(row);
    }
    s.skip(2);
    s.setFont(8);
    s.box(labelWidth, s.y() + 0.8, 4, 3.4, kTick, kTick, 0.01);
    QString legend = QStringLiteral("otwiera");
    if (anyUnknown) {
        s.box(labelWidth + 22, s.y() + 0.8, 4, 3.4, kUnknown, kUnknown, 0.01);
        s.text(labelWidth + 27, s.y(), 120, 5,
               QStringLiteral("? %1: przyjęto, że nie otwiera").arg(kMissingMark), Qt::AlignLeft | Qt::AlignVCenter,
               kMissingInk);
    }
    s.text(labelWidth + 5.5, s.y(), 20, 5, legend);
    s.skip(7);

    for (int g = 0; g < mem::kGuardians; ++g) {
        QStringList opens;
        for (int k = 0; k < mem::kLockers; ++k)
            if (sheet.settings.guardians[std::size_t(g)][std::size_t(k)])
                opens << QString::number(k + 1);
        s.setFont(9, true);
        s.text(0, s.y(), labelWidth, 5, QStringLiteral("Opiekun %1:").arg(g + 1));
        s.setFont(9);
        QString line = opens.isEmpty() ? QStringLiteral("żadnej szafki") : QStringLiteral("szafki ") + opens.join(QStringLiteral(", "));
        const QString unknown = lockerRuns(cells.guardians[std::size_t(g)]);
        if (!unknown.isEmpty())
            line += QStringLiteral("; %1: %2").arg(kMissingMark, unknown);
        s.text(labelWidth, s.y(), s.width() - labelWidth, 5, line);
        s.skip(5);
    }
}

QString systemError()
{
    return QString::fromStdString(std::generic_category().message(errno));
}

// Once every byte is on disk the file replaces `path`; on false nothing is left.
bool saveWhole(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString cannot = QStringLiteral("nie można zapisać %1 / cannot write %1: ").arg(path);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return fail(error, cannot + QStringLiteral("folder nie istnieje / no such folder"));
    if (info.isDir())
        return fail(error, cannot + QStringLiteral("to jest folder / a folder"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(error, cannot + file.errorString());
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            fail(error, cannot + file.errorString());
            file.cancelWriting();
            return false;
        }
        done += written;
    }
    const int fd = file.handle();
#ifdef Q_OS_WIN
    const bool synced = fd < 0 || _commit(fd) == 0;
#else
    const bool synced = fd >= 0 && fsync(fd) == 0;
#endif
    if (!synced) {
        fail(error, cannot + systemError());
        file.cancelWriting();
        return false;
    }
    return file.commit() || fail(error, cannot + file.errorString());
}

} // namespace

bool writeSiteSheet(const QString &pdfPath, const SiteSheet &sheet, QString *error)
{
    QFont font;
    if (!sheetFont(&font, error))
        return false;

    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(14, 12, 14, 12), QPageLayout::Millimeter));
        writer.setTitle(QStringLiteral("Ustawienia sterownika szafek: ") + QFileInfo(sheet.fileName).fileName());
        writer.setCreator(QStringLiteral("vorna-cli"));
        QPainter painter;
        if (!painter.begin(&writer))
            return fail(error, QStringLiteral("nie można utworzyć PDF / cannot make the PDF"));
        painter.setRenderHint(QPainter::Antialiasing);
        Sheet s(writer, painter, font);
        const MissingCells cells = missingCells(sheet.missing);
        drawHeader(s, sheet);
        drawMissingNotice(s, sheet.missing);
        drawTables(s, sheet, cells);
        drawGuardianGrid(s, sheet, cells);
        painter.end();
    }
    return saveWhole(pdfPath, pdf, error);
}

namespace {
QtMessageHandler previousHandler = nullptr;

// Without XDG_RUNTIME_DIR (a cron job, a root shell) Qt says on stderr which runtime
// folder it picked instead. The sheet never uses one, and stderr carries the
// program's own lines.
void dropRuntimeFolderWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message.startsWith(u"QStandardPaths: XDG_RUNTIME_DIR"))
        return;
    previousHandler(type, context, message);
}
} // namespace

std::unique_ptr<QGuiApplication> makeSheetApplication(int &argc, char **argv)
{
    previousHandler = qInstallMessageHandler(dropRuntimeFolderWarning);
    static constexpr char kVariable[] = "QT_QPA_PLATFORM";
    const bool chosen = qEnvironmentVariableIsSet(kVariable);
    if (!chosen)
        qputenv(kVariable, "offscreen");
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    if (!chosen)
        qunsetenv(kVariable);
    return app;
}

} // namespace vorna::cli
