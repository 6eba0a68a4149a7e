// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "i18n/lexicon.h"
#include "log/stat_plot.h"
#include "log/stat_report.h"

namespace logcore {
namespace {

using namespace protocol::verdict;
using std::nullopt;

const std::string kOff = "выкл.";

struct TRowSpec {
    std::int32_t verdict;
    std::optional<double> primary;
};

// A band around `reference` of `percent`, as a percentage R tolerance gives.
TToleranceBand Band(double reference, double percent) {
    return {primary::R, reference, percent};
}

struct FiguresCase {
    const char* name;
    std::vector<TRowSpec> rows;
    std::optional<TToleranceBand> band;
    TVerdictCounts counts;
    std::optional<double> yield;
    std::optional<double> mean, sigma, min, max, cp, cpk;
};

void PrintTo(const FiguresCase& c, std::ostream* os) {
    *os << c.name;
}

class HandComputedFigures : public ::testing::TestWithParam<FiguresCase> {};

void ExpectNear(const char* what, const std::optional<double>& got,
                const std::optional<double>& want) {
    ASSERT_EQ(got.has_value(), want.has_value()) << what;
    if (want) {
        EXPECT_NEAR(*got, *want, 1e-9 * std::max(1.0, std::fabs(*want))) << what;
    }
}

TEST_P(HandComputedFigures, MatchTheHandComputation) {
    const FiguresCase& c = GetParam();
    TFigureAccumulator acc;
    for (const TRowSpec& r : c.rows) {
        TStatRow row;
        row.verdict = r.verdict;
        row.primary = r.primary;
        row.primaryBand = c.band;
        acc.Add(row);
    }
    const TFigures f = acc.Figures();
    EXPECT_EQ(f.counts, c.counts);
    ExpectNear("yield", f.counts.YieldPercent(), c.yield);
    ExpectNear("mean", f.primary.mean, c.mean);
    ExpectNear("sigma", f.primary.stdDev, c.sigma);
    ExpectNear("min", f.primary.min, c.min);
    ExpectNear("max", f.primary.max, c.max);
    ExpectNear("cp", f.primary.cp, c.cp);
    ExpectNear("cpk", f.primary.cpk, c.cpk);
    // Nothing was logged for the secondary value.
    EXPECT_EQ(f.secondary.count, 0);
    EXPECT_FALSE(f.secondary.mean);
}

INSTANTIATE_TEST_SUITE_P(
    Logs, HandComputedFigures,
    ::testing::Values(FiguresCase{"EmptyLog",
                                  {},
                                  Band(2, 50),
                                  {0, 0, 0, 0, 0, 0},
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt},
                      // 1, 2, 3 in [1, 3]: sigma 1, Cp = 2 / 6, centred so Cpk = Cp.
                      FiguresCase{"AllPass",
                                  {{Pass, 1}, {Pass, 2}, {Pass, 3}},
                                  Band(2, 50),
                                  {3, 3, 0, 0, 0, 0},
                                  100,
                                  2,
                                  1,
                                  1,
                                  3,
                                  1.0 / 3,
                                  1.0 / 3},
                      // Same values in [1.5, 3.5]: the mean sits 0.5 above the lower limit.
                      FiguresCase{"OffCentre",
                                  {{Pass, 1}, {Pass, 2}, {Pass, 3}},
                                  Band(2.5, 40),
                                  {3, 3, 0, 0, 0, 0},
                                  100,
                                  2,
                                  1,
                                  1,
                                  3,
                                  1.0 / 3,
                                  0.5 / 3},
                      FiguresCase{"AllReject",
                                  {{PrimaryOut, 1}, {SecondaryOut, 2}, {BothOut, 3}},
                                  nullopt,
                                  {3, 0, 1, 1, 1, 0},
                                  0,
                                  2,
                                  1,
                                  1,
                                  3,
                                  nullopt,
                                  nullopt},
                      // Invalid input is counted apart from the rejects and has no value here;
                      // 10, 12, 14 in [10.8, 13.2]: sigma 2, Cp = 2.4 / 12.
                      FiguresCase{
                          "MixedWithInvalidInput",
                          {{Pass, 10}, {Pass, 12}, {InvalidInput, nullopt}, {PrimaryOut, 14}},
                          Band(12, 10),
                          {4, 2, 1, 0, 0, 1},
                          50,
                          12,
                          2,
                          10,
                          14,
                          0.2,
                          0.2},
                      // An unknown code from a damaged journal counts with invalid input.
                      FiguresCase{"UnknownVerdict",
                                  {{7, 1}},
                                  nullopt,
                                  {1, 0, 0, 0, 0, 1},
                                  0,
                                  1,
                                  nullopt,
                                  1,
                                  1,
                                  nullopt,
                                  nullopt},
                      // One value has no spread: sigma, Cp and Cpk are not defined.
                      FiguresCase{"OneRow",
                                  {{Pass, 5}},
                                  Band(5, 10),
                                  {1, 1, 0, 0, 0, 0},
                                  100,
                                  5,
                                  nullopt,
                                  5,
                                  5,
                                  nullopt,
                                  nullopt},
                      // A constant value: sigma 0, Cp and Cpk not defined (no infinity).
                      FiguresCase{"ConstantValue",
                                  {{Pass, 7}, {Pass, 7}, {Pass, 7}},
                                  Band(7, 1),
                                  {3, 3, 0, 0, 0, 0},
                                  100,
                                  7,
                                  0,
                                  7,
                                  7,
                                  nullopt,
                                  nullopt},
                      // Rows without a value still count.
                      FiguresCase{"NoValues",
                                  {{Pass, nullopt}, {PrimaryOut, nullopt}},
                                  Band(1, 1),
                                  {2, 1, 1, 0, 0, 0},
                                  50,
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt,
                                  nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Figures, CpkFollowsTheBandOfTheLatestRow) {
    TFigureAccumulator acc;
    TStatRow row;
    row.primaryBand = Band(2, 50);
    for (double v : {1.0, 2.0, 3.0}) {
        row.primary = v;
        acc.Add(row);
    }
    EXPECT_TRUE(acc.Figures().primary.cpk);
    // The tolerance was switched off for the last row: no band, no Cp.
    row.primaryBand.reset();
    row.primary = 2;
    acc.Add(row);
    EXPECT_FALSE(acc.Figures().primary.cp);
    EXPECT_FALSE(acc.Figures().primary.cpk);
    EXPECT_EQ(acc.Figures().primary.count, 4);
}

TEST(Figures, NonFiniteValuesAreLeftOutOfTheSpread) {
    TRunningValue v;
    v.Add(1);
    v.Add(std::nan(""));
    v.Add(INFINITY);
    v.Add(3);
    EXPECT_EQ(v.Count(), 2);
    EXPECT_DOUBLE_EQ(*v.Mean(), 2);
}

TEST(Figures, MultiModeRowsAlsoCountPerEntry) {
    TStatistics s;
    auto add = [&](TLogMode mode, long entry, const char* name, std::int32_t verdict, double v) {
        TStatRow row;
        row.mode = mode;
        row.entry = entry;
        row.name = name;
        row.verdict = verdict;
        row.primary = v;
        s.Add(row);
    };
    add(TLogMode::Multi, 2, "R2", Pass, 10);
    add(TLogMode::Multi, 1, "R1", PrimaryOut, 20);
    add(TLogMode::Multi, 2, "R2", Pass, 12);
    EXPECT_EQ(s.All().Figures().counts.count, 3);
    ASSERT_EQ(s.Entries().size(), 2u);
    EXPECT_EQ(s.Entries().at(1).figures.Figures().counts.primaryOut, 1);
    EXPECT_EQ(s.Entries().at(2).name, "R2");
    EXPECT_DOUBLE_EQ(*s.Entries().at(2).figures.Figures().primary.mean, 11);
    s.Clear();
    EXPECT_EQ(s.All().Count(), 0);
    EXPECT_TRUE(s.Entries().empty());

    // Single-part rows have no entries.
    add(TLogMode::Single, 5, "", Pass, 1);
    EXPECT_TRUE(s.Entries().empty());
}

// Large values with a tiny spread break the naive sum-of-squares formula; the
// running figures must agree with a two-pass computation.
TEST(Figures, IncrementalEqualsTwoPassOnRandomRows) {
    std::mt19937_64 random(20261210);
    std::normal_distribution<double> spread(0, 0.5);
    std::uniform_int_distribution<int> verdicts(0, 4);
    const std::int32_t codes[] = {Pass, PrimaryOut, SecondaryOut, BothOut, InvalidInput};
    std::vector<double> values;
    TFigureAccumulator acc;
    TVerdictCounts counts;
    const TToleranceBand band = Band(1e6, 0.0001);
    for (int i = 0; i < 10000; ++i) {
        TStatRow row;
        row.verdict = codes[verdicts(random)];
        row.primary = 1e6 + spread(random) * 1e-3;
        row.primaryBand = band;
        values.push_back(*row.primary);
        acc.Add(row);
        ++counts.count;
        counts.passed += row.verdict == Pass;
        counts.primaryOut += row.verdict == PrimaryOut;
        counts.secondaryOut += row.verdict == SecondaryOut;
        counts.bothOut += row.verdict == BothOut;
        counts.invalid += row.verdict == InvalidInput;
    }
    double sum = 0;
    for (double v : values) sum += v;
    const double mean = sum / static_cast<double>(values.size());
    double squares = 0;
    for (double v : values) squares += (v - mean) * (v - mean);
    const double sigma = std::sqrt(squares / static_cast<double>(values.size() - 1));

    const TFigures f = acc.Figures();
    EXPECT_EQ(f.counts, counts);
    EXPECT_NEAR(*f.primary.mean, mean, 1e-12 * mean);
    EXPECT_NEAR(*f.primary.stdDev, sigma, 1e-6 * sigma);
    const double cp = (band.Upper() - band.Lower()) / (6 * sigma);
    const double cpk = std::min(band.Upper() - mean, mean - band.Lower()) / (3 * sigma);
    EXPECT_NEAR(*f.primary.cp, cp, 1e-6 * cp);
    EXPECT_NEAR(*f.primary.cpk, cpk, 1e-6 * cpk);
    EXPECT_EQ(*f.primary.min, *std::min_element(values.begin(), values.end()));
    EXPECT_EQ(*f.primary.max, *std::max_element(values.begin(), values.end()));
}

TReferenceInput Editor() {
    TReferenceInput in;
    in.CBox5 = in.CBox5Off = kOff;
    in.CBox51 = in.CBox51Off = kOff;
    return in;
}

TEST(Bands, FromTheEditorInSiUnits) {
    TReferenceInput in = Editor();
    in.E2 = "100";
    in.CBox1 = 1;  // кОм
    in.CBox5 = "2%";
    const auto band = PrimaryBand(in);
    ASSERT_TRUE(band);
    EXPECT_DOUBLE_EQ(band->reference, 100e3);
    EXPECT_DOUBLE_EQ(band->Lower(), 98e3);
    EXPECT_DOUBLE_EQ(band->Upper(), 102e3);

    in.CBox2 = primary::C;
    in.E2 = "10";
    in.CBox4 = 1;  // нФ
    in.CBox5 = "0,5%";
    ASSERT_TRUE(PrimaryBand(in));
    EXPECT_DOUBLE_EQ(PrimaryBand(in)->reference, 10e-9);
    EXPECT_DOUBLE_EQ(PrimaryBand(in)->percent, 0.5);

    in.CBox11 = secondary::Q;
    in.E11 = "50";
    in.CBox51 = "10%";
    ASSERT_TRUE(SecondaryBand(in));
    EXPECT_DOUBLE_EQ(SecondaryBand(in)->Lower(), 45);
}

TEST(Bands, NoneWithoutAPercentageTolerance) {
    for (const char* tolerance : {"выкл.", "<", ">", "%", "x%"}) {
        TReferenceInput in = Editor();
        in.CBox5 = tolerance;
        EXPECT_FALSE(PrimaryBand(in)) << tolerance;
    }
    TReferenceInput in = Editor();
    in.CBox5 = "5%";
    in.E2 = "0";  // the check gives invalid input
    EXPECT_FALSE(PrimaryBand(in));
    in.E2 = "";
    EXPECT_FALSE(PrimaryBand(in));
}

TEST(Bands, ApplyOnlyToTheParameterShown) {
    TReferenceInput in = Editor();
    in.CBox2 = primary::L;
    in.E2 = "100";
    in.CBox5 = "5%";
    in.CBox11 = secondary::D;
    in.E11 = "1";
    in.CBox51 = "5%";
    protocol::TMeterSettings settings;
    settings.PrimIndex() = 3;  // L
    settings.SecIndex() = 3;   // D
    EXPECT_TRUE(BandsForShown(in, settings).primary);
    EXPECT_TRUE(BandsForShown(in, settings).secondary);
    settings.PrimIndex() = 2;  // C shown, L referenced
    settings.SecIndex() = 2;   // Q shown, D referenced
    EXPECT_FALSE(BandsForShown(in, settings).primary);
    EXPECT_FALSE(BandsForShown(in, settings).secondary);
}

struct ValueTextCase {
    const char* name;
    double value;
    const char* text;
};

class StatValueTexts : public ::testing::TestWithParam<ValueTextCase> {};

TEST_P(StatValueTexts, SixDigitsWithAPrefix) {
    i18n::TLexicons lexicons;
    EXPECT_EQ(StatValueText(GetParam().value, ",", lexicons), GetParam().text);
    // With a unit it follows the prefix, or the number after a blank.
    const std::string withUnit = StatValueText(GetParam().value, ",", lexicons, "Ф");
    const std::string text = GetParam().text;
    if (text == "—")
        EXPECT_EQ(withUnit, text);
    else
        EXPECT_EQ(withUnit, text + (text.back() >= '0' && text.back() <= '9' ? " Ф" : "Ф"));
}

INSTANTIATE_TEST_SUITE_P(Values, StatValueTexts,
                         ::testing::Values(ValueTextCase{"Kilo", 1002.34, "1,00234 к"},
                                           ValueTextCase{"Plain", 12.5, "12,5000"},
                                           ValueTextCase{"Nano", 47e-9, "47,0000 н"},
                                           ValueTextCase{"NegativePico", -2.2e-12, "-2,20000 п"},
                                           ValueTextCase{"Milli", 0.5, "500,000 м"},
                                           ValueTextCase{"RoundsIntoNextPrefix", 999.9996,
                                                         "1,00000 к"},
                                           ValueTextCase{"Mega", 2.5e6, "2,50000 М"},
                                           ValueTextCase{"Zero", 0, "0,00000"},
                                           ValueTextCase{"TooLarge", 3e12, "3,00000e+12"},
                                           ValueTextCase{"NotANumber", NAN, "—"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Report, UndefinedFiguresShowTheDashAndJsonNull) {
    TStatistics s;
    TStatRow row;
    row.primary = 7;
    row.primaryBand = Band(7, 1);
    s.Add(row);
    s.Add(row);
    i18n::TLexicons lexicons;
    const auto lines = FigureLines(s.All().Figures(), lexicons, ",");
    auto value = [&](const std::string& label) {
        for (const auto& l : lines)
            if (l.label == label) return l.value;
        return std::string("(missing)");
    };
    EXPECT_EQ(value("Строк"), "2");
    EXPECT_EQ(value("Выход годных, %"), "100,00");
    EXPECT_EQ(value("Основной: ст. отклонение"), "0,00000");
    EXPECT_EQ(value("Основной: Cpk"), "—");
    EXPECT_EQ(value("Дополнительный: среднее"), "—");
    const std::string json = StatisticsJson(s);
    EXPECT_NE(json.find("\"rows\": 2, \"passed\": 2"), std::string::npos) << json;
    EXPECT_NE(json.find("\"stddev\": 0, \"min\": 7"), std::string::npos) << json;
    EXPECT_NE(json.find("\"cp\": null, \"cpk\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"entries\": []"), std::string::npos) << json;
}

// Figures carry the unit of the parameter their rows showed ("среднее
// 1.00029 к" had none); rows of different parameters give no unit at all.
TEST(Report, ValuesCarryTheUnitOfTheirParameter) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, double>> primaries;  // parameter, value
        int secondaryParameter;
        const char* mean;
        const char* secondaryMean;
    };
    const std::vector<Case> cases{
        {"resistor with Q", {{1, 1002.34}, {1, 1002.34}}, 2, "1,00234 кОм", "12,5000"},
        {"capacitor with R", {{2, 47e-9}}, 1, "47,0000 нФ", "12,5000 Ом"},
        {"inductor", {{3, 0.01}}, 3, "10,0000 мГн", "12,5000"},
        {"impedance in plain ohms", {{4, 12.5}}, 0, "12,5000 Ом", "12,5000"},
        {"capacitor in its low range", {{5, 1e-6}}, 0, "1,00000 мкФ", "12,5000"},
        {"unknown parameter", {{0, 12.5}}, 0, "12,5000", "12,5000"},
        {"R then C: no unit", {{1, 0.5}, {2, 0.5}}, 1, "500,000 м", "12,5000 Ом"},
    };
    i18n::TLexicons lexicons;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TStatistics s;
        for (const auto& [parameter, value] : c.primaries) {
            TStatRow row;
            row.primary = value;
            row.primaryParameter = parameter;
            row.secondary = 12.5;
            row.secondaryParameter = c.secondaryParameter;
            s.Add(row);
        }
        TStatRow noValue;  // a row without values leaves the unit alone
        noValue.primaryParameter = 3;
        s.Add(noValue);
        const auto lines = FigureLines(s.All().Figures(), lexicons, ",");
        auto value = [&](const std::string& label) {
            for (const auto& l : lines)
                if (l.label == label) return l.value;
            return std::string("(missing)");
        };
        EXPECT_EQ(value("Основной: среднее"), c.mean);
        EXPECT_EQ(value("Основной: минимум"), c.mean);
        EXPECT_EQ(value("Дополнительный: среднее"), c.secondaryMean);
    }
}

TEST(Report, EntryNamesAreEscapedInJson) {
    TStatistics s;
    TStatRow row;
    row.mode = TLogMode::Multi;
    row.entry = 3;
    row.name = "a\"b\\c\n";
    s.Add(row);
    EXPECT_NE(StatisticsJson(s).find("\"name\": \"a\\\"b\\\\c\\u000a\""), std::string::npos);
}

TEST(Trend, ThinsToItsCapacityAndKeepsTheExtremes) {
    TTrendThinning trend(4);
    for (int i = 1; i <= 3; ++i) trend.Add(i, false);
    EXPECT_EQ(trend.Line().size(), 3u);  // one point a row while there is room
    trend.Add(nullopt, false);           // a row without a value still counts
    for (int i = 5; i <= 20; ++i) trend.Add(i == 13 ? 100.0 : i, i == 7);
    EXPECT_EQ(trend.Rows(), 20);
    EXPECT_LE(trend.Buckets().size(), 4u);
    EXPECT_EQ(trend.Width(), 8);
    double high = 0;
    double low = 1e9;
    long rows = 0;
    for (const auto& b : trend.Buckets()) rows += b.rows;
    for (const auto& p : trend.Line()) {
        high = std::max(high, p.value);
        low = std::min(low, p.value);
    }
    EXPECT_EQ(rows, 20);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(low, 1);
    ASSERT_EQ(trend.Rejects().size(), 1u);
    EXPECT_EQ(trend.Rejects()[0].value, 7);
    trend.Clear();
    EXPECT_TRUE(trend.Line().empty());
    EXPECT_EQ(trend.Width(), 1);
}

TEST(Histogram, BinsScaleWithTheWidestTolerance) {
    TDeviationHistogram h;
    h.Add(100, nullopt);  // no band: not counted
    EXPECT_EQ(h.Total(), 0);
    h.Add(100, Band(100, 2));    // deviation 0: the bin just above the middle
    h.Add(101.9, Band(100, 2));  // +1.9 % -> bin 15 + 4
    h.Add(50, Band(100, 2));     // -50 % -> first bin
    EXPECT_EQ(h.Counts()[15], 1);
    EXPECT_EQ(h.Counts()[19], 1);
    EXPECT_EQ(h.Counts()[0], 1);
    EXPECT_DOUBLE_EQ(h.BinLow(15), 0);
    // A wider tolerance re-bins what was counted: +1.9 % of 4 % -> bin 17.
    h.Add(100, Band(100, 4));
    EXPECT_DOUBLE_EQ(h.Scale(), 4);
    EXPECT_EQ(h.Counts()[15], 2);
    EXPECT_EQ(h.Counts()[17], 1);
    EXPECT_EQ(h.Counts()[19], 0);
    EXPECT_EQ(h.Total(), 4);
}

}  // namespace
}  // namespace logcore
