// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QFileDevice>
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
    switch (a.command) {
    case Command::Read:
        return runRead(a, console);
    case Command::Write:
        return runWrite(a, console);
    case Command::Verify:
        return runVerify(a, console);
    case Command::OpenLocker:
        return runOpenLocker(a, console);
    case Command::SetAddress:
        return runSetAddress(a, console);
    case Command::Scan:
        return runScan(a, console);
    case Command::Enroll:
        return runEnroll(a, console);
    }
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
