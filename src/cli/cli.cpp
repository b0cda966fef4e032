// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QFileDevice>
#include <utility>
#include <unistd.h>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exit_codes.h"

namespace vorna::cli {

namespace {

bool writesToTerminal(const QTextStream &stream)
{
    const auto *file = qobject_cast<const QFileDevice *>(stream.device());
    return file && file->handle() >= 0 && ::isatty(file->handle()) == 1;
}

using Runner = int (*)(const Arguments &, Console &);
const std::pair<Command, Runner> kRunners[] = {
    {Command::Read, runRead},
    {Command::Write, runWrite},
    {Command::Verify, runVerify},
    {Command::OpenLocker, runOpenLocker},
    {Command::SetAddress, runSetAddress},
    {Command::Scan, runScan},
    {Command::Enroll, runEnroll},
    {Command::Diff, runDiff},
    {Command::Report, runReport},
};

int runCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    Console console(out, err, writesToTerminal(err));
    const ParsedArguments parsed = parseArguments(args);
    if (!parsed.arguments) {
        console.error(parsed.error + QStringLiteral("; zobacz vorna-cli --help"));
        return kExitUsage;
    }
    const Arguments &a = *parsed.arguments;
    if (a.help) {
        out << helpText();
        return kExitOk;
    }
    if (a.version) {
        out << versionText();
        return kExitOk;
    }
    for (const auto &[command, run] : kRunners)
        if (command == a.command)
            return run(a, console);
    return kExitFailed;
}

// Output is part of the result: a script must not take a lost line for success.
int finish(int code, QTextStream &out, QTextStream &err)
{
    out.flush();
    err.flush();
    if (out.status() != QTextStream::Ok || err.status() != QTextStream::Ok)
        return kExitFailed;
    return code;
}

} // namespace

int runCli(QStringList args, QTextStream &out, QTextStream &err)
{
    const int code = runCommand(args, out, err);
    return finish(code, out, err);
}

bool drawsSiteSheet(const QList<QByteArray> &rawArgs)
{
    QStringList args;
    for (const QByteArray &bytes : rawArgs)
        args << QString::fromLocal8Bit(bytes);
    const ParsedArguments parsed = parseArguments(args);
    return parsed.arguments && !parsed.arguments->help && !parsed.arguments->version
        && parsed.arguments->command == Command::Report;
}

int runCliOnBytes(const QList<QByteArray> &rawArgs, QTextStream &out, QTextStream &err)
{
    const DecodedArguments decoded = decodeArguments(rawArgs);
    if (decoded.error.isEmpty())
        return runCli(decoded.args, out, err);
    {
        Console console(out, err, false);
        console.error(decoded.error + QStringLiteral("; zobacz vorna-cli --help"));
    }
    return finish(kExitUsage, out, err);
}

} // namespace vorna::cli
