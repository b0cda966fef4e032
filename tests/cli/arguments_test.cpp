// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "cli/arguments.h"
#include "cli/exit_codes.h"
#include "cli_rig.h"
#include "support/printers.h"

using namespace vorna;
using namespace vorna::cli;

namespace {
QStringList words(const char *line) { return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts); }
} // namespace

TEST(CliArguments, CommandsAndTheirOperands)
{
    auto a = parseArguments(words("--port COM3 read out.vrp")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::Read);
    EXPECT_EQ(a->port, QStringLiteral("COM3"));
    EXPECT_EQ(a->file, QStringLiteral("out.vrp"));
    EXPECT_EQ(a->address, 1);
    EXPECT_EQ(a->cardType, ops::Unique);
    EXPECT_FALSE(a->trace);

    a = parseArguments(words("write in.vrp --verify --port=/dev/ttyUSB0 --address 0x10 --card-type mifare7b --trace"))
            .arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::Write);
    EXPECT_TRUE(a->verify);
    EXPECT_TRUE(a->trace);
    EXPECT_EQ(a->port, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(a->address, 0x10);
    EXPECT_EQ(a->addressAsTyped, QStringLiteral("0x10"));   // as typed, for messages
    EXPECT_EQ(a->cardType, ops::Mifare7B);

    EXPECT_FALSE(a->allowDefaults);

    a = parseArguments(words("--port p --card-type MiFare4B --allow-defaults verify in.vrp")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::Verify);
    EXPECT_EQ(a->cardType, ops::Mifare4B);
    EXPECT_TRUE(a->allowDefaults);

    a = parseArguments(words("--port p open-locker 20 --time 0")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::OpenLocker);
    EXPECT_EQ(a->locker, 20);
    EXPECT_EQ(a->time, 0);
    a = parseArguments(words("--port p open-locker 1")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->time, 100);

    a = parseArguments(words("--port p set-address 255")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::SetAddress);
    EXPECT_EQ(a->newAddress, 255);

    a = parseArguments(words("--port p scan")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::Scan);
    EXPECT_EQ(a->scanFirst, 1);
    EXPECT_EQ(a->scanLast, 255);
    a = parseArguments(words("--port p scan --scan-range 3-17")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->scanFirst, 3);
    EXPECT_EQ(a->scanLast, 17);
    a = parseArguments(words("--port p scan --scan-range 9")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->scanFirst, 9);
    EXPECT_EQ(a->scanLast, 9);

    // No port for the commands on files alone.
    a = parseArguments(words("--card-type mifare4b --allow-defaults diff a.vrp b.vrp")).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->command, Command::Diff);
    EXPECT_EQ(a->file, QStringLiteral("a.vrp"));
    EXPECT_EQ(a->otherFile, QStringLiteral("b.vrp"));
    EXPECT_EQ(a->cardType, ops::Mifare4B);
    EXPECT_TRUE(a->allowDefaults);
    for (const char *line : {"report site.vrp -o sheet.pdf", "report --output=sheet.pdf site.vrp"}) {
        a = parseArguments(words(line)).arguments;
        ASSERT_TRUE(a) << line;
        EXPECT_EQ(a->command, Command::Report);
        EXPECT_EQ(a->file, QStringLiteral("site.vrp"));
        EXPECT_EQ(a->output, QStringLiteral("sheet.pdf"));
    }
}

TEST(CliArguments, DoubleDashEndsTheOptions)
{
    const auto a = parseArguments({"--port", "p", "read", "--", "--odd-name.vrp"}).arguments;
    ASSERT_TRUE(a);
    EXPECT_EQ(a->file, QStringLiteral("--odd-name.vrp"));
    // An option's value is taken whatever it looks like.
    const auto b = parseArguments(words("--port -h scan")).arguments;
    ASSERT_TRUE(b);
    EXPECT_FALSE(b->help);
    EXPECT_EQ(b->port, QStringLiteral("-h"));
}

