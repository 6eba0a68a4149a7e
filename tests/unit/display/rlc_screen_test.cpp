// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/rlc_screen.h"

#include <gtest/gtest.h>

#include <cmath>

#include "english.h"
#include "support/param_name.h"

namespace display {
namespace {

using protocol::TMeterModel;
using protocol::TMeterSettings;

// A meter report: 1 kHz, series, L primary, D secondary, level 1, source 100 Ω.
TMeterSettings SeriesReport() {
    TMeterSettings s;
    s.FreqIndex() = 3;
    s.FreqAuto() = 1;
    s.Series() = 1;
    s.PrimIndex() = 3;
    s.SecIndex() = 3;
    s.LevelIndex() = 1;
    s.Rate() = 2;
    return s;
}

class RlcScreen : public ::testing::Test {
  protected:
    TRlcResult Show(float value1, float value2, const TMeterSettings& report,
                    bool below40mF = false) {
        protocol::TFrameFields f;
        f.status.displayMode = 1;
        f.status.model = static_cast<std::uint8_t>(input_.state.Model);
        f.value1 = value1;
        f.value2 = value2;
        f.settings = protocol::ReportedSettingsBytes(report, below40mF);
        return ShowRlcdMode(protocol::BuildMeasurementFrame(f), input_, {lex_, sep_});
    }

    TRlcResult ShowPowerSave(const TMeterSettings& report) {
        protocol::TFrameFields f;
        f.status.displayMode = 1;
        f.status.powerSave = true;
        f.powerSave = {true, 120};
        f.settings = protocol::ReportedSettingsBytes(report);
        return ShowRlcdMode(protocol::BuildMeasurementFrame(f), input_, {lex_, sep_});
    }

