// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/utf8.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace logcore {
namespace {

struct Utf8Case {
    const char* name;
    std::string text;
    bool valid;
};

void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class Utf8Checking : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Checking, WellFormedOnly) {
    EXPECT_EQ(IsValidUtf8(GetParam().text), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8Checking,
    ::testing::Values(Utf8Case{"Ascii", "R 1.0 kOhm", true},
                      Utf8Case{"Cyrillic", "\xD0\x9E\xD0\xBC", true},
                      Utf8Case{"ByteOrderMark", "\xEF\xBB\xBF", true},
                      Utf8Case{"LastCodePoint", "\xF4\x8F\xBF\xBF", true},
                      Utf8Case{"Surrogate", "\xED\xBB\xBF", false},
                      Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", false},
                      Utf8Case{"OverlongFourBytes", "\xF0\x80\x80\xAF", false},
                      Utf8Case{"PastLastCodePoint", "\xF4\x90\x80\x80", false},
                      Utf8Case{"CutShort", "\xD0", false}),
    [](const ::testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace logcore
