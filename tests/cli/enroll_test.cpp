// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>

#include "cli/arguments.h"
#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "link/commands.h"
#include "link/frame.h"
#include "ops/texts.h"
#include "support/printers.h"
#include "support/program_run.h"
#include "support/settle_server.h"

using namespace vorna;
using namespace vorna::cli;
using test::Bytes;
using sim::Fault;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

project::Settings loaded(const QString &path)
{
    const auto values = project::loadProject(path);
    EXPECT_TRUE(values.has_value()) << path.toStdString();
    return values.value_or(project::Settings{});
}

// Slots by their place in Settings::cards.
constexpr int kMaster1 = 0, kObsluga2 = 3, kOpiekun3 = 7, kPasek7 = 18;

// A project with a note, a foreign section and every key, as a user keeps one.
QString keptProject(const test::CliSim &rig)
{
    project::Settings values = project::defaultSettings();
    values.lockerNumbers[0] = QStringLiteral("101");
    values.cards[kPasek7] = QStringLiteral("0A0B0C0D0E");
    const QString path = rig.saveValues("site.vrp", values);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::Append));
    f.write("[Notatki]\r\nkto=recepcja\r\n");
    return path;
}

} // namespace

// Good specs and their slots in order; bad ones and their one line, before any port.
TEST(CliEnroll, SlotSpecs)
{
    struct Row {
        const char *slotList;
        std::vector<int> cards;
        const char *error;
    };
    const Row rows[] = {
        {"pasek:1-3", {12, 13, 14}, nullptr},
        {"opiekun:1,opiekun:3", {5, 7}, nullptr},
        {"pasek:20,master:1,obsluga:2", {31, 0, 3}, nullptr},
        {"opiekun:7,master:2-2", {11, 1}, nullptr},
        {"", {}, "pusta lista kart --slots"},
        {"pasek", {}, "niewłaściwa karta 'pasek' w --slots: ROLA:N lub ROLA:N-M, ROLA to master, obsluga, opiekun, "
                      "pasek; albo samo all"},
        {"szafka:1", {}, "niewłaściwa karta 'szafka:1' w --slots: ROLA:N lub ROLA:N-M, ROLA to master, obsluga, "
                         "opiekun, pasek; albo samo all"},
        {"all,pasek:1", {}, "niewłaściwa karta 'all' w --slots: ROLA:N lub ROLA:N-M, ROLA to master, obsluga, "
                            "opiekun, pasek; albo samo all"},
        {"master:3", {}, "niewłaściwy numer w 'master:3' w --slots: master to 1-2"},
        {"obsluga:0", {}, "niewłaściwy numer w 'obsluga:0' w --slots: obsluga to 1-3"},
        {"pasek:5-2", {}, "niewłaściwy numer w 'pasek:5-2' w --slots: pasek to 1-20"},
        {"pasek:0x3", {}, "niewłaściwy numer w 'pasek:0x3' w --slots: pasek to 1-20"},
        {"opiekun:1,", {}, "niewłaściwa karta '' w --slots: ROLA:N lub ROLA:N-M, ROLA to master, obsluga, opiekun, "
                           "pasek; albo samo all"},
        {"pasek:1-4,pasek:3", {}, "karta pasek:3 (Pasek Szafka 3) podana w --slots dwa razy"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.slotList);
        const QStringList args{"--port", "COM9", "enroll", "x.vrp", "--slots", QString::fromUtf8(r.slotList)};
        const ParsedArguments parsed = parseArguments(args);
        if (!r.error) {
            ASSERT_TRUE(parsed.arguments) << parsed.error.toStdString();
            EXPECT_EQ(parsed.arguments->cardSlots, r.cards);
            continue;
        }
        const test::CliResult run = test::runCliCaptured(args);
        EXPECT_EQ(run.code, kExitUsage);
        EXPECT_EQ(run.err, QStringLiteral("vorna-cli: %1; zobacz vorna-cli --help\n").arg(QString::fromUtf8(r.error)));
    }
    const auto all = parseArguments({"--port", "COM9", "enroll", "x.vrp", "--slots=all"});
    ASSERT_TRUE(all.arguments);
    EXPECT_EQ(all.arguments->cardSlots.size(), 32u);
    EXPECT_EQ(all.arguments->waitSeconds, 30);
    for (const auto &[args, error] : std::vector<std::pair<QStringList, const char *>>{
             {{"enroll", "x.vrp"}, "polecenie enroll wymaga opcji --slots"},
             {{"enroll", "x.vrp", "--slots", "master:1", "--wait", "0"},
              "niewłaściwy czas oczekiwania na kartę '0' (1-600 s)"},
             {{"read", "x.vrp", "--slots", "master:1"}, "opcja --slots nie dotyczy polecenia read"},
             {{"write", "x.vrp", "--allow-duplicates"}, "opcja --allow-duplicates nie dotyczy polecenia write"}}) {
        const auto parsed = parseArguments(QStringList{"--port", "COM9"} + args);
        EXPECT_EQ(parsed.error, QString::fromUtf8(error));
    }
}

