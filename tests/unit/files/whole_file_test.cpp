// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/whole_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>

#include "support/failing_disk.h"

namespace {

using testing_support::DiskFaultName;
using testing_support::FailingDisk;
using testing_support::TDiskFault;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

// Names in the folder apart from the ones a fault needs for itself.
QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot);
}

struct FaultCase {
    TDiskFault fault;
    int newSize;  // a small file fits in Qt's write buffer, a large one does not
};

class WholeFileOnAFailingDisk : public ::testing::TestWithParam<FaultCase> {};

// A small file used to "succeed" on a full disk and replace the old one by an
// empty file; every size must keep the old file and say why.
TEST_P(WholeFileOnAFailingDisk, KeepsTheOldFileAndSaysWhy) {
    FailingDisk disk(GetParam().fault);
    if (!disk.Available()) GTEST_SKIP() << disk.WhyNot();
    const QString path = QString::fromStdString(disk.Folder()) + "/1.dat";
    const QByteArray old(206, 'o');
    ASSERT_TRUE(WriteFile(path, old));

    disk.Break();
    const std::optional<QString> failure =
        files::SaveWholeFile(path, QByteArray(GetParam().newSize, 'n'));
    disk.Mend();

    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->isEmpty());
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(Entries(QString::fromStdString(disk.Folder())), QStringList{"1.dat"})
        << "no temporary file is left behind";
    // Once there is room again the same call stores the new file.
    EXPECT_EQ(files::SaveWholeFile(path, "new"), std::nullopt);
    EXPECT_EQ(ReadAll(path), "new");
}

INSTANTIATE_TEST_SUITE_P(Faults, WholeFileOnAFailingDisk,
                         ::testing::Values(FaultCase{TDiskFault::FullTmpfs, 206},
                                           FaultCase{TDiskFault::FullTmpfs, 72000},
                                           FaultCase{TDiskFault::FileSizeLimit, 206},
                                           FaultCase{TDiskFault::FileSizeLimit, 72000}),
                         [](const auto& info) {
                             return DiskFaultName(info.param.fault) + "_" +
                                    std::to_string(info.param.newSize);
                         });

// The flush of a buffered write is where a small write fails: a device that
// takes nothing shows it without root.
TEST(WriteAllFlushed, FailsOnADeviceThatTakesNothing) {
    for (const int size : {1, 206, 72000}) {
        QFile full("/dev/full");
        ASSERT_TRUE(full.open(QIODevice::WriteOnly));
        const std::optional<QString> failure = files::WriteAllFlushed(full, QByteArray(size, 'x'));
        ASSERT_TRUE(failure.has_value()) << size;
        EXPECT_FALSE(failure->isEmpty()) << size;
    }
}

TEST(WholeFile, ReplacesTheFileAndWritesThroughASymbolicLink) {
    QTemporaryDir dir;
    const QString target = dir.filePath("profile.hex1");
    const QString link = dir.filePath("link.hex1");
    ASSERT_TRUE(WriteFile(target, "old"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(files::SaveWholeFile(link, "new"), std::nullopt);
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // A folder where the file should be cannot be replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
    EXPECT_TRUE(files::SaveWholeFile(dir.filePath("folder"), "x").has_value());
    EXPECT_TRUE(QFileInfo(dir.filePath("folder")).isDir());
}

}  // namespace
