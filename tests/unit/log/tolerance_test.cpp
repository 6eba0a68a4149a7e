// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/tolerance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace logcore {
namespace {

using namespace protocol::verdict;

const std::string kOff = "выкл.";
constexpr double kTwoPi = 6.283185307179586477;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Both tolerances off, comma locale; each case switches on what it needs.
TReferenceInput Editor() {
    TReferenceInput in;
    in.CBox5 = in.CBox5Off = kOff;
    in.CBox51 = in.CBox51Off = kOff;
    return in;
}

TReferenceInput PrimaryR(const char* value, int unit, const char* tolerance) {
    TReferenceInput in = Editor();
    in.CBox2 = primary::R;
    in.E2 = value;
    in.CBox1 = unit;
    in.CBox5 = tolerance;
    return in;
}

TReferenceInput PrimaryL(const char* value, int unit, const char* tolerance) {
    TReferenceInput in = Editor();
    in.CBox2 = primary::L;
    in.E2 = value;
    in.CBox3 = unit;
    in.CBox5 = tolerance;
    return in;
}

TReferenceInput PrimaryC(const char* value, int unit, const char* tolerance) {
    TReferenceInput in = Editor();
    in.CBox2 = primary::C;
    in.E2 = value;
    in.CBox4 = unit;
    in.CBox5 = tolerance;
    return in;
}

TReferenceInput WithSecondary(TReferenceInput in, int parameter, const char* value,
                              const char* tolerance, int unit = 0) {
    in.CBox11 = parameter;
    in.E11 = value;
    in.CBox31 = unit;
    in.CBox51 = tolerance;
    return in;
}

TReferenceInput SecondaryOnly(int parameter, const char* value, const char* tolerance) {
    return WithSecondary(Editor(), parameter, value, tolerance);
}

TMeasured Series(double rs, double xs, double hz = 1000) {
    return {rs, xs, 0, 0, hz, true};
}

TMeasured Parallel(double rp, double xp, double hz = 1000) {
    return {1, 1, rp, xp, hz, false};
}

// The series reactance of a capacitance at 1 kHz.
double CapacitorXs(double farads) {
    return 1 / (kTwoPi * 1000 * farads);
}

struct CheckCase {
    const char* name;
    TReferenceInput input;
    TMeasured measured;
    std::int32_t verdict;
    std::optional<double> primaryDeviation;  // empty: not computed
    std::optional<double> secondaryDeviation;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class ToleranceCheck : public ::testing::TestWithParam<CheckCase> {};

void ExpectDeviation(const std::optional<double>& actual, const std::optional<double>& expected,
                     const char* which) {
    ASSERT_EQ(actual.has_value(), expected.has_value()) << which;
    if (!expected) return;
    if (std::isnan(*expected))
        EXPECT_TRUE(std::isnan(*actual)) << which;
    else
        EXPECT_NEAR(*actual, *expected, 1e-3) << which;
}

TEST_P(ToleranceCheck, VerdictAndDeviations) {
    const CheckCase& c = GetParam();
    const TToleranceResult r = CheckTolerance(c.input, c.measured);
    EXPECT_EQ(r.verdict, c.verdict);
    ExpectDeviation(r.primaryDeviation, c.primaryDeviation, "primary");
    ExpectDeviation(r.secondaryDeviation, c.secondaryDeviation, "secondary");
}

INSTANTIATE_TEST_SUITE_P(
    Sorting, ToleranceCheck,
    ::testing::Values(
        CheckCase{"R100kOhmWithin2Percent", PrimaryR("100", 1, "2%"), Series(101000, 5), Pass, 1.0,
                  {}},
        CheckCase{"R100kOhmBeyond1Percent", PrimaryR("100", 1, "1%"), Series(102000, 5), PrimaryOut,
                  2.0, {}},
        CheckCase{"ParallelCircuitUsesRp", PrimaryR("1", 2, "5%"), Parallel(990000, 5), Pass, -1.0,
                  {}},
        CheckCase{"L100mHAt1kHz", PrimaryL("100", 1, "5%"), Series(1, 640.88), Pass,
                  (640.88 / (kTwoPi * 1000 * 0.1) - 1) * 100, {}},
        CheckCase{"LParallelUsesXp", PrimaryL("100", 1, "5%"), Parallel(1, 628.3185307), Pass, 0.0,
                  {}},
        CheckCase{"C10nFAt1kHz", PrimaryC("10", 1, "1%"), Series(1, 15915.49), Pass, 0.0, {}},
        // Deviation of C relative to the reference part: 10.52 nF is +5.2 %
        // and out of 5 %; 9.52 nF is -4.8 % and in.
        CheckCase{"C10nFMeasured10_52nFIsOutOf5Percent", PrimaryC("10", 1, "5%"),
                  Series(1, CapacitorXs(10.52e-9)), PrimaryOut, 5.2, {}},
        CheckCase{"C10nFMeasured9_52nFIsWithin5Percent", PrimaryC("10", 1, "5%"),
                  Series(1, CapacitorXs(9.52e-9)), Pass, -4.8, {}},
        CheckCase{"CUsesXpInParallel", PrimaryC("1", 2, "1%"), Parallel(1, CapacitorXs(1.1e-6)),
                  PrimaryOut, 10.0, {}},
        CheckCase{"BelowLimitPasses", PrimaryR("100", 0, "<"), Series(99, 1), Pass, -1.0, {}},
        CheckCase{"BelowLimitRejectsAbove", PrimaryR("100", 0, "<"), Series(101, 1), PrimaryOut,
                  1.0, {}},
        CheckCase{"AboveLimitPasses", PrimaryR("100", 0, ">"), Series(101, 1), Pass, 1.0, {}},
        CheckCase{"AboveLimitRejectsBelow", PrimaryR("100", 0, ">"), Series(99, 1), PrimaryOut,
                  -1.0, {}},
        CheckCase{"BelowLimitOnCapacitanceRejectsLargerPart", PrimaryC("10", 1, "<"),
                  Series(1, CapacitorXs(11e-9)), PrimaryOut, 10.0, {}},
        CheckCase{"AboveLimitOnCapacitancePassesLargerPart", PrimaryC("10", 1, ">"),
                  Series(1, CapacitorXs(11e-9)), Pass, 10.0, {}},
        CheckCase{"ReadingNotANumberRejectsPercent", PrimaryR("100", 0, "5%"), Series(kNaN, 1),
                  PrimaryOut, kNaN, {}},
        CheckCase{"ReadingNotANumberRejectsLimit", PrimaryR("100", 0, "<"), Series(kNaN, 1),
                  PrimaryOut, kNaN, {}},
        CheckCase{"BothOffPassesAndComputesNothing", Editor(), Series(1, 1), Pass, {}, {}},
        CheckCase{"QualityFactorOf50", SecondaryOnly(secondary::Q, "50", "10%"), Series(2, 100),
                  Pass, {}, 0.0},
        CheckCase{"QAlwaysFromSeriesValues", SecondaryOnly(secondary::Q, "50", "10%"),
                  TMeasured{2, 100, 7, 7, 1000, false}, Pass, {}, 0.0},
        CheckCase{"DissipationOutOf10Percent", SecondaryOnly(secondary::D, "0,01", "10%"),
                  Series(1.15, 100), SecondaryOut, {}, 15.0},
        CheckCase{"SecondaryRWithUnit", WithSecondary(Editor(), secondary::R, "2", "5%", 1),
                  Series(2040, 1),
                  Pass, {}, 2.0},
        CheckCase{"BothOut", WithSecondary(PrimaryR("100", 1, "1%"), secondary::Q, "50", "10%"),
                  Series(102000, 102000 * 60.0), BothOut, 2.0, 20.0},
        CheckCase{"OnlySecondaryOut",
                  WithSecondary(PrimaryR("100", 1, "5%"), secondary::Q, "50", "10%"),
                  Series(102000, 102000 * 60.0), SecondaryOut, 2.0, 20.0},
        // invalid input
        CheckCase{"EmptyReference", PrimaryR("", 0, "5%"), Series(1, 1), InvalidInput, {}, {}},
        CheckCase{"ZeroReference", PrimaryR("0", 0, "5%"), Series(1, 1), InvalidInput, {}, {}},
        CheckCase{"ZeroInductanceReference", PrimaryL("0", 0, "5%"), Series(1, 1), InvalidInput,
                  {}, {}},
        CheckCase{"ZeroCapacitanceReference", PrimaryC("0", 0, "5%"), Series(1, 1), InvalidInput,
                  {}, {}},
        CheckCase{"ReferenceWithPointInCommaLocale", PrimaryR("1.5", 0, "5%"), Series(1, 1),
                  InvalidInput, {}, {}},
        CheckCase{"UnknownUnitIndex", PrimaryR("100", 3, "5%"), Series(100, 1), InvalidInput, {},
                  {}},
        CheckCase{"UnknownParameterIndex",
                  [] {
                      TReferenceInput in = PrimaryR("100", 0, "5%");
                      in.CBox2 = 3;
                      return in;
                  }(),
                  Series(100, 1), InvalidInput, {}, {}},
        CheckCase{"PercentSignAlonePrimary", PrimaryR("100", 0, "%"), Series(100, 1), InvalidInput,
                  0.0, {}},
        CheckCase{"PercentSignAloneSecondary", SecondaryOnly(secondary::Q, "50", "%"),
                  Series(2, 100), SecondaryOut, {}, 0.0},
        CheckCase{"PercentSignAloneSecondaryOverridesPrimaryOut",
                  WithSecondary(PrimaryR("100", 0, "1%"), secondary::Q, "50", "%"),
                  Series(110, 5500), SecondaryOut, 10.0, 0.0},
        CheckCase{"LoneUnknownSignEndsBeforeSecondary",
                  WithSecondary(PrimaryR("100", 0, "x"), secondary::Q, "50", "10%"),
                  Series(100, 5000), InvalidInput, 0.0, {}},
        CheckCase{"TwoSeparatorsInTolerance", PrimaryR("100", 0, "0,5,5%"), Series(100, 1),
                  InvalidInput, 0.0, {}},
        CheckCase{"EmptyTolerance", PrimaryR("100", 0, ""), Series(100, 1), InvalidInput, 0.0, {}},
        CheckCase{"SecondaryReferenceEmptyKeepsPrimaryDeviation",
                  WithSecondary(PrimaryR("100", 0, "5%"), secondary::Q, "", "10%"), Series(101, 1),
                  InvalidInput, 1.0, {}},
        CheckCase{"QWithZeroRs", SecondaryOnly(secondary::Q, "50", "10%"), Series(0, 100),
                  InvalidInput, {}, {}},
        CheckCase{"DWithZeroXs", SecondaryOnly(secondary::D, "0,01", "10%"), Series(1, 0),
                  InvalidInput, {}, {}},
        CheckCase{"ZeroSecondaryReference", SecondaryOnly(secondary::D, "0", "10%"), Series(1, 1),
                  InvalidInput, {}, {}},
        // The tolerance text is read from its first eight characters.
        CheckCase{"EightDigitsAndPercent", PrimaryR("1", 0, "12345678%"), Series(100001, 1), Pass,
                  1e7, {}},
        CheckCase{"NinthDigitIsCutOff", PrimaryR("1", 0, "123456789%"), Series(500001, 1),
                  PrimaryOut, 5e7, {}},
        CheckCase{"FractionalToleranceCommaLocale", PrimaryR("100", 0, "0,5%"), Series(100.6, 1),
                  PrimaryOut, 0.6, {}},
        CheckCase{"BlanksAroundNumbers", PrimaryR(" 100 ", 0, " 5 %"), Series(104, 1), Pass, 4.0,
                  {}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

// What a row shows after each check, as the editor changes between readings:
// a deviation always belongs to the reading and reference of its row.
TEST(Deviations, AnUnusableReferenceLeavesNoEarlierValueBehind) {
    const TMeasured part{101000, 1, 101000, 1, 1000, true};
    TDeviations d;
    TReferenceInput in = PrimaryR("100", 1, "2%");
    in.CBox51 = "5%";
    in.CBox11 = secondary::R;
    in.E11 = "100";
    in.CBox31 = 1;
    d.Take(CheckTolerance(in, part), in);
    EXPECT_NEAR(d.primary.value_or(kNaN), 1.0, 1e-9);
    EXPECT_NEAR(d.secondary.value_or(kNaN), 1.0, 1e-9);

    in.E2 = "";  // emptied: invalid input, and no deviation on either side
    TToleranceResult r = CheckTolerance(in, part);
    d.Take(r, in);
    EXPECT_EQ(r.verdict, InvalidInput);
    EXPECT_FALSE(d.primary);
    EXPECT_FALSE(d.secondary);

    in.E2 = "100";
    in.E11 = "0";  // a zero reference cannot be divided by
    r = CheckTolerance(in, part);
    d.Take(r, in);
    EXPECT_EQ(r.verdict, InvalidInput);
    EXPECT_NEAR(d.primary.value_or(kNaN), 1.0, 1e-9);
    EXPECT_FALSE(d.secondary);

    // A side switched off keeps its last value; nothing shows it then.
    in.E11 = "100";
    d.Take(CheckTolerance(in, part), in);
    in.CBox51 = kOff;
    d.Take(CheckTolerance(in, {200000, 1, 200000, 1, 1000, true}), in);
    EXPECT_NEAR(d.secondary.value_or(kNaN), 1.0, 1e-9);
    EXPECT_NEAR(d.primary.value_or(kNaN), 100.0, 1e-9);
}

TEST(ToleranceCheck, PointLocaleReadsPointNumbers) {
    TReferenceInput in = PrimaryR("99.5", 0, "0.5%");
    in.decimalSeparator = ".";
    const TToleranceResult r = CheckTolerance(in, Series(99.9, 1));
    EXPECT_EQ(r.verdict, Pass);
    EXPECT_NEAR(*r.primaryDeviation, 0.4020, 1e-3);
}

// The fractional list items must mean what they say under any separator: the
// item chosen from the list, normalised as the box does, sorts at 0.2 %.
TEST(ToleranceList, FractionalItemsUseTheLocaleSeparator) {
    for (const std::string sep : {",", "."}) {
        const std::vector<std::string> items = ToleranceListItems(kOff, sep);
        ASSERT_EQ(items.size(), 12u);
        EXPECT_EQ(items[0], kOff);
        EXPECT_EQ(items[1], "0" + sep + "2%");
        EXPECT_EQ(items.back(), "<");
        const TEditedText chosen = NormalizeToleranceText(items[1], 0, kOff, sep);
        EXPECT_EQ(chosen.text, items[1]) << "separator " << sep;

        TReferenceInput in = PrimaryR("100", 0, "");
        in.CBox5 = chosen.text;
        in.decimalSeparator = sep;
        EXPECT_EQ(CheckTolerance(in, Series(101, 1)).verdict, PrimaryOut) << "separator " << sep;
        EXPECT_EQ(CheckTolerance(in, Series(100.1, 1)).verdict, Pass) << "separator " << sep;
    }
}

TEST(ToleranceList, OffItemFollowsTheLanguage) {
    EXPECT_EQ(ToleranceListItems("off", ",")[0], "off");
}

struct EditCase {
    const char* name;
    const char* separator;
    const char* text;
    int caret;
    const char* expected;
    int expectedCaret;
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class NumberFilter : public ::testing::TestWithParam<EditCase> {};

TEST_P(NumberFilter, KeepsDigitsAndOneSeparator) {
    const EditCase& c = GetParam();
    const TEditedText out = NormalizeNumberText(c.text, c.caret, c.separator);
    EXPECT_EQ(out.text, c.expected);
    EXPECT_EQ(out.caret, c.expectedCaret);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberFilter,
    ::testing::Values(EditCase{"CommaLettersAndExtraSeparators", ",", "1a2,3,4", 7, "12,34", 5},
                      EditCase{"CommaLeadingSeparatorDropped", ",", ",5,6", 4, "5,6", 3},
                      EditCase{"SeparatorAfterADroppedLetterStays", ",", "a,5", 3, ",5", 2},
                      EditCase{"CommaPointIsDropped", ",", "1.5", 3, "15", 2},
                      EditCase{"PointLettersAndExtraSeparators", ".", "1a2.3.4", 7, "12.34", 5},
                      EditCase{"PointCommaIsDropped", ".", "1a2,3,4", 7, "1234", 4},
                      EditCase{"PointLeadingSeparatorDropped", ".", ".5.6", 4, "5.6", 3},
                      EditCase{"SignsAndBlanksDropped", ",", "-1 000", 6, "1000", 4},
                      EditCase{"CaretStaysAfterTheSameDigit", ",", "12a3", 3, "123", 2},
                      EditCase{"CaretBeforeDroppedText", ",", "1xx2", 1, "12", 1},
                      EditCase{"CyrillicLetterCountsAsOneCharacter", ",", "1ы2", 2, "12", 1},
                      EditCase{"BrokenUtf8Dropped", ",",
                               "1\xff\xfe"
                               "2",
                               4, "12", 2},
                      EditCase{"Empty", ",", "", 0, "", 0},
                      EditCase{"CaretPastTheEnd", ",", "12", 9, "12", 2}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

class ToleranceFilter : public ::testing::TestWithParam<EditCase> {};

TEST_P(ToleranceFilter, AppendsPercentUnlessOffOrLimit) {
    const EditCase& c = GetParam();
    const TEditedText out = NormalizeToleranceText(c.text, c.caret, kOff, c.separator);
    EXPECT_EQ(out.text, c.expected);
    EXPECT_EQ(out.caret, c.expectedCaret);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ToleranceFilter,
    ::testing::Values(EditCase{"TypedDigit", ",", "5", 1, "5%", 1},
                      EditCase{"DigitTypedAfterPercent", ",", "5%0", 3, "50%", 2},
                      EditCase{"DigitTypedBeforePercent", ",", "50%", 1, "50%", 1},
                      EditCase{"OffEntryStays", ",", "выкл.", 5, "выкл.", 5},
                      EditCase{"BelowStays", ",", "<", 1, "<", 1},
                      EditCase{"AboveStays", ",", ">", 0, ">", 0},
                      EditCase{"CommaFraction", ",", "0,2%", 4, "0,2%", 3},
                      EditCase{"PointFraction", ".", "0.2%", 4, "0.2%", 3},
                      EditCase{"EverythingDeleted", ",", "", 0, "%", 0},
                      EditCase{"LettersOnly", ",", "abc", 3, "%", 0}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

struct DeviationCase {
    const char* name;
    double percent;
    const char* comma;
    const char* point;
};

void PrintTo(const DeviationCase& c, std::ostream* os) {
    *os << c.name;
}

class DeviationCell : public ::testing::TestWithParam<DeviationCase> {};

TEST_P(DeviationCell, FourDigitsTwoDecimals) {
    const DeviationCase& c = GetParam();
    EXPECT_EQ(DeviationText(c.percent, ","), c.comma);
    EXPECT_EQ(DeviationText(c.percent, "."), c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DeviationCell,
    ::testing::Values(DeviationCase{"Rounded", 12.3456, "12,35", "12.35"},
                      DeviationCase{"Half", 0.5, "0,50", "0.50"},
                      DeviationCase{"Negative", -1.0, "-1,00", "-1.00"},
                      DeviationCase{"ThreeIntegerDigits", 123.456, "123,50", "123.50"},
                      DeviationCase{"FourIntegerDigits", -1234.56, "-1235,00", "-1235.00"},
                      DeviationCase{"FiveIntegerDigits", 12345.6, "1,235E04", "1.235E04"},
                      DeviationCase{"Huge", 5e7, "5E07", "5E07"},
                      DeviationCase{"Zero", 0.0, "0,00", "0.00"},
                      DeviationCase{"NotANumber", kNaN, "NAN", "NAN"}),
    [](const ::testing::TestParamInfo<DeviationCase>& info) {
        return std::string(info.param.name);
    });

struct ParseCase {
    const char* name;
    const char* text;
    std::optional<double> comma;
};

class LocaleNumber : public ::testing::TestWithParam<ParseCase> {};

TEST_P(LocaleNumber, CommaLocale) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(ParseLocaleNumber(c.text, ","), c.comma);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LocaleNumber,
    ::testing::Values(
        ParseCase{"Integer", "100", 100.0}, ParseCase{"Fraction", "0,25", 0.25},
        ParseCase{"LeadingSeparator", ",5", 0.5}, ParseCase{"TrailingSeparator", "5,", 5.0},
        ParseCase{"Blanks", "  7 ", 7.0}, ParseCase{"Signs", "-2,5", -2.5},
        ParseCase{"Plus", "+3", 3.0}, ParseCase{"Exponent", "1,5e3", 1500.0},
        ParseCase{"ExponentSign", "1E-2", 0.01}, ParseCase{"Empty", "", std::nullopt},
        ParseCase{"SeparatorOnly", ",", std::nullopt}, ParseCase{"Point", "1.5", std::nullopt},
        ParseCase{"TwoSeparators", "1,2,3", std::nullopt},
        ParseCase{"InnerBlank", "1 2", std::nullopt}, ParseCase{"Letters", "12a", std::nullopt},
        ParseCase{"Infinity", "inf", std::nullopt}, ParseCase{"Overflow", "1e999", std::nullopt},
        ParseCase{"DoubleSign", "--1", std::nullopt},
        ParseCase{"ExponentWithoutDigits", "1e", std::nullopt}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace logcore