// Three slots, a card held after each arming: each lands in its slot, in the order
// given, and the file keeps every other key and line.
TEST(CliEnroll, CardsInTurnFillTheirSlots)
{
    test::CliSim rig;
    rig.sim.presentCardsOnArming({{0x0A, 0x1B, 0x2C, 0x3D, 0x4E}, {0xDE, 0xAD, 0xBE, 0xEF}, {0x11, 0x22, 0x33, 0x44, 0x55}}, 0);
    const QString path = keptProject(rig);
    const QByteArray before = fileBytes(path);

    const test::CliResult r = rig.run({"enroll", path, "--slots", "opiekun:3,master:1,obsluga:2"});
    EXPECT_EQ(r.code, kExitOk) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("Karta Opiekun 3: 0A1B2C3D4E\nKarta Master 1: DEADBEEF\nKarta Obsługa 2: 1122334455\n"));
    EXPECT_EQ(r.err, QStringLiteral("Przyłóż kartę: Karta Opiekun 3 ...\nPrzyłóż kartę: Karta Master 1 ...\n"
                                    "Przyłóż kartę: Karta Obsługa 2 ...\n"));

    project::Settings expected = project::defaultSettings();
    expected.lockerNumbers[0] = QStringLiteral("101");
    expected.cards[kPasek7] = QStringLiteral("0A0B0C0D0E");
    expected.cards[kOpiekun3] = QStringLiteral("0A1B2C3D4E");
    expected.cards[kMaster1] = QStringLiteral("DEADBEEF");
    expected.cards[kObsluga2] = QStringLiteral("1122334455");
    EXPECT_EQ(loaded(path), expected);
    const QByteArray after = fileBytes(path);
    EXPECT_TRUE(after.contains("[Notatki]\r\nkto=recepcja\r\n"));
    EXPECT_EQ(after.size(), before.size() - 3 * 10 + 10 + 8 + 10);   // only the three card texts changed

    // Nothing but arming and reader queries went to the controller.
    for (const Bytes &frame : rig.sent())
        EXPECT_TRUE(frame == link::buildFrame(1, link::commands::Arming, 0, Bytes{0}) ||
                    frame == link::buildFrame(1, link::commands::ReaderQuery, 0))
            << QByteArray(reinterpret_cast<const char *>(frame.data()), qsizetype(frame.size())).toHex().toStdString();
}

