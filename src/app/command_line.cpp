// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <cstdio>
#include <cstring>

namespace vorna::app {

namespace {

const char kUsage[] = R"(Użycie: vorna [OPCJA]...
Okno programatora sterownika szafek RFID: odczytuje i zapisuje numery kart,
numery szafek na wyświetlaczach LED, czasy otwarcia i karty opiekunów przez port
szeregowy, otwiera szafki, wczytuje kartę z czytnika, ustawia adres urządzenia
oraz zapisuje i wczytuje pliki projektu (*.vrp).

Opcje:
  -h, --help     wypisuje ten tekst i kończy działanie
      --version  wypisuje wersję programu i kończy działanie

Pozostałe argumenty przyjmuje Qt, np. -platform NAZWA (platforma okna, np. xcb,
wayland) lub -style NAZWA (wygląd okna, np. fusion).
)";

bool isArgument(const char *arg, const char *name)
{
    return std::strcmp(arg, name) == 0;
}

// A text that did not reach its reader is a failure, not a success.
int print(const char *text)
{
    const bool written = std::fputs(text, stdout) >= 0;
    return written && std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

std::optional<int> answerCommandLine(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (isArgument(argv[i], "--help") || isArgument(argv[i], "-h"))
            return print(kUsage);
        if (isArgument(argv[i], "--version"))
            return print("vorna " VORNA_VERSION "\n");
    }
    return std::nullopt;
}

} // namespace vorna::app
