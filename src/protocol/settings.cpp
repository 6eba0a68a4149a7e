// SPDX-License-Identifier: GPL-3.0-or-later
#include "protocol/settings.h"

#include <algorithm>

namespace protocol {
namespace {

constexpr std::int32_t kDcFrequencyHz = 120;

constexpr bool Bit(std::uint8_t byte, int bit) {
    return (byte >> bit) & 1;
}

}  // namespace

TMeterSettings TMeterSettings::FromBytes(std::span<const std::uint8_t, rec::Size> raw) {
    TMeterSettings s;
    std::copy(raw.begin(), raw.end(), s.bytes.begin());
    return s;
}

TMeterSettings SettingsFromProfile(std::span<const std::uint8_t, rec::Size> stored) {
    TMeterSettings s = TMeterSettings::FromBytes(stored);
    if (s.SourceIndex() > 1) s.SourceIndex() = 0;
    s.Reserved17() = 0;
    return s;
}

TFrequencyLookup FrequencyFromIndex(int index, const TMeterSettings& settings, TMeterModel model) {
    if (settings.FreqIndex() == 0) return {kDcFrequencyHz, true};
    return {TableFrequencyHz(index, model), false};
}

void UpdateFrequency(TMeterState& state, const TMeterSettings& settings) {
    const TFrequencyLookup f = FrequencyFromIndex(settings.FreqIndex(), settings, state.Model);
    state.FrequencyHz = f.hz;
    state.DcMode = f.dcMode;
}

void ApplyDefaults(TMeterSettings& s, TMeterState& state) {
    s.FreqAuto() = 1;
    s.FreqIndex() = 4;
    s.PrimAuto() = 1;
    s.PrimIndex() = 2;
    s.SecAuto() = 1;
    s.SecIndex() = 1;
    s.LevelAuto() = 0;
    s.LevelIndex() = 1;
    s.CircuitAuto() = 1;
    s.Series() = 0;
    s.Rate() = 2;
    s.Hold() = 0;
    s.Negative() = 0;
    s.Sound() = 1;
    s.SourceIndex() = 0;
    UpdateFrequency(state, s);
}

bool CopyReportedSettings(TMeterSettings& s, std::span<const std::uint8_t, 4> r) {
    s.FreqIndex() = r[0] & 0x1F;
    s.FreqAuto() = Bit(r[0], 5);
    s.Series() = Bit(r[0], 6);
    s.CircuitAuto() = Bit(r[0], 7);

    s.PrimIndex() = r[1] & 0x07;
    s.PrimAuto() = Bit(r[1], 3);
    s.SecIndex() = (r[1] >> 4) & 0x07;
    s.SecAuto() = Bit(r[1], 7);

    s.LevelIndex() = r[2] & 0x07;
    s.LevelAuto() = Bit(r[2], 3);
    s.Rate() = (r[2] >> 4) & 0x07;
    s.Hold() = Bit(r[2], 7);

    s.Sound() = Bit(r[3], 0);
    s.Negative() = Bit(r[3], 1);
    s.Reserved14() = Bit(r[3], 2);
    s.SourceIndex() = (r[3] >> 3) & 0x03;
    s.SourceAuto() = Bit(r[3], 7);
    return Bit(r[3], 5);
}

std::array<std::uint8_t, 4> ReportedSettingsBytes(const TMeterSettings& s, bool below40mF) {
    auto flag = [](std::uint8_t v, int bit) { return static_cast<std::uint8_t>((v & 1) << bit); };
    std::array<std::uint8_t, 4> r{};
    r[0] = (s.FreqIndex() & 0x1F) | flag(s.FreqAuto(), 5) | flag(s.Series(), 6) |
           flag(s.CircuitAuto(), 7);
    r[1] = (s.PrimIndex() & 0x07) | flag(s.PrimAuto(), 3) | ((s.SecIndex() & 0x07) << 4) |
           flag(s.SecAuto(), 7);
    r[2] = (s.LevelIndex() & 0x07) | flag(s.LevelAuto(), 3) | ((s.Rate() & 0x07) << 4) |
           flag(s.Hold(), 7);
    r[3] = flag(s.Sound(), 0) | flag(s.Negative(), 1) | flag(s.Reserved14(), 2) |
           ((s.SourceIndex() & 0x03) << 3) | flag(below40mF, 5) | flag(s.SourceAuto(), 7);
    return r;
}

TPickerSelection PickerSelection(const TMeterSettings& s) {
    TPickerSelection p;
    p.freq = s.FreqAuto() == 1 ? 0 : s.FreqIndex();
    p.prim = s.PrimAuto() == 1 ? 0 : s.PrimIndex();
    p.sec = s.SecAuto() == 1 ? 0 : s.SecIndex();
    p.level = s.LevelAuto() == 1 ? 0 : s.LevelIndex();
    p.circuit = s.CircuitAuto() == 1 ? 0 : s.Series() + 1;
    return p;
}

}  // namespace protocol
