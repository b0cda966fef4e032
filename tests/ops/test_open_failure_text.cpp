// SPDX-License-Identifier: GPL-3.0-or-later
// Why a port did not open, from the port's error and the device's access to the
// words of each front end: the window's tooltip in Polish, vorna-cli's line in
// Polish and English.
#include <gtest/gtest.h>

#include "link/open_failure.h"
#include "ops/open_failure_text.h"
#include "support/printers.h"

using namespace vorna;
using link::DeviceAccess;

namespace {

struct ReasonCase {
    const char *what;
    QString typed;
    QString device;
    QSerialPort::SerialPortError error;
    QString systemText;
    DeviceAccess access;
    QString window;
    QString cli;
};

const DeviceAccess kRefusedDialout{false, "dialout", "jan"};

std::vector<ReasonCase> reasonCases()
{
    using E = QSerialPort;
    return {
        {"empty name, whatever the error", "", "", E::DeviceNotFoundError, "", {},
         "Nie podano nazwy portu.", "pusta nazwa portu"},
        {"empty name wins over a permission error", "", "", E::PermissionError, "x",
         kRefusedDialout, "Nie podano nazwy portu.", "pusta nazwa portu"},
        {"missing device named as typed", "COM7", "/dev/ttyS6", E::DeviceNotFoundError,
         "No such file or directory", {}, "Port COM7 nie istnieje.",
         "/dev/ttyS6: port nie istnieje / no such port"},
        {"missing device by path", "/dev/ttyUSB3", "/dev/ttyUSB3", E::DeviceNotFoundError,
         "No such file or directory", {}, "Port /dev/ttyUSB3 nie istnieje.",
         "/dev/ttyUSB3: port nie istnieje / no such port"},
        {"locked by another program", "ttyUSB0", "/dev/ttyUSB0", E::PermissionError,
         "Permission error while locking the device", {true, "dialout", "jan"},
         "Port ttyUSB0 jest używany przez inny program.",
         "/dev/ttyUSB0: port jest używany przez inny program / the port is in use by another program"},
        {"no permission names device, group and user", "ttyUSB0", "/dev/ttyUSB0",
         E::PermissionError, "Permission denied", kRefusedDialout,
         "Brak uprawnień do portu /dev/ttyUSB0: użytkownik nie należy do grupy dialout, "
         "która jest jego właścicielem. Dodaj go poleceniem: sudo usermod -aG dialout jan "
         "i zaloguj się ponownie.",
         "/dev/ttyUSB0: brak uprawnień do portu: użytkownik nie należy do grupy dialout, która jest "
         "jego właścicielem; dodaj go poleceniem sudo usermod -aG dialout jan i zaloguj się ponownie "
         "/ permission denied: the user is not in the group dialout that owns the port; add them "
         "with sudo usermod -aG dialout jan and log in again"},
        {"no permission, COM name shows the device", "COM1", "/dev/ttyS0", E::PermissionError,
         "Permission denied", {false, "uucp", "ola"},
         "Brak uprawnień do portu /dev/ttyS0: użytkownik nie należy do grupy uucp, "
         "która jest jego właścicielem. Dodaj go poleceniem: sudo usermod -aG uucp ola "
         "i zaloguj się ponownie.",
         "/dev/ttyS0: brak uprawnień do portu: użytkownik nie należy do grupy uucp, która jest "
         "jego właścicielem; dodaj go poleceniem sudo usermod -aG uucp ola i zaloguj się ponownie "
         "/ permission denied: the user is not in the group uucp that owns the port; add them "
         "with sudo usermod -aG uucp ola and log in again"},
        {"placeholders in names are not expanded again", "ttyACM0", "/dev/ttyACM0",
         E::PermissionError, "", {false, "g%3", "u%2"},
         "Brak uprawnień do portu /dev/ttyACM0: użytkownik nie należy do grupy g%3, "
         "która jest jego właścicielem. Dodaj go poleceniem: sudo usermod -aG g%3 u%2 "
         "i zaloguj się ponownie.",
         "/dev/ttyACM0: brak uprawnień do portu: użytkownik nie należy do grupy g%3, która jest "
         "jego właścicielem; dodaj go poleceniem sudo usermod -aG g%3 u%2 i zaloguj się ponownie "
         "/ permission denied: the user is not in the group g%3 that owns the port; add them "
         "with sudo usermod -aG g%3 u%2 and log in again"},
        {"no permission, group unknown or without access", "ttyS0", "/dev/ttyS0",
         E::PermissionError, "Permission denied", {false, "", "jan"},
         "Brak uprawnień do portu /dev/ttyS0.", "/dev/ttyS0: brak uprawnień do portu / permission denied"},
        {"no permission, root's group is no advice", "ttyS0", "/dev/ttyS0",
         E::PermissionError, "Permission denied", {false, "root", "jan"},
         "Brak uprawnień do portu /dev/ttyS0.", "/dev/ttyS0: brak uprawnień do portu / permission denied"},
        {"not a serial device: the system's text", "/dev/null", "/dev/null",
         E::UnsupportedOperationError, "Inappropriate ioctl for device", {},
         "Inappropriate ioctl for device", "/dev/null: Inappropriate ioctl for device"},
        {"a directory: the system's text", "/tmp", "/tmp", E::UnknownError, "Is a directory",
         {}, "Is a directory", "/tmp: Is a directory"},
        {"resource error: the system's text", "ttyUSB0", "/dev/ttyUSB0", E::ResourceError,
         "Input/output error", {}, "Input/output error", "/dev/ttyUSB0: Input/output error"},
        {"no system text: the device alone", "ttyUSB0", "/dev/ttyUSB0", E::OpenError, "", {}, "",
         "/dev/ttyUSB0"},
    };
}

TEST(OpenFailureText, EachFrontEndNamesTheSameCause)
{
    for (const ReasonCase &c : reasonCases()) {
        SCOPED_TRACE(c.what);
        const link::OpenFailure failure = link::classifyOpenFailure(c.typed, c.device, c.error, c.systemText, c.access);
        EXPECT_EQ(ops::openFailureText(failure), c.window);
        EXPECT_EQ(ops::openFailureTextBilingual(failure), c.cli);
    }
}

} // namespace