    i18n::TLexicons lex_;
    TSeparators sep_{",", "\u00A0"};
    TRlcInput input_;
};

TEST_F(RlcScreen, SeriesFortyFiveDegrees) {
    const TRlcResult r = Show(100, 100, SeriesReport());
    EXPECT_NEAR(r.state.PhaseDeg, 45, 1e-9);
    EXPECT_NEAR(r.state.Z, 141.4213562, 1e-6);
    EXPECT_NEAR(r.state.Rp, 200, 1e-9);
    EXPECT_NEAR(r.state.Xp, 200, 1e-9);
    EXPECT_EQ(r.state.FrequencyHz, 1000);
    const TRlcScreen& s = r.screen;
    EXPECT_EQ(s.L_Prim_RLC, "L");
    EXPECT_EQ(s.L_prim_n, " 15,915 мГн");
    EXPECT_EQ(s.L_SER_PER1, "S");
    EXPECT_EQ(s.L_Sec_RLC, "D");
    EXPECT_EQ(s.L_sec_n, "1,0000");
    EXPECT_EQ(s.L_SER_PER, " ");
    EXPECT_EQ(s.L_freq_RLC, "A1кГц");
    EXPECT_EQ(s.L_Level_RLC, " 1.0Вскз");
    EXPECT_EQ(s.L_Source_RLC, "100Ом");
    EXPECT_EQ(s.L_righ1, "Z 141,42 Ом");
    EXPECT_EQ(s.L_righ2, "D 1,0000");
    EXPECT_EQ(s.L_righ3, "Q 1,0000");
    EXPECT_EQ(s.L_righ4, "\u019F 45,0000°");
    // 1000 mV × 141.42 / (141.42 + 100) = 585.8 mV, two significant figures
    EXPECT_EQ(s.L_righ5, "V 0,590Вскз");
    EXPECT_EQ(s.L_righ6, "J 4,1мAскз");
    EXPECT_EQ(s.Panel_RLCD_Red, false);
    EXPECT_TRUE(s.SP3_Enabled);
}

TEST_F(RlcScreen, NegativeReactanceSignComesFromTheReportOnly) {
    TMeterSettings report = SeriesReport();
    TRlcResult r = Show(100, -100, report);
    EXPECT_NEAR(r.state.PhaseDeg, -45, 1e-9);
    EXPECT_EQ(r.state.Xs, 100);
    EXPECT_EQ(r.screen.L_righ4, "\u019F -45,0000°");
    EXPECT_EQ(r.screen.L_prim_n, " 15,915 мГн");

    report.Negative() = 1;
    report.PrimIndex() = 2;
    report.SecIndex() = 4;
    r = Show(100, -100, report);
    EXPECT_EQ(r.screen.L_prim_n, "-1,5915 мкФ");
    EXPECT_EQ(r.screen.L_sec_n, "-45,0000°");
}

TEST_F(RlcScreen, ParallelUsesParallelValuesButSeriesRatios) {
    TMeterSettings report = SeriesReport();
    report.Series() = 0;
    report.PrimIndex() = 2;  // C
    report.SecIndex() = 1;   // R
    const TRlcResult r = Show(100, 100, report);
    EXPECT_EQ(r.screen.L_prim_n, " 795,77 нФ");  // 1 / (2π · 1 kHz · 200 Ω)
    EXPECT_EQ(r.screen.L_SER_PER1, "P");
    EXPECT_EQ(r.screen.L_SER_PER, "P");
    EXPECT_EQ(r.screen.L_sec_n, "200,00 Ом");
    EXPECT_EQ(r.screen.L_righ2, "D 1,0000");
}

TEST_F(RlcScreen, ImpedancePrimaryHasNoCircuitLetters) {
    TMeterSettings report = SeriesReport();
    report.PrimIndex() = 4;
    report.SecIndex() = 1;
    const TRlcResult r = Show(100, 100, report);
    EXPECT_EQ(r.screen.L_prim_n, "141,42 Ом");
    EXPECT_EQ(r.screen.L_SER_PER1, "");
    EXPECT_EQ(r.screen.L_SER_PER, "");
    EXPECT_EQ(r.screen.L_sec_n, "100,00 Ом");
}

TEST_F(RlcScreen, DirectCurrentMeasurement) {
    TMeterSettings report = SeriesReport();
    report.FreqIndex() = 0;
    report.PrimIndex() = 1;
    TRlcResult r = Show(1.5e6f, 1e4f, report);
    EXPECT_TRUE(r.state.DcMode);
    EXPECT_EQ(r.screen.L_prim_n, ">1,000 MОм");
    EXPECT_EQ(r.screen.L_sec_n, "");  // no D in DC
    EXPECT_EQ(r.screen.L_freq_RLC, "");
    for (const auto* side : {&r.screen.L_righ1, &r.screen.L_righ2, &r.screen.L_righ3,
                             &r.screen.L_righ4, &r.screen.L_righ5, &r.screen.L_righ6})
        EXPECT_EQ(*side, "");

    report.PrimIndex() = 2;  // C = 1 / (2π · 120 Hz · 10 kΩ) = 0.13 µF
    EXPECT_EQ(Show(1.5e6f, 1e4f, report).screen.L_prim_n, " <0,50 мкФ");
    EXPECT_EQ(Show(1.5e6f, 1e4f, report, true).screen.L_prim_n, " <40,00 мФ");

    report.PrimIndex() = 4;
    EXPECT_EQ(Show(1.5e6f, 1e4f, report).screen.L_prim_n, "");

    // the parallel circuit has neither DC text
    report.Series() = 0;
    report.PrimIndex() = 1;
    EXPECT_EQ(Show(1.5e6f, 1e4f, report).screen.L_prim_n, "1,5001 МОм");
}

TEST_F(RlcScreen, OverRangeTexts) {
    TMeterSettings report = SeriesReport();
    report.FreqIndex() = 1;  // 100 Hz
    EXPECT_EQ(Show(1, 1e6f, report).screen.L_prim_n, " >500 Гн");
    report.PrimIndex() = 2;
    // 1 / (2π · 100 Hz · 0.01 Ω) = 0.159 F in whole microfarads
    EXPECT_EQ(Show(1, 0.01f, report).screen.L_prim_n, " 159\u00A0155 мкФ");
    EXPECT_EQ(Show(1, 0.01f, report, true).screen.L_prim_n, " <40,00 мФ");
}

TEST_F(RlcScreen, RatiosOfTwoToTheThirtyOneAndMoreStillShow) {
    TMeterSettings report = SeriesReport();
    report.PrimIndex() = 1;
    TRlcResult r = Show(3e9f, 1, report);  // D = 3·10^9
    EXPECT_EQ(r.screen.L_sec_n, "3E9");
    EXPECT_EQ(r.screen.L_righ2, "D 3E9");
    EXPECT_EQ(r.screen.L_righ3, "Q 0,0000");
    EXPECT_EQ(r.screen.L_prim_n, ">20,00 МОм");
    EXPECT_EQ(r.screen.L_righ4, "\u019F 0,0000°");

    report.SecIndex() = 2;  // Q = 5·10^9
    r = Show(1, 5e9f, report);
    EXPECT_EQ(r.screen.L_sec_n, "5E9");
    ASSERT_TRUE(r.screen.L_righ6.has_value());
    EXPECT_EQ(r.screen.Panel_RLCD_Red, false);

    // a reactance that decodes from zero bytes is 2^-127: D near 10^40
    r = Show(100, 0, report);
    EXPECT_EQ(r.screen.L_righ2, "D 1,701E40");
}

struct RatioCase {
    double value;
    const char* text;
};

class RatioText : public ::testing::TestWithParam<RatioCase> {};

TEST_P(RatioText, DigitsFollowTheIntegerPart) {
    EXPECT_EQ(FormatRatio(GetParam().value, {",", " "}), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RatioText,
    ::testing::Values(RatioCase{0.01234, "0,0120"}, RatioCase{3.14159, "3,1000"},
                      RatioCase{12.3456, "12,000"}, RatioCase{123.456, "123,00"},
                      RatioCase{1234.5, "1235,0"}, RatioCase{99999, "1E5"},
                      RatioCase{2147483647.0, "2,147E9"}, RatioCase{2147483648.0, "2,147E9"},
                      RatioCase{1e300, "1E300"}),
    [](const auto& info) { return "Value" + testing_support::NumberName(info.param.value); });

TEST_F(RlcScreen, Ks17LevelAndCurrent) {
    input_.state.Model = TMeterModel::Ks17;
    TMeterSettings report = SeriesReport();
    const TRlcResult r = Show(499, 0.001f, report);
    EXPECT_NEAR(r.state.TestLevel, 350, 1e-6);
    EXPECT_EQ(r.screen.L_righ5, "V 0,350Вскз");
    EXPECT_EQ(r.screen.L_righ6, "J 0,7мAскз");
    EXPECT_EQ(r.screen.L_Level_RLC, " 0.7Вскз");
}

TEST_F(RlcScreen, LowLevelReadsInMillivolts) {
    TMeterSettings report = SeriesReport();
    report.LevelIndex() = 3;   // k = 100 mV
    report.SourceIndex() = 1;  // 1.6 kΩ
    report.SourceAuto() = 1;
    const TRlcResult r = Show(100, 100, report);
    // 100 × 141.42 / (141.42 + 1600) = 8.12 mV
    EXPECT_EQ(r.screen.L_righ5, "V 8,1мВскз");
    EXPECT_EQ(r.screen.L_Source_RLC, "A1.6кОм");
}

TEST_F(RlcScreen, PowerSaveBlanksAndSkipsTheCheck) {
    input_.state.Rs = 42;
    input_.recordingRunning = false;
    int checks = 0;
    input_.checkTolerance = [&](const auto&, const auto&) { return ++checks, 1; };
    TMeterSettings report = SeriesReport();
    report.Negative() = 1;
    report.Hold() = 1;
    TRlcResult r = ShowPowerSave(report);
    EXPECT_EQ(r.screen.L_prim_n, "  ");  // sign blank + blank L text
    EXPECT_EQ(r.screen.L_sec_n, " ");
    EXPECT_EQ(r.screen.L_righ1, "");
    EXPECT_EQ(r.screen.L_righ6, "");
    EXPECT_EQ(r.settings.Negative(), 0);
    EXPECT_EQ(r.state.Rs, 42);
    EXPECT_FALSE(r.screen.Panel_RLCD_Red.has_value());
    EXPECT_FALSE(r.toleranceChecked);
    EXPECT_FALSE(r.appendLogRow);
    EXPECT_EQ(checks, 0);

    report.PrimIndex() = 1;
    EXPECT_EQ(ShowPowerSave(report).screen.L_prim_n, " ");
}

TEST_F(RlcScreen, ToleranceCheckSeesTheNewReading) {
    double seenRs = 0;
    input_.checkTolerance = [&](const protocol::TMeterState& st, const TMeterSettings& s) {
        seenRs = st.Rs;
        return s.Series() == 1 ? 1 : 0;
    };
    const TRlcResult r = Show(-250, 10, SeriesReport());
    EXPECT_EQ(seenRs, 250);
    EXPECT_EQ(r.state.ToleranceVerdict, 1);
    EXPECT_EQ(r.screen.Panel_RLCD_Red, true);
}

TEST_F(RlcScreen, LogRowFollowsRecordingAndHold) {
    struct Case {
        bool running;
        std::uint8_t hold;
        bool append;
    };
    for (const Case& c :
         {Case{true, 0, true}, Case{true, 1, false}, Case{false, 0, false}, Case{false, 1, true}}) {
        input_.recordingRunning = c.running;
        TMeterSettings report = SeriesReport();
        report.Hold() = c.hold;
        EXPECT_EQ(Show(100, 100, report).appendLogRow, c.append)
            << "running " << c.running << " hold " << int(c.hold);
    }
}

TEST_F(RlcScreen, UnknownCodesLeaveLabelsAlone) {
    TMeterSettings report = SeriesReport();
    report.PrimIndex() = 5;
    report.SecIndex() = 5;
    report.SourceIndex() = 2;
    const TRlcResult r = Show(100, 100, report);
    EXPECT_FALSE(r.screen.L_prim_n.has_value());
    EXPECT_FALSE(r.screen.L_Prim_RLC.has_value());
    EXPECT_FALSE(r.screen.L_sec_n.has_value());
    EXPECT_FALSE(r.screen.L_Sec_RLC.has_value());
    EXPECT_FALSE(r.screen.L_Source_RLC.has_value());
    EXPECT_EQ(r.screen.L_SER_PER1, "S");
}

TEST_F(RlcScreen, EnglishTextsAndPointLocale) {
    lex_.SetLanguage(testing::English());
    sep_ = {".", ","};
    TMeterSettings report = SeriesReport();
    report.SourceIndex() = 1;
    const TRlcResult r = Show(100, 100, report);
    EXPECT_EQ(r.screen.L_prim_n, " 15.915 mH");
    EXPECT_EQ(r.screen.L_righ1, "Z 141.42 \u03A9");
    EXPECT_EQ(r.screen.L_freq_RLC, "A1kHz");
    EXPECT_EQ(r.screen.L_Source_RLC, "1.6k\u03A9");
    EXPECT_EQ(r.screen.L_righ6, "J 0.6mArms");
}

}  // namespace
}  // namespace display
