// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <unistd.h>

#include "project/project_file.h"
#include "project_file_support.h"
#include "qstring_printer.h"

namespace vorna::project {
namespace {

using namespace Qt::StringLiterals;
using testing::giveToUnprivileged;
using testing::readBytes;
using testing::runUnprivileged;
using testing::sampleValues;
using testing::writeBytes;

const QByteArray kOldFile = "; mine\r\n[CZASY]\r\nUzytkownik=1\r\n";

class FailedSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(u"old.vrp"_s);
        ASSERT_TRUE(writeBytes(file, kOldFile));
    }
    void TearDown() override
    {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // The file as it was and nothing new beside it (no half-written temporary).
    void expectUntouched()
    {
        EXPECT_EQ(readBytes(file), kOldFile);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{u"old.vrp"_s});
    }

    QTemporaryDir dir;
    QString file;
};

TEST_F(FailedSave, ReadOnlyFile)
{
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    EXPECT_FALSE(saveProject(file, sampleValues()));
    expectUntouched();
}

TEST_F(FailedSave, FolderThatDoesNotExist)
{
    const QString p = dir.filePath(u"missing/new.vrp"_s);
    EXPECT_FALSE(saveProject(p, sampleValues()));
    EXPECT_FALSE(QFileInfo::exists(p));
    expectUntouched();
}

TEST_F(FailedSave, PathIsAFolder)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub.vrp"_s));
    EXPECT_FALSE(saveProject(dir.filePath(u"sub.vrp"_s), sampleValues()));
    EXPECT_TRUE(QFileInfo(dir.filePath(u"sub.vrp"_s)).isDir());
}

TEST_F(FailedSave, NoRightToWriteInTheFolder)
{
    // The file itself may be written; the folder takes no new file, so the
    // replacement cannot be made.
    giveToUnprivileged(file);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                      | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QString path = file;
    EXPECT_FALSE(runUnprivileged([path] { return saveProject(path, sampleValues()); }));
    expectUntouched();
}

TEST_F(FailedSave, NoRightToWriteTheFile)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs a file of another user: the owner's case is ReadOnlyFile";
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                      | QFileDevice::ExeOther));
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadOther));
    const QString path = file;
    EXPECT_FALSE(runUnprivileged([path] { return saveProject(path, sampleValues()); }));
    expectUntouched();
}

TEST_F(FailedSave, TextTheCodePageCannotStore)
{
    const QString texts[] = {u"日本"_s, u"señor"_s, u"line\nbreak"_s};
    for (const QString &t : texts) {
        Settings v = sampleValues();
        v.cards[31] = t;
        EXPECT_FALSE(saveProject(file, v)) << t.toStdString();
        expectUntouched();
        EXPECT_FALSE(saveProject(dir.filePath(u"new.vrp"_s), v)) << t.toStdString();
        expectUntouched();
    }
}

class FailedLoad : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override
    {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    QTemporaryDir dir;
};

TEST_F(FailedLoad, FileThatDoesNotExist)
{
    EXPECT_FALSE(loadProject(dir.filePath(u"none.vrp"_s)));
}

TEST_F(FailedLoad, Folder)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"sub.vrp"_s));
    EXPECT_FALSE(loadProject(dir.filePath(u"sub.vrp"_s)));
}

TEST_F(FailedLoad, NoRightToRead)
{
    const QString path = dir.filePath(u"secret.vrp"_s);
    ASSERT_TRUE(writeBytes(path, kOldFile));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                      | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                      | QFileDevice::ExeOther));
    EXPECT_FALSE(runUnprivileged([path] { return loadProject(path).has_value(); }));
    // The same file loads once it may be read: the refusal was about the right.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    EXPECT_TRUE(runUnprivileged([path] { return loadProject(path).has_value(); }));
}

} // namespace
} // namespace vorna::project

namespace vorna::project {
namespace {

// The limit is on the file's bytes: a project padded with comments to the limit loads,
// one byte more is refused, and not read.
TEST_F(FailedLoad, SizeLimit)
{
    const QString path = dir.filePath(u"big.vrp"_s);
    const QByteArray head = "[CZASY]\r\nUzytkownik=7\r\n;";
    for (const qint64 size : {kMaxProjectFileSize, kMaxProjectFileSize + 1}) {
        ASSERT_TRUE(writeBytes(path, head + QByteArray(size - head.size(), 'x')));
        QString why;
        const auto loaded = loadProject(path, &why);
        EXPECT_EQ(loaded.has_value(), size == kMaxProjectFileSize) << size;
        EXPECT_EQ(why.contains(u"too large"_s), size > kMaxProjectFileSize) << why.toStdString();
        EXPECT_EQ(saveProject(path, sampleValues(), &why), size == kMaxProjectFileSize) << size;
    }
}

} // namespace
} // namespace vorna::project
