// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/arguments.h"

#include <QCommandLineParser>
#include <algorithm>
#include <iterator>

#include "cli/card_labels.h"
#include "link/frame.h"
#include "ops/fields.h"

#ifndef VORNA_VERSION
#define VORNA_VERSION "0"
#endif

namespace vorna::cli {

namespace {

struct CommandSpec {
    Command command;
    const char *name;
    const char *argument;   // what its positional arguments are; null: none
    int operands = 1;       // how many there are, when `argument` is given
    bool port = true;       // it talks to the controller
};

const CommandSpec kCommands[] = {
    {Command::Read, "read", "nazwy pliku projektu"},
    {Command::Write, "write", "nazwy pliku projektu"},
    {Command::Verify, "verify", "nazwy pliku projektu"},
    {Command::OpenLocker, "open-locker", "numeru szafki 1-20"},
    {Command::SetAddress, "set-address", "nowego adresu 0-255"},
    {Command::Scan, "scan", nullptr},
    {Command::Enroll, "enroll", "nazwy pliku projektu"},
    {Command::Diff, "diff", "dwóch nazw plików projektu", 2, false},
    {Command::Report, "report", "nazwy pliku projektu", 1, false},
};

const struct {
    const char *name;
    ops::CardType type;
} kCardTypes[] = {{"unique", ops::Unique}, {"mifare4b", ops::Mifare4B}, {"mifare7b", ops::Mifare7B}};

// Every option, by its long name; `value`: what it takes, null for a flag. -h is
// the one short name.
struct OptionSpec {
    const char *name;
    const char *value;
};
const OptionSpec kOptions[] = {
    {"port", "PORT"},
    {"address", "N"},
    {"card-type", "TYP"},
    {"time", "T"},
    {"scan-range", "A-B"},
    {"output", "PLIK"},
    {"slots", "MIEJSCA"},
    {"wait", "SEKUNDY"},
    {"allow-duplicates", nullptr},
    {"trace", nullptr},
    {"verify", nullptr},
    {"no-reply-check", nullptr},
    {"allow-defaults", nullptr},
    {"help", nullptr},
    {"version", nullptr},
};

const OptionSpec *optionNamed(QStringView name)
{
    for (const OptionSpec &o : kOptions)
        if (name == QLatin1StringView(o.name))
            return &o;
    return nullptr;
}

// Options that only make sense with some commands; anywhere else they are a mistake
// worth stopping for (a --verify that silently did nothing would be worse).
struct Scope {
    const char *option;
    std::initializer_list<Command> commands;
};
const Scope kScopes[] = {
    {"card-type", {Command::Read, Command::Write, Command::Verify, Command::Enroll, Command::Diff, Command::Report}},
    {"verify", {Command::Write}},
    {"allow-defaults", {Command::Write, Command::Verify, Command::Enroll, Command::Diff}},
    {"output", {Command::Report}},
    {"time", {Command::OpenLocker}},
    {"scan-range", {Command::Scan}},
    {"slots", {Command::Enroll}},
    {"wait", {Command::Enroll}},
    {"allow-duplicates", {Command::Enroll}},
};

// The option an argument names as this program spells it: --NAME, --NAME=VALUE, -h, -o.
const OptionSpec *spelledOption(QStringView arg)
{
    if (arg == u"-h")
        return optionNamed(u"help");
    if (arg == u"-o")
        return optionNamed(u"output");
    if (!arg.startsWith(u"--"))
        return nullptr;
    const qsizetype eq = arg.indexOf(u'=');
    return optionNamed(eq < 0 ? arg.sliced(2) : arg.sliced(2, eq - 2));
}

// QCommandLineParser is looser than this program's usage: it takes "-port" for
// "--port", "--h" for "-h", and "-help" for -h -e -l -p (so for help). Words that
// are options but not spelled as here are left out of what it is given, and the
// first mistake in the line (such a word, a flag with a value, a value missing at
// the end) is named as the user typed it.
QStringList spellingChecked(const QStringList &args, QString &mistake)
{
    QStringList kept{QStringLiteral("vorna-cli")};   // the parser skips the program's name
    const auto note = [&mistake](const QString &text) {
        if (mistake.isEmpty())
            mistake = text;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == u"--") {
            kept += args.sliced(i);
            break;
        }
        const OptionSpec *option = spelledOption(arg);
        if (!option && arg.startsWith(u'-') && arg.size() > 1) {
            note(QStringLiteral("nieznana opcja '%1'").arg(arg));
            continue;
        }
        kept << arg;
        if (!option)
            continue;
        const bool valueAttached = arg.contains(u'=');
        if (!option->value && valueAttached)
            note(QStringLiteral("opcja --%1 nie przyjmuje wartości").arg(QLatin1StringView(option->name)));
        else if (option->value && !valueAttached && i + 1 == args.size())
            note(QStringLiteral("opcja --%1 wymaga wartości").arg(QLatin1StringView(option->name)));
        else if (option->value && !valueAttached)
            kept << args[++i];   // its value, whatever it looks like
    }
    return kept;
}

std::optional<int> plainNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (!c.isDigit() || c.unicode() > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

ParsedArguments failed(const QString &error) { return {std::nullopt, error}; }

} // namespace

QString commandName(Command command)
{
    for (const CommandSpec &c : kCommands)
        if (c.command == command)
            return QString::fromLatin1(c.name);
    return {};
}

ParsedArguments parseArguments(const QStringList &args)
{
    QString mistake;   // --help and --version still win over it
    const QStringList checked = spellingChecked(args, mistake);

    QCommandLineParser parser;
    for (const OptionSpec &o : kOptions) {
        QStringList names{QString::fromLatin1(o.name)};
        if (names.front() == u"help")
            names.prepend(QStringLiteral("h"));
        else if (names.front() == u"output")
            names.prepend(QStringLiteral("o"));
        parser.addOption(QCommandLineOption(names, {}, o.value ? QString::fromLatin1(o.value) : QString()));
    }
    const bool parsed = parser.parse(checked);
    const auto given = [&parser](const char *name) { return parser.isSet(QString::fromLatin1(name)); };
    const auto value = [&parser](const char *name) { return parser.value(QString::fromLatin1(name)); };

    Arguments a;
    a.help = given("help");
    a.version = given("version");
    if (a.help || a.version)
        return {a, {}};
    if (!mistake.isEmpty())
        return failed(mistake);
    if (!parsed)   // not expected: the spelling check names every refusal the parser makes
        return failed(parser.errorText());
    a.trace = given("trace");
    a.replyCheck = !given("no-reply-check");
    a.allowDefaults = given("allow-defaults");
    a.verify = given("verify");
    a.allowDuplicates = given("allow-duplicates");

    const QStringList positionals = parser.positionalArguments();
    if (positionals.isEmpty())
        return failed(QStringLiteral("brak polecenia"));
    const CommandSpec *def = nullptr;
    for (const CommandSpec &c : kCommands)
        if (positionals.front() == QLatin1StringView(c.name))
            def = &c;
    if (!def)
        return failed(QStringLiteral("nieznane polecenie '%1'").arg(positionals.front()));
    a.command = def->command;
    const qsizetype wanted = def->argument ? 1 + def->operands : 1;
    if (positionals.size() < wanted)
        return failed(QStringLiteral("polecenie %1 wymaga %2").arg(def->name, def->argument));
    if (positionals.size() > wanted)
        return failed(QStringLiteral("nadmiarowy argument '%1'").arg(positionals[wanted]));

    for (const Scope &s : kScopes) {
        if (given(s.option) && std::find(s.commands.begin(), s.commands.end(), a.command) == s.commands.end())
            return failed(QStringLiteral("opcja --%1 nie dotyczy polecenia %2").arg(s.option, def->name));
    }

    if (!def->port) {
        // The files alone: an option for the line would be silently ignored.
        for (const char *o : {"port", "address", "trace", "no-reply-check"})
            if (given(o))
                return failed(QStringLiteral("opcja --%1 nie dotyczy polecenia %2").arg(o, def->name));
    } else if (!given("port")) {
        return failed(QStringLiteral("brak opcji --port"));
    }
    a.port = value("port");

    if (given("address")) {
        const QString text = value("address");
        const auto address = ops::byteField(text);
        if (!address)
            return failed(QStringLiteral("niewłaściwy adres urządzenia '%1' (0-255)").arg(text));
        // Every controller on the bus takes a frame for address 0 as its own.
        if (*address == link::kBroadcastAddress && a.command != Command::SetAddress)
            return failed(QStringLiteral("adres urządzenia 0 to adres wszystkich sterowników na magistrali; "
                                         "polecenie %1 wymaga adresu 1-255")
                              .arg(def->name));
        a.address = *address;
        a.addressAsTyped = text;
    }
    if (given("card-type")) {
        const QString text = value("card-type");
        const auto *known = std::find_if(std::begin(kCardTypes), std::end(kCardTypes), [&text](const auto &t) {
            return text.compare(QLatin1StringView(t.name), Qt::CaseInsensitive) == 0;
        });
        if (known == std::end(kCardTypes))
            return failed(QStringLiteral("nieznany typ karty '%1' (unique, mifare4b, mifare7b)").arg(text));
        a.cardType = known->type;
    }
    if (given("time")) {
        const QString text = value("time");
        const auto time = ops::byteField(text);
        if (!time)
            return failed(QStringLiteral("niewłaściwy czas otwarcia '%1' (0-255)").arg(text));
        a.time = *time;
    }

    const QString operand = wanted >= 2 ? positionals[1] : QString();
    switch (a.command) {
    case Command::Read:
    case Command::Write:
    case Command::Verify:
    case Command::Enroll:
    case Command::Diff:
    case Command::Report:
        for (qsizetype k = 1; k < wanted; ++k)
            if (positionals[k].isEmpty())
                return failed(QStringLiteral("pusta nazwa pliku projektu"));
        a.file = operand;
        if (a.command == Command::Diff)
            a.otherFile = positionals[2];
        if (a.command == Command::Report) {
            a.output = value("output");
            if (!given("output"))
                return failed(QStringLiteral("polecenie report wymaga opcji -o PLIK.pdf"));
            if (a.output.isEmpty())
                return failed(QStringLiteral("pusta nazwa pliku arkusza"));
        }
        break;
    case Command::OpenLocker: {
        const auto n = ops::parseIntegerField(operand);
        if (!n || *n < 1 || *n > 20)
            return failed(QStringLiteral("niewłaściwy numer szafki '%1' (1-20)").arg(operand));
        a.locker = *n;
        break;
    }
    case Command::SetAddress: {
        const auto address = ops::byteField(operand);
        if (!address)
            return failed(QStringLiteral("niewłaściwy nowy adres '%1' (0-255)").arg(operand));
        a.newAddress = *address;
        break;
    }
    case Command::Scan:
        if (given("scan-range")) {
            const QString text = value("scan-range");
            const QStringView range(text);
            const qsizetype dash = range.indexOf(u'-');
            const auto first = plainNumber(dash < 0 ? range : range.left(dash));
            const auto last = dash < 0 ? first : plainNumber(range.mid(dash + 1));
            if (!first || !last || *first < 1 || *last > 255 || *first > *last)
                return failed(
                    QStringLiteral("niewłaściwy zakres adresów '%1' (np. 1-5, w granicach 1-255)").arg(text));
            a.scanFirst = *first;
            a.scanLast = *last;
        }
        break;
    }
    if (a.command == Command::Enroll) {
        if (!given("slots"))
            return failed(QStringLiteral("polecenie enroll wymaga opcji --slots"));
        SlotList list = parseSlotList(value("slots"));
        if (!list.cardSlots)
            return failed(list.error);
        a.cardSlots = std::move(*list.cardSlots);
        if (given("wait")) {
            const QString text = value("wait");
            const auto seconds = plainNumber(text);
            if (!seconds || *seconds < 1 || *seconds > 600)
                return failed(QStringLiteral("niewłaściwy czas oczekiwania na kartę '%1' (1-600 s)").arg(text));
            a.waitSeconds = *seconds;
        }
    }
    return {a, {}};
}

DecodedArguments decodeArguments(const QList<QByteArray> &raw)
{
    DecodedArguments decoded;
    for (const QByteArray &bytes : raw) {
        const QString text = QString::fromLocal8Bit(bytes);
        if (text.toLocal8Bit() == bytes) {
            decoded.args << text;
            continue;
        }
        QString shown;
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            shown += b >= 0x20 && b < 0x7F ? QString(QChar(b))
                                           : QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, u'0');
        }
        // Qt reads a command line on POSIX systems as UTF-8, whatever the locale says.
        decoded.error = QStringLiteral("argument '%1' nie jest tekstem UTF-8 (kodowanie systemu); program użyłby "
                                       "innej nazwy niż podana")
                            .arg(shown);
        return decoded;
    }
    return decoded;
}

