// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/matching.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace logcore {
namespace {

std::vector<TMatchPart> Parts(const std::vector<double>& values) {
    std::vector<TMatchPart> parts;
    for (std::size_t i = 0; i < values.size(); ++i)
        parts.push_back({static_cast<long>(i) + 1, values[i], std::nullopt});
    return parts;
}

struct MatchCase {
    const char* name;
    std::vector<double> values;  // row i + 1 holds values[i]
    TMatchRule rule;
    TMatchResult expected;
};

class Matching : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Matching, KnownBestSets) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(MatchSets(Parts(c.values), c.rule), c.expected);
}

const double kNaN = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Tables, Matching,
    ::testing::Values(
        MatchCase{"Empty", {}, {2, 1, {}}, {}}, MatchCase{"OnePart", {100}, {2, 1, {}}, {{}, {1}}},
        MatchCase{
            "NeighboursAfterSorting", {100, 200, 101, 202}, {2, 1, {}}, {{{1, 3}, {2, 4}}, {}}},
        // 99 and 101 lie exactly 1 % from their mean of 100.
        MatchCase{"OnTheBound", {99, 101}, {2, 1, {}}, {{{1, 2}}, {}}},
        MatchCase{"JustPastTheBound", {98.9, 101.1}, {2, 1, {}}, {{}, {1, 2}}},
        // 101 fits 100 and 102; pairing it with 100 leaves 102 alone, which
        // is still the most pairs (one) as 100 and 102 do not fit.
        MatchCase{"PartFittingTwoSets", {102, 101, 100}, {2, 0.6, {}}, {{{2, 3}}, {1}}},
        // With 103 present, 101 must go with 100 for two pairs: 100-101, 102-103.
        MatchCase{
            "GreedyFromTheSmallest", {101, 103, 100, 102}, {2, 0.6, {}}, {{{1, 3}, {2, 4}}, {}}},
        MatchCase{"TiesPairInRowOrder", {5, 5, 5}, {2, 0, {}}, {{{1, 2}}, {3}}},
        MatchCase{"ZeroBoundNeedsEqualValues", {5, 5.0000001}, {2, 0, {}}, {{}, {1, 2}}},
        MatchCase{"SignsNeverMix", {-1, 1, -1.001, 1.001}, {2, 50, {}}, {{{1, 3}, {2, 4}}, {}}},
        MatchCase{"MissingValueIsLeft", {kNaN, 100, 100}, {2, 1, {}}, {{{2, 3}}, {1}}},
        MatchCase{"ThreeOfAKind",
                  {100, 130, 101, 99, 131, 129, 150},
                  {3, 1, {}},
                  {{{1, 3, 4}, {2, 5, 6}}, {7}}},
        // A run of three that fits only if the first part stays out.
        MatchCase{"ThreeSkippingAnOutlier",
                  {90, 100, 100.5, 101, 110},
                  {3, 1, {}},
                  {{{2, 3, 4}}, {1, 5}}},
        MatchCase{"ThreeTooFew", {100, 100}, {3, 1, {}}, {{}, {1, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Matching, SecondBoundMustHoldToo) {
    std::vector<TMatchPart> parts = Parts({100, 100.1, 100.2, 100.3, 100.4});
    const std::optional<double> d[] = {0.010, 0.0101, 0.020, 0.0201, std::nullopt};
    for (std::size_t i = 0; i < parts.size(); ++i) parts[i].value2 = d[i];
    // Row 5 has no secondary value, so it cannot join a set under a second bound.
    EXPECT_EQ(MatchSets(parts, {2, 1, 2.0}), (TMatchResult{{{1, 2}, {3, 4}}, {5}}));
    // Without the second bound the primary values alone decide.
    EXPECT_EQ(MatchSets(parts, {2, 1, {}}), (TMatchResult{{{1, 2}, {3, 4}}, {5}}));
    // Neighbours by the primary whose secondaries are far apart do not pair;
    // each part finds the next one that fits both.
    parts[1].value2 = 0.020;
    parts[2].value2 = 0.010;
    EXPECT_EQ(MatchSets(parts, {2, 1, 2.0}), (TMatchResult{{{1, 3}, {2, 4}}, {5}}));
    EXPECT_EQ(MatchSets(parts, {2, 1, 0.2}), (TMatchResult{{{1, 3}}, {2, 4, 5}}));
}

TEST(Matching, WithinParsing) {
    std::string error;
    EXPECT_EQ(ParseWithin("1%", error), 1.0);
    EXPECT_EQ(ParseWithin("0.5", error), 0.5);
    EXPECT_EQ(ParseWithin("0%", error), 0.0);
    for (const char* bad : {"", "%", "-1%", "100%", "abc", "1%%", "nan"}) {
        EXPECT_EQ(ParseWithin(bad, error), std::nullopt) << bad;
        EXPECT_NE(error.find("from 0 up to below 100"), std::string::npos) << error;
    }
}

// Most pairs any choice could make, tried exhaustively.
int BestPairs(const std::vector<double>& v, double percent, unsigned used = 0) {
    int i = 0;
    const int n = static_cast<int>(v.size());
    while (i < n && (used >> i & 1u)) ++i;
    if (i == n) return 0;
    int best = BestPairs(v, percent, used | 1u << i);  // i left over
    for (int j = i + 1; j < n; ++j)
        if (!(used >> j & 1u) && WithinOfMean({v[i], v[j]}, percent))
            best = std::max(best, 1 + BestPairs(v, percent, used | 1u << i | 1u << j));
    return best;
}

// Random parts around a few nominal values: every pair fits its bound, no
// two leftovers would fit, and no choice makes more pairs.
TEST(Matching, PairsAreAsManyAsPossibleAndLeftoversFitNoOne) {
    std::mt19937 random(2026);
    for (int round = 0; round < 400; ++round) {
        const int n = std::uniform_int_distribution<int>(0, 12)(random);
        const double percent = std::uniform_real_distribution<double>(0.1, 5)(random);
        std::vector<double> values;
        for (int i = 0; i < n; ++i) {
            const double nominal = round % 3 == 0 ? 100 : (i % 2 ? 100 : 470);
            values.push_back(nominal *
                             (1 + std::uniform_real_distribution<double>(-0.05, 0.05)(random)));
        }
        if (round % 5 == 0 && n > 2) values[1] = values[0];  // ties
        const TMatchResult r = MatchSets(Parts(values), {2, percent, {}});
        ASSERT_EQ(r.sets.size() * 2 + r.left.size(), values.size());
        for (const auto& set : r.sets)
            EXPECT_TRUE(WithinOfMean({values[set[0] - 1], values[set[1] - 1]}, percent));
        for (std::size_t a = 0; a < r.left.size(); ++a)
            for (std::size_t b = a + 1; b < r.left.size(); ++b)
                EXPECT_FALSE(WithinOfMean({values[r.left[a] - 1], values[r.left[b] - 1]}, percent))
                    << "rows " << r.left[a] << " and " << r.left[b] << " at " << percent << " %";
        EXPECT_EQ(static_cast<int>(r.sets.size()), BestPairs(values, percent)) << "round " << round;
    }
}

}  // namespace
}  // namespace logcore
