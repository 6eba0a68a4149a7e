// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/set_option.h"

#include <gtest/gtest.h>

#include "support/english.h"
#include "protocol/command.h"

namespace {

using display::TPicker;
using protocol::TMeterModel;

struct English {
    i18n::TLexicons lexicons;
    English() { lexicons.SetLanguage(testing_support::English()); }
};

struct TAccepted {
    const char* name;
    const char* text;
    std::optional<TMeterModel> model;
    std::optional<TPicker> picker;  // of the single choice
    int index;
};

class SetOptionAccepted : public ::testing::TestWithParam<TAccepted> {};

TEST_P(SetOptionAccepted, PicksTheItemThePickerShows) {
    English en;
    std::string error;
    const auto choices = cli::ParseSetOption(GetParam().text, GetParam().model, en.lexicons, error);
    ASSERT_TRUE(choices) << error;
    ASSERT_EQ(choices->size(), 1u);
    EXPECT_EQ((*choices)[0].picker, GetParam().picker);
    EXPECT_EQ((*choices)[0].index, GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Items, SetOptionAccepted,
    ::testing::Values(
        TAccepted{"FreqAuto", "freq=auto", TMeterModel::Ks15, TPicker::Frequency, 0},
        TAccepted{"Freq100Hz", "freq=100", TMeterModel::Ks15, TPicker::Frequency, 1},
        TAccepted{"Freq1k", "freq=1k", TMeterModel::Ks15, TPicker::Frequency, 3},
        TAccepted{"Freq1kHzWithUnit", "freq=1 kHz", TMeterModel::Ks15, TPicker::Frequency, 3},
        TAccepted{"Freq1000", "freq=1000", TMeterModel::Ks15, TPicker::Frequency, 3},
        TAccepted{"Freq20kOnKs15", "freq=20k", TMeterModel::Ks15, TPicker::Frequency, 6},
        TAccepted{"Freq250kOnKs16", "freq=250k", TMeterModel::Ks16, TPicker::Frequency, 6},
        TAccepted{"Freq150kAnyModel", "freq=150k", std::nullopt, TPicker::Frequency, 14},
        TAccepted{"LevelOneVolt", "level=1", TMeterModel::Ks15, TPicker::Level, 1},
        TAccepted{"LevelHalfVolt", "level=0.5Vrms", TMeterModel::Ks15, TPicker::Level, 2},
        TAccepted{"Level07OnKs17", "level=0.7", TMeterModel::Ks17, TPicker::Level, 1},
        TAccepted{"Level01OnKs17", "level=0.1", TMeterModel::Ks17, TPicker::Level, 2},
        TAccepted{"PrimaryC", "primary=C", TMeterModel::Ks15, TPicker::Primary, 2},
        TAccepted{"PrimaryBigC", "primary=C>40m", TMeterModel::Ks15, TPicker::Primary, 6},
        TAccepted{"SecondaryD", "secondary=D", TMeterModel::Ks15, TPicker::Secondary, 3},
        TAccepted{"CircuitSeries", "circuit=series", TMeterModel::Ks15, TPicker::Circuit, 2},
        TAccepted{"CircuitP", "circuit=p", TMeterModel::Ks15, TPicker::Circuit, 1},
        TAccepted{"Source16kOnKs16", "source=1.6k", TMeterModel::Ks16, TPicker::Source, 2},
        TAccepted{"RateHalfSecond", "rate=0.5", TMeterModel::Ks15, std::nullopt, 3},
        TAccepted{"RateTwoSeconds", "rate=2s", TMeterModel::Ks15, std::nullopt, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct TRefused {
    const char* name;
    const char* text;
    std::optional<TMeterModel> model;
    const char* message;  // part of the error
};

class SetOptionRefused : public ::testing::TestWithParam<TRefused> {};

TEST_P(SetOptionRefused, NamesWhatIsAllowed) {
    English en;
    std::string error;
    EXPECT_FALSE(cli::ParseSetOption(GetParam().text, GetParam().model, en.lexicons, error));
    EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Items, SetOptionRefused,
    ::testing::Values(TRefused{"UnknownName", "colour=red", std::nullopt,
                               "names: freq, level, primary, secondary, circuit, source, rate"},
                      TRefused{"NoValue", "freq=", std::nullopt, "NAME=VALUE"},
                      TRefused{"NoEquals", "freq", std::nullopt, "NAME=VALUE"},
                      TRefused{"EmptyItem", "freq=1k,,level=1", std::nullopt, "NAME=VALUE"},
                      TRefused{"FrequencyNoModelHas", "freq=3k", std::nullopt,
                               "allowed values: auto, 100, 120, 1k, 10k, 100k, 20k"},
                      TRefused{"Ks15FrequencyOnKs17", "freq=20k", TMeterModel::Ks17,
                               "allowed values: auto, 100, 120, 1k, 10k, 100k"},
                      TRefused{"HalfVoltOnKs17", "level=0.5", TMeterModel::Ks17, "auto, 0.7, 0.1"},
                      TRefused{"SourceOnKs15", "source=100", TMeterModel::Ks15, "no such picker"},
                      TRefused{"RateNotInTheList", "rate=5", std::nullopt, "0.5, 1, 2"},
                      TRefused{"PrimaryQ", "primary=Q", std::nullopt, "auto, R, C, L, Z"}),
    [](const auto& info) { return std::string(info.param.name); });

// The choices change the record as the pickers do, and the command carries them.
TEST(SetOptionApply, CommandCarriesEveryChoice) {
    English en;
    std::string error;
    const auto choices =
        cli::ParseSetOption("freq=10k,level=0.1,circuit=parallel,primary=L,secondary=Q,rate=2",
                            TMeterModel::Ks15, en.lexicons, error);
    ASSERT_TRUE(choices) << error;
    protocol::TMeterSettings s;
    cli::ApplySetChoices(*choices, s, TMeterModel::Ks15, en.lexicons);
    const auto frame = protocol::BuildSettingsCommand(s, false, true, false);
    ASSERT_TRUE(frame);
    const auto parsed = protocol::ParseCommandFrame(*frame);
    const auto& c = std::get<protocol::TSettingsCommand>(*parsed);
    EXPECT_EQ(c.freqIndex, 4);
    EXPECT_FALSE(c.freqAuto);
    EXPECT_EQ(c.levelIndex, 3);
    EXPECT_EQ(c.series, std::optional<std::uint8_t>(0));
    EXPECT_EQ(c.primIndex, std::optional<std::uint8_t>(3));
    EXPECT_EQ(c.secIndex, std::optional<std::uint8_t>(2));
    EXPECT_EQ(c.rate, 1);
}

// Later items win, as clicking one picker after another would.
TEST(SetOptionApply, LaterChoiceOfTheSamePickerWins) {
    English en;
    std::string error;
    const auto choices =
        cli::ParseSetOption("freq=1k,freq=100", TMeterModel::Ks15, en.lexicons, error);
    ASSERT_TRUE(choices);
    protocol::TMeterSettings s;
    cli::ApplySetChoices(*choices, s, TMeterModel::Ks15, en.lexicons);
    EXPECT_EQ(s.FreqIndex(), 1);
}

}  // namespace
