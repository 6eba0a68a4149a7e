// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/format.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "english.h"
#include "support/param_name.h"

namespace display {
namespace {

const TSeparators kComma{",", "\u00A0"};
const TSeparators kPoint{".", ","};

struct NumberCase {
    double value;
    int precision;
    int digits;
    const char* number;  // FormatNumber, comma locale with a no-break-space group
    const char* fixed;   // FormatFixed, comma locale
    const char* point;   // FormatNumber, point locale with a comma group
};

class NumberText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberText, MatchesMeterRules) {
    const NumberCase& c = GetParam();
    EXPECT_EQ(FormatNumber(c.value, c.precision, c.digits, kComma), c.number);
    EXPECT_EQ(FormatFixed(c.value, c.precision, c.digits, kComma), c.fixed);
    EXPECT_EQ(FormatNumber(c.value, c.precision, c.digits, kPoint), c.point);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NumberText,
    ::testing::Values(
        // precision smaller than the decimals pads with zeros
        NumberCase{3.14159, 2, 4, "3,1000", "3,1000", "3.1000"},
        NumberCase{3.14159, 1, 4, "3,1000", "3,1000", "3.1000"},  // 1 acts as 2
        NumberCase{0.01234, 2, 4, "0,0120", "0,0120", "0.0120"},
        NumberCase{12.3456, 2, 3, "12,000", "12,000", "12.000"},
        NumberCase{123.456, 3, 2, "123,00", "123,00", "123.00"},
        NumberCase{45.123, 4, 4, "45,1200", "45,1200", "45.1200"},
        NumberCase{-45.0, 4, 4, "-45,0000", "-45,0000", "-45.0000"},
        // grouping only in FormatNumber
        NumberCase{1234567.0, 7, 0, "1\u00A0234\u00A0567", "1234567", "1,234,567"},
        NumberCase{999.9996, 5, 2, "1\u00A0000,00", "1000,00", "1,000.00"},
        NumberCase{-1234.5, 5, 1, "-1\u00A0234,5", "-1234,5", "-1,234.5"},
        // ties round away from zero on the decimal value, not the binary one
        NumberCase{2.675, 5, 2, "2,68", "2,68", "2.68"},
        NumberCase{-2.675, 5, 2, "-2,68", "-2,68", "-2.68"},
        NumberCase{0.125, 5, 2, "0,13", "0,13", "0.13"},
        NumberCase{1.005, 5, 2, "1,01", "1,01", "1.01"},
        NumberCase{0.35, 2, 3, "0,350", "0,350", "0.350"},
        NumberCase{9.9999, 5, 3, "10,000", "10,000", "10.000"},
        // rounds to zero: no minus sign
        NumberCase{-0.00004, 5, 4, "0,0000", "0,0000", "0.0000"},
        NumberCase{-0.4, 4, 0, "0", "0", "0"}, NumberCase{0.0, 4, 3, "0,000", "0,000", "0.000"},
        NumberCase{-0.0, 4, 3, "0,000", "0,000", "0.000"}, NumberCase{0.5, 4, 0, "1", "1", "1"},
        NumberCase{7.0, 4, 0, "7", "7", "7"},
        // exponent form when the integer part needs more than precision digits
        NumberCase{12345.0, 4, 1, "1,235E4", "1,235E4", "1.235E4"},
        NumberCase{12000.0, 4, 3, "1,2E004", "1,2E004", "1.2E004"},
        NumberCase{10000.0, 4, 1, "1E4", "1E4", "1E4"},
        NumberCase{-98765.0, 4, 2, "-9,877E04", "-9,877E04", "-9.877E04"},
        NumberCase{9999.6, 4, 0, "1E4", "1E4", "1E4"},  // carry makes it too long
        NumberCase{9999.4, 4, 0, "9\u00A0999", "9999", "9,999"},
        NumberCase{2147483648.0, 4, 1, "2,147E9", "2,147E9", "2.147E9"},
        NumberCase{1.5e300, 4, 1, "1,5E300", "1,5E300", "1.5E300"},
        NumberCase{123456.0, 5, 5, "1,2346E5", "1,2346E5", "1.2346E5"},  // no padding above 4
        // tiny values round to zero
        NumberCase{5.9e-39, 5, 4, "0,0000", "0,0000", "0.0000"}),
    [](const auto& info) {
        const NumberCase& c = info.param;
        return "Value" + testing_support::NumberName(c.value) + "_Precision" +
               std::to_string(c.precision) + "_Digits" + std::to_string(c.digits);
    });

// The rounding rule stated plainly: take the shortest decimal text that reads
// back as the same double and round it half up at the last digit kept. The
// formatter takes short cuts; across many values, near ties and near powers of
// ten, it must agree with this.
std::string ReferenceFixed(double value, int precision, int digits) {
    char buf[64];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific).ptr;
    const std::string text(buf, end);
    const std::size_t e = text.find('e');
    std::string d;
    for (char c : text.substr(0, e))
        if (c != '.') d += c;
    int point = std::stoi(text.substr(e + 1)) + 1;
    const int keep = point + std::min(digits, precision - point);
    if (keep < static_cast<int>(d.size())) {
        const bool up = keep >= 0 && d[static_cast<std::size_t>(keep)] >= '5';
        d.resize(static_cast<std::size_t>(std::max(keep, 0)));
        int i = static_cast<int>(d.size()) - 1;
        if (up) {
            while (i >= 0 && d[static_cast<std::size_t>(i)] == '9')
                d[static_cast<std::size_t>(i--)] = '0';
            if (i >= 0)
                ++d[static_cast<std::size_t>(i)];
            else {
                d.insert(d.begin(), '1');
                ++point;
            }
        }
    }
    if (d.find_first_not_of('0') == std::string::npos) d.clear();
    if (!d.empty() && point > precision) return "";  // exponent form: not compared here
    auto at = [&](int i) {
        return i >= 0 && i < static_cast<int>(d.size()) ? d[static_cast<std::size_t>(i)] : '0';
    };
    std::string out = (value < 0 && !d.empty()) ? "-" : "";
    if (d.empty() || point <= 0)
        out += '0';
    else
        for (int i = 0; i < point; ++i) out += at(i);
    if (digits > 0) {
        out += '.';
        for (int i = 0; i < digits; ++i) out += d.empty() ? '0' : at(point + i);
    }
    return out;
}

