// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/screen_state.h"

#include <gtest/gtest.h>

namespace display {
namespace {

using protocol::TMeterModel;

protocol::TMeasurementFrame Rlcd(float rs, float x, const protocol::TMeterSettings& report,
                                 TMeterModel model = TMeterModel::Ks15) {
    protocol::TFrameFields f;
    f.status.displayMode = 1;
    f.status.model = static_cast<std::uint8_t>(model);
    f.value1 = rs;
    f.value2 = x;
    f.settings = protocol::ReportedSettingsBytes(report);
    return protocol::BuildMeasurementFrame(f);
}

protocol::TMeasurementFrame Other(std::uint8_t mode, std::uint8_t flags, float v1, float v2,
                                  float v3, bool powerSave = false) {
    protocol::TFrameFields f;
    f.status.displayMode = mode;
    f.status.powerSave = powerSave;
    f.powerSave = {true, 300};
    f.value1 = v1;
    f.value2 = v2;
    f.value3 = v3;
    f.subMode = flags;
    return protocol::BuildMeasurementFrame(f);
}

protocol::TMeterSettings Report() {
    protocol::TMeterSettings s;
    s.FreqIndex() = 3;
    s.Series() = 1;
    s.PrimIndex() = 1;
    s.SecIndex() = 3;
    s.LevelIndex() = 1;
    return s;
}

class ScreenState : public ::testing::Test {
  protected:
    i18n::TLexicons lex_;
    TScreenState screen_{lex_, {",", "\u00A0"}};
};

TEST_F(ScreenState, StartsLikeTheWindow) {
    screen_.Start(TMeterModel::Ks17);
    EXPECT_EQ(screen_.VisiblePanel(), TPanel::Rlcd);
    EXPECT_EQ(screen_.State().FrequencyHz, 10000);
    EXPECT_EQ(screen_.Text("L_freq_RLC"), "A10кГц");
    EXPECT_EQ(screen_.Text("L_Level_RLC"), "0.7Вскз");  // the model lists come last
    EXPECT_EQ(screen_.Text("L_Prim_RLC"), "C");
    EXPECT_EQ(screen_.Text("L_SER_PER"), "A");
    EXPECT_EQ(screen_.Text("L_prim_n"), std::nullopt);
    EXPECT_FALSE(screen_.SourceVisible());
}

TEST_F(ScreenState, TextsPersistAcrossModesAndPowerSave) {
    screen_.Start(TMeterModel::Ks15);
    TFrameOutcome o = screen_.Feed(Rlcd(1000, 1, Report()));
    ASSERT_TRUE(o.decode.accepted);
    ASSERT_TRUE(o.rlcd.has_value());
    EXPECT_EQ(screen_.Text("L_prim_n"), "1,0000 кОм");
    EXPECT_EQ(screen_.State().Rs, 1000);
    EXPECT_EQ(screen_.Settings().PrimIndex(), 1);

    o = screen_.Feed(Other(2, 0x02, 1234.5f, 5, 0));
    EXPECT_TRUE(o.rd.has_value());
    EXPECT_EQ(screen_.VisiblePanel(), TPanel::Rd);
    EXPECT_EQ(screen_.DisplayMode(), 2);
    EXPECT_EQ(screen_.Text("RD_V"), "A1.3В");
    EXPECT_EQ(screen_.Image(), 2);
    EXPECT_FALSE(screen_.Sp3Enabled());
    EXPECT_EQ(screen_.Text("L_prim_n"), "1,0000 кОм");  // the hidden panel keeps its texts

    // power save on the RD screen: display mode 0 keeps the RD screen
    o = screen_.Feed(Other(0, 0, 0, 0, 0, true));
    EXPECT_TRUE(o.rd.has_value());
    EXPECT_EQ(screen_.Text("RD_Prim"), "");
    EXPECT_EQ(screen_.Text("RD_V"), "A1.3В");
    EXPECT_EQ(screen_.Image(), 2);
    EXPECT_TRUE(screen_.Jp5Visible());
    EXPECT_EQ(screen_.Text("JP5"), "Сон 300сек");
    EXPECT_TRUE(screen_.State().PowerSave);

    o = screen_.Feed(Other(3, 0x00, 1.234f, 0.5f, 1.5f));
    EXPECT_EQ(screen_.VisiblePanel(), TPanel::U);
    EXPECT_EQ(screen_.Text("U_vrm"), "Vскз=1,23В");
    EXPECT_FALSE(screen_.Jp5Visible());
}

TEST_F(ScreenState, RejectedFrameChangesNothing) {
    screen_.Start(TMeterModel::Ks15);
    screen_.Feed(Rlcd(1000, 1, Report()));
    const auto before = screen_.Texts();
    protocol::TMeasurementFrame bad = Other(2, 0x02, 5, 5, 5);
    bad[16] ^= 0x01;
    const TFrameOutcome o = screen_.Feed(bad);
    EXPECT_FALSE(o.decode.accepted);
    EXPECT_EQ(o.decode.rejection, protocol::TFrameRejection::BadChecksum);
    EXPECT_EQ(screen_.Texts(), before);
    EXPECT_EQ(screen_.VisiblePanel(), TPanel::Rlcd);
    const std::uint8_t shortFrame[5] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(screen_.Feed(shortFrame).decode.accepted);
}

TEST_F(ScreenState, ProfileEditingFreezesTheScreenButFollowsTheModel) {
    screen_.Start(TMeterModel::Ks15);
    screen_.SetProfileEditing(true);
    const protocol::TMeterSettings before = screen_.Settings();
    const TFrameOutcome o = screen_.Feed(Rlcd(1000, 1, Report(), TMeterModel::Ks16));
    EXPECT_TRUE(o.decode.accepted);
    EXPECT_FALSE(o.rlcd.has_value());
    EXPECT_EQ(screen_.Settings(), before);
    EXPECT_EQ(screen_.State().Model, TMeterModel::Ks16);
    ASSERT_TRUE(o.modelLists.has_value());  // the model button's own handling
    EXPECT_TRUE(screen_.SourceVisible());
    EXPECT_EQ(screen_.Text("L_prim_n"), std::nullopt);
}

TEST_F(ScreenState, WatchdogClearsTheReadings) {
    screen_.Start(TMeterModel::Ks15);
    screen_.Feed(Rlcd(1000, 1, Report()));
    screen_.ClearStaleReadings();
    EXPECT_EQ(screen_.Text("L_prim_n"), "");
    EXPECT_EQ(screen_.Text("L_righ1"), "");
    EXPECT_EQ(screen_.Text("L_Prim_RLC"), "R");  // indicators stay
}

TEST_F(ScreenState, ToleranceSeamColoursThePanel) {
    screen_.Start(TMeterModel::Ks15);
    screen_.SetToleranceCheck([](const auto& st, const auto&) { return st.Rs > 500 ? 1 : 0; });
    screen_.Feed(Rlcd(1000, 1, Report()));
    EXPECT_TRUE(screen_.PanelRed());
    EXPECT_EQ(screen_.State().ToleranceVerdict, 1);
    screen_.Feed(Rlcd(100, 1, Report()));
    EXPECT_FALSE(screen_.PanelRed());
}

}  // namespace
}  // namespace display
