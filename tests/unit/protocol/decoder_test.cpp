// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/decoder.h"

#include <gtest/gtest.h>

#include "i18n/lexicon.h"
#include "support/param_name.h"

namespace protocol {
namespace {

TMeasurementFrame Frame(std::uint8_t status, std::uint8_t b0 = 0, std::uint8_t b1 = 0,
                        std::uint8_t b2 = 0) {
    TMeasurementFrame f{};
    f[0] = b0;
    f[1] = b1;
    f[2] = b2;
    f[fb::Status] = status;
    SealFrame(f);
    return f;
}

class Decoder : public ::testing::Test {
  protected:
    TFrameDecodeResult Decode(const TMeasurementFrame& f, bool editing = false) {
        TFrameDecodeResult r = DecodeMeasurementFrame(f, state, editing, lex);
        if (r.accepted) state = r.state;
        return r;
    }

    i18n::TLexicons lex;
    TMeterState state;
};

TEST_F(Decoder, AllZeroFrameSetsModelAndKeepsMode) {
    state.DisplayMode = 2;
    state.Model = TMeterModel::Ks17;
    const auto r = Decode(Frame(0x00));
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.state.Model, TMeterModel::Ks15);
    EXPECT_EQ(r.state.DisplayMode, 2);
    EXPECT_EQ(r.effects.screen, TScreen::Rd);  // the previous screen runs again
    EXPECT_EQ(r.effects.modelRadioButton, 1);
    EXPECT_TRUE(r.effects.modelChanged);
    EXPECT_TRUE(r.effects.button3Visible);
}

TEST_F(Decoder, ModeZeroBeforeAnyModeRunsNoScreen) {
    const auto r = Decode(Frame(0x08));
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.effects.screen, TScreen::None);
    EXPECT_TRUE(r.effects.restartT33);
    EXPECT_TRUE(r.effects.refreshModelLists);
}

struct StatusCase {
    std::uint8_t status;
    std::uint8_t displayMode;
    TScreen screen;
    int radio;
    bool button3;
    bool sp4Down;
};

class StatusTable : public Decoder, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusTable, ModeModelAndBrightness) {
    const StatusCase& c = GetParam();
    const auto r = Decode(Frame(c.status));
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.state.DisplayMode, c.displayMode);
    EXPECT_EQ(r.effects.screen, c.screen);
    EXPECT_EQ(r.effects.modelRadioButton, c.radio);
    EXPECT_EQ(r.effects.button3Visible, c.button3);
    EXPECT_EQ(r.effects.sp4Down, c.sp4Down);
    EXPECT_FALSE(r.effects.jp5Visible);
    EXPECT_TRUE(r.effects.stopT34);
    EXPECT_FALSE(r.effects.startT34);
}

INSTANTIATE_TEST_SUITE_P(Status, StatusTable,
                         ::testing::Values(StatusCase{0x01, 1, TScreen::Rlcd, 1, true, false},
                                           StatusCase{0x0A, 2, TScreen::Rd, 2, false, false},
                                           StatusCase{0x53, 3, TScreen::U, 3, true, true},
                                           StatusCase{0x59, 1, TScreen::Rlcd, 4, false, true},
                                           // 4..7 are stored but select no screen.
                                           StatusCase{0x05, 5, TScreen::None, 1, true, false}),
                         [](const auto& info) {
                             return "Status" + testing_support::HexName({&info.param.status, 1});
                         });

TEST_F(Decoder, RejectedFrameChangesNothing) {
    state.DisplayMode = 1;
    state.Model = TMeterModel::Ks16;
    state.PowerSave = true;
    const TMeterState before = state;
    TMeasurementFrame badModel = Frame(0x38);
    TMeasurementFrame badEnd = Frame(0x02);
    badEnd[fb::Terminator] = 13;
    for (const auto& f : {badModel, badEnd, Frame(0x80, 0x20)}) {
        const auto r = DecodeMeasurementFrame(f, state, false, lex);
        EXPECT_FALSE(r.accepted);
        EXPECT_EQ(r.state.Model, before.Model);
        EXPECT_EQ(r.state.DisplayMode, before.DisplayMode);
        EXPECT_EQ(r.state.PowerSave, before.PowerSave);
        EXPECT_FALSE(r.effects.stopT34);
        EXPECT_FALSE(r.effects.restartT33);
        EXPECT_FALSE(r.effects.refreshModelLists);
        EXPECT_EQ(r.effects.screen, TScreen::None);
    }
}

TEST_F(Decoder, ShortInputIsRejectedUnread) {
    const TMeasurementFrame f = Frame(0x01);
    const auto r = DecodeMeasurementFrame(std::span(f).first(17), state, false, lex);
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.rejection, TFrameRejection::TooShort);
}

TEST_F(Decoder, SleepFrameShowsJp5AndStartsWakeTimerUntilNextFrame) {
    auto r = Decode(Frame(0x81, 0x01, 0x2C, 0x01));
    ASSERT_TRUE(r.accepted);
    EXPECT_TRUE(r.state.PowerSave);
    EXPECT_TRUE(r.effects.jp5Visible);
    EXPECT_EQ(r.effects.jp5Text, "Сон 300сек");
    EXPECT_TRUE(r.effects.stopT34);
    EXPECT_TRUE(r.effects.startT34);
    EXPECT_EQ(r.effects.screen, TScreen::Rlcd);  // the screen blanks itself

    r = Decode(Frame(0x01));
    EXPECT_FALSE(r.state.PowerSave);
    EXPECT_FALSE(r.effects.jp5Visible);
    EXPECT_TRUE(r.effects.stopT34);
    EXPECT_FALSE(r.effects.startT34);
}

TEST_F(Decoder, EconomyFrameDoesNotStartWakeTimer) {
    const auto r = Decode(Frame(0x80, 0x00, 0x05, 0x00));
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.effects.jp5Text, "Экон. 5сек");
    EXPECT_FALSE(r.effects.startT34);
}

TEST_F(Decoder, PowerSaveTextFollowsTheLanguage) {
    i18n::Translations en;
    en.Set("Form1.Dlang_connect", 8, "Sleep");
    en.Set("Form1.D3", 5, "s");
    lex.SetLanguage(std::move(en));
    EXPECT_EQ(Decode(Frame(0x80, 0x02, 0xFF, 0xFF)).effects.jp5Text, "Sleep 65535s");
}

TEST_F(Decoder, ProfileEditingUpdatesStateButNoScreen) {
    state.DisplayMode = 1;
    const auto r = Decode(Frame(0xCA, 0x03, 0x0A, 0x00), /*editing=*/true);
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.state.DisplayMode, 2);
    EXPECT_EQ(r.state.Model, TMeterModel::Ks16);
    EXPECT_TRUE(r.state.PowerSave);
    EXPECT_TRUE(r.effects.jp5Visible);
    EXPECT_TRUE(r.effects.startT34);
    EXPECT_TRUE(r.effects.sp4Down);
    EXPECT_EQ(r.effects.modelRadioButton, 2);
    EXPECT_FALSE(r.effects.screensUpdated);
    EXPECT_FALSE(r.effects.restartT33);
    EXPECT_FALSE(r.effects.refreshModelLists);
    EXPECT_EQ(r.effects.screen, TScreen::None);
}

TEST_F(Decoder, SameModelIsNoChange) {
    state.Model = TMeterModel::Ks19;
    EXPECT_FALSE(Decode(Frame(0x19)).effects.modelChanged);
}

}  // namespace
}  // namespace protocol