QString helpText()
{
    return QStringLiteral(
        "Użycie / Usage: vorna-cli --port PORT [opcje] POLECENIE\n"
        "\n"
        "Polecenia / Commands:\n"
        "  read PLIK.vrp          odczytuje ze sterownika karty, numery szafek, czasy otwarcia\n"
        "                         i karty opiekuna do pliku projektu\n"
        "                         / reads everything from the controller into a project file\n"
        "  write PLIK.vrp         zapisuje to wszystko z pliku projektu do sterownika\n"
        "                         / writes everything from a project file to the controller\n"
        "  verify PLIK.vrp        odczytuje wszystko i porównuje z plikiem, pole po polu\n"
        "                         / reads everything back and compares it with the file\n"
        "                         bajt LED 10+ to cyfra 0, jak w oknie / LED bytes of 10+ read as 0\n"
        "  open-locker N          otwiera szafkę N (1-20) / opens locker N\n"
        "  set-address NOWY       wysyła nowy adres urządzenia (0-255) na adres 0\n"
        "                         / sends a new device address to bus address 0\n"
        "  scan                   szuka sterowników na adresach 1-255 i wypisuje te, które\n"
        "                         odpowiedziały / lists the bus addresses that answer\n"
        "  enroll PLIK.vrp        wczytuje z czytnika sterownika karty miejsc z --slots, po\n"
        "                         kolei, każdą od razu do pliku; sterownika nie zmienia (potem\n"
        "                         write --verify) / captures the cards of the --slots slots from\n"
        "                         the reader into the file, one by one; writes nothing to the\n"
        "                         controller\n"
        "  diff A.vrp B.vrp       porównuje dwa pliki projektu tak, jak verify porównuje plik\n"
        "                         ze sterownikiem; bez portu / compares two project files\n"
        "                         as verify compares a file with the controller; no port\n"
        "  report PLIK.vrp -o ARKUSZ.pdf\n"
        "                         arkusz obiektu A4 do druku: szafki, karty, czasy, opiekunowie;\n"
        "                         bez portu / a printable A4 site sheet; no port\n"
        "\n"
        "Opcje / Options:\n"
        "  --port PORT            port szeregowy, np. COM2, ttyUSB0, /dev/ttyUSB0 (wymagany\n"
        "                         poza diff i report)\n"
        "  --address N            adres urządzenia 1-255 (domyślnie 1); scan i set-address\n"
        "                         go nie używają / device address; unused by scan and set-address\n"
        "  --card-type TYP        unique (domyślny), mifare4b, mifare7b: read, write, verify,\n"
        "                         enroll, diff, report\n"
        "  --verify               write: po zapisie odczytuje wszystko i porównuje bajt po\n"
        "                         bajcie z zapisanymi / read back, compare with the bytes written\n"
        "  --allow-defaults       write, verify, enroll, diff: klucze brakujące w pliku mają\n"
        "                         wartości domyślne / keys the file lacks take their defaults\n"
        "  --slots MIEJSCA        enroll: all albo lista ROLA:N lub ROLA:N-M po przecinku, w\n"
        "                         kolejności wczytywania, np. pasek:1-20, opiekun:1,opiekun:3;\n"
        "                         ROLA: master 1-2 (Karta Master), obsluga 1-3 (Karta Obsługa),\n"
        "                         opiekun 1-7 (Karta Opiekun), pasek 1-20 (Pasek Szafka, wg\n"
        "                         pozycji szafki); miejsce podane dwa razy jest błędem / all, or a\n"
        "                         comma-separated list in enrolment order; no slot twice\n"
        "  --wait SEKUNDY         enroll: czas na przyłożenie każdej karty, 1-600 (domyślnie 30)\n"
        "                         / how long each card is waited for\n"
        "  --allow-duplicates     enroll: przyjmuje kartę, która jest już w pliku na innym\n"
        "                         miejscu / take a card the file holds under another slot\n"
        "  --time T               open-locker: czas otwarcia w 0,1 s, 0-255 (domyślnie 100)\n"
        "  --scan-range A-B       scan: tylko adresy A do B (domyślnie 1-255)\n"
        "  -o, --output PLIK      report: plik PDF arkusza (wymagany) / the sheet's PDF file\n"
        "  --no-reply-check       przyjmuje każdą odpowiedź o oczekiwanej długości, jak okno\n"
        "                         programu; bez tej opcji odpowiedź musi powtarzać nagłówek\n"
        "                         zapytania i mieć poprawną sumę kontrolną / take any reply of\n"
        "                         the awaited length, as the window does; without it a reply\n"
        "                         must repeat the request's header and carry its checksum\n"
        "  --trace                każda ramka wysłana i odebrana, szesnastkowo, na stderr\n"
        "                         / every frame sent and received, in hex, on stderr\n"
        "  -h, --help             ten tekst / this text\n"
        "  --version              wersja / version\n"
        "\n"
        // One code a line, so the manual page made from this text lists them as such.
        "Kody wyjścia / Exit codes:\n"
        "  0  wykonano / done\n"
        "  1  inny błąd / other failure\n"
        "  2  błędne wywołanie / usage\n"
        "  3  port się nie otwiera / port cannot be opened\n"
        "  4  sterownik nie odpowiada / controller does not answer\n"
        "  5  błędny plik projektu lub pole / invalid project file or field\n"
        "  6  sterownik lub drugi plik różni się od pliku / verify or diff found differences\n"
        "  130  przerwano klawiszami Ctrl-C (enroll: wczytane karty zostają w pliku)\n"
        "       / interrupted by Ctrl-C (enroll: the cards captured stay in the file)\n");
}

QString versionText() { return QStringLiteral("vorna-cli " VORNA_VERSION "\n"); }

} // namespace vorna::cli
