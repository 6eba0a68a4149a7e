// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/frame.h"

#include <bit>
#include <cmath>
#include <numeric>

namespace protocol {
namespace {

constexpr std::uint8_t kPlusFive = 5;
constexpr std::uint8_t kPowerSaveMustBeZero = 0x60;  // byte 0 bits 5-6

void PutSingle(TMeasurementFrame& frame, std::size_t offset, float value) {
    const auto b = EncodeSingle(value);
    std::copy(b.begin(), b.end(), frame.begin() + offset);
}

}  // namespace

double DecodeSingle(std::span<const std::uint8_t> bytes, std::size_t offset) {
    auto at = [&](std::size_t i) -> unsigned {
        return offset + i < bytes.size() ? bytes[offset + i] : 0u;
    };
    const bool negative = at(3) & 0x80;
    const int exponent = static_cast<int>((at(3) & 0x7F) * 2 + (at(2) >> 7));
    const unsigned fraction = at(0) + 256u * at(1) + 65536u * (at(2) & 0x7F);
    const double value = std::ldexp(1.0 + std::ldexp(fraction, -23), exponent - 127);
    return negative ? -value : value;
}

std::array<std::uint8_t, 4> EncodeSingle(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

std::uint8_t FrameSum(std::span<const std::uint8_t, kFrameSize> frame) {
    return static_cast<std::uint8_t>(
        std::accumulate(frame.begin(), frame.begin() + fb::Checksum, 0u));
}

TStatus DecodeStatus(std::uint8_t status) {
    return {static_cast<std::uint8_t>(status & 7), static_cast<std::uint8_t>((status >> 3) & 7),
            static_cast<bool>(status & 0x40), static_cast<bool>(status & 0x80)};
}

std::uint8_t EncodeStatus(const TStatus& s) {
    return static_cast<std::uint8_t>((s.displayMode & 7) | ((s.model & 7) << 3) |
                                     (s.brightnessKey ? 0x40 : 0) | (s.powerSave ? 0x80 : 0));
}

TPowerSaveInfo DecodePowerSave(std::span<const std::uint8_t, kFrameSize> frame) {
    return {(frame[0] & 3) != 0, static_cast<std::uint16_t>(frame[1] + 256 * frame[2])};
}

const char* RejectionName(TFrameRejection rejection) {
    switch (rejection) {
        case TFrameRejection::None:
            return "accepted";
        case TFrameRejection::TooShort:
            return "too short";
        case TFrameRejection::BadTerminator:
            return "bad terminator";
        case TFrameRejection::BadPowerSaveBits:
            return "bad power-save bits";
        case TFrameRejection::BadModel:
            return "unknown model";
        case TFrameRejection::BadChecksum:
            return "bad checksum";
    }
    return "?";
}

TFrameRejection ValidateFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kFrameSize) return TFrameRejection::TooShort;
    const auto frame = bytes.first<kFrameSize>();
    const std::uint8_t sum = FrameSum(frame);
    if (frame[fb::Terminator] != kFrameTerminator) return TFrameRejection::BadTerminator;
    const TStatus status = DecodeStatus(frame[fb::Status]);
    if (status.powerSave && (frame[0] & kPowerSaveMustBeZero) != 0)
        return TFrameRejection::BadPowerSaveBits;
    const int variant = frame[fb::Variant] & 3;
    if (status.model > 3) return TFrameRejection::BadModel;
    // The plain sum always passes; sum + 5 only under variant 2 or 3.
    int ok = 0;
    if (frame[fb::Checksum] == sum) ok = 3;
    if (frame[fb::Checksum] == static_cast<std::uint8_t>(sum + kPlusFive)) ok = variant;
    if (ok < 2) return TFrameRejection::BadChecksum;
    return TFrameRejection::None;
}

void SealFrame(TMeasurementFrame& frame, bool plusFive) {
    frame[fb::Checksum] = static_cast<std::uint8_t>(FrameSum(frame) + (plusFive ? kPlusFive : 0));
    frame[fb::Terminator] = kFrameTerminator;
}

TMeasurementFrame BuildMeasurementFrame(const TFrameFields& f) {
    TMeasurementFrame frame{};
    if (f.status.powerSave) {
        frame[0] = f.powerSave.asleep ? 1 : 0;
        frame[1] = static_cast<std::uint8_t>(f.powerSave.seconds);
        frame[2] = static_cast<std::uint8_t>(f.powerSave.seconds >> 8);
    } else {
        PutSingle(frame, fb::Value1, f.value1);
    }
    PutSingle(frame, fb::Value2, f.value2);
    if (f.settings)
        std::copy(f.settings->begin(), f.settings->end(), frame.begin() + fb::Settings);
    else
        PutSingle(frame, fb::Value3, f.value3);
    frame[fb::Unused12] = f.byte12;
    frame[fb::Variant] = f.checksumVariant & 3;
    frame[fb::SubMode] = f.subMode;
    frame[fb::Status] = EncodeStatus(f.status);
    SealFrame(frame, f.plusFiveChecksum);
    return frame;
}

}  // namespace protocol
