// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/profile_view.h"

#include <gtest/gtest.h>

#include "support/english.h"

namespace profiles {
namespace {

using protocol::TMeterModel;
namespace rec = protocol::rec;

// An entry: R 1% 100 kΩ primary, Q 10% 50 secondary, 1 kHz auto, rate 2.
TProfileEntry Entry() {
    TProfileEntry e;
    e.name = "Резистор";
    e.startPosition = 40;
    e.primaryTolerance = "1%";
    e.primaryParameter = 0;
    e.primaryUnit = 1;
    e.primaryReference = "100";
    e.secondaryTolerance = "10%";
    e.secondaryParameter = 1;
    e.secondaryUnit = 0;
    e.secondaryReference = "50";
    e.settings[rec::FreqAuto] = 1;
    e.settings[rec::FreqIndex] = 3;
    e.settings[rec::LevelAuto] = 0;
    e.settings[rec::LevelIndex] = 1;
    e.settings[rec::CircuitAuto] = 0;
    e.settings[rec::Series] = 1;
    e.settings[rec::Rate] = 3;
    return e;
}

class ProfileView : public ::testing::Test {
  protected:
    i18n::TLexicons russian;
    i18n::TLexicons english;
    void SetUp() override { english.SetLanguage(testing_support::English()); }
};

TEST_F(ProfileView, RowUnderRussianAndEnglish) {
    const TRowCells ru = ProfileRowCells(Entry(), 3, TMeterModel::Ks15, 3, russian);
    EXPECT_EQ(ru, (TRowCells{"3", "Резистор", "R 1% 100кОм", "Q 10% 50", "S", "A1кГц", "1.0Вскз",
                             "0.5сек", "40", ""}));
    const TRowCells en = ProfileRowCells(Entry(), 3, TMeterModel::Ks15, 3, english);
    EXPECT_EQ(en, (TRowCells{"3", "Резистор", "R 1% 100kΩ", "Q 10% 50", "S", "A1kHz", "1.0Vrms",
                             "0.5s", "40", ""}));
}

TEST_F(ProfileView, HeadersReplaceFiveColumnsAndBlankTheLast) {
    const THeaderCells h = ProfileHeaderCells(russian);
    EXPECT_EQ(h[1], "Наименование");
    EXPECT_EQ(h[2], "Основн. эталон");
    EXPECT_EQ(h[3], "Дополн.эталон");
    EXPECT_EQ(h[7], "Интервал");
    EXPECT_EQ(h[8], "Нач.позиция");
    EXPECT_EQ(h[9], "");
    for (int kept : {0, 4, 5, 6}) EXPECT_FALSE(h[static_cast<std::size_t>(kept)]) << kept;
}

TEST_F(ProfileView, TolerancesOffLeaveTheReferenceCellsEmpty) {
    TProfileEntry e = Entry();
    e.primaryTolerance = "OFF";
    e.secondaryTolerance = "OFF";
    const TRowCells row = ProfileRowCells(e, 1, TMeterModel::Ks15, 3, russian);
    EXPECT_EQ(row[2], "");
    EXPECT_EQ(row[3], "");
}

struct ReferenceCase {
    const char* name;
    int primaryParameter;
    int primaryUnit;
    int secondaryParameter;
    int secondaryUnit;
    bool english;
    const char* primary;
    const char* secondary;
};

void PrintTo(const ReferenceCase& c, std::ostream* os) {
    *os << c.name;
}

class ReferenceCells : public ProfileView, public ::testing::WithParamInterface<ReferenceCase> {};

TEST_P(ReferenceCells, ShowParameterToleranceReferenceAndUnit) {
    const ReferenceCase& c = GetParam();
    TProfileEntry e = Entry();
    e.primaryParameter = static_cast<std::uint8_t>(c.primaryParameter);
    e.primaryUnit = static_cast<std::uint8_t>(c.primaryUnit);
    e.secondaryParameter = static_cast<std::uint8_t>(c.secondaryParameter);
    e.secondaryUnit = static_cast<std::uint8_t>(c.secondaryUnit);
    const TRowCells row =
        ProfileRowCells(e, 1, TMeterModel::Ks15, 3, c.english ? english : russian);
    EXPECT_EQ(row[2], c.primary);
    EXPECT_EQ(row[3], c.secondary);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReferenceCells,
    ::testing::Values(
        ReferenceCase{"Ohm", 0, 0, 0, 0, false, "R 1% 100Ом", "R 10% 50Ом"},
        ReferenceCase{"MegaOhm", 0, 2, 0, 2, false, "R 1% 100МОм", "R 10% 50МОм"},
        ReferenceCase{"MegaOhmEnglish", 0, 2, 0, 1, true, "R 1% 100MΩ", "R 10% 50kΩ"},
        ReferenceCase{"MicroHenry", 1, 0, 2, 1, false, "L 1% 100мкГн", "D 10% 50"},
        ReferenceCase{"MicroHenryEnglish", 1, 0, 2, 0, true, "L 1% 100μH", "D 10% 50"},
        ReferenceCase{"MilliHenry", 1, 1, 1, 2, false, "L 1% 100мГн", "Q 10% 50"},
        ReferenceCase{"Henry", 1, 2, 1, 0, false, "L 1% 100Гн", "Q 10% 50"},
        ReferenceCase{"PicoFarad", 2, 0, 0, 0, false, "C 1% 100пФ", "R 10% 50Ом"},
        ReferenceCase{"NanoFarad", 2, 1, 0, 0, false, "C 1% 100нФ", "R 10% 50Ом"},
        ReferenceCase{"MicroFarad", 2, 2, 0, 0, false, "C 1% 100мкФ", "R 10% 50Ом"},
        ReferenceCase{"MicroFaradEnglish", 2, 2, 0, 0, true, "C 1% 100μF", "R 10% 50Ω"},
        ReferenceCase{"DamagedBytesReadAsItemZero", 9, 9, 9, 9, false, "R 1% 100Ом", "R 10% 50Ом"}),
    [](const auto& info) { return std::string(info.param.name); });

// Frequency cell: the model limits the index, the current index 0 (DC)
// empties texts below 1 kHz.
struct FrequencyCase {
    const char* name;
    TMeterModel model;
    std::uint8_t freqIndex;
    std::uint8_t freqAuto;
    std::uint8_t currentFreqIndex;
    const char* text;
};

void PrintTo(const FrequencyCase& c, std::ostream* os) {
    *os << c.name;
}

class FrequencyCells : public ProfileView, public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(FrequencyCells, Text) {
    const FrequencyCase& c = GetParam();
    TProfileEntry e = Entry();
    e.settings[rec::FreqIndex] = c.freqIndex;
    e.settings[rec::FreqAuto] = c.freqAuto;
    EXPECT_EQ(FrequencyCell(e, c.model, c.currentFreqIndex, russian), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrequencyCells,
    ::testing::Values(
        FrequencyCase{"OneKiloHertzAuto", TMeterModel::Ks15, 3, 1, 4, "A1кГц"},
        FrequencyCase{"OneKiloHertzManual", TMeterModel::Ks15, 3, 0, 4, "1кГц"},
        FrequencyCase{"HundredHertz", TMeterModel::Ks15, 1, 0, 4, "100Гц"},
        FrequencyCase{"HundredTwentyHertz", TMeterModel::Ks16, 2, 0, 1, "120Гц"},
        FrequencyCase{"HundredFiftyKiloHertzKs15", TMeterModel::Ks15, 14, 0, 3, "150кГц"},
        FrequencyCase{"IndexPastKs16ShowsAsOneKiloHertz", TMeterModel::Ks16, 7, 0, 3, "1кГц"},
        FrequencyCase{"Ks16Index6", TMeterModel::Ks16, 6, 0, 3, "250кГц"},
        FrequencyCase{"IndexPastKs17ShowsAsOneKiloHertz", TMeterModel::Ks17, 6, 1, 3, "A1кГц"},
        FrequencyCase{"Ks19LastIndex", TMeterModel::Ks19, 5, 0, 3, "100кГц"},
        FrequencyCase{"MeterAtDcEmptiesTheText", TMeterModel::Ks15, 3, 0, 0, ""},
        FrequencyCase{"MeterAtDcKeepsTheAutoMarker", TMeterModel::Ks15, 1, 1, 0, "A"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LevelCase {
    const char* name;
    TMeterModel model;
    std::uint8_t levelIndex;
    std::uint8_t levelAuto;
    const char* text;
};

void PrintTo(const LevelCase& c, std::ostream* os) {
    *os << c.name;
}

class LevelCells : public ProfileView, public ::testing::WithParamInterface<LevelCase> {};

TEST_P(LevelCells, Text) {
    const LevelCase& c = GetParam();
    TProfileEntry e = Entry();
    e.settings[rec::LevelIndex] = c.levelIndex;
    e.settings[rec::LevelAuto] = c.levelAuto;
    EXPECT_EQ(LevelCell(e, c.model, russian), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LevelCells,
    ::testing::Values(LevelCase{"Ks15Index0", TMeterModel::Ks15, 0, 0, "1.0Вскз"},
                      LevelCase{"Ks15Index1Auto", TMeterModel::Ks15, 1, 1, "A1.0Вскз"},
                      LevelCase{"Ks16Index2", TMeterModel::Ks16, 2, 0, "0.5Вскз"},
                      LevelCase{"Ks19Index3", TMeterModel::Ks19, 3, 0, "0.1Вскз"},
                      LevelCase{"Ks15IndexPastTable", TMeterModel::Ks15, 4, 0, "1.0Вскз"},
                      LevelCase{"Ks17Index1", TMeterModel::Ks17, 1, 0, "0.7Вскз"},
                      LevelCase{"Ks17Index2", TMeterModel::Ks17, 2, 1, "A0.1Вскз"},
                      LevelCase{"Ks17IndexPastTable", TMeterModel::Ks17, 3, 0, "0.7Вскз"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProfileView, CircuitAndIntervalCells) {
    TProfileEntry e = Entry();
    struct {
        std::uint8_t circuitAuto, series;
        const char* text;
    } circuits[] = {{0, 1, "S"}, {0, 0, "P"}, {1, 1, "A"}, {1, 0, "A"}};
    for (const auto& c : circuits) {
        e.settings[rec::CircuitAuto] = c.circuitAuto;
        e.settings[rec::Series] = c.series;
        EXPECT_EQ(ProfileRowCells(e, 1, TMeterModel::Ks15, 3, russian)[4], c.text);
    }
    const char* intervals[] = {"", "2сек", "1сек", "0.5сек", ""};
    for (std::uint8_t rate = 0; rate <= 4; ++rate) {
        e.settings[rec::Rate] = rate;
        EXPECT_EQ(IntervalCell(e, russian), intervals[rate]) << int{rate};
    }
}

}  // namespace
}  // namespace profiles
