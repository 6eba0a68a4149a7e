// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/frame_line.h"

#include <gtest/gtest.h>

#include <string>

namespace cli {
namespace {

constexpr const char* kFrameHex = "0000C8420000C84263332101000000 01CD0A";

struct LineCase {
    const char* name;
    std::string line;
    TLineKind kind;
    std::string errorPart;  // for a malformed line
};

class FrameLineReading : public ::testing::TestWithParam<LineCase> {};

TEST_P(FrameLineReading, KindBytesAndReason) {
    const LineCase& c = GetParam();
    std::vector<std::uint8_t> bytes{1, 2, 3};
    std::string error;
    ASSERT_EQ(ReadFrameLine(c.line, bytes, error), c.kind);
    if (c.kind == TLineKind::Frame) {
        ASSERT_EQ(bytes.size(), 18u);
        EXPECT_EQ(bytes[2], 0xC8);
        EXPECT_EQ(bytes[17], 0x0A);
    } else {
        EXPECT_TRUE(bytes.empty());
    }
    if (c.kind == TLineKind::Malformed) {
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FrameLineReading,
    ::testing::Values(
        LineCase{"Empty", "", TLineKind::Blank, ""},
        LineCase{"BlanksAndReturn", " \t \r", TLineKind::Blank, ""},
        LineCase{"Comment", "  # 00 11", TLineKind::Blank, ""},
        LineCase{"Frame", kFrameHex, TLineKind::Frame, ""},
        LineCase{"FrameWithReturn", std::string(kFrameHex) + "\r", TLineKind::Frame, ""},
        LineCase{"FrameLowerCaseIndented", "\t0000c8420000c84263332101000000 01cd0a",
                 TLineKind::Frame, ""},
        LineCase{"PlainDigitsWithReturn", "0000C8420000C8426333210100000001CD0A\r",
                 TLineKind::Frame, ""},
        LineCase{"PlainLengthButNotHex", "0000C8420000C8426333210100000001CD0G",
                 TLineKind::Malformed, "not hexadecimal"},
        LineCase{"OddDigits", "0 00", TLineKind::Malformed, "splits a byte"},
        LineCase{"NotHex", "00 zz", TLineKind::Malformed, "not hexadecimal"},
        LineCase{"WordsNotHexBeforeOddLength", "hello world", TLineKind::Malformed,
                 "'hello' is not hexadecimal"},
        LineCase{"BinaryBytesEscaped", "\x01\xff", TLineKind::Malformed, "\\x01\\xff"},
        LineCase{"TooShort", "0102", TLineKind::Malformed, "got 2 bytes"},
        LineCase{"TooLong", std::string(kFrameHex) + " 00", TLineKind::Malformed, "got 19 bytes"},
        LineCase{"CommentAfterBytes", "0102 # x", TLineKind::Malformed, "not hexadecimal"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace cli
