// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "support/param_name.h"

namespace protocol {
namespace {

struct SingleCase {
    const char* name;
    std::array<std::uint8_t, 4> bytes;
    double expected;
};

class DecodeSingleTable : public ::testing::TestWithParam<SingleCase> {};

TEST_P(DecodeSingleTable, DecodesByHand) {
    const SingleCase& c = GetParam();
    // At a non-zero offset, to catch offset mix-ups.
    std::vector<std::uint8_t> buf{0xFF, 0xFF, 0xFF, 0xFF};
    buf.insert(buf.end(), c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(DecodeSingle(buf, 4), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DecodeSingleTable,
    ::testing::Values(
        SingleCase{"One", {0x00, 0x00, 0x80, 0x3F}, 1.0},
        SingleCase{"MinusOne", {0x00, 0x00, 0x80, 0xBF}, -1.0},
        SingleCase{"ZeroBytes", {0x00, 0x00, 0x00, 0x00}, std::ldexp(1.0, -127)},
        SingleCase{"SignBitOnly", {0x00, 0x00, 0x00, 0x80}, -std::ldexp(1.0, -127)},
        SingleCase{"OneAndAHalf", {0x00, 0x00, 0xC0, 0x3F}, 1.5},
        SingleCase{"Million", {0x00, 0x24, 0x74, 0x49}, 1000000.0},
        SingleCase{"Pi", {0xDB, 0x0F, 0x49, 0x40}, static_cast<double>(3.14159265f)},
        // Exponent 255: finite, not infinity or NaN.
        SingleCase{"Exponent255", {0x00, 0x00, 0x80, 0x7F}, std::ldexp(1.0, 128)},
        SingleCase{"Exponent255Negative", {0x00, 0x00, 0xC0, 0xFF}, -std::ldexp(1.5, 128)},
        // A subnormal keeps the implicit one bit.
        SingleCase{
            "Subnormal", {0x01, 0x00, 0x00, 0x00}, std::ldexp(1.0 + std::ldexp(1.0, -23), -127)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DecodeSingle, ReadsNothingOutsideTheBuffer) {
    // The missing fourth byte (sign and high exponent) reads as zero.
    const std::vector<std::uint8_t> buf{0x00, 0x00, 0x80};
    EXPECT_EQ(DecodeSingle(buf, 0), std::ldexp(1.0, -126));
    EXPECT_NE(DecodeSingle(buf, 100), 0.0);
}

TEST(EncodeSingle, RoundTripsNormalNumbers) {
    for (float v : {1.0f, -1.0f, 0.5f, 123.456f, -98765.4f, 1e-30f, 3e38f,
                    std::numeric_limits<float>::min()}) {
        const auto b = EncodeSingle(v);
        EXPECT_EQ(DecodeSingle(b, 0), static_cast<double>(v)) << v;
    }
}

TEST(EncodeSingle, ZeroComesBackAsTheSmallestNonZero) {
    EXPECT_EQ(DecodeSingle(EncodeSingle(0.0f), 0), std::ldexp(1.0, -127));
}

TEST(Status, BitsBothWays) {
    const TStatus s = DecodeStatus(0b1101'1010);
    EXPECT_EQ(s.displayMode, 2);
    EXPECT_EQ(s.model, 3);
    EXPECT_TRUE(s.brightnessKey);
    EXPECT_TRUE(s.powerSave);
    EXPECT_EQ(EncodeStatus(s), 0b1101'1010);
}

// A frame with a valid plain checksum and terminator, then one tweak.
TMeasurementFrame Valid(std::uint8_t status = 0x01) {
    TMeasurementFrame f{};
    for (std::size_t i = 0; i < 12; ++i) f[i] = static_cast<std::uint8_t>(i * 17 + 3);
    f[fb::Status] = status;
    SealFrame(f);
    return f;
}

struct ValidationCase {
    const char* name;
    TMeasurementFrame frame;
    TFrameRejection expected;
};

TMeasurementFrame With(TMeasurementFrame f, std::size_t i, std::uint8_t v, bool reseal,
                       bool plusFive = false) {
    f[i] = v;
    if (reseal) SealFrame(f, plusFive);
    return f;
}

TMeasurementFrame PowerSave(std::uint8_t byte0) {
    TMeasurementFrame f{};
    f[0] = byte0;
    f[fb::Status] = 0x80;
    SealFrame(f);
    return f;
}

class ValidationTable : public ::testing::TestWithParam<ValidationCase> {};

TEST_P(ValidationTable, AcceptsOrNamesTheReason) {
    EXPECT_EQ(ValidateFrame(GetParam().frame), GetParam().expected)
        << RejectionName(ValidateFrame(GetParam().frame));
}

TMeasurementFrame AllZero() {
    TMeasurementFrame f{};
    f[fb::Terminator] = 10;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, ValidationTable,
    ::testing::Values(
        ValidationCase{"all zero", AllZero(), TFrameRejection::None},
        ValidationCase{"plain sum", Valid(), TFrameRejection::None},
        ValidationCase{"plain sum any variant", With(Valid(), fb::Variant, 0xFD, true),
                       TFrameRejection::None},
        ValidationCase{"sum+5 variant 0", With(Valid(), fb::Variant, 0, true, true),
                       TFrameRejection::BadChecksum},
        ValidationCase{"sum+5 variant 1", With(Valid(), fb::Variant, 0xF1, true, true),
                       TFrameRejection::BadChecksum},
        ValidationCase{"sum+5 variant 2", With(Valid(), fb::Variant, 2, true, true),
                       TFrameRejection::None},
        ValidationCase{"sum+5 variant 3", With(Valid(), fb::Variant, 0x07, true, true),
                       TFrameRejection::None},
        ValidationCase{"sum+1", With(Valid(), fb::Checksum, Valid()[fb::Checksum] + 1, false),
                       TFrameRejection::BadChecksum},
        ValidationCase{"terminator 13", With(Valid(), fb::Terminator, 13, false),
                       TFrameRejection::BadTerminator},
        ValidationCase{"model 4", Valid(0x21), TFrameRejection::BadModel},
        ValidationCase{"model 7", Valid(0x38), TFrameRejection::BadModel},
        ValidationCase{"model 3", Valid(0x19), TFrameRejection::None},
        ValidationCase{"power save bit 5", PowerSave(0x20), TFrameRejection::BadPowerSaveBits},
        ValidationCase{"power save bit 6", PowerSave(0x40), TFrameRejection::BadPowerSaveBits},
        ValidationCase{"power save other bits", PowerSave(0x9F), TFrameRejection::None},
        // Bits 5-6 of byte 0 matter only in a power-save frame.
        ValidationCase{"measurement byte0 0x60", With(Valid(), 0, 0x60, true),
                       TFrameRejection::None},
        // The terminator is checked before anything else.
        ValidationCase{"model 7 and bad terminator", With(Valid(0x38), fb::Terminator, 0, false),
                       TFrameRejection::BadTerminator}),
    [](const auto& info) { return testing_support::ParamName(info.param.name); });

TEST(ValidateFrame, ShortInputIsRejectedLongerInputIgnoresTheTail) {
    const TMeasurementFrame f = Valid();
    EXPECT_EQ(ValidateFrame(std::span(f).first(17)), TFrameRejection::TooShort);
    EXPECT_EQ(ValidateFrame({}), TFrameRejection::TooShort);
    std::vector<std::uint8_t> longer(f.begin(), f.end());
    longer.insert(longer.end(), {0x55, 0x66});
    EXPECT_EQ(ValidateFrame(longer), TFrameRejection::None);
}

TEST(BuildMeasurementFrame, FieldsComeBackOut) {
    TFrameFields in;
    in.status = {2, 1, true, false};
    in.value1 = 1234.5f;
    in.value2 = -0.25f;
    in.value3 = 7.0f;
    in.subMode = 0x05;
    in.checksumVariant = 3;
    in.plusFiveChecksum = true;
    const TMeasurementFrame f = BuildMeasurementFrame(in);
    EXPECT_EQ(ValidateFrame(f), TFrameRejection::None);
    EXPECT_EQ(f[fb::Checksum], static_cast<std::uint8_t>(FrameSum(f) + 5));
    EXPECT_EQ(DecodeSingle(f, fb::Value1), 1234.5);
    EXPECT_EQ(DecodeSingle(f, fb::Value2), -0.25);
    EXPECT_EQ(DecodeSingle(f, fb::Value3), 7.0);
    EXPECT_EQ(f[fb::SubMode], 0x05);
    EXPECT_EQ(f[fb::Status], EncodeStatus(in.status));
}

TEST(BuildMeasurementFrame, SettingsAndPowerSaveFields) {
    TFrameFields in;
    in.status = {1, 0, false, true};
    in.settings = std::array<std::uint8_t, 4>{0x24, 0x8A, 0x21, 0x81};
    in.powerSave = {true, 300};
    const TMeasurementFrame f = BuildMeasurementFrame(in);
    EXPECT_EQ(ValidateFrame(f), TFrameRejection::None);
    EXPECT_EQ(f[8], 0x24);
    EXPECT_EQ(f[11], 0x81);
    const TPowerSaveInfo ps = DecodePowerSave(f);
    EXPECT_TRUE(ps.asleep);
    EXPECT_EQ(ps.seconds, 300);
}

}  // namespace
}  // namespace protocol
