// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/line_sink.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "support/failing_disk.h"

namespace cli {
namespace {

using testing_support::DiskFaultName;
using testing_support::FailingDisk;
using testing_support::TDiskFault;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class LineSinkOnAFailingDisk : public ::testing::TestWithParam<TDiskFault> {};

// A line that does not fit used to stay in the file torn, and the next run
// appended onto it; the file must end with the last whole line instead.
TEST_P(LineSinkOnAFailingDisk, ALineThatDoesNotFitIsCutOffAgain) {
    FailingDisk disk(GetParam());
    if (!disk.Available()) GTEST_SKIP() << disk.WhyNot();
    const std::string path = disk.Folder() + "/log.csv";
    const std::string whole = "\xEF\xBB\xBFh\r\nfirst\r\n";
    std::string error;
    bool wrote = false;
    {
        TLineSink sink;
        ASSERT_TRUE(sink.Open(path, "h\r\n", error)) << error;
        ASSERT_TRUE(sink.Write("first\r\n", error)) << error;
        disk.Break();
        wrote = sink.Write(std::string(6000, 'x') + "\r\n", error);
        disk.Mend();
    }
    EXPECT_FALSE(wrote);
    EXPECT_NE(error.find("cannot write the output"), std::string::npos) << error;
    EXPECT_EQ(Contents(path), whole);

    // The next run appends after the last whole line, without a second header.
    TLineSink next;
    ASSERT_TRUE(next.Open(path, "h\r\n", error)) << error;
    ASSERT_TRUE(next.Write("second\r\n", error)) << error;
    EXPECT_EQ(Contents(path), whole + "second\r\n");
}

INSTANTIATE_TEST_SUITE_P(Faults, LineSinkOnAFailingDisk,
                         ::testing::Values(TDiskFault::FullTmpfs, TDiskFault::FileSizeLimit),
                         [](const auto& info) { return DiskFaultName(info.param); });

// The header of a new file goes out with the first line that is written whole.
TEST(LineSink, AFirstLineThatFailsLeavesAnEmptyFileAndKeepsTheHeader) {
    FailingDisk disk(TDiskFault::FileSizeLimit);
    ASSERT_TRUE(disk.Available()) << disk.WhyNot();
    const std::string path = disk.Folder() + "/new.csv";
    std::string error;
    TLineSink sink;
    ASSERT_TRUE(sink.Open(path, "h\r\n", error)) << error;
    disk.Break();
    const bool wrote = sink.Write(std::string(100, 'x') + "\r\n", error);
    disk.Mend();
    EXPECT_FALSE(wrote);
    EXPECT_EQ(Contents(path), "");
    ASSERT_TRUE(sink.Write("later\r\n", error)) << error;
    EXPECT_EQ(Contents(path), "\xEF\xBB\xBFh\r\nlater\r\n");
}

}  // namespace
}  // namespace cli