// A card that cannot go into its slot is refused with the reason and the slot asked
// for again; the next card is taken. A new file starts from the defaults.
TEST(CliEnroll, RefusedCardIsAskedForAgain)
{
    struct Row {
        const char *name;
        QStringList extra;
        std::vector<Bytes> cards;
        const char *refusal;
        std::array<const char *, 2> stored;   // pasek:1, pasek:2
    };
    const Row rows[] = {
        {"duplicate", {}, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}},
         "vorna-cli: karta 0102030405 jest już w pliku jako Pasek Szafka 1 (pasek:1); przyłóż inną kartę "
         "(--allow-duplicates ją przyjmie)\n",
         {"0102030405", "060708090A"}},
        {"duplicate allowed", {"--allow-duplicates"}, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}}, nullptr,
         {"0102030405", "0102030405"}},
        {"too long", {}, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 6, 7}, {6, 7, 8, 9, 10}},
         "vorna-cli: karta nie przyjęta: karta 7-bajtowa 01020304050607 nie mieści się w typie Unique (5 bajtów): "
         "zapis pliku by ją skrócił; użyj --card-type mifare7b; przyłóż inną kartę\n",
         {"0102030405", "060708090A"}},
        {"fits its type", {"--card-type", "mifare7b"}, {{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5, 6, 7}}, nullptr,
         {"0102030405", "01020304050607"}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        test::CliSim rig;
        rig.sim.presentCardsOnArming(r.cards, 0);
        const QString path = rig.file("new.vrp");
        const test::CliResult run = rig.run(QStringList{"enroll", path, "--slots", "pasek:1-2"} + r.extra);
        EXPECT_EQ(run.code, kExitOk) << run.err.toStdString();
        const QString prompt1 = QStringLiteral("Przyłóż kartę: Pasek Szafka 1 ...\n");
        const QString prompt2 = QStringLiteral("Przyłóż kartę: Pasek Szafka 2 ...\n");
        EXPECT_EQ(run.err, r.refusal ? prompt1 + prompt2 + QString::fromUtf8(r.refusal) + prompt2 : prompt1 + prompt2);
        project::Settings expected = project::defaultSettings();
        expected.cards[12] = QString::fromLatin1(r.stored[0]);
        expected.cards[13] = QString::fromLatin1(r.stored[1]);
        EXPECT_EQ(loaded(path), expected);
    }
}

// No card for the third slot: the two before it stay in the file, exit 4, and the
// wait lasts as long as --wait says, not the window's five seconds.
TEST(CliEnroll, TimeOutKeepsTheCardsBeforeIt)
{
    test::CliSim rig;
    rig.sim.presentCardsOnArming({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, 0);
    const QString path = keptProject(rig);
    const test::CliResult r = rig.run({"enroll", path, "--slots", "master:1-2,pasek:20,pasek:19", "--wait", "1"});
    EXPECT_EQ(r.code, kExitNoAnswer);
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("Przyłóż kartę: Pasek Szafka 20 ...\nvorna-cli: nie przyłożono karty "
                                              "Pasek Szafka 20 w ciągu 1 s (kart zapisanych w pliku: 2 z 4)\n")))
        << r.err.toStdString();
    const project::Settings values = loaded(path);
    EXPECT_EQ(values.cards[0], QStringLiteral("0102030405"));
    EXPECT_EQ(values.cards[1], QStringLiteral("060708090A"));
    EXPECT_EQ(values.cards[31], project::defaultSettings().cards[31]);
    EXPECT_EQ(values.cards[kPasek7], QStringLiteral("0A0B0C0D0E"));
    EXPECT_TRUE(fileBytes(path).contains("kto=recepcja"));
}

