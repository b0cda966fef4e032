// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>

#include "cli/console.h"
#include "support/printers.h"

using namespace vorna;

TEST(CliConsole, TerminalDrawsProgressOnOneLineAndEndsItBeforeOtherLines)
{
    QString out, err;
    {
        QTextStream o(&out), e(&err);
        cli::Console console(o, e, true);
        console.status(QStringLiteral("Odczytywanie ..."));
        console.progress(QStringLiteral("Karty"), 0, 32);
        console.progress(QStringLiteral("Karty"), 16, 32);
        console.note(QStringLiteral("12:00:00.000 TX 01"));
        console.progress(QStringLiteral("Karty"), 32, 32);
        console.status(QStringLiteral("Gotowe ..."));
        console.result(QStringLiteral("3"));
    }
    EXPECT_EQ(err, QStringLiteral("Odczytywanie ...\n"
                                  "\rKarty [....................] 0/32"
                                  "\rKarty [##########..........] 16/32\n"
                                  "12:00:00.000 TX 01\n"
                                  "\rKarty [####################] 32/32\n"
                                  "Gotowe ...\n"));
    EXPECT_EQ(out, QStringLiteral("3\n"));
}

TEST(CliConsole, ShorterProgressLineWipesTheLongerOne)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    {
        cli::Console console(o, e, true);
        console.progress(QStringLiteral("Adresy"), 10, 100);
        console.progress(QStringLiteral("Adresy"), 9, 9);
    }
    e.flush();
    const QStringList parts = err.split(u'\r', Qt::SkipEmptyParts);
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[1].trimmed(), QStringLiteral("Adresy [####################] 9/9"));
    EXPECT_EQ(parts[1].size() - 1, parts[0].size());   // padded over the old line, then "\n"
}

TEST(CliConsole, ElsewhereOnlyErrorsNotesAndResults)
{
    QString out, err;
    {
        QTextStream o(&out), e(&err);
        cli::Console console(o, e, false);
        console.status(QStringLiteral("Odczytywanie ..."));
        console.progress(QStringLiteral("Karty"), 5, 32);
        console.note(QStringLiteral("KARTY_SERWIS/Serwis1: x"));
        console.error(QStringLiteral("coś poszło źle"));
        console.result(QStringLiteral("7"));
    }
    EXPECT_EQ(err, QStringLiteral("KARTY_SERWIS/Serwis1: x\nvorna-cli: coś poszło źle\n"));
    EXPECT_EQ(out, QStringLiteral("7\n"));
}
