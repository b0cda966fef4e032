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

// A file the user may open that still refused to open is held by someone else; the
// access is looked up for a permission error only.
TEST_F(DeviceFile, RefusedButAccessibleMeansInUse)
{
    setMode(0666);
    const OpenFailure refused = diagnoseOpenFailure("ttyFAKE0", path, QSerialPort::PermissionError, "Permission denied");
    EXPECT_EQ(refused.reason, OpenFailure::Reason::InUse);
    EXPECT_TRUE(refused.access.readWrite);
    const OpenFailure gone = diagnoseOpenFailure("ttyFAKE0", path, QSerialPort::DeviceNotFoundError, "gone");
    EXPECT_EQ(gone.reason, OpenFailure::Reason::NotFound);
    EXPECT_FALSE(gone.access.readWrite);
}

} // namespace
