// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/log_row.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "log/local_time.h"
#include "support/english.h"

namespace logcore {
namespace {

using Cells = std::array<std::optional<std::string>, kLogColumns>;
constexpr auto kKept = std::nullopt;

TLogRowInput Reading() {
    TLogRowInput in;
    in.shown = {"L", " 15,915 мГн", "D", "1,0000"};
    in.settings.Series() = 1;
    in.settings.FreqIndex() = 3;
    in.memory = {"1кГц", "1.0Вскз"};
    in.primaryDeviation = 2.004;
    in.secondaryDeviation = -0.5;
    in.timeText = "10.12.26 14:03:05";
    return in;
}

struct RowCase {
    const char* name;
    TLogRowInput input;
    Cells expected;
};

void PrintTo(const RowCase& c, std::ostream* os) {
    *os << c.name;
}

template <typename F>
TLogRowInput Changed(F change) {
    TLogRowInput in = Reading();
    change(in);
    return in;
}

class LogRow : public ::testing::TestWithParam<RowCase> {};

TEST_P(LogRow, CellsOfAnAppend) {
    i18n::TLexicons lexicons;
    const RowCase& c = GetParam();
    EXPECT_EQ(BuildLogRowCells(c.input, lexicons).cells, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LogRow,
    ::testing::Values(RowCase{"SingleBothTolerancesOff", Reading(),
                              Cells{"1", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "S",
                                    "1кГц", "1.0Вскз", kKept, "", ""}},
                      RowCase{"SinglePrimaryOnRejected", Changed([](TLogRowInput& in) {
                                  in.position = 40;
                                  in.primaryOn = true;
                                  in.verdict = protocol::verdict::PrimaryOut;
                              }),
                              Cells{"40", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "S",
                                    "1кГц", "1.0Вскз", "+", "2,00", ""}},
                      RowCase{"SingleSecondaryOnPassed", Changed([](TLogRowInput& in) {
                                  in.secondaryOn = true;
                                  in.decimalSeparator = ".";
                              }),
                              Cells{"1", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "S",
                                    "1кГц", "1.0Вскз", "-", "", "-0.50"}},
                      RowCase{"SingleBothOnBothOut", Changed([](TLogRowInput& in) {
                                  in.primaryOn = in.secondaryOn = true;
                                  in.verdict = protocol::verdict::BothOut;
                              }),
                              Cells{"1", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "S",
                                    "1кГц", "1.0Вскз", "+", "2,00", "-0,50"}},
                      RowCase{"InvalidInputMarksAReject", Changed([](TLogRowInput& in) {
                                  in.primaryOn = true;
                                  in.verdict = protocol::verdict::InvalidInput;
                              }),
                              Cells{"1", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "S",
                                    "1кГц", "1.0Вскз", "+", "2,00", ""}},
                      // A reference that could not be used gives no deviation to show.
                      RowCase{"InvalidInputWithoutDeviations", Changed([](TLogRowInput& in) {
                                  in.primaryOn = in.secondaryOn = true;
                                  in.verdict = protocol::verdict::InvalidInput;
                                  in.primaryDeviation.reset();
                                  in.secondaryDeviation.reset();
                              }),
                              Cells{"1", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "S",
                                    "1кГц", "1.0Вскз", "+", "", ""}},
                      RowCase{"MultiBothOffKeepsNameAndMark", Changed([](TLogRowInput& in) {
                                  in.mode = TLogMode::Multi;
                                  in.position = 3;
                              }),
                              Cells{"3", kKept, "L  15,915 мГн", "D 1,0000", "S", "1кГц", "1.0Вскз",
                                    kKept, "", ""}},
                      RowCase{"MultiPrimaryOn", Changed([](TLogRowInput& in) {
                                  in.mode = TLogMode::Multi;
                                  in.position = 2;
                                  in.primaryOn = true;
                              }),
                              Cells{"2", kKept, "L  15,915 мГн", "D 1,0000", "S", "1кГц", "1.0Вскз",
                                    "-", "2,00", ""}},
                      RowCase{"ParallelAndDcFrequency", Changed([](TLogRowInput& in) {
                                  in.settings.Series() = 0;
                                  in.settings.FreqIndex() = 0;
                              }),
                              Cells{"1", "10.12.26 14:03:05", "L  15,915 мГн", "D 1,0000", "P", "A",
                                    "1.0Вскз", kKept, "", ""}}),
    [](const ::testing::TestParamInfo<RowCase>& info) { return std::string(info.param.name); });

TEST(LogRow, EnglishLexiconsGiveTheCircuitAndMarks) {
    i18n::TLexicons lexicons;
    lexicons.SetLanguage(testing_support::English());
    lexicons.language.Set("Form1.Dlang2", 3, "Par");
    lexicons.language.Set("Form1.D3", 4, "ok");
    TLogRowInput in = Reading();
    in.settings.Series() = 0;
    in.primaryOn = true;
    const Cells cells = BuildLogRowCells(in, lexicons).cells;
    EXPECT_EQ(cells[4], "Par");
    EXPECT_EQ(cells[7], "ok");
}

struct PaintCase {
    const char* name;
    const char* column7;
    std::int32_t rowVerdict;
    TRowPaint::TFill column7Fill;
    bool column8Red;
    bool column9Red;
};

void PrintTo(const PaintCase& c, std::ostream* os) {
    *os << c.name;
}

class RejectColours : public ::testing::TestWithParam<PaintCase> {};

// Each row is painted from the verdict it was written with, whatever the
// latest check said.
TEST_P(RejectColours, FromTheRowsOwnVerdict) {
    i18n::TLexicons lexicons;
    const PaintCase& c = GetParam();
    const TRowPaint paint = RowPaint(c.column7, c.rowVerdict, lexicons);
    EXPECT_EQ(paint.column7, c.column7Fill);
    EXPECT_EQ(paint.column8Red, c.column8Red);
    EXPECT_EQ(paint.column9Red, c.column9Red);
}

using Fill = TRowPaint::TFill;
INSTANTIATE_TEST_SUITE_P(
    Rows, RejectColours,
    ::testing::Values(PaintCase{"PrimaryOut", "+", 1, Fill::Red, true, false},
                      PaintCase{"SecondaryOut", "+", 2, Fill::Red, false, true},
                      PaintCase{"BothOut", "+", 3, Fill::Red, true, true},
                      PaintCase{"InvalidInput", "+", 20, Fill::Red, false, false},
                      PaintCase{"MarkKeptFromAnOlderAppend", "+", 0, Fill::Red, false, false},
                      PaintCase{"Passed", "-", 0, Fill::Green, false, false},
                      PaintCase{"NoMark", "", 1, Fill::Normal, false, false},
                      PaintCase{"HeaderText", "Брак", 3, Fill::Normal, false, false}),
    [](const ::testing::TestParamInfo<PaintCase>& info) { return std::string(info.param.name); });

struct ValueCase {
    const char* name;
    int primIndex;
    int secIndex;
    bool series;
    bool negative;
    bool dc;
    std::optional<double> primary;
    std::optional<double> secondary;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class ShownValues : public ::testing::TestWithParam<ValueCase> {};

// Rs = 100, Xs = 100 at 1 kHz: Rp = Xp = 200, Z = 141.42, phase 45°.
TEST_P(ShownValues, InSiUnits) {
    const ValueCase& c = GetParam();
    protocol::TMeterState st;
    st.Rs = st.Xs = 100;
    st.Rp = st.Xp = 200;
    st.Z = std::sqrt(20000.0);
    st.PhaseDeg = 45;
    st.FrequencyHz = 1000;
    st.DcMode = c.dc;
    protocol::TMeterSettings set;
    set.PrimIndex() = static_cast<std::uint8_t>(c.primIndex);
    set.SecIndex() = static_cast<std::uint8_t>(c.secIndex);
    set.Series() = c.series ? 1 : 0;
    set.Negative() = c.negative ? 1 : 0;
    const TShownValues v = ShownSiValues(st, set);
    ASSERT_EQ(v.primary.has_value(), c.primary.has_value());
    if (c.primary) {
        EXPECT_NEAR(*v.primary / *c.primary, 1.0, 1e-9);
    }
    ASSERT_EQ(v.secondary.has_value(), c.secondary.has_value());
    if (c.secondary) {
        EXPECT_NEAR(*v.secondary / *c.secondary, 1.0, 1e-9);
    }
}

constexpr double kOmega = 6.283185307179586477 * 1000;
INSTANTIATE_TEST_SUITE_P(
    Frames, ShownValues,
    ::testing::Values(
        ValueCase{"SeriesRAndQ", 1, 2, true, false, false, 100.0, 1.0},
        ValueCase{"ParallelRAndR", 1, 1, false, false, false, 200.0, 200.0},
        ValueCase{"SeriesLAndD", 3, 3, true, false, false, 100 / kOmega, 1.0},
        ValueCase{"NegativeL", 3, 0, true, true, false, -100 / kOmega, std::nullopt},
        ValueCase{"ParallelC", 2, 4, false, false, false, 1 / (kOmega * 200), 45.0},
        ValueCase{"Impedance", 4, 0, true, false, false, std::sqrt(20000.0), std::nullopt},
        ValueCase{"DcHasNoImpedanceNorRatios", 4, 2, true, false, true, std::nullopt, std::nullopt},
        ValueCase{"DcResistance", 1, 4, true, false, true, 100.0, std::nullopt},
        ValueCase{"UnknownCodes", 0, 7, true, false, false, std::nullopt, std::nullopt}),
    [](const ::testing::TestParamInfo<ValueCase>& info) { return std::string(info.param.name); });

TEST(ShownValues, ZeroReactanceGivesNoCapacitance) {
    protocol::TMeterState st;
    st.Rs = 1;
    st.FrequencyHz = 1000;
    protocol::TMeterSettings set;
    set.PrimIndex() = 2;
    set.SecIndex() = 3;
    set.Series() = 1;
    const TShownValues v = ShownSiValues(st, set);
    EXPECT_FALSE(v.primary);
    EXPECT_FALSE(v.secondary);
}

TEST(LogTime, Texts) {
    const TLocalTime t{2026, 12, 10, 14, 3, 5, 123, 60};
    EXPECT_EQ(LogTimeText(t, ":"), "10.12.26 14:03:05");
    EXPECT_EQ(LogTimeText(t, "."), "10.12.26 14.03.05");
    EXPECT_EQ(IsoTimeText(t), "2026-12-10T14:03:05.123+01:00");
    EXPECT_EQ(FileTimeText(t), "2026-12-10_14-03-05");
    const TLocalTime west{2007, 1, 2, 3, 4, 5, 6, -330};
    EXPECT_EQ(LogTimeText(west, ":"), "02.01.07 03:04:05");
    EXPECT_EQ(IsoTimeText(west), "2007-01-02T03:04:05.006-05:30");
}

// The offset comes out right across a year end that follows a leap year.
TEST(LogTime, LocalClockWithOffset) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "XYZ-03", 1);  // three hours east of UTC
    ::tzset();
    using namespace std::chrono;
    // 2024-12-31T22:00:00.250Z
    const sys_days day = year{2024} / December / 31;
    const auto when = system_clock::time_point(day) + hours(22) + milliseconds(250);
    const TLocalTime t = LocalTimeAt(when);
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
    EXPECT_EQ(t, (TLocalTime{2025, 1, 1, 1, 0, 0, 250, 180}));
}

}  // namespace
}  // namespace logcore