TEST(NumberText, RoundsLikeTheShortestDecimalTextAcrossManyValues) {
    std::mt19937_64 rng(42);
    std::uniform_real_distribution<double> exponent(-14, 14);
    std::uniform_int_distribution<int> small(0, 7);
    const TSeparators plain{".", ""};
    int compared = 0;
    for (int i = 0; i < 200000; ++i) {
        double v = std::pow(10.0, exponent(rng));
        const int precision = 2 + small(rng);
        const int digits = small(rng);
        if (i % 4 == 1) {
            // A tie at the last kept digit, as close as a double gets.
            const double unit = std::pow(10.0, -digits);
            v = (std::floor(v / unit) + 0.5) * unit;
        } else if (i % 4 == 2) {
            v = std::pow(10.0, std::round(exponent(rng))) * (i % 8 == 2 ? 1 - 1e-16 : 1);
        }
        if (i % 3 == 0) v = -v;
        const std::string want = ReferenceFixed(v, precision, digits);
        if (want.empty()) continue;
        ++compared;
        ASSERT_EQ(FormatFixed(v, precision, digits, plain), want)
            << "value " << v << " precision " << precision << " digits " << digits;
    }
    EXPECT_GT(compared, 100000);
}

TEST(NumberText, NonFiniteValuesAreNamed) {
    EXPECT_EQ(FormatNumber(std::numeric_limits<double>::infinity(), 4, 1, kComma), "INF");
    EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::infinity(), 4, 1, kComma), "-INF");
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 4, 1, kComma), "NAN");
}

// Language and locale held by the text tests.
class TextFixture : public ::testing::Test {
  protected:
    void UseEnglish() { lex_.SetLanguage(testing::English()); }
    TTextContext Ctx(const TSeparators& sep = kComma) const { return {lex_, sep}; }
    i18n::TLexicons lex_;
};

struct SiCase {
    double value;
    bool henry;
    int frequencyHz;
    const char* russian;
    const char* english;  // point locale
};

class SiText : public TextFixture, public ::testing::WithParamInterface<SiCase> {};

TEST_P(SiText, ScalesAndPicksDecimals) {
    const SiCase& c = GetParam();
    EXPECT_EQ(FormatSiValue(c.value, c.henry, c.frequencyHz, Ctx()), c.russian);
    UseEnglish();
    EXPECT_EQ(FormatSiValue(c.value, c.henry, c.frequencyHz, Ctx(kPoint)), c.english);
}

