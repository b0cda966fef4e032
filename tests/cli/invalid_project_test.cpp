// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <optional>

#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;

// Every field is judged before the port is touched: a bad one stops the run with
// its key named and not a single frame sent, for write and verify alike.
TEST(CliInvalidProject, RefusedBeforeAnyFrame)
{
    const struct {
        const char *content;
        const char *cardType;
        const char *message;
    } cases[] = {
        {"[NUMERY_SZAFEK]\r\nSzafka3=12\r\n", "unique", "NUMERY_SZAFEK/Szafka3: niewłaściwy numer szafki '12'"},
        {"[KARTY_SZAFEK]\r\nSzafka7=0123456\r\n", "unique",
         "KARTY_SZAFEK/Szafka7: niewłaściwy kod karty '0123456' (Unique: 10 cyfr 0-9, A-F lub parzyście mniej)"},
        {"[karty_klucz]\r\nklucz3=0123abcdef\r\n", "unique",
         "KARTY_KLUCZ/Klucz3: niewłaściwy kod karty '0123abcdef' (Unique: 10 cyfr 0-9, A-F lub parzyście mniej)"},
        {"[CZASY]\r\nSerwis=300\r\n", "unique", "CZASY/Serwis: niewłaściwy czas otwarcia '300' (0-255)"},
        {"[CZASY]\r\nOpiekun=abc\r\n[NUMERY_SZAFEK]\r\nSzafka20=1\r\n", "unique",
         "NUMERY_SZAFEK/Szafka20: niewłaściwy numer szafki '1' (błędnych pól razem: 2)"},
        // Short of the type's digits, a text must still be whole bytes.
        {"[KARTY_SZAFEK]\r\nSzafka7=0123456789ABC\r\n", "mifare7b",
         "KARTY_SZAFEK/Szafka7: niewłaściwy kod karty '0123456789ABC' (MiFare 7B: 14 cyfr 0-9, A-F lub parzyście "
         "mniej)"},
    };
    for (const char *command : {"write", "verify"}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(command) + " " + c.content);
            test::CliSim rig;
            const QString path = rig.writeFile("bad.vrp", c.content);
            const test::CliResult r = rig.run({"--card-type", c.cardType, "--allow-defaults", command, path});
            EXPECT_EQ(r.code, kExitBadProject);
            EXPECT_EQ(r.err, QStringLiteral("vorna-cli: ") + QString::fromUtf8(c.message) + u'\n');
            EXPECT_TRUE(rig.sim.settle());
            EXPECT_TRUE(rig.sim.frames().empty());
        }
    }
}

TEST(CliInvalidProject, MissingFileIsRefused)
{
    test::CliSim rig;
    const QString path = rig.file("missing.vrp");
    const test::CliResult r = rig.run({"write", path});
    EXPECT_EQ(r.code, kExitBadProject);
    EXPECT_EQ(r.err, QStringLiteral("vorna-cli: nie można odczytać pliku projektu '%1': plik nie istnieje / no such file\n")
                         .arg(path));
    EXPECT_TRUE(rig.sim.settle());
    EXPECT_TRUE(rig.sim.frames().empty());
}

// A bad field is reported even when the port could not be opened either: the file
// is the first thing judged.
TEST(CliInvalidProject, JudgedBeforeThePort)
{
    test::CliSim rig;
    const QString path = rig.writeFile("bad.vrp", "[NUMERY_SZAFEK]\r\nSzafka3=12\r\n");
    const test::CliResult r = test::runCliCaptured({"--port", "/nonexistent/tty", "--allow-defaults", "write", path});
    EXPECT_EQ(r.code, kExitBadProject);
}

// Keys the file lacks would go out as defaults and erase the controller: refused,
// with the first of them named, unless the defaults are asked for.
TEST(CliInvalidProject, MissingKeysOnlyWithAllowDefaults)
{
    for (const char *command : {"write", "verify"}) {
        SCOPED_TRACE(command);
        test::CliSim rig;
        const QString path = rig.writeFile("part.vrp", "[CZASY]\r\nUzytkownik=50\r\nSerwis=60\r\nOpiekun=70\r\n");
        const test::CliResult r = rig.run({command, path});
        EXPECT_EQ(r.code, kExitBadProject);
        EXPECT_EQ(r.err, QStringLiteral("vorna-cli: w pliku projektu '%1' brak kluczy (192): KARTY_SERWIS/Serwis1, "
                                        "KARTY_SERWIS/Serwis2, KARTY_KLUCZ/Klucz1, ...; --allow-defaults bierze za "
                                        "nie wartości domyślne\n")
                             .arg(path));
        EXPECT_TRUE(rig.sim.settle());
        EXPECT_TRUE(rig.sim.frames().empty());
        EXPECT_NE(rig.run({"--allow-defaults", command, path}).code, kExitBadProject);
    }
}

// read keeps every line of the file it updates, so it takes only a project, an empty
// file or a new name: a file that is there and holds none of the seven sections is
// refused by the load's rule, before a frame, and left as it was.
TEST(CliInvalidProject, ReadUpdatesOnlyAProject)
{
    const QByteArray notes = "Szafki na piętrze: klucz u portiera.\nZadzwonić do serwisu w marcu.\n";
    const struct {
        const char *name;
        std::optional<QByteArray> content;   // none: no file there
        int code;
        const char *why;   // the reason named, when refused
    } cases[] = {
        {"notes", notes, kExitBadProject, "brak sekcji projektu / not a project file"},
        {"ini_of_another_program", QByteArray("[General]\r\nport=COM2\r\n"), kExitBadProject,
         "brak sekcji projektu / not a project file"},
        {"empty", QByteArray(), kExitOk, nullptr},
        {"missing", std::nullopt, kExitOk, nullptr},
        {"part_of_a_project", QByteArray("; site\r\n[CZASY]\r\nSerwis=7\r\n"), kExitOk, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        test::CliSim rig;
        const QString path = c.content ? rig.writeFile("f.vrp", *c.content) : rig.file("f.vrp");
        const test::CliResult r = rig.run({"read", path});
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        QFile f(path);
        const QByteArray after = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        if (c.why) {
            EXPECT_EQ(r.err, QStringLiteral("vorna-cli: plik '%1' nie zostanie zmieniony: %2; read zapisuje tylko do "
                                            "pliku projektu, pustego lub nowego\n")
                                 .arg(path, QString::fromUtf8(c.why)));
            EXPECT_EQ(after, *c.content);
            EXPECT_TRUE(rig.sim.settle());
            EXPECT_TRUE(rig.sim.frames().empty());
        } else {
            EXPECT_TRUE(project::loadProject(path));
            if (c.content && !c.content->isEmpty()) {
                EXPECT_TRUE(after.startsWith("; site\r\n[CZASY]\r\n")) << after.toStdString();
            }
        }
    }
}
