// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/bins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace logcore {
namespace {

TBins Parsed(const std::string& text) {
    std::string error;
    const std::optional<TBins> bins = ParseBins(text, error);
    EXPECT_TRUE(bins) << text << ": " << error;
    return bins.value_or(TBins{});
}

struct ParseCase {
    const char* name;
    const char* text;
    std::vector<TBinBand> bands;  // empty: refused
    const char* errorPart = "";
};

class BinList : public ::testing::TestWithParam<ParseCase> {};

TEST_P(BinList, ParsesOrSaysWhy) {
    const ParseCase& c = GetParam();
    std::string error;
    const std::optional<TBins> bins = ParseBins(c.text, error);
    if (c.bands.empty()) {
        EXPECT_FALSE(bins) << c.text;
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    } else {
        ASSERT_TRUE(bins) << error;
        EXPECT_EQ(bins->bands, c.bands);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BinList,
    ::testing::Values(
        ParseCase{"Nested", "1%,2%,5%", {{-1, 1}, {-2, 2}, {-5, 5}}},
        ParseCase{"WithoutPercentSignsAndBlanks", " 1 , 2.5 ", {{-1, 1}, {-2.5, 2.5}}},
        ParseCase{"PlusMinus", "\u00B11%", {{-1, 1}}},
        ParseCase{"Asymmetric", "-1%:+2%", {{-1, 2}}},
        ParseCase{"AdjacentSlices", "-1%:+1%,+1%:+5%,-5%:-1%", {{-1, 1}, {1, 5}, {-5, -1}}},
        ParseCase{
            "NineBands",
            "1,2,3,4,5,6,7,8,9",
            {{-1, 1}, {-2, 2}, {-3, 3}, {-4, 4}, {-5, 5}, {-6, 6}, {-7, 7}, {-8, 8}, {-9, 9}}},
        ParseCase{"TenBands", "1,2,3,4,5,6,7,8,9,10", {}, "at most 9"},
        ParseCase{"Empty", "", {}, "empty"},
        ParseCase{"EmptyItem", "1%,,2%", {}, "band 2 is empty"},
        ParseCase{"TrailingComma", "1%,", {}, "band 2 is empty"},
        ParseCase{"NotANumber", "1%,abc", {}, "band 2 ('abc')"},
        ParseCase{"NotFinite", "inf", {}, "not a percentage"},
        ParseCase{"NegativeWidth", "-1%", {}, "cannot be negative"},
        ParseCase{"EdgesSwapped", "+2%:-1%", {}, "lower edge is above"},
        ParseCase{"HalfPair", "-1%:", {}, "pair of percentages"},
        ParseCase{"WiderFirst", "5%,2%", {}, "band 2 ('2%') lies inside"},
        ParseCase{"Repeated", "1%,1%", {}, "lies inside"},
        ParseCase{"CoveredByTwoEarlier", "-1%:+1%,+1%:+3%,0%:2%", {}, "band 3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BinList, BandTexts) {
    EXPECT_EQ(BandText({-1, 1}), "\u00B11%");
    EXPECT_EQ(BandText({-1, 2.5}), "-1%:+2.5%");
    EXPECT_EQ(BandText({0, 5}), "0%:+5%");
}

struct SortCase {
    const char* name;
    const char* bins;
    std::optional<double> deviation;
    bool secondaryRejects;
    std::optional<int> bin;
};

class BinSorting : public ::testing::TestWithParam<SortCase> {};

TEST_P(BinSorting, FirstBandHoldingThePart) {
    const SortCase& c = GetParam();
    EXPECT_EQ(SortIntoBin(Parsed(c.bins), c.deviation, c.secondaryRejects), c.bin);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Deviations, BinSorting,
    ::testing::Values(SortCase{"Centre", "1%,2%,5%", 0.0, false, 1},
                      SortCase{"OnInnerEdge", "1%,2%,5%", 1.0, false, 1},
                      SortCase{"OnInnerEdgeBelow", "1%,2%,5%", -1.0, false, 1},
                      SortCase{"JustPastInnerEdge", "1%,2%,5%", 1.0001, false, 2},
                      SortCase{"OnOuterEdge", "1%,2%,5%", -5.0, false, 3},
                      SortCase{"PastOuterEdge", "1%,2%,5%", 5.001, false, kBinOut},
                      SortCase{"AsymmetricInside", "-1%:+2%", 1.5, false, 1},
                      SortCase{"AsymmetricShortSide", "-1%:+2%", -1.5, false, kBinOut},
                      SortCase{"AdjacentSharedEdgeGoesToFirst", "-1%:+1%,+1%:+5%", 1.0, false, 1},
                      SortCase{"AdjacentUpperSlice", "-1%:+1%,+1%:+5%", 3.0, false, 2},
                      SortCase{"SecondaryRejectsInABand", "1%,2%", 0.5, true, kBinSecondaryOut},
                      SortCase{"PrimaryOutBeatsSecondary", "1%,2%", 7.0, true, kBinOut},
                      SortCase{"NoDeviation", "1%", std::nullopt, false, std::nullopt},
                      SortCase{"NotANumber", "1%", kNaN, false, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BinSorting, NoBandsNoBin) {
    EXPECT_EQ(SortIntoBin(TBins{}, 0.0, false), std::nullopt);
}

// The reference editor as --ref/--tol would leave it: both boxes off.
TReferenceInput Reference(int parameter, const char* value, int unit) {
    TReferenceInput in;
    in.decimalSeparator = ".";
    in.CBox5 = in.CBox5Off = in.CBox51 = in.CBox51Off = "off";
    in.CBox2 = parameter;
    in.E2 = value;
    (parameter == primary::R ? in.CBox1 : parameter == primary::L ? in.CBox3 : in.CBox4) = unit;
    return in;
}

constexpr double kTwoPi = 6.283185307179586477;

// 105 nF against 100 nF is +5 % on paper and a hair more in doubles.
TEST(BinOfReading, CapacitorExactlyOnTheEdgeStaysInside) {
    const TReferenceInput in = Reference(primary::C, "100", 1);
    const double xs = 1 / (kTwoPi * 1000 * 105e-9);
    const TMeasured m{0.01, xs, 0, 0, 1000, true};
    EXPECT_EQ(BinOfReading(Parsed("1%,5%"), in, m), 2);
    EXPECT_EQ(BinOfValues(Parsed("1%,5%"), in, 105e-9, std::nullopt), 2);
}

TEST(BinOfReading, SecondaryToleranceRejectsIntoItsOwnBin) {
    TReferenceInput in = Reference(primary::R, "1", 1);
    in.CBox11 = secondary::Q;
    in.E11 = "10";
    in.CBox51 = "<";    // Q at most 10
    in.CBox5 = "0.1%";  // a primary tolerance that would reject: it plays no part
    const TBins bins = Parsed("1%,5%");
    EXPECT_EQ(BinOfReading(bins, in, {1030, 50, 0, 0, 1000, true}), 2);  // Q 0.05
    EXPECT_EQ(BinOfReading(bins, in, {1030, 50000, 0, 0, 1000, true}), kBinSecondaryOut);
    EXPECT_EQ(BinOfValues(bins, in, 1030.0, 0.05), 2);
    EXPECT_EQ(BinOfValues(bins, in, 1030.0, 50.0), kBinSecondaryOut);
    EXPECT_EQ(BinOfValues(bins, in, 1100.0, 50.0), kBinOut);
}

TEST(BinOfReading, MissingOrUnusableReferenceGivesNoBin) {
    const TBins bins = Parsed("1%");
    const TMeasured m{1000, 1, 0, 0, 1000, true};
    TReferenceInput empty = Reference(primary::R, "", 0);
    TReferenceInput zero = Reference(primary::R, "0", 0);
    TReferenceInput badUnit = Reference(primary::R, "1", 7);
    for (const TReferenceInput* in : {&empty, &zero, &badUnit}) {
        EXPECT_EQ(BinOfReading(bins, *in, m), std::nullopt) << "'" << in->E2 << "'";
        EXPECT_EQ(BinOfValues(bins, *in, 1000.0, std::nullopt), std::nullopt);
    }
    // A row that shows no primary value has no bin either.
    EXPECT_EQ(BinOfValues(bins, Reference(primary::R, "1", 1), std::nullopt, std::nullopt),
              std::nullopt);
}

TEST(BinCounts, SharesOfTheSortedParts) {
    TBinCounts counts;
    for (std::optional<int> bin : {std::optional(1), std::optional(1), std::optional(2),
                                   std::optional(kBinOut), std::optional<int>()})
        counts.Add(bin);
    EXPECT_EQ(counts.Sorted(), 4);
    EXPECT_EQ(counts.unsorted, 1);
    EXPECT_DOUBLE_EQ(*counts.Share(1), 0.5);
    EXPECT_DOUBLE_EQ(*counts.Share(kBinOut), 0.25);
    EXPECT_DOUBLE_EQ(*counts.Share(kBinSecondaryOut), 0.0);
    EXPECT_EQ(TBinCounts{}.Share(1), std::nullopt);
}

}  // namespace
}  // namespace logcore