INSTANTIATE_TEST_SUITE_P(Rows, SiText,
                         ::testing::Values(SiCase{2.5e7, false, 0, "25,000 М", "25.000 M"},
                                           SiCase{1.5e6, false, 0, "1,5000 М", "1.5000 M"},
                                           SiCase{123456, false, 0, "123,46 к", "123.46 k"},
                                           SiCase{12345.6, false, 0, "12,346 к", "12.346 k"},
                                           SiCase{1234.56, false, 0, "1,2346 к", "1.2346 k"},
                                           SiCase{999.9996, false, 0, "1\u00A0000,00 ",
                                                  "1,000.00 "},
                                           SiCase{141.42136, false, 0, "141,42 ", "141.42 "},
                                           SiCase{10, false, 0, "10,000 ", "10.000 "},
                                           SiCase{4.7, false, 0, "4,7000 ", "4.7000 "},
                                           SiCase{0.5, false, 0, "500,00 м", "500.00 m"},
                                           SiCase{0.05, false, 0, "50,000 м", "50.000 m"},
                                           SiCase{0.0015915494, true, 1000, "1,5915 м", "1.5915 m"},
                                           SiCase{0.015915494, true, 1000, "15,915 м", "15.915 m"},
                                           SiCase{4.7e-4, false, 0, "470,00 мк", "470.00 \u03BC"},
                                           SiCase{4.7e-5, false, 0, "47,000 мк", "47.000 \u03BC"},
                                           SiCase{4.7e-6, false, 0, "4,7000 мк", "4.7000 \u03BC"},
                                           SiCase{4.7e-7, false, 0, "470,00 н", "470.00 n"},
                                           SiCase{4.7e-8, false, 0, "47,000 н", "47.000 n"},
                                           SiCase{4.7e-9, false, 0, "4,7000 н", "4.7000 n"},
                                           SiCase{4.7e-10, false, 0, "470,00 п", "470.00 p"},
                                           // smallest capacitances: decimals by frequency and size
                                           SiCase{4.7e-11, false, 100, "47,00 п", "47.00 p"},
                                           SiCase{4.7e-11, false, 10000, "47,000 п", "47.000 p"},
                                           SiCase{4.7e-12, false, 1000, "4,700 п", "4.700 p"},
                                           SiCase{4.7e-12, false, 10000, "4,7000 п", "4.7000 p"},
                                           // inductance never goes below micro
                                           SiCase{2e-6, true, 100, "2,00 мк", "2.00 \u03BC"},
                                           SiCase{2e-6, true, 10000, "2,0000 мк", "2.0000 \u03BC"},
                                           SiCase{2e-6, true, 1000, "2,000 мк", "2.000 \u03BC"},
                                           SiCase{2e-4, true, 10000, "200,00 мк", "200.00 \u03BC"},
                                           SiCase{2e-5, true, 10000, "20,000 мк", "20.000 \u03BC"},
                                           SiCase{2e-9, true, 10000, "0,0020 мк", "0.0020 \u03BC"}),
                         [](const auto& info) {
                             const SiCase& c = info.param;
                             std::string name = "Value" + testing_support::NumberName(c.value);
                             if (c.henry) name += "_Henry";
                             if (c.frequencyHz != 0)
                                 name += "_" + std::to_string(c.frequencyHz) + "Hz";
                             return name;
                         });

struct RangeCase {
    double value;
    const char* text;
};

class RangeText : public TextFixture, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeText, OverRangeSmallAndScaled) {
    EXPECT_EQ(FormatRange(GetParam().value, Ctx()), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rules, RangeText,
                         ::testing::Values(RangeCase{2.0000001e7, ">20,00 М"},
                                           RangeCase{1e30, ">20,00 М"}, RangeCase{2e7, "20,000 М"},
                                           RangeCase{10, "10,000 "}, RangeCase{9.9999, "10,000 "},
                                           RangeCase{5.5, "5,500 "}, RangeCase{0.123456, "0,1235 "},
                                           RangeCase{5.9e-39, "0,0000 "},
                                           RangeCase{1234.5, "1,2345 к"}),
                         [](const auto& info) {
                             return "Value" + testing_support::NumberName(info.param.value);
                         });

TEST_F(TextFixture, OverRangeUsesLocaleSeparatorAndLanguagePrefix) {
    UseEnglish();
    EXPECT_EQ(FormatRange(3e7, Ctx(kPoint)), ">20.00 M");
}

TEST_F(TextFixture, SymbolsFollowTheLanguage) {
    EXPECT_EQ(MicroPrefix(lex_), "мк");
    EXPECT_EQ(OhmSymbol(lex_), "Ом");
    UseEnglish();
    EXPECT_EQ(MicroPrefix(lex_), "\u03BC");
    EXPECT_EQ(OhmSymbol(lex_), "\u03A9");
    // A translation that keeps the Russian texts keeps the Russian symbols.
    i18n::Translations same;
    same.Set("Form1.Dlang1", 3, "мк");
    same.Set("Form1.Dlang3", 3, "Ом");
    lex_.SetLanguage(same);
    EXPECT_EQ(MicroPrefix(lex_), "мк");
    EXPECT_EQ(OhmSymbol(lex_), "Ом");
}

}  // namespace
}  // namespace display
