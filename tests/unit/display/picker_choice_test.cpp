// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/picker_choice.h"

#include <gtest/gtest.h>

#include "english.h"
#include "support/param_name.h"

namespace display {
namespace {

using protocol::TMeterModel;
namespace rec = protocol::rec;

constexpr const char* kKeep = nullptr;  // the label keeps its text

void ExpectText(const std::optional<std::string>& actual, const char* expected, const char* name) {
    if (expected == kKeep)
        EXPECT_FALSE(actual.has_value()) << name << " was set to '" << actual.value_or("") << "'";
    else
        EXPECT_EQ(actual.value_or("<unchanged>"), expected) << name;
}

// A record with every field at a value no choice writes, so that a field a
// choice must leave alone shows up.
protocol::TMeterSettings Marked() {
    protocol::TMeterSettings s;
    s.bytes.fill(9);
    return s;
}

struct FieldValue {
    std::size_t field;
    std::uint8_t value;
};

struct Case {
    const char* what;
    TPicker picker;
    int index;
    TMeterModel model;
    const char* label;               // the picker's main indicator
    const char* marker;              // its auto marker or companion label
    std::vector<FieldValue> fields;  // every record field the choice writes
};

// Main indicator and companion of each picker.
std::pair<std::optional<std::string>, std::optional<std::string>> Shown(TPicker p,
                                                                        const TPickerTexts& t) {
    switch (p) {
        case TPicker::Frequency:
            return {t.L_freq_RLC, std::nullopt};
        case TPicker::Level:
            return {t.L_Level_RLC, std::nullopt};
        case TPicker::Primary:
            return {t.L_Prim_RLC, t.L_RLC_avto};
        case TPicker::Secondary:
            return {t.L_Sec_RLC, t.L_RQD_avto};
        case TPicker::Circuit:
            return {t.L_SER_PER, t.L_SER_PER1};
        case TPicker::Source:
            return {t.L_Source_RLC, std::nullopt};
    }
    return {};
}

class PickerChoice : public ::testing::TestWithParam<Case> {
  protected:
    i18n::TLexicons lex_;
};

TEST_P(PickerChoice, WritesRecordAndIndicator) {
    const Case& c = GetParam();
    protocol::TMeterSettings s = Marked();
    const TPickerTexts t = ChoosePickerItem(c.picker, c.index, s, c.model, lex_);
    const auto [label, marker] = Shown(c.picker, t);
    ExpectText(label, c.label, "indicator");
    ExpectText(marker, c.marker, "companion");
    protocol::TMeterSettings expected = Marked();
    for (const FieldValue& f : c.fields) expected.bytes[f.field] = f.value;
    EXPECT_EQ(s.bytes, expected.bytes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, PickerChoice,
    ::testing::Values(
        // Frequency: FreqIndex 0 under auto becomes 4 only when the command is built.
        Case{"freq auto", TPicker::Frequency, 0, TMeterModel::Ks15, "A10кГц", kKeep, {{rec::FreqAuto, 1}, {rec::FreqIndex, 0}}},
        Case{"freq 100 Hz", TPicker::Frequency, 1, TMeterModel::Ks15, "100Гц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 1}}},
        Case{"freq 120 Hz", TPicker::Frequency, 2, TMeterModel::Ks17, "120Гц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 2}}},
        Case{"freq 1 kHz", TPicker::Frequency, 3, TMeterModel::Ks19, "1кГц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 3}}},
        Case{"freq 100 kHz KS17", TPicker::Frequency, 5, TMeterModel::Ks17, "100кГц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 5}}},
        Case{"freq 20 kHz KS15", TPicker::Frequency, 6, TMeterModel::Ks15, "20кГц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 6}}},
        Case{"freq 250 kHz KS16", TPicker::Frequency, 6, TMeterModel::Ks16, "250кГц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 6}}},
        Case{"freq 30 kHz KS15", TPicker::Frequency, 7, TMeterModel::Ks15, "30кГц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 7}}},
        Case{"freq 150 kHz KS15", TPicker::Frequency, 14, TMeterModel::Ks15, "150кГц", kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 14}}},
        Case{"freq beyond KS17 range", TPicker::Frequency, 6, TMeterModel::Ks17, kKeep, kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 3}}},
        Case{"freq beyond KS16 range", TPicker::Frequency, 7, TMeterModel::Ks16, kKeep, kKeep, {{rec::FreqAuto, 0}, {rec::FreqIndex, 3}}},
        // Level.
        Case{"level auto", TPicker::Level, 0, TMeterModel::Ks15, "A1.0Вскз", kKeep, {{rec::LevelAuto, 1}, {rec::LevelIndex, 1}}},
        Case{"level auto KS17", TPicker::Level, 0, TMeterModel::Ks17, "A0.7Вскз", kKeep, {{rec::LevelAuto, 1}, {rec::LevelIndex, 1}}},
        Case{"level 1.0", TPicker::Level, 1, TMeterModel::Ks16, "1.0Вскз", kKeep, {{rec::LevelAuto, 0}, {rec::LevelIndex, 1}}},
        Case{"level 0.7 KS17", TPicker::Level, 1, TMeterModel::Ks17, "0.7Вскз", kKeep, {{rec::LevelAuto, 0}, {rec::LevelIndex, 1}}},
        Case{"level 0.5", TPicker::Level, 2, TMeterModel::Ks19, "0.5Вскз", kKeep, {{rec::LevelAuto, 0}, {rec::LevelIndex, 2}}},
        Case{"level 0.1 KS17", TPicker::Level, 2, TMeterModel::Ks17, "0.1Вскз", kKeep, {{rec::LevelAuto, 0}, {rec::LevelIndex, 2}}},
        Case{"level 0.1", TPicker::Level, 3, TMeterModel::Ks15, "0.1Вскз", kKeep, {{rec::LevelAuto, 0}, {rec::LevelIndex, 3}}},
        Case{"level fourth item KS17", TPicker::Level, 3, TMeterModel::Ks17, kKeep, kKeep, {{rec::LevelAuto, 0}, {rec::LevelIndex, 1}}},
        // Primary: item 2 is the Latin C, items 5 and 6 the Cyrillic С.
        Case{"prim auto", TPicker::Primary, 0, TMeterModel::Ks15, "C", "A", {{rec::PrimAuto, 1}, {rec::PrimIndex, 0}}},
        Case{"prim R", TPicker::Primary, 1, TMeterModel::Ks15, "R", " ", {{rec::PrimAuto, 0}, {rec::PrimIndex, 1}}},
        Case{"prim C", TPicker::Primary, 2, TMeterModel::Ks15, "C", " ", {{rec::PrimAuto, 0}, {rec::PrimIndex, 2}}},
        Case{"prim Z", TPicker::Primary, 4, TMeterModel::Ks15, "Z", " ", {{rec::PrimAuto, 0}, {rec::PrimIndex, 4}}},
        Case{"prim C range 40 mF", TPicker::Primary, 6, TMeterModel::Ks15, "\u0421", " ", {{rec::PrimAuto, 0}, {rec::PrimIndex, 6}}},
        // Secondary: auto keeps the symbol.
        Case{"sec auto", TPicker::Secondary, 0, TMeterModel::Ks15, kKeep, "A", {{rec::SecAuto, 1}, {rec::SecIndex, 0}}},
        Case{"sec R", TPicker::Secondary, 1, TMeterModel::Ks15, "R", "", {{rec::SecAuto, 0}, {rec::SecIndex, 1}}},
        Case{"sec D", TPicker::Secondary, 3, TMeterModel::Ks15, "D", "", {{rec::SecAuto, 0}, {rec::SecIndex, 3}}},
        // Circuit: auto means series as well.
        Case{"circuit auto", TPicker::Circuit, 0, TMeterModel::Ks15, "A", "A", {{rec::CircuitAuto, 1}, {rec::Series, 1}}},
        Case{"circuit parallel", TPicker::Circuit, 1, TMeterModel::Ks15, "P", "P", {{rec::CircuitAuto, 0}, {rec::Series, 0}}},
        Case{"circuit series", TPicker::Circuit, 2, TMeterModel::Ks15, "S", "S", {{rec::CircuitAuto, 0}, {rec::Series, 1}}},
        // Source resistance.
        Case{"source auto", TPicker::Source, 0, TMeterModel::Ks16, "A", kKeep, {{rec::SourceAuto, 1}, {rec::SourceIndex, 0}}},
        Case{"source 100 ohm", TPicker::Source, 1, TMeterModel::Ks16, "100Ом", kKeep, {{rec::SourceAuto, 0}, {rec::SourceIndex, 0}}},
        Case{"source 1.6 kohm", TPicker::Source, 2, TMeterModel::Ks16, "1.6кОм", kKeep, {{rec::SourceAuto, 0}, {rec::SourceIndex, 1}}},
        // Indices no list holds change nothing.
        Case{"freq past the longest list", TPicker::Frequency, 15, TMeterModel::Ks15, kKeep, kKeep, {}},
        Case{"no item", TPicker::Primary, -1, TMeterModel::Ks15, kKeep, kKeep, {}},
        Case{"circuit past the list", TPicker::Circuit, 3, TMeterModel::Ks15, kKeep, kKeep, {}}),
    [](const auto& info) { return testing_support::ParamName(info.param.what); });
// clang-format on

TEST(PickerChoiceCircuitLetter, QAndDBlankItRBKeepsIt) {
    i18n::TLexicons lex;
    for (const auto& [index, blanks] : {std::pair{1, false}, {2, true}, {3, true}, {0, false}}) {
        protocol::TMeterSettings s;
        const TPickerTexts t =
            ChoosePickerItem(TPicker::Secondary, index, s, TMeterModel::Ks15, lex);
        EXPECT_EQ(t.L_SER_PER.value_or("<kept>"), blanks ? " " : "<kept>") << "item " << index;
        EXPECT_FALSE(t.L_SER_PER1.has_value());
    }
}

TEST(PickerChoiceEnglish, UnitsFollowTheLanguage) {
    i18n::TLexicons lex;
    lex.SetLanguage(testing::English());
    protocol::TMeterSettings s;
    EXPECT_EQ(ChoosePickerItem(TPicker::Source, 1, s, TMeterModel::Ks16, lex).L_Source_RLC,
              "100\u03A9");
    EXPECT_EQ(ChoosePickerItem(TPicker::Source, 2, s, TMeterModel::Ks16, lex).L_Source_RLC,
              "1.6k\u03A9");
    EXPECT_EQ(ChoosePickerItem(TPicker::Frequency, 0, s, TMeterModel::Ks15, lex).L_freq_RLC,
              "A10kHz");
    EXPECT_EQ(ChoosePickerItem(TPicker::Level, 2, s, TMeterModel::Ks15, lex).L_Level_RLC,
              "0.5Vrms");
}

}  // namespace
}  // namespace display
