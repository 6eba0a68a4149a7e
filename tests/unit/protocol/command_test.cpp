// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/command.h"

#include <gtest/gtest.h>

#include "support/param_name.h"

namespace protocol {
namespace {

TMeterSettings Defaults(std::uint8_t sourceAuto = 0) {
    TMeterSettings s;
    s.SourceAuto() = sourceAuto;
    TMeterState st;
    ApplyDefaults(s, st);
    return s;
}

TEST(SettingsCommand, DefaultRecordBytes) {
    TMeterSettings s = Defaults();
    EXPECT_EQ(BuildSettingsCommand(s, true, true, false),
              (TCommandFrame{0x01, 0x24, 0x80, 0x21, 0x0A, 0x01}));
    EXPECT_EQ(BuildSettingsCommand(s, false, true, false),
              (TCommandFrame{0x41, 0x24, 0x80, 0x21, 0x0A, 0x01}));
}

TEST(SettingsCommand, GuardSendsNothingAndLeavesTheRecord) {
    TMeterSettings s = Defaults();
    s.FreqIndex() = 7;
    s.Rate() = 5;
    const TMeterSettings before = s;
    EXPECT_FALSE(BuildSettingsCommand(s, true, /*connected=*/false, false));
    EXPECT_FALSE(BuildSettingsCommand(s, true, true, /*profileEditing=*/true));
    EXPECT_EQ(s, before);
}

TEST(SettingsCommand, FreqAutoForcesIndexFourInTheRecord) {
    TMeterSettings s = Defaults();
    s.FreqIndex() = 7;
    const auto f = BuildSettingsCommand(s, true, true, false);
    ASSERT_TRUE(f);
    EXPECT_EQ((*f)[1] & 0x1F, 4);
    EXPECT_EQ(s.FreqIndex(), 4);

    s.FreqAuto() = 0;
    s.FreqIndex() = 7;
    EXPECT_EQ((*BuildSettingsCommand(s, true, true, false))[1] & 0x3F, 7);
    EXPECT_EQ(s.FreqIndex(), 7);
}

TEST(SettingsCommand, RateLimitedToThreeInTheRecord) {
    TMeterSettings s = Defaults();
    s.Rate() = 5;
    const auto f = BuildSettingsCommand(s, true, true, false);
    EXPECT_EQ(((*f)[3] >> 4) & 7, 3);
    EXPECT_EQ(s.Rate(), 3);
}

// One record field changed from the defaults, and the command byte it shows in.
struct FieldCase {
    const char* name;
    std::size_t field;
    std::uint8_t value;
    std::size_t byte;
    std::uint8_t expected;
};

class FieldEncoding : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldEncoding, LandsInItsBits) {
    const FieldCase& c = GetParam();
    TMeterSettings s = Defaults();
    s.bytes[c.field] = c.value;
    if (c.field == rec::Series) s.CircuitAuto() = 0;
    if (c.field == rec::SourceIndex) s.SourceAuto() = 0;
    if (c.field == rec::PrimIndex) s.PrimAuto() = 0;
    if (c.field == rec::SecIndex) s.SecAuto() = 0;
    if (c.field == rec::FreqIndex) s.FreqAuto() = 0;
    EXPECT_EQ(EncodeSettingsCommand(s, true)[c.byte], c.expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, FieldEncoding,
                         ::testing::Values(FieldCase{"series", rec::Series, 1, 1, 0xA4},
                                           FieldCase{"parallel", rec::Series, 0, 1, 0x64},
                                           FieldCase{"circuit auto", rec::CircuitAuto, 1, 1, 0x24},
                                           FieldCase{"freq index", rec::FreqIndex, 14, 1, 0x0E},
                                           FieldCase{"primary", rec::PrimIndex, 3, 2, 0x83},
                                           FieldCase{"secondary", rec::SecIndex, 4, 2, 0xC0},
                                           FieldCase{"sound off", rec::Sound, 0, 2, 0x00},
                                           FieldCase{"hold", rec::Hold, 1, 3, 0xA1},
                                           FieldCase{"level auto", rec::LevelAuto, 1, 3, 0x29},
                                           FieldCase{"level", rec::LevelIndex, 3, 3, 0x23},
                                           FieldCase{"source auto", rec::SourceAuto, 1, 5, 0x00},
                                           FieldCase{"source 1k6", rec::SourceIndex, 1, 5, 0x02},
                                           FieldCase{"source 100", rec::SourceIndex, 0, 5, 0x01},
                                           // Never sent.
                                           FieldCase{"negative", rec::Negative, 1, 1, 0x24},
                                           // Out of range values stay inside their own bits.
                                           FieldCase{"freq index 40", rec::FreqIndex, 40, 1, 0x08},
                                           FieldCase{"level 9", rec::LevelIndex, 9, 3, 0x21},
                                           FieldCase{"series 3", rec::Series, 3, 1, 0xA4},
                                           FieldCase{"sound 2", rec::Sound, 2, 2, 0x00},
                                           FieldCase{"source 255", rec::SourceIndex, 255, 5, 0x04}),
                         [](const auto& info) {
                             return testing_support::ParamName(info.param.name);
                         });

TEST(SettingsCommand, SourceAutoWinsOverIndex) {
    TMeterSettings s = Defaults(1);
    s.SourceIndex() = 1;
    EXPECT_EQ(EncodeSettingsCommand(s, true)[5], 0);
}

struct FunctionCase {
    const char* name;
    std::uint8_t code;
    bool sp4Down;
    TCommandFrame expected;
};

class FunctionCommand : public ::testing::TestWithParam<FunctionCase> {};

TEST_P(FunctionCommand, Bytes) {
    EXPECT_EQ(BuildFunctionCommand(GetParam().code, GetParam().sp4Down), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, FunctionCommand,
    ::testing::Values(
        FunctionCase{"Rlcd", FnRlcd, false, {0xC1, 1, 1, 1, 0x0A, 1}},
        FunctionCase{"RlcdSp4Down", FnRlcd, true, {0x81, 1, 1, 1, 0x0A, 1}},
        FunctionCase{"PowerOff", FnPowerOff, false, {0xC9, 1, 1, 1, 0x0A, 1}},
        FunctionCase{"WakeSp4Down", FnWake, true, {0x80, 1, 1, 1, 0x0A, 1}},
        FunctionCase{"USp4Down", ModeCommand(TDisplayMode::U), true, {0x83, 1, 1, 1, 0x0A, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FunctionCommand, UOnlyForModelsWithTheUMode) {
    EXPECT_TRUE(UCommandAllowed(TMeterModel::Ks15));
    EXPECT_FALSE(UCommandAllowed(TMeterModel::Ks16));
    EXPECT_TRUE(UCommandAllowed(TMeterModel::Ks17));
    EXPECT_FALSE(UCommandAllowed(TMeterModel::Ks19));
}

TEST(FunctionCommand, NoUForAModelCodeOutsideTheTable) {
    // The settings file may restore a model byte of 4..9 before any frame names
    // the real model; 4 and 6 must not pass for the КС15 and КС17.
    for (int code = 4; code <= 9; ++code)
        EXPECT_FALSE(UCommandAllowed(static_cast<TMeterModel>(code))) << "model code " << code;
}

TEST(Link, AdapterGetsSixBytesBleGetsEight) {
    const TCommandFrame f = BuildFunctionCommand(FnWake, false);
    EXPECT_EQ(CurrentLinkKind(true), TLinkKind::lkSerialAdapter);
    EXPECT_EQ(CurrentLinkKind(false), TLinkKind::lkDirectBle);
    EXPECT_EQ(CommandBytesForLink(f, TLinkKind::lkSerialAdapter),
              (std::vector<std::uint8_t>{0xC0, 1, 1, 1, 10, 1}));
    EXPECT_EQ(CommandBytesForLink(f, TLinkKind::lkDirectBle),
              (std::vector<std::uint8_t>{0xC0, 1, 1, 1, 10, 1, 0, 0}));
}

// A meter that applies what it receives ends with the record that was sent.
TEST(ParseCommandFrame, SettingsRoundTrip) {
    TMeterSettings sent = Defaults();
    sent.FreqAuto() = 0;
    sent.FreqIndex() = 9;
    sent.PrimAuto() = 0;
    sent.PrimIndex() = 3;
    sent.SecAuto() = 0;
    sent.SecIndex() = 2;
    sent.CircuitAuto() = 0;
    sent.Series() = 1;
    sent.Hold() = 1;
    sent.Rate() = 3;
    sent.LevelIndex() = 2;
    sent.SourceIndex() = 1;
    for (TLinkKind link : {TLinkKind::lkSerialAdapter, TLinkKind::lkDirectBle}) {
        const auto bytes = CommandBytesForLink(EncodeSettingsCommand(sent, false), link);
        const auto parsed = ParseCommandFrame(bytes);
        ASSERT_TRUE(parsed);
        const auto* cmd = std::get_if<TSettingsCommand>(&*parsed);
        ASSERT_TRUE(cmd);
        EXPECT_TRUE(cmd->brightnessUp);
        TMeterSettings meter;
        ApplySettingsCommand(*cmd, meter);
        EXPECT_EQ(ReportedSettingsBytes(meter), ReportedSettingsBytes(sent));
    }
}

TEST(ParseCommandFrame, AutomaticChoicesKeepTheMetersIndex) {
    const auto parsed = ParseCommandFrame(EncodeSettingsCommand(Defaults(1), true));
    ASSERT_TRUE(parsed);
    const auto& cmd = std::get<TSettingsCommand>(*parsed);
    EXPECT_TRUE(cmd.primAuto);
    EXPECT_FALSE(cmd.primIndex);
    EXPECT_TRUE(cmd.sourceAuto);
    TMeterSettings meter;
    meter.PrimIndex() = 4;
    meter.SourceIndex() = 1;
    ApplySettingsCommand(cmd, meter);
    EXPECT_EQ(meter.PrimAuto(), 1);
    EXPECT_EQ(meter.PrimIndex(), 4);
    EXPECT_EQ(meter.SourceAuto(), 1);
    EXPECT_EQ(meter.SourceIndex(), 1);
}

TEST(ParseCommandFrame, FunctionCodes) {
    const auto parsed = ParseCommandFrame(BuildFunctionCommand(FnPowerOff, false));
    ASSERT_TRUE(parsed);
    const auto& fn = std::get<TFunctionCommand>(*parsed);
    EXPECT_EQ(fn.code, FnPowerOff);
    EXPECT_TRUE(fn.brightnessUp);
}

TEST(ParseCommandFrame, RejectsMalformed) {
    using B = std::vector<std::uint8_t>;
    for (const B& bytes :
         {B{0x01, 0x24, 0x80, 0x21, 0x0A}, B{0x01, 0x24, 0x80, 0x21, 0x0D, 1},
          B{0x02, 0x24, 0x80, 0x21, 0x0A, 1}, B{0x01, 0xE4, 0x80, 0x21, 0x0A, 1}, B(7, 0x0A)})
        EXPECT_FALSE(ParseCommandFrame(bytes));
}

}  // namespace
}  // namespace protocol
