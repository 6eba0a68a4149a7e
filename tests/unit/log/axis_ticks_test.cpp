// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/axis_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "i18n/lexicon.h"
#include "support/param_name.h"

namespace {

using logcore::TAxisTicks;

// True for 1, 2 or 5 times a power of ten.
bool IsRoundStep(double step) {
    const double m = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    return std::fabs(m - 1) < 1e-9 || std::fabs(m - 2) < 1e-9 || std::fabs(m - 5) < 1e-9;
}

// What every axis must be: round steps, each tick a whole multiple of the
// step, at most the asked number of intervals plus the one a rounded end may
// add, and labels that never repeat.
void ExpectSoundAxis(const TAxisTicks& t, const std::vector<std::string>& labels,
                     int maxIntervals) {
    EXPECT_TRUE(IsRoundStep(t.step)) << t.step;
    EXPECT_GE(t.count, 2);
    EXPECT_LE(t.count - 1, maxIntervals + 1);
    for (const double v : t.Ticks()) {
        const double k = v / t.step;
        EXPECT_NEAR(k, std::round(k), 1e-6) << v << " is not a multiple of " << t.step;
    }
    EXPECT_EQ(std::set<std::string>(labels.begin(), labels.end()).size(), labels.size())
        << testing::PrintToString(labels);
}

struct ValueCase {
    const char* name;
    double low, high;
    const char* unit;
    // The labels expected, all of them; empty: only the general checks.
    std::vector<std::string> labels;
};

class ValueTicksTest : public testing::TestWithParam<ValueCase> {};

TEST_P(ValueTicksTest, CoverTheDataWithRoundLabelledTicks) {
    const ValueCase& c = GetParam();
    const i18n::TLexicons lex;  // Russian: prefixes к, м, мк, н, п, М
    const TAxisTicks t = logcore::ValueTicks(c.low, c.high);
    const std::vector<std::string> labels = logcore::TickLabels(t, c.unit, ".", lex);
    ExpectSoundAxis(t, labels, 5);
    const double scale = std::pow(10.0, t.exponent);
    EXPECT_LE(t.first * scale, c.low * (1 + 1e-9) + 1e-300);
    EXPECT_GE(t.Last() * scale, c.high * (1 - 1e-9) - 1e-300);
    // The ticks span no more than a few steps beyond the data (a single
    // value gets a hundredth of itself either side, or ±1 around 0).
    const double span = c.high > c.low ? c.high - c.low : c.low == 0 ? 2 : std::fabs(c.low) * 0.02;
    EXPECT_LT((t.Last() - t.first) * scale, span * 2.5 + std::fabs(c.high) * 0.03);
    if (!c.labels.empty()) {
        EXPECT_EQ(labels, c.labels);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ValueTicksTest,
    testing::Values(
        // The trend's old ticks read 1001.88, 1003.25: now whole ohms in k.
        ValueCase{"OhmsAroundAKilo",
                  1000.4,
                  1004.6,
                  "Ом",
                  {"1.000 кОм", "1.001 кОм", "1.002 кОм", "1.003 кОм", "1.004 кОм", "1.005 кОм"}},
        ValueCase{"Picofarads",
                  1e-12,
                  1.2e-12,
                  "Ф",
                  {"1.00 пФ", "1.05 пФ", "1.10 пФ", "1.15 пФ", "1.20 пФ"}},
        ValueCase{"TenthsOfAPicofarad", 1e-13, 9e-13, "Ф", {}},
        ValueCase{"Nanofarads",
                  98e-9,
                  103e-9,
                  "Ф",
                  {"98 нФ", "99 нФ", "100 нФ", "101 нФ", "102 нФ", "103 нФ"}},
        ValueCase{"Microhenries", 4.61e-6, 4.79e-6, "Гн", {}},
        ValueCase{
            "Millihenries",
            9.5e-3,
            10.5e-3,
            "Гн",
            {"9.4 мГн", "9.6 мГн", "9.8 мГн", "10.0 мГн", "10.2 мГн", "10.4 мГн", "10.6 мГн"}},
        ValueCase{
            "PlainOhms", 0, 450, "Ом", {"0 Ом", "100 Ом", "200 Ом", "300 Ом", "400 Ом", "500 Ом"}},
        ValueCase{"Megohms", 1.5e6, 1e8, "Ом", {}},
        ValueCase{"HundredMegohms", 99e6, 1e8, "Ом", {}},
        ValueCase{"DissipationFactor", 0.0012, 0.0031, "", {}},
        ValueCase{"QualityFactor", 12, 87, "", {"0", "20", "40", "60", "80", "100"}},
        ValueCase{"NegativeToPositive", -3.2, 2.9, "%", {"-4 %", "-2 %", "0 %", "2 %", "4 %"}},
        ValueCase{"SingleValue", 1000, 1000, "Ом", {}},
        ValueCase{"SingleZero", 0, 0, "", {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        ValueCase{"WholeMeterRange", 1e-12, 1e8, "Ф", {}},
        // Garbage far below any prefix once drew "×10^-42" with ticks 336–337,
        // then no labels at all: the chart took its span for empty.
        ValueCase{"FarBelowPico",
                  3.36e-40,
                  3.37e-40,
                  "",
                  {"3.360e-40", "3.362e-40", "3.364e-40", "3.366e-40", "3.368e-40", "3.370e-40"}},
        ValueCase{"SingleValueFarBelowPico", 3.4e-40, 3.4e-40, "", {}},
        ValueCase{"FarAboveMega",
                  1.2e12,
                  2.1e12,
                  "Ом",
                  {"1.2e12 Ом", "1.4e12 Ом", "1.6e12 Ом", "1.8e12 Ом", "2.0e12 Ом", "2.2e12 Ом"}},
        ValueCase{"GigohmsStayInMega",
                  2e9,
                  6e9,
                  "Ом",
                  {"2000 МОм", "3000 МОм", "4000 МОм", "5000 МОм", "6000 МОм"}}),
    [](const testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

// Whatever the magnitude, the plotted ticks (values divided by 10^exponent)
// are numbers of a few digits: a chart takes spans below 1e-12 for empty and
// draws no labels on them.
TEST(ValueTicks, AnyMagnitudeIsPlottedInAFewDigits) {
    const i18n::TLexicons lex;
    for (const bool prefixes : {true, false}) {
        for (int power = -300; power <= 300; power += 7) {
            const double v = 3.37 * std::pow(10.0, power);
            for (const auto& [low, high] : std::vector<std::pair<double, double>>{
                     {v, v}, {v, v * 1.003}, {-v, v}, {v * 0.2, v}, {-v, -v * 0.9}}) {
                SCOPED_TRACE(testing::Message()
                             << low << " .. " << high << " prefixes " << prefixes);
                const TAxisTicks t = logcore::ValueTicks(low, high, 5, prefixes);
                const std::vector<std::string> labels = logcore::TickLabels(t, "", ".", lex);
                ExpectSoundAxis(t, labels, 5);
                const double top = std::max(std::fabs(t.first), std::fabs(t.Last()));
                EXPECT_LT(top, 1e6);
                EXPECT_GE(t.step, 1e-6);
                const double scale = std::pow(10.0, t.exponent);
                EXPECT_LE(t.first * scale, low * (1 + 1e-9) + std::fabs(low) * 1e-9);
                EXPECT_GE(t.Last() * scale, high * (1 - 1e-9) - std::fabs(high) * 1e-9);
                for (const std::string& l : labels) EXPECT_LT(l.size(), 16u) << l;
            }
        }
    }
}

TEST(ValueTicks, NoDataGivesAPlainUnitRange) {
    for (const auto& [low, high] :
         std::vector<std::pair<double, double>>{{INFINITY, -INFINITY}, {NAN, 1}, {2, 1}}) {
        const TAxisTicks t = logcore::ValueTicks(low, high);
        EXPECT_EQ(t.first, 0);
        EXPECT_DOUBLE_EQ(t.Last(), 1);
        EXPECT_EQ(t.exponent, 0);
    }
}

TEST(ValueTicks, DecimalSeparatorAndMicroPrefix) {
    const i18n::TLexicons lex;
    const TAxisTicks t = logcore::ValueTicks(1.25e-6, 1.75e-6);
    EXPECT_EQ(logcore::TickLabels(t, "Ф", ",", lex),
              (std::vector<std::string>{"1,2 мкФ", "1,3 мкФ", "1,4 мкФ", "1,5 мкФ", "1,6 мкФ",
                                        "1,7 мкФ", "1,8 мкФ"}));
}

struct CountCase {
    long highest;
    std::vector<std::string> labels;  // empty: only the general checks
};

class CountTicksTest : public testing::TestWithParam<CountCase> {};

// Histogram heights and row numbers: whole numbers from 0, a tick on every
// grid line (the old axis read 0, 1, 2, 4, 5 at equal spacing).
TEST_P(CountTicksTest, WholeNumbersFromZeroOnEveryGridLine) {
    const CountCase& c = GetParam();
    const i18n::TLexicons lex;
    const TAxisTicks t = logcore::CountTicks(c.highest);
    const std::vector<std::string> labels = logcore::TickLabels(t, "", ".", lex);
    ExpectSoundAxis(t, labels, 5);
    EXPECT_EQ(t.first, 0);
    EXPECT_GE(t.step, 1);
    EXPECT_EQ(t.step, std::round(t.step));
    EXPECT_GE(t.Last(), static_cast<double>(c.highest));
    for (const std::string& l : labels) EXPECT_EQ(l.find('.'), std::string::npos) << l;
    if (!c.labels.empty()) {
        EXPECT_EQ(labels, c.labels);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CountTicksTest,
    testing::Values(CountCase{0, {"0", "1"}}, CountCase{1, {"0", "1"}},
                    CountCase{2, {"0", "1", "2"}}, CountCase{5, {"0", "1", "2", "3", "4", "5"}},
                    CountCase{6, {"0", "2", "4", "6"}}, CountCase{7, {"0", "2", "4", "6", "8"}},
                    CountCase{11, {"0", "5", "10", "15"}}, CountCase{99, {}}, CountCase{1000, {}},
                    CountCase{99999, {}},
                    CountCase{100000, {"0", "20000", "40000", "60000", "80000", "100000"}}),
    [](const testing::TestParamInfo<CountCase>& info) {
        return "Highest" + testing_support::NumberName(info.param.highest);
    });

}  // namespace
