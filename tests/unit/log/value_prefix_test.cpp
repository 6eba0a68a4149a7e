// SPDX-License-Identifier: GPL-3.0-or-later
#include "log/value_prefix.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>

#include "support/param_name.h"

namespace logcore {
namespace {

enum class TList { Ohm, Henry, Farad, Plain };

std::span<const int> Exponents(TList list) {
    switch (list) {
        case TList::Henry:
            return kHenryExponents;
        case TList::Farad:
            return kFaradExponents;
        case TList::Plain:
            return kPlainExponents;
        case TList::Ohm:
            break;
    }
    return kOhmExponents;
}

struct PrefixCase {
    const char* name;
    TList list;
    std::string separator;
    std::string typed;  // caret at the end
    std::string kept;
    std::optional<int> unit;
    bool cyrillicMilli = false;
};

class PrefixedValue : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixedValue, ChoosesTheUnitAndKeepsTheNumber) {
    const PrefixCase& c = GetParam();
    const int caret = static_cast<int>(c.typed.size());
    const TPrefixedNumber out =
        NormalizePrefixedNumber(c.typed, caret, c.separator, Exponents(c.list), 7);
    EXPECT_EQ(out.edited.text, c.kept);
    EXPECT_EQ(out.unit, c.unit);
    EXPECT_EQ(out.cyrillicMilli, c.cyrillicMilli);
}

INSTANTIATE_TEST_SUITE_P(
    Values, PrefixedValue,
    ::testing::Values(
        // The unit of the prefix is in the list: the number stays as typed.
        PrefixCase{"KiloOhm", TList::Ohm, ",", "1k", "1", 1},
        PrefixCase{"KiloOhmFraction", TList::Ohm, ",", "4,7k", "4,7", 1},
        PrefixCase{"UpperKiloOhm", TList::Ohm, ",", "4K", "4", 1},
        PrefixCase{"MegaOhm", TList::Ohm, ",", "2M", "2", 2},
        PrefixCase{"CyrillicKilo", TList::Ohm, ",", "1к", "1", 1},
        PrefixCase{"CyrillicMega", TList::Ohm, ",", "3М", "3", 2},
        PrefixCase{"MilliHenry", TList::Henry, ",", "10m", "10", 1},
        PrefixCase{"CyrillicMilliHenry", TList::Henry, ",", "10м", "10", 1, true},
        PrefixCase{"MicroHenryU", TList::Henry, ",", "22u", "22", 0},
        PrefixCase{"MicroHenryMicroSign", TList::Henry, ",", "22\u00b5", "22", 0},
        PrefixCase{"MicroHenryGreekMu", TList::Henry, ",", "22\u03bc", "22", 0},
        PrefixCase{"CyrillicMicroHenry", TList::Henry, ",", "22мк", "22", 0},
        PrefixCase{"PicoFarad", TList::Farad, ",", "100p", "100", 0},
        PrefixCase{"CyrillicPicoFarad", TList::Farad, ",", "100п", "100", 0},
        PrefixCase{"CyrillicErAsInTheUnitList", TList::Farad, ",", "100р", "100", 0},
        PrefixCase{"NanoFarad", TList::Farad, ",", "10n", "10", 1},
        PrefixCase{"CyrillicNanoFarad", TList::Farad, ",", "10н", "10", 1},
        PrefixCase{"MicroFarad", TList::Farad, ",", "4,7u", "4,7", 2},
        PrefixCase{"PointLocale", TList::Ohm, ".", "4.7k", "4.7", 1},
        // No such unit: the number is written in the nearest one.
        PrefixCase{"GigaOhmInMegaOhm", TList::Ohm, ",", "1G", "1000", 2},
        PrefixCase{"CyrillicGigaOhm", TList::Ohm, ",", "1,5Г", "1500", 2},
        PrefixCase{"MilliOhmInOhm", TList::Ohm, ",", "100m", "0,1", 0},
        PrefixCase{"MilliFaradInMicroFarad", TList::Farad, ",", "1m", "1000", 2},
        PrefixCase{"NanoHenryInMicroHenry", TList::Henry, ",", "470n", "0,47", 0},
        PrefixCase{"KiloHenryInHenry", TList::Henry, ",", "0,5k", "500", 2},
        PrefixCase{"QualityTimesThousand", TList::Plain, ",", "1k", "1000", 0},
        PrefixCase{"LossFactorInMilli", TList::Plain, ",", "5m", "0,005", 0},
        PrefixCase{"CyrillicMilliOfAPlainValue", TList::Plain, ",", "5м", "0,005", 0, true},
        // Too long for the box (seven characters): the letter goes, the unit stays.
        PrefixCase{"PicoHenryDoesNotFit", TList::Henry, ",", "1p", "1", std::nullopt},
        PrefixCase{"GigaOhmDoesNotFit", TList::Ohm, ",", "12345G", "12345", std::nullopt},
        // A prefix alone still chooses its unit.
        PrefixCase{"PrefixAlone", TList::Ohm, ",", "k", "", 1},
        // The last prefix counts; other letters are dropped as before.
        PrefixCase{"LastPrefixCounts", TList::Ohm, ",", "1kM", "1", 2},
        PrefixCase{"NoPrefixIsThePlainFilter", TList::Ohm, ",", "1a2,3x", "12,3", std::nullopt},
        PrefixCase{"OtherCyrillicLetterIsNoPrefix", TList::Ohm, ",", "1ы", "1", std::nullopt}),
    [](const ::testing::TestParamInfo<PrefixCase>& info) { return std::string(info.param.name); });

TEST(PrefixedValue, CaretStaysAtTheNumberOrGoesToTheEndOfAMovedOne) {
    // "1k2" with the caret after the k: kept as "12" with the caret after the 1.
    EXPECT_EQ(NormalizePrefixedNumber("1k2", 2, ",", kOhmExponents, 7).edited.caret, 1);
    EXPECT_EQ(NormalizePrefixedNumber("1G", 2, ",", kOhmExponents, 7).edited.caret, 4);
}

}  // namespace
}  // namespace logcore