// Every mistake is refused with its own one-line reason.
TEST(CliArguments, MistakesAreRefusedWithTheirReason)
{
    const struct {
        const char *line;
        const char *reason;
    } cases[] = {
        {"", "brak polecenia"},
        {"--port p", "brak polecenia"},
        {"--port p frob", "nieznane polecenie 'frob'"},
        {"--port p read", "polecenie read wymaga nazwy pliku projektu"},
        {"--port p read a.vrp b.vrp", "nadmiarowy argument 'b.vrp'"},
        {"--port p scan now", "nadmiarowy argument 'now'"},
        {"read a.vrp", "brak opcji --port"},
        {"--port", "opcja --port wymaga wartości"},
        {"--port p --frob read a.vrp", "nieznana opcja '--frob'"},
        {"--port p --trace=yes read a.vrp", "opcja --trace nie przyjmuje wartości"},
        // One spelling an option: QCommandLineParser alone would take these for options.
        {"--port p --h read a.vrp", "nieznana opcja '--h'"},
        {"-help", "nieznana opcja '-help'"},
        {"--port p -port q read a.vrp", "nieznana opcja '-port'"},
        {"--port p --frob=1 read a.vrp", "nieznana opcja '--frob=1'"},
        // The first mistake in the line is the one named.
        {"--port p --frob --trace=yes read a.vrp", "nieznana opcja '--frob'"},
        {"--port p --trace=yes --frob read a.vrp", "opcja --trace nie przyjmuje wartości"},
        {"--port p --frob read a.vrp --address", "nieznana opcja '--frob'"},
        {"--port p read a.vrp --address", "opcja --address wymaga wartości"},
        {"--port p --address 256 read a.vrp", "niewłaściwy adres urządzenia '256' (0-255)"},
        {"--port p --address -1 read a.vrp", "niewłaściwy adres urządzenia '-1' (0-255)"},
        {"--port p --address abc read a.vrp", "niewłaściwy adres urządzenia 'abc' (0-255)"},
        {"--port p --card-type em4100 read a.vrp", "nieznany typ karty 'em4100'"},
        {"--port p --verify read a.vrp", "opcja --verify nie dotyczy polecenia read"},
        {"--port p --allow-defaults read a.vrp", "opcja --allow-defaults nie dotyczy polecenia read"},
        {"--port p --card-type unique open-locker 3", "opcja --card-type nie dotyczy polecenia open-locker"},
        {"--port p --time 50 write a.vrp", "opcja --time nie dotyczy polecenia write"},
        {"--port p --scan-range 1-5 read a.vrp", "opcja --scan-range nie dotyczy polecenia read"},
        {"--port p open-locker 0", "niewłaściwy numer szafki '0' (1-20)"},
        {"--port p open-locker 21", "niewłaściwy numer szafki '21' (1-20)"},
        {"--port p open-locker x", "niewłaściwy numer szafki 'x' (1-20)"},
        {"--port p open-locker 3 --time 300", "niewłaściwy czas otwarcia '300' (0-255)"},
        {"--port p set-address 256", "niewłaściwy nowy adres '256' (0-255)"},
        {"--port p scan --scan-range 0-5", "niewłaściwy zakres adresów '0-5'"},
        {"--port p scan --scan-range 5-1", "niewłaściwy zakres adresów '5-1'"},
        {"--port p scan --scan-range 1-256", "niewłaściwy zakres adresów '1-256'"},
        {"--port p scan --scan-range a-b", "niewłaściwy zakres adresów 'a-b'"},
        // The commands on files alone take no option of the line.
        {"diff a.vrp", "polecenie diff wymaga dwóch nazw plików projektu"},
        {"diff a.vrp b.vrp c.vrp", "nadmiarowy argument 'c.vrp'"},
        {"--port p diff a.vrp b.vrp", "opcja --port nie dotyczy polecenia diff"},
        {"--trace report a.vrp -o s.pdf", "opcja --trace nie dotyczy polecenia report"},
        {"--verify diff a.vrp b.vrp", "opcja --verify nie dotyczy polecenia diff"},
        {"report a.vrp", "polecenie report wymaga opcji -o PLIK.pdf"},
        {"report a.vrp -o", "opcja --output wymaga wartości"},
        {"--allow-defaults report a.vrp -o s.pdf", "opcja --allow-defaults nie dotyczy polecenia report"},
        {"--port p -o s.pdf read a.vrp", "opcja --output nie dotyczy polecenia read"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        const ParsedArguments p = parseArguments(words(c.line));
        EXPECT_FALSE(p.arguments);
        EXPECT_TRUE(p.error.startsWith(QString::fromUtf8(c.reason))) << p.error.toStdString();
    }
}

TEST(CliArguments, HelpAndVersionWinOverEverythingElse)
{
    for (const char *line : {"--help", "-h", "--port p frob --help", "--frob -h"}) {
        SCOPED_TRACE(line);
        const auto a = parseArguments(words(line)).arguments;
        ASSERT_TRUE(a);
        EXPECT_TRUE(a->help);
    }
    const auto a = parseArguments(words("read --version")).arguments;
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->version);
}

TEST(CliUsage, UsageErrorsExitWithTwoAndOneLine)
{
    for (const char *line : {"", "--port p frob", "--port p open-locker 99", "read a.vrp"}) {
        SCOPED_TRACE(line);
        const test::CliResult r = test::runCliCaptured(words(line));
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("vorna-cli: "))) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith(QStringLiteral("; zobacz vorna-cli --help\n"))) << r.err.toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1);
    }
}

TEST(CliUsage, HelpListsEveryCommandAndOption)
{
    const test::CliResult r = test::runCliCaptured({"--help"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_TRUE(r.err.isEmpty());
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Użycie / Usage: vorna-cli --port PORT")));
    for (const char *word : {"read PLIK.vrp", "write PLIK.vrp", "verify PLIK.vrp", "open-locker N", "set-address NOWY",
                             "scan", "--address N", "--card-type", "--verify", "--time T", "--scan-range A-B",
                             "--allow-defaults", "--trace", "--version", "diff A.vrp B.vrp", "report PLIK.vrp -o ARKUSZ.pdf",
                             "-o, --output PLIK", "6  sterownik lub drugi plik różni się"})
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(word))) << word;
}

TEST(CliUsage, VersionIsTheProjectVersion)
{
    const test::CliResult r = test::runCliCaptured({"--version"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, QStringLiteral("vorna-cli 4.0.0\n"));
}
