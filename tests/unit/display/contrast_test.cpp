// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/contrast.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using display::TRgb;

struct RatioCase {
    const char* name;
    TRgb a, b;
    double ratio;
};

class ContrastRatioTest : public testing::TestWithParam<RatioCase> {};

TEST_P(ContrastRatioTest, MatchesTheKnownRatio) {
    const RatioCase& c = GetParam();
    EXPECT_NEAR(display::ContrastRatio(c.a, c.b), c.ratio, 0.01);
    EXPECT_NEAR(display::ContrastRatio(c.b, c.a), c.ratio, 0.01);  // either order
}

INSTANTIATE_TEST_SUITE_P(
    KnownPairs, ContrastRatioTest,
    testing::Values(RatioCase{"BlackOnWhite", {0, 0, 0}, {255, 255, 255}, 21.0},
                    RatioCase{"SameColour", {0, 128, 0}, {0, 128, 0}, 1.0},
                    RatioCase{"GreyJustBelowAA", {0x77, 0x77, 0x77}, {255, 255, 255}, 4.48},
                    // The old pass cell: black on dark green, below 4.5.
                    RatioCase{"BlackOnDarkGreen", {0, 0, 0}, {0, 128, 0}, 4.09},
                    RatioCase{"WhiteOnRed", {255, 255, 255}, {255, 0, 0}, 4.0}),
    [](const testing::TestParamInfo<RatioCase>& info) { return std::string(info.param.name); });

struct CellCase {
    const char* name;
    TRgb text, fill;
};

class VerdictCellTest : public testing::TestWithParam<CellCase> {};

// The log's pass and reject cells are readable (WCAG AA).
TEST_P(VerdictCellTest, TextIsReadableOnItsFill) {
    const CellCase& c = GetParam();
    EXPECT_GE(display::ContrastRatio(c.text, c.fill), display::kReadableContrast);
}

INSTANTIATE_TEST_SUITE_P(
    LogCells, VerdictCellTest,
    testing::Values(CellCase{"Pass", display::kPassText, display::kPassFill},
                    CellCase{"Reject", display::kRejectText, display::kRejectFill}),
    [](const testing::TestParamInfo<CellCase>& info) { return std::string(info.param.name); });

}  // namespace
