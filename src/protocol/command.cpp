// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/command.h"

namespace protocol {
namespace {

constexpr std::uint8_t kSettingsCode = 0x01;
constexpr std::uint8_t kFunctionKindBit = 0x80;
constexpr std::uint8_t kFunctionFiller = 1;
constexpr std::uint8_t kAutoFreqIndex = 4;
constexpr std::uint8_t kMaxRate = 3;

constexpr std::uint8_t Brightness(bool sp4Down) {
    return sp4Down ? 0 : kBrightnessBit;
}

// Code field where 0 means automatic.
constexpr int AutoCode(std::uint8_t isAuto, int code) {
    return isAuto == 1 ? 0 : code;
}

}  // namespace

void PrepareForCommand(TMeterSettings& s) {
    if (s.FreqAuto() == 1) s.FreqIndex() = kAutoFreqIndex;
    if (s.Rate() > kMaxRate) s.Rate() = kMaxRate;
}

TCommandFrame EncodeSettingsCommand(const TMeterSettings& s, bool sp4Down) {
    const int circuit = AutoCode(s.CircuitAuto(), (s.Series() & 1) + 1);
    const int primary = AutoCode(s.PrimAuto(), s.PrimIndex() & 0x0F);
    const int secondary = AutoCode(s.SecAuto(), s.SecIndex() & 0x07);
    const int source = AutoCode(s.SourceAuto(), (s.SourceIndex() & 0x03) + 1);
    TCommandFrame f{};
    f[0] = kSettingsCode | Brightness(sp4Down);
    f[1] =
        static_cast<std::uint8_t>(circuit * 64 + (s.FreqAuto() & 1) * 32 + (s.FreqIndex() & 0x1F));
    f[2] = static_cast<std::uint8_t>((s.Sound() & 1) * 128 + secondary * 16 + primary);
    f[3] = static_cast<std::uint8_t>((s.Hold() & 1) * 128 + (s.Rate() & 0x07) * 16 +
                                     (s.LevelAuto() & 1) * 8 + (s.LevelIndex() & 0x07));
    f[4] = kCommandTerminator;
    f[5] = static_cast<std::uint8_t>(source);
    return f;
}

std::optional<TCommandFrame> BuildSettingsCommand(TMeterSettings& settings, bool sp4Down,
                                                  bool meterConnected, bool profileEditing) {
    if (!meterConnected || profileEditing) return std::nullopt;
    PrepareForCommand(settings);
    return EncodeSettingsCommand(settings, sp4Down);
}

TCommandFrame BuildFunctionCommand(std::uint8_t code, bool sp4Down) {
    TCommandFrame f{};
    f[0] = static_cast<std::uint8_t>(code | Brightness(sp4Down));
    f[1] = f[2] = f[3] = f[5] = kFunctionFiller;
    f[4] = kCommandTerminator;
    return f;
}

std::vector<std::uint8_t> CommandBytesForLink(const TCommandFrame& frame, TLinkKind link) {
    std::vector<std::uint8_t> out(frame.begin(), frame.end());
    if (link == TLinkKind::lkDirectBle) out.resize(kBleCommandSize, 0);
    return out;
}

std::optional<TParsedCommand> ParseCommandFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.size() != kCommandSize && bytes.size() != kBleCommandSize) return std::nullopt;
    if (bytes[4] != kCommandTerminator) return std::nullopt;
    const bool brightnessUp = bytes[0] & kBrightnessBit;
    const auto code = static_cast<std::uint8_t>(bytes[0] & ~kBrightnessBit);
    if (code & kFunctionKindBit) return TFunctionCommand{brightnessUp, code};
    if (code != kSettingsCode) return std::nullopt;

    auto indexOrAuto = [](int value, bool& isAuto) -> std::optional<std::uint8_t> {
        isAuto = value == 0;
        if (isAuto) return std::nullopt;
        return static_cast<std::uint8_t>(value);
    };
    TSettingsCommand c;
    c.brightnessUp = brightnessUp;
    const int circuit = bytes[1] >> 6;
    if (circuit == 3) return std::nullopt;
    c.series = indexOrAuto(circuit, c.circuitAuto);
    if (c.series) c.series = static_cast<std::uint8_t>(*c.series - 1);
    c.freqAuto = bytes[1] & 0x20;
    c.freqIndex = bytes[1] & 0x1F;
    c.sound = bytes[2] & 0x80;
    c.secIndex = indexOrAuto((bytes[2] >> 4) & 7, c.secAuto);
    c.primIndex = indexOrAuto(bytes[2] & 0x0F, c.primAuto);
    c.hold = bytes[3] & 0x80;
    c.rate = (bytes[3] >> 4) & 7;
    c.levelAuto = bytes[3] & 0x08;
    c.levelIndex = bytes[3] & 7;
    c.sourceIndex = indexOrAuto(bytes[5], c.sourceAuto);
    if (c.sourceIndex) c.sourceIndex = static_cast<std::uint8_t>(*c.sourceIndex - 1);
    return c;
}

void ApplySettingsCommand(const TSettingsCommand& c, TMeterSettings& s) {
    s.CircuitAuto() = c.circuitAuto;
    if (c.series) s.Series() = *c.series;
    s.FreqAuto() = c.freqAuto;
    s.FreqIndex() = c.freqIndex;
    s.Sound() = c.sound;
    s.SecAuto() = c.secAuto;
    if (c.secIndex) s.SecIndex() = *c.secIndex;
    s.PrimAuto() = c.primAuto;
    if (c.primIndex) s.PrimIndex() = *c.primIndex;
    s.Hold() = c.hold;
    s.Rate() = c.rate;
    s.LevelAuto() = c.levelAuto;
    s.LevelIndex() = c.levelIndex;
    s.SourceAuto() = c.sourceAuto;
    if (c.sourceIndex) s.SourceIndex() = *c.sourceIndex;
}

}  // namespace protocol
