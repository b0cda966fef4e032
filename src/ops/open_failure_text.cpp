// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/open_failure_text.h"

namespace vorna::ops {

using Reason = link::OpenFailure::Reason;

QString openFailureText(const link::OpenFailure &f)
{
    switch (f.reason) {
    case Reason::NoName:
        return QStringLiteral("Nie podano nazwy portu.");
    case Reason::NotFound:
        return QStringLiteral("Port %1 nie istnieje.").arg(f.typedName);
    case Reason::InUse:
        return QStringLiteral("Port %1 jest używany przez inny program.").arg(f.typedName);
    case Reason::NoPermission:
        return QStringLiteral("Brak uprawnień do portu %1.").arg(f.devicePath);
    case Reason::NotInGroup:
        return QStringLiteral("Brak uprawnień do portu %1: użytkownik nie należy do grupy %2, "
                              "która jest jego właścicielem. Dodaj go poleceniem: "
                              "sudo usermod -aG %2 %3 i zaloguj się ponownie.")
            .arg(f.devicePath, f.access.group, f.access.user);
    case Reason::Other:
        break;
    }
    return f.systemText;
}

QString openFailureTextBilingual(const link::OpenFailure &f)
{
    QString why;
    switch (f.reason) {
    case Reason::NoName:
        return QStringLiteral("pusta nazwa portu");
    case Reason::NotFound:
        why = QStringLiteral("port nie istnieje / no such port");
        break;
    case Reason::InUse:
        why = QStringLiteral("port jest używany przez inny program / the port is in use by another program");
        break;
    case Reason::NoPermission:
        why = QStringLiteral("brak uprawnień do portu / permission denied");
        break;
    case Reason::NotInGroup:
        why = QStringLiteral("brak uprawnień do portu: użytkownik nie należy do grupy %1, która jest "
                             "jego właścicielem; dodaj go poleceniem sudo usermod -aG %1 %2 i zaloguj "
                             "się ponownie / permission denied: the user is not in the group %1 that "
                             "owns the port; add them with sudo usermod -aG %1 %2 and log in again")
                  .arg(f.access.group, f.access.user);
        break;
    case Reason::Other:
        // The system's text is all there is to say, and it comes in English only.
        why = f.systemText;
        break;
    }
    return why.isEmpty() ? f.devicePath : QStringLiteral("%1: %2").arg(f.devicePath, why);
}

} // namespace vorna::ops