// Bytes on the line besides the reply never become a card: with the reply check the
// reply is refused (exit 4, named), without it the query is asked again until the
// wait ends. Either way the new file is not made.
TEST(CliEnroll, NoisyLineGivesNoCard)
{
    struct Row {
        const char *name;
        Fault fault;
        bool replyCheck;
        const char *error;
    };
    const Row rows[] = {
        {"noise", {Fault::Noise, 0, -1, 5}, true, "vorna-cli: reply to frame 0 (live 0x0000): more bytes than the reply\n"},
        {"trail", {Fault::Trail, 0, -1, 3}, true, "vorna-cli: reply to frame 0 (live 0x0000): more bytes than the reply\n"},
        {"echo", {Fault::Echo, 0, -1, 0}, true, nullptr},
        {"noise, no check", {Fault::Noise, 0, -1, 5}, false,
         "vorna-cli: nie przyłożono karty Karta Master 1 w ciągu 1 s (kart zapisanych w pliku: 0 z 1)\n"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        test::CliSim rig;
        rig.sim.addFault(r.fault);
        rig.sim.presentCardsOnArming({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, 0);
        const QString path = rig.file("noisy.vrp");
        QStringList args{"enroll", path, "--slots", "master:1", "--wait", "1"};
        if (!r.replyCheck)
            args << "--no-reply-check";
        const test::CliResult run = rig.run(args);
        EXPECT_EQ(run.code, kExitNoAnswer);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        if (r.error) {
            EXPECT_TRUE(run.err.endsWith(QString::fromUtf8(r.error))) << run.err.toStdString();
        }
        EXPECT_FALSE(QFile::exists(path));
    }
}

// The file must be a project, empty or new, and lack no key unless --allow-defaults.
TEST(CliEnroll, FileIsJudgedBeforeThePort)
{
    const QString notes = QDir::temp().filePath(QStringLiteral("vorna-enroll-notes.txt"));
    {
        QFile f(notes);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("zakupy: mleko\n");
    }
    const test::CliResult r = test::runCliCaptured({"--port", "/nonexistent/tty", "enroll", notes, "--slots", "master:1"});
    EXPECT_EQ(r.code, kExitBadProject);
    EXPECT_TRUE(r.err.contains(QStringLiteral("enroll zapisuje tylko do pliku projektu, pustego lub nowego")))
        << r.err.toStdString();
    EXPECT_EQ(fileBytes(notes), QByteArray("zakupy: mleko\n"));
    QFile::remove(notes);

    test::CliSim rig;
    const QString partial = rig.writeFile("partial.vrp", "[KARTY_SERWIS]\r\nSerwis1=0A1B2C3D4E\r\n");
    const test::CliResult lacking = rig.run({"enroll", partial, "--slots", "master:1"});
    EXPECT_EQ(lacking.code, kExitBadProject);
    EXPECT_TRUE(lacking.err.contains(QStringLiteral("--allow-defaults bierze za nie wartości domyślne")))
        << lacking.err.toStdString();
    EXPECT_TRUE(rig.sent().empty());
}

// Ctrl-C during a wait ends the run with 130: the cards captured before it are in
// the file, and no temporary file is left beside it.
TEST(CliEnroll, CtrlCKeepsTheCardsSoFar)
{
    test::CliSim rig;
    rig.sim.presentCardsOnArming({{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}, 0);
    const test::SettleServer settle(rig.sim);
    const QString path = rig.file("site.vrp");
    QProcess child;
    child.setProcessEnvironment(settle.environment());
    child.start(test::builtProgram("src/cli/vorna-cli"),
                {"--port", rig.port(), "enroll", path, "--slots", "pasek:1-3", "--wait", "600"});
    ASSERT_TRUE(child.waitForStarted());
    child.setReadChannel(QProcess::StandardError);   // the prompts
    QByteArray err;
    const QByteArray third = QStringLiteral("Przyłóż kartę: Pasek Szafka 3 ...\n").toUtf8();
    while (!err.contains(third) && child.waitForReadyRead(30000))
        err += child.readAllStandardError();
    ASSERT_TRUE(err.contains(third)) << err.toStdString();

    ASSERT_EQ(::kill(pid_t(child.processId()), SIGINT), 0);
    ASSERT_TRUE(child.waitForFinished(30000));
    err += child.readAllStandardError();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), kExitInterrupted);
    EXPECT_TRUE(err.endsWith("vorna-cli: przerwano klawiszami Ctrl-C (kart zapisanych w pliku: 2 z 3)\n"))
        << err.toStdString();
    const project::Settings values = loaded(path);
    EXPECT_EQ(values.cards[12], QStringLiteral("0102030405"));
    EXPECT_EQ(values.cards[13], QStringLiteral("060708090A"));
    EXPECT_EQ(values.cards[14], project::defaultSettings().cards[14]);
    EXPECT_EQ(QDir(rig.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"site.vrp"});
}
