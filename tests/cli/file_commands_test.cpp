// SPDX-License-Identifier: GPL-3.0-or-later
// diff and report: project files alone, no port.
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "project/project_file_support.h"
#include "support/pdf_tools.h"

using namespace vorna;
using project::testing::goldenPath;
using project::testing::sampleValues;

namespace {

QString saved(const QTemporaryDir &dir, const char *name, const project::Settings &values)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_TRUE(project::saveProject(path, values));
    return path;
}

} // namespace

// Fields are compared as a write of each file would send them; each difference is
// one line on stdout, A's value first.
TEST(CliDiff, ComparesAsWriteWouldSend)
{
    const struct {
        const char *name;
        std::function<void(project::Settings &)> change;
        QStringList lines;
    } rows[] = {
        {"same file", [](project::Settings &) {}, {}},
        {"texts the controller cannot tell apart",
         [](project::Settings &v) {
             v.lockerNumbers[2] = QStringLiteral("0031");   // the first three digits go
             v.openingTimes[1] = QStringLiteral("0x37");    // 55
             v.cards[0] = QStringLiteral("0000000002FF");   // Unique takes 10 digits
         },
         {}},
        {"one of each kind",
         [](project::Settings &v) {
             v.cards[18] = QStringLiteral("FFFFFFFFFF");
             v.lockerNumbers[6] = QStringLiteral("107");
             v.openingTimes[0] = QStringLiteral("200");
             v.guardians[2][4] = !v.guardians[2][4];
         },
         {"KARTY_SZAFEK/Szafka7: A ma 0000000020, B ma FFFFFFFFFF", "NUMERY_SZAFEK/Szafka7: A ma 007, B ma 107",
          "CZASY/Uzytkownik: A ma 54, B ma 200", "OPIEKUN/Opiekun3_05: A ma 0, B ma 1"}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        QTemporaryDir dir;
        project::Settings b = sampleValues();
        r.change(b);
        const auto result = test::runCliCaptured(
            {"diff", saved(dir, "a.vrp", sampleValues()), saved(dir, "b.vrp", b)});
        EXPECT_EQ(result.code, r.lines.isEmpty() ? cli::kExitOk : cli::kExitMismatch) << result.err.toStdString();
        EXPECT_EQ(result.out, r.lines.isEmpty() ? QString() : r.lines.join(u'\n') + u'\n');
    }
}

// A file that is no project, or lacks keys, gets the refusals write and verify give.
TEST(CliDiff, RefusesWhatWriteRefuses)
{
    const auto lacking = test::runCliCaptured({"diff", goldenPath("existing_after.vrp"), goldenPath("existing_before.vrp")});
    EXPECT_EQ(lacking.code, cli::kExitBadProject);
    EXPECT_TRUE(lacking.err.contains(QStringLiteral("brak kluczy"))) << lacking.err.toStdString();
    EXPECT_TRUE(lacking.out.isEmpty());

    QTemporaryDir dir;
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    QFile f(notes);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just notes\n");
    f.close();
    const auto none = test::runCliCaptured({"diff", goldenPath("existing_after.vrp"), notes});
    EXPECT_EQ(none.code, cli::kExitBadProject);
    EXPECT_TRUE(none.err.contains(notes)) << none.err.toStdString();
}

// report makes the sheet of the file named, or says why not and leaves nothing.
TEST(CliReport, WritesTheSheetOrNothing)
{
    QTemporaryDir dir;
    const QString sheet = dir.filePath(QStringLiteral("obiekt.pdf"));
    const auto made = test::runCliCaptured({"report", goldenPath("existing_after.vrp"), "-o", sheet});
    ASSERT_EQ(made.code, cli::kExitOk) << made.err.toStdString();
    const QString text = test::popplerOutput(QStringLiteral("pdftotext"), {"-layout", sheet, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("existing_after.vrp"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Użytkownik"))) << text.toStdString();

    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/s.pdf"));
    const auto refused = test::runCliCaptured({"report", goldenPath("existing_after.vrp"), "-o", nowhere});
    EXPECT_EQ(refused.code, cli::kExitBadProject);
    EXPECT_TRUE(refused.err.contains(nowhere)) << refused.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(nowhere));

    // The project named as the sheet: refused, the file left as it was.
    const QString project = saved(dir, "obiekt.vrp", sampleValues());
    const QByteArray before = [&] { QFile f(project); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    const auto itself = test::runCliCaptured({"report", project, "-o", dir.filePath(QStringLiteral("./obiekt.vrp"))});
    EXPECT_EQ(itself.code, cli::kExitUsage) << itself.err.toStdString();
    QFile after(project);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);

    const auto noProject = test::runCliCaptured({"report", dir.filePath(QStringLiteral("missing.vrp")), "-o", sheet + "2"});
    EXPECT_EQ(noProject.code, cli::kExitBadProject);
    EXPECT_FALSE(QFileInfo::exists(sheet + "2"));
}
