// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/indicators.h"

#include <gtest/gtest.h>

#include "english.h"

namespace display {
namespace {

using protocol::TMeterModel;
using protocol::TMeterSettings;

class Indicators : public ::testing::Test {
  protected:
    TSettingsIndicators Show(const TMeterSettings& s, int hz, TMeterModel model = TMeterModel::Ks15,
                             bool profileEditing = false) {
        return ShowSettings(s, model, hz, profileEditing, memory_, lex_);
    }
    static TMeterSettings At(int freqIndex, int freqAuto = 0) {
        TMeterSettings s;
        s.FreqIndex() = static_cast<std::uint8_t>(freqIndex);
        s.FreqAuto() = static_cast<std::uint8_t>(freqAuto);
        s.LevelIndex() = 1;
        return s;
    }
    i18n::TLexicons lex_;
    TIndicatorMemory memory_;
};

TEST_F(Indicators, FrequencyText) {
    struct Case {
        int hz;
        int autoFlag;
        const char* label;
    };
    for (const Case& c :
         {Case{999, 0, " 999Гц"}, Case{1000, 0, " 1кГц"}, Case{1500, 0, " 1кГц"},
          Case{250000, 0, " 250кГц"}, Case{100, 1, "A100Гц"}, Case{10000, 1, "A10кГц"}}) {
        const TSettingsIndicators r = Show(At(4, c.autoFlag), c.hz);
        EXPECT_EQ(r.L_freq_RLC, c.label) << c.hz;
        EXPECT_EQ(AutoMarker(c.autoFlag) + r.memory.FrequencyText, c.label);
    }
}

TEST_F(Indicators, DirectCurrentClearsTheLabelButKeepsTheLoggedFrequency) {
    memory_.FrequencyText = "10кГц";
    const TSettingsIndicators r = Show(At(0, 1), 120);
    EXPECT_EQ(r.L_freq_RLC, "");
    EXPECT_EQ(r.memory.FrequencyText, "10кГц");
}

TEST_F(Indicators, LevelTextByModel) {
    struct Case {
        TMeterModel model;
        int level;
        int autoFlag;
        const char* label;
    };
    for (const Case& c :
         {Case{TMeterModel::Ks15, 0, 0, " 1.0Вскз"}, Case{TMeterModel::Ks15, 2, 1, "A0.5Вскз"},
          Case{TMeterModel::Ks16, 3, 0, " 0.1Вскз"}, Case{TMeterModel::Ks19, 4, 0, " 0.1В"},
          Case{TMeterModel::Ks17, 1, 0, " 0.7Вскз"}, Case{TMeterModel::Ks17, 2, 0, " 0.1Вскз"},
          Case{TMeterModel::Ks17, 3, 0, " 0.1В"}, Case{TMeterModel::Ks17, 4, 1, "A0.5Вскз"}}) {
        TMeterSettings s = At(4);
        s.LevelIndex() = static_cast<std::uint8_t>(c.level);
        s.LevelAuto() = static_cast<std::uint8_t>(c.autoFlag);
        EXPECT_EQ(Show(s, 10000, c.model).L_Level_RLC, c.label) << int(c.model) << "/" << c.level;
    }
}

TEST_F(Indicators, UnknownLevelKeepsThePreviousTextBehindTheCurrentMarker) {
    memory_.LevelText = "0.5Вскз";
    TMeterSettings s = At(4);
    s.LevelIndex() = 5;
    s.LevelAuto() = 1;
    const TSettingsIndicators r = Show(s, 10000);
    EXPECT_EQ(r.L_Level_RLC, "A0.5Вскз");
    EXPECT_EQ(r.memory.LevelText, "0.5Вскз");
}

TEST_F(Indicators, ParameterSymbolsAndMarkers) {
    struct Case {
        int prim, sec;
        const char* primSymbol;  // nullptr: unchanged
        const char* secSymbol;
    };
    for (const Case& c : {Case{1, 0, "R", " "}, Case{2, 1, "C", "R"}, Case{3, 2, "L", "Q"},
                          Case{4, 3, "Z", "D"}, Case{5, 4, nullptr, "\u019F"},
                          Case{6, 5, nullptr, nullptr}, Case{0, 7, nullptr, nullptr}}) {
        TMeterSettings s = At(4);
        s.PrimIndex() = static_cast<std::uint8_t>(c.prim);
        s.SecIndex() = static_cast<std::uint8_t>(c.sec);
        s.PrimAuto() = 1;
        const TSettingsIndicators r = Show(s, 10000);
        EXPECT_EQ(r.L_Prim_RLC,
                  c.primSymbol ? std::optional<std::string>(c.primSymbol) : std::nullopt);
        EXPECT_EQ(r.L_Sec_RLC,
                  c.secSymbol ? std::optional<std::string>(c.secSymbol) : std::nullopt);
        EXPECT_EQ(r.L_RLC_avto, "A");
        EXPECT_EQ(r.L_RQD_avto, " ");
    }
}

TEST_F(Indicators, ButtonsMirrorHoldSoundAndRate) {
    struct Case {
        int hold;
        bool profileEditing;
        std::optional<bool> sp1Enabled;
        bool sp3Down;
    };
    for (const Case& c : {Case{1, false, false, true}, Case{1, true, false, true},
                          Case{0, false, true, false}, Case{0, true, std::nullopt, false}}) {
        TMeterSettings s = At(4);
        s.Hold() = static_cast<std::uint8_t>(c.hold);
        const TSettingsButtons b = Show(s, 10000, TMeterModel::Ks15, c.profileEditing).buttons;
        EXPECT_EQ(b.SP1_Enabled, c.sp1Enabled) << c.hold << c.profileEditing;
        EXPECT_EQ(b.SP3_Down, c.sp3Down);
    }
    for (const auto& [rate, item] : std::vector<std::pair<int, std::optional<int>>>{
             {3, 0}, {2, 1}, {1, 2}, {0, std::nullopt}, {4, std::nullopt}}) {
        TMeterSettings s = At(4);
        s.Rate() = static_cast<std::uint8_t>(rate);
        s.Sound() = 1;
        const TSettingsButtons b = Show(s, 10000).buttons;
        EXPECT_EQ(b.CB1_ItemIndex, item) << rate;
        EXPECT_TRUE(b.SP2_Down);
    }
}

TEST(Circuit, AutoSeriesParallelAndUnknown) {
    struct Case {
        int circuitAuto, series;
        std::optional<int> item;
        std::optional<std::string> letter;
    };
    for (const Case& c : {Case{1, 1, 0, "A"}, Case{1, 7, 0, "A"}, Case{0, 1, 2, "S"},
                          Case{0, 0, 1, "P"}, Case{0, 2, std::nullopt, std::nullopt}}) {
        TMeterSettings s;
        s.CircuitAuto() = static_cast<std::uint8_t>(c.circuitAuto);
        s.Series() = static_cast<std::uint8_t>(c.series);
        const TCircuitIndicators r = ShowCircuit(s);
        EXPECT_EQ(r.ListBox_ser_per_ItemIndex, c.item);
        EXPECT_EQ(r.L_SER_PER, c.letter);
        EXPECT_EQ(r.L_SER_PER1, c.letter);
    }
}

TEST(ModelLists, ItemsPerModel) {
    i18n::TLexicons lex;
    const TModelLists ks15 = RefreshModelLists(TMeterModel::Ks15, lex);
    EXPECT_EQ(ks15.frequencyItemsFrom6,
              (std::vector<std::string>{"20кГц", "30кГц", "40кГц", "50кГц", "60кГц", "70кГц",
                                        "80кГц", "90кГц", "150кГц"}));
    EXPECT_EQ(ks15.levelItemsFrom1, (std::vector<std::string>{"1.0Вскз", "0.5Вскз", "0.1Вскз"}));
    EXPECT_EQ(ks15.L_Level_RLC, "1.0Вскз");
    EXPECT_FALSE(ks15.L_Source_RLC_Visible);
    EXPECT_FALSE(ks15.P16_Visible);

    const TModelLists ks16 = RefreshModelLists(TMeterModel::Ks16, lex);
    EXPECT_EQ(ks16.frequencyItemsFrom6, std::vector<std::string>{"250кГц"});
    EXPECT_EQ(ks16.levelItemsFrom1.size(), 3u);
    EXPECT_TRUE(ks16.L_Source_RLC_Visible);

    const TModelLists ks17 = RefreshModelLists(TMeterModel::Ks17, lex);
    EXPECT_TRUE(ks17.frequencyItemsFrom6.empty());
    EXPECT_EQ(ks17.levelItemsFrom1, (std::vector<std::string>{"0.7Вскз", "0.1Вскз"}));
    EXPECT_EQ(ks17.L_Level_RLC, "0.7Вскз");

    const TModelLists ks19 = RefreshModelLists(TMeterModel::Ks19, lex);
    EXPECT_TRUE(ks19.frequencyItemsFrom6.empty());
    EXPECT_EQ(ks19.levelItemsFrom1, ks15.levelItemsFrom1);
    EXPECT_FALSE(ks19.L_Source_RLC_Visible);
}

TEST(ModelLists, FollowTheLanguage) {
    i18n::TLexicons lex;
    lex.SetLanguage(testing::English());
    const TModelLists ks16 = RefreshModelLists(TMeterModel::Ks16, lex);
    EXPECT_EQ(ks16.frequencyItemsFrom6, std::vector<std::string>{"250kHz"});
    EXPECT_EQ(ks16.levelItemsFrom1.front(), "1.0Vrms");
}

}  // namespace
}  // namespace display
