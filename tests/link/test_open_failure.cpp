// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/open_failure.h"
#include "support/printers.h"

using namespace vorna::link;

namespace {

struct ReasonCase {
    const char *what;
    QString typed;
    QString device;
    QSerialPort::SerialPortError error;
    QString systemText;
    DeviceAccess access;
    QString expected;
};

const DeviceAccess kRefusedDialout{false, "dialout", "jan"};

std::vector<ReasonCase> reasonCases()
{
    using E = QSerialPort;
    return {
        {"empty name, whatever the error", "", "", E::DeviceNotFoundError, "", {},
         "Nie podano nazwy portu."},
        {"empty name wins over a permission error", "", "", E::PermissionError, "x",
         kRefusedDialout, "Nie podano nazwy portu."},
        {"missing device named as typed", "COM7", "/dev/ttyS6", E::DeviceNotFoundError,
         "No such file or directory", {}, "Port COM7 nie istnieje."},
        {"missing device by path", "/dev/ttyUSB3", "/dev/ttyUSB3", E::DeviceNotFoundError,
         "No such file or directory", {}, "Port /dev/ttyUSB3 nie istnieje."},
        {"locked by another program", "ttyUSB0", "/dev/ttyUSB0", E::PermissionError,
         "Permission error while locking the device", {true, "dialout", "jan"},
         "Port ttyUSB0 jest używany przez inny program."},
        {"no permission names device, group and user", "ttyUSB0", "/dev/ttyUSB0",
         E::PermissionError, "Permission denied", kRefusedDialout,
         "Brak uprawnień do portu /dev/ttyUSB0: użytkownik nie należy do grupy dialout, "
         "która jest jego właścicielem. Dodaj go poleceniem: sudo usermod -aG dialout jan "
         "i zaloguj się ponownie."},
        {"no permission, COM name shows the device", "COM1", "/dev/ttyS0", E::PermissionError,
         "Permission denied", {false, "uucp", "ola"},
         "Brak uprawnień do portu /dev/ttyS0: użytkownik nie należy do grupy uucp, "
         "która jest jego właścicielem. Dodaj go poleceniem: sudo usermod -aG uucp ola "
         "i zaloguj się ponownie."},
        {"placeholders in names are not expanded again", "ttyACM0", "/dev/ttyACM0",
         E::PermissionError, "", {false, "g%3", "u%2"},
         "Brak uprawnień do portu /dev/ttyACM0: użytkownik nie należy do grupy g%3, "
         "która jest jego właścicielem. Dodaj go poleceniem: sudo usermod -aG g%3 u%2 "
         "i zaloguj się ponownie."},
        {"no permission, group unknown or without access", "ttyS0", "/dev/ttyS0",
         E::PermissionError, "Permission denied", {false, "", "jan"},
         "Brak uprawnień do portu /dev/ttyS0."},
        {"no permission, root's group is no advice", "ttyS0", "/dev/ttyS0",
         E::PermissionError, "Permission denied", {false, "root", "jan"},
         "Brak uprawnień do portu /dev/ttyS0."},
        {"not a serial device: the system's text", "/dev/null", "/dev/null",
         E::UnsupportedOperationError, "Inappropriate ioctl for device", {},
         "Inappropriate ioctl for device"},
        {"a directory: the system's text", "/tmp", "/tmp", E::UnknownError, "Is a directory",
         {}, "Is a directory"},
        {"resource error: the system's text", "ttyUSB0", "/dev/ttyUSB0", E::ResourceError,
         "Input/output error", {}, "Input/output error"},
    };
}

TEST(OpenFailureReason, TextForEachCause)
{
    for (const ReasonCase &c : reasonCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(openFailureReason(c.typed, c.device, c.error, c.systemText, c.access),
                  c.expected);
    }
}

std::string nameOfGroup(gid_t gid)
{
    const group *g = ::getgrgid(gid);
    return g ? g->gr_name : std::string();
}

class DeviceFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("ttyFAKE0");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void setMode(mode_t mode) { ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0); }
    gid_t fileGroup() const
    {
        struct stat info{};
        EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
        return info.st_gid;
    }

    QTemporaryDir dir;
    QString path;
};

TEST_F(DeviceFile, GroupIsTheFilesOwnerGroup)
{
    EXPECT_EQ(deviceGroup(path).toStdString(), nameOfGroup(fileGroup()));
    EXPECT_FALSE(deviceGroup(path).isEmpty());
    EXPECT_EQ(deviceGroup("/dev/null").toStdString(), nameOfGroup(0));
}

TEST_F(DeviceFile, GroupOfAMissingFileIsEmpty)
{
    EXPECT_TRUE(deviceGroup(dir.filePath("ttyNONE")).isEmpty());
    EXPECT_TRUE(deviceGroup("").isEmpty());
}

TEST_F(DeviceFile, AccessFollowsALink)
{
    const QString link = dir.filePath("by-id-link");
    ASSERT_TRUE(QFile::link(path, link));
    setMode(0660);
    const DeviceAccess access = deviceAccess(link);
    EXPECT_TRUE(access.readWrite);
    EXPECT_EQ(access.group.toStdString(), nameOfGroup(fileGroup()));
}

TEST_F(DeviceFile, GroupOnlyWhereItMayReadAndWrite)
{
    setMode(0660);
    EXPECT_EQ(deviceAccess(path).group.toStdString(), nameOfGroup(fileGroup()));
    setMode(0640);
    EXPECT_TRUE(deviceAccess(path).group.isEmpty());
    setMode(0600);
    EXPECT_TRUE(deviceAccess(path).group.isEmpty());
}

TEST_F(DeviceFile, UserIsTheCurrentLogin)
{
    const passwd *me = ::getpwuid(::getuid());
    ASSERT_NE(me, nullptr);
    EXPECT_EQ(deviceAccess(path).user.toStdString(), std::string(me->pw_name));
}

TEST_F(DeviceFile, MissingFileIsNotAccessible)
{
    const DeviceAccess access = deviceAccess(dir.filePath("ttyNONE"));
    EXPECT_FALSE(access.readWrite);
    EXPECT_TRUE(access.group.isEmpty());
    EXPECT_FALSE(deviceAccess("").readWrite);
}

// A file the user may open that still refused to open is held by someone else.
TEST_F(DeviceFile, RefusedButAccessibleMeansInUse)
{
    setMode(0666);
    EXPECT_EQ(openFailureReason("ttyFAKE0", path, QSerialPort::PermissionError, "Permission denied"),
              "Port ttyFAKE0 jest używany przez inny program.");
    EXPECT_EQ(openFailureReason("ttyFAKE0", path, QSerialPort::DeviceNotFoundError, "gone"),
              "Port ttyFAKE0 nie istnieje.");
}

} // namespace
