// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/settings.h"

#include <gtest/gtest.h>

#include "support/param_name.h"

namespace protocol {
namespace {

struct FreqCase {
    int index;
    std::uint8_t recordIndex;
    TMeterModel model;
    std::int32_t hz;
    bool dc;
};

class FrequencyTable : public ::testing::TestWithParam<FreqCase> {};

TEST_P(FrequencyTable, Lookup) {
    const FreqCase& c = GetParam();
    TMeterSettings s;
    s.FreqIndex() = c.recordIndex;
    const TFrequencyLookup f = FrequencyFromIndex(c.index, s, c.model);
    EXPECT_EQ(f.hz, c.hz);
    EXPECT_EQ(f.dcMode, c.dc);
}

INSTANTIATE_TEST_SUITE_P(Indices, FrequencyTable,
                         ::testing::Values(FreqCase{1, 1, TMeterModel::Ks15, 100, false},
                                           FreqCase{2, 2, TMeterModel::Ks15, 120, false},
                                           FreqCase{3, 3, TMeterModel::Ks15, 1000, false},
                                           FreqCase{4, 4, TMeterModel::Ks15, 10000, false},
                                           FreqCase{5, 5, TMeterModel::Ks15, 100000, false},
                                           FreqCase{6, 6, TMeterModel::Ks15, 20000, false},
                                           FreqCase{6, 6, TMeterModel::Ks16, 250000, false},
                                           FreqCase{6, 6, TMeterModel::Ks17, 20000, false},
                                           FreqCase{7, 7, TMeterModel::Ks15, 30000, false},
                                           FreqCase{13, 13, TMeterModel::Ks15, 90000, false},
                                           FreqCase{14, 14, TMeterModel::Ks15, 150000, false},
                                           FreqCase{15, 15, TMeterModel::Ks15, 50, false},
                                           FreqCase{31, 31, TMeterModel::Ks15, 50, false},
                                           FreqCase{-1, 3, TMeterModel::Ks15, 50, false},
                                           // The DC rule reads the record, not the argument.
                                           FreqCase{0, 0, TMeterModel::Ks15, 120, true},
                                           FreqCase{5, 0, TMeterModel::Ks16, 120, true},
                                           FreqCase{0, 5, TMeterModel::Ks15, 50, false}),
                         [](const auto& info) {
                             const FreqCase& c = info.param;
                             return "Index" + testing_support::NumberName(c.index) + "_Record" +
                                    std::to_string(c.recordIndex) + "_" +
                                    testing_support::ModelName(c.model);
                         });

TEST(FrequencyFromIndex, UpdateFrequencyClearsDcMode) {
    TMeterState st;
    TMeterSettings s;
    UpdateFrequency(st, s);
    EXPECT_TRUE(st.DcMode);
    EXPECT_EQ(st.FrequencyHz, 120);
    s.FreqIndex() = 3;
    UpdateFrequency(st, s);
    EXPECT_FALSE(st.DcMode);
    EXPECT_EQ(st.FrequencyHz, 1000);
}

TEST(ApplyDefaults, LoadsFactorySettingsAndKeepsUntouchedBytes) {
    TMeterSettings s;
    s.bytes.fill(0xEE);
    s.SourceAuto() = 1;
    s.Reserved14() = 1;
    s.Reserved17() = 7;
    TMeterState st;
    st.DcMode = true;
    ApplyDefaults(s, st);
    const std::array<std::uint8_t, 18> expected{1, 4, 1, 2, 1, 1, 0, 1, 1,
                                                0, 2, 0, 0, 1, 1, 1, 0, 7};
    EXPECT_EQ(s.bytes, expected);
    EXPECT_EQ(st.FrequencyHz, 10000);
    EXPECT_FALSE(st.DcMode);
}

// Reported bytes 8..11 against the record they describe.
struct ReportCase {
    std::array<std::uint8_t, 4> reported;
    std::array<std::uint8_t, 18> record;
    bool below40mF;
};

class ReportedSettings : public ::testing::TestWithParam<ReportCase> {};

TEST_P(ReportedSettings, CopiedIntoTheRecord) {
    const ReportCase& c = GetParam();
    TMeterSettings s;
    s.Reserved17() = c.record[17];  // never reported
    EXPECT_EQ(CopyReportedSettings(s, c.reported), c.below40mF);
    EXPECT_EQ(s.bytes, c.record);
}

TEST_P(ReportedSettings, RecordGivesTheSameBytesBack) {
    const ReportCase& c = GetParam();
    std::array<std::uint8_t, 4> expected = c.reported;
    expected[3] &= ~0x40;  // bit 6 of byte 11 is not used
    EXPECT_EQ(ReportedSettingsBytes(TMeterSettings{c.record}, c.below40mF), expected);
}

INSTANTIATE_TEST_SUITE_P(Bits, ReportedSettings,
                         ::testing::Values(
                             // FreqAuto, FreqIndex 4; PrimAuto, PrimIndex 2; SecIndex 1, SecAuto;
                             // LevelIndex 1, Rate 2; Sound, SourceAuto.
                             ReportCase{{0x24, 0x9A, 0x21, 0x81},
                                        {1, 4, 1, 2, 1, 1, 0, 1, 0, 0, 2, 0, 0, 1, 0, 1, 0, 0},
                                        false},
                             // Every field at its widest.
                             ReportCase{{0xFF, 0xFF, 0xFF, 0xFF},
                                        {1, 31, 1, 7, 1, 7, 1, 7, 1, 1, 7, 1, 1, 1, 1, 1, 3, 0},
                                        true},
                             ReportCase{{0x00, 0x00, 0x00, 0x00}, {}, false},
                             // Single bits in turn: series, circuit auto, hold, negative, byte 14,
                             // source index 2, below 40 mF.
                             ReportCase{{0x40, 0x00, 0x80, 0x16},
                                        {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1, 0, 2, 0},
                                        false},
                             ReportCase{{0x80, 0x08, 0x08, 0x20},
                                        {0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                        true}),
                         [](const auto& info) {
                             return "Reported" + testing_support::HexName(info.param.reported);
                         });

TEST(SettingsFromProfile, LimitsSourceIndexAndClearsByte17) {
    for (std::uint8_t source : {0, 1, 2, 3}) {
        std::array<std::uint8_t, 18> stored{1, 4, 1, 2, 1, 1, 0, 1, 1, 0, 2, 0, 0, 1, 1, 0, 0, 9};
        stored[rec::SourceIndex] = source;
        const TMeterSettings s = SettingsFromProfile(stored);
        EXPECT_EQ(s.SourceIndex(), source > 1 ? 0 : source);
        EXPECT_EQ(s.Reserved17(), 0);
        EXPECT_EQ(s.Reserved14(), 1);
    }
}

struct PickerCase {
    const char* name;
    std::array<std::uint8_t, 18> record;
    TPickerSelection expected;
};

class Pickers : public ::testing::TestWithParam<PickerCase> {};

TEST_P(Pickers, SelectionFollowsAutoFlags) {
    const TPickerSelection p = PickerSelection(TMeterSettings{GetParam().record});
    const TPickerSelection& e = GetParam().expected;
    EXPECT_EQ(p.freq, e.freq);
    EXPECT_EQ(p.prim, e.prim);
    EXPECT_EQ(p.sec, e.sec);
    EXPECT_EQ(p.level, e.level);
    EXPECT_EQ(p.circuit, e.circuit);
}

INSTANTIATE_TEST_SUITE_P(
    Records, Pickers,
    ::testing::Values(PickerCase{"AllAuto", {1, 7, 1, 3, 1, 2, 1, 3, 1, 1}, {0, 0, 0, 0, 0}},
                      PickerCase{"NoAutoSeries", {0, 7, 0, 3, 0, 2, 0, 3, 0, 1}, {7, 3, 2, 3, 2}},
                      PickerCase{
                          "NoAutoParallel", {0, 5, 0, 1, 0, 0, 0, 2, 0, 0}, {5, 1, 0, 2, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Model, TableAnswersPerModel) {
    EXPECT_EQ(ModelInfo(TMeterModel::Ks16).maxFreqIndex, 6);
    EXPECT_TRUE(ModelInfo(TMeterModel::Ks16).sourcePickerShown);
    EXPECT_FALSE(ModelInfo(TMeterModel::Ks19).uModeOffered);
    EXPECT_EQ(ModelInfo(TMeterModel::Ks17).levelCount, 2);
    EXPECT_EQ(GeneratorSourceOhms(TMeterModel::Ks15, 1), 1600);
    EXPECT_EQ(GeneratorSourceOhms(TMeterModel::Ks16, 0), 100);
    EXPECT_EQ(GeneratorSourceOhms(TMeterModel::Ks15, 3), 100);
    EXPECT_EQ(GeneratorSourceOhms(TMeterModel::Ks17, 1), 499);
    EXPECT_EQ(GeneratorSourceOhms(TMeterModel::Ks19, 1), 200);
}

}  // namespace
}  // namespace protocol
